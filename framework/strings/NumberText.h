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

// The value of a hexadecimal digit in either case; -1 for any other character. The one reader
// of hexadecimal digits (inline: a GUID reads 32 of them).
inline int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
// The same for the upper-case digits that appendHexByte writes; -1 for a lower-case one.
int upperHexDigitValue(char c);

} // namespace ovs
