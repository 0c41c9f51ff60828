// Concurrent use of one private-profile file: writers on several threads never lose each
// other's entries, and a reader polling while a writer works always sees a complete file.
#include "PrivateProfileSupport.h"

#include <atomic>
#include <thread>
#include <vector>

using namespace ovs::test;

namespace {

class PrivateProfileConcurrencyTest : public PrivateProfileTest {};

TEST_F(PrivateProfileConcurrencyTest, ConcurrentWritersLoseNoEntry) {
    constexpr int writers = 4;
    constexpr int keysPerWriter = 40;
    const std::string file = path();
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    // Half of the writers share one section, the others have their own.
    auto sectionOf = [](int w) { return w % 2 == 0 ? "Shared" : "Own" + std::to_string(w); };
    auto keyOf = [](int w, int k) { return "w" + std::to_string(w) + "k" + std::to_string(k); };
    for (int w = 0; w < writers; ++w) {
        threads.emplace_back([&, w] {
            for (int k = 0; k < keysPerWriter; ++k) {
                if (!WritePrivateProfileStringA(sectionOf(w).c_str(), keyOf(w, k).c_str(),
                                                std::to_string(w * 1000 + k).c_str(), file.c_str())) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(0, failures.load());
    for (int w = 0; w < writers; ++w) {
        for (int k = 0; k < keysPerWriter; ++k) {
            EXPECT_EQ(UINT(w * 1000 + k),
                      GetPrivateProfileIntA(sectionOf(w).c_str(), keyOf(w, k).c_str(), -1, file.c_str()))
                << sectionOf(w) << "/" << keyOf(w, k);
        }
    }
}

TEST_F(PrivateProfileConcurrencyTest, APollingReaderAlwaysSeesACompleteFile) {
    if (ovs::platform::isWine()) {
        GTEST_SKIP() << "Wine rewrites the file in place; the atomic replacement is this layer's promise";
    }
    const std::string file = path();
    const std::string padding(2000, 'p');
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
    int polls = 0;
    while (!done || polls == 0) {
        char state[64];
        DWORD length = GetPrivateProfileStringA("Task", "State", "", state, sizeof state, file.c_str());
        ASSERT_GT(length, 0u) << "State missing at poll " << polls;
        std::optional<std::string> bytes = readBytes();
        ASSERT_TRUE(bytes.has_value());
        ASSERT_EQ(0u, bytes->rfind("[Task]\r\nState=", 0)) << visible(bytes->substr(0, 40));
        ASSERT_NE(std::string::npos, bytes->find("Padding=" + padding + "\r\n"));
        ++polls;
    }
    writer.join();
    EXPECT_EQ(299u, GetPrivateProfileIntA("Task", "WholeNumberOfProcessedDocuments", -1, file.c_str()));
}

} // namespace
