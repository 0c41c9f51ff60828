// Control files: settings files that begin with a typed header section naming the file's
// type by GUID, its description, format version and encoding. OrvaCtrlFile creates them
// with their header, checks the header on open, and offers typed entry access that names
// file, topic and value in every error.
#pragma once
#include "strings/FileString.h"
#include "profiling/ControlFileType.h"
#include "profiling/Profiling.h"
#include "strings/StringBase.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ovs {

class Exception;

class OrvaCtrlFile {
public:
    // The only open flag examined: the file must exist.
    static constexpr std::uint32_t OpenMustExist = 0x2000;
    // The name of the header section.
    static const char* const HeaderTopic;

    OrvaCtrlFile();
    OrvaCtrlFile(const OrvaCtrlFile&) = delete;
    OrvaCtrlFile& operator=(const OrvaCtrlFile&) = delete;
    // Flushes the store, then releases it (errors of the flush are swallowed).
    virtual ~OrvaCtrlFile();

    // Checks the header section. Throws ovs::Exception 1144 (missing section), 1031
    // (missing, invalid or other GUID), 1036 (other Specification), 1113/1114 (version
    // too old/new), scanner errors of the Version text.
    virtual void readHeader();
    // Writes the header lines as the whole header section. Store errors get the context
    // of addErrorContext and are thrown on.
    virtual void writeHeader();

    // Binds the type (not copied) and chooses the store by its flags. Call once, first.
    void setType(const ControlFileType* type);
    // Deletes a file of that path, opens the store on it and writes the header (in memory:
    // only the header). An empty path keeps the path held.
    void create(const FileString& path);
    // Opens the store on the path (or the path held when empty) and checks the header. A
    // missing file throws ovs::FileException 1001 with OpenMustExist, else it is created
    // with its header. Header errors are thrown as ovs::Exception with the path as location.
    // An in-memory file (HeaderFlagInMemory) is not looked for on disk: only its header is checked.
    void open(const FileString& path, std::uint32_t openFlags);

    // Typed access on the current topic; store errors are thrown as ovs::Exception with
    // the context and number mapping of addErrorContext (value name = key).
    void writeText(const std::string& key, const std::string& text);
    void writeInteger(const std::string& key, std::uint32_t value);
    // Writes "key=value" lines as the whole current topic in one store write. A failure gets
    // the context of the first line's key, the entry a write entry by entry would fail on.
    void writeTopicLines(const std::vector<String>& lines);
    std::uint32_t readInteger(const std::string& key);

    // Sets the error's location to "file "name", topic [topic]" (with ", value "name"" when
    // a value name is given) and maps registry numbers 1140-1144 to 1145, 1147, 1146, 2005.
    // 1001, 1002 and 1013 stay untouched.
    void addErrorContext(Exception& error, const std::string& valueName = std::string());

    Profiling& profiling() { return profiling_; }
    const ControlFileType* type() const { return type_; }
    const FileString& path() const { return path_; }
    bool guidRead() const { return guidRead_; }
    const GUID& guid() const { return guid_; }
    const String& specification() const { return specification_; }
    bool headerRead() const { return headerRead_; }

    // The Guid, Specification and Version of a header (in this order), as views.
    struct HeaderValues {
        std::string_view value[3];
        bool found[3] = {false, false, false};
    };
    // The one reader of a header's values, used by readHeader for every store and by anyone
    // who looks at a control file's text: from the lines of the header section, NULs between
    // them, each entry "name=value" as the stores hand a section out, the values the way a
    // private-profile look-up reads them: the first entry of each name (ASCII letter case does
    // not matter), name and value each cut at its first NUL and their blanks removed, one pair
    // of matching outer quotes taken off, cut to 511 characters. A line without "=" is no entry.
    static HeaderValues headerValuesOfLines(std::string_view lines);
    // The same values from a control file's text when the header is its first section (blank
    // and comment lines left out, a line ending at CR LF, LF or CR); false, with nothing found,
    // when the text holds another section first, text before its first section, or no section.
    // A byte order mark is text before the first section, as the private-profile functions
    // read it (they do not see a header behind it). The header may be cut at the end of the text.
    // guidOnly: the reading ends at the Guid, for a caller that needs only that.
    static bool headerValuesOfText(std::string_view text, HeaderValues& values, bool guidOnly = false);

    // A header's Guid text as the header check reads it: in braces, hex digits in either
    // case, blanks after it allowed. False for a text that is no GUID.
    static bool guidOfText(std::string_view text, GUID& guid);
    static bool sameGuid(const GUID& a, const GUID& b);

    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, 38 characters.
    static String guidText(const GUID& guid);
    // "1.00", "2.05", "3.12": major, a point, minor with at least two digits.
    static String versionText(unsigned major, unsigned minor);

private:
    bool inMemory() const;
    // The entries of the header that are checked, by their place in HeaderValues.
    enum HeaderEntry { GuidEntry = 0, SpecificationEntry = 1, VersionEntry = 2 };
    // Checks the text of one header entry against the type; an absent or empty one is ignored.
    void checkHeaderValue(HeaderEntry entry, std::string_view text);
    // Throws the ovs::FileException 1001 (file not found) of the control file's path.
    [[noreturn]] void throwFileNotFound() const;

    const ControlFileType* type_ = nullptr;
    FileString path_;
    Profiling profiling_;
    bool guidRead_ = false;
    GUID guid_ = {};
    String specification_;
    bool headerRead_ = false;
};

} // namespace ovs
