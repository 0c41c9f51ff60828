// POSIX substitute: the registry functions, their constants and the predefined root keys.
// Each root key lives in one REGEDIT4 text file in the registry folder ($OVS_REGISTRY_DIR,
// else <application data>/ovs/registry); RegistryText.h describes the file, RegistryStore.h
// the folder and the locked rewrite. Key and value names compare without regard to case.
// Every function returns ERROR_SUCCESS or a Windows error code, as the Windows functions do;
// the last-error value is not touched.
#pragma once
#include "platform/posix/base/WinBase.h"

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#ifndef DELETE
#define DELETE 0x00010000L
#endif
#ifndef READ_CONTROL
#define READ_CONTROL 0x00020000L
#endif
#ifndef SYNCHRONIZE
#define SYNCHRONIZE 0x00100000L
#endif
#ifndef STANDARD_RIGHTS_READ
#define STANDARD_RIGHTS_READ READ_CONTROL
#endif
#ifndef STANDARD_RIGHTS_WRITE
#define STANDARD_RIGHTS_WRITE READ_CONTROL
#endif
#ifndef STANDARD_RIGHTS_ALL
#define STANDARD_RIGHTS_ALL 0x001F0000L
#endif
#ifndef MAXIMUM_ALLOWED
#define MAXIMUM_ALLOWED 0x02000000L
#endif

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_WOW64_RES 0x0300
#define KEY_READ ((STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY) & ~SYNCHRONIZE)
#define KEY_WRITE ((STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) & ~SYNCHRONIZE)
#define KEY_EXECUTE ((KEY_READ) & ~SYNCHRONIZE)
#define KEY_ALL_ACCESS                                                                                                 \
    ((STANDARD_RIGHTS_ALL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS |            \
      KEY_NOTIFY | KEY_CREATE_LINK) &                                                                                  \
     ~SYNCHRONIZE)

#define REG_OPTION_RESERVED 0x00000000L
#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_OPTION_VOLATILE 0x00000001L

#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

#ifndef ERROR_REGISTRY_CORRUPT
#define ERROR_REGISTRY_CORRUPT 1015L
#endif

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11
#define REG_QWORD_LITTLE_ENDIAN 11

// Opens an existing key below key (an empty or null subKey opens key itself again). The
// access mask is kept with the handle: value reads need KEY_QUERY_VALUE, value writes and
// deletions KEY_SET_VALUE, key enumeration KEY_ENUMERATE_SUB_KEYS (ERROR_ACCESS_DENIED
// otherwise). KEY_WOW64_32KEY and KEY_WOW64_64KEY are accepted; there is one view. A mask
// with write rights fails with ERROR_ACCESS_DENIED when the registry folder is read-only.
// A missing key: ERROR_FILE_NOT_FOUND, *result null.
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);

// Opens subKey below key, creating it and every missing level first. *disposition (when
// given) becomes REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY. The class, the options and
// the security attributes are accepted and not kept.
LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                        const SECURITY_ATTRIBUTES* security, PHKEY result, LPDWORD disposition);

// Reads a value (null or empty name: the default value). *type and *dataSize report the
// value's type and size in bytes (a REG_SZ counts its terminating NUL). With data null only
// the size is reported; a buffer smaller than the value gives ERROR_MORE_DATA with the size
// needed in *dataSize. A missing value: ERROR_FILE_NOT_FOUND. Data without a size:
// ERROR_INVALID_PARAMETER.
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);

// Stores size bytes of data as the value (null or empty name: the default value). A text
// type whose byte count misses the terminating NUL that follows it gets the NUL counted,
// as Windows does.
LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD size);

// The name of sub-key number index in order of names compared without case. *nameSize is
// the buffer size in characters; on success it becomes the name's length without the NUL,
// a buffer too small gives ERROR_MORE_DATA. An index past the last key: ERROR_NO_MORE_ITEMS.
// The class is reported empty; the time is the time the root's file was last written.
LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR keyClass,
                      LPDWORD classSize, PFILETIME lastWriteTime);

// Value number index in the order the values were created: name as in RegEnumKeyExA, type,
// data and size as in RegQueryValueExA. An index past the last value: ERROR_NO_MORE_ITEMS.
LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD dataSize);

// Deletes subKey below key with its values. A key that still has sub-keys is refused with
// ERROR_ACCESS_DENIED; a missing key gives ERROR_FILE_NOT_FOUND. Handles still open on the
// deleted key then report ERROR_KEY_DELETED.
LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey);

// Deletes a value; a missing one gives ERROR_FILE_NOT_FOUND.
LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName);

// Every write is already on disk when it returns: ERROR_SUCCESS for a valid handle.
LSTATUS RegFlushKey(HKEY key);

// Closes a handle from RegOpenKeyExA or RegCreateKeyExA; the predefined roots need no
// closing (ERROR_SUCCESS). Unknown handles: ERROR_INVALID_HANDLE.
LSTATUS RegCloseKey(HKEY key);
