// POSIX substitute: the module functions the framework uses. The running program is the
// only module there is; its string resources are the table compiled in from
// resources/messages.txt (ModuleResources.h).
#pragma once
#include "platform/posix/base/WinBase.h"

#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

// Null gives the program's own module (a fixed non-null handle); any other name is not
// loaded: null with ERROR_MOD_NOT_FOUND.
HMODULE GetModuleHandleA(LPCSTR moduleName);
// Copies string resource id of the program (module null or the program's handle) into
// buffer, cut to size - 1 characters and terminated; returns the number of characters
// copied, 0 when there is no such string (ERROR_RESOURCE_NAME_NOT_FOUND).
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferSize);
// The program's own path in Windows form ("Z:\..."); cut to size - 1 characters with
// ERROR_INSUFFICIENT_BUFFER when it does not fit; the return value is the characters copied.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
