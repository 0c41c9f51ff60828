// POSIX substitute: Windows' name-mask rules for FindFirstFileA. A mask is first turned into
// the file system's form, in which three DOS wildcards carry the old 8.3 meanings, then matched
// against names character by character (UTF-8) without regard to case.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace ovs::posix {

// The DOS wildcards of a converted mask.
constexpr char dosStar = '<'; // any run that does not swallow the name's last dot
constexpr char dosQm = '>';   // one character, or nothing at a dot or at the end of the name
constexpr char dosDot = '"';  // a dot, or nothing at the end of the name

// Converts a mask: trailing dots and spaces go (remembering a final dot), "*.*" becomes "*",
// "?" becomes dosQm, "." before "?" or "*" becomes dosDot, and "*" before a dot (or before the
// removed final dot) becomes dosStar.
std::string dosMaskFrom(const std::string& mask);

// A converted mask made ready for the names of one folder search: its characters and their
// upper case, the letters fixed at its two ends, and whether it is one star between letters.
class DosMask {
public:
    explicit DosMask(const std::string& dosMask);

    // True when the mask matches the whole name. Not const: the buffers of a name serve the next.
    bool matches(const std::string& name);

private:
    template <class UpperAt> bool endsMatch(std::size_t length, UpperAt upperAt) const;
    bool starRunTakes(std::size_t length, std::size_t lastDot) const;
    void takeName(const std::string& name);
    bool leads(wchar_t token, wchar_t upperToken, std::size_t at, std::size_t& from, std::size_t& to) const;
    bool searchMatches();

    std::vector<wchar_t> tokens_;
    std::vector<wchar_t> upperTokens_;
    std::size_t head_ = 0; // the letters before the first wildcard
    std::size_t tail_ = 0; // the letters behind the last one (none without a wildcard)
    bool oneStar_ = false; // letters around one star, where the letters alone decide
    bool ascii_ = false;   // the mask is ASCII throughout
    // The name in hand: its characters, their upper case and its last dot.
    std::vector<wchar_t> name_;
    std::vector<wchar_t> upperName_;
    std::size_t lastDot_ = std::string::npos;
    // The positions of the name the tokens so far can end at, and those of the next token.
    std::vector<char> reachable_;
    std::vector<char> next_;
};

// True when a search with this converted mask lists the entries "." and "..".
bool dosMaskListsDotEntries(const std::string& dosMask);

} // namespace ovs::posix
