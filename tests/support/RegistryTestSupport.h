// Test helpers for the registry: a private registry folder for the POSIX build (through
// OVS_REGISTRY_DIR; the Windows build ignores the variable and works in the registry of the
// build's own Wine prefix), unique key names, and deletion of a key with all it holds.
#pragma once
#include "TestFolders.h"
#include "platform/Win32.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace ovs::test {

// Points OVS_REGISTRY_DIR at a fresh folder for its lifetime and restores the old value.
class PrivateRegistry {
public:
    PrivateRegistry() {
        const char* old = std::getenv("OVS_REGISTRY_DIR");
        hadOld_ = old != nullptr;
        if (hadOld_) {
            old_ = old;
        }
        set(folder_.native().string());
    }
    ~PrivateRegistry() { set(hadOld_ ? old_ : std::string()); }
    PrivateRegistry(const PrivateRegistry&) = delete;
    PrivateRegistry& operator=(const PrivateRegistry&) = delete;

    // The folder that holds the .reg files in the POSIX build.
    const TempFolder& folder() const { return folder_; }

private:
    static void set(const std::string& value) {
        // putenv keeps the pointer: the text must outlive the setting.
        static std::vector<std::unique_ptr<std::string>> texts;
        texts.push_back(std::make_unique<std::string>("OVS_REGISTRY_DIR=" + value));
        putenv(&(*texts.back())[0]);
    }

    TempFolder folder_;
    bool hadOld_ = false;
    std::string old_;
};

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
