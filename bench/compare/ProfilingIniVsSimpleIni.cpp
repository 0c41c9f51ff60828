// The INI text store against SimpleIni on the same large file: load, make the same three
// changes, save. Each side is checked (ours: the saved bytes are the original with exactly
// the changes; SimpleIni: its saved file reads back with the changed values), timed (best of
// the runs, wall and processor time) and measured for its peak memory above the baseline.
// Prints one line for the benchmark table:
//   P4 ours_s=… simpleini_s=… ratio=… peak_ratio=… simpleini_peak_ratio=… ours_cpu_s=… simpleini_cpu_s=… cpu_ratio=…
//   file_MB=…
// ratio is SimpleIni's time over ours (how many times our throughput is SimpleIni's);
// peak_ratio is our peak memory over the file size. Usage: ProfilingIniVsSimpleIni [MB] [runs]
#include "profiling/ProfilingIni.h"
#include "../IniBenchSupport.h"

#include <SimpleIni.h>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace {

struct Figures {
    double seconds = 1e300;
    double cpuSeconds = 1e300;
    double peakRatio = 0;
};

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Writes the original file, runs the work (which must release its memory before it
// returns) and keeps the best time and the highest peak; check tells whether the result
// is right.
bool measure(const std::filesystem::path& path, const std::string& original, std::size_t size,
             const std::function<void()>& work, const std::function<bool()>& check, Figures& figures) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(original.data(), static_cast<std::streamsize>(original.size()));
    }
    malloc_trim(0); // what the side before freed does not count for this one
    const double baseline = double(ovs::bench::statusValue("VmRSS:"));
    ovs::bench::resetPeakMemory();
    const double cpuBegin = processorSeconds();
    const auto begin = std::chrono::steady_clock::now();
    work();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const double cpuSeconds = processorSeconds() - cpuBegin;
    const double peak = std::max(0.0, double(ovs::bench::statusValue("VmHWM:")) - baseline) / double(size);
    figures.seconds = std::min(figures.seconds, seconds);
    figures.cpuSeconds = std::min(figures.cpuSeconds, cpuSeconds);
    figures.peakRatio = std::max(figures.peakRatio, peak);
    return check();
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const ovs::bench::LargeIniFile file(megabytes << 20);
    const std::string section = "Section" + std::to_string(file.middle);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("ovs-ini-compare-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / "large.ini";
    const std::size_t size = file.text.size();

    Figures ours;
    Figures simple;
    bool right = true;
    for (int run = 0; run < runs && right; ++run) {
        right = measure(
            path, file.text, size,
            [&] {
                ovs::ProfilingIni store;
                store.setFile("Z:" + path.string());
                store.setTopic(section);
                store.writeString("Key7", "changed");
                store.writeString("Added", "new key");
                store.setTopic("Appended");
                store.writeString("Last", "1");
                store.flush();
            },
            [&] { return fileBytes(path) == file.expected; }, ours);
        if (!right) {
            std::fprintf(stderr, "the INI text store's saved file is not the original with the changes\n");
            break;
        }
        right = measure(
            path, file.text, size,
            [&] {
                CSimpleIniA ini(false, true, false); // not UTF-8 aware, repeated keys kept, one line each
                ini.SetSpaces(false);
                if (ini.LoadFile(path.c_str()) < 0 ||
                    ini.SetValue(section.c_str(), "Key7", "changed", nullptr, true) < 0 ||
                    ini.SetValue(section.c_str(), "Added", "new key") < 0 ||
                    ini.SetValue("Appended", "Last", "1") < 0 || ini.SaveFile(path.c_str()) < 0) {
                    std::fprintf(stderr, "SimpleIni failed\n");
                }
            },
            [&] {
                CSimpleIniA ini(false, true, false);
                if (ini.LoadFile(path.c_str()) < 0) {
                    return false;
                }
                return std::string(ini.GetValue(section.c_str(), "Key7", "")) == "changed" &&
                       std::string(ini.GetValue(section.c_str(), "Added", "")) == "new key" &&
                       std::string(ini.GetValue("Appended", "Last", "")) == "1" &&
                       std::string(ini.GetValue("Section0", "Key1", "")) == "value 1 with\ttab and \"quotes\"";
            },
            simple);
        if (!right) {
            std::fprintf(stderr, "SimpleIni's saved file does not read back with the changes\n");
        }
    }
    std::filesystem::remove_all(folder);
    if (!right) {
        return 1;
    }
    std::printf("P4 ours_s=%.3f simpleini_s=%.3f ratio=%.2f peak_ratio=%.2f simpleini_peak_ratio=%.2f "
                "ours_cpu_s=%.3f simpleini_cpu_s=%.3f cpu_ratio=%.2f file_MB=%.1f\n",
                ours.seconds, simple.seconds, simple.seconds / ours.seconds, ours.peakRatio, simple.peakRatio,
                ours.cpuSeconds, simple.cpuSeconds, simple.cpuSeconds / ours.cpuSeconds, double(size) / (1 << 20));
    return 0;
}
