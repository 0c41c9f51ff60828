// The INI text store: parser, model, serialiser and the file form of loading and saving.
#include "profiling/ProfilingIni.h"

#include "MessageNumbers.h"
#include "files/File.h"
#include "platform/Win32.h"
#include "profiling/TopicIni.h"
#include "runtime/Exception.h"

#include <algorithm>

namespace ovs {

const char* ProfilingIniDefaultTopic = "General";

namespace {

const char LineEnd[] = "\r\n";
const std::uint64_t LargestLoadedFile = std::uint64_t(1) << 30;

bool isBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlankOrTab(text[begin]))
        ++begin;
    while (end > begin && isBlankOrTab(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

} // namespace

ProfilingIni::ProfilingIni() = default;

ProfilingIni::~ProfilingIni() = default;

String ProfilingIni::sectionKey(const std::string& name) {
    String key(name);
    if (!key.empty()) {
        CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
    }
    return key;
}

ProfilingIni::Section* ProfilingIni::findSection(const std::string& name) {
    auto it = sections_.find(sectionKey(name));
    return it == sections_.end() ? nullptr : &it->second;
}

ProfilingIni::Section& ProfilingIni::sectionForWrite(const std::string& name) {
    auto inserted = sections_.try_emplace(sectionKey(name));
    if (inserted.second) {
        sectionOrder_.push_back(name);
    }
    if (sectionKey(name) == sectionKey(topic_)) {
        topicExists_ = true;
    }
    return inserted.first->second;
}

void ProfilingIni::putRaw(Section& section, const std::string& key, std::string raw) {
    auto found = section.entries.find(key);
    if (found == section.entries.end()) {
        section.keyOrder.push_back(key);
        section.entries.emplace(key, std::move(raw));
    } else {
        found->second = std::move(raw);
    }
}

void ProfilingIni::selectDefaultTopic() {
    if (topic_.empty()) {
        setTopic(ProfilingIniDefaultTopic);
    }
}

String ProfilingIni::valueOfRaw(const std::string& raw) {
    if (raw.size() < 2) {
        return String();
    }
    std::size_t start = raw.find_first_not_of(' ', 1);
    return start == std::string::npos ? String() : String(raw.substr(start));
}

// Parsing: lines split at every CR and LF, trimmed of blanks and tabs, empty ones skipped.
// "[name" opens a section (the name ends at the first "]"); any other line is an entry of
// the open section: key up to the first "=" (no "=" when a double quote comes first) and
// the raw value from the "=" on.
// A section whose header comes again continues where it stood: its entries are all kept (a
// repeated key as within one block) and it is written once, so that no setting of the file
// is lost. Entries before the first section header join the first section for the same
// reason; a file without any header keeps none of them.
void ProfilingIni::parse(const std::string& text) {
    sections_.clear();
    sectionOrder_.clear();
    changed_ = false;

    Section leading;                 // entries before the first header
    Section* open = nullptr;         // the section the entries go to
    String openName;
    bool openIsNew = false;          // opened by its first header

    const char* const data = text.data();
    const std::size_t size = text.size();
    std::size_t position = 0;
    while (position < size) {
        std::size_t lineEnd = position;
        while (lineEnd < size && data[lineEnd] != '\r' && data[lineEnd] != '\n')
            ++lineEnd;
        std::size_t begin = position;
        std::size_t end = lineEnd;
        position = lineEnd + 1;
        while (begin < end && isBlankOrTab(data[begin]))
            ++begin;
        while (end > begin && isBlankOrTab(data[end - 1]))
            --end;
        if (begin == end) {
            continue;
        }
        if (data[begin] == '[') {
            std::size_t close = begin + 1;
            while (close < end && data[close] != ']')
                ++close;
            openName = trimmed(std::string(data + begin + 1, close - begin - 1));
            auto inserted = sections_.try_emplace(sectionKey(openName));
            open = &inserted.first->second;
            openIsNew = inserted.second;
            if (openIsNew) {
                sectionOrder_.push_back(openName);
                if (sectionOrder_.size() == 1) {
                    *open = std::move(leading);
                }
            }
            continue;
        }
        std::size_t equals = begin;
        while (equals < end && data[equals] != '=' && data[equals] != '"')
            ++equals;
        if (equals < end && data[equals] == '"') {
            equals = end;
        }
        std::size_t keyEnd = equals;
        while (keyEnd > begin && isBlankOrTab(data[keyEnd - 1]))
            --keyEnd;
        std::string key(data + begin, keyEnd - begin);
        std::string raw(data + equals, end - equals);
        Section& section = open ? *open : leading;
        section.keyOrder.push_back(key);
        section.entries[key] = std::move(raw);
    }
    if (open && openIsNew && (openName.empty() || open->entries.empty())) {
        // a section that ends the text without entries is not kept
        sections_.erase(sectionKey(openName));
        sectionOrder_.pop_back();
    }
    topicExists_ = !topic_.empty() && findSection(topic_) != nullptr;
}

String ProfilingIni::serialise() const {
    String text;
    for (const String& name : sectionOrder_) {
        if (name.empty()) {
            continue;
        }
        auto it = sections_.find(sectionKey(name));
        text += '[';
        text += name;
        text += ']';
        text += LineEnd;
        if (it != sections_.end()) {
            const Section& section = it->second;
            for (const std::string& key : section.keyOrder) {
                if (key.empty()) {
                    continue;
                }
                auto entry = section.entries.find(key);
                text += key;
                if (entry != section.entries.end()) {
                    text += entry->second;
                }
                text += LineEnd;
            }
        }
        text += LineEnd;
    }
    return text;
}

bool ProfilingIni::flush() {
    if (!changed_) {
        return true;
    }
    changed_ = false;
    return saveText(serialise());
}

void ProfilingIni::readString(const std::string& name, String& text) {
    text.clear();
    selectDefaultTopic();
    const Section* section = findSection(topic_);
    if (!section) {
        return;
    }
    auto entry = section->entries.find(trimmed(name));
    if (entry != section->entries.end()) {
        text = valueOfRaw(entry->second);
    }
}

std::uint32_t ProfilingIni::writeString(const std::string& name, const std::string& text) {
    selectDefaultTopic();
    Section& section = sectionForWrite(topic_);
    changed_ = true;
    std::string key = trimmed(name);
    bool comment = !key.empty() && key[0] == ';';
    putRaw(section, key, comment ? text : "=" + text);
    return 0;
}

void ProfilingIni::writeBareKey(const std::string& key) {
    selectDefaultTopic();
    Section& section = sectionForWrite(topic_);
    changed_ = true;
    putRaw(section, trimmed(key), std::string());
}

// The section is replaced: pieces between separators are split at their first "=" and
// written as by writeString; a piece with an empty value becomes a bare key, an empty piece
// is skipped, and a repeated key keeps its first place with the last value.
void ProfilingIni::writeTopicText(const std::string& text, char separator) {
    selectDefaultTopic();
    deleteTopic();
    setTopic(topic_);
    changed_ = true;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        std::string piece = text.substr(start, end - start);
        start = end + 1;
        if (trimmed(piece).empty()) {
            continue;
        }
        std::size_t equals = piece.find('=');
        std::string value = equals == std::string::npos ? std::string() : piece.substr(equals + 1);
        std::string key = piece.substr(0, equals);
        if (value.empty()) {
            writeBareKey(key);
        } else {
            writeString(key, value);
        }
    }
}

void ProfilingIni::writeTopicLines(const std::vector<String>& lines) {
    std::string text;
    for (const String& line : lines) {
        text += line;
        text += '\0';
    }
    writeTopicText(text, '\0');
}

void ProfilingIni::readTopicLines(std::vector<String>& lines) {
    lines.clear();
    selectDefaultTopic();
    const Section* section = findSection(topic_);
    if (!section) {
        return;
    }
    for (const std::string& key : section->keyOrder) {
        if (key.empty())
            continue;
        auto entry = section->entries.find(key);
        lines.push_back(key + (entry != section->entries.end() ? entry->second : std::string()));
    }
}

std::int32_t ProfilingIni::readInt(const std::string& name) {
    String text;
    readString(name, text);
    return profilingDecimalLong(text);
}

std::int64_t ProfilingIni::readInt64(const std::string& name) {
    String text;
    readString(name, text);
    return profilingDecimalInt64(text);
}

std::uint32_t ProfilingIni::readUInt(const std::string& name) {
    return static_cast<std::uint32_t>(readInt(name));
}

bool ProfilingIni::isWritable() {
    return true;
}

bool ProfilingIni::entryExists(const std::string& name) {
    selectDefaultTopic();
    const Section* section = findSection(topic_);
    return section && section->entries.count(trimmed(name)) != 0;
}

bool ProfilingIni::topicExists() {
    return !topic_.empty() && findSection(topic_) != nullptr;
}

void ProfilingIni::listTopics(std::vector<String>& names) {
    listTopics(names, topic_.empty() || sectionKey(topic_) == sectionKey(ProfilingIniDefaultTopic));
}

// Direct children only: from the top the part of each section name before its first "/",
// below a topic the next part after "topic/". Each child is listed once, in file order.
void ProfilingIni::listTopics(std::vector<String>& names, bool fromTop) {
    names.clear();
    const String prefix = fromTop ? String() : sectionKey(topic_ + "/");
    std::vector<String> seen;
    for (const String& name : sectionOrder_) {
        const String key = sectionKey(name);
        if (key.compare(0, prefix.size(), prefix) != 0 || key.size() == prefix.size()) {
            continue;
        }
        std::size_t slash = name.find('/', prefix.size());
        String child =
            name.substr(prefix.size(), slash == std::string::npos ? std::string::npos : slash - prefix.size());
        String childKey = sectionKey(child);
        if (std::find(seen.begin(), seen.end(), childKey) == seen.end()) {
            seen.push_back(childKey);
            names.push_back(child);
        }
    }
}

void ProfilingIni::listEntries(std::vector<String>& names) {
    names.clear();
    selectDefaultTopic();
    if (const Section* section = findSection(topic_)) {
        names.assign(section->keyOrder.begin(), section->keyOrder.end());
    }
}

std::uint32_t ProfilingIni::setTopic(const std::string& name) {
    topic_ = name.empty() ? String(ProfilingIniDefaultTopic) : String(name);
    topicExists_ = findSection(topic_) != nullptr;
    return topicExists_ ? 1 : 0;
}

void ProfilingIni::enterSubTopic(const std::string& name) {
    selectDefaultTopic();
    setTopic(topic_ + "/" + name);
}

void ProfilingIni::leaveSubTopic() {
    std::size_t slash = topic_.rfind('/');
    if (slash != std::string::npos) {
        setTopic(topic_.substr(0, slash));
    }
}

void ProfilingIni::setRoot(int) {}

void ProfilingIni::setApplicationKey(const std::string&) {
    if (keysMakeFileName_) {
        setFile(file_ + ".ini");
    }
}

void ProfilingIni::setProductKey(const std::string& name) {
    if (keysMakeFileName_) {
        file_ += name;
    }
}

void ProfilingIni::deleteTopic() {
    selectDefaultTopic();
    const String key = sectionKey(topic_);
    if (sections_.erase(key) == 0 && std::none_of(sectionOrder_.begin(), sectionOrder_.end(),
                                                  [&](const String& n) { return sectionKey(n) == key; })) {
        return;
    }
    sectionOrder_.erase(std::remove_if(sectionOrder_.begin(), sectionOrder_.end(),
                                       [&](const String& n) { return sectionKey(n) == key; }),
                        sectionOrder_.end());
    topicExists_ = false;
    changed_ = true;
}

void ProfilingIni::deleteEntry(const std::string& name) {
    selectDefaultTopic();
    Section* section = findSection(topic_);
    const std::string key = trimmed(name);
    if (!section || section->entries.erase(key) == 0) {
        return;
    }
    section->keyOrder.erase(std::remove(section->keyOrder.begin(), section->keyOrder.end(), key),
                            section->keyOrder.end());
    changed_ = true;
}

String ProfilingIni::topicName() {
    return topic_;
}

void ProfilingIni::setFile(const FileString& path) {
    file_ = path.absolute();
    String text;
    if (loadText(text)) {
        parse(text);
    } else {
        parse(std::string());
    }
}

bool ProfilingIni::setText(const void* bytes, std::size_t length) {
    writeTopicText(decodeText(bytes, length), '\0');
    return true;
}

void ProfilingIni::getText(String& text) {
    text = serialise();
}

Topic* ProfilingIni::openTopic(const std::string& name) {
    return keepTopic(std::make_unique<TopicIni>(*this, name.empty() ? std::string(ProfilingIniDefaultTopic) : name));
}

Topic* ProfilingIni::openTopic(const std::string& parent, const std::string& name) {
    return openTopic(parent + "/" + name);
}

bool ProfilingIni::loadText(String& text) {
    text.clear();
    File file(file_);
    if (file_.isFolder() || file_.endsWithSeparator()) {
        return false; // a folder that setProductKey and setApplicationKey complete to a file name
    }
    if (!file_.isFile()) {
        file.create(File::Read | File::Write, 0);
        return false;
    }
    file.open(File::Read);
    const std::uint64_t size = file.size64();
    if (size == 0 || size > LargestLoadedFile) {
        return false;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t read = file.read(&bytes[0], static_cast<std::uint32_t>(bytes.size()), false);
    bytes.resize(read);
    file.close();
    text = decodeText(std::move(bytes));
    return true;
}

bool ProfilingIni::saveText(const std::string& text) {
    if (file_.empty()) {
        if (!sectionOrder_.empty()) {
            FileException error(msg::BadFileOrFolder);
            error.setPath(file_);
            throw error;
        }
        return false;
    }
    File file(file_);
    file.create(File::Write, 0);
    if (!text.empty()) {
        file.write(text.data(), static_cast<std::uint32_t>(text.size()));
    }
    file.close();
    return true;
}

} // namespace ovs
