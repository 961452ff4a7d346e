// Ready-made views of the collection for the settings-file writer: the lines
// of one settings file in file order, and the assignments, section identifiers
// and sections of one file category.
#include "records/acf_asgn_storage.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_table.h"
#include "mem_manager.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <cstring>
#include <unordered_map>

MEM_UNIT_INITIALIZER(ACF);

namespace {

// Null counts as empty; two present texts compare as given.
bool optional_texts_equal(char const* a, char const* b, bool case_sensitive) {
    if (a != nullptr && b != nullptr) {
        return case_sensitive ? std::strcmp(a, b) == 0 : gen_stricmp(a, b) == 0;
    }
    return gen_is_empty_string(a) && gen_is_empty_string(b);
}

std::string trimmed(std::string const& text) {
    char const* const blanks = " \t\r\n\f\v";
    size_t const first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

bool ACF_ASGN_STORAGE::visit_entries_for_writing(
    char const* file_name, bool is_revision_file,
    std::function<void(ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const&)> const& visit) {
    // Entries carry interned file names (or the revision's path): each distinct
    // name is compared with the file once, and runs of one name are common.
    std::unordered_map<char const*, bool> belongs_by_name;
    char const* last_file = nullptr;
    bool last_belongs = is_revision_file;
    bool file_changed = false;
    walk_file_order([&](ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& entry) {
        char const* entry_file = entry.get_acf_file_name();
        if (entry_file != last_file) {
            last_file = entry_file;
            last_belongs = is_revision_file;
            if (entry_file != nullptr) {
                auto known = belongs_by_name.find(entry_file);
                if (known == belongs_by_name.end()) {
                    known = belongs_by_name
                                .emplace(entry_file,
                                         FIO_PATH::os_specific_comparison(file_name, entry_file))
                                .first;
                }
                last_belongs = known->second;
            }
        }
        if (!last_belongs) {
            return;
        }
        ACF_ASSIGNMENT* asgn = entry.get_assignment();
        if (asgn == nullptr) {
            visit(entry);
            return;
        }
        if (asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_DONT_COPY_TO_NEW_FILE_FORMAT)) {
            visit(entry);
            return;
        }
        if (!asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_ALWAYS_WRITE_TO_FILE) &&
            asgn->is_default_value()) {
            return;
        }
        file_changed = file_changed || asgn->has_changed();
        if (!asgn->is_removed()) {
            visit(entry);
        }
    });
    return file_changed;
}

void ACF_ASGN_STORAGE::get_comment_assignment_coll_for_writing(
    ACF_ASGN_COMMENT_VECTOR* comment_asgn_list, char const* file_name, bool is_revision_file,
    bool force) {
    if (!ACF_REQUIRE(comment_asgn_list != NULL)) {
        return;
    }
    comment_asgn_list->clear();
    comment_asgn_list->reserve(m_entry_count);
    bool file_changed = visit_entries_for_writing(
        file_name, is_revision_file,
        [comment_asgn_list](ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& entry) {
            comment_asgn_list->push_back(entry);
        });
    if (!file_changed && !force) {
        comment_asgn_list->clear();
    }
}

bool ACF_ASGN_STORAGE::get_assignments_for_file_category_section_id_entity(
    ACF_ASSIGNMENT_LIST* coll, ACF_FILE_CATEGORY_ENUM category,
    ACF_CATEGORY_SECTION_TYPE_ENUM section_type, char const* section_identifier,
    char const* entity_name) {
    if (!ACF_REQUIRE(coll != NULL)) {
        return false;
    }
    coll->clear();
    ACF_ASGN_SEARCH_FILTER const any;
    walk_file_order([&](ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& entry) {
        ACF_ASSIGNMENT* asgn = entry.get_assignment();
        if (asgn == nullptr) {
            return;
        }
        if (!asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_ALWAYS_WRITE_TO_FILE) &&
            (asgn->is_default_value() || asgn->is_removed())) {
            return;
        }
        if (asgn->get_file_category() != category ||
            (section_type != any.section_type && !asgn->test_section_type_of(section_type)) ||
            !optional_texts_equal(asgn->get_section_identifier(), section_identifier, false) ||
            !optional_texts_equal(asgn->get_entity_name(), entity_name, true)) {
            return;
        }
        coll->push_back(asgn);
    });
    return !coll->empty();
}

void ACF_ASGN_STORAGE::get_list_of_section_identifiers(
    ACF_CATEGORY_SECTION_TYPE_ENUM section_type, ACF_FILE_CATEGORY_ENUM category,
    std::list<std::string>* section_identifiers_list,
    std::map<std::string, int>* duplicate_section_identifiers_map, std::string const& entity_name) {
    if (!ACF_REQUIRE(section_identifiers_list != NULL) ||
        !ACF_REQUIRE(duplicate_section_identifiers_map != NULL)) {
        return;
    }
    std::string const entity = trimmed(entity_name);
    ACF_ASGN_SEARCH_FILTER const any;
    walk_keys(whole_key_index(), [&](ACF_ASSIGNMENT const* asgn) {
        char const* section_id = asgn->get_section_identifier();
        if (asgn->is_removed() || gen_is_empty_string(section_id) ||
            (section_type != any.section_type && !asgn->test_section_type_of(section_type)) ||
            (category != any.file_category && asgn->get_file_category() != category)) {
            return true;
        }
        if (!entity.empty() &&
            (gen_is_empty_string(asgn->get_entity_name()) || entity != asgn->get_entity_name())) {
            return true;
        }
        if (duplicate_section_identifiers_map->emplace(section_id, 1).second) {
            section_identifiers_list->push_back(section_id);
        }
        return true;
    });
}

bool ACF_ASGN_STORAGE::internal_check_if_assignments_exist_for_section(
    ACF_CATEGORY_SECTION_TYPE_ENUM section_type, ACF_FILE_CATEGORY_ENUM category,
    char const* section_identifier, ACF_ASSIGNMENT* asgn) {
    if (asgn == nullptr) {
        return false;
    }
    ACF_ASGN_SEARCH_FILTER const any;
    char const* asgn_section_id = asgn->get_section_identifier();
    return (section_type == any.section_type || asgn->test_section_type_of(section_type)) &&
           !asgn->is_removed() &&
           (category == any.file_category || asgn->get_file_category() == category) &&
           !gen_is_empty_string(asgn_section_id) &&
           (gen_is_empty_string(section_identifier) ||
            gen_stricmp(section_identifier, asgn_section_id) == 0);
}

bool ACF_ASGN_STORAGE::check_if_assignments_exist_for_section(
    ACF_CATEGORY_SECTION_TYPE_ENUM section_type, ACF_FILE_CATEGORY_ENUM category,
    char const* section_identifier) {
    for (ENTRY entry = m_first_entry; entry != NONE; entry = next_of(entry)) {
        if ((entry & 1) == 0 &&
            internal_check_if_assignments_exist_for_section(
                section_type, category, section_identifier, m_slots[entry >> 1].asgn)) {
            return true;
        }
    }
    return false;
}
