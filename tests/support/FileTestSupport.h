// Shared pieces of the file conformance tests: a private folder that is the current folder
// for the test's duration, and small helpers that make files and read names through the
// host's own file system, independent of the layer under test.
#pragma once
#include "Conformance.h"
#include "TestFolders.h"
#include "platform/Win32.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace ovs::test {

class InPrivateFolder {
public:
    InPrivateFolder() : previous_(current()) { SetCurrentDirectoryA(folder_.path().c_str()); }
    ~InPrivateFolder() { SetCurrentDirectoryA(previous_.c_str()); }
    InPrivateFolder(const InPrivateFolder&) = delete;
    InPrivateFolder& operator=(const InPrivateFolder&) = delete;

    const TempFolder& folder() const { return folder_; }
    // The folder as GetCurrentDirectoryA reports it while it is current.
    std::string current() const {
        char buffer[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, buffer);
        return buffer;
    }
    // Writes a file below the folder ("sub/x.txt" allowed) through the host's file system.
    void makeFile(const std::string& relative, const std::string& content = std::string()) const {
        std::filesystem::path path = folder_.native() / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }
    void makeFolder(const std::string& relative) const {
        std::filesystem::create_directories(folder_.native() / relative);
    }
    bool exists(const std::string& relative) const { return std::filesystem::exists(folder_.native() / relative); }
    std::string content(const std::string& relative) const {
        return fileBytes(folder_.native() / relative).value_or("");
    }

private:
    TempFolder folder_;
    std::string previous_;
};

} // namespace ovs::test
