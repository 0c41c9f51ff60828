// POSIX substitute: the full-path computation behind GetFullPathNameA, as pure text, so that
// every file function can first turn its Windows path into the full form Windows would use.
#pragma once
#include <string>
#include <string_view>

namespace ovs::posix {

// The full form of a Windows path against the given current folder (itself a full path such as
// "Z:\home\u" or "\\srv\share\x"): "\" and "/" both split, repeated separators collapse, "."
// components vanish, ".." removes the component before it (never the root), a component
// before a separator loses one trailing dot, and the last component loses its trailing dots
// and spaces. "\\?\" paths are returned unchanged. An empty path gives the empty text.
std::string fullPathText(const std::string& path, const std::string& currentFolder);

// True for a drive path that is its own full form ("X:\dir\name": "\" alone separates, no
// component is empty or ends with a dot, the last one not with a space).
bool inFullForm(std::string_view path);

// The process's current folder in its Z: form ("Z:\home\u").
std::string currentFolderText();

// The full form of a Windows path against the process's current folder, which is asked for
// only when the path depends on it (not for "X:\..." nor for "\\server\share" paths).
std::string fullPathText(const std::string& path);

} // namespace ovs::posix
