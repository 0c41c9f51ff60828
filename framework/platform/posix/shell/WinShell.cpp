// POSIX substitute: SHGetFolderPathA over the XDG configuration folder.
#include "platform/posix/shell/WinShell.h"
#include "platform/posix/file/ZPath.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

// The Unix folder that plays the roaming application-data folder; empty when there is none.
std::string applicationDataFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        std::string folder(home);
        if (folder.back() != '/') {
            folder.push_back('/');
        }
        return folder + ".config";
    }
    return std::string();
}

} // namespace

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
    if (path == nullptr) {
        return E_INVALIDARG;
    }
    path[0] = '\0';
    if ((folder & ~CSIDL_FLAG_MASK) != CSIDL_APPDATA) {
        return E_INVALIDARG;
    }
    std::string unixFolder = applicationDataFolder();
    if (unixFolder.empty()) {
        return E_FAIL;
    }
    while (unixFolder.size() > 1 && unixFolder.back() == '/') {
        unixFolder.pop_back();
    }
    std::string windowsFolder = ovs::posix::windowsPathFrom(unixFolder);
    if (windowsFolder.size() >= MAX_PATH) {
        return E_FAIL;
    }
    if ((folder & CSIDL_FLAG_CREATE) != 0) {
        std::error_code error;
        std::filesystem::create_directories(unixFolder, error);
        if (error) {
            return E_FAIL;
        }
    }
    std::memcpy(path, windowsFolder.c_str(), windowsFolder.size() + 1);
    return S_OK;
}
