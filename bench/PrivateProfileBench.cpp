// Cost of one private-profile write and one read on a task-file-sized INI file: the tool
// polls a task file every 2 s, so each call must stay far below that.
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// A task file as the tool writes it: header, task section and a full parameter section.
class TaskFile {
public:
    TaskFile() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ovs-bench-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        path_ = ovs::platform::windowsPathOf(folder_) + "\\Task417.ovc";
        // clang-format off
        const char* header[][2] = {{"Guid", "{00000000-0000-1100-8000-0000C06B5161}"},
                                   {"Description", "ORVA Frask Pdf Task File"}, {"Version", "1.00"},
                                   {"Encoding", "UTF-8"}};
        // clang-format on
        for (auto& entry : header) {
            WritePrivateProfileStringA("ORVA-SYSTEMS Control File", entry[0], entry[1], path_.c_str());
        }
        const char* task[][2] = {{"Id", "417"}, {"State", "Request"}, {"MajorVersion", "21"}, {"MinorVersion", "2"}};
        for (auto& entry : task) {
            WritePrivateProfileStringA("Task", entry[0], entry[1], path_.c_str());
        }
        // clang-format off
        const char* options[] = {"additionalsystems",
                                 "ad",
                                 "alg",
                                 "cf",
                                 "comp",
                                 "ed",
                                 "f",
                                 "i",
                                 "k",
                                 "la",
                                 "nw",
                                 "o",
                                 "p",
                                 "perm",
                                 "uco",
                                 "ucp",
                                 "usermessage"};
        // clang-format on
        for (const char* option : options) {
            WritePrivateProfileStringA("Parameter", option, "Z:\\home\\user\\documents\\input\\*.pdf", path_.c_str());
        }
    }
    ~TaskFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const char* path() const { return path_.c_str(); }

private:
    std::string folder_;
    std::string path_;
};

void BM_WriteState(benchmark::State& state) {
    TaskFile file;
    const char* states[] = {"Accepted", "Finished"};
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(WritePrivateProfileStringA("Task", "State", states[i++ & 1], file.path()));
    }
}
BENCHMARK(BM_WriteState);

void BM_ReadState(benchmark::State& state) {
    TaskFile file;
    char buffer[512];
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPrivateProfileStringA("Task", "State", "", buffer, sizeof buffer, file.path()));
    }
}
BENCHMARK(BM_ReadState);

void BM_ReadInteger(benchmark::State& state) {
    TaskFile file;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPrivateProfileIntA("Task", "MajorVersion", 0, file.path()));
    }
}
BENCHMARK(BM_ReadInteger);

} // namespace

BENCHMARK_MAIN();
