// Path texts: joining, splitting, the absolute form through GetFullPathNameA and the display
// form used in messages.
#include "strings/FileString.h"
#include "platform/Win32.h"

#include <cctype>

namespace ovs {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

std::size_t lastSeparator(const std::string& text) {
    return text.find_last_of("\\/");
}

// The position of the extension's dot, or npos when the last dot is not in the last component.
std::size_t extensionDot(const std::string& text) {
    std::size_t dot = text.find_last_of('.');
    if (dot == std::string::npos) {
        return dot;
    }
    std::size_t separator = lastSeparator(text);
    return (separator == std::string::npos || dot > separator) ? dot : std::string::npos;
}

char upperLetter(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// The text in upper case as the system's code page defines it.
std::string upperCased(std::string text) {
    if (!text.empty()) {
        CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    }
    return text;
}

bool hasDriveLetter(const std::string& text) {
    return text.size() >= 2 && text[1] == ':';
}

} // namespace

FileString::~FileString() = default;

FileString& FileString::join(const std::string& component) {
    if (component.empty()) {
        return *this;
    }
    if (isSeparator(component[0])) {
        if (!empty() && back() == '\\') {
            pop_back();
        }
    } else if (!empty() && back() != '\\') {
        push_back('\\');
    }
    append(component);
    return *this;
}

FileString& FileString::withSeparator() {
    if (!empty() && back() != '\\') {
        push_back('\\');
    }
    return *this;
}

bool FileString::endsWithSeparator() const {
    return !empty() && back() == '\\';
}

bool FileString::isAbsolute() const {
    if (size() < 2) {
        return false;
    }
    return (*this)[1] == ':' || ((*this)[0] == (*this)[1] && isSeparator((*this)[0]));
}

FileString FileString::absolute() const {
    if (empty()) {
        return currentFolder();
    }
    char buffer[MAX_PATH];
    DWORD length = GetFullPathNameA(c_str(), MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return *this; // too long or unusable: the path stays as it is
    }
    return FileString(std::string(buffer, length));
}

FileString FileString::folder() const {
    if (empty()) {
        return currentFolder();
    }
    FileString full = absolute();
    std::size_t separator = lastSeparator(full);
    if (separator == std::string::npos) {
        return FileString();
    }
    return FileString(full.substr(0, separator));
}

FileString FileString::fileName(bool keepExtension) const {
    std::size_t separator = lastSeparator(*this);
    FileString name(separator == std::string::npos ? std::string(*this) : substr(separator + 1));
    return keepExtension ? name : name.withoutExtension();
}

FileString FileString::withoutExtension() const {
    std::size_t dot = extensionDot(*this);
    return dot == std::string::npos ? *this : FileString(substr(0, dot));
}

FileString FileString::extension() const {
    std::size_t dot = extensionDot(*this);
    return dot == std::string::npos ? FileString() : FileString(substr(dot + 1));
}

FileString FileString::drive() const {
    if (hasDriveLetter(*this)) {
        return FileString(substr(0, 2));
    }
    if (size() >= 2 && (*this)[0] == '\\' && (*this)[1] == '\\') {
        std::size_t end = find('\\', 2);
        return FileString(end == std::string::npos ? std::string(*this) : substr(0, end));
    }
    return FileString();
}

std::vector<FileString> FileString::components() const {
    std::vector<FileString> pieces;
    FileString full = absolute();
    std::size_t start = 0;
    while (start <= full.size()) {
        std::size_t end = full.find_first_of("\\/", start);
        if (end == std::string::npos) {
            end = full.size();
        }
        if (end > start) {
            pieces.emplace_back(full.substr(start, end - start));
        }
        start = end + 1;
    }
    return pieces;
}

bool FileString::isFolder() const {
    DWORD attributes = GetFileAttributesA(c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileString::isFile() const {
    DWORD attributes = GetFileAttributesA(c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

FileString FileString::displayForm(unsigned maximumLength, unsigned flags) const {
    const bool relative = (flags & 1) != 0;
    if (empty()) {
        return FileString(relative ? "<none>" : "");
    }
    const bool quote = (flags & 2) == 0 && find(' ') != std::string::npos;
    const bool rooted = (size() >= 2 && (*this)[0] == '\\' && (*this)[1] == '\\') || (*this)[0] == '/';
    const char pathDrive = hasDriveLetter(*this) ? upperLetter((*this)[0]) : '\0';
    std::string rest = pathDrive ? substr(2) : std::string(*this);

    std::string current;
    char initialDrive = '\0';
    if (relative && !rooted) {
        current = currentFolder();
        initialDrive = hasDriveLetter(current) ? upperLetter(current[0]) : '\0';
        if (pathDrive && pathDrive != initialDrive) {
            const char driveText[3] = {pathDrive, ':', '\0'};
            // The other drive's current folder; without that drive there is none to be relative to.
            current = SetCurrentDirectoryA(driveText) ? std::string(currentFolder()) : std::string();
            if (initialDrive) {
                const char initialText[3] = {initialDrive, ':', '\0'};
                SetCurrentDirectoryA(initialText);
            }
        }
    }

    std::string out;
    if (quote) {
        out += '"';
    }
    if (pathDrive && (!relative || pathDrive != initialDrive)) {
        out += pathDrive;
        out += ':';
    }
    if (relative && !current.empty()) {
        const std::string currentRest = hasDriveLetter(current) ? current.substr(2) : current;
        const std::string upperRest = upperCased(rest);
        const std::string upperCurrent = upperCased(currentRest);
        if (upperRest.compare(0, upperCurrent.size(), upperCurrent) == 0) {
            if (rest.size() == currentRest.size()) {
                rest = ".";
            } else if (rest[currentRest.size()] == '\\') {
                rest.erase(0, currentRest.size() + 1);
            } else if (currentRest.size() == 1 && !hasDriveLetter(current)) {
                rest.erase(0, 1);
            }
        }
    }
    if (maximumLength > 0) {
        bool shortened = false;
        while (rest.size() > maximumLength) {
            std::size_t next = rest.find('\\', 1);
            if (next == std::string::npos) {
                break;
            }
            rest.erase(0, next);
            if (!shortened) {
                out += "\\...";
                shortened = true;
            }
        }
    }
    out += rest;
    if (quote) {
        out += '"';
    }
    return FileString(out);
}

FileString FileString::currentFolder() {
    char buffer[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH) {
        return FileString();
    }
    return FileString(std::string(buffer, length));
}

} // namespace ovs
