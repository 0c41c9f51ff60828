// A Windows critical section owned by an object, and a scoped lock over it.
#pragma once
#include "platform/Win32.h"

namespace ovs {

class CriticalSection {
public:
    CriticalSection();  // InitializeCriticalSection
    ~CriticalSection(); // DeleteCriticalSection
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void enter();
    void leave();

    // Enters the section on construction and leaves it on destruction.
    class Lock {
    public:
        explicit Lock(CriticalSection& section);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        CriticalSection& section_;
    };

private:
    CRITICAL_SECTION section_;
};

// The one process-wide critical section (ovs::TSingleton<ovs::CriticalSection>).
CriticalSection& processCriticalSection();

} // namespace ovs
