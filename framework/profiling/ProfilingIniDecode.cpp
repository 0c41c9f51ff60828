// Decoding of loaded bytes for the INI text store: byte-order marks and UTF-16 without mark
// are recognised; the result is the program's narrow text (ANSI code page). Writing never
// adds a mark.
#include "profiling/ProfilingIni.h"

#include "platform/Win32.h"

#include <string>

namespace ovs {

namespace {

// Wide text in the platform's wchar_t form; unpaired surrogates become U+FFFD where
// wchar_t holds whole code points.
std::wstring wideOfUtf16(const unsigned char* bytes, std::size_t length, bool bigEndian) {
    std::wstring wide;
    wide.reserve(length / 2);
    const std::size_t units = length / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const unsigned char* p = bytes + 2 * i;
        std::uint32_t unit = bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
        if constexpr (sizeof(wchar_t) == 2) {
            wide += static_cast<wchar_t>(unit);
        } else {
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
                const unsigned char* q = p + 2;
                std::uint32_t next = bigEndian ? (q[0] << 8 | q[1]) : (q[1] << 8 | q[0]);
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    wide += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                    ++i;
                    continue;
                }
            }
            if (unit >= 0xD800 && unit <= 0xDFFF) {
                unit = 0xFFFD;
            }
            wide += static_cast<wchar_t>(unit);
        }
    }
    return wide;
}

String narrowOfWide(const std::wstring& wide) {
    if (wide.empty()) {
        return String();
    }
    int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return String();
    }
    String narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &narrow[0], size, nullptr, nullptr);
    return narrow;
}

String narrowOfUtf8(const char* bytes, std::size_t length) {
    if (length == 0) {
        return String();
    }
    int size = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(length), nullptr, 0);
    if (size <= 0) {
        return String();
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(length), &wide[0], size);
    return narrowOfWide(wide);
}

} // namespace

String ProfilingIni::decodeText(const void* data, std::size_t length) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        return narrowOfUtf8(reinterpret_cast<const char*>(bytes) + 3, length - 3);
    }
    if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        return narrowOfWide(wideOfUtf16(bytes + 2, length - 2, false));
    }
    if (length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        return narrowOfWide(wideOfUtf16(bytes + 2, length - 2, true));
    }
    if (length >= 2 && bytes[0] == 0 && bytes[1] != 0) {
        return narrowOfWide(wideOfUtf16(bytes, length, true));
    }
    if (length >= 2 && bytes[0] != 0 && bytes[1] == 0) {
        return narrowOfWide(wideOfUtf16(bytes, length, false));
    }
    return String(reinterpret_cast<const char*>(bytes), length);
}

String ProfilingIni::decodeText(std::string&& bytes) {
    const std::size_t length = bytes.size();
    const unsigned char first = length > 0 ? static_cast<unsigned char>(bytes[0]) : 1;
    const unsigned char second = length > 1 ? static_cast<unsigned char>(bytes[1]) : 1;
    const bool marked = first == 0xEF || first == 0xFF || first == 0xFE;
    const bool wide = length >= 2 && ((first == 0) != (second == 0));
    if (marked || wide) {
        return decodeText(bytes.data(), length);
    }
    return String(std::move(bytes));
}

} // namespace ovs
