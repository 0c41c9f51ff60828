// POSIX substitute: Windows' name-mask rules.
#include "platform/posix/file/FindWildcard.h"

#include <cstdint>
#include <locale.h>
#include <vector>
#include <wctype.h>

namespace ovs::posix {

namespace {

// Names are UTF-8 (the ANSI code page here). A byte that starts no valid sequence stands for
// itself as U+DC00 plus the byte, which no letter maps to.
std::vector<wchar_t> codePointsOf(const std::string& text) {
    std::vector<wchar_t> result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >= 0xC2 && lead < 0xE0) ? 2 : (lead >= 0xE0 && lead < 0xF0) ? 3
                                                                             : (lead >= 0xF0 && lead < 0xF5) ? 4 : 0;
        std::uint32_t value = length == 1 ? lead : length == 2 ? lead & 0x1Fu : length == 3 ? lead & 0x0Fu : lead & 0x07u;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
            if ((next & 0xC0) != 0x80) {
                length = 0;
                break;
            }
            value = (value << 6) | (next & 0x3Fu);
        }
        const bool valid = length != 0 && !(length == 3 && (value < 0x800 || (value >= 0xD800 && value < 0xE000))) &&
                           !(length == 4 && (value < 0x10000 || value > 0x10FFFF));
        result.push_back(valid ? static_cast<wchar_t>(value) : static_cast<wchar_t>(0xDC00 + lead));
        i += valid ? length : 1;
    }
    return result;
}

// Windows compares names in upper case, letter by letter, for every script. The case table
// is that of the C library's UTF-8 locale, whatever locale the process itself has chosen;
// without one, ASCII letters only.
wchar_t upper(wchar_t c) {
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (c < 0x80 || utf8 == static_cast<locale_t>(nullptr)) {
        return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    }
    return static_cast<wchar_t>(::towupper_l(static_cast<wint_t>(c), utf8));
}

} // namespace

std::string dosMaskFrom(const std::string& mask) {
    std::string text = mask;
    bool endedWithDot = !text.empty() && text.back() == '.';
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) {
        text.pop_back();
    }
    if (text == "*.*") {
        return "*";
    }
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool atEnd = i + 1 == text.size();
        char next = atEnd ? '\0' : text[i + 1];
        if (c == '?') {
            result += dosQm;
        } else if (c == '.' && (next == '?' || next == '*')) {
            result += dosDot;
        } else if (c == '*' && (next == '.' || (atEnd && endedWithDot))) {
            result += dosStar;
        } else {
            result += c;
        }
    }
    return result;
}

bool dosMaskMatches(const std::string& maskText, const std::string& nameText) {
    const std::vector<wchar_t> dosMask = codePointsOf(maskText);
    const std::vector<wchar_t> name = codePointsOf(nameText);
    const std::size_t m = dosMask.size();
    const std::size_t n = name.size();
    std::size_t lastDot = std::string::npos;
    for (std::size_t k = 0; k < n; ++k) {
        if (name[k] == L'.') {
            lastDot = k;
        }
    }
    // reachable[j]: the mask prefix handled so far can end at name position j.
    std::vector<char> reachable(n + 1, 0);
    std::vector<char> next(n + 1, 0);
    reachable[0] = 1;
    for (std::size_t i = 0; i < m; ++i) {
        const wchar_t token = dosMask[i];
        std::fill(next.begin(), next.end(), 0);
        for (std::size_t j = 0; j <= n; ++j) {
            if (!reachable[j]) {
                continue;
            }
            switch (token) {
            case '*':
                for (std::size_t k = j; k <= n; ++k) {
                    next[k] = 1;
                }
                break;
            case dosStar: {
                // Before the last dot the run stops in front of it; behind it, anything goes.
                std::size_t limit = (lastDot == std::string::npos || j > lastDot) ? n : lastDot;
                for (std::size_t k = j; k <= limit; ++k) {
                    next[k] = 1;
                }
                break;
            }
            case dosQm:
                if (j == n || name[j] == '.') {
                    next[j] = 1;
                } else {
                    next[j + 1] = 1;
                }
                break;
            case dosDot:
                if (j == n) {
                    next[j] = 1;
                } else if (name[j] == '.') {
                    next[j + 1] = 1;
                }
                break;
            default:
                if (j < n && upper(name[j]) == upper(token)) {
                    next[j + 1] = 1;
                }
                break;
            }
        }
        reachable.swap(next);
    }
    return reachable[n] != 0;
}

bool dosMaskListsDotEntries(const std::string& dosMask) {
    // Windows lists "." and ".." exactly for the masks that accept the name "." or, reading a
    // dosQm as nothing, the empty name ("?" lists them, "a?" does not).
    return dosMaskMatches(dosMask, ".") || dosMaskMatches(dosMask, "");
}

} // namespace ovs::posix
