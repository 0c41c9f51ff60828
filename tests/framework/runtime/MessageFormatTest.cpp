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

// Texts come from the language module where it has them, else from the instance module; a
// module without string resources (PSAPI) stands for the one that lacks the text. Numbers
// outside the 16 bits of a string resource's id are never found.
TEST(LoadMessage, TakesTheLanguageModuleThenTheInstanceModule) {
    ovs::test::TestStartUp startUp;
    const HMODULE program = GetModuleHandleA(nullptr);
    const HMODULE textless = LoadLibraryA("PSAPI.DLL");
    ASSERT_NE(nullptr, textless);
    const struct {
        HMODULE instance, language;
        int number;
        const char* text;
    } rows[] = {{textless, nullptr, ovs::msg::FileNotFound, ""},
                {textless, program, ovs::msg::FileNotFound, "file %1 not found"},
                {program, textless, ovs::msg::VersionOfDate, "Version %1 of %2"},
                {program, nullptr, ovs::msg::FileNotFound, "file %1 not found"},
                {program, program, 4711, ""},
                {program, nullptr, 0, ""},
                {program, nullptr, -1, ""},
                {program, nullptr, 65536 + ovs::msg::FileNotFound, ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.number);
        startUp.setInstanceModule(row.instance);
        startUp.setLanguageModule(row.language, false);
        EXPECT_EQ(row.language, startUp.languageModule());
        bool found = row.text[0] == '\0';
        EXPECT_EQ(row.text, ovs::loadMessage(row.number, &found));
        EXPECT_EQ(row.text[0] != '\0', found);
    }
    // Not owned: the start-up object left the module loaded; an owned one it frees at its end.
    EXPECT_TRUE(FreeLibrary(textless));
    startUp.setLanguageModule(LoadLibraryA("PSAPI.DLL"), true, ovs::FileString("PSAPI.DLL"));
}

TEST(MessagePrefix, IsCutToElevenCharacters) {
    ovs::setMessagePrefix("ABCDEFGHIJKLMNOP");
    EXPECT_EQ("ABCDEFGHIJK", ovs::messagePrefix());
    ovs::setMessagePrefix("OV");
    EXPECT_EQ("OV", ovs::messagePrefix());
}

} // namespace
