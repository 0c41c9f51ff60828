// POSIX substitute: the table of kernel objects behind HANDLE values. Each area (files,
// find searches, snapshots, processes) derives its object from KernelObject; CloseHandle
// destroys whatever object a handle names.
#pragma once
#include "platform/posix/base/WinBase.h"
#include <memory>

namespace ovs::posix {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

// Takes ownership and returns a fresh handle (never null, never INVALID_HANDLE_VALUE).
HANDLE registerHandle(std::unique_ptr<KernelObject> object);

// The object behind a handle, or null when the handle is unknown.
KernelObject* lookupHandle(HANDLE handle);

template <class T> T* lookupHandleAs(HANDLE handle) {
    return dynamic_cast<T*>(lookupHandle(handle));
}

// Removes and destroys the object; false (ERROR_INVALID_HANDLE set) when unknown.
bool closeHandle(HANDLE handle);

// The Windows error code that corresponds to a POSIX errno value.
DWORD errorFromErrno(int error);

} // namespace ovs::posix
