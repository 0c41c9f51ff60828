// POSIX substitute: text conversion between code pages and wide text, case mapping of
// ANSI text, and the user interface language. The ANSI code page (CP_ACP) is UTF-8 here;
// wide text (WCHAR, wchar_t) holds one Unicode code point per character.
#pragma once
#include "platform/posix/base/WinBase.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001

#define WC_COMPOSITECHECK 0x00000200
#define WC_DEFAULTCHAR 0x00000040
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define WC_ERR_INVALID_CHARS 0x00000080
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008

#define ERROR_NO_UNICODE_TRANSLATION 1113L

// As on Windows: a source length of -1 includes the terminating zero; 0 is invalid
// (ERROR_INVALID_PARAMETER); a target size of 0 asks for the needed size; a target too small
// fails with ERROR_INSUFFICIENT_BUFFER. CP_UTF8 takes flags 0 or WC_ERR_INVALID_CHARS
// (ERROR_INVALID_FLAGS otherwise) and writes U+FFFD for characters that are no Unicode
// scalar values unless that flag asks for failure (ERROR_NO_UNICODE_TRANSLATION). CP_ACP
// accepts WC_COMPOSITECHECK and the ANSI flags and writes the default character "?"
// (reported through usedDefaultChar) for what it cannot represent.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideText, int wideLength, LPSTR multiByteText,
                        int multiByteSize, LPCSTR defaultChar, LPBOOL usedDefaultChar);
// Invalid UTF-8 becomes U+FFFD, or fails with ERROR_NO_UNICODE_TRANSLATION when
// MB_ERR_INVALID_CHARS is given. Lengths as above.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteText, int multiByteLength, LPWSTR wideText,
                        int wideSize);

// In place over length characters; ASCII letters only. Returns length.
DWORD CharUpperBuffA(LPSTR text, DWORD length);
DWORD CharLowerBuffA(LPSTR text, DWORD length);

// The user interface language from LC_ALL, LC_MESSAGES and LANG (the first that is set):
// language_TERRITORY mapped to a Windows language id; C, POSIX, unset or unknown: 1033.
LANGID GetUserDefaultUILanguage();

// The file functions take ANSI text: TRUE.
BOOL AreFileApisANSI();
