// A task folder of the test's own for the in-process task tests (app and inspector suites): natively the
// application-data folder is pointed into a private temporary folder; under Wine it is the build prefix's own, emptied
// before and after each test.
#pragma once
#include "Task.h"
#include "TestFolders.h"
#include "platform/ChildProcess.h"
#include "platform/PlatformInfo.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <algorithm>

class TaskTestFolder {
public:
    TaskTestFolder() {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadXdg_ = old != nullptr;
        oldXdg_ = hadXdg_ ? old : "";
        ovs::platform::setEnvironmentVariable("XDG_CONFIG_HOME", (temp_.native() / "config").string());
        folder_ = Task::taskFolder();
        empty();
    }
    ~TaskTestFolder() {
        empty();
        ovs::platform::setEnvironmentVariable("XDG_CONFIG_HOME", hadXdg_ ? oldXdg_ : "");
    }

    // The task folder in Windows form.
    const std::string& path() const { return folder_; }
    std::string file(const std::string& name) const { return folder_ + "\\" + name; }
    std::filesystem::path native(const std::string& name) const {
        return std::filesystem::path(ovs::platform::nativePathOf(file(name)));
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(native(name)); }

    std::string read(const std::string& name) const {
        std::ifstream in(native(name), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void write(const std::string& name, const std::string& content) const {
        std::ofstream out(native(name), std::ios::binary | std::ios::trunc);
        out << content;
    }

    // A task file as the tool writes it, with the given Task entries after Id.
    void writeTask(const std::string& name, const std::string& taskEntries, const std::string& version = "1.00") const {
        write(name, "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5161}\r\n"
                    "Description=ORVA Frask Pdf Task File\r\nVersion=" +
                        version +
                        "\r\nEncoding=UTF-8\r\n"
                        "[Task]\r\nId=1\r\n" +
                        taskEntries + "MajorVersion=21\r\nMinorVersion=2\r\n");
    }

    // The names of the files in the task folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(ovs::platform::nativePathOf(folder_), error)) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }
    // Removes every file of the task folder.
    void empty() const {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(ovs::platform::nativePathOf(folder_), error)) {
            std::filesystem::remove(entry.path(), error);
        }
    }

private:
    ovs::test::TempFolder temp_;
    std::string folder_;
    std::string oldXdg_;
    bool hadXdg_ = false;
};

// Expects action to raise an ovs::Exception with number and, unless null, first argument;
// returns the exception's message ("" when none was raised).
template <class Action> std::string expectError(Action action, int number, const char* argument = nullptr) {
    try {
        action();
        ADD_FAILURE() << "no error " << number;
    } catch (const ovs::Exception& error) {
        EXPECT_EQ(number, error.number());
        if (argument != nullptr) {
            EXPECT_EQ(argument, std::string(error.argument(1)));
        }
        return error.message();
    }
    return "";
}
