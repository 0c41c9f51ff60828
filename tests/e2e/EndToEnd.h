// The end-to-end harness: runs the real FraskPdfCmd against the real plug-in stand-in in a
// task folder and registry of the test's own. Natively both programs are pointed at a private
// temporary folder through XDG_CONFIG_HOME, HOME and OVS_REGISTRY_DIR; under Wine they share the
// build prefix's own AppData and registry, and the task folder is emptied around each test.
// The tests take real seconds (the tool polls every 2 s) and must not run concurrently with
// each other: the tool finds Acrobat by process name, machine-wide.
#pragma once
#include "TaskTestFolder.h"
#include "platform/ChildProcess.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using Variables = std::vector<std::pair<std::string, std::string>>;
// The variables of a run without an application-data folder, whose task folder is the current one.
const Variables NoApplicationData = {{"XDG_CONFIG_HOME", ""}, {"HOME", ""}};

struct ToolRun {
    std::uint32_t exitCode = 0;
    std::string output; // carriage returns removed
    std::vector<std::string> lines;
};

class EndToEnd : public ::testing::Test {
protected:
    void TearDown() override { stopStandIn(); }

    // Starts the stand-in with the given behaviour (OVS_ACROBAT_BEHAVIOUR) and waits until it
    // watches the task folder.
    void startStandIn(const std::string& behaviour);
    // The stand-in's variables, which the tool also passes on to an Acrobat it starts.
    Variables standInEnvironment(const std::string& behaviour) const;
    // Asks every stand-in of this test to end and waits for the one started here.
    void stopStandIn();

    // Runs FraskPdfCmd with the arguments (and extra environment) and waits for it; a wrapper
    // (a POSIX program and its arguments, such as setpriv) runs it in its stead.
    ToolRun runTool(const std::vector<std::string>& arguments, const Variables& environment = {},
                    const std::vector<std::string>& wrapper = {});
    // What runTool starts, for a run that is not waited for at once.
    ovs::platform::ChildProcess::Options toolOptions(const std::vector<std::string>& arguments,
                                                     const Variables& environment = {},
                                                     const std::vector<std::string>& wrapper = {}) const;
    // The lines of a tool's output, carriage returns removed.
    static ToolRun toolRun(std::uint32_t exitCode, const std::string& output);

    // The exit code the caller sees: in full under Wine, the low 8 bits natively (255 when
    // those are all zero).
    static std::uint32_t seenExitCode(std::uint32_t code);

    // A folder of the test's own for documents (Windows form) and its host form.
    std::string work(const std::string& name) const { return tasks_.temp() / name; }
    std::filesystem::path native(const std::string& name) const { return ovs::platform::nativePathOf(work(name)); }
    // The lines the stand-in logged.
    std::vector<std::string> standInLog() const;

    // Natively, points programs_ at the release build that make test brings up to date from the
    // same sources and names in OVS_RELEASE_BIN_DIR (fails the test when a program is missing
    // there); false when no such build is named, and under Wine.
    bool useReleaseBuild();

    TaskTestFolder tasks_;
    // The folder of the tool and the stand-in to run (Windows form, with its separator); empty:
    // this build's.
    std::string programs_;

private:
    std::unique_ptr<ovs::platform::ChildProcess> standIn_;
};

// The wrapper that runs the tool as an ordinary user (nobody) when the tests run as the
// superuser, who may write anywhere; none otherwise.
std::vector<std::string> ordinaryUser();
