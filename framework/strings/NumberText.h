// Decimal texts of numbers, as messages and date texts show them.
#pragma once
#include "strings/StringBase.h"

#include <cstdint>

namespace ovs {

// Plain decimal form, no grouping; at least minimumWidth digits, filled with leading "0".
StringBase<char> decimalText(std::int32_t value, int minimumWidth = 0);

} // namespace ovs
