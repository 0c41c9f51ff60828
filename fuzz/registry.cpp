// Registry roots as .reg text: load random text, apply random changes, write the text, read it
// into a second root: the second root must write the same text.
#include "platform/posix/registry/RegistryText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace ovs::posix;

namespace {

// Key paths and value names as the registry functions take them: one line.
std::string text(FuzzedDataProvider& input) {
    std::string kept;
    for (char c : input.ConsumeRandomLengthString(24)) {
        if (c != '\r' && c != '\n' && c != '\0') {
            kept += c;
        }
    }
    return kept;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    RegistryText first("HKEY_CURRENT_USER");
    first.load(input.ConsumeRandomLengthString(2048));
    std::string path;
    for (int step = 0; step < 16 && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegralInRange(0, 4)) {
        case 0: {
            bool created = false;
            path = text(input);
            first.create(path, created);
            break;
        }
        case 1:
            if (RegistryKeyData* key = first.find(path)) {
                const std::string name = text(input);
                const DWORD type = input.ConsumeIntegralInRange<DWORD>(0, 12);
                const std::string bytes = input.ConsumeRandomLengthString(16);
                key->setValue(name, type, std::vector<BYTE>(bytes.begin(), bytes.end()));
            }
            break;
        case 2:
            if (RegistryKeyData* key = first.find(path)) {
                key->eraseValue(text(input));
            }
            break;
        case 3: first.erase(text(input)); break;
        default: first.subKeyNames(text(input)); break;
        }
    }
    const std::string saved = first.format();
    RegistryText second("HKEY_CURRENT_USER");
    second.load(saved);
    const std::string reloaded = second.format();
    if (reloaded != saved) {
        std::fprintf(stderr, "saved:\n%s\nreloaded:\n%s\n", saved.c_str(), reloaded.c_str());
        std::abort();
    }
    return 0;
}
