// Shared pieces of the conformance tests (tests/platform), which run natively against the
// substitute and under Wine against the real API: sentinels, the last-error check, the
// record of Wine's known deviations from Windows (asserted natively, recorded under Wine),
// a file's raw bytes, file times and UTF-16 text as numbers and bytes, and a variable of the environment set for a
// test's duration.
#pragma once
#include "platform/ChildProcess.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

namespace ovs::test {

// A last error that no call sets, and a byte that no call writes.
constexpr DWORD lastErrorSentinel = 0xDEADBEEF;
constexpr char bufferSentinel = '\xCC';

// Runs call (which checks its own result) with the last error at the sentinel; returns the
// last error afterwards.
template <typename Call> DWORD lastErrorOf(Call&& call) {
    SetLastError(lastErrorSentinel);
    call();
    return GetLastError();
}

// Runs call with the last error at the sentinel; succeeds when it returns result and leaves
// error as the last error.
template <class Result, class Call>::testing::AssertionResult failsWith(Result result, DWORD error, Call call) {
    SetLastError(lastErrorSentinel);
    const auto actual = call();
    const DWORD lastError = GetLastError();
    if (actual == result && lastError == error) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "returned " << actual << " (expected " << result << "), last error "
                                         << lastError << " (expected " << error << ")";
}

// Which results of a case Wine 8 gets wrong; Windows' results are asserted natively, and
// under Wine only the parts Wine gets right.
enum WineDiffers : unsigned {
    WineSame = 0,
    WineReturn = 1,
    WineBuffer = 2,
    WineLastError = 4,
    WineFile = 8,
    WineAll = 15
};

// Notes, under Wine, that a result is Wine's known deviation rather than a fault.
inline void recordWineDeviation(const std::string& caseId, const std::string& what) {
    ::testing::Test::RecordProperty("wine_deviation_" + caseId, what);
    std::printf("[ wine dev ] %s: %s\n", caseId.c_str(), what.c_str());
}

// Expects actual == expected where this part of the case holds on the running platform;
// under Wine, where it is a known deviation, records what Wine gave instead of failing.
template <typename T>
void expectPart(unsigned wineDiffers, WineDiffers part, const std::string& caseId, const std::string& what,
                const T& expected, const T& actual) {
    if (!ovs::platform::isWine() || (wineDiffers & part) == 0) {
        EXPECT_EQ(expected, actual) << what;
    } else if (!(actual == expected)) {
        std::ostringstream shown;
        shown << what << " " << ::testing::PrintToString(actual);
        recordWineDeviation(caseId, shown.str());
    }
}

// A file's bytes through the host's file system, or nullopt when it cannot be read.
inline std::optional<std::string> fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return in ? std::optional<std::string>(std::string(std::istreambuf_iterator<char>(in), {})) : std::nullopt;
}

// A FILETIME as one number of 100-nanosecond units.
inline std::uint64_t ticksOf(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The bytes of an ASCII text in UTF-16, little-endian unless told, without a byte-order mark.
inline std::string utf16Of(const std::string& ascii, bool bigEndian = false) {
    std::string bytes;
    for (char c : ascii) {
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return bytes;
}

// Replaces a file's content with bytes through the host's file system.
inline void writeFileBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Sets a variable of this process's environment ("" removes it) for its lifetime and puts the
// old value back (an empty old value as removed).
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) { set(value); }
    ~ScopedVariable() { set(saved_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

    void set(const std::string& value) const { ovs::platform::setEnvironmentVariable(name_, value); }

private:
    const char* name_;
    std::string saved_ = std::getenv(name_) != nullptr ? std::getenv(name_) : "";
};

} // namespace ovs::test
