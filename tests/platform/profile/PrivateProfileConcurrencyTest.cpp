// Concurrent use of one private-profile file: writers on several threads never lose each
// other's entries, and a reader polling while a writer works always sees a complete file.
#include "PrivateProfileSupport.h"

#include <atomic>
#include <thread>
#include <vector>

using namespace ovs::test;

namespace {

using PrivateProfileConcurrencyTest = PrivateProfileTest;

TEST_F(PrivateProfileConcurrencyTest, ConcurrentWritersLoseNoEntry) {
    constexpr int writers = 4, keysPerWriter = 40;
    const std::string file = path();
    // Half of the writers share one section, the others have their own.
    auto sectionOf = [](int w) { return w % 2 == 0 ? "Shared" : "Own" + std::to_string(w); };
    auto keyOf = [](int w, int k) { return "w" + std::to_string(w) + "k" + std::to_string(k); };
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < writers; ++w) {
        threads.emplace_back([&, w] {
            for (int k = 0; k < keysPerWriter; ++k) {
                failures += !WritePrivateProfileStringA(sectionOf(w).c_str(), keyOf(w, k).c_str(),
                                                        std::to_string(w * 1000 + k).c_str(), file.c_str());
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(0, failures.load());
    for (int w = 0; w < writers * keysPerWriter; ++w) {
        const std::string section = sectionOf(w / keysPerWriter), key = keyOf(w / keysPerWriter, w % keysPerWriter);
        EXPECT_EQ(UINT(w / keysPerWriter * 1000 + w % keysPerWriter),
                  GetPrivateProfileIntA(section.c_str(), key.c_str(), -1, file.c_str()))
            << section << "/" << key;
    }
}

TEST_F(PrivateProfileConcurrencyTest, APollingReaderAlwaysSeesACompleteFile) {
    if (ovs::platform::isWine()) {
        GTEST_SKIP() << "Wine rewrites the file in place; the atomic replacement is this layer's promise";
    }
    const std::string file = path(), padding(2000, 'p');
    ASSERT_TRUE(WritePrivateProfileStringA("Task", "State", "Request", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Task", "Padding", padding.c_str(), file.c_str()));
    std::atomic<bool> done{false};
    std::thread writer([&] {
        const char* states[] = {"Accepted", "Finished", "Request"};
        for (int i = 0; i < 300; ++i) {
            WritePrivateProfileStringA("Task", "State", states[i % 3], file.c_str());
            WritePrivateProfileStringA("Task", "WholeNumberOfProcessedDocuments", std::to_string(i).c_str(),
                                       file.c_str());
        }
        done = true;
    });
    for (int polls = 0; !done || polls == 0; ++polls) {
        char state[64];
        ASSERT_GT(GetPrivateProfileStringA("Task", "State", "", state, sizeof state, file.c_str()), 0u)
            << "State missing at poll " << polls;
        const std::string bytes = readBytes().value_or("(no file)");
        ASSERT_EQ(0u, bytes.rfind("[Task]\r\nState=", 0)) << testing::PrintToString(bytes.substr(0, 40));
        ASSERT_NE(std::string::npos, bytes.find("Padding=" + padding + "\r\n"));
    }
    writer.join();
    EXPECT_EQ(299u, GetPrivateProfileIntA("Task", "WholeNumberOfProcessedDocuments", -1, file.c_str()));
}

} // namespace
