// Critical sections over the Windows API.
#include "runtime/CriticalSection.h"
#include "runtime/Singleton.h"

namespace ovs {

CriticalSection::CriticalSection() {
    InitializeCriticalSection(&section_);
}

CriticalSection::~CriticalSection() {
    DeleteCriticalSection(&section_);
}

void CriticalSection::enter() {
    EnterCriticalSection(&section_);
}

void CriticalSection::leave() {
    LeaveCriticalSection(&section_);
}

CriticalSection::Lock::Lock(CriticalSection& section) : section_(section) {
    section_.enter();
}

CriticalSection::Lock::~Lock() {
    section_.leave();
}

CriticalSection& processCriticalSection() {
    return TSingleton<CriticalSection>::instance();
}

} // namespace ovs
