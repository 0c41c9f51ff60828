// Decimal texts and the strings with a buffer of the C runtime.
#include "strings/NumberText.h"
#include "strings/StringOld.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(NumberText, DecimalForms) {
    EXPECT_EQ(
        (std::vector<std::string>{"0", "-2147483648", "1234567", "007", "-07", "2021"}),
        (std::vector<std::string>{ovs::decimalText(0), ovs::decimalText(-2147483647 - 1), ovs::decimalText(1234567),
                                  ovs::decimalText(7, 3), ovs::decimalText(-7, 3), ovs::decimalText(2021, 2)}));
}

TEST(StringOld, OwnsABufferFromTheCRuntime) {
    ovs::StringOld text("start");
    EXPECT_EQ(nullptr, text.buffer());
    std::strcpy(text.buffer(16), "formatted");
    text.takeBuffer();
    EXPECT_EQ("formatted", text);
    ovs::StringBase<char>* owned = new ovs::StringOld(text);
    EXPECT_EQ("formatted", *owned);
    delete owned; // released through the base
}

} // namespace
