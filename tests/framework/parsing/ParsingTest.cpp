// The text scanner: what each reader returns, where it leaves the position, and which error
// number and quoted token it raises for bad input.
#include "parsing/Parsing.h"

#include "RuntimeTestSupport.h"
#include "profiling/OrvaCtrlFile.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

using ovs::Parsing;

namespace {

// A reader gives its result as text.
using Reader = std::function<std::string(Parsing&)>;

struct Case {
    const char* text;
    Reader read;
    std::string expected; // the result, or "#<number> <quoted token>" for an error
    const char* rest;     // the text left at the position; nullptr: not checked
};

std::string outcome(Parsing& parser, const Reader& read) {
    try {
        return read(parser);
    } catch (const ovs::Exception& error) {
        return "#" + std::to_string(error.number()) + " " + error.argument(1);
    }
}

// Each row's result or error, and the rest it leaves.
template <class... Cases> void scan(const Cases&... cases) {
    for (const Case& c : {cases...}) {
        SCOPED_TRACE(c.text);
        Parsing parser(c.text);
        EXPECT_EQ(c.expected, outcome(parser, c.read));
        if (c.rest != nullptr) {
            EXPECT_STREQ(c.rest, parser.position());
            EXPECT_EQ(*c.rest == '\0', parser.atEnd());
        }
    }
}

Reader number(std::uint32_t flags = 0, std::uint32_t max = 0) {
    return [=](Parsing& p) { return std::to_string(p.readNumber(flags, max)); };
}
Reader decimal() {
    return [](Parsing& p) { return std::to_string(p.readDecimal()); };
}
const char* const Algs = "alg\tad\ted";
Reader keyword(const char* list = Algs, std::uint32_t flags = 0) {
    return [=](Parsing& p) { return std::to_string(p.readKeyword(list, flags)); };
}
Reader optionKeyword() {
    return [](Parsing& p) { return std::to_string(p.readOptionKeyword("ad\tnw", ovs::ScanFullKeyword)); };
}
// "<bytes filled> <the two bytes in hexadecimal>", the bytes 0x55 before the read.
Reader hexBytes(std::uint32_t flags = 0) {
    return [=](Parsing& p) {
        std::uint8_t bytes[2] = {0x55, 0x55};
        std::uint32_t filled = p.readHexBytes(bytes, 2, flags);
        char text[16];
        std::snprintf(text, sizeof text, "%u %02X%02X", filled, bytes[0], bytes[1]);
        return std::string(text);
    };
}
// The GUID in the braced form the control files write.
Reader guid(std::uint32_t flags = ovs::ScanGuidBraces) {
    return [=](Parsing& p) {
        GUID g{};
        p.readGuid(g, flags);
        return ovs::OrvaCtrlFile::guidText(g);
    };
}
Reader string(std::uint32_t flags = ovs::ScanBlankEndsText, std::uint32_t max = 1024) {
    return [=](Parsing& p) {
        std::string out = "stale";
        p.readString(out, flags, max);
        return out;
    };
}
// "<result bits> <path>", the result bits 0x80 before the read.
Reader fileSpec(std::uint32_t flags = 0, const char* base = nullptr, const char* extension = nullptr) {
    return [=](Parsing& p) {
        std::uint32_t result = 0x80;
        ovs::FileString path("untouched");
        p.readFileSpec(result, path, flags, extension, base);
        return std::to_string(result) + " " + path;
    };
}
// "<folder>:" and each pattern, "+" behind a wildcard pattern, then " /s" when recursive; the
// record held a pattern before.
Reader fileList(bool allowRecursion = false) {
    return [=](Parsing& p) {
        ovs::FileScanSpec spec;
        spec.addPattern("old", false);
        p.readFileList(spec, allowRecursion);
        std::string text = spec.folder() + ":";
        for (std::size_t i = 0; i < spec.patterns().size(); ++i) {
            text += " " + spec.patterns()[i] + (spec.patternFlags()[i] ? "+" : "");
        }
        return text + (spec.recursive() ? " /s" : "");
    };
}
Reader expectEnd(std::uint32_t flags = 0) {
    return [=](Parsing& p) {
        p.expectEnd(flags);
        return std::string("end");
    };
}
Reader isBlank() {
    return [](Parsing& p) { return std::string(p.isBlank() ? "blank" : "no"); };
}
// "yes" when the character is there and consumed.
Reader character(char c, std::uint32_t flags = 0) {
    return [=](Parsing& p) { return std::string(p.expectChar(c, flags) ? "yes" : "no"); };
}

const std::uint32_t Octal = ovs::ScanOctal;
const std::uint32_t Hex = ovs::ScanHexadecimal;
const std::uint32_t Full = ovs::ScanFullKeyword;
const std::uint32_t Skip = ovs::ScanSkipBlanks;

TEST(Scan, Numbers) {
    scan(Case{"0x1F", number(), "31", ""}, Case{"0X1f", number(), "31", ""}, Case{"010", number(), "10", ""},
         Case{"010", number(Octal), "8", ""}, Case{"08", number(Octal), "8", ""},
         Case{"037777777777", number(Octal), "4294967295", ""},
         Case{"040000000000", number(Octal), "#2005 040000000000", nullptr},
         Case{"4294967295", number(), "4294967295", ""}, Case{"4294967296 x", number(), "#2005 4294967296", nullptr},
         Case{"4294967296", number(ovs::ScanNoOverflow), "4294967295", ""},
         Case{"0xFFFFFFFF", number(), "4294967295", ""}, Case{"0x100000000", number(), "#2005 0x100000000", nullptr},
         Case{"0x", number(), "#2021 0x", nullptr}, Case{"0xg1 z", number(), "#2021 0xg1", nullptr},
         Case{"+5", number(), "#2020 +5", nullptr}, Case{"-5 x", number(), "#2020 -5", nullptr},
         Case{"", number(), "#2020 ", nullptr}, Case{"1a2B", number(Hex), "6699", ""},
         Case{"0123", number(Hex), "291", ""}, Case{"FFFF", number(Hex, 0xFFFF), "65535", ""},
         Case{"10000", number(Hex, 0xFFFF), "#2005 10000", nullptr},
         Case{"123456789", number(Hex), "#2005 123456789", nullptr}, Case{"100", number(0, 99), "#2005 100", nullptr},
         Case{"99", number(0, 99), "99", ""}, Case{"12abc", number(), "12", "abc"}, Case{"0x1Fz", number(), "31", "z"},
         Case{"  7  x", number(Skip), "7", "x"}, Case{"7  x", number(), "7", "  x"},
         Case{"0x10", decimal(), "0", "x10"}, Case{"abc def", decimal(), "#2020 abc", nullptr});
}

TEST(Scan, Keywords) {
    scan(Case{"AD", keyword(Algs, Full), "2", ""}, Case{"a", keyword(Algs, Full), "-1", "a"},
         Case{"al x", keyword(), "1", " x"}, Case{"e", keyword(), "3", ""},
         Case{"ed:5", keyword(Algs, Full), "3", ":5"}, Case{"ad5", keyword(Algs, Full), "2", "5"},
         Case{"ad5", keyword(Algs, Full | ovs::ScanKeywordDigits), "-1", "ad5"},
         Case{"A1", keyword("a1\tb", Full | ovs::ScanKeywordDigits), "1", ""}, Case{"x", keyword(), "-1", "x"},
         Case{"9", keyword(), "0", "9"}, Case{"", keyword(), "0", ""}, Case{"ad", keyword(""), "-1", "ad"},
         Case{"b", keyword("a\tb\t", Full), "2", ""},
         Case{"abcdefghijklmnopqrstuvwxyzabcdefXYZ!", keyword("x\tabcdefghijklmnopqrstuvwxyzabcdef", Full), "2", "!"},
         Case{"abcdefghijklmnopqrstuvwxyzabcdefq", keyword("abcdefghijklmnopqrstuvwxyzabcdef", Full), "1", nullptr},
         Case{"  ab  c", keyword("ab", Skip), "1", "c"}, Case{"  xy  c", keyword("ab", Skip), "-1", "xy  c"},
         Case{"a", keyword(), "#2025 a", nullptr}, Case{"-nw", optionKeyword(), "2", ""},
         Case{"/NW:x", optionKeyword(), "2", ":x"}, Case{"nw", optionKeyword(), "0", "nw"},
         Case{"-n", optionKeyword(), "-1", "-n"}, Case{"-", optionKeyword(), "0", "-"},
         Case{"-5", optionKeyword(), "0", "-5"});
}

TEST(Scan, HexBytesAndGuids) {
    scan(Case{"ABC", hexBytes(), "2 0ABC", ""}, Case{"1234567", hexBytes(), "2 1234", "567"},
         Case{"f", hexBytes(), "1 000F", ""}, Case{"xyz", hexBytes(), "0 0000", "xyz"},
         Case{"ABC", hexBytes(ovs::ScanAllHexDigits), "#2021 ABC", nullptr},
         Case{"{00000000-0000-1100-8000-0000C06B5161} rest", guid(ovs::ScanGuidBraces | Skip),
              "{00000000-0000-1100-8000-0000C06B5161}", "rest"},
         Case{"12345678-9ABC-DEF0-0102-030405060708", guid(0), "{12345678-9ABC-DEF0-0102-030405060708}", ""},
         Case{"00000000-0000-1100-8000-0000C06B5161", guid(), "#2023 00000000-0000-1100-8000-0000C06B5161", nullptr},
         Case{"{00000000-0000-1100-8000-0000C06B5161", guid(), "#2023 {00000000-0000-1100-8000-0000C06B5161", nullptr},
         Case{"{00000000-0000-1100-80000000C06B5161}", guid(), "#2023 {00000000-0000-1100-80000000C06B5161}", nullptr},
         Case{"{00000000-0000--8000-0000C06B5161}", guid(), "#2023 {00000000-0000--8000-0000C06B5161}", nullptr},
         Case{"{00000000-0000-1100-8000-}", guid(), "#2023 {00000000-0000-1100-8000-}", nullptr},
         Case{"{}", guid(), "#2023 {}", nullptr},
         Case{"{00000000-10000-1100-8000-0000C06B5161}", guid(), "#2005 10000", nullptr});
}

// Errors quote the whole rest of the line.
TEST(Scan, Strings) {
    scan(Case{"abc def", string(), "abc", " def"}, Case{"a-b/c\td", string(), "a-b/c", "\td"},
         Case{"a\\tb", string(), "a\tb", ""}, Case{"a\\nb", string(), "a\r\nb", ""}, Case{"a\\qb", string(), "aqb", ""},
         Case{"\\v\\b\\r\\f\\a\\?\\'", string(), "\x0B\x08\r\x0C\x07?'", ""},
         Case{"\\x41\\101\\\\", string(), "AA\\", ""}, Case{"\\x1fFz", string(), "\xFFz", ""},
         Case{"\\1017", string(), "A7", ""}, Case{"ab\\", string(), "ab", ""},
         Case{"\"ab\"\"cd\" x", string(), "abcd", " x"}, Case{"\"a b/c\"-x", string(), "a b/c", "-x"},
         Case{"\"a\\\"b\"", string(), "a\"b", ""}, Case{"a\"b", string(), "a\"b", ""}, Case{"\"\"", string(), "", ""},
         Case{"\"a\tb\"", string(), "#2006 \"a\tb\"", nullptr}, Case{"\"abc", string(), "#2006 \"abc", "\"abc"},
         Case{"ab\x01", string(), "#2006 ab\x01", nullptr}, Case{" x", string(), "#2024  x", nullptr},
         Case{"", string(), "#2024 ", nullptr}, Case{"abcdef", string(ovs::ScanBlankEndsText, 4), "abcd", "ef"},
         Case{"\"abcd\"x", string(ovs::ScanBlankEndsText, 4), "abcd", "x"},
         Case{"\"abcdef\"", string(ovs::ScanBlankEndsText, 4), "#2006 \"abcdef\"", nullptr},
         Case{"a b", string(0), "a b", ""});
}

TEST(Scan, FileSpecs) {
    scan(Case{"C:/x", fileSpec(), "0 C:", "/x"}, Case{"C:\\a\\b c", fileSpec(), "0 C:\\a\\b", " c"},
         Case{"\"C:\\a b/c\\\" -x", fileSpec(), "0 C:\\a b/c\\", " -x"}, Case{"\"C:\\a b", fileSpec(), "0 C:\\a b", ""},
         Case{"C:\\in\\*.pdf", fileSpec(), "#2023 C:\\in\\*.pdf", nullptr},
         Case{"C:\\in\\?.pdf", fileSpec(ovs::ScanWildcards), "1 C:\\in\\?.pdf", ""},
         Case{"x.pdf", fileSpec(ovs::ScanMakeAbsolute, "C:\\base"), "0 C:\\base\\x.pdf", ""},
         Case{"sub\\a.pdf", fileSpec(ovs::ScanMakeAbsolute), "0 " + ovs::FileString::currentFolder().join("sub\\a.pdf"),
              ""},
         Case{"D:\\y.pdf", fileSpec(ovs::ScanMakeAbsolute, "C:\\base"), "0 D:\\y.pdf", ""},
         Case{"\\\\srv\\s", fileSpec(ovs::ScanMakeAbsolute, "C:\\base"), "0 \\\\srv\\s", ""},
         Case{"", fileSpec(), "#2019 ", nullptr}, Case{"\"\" x", fileSpec(), "#2023 \"\"", nullptr},
         Case{"/x", fileSpec(), "#2023 ", nullptr}, Case{"report", fileSpec(0, nullptr, "pdf"), "0 report.pdf", ""},
         Case{"report.", fileSpec(0, nullptr, "pdf"), "0 report.", ""},
         Case{"C:\\report", fileSpec(0, nullptr, "pdf"), "0 C:\\report", ""},
         Case{"C:\\in\\*.pdf -o:C:\\out  b?.pdf", fileList(), "C:\\in: *.pdf+ -o:C:\\out b?.pdf+", ""},
         Case{"C:\\in\\a.pdf D:\\x.pdf", fileList(), "#2023 D:\\x.pdf", nullptr}, Case{"", fileList(), ":", ""},
         Case{"C:\\in\\*.pdf/S", fileList(true), "C:\\in: *.pdf+ /s", ""});
}

// clang-format off
TEST(Scan, EndsBlanksAndCharacters) {
    scan(Case{"  \t ", expectEnd(Skip), "end", ""}, Case{"  x y", expectEnd(), "#2022   x y", nullptr},
                    Case{"  x y", expectEnd(Skip), "#2022 x y", nullptr}, Case{" ", isBlank(), "blank", " "},
                    Case{"\t", isBlank(), "blank", "\t"}, Case{"\r", isBlank(), "blank", nullptr},
                    Case{"\n", isBlank(), "blank", nullptr}, Case{"x", isBlank(), "no", "x"},
                    Case{"", isBlank(), "no", ""}, Case{"  a B", character('a'), "no", "  a B"},
                    Case{"  a B", character('A', Skip | ovs::ScanIgnoreCase), "yes", "B"},
                    Case{"B", character('b'), "no", "B"}, Case{"B", character('B'), "yes", ""},
                    Case{"", character('\0'), "no", ""});
}
// clang-format on

// A scanner that turns "\u" into "<u>" itself and leaves other escapes to the base.
class EscapingParsing : public Parsing {
public:
    using Parsing::Parsing;
    bool translateEscape(std::string& out) override {
        if (*position_ != 'u') {
            return false;
        }
        ++position_;
        out += "<u>";
        return true;
    }
    bool beginString() override { return ++begun; }
    bool endString() override { return ++ended; }
    int begun = 0;
    int ended = 0;
};

TEST(ReadString, SubclassTranslatesEscapesAndSeesBeginAndEnd) {
    EscapingParsing parser("a\\ub\\tc");
    EXPECT_EQ("a<u>b\tc", string()(parser));
    EXPECT_EQ(1, parser.begun);
    EXPECT_EQ(1, parser.ended);
}

TEST(RaiseError, TokenEndRules) {
    Parsing parser("ab cd ef");
    parser.setPosition(parser.text() + 4);
    const std::pair<ovs::TokenEnd, const char*> cases[] = {{ovs::TokenEnd::ToEnd, "#2023 ab cd ef"},
                                                           {ovs::TokenEnd::ToNextBlank, "#2023 ab"},
                                                           {ovs::TokenEnd::ToPosition, "#2023 ab c"},
                                                           {ovs::TokenEnd::ToNearer, "#2023 ab"}};
    for (const auto& [rule, expected] : cases) {
        EXPECT_EQ(expected,
                  outcome(parser, [rule = rule](Parsing& p) -> std::string { p.raiseError(2023, rule, "extra"); }));
    }
    parser.setPosition(parser.text() + 1);
    parser.setTokenEnd(ovs::TokenEnd::ToNearer);
    EXPECT_EQ("a", parser.tokenText());
    EXPECT_EQ("second", ovs::test::expectException(2005, [&] { parser.raiseError(2005, "second"); }).argument(2));
    parser.setTokenStart(parser.text() + 3); // no token end set since: up to the next blank
    EXPECT_EQ("cd", parser.tokenText());
}

} // namespace
