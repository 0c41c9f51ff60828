// The configuration-store facade (modes, scopes, the user-to-machine read fallback) and the
// generic store operations (byte blocks, number lists, version key), over in-memory stores.
#include "profiling/Profiling.h"
#include "MessageNumbers.h"
#include "ProfilingTestSupport.h"
#include "profiling/ProfilingIniMemBuff.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using ovs::test::expectException;

void setText(ovs::ProfilingImpl* store, const std::string& text) {
    ASSERT_NE(nullptr, store);
    store->setText(text.data(), text.size());
}

TEST(ProfilingTest, AFreshFacadeAddressesNoStore) {
    ovs::Profiling profiling;
    EXPECT_EQ(ovs::ProfilingScopeNone, profiling.scope());
    EXPECT_FALSE(profiling.topicExists());
    EXPECT_FALSE(profiling.entryExists("x"));
    EXPECT_EQ(0u, profiling.writeString("x", "y"));
    EXPECT_EQ("", profiling.topicName());
    try {
        profiling.readInteger("x");
        ADD_FAILURE() << "no exception";
    } catch (const ProfilingEntryNotFound& error) {
        EXPECT_EQ(ovs::msg::ItemNotFound, error.number());
    }
}

TEST(ProfilingTest, InvalidModesAreRefused) {
    for (ovs::ProfilingMode mode : {1u, 7u, 100u}) {
        SCOPED_TRACE(mode);
        ovs::Profiling profiling;
        profiling.mode = mode;
        ovs::Exception error =
            expectException(ovs::msg::FreeFatalError, [&] { profiling.setScope(ovs::ProfilingScopeMachine); });
        EXPECT_EQ("Invalid profiling mode!", error.argument(1));
        EXPECT_EQ(nullptr, profiling.machineStore());
    }
}

TEST(ProfilingTest, ModesMakeTheirStores) {
    ovs::Profiling profiling;
    EXPECT_NE(nullptr, dynamic_cast<ovs::ProfilingIniMemBuff*>(profiling.createStore(4).get()));
    auto text = profiling.createStore(5);
    EXPECT_NE(nullptr, dynamic_cast<ovs::ProfilingIni*>(text.get()));
    EXPECT_EQ(nullptr, dynamic_cast<ovs::ProfilingIniMemBuff*>(text.get()));
}

struct FallbackCase {
    const char* what;
    ovs::ProfilingScope scope;
    const char* user;
    const char* machine;
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
        profiling.mode = ovs::ProfilingModeIniMemory;
        profiling.setScope(ovs::ProfilingScopeBoth);
        setText(profiling.userStore(), c.user);
        setText(profiling.machineStore(), c.machine);
        profiling.setScope(c.scope);
        profiling.setTopic("t");
        if (c.expected < 0) {
            EXPECT_FALSE(profiling.entryExists("n"));
            expectException(ovs::msg::ItemNotFound, [&] { profiling.readInteger("n"); });
        } else {
            EXPECT_TRUE(profiling.entryExists("n"));
            EXPECT_EQ(std::uint32_t(c.expected), profiling.readInteger("n"));
        }
    }
}

TEST(ProfilingTest, ScopeBothReadsAndWritesTextOnlyInTheUserStore) {
    ovs::Profiling profiling;
    profiling.mode = ovs::ProfilingModeIniMemory;
    profiling.setScope(ovs::ProfilingScopeBoth);
    setText(profiling.machineStore(), "[t]\r\ns=machine\r\n");
    setText(profiling.userStore(), "[u]\r\nx=1\r\n");
    profiling.setTopic("t");
    EXPECT_TRUE(profiling.topicExists()); // machine has it
    ovs::String value = "stale";
    profiling.readString("s", value);
    EXPECT_EQ("", value);
    profiling.writeString("s", "user");
    profiling.writeInteger("n", 4294967295u);
    profiling.userStore()->readString("s", value);
    EXPECT_EQ("user", value);
    profiling.userStore()->readString("n", value);
    EXPECT_EQ("4294967295", value);
    profiling.machineStore()->readString("s", value);
    EXPECT_EQ("machine", value);
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

class GenericOperationsTest : public testing::Test {
protected:
    GenericOperationsTest() { store_.setTopic("t"); }
    std::string stored(const std::string& name) {
        ovs::String text;
        store_.readString(name, text);
        return text;
    }
    ovs::ProfilingIniMemBuff store_;
};

TEST_F(GenericOperationsTest, ByteBlocksAreUpperCaseHexadecimal) {
    const unsigned char bytes[] = {0x00, 0xAB, 0x5F};
    store_.writeBinary("b", bytes, 2);
    EXPECT_EQ("00AB", stored("b"));
    for (const char* text : {"00AB", "00ab", "0x00ab", "0X00Ab"}) {
        SCOPED_TRACE(text);
        store_.writeString("r", text);
        unsigned char buffer[4] = {1, 1, 1, 1};
        ASSERT_EQ(2u, store_.readBinary("r", buffer, sizeof buffer));
        EXPECT_EQ(0x00, buffer[0]);
        EXPECT_EQ(0xAB, buffer[1]);
        EXPECT_EQ(1, buffer[2]);
    }
    store_.writeBinary("c", bytes, 3);
    unsigned char small[2] = {};
    EXPECT_EQ(2u, store_.readBinary("c", small, sizeof small));
    store_.writeString("bad", "00G1");
    ovs::Exception error =
        expectException(ovs::msg::RegistryBadData, [&] { store_.readBinary("bad", small, sizeof small); });
    EXPECT_EQ("bad", error.argument(1));
    EXPECT_EQ("00G1", error.argument(2));
}

TEST_F(GenericOperationsTest, NumberListsAreDecimalText) {
    store_.writeIntList("i", {1, -2, 30});
    EXPECT_EQ("1,-2,30", stored("i"));
    store_.writeUIntList("empty", {});
    EXPECT_FALSE(store_.entryExists("empty"));
    store_.writeString("mixed", "4;5,6");
    std::vector<std::uint32_t> values;
    store_.readUIntList("mixed", values);
    EXPECT_EQ((std::vector<std::uint32_t>{4, 5, 6}), values);
    std::vector<std::int32_t> signedValues;
    store_.readIntList("i", signedValues);
    EXPECT_EQ((std::vector<std::int32_t>{1, -2, 30}), signedValues);
    store_.readIntList("missing", signedValues);
    EXPECT_TRUE(signedValues.empty());
}

TEST_F(GenericOperationsTest, VersionKeyHasTwoDigitParts) {
    EXPECT_EQ("CurrentVersion", store_.versionKey());
    EXPECT_EQ("ORVA-SYSTEMS", store_.companyKey());
    store_.setVersionKey(1, 5);
    EXPECT_EQ("01.05", store_.versionKey());
    store_.setVersionKey(12, 123);
    EXPECT_EQ("12.123", store_.versionKey());
}

} // namespace
