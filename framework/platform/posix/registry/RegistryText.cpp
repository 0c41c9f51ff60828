// POSIX substitute: the registry root in memory and its REGEDIT4 reader and writer.
#include "platform/posix/registry/RegistryText.h"
#include "platform/posix/registry/WinRegistry.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace ovs::posix {

namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string folded(const std::string& text) {
    std::string result = text;
    std::transform(result.begin(), result.end(), result.begin(), upper);
    return result;
}

bool sameName(const std::string& a, const std::string& b) {
    return folded(a) == folded(b);
}

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) {
        parts.push_back(part);
    }
    return parts;
}

std::string joined(const std::vector<std::string>& parts, std::size_t count) {
    std::string result;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            result += '\\';
        }
        result += parts[i];
    }
    return result;
}

// --- Reading -------------------------------------------------------------------------------

// Parses a "..." text at text[pos] (pos at the opening quote); pos ends behind the closing one.
bool readQuoted(const std::string& text, std::size_t& pos, std::string& out) {
    if (pos >= text.size() || text[pos] != '"') {
        return false;
    }
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '\\' && pos + 1 < text.size()) {
            out += text[++pos];
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool readHexBytes(const std::string& text, std::vector<BYTE>& out) {
    out.clear();
    int pending = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            continue;
        }
        if (c == ',') {
            if (pending >= 0) {
                out.push_back(static_cast<BYTE>(pending));
            }
            pending = -1;
            continue;
        }
        int digit = hexDigit(c);
        if (digit < 0) {
            return false;
        }
        pending = pending < 0 ? digit : pending * 16 + digit;
        if (pending > 0xFF) {
            return false;
        }
    }
    if (pending >= 0) {
        out.push_back(static_cast<BYTE>(pending));
    }
    return true;
}

// The value part behind "=": fills type and data; erase is set for "-".
bool readValueData(const std::string& text, DWORD& type, std::vector<BYTE>& data, bool& erase) {
    erase = false;
    if (text == "-") {
        erase = true;
        return true;
    }
    if (!text.empty() && text[0] == '"') {
        std::size_t pos = 0;
        std::string value;
        if (!readQuoted(text, pos, value)) {
            return false;
        }
        type = REG_SZ;
        data.assign(value.begin(), value.end());
        data.push_back(0);
        return true;
    }
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    if (lower.rfind("dword:", 0) == 0) {
        std::string digits = text.substr(6);
        if (digits.empty() || digits.size() > 8) {
            return false;
        }
        DWORD number = 0;
        for (char c : digits) {
            int digit = hexDigit(c);
            if (digit < 0) {
                return false;
            }
            number = number * 16 + static_cast<DWORD>(digit);
        }
        type = REG_DWORD;
        data = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8), static_cast<BYTE>(number >> 16),
                static_cast<BYTE>(number >> 24)};
        return true;
    }
    if (lower.rfind("hex:", 0) == 0) {
        type = REG_BINARY;
        return readHexBytes(text.substr(4), data);
    }
    if (lower.rfind("hex(", 0) == 0) {
        std::size_t close = lower.find("):", 4);
        if (close == std::string::npos || close == 4) {
            return false;
        }
        DWORD number = 0;
        for (std::size_t i = 4; i < close; ++i) {
            int digit = hexDigit(lower[i]);
            if (digit < 0) {
                return false;
            }
            number = number * 16 + static_cast<DWORD>(digit);
        }
        type = number;
        return readHexBytes(text.substr(close + 2), data);
    }
    return false;
}

// The file's logical lines: CR LF or LF ends a line, a trailing "\" joins the next one.
std::vector<std::string> logicalLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    bool continuing = false;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (continuing) {
            std::size_t start = line.find_first_not_of(" \t");
            line = start == std::string::npos ? std::string() : line.substr(start);
        }
        bool continues = !line.empty() && line.back() == '\\' && line[0] != '[';
        if (continues) {
            line.pop_back();
        }
        current += line;
        continuing = continues;
        if (!continues) {
            lines.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) {
        lines.push_back(current);
    }
    return lines;
}

// --- Writing -------------------------------------------------------------------------------

std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            result += '\\';
        }
        result += c;
    }
    return result + "\"";
}

// A REG_SZ that reads back exactly from the "text" form: one NUL at the end, none before it,
// and no line break inside.
bool writableAsText(const std::vector<BYTE>& data) {
    if (data.empty() || data.back() != 0) {
        return false;
    }
    return std::none_of(data.begin(), data.end() - 1, [](BYTE b) { return b == 0 || b == '\n' || b == '\r'; });
}

void appendHex(std::string& out, std::size_t lineStart, const std::string& prefix, const std::vector<BYTE>& data) {
    out += prefix;
    char digits[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02x", data[i]);
        out += digits;
        if (i + 1 < data.size()) {
            out += ',';
            if (out.size() - lineStart >= 76) { // regedit's wrapping: "\" and two blanks
                out += "\\\n  ";
                lineStart = out.size() - 2;
            }
        }
    }
}

std::string formatValue(const RegistryValue& value) {
    std::string line = value.name.empty() ? std::string("@") : quoted(value.name);
    line += '=';
    if (value.type == REG_SZ && writableAsText(value.data)) {
        return line + quoted(std::string(value.data.begin(), value.data.end() - 1));
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x",
                      static_cast<unsigned>(value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                            (static_cast<DWORD>(value.data[3]) << 24)));
        return line + digits;
    }
    std::string prefix = "hex:";
    if (value.type != REG_BINARY) {
        char text[24];
        std::snprintf(text, sizeof text, "hex(%x):", static_cast<unsigned>(value.type));
        prefix = text;
    }
    std::string out;
    appendHex(out, 0, line + prefix, value.data);
    return out;
}

} // namespace

RegistryValue* RegistryKeyData::findValue(const std::string& name) {
    for (RegistryValue& value : values) {
        if (sameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

bool RegistryKeyData::eraseValue(const std::string& name) {
    auto it =
        std::find_if(values.begin(), values.end(), [&](const RegistryValue& v) { return sameName(v.name, name); });
    if (it == values.end()) {
        return false;
    }
    values.erase(it);
    return true;
}

bool RegistryKeyData::setValue(const std::string& name, DWORD type, std::vector<BYTE> data) {
    if (RegistryValue* existing = findValue(name)) {
        if (existing->type == type && existing->data == data) {
            return false;
        }
        existing->type = type;
        existing->data = std::move(data);
        return true;
    }
    values.push_back(RegistryValue{name, type, std::move(data)});
    return true;
}

RegistryText::RegistryText(std::string rootName) : rootName_(std::move(rootName)) {
    keys_.emplace(std::string(), RegistryKeyData{});
    addStandardKeys();
}

const std::vector<std::string>& RegistryText::standardKeys() const {
    // The keys every Windows installation has below its roots, and that programs rely on
    // (a store writes below SOFTWARE without creating it). Only the ones programs use are
    // kept; HKEY_CLASSES_ROOT starts empty.
    static const std::vector<std::string> machine{"HARDWARE", "SOFTWARE", "SYSTEM"};
    static const std::vector<std::string> user{"Software"};
    static const std::vector<std::string> users{".DEFAULT"};
    static const std::vector<std::string> none;
    return sameName(rootName_, "HKEY_LOCAL_MACHINE")  ? machine
           : sameName(rootName_, "HKEY_CURRENT_USER") ? user
           : sameName(rootName_, "HKEY_USERS")        ? users
                                                      : none;
}

void RegistryText::addStandardKeys() {
    for (const std::string& name : standardKeys()) {
        keys_.emplace(folded(name), RegistryKeyData{name, {}});
    }
}

bool RegistryText::isStandardKey(const std::string& path) const {
    std::string key = foldedPath(path);
    const std::vector<std::string>& names = standardKeys();
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) { return folded(name) == key; });
}

std::string RegistryText::foldedPath(const std::string& path) {
    std::vector<std::string> parts = components(path);
    return folded(joined(parts, parts.size()));
}

RegistryKeyData* RegistryText::find(const std::string& path) {
    auto it = keys_.find(foldedPath(path));
    return it == keys_.end() ? nullptr : &it->second;
}

RegistryKeyData& RegistryText::create(const std::string& path, bool& created) {
    std::vector<std::string> parts = components(path);
    created = false;
    RegistryKeyData* key = &keys_.at(std::string());
    for (std::size_t depth = 1; depth <= parts.size(); ++depth) {
        std::string keyPath = joined(parts, depth);
        auto inserted = keys_.emplace(folded(keyPath), RegistryKeyData{keyPath, {}});
        created = inserted.second;
        key = &inserted.first->second;
    }
    return *key;
}

std::vector<std::string> RegistryText::subKeyNames(const std::string& path) const {
    std::string prefix = foldedPath(path);
    if (!prefix.empty()) {
        prefix += '\\';
    }
    std::vector<std::pair<std::string, std::string>> found; // folded name, spelling
    for (const auto& [key, data] : keys_) {
        if (key.size() > prefix.size() && key.compare(0, prefix.size(), prefix) == 0 &&
            key.find('\\', prefix.size()) == std::string::npos) {
            std::vector<std::string> parts = components(data.path);
            found.emplace_back(key.substr(prefix.size()), parts.back());
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& entry : found) {
        names.push_back(entry.second);
    }
    return names;
}

bool RegistryText::erase(const std::string& path) {
    std::string key = foldedPath(path);
    if (key.empty() || keys_.erase(key) == 0) {
        return false;
    }
    std::string prefix = key + '\\';
    // every key below starts with the prefix, and those keys sort next to each other
    auto it = keys_.lower_bound(prefix);
    while (it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0) {
        it = keys_.erase(it);
    }
    addStandardKeys(); // a standard key never goes: deleting it only empties it
    return true;
}

bool RegistryText::load(const std::string& text) {
    std::string content = text;
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        content.erase(0, 3);
    }
    bool headerSeen = false;
    bool otherRoot = false; // inside a section of another root, which is ignored
    RegistryKeyData* current = nullptr;
    for (const std::string& line : logicalLines(content)) {
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == ';') {
            continue;
        }
        std::string body = line.substr(start);
        if (!headerSeen) {
            std::size_t end = body.find_last_not_of(" \t");
            std::string header = body.substr(0, end + 1);
            if (header != "REGEDIT4" && header != "Windows Registry Editor Version 5.00") {
                return false;
            }
            headerSeen = true;
            continue;
        }
        if (body[0] == '[') {
            current = nullptr;
            otherRoot = false;
            std::size_t close = body.rfind(']');
            if (close == std::string::npos) {
                return false;
            }
            bool deletion = body.size() > 1 && body[1] == '-';
            std::string full = body.substr(deletion ? 2 : 1, close - (deletion ? 2 : 1));
            std::size_t slash = full.find('\\');
            std::string root = full.substr(0, slash);
            if (!sameName(root, rootName_)) {
                otherRoot = true;
                continue;
            }
            std::string path = slash == std::string::npos ? std::string() : full.substr(slash + 1);
            if (deletion) {
                erase(path);
            } else {
                bool created = false;
                current = &create(path, created);
            }
            continue;
        }
        if (current == nullptr) {
            if (otherRoot) {
                continue;
            }
            return false; // a value outside any key, or in a deleted one
        }
        std::string name;
        std::size_t pos = 0;
        if (body[0] == '@') {
            pos = 1;
        } else if (!readQuoted(body, pos, name)) {
            return false;
        }
        std::size_t equals = body.find_first_not_of(" \t", pos);
        if (equals == std::string::npos || body[equals] != '=') {
            return false;
        }
        std::string valueText = body.substr(equals + 1);
        std::size_t valueStart = valueText.find_first_not_of(" \t");
        valueText = valueStart == std::string::npos ? std::string() : valueText.substr(valueStart);
        while (!valueText.empty() && (valueText.back() == ' ' || valueText.back() == '\t')) {
            valueText.pop_back();
        }
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        bool erase = false;
        if (!readValueData(valueText, type, data, erase)) {
            return false;
        }
        if (erase) {
            current->eraseValue(name);
        } else {
            current->setValue(name, type, std::move(data));
        }
    }
    return true;
}

std::string RegistryText::format() const {
    std::string out = "REGEDIT4\n";
    for (const auto& [key, data] : keys_) {
        if (data.values.empty() && (key.empty() || (isStandardKey(key) && subKeyNames(key).empty()))) {
            continue; // exists without being written
        }
        out += "\n[" + rootName_ + (data.path.empty() ? std::string() : "\\" + data.path) + "]\n";
        for (const RegistryValue& value : data.values) {
            out += formatValue(value) + "\n";
        }
    }
    return out + "\n";
}

} // namespace ovs::posix
