// Control-file headers: the first bytes choose the type's flags and versions, the rest is the
// file text. Checking the header either passes or fails with one of its own message numbers;
// a header the type writes itself always passes. The one reader of a header's values gives,
// from the section's lines and from the file's text, what a private-profile look-up of each
// entry gives for the same file.
#include "MessageNumbers.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"
#include "profiling/OrvaCtrlFile.h"
#include "profiling/ProfilingImpl.h"
#include "runtime/Exception.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct File : ovs::OrvaCtrlFile {
    explicit File(const ControlFileType* type) { setType(type); }
};

const GUID typeGuid = {0x00000000, 0x0000, 0x1100, {0x80, 0x00, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};

// Header errors, and the scanner's errors for a bad Version text.
bool headerError(int number) {
    namespace msg = ovs::msg;
    return number == msg::RegistryNameNotFound || number == msg::FileCorrupt || number == msg::WrongFileType ||
           number == msg::VersionTooOld || number == msg::BadVersion || number / 100 == msg::FreeError / 100;
}

[[noreturn]] void differs(const char* what, int key, std::string_view ours, const std::string& lookedUp) {
    std::fprintf(stderr, "%s: value %d reads \"%.*s\", a look-up \"%s\"\n", what, key, static_cast<int>(ours.size()),
                 ours.data(), lookedUp.c_str());
    std::abort();
}

// The header's values as the one reader takes them from lines, against a look-up of each.
void compare(const char* what, const ovs::OrvaCtrlFile::HeaderValues& values, const std::string& path) {
    static const char* const keys[3] = {"Guid", "Specification", "Version"};
    for (int key = 0; key < 3; ++key) {
        char buffer[512] = {};
        DWORD length = GetPrivateProfileStringA(ovs::OrvaCtrlFile::HeaderTopic, keys[key], "\n", buffer, sizeof buffer,
                                                path.c_str());
        const bool found = !(length == 1 && buffer[0] == '\n');
        const std::string lookedUp(buffer, found ? length : 0);
        if (found != values.found[key] || lookedUp != values.value[key]) {
            differs(what, key, values.found[key] ? values.value[key] : "(absent)", found ? lookedUp : "(absent)");
        }
    }
}

void compareWithLookUps(const std::string& text) {
    static const std::string folder = [] {
        static char name[] = "/tmp/ovs-fuzz-header-XXXXXX"; // removed again when the run ends
        std::atexit([] { std::filesystem::remove_all(name); });
        return std::string(mkdtemp(name));
    }();
    // A new name for every input: the profile functions keep the last file they read.
    static unsigned count = 0;
    const std::string native = folder + "/header" + std::to_string(count++) + ".ini";
    std::ofstream(native, std::ios::binary | std::ios::trunc) << text;
    const std::string path = ovs::platform::windowsPathOf(native);
    std::vector<char> list(1 << 16);
    DWORD size = GetPrivateProfileSectionA(ovs::OrvaCtrlFile::HeaderTopic, list.data(), static_cast<DWORD>(list.size()),
                                           path.c_str());
    std::string lines(list.data(), size);
    if (!lines.empty() && lines.back() == '\0') {
        lines.pop_back();
    }
    compare("section lines", ovs::OrvaCtrlFile::headerValuesOfLines(lines), path);
    ovs::OrvaCtrlFile::HeaderValues values;
    if (ovs::OrvaCtrlFile::headerValuesOfText(text, values)) {
        compare("file text", values, path);
    }
    std::remove(native.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    ControlFileType type = {ovs::HeaderFlagInMemory, "Task", &typeGuid, {1, 5}, {1, 0}};
    type.flags |= input.ConsumeIntegralInRange<std::uint32_t>(0, 3); // optional header, checked Specification
    if (input.ConsumeBool()) {
        type.typeGuid = nullptr;
    }
    type.version = {input.ConsumeIntegral<std::uint16_t>(), input.ConsumeIntegral<std::uint16_t>()};
    type.minimumVersion = {input.ConsumeIntegral<std::uint8_t>(), input.ConsumeIntegral<std::uint8_t>()};
    const std::string text = input.ConsumeRemainingBytesAsString();
    compareWithLookUps(text);

    File file(&type);
    file.profiling().machineStore()->setText(text.data(), text.size());
    try {
        file.readHeader();
    } catch (const ovs::Exception& error) {
        if (!headerError(error.number())) {
            std::fprintf(stderr, "unexpected error %d\n", static_cast<int>(error.number()));
            std::abort();
        }
    }

    // The type's own header, written over whatever was read, is accepted when its version is
    // not below its minimum.
    const std::uint32_t newest = std::uint32_t(type.version.major) << 16 | type.version.minor;
    const std::uint32_t oldest = std::uint32_t(type.minimumVersion.major) << 16 | type.minimumVersion.minor;
    if (type.version.major == 0 || newest < oldest || type.version.minor > 99) {
        return 0;
    }
    File own(&type);
    own.create(ovs::FileString());
    try {
        own.readHeader();
    } catch (const ovs::Exception& error) {
        std::fprintf(stderr, "own header refused: %d\n", static_cast<int>(error.number()));
        std::abort();
    }
    return 0;
}
