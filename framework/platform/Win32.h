// The one header that decides where the Win32 API comes from: Windows' own headers on
// Windows, our substitute layer (framework/platform/posix) everywhere else. Code outside
// framework/platform includes this header and never tests the platform itself.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <psapi.h>
#else
#include "platform/posix/base/WinBase.h"
#include "platform/posix/text/WinText.h"
#include "platform/posix/time/WinTime.h"
#include "platform/posix/module/WinModule.h"
#include "platform/posix/file/WinFile.h"
#include "platform/posix/profile/WinProfile.h"
#include "platform/posix/registry/WinRegistry.h"
#include "platform/posix/process/WinProcess.h"
#include "platform/posix/shell/WinShell.h"
#endif
