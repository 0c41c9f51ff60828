// The option loop and its error handling.
#include "parsing/CommandParsing.h"
#include "strings/AsciiText.h"
#include "MessageNumbers.h"

#include <cstdio>
#include <vector>

namespace ovs {

namespace {

// "option %.*s" of the option as written.
std::string optionLocation(const char* start, const char* end) {
    int length = static_cast<int>(end - start);
    std::vector<char> buffer(static_cast<std::size_t>(length) + 16);
    std::snprintf(buffer.data(), buffer.size(), "option %.*s", length, start);
    return std::string(buffer.data());
}

} // namespace

CommandParsing::CommandParsing(const char* text) : Parsing(text) {}

CommandParsing::~CommandParsing() = default;

bool CommandParsing::endsOption(char c) const {
    return c == '\0' || isBlankChar(c) || followCharacters_.find(c) != std::string::npos;
}

void CommandParsing::parse() {
    lastError_ = 0;
    for (;;) {
        if (*position_ == '\0') {
            return;
        }
        skipBlanks();
        optionStart_ = position_;
        current_ = *position_;
        if (current_ == '\0' || prefixCharacters_.empty() || prefixCharacters_.find(current_) == std::string::npos) {
            position_ = optionStart_;
            return;
        }
        ++position_;
        current_ = lowerAscii(*position_);
        if (*position_ != '\0') {
            ++position_;
        }
        try {
            if (!parseOption()) {
                throw Exception(msg::InvalidOption);
            }
            if (!endsOption(*position_)) {
                throw Exception(msg::BadOptionArgument);
            }
        } catch (Exception& error) {
            if (error.number() < msg::FreeError) {
                throw;
            }
            lastError_ = error.number();
            while (!endsOption(*position_)) {
                ++position_;
            }
            error.addLocation(optionLocation(optionStart_, position_));
            optionError(error);
        }
    }
}

bool CommandParsing::parseOption() {
    setTokenStart(optionStart_);
    raiseError(msg::BadSpecification, TokenEnd::ToPosition);
}

bool CommandParsing::optionError(Exception& error) {
    throw Exception(error);
}

} // namespace ovs
