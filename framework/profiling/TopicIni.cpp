// The topic handle of the INI text store.
#include "profiling/TopicIni.h"

#include "profiling/ProfilingIni.h"

#include <algorithm>

namespace ovs {

namespace {

std::string trimmedKey(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::string();
    std::size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

} // namespace

TopicIni::TopicIni(ProfilingIni& store, const std::string& section) : store_(store), section_(section) {}

TopicIni::~TopicIni() = default;

void TopicIni::readString(const std::string& name, String& text) {
    text.clear();
    if (const ProfilingIni::Section* section = store_.findSection(section_)) {
        auto entry = section->entries.find(trimmedKey(name));
        if (entry != section->entries.end()) {
            text = ProfilingIni::valueOfRaw(entry->second);
        }
    }
}

std::uint32_t TopicIni::writeString(const std::string& name, const std::string& text) {
    ProfilingIni::Section& section = store_.sectionForWrite(section_);
    store_.changed_ = true;
    ProfilingIni::putRaw(section, trimmedKey(name), "=" + text);
    return 0;
}

std::int32_t TopicIni::readInt(const std::string& name) {
    String text;
    readString(name, text);
    return profilingDecimalLong(text);
}

std::uint32_t TopicIni::readUInt(const std::string& name) {
    return static_cast<std::uint32_t>(readInt(name));
}

std::int64_t TopicIni::readInt64(const std::string& name) {
    String text;
    readString(name, text);
    return profilingDecimalInt64(text);
}

void TopicIni::writeInt(const std::string& name, std::int32_t value) {
    writeUInt(name, static_cast<std::uint32_t>(value));
}

void TopicIni::writeUInt(const std::string& name, std::uint32_t value) {
    writeString(name, std::to_string(value));
}

void TopicIni::writeInt64(const std::string& name, std::int64_t value) {
    writeString(name, std::to_string(value));
}

bool TopicIni::entryExists(const std::string& name) {
    const ProfilingIni::Section* section = store_.findSection(section_);
    return section && section->entries.count(trimmedKey(name)) != 0;
}

void TopicIni::deleteEntry(const std::string& name) {
    ProfilingIni::Section* section = store_.findSection(section_);
    const std::string key = trimmedKey(name);
    if (section && section->entries.erase(key) != 0) {
        section->keyOrder.erase(std::remove(section->keyOrder.begin(), section->keyOrder.end(), key),
                                section->keyOrder.end());
        store_.changed_ = true;
    }
}

void TopicIni::listEntries(std::vector<String>& names) {
    names.clear();
    if (const ProfilingIni::Section* section = store_.findSection(section_)) {
        names.assign(section->keyOrder.begin(), section->keyOrder.end());
    }
}

String TopicIni::topicName() const {
    return section_;
}

} // namespace ovs
