// A small scanner over one NUL-terminated 8-bit text: blanks, keywords from a TAB-separated
// list, numbers, hexadecimal byte strings, GUIDs, texts with C escapes and file paths. Every
// failure is an ovs::Exception whose %1 quotes the offending piece of the text.
#pragma once
#include "files/FileScanSpec.h"
#include "strings/FileString.h"
#include "platform/Win32.h"
#include "strings/StringBase.h"

#include <cstdint>
#include <string>

namespace ovs {

// Bits given to the read operations. Some bits mean different things to different readers.
enum ScanFlags : std::uint32_t {
    ScanNone = 0,
    ScanSkipBlanks = 0x1,       // skip blanks before reading and after a successful read
    ScanWildcards = 0x1,        // readFileSpec: '?' and '*' are allowed
    ScanNoOverflow = 0x4,       // numbers: overflow does not fail (decimal gives 4294967295)
    ScanOctal = 0x8,            // numbers: a leading 0 makes the number octal
    ScanMakeAbsolute = 0x20,    // readFileSpec: make the path absolute
    ScanBlankEndsText = 0x40,   // readString: an unquoted text ends at a blank; a leading blank is an error
    ScanKeywordDigits = 0x400,  // readKeyword: digits may be part of a keyword
    ScanFullKeyword = 0x800,    // readKeyword: only a full keyword matches, no abbreviation
    ScanHexadecimal = 0x800,    // readNumber: hexadecimal digits without prefix
    ScanAllHexDigits = 0x20000, // readHexBytes: fewer digits than asked for is an error
    ScanGuidBraces = 0x80000,   // readGuid: the GUID stands in braces
    ScanIgnoreCase = 0x800000,  // expectChar: compare without regard to case
};

// How far the text quoted in an error message reaches, counted from the token start.
enum class TokenEnd {
    ToEnd,       // to the end of the text
    ToNextBlank, // to the first blank after the token start, or the end
    ToPosition,  // to the read position
    ToNearer,    // whichever of the next blank and the position comes first
};

// Result bits of readFileSpec.
enum FileSpecResult : std::uint32_t {
    FileSpecHasWildcards = 0x1,
};

class Parsing {
public:
    // The text is not copied: it must outlive the scanner.
    explicit Parsing(const char* text);
    virtual ~Parsing();
    Parsing(const Parsing&) = delete;
    Parsing& operator=(const Parsing&) = delete;

    // Called before and after a text value is read; the defaults return true.
    virtual bool beginString();
    virtual bool endString();
    // Called at a backslash inside a text value, the position standing behind it; returning
    // true means the subclass has dealt with it (and appended to out). Default: false, so the
    // standard C escapes apply.
    virtual bool translateEscape(std::string& out);

    // The character at the position is a space or a TAB (or CR/LF while the file functions
    // use the ANSI code page).
    bool isBlank() const;
    void skipBlanks();

    // Consumes c and returns true when it stands at the position (ScanIgnoreCase: any case);
    // otherwise returns false and nothing moves. ScanSkipBlanks skips blanks before and after.
    bool expectChar(char c, std::uint32_t flags = ScanNone);
    // Throws 2022 "end of input line expected: %1" when text remains (after blanks with
    // ScanSkipBlanks).
    void expectEnd(std::uint32_t flags = ScanNone);

    // Reads a word and looks it up in the TAB-separated list: returns its 1-based index, 0 when
    // no letter stands at the position (nothing consumed), -1 when the word is not in the list
    // (the position goes back). Without ScanFullKeyword an abbreviation that matches two
    // entries throws 2025 "specification is ambiguous: %1".
    int readKeyword(const char* list, std::uint32_t flags = ScanNone);
    // Like readKeyword after a '/' or '-', which must stand at the position (else 0). When the
    // result is below 1 the position goes back onto the '/' or '-'.
    int readOptionKeyword(const char* list, std::uint32_t flags = ScanNone);

    // Decimal, "0x" hexadecimal, octal (ScanOctal) or plain hexadecimal (ScanHexadecimal);
    // max 0 means no upper bound. Throws 2005 "value %1 out of range", 2020 "decimal number
    // expected: %1" and 2021 "number expected: %1".
    std::uint32_t readNumber(std::uint32_t flags = ScanNone, std::uint32_t max = 0);
    // Decimal digits only; throws 2020 and 2005 as readNumber.
    std::uint32_t readDecimal(std::uint32_t flags = ScanNone, std::uint32_t max = 0);
    // Up to 2 x count hexadecimal digits into count bytes, right-aligned, high digit first.
    // Returns the number of bytes the digits filled; with ScanAllHexDigits too few digits
    // throw 2021.
    std::uint32_t readHexBytes(std::uint8_t* out, std::uint32_t count, std::uint32_t flags = ScanNone);
    // The text form of a GUID (in braces with ScanGuidBraces); throws 2023 "bad
    // specification: %1" when it is malformed.
    void readGuid(GUID& out, std::uint32_t flags = ScanNone);
    // A quoted or unquoted text with C escapes, at most max characters. Throws 2024 "missing
    // specification" and 2006 "no end of string %1".
    void readString(std::string& out, std::uint32_t flags = ScanNone, std::uint32_t max = 1024);
    // One path: quoted (ends at the next double quote) or unquoted (ends at a space, TAB or
    // '/'). result receives FileSpecResult bits. ScanWildcards allows '?' and '*',
    // ScanMakeAbsolute makes the path absolute (joined to baseFolder, or through
    // GetFullPathNameA); defaultExtension is appended to a bare name without a dot at its end.
    // Throws 2019 "file specification expected: %1" at the end of the text and 2023 for an
    // empty path or refused wildcards.
    void readFileSpec(std::uint32_t& result, FileString& path, std::uint32_t flags,
                      const char* defaultExtension = nullptr, const char* baseFolder = nullptr);
    // A first path (made absolute, wildcards allowed) giving folder and first pattern, then
    // every further path to the end of the text as another pattern; a further absolute path
    // throws 2023. With allowRecursion a "/s" or "-s" behind the first path makes the scan record
    // recursive.
    void readFileList(FileScanSpec& spec, bool allowRecursion = false);

    // Throws ovs::Exception(number, token text, extra). The token reaches from the token start
    // to the token end set before (TokenEnd::ToNextBlank when none lies behind the start).
    [[noreturn]] void raiseError(int number, const std::string& extra = std::string());
    [[noreturn]] void raiseError(int number, TokenEnd rule, const std::string& extra = std::string());
    void setTokenEnd(TokenEnd rule);
    // The text from the token start to the token end.
    StringBase<char> tokenText() const;

    const char* text() const { return text_; }
    const char* position() const { return position_; }
    void setPosition(const char* position) { position_ = position; }
    const char* tokenStart() const { return tokenStart_; }
    void setTokenStart(const char* start) {
        tokenStart_ = start;
        tokenEnd_ = nullptr;
    }
    char currentChar() const { return current_; }
    void setCurrentChar(char c) { current_ = c; }
    bool atEnd() const { return *position_ == '\0'; }

protected:
    // A space or a TAB; CR and LF too while the file functions use the ANSI code page.
    static bool isBlankChar(char c);

    char current_ = '\0';
    const char* tokenStart_;
    const char* tokenEnd_ = nullptr;
    const char* position_;

private:
    std::uint32_t readHexadecimalDigits(std::uint32_t flags);
    std::uint32_t readOctalDigits(std::uint32_t flags);
    void checkMaximum(std::uint32_t value, std::uint32_t max);
    bool readStandardEscape(std::string& out);

    const char* text_;
};

} // namespace ovs
