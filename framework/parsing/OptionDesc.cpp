// Option descriptions and their typed values.
#include "parsing/OptionDesc.h"

OptionValue OptionValue::character(char value) {
    OptionValue result;
    result.value_.emplace<char>(value);
    return result;
}

OptionValue OptionValue::number(std::uint32_t value) {
    OptionValue result;
    result.value_.emplace<std::uint32_t>(value);
    return result;
}

OptionValue OptionValue::text(const std::string& value) {
    OptionValue result;
    result.value_.emplace<ovs::StringBase<char>>(value);
    return result;
}

OptionValue OptionValue::path(const ovs::FileString& value) {
    OptionValue result;
    result.value_.emplace<ovs::FileString>(value);
    return result;
}

OptionDesc::OptionDesc(const std::string& name, OptionKind kind, bool mandatory, const std::string& help,
                       std::uint32_t order)
    : name(name), kind(kind), mandatory(mandatory), help(help), order(order) {}

OptionDesc::~OptionDesc() = default;

const char* OptionDesc::usageSuffix() const {
    switch (kind) {
    case OptionKind::Num: return ":<Num>";
    case OptionKind::File:
    case OptionKind::FileList: return ":<File>";
    case OptionKind::Str: return ":<Str>";
    default: return "";
    }
}
