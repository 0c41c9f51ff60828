// POSIX substitute: the Win32 private-profile functions over ProfileText and ProfileStore: the
// argument forms, buffer filling and cutting, and the last-error values Windows leaves.
#include "platform/posix/profile/WinProfile.h"
#include "platform/posix/profile/ProfileText.h"
#include "platform/posix/profile/ProfileStore.h"
#include "platform/posix/profile/ProfileCache.h"
#include "platform/posix/file/ZPath.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using ovs::posix::ProfileLocation;
using ovs::posix::ProfileText;

// Parameters lose their outer spaces, and only spaces.
std::string_view trimSpaces(const char* text) {
    std::string_view view(text);
    while (!view.empty() && view.front() == ' ') {
        view.remove_prefix(1);
    }
    while (!view.empty() && view.back() == ' ') {
        view.remove_suffix(1);
    }
    return view;
}

// One pair of matching outer quotes comes off a value read back.
std::string_view withoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Stores at most size - 1 characters and a NUL; a cut sets ERROR_MORE_DATA.
DWORD copyString(std::string_view text, LPSTR buffer, DWORD size) {
    if (size == 0) {
        SetLastError(ERROR_MORE_DATA);
        return 0;
    }
    std::size_t count = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    if (count < text.size()) {
        SetLastError(ERROR_MORE_DATA);
    }
    return static_cast<DWORD>(count);
}

// Stores a list (each item followed by NUL), then a final NUL. A list that does not fit with
// room to spare is cut to size - 2 characters and two NULs, and ERROR_MORE_DATA set.
DWORD copyList(std::string_view list, LPSTR buffer, DWORD size) {
    if (size == 0) {
        SetLastError(ERROR_MORE_DATA);
        return 0;
    }
    if (list.empty() && size >= 2) {
        buffer[0] = '\0';
        buffer[1] = '\0';
        return 0;
    }
    if (list.size() + 2 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return static_cast<DWORD>(list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        SetLastError(ERROR_MORE_DATA);
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    SetLastError(ERROR_MORE_DATA);
    return size - 2;
}

// Reads the named file (or takes it from the cache of the last file read while it is
// unchanged); null (last error set) when it cannot be read, else last error 0.
std::shared_ptr<const ProfileText> readProfile(LPCSTR fileName) {
    // The last name of a file in a named folder that this thread resolved: such a name always
    // gives the same Unix path (unixPathFrom reads the name alone; only a bare name depends on
    // the Windows directory), and callers mostly ask one file several times in a row.
    struct LastLocation {
        bool valid = false;
        std::string fileName;
        ProfileLocation location; // its buffer also serves names that are not kept
    };
    thread_local LastLocation last;
    if (fileName == nullptr || !last.valid || last.fileName != fileName) {
        last.valid = false;
        if (!ovs::posix::resolveProfileLocation(fileName, last.location)) {
            return nullptr;
        }
        if (fileName != nullptr && !last.location.inWindowsDirectory) {
            last.fileName = fileName;
            last.valid = true;
        }
    }
    std::shared_ptr<const ProfileText> profile = ovs::posix::readProfileCached(last.location);
    if (profile) {
        SetLastError(ERROR_SUCCESS);
    }
    return profile;
}

// The default as Windows hands it back: null is "", trailing spaces are cut.
std::string_view effectiveDefault(LPCSTR defaultValue) {
    std::string_view text(defaultValue != nullptr ? defaultValue : "");
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// Applies edit to the file under the profile lock.
BOOL editProfile(LPCSTR fileName, const std::function<void(ProfileText&)>& edit) {
    ProfileLocation location;
    if (!ovs::posix::resolveProfileLocation(fileName, location)) {
        return FALSE;
    }
    return ovs::posix::updateProfile(location, edit) ? TRUE : FALSE;
}

// Digits of a number in the given base, or -1.
int digitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return -1;
}

// The leading number of text as Windows' integer conversion reads it, modulo 2^32.
UINT leadingNumber(const char* text) {
    while (*text != '\0' && static_cast<unsigned char>(*text) <= ' ') {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    unsigned base = 10;
    if (text[0] == '0') {
        char prefix = text[1];
        base = (prefix == 'x' || prefix == 'X')   ? 16
               : (prefix == 'o' || prefix == 'O') ? 8
               : (prefix == 'b' || prefix == 'B') ? 2
                                                  : 10;
        if (base != 10) {
            text += 2;
        }
    }
    std::uint32_t result = 0;
    for (int digit = digitValue(*text); digit >= 0 && static_cast<unsigned>(digit) < base;
         digit = digitValue(*++text)) {
        result = result * base + static_cast<std::uint32_t>(digit);
    }
    return negative ? static_cast<UINT>(0u - result) : static_cast<UINT>(result);
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName) {
    std::shared_ptr<const ProfileText> profile = readProfile(lpFileName);
    if (lpReturnedString == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (profile && lpAppName == nullptr) {
        return copyList(profile->sectionNames(), lpReturnedString, nSize);
    }
    if (profile && lpKeyName == nullptr) {
        std::optional<std::string> keys = profile->keyNames(trimSpaces(lpAppName));
        if (keys && !keys->empty()) {
            return copyList(*keys, lpReturnedString, nSize);
        }
    } else if (profile) {
        if (std::optional<std::string_view> value = profile->value(trimSpaces(lpAppName), trimSpaces(lpKeyName))) {
            return copyString(withoutQuotes(*value), lpReturnedString, nSize);
        }
        // A value not found in a file that exists: Windows (7 and later) reports the default
        // with ERROR_FILE_NOT_FOUND, as for a missing file.
        SetLastError(ERROR_FILE_NOT_FOUND);
    }
    return copyString(effectiveDefault(lpDefault), lpReturnedString, nSize);
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
    char text[64];
    if (GetPrivateProfileStringA(lpAppName, lpKeyName, "", text, sizeof text, lpFileName) == 0) {
        return static_cast<UINT>(nDefault);
    }
    return leadingNumber(text);
}

DWORD GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (lpAppName == nullptr || lpReturnedString == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    thread_local std::string lines; // its buffer serves the next call
    lines.clear();
    if (std::shared_ptr<const ProfileText> profile = readProfile(lpFileName)) {
        if (!profile->sectionLines(trimSpaces(lpAppName), lines)) {
            SetLastError(ERROR_FILE_NOT_FOUND); // a section missing from a file that exists
        }
    }
    return copyList(lines, lpReturnedString, nSize);
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName) {
    if (lpAppName == nullptr) {
        if (lpKeyName != nullptr || lpString != nullptr) {
            SetLastError(ERROR_FILE_NOT_FOUND);
        }
        return FALSE; // all null: a flush; the kept file never holds unwritten changes
    }
    std::string section(trimSpaces(lpAppName));
    if (lpKeyName == nullptr) {
        return editProfile(lpFileName, [&](ProfileText& text) { text.deleteSection(section); });
    }
    std::string key(trimSpaces(lpKeyName));
    if (lpString == nullptr) {
        return editProfile(lpFileName, [&](ProfileText& text) { text.deleteKey(section, key); });
    }
    return editProfile(lpFileName, [&](ProfileText& text) { text.setValue(section, key, lpString); });
}

BOOL WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName) {
    if (lpAppName == nullptr) {
        if (lpString != nullptr) {
            SetLastError(ERROR_FILE_NOT_FOUND);
        }
        return FALSE;
    }
    std::string section(trimSpaces(lpAppName));
    if (lpString == nullptr) {
        return editProfile(lpFileName, [&](ProfileText& text) { text.deleteSection(section); });
    }
    std::vector<std::string> lines;
    for (const char* entry = lpString; *entry != '\0'; entry += std::strlen(entry) + 1) {
        lines.emplace_back(entry);
    }
    return editProfile(lpFileName, [&](ProfileText& text) { text.replaceSection(section, lines); });
}

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    std::string folder = ovs::posix::windowsDirectory();
    if (folder.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    std::string windowsForm = ovs::posix::windowsPathFrom(folder);
    if (lpBuffer == nullptr || windowsForm.size() + 1 > uSize) {
        return static_cast<UINT>(windowsForm.size() + 1);
    }
    std::memcpy(lpBuffer, windowsForm.c_str(), windowsForm.size() + 1);
    return static_cast<UINT>(windowsForm.size());
}
