// The composed message line of the exception family and the per-thread error-location stack
// it takes its location from.
#include "runtime/Exception.h"
#include "MessageNumbers.h"
#include "RuntimeTestSupport.h"
#include "runtime/ErrorLocation.h"
#include "runtime/Messages.h"

#include <gtest/gtest.h>

namespace msg = ovs::msg;

namespace {

using Texts = std::vector<std::string>;

class ExceptionMessage : public testing::Test {
protected:
    ovs::test::TestStartUp startUp;
};

TEST_F(ExceptionMessage, ComposesSeverityPrefixNumberAndText) {
    struct Case {
        int number;
        const char *a1, *a2, *a3, *expected;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        ovs::Exception exception(c.number, c.a1, c.a2, c.a3);
        EXPECT_STREQ(c.expected, exception.message());
        EXPECT_STREQ(c.expected, exception.what());
    }
    EXPECT_STREQ("FraskPdfCmd: fatal error OV0 - Undocumented/internal (0).", ovs::Exception().message());
    EXPECT_EQ(0, ovs::Exception().number());
}

// A copy composes the same message into a cache of its own.
TEST_F(ExceptionMessage, LocationFollowsTheProgramNameAndExtraLocationsChainOnlyForTheConstruction) {
    ovs::ErrorLocation where("file \"a.ini\", topic [T]");
    ovs::Exception exception(msg::InvalidOption, "a", "b");
    EXPECT_EQ("file \"a.ini\", topic [T]", exception.location());
    EXPECT_STREQ("FraskPdfCmd, file \"a.ini\", topic [T]: error OV2001 - invalid option.", exception.message());
    const ovs::Exception copy(exception);
    EXPECT_EQ((Texts{exception.message(), "a", "b"}), (Texts{copy.message(), copy.argument(1), copy.argument(2)}));
    EXPECT_NE(static_cast<const void*>(exception.message()), static_cast<const void*>(copy.message()));
    ovs::ErrorLocation outer("outer", false);
    ovs::Exception chained(msg::InvalidOption, "", "", "", "inner");
    const std::string during = chained.location();
    chained.addLocation("more");
    EXPECT_EQ((Texts{"outer, inner", "outer, more", "outer"}),
              (Texts{during, chained.location(), ovs::currentErrorLocation()}));
}

// Without a start-up object the texts come from the program itself, and a message names the
// program file without folder and extension.
TEST(ExceptionWithoutStartUp, NamesTheProgramFileWithoutFolderAndExtension) {
    ASSERT_EQ(nullptr, ovs::StartUp::current());
    EXPECT_EQ("FraskPdfCmd: aborted by user", ovs::loadAndFormat(msg::AbortedByUser, "FraskPdfCmd"));
    ovs::setMessagePrefix("OV");
    ovs::Exception exception(msg::InvalidOption);
    EXPECT_STREQ("framework_tests: error OV2001 - invalid option.", exception.message());
}

TEST(ErrorLocation, ComposesFromTheTopDownWhileEntriesAreChainedAndPopsWhatItPushed) {
    Texts seen = {ovs::currentErrorLocation()};
    {
        ovs::ErrorLocation a("A", true);
        seen.push_back(ovs::currentErrorLocation());
        ovs::ErrorLocation b("B", false);
        seen.push_back(ovs::currentErrorLocation());
        ovs::ErrorLocation c("C", true);
        seen.push_back(ovs::currentErrorLocation());
        ovs::ErrorLocation d("D", true);
        seen.push_back(ovs::currentErrorLocation());
        {
            ovs::ErrorLocation twice("first");
            twice.push("second", true);
            seen.push_back(ovs::currentErrorLocation());
        }
        seen.push_back(ovs::currentErrorLocation());
    }
    seen.push_back(ovs::currentErrorLocation());
    EXPECT_EQ((Texts{"", "A", "B", "B, C", "B, C, D", "first, second", "B, C, D", ""}), seen);
}

} // namespace
