// POSIX substitute: the two encodings of Windows' text files that the stores read, ANSI
// (UTF-8 here) and UTF-16LE recognised by its byte-order mark, as Windows' profile functions
// and regedit read them. Text inside the layer is always UTF-8.
#pragma once
#include <string>

namespace ovs::posix {

enum class FileEncoding { Ansi, Utf16LE };

// Utf16LE when the bytes start with the byte-order mark FF FE.
FileEncoding fileEncodingOf(const std::string& bytes);

// The text of a file's bytes: UTF-16LE (after its byte-order mark) decoded to UTF-8, broken
// surrogates as U+FFFD; any other bytes unchanged.
std::string textFromFileBytes(const std::string& bytes);

// The bytes of a file in the given encoding: UTF-16LE with a byte-order mark (invalid UTF-8
// bytes as U+FFFD), or the text unchanged.
std::string fileBytesFromText(const std::string& text, FileEncoding encoding);

} // namespace ovs::posix
