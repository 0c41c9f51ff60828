// One registered command-line option: its name, kind, help text and, once the option was met
// on the line, its typed value.
#pragma once
#include "strings/FileString.h"
#include "strings/StringBase.h"

#include <cstdint>
#include <variant>

// What follows an option's name on the command line.
enum class OptionKind : std::int32_t {
    Flag = 0,     // nothing
    Char = 1,     // one character
    Str = 5,      // a text (at most 1024 characters)
    Num = 6,      // an unsigned 32-bit number
    File = 20,    // one path, made absolute, no wildcards
    FileList = 21 // an input path with wildcards; takes the rest of the line
};

// An option's value: empty, a character, a number, a text or a file path.
class OptionValue {
public:
    enum class Type { Empty, Character, Number, Text, Path };

    OptionValue() = default;
    static OptionValue character(char value);
    static OptionValue number(std::uint32_t value);
    static OptionValue text(const std::string& value);
    static OptionValue path(const ovs::FileString& value);

    Type type() const { return static_cast<Type>(value_.index()); }
    bool empty() const { return type() == Type::Empty; }
    // Each throws std::bad_variant_access when the value holds another alternative.
    char asCharacter() const { return std::get<char>(value_); }
    std::uint32_t asNumber() const { return std::get<std::uint32_t>(value_); }
    const ovs::StringBase<char>& asText() const { return std::get<ovs::StringBase<char>>(value_); }
    const ovs::FileString& asPath() const { return std::get<ovs::FileString>(value_); }

private:
    std::variant<std::monostate, char, std::uint32_t, ovs::StringBase<char>, ovs::FileString> value_;
};

class OptionDesc {
public:
    OptionDesc(const std::string& name, OptionKind kind, bool mandatory, const std::string& help, std::uint32_t order);
    virtual ~OptionDesc();

    // The kind's suffix in the usage text: ":<Num>", ":<File>", ":<Str>" or nothing.
    const char* usageSuffix() const;

    OptionValue value;
    ovs::StringBase<char> name;
    OptionKind kind;
    bool present = false;
    bool mandatory;
    ovs::StringBase<char> help;
    std::uint32_t keywordIndex = 0; // 1-based position in the keyword list; 0 before parsing
    std::uint32_t order;            // registration order; the usage text follows it
};
