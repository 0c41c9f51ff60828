// Conversions between UTF-8, wide and narrow text over the Windows conversion functions.
#include "runtime/Utf8Conversion.h"
#include "platform/Win32.h"
#include "runtime/Singleton.h"

#include <cstring>
#include <vector>

namespace ovs {
namespace {

constexpr UINT ansiCodePage = 0;
constexpr UINT utf8CodePage = 65001;
constexpr DWORD compositeCheck = 0x200;

StringBase<wchar_t> wideOf(const Utf8& text) {
    if (text.length() == 0) {
        return StringBase<wchar_t>();
    }
    int length = static_cast<int>(text.length());
    int needed = MultiByteToWideChar(utf8CodePage, 0, text.text(), length, nullptr, 0);
    if (needed <= 0) {
        return StringBase<wchar_t>();
    }
    std::vector<wchar_t> buffer(static_cast<std::size_t>(needed));
    int written = MultiByteToWideChar(utf8CodePage, 0, text.text(), length, buffer.data(), needed);
    return written <= 0 ? StringBase<wchar_t>() : StringBase<wchar_t>(buffer.data(), static_cast<std::size_t>(written));
}

} // namespace

void Utf8::assign(const char* bytes, std::size_t count) {
    std::size_t used = 0;
    if (bytes != nullptr) {
        const void* zero = std::memchr(bytes, 0, count);
        used = zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes) : count;
    }
    bytes_.assign(bytes, bytes + used);
    bytes_.push_back('\0');
}

Utf8Conversion<Utf8, StringBase<char>>& Utf8Conversion<Utf8, StringBase<char>>::instance() {
    return TSingleton<Utf8Conversion>::instance();
}

StringBase<char> Utf8Conversion<Utf8, StringBase<char>>::convert(const Utf8& text) const {
    StringBase<wchar_t> wide = wideOf(text);
    if (wide.empty()) {
        return StringBase<char>();
    }
    int length = static_cast<int>(wide.size());
    int needed = WideCharToMultiByte(ansiCodePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return StringBase<char>();
    }
    std::vector<char> buffer(static_cast<std::size_t>(needed));
    int written = WideCharToMultiByte(ansiCodePage, 0, wide.data(), length, buffer.data(), needed, nullptr, nullptr);
    return written <= 0 ? StringBase<char>() : StringBase<char>(buffer.data(), static_cast<std::size_t>(written));
}

Utf8Conversion<Utf8, StringBase<wchar_t>>& Utf8Conversion<Utf8, StringBase<wchar_t>>::instance() {
    return TSingleton<Utf8Conversion>::instance();
}

StringBase<wchar_t> Utf8Conversion<Utf8, StringBase<wchar_t>>::convert(const Utf8& text) const {
    return wideOf(text);
}

StringBase<char> narrowFromWide(const std::wstring& text) {
    if (text.empty()) {
        return StringBase<char>();
    }
    // One wide character can take up to four bytes (UTF-8 as the ANSI code page), so the
    // size is asked for first rather than guessed.
    int length = static_cast<int>(text.size());
    int needed = WideCharToMultiByte(ansiCodePage, compositeCheck, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::vector<char> buffer(needed > 0 ? static_cast<std::size_t>(needed) : 0);
    int written = needed <= 0 ? 0
                              : WideCharToMultiByte(ansiCodePage, compositeCheck, text.data(), length, buffer.data(),
                                                    needed, nullptr, nullptr);
    if (written <= 0) {
        return StringBase<char>(text.size(), '?');
    }
    std::size_t used = 0; // up to the first zero byte
    while (used < static_cast<std::size_t>(written) && buffer[used] != '\0') {
        ++used;
    }
    return StringBase<char>(buffer.data(), used);
}

StringBase<char> narrowFromUtf8(const Utf8& text) {
    return Utf8Conversion<Utf8, StringBase<char>>::instance().convert(text);
}

StringBase<wchar_t> wideFromUtf8(const Utf8& text) {
    return Utf8Conversion<Utf8, StringBase<wchar_t>>::instance().convert(text);
}

StringBase<wchar_t> wideFrom(const wchar_t* characters, std::size_t count) {
    return characters == nullptr ? StringBase<wchar_t>() : StringBase<wchar_t>(characters, count);
}

const StringBase<char>& emptyString() {
    static const StringBase<char>* empty = new StringBase<char>; // lives to the end of the process
    return *empty;
}

const StringBase<char>& lineEnd() {
    StringBase<char>& text = TSingleton<StringBase<char>>::instance();
    if (text.empty()) {
        text = "\r\n";
    }
    return text;
}

} // namespace ovs
