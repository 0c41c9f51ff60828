// The program's string resources on POSIX, compiled in from the same source that the
// Windows builds turn into a STRINGTABLE. The substitute LoadStringA reads this table.
#include "platform/posix/module/ModuleResources.h"

namespace ovs::posix {

const StringResource programStringTable[] = {
#include "MessageTable.inc"
};
const std::size_t programStringTableSize = sizeof(programStringTable) / sizeof(programStringTable[0]);

} // namespace ovs::posix
