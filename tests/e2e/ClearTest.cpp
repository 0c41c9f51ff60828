// The clear mode from command line to exit code, run after run on one task folder: which
// files go, which stay, the exact lines, and the runs that fail.
#include "EndToEnd.h"
#include "MessageNumbers.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <algorithm>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace {

// A process id beyond any that Linux or Windows hands out: the writer of a request that has
// certainly ended.
const std::string Ended = "1073741820";
// The program's first two lines, on every run.
const std::vector<std::string> Banner = {"FraskPdfCmd Version 21.02 of Feb/17/2021 (Build 4548)",
                                         "Copyright (c) 2007-2021 ORVA-SYSTEMS"};

} // namespace

// Each row adds files, runs the tool and expects the banner and the lines after it (the last one, with
// an error, as a regular expression) and the exit code. Exactly the files that a "Removed
// file" line names are gone afterwards.
TEST_F(EndToEnd, ClearRunsRemoveOnlyTheTaskFilesTheirModeNames) {
    const std::string live = std::to_string(GetCurrentProcessId());
    const std::string f = tasks_.path() + "\\";
    const std::string denied = "^FraskPdfCmd: fatal error OV1013 - access to .*Task(11|13)\\.ovc\"? denied\\.";
    std::vector<std::pair<std::string, std::string>> many;
    std::vector<std::string> manyRemoved{"Clearing old task files (ALL)"};
    for (int i = 0; i < 10000; ++i) {
        many.emplace_back("Task" + std::to_string(10000 + i).substr(1) + ".ovc", taskText("State=Request\r\n"));
        manyRemoved.push_back("Removed file " + f + many.back().first);
    }
    enum Setting { Plain, NoAppData, ReadOnlyFile, ReadOnlyFolder };
    // clang-format off
    struct Row {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files; // added before the run
        std::vector<std::string> arguments;
        std::vector<std::string> lines;
        std::uint32_t exitCode;
        Setting setting = Plain;
    } const rows[] = {
        {"unknown value",
         {{"Task1.ovc", taskText("State=Finished\r\nWholeNumberOfProcessedDocuments=1\r\n")},
          {"Task2.ovc", taskText("State=Error\r\nLastError=3505\r\n")},
          // A header key written in another case still makes a task file.
          {"Task3.ovc", std::regex_replace(taskText("State=Accepted\r\n"), std::regex("Guid"), "guid")},
          {"Task4.ovc", taskText("State=finished\r\n")},
          {"Task5.ovc", ""},
          {"Task6.ovc", "no header at all\r\n"},
          {"TaskOther.ovc", "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5162}\r\n"},
          {"Notes.txt", taskText("State=Finished\r\n")},
          {"Task7.ovc." + Ended + "-0.pending", taskText("State=Request\r\n")},
          {"Task8.ovc." + Ended + "-3.pending", ""},
          {"Task9.ovc." + live + "-0.pending", taskText("State=Request\r\n")},
          {"Task10.ovc." + Ended + "-0.pending", "my own data"},
          {"Task11.ovc." + Ended + ".pending", ""}},
         {"-clear:all"}, {"Unkown option for clear:all"}, 1},
        {"finished, no Acrobat start", {}, {"-clear:FINISHED", "-startacrobat"},
         {"Clearing old task files (FINISHED)", "Removed file " + f + "Task1.ovc"}, 0},
        {"finished, quoted and upper case", {}, {"/CLEAR:\"FINISHED\""}, {"Clearing old task files (FINISHED)"}, 0},
        // Requests of ended runs that were never published go too, the running one's stays.
        {"all",
         {},
         {"-clear:ALL"},
         {"Clearing old task files (ALL)", "Removed file " + f + "Task2.ovc", "Removed file " + f + "Task3.ovc",
          "Removed file " + f + "Task4.ovc", "Removed file " + f + "Task5.ovc",
          "Removed file " + f + "Task7.ovc." + Ended + "-0.pending",
          "Removed file " + f + "Task8.ovc." + Ended + "-3.pending"},
         0},
        // A damaged task file ends a finished-only run; the ALL mode removes it unread.
        {"finished, newer header", {{"Task12.ovc", taskText("State=Finished\r\n", 1, "2.00")}}, {"-clear:FINISHED"},
         {"Clearing old task files (FINISHED)", "", "\\.ovc: fatal error OV1114 - file has bad version 200\\."},
         ovs::msg::BadVersion},
        {"all, newer header", {}, {"-clear:ALL"},
         {"Clearing old task files (ALL)", "Removed file " + f + "Task12.ovc"}, 0},
        // A task file that cannot be removed fails the run, after the others went.
        {"all of ten thousand", many, {"-clear:ALL"}, manyRemoved, 0},
        {"read-only task file",
         {{"Task11.ovc", taskText("State=Finished\r\n")}, {"Task12.ovc", taskText("State=Finished\r\n")}},
         {"-clear:FINISHED"},
         {"Clearing old task files (FINISHED)", "Couldn't remove file " + f + "Task11.ovc",
          "Removed file " + f + "Task12.ovc", "", denied},
         ovs::msg::AccessDenied, ReadOnlyFile},
        {"read-only task folder, ordinary user", {{"Task13.ovc", taskText("State=Finished\r\n")}}, {"-clear:ALL"},
         {"Clearing old task files (ALL)", "Couldn't remove file " + f + "Task11.ovc",
          "Couldn't remove file " + f + "Task13.ovc", "", denied},
         ovs::msg::AccessDenied, ReadOnlyFolder},
        // Without an application-data folder the task folder is the current one.
        {"finished, current folder",
         {{"Task1.ovc", "my own data"}, {"Task2.ovc", taskText("State=Finished\r\n")}, {"Task3.ovc", ""}},
         {"-clear:FINISHED"}, {"Clearing old task files (FINISHED)", "Removed file Task2.ovc"}, 0, NoAppData},
        {"all, current folder", {}, {"-clear:ALL"}, {"Clearing old task files (ALL)", "Removed file Task3.ovc"}, 0,
         NoAppData},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (!ovs::platform::isPosixSubstitute() && (row.setting == NoAppData || row.setting == ReadOnlyFolder)) {
            continue; // Windows always has an application-data folder; other users need POSIX tools
        }
        const fs::path folder = row.setting == NoAppData ? native("") : tasks_.native("");
        for (const auto& [name, content] : row.files) {
            std::ofstream(folder / name, std::ios::binary) << content;
        }
        const fs::path locked = row.setting == ReadOnlyFile ? folder / "Task11.ovc" : folder;
        if (row.setting == ReadOnlyFile || row.setting == ReadOnlyFolder) {
            fs::permissions(locked, fs::perms::owner_write, fs::perm_options::remove);
        }
        std::vector<std::string> before = TaskTestFolder::namesIn(folder);
        ToolRun run = runTool(row.arguments, row.setting == NoAppData ? NoApplicationData : Variables(),
                              row.setting == ReadOnlyFolder ? ordinaryUser() : std::vector<std::string>());
        fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
        ASSERT_GE(run.lines.size(), 3u) << run.output;
        EXPECT_EQ(Banner, std::vector<std::string>(run.lines.begin(), run.lines.begin() + 2));
        std::vector<std::string> lines(run.lines.begin() + 2, run.lines.end());
        auto files = std::find(lines.begin(), lines.end(), ""); // the walk's order is the file system's
        std::sort(std::min(lines.begin() + 1, files), files);
        if (row.exitCode >= 1000 && !lines.empty()) { // the error line, as a regular expression
            EXPECT_TRUE(std::regex_search(lines.back(), std::regex(row.lines.back()))) << lines.back();
            lines.back() = row.lines.back();
        }
        EXPECT_EQ(row.lines, lines) << run.output;
        EXPECT_EQ(seenExitCode(row.exitCode), run.exitCode);
        for (const std::string& line : row.lines) {
            if (line.rfind("Removed file ", 0) == 0) {
                std::string name = line.substr(line.find_last_of("\\ ") + 1);
                before.erase(std::remove(before.begin(), before.end(), name), before.end());
            }
        }
        EXPECT_EQ(before, TaskTestFolder::namesIn(folder));
    }
}
