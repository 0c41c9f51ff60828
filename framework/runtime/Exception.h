// The framework's exception family. A failure carries a message number, up to three text
// arguments and a location; its words are looked up in the message table only when the
// message is composed (ovs::Exception::message).
#pragma once
#include "strings/FileString.h"
#include "strings/StringBase.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace ovs {

class Exception : public std::exception {
public:
    // Number 0, no arguments, the calling thread's current location.
    Exception();
    // The location is taken from the calling thread's error-location stack; a non-empty
    // extra location is pushed as a chained entry for the moment of construction.
    explicit Exception(int number, const std::string& argument1 = std::string(),
                       const std::string& argument2 = std::string(), const std::string& argument3 = std::string(),
                       const std::string& extraLocation = std::string());
    Exception(const Exception& other); // the message cache is not copied
    Exception& operator=(const Exception& other);
    ~Exception() override;

    // Both return the composed one-line message, valid until the next call or destruction.
    const char* what() const noexcept override;
    virtual const char* message() const;

    int number() const;
    void setNumber(int number);
    // index 1 to 3
    const StringBase<char>& argument(int index) const;
    void setArgument(int index, const std::string& text);
    const StringBase<char>& location() const;
    void setLocation(const std::string& text);
    // Pushes text as a chained location entry, recomposes the location, pops the entry.
    void addLocation(const std::string& text);

protected:
    // Composes the message line with the given texts for %1, %2 and %3.
    const char* compose(const std::string& text1, const std::string& text2, const std::string& text3) const;

private:
    int number_ = 0;
    StringBase<char> arguments_[3];
    StringBase<char> location_;
    mutable std::unique_ptr<StringBase<char>> cache_;
};

// A failure that concerns one file: %1 shows the path in display form, %2 and %3 show
// arguments 1 and 2.
class FileException : public Exception {
public:
    using Exception::Exception;
    FileException(const FileException&) = default;
    FileException& operator=(const FileException&) = default;
    ~FileException() override;

    const char* message() const override;

    const FileString& path() const;
    void setPath(const FileString& path);
    std::uint32_t systemError() const;
    void setSystemError(std::uint32_t code);

private:
    FileString path_;
    std::uint32_t systemError_ = 0;
};

// Asks the application to end at once; the number becomes the exit code (11: aborted by user).
class AbortException : public Exception {
public:
    using Exception::Exception;
    ~AbortException() override;
};

} // namespace ovs

// Raised by the configuration stores for a missing entry: 1147 "item not found".
class ProfilingEntryNotFound : public ovs::Exception {
public:
    ProfilingEntryNotFound();
    ~ProfilingEntryNotFound() override;
};
