// Helpers of the configuration-store tests: raw file bytes in a private folder and a check
// that a call throws a framework exception with a given number.
#pragma once
#include "TestFolders.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

namespace ovs::test {

inline void writeFileBytes(const TempFolder& folder, const std::string& name, const std::string& bytes) {
    std::ofstream out(folder.native() / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::optional<std::string> readFileBytes(const TempFolder& folder, const std::string& name) {
    std::ifstream in(folder.native() / name, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the call and returns the exception of the given kind it throws; fails the test when it
// throws nothing or the number differs.
template <class Error = ovs::Exception> Error expectException(int number, const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& error) {
        EXPECT_EQ(number, error.number()) << error.message();
        return error;
    }
    ADD_FAILURE() << "no exception, expected " << number;
    return Error();
}

} // namespace ovs::test
