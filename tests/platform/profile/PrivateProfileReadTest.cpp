// Conformance of the private-profile reads: GetPrivateProfileStringA (values, defaults, name
// lists, truncation), GetPrivateProfileSectionA and GetPrivateProfileIntA, against files of
// known bytes. Buffers are filled with a sentinel so that untouched and overrun bytes show.
#include "PrivateProfileSupport.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

using namespace std::string_literals;
using namespace ovs::test;

namespace {

const std::string F1 = "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\nname4=a\r\n[section2]\r\n";
const std::string F1r = "[section1]\rname1=val1\rname2=\"val2\"\rname3\rname4=a\r[section2]\r";
const std::string F1n = "[section1]\nname1=val1\nname2=\"val2\"\nname3\nname4=a\n[section2]\n";
const std::string F2 = "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n";
const std::string F3 =
    "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n[section2]\r\n[section3]\r\n=val5\r\n";
const std::string F4 = "[ section1 ]\r\n[section2]\r\n[section3]\r\n";
const std::string F5 = "[SectionName]\r\nTestKey=TestValue\r\n[SectionName2]\r\nTestKey2=TestValue2\r\n";

enum class Api { String, Section };

struct ReadCase {
    const char* id;
    std::optional<std::string> content; // nullopt: the file does not exist
    const char* section;
    const char* key;
    const char* defaultValue;
    DWORD result;
    std::string buffer;    // expected first bytes of the buffer (sentinel where untouched)
    DWORD size = MAX_PATH; // the buffer's size as passed
    unsigned wine = WineSame;
    std::optional<DWORD> lastError = std::nullopt;
    Api api = Api::String;
};

class PrivateProfileReadTest : public PrivateProfileTest {
protected:
    void run(const std::vector<ReadCase>& cases) {
        for (const ReadCase& c : cases) {
            SCOPED_TRACE(c.id);
            prepare(c.content);
            std::string buffer(c.size + 32, bufferSentinel);
            SetLastError(lastErrorSentinel);
            DWORD result =
                c.api == Api::String
                    ? GetPrivateProfileStringA(c.section, c.key, c.defaultValue, buffer.data(), c.size, path().c_str())
                    : GetPrivateProfileSectionA(c.section, buffer.data(), c.size, path().c_str());
            DWORD lastError = GetLastError();
            std::string head = buffer.substr(0, c.buffer.size());

            expectPart(c.wine, WineReturn, c.id, "returns", c.result, result);
            expectPart(c.wine, WineBuffer, c.id, "buffer", c.buffer, head);
            if (c.lastError) {
                expectPart(c.wine, WineLastError, c.id, "last error", *c.lastError, lastError);
            }
            // Nothing at or beyond nSize is ever written.
            EXPECT_EQ(std::string(32, bufferSentinel), buffer.substr(c.size)) << "overrun";
        }
    }
};

// A row of GetPrivateProfileSectionA.
ReadCase section(const char* id, std::optional<std::string> content, const char* name, DWORD size, DWORD result,
                 std::string buffer, std::optional<DWORD> lastError = std::nullopt, unsigned wine = WineSame) {
    return ReadCase{id,   std::move(content), name,        nullptr, nullptr, result, std::move(buffer), size,
                    wine, lastError,          Api::Section};
}

TEST_F(PrivateProfileReadTest, LooksUpValuesFallsBackToTheDefaultAndCutsToTheBuffer) {
    const std::string long600 = "[s]\r\nk=" + std::string(600, 'x') + "\r\n";
    const std::string longLine = "[s]\r\nk=" + std::string(3000, 'y') + "\r\nk2=after\r\n";
    const std::string twoBlocks = "[s]\r\nk=first\r\nK=second\r\n[t]\r\nx=1\r\n[S]\r\nk=third\r\ny=2\r\n";
    run({
        {"A01", F1, "section1", "name1", "default", 4, "val1\0"s, MAX_PATH, WineSame, ERROR_SUCCESS},
        {"A01 CR", F1r, "section1", "name1", "default", 4, "val1\0"s},
        {"A01 LF", F1n, "section1", "name1", "default", 4, "val1\0"s},
        {"N01 NUL", "[s]\r\nk=ab\0cd\r\n"s, "s", "k", "d", 2, "ab\0"s},
        // Neither the section nor the key name is matched by case.
        {"A03", F5, "sectionname", "TESTKEY", "d", 9, "TestValue\0"s},
        {"A04", F1, "notasection", "name1", "default", 7, "default\0"s},
        {"A06", std::nullopt, "SectionName", "TestKey", "defaultValue", 12, "defaultValue\0"s, MAX_PATH, WineSame,
         ERROR_FILE_NOT_FOUND},
        {"A08", F1, "section1", "notakey", nullptr, 0, "\0"s},
        // The default loses its trailing blanks, never its inner ones.
        {"A10", F1, "section1", "notakey", "one two  ", 7, "one two\0"s},
        {"A12", F5, "SectionName", "nokey", "   default   ", 10, "   default\0"s},
        {"A13", F5, "SectionName", "nokey", "\tdefault\t", 9, "\tdefault\t\0"s},
        {"A14", F1, "section1", "notakey", "default", 3, "def\0"s, 4},
        {"A16 empty key", F1, "section1", "", "default", 7, "default\0"s},
        {"A16 empty section", F1, "", "name1", "default", 7, "default\0"s},
        {"A16 empty default", F1, "section1", "", "", 0, "\0"s},
        {"A17 line without =", F1, "section1", "name3", "default", 7, "default\0"s},
        // Windows leaves the last error or (7 and later) sets ERROR_FILE_NOT_FOUND; Wine 8 sets
        // 0 (todo_wine in Wine's own kernel32 profile tests).
        {"A18", F1, "section2", "DoesntExist", "", 0, "\0"s, MAX_PATH, WineLastError, ERROR_FILE_NOT_FOUND},
        {"A20 empty value", F2, "s", "name2", "d", 0, "\0"s},
        {"A21 blank value", "[sec]\r\nkey4 =   \r\n", "sec", "key4", "d", 0, "\0"s},
        {"A22 key spaces", F5, "SectionName", " TestKey ", "d", 9, "TestValue\0"s},
        {"A22 section spaces", F5, "  SectionName  ", "TestKey", "d", 9, "TestValue\0"s},
        {"A23 key tab", F5, "SectionName", "TestKey\t", "d", 1, "d\0"s, MAX_PATH, WineAll},
        {"A24 section tab", F5, "\tSectionName", "TestKey", "d", 1, "d\0"s, MAX_PATH, WineAll},
        {"A27 first", twoBlocks, "s", "k", "d", 5, "first\0"s},
        {"A27 second block", twoBlocks, "s", "y", "d", 1, "d\0"s},
        {"A28 first =", "[sec]\r\n my key = a = b \r\n", "sec", "my key", "d", 5, "a = b\0"s},
        {"A28 bracket", "[S]\r\nTestKey=value]\r\n", "S", "TestKey", "d", 6, "value]\0"s},
        {"A29 quoted key", "[S]\r\n'TestKey'=TestValue\r\n", "S", "'TestKey'", "d", 9, "TestValue\0"s},
        {"A29 unquoted", "[S]\r\n\"TestKey\"=TestValue\r\n", "S", "TestKey", nullptr, 0, "\0"s},
        {"A30", "[\"SectionName\"]\r\nTestKey=TestValue\r\n", "SectionName", "TestKey", "d", 1, "d\0"s},
        {"B10 long line", longLine, "s", "k2", "d", 5, "after\0"s},
        // Values cut to the buffer.
        {"B02", F1, "section1", "name1", "default", 3, "val\0"s, 4},
        {"B03", F1, "section1", "name1", "default", 4, "val1\0"s, 5},
        {"B04", F1, "section1", "name4", "default", 1, "a\0"s},
        {"B04 size 1", F1, "section1", "name4", "default", 0, "\0"s, 1},
        {"B05", F5, "SectionName", "TestKey", "d", 4, "Test\0"s, 5, WineLastError, ERROR_MORE_DATA},
        // size 0 (B01, B06): nothing written, not even the terminator
        {"B06", F5, "SectionName", "TestKey", "d", 0, "\xCC"s, 0, WineLastError, ERROR_MORE_DATA},
        {"B10", longLine, "s", "k", "d", 3000, std::string(3000, 'y') + '\0', 4000},
        {"511 of 600", long600, "s", "k", "", 511, std::string(511, 'x') + '\0', 512, WineLastError, ERROR_MORE_DATA},
    });
}

TEST_F(PrivateProfileReadTest, ListsNamesAndReadsWholeSections) {
    run({
        {"C01", F1, nullptr, "name1", "default", 18, "section1\0section2\0\0"s},
        {"C01 LF", F1n, nullptr, nullptr, "default", 18, "section1\0section2\0\0"s},
        {"C02", F1, "section1", nullptr, "default", 18, "name1\0name2\0name4\0\0"s},
        {"C03", F2, "s", nullptr, "", 18, "name1\0name2\0name4\0\0"s, 100},
        {"C04", F1, nullptr, "name1", "default", 14, "section1\0secti\0\0"s, 16, WineBuffer},
        {"C05", F1, "section1", nullptr, "default", 14, "name1\0name2\0na\0\0"s, 16, WineBuffer},
        {"C06 sections", F5, nullptr, nullptr, "", 8, "SectionN\0\0"s, 10, WineBuffer},
        {"C07 size 2", F5, "SectionName", nullptr, "d", 0, "\0\0"s, 2, WineAll},
        {"C07 size 1", F5, "SectionName", nullptr, "d", 0, "\0"s, 1},
        {"C08", "[S]\r\nTestKey=value\r\nTestKey2=value2\r\nTestKey=value3", "S", nullptr, "", 25,
         "TestKey\0TestKey2\0TestKey\0\0"s},
        {"C09", "[S]\r\n[S2]\r\n[S]\r\n", nullptr, nullptr, "", 7, "S\0S2\0S\0\0"s},
        {"C10", "[S]\r\n;TestKey=v\r\nTestKey2=v2\r\n", "S", nullptr, "", 9, "TestKey2\0\0"s},
        {"C11", ";top=1\r\n[s]\r\na=1\r\n[t];trailing\r\nb=2\r\n", nullptr, nullptr, "", 4, "s\0t\0\0"s},
        {"C12 no keys", F1, "section2", nullptr, "default", 7, "default\0"s},
        {"C12 no section", F1, "nosuch", nullptr, "default", 7, "default\0"s},
        {"D11 trimmed", F4, nullptr, nullptr, "", 27, "section1\0section2\0section3\0\0"s, 29},
        {"D12 exact fit", F4, nullptr, nullptr, "", 26, "section1\0section2\0section3\0\0"s, 28, WineBuffer},
        {"D13", F4, nullptr, nullptr, "", 25, "section1\0section2\0section\0\0"s, 27, WineBuffer},
        {"D14 no file", std::nullopt, nullptr, nullptr, "", 0, "\0\xCC"s, 10},
        // Whole sections through GetPrivateProfileSectionA.
        section("D01", F3, "section1", 100, 35, "name1=val1\0name2=\0name3\0name4=val4\0\0"s, ERROR_SUCCESS),
        section("D02", F3, "section2", 100, 0, "\0"s, ERROR_SUCCESS),
        section("D03", F3, "section3", 100, 6, "=val5\0\0"s, ERROR_SUCCESS),
        // Names, values and lines end at their first NUL: values are C strings, and the list could
        // hold no other. A file written with its C string's terminator ends in a line that is only
        // a NUL, which Windows does not list (Wine's kernel32 tests write F3 so); Wine 8 alike.
        section("D03 NUL", "[s]\r\nk=a\0c\r\nq= \0x\r\nG\0d=v\r\n\0"s, "s", 100, 11, "k=a\0q=\0G=v\0\0"s),
        section("D04", F3, "section1", 24, 22, "name1=val1\0name2=\0name\0\0"s),
        section("D05 size 4", F3, "section1", 4, 2, "na\0\0"s),
        section("D05 size 2", F3, "section1", 2, 0, "\0\0"s),
        section("D06", F3, nullptr, 100, 0, "\xCC"s, ERROR_INVALID_PARAMETER),
        // Windows reports a missing section with ERROR_FILE_NOT_FOUND; Wine 8 leaves 0
        // (todo_wine in Wine's own kernel32 profile tests, there for a section missing from win.ini).
        section("D08 no section", F3, "nosuch", 10, 0, "\0\0"s, ERROR_FILE_NOT_FOUND, WineLastError),
        section("D08 no file", std::nullopt, "section1", 10, 0, "\0\0"s),
        section("D09", "[sec]\r\n  key1  =  value one  \r\nkey5=\"  padded  \"  \r\n", "sec", 100, 33,
                "key1=value one\0key5=\"  padded  \"\0\0"s),
        section("D10", "[s]\r\n;c1=x\r\nk1=v1\r\n", "s", 100, 6, "k1=v1\0\0"s),
    });
}

TEST_F(PrivateProfileReadTest, ParsesBlanksQuotesCommentsAndHeaders) {
    run({
        {"E01", "[S]\r\nTestKey= \t\vTestValue \t\v\r\n", "S", "TestKey", "d", 9, "TestValue\0"s},
        {"E02", "[S]\r\n \t\vTestKey \t\v=TestValue\r\n", "S", "TestKey", "d", 9, "TestValue\0"s},
        {"E03", " \t\v[S]\r\nTestKey=TestValue\r\n", "S", "TestKey", "d", 9, "TestValue\0"s},
        {"E04", "[ \t\vx \t\v]\r\nTestKey=TestValue\r\n", "x", "TestKey", "d", 9, "TestValue\0"s},
        {"E05", "[S]\r\nTestKey=  \"   TestValue   \"  \r\n", "S", "TestKey", "d", 15, "   TestValue   \0"s},
        {"E06", "[S]\r\nTestKey='   TestValue   '\r\n", "S", "TestKey", "d", 15, "   TestValue   \0"s},
        {"E07", "[S]\r\nTestKey=\"'   TestValue   '\"\r\n", "S", "TestKey", "d", 17, "'   TestValue   '\0"s},
        {"E08", "[S]\r\nTestKey=\"   TestValue   '\r\n", "S", "TestKey", "d", 17, "\"   TestValue   '\0"s},
        {"E09", "[S]\r\nTestKey='\"   TestValue   '\"\r\n", "S", "TestKey", "d", 19, "'\"   TestValue   '\"\0"s},
        {"E10", "[S]\r\nkeyname = \"\"string\"\"\r\n", "S", "keyname", "d", 8, "\"string\"\0"s},
        {"E11 lone quote", "[S]\r\nk=\"\r\n", "S", "k", "d", 1, "\"\0"s},
        {"E11 empty quotes", "[S]\r\nk=\"\"\r\n", "S", "k", "d", 0, "\0"s},
        {"E12 comment key", "[S]\r\n;key=TestValue\r\n", "S", "key", "default", 7, "default\0"s},
        {"E13", "[S]\r\n \t;TestKey=v\r\n", "S", ";TestKey", "default", 7, "default\0"s, MAX_PATH, WineAll},
        {"E14", "[S]\r\nTestKey=;nocomment\r\n", "S", "TestKey", "d", 10, ";nocomment\0"s},
        {"E15", "[s]\r\nk1=v1 ;not comment\r\n", "s", "k1", "d", 15, "v1 ;not comment\0"s},
        // "#" and "//" start no comment: such names are ordinary keys.
        {"E16 listed", "[S]\r\n#comment=x\r\n//k4=v4\r\n", "S", nullptr, "", 14, "#comment\0//k4\0\0"s},
        {"E17", "[SectionName]TestKey=TestValue\r\n", "SectionName", "TestKey", "d", 1, "d\0"s},
        {"E18", "TestKey=TestValue\r\n[SectionName]\r\nTestKey2=TestValue2\r\n", "", "TestKey", "d", 1, "d\0"s,
         MAX_PATH, WineAll},
        {"E19", "[]\r\nTestKey=TestValue\r\n", "", "TestKey", "d", 9, "TestValue\0"s, MAX_PATH, WineAll},
        {"E20", "\r\nkey=val_no_section\r\n[]\r\nkey=val_e_section\r\n[s]\r\n=val_no_key\r\n[t]\r\n", "s", "", "", 10,
         "val_no_key\0"s},
        {"E21", "[S0]\r\n[SectionName   \r\nTestKey=TestValue\r\n", "SectionName", "TestKey", "d", 9, "TestValue\0"s,
         MAX_PATH, WineAll},
        {"E22", "SectionName]\r\nTestKey=TestValue\r\n", "SectionName", "TestKey", "d", 1, "d\0"s},
        {"E23", "[sec]whoops]\r\nTestKey=x\r\n", "sec", "TestKey", "d", 1, "x\0"s, MAX_PATH, WineAll},
        {"E25", "[[sec]\r\nTestKey=x\r\n", "[sec", "TestKey", "d", 1, "x\0"s},
        {"E28", "[section2]\nk=v", "section2", "k", "d", 1, "v\0"s},
        {"E29 UTF-16LE", "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0a\0l\0\r\0\n\0"s, "S", "k", "d", 3, "val\0"s},
        {"E30 UTF-8 mark", "\xEF\xBB\xBF" + F5, "SectionName", "TestKey", "d", 1, "d\0"s, MAX_PATH, WineAll},
        {"E30 after it", "\xEF\xBB\xBF" + F5, "SectionName2", "TestKey2", "d", 10, "TestValue2\0"s},
        {"E31 UTF-16BE", "\xFE\xFF\0[\0S\0]\0\r\0\n\0k\0=\0v"s, "S", "k", "d", 1, "d\0"s, MAX_PATH, WineAll},
        {"E32", "[s]\r\nk=caf\xE9 \xFC\r\n", "s", "k", "d", 6, "caf\xE9 \xFC\0"s},
        {"E32 UTF-8", "[s]\r\nk=caf\xC3\xA9\r\n", "s", "k", "d", 5, "caf\xC3\xA9\0"s},
        {"value like a header", "[s]\r\nk=[not a section]\r\n", "s", "k", "d", 15, "[not a section]\0"s},
        {"value with backslashes", "[s]\r\nk=C:\\Docs\\a.pdf\r\n", "s", "k", "d", 13, "C:\\Docs\\a.pdf\0"s},
        {"quoted value", "[s]\r\nk=\"quoted\"\r\n", "s", "k", "d", 6, "quoted\0"s},
    });
}

TEST_F(PrivateProfileReadTest, SeesEveryChangeOfTheFile) {
    // E33: another writer rewrites the file in place between two reads, keeping its size:
    // at once (same time stamp tick), after the file had settled, and after it had settled
    // with the old modification time put back; then the file disappears. Every read sees the
    // file as it is.
    const struct {
        std::optional<std::string> content; // nullopt: the file is removed
        bool settle;                        // wait until the file's last change lies back
        bool keepModificationTime;
        const char* expected;
    } steps[] = {{"[s]\r\nk=one\r\n", false, false, "one"},
                 {"[s]\r\nk=two\r\n", false, false, "two"},
                 {"[s]\r\nk=six\r\n", true, false, "six"},
                 {"[s]\r\nk=ten\r\n", true, true, "ten"},
                 {std::nullopt, false, false, "d"}};
    const std::filesystem::path file = folder().native() / "test.ini";
    char buffer[MAX_PATH];
    for (const auto& step : steps) {
        SCOPED_TRACE(step.expected);
        if (step.settle) {
            std::this_thread::sleep_for(std::chrono::milliseconds(120));
            // Read once to be kept, once from what is kept; a file that is not there leaves it kept.
            ASSERT_EQ(3u, GetPrivateProfileStringA("s", "k", "d", buffer, MAX_PATH, path().c_str()));
            ASSERT_EQ(3u, GetPrivateProfileStringA("s", "k", "d", buffer, MAX_PATH, path().c_str()));
            ASSERT_EQ(1u, GetPrivateProfileStringA("s", "k", "d", buffer, MAX_PATH, path("other.ini").c_str()));
        }
        std::error_code ignored;
        const auto modified = std::filesystem::last_write_time(file, ignored);
        step.content ? writeBytes(*step.content) : prepare(std::nullopt); // in place: same inode
        if (step.keepModificationTime) {
            std::filesystem::last_write_time(file, modified);
        }
        const DWORD result = GetPrivateProfileStringA("s", "k", "d", buffer, MAX_PATH, path().c_str());
        EXPECT_EQ(std::strlen(step.expected), result);
        EXPECT_STREQ(step.expected, buffer);
    }
}

TEST_F(PrivateProfileReadTest, ABareFileNameLivesInTheWindowsDirectoryAndNoNameGivesTheDefault) {
    // A19: a name without a folder is looked up in the Windows directory only, never in the
    // current folder; A07: a null name (win.ini) and an empty name name no file there either.
    char windowsDirectory[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windowsDirectory, MAX_PATH), 0u);
    std::string name = "ovs-profile-" + std::to_string(GetCurrentProcessId()) + ".ini";
    const std::filesystem::path here = std::filesystem::current_path() / name,
                                there = std::filesystem::path(ovs::platform::nativePathOf(windowsDirectory)) / name;
    writeFileBytes(here, F1);
    char buffer[MAX_PATH];
    for (const char* file : {static_cast<const char*>(nullptr), "", name.c_str()}) {
        SCOPED_TRACE(file == nullptr ? "null" : file);
        EXPECT_EQ(7u, GetPrivateProfileStringA("section1", "NaMe1", "default", buffer, MAX_PATH, file));
        EXPECT_STREQ("default", buffer);
    }
    EXPECT_TRUE(WritePrivateProfileStringA("section1", "name1", "val1", name.c_str()));
    EXPECT_EQ(4u, GetPrivateProfileStringA("section1", "NaMe1", "default", buffer, MAX_PATH, name.c_str()));
    EXPECT_STREQ("val1", buffer);
    EXPECT_EQ("[section1]\r\nname1=val1\r\n", fileBytes(there).value_or("(no file)"));
    std::filesystem::remove(here);
    std::filesystem::remove(there);
}

struct IntCase {
    const char* value; // written first through WritePrivateProfileStringA; null: no file
    INT defaultValue;
    UINT result;
};

TEST_F(PrivateProfileReadTest, ConvertsTheLeadingNumberOfAValue) {
    // clang-format off
    const IntCase cases[] = {
        {"-1", 1, 4294967295u}, {"1", -1, 1}, {"+1", -1, 1}, {"4294967296", -1, 0}, {"4294967297", 1, 1},
        {"-4294967297", 1, 4294967295u}, {"42A94967297", -1, 42}, {"123abc", 0, 123}, {"B4294967297", -1, 0},
        {"\"7\"", 0, 7}, {"1 2", 0, 1}, {"  -7  ", 0, static_cast<UINT>(-7)}, {"2147483648", 0, 2147483648u},
        {"99999999999", 0, 1215752191u}, {"0x10", 0, 16}, {"010", 0, 10}, {nullptr, -1, 4294967295u},
    };
    // clang-format on
    for (const IntCase& c : cases) {
        SCOPED_TRACE(c.value == nullptr ? "no file" : c.value);
        prepare(std::nullopt);
        if (c.value != nullptr) {
            ASSERT_TRUE(WritePrivateProfileStringA("Test", "ProfileInt", c.value, path().c_str()));
        }
        EXPECT_EQ(c.result, GetPrivateProfileIntA("Test", "ProfileInt", c.defaultValue, path().c_str()));
        EXPECT_EQ(c.result, GetPrivateProfileIntA("  Test   ", "ProfileInt", c.defaultValue, path().c_str()));
    }
    // F05: a missing key, a null section or key with no file.
    prepare(std::nullopt);
    EXPECT_EQ(4294967295u, GetPrivateProfileIntA(nullptr, "ProfileInt", -1, path().c_str()));
    EXPECT_EQ(1u, GetPrivateProfileIntA("Test", nullptr, 1, path().c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Test", "Other", "5", path().c_str()));
    EXPECT_EQ(77u, GetPrivateProfileIntA("Test", "ProfileInt", 77, path().c_str()));
}

} // namespace
