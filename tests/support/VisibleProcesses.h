// Test helper: limits what ovs::Process sees in the process snapshot to this test program
// and the processes the test names, by putting filtering Process32First/Process32Next
// functions into the shared process-function table while it lives. Other programs on the
// machine (other test runs may start their own Acrobat.exe) then cannot disturb a test.
#pragma once
#include "process/ProcessApi.h"

#include <set>

namespace ovs::test {

class VisibleProcesses {
public:
    VisibleProcesses() : api_(ovs::ProcessApi::acquire()) {
        savedFirst_ = api_->process32First;
        savedNext_ = api_->process32Next;
        ids_ = {GetCurrentProcessId()};
        api_->process32First = &first;
        api_->process32Next = &next;
    }
    ~VisibleProcesses() {
        api_->process32First = savedFirst_;
        api_->process32Next = savedNext_;
        ids_.clear();
        ovs::ProcessApi::release(api_);
    }
    VisibleProcesses(const VisibleProcesses&) = delete;
    VisibleProcesses& operator=(const VisibleProcesses&) = delete;

    static void show(DWORD processId) { ids_.insert(processId); }

private:
    static BOOL WINAPI first(HANDLE snapshot, LPPROCESSENTRY32 entry) {
        return savedFirst_(snapshot, entry) && (ids_.count(entry->th32ProcessID) != 0 || next(snapshot, entry));
    }
    static BOOL WINAPI next(HANDLE snapshot, LPPROCESSENTRY32 entry) {
        while (savedNext_(snapshot, entry)) {
            if (ids_.count(entry->th32ProcessID) != 0) {
                return TRUE;
            }
        }
        return FALSE;
    }

    static inline ovs::ProcessApi::Process32Function savedFirst_ = nullptr;
    static inline ovs::ProcessApi::Process32Function savedNext_ = nullptr;
    static inline std::set<DWORD> ids_;
    ovs::ProcessApi* api_;
};

} // namespace ovs::test
