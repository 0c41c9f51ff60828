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
#include "posix/WinBase.h"
#include "posix/WinText.h"
#include "posix/WinTime.h"
#include "posix/WinModule.h"
#include "posix/WinFile.h"
#include "posix/WinProfile.h"
#include "posix/WinRegistry.h"
#include "posix/WinProcess.h"
#include "posix/WinShell.h"
#endif
