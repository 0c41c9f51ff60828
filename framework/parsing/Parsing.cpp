// The text scanner: reads keywords, numbers, byte strings, GUIDs, texts and paths at the read
// position and raises numbered errors that quote the offending text.
#include "parsing/Parsing.h"
#include "strings/AsciiText.h"
#include "strings/NumberText.h"

#include "MessageNumbers.h"
#include "runtime/Exception.h"

#include <cstring>

namespace ovs {

namespace {

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

constexpr std::size_t MaximumKeywordLength = 32;
constexpr DWORD FullPathBufferSize = 512;

} // namespace

Parsing::Parsing(const char* text)
    : tokenStart_(text ? text : ""), position_(text ? text : ""), text_(text ? text : "") {}

Parsing::~Parsing() = default;

bool Parsing::beginString() {
    return true;
}

bool Parsing::endString() {
    return true;
}

bool Parsing::translateEscape(std::string&) {
    return false;
}

bool Parsing::isBlankChar(char c) {
    if (c == ' ' || c == '\t') {
        return true;
    }
    return (c == '\r' || c == '\n') && AreFileApisANSI() != FALSE;
}

bool Parsing::isBlank() const {
    return isBlankChar(*position_);
}

void Parsing::skipBlanks() {
    while (*position_ != '\0' && isBlankChar(*position_)) {
        ++position_;
    }
}

bool Parsing::expectChar(char c, std::uint32_t flags) {
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    char here = *position_;
    bool equal = (flags & ScanIgnoreCase) ? lowerAscii(here) == lowerAscii(c) : here == c;
    if (!equal || here == '\0') {
        return false;
    }
    current_ = here;
    ++position_;
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    return true;
}

void Parsing::expectEnd(std::uint32_t flags) {
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    if (*position_ != '\0') {
        setTokenStart(position_);
        raiseError(msg::EndOfLineExpected, TokenEnd::ToEnd);
    }
}

int Parsing::readKeyword(const char* list, std::uint32_t flags) {
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    setTokenStart(position_);
    std::string word;
    for (;;) {
        char c = lowerAscii(*position_);
        bool letter = c >= 'a' && c <= 'z';
        bool digit = (flags & ScanKeywordDigits) && isDecimalDigit(c);
        if (!letter && !digit) {
            break;
        }
        if (word.size() < MaximumKeywordLength) {
            word += c;
        }
        ++position_;
    }
    if (word.empty()) {
        return 0;
    }

    int result = -1;
    int index = 0;
    const char* entry = list ? list : "";
    while (*entry != '\0') {
        ++index;
        const char* entryEnd = std::strchr(entry, '\t');
        std::size_t length = entryEnd ? static_cast<std::size_t>(entryEnd - entry) : std::strlen(entry);
        bool matches = length >= word.size() && std::memcmp(entry, word.data(), word.size()) == 0;
        if (matches && (flags & ScanFullKeyword)) {
            matches = length == word.size();
        }
        if (matches) {
            if (result > 0) {
                setTokenEnd(TokenEnd::ToPosition);
                raiseError(msg::AmbiguousSpecification);
            }
            result = index;
            if (flags & ScanFullKeyword) {
                break;
            }
        }
        if (entryEnd == nullptr) {
            break;
        }
        entry = entryEnd + 1;
    }
    if (result < 0) {
        position_ = tokenStart_;
    }
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    return result;
}

int Parsing::readOptionKeyword(const char* list, std::uint32_t flags) {
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    const char* prefix = position_;
    if (*prefix != '/' && *prefix != '-') {
        return 0;
    }
    ++position_;
    int result = readKeyword(list, flags & ~static_cast<std::uint32_t>(ScanSkipBlanks));
    if (result < 1) {
        position_ = prefix;
    } else if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    return result;
}

void Parsing::checkMaximum(std::uint32_t value, std::uint32_t max) {
    if (max != 0 && value > max) {
        raiseError(msg::ValueOutOfRange, TokenEnd::ToPosition);
    }
}

std::uint32_t Parsing::readHexadecimalDigits(std::uint32_t flags) {
    std::uint32_t value = 0;
    bool overflow = false;
    const char* first = position_;
    while (hexDigitValue(*position_) >= 0) {
        if (value > 0x0FFFFFFFu) {
            overflow = true;
        }
        value = (value << 4) | static_cast<std::uint32_t>(hexDigitValue(*position_));
        ++position_;
    }
    if (position_ == first) {
        raiseError(msg::NumberExpected, TokenEnd::ToNextBlank);
    }
    if (overflow && !(flags & ScanNoOverflow)) {
        raiseError(msg::ValueOutOfRange, TokenEnd::ToPosition);
    }
    return value;
}

std::uint32_t Parsing::readOctalDigits(std::uint32_t flags) {
    std::uint32_t value = 0;
    bool overflow = false;
    while (isOctalDigit(*position_)) {
        if (value > 0x1FFFFFFFu) {
            overflow = true;
        }
        value = (value << 3) | static_cast<std::uint32_t>(*position_ - '0');
        ++position_;
    }
    if (overflow && !(flags & ScanNoOverflow)) {
        raiseError(msg::ValueOutOfRange, TokenEnd::ToPosition);
    }
    return value;
}

std::uint32_t Parsing::readNumber(std::uint32_t flags, std::uint32_t max) {
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    setTokenStart(position_);
    std::uint32_t value;
    if (flags & ScanHexadecimal) {
        value = readHexadecimalDigits(flags);
    } else if (position_[0] == '0' && (position_[1] == 'x' || position_[1] == 'X')) {
        position_ += 2;
        value = readHexadecimalDigits(flags);
    } else if ((flags & ScanOctal) && position_[0] == '0' && isOctalDigit(position_[1])) {
        ++position_;
        value = readOctalDigits(flags);
    } else {
        return readDecimal(flags, max);
    }
    checkMaximum(value, max);
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    return value;
}

std::uint32_t Parsing::readDecimal(std::uint32_t flags, std::uint32_t max) {
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    setTokenStart(position_);
    if (!isDecimalDigit(*position_)) {
        raiseError(msg::DecimalExpected, TokenEnd::ToNextBlank);
    }
    std::uint64_t value = 0;
    bool overflow = false;
    while (isDecimalDigit(*position_)) {
        if (!overflow) {
            value = value * 10 + static_cast<std::uint64_t>(*position_ - '0');
            overflow = value > 0xFFFFFFFFull;
        }
        ++position_;
    }
    if (overflow) {
        if (!(flags & ScanNoOverflow)) {
            raiseError(msg::ValueOutOfRange, TokenEnd::ToPosition);
        }
        value = 0xFFFFFFFFull;
    }
    checkMaximum(static_cast<std::uint32_t>(value), max);
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    return static_cast<std::uint32_t>(value);
}

std::uint32_t Parsing::readHexBytes(std::uint8_t* out, std::uint32_t count, std::uint32_t flags) {
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    setTokenStart(position_);
    std::uint32_t digits = 0;
    while (digits < 2 * count && hexDigitValue(position_[digits]) >= 0) {
        ++digits;
    }
    if (digits < 2 * count && (flags & ScanAllHexDigits)) {
        raiseError(msg::NumberExpected, TokenEnd::ToNextBlank);
    }
    std::memset(out, 0, count);
    // Right-aligned: the last digit is the low half of the last byte.
    for (std::uint32_t i = 0; i < digits; ++i) {
        std::uint32_t fromRight = digits - 1 - i;
        std::uint32_t byte = count - 1 - fromRight / 2;
        int value = hexDigitValue(position_[i]);
        out[byte] = static_cast<std::uint8_t>(out[byte] | (fromRight % 2 ? value << 4 : value));
    }
    position_ += digits;
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    return (digits + 1) / 2;
}

void Parsing::readGuid(GUID& out, std::uint32_t flags) {
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    const char* start = position_;
    auto malformed = [this, start]() {
        setTokenStart(start);
        raiseError(msg::BadSpecification, TokenEnd::ToNextBlank);
    };
    auto field = [this, &malformed](std::uint32_t max) {
        if (hexDigitValue(*position_) < 0) {
            malformed();
        }
        return readNumber(ScanHexadecimal, max);
    };
    auto bytes = [this, &malformed](std::uint8_t* target, std::uint32_t count) {
        if (readHexBytes(target, count) == 0) {
            malformed();
        }
    };
    auto separator = [this, &malformed](char c) {
        if (*position_ != c) {
            malformed();
        }
        ++position_;
    };

    if (flags & ScanGuidBraces) {
        separator('{');
    }
    GUID guid{};
    guid.Data1 = field(0);
    separator('-');
    guid.Data2 = static_cast<std::uint16_t>(field(0xFFFF));
    separator('-');
    guid.Data3 = static_cast<std::uint16_t>(field(0xFFFF));
    separator('-');
    bytes(guid.Data4, 2);
    separator('-');
    bytes(guid.Data4 + 2, 6);
    if (flags & ScanGuidBraces) {
        separator('}');
    }
    setTokenStart(start);
    out = guid;
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
}

bool Parsing::readStandardEscape(std::string& out) {
    char e = *position_;
    switch (e) {
    case 't': out += '\t'; break;
    case 'v': out += '\x0B'; break;
    case 'b': out += '\x08'; break;
    case 'r': out += '\r'; break;
    case 'f': out += '\x0C'; break;
    case 'a': out += '\x07'; break;
    case 'n': out += "\r\n"; break;
    case '\\':
    case '?':
    case '\'':
    case '"': out += e; break;
    case 'x': {
        ++position_;
        std::uint32_t value = 0;
        while (hexDigitValue(*position_) >= 0) {
            value = (value << 4) | static_cast<std::uint32_t>(hexDigitValue(*position_));
            ++position_;
        }
        out += static_cast<char>(value & 0xFF);
        return true;
    }
    default:
        if (isOctalDigit(e)) {
            std::uint32_t value = 0;
            for (int i = 0; i < 3 && isOctalDigit(*position_); ++i) {
                value = (value << 3) | static_cast<std::uint32_t>(*position_ - '0');
                ++position_;
            }
            out += static_cast<char>(value & 0xFF);
            return true;
        }
        // Not an escape: the backslash is dropped and e is read as an ordinary character.
        return false;
    }
    ++position_;
    return true;
}

void Parsing::readString(std::string& out, std::uint32_t flags, std::uint32_t max) {
    out.clear();
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
    setTokenStart(position_);
    bool blankEnds = (flags & ScanBlankEndsText) != 0;
    if (blankEnds && isBlank()) {
        raiseError(msg::MissingSpecification, TokenEnd::ToEnd);
    }
    bool quoted = *position_ == '"';
    if (quoted) {
        ++position_;
    } else if (*position_ == '\0') {
        raiseError(msg::MissingSpecification, TokenEnd::ToEnd);
    }
    beginString();

    bool ended = false;
    while (*position_ != '\0' && out.size() < max) {
        char c = *position_++;
        if (c == '\\' && !translateEscape(out)) {
            readStandardEscape(out);
            continue;
        }
        if (c == '\\') {
            continue;
        }
        if (!quoted && blankEnds && (c == ' ' || c == '\t')) {
            --position_;
            ended = true;
            break;
        }
        if (quoted && c == '"') {
            if (*position_ == '"') {
                ++position_;
                continue;
            }
            ended = true;
            break;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            raiseError(msg::NoEndOfString, TokenEnd::ToEnd);
        }
        out += c;
    }
    if (quoted && !ended) {
        if (*position_ != '"') {
            position_ = tokenStart_;
            raiseError(msg::NoEndOfString, TokenEnd::ToEnd);
        }
        ++position_;
    }
    endString();
    if (flags & ScanSkipBlanks) {
        skipBlanks();
    }
}

void Parsing::readFileSpec(std::uint32_t& result, FileString& path, std::uint32_t flags, const char* defaultExtension,
                           const char* baseFolder) {
    result = 0;
    setTokenStart(position_);
    if (*position_ == '\0') {
        raiseError(msg::FileSpecExpected, TokenEnd::ToPosition);
    }
    bool quoted = *position_ == '"';
    const char* begin = quoted ? position_ + 1 : position_;
    const char* end = begin;
    if (quoted) {
        while (*end != '\0' && *end != '"') {
            ++end;
        }
    } else {
        while (*end != '\0' && *end != ' ' && *end != '\t' && *end != '/') {
            ++end;
        }
    }
    const char* behind = (quoted && *end == '"') ? end + 1 : end;
    std::string text(begin, end);
    if (text.empty()) {
        tokenEnd_ = behind;
        raiseError(msg::BadSpecification);
    }

    if (defaultExtension != nullptr && *defaultExtension != '\0' && text.find_first_of("\\/:") == std::string::npos &&
        text.back() != '.') {
        if (*defaultExtension != '.') {
            text += '.';
        }
        text += defaultExtension;
    }

    FileString spec(text);
    if (flags & ScanMakeAbsolute) {
        if (baseFolder != nullptr && *baseFolder != '\0') {
            if (!spec.isAbsolute()) {
                spec = FileString(baseFolder).join(text);
            }
        } else {
            char buffer[FullPathBufferSize] = {};
            DWORD length = GetFullPathNameA(text.c_str(), FullPathBufferSize, buffer, nullptr);
            if (length > 0 && length < FullPathBufferSize) {
                spec = FileString(std::string(buffer, length));
            }
        }
    }

    if (spec.find_first_of("?*") != std::string::npos) {
        result |= FileSpecHasWildcards;
        if (!(flags & ScanWildcards)) {
            raiseError(msg::BadSpecification, TokenEnd::ToEnd);
        }
    }
    position_ = behind;
    path = spec;
}

void Parsing::readFileList(FileScanSpec& spec, bool allowRecursion) {
    spec.reset();
    if (*position_ == '\0') {
        return;
    }
    std::uint32_t result = 0;
    FileString first;
    readFileSpec(result, first, ScanMakeAbsolute | ScanWildcards);
    spec.addPattern(first.fileName().c_str(), (result & FileSpecHasWildcards) != 0);

    bool recursive = false;
    if (allowRecursion && (position_[0] == '/' || position_[0] == '-') &&
        (position_[1] == 's' || position_[1] == 'S')) {
        position_ += 2;
        recursive = true;
    }
    spec.setFolder(first.folder(), recursive);
    skipBlanks();

    while (*position_ != '\0') {
        FileString further;
        readFileSpec(result, further, ScanWildcards);
        if (further.isAbsolute()) {
            raiseError(msg::BadSpecification, TokenEnd::ToNextBlank);
        }
        spec.addPattern(further.c_str(), (result & FileSpecHasWildcards) != 0);
        skipBlanks();
    }
}

void Parsing::setTokenEnd(TokenEnd rule) {
    const char* nextBlank = tokenStart_;
    while (*nextBlank != '\0' && !isBlankChar(*nextBlank)) {
        ++nextBlank;
    }
    switch (rule) {
    case TokenEnd::ToEnd: tokenEnd_ = tokenStart_ + std::strlen(tokenStart_); break;
    case TokenEnd::ToNextBlank: tokenEnd_ = nextBlank; break;
    case TokenEnd::ToPosition: tokenEnd_ = position_; break;
    case TokenEnd::ToNearer: tokenEnd_ = position_ < nextBlank ? position_ : nextBlank; break;
    }
}

StringBase<char> Parsing::tokenText() const {
    const char* end = tokenEnd_;
    if (end == nullptr || end < tokenStart_) {
        end = tokenStart_;
        while (*end != '\0' && !isBlankChar(*end)) {
            ++end;
        }
    }
    return StringBase<char>(std::string(tokenStart_, end));
}

void Parsing::raiseError(int number, const std::string& extra) {
    throw Exception(number, tokenText(), extra);
}

void Parsing::raiseError(int number, TokenEnd rule, const std::string& extra) {
    setTokenEnd(rule);
    raiseError(number, extra);
}

} // namespace ovs
