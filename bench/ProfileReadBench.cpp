// One private-profile read of an unchanged task file against the floor of any such read:
// opening, reading and closing the same file through the same Win32 surface. Built for both
// targets from this source (no benchmark library on Windows), so that the figure of our
// substitute and that of the real implementation (under Wine) come from the same loop.
// Prints one line: "P5 profile_us=<per call> open_read_close_us=<per call> ok=<0|1>".
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

// A task file as the tool writes it: header, task section and a full parameter section.
std::string writeTaskFile(const std::string& path) {
    const char* header[][2] = {{"Guid", "{00000000-0000-1100-8000-0000C06B5161}"},
                               {"Description", "ORVA Frask Pdf Task File"},
                               {"Version", "1.00"},
                               {"Encoding", "UTF-8"}};
    for (auto& entry : header) {
        WritePrivateProfileStringA("ORVA-SYSTEMS Control File", entry[0], entry[1], path.c_str());
    }
    const char* task[][2] = {{"Id", "417"}, {"State", "Finished"}, {"MajorVersion", "21"}, {"MinorVersion", "2"}};
    for (auto& entry : task) {
        WritePrivateProfileStringA("Task", entry[0], entry[1], path.c_str());
    }
    const char* options[] = {
        "additionalsystems", "ad", "alg", "cf", "comp", "ed", "f", "i", "k", "la", "nw", "o", "p", "perm", "uco", "ucp",
        "usermessage"};
    for (const char* option : options) {
        WritePrivateProfileStringA("Parameter", option, "Z:\\home\\user\\documents\\input\\*.pdf", path.c_str());
    }
    return "Finished";
}

// The median over several batches of the time per call of work, in microseconds; work
// returns false when its result is wrong, which ends the measurement with -1.
template <class Work> double medianMicroseconds(int batches, int callsPerBatch, Work work) {
    std::vector<double> perCall;
    for (int b = 0; b < batches; ++b) {
        auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < callsPerBatch; ++i) {
            if (!work()) {
                return -1;
            }
        }
        std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - begin;
        perCall.push_back(spent.count() / callsPerBatch);
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall[perCall.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 5000;
    std::error_code error;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path(error) /
        ("ovs-profile-bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder, error);
    const std::string path = ovs::platform::windowsPathOf((folder / "Task417.ovc").string());
    const std::string expected = writeTaskFile(path);
    // A file changed a moment ago may be rewritten again within the same time stamp, so a
    // reader that keeps files must check it again; the unchanged file of this measurement
    // is one that was written a while ago.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::uintmax_t size = std::filesystem::file_size(folder / "Task417.ovc", error);

    char value[256];
    double profile = medianMicroseconds(7, calls, [&] {
        DWORD length = GetPrivateProfileStringA("Task", "State", "", value, sizeof value, path.c_str());
        return length == expected.size() && expected == value;
    });

    std::vector<char> bytes(static_cast<std::size_t>(size) + 1);
    double floor = medianMicroseconds(7, calls, [&] {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        DWORD got = 0;
        BOOL read = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(file);
        return read && got == size;
    });

    std::filesystem::remove_all(folder, error);
    const bool ok = profile > 0 && floor > 0 && size > 0;
    std::printf("P5 profile_us=%.2f open_read_close_us=%.2f ok=%d\n", profile, floor, ok ? 1 : 0);
    return ok ? 0 : 1;
}
