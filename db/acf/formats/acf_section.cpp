// Sections of the older sectioned settings files: legality and clash rules.
#include "formats/acf_section.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "catalogue/acf_old_section_rules.h"
#include "formats/acf_file.h"
#include "suite/general/gen.h"

#include <algorithm>
#include <cstring>

MEM_UNIT_INITIALIZER(ACF);

namespace {

bool is_empty(char const* text) {
    return text == nullptr || *text == '\0';
}

// A leading '|' is skipped when more text follows; then the text is cleaned.
std::string clean_search_text(char const* text) {
    if (text != nullptr && text[0] == '|' && text[1] != '\0') {
        ++text;
    }
    std::string cleaned;
    acf_source_target_cleanup(text, &cleaned);
    return cleaned;
}

bool value_is_legal(ACF_VARIABLE_TYPE_ENUM variable, char const* value) {
    switch (acf_get_value_type(variable)) {
    case ACF_VALUE_TYPE_BOOL:
        return gen_stricmp(value, "on") == 0 || gen_stricmp(value, "off") == 0;
    case ACF_VALUE_TYPE_ENUM: {
        ACF_ENUM_VALUE_ENUM entry = acf_user_string_to_enum_type_enum(value);
        std::vector<ACF_ENUM_VALUE_ENUM> offered =
            acf_get_variable_enum_value_types(variable, true, DEV_FAMILY_GENERIC);
        return entry != ACF_ENUM_VALUE_NONE &&
               std::find(offered.begin(), offered.end(), entry) != offered.end();
    }
    case ACF_VALUE_TYPE_STRING:
    case ACF_VALUE_TYPE_FILE:
    case ACF_VALUE_TYPE_INT:
    case ACF_VALUE_TYPE_DOUBLE:
    case ACF_VALUE_TYPE_TIME:
    case ACF_VALUE_TYPE_FREQUENCY:
    case ACF_VALUE_TYPE_LOCATION:
        return true;
    default:
        ACF_INTERNAL_ERROR("Invalid case in switch");
        return gen_stricmp(value, "off") == 0;
    }
}

} // namespace

ACF_SECTION::ACF_SECTION(ACF_FILE* file, ACF_SECTION_TYPE_ENUM type, char const* identifier)
    : m_file(file), m_type(type), m_identifier(identifier ? identifier : "") {}

ACF_SECTION::~ACF_SECTION() {
    for (ACF_ASSIGNMENT* assignment : m_assignments) {
        delete assignment;
    }
}

void ACF_SECTION::create_assignment_key(char const* source, char const* target,
                                        ACF_VARIABLE_TYPE_ENUM variable, std::string& out) const {
    out = variable != ACF_VARIABLE_TYPE_NONE ? acf_get_variable_user_name(variable)
                                             : "#" + std::to_string(variable);
    if (!is_empty(target)) {
        out += target;
        if (!is_empty(source)) {
            out += source;
        }
    }
}

ACF_ASSIGNMENT* ACF_SECTION::internal_find_first(char const* source, char const* target,
                                                 ACF_VARIABLE_TYPE_ENUM variable,
                                                 char const* variable_name, char const* value,
                                                 bool match_ignored) const {
    std::string const cleaned_source = clean_search_text(source);
    std::string const cleaned_target = clean_search_text(target);
    if (!ACF_REQUIRE(m_file != NULL)) {
        return nullptr;
    }
    auto first = m_key_map.begin();
    auto last = m_key_map.end();
    if (variable != ACF_VARIABLE_TYPE_NONE) {
        std::string key;
        create_assignment_key(cleaned_source.c_str(), cleaned_target.c_str(), variable, key);
        std::tie(first, last) = m_key_map.equal_range(key);
    }
    bool const case_sensitive =
        acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE);
    for (auto it = first; it != last; ++it) {
        ACF_ASSIGNMENT const* candidate = it->second;
        if (candidate->is_removed() || candidate->get_type() != variable) {
            continue;
        }
        if (variable == ACF_VARIABLE_TYPE_NONE && !is_empty(variable_name) &&
            gen_stricmp(candidate->get_variable_string(), variable_name) != 0) {
            continue;
        }
        if (!cleaned_source.empty() && cleaned_source != candidate->get_source()) {
            continue;
        }
        if (!cleaned_target.empty() && cleaned_target != candidate->get_target()) {
            continue;
        }
        if (!is_empty(value)) {
            char const* held = candidate->get_unmodified_value(match_ignored);
            if ((case_sensitive ? std::strcmp(value, held) : gen_stricmp(value, held)) != 0) {
                continue;
            }
        }
        if (candidate->is_ignored() && !match_ignored &&
            is_empty(candidate->get_unmodified_value(false))) {
            continue;
        }
        return it->second;
    }
    return nullptr;
}

ACF_ASSIGNMENT* ACF_SECTION::find_first(ACF_VARIABLE_TYPE_ENUM variable) const {
    return internal_find_first(nullptr, nullptr, variable, nullptr, nullptr, false);
}

std::list<ACF_ASSIGNMENT*>* ACF_SECTION::find(ACF_VARIABLE_TYPE_ENUM variable) const {
    if (!ACF_REQUIRE(m_file != NULL)) {
        return nullptr;
    }
    std::list<ACF_ASSIGNMENT*>* found = m_file->new_assignment_coll();
    for (ACF_ASSIGNMENT* assignment : m_assignments) {
        if (assignment != nullptr && !assignment->is_removed() &&
            (variable == ACF_VARIABLE_TYPE_NONE || assignment->get_type() == variable)) {
            found->push_back(assignment);
        }
    }
    return found;
}

bool ACF_SECTION::is_legal(char const* source, char const* target, ACF_VARIABLE_TYPE_ENUM variable,
                           char const* variable_name, char const* value) {
    if (!ACF_REQUIRE(m_file != NULL)) {
        return false;
    }
    std::string cleaned_source;
    std::string cleaned_target;
    acf_source_target_cleanup(source, &cleaned_source);
    acf_source_target_cleanup(target, &cleaned_target);

    if (acf_get_section_semantics(m_type, m_file->get_file_type()) == nullptr) {
        return false;
    }
    if (m_type == ACF_SECTION_TYPE_PARAMETERS || m_type == ACF_SECTION_TYPE_DEFAULT_PARAMETERS) {
        return true;
    }
    ACF_VARIABLE_SEMANTIC_INFO const* row = acf_get_variable_semantics(variable, m_type);
    if (row == nullptr) {
        return false;
    }

    bool form_allowed;
    if (cleaned_target.empty()) {
        form_allowed = row->allows_no_target && cleaned_source.empty();
    } else if (!cleaned_source.empty()) {
        form_allowed = row->takes_src_dest;
    } else {
        form_allowed = row->takes_target;
    }
    if (!form_allowed || is_empty(value) || !value_is_legal(variable, value)) {
        return false;
    }

    if (row->takes_multiple_values) {
        return internal_find_first(cleaned_source.c_str(), cleaned_target.c_str(), variable,
                                   variable_name, value, true) == nullptr;
    }
    ACF_ASSIGNMENT* earlier = internal_find_first(cleaned_source.c_str(), cleaned_target.c_str(),
                                                  variable, variable_name, "", true);
    if (earlier == nullptr) {
        return true;
    }
    if (cleaned_source.empty() && cleaned_target.empty()) {
        return false;
    }
    // Only the record in this section is marked: the revision's own records are
    // not this file's to change.
    earlier->set_remove_status(true);
    return true;
}

void ACF_SECTION::add_assignment_to_coll_and_map(ACF_ASSIGNMENT* assignment) {
    if (!ACF_REQUIRE(assignment != NULL)) {
        return;
    }
    m_assignments.push_back(assignment);
    std::string key;
    create_assignment_key(assignment->get_source(), assignment->get_target(),
                          assignment->get_type(), key);
    m_key_map.emplace(key, assignment);
}
