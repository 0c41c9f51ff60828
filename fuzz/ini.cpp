// The INI text store: load random text, apply random changes, save, load the saved text into
// a second store: both must hold the same sections, entries and values. A section without
// entries does not survive at the end of a text, and an empty key is never written, so both
// are left out of the comparison.
#include "profiling/ProfilingIniMemBuff.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using ovs::String;

namespace {

struct Store : ovs::ProfilingIniMemBuff {
    using ProfilingIni::serialise;
};

// Names and values as a caller writes them: one line without NUL; names without quotes,
// brackets or ";" (a comment key), and without "=" unless they are "key=value" pieces; names
// and values (pieces too) without outer blanks (the parser trims every line).
enum Kind { Value, Name, Pieces };
std::string text(FuzzedDataProvider& input, Kind kind) {
    std::string result = input.ConsumeRandomLengthString(kind == Pieces ? 64 : 24);
    std::string kept;
    for (char c : result) {
        const bool nameOnly = c == '"' || c == '[' || c == ']' || c == ';' || (c == '=' && kind == Name);
        if (c != '\r' && c != '\n' && c != '\0' && (kind == Value || !nameOnly)) {
            kept += c;
        }
    }
    for (std::size_t bar = kept.find('|'); bar != std::string::npos; bar = kept.find('|', bar + 1)) {
        while (bar > 0 && (kept[bar - 1] == ' ' || kept[bar - 1] == '\t')) {
            kept.erase(--bar, 1);
        }
    }
    kept.erase(0, kept.find_first_not_of(" \t"));
    kept.erase(kept.find_last_not_of(" \t") + 1);
    return kept;
}

// Every topic that has entries, with its entries and values: the topic tree walked from the top
// (sub-topics are sections named "parent/child").
void walk(Store& store, const String& topic, int depth, std::vector<std::string>& out) {
    std::vector<String> entries;
    if (!topic.empty()) {
        store.setTopic(topic);
        store.listEntries(entries);
        entries.erase(std::remove(entries.begin(), entries.end(), String()), entries.end());
    }
    if (!entries.empty()) {
        out.push_back("[" + topic + "]");
    }
    for (const String& entry : entries) {
        String value;
        store.readString(entry, value);
        out.push_back(entry + "=" + value);
    }
    std::vector<String> children;
    store.listTopics(children, topic.empty());
    for (const String& child : children) {
        if (depth < 8 && !child.empty()) {
            walk(store, topic.empty() ? child : String(topic + "/" + child), depth + 1, out);
        }
    }
}

std::vector<std::string> contents(Store& store) {
    std::vector<std::string> out;
    walk(store, String(), 0, out);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string file = input.ConsumeRandomLengthString(2048);
    Store first;
    first.setText(file.data(), file.size());
    for (int step = 0; step < 16 && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegralInRange(0, 4)) {
        case 0: first.setTopic(text(input, Name)); break;
        case 1: {
            const std::string key = text(input, Name);
            first.writeString(key, text(input, Value));
            break;
        }
        case 2: first.deleteEntry(text(input, Name)); break;
        case 3: first.deleteTopic(); break;
        default: first.writeTopicText(text(input, Pieces), '|'); break;
        }
    }
    // Saving writes the model; an unchanged store keeps the text it was loaded from.
    const bool changed = first.changed();
    first.flush();
    String saved;
    first.getText(saved);
    if (changed && saved != first.serialise()) {
        std::abort();
    }
    saved = first.serialise();
    // A NUL in the first two bytes reads as UTF-16 text without mark: no round trip for
    // names with NUL bytes taken over from the loaded file.
    if (saved.find('\0') != std::string::npos) {
        return 0;
    }
    Store second;
    second.setText(saved.data(), saved.size());
    const std::vector<std::string> before = contents(first);
    const std::vector<std::string> after = contents(second);
    if (before != after) {
        std::fprintf(stderr, "saved text:\n%s\n", saved.c_str());
        for (const std::string& line : before) {
            std::fprintf(stderr, "saved:    %s\n", line.c_str());
        }
        for (const std::string& line : after) {
            std::fprintf(stderr, "reloaded: %s\n", line.c_str());
        }
        std::abort();
    }
    return 0;
}
