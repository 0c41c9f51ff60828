// POSIX substitute: Windows' name-mask rules.
#include "platform/posix/file/FindWildcard.h"

#include <vector>

namespace ovs::posix {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
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

bool dosMaskMatches(const std::string& dosMask, const std::string& name) {
    const std::size_t m = dosMask.size();
    const std::size_t n = name.size();
    const std::size_t lastDot = name.find_last_of('.');
    // reachable[j]: the mask prefix handled so far can end at name position j.
    std::vector<char> reachable(n + 1, 0);
    std::vector<char> next(n + 1, 0);
    reachable[0] = 1;
    for (std::size_t i = 0; i < m; ++i) {
        char token = dosMask[i];
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
                if (j < n && lower(name[j]) == lower(token)) {
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
