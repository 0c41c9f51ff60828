// The exception family: construction with the current error location, and the one-line
// message composed from the message table.
#include "runtime/Exception.h"
#include "MessageNumbers.h"
#include "platform/Win32.h"
#include "runtime/ErrorLocation.h"
#include "runtime/Messages.h"
#include "runtime/StartUp.h"

#include <string>

namespace ovs {
namespace {

bool isFreeText(int number) {
    return number == msg::FreeFatalError || number == msg::FreeError || number == msg::FreeWarning;
}

int severityText(int number) {
    if (number < msg::FreeError) {
        return msg::WordFatalError;
    }
    return number < msg::FreeWarning ? msg::WordError : msg::WordWarning;
}

// The application's name; without one the program file's name without folder and extension.
std::string programName() {
    if (StartUp* startUp = StartUp::current()) {
        if (!startUp->applicationName().empty()) {
            return startUp->applicationName();
        }
    }
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length < MAX_PATH ? length : MAX_PATH);
    std::size_t separator = name.find_last_of("\\/");
    if (separator != std::string::npos) {
        name.erase(0, separator + 1);
    }
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name.empty() ? "<unknown>" : name;
}

} // namespace

Exception::Exception() : location_(currentErrorLocation()) {}

Exception::Exception(int number, const std::string& argument1, const std::string& argument2,
                     const std::string& argument3, const std::string& extraLocation)
    : number_(number), arguments_{argument1, argument2, argument3} {
    if (extraLocation.empty()) {
        location_ = currentErrorLocation();
    } else {
        addLocation(extraLocation);
    }
}

Exception::Exception(const Exception& other)
    : std::exception(other),
      number_(other.number_), arguments_{other.arguments_[0], other.arguments_[1], other.arguments_[2]},
      location_(other.location_) {}

Exception& Exception::operator=(const Exception& other) {
    if (this != &other) {
        number_ = other.number_;
        for (int i = 0; i < 3; ++i) {
            arguments_[i] = other.arguments_[i];
        }
        location_ = other.location_;
        cache_.reset();
    }
    return *this;
}

Exception::~Exception() = default;

const char* Exception::what() const noexcept {
    return message();
}

const char* Exception::message() const {
    return compose(arguments_[0], arguments_[1], arguments_[2]);
}

int Exception::number() const {
    return number_;
}

void Exception::setNumber(int number) {
    number_ = number;
}

const StringBase<char>& Exception::argument(int index) const {
    static const StringBase<char> none;
    return index >= 1 && index <= 3 ? arguments_[index - 1] : none;
}

void Exception::setArgument(int index, const std::string& text) {
    if (index >= 1 && index <= 3) {
        arguments_[index - 1] = text;
    }
}

const StringBase<char>& Exception::location() const {
    return location_;
}

void Exception::setLocation(const std::string& text) {
    location_ = text;
}

void Exception::addLocation(const std::string& text) {
    ErrorLocation entry(text, true);
    location_ = currentErrorLocation();
}

const char* Exception::compose(const std::string& text1, const std::string& text2, const std::string& text3) const {
    if (!cache_) {
        cache_ = std::make_unique<StringBase<char>>();
    }
    cache_->clear();

    StringBase<char> text;
    if (isFreeText(number_)) {
        text = formatMessage(text1.c_str(), text2.c_str(), text3.c_str());
    } else {
        bool found = false;
        StringBase<char> format = loadMessage(number_, &found);
        if (found) {
            text = formatMessage(format.c_str(), text1.c_str(), text2.c_str(), text3.c_str());
        } else {
            std::string details = std::to_string(number_);
            for (const StringBase<char>& argument : arguments_) {
                if (!argument.empty()) {
                    details += ", " + argument;
                }
            }
            text = loadAndFormat(msg::Undocumented, details.c_str());
        }
    }
    StringBase<char> severity = loadMessage(severityText(number_));

    std::string& line = *cache_;
    line = programName();
    if (!location_.empty()) {
        line += ", " + location_;
    }
    line += ": " + severity;
    if (!isFreeText(number_)) {
        line += " " + messagePrefix() + std::to_string(number_);
    }
    line += " - " + text + ".";
    return cache_->c_str();
}

AbortException::~AbortException() = default;

} // namespace ovs

ProfilingEntryNotFound::ProfilingEntryNotFound() : ovs::Exception(ovs::msg::ItemNotFound) {}

ProfilingEntryNotFound::~ProfilingEntryNotFound() = default;
