// POSIX substitute: the shell's folder look-up (SHGetFolderPathA) with its constants and the
// HRESULT helpers it needs. The application-data folder is the XDG configuration folder.
#pragma once
#include "platform/posix/base/WinBase.h"

#ifndef S_OK
#define S_OK ((HRESULT)0L)
#endif
#ifndef S_FALSE
#define S_FALSE ((HRESULT)1L)
#endif
#ifndef E_FAIL
#define E_FAIL ((HRESULT)0x80004005L)
#endif
#ifndef E_INVALIDARG
#define E_INVALIDARG ((HRESULT)0x80070057L)
#endif
#ifndef SUCCEEDED
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#endif
#ifndef FAILED
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif

#define CSIDL_APPDATA 0x001a
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_DONT_VERIFY 0x4000
#define CSIDL_FLAG_MASK 0xff00
#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

// Only CSIDL_APPDATA is known (any other folder id: E_INVALIDARG). Its folder is
// $XDG_CONFIG_HOME when that is set and absolute, else $HOME/.config when HOME is set and not
// empty, written into path (MAX_PATH characters) as a Z: path without a trailing separator;
// S_OK. Without either: E_FAIL and path emptied. With CSIDL_FLAG_CREATE a missing folder is
// created (all levels). The window, token and flags are ignored otherwise. A null path:
// E_INVALIDARG. A folder whose Z: form does not fit into MAX_PATH characters: E_FAIL.
HRESULT SHGetFolderPathA(HWND window, int folder, HANDLE token, DWORD flags, LPSTR path);
