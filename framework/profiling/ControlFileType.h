// The description of one kind of control file: its flags, the type name, the type GUID and
// the format versions this program writes and accepts. Records are constants that control
// files point to and never copy.
#pragma once
#include "platform/Win32.h"

#include <cstdint>

namespace ovs {

// A missing header section, and a missing Guid entry, are accepted.
constexpr std::uint32_t HeaderFlagOptional = 0x01;
// A non-empty Specification entry must equal the description exactly.
constexpr std::uint32_t HeaderFlagCheckSpecification = 0x02;
// The file lives in the in-memory INI store and creating it touches no file (wins over 0x20).
constexpr std::uint32_t HeaderFlagInMemory = 0x10;
// The file lives in the INI text file store. Without 0x10 and 0x20: Windows private profile.
constexpr std::uint32_t HeaderFlagIniText = 0x20;

struct ControlFileVersion {
    std::uint16_t major;
    std::uint16_t minor;
};

struct ControlFileMinimumVersion {
    std::uint8_t major;
    std::uint8_t minor;
};

struct ControlFileType {
    std::uint32_t flags;
    const char* description;                  // may be null
    const GUID* typeGuid;                     // may be null
    ControlFileVersion version;               // the newest version read, and the one written
    ControlFileMinimumVersion minimumVersion; // the oldest version accepted
};

} // namespace ovs

using ovs::ControlFileType;
