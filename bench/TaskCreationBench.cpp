// Cost of creating a task in a crowded task folder: one listing of the folder picks a free id,
// so a folder with every name taken is refused and one with 9990 names taken gets its task
// far faster than a look-up per candidate name would allow.
#include "RequestTask.h"
#include "platform/PlatformInfo.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A task folder of its own (through XDG_CONFIG_HOME) holding Task0.ovc to Task<taken - 1>.ovc.
class CrowdedFolder {
public:
    explicit CrowdedFolder(int taken) {
        std::string pattern = (std::filesystem::temp_directory_path() / "ovs-bench-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        ovs::platform::setEnvironmentVariable("XDG_CONFIG_HOME", root_);
        folder_ = ovs::platform::nativePathOf(Task::taskFolder());
        for (int id = 0; id < taken; ++id) {
            std::ofstream(folder_ / ("Task" + std::to_string(id) + ".ovc"));
        }
    }
    ~CrowdedFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    const std::filesystem::path& folder() const { return folder_; }

private:
    std::string root_;
    std::filesystem::path folder_;
};

void BM_RefusedWithAllNamesTaken(benchmark::State& state) {
    CrowdedFolder crowded(10000);
    for (auto _ : state) {
        RequestTask request{ovs::FileString()};
        try {
            request.submit(ParameterMap());
            state.SkipWithError("a task was created in a full folder");
        } catch (const ovs::Exception&) {
        }
    }
}
BENCHMARK(BM_RefusedWithAllNamesTaken)->Unit(benchmark::kMillisecond);

void BM_CreatedWith9990NamesTaken(benchmark::State& state) {
    CrowdedFolder crowded(9990);
    for (auto _ : state) {
        std::uint32_t id = 0;
        {
            RequestTask request{ovs::FileString()};
            id = request.submit(ParameterMap());
        }
        state.PauseTiming();
        std::filesystem::remove(crowded.folder() / ("Task" + std::to_string(id) + ".ovc"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CreatedWith9990NamesTaken)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
