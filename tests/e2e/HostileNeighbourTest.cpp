// Runs beside a hostile or careless neighbour of the task folder, and against a plug-in whose
// result is broken: every run ends in bounded time with its true outcome, and nothing outside
// the task folder is touched. The neighbour is the Neighbour helper (inotify, flock, FIFOs),
// which only the Linux build has: the Windows builds skip the cases that need it.
#include "EndToEnd.h"
#include "MessageNumbers.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

namespace fs = std::filesystem;

class Neighbourhood : public EndToEnd {
protected:
    void TearDown() override {
        neighbour_.reset();
        EndToEnd::TearDown();
    }

    // A protection request's arguments, with the number n as its -f value.
    std::vector<std::string> request(int n = 10) const {
        return {"-f:" + std::to_string(n), "-p:13", "-k:LS", "-o:" + work("out.pdf"), "-i:" + work("in.pdf")};
    }
    // Runs the tool or, with inspect, the inspector on the task folder, at most for the seconds
    // given (finish).
    ToolRun runBounded(const std::vector<std::string>& arguments, int seconds, bool inspect = false) {
        ovs::platform::ChildProcess::Options options = toolOptions(arguments);
        if (inspect) {
            options.program =
                ovs::test::programPath(ovs::platform::isPosixSubstitute() ? "FraskPdfTasks" : "FraskPdfTasks.exe");
        }
        ovs::platform::ChildProcess run(options);
        return finish(run, seconds);
    }
    // Waits for the run at most the seconds given; a run that takes longer is ended and fails the
    // test.
    ToolRun finish(ovs::platform::ChildProcess& run, int seconds) {
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

// Another user who may only read the task folder can still lock it. The run takes no lock to
// submit its request: the task file is there while the neighbour still holds the lock, and the
// run finishes once the plug-in may write again.
TEST_F(Neighbourhood, ALockOnTheTaskFolderDoesNotHoldUpTheSubmit) {
    if (!neighbourBuilt()) {
        GTEST_SKIP() << "the neighbour's flock needs the Linux build's Neighbour helper";
    }
    startStandIn("finish");
    startNeighbour({"lock", tasks_.native("").string(), "60"}, "locked");
    ovs::platform::ChildProcess run(toolOptions(request()));
    auto published = [&] {
        std::vector<std::string> names = tasks_.names();
        return std::any_of(names.begin(), names.end(), [](const std::string& name) {
            return std::regex_match(name, std::regex("Task\\d+\\.ovc"));
        });
    };
    for (int i = 0; i < 500 && !published(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(published()) << "no task file within 10 s while the folder is locked";
    neighbour_.reset(); // the plug-in's own writes wait for the lock
    ToolRun outcome = finish(run, 30);
    EXPECT_EQ(0u, outcome.exitCode) << outcome.output;
    ASSERT_FALSE(outcome.lines.empty());
    EXPECT_EQ("Task finished at ", outcome.lines.back().substr(0, 17)) << outcome.output;
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
        ToolRun run = runBounded(request(), 30);
        stopStandIn();
        ASSERT_FALSE(run.lines.empty());
        EXPECT_TRUE(std::regex_search(run.lines.back(), std::regex(row.lastLine))) << run.output;
        EXPECT_EQ(seenExitCode(row.exitCode), run.exitCode) << run.output;
    }
}

// A neighbour who may write the task folder swaps the run's files for links, FIFOs and devices
// the moment they appear. The run never writes through what it did not make: the file outside
// the task folder keeps its bytes, a request swapped before it is handed over fails the run
// with the name, and a task file swapped afterwards ends the poll at once, in an unknown state
// or as no task file, instead of hanging on a FIFO or reading a device without end.
TEST_F(Neighbourhood, FilesSwappedByANeighbourAreNeverWrittenNorWaitedFor) {
    if (!neighbourBuilt()) {
        GTEST_SKIP() << "the swaps need the Linux build's Neighbour helper (inotify)";
    }
    const std::string victim = native("victim.txt").string();
    const std::string replaced =
        "^FraskPdfCmd: error OV3006 - The request was replaced by another program before "
        "it was handed to the plug-in\\. It is left as it is\\. \\(.*\\\\Task\\d+\\.ovc(\\.\\d+-\\d+\\.pending)?\\)$";
    const std::string unknown = "^FraskPdfCmd: fatal error - Unkown state\\. \\(Unkown state\\)$";
    const struct {
        const char* name;
        const char* suffix; // of the names swapped
        const char* kind;
        std::string target;
        std::string lastLine; // when the neighbour swapped the run's file
        std::uint32_t exitCode;
        int runs; // a request may be handed over before the neighbour comes
    } rows[] = {
        {"request swapped for a link", ".pending", "link", victim, replaced, ovs::msg::RequestReplaced, 4},
        {"task file swapped for a FIFO", ".ovc", "fifo", "", unknown, ovs::msg::FreeFatalError, 1},
        {"task file swapped for a link to a device", ".ovc", "link", "/dev/zero", unknown, ovs::msg::FreeFatalError, 1},
        {"task file swapped for a link to a file", ".ovc", "link", victim,
         "^FraskPdfCmd, .*\\\\Task\\d+\\.ovc: fatal error OV1144 - ", 1144, 1},
    };
    startStandIn("finish"); // it takes only regular files, through links too, in State Request
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        tasks_.empty();
        std::ofstream(victim, std::ios::binary | std::ios::trunc) << "precious\n";
        startNeighbour({"swap", tasks_.native("").string(), row.suffix, row.kind, row.target, "60"}, "watching");
        for (int n = 0; n < row.runs; ++n) {
            ToolRun run = runBounded(request(), 40);
            ASSERT_FALSE(run.lines.empty());
            // Handed over and read before the neighbour came, refused as replaced (the swap came
            // between the run's look and its move), or ended as the row says.
            const std::string& last = run.lines.back();
            if (last.rfind("Task finished at ", 0) == 0) {
                EXPECT_EQ(0u, run.exitCode);
            } else if (std::regex_search(last, std::regex(replaced))) {
                EXPECT_EQ(seenExitCode(ovs::msg::RequestReplaced), run.exitCode) << run.output;
            } else {
                EXPECT_TRUE(std::regex_search(last, std::regex(row.lastLine))) << run.output << neighbourSaid();
                EXPECT_EQ(seenExitCode(row.exitCode), run.exitCode) << run.output;
            }
            EXPECT_EQ("precious\n", ovs::test::fileBytes(victim).value_or("")) << run.output;
        }
        neighbour_.reset();
    }
}

// Entries of the task folder that are no readable task file: a clear and the inspector end in
// bounded time and read no more than a file's head; the FINISHED mode keeps what it cannot open
// and both modes keep what is no task file, silently; nothing of it fails the run.
TEST_F(Neighbourhood, ClearsAndTheInspectorPassOverFifosDevicesHugeFilesAndDanglingLinks) {
    enum Kind { Fifo, DeviceLink, Huge, Dangling };
    const struct {
        const char* name;
        Kind kind;
        bool posixOnly; // FIFOs and links to devices are POSIX's
    } rows[] = {
        {"FIFO", Fifo, true},
        {"link to a device", DeviceLink, true},
        {"1 GB file", Huge, false},
        {"dangling link", Dangling, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.posixOnly && !ovs::platform::isPosixSubstitute()) {
            continue;
        }
        if (row.kind == Fifo && !neighbourBuilt()) {
            continue;
        }
        tasks_.empty();
        const fs::path odd = tasks_.native("Task1.ovc");
        if (row.kind == Fifo) {
            std::string said;
            ASSERT_EQ(0u, ovs::platform::runProgram({neighbourProgram(), {"fifo", odd.string()}, {}, "", ""}, said));
        } else if (row.kind == Huge) {
            std::ofstream(odd, std::ios::binary).close();
            fs::resize_file(odd, 1ull << 30); // zeros, and no disk space on the file systems that matter
        } else {
            fs::create_symlink(row.kind == DeviceLink ? "/dev/zero" : "/nowhere/at/all", odd);
        }
        tasks_.write("Task2.ovc", taskText("State=Finished\r\n", 2));
        for (const char* clear : {"-clear:FINISHED", "-clear:ALL"}) {
            SCOPED_TRACE(clear);
            ToolRun run = runBounded({clear}, 20);
            std::vector<std::string> lines(run.lines.begin() + std::min<std::size_t>(2, run.lines.size()),
                                           run.lines.end());
            const std::string mode = clear + 7;
            std::vector<std::string> expected{"Clearing old task files (" + mode + ")"};
            if (mode == "FINISHED") {
                expected.push_back("Removed file " + tasks_.file("Task2.ovc"));
            }
            EXPECT_EQ(expected, lines) << run.output;
            EXPECT_EQ(0u, run.exitCode) << run.output;
            EXPECT_EQ(std::vector<std::string>{"Task1.ovc"}, tasks_.names());
        }
        ToolRun listing = runBounded({}, 20, true);
        EXPECT_EQ(0u, listing.exitCode) << listing.output;
        std::error_code error;
        fs::remove(odd, error);
    }
}

// Two clears at once over the same finished tasks: each file is removed, a file that the other
// removed first is no failure, and both end with 0.
TEST_F(Neighbourhood, TwoClearsAtOnceShareTheWorkWithoutFailing) {
    const int count = ovs::platform::isPosixSubstitute() ? 600 : 200;
    std::set<std::string> all;
    for (int id = 0; id < count; ++id) {
        tasks_.write("Task" + std::to_string(id) + ".ovc", taskText("State=Finished\r\n", id));
        all.insert("Removed file " + tasks_.file("Task" + std::to_string(id) + ".ovc"));
    }
    for (const char* clear : {"-clear:FINISHED", "-clear:ALL"}) {
        SCOPED_TRACE(clear);
        std::vector<std::unique_ptr<ovs::platform::ChildProcess>> runs;
        for (int n = 0; n < 2; ++n) {
            runs.push_back(std::make_unique<ovs::platform::ChildProcess>(toolOptions({clear})));
        }
        std::multiset<std::string> removed;
        for (auto& child : runs) {
            ToolRun run = toolRun(child->wait(), child->output());
            EXPECT_EQ(0u, run.exitCode) << run.output;
            ASSERT_GE(run.lines.size(), 3u) << run.output;
            EXPECT_EQ(std::string("Clearing old task files (") + (clear + 7) + ")", run.lines[2]);
            removed.insert(run.lines.begin() + 3, run.lines.end());
        }
        // An unlink succeeds once; on Windows two deletes that both open the file before either
        // closes it both succeed, and both clears then say so.
        EXPECT_EQ(all, std::set<std::string>(removed.begin(), removed.end()));
        if (ovs::platform::isPosixSubstitute()) {
            EXPECT_EQ(std::multiset<std::string>(all.begin(), all.end()), removed);
        }
        EXPECT_EQ(std::vector<std::string>(), tasks_.names());
        for (int id = 0; id < count; ++id) { // again, for the other mode
            tasks_.write("Task" + std::to_string(id) + ".ovc", taskText("State=Finished\r\n", id));
        }
    }
}

// Maintenance while jobs run: 100 runs in flight and a FINISHED clear every 0.2 s. A clear
// never takes a finished task away from the run that is about to read it, so every run reports
// the plug-in's verdict; the task files go with a clear once their runs have read them.
// Natively the release build that make test names (100 runs of the sanitizer build need most of
// two cores for a minute), else this build; under Wine 30 runs of this build.
TEST_F(Neighbourhood, ClearsWhileRunsAreInFlightLeaveEveryRunItsOutcome) {
    const int count = ovs::platform::isPosixSubstitute() ? 100 : 30;
    useReleaseBuild();
    startStandIn("finish");
    std::vector<std::unique_ptr<ovs::platform::ChildProcess>> runs;
    for (int n = 0; n < count; ++n) {
        runs.push_back(std::make_unique<ovs::platform::ChildProcess>(toolOptions(request(n))));
    }
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(240);
    int clears = 0;
    auto anyRunning = [&] { return std::any_of(runs.begin(), runs.end(), [](auto& run) { return run->running(); }); };
    while (anyRunning() && std::chrono::steady_clock::now() < end) {
        ToolRun clear = runBounded({"-clear:FINISHED"}, 30);
        ++clears;
        ASSERT_EQ(0u, clear.exitCode) << clear.output;
        for (std::size_t i = 3; i < clear.lines.size(); ++i) {
            ASSERT_EQ("Removed file ", clear.lines[i].substr(0, 13)) << clear.output;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_GE(clears, 2); // clears ran while runs were in flight
    for (int n = 0; n < count; ++n) {
        SCOPED_TRACE(n);
        ToolRun run = finish(*runs[n], 1);
        EXPECT_EQ(0u, run.exitCode) << run.output;
        ASSERT_FALSE(run.lines.empty());
        EXPECT_EQ("Task finished at ", run.lines.back().substr(0, 17)) << run.output;
    }
    // Every run has read its outcome and taken its marker away: the next clear takes the rest.
    ToolRun last = runBounded({"-clear:FINISHED"}, 30);
    EXPECT_EQ(0u, last.exitCode) << last.output;
    EXPECT_EQ(std::vector<std::string>(), tasks_.names());
}

// A task folder whose entries other users may swap (group or others may write it, and it has
// no sticky bit) is refused before anything is written, with the folder and the fix named.
TEST_F(Neighbourhood, ATaskFolderOthersMaySwapEntriesInIsRefused) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "permission bits are POSIX's; a Windows folder's access list decides there";
    }
    std::string folder;
    for (char c : tasks_.path()) {
        folder += std::string(std::strchr("\\.^$|()[]{}*+?", c) != nullptr && c != '\0' ? "\\" : "") + c;
    }
    const std::string refused = "^FraskPdfCmd: error OV3007 - The task folder may be written by other users, who "
                                "could swap its files\\. Let only its owner write it \\(chmod go-w\\) or give it the "
                                "sticky bit \\(chmod \\+t\\)\\. \\(" +
                                folder + "\\)$";
    const struct {
        fs::perms permissions;
        std::string lastLine;
        std::uint32_t exitCode;
    } rows[] = {
        {fs::perms::all, refused, ovs::msg::UnsafeTaskFolder},
        {fs::perms::owner_all | fs::perms::group_all | fs::perms::others_read | fs::perms::others_exec, refused,
         ovs::msg::UnsafeTaskFolder},
        {fs::perms::all | fs::perms::sticky_bit, "^Task finished at ", 0},
        {fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec, "^Task finished at ", 0},
    };
    startStandIn("finish");
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.permissions));
        tasks_.empty();
        fs::permissions(tasks_.native(""), row.permissions);
        ToolRun run = runBounded(request(), 30);
        fs::permissions(tasks_.native(""), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                               fs::perms::others_read | fs::perms::others_exec);
        ASSERT_FALSE(run.lines.empty());
        EXPECT_TRUE(std::regex_search(run.lines.back(), std::regex(row.lastLine))) << run.output;
        EXPECT_EQ(seenExitCode(row.exitCode), run.exitCode) << run.output;
        EXPECT_EQ(row.exitCode == 0 ? 1u : 0u, tasks_.names().size());
    }
}

// What runs leave beside their task files: temporaries of a write (".<name>.~<process>-<n>.tmp")
// and the markers of runs waiting for a task ("Task<id>.ovc.<process>.waiting"). The FINISHED
// mode keeps a finished task while a live run's marker names it and removes nothing else; the
// ALL mode removes the temporaries and markers of processes that have ended.
TEST_F(Neighbourhood, ClearsKeepTasksOfWaitingRunsAndTheAllModeRemovesLeftovers) {
    const std::string ended = "1073741820"; // beyond any process id Linux or Windows hands out
    const std::string live = std::to_string(GetCurrentProcessId());
    const std::vector<std::string> files{".Task5.ovc." + ended + "-0.pending.~" + ended + "-0.tmp",
                                         ".Task6.ovc.~" + ended + "-2.tmp",
                                         ".Task7.ovc.~" + live + "-0.tmp",
                                         ".notes.txt.~" + ended + "-0.tmp",
                                         "Task8.ovc." + ended + ".waiting",
                                         "Task9.ovc." + live + ".waiting",
                                         "Task10.ovc.x.waiting"};
    for (const std::string& name : files) {
        tasks_.write(name, "");
    }
    tasks_.write("Task8.ovc", taskText("State=Finished\r\n", 8));
    tasks_.write("Task9.ovc", taskText("State=Finished\r\n", 9));
    const std::string f = tasks_.path() + "\\";
    const struct {
        const char* clear;
        std::vector<std::string> removed; // sorted
    } rows[] = {
        {"-clear:FINISHED", {"Removed file " + f + "Task8.ovc"}},
        {"-clear:ALL",
         {"Removed file " + f + ".Task5.ovc." + ended + "-0.pending.~" + ended + "-0.tmp",
          "Removed file " + f + ".Task6.ovc.~" + ended + "-2.tmp",
          "Removed file " + f + "Task8.ovc." + ended + ".waiting", "Removed file " + f + "Task9.ovc"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.clear);
        std::vector<std::string> before = tasks_.names();
        ToolRun run = runBounded({row.clear}, 30);
        ASSERT_GE(run.lines.size(), 3u) << run.output;
        std::vector<std::string> removed(run.lines.begin() + 3, run.lines.end());
        std::sort(removed.begin(), removed.end());
        EXPECT_EQ(row.removed, removed) << run.output;
        EXPECT_EQ(0u, run.exitCode) << run.output;
        for (const std::string& line : row.removed) {
            before.erase(std::find(before.begin(), before.end(), line.substr(line.find_last_of('\\') + 1)));
        }
        EXPECT_EQ(before, tasks_.names());
    }
}
