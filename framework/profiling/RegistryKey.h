// One registry key opened by its full path ("HKEY_LOCAL_MACHINE\SOFTWARE\...") and read
// for text values. The root names known are those of RootKeyTable.
#pragma once
#include "platform/Win32.h"
#include "strings/StringBase.h"

#include <map>
#include <string>

namespace ovs {

// The process-wide table of root names: exactly HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE and HKEY_USERS, filled on the first RegistryKey::open.
class RootKeyTable {
public:
    // Fills the table when it is still empty.
    static void fill();
    // The predefined key of that root name; null for an unknown name.
    static HKEY find(const std::string& rootName);
    static std::size_t size();

private:
    static std::map<std::string, HKEY>& rows();
};

class RegistryKey {
public:
    // A read-only object opens for reading only and never creates a key.
    explicit RegistryKey(bool readOnly);
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    // Closes the key.
    ~RegistryKey();

    // Opens the key of the full path (closing one that is open), for reading and writing
    // unless read-only, in the 32-bit view under WOW64 when use32BitView is set (else the
    // 64-bit view); a key that cannot be opened is created unless read-only. A root name
    // not in RootKeyTable leaves the key closed without error. Throws ovs::Exception 1140
    // (path, Windows error code) when the key can be neither opened nor created.
    void open(const std::string& path, bool use32BitView);
    void close();

    // The text of a REG_SZ or REG_EXPAND_SZ value (not expanded) up to its first NUL; other
    // types give the empty text. Returns true. Throws ovs::Exception 1144 (value name) when
    // the value cannot be read, 1147 when it vanished between the two reads of a long value.
    bool readString(const std::string& name, String& text);

    // The access open asks for: read (0x20019) when read-only, else read and write (0x2001F);
    // under WOW64 plus KEY_WOW64_32KEY (0x200) with use32BitView, else KEY_WOW64_64KEY (0x100).
    static REGSAM accessFor(bool readOnly, bool use32BitView, bool underWow64);

    bool isOpen() const { return key_ != nullptr; }
    const String& path() const { return path_; }
    HKEY key() const { return key_; }

private:
    String path_;
    HKEY key_ = nullptr;
    const bool readOnly_;
};

} // namespace ovs
