// Runs beside a hostile or careless neighbour of the task folder: every run ends in bounded
// time with its true outcome, and nothing outside the task folder is touched. The neighbour is
// the Neighbour helper (inotify, flock, FIFOs), which only the Linux build has: the Windows
// builds skip the cases that need it. Clears that meet refused removals and files that vanish,
// the markers of waiting runs, a LastError that is no number and a task folder others may
// write are proven in-process (ThisAppRun, TaskRequest).
#include "EndToEnd.h"
#include "MessageNumbers.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <regex>
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
        const std::vector<std::string> names = tasks_.names();
        return std::any_of(names.begin(), names.end(),
                           [](auto& name) { return std::regex_match(name, std::regex("Task\\d+\\.ovc")); });
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
    const std::pair<const char*, Kind> rows[] = {
        {"FIFO", Fifo}, {"link to a device", DeviceLink}, {"1 GB file", Huge}, {"dangling link", Dangling}};
    for (const auto& [name, kind] : rows) {
        SCOPED_TRACE(name);
        // FIFOs and links are POSIX's; the FIFO is the Neighbour's.
        if ((kind != Huge && !ovs::platform::isPosixSubstitute()) || (kind == Fifo && !neighbourBuilt())) {
            continue;
        }
        tasks_.empty();
        const fs::path odd = tasks_.native("Task1.ovc");
        if (kind == Fifo) {
            std::string said;
            ASSERT_EQ(0u, ovs::platform::runProgram({neighbourProgram(), {"fifo", odd.string()}, {}, "", ""}, said));
        } else if (kind == Huge) {
            std::ofstream(odd, std::ios::binary).close();
            fs::resize_file(odd, 1ull << 30); // zeros, and no disk space on the file systems that matter
        } else {
            fs::create_symlink(kind == DeviceLink ? "/dev/zero" : "/nowhere/at/all", odd);
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
