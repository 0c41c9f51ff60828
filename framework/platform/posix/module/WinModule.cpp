// POSIX substitute: the program module, its string table and its file name.
#include "platform/posix/module/WinModule.h"
#include "platform/posix/module/ModuleResources.h"
#include "platform/posix/file/ZPath.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// Where Windows loads an executable by default; any fixed non-null value would do.
HMODULE programModule() {
    return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x400000));
}

bool isProgram(HMODULE module) {
    return module == nullptr || module == programModule();
}

const ovs::posix::StringResource* findString(UINT id) {
    using ovs::posix::programStringTable;
    using ovs::posix::programStringTableSize;
    const auto* end = programStringTable + programStringTableSize;
    const auto* hit =
        std::find_if(programStringTable, end, [id](const ovs::posix::StringResource& entry) { return entry.id == id; });
    return hit == end ? nullptr : hit;
}

} // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName == nullptr) {
        return programModule();
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferSize) {
    if (!isProgram(instance)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    if (buffer == nullptr || bufferSize <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // String resources carry 16-bit ids.
    const ovs::posix::StringResource* entry = id <= 0xFFFF ? findString(id) : nullptr;
    if (entry == nullptr) {
        buffer[0] = '\0';
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    std::size_t length = std::min(std::strlen(entry->text), static_cast<std::size_t>(bufferSize - 1));
    std::memcpy(buffer, entry->text, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    if (!isProgram(module)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    char native[4096];
    ssize_t length = ::readlink("/proc/self/exe", native, sizeof(native) - 1);
    if (length < 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    native[length] = '\0';
    std::string path = ovs::posix::windowsPathFrom(native);
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        std::memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}
