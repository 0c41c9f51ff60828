// Registry keys opened by full path, and the table of root names.
#include "profiling/RegistryKey.h"

#include "MessageNumbers.h"
#include "profiling/ProfilingWinReg.h"
#include "runtime/Exception.h"
#include "platform/PlatformCalls.h"

#include <vector>

namespace ovs {

std::map<std::string, HKEY>& RootKeyTable::rows() {
    static std::map<std::string, HKEY> table;
    return table;
}

void RootKeyTable::fill() {
    std::map<std::string, HKEY>& table = rows();
    if (!table.empty()) {
        return;
    }
    table.emplace("HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT);
    table.emplace("HKEY_CURRENT_USER", HKEY_CURRENT_USER);
    table.emplace("HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE);
    table.emplace("HKEY_USERS", HKEY_USERS);
}

HKEY RootKeyTable::find(const std::string& rootName) {
    auto it = rows().find(rootName);
    return it == rows().end() ? nullptr : it->second;
}

std::size_t RootKeyTable::size() {
    return rows().size();
}

RegistryKey::RegistryKey(bool readOnly) : readOnly_(readOnly) {}

RegistryKey::~RegistryKey() {
    close();
}

void RegistryKey::close() {
    if (key_) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
    path_.clear();
}

REGSAM RegistryKey::accessFor(bool readOnly, bool use32BitView, bool underWow64) {
    REGSAM access = readOnly ? RegistryReadAccess : RegistryReadWriteAccess;
    if (underWow64) {
        access |= use32BitView ? RegistryView32 : RegistryView64;
    }
    return access;
}

void RegistryKey::open(const std::string& path, bool use32BitView) {
    RootKeyTable::fill();
    close();
    std::size_t separator = path.find('\\');
    const std::string rootName = path.substr(0, separator);
    const std::string subKey = separator == std::string::npos ? std::string() : path.substr(separator + 1);
    HKEY root = RootKeyTable::find(rootName);
    if (!root) {
        return;
    }
    const REGSAM access = accessFor(readOnly_, use32BitView, isWow64Process());
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(root, subKey.c_str(), 0, access, &key);
    if (result == ERROR_SUCCESS) {
        key_ = key;
        path_ = path;
        return;
    }
    if (!readOnly_) {
        key = nullptr;
        result = RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr);
        if (result == ERROR_SUCCESS) {
            key_ = key;
            path_ = path;
            return;
        }
    }
    throw Exception(msg::RegistryNoAccess, path, std::to_string(result));
}

bool RegistryKey::readString(const std::string& name, String& text) {
    text.clear();
    // A value that vanished between the two queries of a long value is "item not found"; any
    // other failure of the second query leaves the text empty.
    const RegistryValue value = RegistryValue::query(key_, name, [](const std::string& name, LONG result, bool second) {
        if (!second) {
            throw Exception(msg::RegistryNameNotFound, name);
        }
        if (result == ERROR_FILE_NOT_FOUND) {
            throw Exception(msg::ItemNotFound);
        }
    });
    if (value.read && (value.type == REG_SZ || value.type == REG_EXPAND_SZ)) {
        text = value.text();
    }
    return true;
}

} // namespace ovs
