// One section of an older sectioned settings file: its type, its identifier and
// the records that passed its legality rules, in file order and by key. The
// section owns its records, removed ones included.
#pragma once

#include "acf_table_types.h"

#include <list>
#include <map>
#include <string>

class ACF_ASSIGNMENT;
class ACF_FILE;

class ACF_SECTION {
public:
    // A null identifier is stored as empty.
    ACF_SECTION(ACF_FILE* file, ACF_SECTION_TYPE_ENUM type, char const* identifier);
    ~ACF_SECTION();
    ACF_SECTION(ACF_SECTION const&) = delete;
    ACF_SECTION& operator=(ACF_SECTION const&) = delete;

    ACF_FILE* get_file() const { return m_file; }
    void set_file(ACF_FILE* file) { m_file = file; }
    ACF_SECTION_TYPE_ENUM get_section_type() const { return m_type; }
    char const* get_identifier() const { return m_identifier.c_str(); }

    // The key of a record: the variable's user name ("#<number>" for a freeform
    // variable), then the target when there is one, then the source when both are.
    void create_assignment_key(char const* source, char const* target,
                               ACF_VARIABLE_TYPE_ENUM variable, std::string& out) const;

    // The first live record of the key (variable 0: of any key) that matches
    // every non-empty text given; values compare as the variable's case rule
    // says. An ignored record counts only with match_ignored, or when its
    // default value is non-empty.
    ACF_ASSIGNMENT* internal_find_first(char const* source, char const* target,
                                        ACF_VARIABLE_TYPE_ENUM variable, char const* variable_name,
                                        char const* value, bool match_ignored) const;
    // The first live record of the variable without target.
    ACF_ASSIGNMENT* find_first(ACF_VARIABLE_TYPE_ENUM variable) const;
    // A new list, owned by the file, of the live records of the variable (0: all)
    // in file order.
    std::list<ACF_ASSIGNMENT*>* find(ACF_VARIABLE_TYPE_ENUM variable) const;

    // Whether a record may join the section: the section belongs to the file's
    // kind, the variable may stand here in this form with this value, and it
    // does not clash. A clash with a record of the same instance marks the
    // earlier one removed (the last setting of an instance wins); a clash of
    // global settings refuses the new one (the first stays).
    bool is_legal(char const* source, char const* target, ACF_VARIABLE_TYPE_ENUM variable,
                  char const* variable_name, char const* value);

    // Appends the record and files it under its key; the section owns it.
    void add_assignment_to_coll_and_map(ACF_ASSIGNMENT* assignment);

private:
    ACF_FILE* m_file;
    ACF_SECTION_TYPE_ENUM m_type;
    std::string m_identifier;
    std::list<ACF_ASSIGNMENT*> m_assignments;
    std::multimap<std::string, ACF_ASSIGNMENT*> m_key_map;
};
