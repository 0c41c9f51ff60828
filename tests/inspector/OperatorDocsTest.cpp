// The copy-paste examples of the documentation for Linux, run as a reader would paste them
// into a shell: the README's Unix paths and the release archive's quick start. Each runs the
// tool against the plug-in stand-in, which it starts itself, and the inspector.
#include "TaskTestFolder.h"
#include "TestPrograms.h"
#include "platform/ChildProcess.h"
#include "platform/PlatformInfo.h"
#include "process/Process.h"

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

// The indented block that follows the first line holding marker, without its indentation.
std::string exampleAfter(const fs::path& document, const std::string& marker) {
    std::ifstream in(document);
    std::string line, block;
    bool found = false;
    while (std::getline(in, line)) {
        if (!found) {
            found = line.find(marker) != std::string::npos;
        } else if (line.rfind("    ", 0) == 0 || line.rfind("  ", 0) == 0) {
            block += line.substr(line.find_first_not_of(' ')) + "\n";
        } else if (!line.empty() && !block.empty()) {
            break;
        }
    }
    return block;
}

} // namespace

TEST(OperatorDocs, TheLinuxExamplesRunAsPrinted) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "the examples are for the Linux build";
    }
    const fs::path source = ovs::platform::nativePathOf(ovs::test::sourcePath(""));
    const fs::path bin = ovs::platform::nativePathOf(ovs::test::programPath(""));
    struct Case {
        const char* name;
        fs::path document;
        const char* marker;    // the line before the example
        bool copyPrograms;     // the example runs ./FraskPdfCmd from an unpacked archive
        const char* documents; // where the example takes its documents from, below the folder
        const char* outputs;
        const char* listing; // the inspector's first line, after the folder's path
    } const cases[] = {
        {"README.md", source / "README.md", "This block is run by tests/inspector/OperatorDocsTest.cpp", false,
         "home folder/docs", "home folder/protected", "home folder/.config/ORVA-SYSTEMS/Veilgard PDF: 1 task file"},
        {"README.txt of the Linux archive", source / "tools/dist/README-linux.txt",
         "From this folder, with the stand-in", true, "archive folder/docs", "archive folder/protected",
         "config/ORVA-SYSTEMS/Veilgard PDF: 1 task file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TaskTestFolder tasks;
        const fs::path temp = tasks.temp().native();
        const std::string example = exampleAfter(c.document, c.marker);
        ASSERT_NE("", example);
        fs::create_directories(temp / c.documents);
        for (const char* document : {"brochure.pdf", "invoice.pdf", "manual.pdf"}) {
            fs::copy_file(source / "tools/demo/docs" / document, temp / c.documents / document);
        }
        // The stand-in, as -startacrobat finds it: this build's, or the archive folder's own copy.
        std::string acrobat = ovs::test::programPath("Acrobat.exe");
        fs::path folder = temp / "archive folder";
        if (c.copyPrograms) {
            for (const char* program : {"FraskPdfCmd", "FraskPdfTasks", "Acrobat.exe"}) {
                fs::copy_file(bin / program, folder / program);
            }
        } else {
            std::ofstream(temp / "registry" / "HKEY_LOCAL_MACHINE.reg")
                << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App "
                   "Paths\\Acrobat.exe]\r\n@=\""
                << std::regex_replace(acrobat, std::regex("\\\\"), "\\\\") << "\"\r\n\r\n";
        }
        ovs::platform::ChildProcess::Options options;
        options.program = "sh";
        options.arguments = {"-e", "-c", example};
        options.workingFolder = ovs::platform::windowsPathOf(folder.string());
        fs::create_directories(folder);
        options.environment = {
            {"PATH", bin.string() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin")},
            {"HOME", (temp / "home folder").string()},
            {"XDG_CONFIG_HOME", c.copyPrograms ? (temp / "config").string() : ""},
            {"OVS_ACROBAT_STOP_FILE", (temp / "stop").string()},
            {"OVS_ACROBAT_LOG", (temp / "acrobat.log").string()},
        };
        std::string output;
        std::uint32_t code = ovs::platform::runProgram(options, output);
        // Whatever the outcome, the stand-in the example started ends with the test.
        std::ofstream(temp / "stop") << "stop";
        for (int i = 0; i < 100 && ovs::Process(ovs::FileString("Acrobat.exe")).find(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_EQ(0u, code) << example << output;
        EXPECT_TRUE(
            std::regex_search(output, std::regex("\nTask finished at \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\n")))
            << output;
        EXPECT_NE(std::string::npos, output.find("Task folder " + (temp / c.listing).string() + "\n")) << output;
        EXPECT_EQ((std::vector<std::string>{"brochure.pdf", "invoice.pdf", "manual.pdf"}),
                  TaskTestFolder::namesIn(temp / c.outputs));
    }
}
