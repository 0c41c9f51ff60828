// Texts compared and trimmed by their ASCII letters and blanks alone, as the C locale does: names
// of sections, entries and options, and the lines they stand on.
#pragma once
#include <string_view>

namespace ovs {

// The letter in lower case; any other character as it is.
inline char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal when the ASCII letters are compared without regard to case.
inline bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// The text without the blanks (spaces and tabs) at either end.
inline std::string_view trimmedBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    std::size_t last = text.find_last_not_of(" \t");
    return first == std::string_view::npos ? std::string_view() : text.substr(first, last - first + 1);
}

} // namespace ovs
