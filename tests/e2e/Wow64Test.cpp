// End-to-end runs of what differs between the builds on 64-bit Windows: Acrobat started from the
// registry keys in the view the tool reads (for the 32-bit build under WOW64 the Wow6432Node twins,
// where a 32-bit Acrobat's installer writes; for a 64-bit build and natively the plain keys), exit
// codes above 255 as the calling program reads them, and names outside ASCII carried in the ANSI
// code page (1252 on a Western Windows and under Wine, UTF-8 natively).
#include "EndToEnd.h"
#include "MessageNumbers.h"
#include "RegistryTestSupport.h"
#include "files/File.h"
#include "platform/FolderNames.h"
#include "runtime/Utf8Conversion.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <algorithm>
#include <regex>

namespace fs = std::filesystem;

namespace {

const std::string AppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe";
const std::string AppPathsTwin = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe";
const std::string Settings = "SOFTWARE\\ORVA-SYSTEMS\\Veilgard\\Veilgard|PDF\\CurrentVersion\\Settings";

void removeAcrobatKeys() {
    for (const std::string& key : {AppPaths, AppPathsTwin, Settings}) {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            ovs::test::deleteKeyTreeInView(HKEY_LOCAL_MACHINE, "SOFTWARE", key.substr(9), view);
        }
    }
}

} // namespace

// Each row writes Acrobat's keys into the view the tool reads, runs a task with -startacrobat and
// expects a line of the output, the exit code as the caller sees it and how often the stand-in
// was started. That a key in the other view is not taken is proven in-process (AcrobatControl). The App Paths value is
// written exactly where the tool reads it: App Paths is one key in both views from Windows 7 on
// ("Registry Keys Affected by WOW64", Microsoft's Win32 documentation), so it has no other view.
TEST_F(EndToEnd, AcrobatIsStartedFromTheKeysOfTheViewTheToolReads) {
    const bool twoViews = ovs::test::registryHasTwoViews();
    const bool underWow64 = twoViews && sizeof(void*) == 4;
    const REGSAM toolView = underWow64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const std::string standIn = ovs::test::programPath("Acrobat.exe");
    struct Row {
        const char* name;
        bool appPath; // else the install folder
        const char* behaviour;
        std::vector<std::string> options;
        const char* outputHolds; // a regular expression
        std::uint32_t exitCode;
        long starts;
    } const rows[] = {
        // clang-format off
        {"App Paths, finished", true, "finish", {}, "\nStarting acrobat, please wait\n[\\s\\S]*\nTask finished at ", 0, 1},
        {"install folder, a plug-in error above 255", false, "fail:3505", {},
         "\nFraskPdfCmd: error OV3505 - There were errors while encrypting a document", ovs::msg::EncryptionErrors, 1},
        {"App Paths, restart after two documents", true, "finish:2", {"-restartacrobatevery:2"},
         "\nStarting acrobat, please wait\n[\\s\\S]*\n Whole number of processed documents: 2\n Trying to restart acrobat at .*\n"
         "\nStopping Acrobat\\.exe - try 0\n[\\s\\S]*Starting acrobat, please wait\n", 0, 2},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        removeAcrobatKeys();
        std::error_code error;
        fs::remove(native("stop-acrobat"), error);
        fs::remove(native("acrobat.log"), error);
        if (row.appPath) {
            ovs::test::setValue(HKEY_LOCAL_MACHINE, underWow64 ? AppPathsTwin : AppPaths, "", standIn, REG_SZ,
                                toolView);
        } else {
            const std::string plugIns = standIn.substr(0, standIn.rfind('\\')) + "\\plug_ins";
            ovs::test::setValue(HKEY_LOCAL_MACHINE, Settings, "InstallFolder", plugIns, REG_SZ, toolView);
        }
        std::vector<std::string> arguments = {"-startacrobat",       "-f:1", "-p:2", "-k:LS", "-o:" + work("out.pdf"),
                                              "-i:" + work("in.pdf")};
        arguments.insert(arguments.begin() + 1, row.options.begin(), row.options.end());
        ToolRun run = runTool(arguments, standInEnvironment(row.behaviour));
        stopStandIn();
        EXPECT_TRUE(std::regex_search(run.output, std::regex(row.outputHolds))) << run.output;
        EXPECT_EQ(seenExitCode(row.exitCode), run.exitCode) << run.output;
        std::vector<std::string> log = standInLog();
        EXPECT_EQ(row.starts, std::count_if(log.begin(), log.end(),
                                            [](const std::string& line) { return line.rfind("started ", 0) == 0; }));
        tasks_.empty();
    }
    removeAcrobatKeys();
}

// A document and an output folder whose names hold letters outside ASCII that the ANSI code page
// holds: the task file carries both names in that code page byte for byte, and the output lands
// in that folder under the document's own name.
TEST_F(EndToEnd, NamesOutsideAsciiTravelInTheAnsiCodePage) {
    // In the process's ANSI code page.
    const std::string books = ovs::narrowFromWide(L"B\u00fccher"),
                      resume = ovs::narrowFromWide(L"R\u00e9sum\u00e9.pdf");
    const std::string output = ovs::narrowFromWide(L"Ausgabe f\u00fcr B\u00fccher");
    ASSERT_EQ(ovs::platform::isPosixSubstitute() ? "B\xc3\xbc"
                                                   "cher"
                                                 : "B\xfc"
                                                   "cher",
              books);
    const std::string input = work(books) + "\\" + resume;
    ASSERT_TRUE(CreateDirectoryA(work(books).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(work(output).c_str(), nullptr));
    const auto document =
        ovs::test::fileBytes(ovs::platform::nativePathOf(ovs::test::sourcePath("tools/demo/docs/invoice.pdf")));
    ASSERT_TRUE(document.has_value());
    ovs::File file{ovs::FileString(input)}; // through the ANSI file functions, as the tool names files
    file.create(ovs::File::Write);
    file.write(document->data(), static_cast<std::uint32_t>(document->size()));
    file.close();
    startStandIn("process");
    ToolRun run = runTool({"-f:10", "-p:13", "-k:LS", "-o:" + work(output), "-i:" + input});
    stopStandIn();
    ASSERT_FALSE(run.lines.empty());
    EXPECT_TRUE(std::regex_search(run.lines.back(), std::regex("^Task finished at "))) << run.output;
    EXPECT_EQ(0u, run.exitCode) << run.output;
    ASSERT_EQ(1u, tasks_.names().size());
    const std::string task = tasks_.read(tasks_.names()[0]);
    EXPECT_NE(std::string::npos, task.find("\r\ni=" + input + "\r\n")) << task;
    EXPECT_NE(std::string::npos, task.find("\r\no=" + work(output) + "\r\n")) << task;
    for (const std::string& folder : {output, books}) {
        std::vector<std::string> names = ovs::platform::namesMatching(work(folder) + "\\*");
        names.erase(std::remove_if(names.begin(), names.end(), [](auto& name) { return name == "." || name == ".."; }),
                    names.end());
        EXPECT_EQ(std::vector<std::string>{resume}, names) << folder;
    }
}
