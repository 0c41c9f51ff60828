// Readable names for the rows of parameterised tests: INSTANTIATE_TEST_SUITE_P(..., namedBy(&Case::text))
// names each row by its number and the letters and digits of one text member, so that a
// failure reads "ReadNumber.GivesValueOrError/r07_0x1F" rather than a dump of the row's bytes.
#pragma once
#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <string>

namespace ovs::test {

inline std::string rowName(std::size_t index, const char* text) {
    std::string name = (index < 10 ? "r0" : "r") + std::to_string(index) + "_";
    for (const char* c = text; c != nullptr && *c != '\0' && name.size() < 40; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) {
            name.push_back(*c);
        }
    }
    return name;
}

template <class Case> auto namedBy(const char* Case::*text) {
    return [text](const ::testing::TestParamInfo<Case>& info) { return rowName(info.index, info.param.*text); };
}

} // namespace ovs::test
