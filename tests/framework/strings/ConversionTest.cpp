// Conversions between wide, UTF-8 and narrow text, decimal texts and the shared strings.
#include "platform/Win32.h"
#include "strings/NumberText.h"
#include "strings/StringOld.h"
#include "strings/Utf8Conversion.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Utf8, StopsAtAZeroByteAndKeepsOneZeroByte) {
    const char bytes[] = {'a', 'b', '\0', 'c', 'd'};
    ovs::Utf8 text(bytes, sizeof(bytes));
    EXPECT_EQ(2u, text.length());
    EXPECT_STREQ("ab", text.text());
    ovs::Utf8 empty;
    EXPECT_EQ(0u, empty.length());
    EXPECT_STREQ("", empty.text());
    ovs::Utf8 whole("xyz", 3);
    EXPECT_EQ(3u, whole.length());
    EXPECT_EQ('\0', whole.text()[3]);
}

TEST(Conversion, WideToNarrow) {
    EXPECT_EQ("plain text", ovs::narrowFromWide(L"plain text"));
    EXPECT_EQ("", ovs::narrowFromWide(L""));
    // Lone surrogates have no narrow form in any code page.
    const wchar_t unconvertible[] = {0xD800, 0xDC00 - 1, 0xD801, 0};
    EXPECT_EQ("???", ovs::narrowFromWide(unconvertible));
}

TEST(Conversion, Utf8ToWideAndNarrow) {
    const char umlaut[] = "\xC3\xA4x"; // a-umlaut, x
    ovs::Utf8 text(umlaut, 3);
    EXPECT_EQ(std::wstring(L"\u00E4x"), ovs::wideFromUtf8(text));
    std::string narrow = ovs::narrowFromUtf8(text);
    ASSERT_FALSE(narrow.empty());
    EXPECT_EQ('x', narrow.back());
    // The narrow form converts back to the same wide text.
    std::wstring back(4, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), &back[0], 4);
    back.resize(static_cast<std::size_t>(length));
    EXPECT_EQ(std::wstring(L"\u00E4x"), back);

    const char stopped[] = {'a', '\0', 'b'};
    EXPECT_EQ(std::wstring(L"a"), ovs::wideFromUtf8(ovs::Utf8(stopped, 3)));
    EXPECT_EQ("a", ovs::narrowFromUtf8(ovs::Utf8(stopped, 3)));
    EXPECT_EQ(std::wstring(), ovs::wideFromUtf8(ovs::Utf8()));
    EXPECT_EQ(std::wstring(L"ab"), ovs::wideFrom(L"abc", 2));
}

TEST(NumberText, DecimalForms) {
    EXPECT_EQ("0", ovs::decimalText(0));
    EXPECT_EQ("-2147483648", ovs::decimalText(-2147483647 - 1));
    EXPECT_EQ("1234567", ovs::decimalText(1234567));
    EXPECT_EQ("007", ovs::decimalText(7, 3));
    EXPECT_EQ("-07", ovs::decimalText(-7, 3));
    EXPECT_EQ("2021", ovs::decimalText(2021, 2));
}

TEST(SharedStrings, EmptyAndLineEnd) {
    EXPECT_EQ("", ovs::emptyString());
    EXPECT_EQ(&ovs::emptyString(), &ovs::emptyString());
    EXPECT_EQ("\r\n", ovs::lineEnd());
}

TEST(StringOld, OwnsABufferFromTheCRuntime) {
    ovs::StringOld text("start");
    EXPECT_EQ(nullptr, text.buffer());
    std::strcpy(text.buffer(16), "formatted");
    text.takeBuffer();
    EXPECT_EQ("formatted", text);
    ovs::StringBase<char>* owned = new ovs::StringOld(text);
    EXPECT_EQ("formatted", *owned);
    delete owned; // released through the base
}

} // namespace
