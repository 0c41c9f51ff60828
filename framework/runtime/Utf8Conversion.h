// UTF-8 text and its conversions to wide text and to narrow text in the ANSI code page.
// Conversions never raise: a failed wide-to-narrow conversion gives one "?" per character,
// a failed UTF-8 conversion the empty string.
#pragma once
#include "strings/StringBase.h"

#include <cstddef>
#include <vector>

namespace ovs {

// UTF-8 bytes followed by one zero byte.
class Utf8 {
public:
    Utf8() = default;
    Utf8(const char* bytes, std::size_t count) { assign(bytes, count); }
    // Copies the bytes up to the first zero byte within count and appends the zero byte.
    void assign(const char* bytes, std::size_t count);
    // Bytes without the zero byte.
    std::size_t length() const { return bytes_.empty() ? 0 : bytes_.size() - 1; }
    // The zero-terminated text; the empty text for an empty buffer.
    const char* text() const { return bytes_.empty() ? "" : bytes_.data(); }

private:
    std::vector<char> bytes_;
};

template <class From, class To> class Utf8Conversion;

// UTF-8 to narrow text (process-wide: instance()).
template <> class Utf8Conversion<Utf8, StringBase<char>> {
public:
    static Utf8Conversion& instance();
    // Characters the ANSI code page lacks become its default character.
    StringBase<char> convert(const Utf8& text) const;
};

// UTF-8 to wide text (process-wide: instance()).
template <> class Utf8Conversion<Utf8, StringBase<wchar_t>> {
public:
    static Utf8Conversion& instance();
    StringBase<wchar_t> convert(const Utf8& text) const;
};

// Narrow text in the ANSI code page; "?" for every character when the conversion fails.
StringBase<char> narrowFromWide(const std::wstring& text);
StringBase<char> narrowFromUtf8(const Utf8& text);
StringBase<wchar_t> wideFromUtf8(const Utf8& text);
StringBase<wchar_t> wideFrom(const wchar_t* characters, std::size_t count);

// The process-wide empty string, returned wherever "no text" is meant.
const StringBase<char>& emptyString();
// The process-wide line end "\r\n".
const StringBase<char>& lineEnd();

} // namespace ovs
