// The scanner of the older sectioned settings files: one table of inputs and the
// tokens they give.
#include "acf_parser.hpp"
#include "formats/acf_lexer.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Each token as text: words and quoted strings "S:text", commented ends
// "C:text", other characters "O:text", the rest as written.
std::vector<std::string> scan(std::string const& input) {
    std::istringstream stream(input);
    ACF_LEXER lexer(&stream);
    std::vector<std::string> tokens;
    ACF_YYSTYPE value;
    for (int code = lexer.yylex(&value); code != 0; code = lexer.yylex(&value)) {
        std::unique_ptr<std::string> text;
        switch (code) {
        case STRING:
            text.reset(value.text);
            tokens.push_back("S:" + *text);
            break;
        case COMMENTED_END:
            text.reset(value.text);
            tokens.push_back("C:" + *text);
            break;
        case OTHER_CHAR:
            text.reset(value.text);
            tokens.push_back("O:" + *text);
            break;
        case ARROW:
            tokens.push_back("->");
            break;
        case DISABLE_MARK:
            tokens.push_back("--");
            break;
        default:
            tokens.push_back(std::string(1, static_cast<char>(code)));
        }
    }
    return tokens;
}

using TOKENS = std::vector<std::string>;

TEST(AcfLexer, TokensOfEachRule) {
    struct CASE {
        char const* what;
        std::string input;
        TOKENS tokens;
    } const cases[] = {
        {"blanks, tabs, CR and newlines", " \t\r\n", {}},
        {"block comment", "/* x \n y */a", {"S:a"}},
        {"block comment without end swallows the rest", "a /* b ; c", {"S:a"}},
        {"longer word beats comment start", "/*x*/", {"S:/*x*/"}},
        {"line comment", "// x\nb", {"S:b"}},
        {"line comment needs its newline", "// x", {"S://", "S:x"}},
        {"assignment",
         "src -> dst : VAR = on ;",
         {"S:src", "->", "S:dst", ":", "S:VAR", "=", "S:on", ";"}},
        {"disabled", "-- |a", {"--", "S:|a"}},
        {"single characters", ":,=;{}()", {":", ",", "=", ";", "{", "}", "(", ")"}},
        {"minus is no word character", "A = -5 ;", {"S:A", "=", "O:-", "S:5", ";"}},
        {"quoted minus", "\"-5\"", {"S:-5"}},
        {"word characters", "a!#$%&'*+./?@[]^_|~`\\z", {"S:a!#$%&'*+./?@[]^_|~`\\z"}},
        {"less and greater than", "a<b>", {"S:a", "O:<", "S:b", "O:>"}},
        {"escaped quote in a word", "a\\\"b", {"S:a\"b"}},
        {"escaped quote in a quoted string", "\"a\\\"b\"", {"S:a\"b"}},
        {"lone backslash stays", "\"a\\b\"", {"S:a\\b"}},
        {"quoted string runs to the last quote that can end it",
         "A = \"x\\\" = \"y\" ;",
         {"S:A", "=", "S:x\" = ", "S:y", "O:\"", ";"}},
        {"unterminated quote", "\"open", {"O:\"", "S:open"}},
        {"quoted string stops at a newline", "\"a\nb\"", {"O:\"", "S:a", "S:b", "O:\""}},
        {"commented end", "x ; \t% note\ny", {"S:x", "C:; \t% note\n", "S:y"}},
        {"commented end needs its newline", "; % note", {";", "S:%", "S:note"}},
        {"bytes above ASCII", "a\x80z", {"S:a", "O:\x80", "S:z"}},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(scan(c.input), c.tokens) << c.what;
    }
}

TEST(AcfLexer, EscapesAreRemovedInPlace) {
    struct CASE {
        std::string text;
        std::string expected;
    } const cases[] = {
        {"a\\\"b", "a\"b"},
        {"\\\\\"", "\\\""},
        {"\\a\\", "\\a\\"},
        {"", ""},
    };
    for (CASE const& c : cases) {
        std::string text = c.text;
        acf_lexer_remove_escapes(&text[0]);
        EXPECT_STREQ(text.c_str(), c.expected.c_str()) << c.text;
    }
}

TEST(AcfLexer, LocationFollowsTheTokens) {
    std::istringstream stream("ab\n  cd");
    ACF_LEXER lexer(&stream);
    lexer.set_file_name("x.csf");
    ACF_YYSTYPE value;
    ASSERT_EQ(lexer.yylex(&value), STRING);
    delete value.text;
    EXPECT_EQ(lexer.get_location().line, 1);
    EXPECT_EQ(lexer.get_location().column, 3);
    ASSERT_EQ(lexer.yylex(&value), STRING);
    delete value.text;
    EXPECT_EQ(lexer.get_location().line, 2);
    EXPECT_EQ(lexer.get_location().prev_column, 3);
    EXPECT_EQ(lexer.get_location().column, 5);
    EXPECT_EQ(lexer.get_location().file_name, "x.csf");
}

} // namespace
