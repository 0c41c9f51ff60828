// POSIX substitute: the registry functions over the root files of RegistryStore. An open key
// is a handle on (root, path, access); every call reads the root's file again, so that
// another process's writes are seen at once.
#include "platform/posix/registry/WinRegistry.h"
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/registry/RegistryStore.h"

#include <cstring>

namespace {

using ovs::posix::RegistryKeyData;
using ovs::posix::RegistryText;
using ovs::posix::RegistryValue;

class OpenRegistryKey : public ovs::posix::KernelObject {
public:
    OpenRegistryKey(HKEY root, std::string path, REGSAM access) : root(root), path(std::move(path)), access(access) {}
    HKEY root;
    std::string path;
    REGSAM access;
};

struct KeyRef {
    HKEY root = nullptr;
    std::string path;
    REGSAM access = 0;
};

// The root, path and access behind a handle; false for an unknown handle.
bool resolve(HKEY key, KeyRef& out) {
    if (ovs::posix::registryRootName(key) != nullptr) {
        out = KeyRef{key, std::string(), KEY_ALL_ACCESS};
        return true;
    }
    auto* open = ovs::posix::lookupHandleAs<OpenRegistryKey>(key);
    if (open == nullptr) {
        return false;
    }
    out = KeyRef{open->root, open->path, open->access};
    return true;
}

std::string childPath(const std::string& parent, const char* subKey) {
    std::string child = subKey == nullptr ? std::string() : std::string(subKey);
    if (parent.empty()) {
        return child;
    }
    return child.empty() ? parent : parent + "\\" + child;
}

std::string nameOf(const char* name) {
    return name == nullptr ? std::string() : std::string(name);
}

// Whether a key or value name can be kept in the root's file. Windows takes any character
// but "\" in a key name and any in a value name, but a line break cannot stand inside a
// .reg file's key header or value name (the format has no escape for it; regedit itself
// writes such a name broken), so such names are refused with ERROR_INVALID_PARAMETER rather
// than written so that they read back as another name or key. "]" and every other
// character round-trip.
bool keepableName(const char* name) {
    return name == nullptr || std::strpbrk(name, "\r\n") == nullptr;
}

// A sub-key path that starts with "\\" is refused by Windows with ERROR_BAD_PATHNAME, when
// opening and when creating, below a root as below any open key.
bool badSubKeyPath(const char* subKey) {
    return subKey != nullptr && subKey[0] == '\\';
}

bool asksForWrite(REGSAM access) {
    return (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | MAXIMUM_ALLOWED)) != 0;
}

HKEY newHandle(HKEY root, const std::string& path, REGSAM access) {
    REGSAM kept = access & ~static_cast<REGSAM>(KEY_WOW64_RES);
    if ((kept & MAXIMUM_ALLOWED) != 0) {
        kept = KEY_ALL_ACCESS;
    }
    return static_cast<HKEY>(ovs::posix::registerHandle(std::make_unique<OpenRegistryKey>(root, path, kept)));
}

// Copies a value out as RegQueryValueExA does. A text value (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) stored without its terminating NUL gets one after its data when the buffer has
// room for it; the size reported stays the stored one.
LSTATUS copyValue(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    if (type != nullptr) {
        *type = value.type;
    }
    DWORD size = static_cast<DWORD>(value.data.size());
    LSTATUS result = ERROR_SUCCESS;
    if (data != nullptr) {
        if (*dataSize < size) {
            result = ERROR_MORE_DATA;
        } else if (size > 0) {
            std::memcpy(data, value.data.data(), size);
            bool text = value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
            if (text && *dataSize > size && value.data.back() != 0) {
                data[size] = 0;
            }
        }
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    return result;
}

// Copies a name into a character buffer as the enumeration functions do.
LSTATUS copyName(const std::string& name, LPSTR buffer, LPDWORD bufferSize) {
    if (buffer == nullptr || bufferSize == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (name.size() >= *bufferSize) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *bufferSize = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Runs change on the existing key of ref inside a locked rewrite.
LSTATUS changeKey(const KeyRef& ref, const std::function<LSTATUS(RegistryText&, RegistryKeyData&, bool&)>& change) {
    return ovs::posix::updateRegistryRoot(ref.root, [&](RegistryText& hive, bool& changed) -> LONG {
        RegistryKeyData* key = hive.find(ref.path);
        if (key == nullptr) {
            return ERROR_KEY_DELETED;
        }
        return change(hive, *key, changed);
    });
}

// Runs read on the key behind a handle as its file holds it now, once the handle is known
// to carry the access right the reader needs.
LSTATUS readKey(HKEY key, REGSAM right,
                const std::function<LSTATUS(const KeyRef&, RegistryText&, RegistryKeyData&, const FILETIME&)>& read) {
    KeyRef ref;
    if (!resolve(key, ref)) {
        return ERROR_INVALID_HANDLE;
    }
    if (right != 0 && (ref.access & right) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    FILETIME written{};
    RegistryText hive(ovs::posix::registryRootName(ref.root));
    if (LONG status = ovs::posix::readRegistryRoot(ref.root, hive, &written); status != ERROR_SUCCESS) {
        return status;
    }
    RegistryKeyData* found = hive.find(ref.path);
    if (found == nullptr) {
        return ERROR_KEY_DELETED;
    }
    return read(ref, hive, *found, written);
}

} // namespace

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    KeyRef ref;
    if (!resolve(key, ref)) {
        return ERROR_INVALID_HANDLE;
    }
    if (badSubKeyPath(subKey)) {
        return ERROR_BAD_PATHNAME;
    }
    std::string path = childPath(ref.path, subKey);
    RegistryText hive(ovs::posix::registryRootName(ref.root));
    if (LONG status = ovs::posix::readRegistryRoot(ref.root, hive); status != ERROR_SUCCESS) {
        return status;
    }
    if (hive.find(path) == nullptr) {
        return hive.find(ref.path) == nullptr ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
    }
    if (asksForWrite(access) && !ovs::posix::registryWritable(ref.root)) {
        return ERROR_ACCESS_DENIED;
    }
    *result = newHandle(ref.root, hive.find(path)->path, access);
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, const SECURITY_ATTRIBUTES*,
                        PHKEY result, LPDWORD disposition) {
    if (result == nullptr || subKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    KeyRef ref;
    if (!resolve(key, ref)) {
        return ERROR_INVALID_HANDLE;
    }
    if (badSubKeyPath(subKey)) {
        return ERROR_BAD_PATHNAME;
    }
    if (!keepableName(subKey)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::string path = childPath(ref.path, subKey);
    RegistryText current(ovs::posix::registryRootName(ref.root));
    if (LONG status = ovs::posix::readRegistryRoot(ref.root, current); status != ERROR_SUCCESS) {
        return status;
    }
    if (current.find(ref.path) == nullptr) {
        return ERROR_KEY_DELETED;
    }
    bool created = false;
    std::string spelling;
    if (RegistryKeyData* existing = current.find(path)) {
        if (asksForWrite(access) && !ovs::posix::registryWritable(ref.root)) {
            return ERROR_ACCESS_DENIED;
        }
        spelling = existing->path;
    } else {
        LSTATUS status = ovs::posix::updateRegistryRoot(ref.root, [&](RegistryText& hive, bool& changed) -> LONG {
            if (hive.find(ref.path) == nullptr) {
                return ERROR_KEY_DELETED;
            }
            spelling = hive.create(path, created).path;
            changed = created;
            return ERROR_SUCCESS;
        });
        if (status != ERROR_SUCCESS) {
            return status;
        }
    }
    if (disposition != nullptr) {
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    *result = newHandle(ref.root, spelling, access);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    if ((data != nullptr && dataSize == nullptr) || reserved != nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return readKey(key, KEY_QUERY_VALUE, [&](const KeyRef&, RegistryText&, RegistryKeyData& found, const FILETIME&) {
        RegistryValue* value = found.findValue(nameOf(valueName));
        if (value == nullptr) {
            if (data == nullptr && dataSize != nullptr) {
                *dataSize = 0; // a size asked for alone is 0; beside a buffer it stays
            }
            return LSTATUS(ERROR_FILE_NOT_FOUND);
        }
        return copyValue(*value, type, data, dataSize);
    });
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD size) {
    KeyRef ref;
    if (!resolve(key, ref)) {
        return ERROR_INVALID_HANDLE;
    }
    if ((ref.access & KEY_SET_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    if (data == nullptr && size != 0) {
        return ERROR_NOACCESS;
    }
    if (!keepableName(valueName)) {
        return ERROR_INVALID_PARAMETER;
    }
    bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if (text && size > 0 && data[size - 1] != 0 && data[size] == 0) {
        ++size; // the NUL the caller forgot to count, as Windows adds it
    }
    std::vector<BYTE> bytes(data, data + size);
    std::string name = nameOf(valueName);
    return changeKey(ref, [&](RegistryText&, RegistryKeyData& found, bool& changed) -> LSTATUS {
        changed = found.setValue(name, type, bytes);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR keyClass,
                      LPDWORD classSize, PFILETIME lastWriteTime) {
    if (reserved != nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    auto enumerate = [&](const KeyRef& ref, RegistryText& hive, RegistryKeyData&, const FILETIME& written) {
        std::vector<std::string> names = hive.subKeyNames(ref.path);
        if (index >= names.size()) {
            return LSTATUS(ERROR_NO_MORE_ITEMS);
        }
        if (keyClass != nullptr && classSize != nullptr && *classSize == 0) {
            return LSTATUS(ERROR_MORE_DATA);
        }
        LSTATUS status = copyName(names[index], name, nameSize);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        if (keyClass != nullptr && classSize != nullptr) {
            keyClass[0] = '\0';
            *classSize = 0;
        }
        if (lastWriteTime != nullptr) {
            *lastWriteTime = written;
        }
        return LSTATUS(ERROR_SUCCESS);
    };
    return readKey(key, KEY_ENUMERATE_SUB_KEYS, enumerate);
}

LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD dataSize) {
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    return readKey(key, KEY_QUERY_VALUE, [&](const KeyRef&, RegistryText&, RegistryKeyData& found, const FILETIME&) {
        if (index >= found.values.size()) {
            return LSTATUS(ERROR_NO_MORE_ITEMS);
        }
        const RegistryValue& value = found.values[index];
        if (valueName == nullptr || valueNameSize == nullptr) {
            return LSTATUS(ERROR_INVALID_PARAMETER);
        }
        // Windows checks both buffers before it writes either. A name that does not fit is not
        // written (nor its length), but the type, the data's size and data that fits are; data
        // that does not fit leaves the name, its length and the data as they were.
        const bool nameFits = value.name.size() < *valueNameSize;
        const bool dataFits = data == nullptr || value.data.size() <= *dataSize;
        LSTATUS status = copyValue(value, type, dataFits ? data : nullptr, dataSize);
        if (!nameFits || !dataFits) {
            return LSTATUS(ERROR_MORE_DATA);
        }
        copyName(value.name, valueName, valueNameSize);
        return status;
    });
}

LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    if (subKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    KeyRef ref;
    if (!resolve(key, ref)) {
        return ERROR_INVALID_HANDLE;
    }
    std::string path = childPath(ref.path, subKey);
    if (RegistryText::foldedPath(path).empty()) {
        return ERROR_ACCESS_DENIED; // a root cannot be deleted
    }
    return ovs::posix::updateRegistryRoot(ref.root, [&](RegistryText& hive, bool& changed) -> LONG {
        if (hive.find(ref.path) == nullptr) {
            return ERROR_KEY_DELETED;
        }
        if (hive.find(path) == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (!hive.subKeyNames(path).empty() || hive.isStandardKey(path)) {
            return ERROR_ACCESS_DENIED; // as for a root, a standard key cannot be deleted
        }
        changed = hive.erase(path);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName) {
    KeyRef ref;
    if (!resolve(key, ref)) {
        return ERROR_INVALID_HANDLE;
    }
    if ((ref.access & KEY_SET_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    std::string name = nameOf(valueName);
    return changeKey(ref, [&](RegistryText&, RegistryKeyData& found, bool& changed) -> LSTATUS {
        changed = found.eraseValue(name);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LSTATUS RegFlushKey(HKEY key) {
    // Every change is in the root's file already; only a key deleted since it was opened
    // (ERROR_KEY_DELETED) or an unknown handle fails.
    return readKey(
        key, 0, [](const KeyRef&, RegistryText&, RegistryKeyData&, const FILETIME&) { return LSTATUS(ERROR_SUCCESS); });
}

LSTATUS RegCloseKey(HKEY key) {
    if (ovs::posix::registryRootName(key) != nullptr) {
        return ERROR_SUCCESS;
    }
    if (ovs::posix::lookupHandleAs<OpenRegistryKey>(key) == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    ovs::posix::closeHandle(key);
    return ERROR_SUCCESS;
}
