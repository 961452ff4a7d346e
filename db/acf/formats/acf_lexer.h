// The scanner of the older sectioned settings files. Its tokens carry a
// position (file name, line and column, and the position before the token),
// which the reader sets up and nothing else reads.
#pragma once

#if !defined(yyFlexLexerOnce)
#undef yyFlexLexer
#define yyFlexLexer acf_yyFlexLexer
#include <FlexLexer.h>
#endif

#include <istream>
#include <ostream>
#include <string>

class ACF_LEXER : public acf_yyFlexLexer {
public:
    // Reads `input`; the scanner writes nothing (`output` may be null).
    explicit ACF_LEXER(std::istream* input, std::ostream* output = nullptr);

    // The next token code, 0 at the end of input. For a text token (word or
    // quoted string, commented end, other character) a new string goes into
    // `value`'s text slot; the grammar owns it from then on.
    int yylex(void* value);

    void set_file_name(std::string const& name) { m_location.file_name = name; }

    struct LOCATION {
        std::string file_name;
        int line = 0;
        int column = 0;
        int prev_line = 0;
        int prev_column = 0;
    };
    LOCATION const& get_location() const { return m_location; }

protected:
    virtual void init_yy_location();
    virtual void set_yy_location();
    virtual void set_prev_location();
    // Scanner failures are not reported: the read ends (ACF_LEXER_FAILURE).
    void LexerError(char const* message) override;

private:
    using acf_yyFlexLexer::yylex;
    LOCATION m_location;
    bool m_location_started = false;
};

// Thrown by the scanner when it cannot go on (its input buffer cannot grow).
struct ACF_LEXER_FAILURE {};

// The next token of the scanner (an ACF_LEXER), for the grammar.
int acf_yylex(void* value, FlexLexer* lexer);
// A new string holding `text` up to its terminating zero (at most `length` bytes).
std::string* acf_alloc_string(ACF_LEXER* lexer, char const* text, int length);
// Removes the backslash-quote escapes in place: a backslash directly before a
// double quote is dropped; every other character is kept.
void acf_lexer_remove_escapes(char* text);
