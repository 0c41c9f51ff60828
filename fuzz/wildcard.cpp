// Name masks: the converted mask must match exactly the names a plain backtracking matcher of
// the same wildcard rules accepts. Input: mask, "\n", name.
#include "platform/posix/file/FindWildcard.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

using namespace ovs::posix;

namespace {

struct Reference {
    const std::string& mask;
    const std::string& name;
    std::size_t lastDot;
    std::set<std::pair<std::size_t, std::size_t>> failed;

    static char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

    bool match(std::size_t i, std::size_t j) {
        if (i == mask.size()) {
            return j == name.size();
        }
        if (failed.count({i, j}) != 0) {
            return false;
        }
        bool ok = false;
        const char token = mask[i];
        if (token == '*' || token == dosStar) {
            for (std::size_t k = j; k <= name.size() && !ok; ++k) {
                // dosStar: the run [j, k) must not contain the name's last dot
                if (token == dosStar && lastDot != std::string::npos && j <= lastDot && lastDot < k) {
                    break;
                }
                ok = match(i + 1, k);
            }
        } else if (token == dosQm) {
            ok = (j == name.size() || name[j] == '.') ? match(i + 1, j) : match(i + 1, j + 1);
        } else if (token == dosDot) {
            ok = j == name.size() ? match(i + 1, j) : (name[j] == '.' && match(i + 1, j + 1));
        } else {
            ok = j < name.size() && lower(name[j]) == lower(token) && match(i + 1, j + 1);
        }
        if (!ok) {
            failed.insert({i, j});
        }
        return ok;
    }
};

bool plainEqual(std::string mask, const std::string& name) {
    while (!mask.empty() && (mask.back() == '.' || mask.back() == ' ')) {
        mask.pop_back();
    }
    if (mask.size() != name.size()) {
        return false;
    }
    for (std::size_t k = 0; k < mask.size(); ++k) {
        if (Reference::lower(mask[k]) != Reference::lower(name[k])) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\n');
    if (cut == std::string::npos || size > 256) {
        return 0;
    }
    // Beyond ASCII the matcher works letter by letter on UTF-8 with Unicode case, which this
    // byte-wise reference does not model.
    for (std::size_t k = 0; k < size; ++k) {
        if (data[k] >= 0x80) {
            return 0;
        }
    }
    const std::string mask = input.substr(0, cut);
    const std::string name = input.substr(cut + 1);
    const std::string dos = dosMaskFrom(mask);
    Reference reference{dos, name, name.find_last_of('.'), {}};
    DosMask prepared(dos);
    const bool matches = prepared.matches(name);
    if (matches != reference.match(0, 0)) {
        std::abort();
    }
    // A mask answers each name alone: another name before it changes nothing.
    prepared.matches(dos + name);
    if (prepared.matches(name) != matches) {
        std::abort();
    }
    // Without wildcards a mask names one file: the name itself, less trailing dots and spaces.
    if (mask.find_first_of("*?<>\"") == std::string::npos && matches != plainEqual(mask, name)) {
        std::abort();
    }
    dosMaskListsDotEntries(dos);
    return 0;
}
