// POSIX substitute: Windows' name-mask rules.
#include "platform/posix/file/FindWildcard.h"

#include <algorithm>
#include <cstdint>
#include <locale.h>
#include <vector>
#include <wctype.h>

namespace ovs::posix {

namespace {

// Names are UTF-8 (the ANSI code page here). A byte that starts no valid sequence stands for
// itself as U+DC00 plus the byte, which no letter maps to.
void codePointsOf(const std::string& text, std::vector<wchar_t>& result) {
    result.clear();
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            result.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        std::size_t length = lead < 0x80                     ? 1
                             : (lead >= 0xC2 && lead < 0xE0) ? 2
                             : (lead >= 0xE0 && lead < 0xF0) ? 3
                             : (lead >= 0xF0 && lead < 0xF5) ? 4
                                                             : 0;
        std::uint32_t value = length == 1   ? lead
                              : length == 2 ? lead & 0x1Fu
                              : length == 3 ? lead & 0x0Fu
                                            : lead & 0x07u;
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
}

// Windows compares names in upper case, letter by letter, for every script. The case table
// is that of the C library's UTF-8 locale, whatever locale the process itself has chosen;
// without one, ASCII letters only.
wchar_t upper(wchar_t c) {
    if (c < 0x80) {
        return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    }
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8 == static_cast<locale_t>(nullptr)) {
        return c;
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
    // A folder search matches every name against one mask: the buffers of the last call, and
    // what it learnt of its mask, serve the next one.
    struct Buffers {
        std::string lastMask;
        std::vector<wchar_t> dosMask;
        std::vector<wchar_t> upperMask;
        std::size_t star = 0;   // the one star of a mask of letters around it, else the mask's size
        std::size_t head = 0;   // the letters before the mask's first wildcard
        std::size_t tail = 0;   // the letters behind its last one (none when it has none)
        bool asciiMask = false; // the mask is ASCII throughout
        std::vector<wchar_t> name;
        std::vector<wchar_t> upperName;
        std::vector<char> reachable;
        std::vector<char> next;
    };
    thread_local Buffers buffers;
    // References, not a structured binding: the lambdas below capture them.
    std::string& lastMask = buffers.lastMask;
    std::vector<wchar_t>& dosMask = buffers.dosMask;
    std::vector<wchar_t>& upperMask = buffers.upperMask;
    std::size_t& star = buffers.star;
    std::size_t& head = buffers.head;
    std::size_t& tail = buffers.tail;
    bool& asciiMask = buffers.asciiMask;
    std::vector<wchar_t>& name = buffers.name;
    std::vector<wchar_t>& upperName = buffers.upperName;
    std::vector<char>& reachable = buffers.reachable;
    std::vector<char>& next = buffers.next;
    if (upperMask.empty() || maskText != lastMask) {
        codePointsOf(maskText, dosMask);
        upperMask.clear();
        for (wchar_t c : dosMask) {
            upperMask.push_back(upper(c));
        }
        lastMask = maskText;
        asciiMask = std::all_of(maskText.begin(), maskText.end(), [](char c) { return (c & 0x80) == 0; });
        auto wildcard = [](wchar_t token) {
            return token == '*' || token == dosStar || token == dosQm || token == dosDot;
        };
        const std::size_t size = dosMask.size();
        head = std::find_if(dosMask.begin(), dosMask.end(), wildcard) - dosMask.begin();
        tail = head == size ? 0 : std::find_if(dosMask.rbegin(), dosMask.rend(), wildcard) - dosMask.rbegin();
        // A mask of letters around one star needs no search.
        const bool oneStar = head + tail + 1 == size && (dosMask[head] == '*' || dosMask[head] == dosStar);
        star = oneStar ? head : size;
    }
    const std::size_t m = dosMask.size();
    // Every letter stands for one character: those before the mask's first wildcard begin the
    // name and those behind its last one end it, or nothing matches.
    auto lettersMatch = [&](std::size_t n, auto upperNameAt) {
        if (n < head + tail) {
            return false;
        }
        for (std::size_t i = 0; i < head; ++i) {
            if (upperNameAt(i) != upperMask[i]) {
                return false;
            }
        }
        for (std::size_t i = 0; i < tail; ++i) {
            if (upperNameAt(n - tail + i) != upperMask[m - tail + i]) {
                return false;
            }
        }
        return true;
    };
    // Around one star the letters decide, but that a DOS star's run holds no last dot.
    auto starRunTakes = [&](std::size_t n, std::size_t lastDot) {
        return dosMask[star] == '*' || lastDot == std::string::npos || lastDot < star || lastDot >= n - tail;
    };
    if (asciiMask && std::all_of(nameText.begin(), nameText.end(), [](char c) { return (c & 0x80) == 0; })) {
        // An ASCII name is its own code points: no conversion needed.
        const std::size_t n = nameText.size();
        if (!lettersMatch(n, [&nameText](std::size_t k) { return upper(static_cast<wchar_t>(nameText[k])); })) {
            return false;
        }
        if (star < m) {
            return starRunTakes(n, nameText.rfind('.'));
        }
    }
    codePointsOf(nameText, name);
    const std::size_t n = name.size();
    std::size_t lastDot = std::string::npos;
    upperName.clear();
    for (std::size_t k = 0; k < n; ++k) {
        if (name[k] == L'.') {
            lastDot = k;
        }
        upperName.push_back(upper(name[k]));
    }
    if (star < m) {
        return lettersMatch(n, [&](std::size_t k) { return upperName[k]; }) && starRunTakes(n, lastDot);
    }
    // reachable[j]: the mask prefix handled so far can end at name position j. Such positions
    // lie within [low, high]; none is left when low > high.
    reachable.assign(n + 1, 0);
    next.assign(n + 1, 0);
    reachable[0] = 1;
    std::size_t low = 0;
    std::size_t high = 0;
    for (std::size_t i = 0; i < m; ++i) {
        const wchar_t token = dosMask[i];
        std::fill(next.begin(), next.end(), 0);
        std::size_t nextLow = n + 1;
        std::size_t nextHigh = 0;
        auto reach = [&](std::size_t from, std::size_t to) {
            for (std::size_t k = from; k <= to; ++k) {
                next[k] = 1;
            }
            nextLow = std::min(nextLow, from);
            nextHigh = std::max(nextHigh, to);
        };
        for (std::size_t j = low; j <= high; ++j) {
            if (!reachable[j]) {
                continue;
            }
            switch (token) {
            case '*':
                // Everything from the first position reached on: no later one adds anything.
                reach(j, n);
                j = high;
                break;
            case dosStar: {
                // Before the last dot the run stops in front of it; behind it, anything goes.
                std::size_t limit = (lastDot == std::string::npos || j > lastDot) ? n : lastDot;
                reach(j, limit);
                break;
            }
            case dosQm:
                if (j == n || name[j] == '.') {
                    reach(j, j);
                } else {
                    reach(j + 1, j + 1);
                }
                break;
            case dosDot:
                if (j == n) {
                    reach(j, j);
                } else if (name[j] == '.') {
                    reach(j + 1, j + 1);
                }
                break;
            default:
                if (j < n && upperName[j] == upperMask[i]) {
                    reach(j + 1, j + 1);
                }
                break;
            }
        }
        reachable.swap(next);
        if (nextLow > nextHigh) {
            return false;
        }
        low = nextLow;
        high = nextHigh;
    }
    return reachable[n] != 0;
}

bool dosMaskListsDotEntries(const std::string& dosMask) {
    // Windows lists "." and ".." exactly for the masks that accept the name "." or, reading a
    // dosQm as nothing, the empty name ("?" lists them, "a?" does not).
    return dosMaskMatches(dosMask, ".") || dosMaskMatches(dosMask, "");
}

} // namespace ovs::posix
