// POSIX substitute: the private-profile (INI file) functions, declared as Windows declares
// them so that the same call sites compile against <windows.h>. They read and write the file
// text exactly as Windows does (ANSI text, CR LF for lines they write, every other byte of the
// file kept); see ProfileText.h for the reading rules and ProfileStore.h for where files live
// and how writes reach the disk (atomically, under a lock, before the call returns).
//
// Common rules:
// - lpAppName and lpKeyName compare without regard to ASCII letter case; only spaces are
//   trimmed from their ends (tabs and other blanks are part of the name).
// - lpFileName: null means "win.ini"; a name without any folder lives in the Windows
//   directory (GetWindowsDirectoryA), never in the current folder; other names are Windows
//   paths on drive Z: (or relative to the current folder).
// - Every call looks at the file on disk again: its text is read anew unless it is provably
//   the last file read, whose text is kept (ProfileCache.h).
#pragma once
#include "platform/posix/base/WinBase.h"

// Reads a value, or a list of names when lpAppName or lpKeyName is null, into lpReturnedString.
// - Value: trimmed of blanks, then one pair of matching outer quotes (" or ') removed. A
//   missing key gives lpDefault (null means "") with its trailing spaces cut. At most
//   nSize - 1 characters and a NUL are stored; the number of characters stored is returned;
//   a cut value sets ERROR_MORE_DATA. nSize 0: 0, buffer untouched, ERROR_MORE_DATA.
// - lpAppName null: the section names, each followed by NUL, then one more NUL. lpKeyName
//   null: the section's key names (entries without "=" are not keys) in the same form; a
//   missing section or one without keys gives the default. A list that does not fit with its
//   final NUL (an exact fit counts as not fitting) is cut to nSize - 2 characters followed by
//   two NULs, nSize - 2 is returned and ERROR_MORE_DATA set.
// - The last error is ERROR_FILE_NOT_FOUND when the file does not exist (the default is
//   returned), 0 when it was read.
DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName);

// Reads a value as GetPrivateProfileStringA does and converts its leading number: blanks,
// an optional sign, an optional base prefix 0x, 0o or 0b, then digits, modulo 2^32 ("-1"
// gives 4294967295, "42A" gives 42, "B42" gives 0). A missing or empty value gives nDefault.
UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);

// Copies the lines of a section, each followed by NUL, then one more NUL: entries as
// key=value with the blanks around key and value removed (quotes kept), other lines with
// their outer blanks removed; blank and comment lines are left out. Cut like a name list
// (nSize - 2, two NULs). A missing section or file gives 0 and two NULs. Null lpAppName or
// buffer: 0 and ERROR_INVALID_PARAMETER. The last error is 0 when the file was read,
// ERROR_FILE_NOT_FOUND when it does not exist.
DWORD GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);

// Writes, replaces or deletes one entry and writes the file before returning.
// - lpString null: deletes the key's line. lpKeyName null: deletes the section's header and
//   entries, keeping its comment lines (lpString is ignored). A missing file is then left
//   behind empty, as Windows does.
// - A new section is added at the end of the file (a line end is added first when the file
//   does not end with one, no blank line); a new key goes after the last entry of its
//   section; a replaced entry keeps the file's spelling of the key. The value is written
//   verbatim.
// - All three of lpAppName, lpKeyName and lpString null: the flush of Windows' cached copy,
//   which here has nothing to do: FALSE, last error untouched.
// - lpAppName null otherwise: FALSE, ERROR_FILE_NOT_FOUND, no file created.
// - TRUE on success with last error 0, or ERROR_FILE_NOT_FOUND when the file was created.
//   FALSE with ERROR_PATH_NOT_FOUND when the folder does not exist, ERROR_ACCESS_DENIED when
//   the name is a folder (or empty) or the file or folder may not be written.
BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName);

// Replaces the lines of a section by the NUL-separated entries of lpString (ended by an
// empty entry), each written verbatim with CR LF; a missing section is created at the end
// of the file. lpString null deletes the section like WritePrivateProfileStringA with a
// null key. Both null: the flush, FALSE. Results and errors as WritePrivateProfileStringA.
BOOL WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName);

// The Windows directory in Z: form (see ovs::posix::windowsDirectory in HostFolders.h):
// the number of characters copied, or the size needed including the NUL when uSize is too
// small. 0 with ERROR_PATH_NOT_FOUND when no such folder can be determined.
UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
