// POSIX substitute: SHGetFolderPathA over the XDG configuration folder.
#include "platform/posix/shell/WinShell.h"
#include "platform/posix/base/HostFolders.h"
#include "platform/posix/file/ZPath.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
    if (path == nullptr) {
        return E_INVALIDARG;
    }
    path[0] = '\0';
    if ((folder & ~CSIDL_FLAG_MASK) != CSIDL_APPDATA) {
        return E_INVALIDARG;
    }
    std::string unixFolder = ovs::posix::applicationDataFolder();
    if (unixFolder.empty()) {
        return E_FAIL;
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
