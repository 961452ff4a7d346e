/* The grammar of the older sectioned settings files. Assignments become records
   of the file's factory, each judged by its section as the section fills; the
   sections are offered to the file once the whole input has been read. Syntax
   errors are not reported: a bad assignment is skipped up to its end, any
   other error ends the parse with nothing kept. */
%define api.pure full
%define api.prefix {acf_yy}
/* The sections reach the file only once the end of input has been seen: no
   reduction is taken before its lookahead token has been checked. */
%define lr.default-reduction consistent
%parse-param {FlexLexer* lexer} {void* file}
%lex-param {FlexLexer* lexer}

%code top {
// Before the parser's own renaming of yylex, which must not reach the scanner class.
#include "formats/acf_lexer.h"
}

%code requires {
#include <list>
#include <string>

class ACF_ASSIGNMENT;
class ACF_SECTION;
class FlexLexer;
}

%code provides {
// The error report of the parser and the scanner: syntax errors are not reported.
void acf_yyerror(FlexLexer* lexer, char const* message);
}

%code {
#include "acf_assignment.h"
#include "records/acf_assignment_factory.h"
#include "formats/acf_file.h"
#include "formats/acf_section.h"
#include "acf_table.h"
#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

#define YYINITDEPTH 200
#define YYMAXDEPTH 20000

namespace {

void acf_yyerror(FlexLexer* lexer, void*, char const* message) {
    ::acf_yyerror(lexer, message);
}

ACF_FILE* as_file(void* file) {
    return static_cast<ACF_FILE*>(file);
}

// One record of the file's factory; the token texts are consumed.
ACF_ASSIGNMENT* make_assignment(void* file, bool ignored, std::string* source,
                                std::string* target, std::string* name, std::string* value,
                                std::string* comment) {
    ACF_ASSIGNMENT* assignment = as_file(file)->get_assignment_factory()->create_assignment(
        acf_user_name_to_variable_type_enum(name->c_str()), name, source, target, value, comment,
        ignored);
    delete source;
    delete target;
    delete name;
    delete value;
    delete comment;
    return assignment;
}

// A section of the file holding the legal records of the list; the others go to
// the file's illegal list. The name, identifier and list are consumed.
ACF_SECTION* make_section(void* file, std::string* name, std::string* identifier,
                          std::list<ACF_ASSIGNMENT*>* assignments) {
    ACF_FILE* owner = as_file(file);
    ACF_SECTION* section =
        MEM_NEW(ACF, ACF_SECTION)(owner, acf_user_string_to_section_type_enum(name->c_str()),
                                  identifier ? identifier->c_str() : nullptr);
    for (ACF_ASSIGNMENT* assignment : *assignments) {
        assignment->set_old_section_info(identifier ? identifier->c_str() : nullptr,
                                         owner->get_file_name(),
                                         owner->get_file_type() == ACF_FILE_TYPE_ENTITY_SETTINGS);
        if (section->is_legal(assignment->get_source(), assignment->get_target(),
                              assignment->get_type(), assignment->get_variable_string(),
                              assignment->get_actual_value())) {
            section->add_assignment_to_coll_and_map(assignment);
        } else {
            owner->add_illegal_assignment(assignment);
        }
    }
    delete name;
    delete identifier;
    delete assignments;
    return section;
}

// Each section joins the file when the file allows it; the others are dropped
// with their records.
void offer_sections(void* file, std::list<ACF_SECTION*>* sections) {
    for (ACF_SECTION* section : *sections) {
        if (as_file(file)->is_legal(section->get_section_type(), section->get_identifier())) {
            as_file(file)->add_section(section);
        } else {
            delete section;
        }
    }
    delete sections;
}

} // namespace
}

%union {
    std::string* text;
    bool flag;
    ACF_ASSIGNMENT* assignment;
    std::list<ACF_ASSIGNMENT*>* assignments;
    ACF_SECTION* section;
    std::list<ACF_SECTION*>* sections;
}

%token <text> STRING COMMENTED_END OTHER_CHAR
%token ARROW DISABLE_MARK

%type <text> end
%type <flag> disable_mark
%type <assignment> assignment
%type <assignments> assignment_list
%type <section> section
%type <sections> section_list

%destructor { delete $$; } <text> <assignment> <section>
%destructor { for (ACF_ASSIGNMENT* a : *$$) delete a; delete $$; } <assignments>
%destructor { for (ACF_SECTION* s : *$$) delete s; delete $$; } <sections>

%%

file
    : section_list                    { offer_sections(file, $1); }
    ;

section_list
    : %empty                          { $$ = MEM_NEW(ACF, std::list<ACF_SECTION*>)(); }
    | section_list section            { $$ = $1; $$->push_back($2); }
    ;

section
    : STRING '{' assignment_list '}'
                                      { $$ = make_section(file, $1, nullptr, $3); }
    | STRING '(' STRING ')' '{' assignment_list '}'
                                      { $$ = make_section(file, $1, $3, $6); }
    ;

assignment_list
    : %empty                          { $$ = MEM_NEW(ACF, std::list<ACF_ASSIGNMENT*>)(); }
    | assignment_list assignment      { $$ = $1; if ($2) $$->push_back($2); }
    ;

assignment
    : disable_mark STRING '=' STRING end
                                      { $$ = make_assignment(file, $1, nullptr, nullptr, $2, $4, $5); }
    | disable_mark STRING ':' STRING '=' STRING end
                                      { $$ = make_assignment(file, $1, nullptr, $2, $4, $6, $7); }
    | disable_mark STRING ARROW STRING ':' STRING '=' STRING end
                                      { $$ = make_assignment(file, $1, $2, $4, $6, $8, $9); }
    | error end                       { delete $2; $$ = nullptr; }
    ;

disable_mark
    : %empty                          { $$ = false; }
    | DISABLE_MARK                    { $$ = true; }
    ;

end
    : ';'                             { $$ = nullptr; }
    | COMMENTED_END                   { $$ = $1; }
    ;

%%

void acf_yyerror(FlexLexer*, char const*) {}
