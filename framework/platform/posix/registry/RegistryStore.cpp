// POSIX substitute: the registry folder, the locked rewrite of one root's file.
#include "platform/posix/registry/RegistryStore.h"
#include "platform/posix/base/AtomicRewrite.h"
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/registry/WinRegistry.h"

#include <cerrno>
#include <fstream>
#include <sstream>
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

RegistryText loadFile(HKEY root, const std::string& file, FILETIME* lastWrite) {
    RegistryText hive(registryRootName(root));
    if (lastWrite != nullptr) {
        *lastWrite = FILETIME{0, 0};
    }
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        return hive;
    }
    std::ostringstream text;
    text << stream.rdbuf();
    hive.load(text.str());
    struct stat info {};
    if (lastWrite != nullptr && ::stat(file.c_str(), &info) == 0) {
        *lastWrite = fileTimeOf(info);
    }
    return hive;
}

} // namespace

const char* registryRootName(HKEY root) {
    if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_USERS) return "HKEY_USERS";
    return nullptr;
}

bool registryWritable() {
    std::string folder = registryFolder();
    while (!folder.empty()) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) == 0) {
            return S_ISDIR(info.st_mode) && ::access(folder.c_str(), W_OK) == 0;
        }
        std::size_t slash = folder.rfind('/');
        folder = slash == std::string::npos || slash == 0 ? std::string(slash == 0 ? "/" : "") : folder.substr(0, slash);
    }
    return false;
}

RegistryText readRegistryRoot(HKEY root, FILETIME* lastWrite) { return loadFile(root, rootFile(root), lastWrite); }

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
    RegistryText hive = loadFile(root, file, nullptr);
    bool changed = false;
    LONG result = change(hive, changed);
    if (result != ERROR_SUCCESS || !changed) {
        return result;
    }
    return static_cast<LONG>(replaceFile(file, hive.format()));
}

} // namespace ovs::posix
