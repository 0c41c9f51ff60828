// POSIX substitute: UTF-16LE files to UTF-8 text and back.
#include "platform/posix/base/FileEncoding.h"

namespace ovs::posix {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// UTF-16LE bytes after the byte-order mark to UTF-8; broken surrogates become U+FFFD.
std::string utf8FromUtf16LE(const std::string& bytes) {
    std::string out;
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// UTF-8 text to UTF-16LE bytes with a byte-order mark; invalid bytes become U+FFFD.
std::string utf16LEFromUtf8(const std::string& text) {
    std::string out("\xFF\xFE", 2);
    auto put = [&out](char16_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    };
    for (std::size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
        char32_t c = 0xFFFD;
        if (length != 0 && i + length <= text.size()) {
            c = length == 1 ? lead : (lead & (0x7F >> length));
            for (std::size_t k = 1; k < length; ++k) {
                unsigned char next = static_cast<unsigned char>(text[i + k]);
                if ((next & 0xC0) != 0x80) {
                    c = 0xFFFD;
                    length = k;
                    break;
                }
                c = (c << 6) | (next & 0x3F);
            }
        } else {
            length = 1;
        }
        i += length;
        if (c >= 0x10000 && c != 0xFFFD) {
            c -= 0x10000;
            put(static_cast<char16_t>(0xD800 + (c >> 10)));
            put(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            put(static_cast<char16_t>(c));
        }
    }
    return out;
}

} // namespace

FileEncoding fileEncodingOf(const std::string& bytes) {
    return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE' ? FileEncoding::Utf16LE : FileEncoding::Ansi;
}

std::string textFromFileBytes(const std::string& bytes) {
    return fileEncodingOf(bytes) == FileEncoding::Utf16LE ? utf8FromUtf16LE(bytes) : bytes;
}

std::string fileBytesFromText(const std::string& text, FileEncoding encoding) {
    return encoding == FileEncoding::Utf16LE ? utf16LEFromUtf8(text) : text;
}

} // namespace ovs::posix
