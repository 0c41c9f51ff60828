// Loading and sharing the table of run-time process functions.
#include "process/ProcessApi.h"

namespace ovs {

namespace {

ProcessApi* sharedTable = nullptr;

} // namespace

ProcessApi::Loader ProcessApi::systemLoader() {
    return Loader{&::LoadLibraryA, &::GetProcAddress, &::FreeLibrary};
}

ProcessApi* ProcessApi::acquire() {
    if (sharedTable == nullptr) {
        sharedTable = new ProcessApi(systemLoader());
    }
    ++sharedTable->references_;
    return sharedTable;
}

void ProcessApi::release(ProcessApi* api) {
    if (api == nullptr || api != sharedTable || api->references_ == 0) {
        return;
    }
    if (--api->references_ == 0) {
        delete api;
        sharedTable = nullptr;
    }
}

ProcessApi::ProcessApi(const Loader& loader) : loader_(loader) {
    load();
}

ProcessApi::~ProcessApi() {
    clear();
}

template <class Function> Function ProcessApi::lookUp(HMODULE module, const char* name) const {
    // FARPROC to the function's own type, through the generic function type
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(loader_.getProcAddress(module, name)));
}

void ProcessApi::load() {
    psApi = loader_.loadLibrary("PsApi.dll");
    if (psApi != nullptr) {
        getProcessImageFileName = lookUp<GetProcessImageFileNameFunction>(psApi, "GetProcessImageFileNameA");
    }
    if (getProcessImageFileName == nullptr) {
        clear();
        return;
    }
    kernel32 = loader_.loadLibrary("Kernel32.dll");
    if (kernel32 != nullptr) {
        createToolhelp32Snapshot = lookUp<CreateToolhelp32SnapshotFunction>(kernel32, "CreateToolhelp32Snapshot");
        process32First = lookUp<Process32Function>(kernel32, "Process32First");
        process32Next = lookUp<Process32Function>(kernel32, "Process32Next");
        module32First = lookUp<Module32Function>(kernel32, "Module32First");
        module32Next = lookUp<Module32Function>(kernel32, "Module32Next");
    }
    if (kernel32 == nullptr || createToolhelp32Snapshot == nullptr || process32First == nullptr ||
        process32Next == nullptr || module32First == nullptr || module32Next == nullptr) {
        clear();
        return;
    }
    getProcessId = lookUp<GetProcessIdFunction>(kernel32, "GetProcessId");
    queryFullProcessImageName = lookUp<QueryFullProcessImageNameFunction>(kernel32, "QueryFullProcessImageNameA");
}

void ProcessApi::clear() {
    if (psApi != nullptr) {
        loader_.freeLibrary(psApi);
    }
    if (kernel32 != nullptr) {
        loader_.freeLibrary(kernel32);
    }
    kernel32 = nullptr;
    psApi = nullptr;
    createToolhelp32Snapshot = nullptr;
    process32First = nullptr;
    process32Next = nullptr;
    module32First = nullptr;
    module32Next = nullptr;
    getProcessId = nullptr;
    getProcessImageFileName = nullptr;
    queryFullProcessImageName = nullptr;
}

} // namespace ovs
