// POSIX substitute: Windows' name-mask rules for FindFirstFileA. A mask is first turned into
// the file system's form, in which three DOS wildcards carry the old 8.3 meanings, then matched
// against names character by character (UTF-8) without regard to case.
#pragma once
#include <string>

namespace ovs::posix {

// The DOS wildcards of a converted mask.
constexpr char dosStar = '<'; // any run that does not swallow the name's last dot
constexpr char dosQm = '>';   // one character, or nothing at a dot or at the end of the name
constexpr char dosDot = '"';  // a dot, or nothing at the end of the name

// Converts a mask: trailing dots and spaces go (remembering a final dot), "*.*" becomes "*",
// "?" becomes dosQm, "." before "?" or "*" becomes dosDot, and "*" before a dot (or before the
// removed final dot) becomes dosStar.
std::string dosMaskFrom(const std::string& mask);

// True when the converted mask matches the whole name.
bool dosMaskMatches(const std::string& dosMask, const std::string& name);

// True when a search with this converted mask lists the entries "." and "..".
bool dosMaskListsDotEntries(const std::string& dosMask);

} // namespace ovs::posix
