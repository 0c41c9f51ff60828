// Control-file headers: the first bytes choose the type's flags and versions, the rest is the
// file text. Checking the header either passes or fails with one of its own message numbers;
// a header the type writes itself always passes.
#include "MessageNumbers.h"
#include "profiling/OrvaCtrlFile.h"
#include "profiling/ProfilingImpl.h"
#include "runtime/Exception.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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
