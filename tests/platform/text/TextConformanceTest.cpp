// Text functions: case mapping of ANSI text and the conversions between code pages and
// wide text, for the arguments the framework passes.
#include "Conformance.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using ovs::test::failsWith;

namespace {

TEST(TextConformance, CaseMappingOfAsciiText) {
    // clang-format off
    const struct {
        const char *text, *upper, *lower;
    } cases[] = {{"abc", "ABC", "abc"}, {"MiXeD 123", "MIXED 123", "mixed 123"}, {"EXE", "EXE", "exe"},
                 {"a-z_{}@[`", "A-Z_{}@[`", "a-z_{}@[`"}, {"", "", ""}};
    // clang-format on
    for (const auto& c : cases) {
        std::string upper = c.text, lower = c.text;
        const DWORD length = static_cast<DWORD>(upper.size());
        EXPECT_EQ(length, CharUpperBuffA(&upper[0], length));
        EXPECT_EQ(length, CharLowerBuffA(&lower[0], length));
        EXPECT_EQ(c.upper, upper);
        EXPECT_EQ(c.lower, lower);
    }
    char partial[] = "abcdef";
    EXPECT_EQ(3u, CharUpperBuffA(partial, 3));
    EXPECT_STREQ("ABCdef", partial);
}

TEST(TextConformance, Utf8RoundTripAndItsFailures) {
    const char utf8[] = "a\xC3\xA4\xE2\x82\xAC";                         // a, a-umlaut, euro sign
    ASSERT_EQ(4, MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0)); // three characters and the zero
    wchar_t wide[8];
    ASSERT_EQ(4, MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 4));
    EXPECT_EQ((std::wstring{L'a', wchar_t(0xE4), wchar_t(0x20AC), wchar_t(0)}), std::wstring(wide, 4));
    EXPECT_EQ(6, WideCharToMultiByte(CP_UTF8, 0, wide, 3, nullptr, 0, nullptr, nullptr));
    char narrow[8] = {};
    ASSERT_EQ(6, WideCharToMultiByte(CP_UTF8, 0, wide, 3, narrow, sizeof narrow, nullptr, nullptr));
    EXPECT_STREQ(utf8, narrow);

    const char broken[] = "a\xFF"
                          "b";
    EXPECT_TRUE(failsWith(0, ERROR_NO_UNICODE_TRANSLATION,
                          [&] { return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, broken, 3, wide, 8); }));
    // Without the flag the bad byte becomes the replacement character.
    ASSERT_EQ(3, MultiByteToWideChar(CP_UTF8, 0, broken, 3, wide, 8));
    EXPECT_EQ((std::wstring{L'a', wchar_t(0xFFFD), L'b'}), std::wstring(wide, 3));
    EXPECT_TRUE(
        failsWith(0, ERROR_INSUFFICIENT_BUFFER, [&] { return MultiByteToWideChar(CP_UTF8, 0, "abc", 3, wide, 2); }));
    EXPECT_TRUE(
        failsWith(0, ERROR_INVALID_PARAMETER, [&] { return MultiByteToWideChar(CP_UTF8, 0, "abc", 0, wide, 2); }));
    EXPECT_TRUE(failsWith(0, ERROR_INSUFFICIENT_BUFFER,
                          [&] { return WideCharToMultiByte(CP_UTF8, 0, L"abc", 3, narrow, 2, nullptr, nullptr); }));
    // UTF-8 takes no flags but WC_ERR_INVALID_CHARS (MB_ERR_INVALID_CHARS the other way). Known
    // Wine 8 deviation: it ignores the flags and goes on converting.
    auto flagged = [&] { return WideCharToMultiByte(CP_UTF8, WC_COMPOSITECHECK, L"abc", 3, narrow, 8, nullptr, 0); };
    auto wideFlagged = [&] { return MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "abc", 3, wide, 8); };
    if (ovs::platform::isWine()) {
        ovs::test::recordWineDeviation("flags_for_UTF8",
                                       std::to_string(flagged()) + " " + std::to_string(wideFlagged()));
    } else {
        EXPECT_TRUE(failsWith(0, ERROR_INVALID_FLAGS, flagged));
        EXPECT_TRUE(failsWith(0, ERROR_INVALID_FLAGS, wideFlagged));
    }
}

TEST(TextConformance, AnyNegativeLengthMeansNulTerminatedAndWideTextMayBeUnaligned) {
    // Lengths below -1 stand for -1 both ways, with the last error left as it was.
    for (int length : {-1, -2, -1000}) {
        SCOPED_TRACE(length);
        wchar_t wide[8] = {};
        EXPECT_TRUE(failsWith(4, ovs::test::lastErrorSentinel,
                              [&] { return MultiByteToWideChar(CP_UTF8, 0, "abc", length, wide, 8); }));
        EXPECT_EQ(std::wstring(L"abc\0", 4), std::wstring(wide, 4));
        char narrow[8] = {};
        EXPECT_TRUE(failsWith(4, ovs::test::lastErrorSentinel, [&] {
            return WideCharToMultiByte(CP_UTF8, 0, L"abc", length, narrow, 8, nullptr, nullptr);
        }));
        EXPECT_EQ(std::string("abc\0", 4), std::string(narrow, 4));
    }
    // Wide text at an odd address, read and written: one byte into a buffer.
    alignas(8) char storage[32] = {};
    auto* odd = reinterpret_cast<wchar_t*>(storage + 1);
    ASSERT_EQ(4, MultiByteToWideChar(CP_UTF8, 0, "x\xC3\xA4y", -1, odd, 8));
    wchar_t copy[4];
    std::memcpy(copy, storage + 1, sizeof copy);
    EXPECT_EQ((std::wstring{L'x', wchar_t(0xE4), L'y', L'\0'}), std::wstring(copy, 4));
    char back[8] = {};
    EXPECT_EQ(5, WideCharToMultiByte(CP_UTF8, 0, odd, -1, back, sizeof back, nullptr, nullptr));
    EXPECT_STREQ("x\xC3\xA4y", back);
}

TEST(TextConformance, AnsiConversionBothWaysAndWhatIsRefused) {
    char narrow[16] = {};
    ASSERT_EQ(5, WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK, L"plain", 5, narrow, sizeof narrow, nullptr, nullptr));
    EXPECT_STREQ("plain", narrow);
    const wchar_t unpaired[] = {L'a', 0xD800, L'b'};
    char out[8] = {};
    BOOL usedDefault = FALSE;
    ASSERT_EQ(3, WideCharToMultiByte(CP_ACP, 0, unpaired, 3, out, sizeof out, nullptr, &usedDefault));
    EXPECT_STREQ("a?b", out);
    EXPECT_TRUE(usedDefault);
    wchar_t wide[8] = {};
    ASSERT_EQ(4, MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "abc", -1, wide, 8));
    EXPECT_STREQ(L"abc", wide);
    // A code page the system lacks converts nothing.
    EXPECT_TRUE(
        failsWith(0, ERROR_INVALID_PARAMETER, [&] { return MultiByteToWideChar(12345, 0, "abc", 3, wide, 8); }));
}

TEST(TextConformance, UserInterfaceLanguageComesFromTheLocaleVariablesOnTheSubstitute) {
    const LANGID language = GetUserDefaultUILanguage();
    EXPECT_NE(0, PRIMARYLANGID(language));
    EXPECT_NE(0, SUBLANGID(language));
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "Windows takes the language from the user's settings, which no test can change";
    }
    const ovs::test::ScopedVariable variables[] = {{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", ""}};
    // clang-format off
    const struct {
        const char* values[3];
        LANGID expected;
    } cases[] = {{{"", "", ""}, 1033},           {{"C", "", "de_DE"}, 1033},          {{"POSIX", "", ""}, 1033},
                 {{"de_DE.UTF-8", "fr_FR", ""}, 1031}, {{"", "zh_HK.UTF-8", "de_DE"}, 3076}, {{"", "", "zh_SG"}, 4100},
                 {{"", "", "fi_FI.UTF-8@euro"}, 1035}, {{"", "", "pt_BR"}, 1046},     {{"", "", "es_ES"}, 3082},
                 {{"", "", "sv"}, 1053},         {{"", "", "xx_YY"}, 1033},           {{"", "", "en_GB"}, 2057}};
    // clang-format on
    for (const auto& c : cases) {
        for (int i = 0; i < 3; ++i) {
            variables[i].set(c.values[i]);
        }
        EXPECT_EQ(c.expected, GetUserDefaultUILanguage()) << c.values[0] << "|" << c.values[1] << "|" << c.values[2];
    }
}

} // namespace
