// POSIX substitute: reading and line-wise editing of private-profile text.
#include "platform/posix/profile/ProfileText.h"

#include <cstring>

namespace ovs::posix {

namespace {

const char* const lineEnd = "\r\n";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

// Cut at the first NUL, then blanks trimmed: a name, a value and the text of a line are C
// strings, so that a look-up hands out what the section list holds. A file written with its C
// string's terminator thus ends in an empty line, and Windows lists no such line. (Wine 8 trims
// before it cuts: "k=a \0b" gives "a " there.)
std::string_view trimBlanks(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    if (a == b) { // names are mostly spelt as the file spells them
        return true;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

ProfileText::ProfileText(std::string bytes) : bytes_(std::move(bytes)) {
    reindex();
}

std::vector<ProfileText::Line> ProfileText::split() const {
    std::vector<Line> result;
    const char* const text = bytes_.data();
    const std::size_t size = bytes_.size();
    result.reserve(16);
    // Line ends are found with memchr: the next LF, kept until a line passes it (so that the
    // lines of a file with CR alone are not searched to the end for an LF each), then the
    // first CR before it.
    auto find = [text](char c, std::size_t from, std::size_t to) {
        const void* found = std::memchr(text + from, c, to - from);
        return found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - text) : to;
    };
    std::size_t nextLf = find('\n', 0, size);
    std::size_t pos = 0;
    while (pos < size) {
        if (nextLf < pos) {
            nextLf = find('\n', pos, size);
        }
        const std::size_t stop = find('\r', pos, nextLf);
        Line line{pos, stop, stop, Kind::Blank, {}, {}};
        if (stop < size) {
            line.end = stop + ((text[stop] == '\r' && stop + 1 < size && text[stop + 1] == '\n') ? 2 : 1);
        }

        std::size_t first = pos;
        while (first < stop && isBlank(text[first])) {
            ++first;
        }
        if (first == stop) {
            line.kind = Kind::Blank;
        } else if (text[first] == '[') {
            line.kind = Kind::Header;
            line.name = trimBlanks(std::string_view(text + first + 1, find(']', first + 1, stop) - first - 1));
        } else if (text[first] == ';') {
            line.kind = Kind::Comment;
        } else if (std::size_t equals = find('=', first, stop); equals != stop) {
            line.kind = Kind::Entry;
            line.name = trimBlanks(std::string_view(text + first, equals - first));
            line.value = trimBlanks(std::string_view(text + equals + 1, stop - equals - 1));
        } else {
            line.kind = trimBlanks(std::string_view(text + first, stop - first)).empty() ? Kind::Blank : Kind::Text;
        }
        result.push_back(line);
        pos = line.end;
    }
    return result;
}

std::optional<ProfileText::SectionRange> ProfileText::findSection(const std::vector<Line>& lines,
                                                                  std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Kind::Header && equalsIgnoringAsciiCase(lines[i].name, section)) {
            std::size_t end = i + 1;
            while (end < lines.size() && lines[end].kind != Kind::Header) {
                ++end;
            }
            return SectionRange{i, end};
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> ProfileText::findKey(const std::vector<Line>& lines, const SectionRange& range,
                                                std::string_view key) {
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (lines[i].kind == Kind::Entry && equalsIgnoringAsciiCase(lines[i].name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> ProfileText::value(std::string_view section, std::string_view key) const {
    const std::vector<Line>& all = lines_;
    std::optional<SectionRange> range = findSection(all, section);
    if (!range) {
        return std::nullopt;
    }
    std::optional<std::size_t> index = findKey(all, *range, key);
    if (!index) {
        return std::nullopt;
    }
    return all[*index].value;
}

std::string ProfileText::sectionNames() const {
    std::string names;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Header) {
            names += line.name;
            names += '\0';
        }
    }
    return names;
}

std::optional<std::string> ProfileText::keyNames(std::string_view section) const {
    const std::vector<Line>& all = lines_;
    std::optional<SectionRange> range = findSection(all, section);
    if (!range) {
        return std::nullopt;
    }
    std::string names;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (all[i].kind == Kind::Entry && !all[i].name.empty()) {
            names += all[i].name;
            names += '\0';
        }
    }
    return names;
}

bool ProfileText::sectionLines(std::string_view section, std::string& lines) const {
    lines.clear();
    const std::vector<Line>& all = lines_;
    std::optional<SectionRange> range = findSection(all, section);
    if (!range) {
        return false;
    }
    // The size first, then the bytes in place: one allocation at most, none when the buffer
    // kept is large enough.
    auto textOf = [this](const Line& line) {
        return trimBlanks(std::string_view(bytes_).substr(line.begin, line.contentEnd - line.begin));
    };
    std::size_t size = 0;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        const Line& line = all[i];
        if (line.kind == Kind::Entry) {
            size += line.name.size() + line.value.size() + 2;
        } else if (line.kind == Kind::Text) {
            size += textOf(line).size() + 1;
        }
    }
    lines.resize(size);
    char* out = lines.data();
    auto put = [&out](std::string_view text) {
        if (!text.empty()) {
            std::memcpy(out, text.data(), text.size());
            out += text.size();
        }
    };
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        const Line& line = all[i];
        if (line.kind == Kind::Entry) {
            put(line.name);
            *out++ = '=';
            put(line.value);
            *out++ = '\0';
        } else if (line.kind == Kind::Text) {
            put(textOf(line));
            *out++ = '\0';
        }
    }
    return true;
}

void ProfileText::insertAfter(const Line& line, const std::string& text) {
    std::size_t at = line.end;
    if (line.end == line.contentEnd) { // the last line of the file, without a line end
        bytes_.insert(at, lineEnd);
        at += 2;
    }
    bytes_.insert(at, text);
}

void ProfileText::appendSection(std::string_view section, const std::string& body) {
    if (!bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r') {
        bytes_ += lineEnd;
    }
    bytes_ += '[';
    bytes_ += section;
    bytes_ += ']';
    bytes_ += lineEnd;
    bytes_ += body;
}

void ProfileText::setValue(std::string_view section, std::string_view key, std::string_view value) {
    std::string entry(key);
    entry += '=';
    entry += value;
    Reindexing reindexing{*this};
    const std::vector<Line> all = std::move(lines_);
    std::optional<SectionRange> range = findSection(all, section);
    if (!range) {
        appendSection(section, entry + lineEnd);
        return;
    }
    if (std::optional<std::size_t> index = findKey(all, *range, key)) {
        const Line& line = all[*index];
        std::string rewritten(line.name); // the file's own spelling of the key
        rewritten += '=';
        rewritten += value;
        if (line.end == line.contentEnd) {
            rewritten += lineEnd;
        }
        bytes_.replace(line.begin, line.contentEnd - line.begin, rewritten);
        return;
    }
    std::size_t after = range->header;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (all[i].kind == Kind::Entry) {
            after = i;
        }
    }
    insertAfter(all[after], entry + lineEnd);
}

void ProfileText::deleteKey(std::string_view section, std::string_view key) {
    Reindexing reindexing{*this};
    const std::vector<Line> all = std::move(lines_);
    std::optional<SectionRange> range = findSection(all, section);
    if (!range) {
        return;
    }
    if (std::optional<std::size_t> index = findKey(all, *range, key)) {
        bytes_.erase(all[*index].begin, all[*index].end - all[*index].begin);
    }
}

void ProfileText::deleteSection(std::string_view section) {
    Reindexing reindexing{*this};
    const std::vector<Line> all = std::move(lines_);
    std::optional<SectionRange> range = findSection(all, section);
    if (!range) {
        return;
    }
    // Back to front, so that the offsets of the lines still to be removed stay valid.
    for (std::size_t i = range->end; i-- > range->header;) {
        Kind kind = all[i].kind;
        if (kind == Kind::Header || kind == Kind::Entry || kind == Kind::Text) {
            bytes_.erase(all[i].begin, all[i].end - all[i].begin);
        }
    }
}

void ProfileText::replaceSection(std::string_view section, const std::vector<std::string>& newLines) {
    std::string body;
    for (const std::string& line : newLines) {
        body += line;
        body += lineEnd;
    }
    Reindexing reindexing{*this};
    const std::vector<Line> all = std::move(lines_);
    std::optional<SectionRange> range = findSection(all, section);
    if (!range) {
        appendSection(section, body);
        return;
    }
    std::size_t last = range->header; // the last non-blank line of the section
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (all[i].kind != Kind::Blank) {
            last = i;
        }
    }
    const Line& header = all[range->header];
    std::size_t from = header.end;
    std::size_t to = all[last].end;
    if (header.end == header.contentEnd) { // header is the last line and has no line end
        body.insert(0, lineEnd);
    }
    bytes_.replace(from, to - from, body);
}

} // namespace ovs::posix
