// Conversions between wide, UTF-8 and narrow text, and the shared strings.
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"
#include "runtime/Utf8Conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Conversion, WideToNarrow) {
    // The ANSI code page is UTF-8 on POSIX and 1252 under Windows, where what it lacks
    // becomes "?" (one per UTF-16 unit).
    const wchar_t unpaired[] = {0xD800, 0xDC00 - 1, 0xD801, 0}; // no narrow form in any code page
    struct {
        std::wstring wide;
        const char *posix, *windows;
    } cases[] = {
        {L"plain text", "plain text", "plain text"},
        {L"", "", ""},
        {L"\U0001F600", "\xF0\x9F\x98\x80", "??"},
        {L"\u4E2D\u6587", "\xE4\xB8\xAD\xE6\x96\x87", "??"},
        {L"\u4E2D\u6587\u5B57", "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97", "???"},
        {L"a\u00E4\u4E2D\U0001F600z", "a\xC3\xA4\xE4\xB8\xAD\xF0\x9F\x98\x80z", "a\xE4???z"},
        {unpaired, "???", "???"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ovs::platform::isPosixSubstitute() ? c.posix : c.windows, ovs::narrowFromWide(c.wide))
            << c.wide.size() << " wide characters";
    }
}

TEST(Conversion, Utf8ToWideAndNarrow) {
    const char umlaut[] = "\xC3\xA4x"; // a-umlaut, x
    ovs::Utf8 text(umlaut, 3);
    EXPECT_EQ(std::wstring(L"\u00E4x"), ovs::wideFromUtf8(text));
    // In the ANSI code page: UTF-8 itself on POSIX, 1252 under Windows.
    EXPECT_EQ(ovs::platform::isPosixSubstitute() ? "\xC3\xA4x" : "\xE4x", ovs::narrowFromUtf8(text));

    // A text stops at a zero byte and keeps one behind its end.
    const char stopped[] = {'a', '\0', 'b'};
    const ovs::Utf8 texts[] = {{stopped, 3}, {}, {"xyz", 3}};
    EXPECT_EQ((std::vector<std::string>{"a", "", "xyz"}),
              (std::vector<std::string>{texts[0].text(), texts[1].text(), texts[2].text()}));
    EXPECT_EQ((std::vector<std::size_t>{1, 0, 3, 0}),
              (std::vector<std::size_t>{texts[0].length(), texts[1].length(), texts[2].length(),
                                        std::size_t(texts[2].text()[3])}));
    EXPECT_EQ(std::wstring(L"a"), ovs::wideFromUtf8(ovs::Utf8(stopped, 3)));
    EXPECT_EQ("a", ovs::narrowFromUtf8(ovs::Utf8(stopped, 3)));
    EXPECT_EQ(std::wstring(), ovs::wideFromUtf8(ovs::Utf8()));
    EXPECT_EQ(std::wstring(L"ab"), ovs::wideFrom(L"abc", 2));
}

TEST(SharedStrings, OneEmptyStringAndTheLineEnd) {
    EXPECT_EQ("", ovs::emptyString());
    EXPECT_EQ(&ovs::emptyString(), &ovs::emptyString());
    EXPECT_EQ("\r\n", ovs::lineEnd());
}

} // namespace
