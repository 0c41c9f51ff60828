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

// The text without the blanks (spaces and tabs) at either end. (A plain loop: the character-set
// search of find_first_not_of costs a search of the set for every character.)
inline std::string_view trimmedBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace ovs
