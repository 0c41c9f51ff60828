// Shared by the INI text store benchmarks: a large settings file with the text expected after
// the benchmark's changes, and the process's memory figures.
#pragma once
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace ovs::bench {

// Resident set size and its peak in bytes, from /proc/self/status (the bench is native only).
inline std::size_t statusValue(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, std::strlen(field), field) == 0) {
            return std::strtoull(line.c_str() + std::strlen(field) + 1, nullptr, 10) * 1024;
        }
    }
    return 0;
}

inline void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A settings file in the form the store writes: sections of forty entries and a comment
// line each, every section closed by an empty line. Also builds the text expected after
// the changes of the benchmark (one value replaced and one key added in the middle
// section, one section added at the end).
struct LargeIniFile {
    std::string text;
    std::string expected;
    unsigned middle = 0;

    explicit LargeIniFile(std::size_t bytes) {
        text.reserve(bytes + 4096);
        unsigned sections = 0;
        std::string middleText;
        for (unsigned s = 0; text.size() < bytes; ++s, ++sections) {
            std::string section =
                "[Section" + std::to_string(s) + "]\r\n;generated section " + std::to_string(s) + "\r\n";
            for (unsigned k = 0; k < 40; ++k) {
                section += "Key" + std::to_string(k) + "=value " + std::to_string(s * 40 + k) +
                           " with\ttab and \"quotes\"\r\n";
            }
            section += "\r\n";
            text += section;
        }
        middle = sections / 2;
        const std::string header = "[Section" + std::to_string(middle) + "]\r\n";
        expected = text;
        std::size_t start = expected.find(header);
        std::size_t end = expected.find("\r\n\r\n", start) + 2;
        std::string original = expected.substr(start, end - start);
        std::string changed = original;
        const std::string key = "\r\nKey7=";
        std::size_t value = changed.find(key) + key.size();
        changed.replace(value, changed.find("\r\n", value) - value, "changed");
        changed += "Added=new key\r\n";
        expected.replace(start, end - start, changed);
        expected += "[Appended]\r\nLast=1\r\n\r\n";
    }
};

} // namespace ovs::bench
