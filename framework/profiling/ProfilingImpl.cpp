// The generic operations of ovs::ProfilingImpl.
#include "profiling/ProfilingImpl.h"

#include "MessageNumbers.h"
#include "runtime/Exception.h"
#include "strings/NumberText.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace ovs {

namespace {

// The pieces of a number list text, split at every "," and ";".
std::vector<std::string> listPieces(const std::string& text) {
    std::vector<std::string> pieces;
    if (text.empty()) {
        return pieces;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find_first_of(",;", start);
        pieces.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return pieces;
}

template <class T> std::string joinNumbers(const std::vector<T>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            text += ',';
        text += std::to_string(values[i]);
    }
    return text;
}

} // namespace

std::int64_t profilingDecimalInt64(const std::string& text) {
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<std::int64_t>(value);
}

std::int32_t profilingDecimalLong(const std::string& text) {
    std::int64_t value = profilingDecimalInt64(text);
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::uint32_t profilingDecimalULong(const std::string& text) {
    const std::uint64_t largest = std::numeric_limits<std::uint32_t>::max();
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    std::uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
        if (magnitude > largest) {
            return static_cast<std::uint32_t>(largest);
        }
    }
    const std::uint32_t value = static_cast<std::uint32_t>(magnitude);
    return negative ? static_cast<std::uint32_t>(0u - value) : value;
}

ProfilingImpl::ProfilingImpl() : versionKey_("CurrentVersion"), companyKey_("ORVA-SYSTEMS") {}

ProfilingImpl::~ProfilingImpl() = default;

void ProfilingImpl::readTopicText(String& text, char separator) {
    std::vector<String> lines;
    readTopicLines(lines);
    text.clear();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += separator;
        text += lines[i];
    }
}

bool ProfilingImpl::readEntry(const std::string& name, String& text) {
    text.clear();
    if (!entryExists(name)) {
        return false;
    }
    readString(name, text);
    return true;
}

void ProfilingImpl::readTopicText(String& text) {
    readTopicText(text, '\n');
}

void ProfilingImpl::readUIntList(const std::string& name, std::vector<std::uint32_t>& values) {
    values.clear();
    String text;
    readString(name, text);
    for (const std::string& piece : listPieces(text)) {
        values.push_back(static_cast<std::uint32_t>(profilingDecimalLong(piece)));
    }
}

void ProfilingImpl::readIntList(const std::string& name, std::vector<std::int32_t>& values) {
    values.clear();
    String text;
    readString(name, text);
    for (const std::string& piece : listPieces(text)) {
        values.push_back(profilingDecimalLong(piece));
    }
}

void ProfilingImpl::writeUIntList(const std::string& name, const std::vector<std::uint32_t>& values) {
    if (!values.empty()) {
        writeString(name, joinNumbers(values));
    }
}

void ProfilingImpl::writeIntList(const std::string& name, const std::vector<std::int32_t>& values) {
    if (!values.empty()) {
        writeString(name, joinNumbers(values));
    }
}

void ProfilingImpl::writeBinary(const std::string& name, const void* bytes, std::size_t count) {
    const unsigned char* data = static_cast<const unsigned char*>(bytes);
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        appendHexByte(text, data[i]);
    }
    writeString(name, text);
}

std::size_t ProfilingImpl::readBinary(const std::string& name, void* buffer, std::size_t bufferSize) {
    String stored;
    readString(name, stored);
    std::string text = stored;
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    std::size_t position = text.compare(0, 2, "0X") == 0 ? 2 : 0;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    std::size_t count = 0;
    while (position < text.size() && count < bufferSize) {
        int high = upperHexDigitValue(text[position]);
        int low = position + 1 < text.size() ? upperHexDigitValue(text[position + 1]) : 0;
        if (high < 0 || low < 0) {
            throw Exception(msg::RegistryBadData, name, stored);
        }
        if (position + 1 == text.size()) {
            break; // a lone last digit is not a whole byte
        }
        out[count++] = static_cast<unsigned char>(high << 4 | low);
        position += 2;
    }
    return count;
}

void ProfilingImpl::listTopics(std::vector<String>& names, bool) {
    listTopics(names);
}

void ProfilingImpl::setFile(const FileString& path) {
    file_ = path;
}

void ProfilingImpl::setVersionKey(unsigned major, unsigned minor) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u.%02u", major, minor);
    versionKey_ = text;
}

Topic* ProfilingImpl::keepTopic(std::unique_ptr<Topic> topic) {
    topics_.push_back(std::move(topic));
    return topics_.back().get();
}

void ProfilingImpl::writeInt(const std::string& name, std::int32_t value) {
    writeUInt(name, static_cast<std::uint32_t>(value));
}

void ProfilingImpl::writeUInt(const std::string& name, std::uint32_t value) {
    writeString(name, std::to_string(value));
}

void ProfilingImpl::writeInt64(const std::string& name, std::int64_t value) {
    writeString(name, std::to_string(value));
}

} // namespace ovs
