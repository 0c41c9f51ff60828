// Message placeholders: formatMessage must agree with a one-pass reference that reads "%%" as
// "%", "%1".."%9" as the argument and leaves every other "%" alone. Input: the format and up
// to nine arguments, separated by NUL bytes (a missing argument is null).
#include "runtime/Messages.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string reference(const std::string& format, const std::vector<const char*>& arguments) {
    std::string out;
    for (std::size_t at = 0; at < format.size(); ++at) {
        const char next = at + 1 < format.size() ? format[at + 1] : '\0';
        if (format[at] == '%' && next == '%') {
            out += '%';
            ++at;
        } else if (format[at] == '%' && next >= '1' && next <= '9') {
            const char* argument = arguments[static_cast<std::size_t>(next - '1')];
            out += argument != nullptr ? argument : "";
            ++at;
        } else if (format[at] == '%' && next != '\0') {
            out += format.substr(at, 2);
            ++at;
        } else {
            out += format[at];
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> parts(1);
    for (std::size_t k = 0; k < size; ++k) {
        if (data[k] == 0) {
            parts.emplace_back();
        } else {
            parts.back() += static_cast<char>(data[k]);
        }
    }
    std::vector<const char*> arguments(9, nullptr);
    for (std::size_t k = 1; k < parts.size() && k <= 9; ++k) {
        arguments[k - 1] = parts[k].c_str();
    }
    const std::string result(ovs::formatMessage(parts[0].c_str(), arguments[0], arguments[1], arguments[2],
                                                arguments[3], arguments[4], arguments[5], arguments[6], arguments[7],
                                                arguments[8]));
    if (result != reference(parts[0], arguments)) {
        std::abort();
    }
    return 0;
}
