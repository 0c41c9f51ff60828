// Creating a task in a crowded task folder: with all 10,000 task names taken the request is
// refused, with 9,990 taken it gets one of the ten free names. Each run checks its outcome
// (the refusal's message number, the new file under a freed name) and leaves the folder as
// it found it. Prints "P6 refusal_ms=<median> create_ms=<median> ok=<0|1>".
#include "RequestTask.h"
#include "runtime/Exception.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int FreeText = 1000;

struct TaskFolder {
    fs::path home;
    fs::path folder;
    TaskFolder() {
        home = fs::temp_directory_path() / ("ovs-taskid-bench-" + std::to_string(::getpid()));
        folder = home / "ORVA-SYSTEMS" / "Veilgard PDF";
        fs::create_directories(folder);
        ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        for (int id = 0; id < 10000; ++id) {
            std::ofstream(folder / ("Task" + std::to_string(id) + ".ovc"));
        }
    }
    ~TaskFolder() {
        std::error_code ignored;
        fs::remove_all(home, ignored);
    }
    fs::path task(std::uint32_t id) const { return folder / ("Task" + std::to_string(id) + ".ovc"); }
};

TaskFolder* taskFolder = nullptr;
std::vector<double> refusals;
std::vector<double> creations;
bool allRight = true;

double millisecondsSince(std::chrono::steady_clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

void BM_RefusalWhenAllTaken(benchmark::State& state) {
    for (auto _ : state) {
        int number = 0;
        auto begin = std::chrono::steady_clock::now();
        try {
            RequestTask(ovs::FileString()).submit(ParameterMap());
        } catch (const ovs::Exception& error) {
            number = error.number();
        }
        refusals.push_back(millisecondsSince(begin));
        if (number != FreeText) {
            allRight = false;
            state.SkipWithError("the request was not refused with 1000");
        }
    }
}
BENCHMARK(BM_RefusalWhenAllTaken)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_CreationWhenTenFree(benchmark::State& state) {
    const std::set<std::uint32_t> freed = {17, 1234, 2500, 3333, 4096, 5000, 6789, 8000, 9001, 9999};
    for (std::uint32_t id : freed) {
        fs::remove(taskFolder->task(id));
    }
    for (auto _ : state) {
        std::uint32_t id = 10000;
        auto begin = std::chrono::steady_clock::now();
        try {
            id = RequestTask(ovs::FileString()).submit(ParameterMap());
        } catch (const ovs::Exception&) {
        }
        creations.push_back(millisecondsSince(begin));
        if (freed.count(id) == 0 || fs::file_size(taskFolder->task(id)) == 0) {
            allRight = false;
            state.SkipWithError("the task was not created under a freed name");
            break;
        }
        fs::remove(taskFolder->task(id));
    }
    for (std::uint32_t id : freed) {
        std::ofstream(taskFolder->task(id));
    }
}
BENCHMARK(BM_CreationWhenTenFree)->Iterations(9)->Unit(benchmark::kMillisecond);

double median(std::vector<double> values) {
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    TaskFolder folder;
    taskFolder = &folder;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const bool ok = allRight && !refusals.empty() && !creations.empty();
    std::printf("P6 refusal_ms=%.2f create_ms=%.2f ok=%d\n", median(refusals), median(creations), ok ? 1 : 0);
    return ok ? 0 : 1;
}
