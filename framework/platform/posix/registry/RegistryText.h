// POSIX substitute: one registry root in memory and its REGEDIT4 text form, the format of
// Windows' own .reg files (so that the same file imports into Wine with "regedit /s").
//
//     REGEDIT4
//
//     [HKEY_CURRENT_USER\Software\Example]
//     @="default value"
//     "Text"="C:\\Program Files\\x"
//     "Count"=dword:0000002a
//     "Big"=hex(b):01,00,00,00,00,00,00,00
//     "Blob"=hex:de,ad
//     "Path"=hex(2):25,54,4d,50,25,00
//
// Key and value names compare without regard to case (ASCII letters), the spelling of the
// first creation is kept. Every key is listed, empty ones too; a key listed without its
// parents implies them. On reading, "[-KEY]" deletes a key with its sub-keys, "name"=-
// deletes a value, lines starting with ";" are comments, a line ending in "\" continues on
// the next one. Sections of other roots are ignored.
//
// Windows' standard keys below the roots (HKEY_LOCAL_MACHINE\SOFTWARE, HKEY_CURRENT_USER\Software,
// ...) always exist, also without a file; they are written only when they hold something.
#pragma once
#include "platform/posix/base/WinBase.h"

#include <map>
#include <string>
#include <vector>

namespace ovs::posix {

struct RegistryValue {
    std::string name; // empty: the default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct RegistryKeyData {
    std::string path;                  // below the root, components joined by "\"; empty for the root itself
    std::vector<RegistryValue> values; // in order of creation

    RegistryValue* findValue(const std::string& name);
    // false when there is no such value
    bool eraseValue(const std::string& name);
    // false when the value already held exactly this type and data
    bool setValue(const std::string& name, DWORD type, std::vector<BYTE> data);
};

class RegistryText {
public:
    // rootName: "HKEY_CURRENT_USER" and so on. The root key itself always exists.
    explicit RegistryText(std::string rootName);

    const std::string& rootName() const { return rootName_; }

    // The key at path (components split at "\", empty components ignored), or null.
    RegistryKeyData* find(const std::string& path);
    // The key at path, created with every missing level; created tells whether the key
    // itself is new.
    RegistryKeyData& create(const std::string& path, bool& created);
    // The names of the direct sub-keys, ordered as Windows enumerates them (case-folded).
    std::vector<std::string> subKeyNames(const std::string& path) const;
    // Removes the key and everything below it; false when it does not exist. A standard key
    // is emptied but stays.
    bool erase(const std::string& path);
    // Whether path names one of the root's standard keys.
    bool isStandardKey(const std::string& path) const;

    // Reads REGEDIT4 (or "Windows Registry Editor Version 5.00") text into this root. False
    // when the text is not such a file: no header line, or a line that cannot be read (what
    // was read up to it stays). An empty text is an empty file.
    bool load(const std::string& text);
    // The whole root as REGEDIT4 text.
    std::string format() const;

    // The canonical form of a path: empty components removed, ASCII letters upper case.
    static std::string foldedPath(const std::string& path);

private:
    const std::vector<std::string>& standardKeys() const;
    void addStandardKeys();

    std::string rootName_;
    std::map<std::string, RegistryKeyData> keys_; // by folded path; parents sort before children
};

} // namespace ovs::posix
