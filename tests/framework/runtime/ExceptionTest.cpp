// The composed message line of the exception family.
#include "runtime/Exception.h"
#include "MessageNumbers.h"
#include "RuntimeTestSupport.h"
#include "runtime/ErrorLocation.h"
#include "runtime/Messages.h"

#include <gtest/gtest.h>

namespace msg = ovs::msg;

namespace {

class ExceptionMessage : public testing::Test {
protected:
    ovs::test::TestStartUp startUp;
};

struct LineCase {
    int number;
    const char* a1;
    const char* a2;
    const char* a3;
    const char* expected;
};

TEST_F(ExceptionMessage, ComposesSeverityPrefixNumberAndText) {
    const LineCase cases[] = {
        {msg::FileNotFound, "x.txt", "", "", "FraskPdfCmd: fatal error OV1001 - file x.txt not found."},
        {msg::ValueOutOfRange, "7", "", "", "FraskPdfCmd: error OV2005 - value 7 out of range."},
        {msg::FreeFatalError, "free %1 text %2", "a", "b", "FraskPdfCmd: fatal error - free a text b."},
        {msg::FreeError, "bad thing", "", "", "FraskPdfCmd: error - bad thing."},
        {msg::FreeWarning, "look out", "", "", "FraskPdfCmd: warning - look out."},
        {msg::ExeHeader, "", "", "", "FraskPdfCmd: warning OV4003 - file has EXE header."},
        {4711, "", "", "", "FraskPdfCmd: warning OV4711 - Undocumented/internal (4711)."},
        {1234, "a", "", "b", "FraskPdfCmd: fatal error OV1234 - Undocumented/internal (1234, a, b)."},
        {1999, "", "", "", "FraskPdfCmd: fatal error OV1999 - Undocumented/internal (1999)."},
        {3999, "", "", "", "FraskPdfCmd: error OV3999 - Undocumented/internal (3999)."},
        {-5, "", "", "", "FraskPdfCmd: fatal error OV-5 - Undocumented/internal (-5)."},
        {msg::ItemNotFound, "", "", "", "FraskPdfCmd: fatal error OV1147 - item not found."},
        {msg::FileNotFound, "%1%2", "zz", "",
         "FraskPdfCmd: fatal error OV1001 - file %1%2 not found."}, // not substituted again
    };
    for (const LineCase& c : cases) {
        ovs::Exception exception(c.number, c.a1, c.a2, c.a3);
        EXPECT_STREQ(c.expected, exception.message());
        EXPECT_STREQ(c.expected, exception.what());
    }
}

TEST_F(ExceptionMessage, LocationFollowsTheProgramName) {
    ovs::ErrorLocation where("file \"a.ini\", topic [T]");
    ovs::Exception exception(msg::InvalidOption);
    EXPECT_EQ("file \"a.ini\", topic [T]", exception.location());
    EXPECT_STREQ("FraskPdfCmd, file \"a.ini\", topic [T]: error OV2001 - invalid option.", exception.message());
}

TEST_F(ExceptionMessage, ExtraLocationIsChainedOnlyForTheConstruction) {
    ovs::ErrorLocation where("outer");
    ovs::Exception exception(msg::InvalidOption, "", "", "", "inner");
    EXPECT_EQ("outer, inner", exception.location());
    EXPECT_EQ("outer", ovs::currentErrorLocation());
    exception.addLocation("more");
    EXPECT_EQ("outer, more", exception.location());
    EXPECT_EQ("outer", ovs::currentErrorLocation());
}

TEST_F(ExceptionMessage, AccessorsReWordAnExceptionAndCopiesComposeTheirOwn) {
    ovs::Exception exception(msg::RegistryNotFound, "key");
    exception.setNumber(msg::ItemNotFound);
    exception.setArgument(2, "ignored");
    exception.setLocation("file \"c.ovc\"");
    EXPECT_EQ(msg::ItemNotFound, exception.number());
    EXPECT_EQ("key", exception.argument(1));
    EXPECT_EQ("ignored", exception.argument(2));
    EXPECT_EQ("", exception.argument(3));
    const char* first = exception.message();
    ovs::Exception copy(exception);
    EXPECT_STREQ(first, copy.message());
    EXPECT_NE(static_cast<const void*>(first), static_cast<const void*>(copy.message()));
}

TEST_F(ExceptionMessage, DefaultExceptionHasNumberZero) {
    ovs::Exception exception;
    EXPECT_EQ(0, exception.number());
    EXPECT_STREQ("FraskPdfCmd: fatal error OV0 - Undocumented/internal (0).", exception.message());
}

TEST_F(ExceptionMessage, FileExceptionShowsThePathAsFirstPlaceholder) {
    ovs::FileException exception(msg::FileNotFound, "ignored drive");
    exception.setPath(ovs::FileString("x.txt"));
    exception.setSystemError(2);
    EXPECT_STREQ("FraskPdfCmd: fatal error OV1001 - file x.txt not found.", exception.message());
    EXPECT_EQ(2u, exception.systemError());
    ovs::FileException undocumented(msg::DiskWriteProtected, "C:");
    undocumented.setPath(ovs::FileString("C:\\x.txt"));
    undocumented.setNumber(4711);
    EXPECT_STREQ("FraskPdfCmd: warning OV4711 - Undocumented/internal (4711, C:).", undocumented.message());
}

TEST(ExceptionWithoutStartUp, NamesTheProgramFileWithoutFolderAndExtension) {
    ASSERT_EQ(nullptr, ovs::StartUp::current());
    ovs::setMessagePrefix("OV");
    ovs::Exception exception(msg::InvalidOption);
    EXPECT_STREQ("framework_tests: error OV2001 - invalid option.", exception.message());
}

} // namespace
