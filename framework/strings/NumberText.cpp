// Decimal texts through standard stream formatting; hexadecimal digits by table.
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

void appendHexByte(std::string& text, unsigned char byte) {
    static const char digits[] = "0123456789ABCDEF";
    text += digits[byte >> 4];
    text += digits[byte & 0x0F];
}

int upperHexDigitValue(char c) {
    return c >= 'a' && c <= 'f' ? -1 : hexDigitValue(c);
}

} // namespace ovs
