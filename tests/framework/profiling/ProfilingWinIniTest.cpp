// The Windows private-profile store: natively over the substitute private-profile
// functions, under Wine over the real ones.
#include "profiling/ProfilingWinIni.h"
#include "ProfilingTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<ovs::String>;

using ProfilingWinIniTest = ovs::test::StoreFileTest<ovs::ProfilingWinIni>;

TEST_F(ProfilingWinIniTest, EntriesWithEmptyValuesExistLongOnesAreCutAndThereAreNoTopicHandlesOrText) {
    load("[s]\r\nfull=v\r\nempty=\r\nlong=" + std::string(600, 'x') + "\r\n");
    store_->setTopic("s");
    EXPECT_EQ((std::vector<bool>{true, true, false, true}),
              (std::vector<bool>{store_->entryExists("full"), store_->entryExists("empty"),
                                 store_->entryExists("missing"), store_->topicExists()}));
    EXPECT_EQ(std::string(511, 'x'), read("s", "long"));
    EXPECT_EQ("", read("s", "missing"));
    store_->setTopic("other");
    EXPECT_FALSE(store_->topicExists());
    EXPECT_FALSE(store_->entryExists("full"));
    ovs::Exception error = ovs::test::expectException(42, [&] { store_->openTopic("x"); });
    EXPECT_EQ("Not implemented", error.argument(1));
    EXPECT_FALSE(store_->setText("a", 1));
    ovs::String text = "stale";
    store_->getText(text);
    EXPECT_EQ("", text);
    std::vector<std::string> roots;
    for (int root : {2, 3, 9}) {
        store_->setRoot(root);
        roots.push_back(store_->rootName());
    }
    EXPECT_EQ((std::vector<std::string>{"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CURRENT_USER"}), roots);
}

TEST_F(ProfilingWinIniTest, WritesReachTheFileAtOnce) {
    store_->setFile(here_.folder() / "new.ini");
    store_->setTopic("Task");
    store_->writeString("State", "Request"); // its Windows error code is not reliable after success
    store_->writeInt("Neg", -1);
    store_->writeUInt("Id", 17);
    EXPECT_EQ("[Task]\r\nState=Request\r\nNeg=4294967295\r\nId=17\r\n", here_.content("new.ini"));
    EXPECT_EQ(4294967295u, store_->readUInt("Neg"));
    EXPECT_EQ((std::vector<int>{-1, 17, 0}),
              (std::vector<int>{store_->readInt("Neg"), store_->readInt("Id"), store_->readInt("State")}));
    EXPECT_TRUE(store_->flush());
}

TEST_F(ProfilingWinIniTest, TopicLinesReplaceTheSection) {
    load("[h]\r\nold=1\r\nold2=2\r\n[t]\r\nk=v\r\n");
    store_->setTopic("h");
    store_->writeTopicLines({"a=1", "b=2"});
    Names lines, names, topics, left;
    store_->readTopicLines(lines);
    ovs::String text;
    store_->readTopicText(text, '|');
    EXPECT_EQ("a=1|b=2", text);
    store_->listEntries(names);
    store_->listTopics(topics);
    store_->setTopic("t");
    store_->deleteEntry("k");
    EXPECT_FALSE(store_->entryExists("k"));
    store_->deleteTopic();
    store_->listTopics(left);
    EXPECT_EQ(2u, topics.size());
    EXPECT_EQ((std::vector<Names>{{"a=1", "b=2"}, {"a", "b"}, {"h"}}), (std::vector<Names>{lines, names, left}));
}

} // namespace
