// POSIX substitute: the registry folder, the locked rewrite of one root's file.
#include "platform/posix/registry/RegistryStore.h"
#include "platform/posix/base/AtomicRewrite.h"
#include "platform/posix/base/FileEncoding.h"
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/registry/WinRegistry.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace ovs::posix {

namespace {

std::string rootFile(HKEY root) {
    std::string folder = registryFolder();
    const char* name = registryRootName(root);
    if (folder.empty() || name == nullptr) {
        return std::string();
    }
    return folder + "/" + name + ".reg";
}

// mkdir -p
bool makeFolders(const std::string& folder) {
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        partial = folder.substr(0, pos);
        if (partial.empty()) {
            continue;
        }
        if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

FILETIME fileTimeOf(const struct stat& info) {
    // 100-ns intervals since 1601-01-01
    const unsigned long long epochDifference = 116444736000000000ULL;
    unsigned long long ticks = static_cast<unsigned long long>(info.st_mtim.tv_sec) * 10000000ULL +
                               static_cast<unsigned long long>(info.st_mtim.tv_nsec) / 100 + epochDifference;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Loads the root's file into hive (a missing file is an empty root); status receives the
// file's stat record (st_mode 0 without a file).
LONG loadFile(const std::string& file, RegistryText& hive, struct stat& status) {
    status = {};
    std::string bytes;
    DWORD error = readWholeFile(file, bytes, &status);
    if (error == ERROR_FILE_NOT_FOUND) {
        status = {};
        return ERROR_SUCCESS;
    }
    if (error != ERROR_SUCCESS) {
        return static_cast<LONG>(error);
    }
    // A file that is not a registry file stays as it is: reading it as empty would let the
    // next write replace everything it holds. Of Windows' errors for a damaged registry file,
    // ERROR_REGISTRY_CORRUPT names the case: "The structure of one of the files containing
    // registry data is corrupted".
    return hive.load(textFromFileBytes(bytes)) ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
}

} // namespace

const char* registryRootName(HKEY root) {
    if (root == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_USERS)
        return "HKEY_USERS";
    return nullptr;
}

bool registryWritable(HKEY root) {
    std::string file = rootFile(root);
    struct stat info {};
    if (!file.empty() && ::stat(file.c_str(), &info) == 0) {
        return fileMayBeRewritten(file, info) && ::access(registryFolder().c_str(), W_OK) == 0;
    }
    std::string folder = registryFolder();
    while (!folder.empty()) {
        if (::stat(folder.c_str(), &info) == 0) {
            return S_ISDIR(info.st_mode) && ::access(folder.c_str(), W_OK) == 0;
        }
        std::size_t slash = folder.rfind('/');
        folder =
            slash == std::string::npos || slash == 0 ? std::string(slash == 0 ? "/" : "") : folder.substr(0, slash);
    }
    return false;
}

LONG readRegistryRoot(HKEY root, RegistryText& hive, FILETIME* lastWrite) {
    hive = RegistryText(registryRootName(root));
    struct stat status {};
    LONG result = loadFile(rootFile(root), hive, status);
    if (lastWrite != nullptr) {
        *lastWrite = status.st_mode == 0 ? FILETIME{0, 0} : fileTimeOf(status);
    }
    return result;
}

LONG updateRegistryRoot(HKEY root, const std::function<LONG(RegistryText&, bool& changed)>& change) {
    std::string folder = registryFolder();
    std::string file = rootFile(root);
    if (file.empty()) {
        return ERROR_ACCESS_DENIED;
    }
    if (!makeFolders(folder)) {
        return static_cast<LONG>(errorFromErrno(errno));
    }
    FolderLock lock(folder);
    if (!lock.held()) {
        return ERROR_ACCESS_DENIED;
    }
    RegistryText hive(registryRootName(root));
    struct stat status {};
    LONG result = loadFile(file, hive, status);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    bool exists = status.st_mode != 0;
    bool changed = false;
    result = change(hive, changed);
    if (result != ERROR_SUCCESS || !changed) {
        return result;
    }
    if (exists && !fileMayBeRewritten(file, status)) {
        return ERROR_ACCESS_DENIED;
    }
    return static_cast<LONG>(replaceFile(file, hive.format(), exists ? static_cast<int>(status.st_mode & 07777) : -1));
}

} // namespace ovs::posix
