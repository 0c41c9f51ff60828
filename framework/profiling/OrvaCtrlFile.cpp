// Control files: header writing and checking, typed access and error context.
#include "profiling/OrvaCtrlFile.h"

#include "MessageNumbers.h"
#include "files/File.h"
#include "parsing/Parsing.h"
#include "platform/Win32.h"
#include "runtime/Exception.h"
#include "runtime/Messages.h"
#include "strings/AsciiText.h"
#include "strings/NumberText.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace ovs {

const char* const OrvaCtrlFile::HeaderTopic = "ORVA-SYSTEMS Control File";

namespace {

// HeaderTopic as the store takes it, made once rather than for every header read.
const std::string& headerTopicName() {
    static const std::string name(OrvaCtrlFile::HeaderTopic);
    return name;
}

// A version as the version messages show it: major directly followed by the two-digit minor.
String shownVersion(unsigned major, unsigned minor) {
    char text[32];
    std::snprintf(text, sizeof text, "%u%02u", major, minor);
    return text;
}

// The header's keys by their place in HeaderValues (HeaderEntry).
constexpr std::string_view HeaderKeys[3] = {"Guid", "Specification", "Version"};
static_assert(HeaderKeys[0].size() != HeaderKeys[1].size() && HeaderKeys[0].size() != HeaderKeys[2].size() &&
                  HeaderKeys[1].size() != HeaderKeys[2].size(),
              "headerKeyOf tells the keys apart by their lengths");

// The longest value a private-profile look-up into a buffer of 512 characters gives.
constexpr std::size_t LongestEntry = 511;

// A value as a private-profile look-up gives it: one pair of matching outer quotes taken off,
// then cut to LongestEntry characters.
std::string_view lookedUp(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value.substr(0, LongestEntry);
}

// The place of a header key in HeaderKeys (their lengths differ), or -1.
int headerKeyOf(std::string_view name) {
    const int key = name.size() == HeaderKeys[0].size()   ? 0
                    : name.size() == HeaderKeys[1].size() ? 1
                    : name.size() == HeaderKeys[2].size() ? 2
                                                          : -1;
    return key >= 0 && equalIgnoringAsciiCase(name, HeaderKeys[key]) ? key : -1;
}

// A GUID in the form guidText writes (hex digits in either case), read without a scanner:
// any such text reads as the scanner reads it. False for every other form.
bool guidOfPlainText(std::string_view text, GUID& guid) {
    if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' ||
        text[19] != '-' || text[24] != '-') {
        return false;
    }
    std::uint8_t bytes[16];
    std::size_t at = 1;
    for (std::uint8_t& byte : bytes) {
        if (text[at] == '-') {
            ++at;
        }
        const int high = hexDigitValue(text[at]);
        const int low = hexDigitValue(text[at + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        byte = static_cast<std::uint8_t>(high << 4 | low);
        at += 2;
    }
    guid.Data1 =
        std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8 | bytes[3];
    guid.Data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
    guid.Data3 = static_cast<std::uint16_t>(bytes[6] << 8 | bytes[7]);
    std::memcpy(guid.Data4, bytes + 8, 8);
    return true;
}

// A version of one to four digits, optionally a point and one to four more, read without a
// scanner as the scanner reads it. False for every other form.
bool versionOfPlainText(std::string_view text, std::uint32_t& major, std::uint32_t& minor) {
    auto digits = [&text](std::uint32_t& value) {
        std::size_t count = 0;
        value = 0;
        while (count < text.size() && text[count] >= '0' && text[count] <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(text[count] - '0');
            ++count;
        }
        text.remove_prefix(count);
        return count >= 1 && count <= 4;
    };
    minor = 0;
    if (!digits(major)) {
        return false;
    }
    if (text.empty()) {
        return true;
    }
    if (text.front() != '.') {
        return false;
    }
    text.remove_prefix(1);
    return digits(minor) && text.empty();
}

} // namespace

namespace {

// The blanks a private-profile line loses at either end and around "=".
bool isLineBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

std::string_view trimmedLine(std::string_view text) {
    while (!text.empty() && isLineBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isLineBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A section name, a key or a value as a private-profile reading takes it: cut at the first NUL
// (each is a C string there), then blanks trimmed.
std::string_view profileName(std::string_view text) {
    return trimmedLine(text.substr(0, text.find('\0')));
}

// One line of the header section: an entry of a header key that is not known yet is taken as
// a look-up reads it; any other line changes nothing.
void takeHeaderLine(std::string_view line, OrvaCtrlFile::HeaderValues& values) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return; // no entry: a look-up never finds it
    }
    const int key = headerKeyOf(profileName(line.substr(0, equals)));
    if (key >= 0 && !values.found[key]) {
        values.found[key] = true;
        values.value[key] = lookedUp(profileName(line.substr(equals + 1)));
    }
}

} // namespace

OrvaCtrlFile::HeaderValues OrvaCtrlFile::headerValuesOfLines(std::string_view lines) {
    HeaderValues values;
    for (std::size_t start = 0; start < lines.size();) {
        std::size_t nul = lines.find('\0', start);
        if (nul == std::string_view::npos) {
            nul = lines.size();
        }
        takeHeaderLine(lines.substr(start, nul - start), values);
        start = nul + 1;
    }
    return values;
}

bool OrvaCtrlFile::headerValuesOfText(std::string_view text, HeaderValues& values, bool guidOnly) {
    values = HeaderValues();
    bool inHeader = false;
    while (!text.empty()) {
        // A line ends at CR LF, at a lone LF or at a lone CR.
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        const std::size_t cr = line.find('\r');
        if (cr != std::string_view::npos) {
            end = cr + 1 < text.size() && text[cr + 1] == '\n' ? cr + 1 : cr;
            line = line.substr(0, cr);
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        line = trimmedLine(line);
        if ((profileName(line).empty() && line.find('=') == std::string_view::npos) || line.front() == ';') {
            continue; // a line that is blank up to its first NUL, or a comment
        }
        if (line.front() == '[') {
            if (inHeader) {
                return true; // the next section
            }
            const std::size_t close = line.find(']');
            const std::string_view name = line.substr(1, close == std::string_view::npos ? close : close - 1);
            inHeader = equalIgnoringAsciiCase(profileName(name), HeaderTopic);
            if (!inHeader) {
                return false;
            }
        } else if (!inHeader) {
            return false; // text before the first section
        } else {
            takeHeaderLine(line, values);
            if (guidOnly && values.found[GuidEntry]) {
                return true; // a later Guid entry would not count
            }
        }
    }
    return inHeader;
}

bool OrvaCtrlFile::guidOfText(std::string_view text, GUID& guid) {
    if (guidOfPlainText(text, guid)) {
        return true;
    }
    try {
        const String copy(text);
        Parsing scanner(copy.c_str());
        scanner.readGuid(guid, ScanGuidBraces);
        scanner.expectEnd(ScanSkipBlanks);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

bool OrvaCtrlFile::sameGuid(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i])
            return false;
    }
    return true;
}

OrvaCtrlFile::OrvaCtrlFile() = default;

OrvaCtrlFile::~OrvaCtrlFile() {
    try {
        profiling_.flush();
    } catch (...) {
        // A destructor cannot report; the data stays as the store left it.
    }
}

String OrvaCtrlFile::guidText(const GUID& guid) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X%s", "{",
                  static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                  static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                  guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7], "}");
    return text;
}

String OrvaCtrlFile::versionText(unsigned major, unsigned minor) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u", major, minor);
    return text;
}

bool OrvaCtrlFile::inMemory() const {
    return type_ && (type_->flags & HeaderFlagInMemory);
}

void OrvaCtrlFile::setType(const ControlFileType* type) {
    type_ = type;
    const std::uint32_t flags = type ? type->flags : 0;
    if (flags & HeaderFlagInMemory) {
        profiling_.mode = ProfilingModeIniMemory;
    } else if (flags & HeaderFlagIniText) {
        profiling_.mode = ProfilingModeIniText;
    } else {
        profiling_.mode = ProfilingModeWinIni;
    }
    profiling_.setScope(ProfilingScopeMachine);
}

void OrvaCtrlFile::create(const FileString& path) {
    if (!inMemory()) {
        if (!path.empty()) {
            path_ = path;
        }
        if (path_.isFile()) {
            File(path_).remove();
        }
        profiling_.open(path_);
    }
    writeHeader();
}

void OrvaCtrlFile::open(const FileString& path, std::uint32_t openFlags) {
    if (!path.empty()) {
        path_ = path;
    }
    // A private-profile file that must exist and must have a header is not looked up first:
    // without the file there is no header, and only a header that cannot be read asks why.
    const bool checkLater = (openFlags & OpenMustExist) && profiling_.mode == ProfilingModeWinIni &&
                            !(type_ && (type_->flags & HeaderFlagOptional));
    if (!inMemory()) {
        if (!checkLater && !path_.isFile()) {
            if (openFlags & OpenMustExist) {
                throwFileNotFound();
            }
            profiling_.open(path_);
            writeHeader();
        } else {
            profiling_.open(path_);
        }
    }
    try {
        readHeader();
    } catch (Exception& error) {
        if (checkLater && !inMemory() && !path_.isFile()) {
            throwFileNotFound();
        }
        error.setLocation(path_);
        throw Exception(error);
    }
}

void OrvaCtrlFile::throwFileNotFound() const {
    FileException error(msg::FileNotFound);
    error.setPath(path_);
    throw error;
}

void OrvaCtrlFile::writeHeader() {
    try {
        profiling_.setTopic(headerTopicName());
        std::vector<String> lines;
        if (type_ && type_->typeGuid) {
            lines.push_back("Guid=" + guidText(*type_->typeGuid));
        }
        if (type_ && type_->description) {
            lines.push_back(String("Description=") + type_->description);
        }
        if (type_ && type_->version.major != 0) {
            lines.push_back("Version=" + versionText(type_->version.major, type_->version.minor));
        }
        lines.push_back("Encoding=UTF-8");
        profiling_.writeTopicLines(lines);
    } catch (Exception& error) {
        addErrorContext(error);
        throw;
    }
}

void OrvaCtrlFile::readHeader() {
    guidRead_ = false;
    specification_.clear();
    const std::uint32_t flags = type_ ? type_->flags : 0;
    profiling_.setTopic(headerTopicName());
    // The section is read in one look-up and its values taken from its lines. Its text is kept
    // per thread: a header is read for every file of a folder, and its buffer then serves the
    // next one. The values are views into it, used before it is read again.
    thread_local String lines;
    lines.clear();
    if (profiling_.machineStore()) {
        profiling_.machineStore()->readTopicText(lines, '\0');
    }
    const HeaderValues values = headerValuesOfLines(lines);
    // A header with its "Guid" is a header that exists: only without one is the section
    // itself looked up.
    if (!values.found[0] && !profiling_.topicExists() && !(flags & HeaderFlagOptional)) {
        throw Exception(msg::RegistryNameNotFound, HeaderTopic);
    }
    headerRead_ = true;
    for (HeaderEntry entry : {GuidEntry, SpecificationEntry, VersionEntry}) {
        checkHeaderValue(entry, values.value[entry]);
    }
    if (!guidRead_ && type_ && type_->typeGuid && !(flags & HeaderFlagOptional)) {
        throw Exception(msg::FileCorrupt, " (no file type GUID specified)");
    }
}

void OrvaCtrlFile::checkHeaderValue(HeaderEntry entry, std::string_view text) {
    if (text.empty()) {
        return;
    }
    switch (entry) {
    case GuidEntry: {
        GUID guid = {};
        if (!guidOfText(text, guid)) {
            throw Exception(msg::FileCorrupt, " (invalid file type GUID)");
        }
        guid_ = guid;
        guidRead_ = true;
        if (type_ && type_->typeGuid && !sameGuid(guid, *type_->typeGuid)) {
            throw Exception(msg::FileCorrupt, " (bad file type GUID)");
        }
        return;
    }
    case SpecificationEntry: {
        specification_.assign(text);
        if (type_ && (type_->flags & HeaderFlagCheckSpecification)) {
            const std::string_view expected = type_->description ? type_->description : "";
            if (text != expected) {
                throw Exception(msg::WrongFileType, " \"" + std::string(expected) + "\"");
            }
        }
        return;
    }
    case VersionEntry: {
        std::uint32_t major = 0;
        std::uint32_t minor = 0;
        if (!versionOfPlainText(text, major, minor)) {
            const String copy(text);
            Parsing scanner(copy.c_str());
            major = scanner.readDecimal(ScanNone, 65535);
            if (scanner.expectChar('.')) {
                minor = scanner.readDecimal(ScanNone, 65535);
            }
            scanner.expectEnd(ScanSkipBlanks);
        }
        if (!type_) {
            return;
        }
        const std::uint32_t found = major << 16 | minor;
        const std::uint32_t newest = std::uint32_t(type_->version.major) << 16 | type_->version.minor;
        const std::uint32_t oldest = std::uint32_t(type_->minimumVersion.major) << 16 | type_->minimumVersion.minor;
        if (found > newest) {
            throw Exception(msg::BadVersion, shownVersion(major, minor));
        }
        if (found < oldest) {
            throw Exception(msg::VersionTooOld, shownVersion(major, minor),
                            shownVersion(type_->minimumVersion.major, type_->minimumVersion.minor));
        }
        return;
    }
    default: return;
    }
}

void OrvaCtrlFile::writeText(const std::string& key, const std::string& text) {
    try {
        profiling_.writeString(key, text);
    } catch (Exception& error) {
        addErrorContext(error, key);
        throw Exception(error);
    }
}

void OrvaCtrlFile::writeInteger(const std::string& key, std::uint32_t value) {
    try {
        profiling_.writeInteger(key, value);
    } catch (Exception& error) {
        addErrorContext(error, key);
        throw Exception(error);
    }
}

void OrvaCtrlFile::writeTopicLines(const std::vector<String>& lines) {
    try {
        profiling_.writeTopicLines(lines);
    } catch (Exception& error) {
        addErrorContext(error, lines.empty() ? std::string() : lines.front().substr(0, lines.front().find('=')));
        throw Exception(error);
    }
}

std::uint32_t OrvaCtrlFile::readInteger(const std::string& key) {
    try {
        return profiling_.readInteger(key);
    } catch (Exception& error) {
        addErrorContext(error, key);
        throw Exception(error);
    }
}

void OrvaCtrlFile::addErrorContext(Exception& error, const std::string& valueName) {
    const DWORD systemError = GetLastError();
    const int number = error.number();
    if (number == msg::FileNotFound || number == msg::FolderNotFound || number == msg::AccessDenied) {
        return;
    }
    const std::string value = number == msg::RegistryNameNotFound ? std::string() : valueName;
    const String format = loadMessage(value.empty() ? msg::FileTopic : msg::FileTopicValue);
    const String fileName = path_.fileName(true);
    const String topic = profiling_.topicName();
    error.setLocation(formatMessage(format.c_str(), fileName.c_str(), topic.c_str(), value.c_str()));
    switch (number) {
    case msg::RegistryNoAccess:
        error.setNumber(msg::ItemNoAccess);
        error.setArgument(1, std::to_string(systemError));
        break;
    case msg::RegistryNotFound:
    case msg::RegistryNameNotFound: error.setNumber(msg::ItemNotFound); break;
    case msg::RegistryBadData:
        error.setNumber(msg::ItemBadData);
        error.setArgument(1, error.argument(3));
        break;
    case msg::RegistryOutOfRange:
        error.setNumber(msg::ValueOutOfRange);
        error.setArgument(1, error.argument(3));
        break;
    default: break;
    }
}

} // namespace ovs
