// String resources of the running program on POSIX: a table linked into every executable
// (resources/ResourceTable.cpp), standing in for the STRINGTABLE of a Windows module.
#pragma once
#include <cstddef>

namespace ovs::posix {

struct StringResource {
    unsigned id;
    const char* text;
};

extern const StringResource programStringTable[];
extern const std::size_t programStringTableSize;

} // namespace ovs::posix
