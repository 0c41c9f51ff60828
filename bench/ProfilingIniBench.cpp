// Loading, changing and saving a large INI text file through ovs::ProfilingIni: the time,
// the throughput, and the memory the store needs in relation to the file's size. Every run
// checks that the saved file is the original with exactly the changes made, in order.
#include "profiling/ProfilingIni.h"
#include "IniBenchSupport.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace {

using ovs::bench::LargeIniFile;
using ovs::bench::resetPeakMemory;
using ovs::bench::statusValue;

void BM_LoadChangeSave(benchmark::State& state) {
    const std::size_t bytes = static_cast<std::size_t>(state.range(0)) << 20;
    const LargeIniFile file(bytes);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("ovs-ini-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path native = folder / "large.ini";
    const std::string windowsPath = "Z:" + native.string();

    double seconds = 0;
    double memoryRatio = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            std::ofstream out(native, std::ios::binary | std::ios::trunc);
            out.write(file.text.data(), static_cast<std::streamsize>(file.text.size()));
        }
        const std::size_t baseline = statusValue("VmRSS:");
        resetPeakMemory();
        state.ResumeTiming();

        const auto begin = std::chrono::steady_clock::now();
        {
            ovs::ProfilingIni store;
            store.setFile(windowsPath);
            store.setTopic("Section" + std::to_string(file.middle));
            store.writeString("Key7", "changed");
            store.writeString("Added", "new key");
            store.setTopic("Appended");
            store.writeString("Last", "1");
            store.flush();
            memoryRatio = double(statusValue("VmHWM:") - baseline) / double(file.text.size());
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

        state.PauseTiming();
        std::ifstream in(native, std::ios::binary);
        const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (saved != file.expected) {
            state.SkipWithError("the saved file is not the original with the changes");
        }
        state.ResumeTiming();
    }
    std::filesystem::remove_all(folder);
    state.counters["file_MB"] = double(file.text.size()) / (1 << 20);
    state.counters["MB_per_s"] = double(file.text.size()) / (1 << 20) / seconds;
    state.counters["peak_memory_per_file_byte"] = memoryRatio;
    std::printf("%.1f MB loaded, changed and saved in %.2f s; peak memory %.2f x the file size\n",
                double(file.text.size()) / (1 << 20), seconds, memoryRatio);
}
BENCHMARK(BM_LoadChangeSave)->Arg(10)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
