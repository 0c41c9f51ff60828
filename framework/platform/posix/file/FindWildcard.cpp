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

bool isWildcard(wchar_t token) {
    return token == '*' || token == dosStar || token == dosQm || token == dosDot;
}

inline bool isAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
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

DosMask::DosMask(const std::string& dosMask) : ascii_(isAscii(dosMask)) {
    codePointsOf(dosMask, tokens_);
    for (wchar_t c : tokens_) {
        upperTokens_.push_back(upper(c));
    }
    const std::size_t size = tokens_.size();
    head_ = std::find_if(tokens_.begin(), tokens_.end(), isWildcard) - tokens_.begin();
    tail_ = head_ == size ? 0 : std::find_if(tokens_.rbegin(), tokens_.rend(), isWildcard) - tokens_.rbegin();
    oneStar_ = head_ + tail_ + 1 == size && (tokens_[head_] == '*' || tokens_[head_] == dosStar);
}

// The cheapest step that decides comes first: the letters at the two ends of an ASCII name are
// compared in place, a mask of letters around one star needs no more than its ends, and any
// other mask is searched position by position.
bool DosMask::matches(const std::string& name) {
    if (ascii_ && isAscii(name)) {
        // An ASCII name is its own code points: its letters are compared without a conversion.
        const auto upperAt = [&name](std::size_t k) { return upper(static_cast<wchar_t>(name[k])); };
        if (!endsMatch(name.size(), upperAt)) {
            return false;
        }
        if (oneStar_) {
            return starRunTakes(name.size(), name.rfind('.'));
        }
    }
    takeName(name);
    if (oneStar_) {
        const auto upperAt = [this](std::size_t k) { return upperName_[k]; };
        return endsMatch(name_.size(), upperAt) && starRunTakes(name_.size(), lastDot_);
    }
    return searchMatches();
}

// Every letter stands for one character: those before the mask's first wildcard begin the
// name and those behind its last one end it, or nothing matches.
template <class UpperAt> bool DosMask::endsMatch(std::size_t length, UpperAt upperAt) const {
    if (length < head_ + tail_) {
        return false;
    }
    for (std::size_t i = 0; i < head_; ++i) {
        if (upperAt(i) != upperTokens_[i]) {
            return false;
        }
    }
    const std::size_t size = tokens_.size();
    for (std::size_t i = 0; i < tail_; ++i) {
        if (upperAt(length - tail_ + i) != upperTokens_[size - tail_ + i]) {
            return false;
        }
    }
    return true;
}

// Around one star the letters decide, but that a DOS star's run holds no last dot.
bool DosMask::starRunTakes(std::size_t length, std::size_t lastDot) const {
    return tokens_[head_] == '*' || lastDot == std::string::npos || lastDot < head_ || lastDot >= length - tail_;
}

void DosMask::takeName(const std::string& name) {
    codePointsOf(name, name_);
    const std::size_t n = name_.size();
    std::size_t lastDot = std::string::npos;
    upperName_.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        if (name_[k] == L'.') {
            lastDot = k;
        }
        upperName_[k] = upper(name_[k]);
    }
    lastDot_ = lastDot;
}

// The positions [from, to] of the name in hand that a token of the mask leads to from
// position at; false when it leads nowhere.
bool DosMask::leads(wchar_t token, wchar_t upperToken, std::size_t at, std::size_t& from, std::size_t& to) const {
    const std::size_t n = name_.size();
    from = at;
    to = at;
    switch (token) {
    case '*': to = n; return true;
    case dosStar:
        // Before the last dot the run stops in front of it; behind it, anything goes.
        to = (lastDot_ == std::string::npos || at > lastDot_) ? n : lastDot_;
        return true;
    case dosQm:
        if (at < n && name_[at] != '.') {
            from = to = at + 1;
        }
        return true;
    case dosDot:
        if (at == n) {
            return true;
        }
        from = to = at + 1;
        return name_[at] == '.';
    default: from = to = at + 1; return at < n && upperName_[at] == upperToken;
    }
}

// The general search, token by token over the name in hand.
bool DosMask::searchMatches() {
    // reachable_[j]: the tokens handled so far can end at name position j. Such positions lie
    // within [low, high]; none is left when low > high.
    const std::size_t n = name_.size();
    reachable_.assign(n + 1, 0);
    next_.assign(n + 1, 0);
    reachable_[0] = 1;
    std::size_t low = 0;
    std::size_t high = 0;
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
        const wchar_t token = tokens_[i];
        const wchar_t upperToken = upperTokens_[i];
        // Through plain pointers: a store of a char could otherwise be a store into this object.
        const char* const reachable = reachable_.data();
        char* const next = next_.data();
        std::fill(next, next + n + 1, 0);
        std::size_t nextLow = n + 1;
        std::size_t nextHigh = 0;
        for (std::size_t j = low; j <= high; ++j) {
            std::size_t from = 0;
            std::size_t to = 0;
            if (!reachable[j] || !leads(token, upperToken, j, from, to)) {
                continue;
            }
            for (std::size_t k = from; k <= to; ++k) {
                next[k] = 1;
            }
            nextLow = std::min(nextLow, from);
            nextHigh = std::max(nextHigh, to);
            if (token == '*') {
                break; // a star reaches everything from the first position on: later ones add nothing
            }
        }
        reachable_.swap(next_);
        if (nextLow > nextHigh) {
            return false;
        }
        low = nextLow;
        high = nextHigh;
    }
    return reachable_[n] != 0;
}

bool dosMaskListsDotEntries(const std::string& dosMask) {
    // Windows lists "." and ".." exactly for the masks that accept the name "." or, reading a
    // dosQm as nothing, the empty name ("?" lists them, "a?" does not).
    DosMask mask(dosMask);
    return mask.matches(".") || mask.matches("");
}

} // namespace ovs::posix
