// The configuration store over Windows private-profile INI files.
#include "profiling/ProfilingWinIni.h"

#include "MessageNumbers.h"

#include "files/FileError.h"
#include "platform/Win32.h"
#include "runtime/Exception.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace ovs {

namespace {

// The items of a double-NUL-terminated list of the given length, as one text with a NUL
// between two items: the list ends at its first empty item or at the length.
std::string_view listedItems(const char* buffer, std::size_t length) {
    std::size_t start = 0;
    std::size_t end = 0;
    while (start < length && buffer[start] != '\0') {
        const void* nul = std::memchr(buffer + start, '\0', length - start);
        end = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : length;
        start = end + 1;
    }
    return std::string_view(buffer, end);
}

// The NUL-separated names of a double-NUL-terminated list of the given length.
std::vector<String> splitAtNul(const char* buffer, std::size_t length) {
    const std::string_view items = listedItems(buffer, length);
    std::vector<String> parts;
    if (items.empty()) {
        return parts;
    }
    parts.reserve(static_cast<std::size_t>(std::count(items.begin(), items.end(), '\0')) + 1);
    std::size_t start = 0;
    for (std::size_t end = items.find('\0'); end != std::string_view::npos; end = items.find('\0', start)) {
        parts.emplace_back(items.data() + start, end - start);
        start = end + 1;
    }
    parts.emplace_back(items.data() + start, items.size() - start);
    return parts;
}

// The lines of a section as GetPrivateProfileSectionA hands them out, asked with a buffer
// that grows until the list fits with room to spare (a list that fills the buffer to its
// last two bytes may be cut).
class SectionList {
public:
    SectionList(const String& section, const String& file) {
        DWORD length = GetPrivateProfileSectionA(section.c_str(), first_, sizeof first_, file.c_str());
        const char* buffer = first_;
        if (length + 2 >= sizeof first_) {
            more_.resize(sizeof first_);
            do {
                more_.resize(more_.size() + 512);
                length = GetPrivateProfileSectionA(section.c_str(), more_.data(), static_cast<DWORD>(more_.size()),
                                                   file.c_str());
            } while (length + 2 >= more_.size());
            buffer = more_.data();
        }
        buffer_ = buffer;
        length_ = length;
    }
    SectionList(const SectionList&) = delete;
    SectionList& operator=(const SectionList&) = delete;

    // The lines with a NUL between two of them.
    std::string_view lines() const { return listedItems(buffer_, length_); }
    std::vector<String> split() const { return splitAtNul(buffer_, length_); }

private:
    char first_[1024];
    std::vector<char> more_;
    const char* buffer_ = nullptr;
    std::size_t length_ = 0;
};

// A private-profile write that failed (the function returned FALSE): the file error of the
// system's code, so that the message names the file and the cause (access denied, disk full).
// Writes are checked although the store otherwise hands write results back as data: a request
// that lost an entry must never pass for a complete one.
[[noreturn]] void raiseWriteError(const FileString& file) {
    raiseFileError(file.absolute(), msg::CannotWriteFile, GetLastError());
}

} // namespace

ProfilingWinIni::ProfilingWinIni() = default;

ProfilingWinIni::~ProfilingWinIni() = default;

bool ProfilingWinIni::flush() {
    if (!file_.empty()) {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file_.c_str());
    }
    return true;
}

void ProfilingWinIni::readString(const std::string& name, String& text) {
    char buffer[512] = {};
    DWORD length = GetPrivateProfileStringA(section_.c_str(), name.c_str(), "", buffer, sizeof buffer, file_.c_str());
    text.assign(buffer, length);
}

// One call instead of two: a value read from a file never holds a line break, so the default
// "\n" coming back means that the entry is absent (or the file unreadable, as entryExists).
bool ProfilingWinIni::readEntry(const std::string& name, String& text) {
    char buffer[512] = {};
    DWORD length = GetPrivateProfileStringA(section_.c_str(), name.c_str(), "\n", buffer, sizeof buffer, file_.c_str());
    if (length == 1 && buffer[0] == '\n') {
        text.clear();
        return false;
    }
    text.assign(buffer, length);
    return true;
}

std::uint32_t ProfilingWinIni::writeString(const std::string& name, const std::string& text) {
    if (!WritePrivateProfileStringA(section_.c_str(), name.c_str(), text.c_str(), file_.c_str())) {
        raiseWriteError(file_);
    }
    return GetLastError();
}

void ProfilingWinIni::writeTopicLines(const std::vector<String>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += '\0';
        text += lines[i];
    }
    writeTopicText(text, '\0');
}

void ProfilingWinIni::writeTopicText(const std::string& text, char separator) {
    // A file that is not there yet holds no topic: deleting it would only create the file
    // empty before the write below. (A bare name is the Windows folder's, which a look-up
    // of the name would not find.)
    const bool named = file_.find_first_of("\\/:") != std::string::npos;
    if (!named || GetFileAttributesA(file_.c_str()) != INVALID_FILE_ATTRIBUTES) {
        deleteTopic();
    }
    std::string block = text;
    block += separator;
    block += separator;
    if (separator != '\0') {
        for (char& c : block) {
            if (c == separator)
                c = '\0';
        }
    }
    if (!WritePrivateProfileSectionA(section_.c_str(), block.c_str(), file_.c_str())) {
        raiseWriteError(file_);
    }
}

void ProfilingWinIni::readTopicLines(std::vector<String>& lines) {
    lines = SectionList(section_, file_).split();
}

void ProfilingWinIni::readTopicText(String& text, char separator) {
    text.assign(SectionList(section_, file_).lines());
    if (separator != '\0') {
        std::replace(text.begin(), text.end(), '\0', separator);
    }
}

std::int32_t ProfilingWinIni::readInt(const std::string& name) {
    return static_cast<std::int32_t>(GetPrivateProfileIntA(section_.c_str(), name.c_str(), 0, file_.c_str()));
}

std::int64_t ProfilingWinIni::readInt64(const std::string& name) {
    return static_cast<std::int64_t>(readUInt(name));
}

std::uint32_t ProfilingWinIni::readUInt(const std::string& name) {
    return static_cast<std::uint32_t>(GetPrivateProfileIntA(section_.c_str(), name.c_str(), 0, file_.c_str()));
}

bool ProfilingWinIni::isWritable() {
    return true;
}

// An empty answer with the empty default is either a missing entry or an empty value;
// asking again with the default "*" tells them apart.
bool ProfilingWinIni::entryExists(const std::string& name) {
    char buffer[512] = {};
    if (GetPrivateProfileStringA(section_.c_str(), name.c_str(), "", buffer, sizeof buffer, file_.c_str()) > 0) {
        return true;
    }
    buffer[0] = '\0';
    GetPrivateProfileStringA(section_.c_str(), name.c_str(), "*", buffer, sizeof buffer, file_.c_str());
    return buffer[0] == '\0';
}

bool ProfilingWinIni::topicExists() {
    char buffer[64] = {};
    if (GetPrivateProfileStringA(section_.c_str(), nullptr, "", buffer, sizeof buffer, file_.c_str()) > 0) {
        return true;
    }
    return GetPrivateProfileSectionA(section_.c_str(), buffer, sizeof buffer, file_.c_str()) > 0;
}

void ProfilingWinIni::listTopics(std::vector<String>& names) {
    std::vector<char> buffer(65536);
    DWORD length =
        GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(), static_cast<DWORD>(buffer.size()), file_.c_str());
    names = splitAtNul(buffer.data(), length);
}

void ProfilingWinIni::listEntries(std::vector<String>& names) {
    std::vector<char> buffer(256);
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileStringA(section_.c_str(), nullptr, "", buffer.data(),
                                          static_cast<DWORD>(buffer.size()), file_.c_str());
        if (length + 2 < buffer.size())
            break;
        buffer.resize(buffer.size() * 2);
    }
    names = splitAtNul(buffer.data(), length);
}

std::uint32_t ProfilingWinIni::setTopic(const std::string& name) {
    section_ = name;
    return 0;
}

void ProfilingWinIni::enterSubTopic(const std::string& name) {
    section_ += "/";
    section_ += name;
}

void ProfilingWinIni::leaveSubTopic() {}

void ProfilingWinIni::setRoot(int root) {
    if (root == ProfilingRootMachine) {
        rootName_ = "HKEY_LOCAL_MACHINE";
    } else if (root == ProfilingRootUser) {
        rootName_ = "HKEY_CURRENT_USER";
    }
}

void ProfilingWinIni::setApplicationKey(const std::string&) {}

void ProfilingWinIni::setProductKey(const std::string&) {}

void ProfilingWinIni::deleteTopic() {
    if (!WritePrivateProfileStringA(section_.c_str(), nullptr, nullptr, file_.c_str())) {
        raiseWriteError(file_);
    }
}

void ProfilingWinIni::deleteEntry(const std::string& name) {
    if (!WritePrivateProfileStringA(section_.c_str(), name.c_str(), nullptr, file_.c_str())) {
        raiseWriteError(file_);
    }
}

String ProfilingWinIni::topicName() {
    return section_;
}

bool ProfilingWinIni::setText(const void*, std::size_t) {
    return false;
}

void ProfilingWinIni::getText(String& text) {
    text.clear();
}

Topic* ProfilingWinIni::openTopic(const std::string&) {
    throw Exception(42, "Not implemented");
}

Topic* ProfilingWinIni::openTopic(const std::string&, const std::string&) {
    throw Exception(42, "Not implemented");
}

} // namespace ovs
