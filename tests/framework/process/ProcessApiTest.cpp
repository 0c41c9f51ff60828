// Loading the process-function table: which functions are required, which may be missing,
// and that every library loaded is freed again, with a loader that records its calls.
#include "process/ProcessApi.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using ovs::ProcessApi;

HMODULE const kernel32Module = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x1000));
HMODULE const psApiModule = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x2000));

// Records the loader's calls; libraries and exports named in the missing set are not found.
struct FakeLoader {
    static std::set<std::string>& missing() {
        static std::set<std::string> names;
        return names;
    }
    static std::vector<std::string>& calls() {
        static std::vector<std::string> log;
        return log;
    }
    static void WINAPI anyFunction() {}
    static HMODULE WINAPI loadLibrary(LPCSTR name) {
        calls().push_back(std::string("load ") + name);
        if (missing().count(name) != 0) {
            return nullptr;
        }
        return std::string(name) == "Kernel32.dll" ? kernel32Module : psApiModule;
    }
    static FARPROC WINAPI getProcAddress(HMODULE, LPCSTR name) {
        calls().push_back(std::string("find ") + name);
        return missing().count(name) != 0 ? nullptr : reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&anyFunction));
    }
    static BOOL WINAPI freeLibrary(HMODULE module) {
        calls().push_back(module == kernel32Module ? "free Kernel32.dll" : "free PsApi.dll");
        return TRUE;
    }
};

struct Case {
    const char* name;
    std::set<std::string> missing;
    std::vector<std::string> calls; // while loading
    bool loaded;                    // required entries present
};

const std::vector<std::string> allLookups = {
    "load PsApi.dll", "find GetProcessImageFileNameA", "load Kernel32.dll", "find CreateToolhelp32Snapshot",
    "find Process32First", "find Process32Next", "find Module32First", "find Module32Next", "find GetProcessId",
    "find QueryFullProcessImageNameA"};

TEST(ProcessApiLoading, RequiredAndOptionalFunctions) {
    const Case cases[] = {
        {"everything there", {}, allLookups, true},
        {"optional ones missing", {"GetProcessId", "QueryFullProcessImageNameA"}, allLookups, true},
        {"no PsApi.dll", {"PsApi.dll"}, {"load PsApi.dll"}, false},
        {"PsApi.dll without its function",
         {"GetProcessImageFileNameA"},
         {"load PsApi.dll", "find GetProcessImageFileNameA", "free PsApi.dll"},
         false},
        {"no Kernel32.dll",
         {"Kernel32.dll"},
         {"load PsApi.dll", "find GetProcessImageFileNameA", "load Kernel32.dll", "free PsApi.dll"},
         false},
        {"Module32Next missing",
         {"Module32Next"},
         {"load PsApi.dll", "find GetProcessImageFileNameA", "load Kernel32.dll", "find CreateToolhelp32Snapshot",
          "find Process32First", "find Process32Next", "find Module32First", "find Module32Next", "free PsApi.dll",
          "free Kernel32.dll"},
         false},
    };
    const ProcessApi::Loader loader{&FakeLoader::loadLibrary, &FakeLoader::getProcAddress, &FakeLoader::freeLibrary};
    for (const Case& c : cases) {
        FakeLoader::missing() = c.missing;
        FakeLoader::calls().clear();
        {
            ProcessApi api(loader);
            EXPECT_EQ(c.calls, FakeLoader::calls()) << c.name;
            EXPECT_EQ(c.loaded, api.kernel32 == kernel32Module) << c.name;
            EXPECT_EQ(c.loaded, api.psApi == psApiModule) << c.name;
            for (bool present : {api.createToolhelp32Snapshot != nullptr, api.process32First != nullptr,
                                 api.process32Next != nullptr, api.module32First != nullptr,
                                 api.module32Next != nullptr, api.getProcessImageFileName != nullptr}) {
                EXPECT_EQ(c.loaded, present) << c.name;
            }
            bool optional = c.loaded && c.missing.empty();
            EXPECT_EQ(optional, api.getProcessId != nullptr) << c.name;
            EXPECT_EQ(optional, api.queryFullProcessImageName != nullptr) << c.name;
            FakeLoader::calls().clear();
        }
        std::vector<std::string> freed;
        if (c.loaded) {
            freed = {"free PsApi.dll", "free Kernel32.dll"};
        }
        EXPECT_EQ(freed, FakeLoader::calls()) << c.name << ": on destruction";
    }
}

} // namespace
