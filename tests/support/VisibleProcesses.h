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
        saved() = Saved{api_->process32First, api_->process32Next};
        ids() = {GetCurrentProcessId()};
        api_->process32First = &first;
        api_->process32Next = &next;
    }
    ~VisibleProcesses() {
        api_->process32First = saved().first;
        api_->process32Next = saved().next;
        ids().clear();
        ovs::ProcessApi::release(api_);
    }
    VisibleProcesses(const VisibleProcesses&) = delete;
    VisibleProcesses& operator=(const VisibleProcesses&) = delete;

    static void show(DWORD processId) { ids().insert(processId); }

private:
    struct Saved {
        ovs::ProcessApi::Process32Function first;
        ovs::ProcessApi::Process32Function next;
    };
    static Saved& saved() {
        static Saved functions{};
        return functions;
    }
    static std::set<DWORD>& ids() {
        static std::set<DWORD> visible;
        return visible;
    }
    static BOOL WINAPI first(HANDLE snapshot, LPPROCESSENTRY32 entry) {
        if (!saved().first(snapshot, entry)) {
            return FALSE;
        }
        return ids().count(entry->th32ProcessID) != 0 ? TRUE : next(snapshot, entry);
    }
    static BOOL WINAPI next(HANDLE snapshot, LPPROCESSENTRY32 entry) {
        while (saved().next(snapshot, entry)) {
            if (ids().count(entry->th32ProcessID) != 0) {
                return TRUE;
            }
        }
        return FALSE;
    }

    ovs::ProcessApi* api_;
};

} // namespace ovs::test
