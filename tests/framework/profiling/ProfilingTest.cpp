// The configuration-store facade (modes, scopes, the user-to-machine read fallback) and the
// generic store operations (byte blocks, number lists, version key), over in-memory stores.
#include "profiling/Profiling.h"
#include "MessageNumbers.h"
#include "ProfilingTestSupport.h"
#include "profiling/ProfilingIniMemBuff.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using ovs::test::expectException;
using ovs::test::textOf;

// Both scopes over in-memory stores that hold the texts given.
void useMemoryStores(ovs::Profiling& profiling, const std::string& user, const std::string& machine) {
    profiling.mode = ovs::ProfilingModeIniMemory;
    profiling.setScope(ovs::ProfilingScopeBoth);
    ASSERT_TRUE(profiling.userStore() != nullptr && profiling.machineStore() != nullptr);
    profiling.userStore()->setText(user.data(), user.size());
    profiling.machineStore()->setText(machine.data(), machine.size());
}

// The valid modes' stores are the control files' (OrvaCtrlFileTest: in memory, as text files and
// through the private-profile functions) and the registry's (ProfilingWinRegViews).
TEST(ProfilingTest, AFreshFacadeAddressesNoStoreAndInvalidModesGiveItNone) {
    ovs::Profiling profiling;
    EXPECT_EQ(ovs::ProfilingScopeNone, profiling.scope());
    EXPECT_FALSE(profiling.topicExists());
    EXPECT_FALSE(profiling.entryExists("x"));
    EXPECT_EQ(0u, profiling.writeString("x", "y"));
    EXPECT_EQ("", profiling.topicName());
    expectException<ProfilingEntryNotFound>(ovs::msg::ItemNotFound, [&] { profiling.readInteger("x"); });
    for (ovs::ProfilingMode mode : {1u, 7u, 100u}) {
        SCOPED_TRACE(mode);
        profiling.mode = mode;
        ovs::Exception error =
            expectException(ovs::msg::FreeFatalError, [&] { profiling.setScope(ovs::ProfilingScopeMachine); });
        EXPECT_EQ("Invalid profiling mode!", error.argument(1));
        EXPECT_EQ(nullptr, profiling.machineStore());
    }
}

struct FallbackCase {
    const char* what;
    ovs::ProfilingScope scope;
    const char *user, *machine;
    std::int64_t expected; // -1: ProfilingEntryNotFound
};

TEST(ProfilingTest, ReadIntegerFallsBackFromUserToMachine) {
    const std::vector<FallbackCase> cases = {
        {"machine only", ovs::ProfilingScopeBoth, "", "[t]\r\nn=7\r\n", 7},
        {"both: user wins", ovs::ProfilingScopeBoth, "[t]\r\nn=1\r\n", "[t]\r\nn=7\r\n", 1},
        {"user empty value still wins", ovs::ProfilingScopeBoth, "[t]\r\nn=\r\n", "[t]\r\nn=7\r\n", 0},
        {"neither", ovs::ProfilingScopeBoth, "[t]\r\nm=1\r\n", "[t]\r\nm=7\r\n", -1},
        {"scope 2 ignores the user", ovs::ProfilingScopeMachine, "[t]\r\nn=1\r\n", "[t]\r\nn=7\r\n", 7},
        {"scope 3 does not fall back", ovs::ProfilingScopeUser, "", "[t]\r\nn=7\r\n", -1},
    };
    for (const FallbackCase& c : cases) {
        SCOPED_TRACE(c.what);
        ovs::Profiling profiling;
        useMemoryStores(profiling, c.user, c.machine);
        profiling.setScope(c.scope);
        profiling.setTopic("t");
        EXPECT_EQ(c.expected >= 0, profiling.entryExists("n"));
        if (c.expected < 0) {
            expectException(ovs::msg::ItemNotFound, [&] { profiling.readInteger("n"); });
        } else {
            EXPECT_EQ(std::uint32_t(c.expected), profiling.readInteger("n"));
        }
    }
}

TEST(ProfilingTest, ScopeBothReadsAndWritesTextOnlyInTheUserStore) {
    ovs::Profiling profiling;
    useMemoryStores(profiling, "[u]\r\nx=1\r\n", "[t]\r\ns=machine\r\n");
    profiling.setTopic("t");
    EXPECT_TRUE(profiling.topicExists()); // machine has it
    const std::string before = textOf(profiling, "s");
    profiling.writeString("s", "user");
    profiling.writeInteger("n", 4294967295u);
    EXPECT_EQ((std::vector<std::string>{"", "user", "4294967295", "machine"}),
              (std::vector<std::string>{before, textOf(*profiling.userStore(), "s"),
                                        textOf(*profiling.userStore(), "n"), textOf(*profiling.machineStore(), "s")}));
}

TEST(ProfilingTest, OpeningTwiceOnlyRebindsTheFile) {
    ovs::test::TempFolder folder;
    ovs::Profiling profiling;
    profiling.mode = ovs::ProfilingModeIniText;
    profiling.open(folder / "one.ini");
    EXPECT_EQ(ovs::ProfilingScopeMachine, profiling.scope());
    ovs::ProfilingImpl* store = profiling.machineStore();
    EXPECT_EQ(nullptr, profiling.userStore());
    profiling.open(folder / "two.ini");
    EXPECT_EQ(store, profiling.machineStore());
    EXPECT_EQ(nullptr, profiling.userStore());
    EXPECT_EQ(ovs::FileString(folder / "two.ini").absolute(), store->file());
}

TEST(GenericOperationsTest, ByteBlocksNumberListsAndVersionKey) {
    ovs::ProfilingIniMemBuff store;
    store.setTopic("t");
    const unsigned char bytes[] = {0x00, 0xAB, 0x5F};
    store.writeBinary("b", bytes, 2);
    EXPECT_EQ("00AB", textOf(store, "b"));
    for (const char* text : {"00AB", "00ab", "0x00ab", "0X00Ab"}) {
        SCOPED_TRACE(text);
        store.writeString("r", text);
        unsigned char buffer[4] = {1, 1, 1, 1};
        ASSERT_EQ(2u, store.readBinary("r", buffer, sizeof buffer));
        EXPECT_EQ(0, std::memcmp(buffer, "\x00\xAB\x01\x01", 4));
    }
    store.writeBinary("c", bytes, 3);
    unsigned char small[2] = {};
    EXPECT_EQ(2u, store.readBinary("c", small, sizeof small));
    store.writeString("bad", "00G1");
    ovs::Exception error = expectException(ovs::msg::RegistryBadData, [&] { store.readBinary("bad", small, 2); });
    EXPECT_EQ("bad", error.argument(1));
    EXPECT_EQ("00G1", error.argument(2));

    store.writeIntList("i", {1, -2, 30});
    EXPECT_EQ("1,-2,30", textOf(store, "i"));
    store.writeUIntList("empty", {});
    EXPECT_FALSE(store.entryExists("empty"));
    store.writeString("mixed", "4;5,6");
    std::vector<std::uint32_t> values;
    store.readUIntList("mixed", values);
    EXPECT_EQ((std::vector<std::uint32_t>{4, 5, 6}), values);
    std::vector<std::int32_t> signedValues, missing = {1};
    store.readIntList("i", signedValues);
    store.readIntList("missing", missing);
    EXPECT_EQ((std::vector<std::vector<std::int32_t>>{{1, -2, 30}, {}}),
              (std::vector<std::vector<std::int32_t>>{signedValues, missing}));

    std::vector<std::string> keys = {store.versionKey(), store.companyKey()};
    store.setVersionKey(1, 5);
    keys.push_back(store.versionKey());
    store.setVersionKey(12, 123);
    keys.push_back(store.versionKey());
    EXPECT_EQ((std::vector<std::string>{"CurrentVersion", "ORVA-SYSTEMS", "01.05", "12.123"}), keys);
}

} // namespace
