// The INI text store: parsing rules, decoding, serialising with order preservation, the
// semicolon rule, numbers, whole-topic writes, the memory form and topic handles.
#include "profiling/ProfilingIni.h"
#include "MessageNumbers.h"
#include "ProfilingTestSupport.h"
#include "profiling/ProfilingIniMemBuff.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using Names = std::vector<ovs::String>;
using ovs::test::utf16Of;

using ProfilingIniTest = ovs::test::StoreFileTest<ovs::ProfilingIni>;

TEST_F(ProfilingIniTest, ReadsByTheParsingRules) {
    struct Case {
        const char* what;
        std::string bytes;
        const char *section, *key, *value;
        bool exists;
    };
    const std::string plain = "[s]\r\nk=v\r\n";
    const std::vector<Case> cases = {
        {"blanks inside brackets", "[  Sec\t]\r\nk=v\r\n", "Sec", "k", "v", true},
        {"no closing bracket", "[Open  \r\nk=v\r\n", "Open", "k", "v", true},
        {"name ends at first bracket", "[a]b]\r\nk=v\r\n", "a", "k", "v", true},
        {"blanks around equals", "[s]\r\n  k   =   v w  \r\n", "s", "k", "v w", true},
        {"tab after equals stays", "[s]\r\nk=\tv\r\n", "s", "k", "\tv", true},
        {"equals and nothing", "[s]\r\nk=\r\n", "s", "k", "", true},
        {"equals and blanks", "[s]\r\nk=   \r\n", "s", "k", "", true},
        {"no equals sign", "[s]\r\nk\r\n", "s", "k", "", true},
        {"quote before equals is one key", "[s]\r\n\"q\"=x\r\n", "s", "\"q\"", "", false},
        {"quote after equals", "[s]\r\nk=\"q\"\r\n", "s", "k", "\"q\"", true},
        {"split at first equals", "[s]\r\nk=a = b\r\n", "s", "k", "a = b", true},
        {"section without regard to case", "[SECTION]\r\nk=v\r\n", "section", "k", "v", true},
        {"key with regard to case", "[s]\r\nKey=v\r\n", "s", "key", "", false},
        {"trailing blanks of key ignored", plain, "s", "k  \t", "v", true},
        {"later duplicate wins", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "2", true},
        {"LF line ends", "[s]\nk=v\nl=w\n", "s", "l", "w", true},
        {"CR line ends", "[s]\rk=v\rl=w", "s", "l", "w", true},
        {"lines before first section join it", "k=top\r\n[s]\r\nx=1\r\n", "s", "k", "top", true},
        {"repeated section keeps both blocks", "[s]\r\nk=1\r\n[t]\r\n[S]\r\nl=2\r\n", "s", "k", "1", true},
        {"semicolon line is a key", "[s]\r\n;note\r\n", "s", ";note", "", true},
        {"missing section", plain, "t", "k", "", false},
        {"UTF-8 mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "v", true},
        {"UTF-16LE with mark", "\xFF\xFE" + utf16Of(plain), "s", "k", "v", true},
        {"UTF-16BE with mark", "\xFE\xFF" + utf16Of(plain, true), "s", "k", "v", true},
        {"UTF-16LE without mark", utf16Of(plain), "s", "k", "v", true},
        {"UTF-16BE without mark", utf16Of(plain, true), "s", "k", "v", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(c.bytes);
        EXPECT_EQ(c.value, read(c.section, c.key));
        EXPECT_EQ(c.exists, store_->entryExists(c.key));
    }
}

// A change that writes one string into a topic.
std::function<void(ovs::ProfilingIni&)> put(const char* topic, const char* key, const char* value) {
    return [=](ovs::ProfilingIni& s) {
        s.setTopic(topic);
        s.writeString(key, value);
    };
}

TEST_F(ProfilingIniTest, SavesEveryLineInOrderWithTheChange) {
    struct Case {
        const char* what;
        std::string before;
        std::function<void(ovs::ProfilingIni&)> change;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"new key goes last in its section", "[a]\r\nk1=v1\r\n;note\r\nx = y\r\n\r\n[b]\r\nk2=v2\r\n",
         put("A", "k3", "v3"), "[a]\r\nk1=v1\r\n;note\r\nx= y\r\nk3=v3\r\n\r\n[b]\r\nk2=v2\r\n\r\n"},
        {"replaced value keeps its place", "[a]\r\nk1=v1\r\nk2=v2\r\n", put("a", "k1", "new"),
         "[a]\r\nk1=new\r\nk2=v2\r\n\r\n"},
        {"new section goes last", "[a]\r\nk=v\r\n", put("z", "n", "1"), "[a]\r\nk=v\r\n\r\n[z]\r\nn=1\r\n\r\n"},
        {"semicolon key has no equals sign", "[a]\r\nk=v\r\n", put("a", ";c", " comment"),
         "[a]\r\nk=v\r\n;c comment\r\n\r\n"},
        {"quoted line and duplicates come back", "[a]\r\n\"q\"=1\r\nd=1\r\nd=2\r\n", put("a", "e", ""),
         "[a]\r\n\"q\"=1\r\nd=2\r\nd=2\r\ne=\r\n\r\n"},
        {"repeated section written once with every entry, leading lines first",
         "top=0\r\n[a]\r\nk=1\r\nd=1\r\n[b]\r\nx=1\r\n[A]\r\nl=2\r\nd=2\r\n[a]\r\n", put("a", "n", "3"),
         "[a]\r\ntop=0\r\nk=1\r\nd=2\r\nl=2\r\nd=2\r\nn=3\r\n\r\n[b]\r\nx=1\r\n\r\n"},
        {"UTF-8 mark is not written back", "\xEF\xBB\xBF[a]\r\nk=v\r\n", put("a", "k", "w"), "[a]\r\nk=w\r\n\r\n"},
        {"empty section in the middle stays, empty last one goes", "[a]\r\n[b]\r\nk=v\r\n[c]\r\n", put("b", "k", "w"),
         "[a]\r\n\r\n[b]\r\nk=w\r\n\r\n"},
        {"default topic", "", [](ovs::ProfilingIni& s) { s.writeString("k", "v"); }, "[General]\r\nk=v\r\n\r\n"},
        {"deleted entry and topic", "[a]\r\nk=v\r\nl=w\r\n[b]\r\nx=1\r\n",
         [](ovs::ProfilingIni& s) {
             s.setTopic("a");
             s.deleteEntry("k");
             s.setTopic("b");
             s.deleteTopic();
         },
         "[a]\r\nl=w\r\n\r\n"},
        {"numbers as unsigned decimal", "",
         [](ovs::ProfilingIni& s) {
             s.setTopic("n");
             s.writeInt("i", -1);
             s.writeUInt("u", 7);
             s.writeInt64("q", -5);
         },
         "[n]\r\ni=4294967295\r\nu=7\r\nq=-5\r\n\r\n"},
        {"whole topic replaced and moved last", "[h]\r\nold=1\r\n[t]\r\nk=v\r\n",
         [](ovs::ProfilingIni& s) {
             s.setTopic("h");
             s.writeTopicLines({"Guid={1}", "Empty=", "Bare", "Guid={2}"});
         },
         "[t]\r\nk=v\r\n\r\n[h]\r\nGuid={2}\r\nEmpty\r\nBare\r\n\r\n"},
        {"topic handles always write the equals sign", "[a]\r\nk=v\r\n",
         [](ovs::ProfilingIni& s) {
             s.openTopic("A")->writeString(";c", "x");
             s.openTopic("new")->writeUInt("n", 5);
         },
         "[a]\r\nk=v\r\n;c=x\r\n\r\n[new]\r\nn=5\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(c.before);
        c.change(*store_);
        EXPECT_TRUE(store_->changed());
        EXPECT_EQ(c.before, here_.content("store.ini")) << "nothing is written before the flush";
        EXPECT_TRUE(store_->flush());
        EXPECT_FALSE(store_->changed());
        EXPECT_EQ(c.after, here_.content("store.ini"));
    }
    load("[a]\r\n  k = v\r\n");
    EXPECT_TRUE(store_->flush());
    EXPECT_EQ("[a]\r\n  k = v\r\n", here_.content("store.ini")) << "nothing changed";
}

TEST_F(ProfilingIniTest, FileNamesMissingAndOversizedFiles) {
    store_->setFile(here_.folder() / "new.ini");
    EXPECT_TRUE(here_.exists("new.ini") && here_.content("new.ini").empty()) << "created empty";
    EXPECT_FALSE(store_->topicExists());

    here_.makeFile("Prod.ini", "[s]\r\nk=v\r\n");
    store_ = std::make_unique<ovs::ProfilingIni>();
    store_->setKeysMakeFileName(true);
    store_->setFile(here_.folder().path() + "\\");
    store_->setProductKey("Prod");
    store_->setApplicationKey("App");
    EXPECT_EQ(ovs::FileString(here_.folder() / "Prod.ini").absolute(), store_->file());
    EXPECT_EQ("v", read("s", "k"));

    here_.makeFile("big.ini", "[s]\r\nk=v\r\n");
    std::filesystem::resize_file(here_.folder().native() / "big.ini", (std::uintmax_t(1) << 30) + 1);
    store_ = std::make_unique<ovs::ProfilingIni>();
    store_->setFile(here_.folder() / "big.ini");
    store_->setTopic("s");
    EXPECT_FALSE(store_->topicExists()) << "above one gibibyte reads as empty";
    EXPECT_FALSE(store_->entryExists("k"));

    store_ = std::make_unique<ovs::ProfilingIni>();
    store_->writeString("k", "v");
    ovs::test::expectException(ovs::msg::BadFileOrFolder, [&] { store_->flush(); });
}

TEST_F(ProfilingIniTest, ReadsNumbersLikeTheRuntimeDecimalConversion) {
    load("[n]\r\na=  -12abc\r\nb=abc\r\nc=4294967295\r\nd=+7\r\ne=-2147483649\r\nf=9000000000\r\n");
    store_->setTopic("n");
    // A 32-bit long saturates.
    EXPECT_EQ((std::vector<std::int64_t>{-12, 0, 2147483647, 7, -2147483648LL, 9000000000LL, 0}),
              (std::vector<std::int64_t>{store_->readInt("a"), store_->readInt("b"), store_->readInt("c"),
                                         store_->readUInt("d"), store_->readInt("e"), store_->readInt64("f"),
                                         store_->readInt("missing")}));
}

TEST_F(ProfilingIniTest, ListsEntriesAndTopicsInFileOrder) {
    load("[b]\r\nz=1\r\n;c\r\na=2\r\n[a]\r\nk=v\r\n[a/x]\r\nk=v\r\n[a/y/z]\r\nk=v\r\n");
    Names entries, all, below, fromTop, none;
    store_->setTopic("B");
    store_->listEntries(entries);
    store_->setTopic("");
    store_->listTopics(all);
    store_->setTopic("a");
    store_->listTopics(below);
    store_->listTopics(fromTop, true);
    store_->setTopic("none");
    store_->listEntries(none);
    EXPECT_EQ((std::vector<Names>{{"z", ";c", "a"}, {"b", "a"}, {"x", "y"}, {"b", "a"}, {}}),
              (std::vector<Names>{entries, all, below, fromTop, none}));
}

TEST_F(ProfilingIniTest, SecureValuesAreStoredScrambledAndReadBack) {
    load("[a]\r\nPlain=visible\r\nLimit=3\r\n");
    ovs::Topic* topic = store_->openTopic("a");
    ovs::String value;
    EXPECT_TRUE(topic->readSecureString("Plain", value));
    EXPECT_EQ("visible", value);
    // Either form counts as present: the plain one, then (after the write) the secure one alone.
    EXPECT_EQ((std::vector<bool>{true, true, false}),
              (std::vector<bool>{topic->secureEntryExists("Plain"), topic->secureEntryExists("Limit"),
                                 topic->secureEntryExists("Nothing")}));
    topic->writeSecureUInt("Limit", 42);
    EXPECT_TRUE(topic->secureEntryExists("Limit"));
    EXPECT_FALSE(topic->entryExists("Limit"));
    EXPECT_TRUE(topic->entryExists("LimitSecure"));
    EXPECT_EQ(std::string::npos, ovs::test::textOf(*topic, "LimitSecure").find("42"));
    EXPECT_EQ(42u, topic->readSecureUInt("Limit"));
    EXPECT_FALSE(topic->readSecureString("Nothing", value));
    topic->writeString("BadSecure", "~1ZZ");
    ovs::test::expectException(ovs::msg::ItemBadData, [&] { topic->readSecureString("Bad", value); });
    EXPECT_EQ("visible", ovs::test::textOf(*topic, "Plain"));
}

TEST(ProfilingIniMemBuffTest, KeepsItsTextInTheBuffer) {
    ovs::ProfilingIniMemBuff store;
    const std::string bytes = "\xEF\xBB\xBF[a]\r\nk=v\r\n";
    EXPECT_TRUE(store.setText(bytes.data(), bytes.size()));
    std::vector<ovs::String> texts(4);
    store.getText(texts[0]);
    store.setTopic("a");
    store.writeString("n", "1");
    store.getText(texts[1]); // unchanged until flushed
    EXPECT_TRUE(store.flush());
    store.getText(texts[2]);
    store.writeTopicLines({"x=1"});
    store.getText(texts[3]);
    EXPECT_EQ((Names{"[a]\r\nk=v\r\n", "[a]\r\nk=v\r\n", "[a]\r\nk=v\r\nn=1\r\n\r\n", "[a]\r\nx=1\r\n\r\n"}), texts);
}

} // namespace
