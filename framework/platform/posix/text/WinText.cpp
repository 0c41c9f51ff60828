// POSIX substitute: UTF-8 conversions, ASCII case mapping, the user interface language.
#include "platform/posix/text/WinText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char32_t replacement = 0xFFFD;

bool isScalarValue(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one character at text[at]; advances at by the bytes used (by the longest valid
// prefix of a broken sequence, at least one byte). False for invalid input.
bool decodeUtf8(const unsigned char* text, std::size_t length, std::size_t& at, char32_t& c) {
    unsigned char lead = text[at];
    if (lead < 0x80) {
        c = lead;
        ++at;
        return true;
    }
    int extra;
    char32_t value;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        value = lead & 0x0F;
        if (lead == 0xE0) {
            low = 0xA0; // no overlong forms
        } else if (lead == 0xED) {
            high = 0x9F; // no surrogates
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        value = lead & 0x07;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        ++at;
        return false;
    }
    std::size_t next = at + 1;
    for (int i = 0; i < extra; ++i, ++next) {
        if (next >= length || text[next] < low || text[next] > high) {
            at = next;
            return false;
        }
        value = (value << 6) | (text[next] & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    at = next;
    c = value;
    return true;
}

bool isAnsiCodePage(UINT codePage) {
    return codePage == CP_ACP || codePage == CP_OEMCP;
}

struct LanguageName {
    const char* name; // "de" or "de_CH"
    LANGID id;
};

// Territory-specific entries first; a language alone stands for its main territory.
const LanguageName languageNames[] = {
    {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"zh_TW", 0x0404},
    {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404}, {"zh_CN", 0x0804}, {"nl_BE", 0x0813}, {"fr_BE", 0x080C},
    {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007},
    {"de_LI", 0x1407}, {"it_CH", 0x0810}, {"pt_PT", 0x0816}, {"es_MX", 0x080A}, {"es_AR", 0x2C0A}, {"sv_FI", 0x081D},
    {"ar_EG", 0x0C01}, {"en", 0x0409},    {"ar", 0x0401},    {"zh", 0x0804},    {"da", 0x0406},    {"nl", 0x0413},
    {"fr", 0x040C},    {"de", 0x0407},    {"el", 0x0408},    {"it", 0x0410},    {"hu", 0x040E},    {"ja", 0x0411},
    {"ko", 0x0412},    {"pt", 0x0416},    {"es", 0x0C0A},    {"sv", 0x041D},    {"ru", 0x0419},    {"fi", 0x040B},
    {"pl", 0x0415},    {"cs", 0x0405},    {"tr", 0x041F},    {"nb", 0x0414},    {"no", 0x0414},    {"he", 0x040D},
    {"uk", 0x0422},    {"ro", 0x0418},
};

// Wide text is handed over at any address: Windows takes a WCHAR pointer that is not aligned
// to the character's size, so units are read and written byte-wise, never through the pointer.
WCHAR wideAt(LPCWSTR text, std::size_t index) {
    WCHAR unit;
    std::memcpy(&unit, reinterpret_cast<const char*>(text) + index * sizeof(WCHAR), sizeof unit);
    return unit;
}

std::size_t wideLengthOf(LPCWSTR text) {
    std::size_t length = 0;
    while (wideAt(text, length) != 0) {
        ++length;
    }
    return length;
}

// The end of both conversions: a size of 0 asks for the length; a buffer too small gets what
// fits and the call fails with 122, as Windows does.
template <typename Char> int deliver(const std::basic_string<Char>& out, Char* target, int size) {
    if (size == 0) {
        return static_cast<int>(out.size());
    }
    const bool fits = out.size() <= static_cast<std::size_t>(size);
    std::memcpy(static_cast<void*>(target), out.data(),
                (fits ? out.size() : static_cast<std::size_t>(size)) * sizeof(Char));
    if (!fits) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(out.size());
}

} // namespace

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideText, int wideLength, LPSTR multiByteText,
                        int multiByteSize, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
    const bool utf8 = codePage == CP_UTF8;
    if (!utf8 && !isAnsiCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (wideText == nullptr || wideLength == 0 || multiByteSize < 0 ||
        (multiByteSize > 0 && multiByteText == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (utf8) {
        if ((flags & ~DWORD(WC_ERR_INVALID_CHARS)) != 0) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        if (defaultChar != nullptr || usedDefaultChar != nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    } else if ((flags & ~DWORD(WC_COMPOSITECHECK | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS | WC_ERR_INVALID_CHARS | 0x10 |
                               0x20)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    // Any negative length, not only -1, stands for a NUL-terminated text, as on Windows.
    std::size_t length = wideLength < 0 ? wideLengthOf(wideText) + 1 : static_cast<std::size_t>(wideLength);
    std::string out;
    bool usedDefault = false;
    for (std::size_t i = 0; i < length; ++i) {
        char32_t c = static_cast<char32_t>(wideAt(wideText, i));
        if (isScalarValue(c)) {
            appendUtf8(out, c);
        } else if (utf8) {
            if (flags & WC_ERR_INVALID_CHARS) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
            appendUtf8(out, replacement);
        } else {
            out += defaultChar != nullptr ? *defaultChar : '?';
            usedDefault = true;
        }
    }
    if (usedDefaultChar != nullptr) {
        *usedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    return deliver(out, multiByteText, multiByteSize);
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteText, int multiByteLength, LPWSTR wideText,
                        int wideSize) {
    const bool utf8 = codePage == CP_UTF8;
    if (!utf8 && !isAnsiCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (multiByteText == nullptr || multiByteLength == 0 || wideSize < 0 || (wideSize > 0 && wideText == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD allowed = utf8 ? DWORD(MB_ERR_INVALID_CHARS) : DWORD(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS | 0x2 | 0x4);
    if ((flags & ~allowed) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    std::size_t length =
        multiByteLength < 0 ? std::strlen(multiByteText) + 1 : static_cast<std::size_t>(multiByteLength);
    const auto* bytes = reinterpret_cast<const unsigned char*>(multiByteText);
    std::wstring out;
    for (std::size_t at = 0; at < length;) {
        char32_t c = 0;
        if (decodeUtf8(bytes, length, at, c)) {
            out += static_cast<wchar_t>(c);
        } else if (flags & MB_ERR_INVALID_CHARS) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        } else {
            out += static_cast<wchar_t>(replacement);
        }
    }
    return deliver(out, wideText, wideSize);
}

DWORD CharUpperBuffA(LPSTR text, DWORD length) {
    for (DWORD i = 0; text != nullptr && i < length; ++i) {
        if (text[i] >= 'a' && text[i] <= 'z') {
            text[i] = static_cast<char>(text[i] - 'a' + 'A');
        }
    }
    return text == nullptr ? 0 : length;
}

DWORD CharLowerBuffA(LPSTR text, DWORD length) {
    for (DWORD i = 0; text != nullptr && i < length; ++i) {
        if (text[i] >= 'A' && text[i] <= 'Z') {
            text[i] = static_cast<char>(text[i] - 'A' + 'a');
        }
    }
    return text == nullptr ? 0 : length;
}

LANGID GetUserDefaultUILanguage() {
    constexpr LANGID englishUnitedStates = 1033;
    const char* value = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* candidate = std::getenv(name);
        if (candidate != nullptr && *candidate != '\0') {
            value = candidate;
            break;
        }
    }
    if (value == nullptr) {
        return englishUnitedStates;
    }
    // language[_TERRITORY][.codeset][@modifier]
    std::string locale(value);
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale == "C" || locale == "POSIX") {
        return englishUnitedStates;
    }
    std::string language = locale.substr(0, locale.find('_'));
    for (const std::string& key : {locale, language}) {
        for (const LanguageName& entry : languageNames) {
            if (key == entry.name) {
                return entry.id;
            }
        }
    }
    return englishUnitedStates;
}

BOOL AreFileApisANSI() {
    return TRUE;
}
