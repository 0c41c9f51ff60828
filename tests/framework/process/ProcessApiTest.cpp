// Loading the process-function table: which functions are required, which may be missing,
// and that every library loaded is freed again, with a loader that records its calls. The
// shared table of the system's own functions is every ovs::Process test's.
#include "process/ProcessApi.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace {

using ovs::ProcessApi;

HMODULE const kernel32Module = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x1000));
HMODULE const psApiModule = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x2000));

// Records the loader's calls, each followed by "|"; libraries and exports named in the
// missing set are not found.
struct FakeLoader {
    static inline std::set<std::string> missing;
    static inline std::string calls;
    static void WINAPI anyFunction() {}
    static HMODULE WINAPI loadLibrary(LPCSTR name) {
        calls += std::string("load ") + name + "|";
        if (missing.count(name) != 0) {
            return nullptr;
        }
        return std::string(name) == "Kernel32.dll" ? kernel32Module : psApiModule;
    }
    static FARPROC WINAPI getProcAddress(HMODULE, LPCSTR name) {
        calls += std::string("find ") + name + "|";
        return missing.count(name) != 0 ? nullptr
                                        : reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&anyFunction));
    }
    static BOOL WINAPI freeLibrary(HMODULE module) {
        calls += module == kernel32Module ? "free Kernel32.dll|" : "free PsApi.dll|";
        return TRUE;
    }
};

// Which function entries are set, in declaration order.
std::string functions(const ProcessApi& api) {
    std::string set;
    for (bool present :
         {api.createToolhelp32Snapshot != nullptr, api.process32First != nullptr, api.process32Next != nullptr,
          api.module32First != nullptr, api.module32Next != nullptr, api.getProcessId != nullptr,
          api.getProcessImageFileName != nullptr, api.queryFullProcessImageName != nullptr}) {
        set += present ? '1' : '0';
    }
    return set;
}

// The names missing (separated by blanks), the loader's calls while loading, the functions set.
struct Case {
    const char *what, *missing, *calls, *functions;
};

const char* const allLookups =
    "load PsApi.dll|find GetProcessImageFileNameA|load Kernel32.dll|find CreateToolhelp32Snapshot|"
    "find Process32First|find Process32Next|find Module32First|find Module32Next|find GetProcessId|"
    "find QueryFullProcessImageNameA|";

TEST(ProcessApiLoading, RequiredAndOptionalFunctions) {
    const Case cases[] = {
        {"everything there", "", allLookups, "11111111"},
        {"optional ones missing", "GetProcessId QueryFullProcessImageNameA", allLookups, "11111010"},
        {"no PsApi.dll", "PsApi.dll", "load PsApi.dll|", "00000000"},
        {"PsApi.dll without its function", "GetProcessImageFileNameA",
         "load PsApi.dll|find GetProcessImageFileNameA|free PsApi.dll|", "00000000"},
        {"no Kernel32.dll", "Kernel32.dll",
         "load PsApi.dll|find GetProcessImageFileNameA|load Kernel32.dll|free PsApi.dll|", "00000000"},
        {"Module32Next missing", "Module32Next",
         "load PsApi.dll|find GetProcessImageFileNameA|load Kernel32.dll|find CreateToolhelp32Snapshot|"
         "find Process32First|find Process32Next|find Module32First|find Module32Next|free PsApi.dll|"
         "free Kernel32.dll|",
         "00000000"},
    };
    const ProcessApi::Loader loader{&FakeLoader::loadLibrary, &FakeLoader::getProcAddress, &FakeLoader::freeLibrary};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::istringstream names(c.missing);
        FakeLoader::missing = {std::istream_iterator<std::string>(names), std::istream_iterator<std::string>()};
        FakeLoader::calls.clear();
        const bool loaded = c.functions[0] == '1';
        {
            ProcessApi api(loader);
            EXPECT_EQ(c.calls, FakeLoader::calls);
            EXPECT_EQ(loaded ? kernel32Module : nullptr, api.kernel32);
            EXPECT_EQ(loaded ? psApiModule : nullptr, api.psApi);
            EXPECT_EQ(c.functions, functions(api));
            FakeLoader::calls.clear();
        }
        EXPECT_EQ(loaded ? "free PsApi.dll|free Kernel32.dll|" : "", FakeLoader::calls) << "on destruction";
    }
}

} // namespace
