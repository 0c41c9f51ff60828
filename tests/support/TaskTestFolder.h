// A task folder of the test's own for the task tests (app, inspector and end-to-end suites): natively the
// application-data, home and registry folders are pointed into a private temporary folder; under Wine the task folder
// is the build prefix's own, emptied before and after each test. Also the bytes of a task file as the tool writes it.
#pragma once
#include "Conformance.h"
#include "RuntimeTestSupport.h"
#include "Task.h"
#include "TestFolders.h"
#include "platform/PlatformInfo.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The header of a task file, and a whole request with the given Task entries after Id.
inline std::string taskHeader(const std::string& version = "1.00") {
    return "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5161}\r\n"
           "Description=ORVA Frask Pdf Task File\r\nVersion=" +
           version + "\r\nEncoding=UTF-8\r\n";
}
inline std::string taskText(const std::string& taskEntries, std::uint32_t id = 1, const std::string& version = "1.00") {
    return taskHeader(version) + "[Task]\r\nId=" + std::to_string(id) + "\r\n" + taskEntries +
           "MajorVersion=21\r\nMinorVersion=2\r\n";
}

class TaskTestFolder {
public:
    TaskTestFolder() {
        std::filesystem::create_directories(temp_.native() / "config");
        std::filesystem::create_directories(temp_.native() / "registry");
        folder_ = Task::taskFolder();
        empty();
    }
    ~TaskTestFolder() { empty(); }

    // The task folder in Windows form, and the private folder that holds the others.
    const std::string& path() const { return folder_; }
    const ovs::test::TempFolder& temp() const { return temp_; }
    std::string file(const std::string& name) const { return folder_ + "\\" + name; }
    std::filesystem::path native(const std::string& name) const {
        return std::filesystem::path(ovs::platform::nativePathOf(file(name)));
    }

    std::string read(const std::string& name) const { return ovs::test::fileBytes(native(name)).value_or(""); }
    void write(const std::string& name, const std::string& content) const {
        std::ofstream(native(name), std::ios::binary | std::ios::trunc) << content;
    }

    // The names in the task folder or another one, sorted.
    std::vector<std::string> names() const { return namesIn(native("")); }
    static std::vector<std::string> namesIn(const std::filesystem::path& folder) {
        std::vector<std::string> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }
    // Removes every file of the task folder.
    void empty() const {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(native(""), error)) {
            std::filesystem::remove(entry.path(), error);
        }
    }

private:
    ovs::test::TempFolder temp_;
    ovs::test::ScopedVariable configuration_{"XDG_CONFIG_HOME", (temp_.native() / "config").string()};
    ovs::test::ScopedVariable home_{"HOME", temp_.native().string()};
    ovs::test::ScopedVariable registry_{"OVS_REGISTRY_DIR", (temp_.native() / "registry").string()};
    std::string folder_;
};

// Expects action to raise an ovs::Exception with number and, unless null, first argument;
// returns the exception's message.
template <class Action> std::string expectError(Action action, int number, const char* argument = nullptr) {
    const ovs::Exception error = ovs::test::expectException(number, action);
    EXPECT_TRUE(argument == nullptr || argument == std::string(error.argument(1))) << error.argument(1);
    return error.message();
}
