// POSIX substitute: the text of one private-profile (INI) file, read and edited the way
// Windows' profile functions treat it. Edits change only the lines they concern; every other
// byte of the file (blank lines, comments, LF-only or CR-only line ends, a missing final line
// end, text before the first section) stays as it was.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovs::posix {

// How lines are read:
// - a line ends at CR LF, at a lone LF or at a lone CR; the last line may have no line end;
// - blanks (space, tab, vertical tab) before the first character are ignored;
// - "[" starts a section header; the name runs to the first "]" (or to the line end when
//   there is none) with blanks trimmed; text after the "]" is ignored;
// - ";" starts a comment, which no lookup ever finds;
// - a line with "=" is an entry: the key is the text before the first "=", the value the
//   text after it, both with blanks trimmed; any other line is neither key nor comment;
// - a name, a value and the text of a line end at their first NUL, and their blanks are
//   trimmed after that cut; a line with nothing but blanks before a NUL is blank;
// - lines before the first header belong to no section; only the first section of a name
//   is searched, and in it only the first entry of a key;
// - section and key names compare without regard to ASCII letter case.
// Names given by callers are compared as given: trimming parameters is the caller's job.
class ProfileText {
public:
    explicit ProfileText(std::string bytes = std::string());
    // The line index points into the bytes: a copy or move would leave it behind.
    ProfileText(const ProfileText&) = delete;
    ProfileText& operator=(const ProfileText&) = delete;

    // The current bytes of the file.
    const std::string& bytes() const { return bytes_; }

    // The value of key in section, blanks trimmed, quotes kept (a view into the text, valid
    // while it is unchanged); nullopt when the section or the key is absent.
    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;
    // Lists in the form the profile functions hand them out: each item followed by a NUL.
    // The names of all section headers in file order, duplicates included.
    std::string sectionNames() const;
    // The key names of the section in file order (duplicates included, empty names left
    // out); nullopt when the section is absent.
    std::optional<std::string> keyNames(std::string_view section) const;
    // The section's lines without blank and comment lines, an entry as key "=" value with
    // the blanks around both removed, any other line with its outer blanks removed, as the
    // whole content of lines (whose buffer a caller may keep for the next list); false, with
    // lines empty, when the section is absent.
    bool sectionLines(std::string_view section, std::string& lines) const;

    // Sets key in section to value. An existing entry is rewritten as the file's spelling
    // of the key, "=" and value; a new key gets its own line after the last entry of the
    // section (after the header when there is none); a new section is added at the end of
    // the file. Value and names are written verbatim. New lines end with CR LF.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes the line of key in section; nothing happens when either is absent.
    void deleteKey(std::string_view section, std::string_view key);
    // Removes the section's header and its entry and text lines; its comment lines and
    // blank lines stay. Nothing happens when the section is absent.
    void deleteSection(std::string_view section);
    // Replaces the lines of the section (up to its last non-blank line) by the given lines,
    // written verbatim with CR LF; a missing section is added at the end of the file.
    void replaceSection(std::string_view section, const std::vector<std::string>& lines);

private:
    enum class Kind { Blank, Comment, Header, Entry, Text };
    struct Line {
        std::size_t begin;      // first byte of the line
        std::size_t contentEnd; // first byte of the line end (or end of file)
        std::size_t end;        // first byte after the line end
        Kind kind;
        std::string_view name;  // header name or entry key, trimmed
        std::string_view value; // entry value, trimmed
    };
    struct SectionRange {
        std::size_t header; // index of the header line
        std::size_t end;    // index of the next header line, or the number of lines
    };

    // Splits the bytes into lines; kept in lines_ from construction and after every edit, so
    // that a text read once answers any number of lookups without splitting it again.
    std::vector<Line> split() const;
    void reindex() { lines_ = split(); }
    // Held by every edit: the index is rebuilt when the edit is over, however it ends.
    struct Reindexing {
        ProfileText& text;
        ~Reindexing() { text.reindex(); }
    };
    static std::optional<SectionRange> findSection(const std::vector<Line>& lines, std::string_view section);
    static std::optional<std::size_t> findKey(const std::vector<Line>& lines, const SectionRange& range,
                                              std::string_view key);
    // Inserts text (complete lines) after the given line, first giving that line a line end
    // when it is the last line of the file and has none.
    void insertAfter(const Line& line, const std::string& text);
    // Appends a complete section at the end of the file.
    void appendSection(std::string_view section, const std::string& body);

    std::string bytes_;
    std::vector<Line> lines_;
};

// True when a and b are equal without regard to ASCII letter case.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace ovs::posix
