// Conformance of the private-profile writes: scripted sequences of WritePrivateProfileStringA
// and WritePrivateProfileSectionA calls on files of known bytes, each checked against the
// exact bytes of the file afterwards, the return values and the last error.
#include "PrivateProfileSupport.h"

#include <cstring>
#include <vector>

using namespace std::string_literals;
using namespace ovs::test;

namespace {

struct Call {
    const char* section;
    const char* key;                  // unused by a section write
    std::optional<std::string> value; // nullopt: null; a section write's entries with their NULs
    bool sectionWrite = false;
    BOOL result = TRUE;
};

Call sectionWrite(const char* section, std::optional<std::string> entries, BOOL result = TRUE) {
    return Call{section, nullptr, std::move(entries), true, result};
}

struct WriteCase {
    const char* id;
    std::optional<std::string> initial; // nullopt: no file
    std::vector<Call> calls;
    std::optional<std::string> expected;           // nullopt: no file afterwards
    std::optional<DWORD> lastError = std::nullopt; // after the last call
    unsigned wine = WineSame;
};

class PrivateProfileWriteTest : public PrivateProfileTest {
protected:
    void run(const std::vector<WriteCase>& cases) {
        for (const WriteCase& c : cases) {
            SCOPED_TRACE(c.id);
            prepare(c.initial);
            DWORD lastError = 0;
            for (const Call& call : c.calls) {
                SCOPED_TRACE(call.key ? call.key : "(null key)");
                const char* value = call.value ? call.value->c_str() : nullptr;
                SetLastError(lastErrorSentinel);
                BOOL result = call.sectionWrite
                                  ? WritePrivateProfileSectionA(call.section, value, path().c_str())
                                  : WritePrivateProfileStringA(call.section, call.key, value, path().c_str());
                lastError = GetLastError();
                expectPart(c.wine, WineReturn, c.id, "returns", call.result, result);
            }
            if (c.lastError) {
                expectPart(c.wine, WineLastError, c.id, "last error", *c.lastError, lastError);
            }
            expectPart(c.wine, WineFile, c.id, "file", c.expected, readBytes());
        }
    }
};

const std::string G04 =
    "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n";

TEST_F(PrivateProfileWriteTest, LaysOutNewSectionsKeysAndValues) {
    // clang-format off
    run({
        {"G02", "", {{"SectionName", "TestKey", "TestValue"s}}, "[SectionName]\r\nTestKey=TestValue\r\n",
         ERROR_SUCCESS, WineLastError},
        {"G03", std::nullopt, {{"SectionName", "TestKey", "TestValue"s}}, "[SectionName]\r\nTestKey=TestValue\r\n",
         ERROR_FILE_NOT_FOUND, WineLastError},
        {"G04",
         std::nullopt,
         {{"App1", "key1", "string1"s}, {"App1", "key2", "string2"s}, {"App1", "key3", "string3"s},
          {"App2", "key4", "string4"s}, {"App3", "key5", "string5"s}},
         G04},
        {"G06", "[S]\r\nb=value\r\na=value\r\n", {{"S", "z", ""s}, {"S", "b", ""s}, {"S", "y", ""s}, {"S", "a", ""s}},
         "[S]\r\nb=\r\na=\r\nz=\r\ny=\r\n"},
        {"G07", "[SectionName]\r\nTestKey=TestValue", {{"SectionName", "TESTKEY", "TestValue2"s}},
         "[SectionName]\r\nTestKey=TestValue2\r\n"},
        {"G08", "[SectionName]\r\nTestKey=TestValue\r\n", {{"SECTIONNAME", "TestKey", "TestValue2"s}},
         "[SectionName]\r\nTestKey=TestValue2\r\n"},
        {"G09", "[S]\r\nTestKey=TestValue\r\n", {{"S", "TestKey", "TESTVALUE"s}}, "[S]\r\nTestKey=TESTVALUE\r\n"},
        {"G10", std::nullopt, {{"S", "TestKey", " \tvalue\v "s}}, "[S]\r\nTestKey= \tvalue\v \r\n", std::nullopt,
         WineFile},
        // Wine 8 trims only the leading spaces of the names it writes ("[sec ]", "key =v").
        {"G11", std::nullopt, {{" sec ", " key ", "v"s}}, "[sec]\r\nkey=v\r\n", std::nullopt, WineFile},
        {"G12", std::nullopt, {{"\tsec\t", "\tkey\t", "v"s}}, "[\tsec\t]\r\n\tkey\t=v\r\n", std::nullopt, WineFile},
        {"G13", "", {{"", "TestKey", "TestValue"s}}, "[]\r\nTestKey=TestValue\r\n", std::nullopt, WineFile},
        {"G14", std::nullopt, {{"S", ";key", "TestValue"s}, {"S", ";key", "TestValue"s}},
         "[S]\r\n;key=TestValue\r\n;key=TestValue\r\n", std::nullopt, WineFile},
        {"G15", "", {{"S", "z", ""s}, {"S", ";y", ""s}, {"S", "a", ""s}, {"S", ";b", ""s}, {"S", ";c", ""s}},
         "[S]\r\nz=\r\na=\r\n;c=\r\n;b=\r\n;y=\r\n", std::nullopt, WineFile},
        {"G16", ";comment0\r\n[S]\r\n;comment1\r\nb=value\r\n;comment2\r\na=value\r\n",
         {{"S", "z", ""s}, {"S", ";x", ""s}, {"S", "y", ""s}, {"S", "a", ""s}, {"S", "b", ""s}},
         ";comment0\r\n[S]\r\n;comment1\r\nb=\r\n;comment2\r\na=\r\nz=\r\ny=\r\n;x=\r\n", std::nullopt, WineFile},
        {"G17", std::nullopt, {{"S", "", ";comment"s}}, "[S]\r\n=;comment\r\n"},
        {"G18", std::nullopt, {{"[sec", "k", "1"s}, {"sec]whoops", "k", "2"s}}, "[[sec]\r\nk=1\r\n[sec]whoops]\r\nk=2\r\n",
         std::nullopt, WineFile},
        {"G22", "[a]\r\nk1=v1\r\n\r\n[b]\r\nk2=v2\r\n", {{"a", "k3", "v3"s}}, "[a]\r\nk1=v1\r\nk3=v3\r\n\r\n[b]\r\nk2=v2\r\n",
         std::nullopt, WineFile},
        {"G23", "[a]\r\nk=v\r\n\r\n", {{"b", "k", "v"s}}, "[a]\r\nk=v\r\n\r\n[b]\r\nk=v\r\n", std::nullopt, WineFile},
        {"G24", "[a]\r\nk1=v1", {{"b", "k", "v"s}}, "[a]\r\nk1=v1\r\n[b]\r\nk=v\r\n"},
        {"G25", "[a]\r\nk1=v1", {{"a", "k2", "v2"s}}, "[a]\r\nk1=v1\r\nk2=v2\r\n"},
        {"G26", "[a]\nk1=v1\n[b]\nk2=v2\n", {{"a", "k3", "v3"s}}, "[a]\nk1=v1\nk3=v3\r\n[b]\nk2=v2\n", std::nullopt,
         WineFile},
        {"G29", "[s]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\n", {{"s", "k", "X"s}}, "[s]\r\nk=X\r\nk=2\r\n[s]\r\nk=3\r\n"},
        {"G33", "Data \0 before \0 first \0 section"s, {{"section1", "key1", "string1"s}},
         "Data \0 before \0 first \0 section\r\n[section1]\r\nkey1=string1\r\n"s, std::nullopt, WineFile},
        {"G34", "[b]\r\nk=1\r\n[a]\r\nk=1\r\n", {{"a", "k", "1"s}}, "[b]\r\nk=1\r\n[a]\r\nk=1\r\n"},
        {"E24", std::nullopt, {{"sec][sec2]", "TestKey", "x"s}}, "[sec][sec2]]\r\nTestKey=x\r\n"},
        {"G30 UTF-16LE stays", "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xE9\0\r\0\n\0"s, {{"s", "k2", "w"s}},
         "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xE9\0\r\0\n\0k\0\x32\0=\0w\0\r\0\n\0"s},
        {"header without line end", "[a]", {{"a", "k", "v"s}}, "[a]\r\nk=v\r\n"},
        // Values are written as given: quotes, brackets, backslashes and UTF-8 bytes.
        {"quoted", std::nullopt, {{"s", "k", "\"quoted\""s}}, "[s]\r\nk=\"quoted\"\r\n"},
        {"brackets", std::nullopt, {{"s", "k", "[not a section]"s}}, "[s]\r\nk=[not a section]\r\n"},
        {"backslashes", std::nullopt, {{"s", "k", "C:\\Docs\\a.pdf"s}}, "[s]\r\nk=C:\\Docs\\a.pdf\r\n"},
        {"UTF-8", std::nullopt, {{"s", "k", "caf\xC3\xA9"s}}, "[s]\r\nk=caf\xC3\xA9\r\n"},
        {"CR-only file", "[a]\rk=1\r", {{"a", "k2", "2"s}, {"b", "x", "y"s}}, "[a]\rk=1\rk2=2\r\n[b]\r\nx=y\r\n",
         std::nullopt, WineFile},
    });
    // clang-format on
}

TEST_F(PrivateProfileWriteTest, WritesAValueOfAMebibyteWhole) {
    // G20: no limit on the length written (Wine 8 writes a broken line).
    std::string big(1 << 20, 'v');
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", big.c_str(), path().c_str()));
    expectPart(WineFile, WineFile, "G20", "whole, file size " + std::to_string(readBytes().value_or("").size()), true,
               readBytes() == "[s]\r\nk=" + big + "\r\n");
}

TEST_F(PrivateProfileWriteTest, DeletesKeysReplacesSectionsAndRefusesBadCalls) {
    const std::string I02 = ";c\r\n[s]\r\nold=1\r\n;inner\r\nold2=2\r\n[t]\r\nx=1\r\n";
    // clang-format off
    run({
        {"H01", G04, {{"App1", "key2", std::nullopt}},
         "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n"},
        {"H03", G04, {{"App1", nullptr, "string1"s}}, "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n"},
        {"H05", "[App3]\r\nkey5=string5\r\n", {{"App3", "key5", std::nullopt}}, "[App3]\r\n"},
        {"H06", ";comment0\r\n[S]\r\n;comment1\r\n[S2]\r\n;comment2\r\n",
         {{"S", nullptr, ""s}, {"S2", nullptr, ""s}}, ";comment0\r\n;comment1\r\n;comment2\r\n", std::nullopt,
         WineFile},
        {"H07", "[S]\r\n;key=v\r\n", {{"S", ";key", std::nullopt}}, "[S]\r\n;key=v\r\n", std::nullopt, WineFile},
        {"H09", G04, {{"nosuch", nullptr, std::nullopt}, {"App1", "nosuch", std::nullopt}}, G04},
        {"H10", std::nullopt, {{nullptr, "key", "string"s, false, FALSE}}, std::nullopt, ERROR_FILE_NOT_FOUND},
        {"H12", std::nullopt, {{"App", nullptr, "string"s}, {"App", "key", std::nullopt}}, ""s, std::nullopt,
         WineFile},
        {"H08 key", "[s]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\n", {{"s", "k", std::nullopt}}, "[s]\r\nk=2\r\n[s]\r\nk=3\r\n"},
        {"H08 section", "[s]\r\nk=1\r\n[t]\r\nx=1\r\n[s]\r\nk=3\r\n", {{"s", nullptr, std::nullopt}},
         "[t]\r\nx=1\r\n[s]\r\nk=3\r\n"},
        {"H17 flush", G04, {{nullptr, nullptr, std::nullopt, false, FALSE}}, G04},
        {"deleted section keeps blank lines", "[a]\r\nk=1\r\n\r\n[b]\r\nk=2\r\n", {{"a", nullptr, std::nullopt}},
         "\r\n[b]\r\nk=2\r\n", std::nullopt, WineFile},
        {"deleted last line without line end", "[a]\r\nk=1\r\nj=2", {{"a", "j", std::nullopt}}, "[a]\r\nk=1\r\n"},
        {"LF file keeps its line ends", "[a]\nk=1\nj=2\n[b]\nx=1\n", {{"a", "k", std::nullopt}, {"b", "x", "2"s}},
         "[a]\nj=2\n[b]\nx=2\n", std::nullopt, WineFile},
        // Whole sections replaced through WritePrivateProfileSectionA.
        {"I01", "[a]\r\nk=v\r\n", {sectionWrite("u", "p=1\0q=2\0\0"s)}, "[a]\r\nk=v\r\n[u]\r\np=1\r\nq=2\r\n"},
        {"I02", I02, {sectionWrite("s", "a=1\0b=2\0\0"s)}, ";c\r\n[s]\r\na=1\r\nb=2\r\n[t]\r\nx=1\r\n"},
        {"I05", "[t]\r\nx=1\r\ny=2\r\n", {sectionWrite("t", "\0\0"s)}, "[t]\r\n"},
        {"I06", I02, {sectionWrite("s", std::nullopt)}, ";c\r\n;inner\r\n[t]\r\nx=1\r\n", std::nullopt, WineFile},
        {"I07", I02, {sectionWrite(nullptr, std::nullopt, FALSE)}, I02},
        {"section write keeps blank line before next section", "[s]\r\nold=1\r\n\r\n[t]\r\nx=1\r\n",
         {sectionWrite("S", "n=2\0\0"s)}, "[s]\r\nn=2\r\n\r\n[t]\r\nx=1\r\n", std::nullopt, WineFile},
        {"section write then key", std::nullopt, {sectionWrite("s", "a=1\0\0"s), {"s", "b", "2"s}},
         "[s]\r\na=1\r\nb=2\r\n"},
    });
    // clang-format on
}

TEST_F(PrivateProfileWriteTest, ReportsNamesThatCannotBeWritten) {
    // H13: an empty file name; H14: a folder that does not exist (none is created); H18.
    EXPECT_TRUE(failsWith(FALSE, ERROR_ACCESS_DENIED, [] { return WritePrivateProfileStringA("App", "k", "s", ""); }));
    const std::string missing = folder() / "missing\\test.ini";
    EXPECT_TRUE(failsWith(FALSE, ERROR_PATH_NOT_FOUND,
                          [&] { return WritePrivateProfileStringA("App", "key", "string", missing.c_str()); }));
    EXPECT_FALSE(std::filesystem::exists(folder().native() / "missing"));
    EXPECT_TRUE(failsWith(FALSE, ERROR_PATH_NOT_FOUND,
                          [&] { return WritePrivateProfileSectionA("App", "k=v\0"s.c_str(), missing.c_str()); }));

    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr));
}

TEST_F(PrivateProfileWriteTest, AFileHeldByAHandleIsWrittenAndReadOnlyWhereTheHandleSharesIt) {
    // The profile functions open the file for a moment, as any other opener: a write needs the
    // holder to share reading and writing, a read needs it to share reading.
    const struct {
        DWORD access, share;
        bool writes, reads;
    } rows[] = {{GENERIC_READ, FILE_SHARE_READ, false, true},
                {GENERIC_READ, FILE_SHARE_WRITE, false, false},
                {GENERIC_WRITE, FILE_SHARE_READ, false, true},
                {GENERIC_WRITE, FILE_SHARE_WRITE, false, false},
                {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, false, true},
                {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, false, false},
                {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true, true},
                {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, true, true},
                {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, true, true},
                {FILE_READ_ATTRIBUTES, 0, true, true}};
    const std::string content = "[s]\r\nk=1\r\n";
    for (const auto& c : rows) {
        SCOPED_TRACE(&c - rows);
        writeBytes(content);
        HANDLE held = CreateFileA(path().c_str(), c.access, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        std::string value(8, bufferSentinel);
        EXPECT_EQ(c.reads ? 1u : 2u, GetPrivateProfileStringA("s", "k", "no", value.data(), 8, path().c_str()));
        EXPECT_EQ(c.reads ? "1\0"s : "no\0"s, value.substr(0, c.reads ? 2 : 3));
        BOOL written = FALSE;
        const DWORD error = lastErrorOf([&] { written = WritePrivateProfileStringA("s", "k", "2", path().c_str()); });
        EXPECT_EQ(c.writes, written != FALSE);
        if (!c.writes) {
            EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), error);
        }
        CloseHandle(held);
        EXPECT_EQ(c.writes ? "[s]\r\nk=2\r\n" : content, readBytes().value_or("(none)"));
    }
}

TEST_F(PrivateProfileWriteTest, RefusesToChangeAReadOnlyFile) {
    if (ovs::platform::isWine()) {
        GTEST_SKIP() << "Wine run by the superuser, as here, writes read-only files";
    }
    const std::string content = "[s]\r\nk=1\r\n";
    writeBytes(content);
    const std::filesystem::path file = folder().native() / "test.ini";
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    auto write = [this] { return WritePrivateProfileStringA("s", "k", "2", path().c_str()); };
    EXPECT_TRUE(failsWith(FALSE, ERROR_ACCESS_DENIED, write));
    EXPECT_FALSE(WritePrivateProfileSectionA("s", nullptr, path().c_str()));
    EXPECT_EQ(content, readBytes().value_or(""));
    std::filesystem::permissions(file, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

} // namespace
