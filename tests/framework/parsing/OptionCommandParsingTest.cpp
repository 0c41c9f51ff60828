// The command-line parser: option syntax, values of every kind, dropped bad options, the
// usage text and the mandatory check; and the plain option loop that stops at an error.
#include "parsing/OptionCommandParsing.h"

#include "MessageNumbers.h"
#include "RowNames.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace msg = ovs::msg;

namespace {

// A parser over its own copy of the line, with options of every kind.
struct Fixture {
    explicit Fixture(const std::string& text) : line(text), parser(line.c_str()) {
        parser.setPrefixCharacters("/-");
        parser.setFollowCharacters("/-");
        parser.addOption("f", OptionKind::Num, true, "FirmCode");
        parser.addOption("k", OptionKind::Str, true, "Hardware");
        parser.addOption("alg", OptionKind::Num, false, "Algorithm");
        parser.addOption("ad", OptionKind::Flag, false, "Activation");
        parser.addOption("ed", OptionKind::Flag, false, "Expiration");
        parser.addOption("nw", OptionKind::Flag, false, "Network");
        parser.addOption("ch", OptionKind::Char, false, "Character");
        parser.addOption("odd", static_cast<OptionKind>(7), false, "Unsupported kind");
        parser.addOption("i", OptionKind::FileList, true, "Input");
        parser.addOption("o", OptionKind::File, true, "Output");
        parser.parseOptions();
    }
    std::string line;
    OptionCommandParsing parser;
};

// The options present after parsing in name order, each followed by "|": a flag by its name,
// any other option as "<name>=<value>".
std::string present(const OptionCommandParsing& parser) {
    std::string shown;
    for (const auto& [name, option] : parser.options()) {
        if (!option->present) {
            continue;
        }
        const OptionValue& value = option->value;
        switch (value.type()) {
        case OptionValue::Type::Empty: shown += name + "|"; continue;
        case OptionValue::Type::Character: shown += name + "=" + value.asCharacter(); break;
        case OptionValue::Type::Number: shown += name + "=" + std::to_string(value.asNumber()); break;
        case OptionValue::Type::Text: shown += name + "=" + value.asText(); break;
        case OptionValue::Type::Path: shown += name + "=" + value.asPath(); break;
        }
        shown += "|";
    }
    return shown;
}

struct LineCase {
    const char* line;
    const char* options; // as present() shows them
    int lastError;
};

class ParseLine : public testing::TestWithParam<LineCase> {};

TEST_P(ParseLine, SetsOptionsAndDropsBadOnes) {
    const LineCase& c = GetParam();
    Fixture fixture(c.line);
    EXPECT_EQ(c.options, present(fixture.parser));
    EXPECT_EQ(c.lastError, fixture.parser.lastError());
}

INSTANTIATE_TEST_SUITE_P(
    Options, ParseLine,
    testing::Values(
        LineCase{"", "", 0}, LineCase{"-nw-ed", "ed|nw|", 0}, LineCase{"-NW /Ed", "ed|nw|", 0},
        LineCase{"-n -ad", "ad|", msg::InvalidOption}, LineCase{"-ad -n", "ad|", msg::InvalidOption},
        LineCase{"-f:12abc -k:LS", "f=12|k=LS|", msg::BadOptionArgument},
        LineCase{"-f:abc -nw", "nw|", msg::DecimalExpected}, LineCase{"-f:0x1F", "f=31|", 0},
        LineCase{"-f:010", "f=10|", 0}, LineCase{"-f:4294967295", "f=4294967295|", 0},
        LineCase{"-f:4294967296", "", msg::ValueOutOfRange}, LineCase{"-f:0x", "", msg::NumberExpected},
        LineCase{"-f:", "", msg::DecimalExpected}, LineCase{"-alg5", "alg=5|", 0}, LineCase{"-f:1 -f:2", "f=2|", 0},
        LineCase{"-f:1 -f:x", "f=1|", msg::DecimalExpected}, LineCase{"-f:7-nw", "f=7|nw|", 0},
        LineCase{"-k:a-b", "k=a-b|", 0}, LineCase{"-k:\"a b\"-nw", "k=a b|nw|", 0}, LineCase{"-k:a\\tb", "k=a\tb|", 0},
        LineCase{"-k: x", "", msg::MissingSpecification}, LineCase{"-k:\"a\tb\" -nw", "nw|", msg::NoEndOfString},
        LineCase{"-ad:x -nw", "ad|nw|", msg::BadOptionArgument}, LineCase{"-ch:x", "ch=x|", msg::BadOptionArgument},
        LineCase{"-ch:/nw", "ch=/|nw|", 0}, LineCase{"-odd -nw", "nw|", msg::InvalidOption},
        LineCase{"- -nw", "nw|", msg::InvalidOption}, LineCase{"-", "", msg::InvalidOption},
        LineCase{"-5 -nw", "nw|", msg::InvalidOption}, LineCase{"file.pdf -nw", "", 0},
        LineCase{"-nw file.pdf -ad", "nw|", 0}, LineCase{"-i:C:\\in\\*.pdf -o:C:\\out", "i=C:\\in\\*.pdf|", 0},
        LineCase{"-i:\"C:\\my docs\\*.pdf\" -nw", "i=C:\\my docs\\*.pdf|", 0},
        LineCase{"-i:C:\\in\\a.pdf D:\\x.pdf", "", msg::BadSpecification},
        LineCase{"-o:C:\\out\\*.pdf -nw", "nw|", msg::BadSpecification},
        LineCase{"-o:\"C:\\my out\\x.pdf\"-nw", "nw|o=C:\\my out\\x.pdf|", 0},
        LineCase{"-o:C:\\a/x -nw", "nw|o=C:\\a|", msg::InvalidOption}, LineCase{"-nw -i:", "i=|nw|", 0}),
    ovs::test::namedBy(&LineCase::line));

TEST(ParseLine, WordWithoutPrefixEndsParsingThereAndKeywordsFollowNameOrder) {
    Fixture fixture("-nw  file.pdf -ad");
    EXPECT_STREQ("file.pdf -ad", fixture.parser.position());
    EXPECT_EQ("ad\talg\tch\ted\tf\ti\tk\tnw\to\todd", fixture.parser.keywordList());
    EXPECT_EQ(1u, fixture.parser.findOption("ad")->keywordIndex);
    EXPECT_EQ(10u, fixture.parser.findOption("odd")->keywordIndex);
    fixture.parser.addOption("ad", OptionKind::Num, true, "second registration");
    EXPECT_EQ("Activation", fixture.parser.findOption("ad")->help);
    EXPECT_EQ(OptionKind::Flag, fixture.parser.findOption("ad")->kind);
    EXPECT_EQ(3u, fixture.parser.findOption("ad")->order);
    fixture.parser.addOption("zz", OptionKind::Flag, false, "late");
    EXPECT_EQ(11u, fixture.parser.findOption("zz")->order); // the second "ad" counted too
    EXPECT_EQ(nullptr, fixture.parser.findOption("nothing"));
}

// The first missing mandatory option by name (not by registration) is named after the usage
// text went to the console. The tool's own option sets pin the usage layout of the other kinds
// in full (ThisAppRun's usage texts); a character option shows no value kind.
TEST(CheckMandatory, ReportsFirstMissingByNameAfterPrintingUsage) {
    const std::string usage = "\nTool\nOptions\n  -f:<Num>    mandatory FirmCode\n  -k:<Str>    mandatory Hardware\n"
                              "  -alg:<Num>  optional  Algorithm\n  -ad         optional  Activation\n"
                              "  -ed         optional  Expiration\n  -nw         optional  Network\n"
                              "  -ch         optional  Character\n";
    for (const auto& [line, expected] :
         {std::pair<const char*, const char*>{"-f:1", "Mandatory option 'i' is missing."},
          {"-f:1 -k:x -o:C:\\b -i:C:\\a", ""}}) {
        Fixture fixture(line);
        fixture.parser.description = "Tool";
        testing::internal::CaptureStdout();
        std::string argument;
        try {
            fixture.parser.checkMandatory();
        } catch (const ovs::Exception& error) {
            EXPECT_EQ(msg::InvalidOption, error.number());
            argument = error.argument(1);
        }
        std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(expected, argument);
        EXPECT_EQ(*expected != '\0', printed.find(usage) != std::string::npos) << printed;
    }
}

// A plain option loop whose options are single letters without value.
class LetterParsing : public ovs::CommandParsing {
public:
    using CommandParsing::CommandParsing;
    bool parseOption() override {
        if (currentChar() == 'z') {
            throw ovs::Exception(msg::FileNotFound, "disk"); // a file error leaves the loop unchanged
        }
        seen += currentChar();
        return currentChar() != 'x';
    }
    std::string seen;
};

// The base loop's own option handling refuses every option; without prefix characters the
// loop stops at once.
TEST(CommandParsing, StopsAtFirstErrorWithOptionLocation) {
    struct Case {
        const char *line, *prefixes;
        bool letters;
        int number;
        const char *location, *seen, *rest; // rest nullptr: not checked
    } cases[] = {{"-a -xyz -b", "/-", true, msg::InvalidOption, "option -xyz", "ax", nullptr},
                 {"-a -bq -c", "/-", true, msg::BadOptionArgument, "option -bq", "ab", nullptr},
                 {"-z -a", "/-", true, msg::FileNotFound, "", "", nullptr},
                 {"-a/B-c", "/-", true, 0, "", "abc", ""},
                 {"-ab", "-", false, msg::BadSpecification, "option -ab", "", nullptr},
                 {"-ab", "", false, 0, "", "", "-ab"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        LetterParsing letters(c.line);
        ovs::CommandParsing plain(c.line);
        ovs::CommandParsing& parser = c.letters ? letters : plain;
        parser.setPrefixCharacters(c.prefixes);
        parser.setFollowCharacters(c.prefixes);
        int number = 0;
        std::string location;
        try {
            parser.parse();
        } catch (const ovs::Exception& error) {
            number = error.number();
            location = error.location();
        }
        EXPECT_EQ(c.number, number);
        EXPECT_EQ(c.location, location);
        EXPECT_EQ(c.seen, letters.seen);
        EXPECT_EQ(c.number >= msg::FreeError ? c.number : 0, parser.lastError());
        if (c.rest != nullptr) {
            EXPECT_STREQ(c.rest, parser.position());
        }
    }
}

} // namespace
