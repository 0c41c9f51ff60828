// Decimal texts through standard stream formatting.
#include "strings/NumberText.h"

#include <iomanip>
#include <sstream>

namespace ovs {

StringBase<char> decimalText(std::int32_t value, int minimumWidth) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    if (minimumWidth > 0) {
        text << std::setw(minimumWidth) << std::setfill('0') << std::internal;
    }
    text << value;
    return text.str();
}

} // namespace ovs
