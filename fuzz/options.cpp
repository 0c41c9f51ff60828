// The tool's command line: rewritten as the tool rewrites it, then scanned with the tool's
// option table. Parsing ends normally or with one of the errors it passes on, and every option
// met holds a value of its own kind.
#include "MessageNumbers.h"
#include "OptionTable.h"
#include "ThisApp.h"
#include "runtime/Exception.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

OptionValue::Type typeOf(OptionKind kind) {
    switch (kind) {
    case OptionKind::Flag: return OptionValue::Type::Empty;
    case OptionKind::Char: return OptionValue::Type::Character;
    case OptionKind::Str: return OptionValue::Type::Text;
    case OptionKind::Num: return OptionValue::Type::Number;
    default: return OptionValue::Type::Path;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    if (line.find('\0') != std::string::npos) {
        return 0; // a command line is a C string
    }
    const ovs::StringBase<char> arguments = ThisApp::rewriteArguments(line);
    OptionCommandParsing parser(arguments.c_str());
    parser.setPrefixCharacters("/-");
    parser.setFollowCharacters("/-");
    registerOptions(parser, arguments.find("readpermissions") != std::string::npos ? permissionCheckOptionSet()
                                                                                   : fullOptionSet());
    try {
        parser.parseOptions();
    } catch (const ovs::Exception& error) {
        if (error.number() >= ovs::msg::FreeError) { // the scanner's and parser's errors
            std::fprintf(stderr, "option error %d escaped\n", static_cast<int>(error.number()));
            std::abort();
        }
    }
    for (const auto& [name, option] : parser.options()) {
        if (option->present && (option->value.type() != typeOf(option->kind) ||
                                (option->kind == OptionKind::Str && option->value.asText().size() > 1024))) {
            std::fprintf(stderr, "option %s holds a value of another kind\n", name.c_str());
            std::abort();
        }
    }
    return 0;
}
