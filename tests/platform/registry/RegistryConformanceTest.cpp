// Conformance of the registry functions: natively against the substitute's .reg files,
// under Wine against the registry of the build's own prefix. Every test works below a
// private key HKEY_CURRENT_USER\Software\OvsConformance\<unique> that it deletes afterwards.
#include "RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<BYTE> bytesOf(const char* text) {
    return std::vector<BYTE>(text, text + std::strlen(text) + 1);
}

// The status of a query for the size of a value; the size goes to *size when given.
LSTATUS querySize(HKEY key, const char* name, DWORD* size = nullptr) {
    DWORD ignored = 0;
    return RegQueryValueExA(key, name, nullptr, nullptr, nullptr, size != nullptr ? size : &ignored);
}

struct TypedValue {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
};

class RegistryConformance : public testing::Test {
protected:
    void SetUp() override { key_ = create(HKEY_CURRENT_USER, path_.c_str(), REG_CREATED_NEW_KEY); }
    void TearDown() override {
        RegCloseKey(key_);
        EXPECT_EQ(ERROR_SUCCESS, ovs::test::deleteKeyTree(HKEY_CURRENT_USER, path_));
    }

    // Creates parent\subKey, expecting the disposition when one is given.
    static HKEY create(HKEY parent, const char* subKey, DWORD expected = 0) {
        HKEY result = nullptr;
        DWORD disposition = 0;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(parent, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &result, &disposition));
        EXPECT_EQ(expected != 0 ? expected : disposition, disposition) << subKey;
        return result;
    }
    HKEY open(REGSAM access, const char* subKey = nullptr) {
        HKEY result = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(subKey ? key_ : HKEY_CURRENT_USER, subKey ? subKey : path_.c_str(), 0,
                                               access, &result));
        return result;
    }
    static void set(HKEY key, const TypedValue& value) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, value.name, 0, value.type, value.data.data(),
                                                static_cast<DWORD>(value.data.size())));
    }

    ovs::test::PrivateRegistry registry_;
    std::string path_ = "Software\\OvsConformance\\" + ovs::test::uniqueKeyName("Key");
    HKEY key_ = nullptr;
};

TEST(RegistryStandardKeys, ExistInAFreshRegistryAndCannotBeDeleted) {
    ovs::test::PrivateRegistry registry;
    const std::pair<HKEY, const char*> keys[] = {{HKEY_LOCAL_MACHINE, "SOFTWARE"},
                                                 {HKEY_LOCAL_MACHINE, "System"},
                                                 {HKEY_LOCAL_MACHINE, "HARDWARE"},
                                                 {HKEY_CURRENT_USER, "SOFTWARE"},
                                                 {HKEY_USERS, ".DEFAULT"}};
    for (const auto& [root, path] : keys) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(root, path, 0, KEY_READ, &key)) << path;
        RegCloseKey(key);
        EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(root, path)) << path;
    }
    EXPECT_TRUE(std::filesystem::is_empty(registry.folder().native())); // nothing written for them
}

TEST_F(RegistryConformance, CreateAndOpenKeysWhateverTheCase) {
    HKEY first = create(key_, "Sub", REG_CREATED_NEW_KEY);
    HKEY second = create(key_, "SUB", REG_OPENED_EXISTING_KEY);
    set(first, {"v", REG_DWORD, {1, 0, 0, 0}});
    EXPECT_EQ(std::string("\1\0\0\0", 4), ovs::test::queryValue(second, "", "V"));
    RegCloseKey(first);
    RegCloseKey(second);
    // Every missing level is made; the middle one lists the last.
    RegCloseKey(create(key_, "A\\B\\C", REG_CREATED_NEW_KEY));
    HKEY middle = open(KEY_READ, "a\\b");
    char name[16];
    DWORD size = sizeof name;
    EXPECT_EQ(ERROR_SUCCESS, RegEnumKeyExA(middle, 0, name, &size, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ("C", name);
    EXPECT_EQ(1u, size);
    RegCloseKey(middle);
    // A path with a leading backslash is a bad path name, whether opened or created.
    HKEY result = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyExA(HKEY_CURRENT_USER, ("\\" + path_).c_str(), 0, KEY_READ, &result));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(ERROR_BAD_PATHNAME,
              RegCreateKeyExA(key_, "\\Lead", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &result, nullptr));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(key_, "Lead", 0, KEY_READ, &result));
    // A missing key fails and nulls the result.
    result = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(key_, "Missing", 0, KEY_READ, &result));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(key_, "Missing\\Deeper", 0, KEY_READ, &result));
    // An empty name or a view flag gives the same key.
    set(key_, {"x", REG_SZ, bytesOf("1")});
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_32KEY), REGSAM(KEY_WOW64_64KEY)}) {
        HKEY again = open(KEY_READ | view);
        EXPECT_EQ(std::string("1", 2), ovs::test::queryValue(again, "", "x", view)) << view;
        RegCloseKey(again);
    }
}

TEST_F(RegistryConformance, EveryTypeReadsBackAsWrittenAndTheSubstituteFileHasTheDocumentedForm) {
    const std::vector<TypedValue> values = {{"", REG_SZ, bytesOf("C:\\Program Files\\\"x\"")},
                                            {"Empty", REG_SZ, bytesOf("")},
                                            {"Lines", REG_SZ, bytesOf("a\nb")},
                                            {"Expand", REG_EXPAND_SZ, bytesOf("%TEMP%\\x")},
                                            {"Blob", REG_BINARY, {0xde, 0xad, 0x00, 0xbe, 0xef}},
                                            {"Wide", REG_BINARY, std::vector<BYTE>(30, 0xab)},
                                            {"NoBytes", REG_BINARY, {}},
                                            {"Count", REG_DWORD, {0x2a, 0x00, 0x00, 0x80}},
                                            {"Big", REG_QWORD, {0xef, 0xcd, 0xab, 0x89, 0x67, 0x45, 0x23, 0x01}}};
    for (const TypedValue& value : values) {
        set(key_, value);
    }
    HKEY reader = open(KEY_READ);
    for (const TypedValue& value : values) {
        std::vector<BYTE> buffer(64, 0xCC);
        DWORD type = 0xFFFF, size = 64;
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(reader, value.name, nullptr, &type, buffer.data(), &size))
            << value.name;
        EXPECT_EQ(value.type, type) << value.name;
        EXPECT_EQ(value.data, std::vector<BYTE>(buffer.begin(), buffer.begin() + size)) << value.name;
        EXPECT_EQ(0xCC, buffer[size]) << value.name;
    }
    RegCloseKey(reader);
    if (!ovs::platform::isPosixSubstitute()) {
        return; // the Windows build keeps its registry in the prefix, not in .reg files
    }
    // clang-format off
    EXPECT_EQ("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\OvsConformance]\n\n"
              "[HKEY_CURRENT_USER\\" + path_ + "]\n@=\"C:\\\\Program Files\\\\\\\"x\\\"\"\n\"Empty\"=\"\"\n"
              "\"Lines\"=hex(1):61,0a,62,00\n\"Expand\"=hex(2):25,54,45,4d,50,25,5c,78,00\n\"Blob\"=hex:de,ad,00,be,ef\n"
              "\"Wide\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\n  ab,ab,ab,ab,ab,ab,ab,ab\n"
              "\"NoBytes\"=hex:\n\"Count\"=dword:8000002a\n\"Big\"=hex(b):ef,cd,ab,89,67,45,23,01\n\n",
              ovs::test::fileBytes(registry_.folder().native() / "HKEY_CURRENT_USER.reg"));
    // clang-format on
    // Nothing else: no file for another root key, no temporary left behind.
    std::filesystem::directory_iterator entries(registry_.folder().native());
    EXPECT_EQ(1, std::distance(entries, std::filesystem::directory_iterator()));
}

TEST_F(RegistryConformance, SizesOfShortBuffersNullDataAndMissingValues) {
    set(key_, {"Text", REG_SZ, bytesOf("hello")});
    set(key_, {"Blob", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8, 9}});
    // Given without its NUL, which the registry counts all the same when the byte after the data
    // is one (as Windows does for a caller that forgot the terminator); "raw" is followed by X.
    const char text[] = "abc";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_, "t", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 3));
    const char unterminated[] = "abcX"; // "abc" kept without a NUL
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_, "raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), 3));
    // bytes: the buffer's first bytes afterwards ("" when not looked at); the size reported
    // is checked for every case, the type where the value exists.
    const struct {
        const char* name;
        DWORD bufferSize;
        bool withData;
        LSTATUS status;
        DWORD type, reported;
        std::string bytes = "";
    } cases[] = {{"Text", 3, true, ERROR_MORE_DATA, REG_SZ, 6},
                 {"Text", 6, true, ERROR_SUCCESS, REG_SZ, 6, std::string("hello\0\xCC", 7)},
                 {"Text", 0, false, ERROR_SUCCESS, REG_SZ, 6},
                 {"TEXT", 100, false, ERROR_SUCCESS, REG_SZ, 6},
                 {"Blob", 8, true, ERROR_MORE_DATA, REG_BINARY, 9},
                 {"Blob", 0, true, ERROR_MORE_DATA, REG_BINARY, 9},
                 {"Blob", 9, true, ERROR_SUCCESS, REG_BINARY, 9},
                 {"t", 0, false, ERROR_SUCCESS, REG_SZ, 4},
                 // A text without its NUL gets one where the buffer has room; the size stays.
                 {"raw", 4, true, ERROR_SUCCESS, REG_SZ, 3, std::string("abc\0\xCC", 5)},
                 {"raw", 3, true, ERROR_SUCCESS, REG_SZ, 3, "abc\xCC"},
                 // A missing value: a size asked alone is set to 0, beside a buffer it stays.
                 {"Missing", 7, false, ERROR_FILE_NOT_FOUND, 0, 0},
                 {"Missing", 7, true, ERROR_FILE_NOT_FOUND, 0, 7, "\xCC"},
                 {nullptr, 0, false, ERROR_FILE_NOT_FOUND, 0, 0},
                 {"", 0, false, ERROR_FILE_NOT_FOUND, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.name ? c.name : "(null)") << " " << c.bufferSize);
        std::string buffer(16, '\xCC');
        DWORD type = 0, size = c.bufferSize;
        EXPECT_EQ(c.status, RegQueryValueExA(key_, c.name, nullptr, &type,
                                             c.withData ? reinterpret_cast<BYTE*>(buffer.data()) : nullptr, &size));
        if (c.status != ERROR_FILE_NOT_FOUND) {
            EXPECT_EQ(c.type, type);
        }
        EXPECT_EQ(c.reported, size);
        EXPECT_EQ(c.bytes, buffer.substr(0, c.bytes.size()));
    }
    // The default value, set through a null name, reads through an empty one.
    set(key_, {nullptr, REG_SZ, bytesOf("dflt")});
    EXPECT_EQ(std::string("dflt", 5), ovs::test::queryValue(key_, "", ""));
}

TEST_F(RegistryConformance, SubKeysEnumerateInNameOrderRegardlessOfCaseValuesInWritingOrder) {
    for (const char* name : {"gamma", "Alpha", "beta"}) {
        RegCloseKey(create(key_, name));
    }
    std::vector<std::string> names;
    char name[32];
    DWORD size = sizeof name;
    for (DWORD index = 0; RegEnumKeyExA(key_, index, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++index, size = sizeof name) {
        EXPECT_EQ(std::strlen(name), size);
        names.push_back(name);
    }
    EXPECT_EQ((std::vector<std::string>{"Alpha", "beta", "gamma"}), names);
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumKeyExA(key_, 3, name, &size, nullptr, nullptr, nullptr, nullptr));
    char small[5];
    size = sizeof small;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExA(key_, 0, small, &size, nullptr, nullptr, nullptr, nullptr)); // "Alpha"+NUL

    const TypedValue expected[] = {
        {"a1", REG_SZ, bytesOf("one")}, {"b2", REG_DWORD, {2, 0, 0, 0}}, {"c3", REG_BINARY, {3, 3, 3}}};
    for (const TypedValue& value : expected) {
        set(key_, value);
    }
    BYTE data[16];
    DWORD type = 0, dataSize = sizeof data;
    for (DWORD index = 0; index < 3; ++index, size = sizeof name, dataSize = sizeof data) {
        ASSERT_EQ(ERROR_SUCCESS, RegEnumValueA(key_, index, name, &size, nullptr, &type, data, &dataSize));
        EXPECT_STREQ(expected[index].name, name);
        EXPECT_EQ(2u, size);
        EXPECT_EQ(expected[index].type, type);
        EXPECT_EQ(expected[index].data, std::vector<BYTE>(data, data + dataSize));
    }
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumValueA(key_, 3, name, &size, nullptr, nullptr, nullptr, nullptr));
    size = 2;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueA(key_, 0, small, &size, nullptr, nullptr, nullptr, nullptr));

    // "a1" = "one" with a buffer too small for the name, the data or both: ERROR_MORE_DATA. The
    // type and the data's size are set in every case; a name that does not fit leaves its
    // length, and data that does not fit leaves the name, its length and the data. Where only
    // the name is too small, Windows writes the data (older versions leave it) and may write a
    // cut name: both are accepted.
    const struct {
        DWORD nameSize, dataSize;
        bool nameKept, dataWritten;
    } overflows[] = {{2, 2, true, false}, {2, 16, false, true}, {16, 2, true, false}};
    for (const auto& c : overflows) {
        SCOPED_TRACE(testing::Message() << "name " << c.nameSize << " data " << c.dataSize);
        std::memset(name, 'x', sizeof name);
        std::memset(data, 'x', sizeof data);
        size = c.nameSize;
        dataSize = c.dataSize;
        type = 1234;
        EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueA(key_, 0, name, &size, nullptr, &type, data, &dataSize));
        EXPECT_EQ(c.nameSize, size);
        EXPECT_EQ(DWORD(REG_SZ), type);
        EXPECT_EQ(4u, dataSize);
        const std::string nameAfter(name, 4), dataAfter(reinterpret_cast<const char*>(data), 4);
        EXPECT_TRUE(nameAfter == "xxxx" || (!c.nameKept && nameAfter == std::string("a\0xx", 4))) << nameAfter;
        EXPECT_TRUE(dataAfter == "xxxx" || (c.dataWritten && dataAfter == std::string("one\0", 4))) << dataAfter;
    }
}

TEST_F(RegistryConformance, WritersAtTheSameTimeKeepEachOthersKeys) {
    const int writers = 4, keysEach = 20;
    std::vector<std::thread> threads;
    auto nameOf = [](int writer, int i) { return "W" + std::to_string(writer) + "-" + std::to_string(i); };
    for (int writer = 0; writer < writers; ++writer) {
        threads.emplace_back([this, writer, nameOf] {
            for (int i = 0; i < keysEach; ++i) {
                const std::string name = nameOf(writer, i);
                HKEY key = nullptr;
                if (RegCreateKeyExA(key_, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
                    ERROR_SUCCESS) {
                    RegSetValueExA(key, "n", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                                   static_cast<DWORD>(name.size() + 1));
                    RegCloseKey(key);
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int writer = 0; writer < writers; ++writer) {
        for (int i = 0; i < keysEach; ++i) {
            const std::string name = nameOf(writer, i);
            EXPECT_EQ(name + '\0', ovs::test::queryValue(key_, name, "n"));
        }
    }
}

TEST_F(RegistryConformance, DeletionAccessRightsAndUnknownHandles) {
    RegCloseKey(create(key_, "Parent\\Child"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(key_, "Parent"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(key_, "Nothing"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "PARENT\\child"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "Parent"));
    HKEY gone = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(key_, "Parent", 0, KEY_READ, &gone));
    set(key_, {"v", REG_SZ, bytesOf("x")});
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key_, "V"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(key_, "v"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, querySize(key_, "v"));

    // A handle on a deleted key reports it.
    HKEY doomed = create(key_, "Doomed");
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "Doomed"));
    EXPECT_EQ(ERROR_KEY_DELETED, querySize(doomed, "x"));
    EXPECT_EQ(ERROR_KEY_DELETED, RegFlushKey(doomed));
    const BYTE one[] = {1, 0, 0, 0};
    EXPECT_EQ(ERROR_KEY_DELETED, RegSetValueExA(doomed, "x", 0, REG_DWORD, one, 4));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(doomed));

    // The handle's access rights are checked.
    set(key_, {"v", REG_SZ, bytesOf("x")});
    HKEY reader = open(KEY_READ);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(reader, "w", 0, REG_DWORD, one, 4));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueA(reader, "v"));
    RegCloseKey(reader);
    HKEY writer = open(KEY_SET_VALUE);
    EXPECT_EQ(ERROR_ACCESS_DENIED, querySize(writer, "v"));
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(writer));
    RegCloseKey(writer);

    HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFF0010));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(bogus));
    EXPECT_EQ(ERROR_INVALID_HANDLE, querySize(bogus, "x"));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));
}

} // namespace
