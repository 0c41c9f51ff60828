// The registry store and registry keys by full path: natively over the substitute's .reg
// files in a private folder, under Wine over the registry of the build's own prefix. Every
// test works below HKEY_CURRENT_USER\SOFTWARE\ORVA-SYSTEMS\<unique product> and deletes it.
#include "profiling/ProfilingWinReg.h"
#include "MessageNumbers.h"
#include "ProfilingTestSupport.h"
#include "RegistryTestSupport.h"
#include "profiling/Profiling.h"
#include "profiling/RegistryKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ovs::test::expectException;

class ProfilingWinRegTest : public testing::Test {
protected:
    ProfilingWinRegTest() : store_(ovs::ProfilingModeRegistry) {
        store_.setProductKey(product_);
        store_.setApplicationKey("App");
    }
    ~ProfilingWinRegTest() override {
        store_.setRoot(ovs::ProfilingRootUser); // closes the store's keys
        ovs::test::deleteKeyTree(HKEY_CURRENT_USER, "SOFTWARE\\ORVA-SYSTEMS\\" + product_);
    }
    std::string basePath() const { return "SOFTWARE\\ORVA-SYSTEMS\\" + product_ + "\\App\\CurrentVersion"; }
    // Sets a raw value below the store's base key.
    void setRaw(const std::string& subKey, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (basePath() + "\\" + subKey).c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }

    ovs::test::PrivateRegistry registry_;
    std::string product_ = ovs::test::uniqueKeyName("ProfilingTest");
    ovs::ProfilingWinReg store_;
};

TEST_F(ProfilingWinRegTest, SettingsLiveBelowCompanyProductApplicationAndVersion) {
    EXPECT_EQ(0u, store_.viewFlags()); // neither build runs under WOW64
    EXPECT_EQ(0u, store_.setTopic("Options"));
    EXPECT_TRUE(store_.isWritable());
    EXPECT_TRUE(store_.topicExists());
    EXPECT_EQ("Options", store_.topicName());
    EXPECT_EQ(0u, store_.writeString("Name", "value"));
    store_.writeUInt("Count", 3);
    store_.flush();

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (basePath() + "\\Options").c_str(), 0, KEY_READ, &key));
    char text[32] = {};
    DWORD type = 0;
    DWORD size = sizeof text;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(text), &size));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_STREQ("value", text);
    RegCloseKey(key);
}

TEST_F(ProfilingWinRegTest, ValuesReadByType) {
    store_.setTopic("T");
    store_.writeString("Text", "abc");
    store_.writeInt("Int", -2);
    store_.writeInt64("Big", 0x123456789LL);
    store_.writeIntList("List", {1, -1, 70000});
    ovs::String text;
    store_.readString("Int", text);
    EXPECT_EQ("4294967294", text); // REG_DWORD as decimal text
    EXPECT_EQ(-2, store_.readInt("Int"));
    EXPECT_EQ(0x123456789LL, store_.readInt64("Big"));
    std::vector<std::int32_t> list;
    store_.readIntList("List", list);
    EXPECT_EQ((std::vector<std::int32_t>{1, -1, 70000}), list);
    store_.writeString("Int", "12");
    EXPECT_EQ(12u, store_.readUInt("Int")); // an existing REG_DWORD stays one
    std::string longText(300, 'y');
    store_.writeString("Long", longText);
    store_.readString("Long", text);
    EXPECT_EQ(longText, text);
    EXPECT_TRUE(store_.entryExists("Text"));
    std::vector<ovs::String> names;
    store_.listEntries(names);
    EXPECT_EQ(5u, names.size());
}

TEST_F(ProfilingWinRegTest, WrongTypesAndMissingValuesRaise) {
    store_.setTopic("T");
    store_.writeString("Text", "12");
    store_.writeUInt("Dword", 1);
    const unsigned char bytes[] = {1, 2};
    setRaw("T", "Binary", REG_BINARY, bytes, sizeof bytes);
    ovs::String text;
    expectException(ovs::msg::ItemBadData, [&] { store_.readUInt("Text"); });
    expectException(ovs::msg::ItemBadData, [&] { store_.readInt64("Dword"); });
    expectException(ovs::msg::ItemBadData, [&] { store_.readString("Binary", text); });
    expectException(ovs::msg::ItemBadData, [&] { store_.readUInt("Missing"); });
    expectException(ovs::msg::ItemNotFound, [&] { store_.readString("Missing", text); });
    expectException(ovs::msg::ItemBadData, [&] { store_.deleteEntry("Missing"); });
    store_.deleteEntry("Text");
    EXPECT_FALSE(store_.entryExists("Text"));
}

// Text written over a REG_DWORD and secure numbers convert with a 32-bit unsigned long on
// every target: beyond 4294967295 saturates, whatever the sign.
TEST_F(ProfilingWinRegTest, TextToNumberIsTheSameOnEveryTarget) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"4294967296", 4294967295u}, {"99999999999999999999", 4294967295u}, {"-4294967296", 4294967295u},
        {"4294967295", 4294967295u}, {"-1", 4294967295u},  {"-4294967295", 1u}, {" \t+12x", 12u}, {"x1", 0u}};
    ovs::Topic* topic = store_.openTopic("N");
    store_.setTopic("N");
    store_.writeUInt("D", 0);
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        store_.writeString("D", text);
        EXPECT_EQ(value, store_.readUInt("D"));
        topic->writeSecureString("S", text);
        EXPECT_EQ(value, topic->readSecureUInt("S"));
    }
}

TEST_F(ProfilingWinRegTest, SubTopicsAndTopicDeletion) {
    store_.setTopic("Top");
    store_.writeString("a", "1");
    store_.enterSubTopic("Child");
    EXPECT_EQ("Child", store_.topicName());
    store_.writeString("b", "2");
    store_.enterSubTopic("Grand");
    store_.writeString("c", "3");
    store_.leaveSubTopic();
    EXPECT_EQ("Child", store_.topicName());
    ovs::String text;
    store_.readString("b", text);
    EXPECT_EQ("2", text);
    store_.setTopic("Top");
    std::vector<ovs::String> names;
    store_.listTopics(names);
    EXPECT_EQ((std::vector<ovs::String>{"Child"}), names);
    store_.deleteTopic();
    EXPECT_FALSE(store_.topicExists());
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_CURRENT_USER, (basePath() + "\\Top").c_str(), 0, KEY_READ, &key));
}

TEST_F(ProfilingWinRegTest, TopicHandlesAndFacade) {
    ovs::Topic* topic = store_.openTopic("Handle");
    topic->writeString("v", "x");
    ovs::String text;
    topic->readString("v", text);
    EXPECT_EQ("x", text);
    topic->writeSecureString("Key", "secret");
    EXPECT_TRUE(topic->readSecureString("Key", text));
    EXPECT_EQ("secret", text);

    ovs::Profiling profiling;
    profiling.mode = ovs::ProfilingModeRegistry;
    profiling.setScope(ovs::ProfilingScopeUser);
    profiling.userStore()->setProductKey(product_);
    profiling.userStore()->setApplicationKey("App");
    profiling.setTopic("Handle");
    EXPECT_TRUE(profiling.entryExists("v"));
    profiling.writeInteger("n", 9);
    EXPECT_EQ(9u, profiling.readInteger("n"));
}

TEST(ProfilingWinRegDefaultTest, TopicHandlesWithoutStoreUseTheDefaultFacade) {
    ovs::test::PrivateRegistry registry;
    const std::string name = ovs::test::uniqueKeyName("DefaultTopic");
    ovs::Profiling& profiling = ovs::Profiling::defaultProfiling();
    EXPECT_EQ(&profiling, &ovs::Profiling::defaultProfiling());
    EXPECT_EQ(ovs::ProfilingScopeUser, profiling.scope());
    {
        ovs::TopicWinReg topic(name);
        topic.writeUInt("Value", 11);
        EXPECT_EQ(11u, topic.readUInt("Value"));
    }
    profiling.setTopic(name);
    EXPECT_EQ(11u, profiling.readInteger("Value"));
    profiling.userStore()->setRoot(ovs::ProfilingRootUser); // closes the store's keys
    EXPECT_EQ(ERROR_SUCCESS,
              ovs::test::deleteKeyTree(HKEY_CURRENT_USER, "SOFTWARE\\ORVA-SYSTEMS\\CurrentVersion\\" + name));
}

TEST(ProfilingWinRegViewTest, UnderWow64TheModeChoosesTheView) {
    struct {
        std::uint32_t mode;
        bool wow64;
        DWORD flags;
    } const cases[] = {{2, true, 0x100}, {3, true, 0x100}, {6, true, 0x200}, {2, false, 0}, {6, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(c.flags, ovs::ProfilingWinReg(c.mode, c.wow64).viewFlags());
    }
}

TEST(RegistryKeyTest, AccessMasksAndViews) {
    struct {
        bool readOnly, use32BitView, wow64;
        REGSAM access;
    } const cases[] = {{true, false, false, 0x20019}, {false, false, false, 0x2001F}, {true, true, false, 0x20019},
                       {true, false, true, 0x20119},  {false, true, true, 0x2021F},   {false, false, true, 0x2011F}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.access, ovs::RegistryKey::accessFor(c.readOnly, c.use32BitView, c.wow64))
            << c.readOnly << c.use32BitView << c.wow64;
    }
}

TEST(RegistryKeyTest, OpensByFullPathAndReadsText) {
    ovs::test::PrivateRegistry registry;
    const std::string sub = "Software\\OvsProfiling\\" + ovs::test::uniqueKeyName("Key");
    const std::string path = "HKEY_CURRENT_USER\\" + sub;
    {
        ovs::RegistryKey writer(false);
        writer.open(path, true); // created: not read-only
        ASSERT_TRUE(writer.isOpen());
        EXPECT_EQ(path, writer.path());
        const char text[] = "C:\\Tools";
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(writer.key(), "InstallFolder", 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>(text), sizeof text));
        const DWORD number = 5;
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(writer.key(), "Number", 0, REG_DWORD,
                                                reinterpret_cast<const BYTE*>(&number), sizeof number));
        const std::string longText(400, 'z');
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(writer.key(), nullptr, 0, REG_EXPAND_SZ,
                                                reinterpret_cast<const BYTE*>(longText.c_str()), 401));
    }
    EXPECT_EQ(4u, ovs::RootKeyTable::size());
    ovs::RegistryKey key(true);
    key.open(path, false);
    ovs::String text = "stale";
    EXPECT_TRUE(key.readString("InstallFolder", text));
    EXPECT_EQ("C:\\Tools", text);
    EXPECT_TRUE(key.readString("Number", text));
    EXPECT_EQ("", text);
    EXPECT_TRUE(key.readString("", text));
    EXPECT_EQ(std::string(400, 'z'), text);
    ovs::Exception error = expectException(ovs::msg::RegistryNameNotFound, [&] { key.readString("Missing", text); });
    EXPECT_EQ("Missing", error.argument(1));
    key.close();
    ovs::test::deleteKeyTree(HKEY_CURRENT_USER, sub);
}

TEST(RegistryKeyTest, UnknownRootsStayClosedAndMissingKeysRaise1140) {
    ovs::test::PrivateRegistry registry;
    for (const char* path : {"HKLM\\SOFTWARE", "HKEY_CURRENT_CONFIG\\Software", "Software"}) {
        SCOPED_TRACE(path);
        ovs::RegistryKey key(false);
        EXPECT_NO_THROW(key.open(path, false));
        EXPECT_FALSE(key.isOpen());
        EXPECT_EQ("", key.path());
    }
    const std::string missing = "HKEY_CURRENT_USER\\Software\\OvsProfiling\\" + ovs::test::uniqueKeyName("None");
    ovs::RegistryKey reader(true);
    ovs::Exception error = expectException(ovs::msg::RegistryNoAccess, [&] { reader.open(missing, false); });
    EXPECT_EQ(missing, error.argument(1));
    EXPECT_EQ("2", error.argument(2));
    EXPECT_FALSE(reader.isOpen());
}

} // namespace
