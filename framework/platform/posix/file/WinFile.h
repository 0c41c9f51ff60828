// POSIX substitute: the Win32 file functions, constants and records. The Unix tree appears as
// drive Z: (ZPath.h); every function returns what Windows returns and leaves Windows' last-error
// code. Share modes are honoured between the handles of this process only (an in-process table
// of open files, see WinFileCommon.cpp); other processes are not restricted.
#pragma once
#include "platform/posix/base/WinBase.h"

#define GENERIC_READ 0x80000000UL
#define GENERIC_WRITE 0x40000000UL
#define GENERIC_EXECUTE 0x20000000UL
#define GENERIC_ALL 0x10000000UL
#define FILE_READ_DATA 0x0001UL
#define FILE_WRITE_DATA 0x0002UL
#define FILE_APPEND_DATA 0x0004UL
#define FILE_EXECUTE 0x0020UL
#define FILE_READ_ATTRIBUTES 0x0080UL
#define FILE_WRITE_ATTRIBUTES 0x0100UL
#define DELETE 0x00010000UL

#define FILE_SHARE_READ 0x00000001UL
#define FILE_SHARE_WRITE 0x00000002UL
#define FILE_SHARE_DELETE 0x00000004UL

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001UL
#define FILE_ATTRIBUTE_HIDDEN 0x00000002UL
#define FILE_ATTRIBUTE_SYSTEM 0x00000004UL
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010UL
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020UL
#define FILE_ATTRIBUTE_NORMAL 0x00000080UL
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100UL
#define FILE_FLAG_WRITE_THROUGH 0x80000000UL
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000UL
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

typedef struct _OVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *PWIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

// Opening and creating. Dispositions as on Windows: CREATE_NEW fails with ERROR_FILE_EXISTS on
// an existing file; CREATE_ALWAYS and OPEN_ALWAYS succeed on one and leave
// ERROR_ALREADY_EXISTS (0 when they created the file); TRUNCATE_EXISTING needs GENERIC_WRITE.
// A folder cannot be opened (ERROR_ACCESS_DENIED). FILE_ATTRIBUTE_READONLY applies to a new
// file, FILE_FLAG_WRITE_THROUGH to the handle; hidden and system cannot be set on POSIX (a
// name that starts with "." is what counts as hidden there).
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED overlapped);
// The new position's low part; its high part through distanceToMoveHigh when given.
// INVALID_SET_FILE_POINTER with a last error on failure (ERROR_NEGATIVE_SEEK before the start).
DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
BOOL FlushFileBuffers(HANDLE file);
BOOL SetEndOfFile(HANDLE file);
BOOL GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime, LPFILETIME lastWriteTime);
BOOL SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME* lastAccessTime,
                 const FILETIME* lastWriteTime);

// Names in the file system. DeleteFileA on a folder fails with ERROR_ACCESS_DENIED, on a file
// that a handle of this process holds without FILE_SHARE_DELETE with ERROR_SHARING_VIOLATION.
BOOL DeleteFileA(LPCSTR fileName);
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);
// Renames a file or folder. Without MOVEFILE_REPLACE_EXISTING an existing target is never
// touched: the call fails with ERROR_ALREADY_EXISTS, and the test and the rename are one step
// (no other writer can slip in between). With it a file target is replaced; a folder or a
// read-only file as target gives ERROR_ACCESS_DENIED. Moving to another file system needs a
// copy, which this layer does not do (ERROR_NOT_SAME_DEVICE).
#define MOVEFILE_REPLACE_EXISTING 0x00000001UL
#define MOVEFILE_COPY_ALLOWED 0x00000002UL
#define MOVEFILE_WRITE_THROUGH 0x00000008UL
BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);
// INVALID_FILE_ATTRIBUTES with ERROR_FILE_NOT_FOUND (last component missing) or
// ERROR_PATH_NOT_FOUND (a folder on the way missing).
DWORD GetFileAttributesA(LPCSTR fileName);

// The current folder in its Z: form, and full paths computed as pure text (no file system
// access): "." and ".." components, repeated separators, trailing dots and spaces of the last
// component. Both return the length without the NUL when the buffer holds the result, else
// the size needed including the NUL (buffer untouched).
DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR pathName);
DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);

// Listing a folder with a name mask, with Windows' wildcard rules ("*.*" is "*", "*." means
// names without a dot, "?" may match nothing before a dot or at the end; case-insensitive).
// The folder's entries are taken when the search starts; "." and ".." come first except in
// the root. Errors: ERROR_PATH_NOT_FOUND (no such folder), ERROR_FILE_NOT_FOUND (no match),
// ERROR_NO_MORE_FILES (FindNextFileA at the end).
HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);
BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData);
BOOL FindClose(HANDLE findFile);
