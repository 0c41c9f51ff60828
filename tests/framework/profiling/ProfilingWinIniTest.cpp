// The Windows private-profile store: natively over the substitute private-profile
// functions, under Wine over the real ones.
#include "profiling/ProfilingWinIni.h"
#include "ProfilingTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ovs::test::readFileBytes;
using ovs::test::writeFileBytes;

class ProfilingWinIniTest : public testing::Test {
protected:
    void load(const std::string& bytes) {
        writeFileBytes(folder_, "store.ini", bytes);
        store_.setFile(folder_ / "store.ini");
    }
    ovs::test::TempFolder folder_;
    ovs::ProfilingWinIni store_;
};

TEST_F(ProfilingWinIniTest, EntriesWithEmptyValuesExist) {
    load("[s]\r\nfull=v\r\nempty=\r\n");
    store_.setTopic("s");
    EXPECT_TRUE(store_.entryExists("full"));
    EXPECT_TRUE(store_.entryExists("empty"));
    EXPECT_FALSE(store_.entryExists("missing"));
    EXPECT_TRUE(store_.topicExists());
    store_.setTopic("other");
    EXPECT_FALSE(store_.topicExists());
    EXPECT_FALSE(store_.entryExists("full"));
}

TEST_F(ProfilingWinIniTest, LongValuesAreCutTo511Characters) {
    load("[s]\r\nlong=" + std::string(600, 'x') + "\r\n");
    store_.setTopic("s");
    ovs::String value;
    store_.readString("long", value);
    EXPECT_EQ(std::string(511, 'x'), value);
    store_.readString("missing", value);
    EXPECT_EQ("", value);
}

TEST_F(ProfilingWinIniTest, WritesReachTheFileAtOnce) {
    store_.setFile(folder_ / "new.ini");
    store_.setTopic("Task");
    store_.writeString("State", "Request"); // its Windows error code is not reliable after success
    store_.writeInt("Neg", -1);
    store_.writeUInt("Id", 17);
    EXPECT_EQ(std::optional<std::string>("[Task]\r\nState=Request\r\nNeg=4294967295\r\nId=17\r\n"),
              readFileBytes(folder_, "new.ini"));
    EXPECT_EQ(4294967295u, store_.readUInt("Neg"));
    EXPECT_EQ(-1, store_.readInt("Neg"));
    EXPECT_EQ(17, store_.readInt("Id"));
    EXPECT_EQ(0, store_.readInt("State"));
    EXPECT_TRUE(store_.flush());
}

TEST_F(ProfilingWinIniTest, TopicLinesReplaceTheSection) {
    load("[h]\r\nold=1\r\nold2=2\r\n[t]\r\nk=v\r\n");
    store_.setTopic("h");
    store_.writeTopicLines({"a=1", "b=2"});
    std::vector<ovs::String> lines;
    store_.readTopicLines(lines);
    EXPECT_EQ((std::vector<ovs::String>{"a=1", "b=2"}), lines);
    ovs::String text;
    store_.readTopicText(text, '|');
    EXPECT_EQ("a=1|b=2", text);
    std::vector<ovs::String> names;
    store_.listEntries(names);
    EXPECT_EQ((std::vector<ovs::String>{"a", "b"}), names);
    store_.listTopics(names);
    EXPECT_EQ(2u, names.size());
    store_.setTopic("t");
    store_.deleteEntry("k");
    EXPECT_FALSE(store_.entryExists("k"));
    store_.deleteTopic();
    store_.listTopics(names);
    EXPECT_EQ((std::vector<ovs::String>{"h"}), names);
}

TEST_F(ProfilingWinIniTest, TheStoreHasNoTopicHandlesAndNoText) {
    ovs::Exception error = ovs::test::expectException(42, [&] { store_.openTopic("x"); });
    EXPECT_EQ("Not implemented", error.argument(1));
    EXPECT_FALSE(store_.setText("a", 1));
    ovs::String text = "stale";
    store_.getText(text);
    EXPECT_EQ("", text);
    store_.setRoot(2);
    EXPECT_EQ("HKEY_LOCAL_MACHINE", store_.rootName());
    store_.setRoot(3);
    EXPECT_EQ("HKEY_CURRENT_USER", store_.rootName());
    store_.setRoot(9);
    EXPECT_EQ("HKEY_CURRENT_USER", store_.rootName());
}

} // namespace
