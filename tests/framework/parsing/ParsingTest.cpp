// The text scanner: what each reader returns, where it leaves the position, and which error
// number and quoted token it raises for bad input.
#include "parsing/Parsing.h"

#include "MessageNumbers.h"
#include "RowNames.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace msg = ovs::msg;

using ovs::Parsing;

namespace {

constexpr int NoError = 0;

// Runs read on the scanner; returns the error number (0 when none) and fills the quoted
// token of the error.
template <class Read> int errorOf(Parsing& parser, std::string* token, Read read) {
    try {
        read(parser);
    } catch (const ovs::Exception& error) {
        if (token) {
            *token = error.argument(1);
        }
        return error.number();
    }
    return NoError;
}
template <class Read> int errorOf(Parsing& parser, Read read) {
    return errorOf(parser, nullptr, read);
}

struct NumberCase {
    const char* text;
    std::uint32_t flags;
    std::uint32_t max;
    std::uint32_t expected;
    int error;
    const char* token; // quoted %1 of the error
    const char* rest;  // text left at the position after success
};

class ReadNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumber, GivesValueOrError) {
    const NumberCase& c = GetParam();
    Parsing parser(c.text);
    std::uint32_t value = 0;
    std::string token;
    int error = errorOf(parser, &token, [&](Parsing& p) { value = p.readNumber(c.flags, c.max); });
    EXPECT_EQ(error, c.error) << c.text;
    if (c.error == NoError) {
        EXPECT_EQ(value, c.expected) << c.text;
        EXPECT_STREQ(parser.position(), c.rest) << c.text;
    } else {
        EXPECT_EQ(token, c.token) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scanner, ReadNumber,
    testing::Values(NumberCase{"0x1F", 0, 0, 31, NoError, "", ""}, NumberCase{"0X1f", 0, 0, 31, NoError, "", ""},
                    NumberCase{"010", 0, 0, 10, NoError, "", ""},
                    NumberCase{"010", ovs::ScanOctal, 0, 8, NoError, "", ""},
                    NumberCase{"08", ovs::ScanOctal, 0, 8, NoError, "", ""},
                    NumberCase{"037777777777", ovs::ScanOctal, 0, 0xFFFFFFFFu, NoError, "", ""},
                    NumberCase{"040000000000", ovs::ScanOctal, 0, 0, msg::ValueOutOfRange, "040000000000", ""},
                    NumberCase{"4294967295", 0, 0, 4294967295u, NoError, "", ""},
                    NumberCase{"4294967296 x", 0, 0, 0, msg::ValueOutOfRange, "4294967296", ""},
                    NumberCase{"4294967296", ovs::ScanNoOverflow, 0, 4294967295u, NoError, "", ""},
                    NumberCase{"0xFFFFFFFF", 0, 0, 0xFFFFFFFFu, NoError, "", ""},
                    NumberCase{"0x100000000", 0, 0, 0, msg::ValueOutOfRange, "0x100000000", ""},
                    NumberCase{"0x", 0, 0, 0, msg::NumberExpected, "0x", ""},
                    NumberCase{"0xg1 z", 0, 0, 0, msg::NumberExpected, "0xg1", ""},
                    NumberCase{"+5", 0, 0, 0, msg::DecimalExpected, "+5", ""},
                    NumberCase{"-5 x", 0, 0, 0, msg::DecimalExpected, "-5", ""},
                    NumberCase{"", 0, 0, 0, msg::DecimalExpected, "", ""},
                    NumberCase{"1a2B", ovs::ScanHexadecimal, 0, 0x1A2B, NoError, "", ""},
                    NumberCase{"0123", ovs::ScanHexadecimal, 0, 0x123, NoError, "", ""},
                    NumberCase{"FFFF", ovs::ScanHexadecimal, 0xFFFF, 0xFFFF, NoError, "", ""},
                    NumberCase{"10000", ovs::ScanHexadecimal, 0xFFFF, 0, msg::ValueOutOfRange, "10000", ""},
                    NumberCase{"123456789", ovs::ScanHexadecimal, 0, 0, msg::ValueOutOfRange, "123456789", ""},
                    NumberCase{"100", 0, 99, 0, msg::ValueOutOfRange, "100", ""},
                    NumberCase{"99", 0, 99, 99, NoError, "", ""}, NumberCase{"12abc", 0, 0, 12, NoError, "", "abc"},
                    NumberCase{"0x1Fz", 0, 0, 31, NoError, "", "z"},
                    NumberCase{"  7  x", ovs::ScanSkipBlanks, 0, 7, NoError, "", "x"},
                    NumberCase{"7  x", 0, 0, 7, NoError, "", "  x"}),
    ovs::test::namedBy(&NumberCase::text));

TEST(ReadDecimal, RefusesHexadecimalAndReadsOnlyDigits) {
    Parsing parser("0x10");
    EXPECT_EQ(parser.readDecimal(), 0u);
    EXPECT_STREQ(parser.position(), "x10");
    Parsing letters("abc def");
    std::string token;
    EXPECT_EQ(errorOf(letters, &token, [](Parsing& p) { p.readDecimal(); }), msg::DecimalExpected);
    EXPECT_EQ(token, "abc");
}

struct KeywordCase {
    const char* list;
    const char* text;
    std::uint32_t flags;
    int expected;
    const char* rest;
};

class ReadKeyword : public testing::TestWithParam<KeywordCase> {};

TEST_P(ReadKeyword, FindsEntry) {
    const KeywordCase& c = GetParam();
    Parsing parser(c.text);
    EXPECT_EQ(parser.readKeyword(c.list, c.flags), c.expected) << c.text;
    EXPECT_STREQ(parser.position(), c.rest) << c.text;
}

const char* const ThirtyTwo = "abcdefghijklmnopqrstuvwxyzabcdef";

INSTANTIATE_TEST_SUITE_P(
    Scanner, ReadKeyword,
    testing::Values(KeywordCase{"alg\tad\ted", "AD", ovs::ScanFullKeyword, 2, ""},
                    KeywordCase{"alg\tad\ted", "a", ovs::ScanFullKeyword, -1, "a"},
                    KeywordCase{"alg\tad\ted", "al x", 0, 1, " x"}, KeywordCase{"alg\tad\ted", "e", 0, 3, ""},
                    KeywordCase{"alg\tad\ted", "ed:5", ovs::ScanFullKeyword, 3, ":5"},
                    KeywordCase{"alg\tad\ted", "ad5", ovs::ScanFullKeyword, 2, "5"},
                    KeywordCase{"alg\tad\ted", "ad5", ovs::ScanFullKeyword | ovs::ScanKeywordDigits, -1, "ad5"},
                    KeywordCase{"a1\tb", "A1", ovs::ScanFullKeyword | ovs::ScanKeywordDigits, 1, ""},
                    KeywordCase{"alg\tad\ted", "x", 0, -1, "x"}, KeywordCase{"alg\tad\ted", "9", 0, 0, "9"},
                    KeywordCase{"alg\tad\ted", "", 0, 0, ""}, KeywordCase{"", "ad", 0, -1, "ad"},
                    KeywordCase{"a\tb\t", "b", ovs::ScanFullKeyword, 2, ""},
                    KeywordCase{"x\tabcdefghijklmnopqrstuvwxyzabcdef", "abcdefghijklmnopqrstuvwxyzabcdefXYZ!",
                                ovs::ScanFullKeyword, 2, "!"},
                    KeywordCase{"ab", "  ab  c", ovs::ScanSkipBlanks, 1, "c"},
                    KeywordCase{"ab", "  xy  c", ovs::ScanSkipBlanks, -1, "xy  c"}),
    ovs::test::namedBy(&KeywordCase::text));

TEST(ReadKeyword, AbbreviationOfTwoEntriesIsAmbiguous) {
    Parsing parser("a");
    std::string token;
    EXPECT_EQ(errorOf(parser, &token, [](Parsing& p) { p.readKeyword("alg\tad\ted"); }), msg::AmbiguousSpecification);
    EXPECT_EQ(token, "a");
    std::string typed = std::string(ThirtyTwo) + "q";
    Parsing longWord(typed.c_str());
    EXPECT_EQ(longWord.readKeyword(ThirtyTwo, ovs::ScanFullKeyword), 1);
}

TEST(ReadOptionKeyword, NeedsSlashOrDashAndGoesBackWhenUnknown) {
    const char* list = "ad\tnw";
    struct Case {
        const char* text;
        int expected;
        const char* rest;
    } cases[] = {{"-nw", 2, ""}, {"/NW:x", 2, ":x"}, {"nw", 0, "nw"}, {"-n", -1, "-n"}, {"-", 0, "-"}, {"-5", 0, "-5"}};
    for (const Case& c : cases) {
        Parsing parser(c.text);
        EXPECT_EQ(parser.readOptionKeyword(list, ovs::ScanFullKeyword), c.expected) << c.text;
        EXPECT_STREQ(parser.position(), c.rest) << c.text;
    }
}

TEST(ReadHexBytes, FillsRightAligned) {
    struct Case {
        const char* text;
        std::uint32_t flags;
        std::uint8_t first, second;
        std::uint32_t filled;
        int error;
        const char* rest;
    } cases[] = {{"ABC", 0, 0x0A, 0xBC, 2, NoError, ""},
                 {"1234567", 0, 0x12, 0x34, 2, NoError, "567"},
                 {"f", 0, 0x00, 0x0F, 1, NoError, ""},
                 {"xyz", 0, 0x00, 0x00, 0, NoError, "xyz"},
                 {"ABC", ovs::ScanAllHexDigits, 0, 0, 0, msg::NumberExpected, ""}};
    for (const auto& c : cases) {
        Parsing parser(c.text);
        std::uint8_t bytes[2] = {0x55, 0x55};
        std::uint32_t filled = 0;
        int error = errorOf(parser, [&](Parsing& p) { filled = p.readHexBytes(bytes, 2, c.flags); });
        EXPECT_EQ(error, c.error) << c.text;
        if (error == NoError) {
            EXPECT_EQ(filled, c.filled) << c.text;
            EXPECT_EQ(bytes[0], c.first) << c.text;
            EXPECT_EQ(bytes[1], c.second) << c.text;
            EXPECT_STREQ(parser.position(), c.rest) << c.text;
        }
    }
}

TEST(ReadGuid, ReadsFieldsWithAndWithoutBraces) {
    const std::uint8_t data4[8] = {0x80, 0x00, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61};
    Parsing braced("{00000000-0000-1100-8000-0000C06B5161} rest");
    GUID guid{};
    braced.readGuid(guid, ovs::ScanGuidBraces | ovs::ScanSkipBlanks);
    EXPECT_EQ(guid.Data1, 0u);
    EXPECT_EQ(guid.Data2, 0u);
    EXPECT_EQ(guid.Data3, 0x1100u);
    EXPECT_EQ(std::memcmp(guid.Data4, data4, 8), 0);
    EXPECT_STREQ(braced.position(), "rest");

    Parsing plain("12345678-9ABC-DEF0-0102-030405060708");
    plain.readGuid(guid);
    EXPECT_EQ(guid.Data1, 0x12345678u);
    EXPECT_EQ(guid.Data2, 0x9ABCu);
    EXPECT_EQ(guid.Data3, 0xDEF0u);
    EXPECT_EQ(guid.Data4[0], 0x01);
    EXPECT_EQ(guid.Data4[7], 0x08);
}

TEST(ReadGuid, MalformedTextRaises2023QuotingTheGuid) {
    const char* bad[] = {"00000000-0000-1100-8000-0000C06B5161",
                         "{00000000-0000-1100-8000-0000C06B5161",
                         "{00000000-0000-1100-80000000C06B5161}",
                         "{00000000-0000--8000-0000C06B5161}",
                         "{00000000-0000-1100-8000-}",
                         "{}"};
    for (const char* text : bad) {
        Parsing parser(text);
        GUID guid{};
        std::string token;
        EXPECT_EQ(errorOf(parser, &token, [&](Parsing& p) { p.readGuid(guid, ovs::ScanGuidBraces); }),
                  msg::BadSpecification)
            << text;
        EXPECT_EQ(token, text);
    }
    Parsing wide("{00000000-10000-1100-8000-0000C06B5161}");
    GUID guid{};
    EXPECT_EQ(errorOf(wide, [&](Parsing& p) { p.readGuid(guid, ovs::ScanGuidBraces); }), msg::ValueOutOfRange);
}

struct StringCase {
    const char* text;
    const char* expected;
    const char* rest;
    int error;
};

class ReadString : public testing::TestWithParam<StringCase> {};

TEST_P(ReadString, AsTheOptionParserReadsIt) {
    const StringCase& c = GetParam();
    Parsing parser(c.text);
    std::string out;
    std::string token;
    int error = errorOf(parser, &token, [&](Parsing& p) { p.readString(out, ovs::ScanBlankEndsText, 1024); });
    EXPECT_EQ(error, c.error) << c.text;
    if (error == NoError) {
        EXPECT_EQ(out, c.expected) << c.text;
        EXPECT_STREQ(parser.position(), c.rest) << c.text;
    } else {
        EXPECT_EQ(token, c.text) << "the whole rest of the line is quoted";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scanner, ReadString,
    testing::Values(StringCase{"abc def", "abc", " def", NoError}, StringCase{"a-b/c\td", "a-b/c", "\td", NoError},
                    StringCase{"a\\tb", "a\tb", "", NoError}, StringCase{"a\\nb", "a\r\nb", "", NoError},
                    StringCase{"a\\qb", "aqb", "", NoError},
                    StringCase{"\\v\\b\\r\\f\\a\\?\\'", "\x0B\x08\r\x0C\x07?'", "", NoError},
                    StringCase{"\\x41\\101\\\\", "AA\\", "", NoError}, StringCase{"\\x1fFz", "\xFFz", "", NoError},
                    StringCase{"\\1017", "A7", "", NoError}, StringCase{"ab\\", "ab", "", NoError},
                    StringCase{"\"ab\"\"cd\" x", "abcd", " x", NoError},
                    StringCase{"\"a b/c\"-x", "a b/c", "-x", NoError}, StringCase{"\"a\\\"b\"", "a\"b", "", NoError},
                    StringCase{"a\"b", "a\"b", "", NoError}, StringCase{"\"\"", "", "", NoError},
                    StringCase{"\"a\tb\"", "", "", msg::NoEndOfString}, StringCase{"\"abc", "", "", msg::NoEndOfString},
                    StringCase{"ab\x01", "", "", msg::NoEndOfString},
                    StringCase{" x", "", "", msg::MissingSpecification},
                    StringCase{"", "", "", msg::MissingSpecification}),
    ovs::test::namedBy(&StringCase::text));

TEST(ReadString, UnclosedQuoteLeavesPositionAtTokenStart) {
    Parsing parser("\"abc");
    std::string out;
    EXPECT_EQ(errorOf(parser, [&](Parsing& p) { p.readString(out, ovs::ScanBlankEndsText); }), msg::NoEndOfString);
    EXPECT_STREQ(parser.position(), "\"abc");
}

TEST(ReadString, StopsAtMaximumLength) {
    Parsing unquoted("abcdef");
    std::string out;
    unquoted.readString(out, ovs::ScanBlankEndsText, 4);
    EXPECT_EQ(out, "abcd");
    EXPECT_STREQ(unquoted.position(), "ef");

    Parsing closing("\"abcd\"x");
    closing.readString(out, ovs::ScanBlankEndsText, 4);
    EXPECT_EQ(out, "abcd");
    EXPECT_STREQ(closing.position(), "x");

    Parsing tooLong("\"abcdef\"");
    EXPECT_EQ(errorOf(tooLong, [&](Parsing& p) { p.readString(out, ovs::ScanBlankEndsText, 4); }), msg::NoEndOfString);
}

TEST(ReadString, WithoutBlankRuleReadsToTheEnd) {
    Parsing parser("a b");
    std::string out;
    parser.readString(out);
    EXPECT_EQ(out, "a b");
}

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
    bool beginString() override {
        ++begun;
        return true;
    }
    bool endString() override {
        ++ended;
        return true;
    }
    int begun = 0;
    int ended = 0;
};

TEST(ReadString, SubclassTranslatesEscapesAndSeesBeginAndEnd) {
    EscapingParsing parser("a\\ub\\tc");
    std::string out;
    parser.readString(out, ovs::ScanBlankEndsText);
    EXPECT_EQ(out, "a<u>b\tc");
    EXPECT_EQ(parser.begun, 1);
    EXPECT_EQ(parser.ended, 1);
}

struct FileSpecCase {
    const char* text;
    std::uint32_t flags;
    const char* baseFolder;
    const char* expected;
    std::uint32_t result;
    const char* rest;
    int error;
};

class ReadFileSpec : public testing::TestWithParam<FileSpecCase> {};

TEST_P(ReadFileSpec, ReadsOnePath) {
    const FileSpecCase& c = GetParam();
    Parsing parser(c.text);
    ovs::FileString path("untouched");
    std::uint32_t result = 0x80;
    int error = errorOf(parser, [&](Parsing& p) { p.readFileSpec(result, path, c.flags, nullptr, c.baseFolder); });
    EXPECT_EQ(error, c.error) << c.text;
    if (error == NoError) {
        EXPECT_EQ(path, c.expected) << c.text;
        EXPECT_EQ(result, c.result) << c.text;
        EXPECT_STREQ(parser.position(), c.rest) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scanner, ReadFileSpec,
    testing::Values(FileSpecCase{"C:/x", 0, nullptr, "C:", 0, "/x", NoError},
                    FileSpecCase{"C:\\a\\b c", 0, nullptr, "C:\\a\\b", 0, " c", NoError},
                    FileSpecCase{"\"C:\\a b/c\\\" -x", 0, nullptr, "C:\\a b/c\\", 0, " -x", NoError},
                    FileSpecCase{"\"C:\\a b", 0, nullptr, "C:\\a b", 0, "", NoError},
                    FileSpecCase{"C:\\in\\*.pdf", 0, nullptr, "", 0, "", msg::BadSpecification},
                    FileSpecCase{"C:\\in\\?.pdf", ovs::ScanWildcards, nullptr, "C:\\in\\?.pdf",
                                 ovs::FileSpecHasWildcards, "", NoError},
                    FileSpecCase{"x.pdf", ovs::ScanMakeAbsolute, "C:\\base", "C:\\base\\x.pdf", 0, "", NoError},
                    FileSpecCase{"D:\\y.pdf", ovs::ScanMakeAbsolute, "C:\\base", "D:\\y.pdf", 0, "", NoError},
                    FileSpecCase{"\\\\srv\\s", ovs::ScanMakeAbsolute, "C:\\base", "\\\\srv\\s", 0, "", NoError},
                    FileSpecCase{"", 0, nullptr, "", 0, "", msg::FileSpecExpected},
                    FileSpecCase{"\"\" x", 0, nullptr, "", 0, "", msg::BadSpecification},
                    FileSpecCase{"/x", 0, nullptr, "", 0, "", msg::BadSpecification}),
    ovs::test::namedBy(&FileSpecCase::text));

TEST(ReadFileSpec, DefaultExtensionOnlyForBareNames) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {{"report", "report.pdf"}, {"report.", "report."}, {"C:\\report", "C:\\report"}};
    for (const Case& c : cases) {
        Parsing parser(c.text);
        ovs::FileString path;
        std::uint32_t result = 0;
        parser.readFileSpec(result, path, 0, "pdf");
        EXPECT_EQ(path, c.expected);
    }
}

TEST(ReadFileSpec, RelativePathIsMadeAbsoluteAgainstTheCurrentFolder) {
    Parsing parser("sub\\a.pdf");
    ovs::FileString path;
    std::uint32_t result = 0;
    parser.readFileSpec(result, path, ovs::ScanMakeAbsolute);
    ovs::FileString expected = ovs::FileString::currentFolder();
    expected.join("sub\\a.pdf");
    EXPECT_EQ(path, expected);
    EXPECT_TRUE(path.isAbsolute());
}

TEST(ReadFileList, TakesTheRestOfTheLine) {
    Parsing parser("C:\\in\\*.pdf -o:C:\\out  b?.pdf");
    ovs::FileScanSpec spec;
    parser.readFileList(spec);
    EXPECT_EQ(spec.folder(), "C:\\in");
    ASSERT_EQ(spec.patterns().size(), 3u);
    EXPECT_EQ(spec.patterns()[0], "*.pdf");
    EXPECT_EQ(spec.patterns()[1], "-o:C:\\out");
    EXPECT_EQ(spec.patterns()[2], "b?.pdf");
    EXPECT_EQ(spec.patternFlags(), (std::vector<bool>{true, false, true}));
    EXPECT_FALSE(spec.recursive());
    EXPECT_TRUE(parser.atEnd());
}

TEST(ReadFileList, FurtherAbsolutePathRaises2023) {
    Parsing parser("C:\\in\\a.pdf D:\\x.pdf");
    ovs::FileScanSpec spec;
    std::string token;
    EXPECT_EQ(errorOf(parser, &token, [&](Parsing& p) { p.readFileList(spec); }), msg::BadSpecification);
    EXPECT_EQ(token, "D:\\x.pdf");
}

TEST(ReadFileList, EmptyTextGivesEmptySpecAndRecursionOnlyOnRequest) {
    Parsing empty("");
    ovs::FileScanSpec spec;
    spec.addPattern("old", false);
    empty.readFileList(spec);
    EXPECT_TRUE(spec.patterns().empty());

    Parsing recursive("C:\\in\\*.pdf/S");
    recursive.readFileList(spec, true);
    EXPECT_TRUE(spec.recursive());
    EXPECT_EQ(spec.folder(), "C:\\in");
}

TEST(ExpectChar, ConsumesOnlyAMatch) {
    Parsing parser("  a B");
    EXPECT_FALSE(parser.expectChar('a'));
    EXPECT_TRUE(parser.expectChar('A', ovs::ScanSkipBlanks | ovs::ScanIgnoreCase));
    EXPECT_FALSE(parser.expectChar('b'));
    EXPECT_TRUE(parser.expectChar('B'));
    EXPECT_FALSE(parser.expectChar('\0'));
}

TEST(ExpectEnd, QuotesTheRemainingText) {
    Parsing parser("  \t ");
    EXPECT_NO_THROW(parser.expectEnd(ovs::ScanSkipBlanks));
    Parsing rest("  x y");
    std::string token;
    EXPECT_EQ(errorOf(rest, &token, [](Parsing& p) { p.expectEnd(); }), msg::EndOfLineExpected);
    EXPECT_EQ(token, "  x y");
    Parsing skipped("  x y");
    EXPECT_EQ(errorOf(skipped, &token, [](Parsing& p) { p.expectEnd(ovs::ScanSkipBlanks); }), msg::EndOfLineExpected);
    EXPECT_EQ(token, "x y");
}

TEST(IsBlank, SpaceTabAndLineBreaksWithAnsiFileApis) {
    for (const char* text : {" ", "\t", "\r", "\n"}) {
        EXPECT_TRUE(Parsing(text).isBlank()) << int(text[0]);
    }
    EXPECT_FALSE(Parsing("x").isBlank());
    EXPECT_FALSE(Parsing("").isBlank());
}

TEST(RaiseError, TokenEndRules) {
    Parsing parser("ab cd ef");
    parser.setPosition(parser.text() + 4);
    struct Case {
        ovs::TokenEnd rule;
        const char* expected;
    } cases[] = {{ovs::TokenEnd::ToEnd, "ab cd ef"},
                 {ovs::TokenEnd::ToNextBlank, "ab"},
                 {ovs::TokenEnd::ToPosition, "ab c"},
                 {ovs::TokenEnd::ToNearer, "ab"}};
    for (const Case& c : cases) {
        std::string token;
        EXPECT_EQ(errorOf(parser, &token, [&](Parsing& p) { p.raiseError(msg::BadSpecification, c.rule, "extra"); }),
                  msg::BadSpecification);
        EXPECT_EQ(token, c.expected);
    }
    parser.setPosition(parser.text() + 1);
    parser.setTokenEnd(ovs::TokenEnd::ToNearer);
    EXPECT_EQ(parser.tokenText(), "a");
    try {
        parser.raiseError(msg::ValueOutOfRange, "second");
        FAIL();
    } catch (const ovs::Exception& error) {
        EXPECT_EQ(error.argument(2), "second");
    }
    parser.setTokenStart(parser.text() + 3); // no token end set since: up to the next blank
    EXPECT_EQ(parser.tokenText(), "cd");
}

} // namespace
