// A path text with the path operations every part of the framework uses. Paths are Windows
// paths: "\" is the separator written; "\" and "/" both split.
#pragma once
#include "strings/StringBase.h"

#include <vector>

namespace ovs {

class FileString : public StringBase<char> {
public:
    using StringBase<char>::StringBase;
    FileString() = default;
    FileString(const char* text) : StringBase<char>(text) {}
    FileString(const std::string& text) : StringBase<char>(text) {}
    FileString(const FileString&) = default;
    FileString(FileString&&) = default;
    FileString& operator=(const FileString&) = default;
    FileString& operator=(FileString&&) = default;
    ~FileString() override;

    // In place: one separator between path and component ("C:\a" + "b" = "C:\a\b",
    // "C:\a\" + "\b" = "C:\a\b"); an empty component changes nothing.
    FileString& join(const std::string& component);
    // In place: appends "\" unless empty or already ending with "\".
    FileString& withSeparator();
    bool endsWithSeparator() const;
    // Two characters at least, and the second is ':' or the first two are the same separator.
    bool isAbsolute() const;
    // GetFullPathNameA of the path (260 characters); an empty path gives the current folder.
    FileString absolute() const;
    // The absolute form cut before its last separator; empty when there is none; for an
    // empty path the current folder.
    FileString folder() const;
    // The text after the last separator (the whole path when there is none).
    FileString fileName(bool keepExtension = true) const;
    FileString withoutExtension() const;
    // Without the dot; empty when the last dot does not come after the last separator.
    FileString extension() const;
    // "C:" for "C:\x", "\\srv" for "\\srv\share\x", otherwise empty.
    FileString drive() const;
    // The non-empty pieces of the absolute form.
    std::vector<FileString> components() const;
    bool isFolder() const;
    bool isFile() const;
    // The form shown in messages (maximum 0 = unlimited; flag 1 = relative to the current
    // folder; flag 2 = never quote). File messages use displayForm(0, 1).
    FileString displayForm(unsigned maximumLength = 0, unsigned flags = 1) const;

    // GetCurrentDirectoryA into 260 characters.
    static FileString currentFolder();
};

} // namespace ovs
