// File errors as the user reads them: the composed message line names the file in its
// display form, relative to the current folder.
#include "FileTestSupport.h"
#include "RuntimeTestSupport.h"
#include "files/File.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

namespace {

std::string messageOfOpening(const std::string& path, std::uint32_t mode) {
    ovs::File file(path);
    try {
        file.open(mode);
    } catch (const ovs::FileException& error) {
        return error.message();
    }
    return "no exception";
}

TEST(FileMessage, LinesNameTheFileRelativeToTheCurrentFolder) {
    ovs::test::TestStartUp startUp;
    ovs::test::InPrivateFolder here;
    here.makeFolder("sub");
    struct Case {
        std::string path;
        std::uint32_t mode;
        const char* expected;
    };
    for (const Case& c : {
             Case{"x.txt", ovs::File::Read, "FraskPdfCmd: fatal error OV1001 - file x.txt not found."},
             Case{here.folder() / "x.txt", ovs::File::Read, "FraskPdfCmd: fatal error OV1001 - file x.txt not found."},
             Case{"my x.txt", ovs::File::Read, "FraskPdfCmd: fatal error OV1001 - file \"my x.txt\" not found."},
             Case{"none\\x.txt", ovs::File::Read | ovs::File::Write,
                  "FraskPdfCmd: fatal error OV1002 - folder not found: none\\x.txt."},
             Case{"sub", ovs::File::Read, "FraskPdfCmd: fatal error OV1013 - access to sub denied."},
             Case{"", ovs::File::Read, "FraskPdfCmd: fatal error OV1003 - file <none> cannot be opened."},
         }) {
        EXPECT_EQ(c.expected, messageOfOpening(c.path, c.mode)) << c.path;
    }
}

} // namespace
