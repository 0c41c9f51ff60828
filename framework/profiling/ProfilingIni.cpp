// The INI text store: parser, model, serialiser and the file form of loading and saving.
#include "profiling/ProfilingIni.h"

#include "MessageNumbers.h"
#include "files/File.h"
#include "platform/Win32.h"
#include "profiling/TopicIni.h"
#include "runtime/Exception.h"

#include <algorithm>
#include <cstring>

namespace ovs {

const char* ProfilingIniDefaultTopic = "General";

namespace {

const char LineEnd[] = "\r\n";
const std::uint64_t LargestLoadedFile = std::uint64_t(1) << 30;
const std::size_t WritePiece = std::size_t(1) << 20; // bytes handed to the file at once

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

const ProfilingIni::Section* ProfilingIni::findSection(const std::string& name) const {
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

void ProfilingIni::buildIndex(const Section& section) {
    if (section.indexed) {
        return;
    }
    section.index.clear();
    section.index.reserve(section.lines.size());
    for (std::uint32_t i = 0; i < section.lines.size(); ++i) {
        section.index[section.lines[i].keyText()] = i;
    }
    section.repeatsKeys = section.index.size() != section.lines.size();
    section.indexed = true;
}

const ProfilingIni::Line* ProfilingIni::findLine(const Section& section, std::string_view key) {
    buildIndex(section);
    auto found = section.index.find(key);
    return found == section.index.end() ? nullptr : &section.lines[found->second];
}

std::string_view ProfilingIni::effectiveRaw(const Section& section, const Line& line) {
    if (!section.repeatsKeys) {
        return line.rawText();
    }
    return findLine(section, line.keyText())->rawText();
}

void ProfilingIni::putRaw(Section& section, const std::string& key, std::string raw) {
    buildIndex(section);
    const std::string& keptRaw = kept_.emplace_back(std::move(raw));
    auto found = section.index.find(key);
    if (found != section.index.end()) {
        Line& line = section.lines[found->second];
        line.raw = keptRaw.data();
        line.rawLength = static_cast<std::uint32_t>(keptRaw.size());
        return;
    }
    const std::string& keptKey = kept_.emplace_back(key);
    section.lines.push_back(Line{keptKey.data(), keptRaw.data(), static_cast<std::uint32_t>(keptKey.size()),
                                 static_cast<std::uint32_t>(keptRaw.size())});
    section.index.emplace(std::string_view(keptKey), static_cast<std::uint32_t>(section.lines.size() - 1));
}

bool ProfilingIni::eraseKey(Section& section, std::string_view key) {
    const std::size_t before = section.lines.size();
    section.lines.erase(std::remove_if(section.lines.begin(), section.lines.end(),
                                       [&](const Line& line) { return line.keyText() == key; }),
                        section.lines.end());
    if (section.lines.size() == before) {
        return false;
    }
    section.indexed = false;
    return true;
}

void ProfilingIni::listKeys(const Section& section, std::vector<String>& names) {
    names.clear();
    names.reserve(section.lines.size());
    for (const Line& line : section.lines) {
        names.emplace_back(line.key, line.keyLength);
    }
}

void ProfilingIni::selectDefaultTopic() {
    if (topic_.empty()) {
        setTopic(ProfilingIniDefaultTopic);
    }
}

namespace {

String valueOfRawText(std::string_view raw) {
    if (raw.size() < 2) {
        return String();
    }
    std::size_t start = raw.find_first_not_of(' ', 1);
    return start == std::string_view::npos ? String() : String(raw.substr(start));
}

// Tells whether a key comes twice among the lines of one block, without an allocation per
// line: a table of line numbers, stamped with the block so that it is never cleared. It grows
// with the block, so that the few lines of a small file fill no large table.
class RepeatedKeyCheck {
public:
    void startBlock() {
        ++stamp_;
        used_ = 0;
    }
    // False when the key was seen in this block, or when the block is too long to tell.
    template <class Lines> bool firstOfBlock(const Lines& lines, std::uint32_t line) {
        if (used_ >= slots_.size() / 2) {
            if (slots_.size() == MaxSlots) {
                return false;
            }
            grow(lines);
        }
        ++used_;
        return place(lines, line);
    }

private:
    static constexpr std::size_t MaxSlots = 4096;
    struct Slot {
        std::uint32_t stamp;
        std::uint32_t line;
    };

    // Takes the line into the table; false when a line of the block has the same key.
    template <class Lines> bool place(const Lines& lines, std::uint32_t line) {
        const std::size_t mask = slots_.size() - 1;
        const std::string_view key = lines[line].keyText();
        for (std::size_t slot = std::hash<std::string_view>()(key) & mask;; slot = (slot + 1) & mask) {
            if (slots_[slot].stamp != stamp_) {
                slots_[slot] = {stamp_, line};
                return true;
            }
            if (lines[slots_[slot].line].keyText() == key) {
                return false;
            }
        }
    }
    // Doubles the table, keeping the lines of the block.
    template <class Lines> void grow(const Lines& lines) {
        std::vector<Slot> old(slots_.empty() ? 16 : 2 * slots_.size(), Slot{0, 0});
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.stamp == stamp_) {
                place(lines, slot.line);
            }
        }
    }

    std::vector<Slot> slots_;
    std::uint32_t stamp_ = 0;
    std::size_t used_ = 0;
};

} // namespace

String ProfilingIni::valueOfRaw(const std::string& raw) {
    return valueOfRawText(raw);
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
    parse(String(text));
}

void ProfilingIni::parse(String&& text) {
    sections_.clear();
    sectionOrder_.clear();
    kept_.clear();
    text_ = std::move(text);
    changed_ = false;

    Section leading;          // entries before the first header
    Section* open = &leading; // the section the entries go to
    String openName;
    bool openIsNew = false; // opened by its first header
    RepeatedKeyCheck repeated;
    repeated.startBlock();
    auto closeBlock = [&]() {
        if (open->lines.capacity() > open->lines.size() + open->lines.size() / 4) {
            open->lines.shrink_to_fit();
        }
    };

    const char* const data = text_.data();
    const std::size_t size = text_.size();
    // The next CR and the next LF from a position on (size when there is none), each looked for
    // again only once a line has passed it.
    auto next = [&](char c, std::size_t from) {
        const void* at = std::memchr(data + from, c, size - from);
        return at == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(at) - data);
    };
    std::size_t nextCr = next('\r', 0);
    std::size_t nextLf = next('\n', 0);
    std::size_t position = 0;
    while (position < size) {
        if (nextCr < position) {
            nextCr = next('\r', position);
        }
        if (nextLf < position) {
            nextLf = next('\n', position);
        }
        const std::size_t lineEnd = std::min(nextCr, nextLf);
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
            closeBlock();
            std::size_t close = begin + 1;
            while (close < end && data[close] != ']')
                ++close;
            openName = trimmed(std::string(data + begin + 1, close - begin - 1));
            auto inserted = sections_.try_emplace(sectionKey(openName));
            const bool first = sectionOrder_.empty();
            open = &inserted.first->second;
            openIsNew = inserted.second;
            if (openIsNew) {
                sectionOrder_.push_back(openName);
            }
            if (first) {
                open->lines = std::move(leading.lines);
                open->repeatsKeys = leading.repeatsKeys;
            } else {
                repeated.startBlock();
                // a continued section may repeat a key of its earlier block
                open->repeatsKeys = open->repeatsKeys || !open->lines.empty();
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
        open->lines.push_back(Line{data + begin, data + equals, static_cast<std::uint32_t>(keyEnd - begin),
                                   static_cast<std::uint32_t>(end - equals)});
        if (!open->repeatsKeys &&
            !repeated.firstOfBlock(open->lines, static_cast<std::uint32_t>(open->lines.size() - 1))) {
            open->repeatsKeys = true;
        }
    }
    closeBlock();
    if (openIsNew && (openName.empty() || open->lines.empty())) {
        // a section that ends the text without entries is not kept
        sections_.erase(sectionKey(openName));
        sectionOrder_.pop_back();
    }
    topicExists_ = !topic_.empty() && findSection(topic_) != nullptr;
}

template <class Out> void ProfilingIni::writeModel(Out& out) const {
    for (const String& name : sectionOrder_) {
        if (name.empty()) {
            continue;
        }
        out("[");
        out(name);
        out("]\r\n");
        if (const Section* section = findSection(name)) {
            for (const Line& line : section->lines) {
                if (line.keyLength == 0) {
                    continue;
                }
                out(line.keyText());
                out(effectiveRaw(*section, line));
                out(LineEnd);
            }
        }
        out(LineEnd);
    }
}

String ProfilingIni::serialise() const {
    std::size_t size = 0;
    auto count = [&](std::string_view piece) { size += piece.size(); };
    writeModel(count);
    String text;
    text.reserve(size);
    auto append = [&](std::string_view piece) { text.append(piece.data(), piece.size()); };
    writeModel(append);
    return text;
}

bool ProfilingIni::flush() {
    if (!changed_) {
        return true;
    }
    changed_ = false;
    return saveModel();
}

void ProfilingIni::readString(const std::string& name, String& text) {
    text.clear();
    selectDefaultTopic();
    const Section* section = findSection(topic_);
    if (!section) {
        return;
    }
    if (const Line* line = findLine(*section, trimmed(name))) {
        text = valueOfRawText(line->rawText());
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
    for (const Line& line : section->lines) {
        if (line.keyLength == 0)
            continue;
        String text(line.keyText());
        text += effectiveRaw(*section, line);
        lines.push_back(std::move(text));
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
    return section && findLine(*section, trimmed(name)) != nullptr;
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
        listKeys(*section, names);
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
    if (section && eraseKey(*section, key)) {
        changed_ = true;
    }
}

String ProfilingIni::topicName() {
    return topic_;
}

void ProfilingIni::setFile(const FileString& path) {
    file_ = path.absolute();
    String text;
    if (!loadText(text)) {
        text.clear();
    }
    parse(std::move(text));
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

bool ProfilingIni::saveModel() {
    if (file_.empty()) {
        return saveText(std::string());
    }
    File file(file_);
    file.create(File::Write, 0);
    std::string buffer;
    buffer.reserve(WritePiece);
    auto out = [&](std::string_view piece) {
        if (buffer.size() + piece.size() > WritePiece && !buffer.empty()) {
            file.write(buffer.data(), static_cast<std::uint32_t>(buffer.size()));
            buffer.clear();
        }
        if (piece.size() >= WritePiece) {
            file.write(piece.data(), static_cast<std::uint32_t>(piece.size()));
        } else {
            buffer.append(piece.data(), piece.size());
        }
    };
    writeModel(out);
    if (!buffer.empty()) {
        file.write(buffer.data(), static_cast<std::uint32_t>(buffer.size()));
    }
    file.close();
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
