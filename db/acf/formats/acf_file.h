// One settings file of the older sectioned format, read whole into memory: its
// legal sections in file order, the records its sections refused, and the lists
// it has handed out. The file owns all of them; callers copy the records they
// keep (the assignment factory's copy) before deleting the file.
//
//     ACF_FILE* file = ACF_FILE::get_file(path, ACF_FILE_TYPE_COMPILER_SETTINGS, &factory);
//     if (file) {
//         for (ACF_SECTION* section : *file->find(ACF_SECTION_TYPE_NONE, nullptr))
//             for (ACF_ASSIGNMENT* record : *section->find(ACF_VARIABLE_TYPE_NONE))
//                 ...
//         delete file;
//     }
#pragma once

#include "acf_file_categories.h"
#include "acf_table_types.h"

#include <list>
#include <string>

class ACF_ASSIGNMENT;
class ACF_ASSIGNMENT_FACTORY;
class ACF_SECTION;
class MSG_POST;

class ACF_FILE {
public:
    // The file read into a new object, whatever the parse kept (syntax errors only
    // thin out its contents); null when the file does not exist or cannot be read
    // whole. The factory makes the records and must outlive the file.
    static ACF_FILE* get_file(char const* file_name, ACF_FILE_TYPE_ENUM file_type,
                              ACF_ASSIGNMENT_FACTORY* factory);

    ACF_FILE(char const* file_name, ACF_FILE_TYPE_ENUM file_type, ACF_ASSIGNMENT_FACTORY* factory);
    ~ACF_FILE();
    ACF_FILE(ACF_FILE const&) = delete;
    ACF_FILE& operator=(ACF_FILE const&) = delete;

    // Parses the file into this object; true when the whole input was accepted.
    // Records of an entity settings file get the file's base name as entity.
    bool read_file();
    // Why the file could not be read from disk; empty when it was read (whatever
    // the parse made of it).
    std::string const& get_read_error() const { return m_read_error; }

    char const* get_file_name() const { return m_file_name.c_str(); }
    ACF_FILE_TYPE_ENUM get_file_type() const { return m_file_type; }
    ACF_ASSIGNMENT_FACTORY* get_assignment_factory() const { return m_assignment_factory; }

    // Whether a section may join the file: its kind holds the section, a needed
    // identifier is given, and no section of the same type and identifier (any
    // identifier, when none is given) is in the file yet.
    bool is_legal(ACF_SECTION_TYPE_ENUM section, char const* identifier) const;
    // Makes the file the section's owner and appends it.
    void add_section(ACF_SECTION* section);

    // The first section of the type (0: any) and, when given, the identifier
    // (ignoring case); null when none.
    ACF_SECTION* find_first(ACF_SECTION_TYPE_ENUM section, char const* identifier) const;
    // A new list, owned by the file, of the sections of the type (0: any), in file
    // order; the identifier counts when given and the section takes one. Never null.
    std::list<ACF_SECTION*>* find(ACF_SECTION_TYPE_ENUM section, char const* identifier);

    // New empty lists, owned by the file (the lists, not what they hold).
    std::list<ACF_SECTION*>* new_section_coll();
    std::list<ACF_ASSIGNMENT*>* new_assignment_coll();

    // Records the sections refused; the file owns them. Null is ignored.
    void add_illegal_assignment(ACF_ASSIGNMENT* assignment);
    bool has_illegal_assignments() const { return !m_illegal_assignments.empty(); }
    std::list<ACF_ASSIGNMENT*> const& get_illegal_assignments() const {
        return m_illegal_assignments;
    }
    // Adds to `msg` one information message naming the file with, below it, each
    // refused record as its settings command; records of variables removed from
    // the language are left out, and nothing is added when none is left.
    void add_illegal_assignments_messages(MSG_POST* msg) const;

    // Whether the name is one of the variables removed from the language
    // (ignoring case); false for an empty name.
    static bool assignment_is_in_removed_list(char const* variable_name);

private:
    std::string m_file_name;
    std::string m_read_error;
    ACF_FILE_TYPE_ENUM m_file_type;
    std::list<ACF_SECTION*> m_sections;
    std::list<std::list<ACF_SECTION*>*> m_section_colls;
    std::list<std::list<ACF_ASSIGNMENT*>*> m_assignment_colls;
    std::list<ACF_ASSIGNMENT*> m_illegal_assignments;
    ACF_ASSIGNMENT_FACTORY* m_assignment_factory;
};
