// The topic handle of the INI text store.
#include "profiling/TopicIni.h"

#include "profiling/ProfilingIni.h"

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
        if (const ProfilingIni::Line* line = ProfilingIni::findLine(*section, trimmedKey(name))) {
            text = ProfilingIni::valueOfRaw(std::string(line->rawText()));
        }
    }
}

std::uint32_t TopicIni::writeString(const std::string& name, const std::string& text) {
    ProfilingIni::Section& section = store_.sectionForWrite(section_);
    store_.changed_ = true;
    store_.putRaw(section, trimmedKey(name), "=" + text);
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
    return section && ProfilingIni::findLine(*section, trimmedKey(name)) != nullptr;
}

void TopicIni::deleteEntry(const std::string& name) {
    ProfilingIni::Section* section = store_.findSection(section_);
    if (section && ProfilingIni::eraseKey(*section, trimmedKey(name))) {
        store_.changed_ = true;
    }
}

void TopicIni::listEntries(std::vector<String>& names) {
    names.clear();
    if (const ProfilingIni::Section* section = store_.findSection(section_)) {
        ProfilingIni::listKeys(*section, names);
    }
}

String TopicIni::topicName() const {
    return section_;
}

} // namespace ovs
