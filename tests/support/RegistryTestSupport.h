// Test helpers for the registry: a private registry folder for the POSIX build (through
// OVS_REGISTRY_DIR; the Windows build ignores the variable and works in the registry of the
// build's own Wine prefix), writing a value, unique key names, and deletion of a key with all it holds.
#pragma once
#include "Conformance.h"
#include "TestFolders.h"
#include "platform/Win32.h"

#include <chrono>
#include <string>

namespace ovs::test {

// Points OVS_REGISTRY_DIR at a fresh folder for its lifetime and restores the old value.
class PrivateRegistry {
public:
    // The folder that holds the .reg files in the POSIX build.
    const TempFolder& folder() const { return folder_; }

private:
    TempFolder folder_;
    ScopedVariable variable_{"OVS_REGISTRY_DIR", folder_.native().string()};
};

// Writes a value under HKEY_LOCAL_MACHINE\keyPath, creating the key: a REG_SZ text with its terminating null, any
// other type with the bytes as given; view adds KEY_WOW64_32KEY or KEY_WOW64_64KEY.
inline void setMachineValue(const std::string& keyPath, const char* name, const std::string& bytes, DWORD type = REG_SZ,
                            REGSAM view = 0) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE | view,
                                             nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.c_str()),
                                            static_cast<DWORD>(bytes.size() + (type == REG_SZ ? 1 : 0))));
    RegCloseKey(key);
}

// A key name that no other test run uses.
inline std::string uniqueKeyName(const std::string& stem) {
    static unsigned counter = 0;
    return stem + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
           std::to_string(counter++);
}

// Deletes parent\name with every sub-key below it; ERROR_SUCCESS or the first error.
inline LSTATUS deleteKeyTree(HKEY parent, const std::string& name) {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | DELETE, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    for (;;) {
        char child[256];
        DWORD size = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        status = deleteKeyTree(key, child);
        if (status != ERROR_SUCCESS) {
            break;
        }
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, name.c_str());
}

} // namespace ovs::test
