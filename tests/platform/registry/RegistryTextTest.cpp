// The registry's REGEDIT4 files: a hand-written fixture is read back by the registry
// functions (natively from the registry folder, under Wine after "regedit /s" imported the
// same file into the prefix), and the file our substitute writes has the documented form.
#include "RegistryTestSupport.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string readAll(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

void writeAll(const std::filesystem::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

std::string queryText(HKEY root, const std::string& path, const char* name, DWORD& type) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "<no key>";
    }
    char buffer[512] = {};
    DWORD size = sizeof buffer - 1;
    LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(buffer, size) : "<error " + std::to_string(status) + ">";
}

TEST(RegistryText, HandWrittenFixtureIsReadBack) {
    ovs::test::PrivateRegistry registry;
    const std::string appKey = "SOFTWARE\\OvsConformance\\" + ovs::test::uniqueKeyName("AppPaths") + "\\Acrobat.exe";
    const std::string fixture =
        "REGEDIT4\r\n"
        "\r\n"
        "; hand-written, as an installer would leave it\r\n"
        "[HKEY_LOCAL_MACHINE\\" + appKey + "]\r\n"
        "@=\"C:\\\\Programs\\\\Acrobat\\\\Acrobat.exe\"\r\n"
        "\"Path\"=\"C:\\\\Programs\\\\Acrobat\"\r\n"
        "\"Flags\"=dword:00000010\r\n"
        "\"Blob\"=hex:01,02,\\\r\n"
        "  03\r\n"
        "\r\n";
    ovs::test::TempFolder source;
    writeAll(source.native() / "fixture.reg", fixture);
    if (!ovs::platform::isPosixSubstitute()) {
        std::string command = "regedit /s \"" + (source / "fixture.reg") + "\"";
        ASSERT_EQ(0, std::system(command.c_str()));
    } else {
        writeAll(registry.folder().native() / "HKEY_LOCAL_MACHINE.reg", fixture);
    }
    DWORD type = 0;
    EXPECT_EQ(std::string("C:\\Programs\\Acrobat\\Acrobat.exe"), queryText(HKEY_LOCAL_MACHINE, appKey, "", type).c_str());
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(std::string("C:\\Programs\\Acrobat"), queryText(HKEY_LOCAL_MACHINE, appKey, "PATH", type).c_str());
    EXPECT_EQ(std::string("\x10\0\0\0", 4), queryText(HKEY_LOCAL_MACHINE, appKey, "Flags", type));
    EXPECT_EQ(DWORD(REG_DWORD), type);
    EXPECT_EQ(std::string("\x01\x02\x03"), queryText(HKEY_LOCAL_MACHINE, appKey, "Blob", type));
    EXPECT_EQ(DWORD(REG_BINARY), type);
    EXPECT_EQ(ERROR_SUCCESS, ovs::test::deleteKeyTree(HKEY_LOCAL_MACHINE, appKey.substr(0, appKey.rfind('\\'))));
}

TEST(RegistryText, WrittenFileHasTheDocumentedForm) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "the Windows build keeps its registry in the prefix, not in .reg files";
    }
    ovs::test::PrivateRegistry registry;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Ovs\\Empty", 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Ovs\\Values", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    auto set = [&](const char* name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                                static_cast<DWORD>(bytes.size())));
    };
    set("", REG_SZ, std::string("Z:\\opt\\a \"b\"\0", 13));
    set("Count", REG_DWORD, std::string("\x2a\0\0\0", 4));
    set("Big", REG_QWORD, std::string("\x01\0\0\0\0\0\0\x80", 8));
    set("Blob", REG_BINARY, std::string(30, '\xab'));
    set("Expand", REG_EXPAND_SZ, std::string("%X%\0", 4));
    set("Lines", REG_SZ, std::string("a\nb\0", 4));
    RegCloseKey(key);

    EXPECT_EQ("REGEDIT4\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Ovs]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Ovs\\Empty]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Ovs\\Values]\n"
              "@=\"Z:\\\\opt\\\\a \\\"b\\\"\"\n"
              "\"Count\"=dword:0000002a\n"
              "\"Big\"=hex(b):01,00,00,00,00,00,00,80\n"
              "\"Blob\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\n"
              "  ab,ab,ab,ab,ab,ab,ab,ab\n"
              "\"Expand\"=hex(2):25,58,25,00\n"
              "\"Lines\"=hex(1):61,0a,62,00\n"
              "\n",
              readAll(registry.folder().native() / "HKEY_CURRENT_USER.reg"));
    EXPECT_FALSE(std::filesystem::exists(registry.folder().native() / "HKEY_LOCAL_MACHINE.reg"));
}

} // namespace
