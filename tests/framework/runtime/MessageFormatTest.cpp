// Placeholder substitution and the message table lookup.
#include "MessageNumbers.h"
#include "RowNames.h"
#include "RuntimeTestSupport.h"
#include "runtime/Messages.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
    const char *format, *a1, *a2, *expected;
};

class FormatMessage : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatMessage, SubstitutesByPosition) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(c.expected, ovs::formatMessage(c.format, c.a1, c.a2)) << c.format;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatMessage,
    testing::Values(FormatCase{"%1 and %1", "x", nullptr, "x and x"}, FormatCase{"%2", "a", "b", "b"},
                    FormatCase{"%2 before %1", "a", "b", "b before a"}, FormatCase{"100%%", "a", nullptr, "100%"},
                    FormatCase{"%%1", "a", nullptr, "%1"}, FormatCase{"%0 stays", "a", nullptr, "%0 stays"},
                    FormatCase{"%x stays", "a", nullptr, "%x stays"},
                    FormatCase{"trailing %", "a", nullptr, "trailing %"}, FormatCase{"[%1]", "%1", nullptr, "[%1]"},
                    FormatCase{"%1%2", "%2", "b", "%2b"}, FormatCase{"%1-%3", "a", "b", "a-"},
                    FormatCase{"no placeholder", "a", "b", "no placeholder"}, FormatCase{"%1", nullptr, nullptr, ""},
                    FormatCase{"%9", "a", nullptr, ""}, FormatCase{"", "a", nullptr, ""},
                    FormatCase{nullptr, "a", nullptr, ""}),
    ovs::test::namedBy(&FormatCase::format));

TEST(LoadMessage, FindsTableTextsAndReportsMissingOnes) {
    ovs::test::TestStartUp startUp;
    bool found = false;
    EXPECT_EQ("file %1 not found", ovs::loadMessage(ovs::msg::FileNotFound, &found));
    EXPECT_TRUE(found);
    EXPECT_EQ("Version %1 of %2", ovs::loadMessage(ovs::msg::VersionOfDate, &found));
    EXPECT_TRUE(found);
    for (int missing : {4711, 0, -1, 65536 + 1001}) {
        EXPECT_EQ("", ovs::loadMessage(missing, &found)) << missing;
        EXPECT_FALSE(found) << missing;
    }
}

TEST(LoadMessage, WorksWithoutStartUpObject) {
    ASSERT_EQ(nullptr, ovs::StartUp::current());
    EXPECT_EQ("%1: aborted by user", ovs::loadMessage(ovs::msg::AbortedByUser));
    EXPECT_EQ("FraskPdfCmd: aborted by user", ovs::loadAndFormat(ovs::msg::AbortedByUser, "FraskPdfCmd"));
}

TEST(MessagePrefix, IsCutToElevenCharacters) {
    ovs::setMessagePrefix("ABCDEFGHIJKLMNOP");
    EXPECT_EQ("ABCDEFGHIJK", ovs::messagePrefix());
    ovs::setMessagePrefix("OV");
    EXPECT_EQ("OV", ovs::messagePrefix());
}

} // namespace
