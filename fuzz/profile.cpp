// Private profiles: random file bytes, then random reads and writes through the profile
// functions. A write may change only the entry (or section) it names, and a value written
// reads back; reads into buffers of every size stay inside them.
#include "platform/posix/file/ZPath.h"
#include "platform/posix/profile/WinProfile.h"
#include "platform/posix/text/WinText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

using Entries = std::map<std::pair<std::string, std::string>, std::string>; // folded names -> value

std::string folded(std::string text) {
    for (char& c : text) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    return text;
}

std::vector<std::string> list(const char* section, const char* file) {
    std::vector<char> buffer(1 << 16);
    const DWORD length = GetPrivateProfileStringA(section, nullptr, "", buffer.data(), 1 << 16, file);
    std::vector<std::string> items;
    for (std::size_t at = 0; at < length; at += items.back().size() + 1) {
        items.emplace_back(buffer.data() + at);
    }
    return items;
}

// Every entry the functions can see: the first of each section name, the first of each key.
Entries entries(const char* file) {
    Entries result;
    std::vector<char> buffer(1 << 16);
    for (const std::string& section : list(nullptr, file)) {
        for (const std::string& key : list(section.c_str(), file)) {
            GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(), 1 << 16, file);
            result.emplace(std::make_pair(folded(section), folded(key)), buffer.data());
        }
    }
    return result;
}

// Names as callers pass them: one line, no outer spaces (they are trimmed), sections without
// "]", keys without "=" and not starting with "[" or ";"; values one line, without outer blanks
// or quotes (a read trims and unquotes them).
enum Kind { Section, Key, Value };
std::string text(FuzzedDataProvider& input, Kind kind) {
    std::string kept;
    for (char c : input.ConsumeRandomLengthString(16)) {
        if (c != '\r' && c != '\n' && c != '\0' && !(kind == Section && c == ']') && !(kind == Key && c == '=')) {
            kept += c;
        }
    }
    while (!kept.empty() && (kept.back() == ' ' || kept.back() == '\t' || kept.back() == '\v' || kept.back() == '"' ||
                             kept.back() == '\'')) {
        kept.pop_back();
    }
    while (!kept.empty() && (kept[0] == ' ' || kept[0] == '\t' || kept[0] == '\v' || kept[0] == '"' ||
                             kept[0] == '\'' || (kind != Value && (kept[0] == '[' || kept[0] == ';')))) {
        kept.erase(0, 1);
    }
    return kept;
}

// A UTF-16 file holds what the ANSI code page (UTF-8 here) can say: bytes that are not valid
// in it are stored as U+FFFD, so writes of such names or values into one are not compared.
bool unicodeFile(const std::string& path) {
    char mark[2] = {};
    std::ifstream(path, std::ios::binary).read(mark, 2);
    return mark[0] == '\xFF' && mark[1] == '\xFE';
}

bool ansiText(const std::string& text) {
    return text.empty() || MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                               nullptr, 0) > 0;
}

void fail(const char* what, const Entries& before, const Entries& after) {
    std::fprintf(stderr, "%s\n", what);
    for (const auto& [name, value] : before) {
        std::fprintf(stderr, "before [%s] %s=%s\n", name.first.c_str(), name.second.c_str(), value.c_str());
    }
    for (const auto& [name, value] : after) {
        std::fprintf(stderr, "after  [%s] %s=%s\n", name.first.c_str(), name.second.c_str(), value.c_str());
    }
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = [] {
        static char name[] = "/tmp/fuzz-profile-XXXXXX";
        std::atexit([] { std::filesystem::remove_all(name); });
        return std::string(mkdtemp(name));
    }();
    static const std::string file = ovs::posix::windowsPathFrom(folder + "/p.ini");
    FuzzedDataProvider input(data, size);
    const std::string initial = input.ConsumeRandomLengthString(2048);
    std::ofstream(folder + "/p.ini", std::ios::binary) << initial;
    // The name lists are NUL-separated, so a name holding a NUL byte comes back in pieces (an
    // empty piece among them) that name no entry: such files are read and written for the
    // sanitizers, but the model of their entries is not compared.
    const bool modelled = initial.find('\0') == std::string::npos;

    for (int step = 0; step < 8 && input.remaining_bytes() > 0; ++step) {
        const int call = input.ConsumeIntegralInRange(0, 4);
        const std::string section = text(input, Section);
        const std::string key = text(input, Key);
        const std::string value = text(input, Value);
        if (call == 0) { // a read into a buffer of exactly nSize bytes
            const DWORD bufferSize = input.ConsumeIntegralInRange<DWORD>(0, 64);
            std::vector<char> buffer(bufferSize);
            const bool names = input.ConsumeBool();
            if (input.ConsumeBool()) {
                GetPrivateProfileSectionA(section.c_str(), buffer.data(), bufferSize, file.c_str());
            } else {
                GetPrivateProfileStringA(names ? nullptr : section.c_str(), names ? nullptr : key.c_str(),
                                         value.c_str(), buffer.data(), bufferSize, file.c_str());
            }
            continue;
        }
        const bool comparable =
            modelled && (!unicodeFile(folder + "/p.ini") || (ansiText(section) && ansiText(key) && ansiText(value)));
        Entries before = entries(file.c_str());
        const auto name = std::make_pair(folded(section), folded(key));
        bool written = false;
        if (call == 1 && !section.empty() && !key.empty()) {
            written = WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
            before.erase(name);
            if (written) {
                before[name] = value;
            }
        } else if (call == 2) {
            written = WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str());
            before.erase(name);
        } else if (call == 3) {
            written = WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str());
            for (auto it = before.begin(); it != before.end();) {
                it = it->first.first == name.first ? before.erase(it) : std::next(it);
            }
        } else if (call == 4 && !section.empty() && !key.empty()) {
            const std::string lines = key + "=" + value + '\0' + '\0';
            written = WritePrivateProfileSectionA(section.c_str(), lines.c_str(), file.c_str());
            for (auto it = before.begin(); it != before.end();) {
                it = it->first.first == name.first ? before.erase(it) : std::next(it);
            }
            if (written) {
                before[name] = value;
            }
        }
        if (!written || !comparable) {
            continue;
        }
        const Entries after = entries(file.c_str());
        if (after != before) {
            fail("a write changed more than its entry", before, after);
        }
    }
    return 0;
}
