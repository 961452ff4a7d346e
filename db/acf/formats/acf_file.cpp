// Older sectioned settings files: reading, section rules and the report of
// refused assignments.
#include "formats/acf_file.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_parser.hpp"
#include "acf_table.h"
#include "catalogue/acf_legality.h"
#include "catalogue/acf_old_section_rules.h"
#include "formats/acf_lexer.h"
#include "formats/acf_section.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <sstream>

MEM_UNIT_INITIALIZER(ACF);

namespace {

bool is_empty(char const* text) {
    return text == nullptr || *text == '\0';
}

} // namespace

ACF_FILE* ACF_FILE::get_file(char const* filename, ACF_FILE_TYPE_ENUM file_type,
                             ACF_ASSIGNMENT_FACTORY* acf_assignment_factory) {
    if (!ACF_REQUIRE(filename != NULL) || !ACF_REQUIRE(acf_assignment_factory != NULL)) {
        return nullptr;
    }
    std::string const full_path = FIO_PATH(filename).full_path();
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(full_path))) {
        return nullptr;
    }
    ACF_FILE* result = MEM_NEW(ACF, ACF_FILE)(full_path.c_str(), file_type, acf_assignment_factory);
    if (!result->read_file() && !result->get_read_error().empty()) {
        delete result;
        return nullptr;
    }
    return result;
}

ACF_FILE::ACF_FILE(char const* file_name, ACF_FILE_TYPE_ENUM file_type,
                   ACF_ASSIGNMENT_FACTORY* factory)
    : m_file_name(file_name ? file_name : ""), m_file_type(file_type),
      m_assignment_factory(factory) {
    ACF_REQUIRE(m_assignment_factory != NULL);
}

ACF_FILE::~ACF_FILE() {
    for (std::list<ACF_SECTION*>* coll : m_section_colls) {
        delete coll;
    }
    for (std::list<ACF_ASSIGNMENT*>* coll : m_assignment_colls) {
        delete coll;
    }
    for (ACF_SECTION* section : m_sections) {
        delete section;
    }
    for (ACF_ASSIGNMENT* assignment : m_illegal_assignments) {
        delete assignment;
    }
}

bool ACF_FILE::read_file() {
    if (m_assignment_factory == nullptr || !FIO_FILE_SYSTEM::exists(FIO_PATH(m_file_name))) {
        return false;
    }
    // Read whole first: a read error must not pass for the end of the file.
    std::string content;
    if (!FIO_FILE_SYSTEM::read_file(FIO_PATH(m_file_name), content, &m_read_error)) {
        return false;
    }
    std::istringstream input(content);
    bool accepted = false;
    {
        ACF_LEXER scanner(&input);
        scanner.set_file_name(m_file_name);
        try {
            accepted = acf_yyparse(&scanner, this) == 0;
        } catch (ACF_LEXER_FAILURE const&) {
            accepted = false;
        }
    }
    if (m_file_type == ACF_FILE_TYPE_ENTITY_SETTINGS) {
        std::string const entity = FIO_PATH(m_file_name).base();
        for (ACF_SECTION* section : m_sections) {
            for (ACF_ASSIGNMENT* assignment : *section->find(ACF_VARIABLE_TYPE_NONE)) {
                assignment->set_entity_name(entity.c_str());
            }
        }
    }
    return accepted;
}

bool ACF_FILE::is_legal(ACF_SECTION_TYPE_ENUM section, char const* identifier) const {
    ACF_SECTION_SEMANTIC_INFO const* row = acf_get_section_semantics(section, m_file_type);
    if (row == nullptr || (row->takes_identifier && is_empty(identifier))) {
        return false;
    }
    for (ACF_SECTION const* held : m_sections) {
        if (held->get_section_type() == section &&
            (is_empty(identifier) || gen_stricmp(held->get_identifier(), identifier) == 0)) {
            return false;
        }
    }
    return true;
}

void ACF_FILE::add_section(ACF_SECTION* section) {
    section->set_file(this);
    m_sections.push_back(section);
}

ACF_SECTION* ACF_FILE::find_first(ACF_SECTION_TYPE_ENUM section, char const* identifier) const {
    for (ACF_SECTION* held : m_sections) {
        if ((section == ACF_SECTION_TYPE_NONE || held->get_section_type() == section) &&
            (is_empty(identifier) || gen_stricmp(held->get_identifier(), identifier) == 0)) {
            return held;
        }
    }
    return nullptr;
}

std::list<ACF_SECTION*>* ACF_FILE::find(ACF_SECTION_TYPE_ENUM section, char const* identifier) {
    std::list<ACF_SECTION*>* found = new_section_coll();
    for (ACF_SECTION* held : m_sections) {
        if (section != ACF_SECTION_TYPE_NONE && held->get_section_type() != section) {
            continue;
        }
        if (!is_empty(identifier) &&
            acf_section_takes_identifier(m_file_type, held->get_section_type()) &&
            gen_stricmp(held->get_identifier(), identifier) != 0) {
            continue;
        }
        found->push_back(held);
    }
    return found;
}

std::list<ACF_SECTION*>* ACF_FILE::new_section_coll() {
    m_section_colls.push_back(MEM_NEW(ACF, std::list<ACF_SECTION*>)());
    return m_section_colls.back();
}

std::list<ACF_ASSIGNMENT*>* ACF_FILE::new_assignment_coll() {
    m_assignment_colls.push_back(MEM_NEW(ACF, std::list<ACF_ASSIGNMENT*>)());
    return m_assignment_colls.back();
}

void ACF_FILE::add_illegal_assignment(ACF_ASSIGNMENT* assignment) {
    if (assignment != nullptr) {
        m_illegal_assignments.push_back(assignment);
    }
}

void ACF_FILE::add_illegal_assignments_messages(MSG_POST* orig_msg) const {
    if (!ACF_REQUIRE(orig_msg != NULL)) {
        return;
    }
    MSG_I* file_msg = nullptr;
    for (ACF_ASSIGNMENT const* assignment : m_illegal_assignments) {
        char const* name = assignment->get_type() != ACF_VARIABLE_TYPE_NONE
                               ? acf_get_variable_user_name(assignment->get_type())
                               : assignment->get_variable_string();
        if (assignment_is_in_removed_list(name)) {
            continue;
        }
        std::string command;
        assignment->get_variable_tcl_set_command(&command, nullptr);
        if (command.empty()) {
            continue;
        }
        if (file_msg == nullptr) {
            file_msg = MSG_ACF::I::ACF_ASSIGNMENT_INFO(m_file_name.c_str());
            if (!ACF_REQUIRE(file_msg != NULL)) {
                return;
            }
        }
        file_msg->add_sub_message(MSG_ACF::I::ACF_ASSIGNMENT_INFO(command.c_str()));
    }
    if (file_msg != nullptr) {
        orig_msg->add_sub_message(file_msg);
    }
}

bool ACF_FILE::assignment_is_in_removed_list(char const* variable_name) {
    if (is_empty(variable_name)) {
        return false;
    }
    for (char const* const* removed = acf_removed_assignments; *removed != nullptr; ++removed) {
        if (gen_stricmp(*removed, variable_name) == 0) {
            return true;
        }
    }
    return false;
}
