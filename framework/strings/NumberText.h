// Decimal texts of numbers, as messages and date texts show them, and the hexadecimal digit
// pairs that stored binary values are written in.
#pragma once
#include "strings/StringBase.h"

#include <cstdint>

namespace ovs {

// Plain decimal form, no grouping; at least minimumWidth digits, filled with leading "0".
StringBase<char> decimalText(std::int32_t value, int minimumWidth = 0);

// Appends the two upper-case hexadecimal digits of byte to text.
void appendHexByte(std::string& text, unsigned char byte);

// The value of an upper-case hexadecimal digit; -1 for any other character.
int hexDigitValue(char c);

} // namespace ovs
