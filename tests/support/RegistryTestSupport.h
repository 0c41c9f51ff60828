// Test helpers for the registry: a private registry folder for the POSIX build (through
// OVS_REGISTRY_DIR; the Windows build ignores the variable and works in the registry of the
// build's own Wine prefix), writing and reading a value, unique key names, and deletion of a key with all it holds.
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

// Writes a value under root\keyPath, creating the key: a REG_SZ text with its terminating null, any other type with
// the bytes as given; view adds KEY_WOW64_32KEY or KEY_WOW64_64KEY.
inline void setValue(HKEY root, const std::string& keyPath, const char* name, const std::string& bytes,
                     DWORD type = REG_SZ, REGSAM view = 0) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.c_str()),
                                            static_cast<DWORD>(bytes.size() + (type == REG_SZ ? 1 : 0))));
    RegCloseKey(key);
}

// True when the registry has a 32-bit and a 64-bit view: on 64-bit Windows, for a 64-bit program
// and for a 32-bit one under WOW64. The substitute has one, as 32-bit Windows has.
inline bool registryHasTwoViews() {
    BOOL wow64 = FALSE;
    return !ovs::platform::isPosixSubstitute() &&
           (sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64));
}

// The bytes of value name under root\path (path "" for root itself), opened with KEY_READ and view; "<no key N>"
// or "<error N>" with the status where the key cannot be opened or the value read. Its type goes to *type.
inline std::string queryValue(HKEY root, const std::string& path, const char* name, REGSAM view = 0,
                              DWORD* type = nullptr) {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key);
    if (status != ERROR_SUCCESS) {
        return "<no key " + std::to_string(status) + ">";
    }
    char buffer[512] = {};
    DWORD size = sizeof buffer;
    status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(buffer, size) : "<error " + std::to_string(status) + ">";
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

// Deletes root\parent\name with all it holds in the view given: the parent is opened in that view and the key
// is reached from it.
inline void deleteKeyTreeInView(HKEY root, const std::string& parent, const std::string& name, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, parent.c_str(), 0, KEY_READ | KEY_WRITE | DELETE | view, &key) == ERROR_SUCCESS) {
        deleteKeyTree(key, name);
        RegCloseKey(key);
    }
}

// Answers for the IsWow64Process slot of ovs::PlatformCalls: a 32-bit program under WOW64, a
// program outside WOW64, and a query that fails although it wrote TRUE (which counts as no
// WOW64).
inline BOOL WINAPI runsUnderWow64(HANDLE, PBOOL wow64) {
    *wow64 = TRUE;
    return TRUE;
}

inline BOOL WINAPI runsNatively(HANDLE, PBOOL wow64) {
    *wow64 = FALSE;
    return TRUE;
}

inline BOOL WINAPI wow64QueryFails(HANDLE, PBOOL wow64) {
    *wow64 = TRUE;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

} // namespace ovs::test
