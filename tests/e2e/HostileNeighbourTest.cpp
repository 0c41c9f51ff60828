// Runs beside a hostile or careless neighbour of the task folder, and against a plug-in whose
// result is broken: every run ends in bounded time with its true outcome, and nothing outside
// the task folder is touched. The neighbour is the Neighbour helper (inotify, flock, FIFOs),
// which only the Linux build has: the Windows builds skip the cases that need it.
#include "EndToEnd.h"
#include "MessageNumbers.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

namespace fs = std::filesystem;

namespace {

const std::string PendingName = "Task\\d+\\.ovc\\.\\d+-0\\.pending";

} // namespace

class Neighbourhood : public EndToEnd {
protected:
    void TearDown() override {
        neighbour_.reset();
        EndToEnd::TearDown();
    }

    // Runs the tool, giving it at most the seconds given; a run that takes longer is ended and
    // fails the test.
    ToolRun runBounded(const std::vector<std::string>& arguments, int seconds, const Variables& environment = {}) {
        ovs::platform::ChildProcess run(toolOptions(arguments, environment));
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (run.running() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (run.running()) {
            run.terminate();
            ADD_FAILURE() << "the run took more than " << seconds << " s";
        }
        std::uint32_t code = run.wait();
        return toolRun(code, run.output());
    }

    // Whether the Neighbour helper exists in this build; the reason to skip when not.
    static bool neighbourBuilt() { return fs::exists(ovs::platform::nativePathOf(neighbourProgram())); }
    static std::string neighbourProgram() { return ovs::test::programPath("Neighbour"); }

    // Starts the Neighbour with the arguments and waits for the line that says it is in place.
    void startNeighbour(const std::vector<std::string>& arguments, const std::string& ready) {
        ovs::platform::ChildProcess::Options options;
        options.program = neighbourProgram();
        options.arguments = arguments;
        options.outputFile = work("neighbour.out");
        neighbour_ = std::make_unique<ovs::platform::ChildProcess>(options);
        for (int i = 0; i < 200; ++i) {
            if (neighbourSaid().find(ready + "\n") != std::string::npos) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        FAIL() << "the neighbour did not say " << ready;
    }
    std::string neighbourSaid() const { return ovs::test::fileBytes(native("neighbour.out")).value_or(""); }

    std::unique_ptr<ovs::platform::ChildProcess> neighbour_;
};

// Another user who may only read the task folder can still lock it: the run waits a bounded
// time for the lock, then fails with the file named, and leaves nothing behind.
TEST_F(Neighbourhood, ALockOnTheTaskFolderFailsTheRunInsteadOfHangingIt) {
    if (!neighbourBuilt()) {
        GTEST_SKIP() << "the neighbour's flock needs the Linux build's Neighbour helper";
    }
    startStandIn("finish");
    startNeighbour({"lock", tasks_.native("").string(), "60"}, "locked");
    ToolRun run = runBounded({"-f:10", "-p:13", "-k:LS", "-o:" + work("out.pdf"), "-i:" + work("in.pdf")}, 30);
    ASSERT_GE(run.lines.size(), 3u) << run.output;
    EXPECT_EQ("Created a task for FraskPdf: Task Id ", run.lines[2]);
    EXPECT_TRUE(std::regex_search(run.lines.back(),
                                  std::regex("fatal error OV1022 - file .*\\\\" + PendingName + "\"? is locked\\.")))
        << run.output;
    EXPECT_EQ(seenExitCode(1022), run.exitCode);
    EXPECT_EQ(std::vector<std::string>(), tasks_.names());
}

// A LastError that is no number is never read as 0, which would report the failed task as
// aborted and the run as a success; a number with blanks around it is still that number.
TEST_F(Neighbourhood, ALastErrorThatIsNoNumberFailsTheRun) {
    const std::string unreadable =
        "^FraskPdfCmd: error OV3005 - The result of the task could not be read: the "
        "plug-in's LastError in the task file is no valid number\\. \\(.*\\\\Task\\d+\\.ovc\\)$";
    const struct {
        const char* behaviour;
        std::string lastLine;
        std::uint32_t exitCode;
    } rows[] = {
        {"fail-text:abc", unreadable, ovs::msg::UnreadableResult},
        {"fail-text:", unreadable, ovs::msg::UnreadableResult},
        {"fail-text:4294967296", unreadable, ovs::msg::UnreadableResult},
        {"fail-text:0x10", unreadable, ovs::msg::UnreadableResult},
        {"fail-text:12abc", unreadable, ovs::msg::UnreadableResult},
        {"fail-text: 3505 ", "^FraskPdfCmd: error OV3505 - There were errors while encrypting a document", 3505},
        {"fail-text:0", "^Task aborted at ", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.behaviour);
        tasks_.empty();
        startStandIn(row.behaviour);
        ToolRun run = runBounded({"-f:10", "-p:13", "-k:LS", "-o:" + work("out.pdf"), "-i:" + work("in.pdf")}, 30);
        stopStandIn();
        ASSERT_FALSE(run.lines.empty());
        EXPECT_TRUE(std::regex_search(run.lines.back(), std::regex(row.lastLine))) << run.output;
        EXPECT_EQ(seenExitCode(row.exitCode), run.exitCode) << run.output;
    }
}
