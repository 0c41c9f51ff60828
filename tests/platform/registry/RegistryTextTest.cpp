// The registry's REGEDIT4 files: a hand-written fixture is read back by the registry
// functions (natively from the registry folder, under Wine after "regedit /s" imported the
// same file into the prefix), and the file our substitute writes has the documented form.
#include "RegistryTestSupport.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace std::string_literals;
using ovs::test::fileBytes;
using ovs::test::writeFileBytes;

using ovs::test::queryValue;

using ovs::test::utf16Of;

TEST(RegistryText, HandWrittenFixtureIsReadBack) {
    for (bool exported : {false, true}) { // as an installer writes it; as regedit exports it
        ovs::test::PrivateRegistry registry;
        const std::string appKey =
            "SOFTWARE\\OvsConformance\\" + ovs::test::uniqueKeyName("AppPaths") + "\\Acrobat.exe";
        const std::string text = std::string(exported ? "Windows Registry Editor Version 5.00" : "REGEDIT4") +
                                 "\r\n\r\n; hand-written\r\n[HKEY_LOCAL_MACHINE\\" + appKey +
                                 "]\r\n"
                                 "@=\"C:\\\\Programs\\\\Acrobat\\\\Acrobat.exe\"\r\n"
                                 "\"Path\"=\"C:\\\\Programs\\\\Acrobat\"\r\n\"Flags\"=dword:00000010\r\n"
                                 "\"Blob\"=hex:01,02,\\\r\n  03\r\n\r\n";
        const std::string fixture = exported ? "\xFF\xFE" + utf16Of(text) : text; // as regedit exports
        const std::filesystem::path file = registry.folder().native() / "HKEY_LOCAL_MACHINE.reg";
        ovs::test::TempFolder source;
        writeFileBytes(ovs::platform::isPosixSubstitute() ? file : source.native() / "fixture.reg", fixture);
        if (!ovs::platform::isPosixSubstitute()) {
            ASSERT_EQ(0, std::system(("regedit /s \"" + (source / "fixture.reg") + "\"").c_str()));
        }
        const struct {
            const char* name;
            std::string data;
            DWORD type;
        } values[] = {{"", std::string("C:\\Programs\\Acrobat\\Acrobat.exe") + '\0', REG_SZ},
                      {"PATH", std::string("C:\\Programs\\Acrobat") + '\0', REG_SZ},
                      {"Flags", std::string("\x10\0\0\0", 4), REG_DWORD},
                      {"Blob", "\x01\x02\x03", REG_BINARY}};
        for (const auto& value : values) {
            DWORD type = 0;
            EXPECT_EQ(value.data, queryValue(HKEY_LOCAL_MACHINE, appKey, value.name, 0, &type)) << value.name;
            EXPECT_EQ(value.type, type) << value.name;
        }
        // Opening for writing and writing what is there already change nothing: the file stays.
        ovs::test::setValue(HKEY_LOCAL_MACHINE, appKey, "flags", std::string("\x10\0\0\0", 4), REG_DWORD);
        EXPECT_TRUE(!ovs::platform::isPosixSubstitute() || fixture == fileBytes(file)) << exported;
        EXPECT_EQ(ERROR_SUCCESS, ovs::test::deleteKeyTree(HKEY_LOCAL_MACHINE, appKey.substr(0, appKey.rfind('\\'))));
    }
}

// The rest are about the substitute's own files.
class SubstituteRegistryFile : public testing::Test {
protected:
    void SetUp() override {
        if (!ovs::platform::isPosixSubstitute()) {
            GTEST_SKIP() << "the Windows build keeps its registry in the prefix, not in .reg files";
        }
    }
    std::filesystem::path file(const std::string& root) const { return registry.folder().native() / (root + ".reg"); }

    ovs::test::PrivateRegistry registry;
};

// A file that is no registry file fails every call, one that may not be written every call that
// would write it, whatever access the call asks for; neither is ever rewritten.
TEST_F(SubstituteRegistryFile, AFileThatIsNoRegistryFileOrIsReadOnlyFailsAndStays) {
    const std::string good = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n\"v\"=dword:00000001\n";
    const struct {
        std::string content;
        bool readOnly = false;
    } files[] = {
        {"not a registry file\n"},
        {utf16Of("REGEDIT4\r\n")},                     // UTF-16 without its byte-order mark
        {good + "\"w\"=dword:123456789\n"},            // a value that cannot be read
        {good + "\"w\"\n"},                            // a value line without "="
        {good + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\B\n"}, // a key line without "]"
        {"REGEDIT4\n\"v\"=\"outside any key\"\n"},
        {good, true},
    };
    const BYTE one[] = {1, 0, 0, 0};
    for (const auto& f : files) {
        SCOPED_TRACE(f.content);
        writeFileBytes(file("HKEY_LOCAL_MACHINE"), f.content);
        std::filesystem::permissions(file("HKEY_LOCAL_MACHINE"), f.readOnly ? std::filesystem::perms::owner_read
                                                                            : std::filesystem::perms::owner_all);
        const LSTATUS error = f.readOnly ? ERROR_ACCESS_DENIED : ERROR_REGISTRY_CORRUPT;
        HKEY key = nullptr;
        EXPECT_EQ(f.readOnly ? ERROR_SUCCESS : error, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key));
        EXPECT_TRUE(!f.readOnly || RegCloseKey(key) == ERROR_SUCCESS);
        EXPECT_EQ(error, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", 0, KEY_READ | KEY_WRITE, &key));
        EXPECT_EQ(error,
                  RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\C", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr));
        EXPECT_EQ(error, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\A"));
        EXPECT_EQ(error, RegSetValueExA(HKEY_LOCAL_MACHINE, "v", 0, REG_DWORD, one, 4));
        EXPECT_EQ(f.content, fileBytes(file("HKEY_LOCAL_MACHINE")));
    }
    std::filesystem::permissions(file("HKEY_LOCAL_MACHINE"), std::filesystem::perms::owner_all);
}

// Windows keeps such names; a .reg line cannot.
TEST_F(SubstituteRegistryFile, NamesWithLineBreaksAreRefusedEverythingElseReadsBack) {
    const struct {
        const char* key;
        const char* value;
        LSTATUS status;
        std::string readBack;
    } cases[] = {{"a]", "b]", ERROR_SUCCESS, "d\0"s},
                 {"[x] \"q\" ]", " ;=@\t\"\\", ERROR_SUCCESS, "d\0"s},
                 {"a]\n[HKEY_CURRENT_USER\\Software\\Injected", "v", ERROR_INVALID_PARAMETER, "<no key 2>"},
                 {"cr\rkey", "v", ERROR_INVALID_PARAMETER, "<no key 2>"},
                 {"k", "line\nbreak", ERROR_INVALID_PARAMETER, "<error 2>"},
                 {"k", "cr\r", ERROR_INVALID_PARAMETER, "<error 2>"}};
    for (const auto& c : cases) {
        const std::string path = std::string("Software\\Names\\") + c.key;
        HKEY key = nullptr;
        LSTATUS status =
            RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (status == ERROR_SUCCESS) {
            status = RegSetValueExA(key, c.value, 0, REG_SZ, reinterpret_cast<const BYTE*>("d"), 2);
            RegCloseKey(key);
        }
        EXPECT_EQ(c.status, status) << c.key << " / " << c.value;
        // read back from the file, which every call reads anew
        EXPECT_EQ(c.readBack, queryValue(HKEY_CURRENT_USER, path, c.value)) << c.key;
    }
    EXPECT_EQ("<no key 2>", queryValue(HKEY_CURRENT_USER, "Software\\Injected", "v"));
}

} // namespace
