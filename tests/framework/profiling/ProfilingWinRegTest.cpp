// The registry store and registry keys by full path: natively over the substitute's .reg
// files in a private folder, under Wine over the registry of the build's own prefix. Every
// test works below HKEY_CURRENT_USER\SOFTWARE\ORVA-SYSTEMS\<unique product> and deletes it.
#include "profiling/ProfilingWinReg.h"
#include "MessageNumbers.h"
#include "ProfilingTestSupport.h"
#include "RegistryTestSupport.h"
#include "profiling/Profiling.h"
#include "platform/PlatformCalls.h"
#include "profiling/RegistryKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ovs::test::expectException;
using ovs::test::runsNatively;
using ovs::test::runsUnderWow64;
using ovs::test::wow64QueryFails;

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
    std::string text(const std::string& name) { return ovs::test::textOf(store_, name); }

    ovs::test::PrivateRegistry registry_;
    std::string product_ = ovs::test::uniqueKeyName("ProfilingTest");
    ovs::ProfilingWinReg store_;
};

TEST_F(ProfilingWinRegTest, SettingsLiveBelowCompanyProductApplicationAndVersionByType) {
    EXPECT_EQ(0u, store_.setTopic("T"));
    EXPECT_TRUE(store_.isWritable());
    EXPECT_TRUE(store_.topicExists());
    EXPECT_EQ("T", store_.topicName());
    EXPECT_EQ(0u, store_.writeString("Text", "12"));
    store_.writeInt("Int", -2);
    store_.writeInt64("Big", 0x123456789LL);
    store_.writeIntList("List", {1, -1, 70000});
    store_.writeString("Long", std::string(300, 'y'));
    store_.flush();

    DWORD type = 0;
    EXPECT_EQ(std::string("12", 3), ovs::test::queryValue(HKEY_CURRENT_USER, basePath() + "\\T", "Text", 0, &type));
    EXPECT_EQ(DWORD(REG_SZ), type);
    ovs::test::setValue(HKEY_CURRENT_USER, basePath() + "\\T", "Binary", "\x01\x02", REG_BINARY);

    // A REG_DWORD reads as decimal text.
    EXPECT_EQ((std::vector<std::string>{"4294967294", "-2", "4886718345", std::string(300, 'y')}),
              (std::vector<std::string>{text("Int"), std::to_string(store_.readInt("Int")),
                                        std::to_string(store_.readInt64("Big")), text("Long")}));
    std::vector<std::int32_t> list;
    store_.readIntList("List", list);
    EXPECT_EQ((std::vector<std::int32_t>{1, -1, 70000}), list);
    store_.writeString("Int", "12");
    EXPECT_EQ(12u, store_.readUInt("Int")); // an existing REG_DWORD stays one
    std::vector<ovs::String> names;
    store_.listEntries(names);
    EXPECT_EQ(6u, names.size());

    ovs::String value;
    expectException(ovs::msg::ItemBadData, [&] { store_.readUInt("Text"); });
    expectException(ovs::msg::ItemBadData, [&] { store_.readInt64("Int"); });
    expectException(ovs::msg::ItemBadData, [&] { store_.readString("Binary", value); });
    expectException(ovs::msg::ItemBadData, [&] { store_.readUInt("Missing"); });
    expectException(ovs::msg::ItemNotFound, [&] { store_.readString("Missing", value); });
    expectException(ovs::msg::ItemBadData, [&] { store_.deleteEntry("Missing"); });
    store_.deleteEntry("Text");
    EXPECT_FALSE(store_.entryExists("Text"));
    EXPECT_TRUE(store_.entryExists("Long"));
}

// Text written over a REG_DWORD and secure numbers convert with a 32-bit unsigned long on
// every target: beyond 4294967295 saturates, whatever the sign.
TEST_F(ProfilingWinRegTest, TextToNumberIsTheSameOnEveryTarget) {
    // clang-format off
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"4294967296", 4294967295u},  {"99999999999999999999", 4294967295u}, {"-4294967296", 4294967295u},
        {"4294967295", 4294967295u},  {"-1", 4294967295u},                   {"-4294967295", 1u},
        {" \t+12x", 12u},              {"x1", 0u}};
    // clang-format on
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

TEST_F(ProfilingWinRegTest, SubTopicsTopicDeletionAndHandles) {
    store_.setTopic("Top");
    store_.writeString("a", "1");
    store_.enterSubTopic("Child");
    const std::string child = store_.topicName();
    store_.writeString("b", "2");
    store_.enterSubTopic("Grand");
    store_.writeString("c", "3");
    store_.leaveSubTopic();
    EXPECT_EQ((std::vector<std::string>{"Child", "Child", "2"}),
              (std::vector<std::string>{child, store_.topicName(), text("b")}));
    store_.setTopic("Top");
    std::vector<ovs::String> names;
    store_.listTopics(names);
    EXPECT_EQ((std::vector<ovs::String>{"Child"}), names);
    // A key handle lists its own sub-keys only, not theirs.
    for (const auto& [topic, subKeys] : {std::pair<const char*, std::vector<ovs::String>>{"Top", {"Child"}},
                                         {"Top\\Child", {"Grand"}},
                                         {"Top\\Child\\Grand", {}}}) {
        static_cast<ovs::TopicWinReg*>(store_.openTopic(topic))->listSubKeys(names);
        EXPECT_EQ(subKeys, names) << topic;
    }
    store_.deleteTopic();
    EXPECT_FALSE(store_.topicExists());
    EXPECT_EQ("<no key 2>", ovs::test::queryValue(HKEY_CURRENT_USER, basePath() + "\\Top", ""));

    ovs::Topic* topic = store_.openTopic("Handle");
    topic->writeString("v", "x");
    EXPECT_EQ("x", ovs::test::textOf(*topic, "v")); // secure values are the topic's own (ProfilingIniTest)
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

TEST(RegistryKeyTest, OpensByFullPathReadsTextAndKeepsUnknownRootsClosedAndMissingKeysRaise1140) {
    ovs::test::PrivateRegistry registry;
    const std::string sub = "Software\\OvsProfiling\\" + ovs::test::uniqueKeyName("Key");
    const std::string path = "HKEY_CURRENT_USER\\" + sub;
    {
        ovs::RegistryKey writer(false);
        writer.open(path, true); // created: not read-only
        ASSERT_TRUE(writer.isOpen());
        EXPECT_EQ(path, writer.path());
        const BYTE number[] = {5, 0, 0, 0};
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(writer.key(), "Number", 0, REG_DWORD, number, sizeof number));
    }
    ovs::test::setValue(HKEY_CURRENT_USER, sub, "InstallFolder", "C:\\Tools");
    ovs::test::setValue(HKEY_CURRENT_USER, sub, nullptr, std::string(400, 'z') + '\0', REG_EXPAND_SZ);
    EXPECT_EQ(4u, ovs::RootKeyTable::size());
    ovs::RegistryKey key(true);
    key.open(path, false);
    std::vector<std::string> texts;
    for (const char* name : {"InstallFolder", "Number", ""}) {
        ovs::String text = "stale";
        EXPECT_TRUE(key.readString(name, text)) << name;
        texts.push_back(text);
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\Tools", "", std::string(400, 'z')}), texts);
    ovs::String text;
    ovs::Exception unnamed = expectException(ovs::msg::RegistryNameNotFound, [&] { key.readString("Missing", text); });
    EXPECT_EQ("Missing", unnamed.argument(1));
    key.close();
    ovs::test::deleteKeyTree(HKEY_CURRENT_USER, sub);
    for (const char* unknown : {"HKLM\\SOFTWARE", "HKEY_CURRENT_CONFIG\\Software", "Software"}) {
        SCOPED_TRACE(unknown);
        ovs::RegistryKey closed(false);
        EXPECT_NO_THROW(closed.open(unknown, false));
        EXPECT_FALSE(closed.isOpen());
        EXPECT_EQ("", closed.path());
    }
    const std::string missing = "HKEY_CURRENT_USER\\Software\\OvsProfiling\\" + ovs::test::uniqueKeyName("None");
    ovs::RegistryKey reader(true);
    ovs::Exception error = expectException(ovs::msg::RegistryNoAccess, [&] { reader.open(missing, false); });
    EXPECT_EQ(missing, error.argument(1));
    EXPECT_EQ("2", error.argument(2));
    EXPECT_FALSE(reader.isOpen());
}

} // namespace

// A registry store made through the facade in each mode, with IsWow64Process answering as the
// row says, writes a value and reads it back; the registry then shows in which view it landed.
// The machine root (HKEY_LOCAL_MACHINE\SOFTWARE) has two views on 64-bit Windows; the user's
// (HKEY_CURRENT_USER\SOFTWARE) is one key in both, as "Registry Keys Affected by WOW64"
// (Microsoft's Win32 documentation) lists it. Under Wine the x64 build reaches both views through
// the flags the store adds; natively the substitute's one view holds everything.
TEST(ProfilingWinRegViews, ModesTwoAndThreeUseThe64BitViewModeSixThe32BitOneUnderWow64) {
    ovs::test::PrivateRegistry registry;
    const bool twoViews = ovs::test::registryHasTwoViews();
    const DWORD ownView = sizeof(void*) == 4 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    using Answer = BOOL(WINAPI*)(HANDLE, PBOOL);
    struct Row {
        ovs::ProfilingMode mode;
        Answer answer;
        ovs::ProfilingScope scope; // machine or user root
        DWORD flags;               // the store's view flags
        DWORD view;                // the view the value lands in; 0: both (a shared key)
    } const rows[] = {
        {ovs::ProfilingModeRegistry, runsUnderWow64, ovs::ProfilingScopeMachine, 0x100, KEY_WOW64_64KEY},
        {ovs::ProfilingModeRegistryMachine, runsUnderWow64, ovs::ProfilingScopeMachine, 0x100, KEY_WOW64_64KEY},
        {ovs::ProfilingModeRegistry32, runsUnderWow64, ovs::ProfilingScopeMachine, 0x200, KEY_WOW64_32KEY},
        {ovs::ProfilingModeRegistry, runsNatively, ovs::ProfilingScopeMachine, 0, ownView},
        {ovs::ProfilingModeRegistry32, runsNatively, ovs::ProfilingScopeMachine, 0, ownView},
        {ovs::ProfilingModeRegistry32, wow64QueryFails, ovs::ProfilingScopeMachine, 0, ownView},
        {ovs::ProfilingModeRegistry, runsUnderWow64, ovs::ProfilingScopeUser, 0x100, 0},
        {ovs::ProfilingModeRegistry32, runsUnderWow64, ovs::ProfilingScopeUser, 0x200, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << ", scope " << row.scope << ", flags " << row.flags);
        const std::string product = ovs::test::uniqueKeyName("ProfilingView");
        const HKEY root = row.scope == ovs::ProfilingScopeUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        {
            ovs::PlatformCalls calls = ovs::systemPlatformCalls();
            calls.isWow64Process = row.answer;
            ovs::ScopedPlatformCalls answer(calls);
            ovs::Profiling profiling;
            profiling.mode = row.mode;
            profiling.setScope(row.scope);
            ovs::ProfilingImpl* store =
                row.scope == ovs::ProfilingScopeUser ? profiling.userStore() : profiling.machineStore();
            ASSERT_NE(nullptr, store);
            EXPECT_EQ(row.flags, static_cast<ovs::ProfilingWinReg*>(store)->viewFlags());
            store->setProductKey(product);
            EXPECT_EQ(0u, profiling.setTopic("T"));
            EXPECT_EQ(0u, profiling.writeString("Where", "here"));
            EXPECT_EQ("here", ovs::test::textOf(*store, "Where"));
            profiling.flush();
        }
        const std::string topic = "SOFTWARE\\ORVA-SYSTEMS\\" + product + "\\CurrentVersion\\T";
        for (DWORD view : {DWORD(KEY_WOW64_32KEY), DWORD(KEY_WOW64_64KEY)}) {
            const bool seen = !twoViews || row.view == 0 || row.view == view;
            EXPECT_EQ(seen ? std::string("here", 5) : "<no key 2>", ovs::test::queryValue(root, topic, "Where", view))
                << "view " << view;
        }
        for (DWORD view : {DWORD(KEY_WOW64_32KEY), DWORD(KEY_WOW64_64KEY)}) {
            ovs::test::deleteKeyTreeInView(root, "SOFTWARE\\ORVA-SYSTEMS", product, view);
        }
    }
}
