// The revision's table of defaults: built from the catalogue and the defaults
// files (the installation's, the project's and the revision's, a later line
// winning), the global defaults standing in the collection as default-valued
// assignments, and the default queries of the rest of the system.
#include "store/acf_manager_storage_real.h"

#include "acf_assignment.h"
#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "formats/acf_defaults_file.h"
#include "formats/acf_file_checks.h"
#include "mem_manager.h"
#include "records/acf_asgn_storage.h"
#include "records/acf_assignment_factory.h"

#include "suite/devicedb/dev.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <cstring>
#include <string>

MEM_UNIT_INITIALIZER(ACF);

namespace {

bool is_empty_or_any(char const* section_id) {
    return gen_is_empty_string(section_id) || std::strcmp(section_id, "?") == 0;
}

// The storage's current query filters, tested on a default of a variable in
// the context of its flags.
bool passes_filters(ACF_ASGN_SEARCH_FILTER const& filter, ACF_VARIABLE_TYPE_ENUM variable,
                    bool entity, bool section) {
    ACF_ASGN_SEARCH_FILTER const any;
    return (filter.family == any.family || acf_variable_includes_family(variable, filter.family)) &&
           (filter.variable_trait == any.variable_trait ||
            acf_test_variable_trait_of(variable, filter.variable_trait)) &&
           (filter.category_trait == any.category_trait ||
            acf_test_category_trait_of(variable, filter.category_trait, false, false, entity,
                                       section)) &&
           (filter.ase_category == any.ase_category ||
            acf_variable_includes_ase_category(variable, filter.ase_category)) &&
           (filter.file_category == any.file_category ||
            acf_get_file_category(variable) == filter.file_category) &&
           (filter.section_type == any.section_type ||
            acf_test_category_section_type(variable, filter.section_type, false, false, entity));
}

bool texts_equal_ignoring_case(char const* a, char const* b) {
    if (a == nullptr || b == nullptr) {
        return gen_is_empty_string(a) && gen_is_empty_string(b);
    }
    return gen_stricmp(a, b) == 0;
}

// Fills the query record of one default: its variable, name, value (where the
// variable's context keeps one), entity, section and family.
void fill_query(ACF_MGR_INPUT_PARAMETERS* query, ACF_MGR_DEFAULT_INFO const* record,
                ACF_VARIABLE_TYPE_ENUM asked, char const* entity, char const* section_id) {
    bool has_entity = !gen_is_empty_string(entity);
    bool has_section = !gen_is_empty_string(section_id);
    query->reset();
    query->set_variable_type(record->get_variable_type());
    query->set_variable_string(record->get_variable_name());
    if (acf_test_file_category_target_type(asked, ACF_FILE_CATEGORY_TARGET_TYPE_DESIGN_FILE,
                                           has_entity, has_section)) {
        query->set_value_string(record->get_default_value());
    }
    query->set_entity_name(entity);
    query->set_section_identifier(section_id);
    if (record->get_family() != DEV_FAMILY_GENERIC) {
        query->add_argument(ACF_ARGUMENT_TYPE_FAMILY, dstr_get_user_string(record->get_family()));
    }
}

} // namespace

char const* ACF_MANAGER_STORAGE_REAL::get_default_value_for_variable(ACF_VARIABLE_TYPE_ENUM type,
                                                                     char const* section_id,
                                                                     bool entity_specific,
                                                                     DEV_FAMILY_ENUM family) {
    if (m_default_table.empty()) {
        read_defaults();
    }
    if (type == ACF_VARIABLE_TYPE_NONE) {
        return nullptr;
    }
    bool has_section = !gen_is_empty_string(section_id);
    ACF_ASGN_SEARCH_FILTER filter = current_filter();
    auto range = m_default_table.equal_range(type);
    for (auto it = range.first; it != range.second; ++it) {
        ACF_MGR_DEFAULT_INFO const* record = it->second;
        if (record->is_entity_specific() != entity_specific ||
            record->has_section() != has_section ||
            (has_section &&
             !texts_equal_ignoring_case(record->get_section_identifier(), section_id)) ||
            !passes_filters(filter, type, entity_specific, has_section)) {
            continue;
        }
        DEV_FAMILY_ENUM own = record->get_family();
        if (own == DEV_FAMILY_GENERIC) {
            return record->get_default_value();
        }
        if (family == DEV_FAMILY_GENERIC) {
            if (m_project_family == DEV_FAMILY_GENERIC || m_project_family == own) {
                return record->get_default_value();
            }
        } else if (family == own) {
            return record->get_default_value();
        }
    }
    return nullptr;
}

void ACF_MANAGER_STORAGE_REAL::get_default_values(ACF_VARIABLE_TYPE_ENUM type,
                                                  char const* variable_name, char const* entity,
                                                  char const* section_id, ASSIGNMENT_LIST* out,
                                                  bool create) {
    if (!ACF_REQUIRE(out != NULL) || !ACF_REQUIRE(m_asgn_storage != NULL)) {
        return;
    }
    if (m_default_table.empty()) {
        read_defaults();
    }
    bool has_entity = !gen_is_empty_string(entity);
    bool has_section = !gen_is_empty_string(section_id);
    ACF_ASGN_SEARCH_FILTER filter = current_filter();
    ACF_ASGN_SEARCH_FILTER const any;
    auto range = type == ACF_VARIABLE_TYPE_NONE
                     ? std::make_pair(m_default_table.begin(), m_default_table.end())
                     : m_default_table.equal_range(type);
    for (auto it = range.first; it != range.second; ++it) {
        ACF_MGR_DEFAULT_INFO const* record = it->second;
        ACF_VARIABLE_TYPE_ENUM variable = record->get_variable_type();
        if (type == ACF_VARIABLE_TYPE_NONE && !gen_is_empty_string(variable_name) &&
            !texts_equal_ignoring_case(record->get_variable_name(), variable_name)) {
            continue;
        }
        if (record->is_entity_specific() != has_entity || record->has_section() != has_section ||
            (has_section && record->get_section_identifier() != nullptr &&
             !texts_equal_ignoring_case(record->get_section_identifier(), section_id)) ||
            !passes_filters(filter, variable, record->is_entity_specific(),
                            record->has_section()) ||
            (record->get_family() != DEV_FAMILY_GENERIC &&
             record->get_family() != m_project_family)) {
            continue;
        }
        bool listed = false;
        for (ACF_ASSIGNMENT* asgn : *out) {
            if (asgn->is_global() && asgn->get_type() == variable &&
                (variable != ACF_VARIABLE_TYPE_NONE || gen_is_empty_string(variable_name) ||
                 texts_equal_ignoring_case(asgn->get_variable_string(),
                                           record->get_variable_name())) &&
                (gen_is_empty_string(asgn->get_entity_name())
                     ? !has_entity
                     : has_entity && std::strcmp(asgn->get_entity_name(), entity) == 0) &&
                texts_equal_ignoring_case(asgn->get_section_identifier(), section_id)) {
                listed = true;
                break;
            }
        }
        if (listed) {
            continue;
        }
        fill_query(&m_defaults_params, record, type, entity, section_id);
        bool freeform = variable == ACF_VARIABLE_TYPE_NONE;
        ACF_ASSIGNMENT* found =
            m_asgn_storage->get_assignment(&m_defaults_params, any, true, true, freeform);
        if (found == nullptr && create) {
            m_defaults_params.set_value_string(record->get_default_value());
            found = m_asgn_storage->set_assignment(&m_defaults_params, true, true, freeform, false,
                                                   false);
        }
        if (found != nullptr) {
            out->push_back(found);
        }
    }
}

void ACF_MANAGER_STORAGE_REAL::update_entity_section_id_defaults(
    char const* entity, char const* section_id, ACF_CATEGORY_SECTION_TYPE_ENUM section_type,
    bool mark_changed, bool entity_pass) {
    if (!ACF_REQUIRE(m_asgn_storage != NULL)) {
        return;
    }
    bool has_entity = !gen_is_empty_string(entity);
    bool has_section = !gen_is_empty_string(section_id);
    if (!has_entity && !has_section) {
        return;
    }
    if (entity_pass && has_entity) {
        update_entity_section_id_defaults(entity, nullptr, ACF_CATEGORY_SECTION_TYPE_MAX,
                                          mark_changed, false);
    }
    std::string key = std::string(has_entity ? entity : "?") + "," +
                      (has_section ? section_id : "?") + "," + std::to_string(section_type);
    if (!m_entity_section_id_defaults.emplace(key, true).second) {
        return;
    }
    ACF_ASGN_SEARCH_FILTER const any;
    for (auto const& entry : m_default_table) {
        ACF_MGR_DEFAULT_INFO const* record = entry.second;
        ACF_VARIABLE_TYPE_ENUM variable = record->get_variable_type();
        if (record->is_entity_specific() != has_entity || record->has_section() != has_section ||
            (has_section && record->get_section_identifier() != nullptr &&
             !texts_equal_ignoring_case(record->get_section_identifier(), section_id)) ||
            !acf_test_category_section_type(variable, section_type, false, false, has_entity)) {
            continue;
        }
        fill_query(&m_defaults_params, record, variable, entity, section_id);
        bool freeform = variable == ACF_VARIABLE_TYPE_NONE;
        if (m_asgn_storage->get_assignment(&m_defaults_params, any, true, true, freeform) !=
            nullptr) {
            continue;
        }
        m_defaults_params.set_value_string(record->get_default_value());
        ACF_ASSIGNMENT* made = m_asgn_storage->set_assignment(&m_defaults_params, true, true,
                                                              freeform, mark_changed, false);
        if (made != nullptr && record->get_family() != DEV_FAMILY_GENERIC) {
            made->set_family_enum();
        }
    }
}

void ACF_MANAGER_STORAGE_REAL::replace_tdf_with_tsf_value(ACF_ASSIGNMENT* asgn) {
    if (asgn == nullptr || asgn->is_default_value() ||
        !acf_variable_contains_family_specific_details(asgn->get_type())) {
        return;
    }
    ACF_MGR_INPUT_PARAMETERS query;
    asgn->fill_in_input_parameter(&query);
    reset_family_default_values(&query);
}

void ACF_MANAGER_STORAGE_REAL::reset_family_default_values(ACF_MGR_INPUT_PARAMETERS* query) {
    if (query == nullptr) {
        return;
    }
    std::string name = query->get_variable_string() != nullptr ? query->get_variable_string() : "";
    std::string entity = query->get_entity_name() != nullptr ? query->get_entity_name() : "";
    std::string section =
        query->get_section_identifier() != nullptr ? query->get_section_identifier() : "";
    ASSIGNMENT_LIST defaults;
    get_default_values(query->get_variable_type(), name.c_str(), entity.c_str(), section.c_str(),
                       &defaults, false);
    for (ACF_ASSIGNMENT* asgn : defaults) {
        if (!asgn->is_default_value()) {
            continue;
        }
        query->reset();
        asgn->fill_in_input_parameter(query);
        query->set_skip_non_defaults(true);
        remove_assignment(query);
        query->set_skip_non_defaults(false);
    }
}

bool ACF_MANAGER_STORAGE_REAL::read_defaults() {
    // Everything below changes the store: without the write lock (a query
    // under a shared read lock) nothing is built and a later query tries again.
    bool took_lock = !is_write_locked() && write_lock(false);
    if (!is_write_locked()) {
        return true;
    }
    if (!test_mode(MODE_LISTING_ONLY)) {
        write_defaults_file(nullptr, 0, 0, nullptr);
    }
    for (ACF_ASSIGNMENT* asgn : m_defaults) {
        delete asgn;
    }
    m_defaults.clear();

    // The defaults files: the installation's, the project's, the revision's.
    std::string project_dir = m_project_path;
    if (!project_dir.empty() && project_dir.back() != '/') {
        project_dir += '/';
    }
    std::string files[] = {acf_installation_defaults_file_path(),
                           project_dir + acf_assignment_defaults_file_name(),
                           project_dir + acf_revision_defaults_file_name(m_revision_name)};
    ASSIGNMENT_LIST read;
    ACF_READ_FILE_OPTIONS options;
    options.clear_non_project = true;
    options.assignments = &read;
    // Lines in error are dropped quietly; a file that cannot be read is not,
    // since the revision would silently take other defaults than it keeps.
    bool all_read = true;
    for (std::string const& file : files) {
        if (acf_file_exists(file) && !internal_read_file_from_disk(file.c_str(), true, options)) {
            all_read = false;
        }
    }
    if (!all_read) {
        for (ACF_ASSIGNMENT* asgn : read) {
            delete asgn;
        }
        if (took_lock) {
            write_unlock();
        }
        return false;
    }
    // Staging table: the catalogue's defaults in table order. A read that
    // only lists what the revision's files hold builds none of them, unless a
    // defaults file sets some: what the defaults files set then stands as it
    // does in an open.
    DEFAULT_TABLE staging;
    bool const catalogue = !test_mode(MODE_LISTING_ONLY) || !read.empty();
    for (size_t i = 0; catalogue && i < acf_variable_file_category_semantics_count; ++i) {
        ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const& row =
            acf_variable_file_category_semantics[i];
        if (gen_is_empty_string(row.default_value)) {
            continue;
        }
        auto* record = MEM_NEW(ACF, ACF_MGR_DEFAULT_INFO)();
        record->set_variable_type(row.variable);
        record->set_variable_name(acf_get_variable_user_name(row.variable));
        record->set_default_value(row.default_value);
        if (row.section_id != 0 && row.section_identifier != nullptr) {
            record->set_section_identifier(row.section_identifier);
        }
        record->set_entity_specific(row.entity != 0);
        record->set_has_section(row.section_id != 0);
        record->set_family(row.family);
        staging.emplace(row.variable, record);
    }

    for (ACF_ASSIGNMENT* asgn : read) {
        ACF_VARIABLE_TYPE_ENUM variable = asgn->get_type();
        bool has_entity = !gen_is_empty_string(asgn->get_entity_name());
        char const* section = asgn->get_section_identifier();
        bool has_section = section != nullptr;
        bool case_sensitive =
            acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE);
        char const* value = asgn->get_unmodified_value(true);
        ACF_MGR_DEFAULT_INFO* fitting = nullptr;
        auto range = staging.equal_range(variable);
        for (auto it = range.first; it != range.second && fitting == nullptr; ++it) {
            ACF_MGR_DEFAULT_INFO* record = it->second;
            bool fits = record->is_entity_specific() == has_entity &&
                        record->has_section() == has_section &&
                        (variable != ACF_VARIABLE_TYPE_NONE ||
                         texts_equal_ignoring_case(asgn->get_variable_string(),
                                                   record->get_variable_name())) &&
                        (!record->has_section() || is_empty_or_any(section) ||
                         (record->get_section_identifier() != nullptr &&
                          gen_stricmp(record->get_section_identifier(), section) == 0)) &&
                        (asgn->get_family_enum() == DEV_FAMILY_GENERIC ||
                         asgn->get_family_enum() == record->get_family());
            if (fits) {
                fitting = record;
            }
        }
        if (fitting != nullptr) {
            char const* own = fitting->get_default_value();
            bool same = own != nullptr && (case_sensitive ? std::strcmp(own, value) == 0
                                                          : gen_stricmp(own, value) == 0);
            if (!same) {
                fitting->set_default_value(value);
            }
        } else {
            auto* record = MEM_NEW(ACF, ACF_MGR_DEFAULT_INFO)();
            record->set_variable_type(variable);
            record->set_variable_name(asgn->get_variable_string());
            record->set_default_value(value);
            if (!is_empty_or_any(section)) {
                record->set_section_identifier(section);
            }
            record->set_entity_specific(has_entity);
            record->set_has_section(has_section);
            record->set_family(asgn->get_family_enum());
            staging.emplace(variable, record);
        }
    }
    for (ACF_ASSIGNMENT* asgn : read) {
        delete asgn;
    }

    bool posted = set_state(STATE_POST_MESSAGES, false);
    bool has_top_level_entity = false;
    for (auto const& entry : staging) {
        ACF_MGR_DEFAULT_INFO* record = entry.second;
        ACF_VARIABLE_TYPE_ENUM variable = record->get_variable_type();
        has_top_level_entity = has_top_level_entity || variable == ACF_VARIABLE_TYPE_ROOT;
        char const* section = record->get_section_identifier();
        if (!record->is_entity_specific() &&
            (!record->has_section() || !is_empty_or_any(section))) {
            m_defaults_params.reset();
            m_defaults_params.set_variable_type(variable);
            m_defaults_params.set_variable_string(record->get_variable_name());
            m_defaults_params.set_value_string(record->get_default_value());
            m_defaults_params.set_section_identifier(section != nullptr ? section : "");
            if (record->get_family() != DEV_FAMILY_GENERIC) {
                m_defaults_params.add_argument(ACF_ARGUMENT_TYPE_FAMILY,
                                               dstr_get_user_string(record->get_family()));
            }
            ACF_SET_ASSIGNMENT_OPTIONS set;
            set.from_defaults = true;
            set.is_global = true;
            set.is_freeform = variable == ACF_VARIABLE_TYPE_NONE;
            set.check_legality = true;
            ACF_ASSIGNMENT* asgn = set_assignment(&m_defaults_params, set);
            if (asgn != nullptr) {
                ACF_ASSIGNMENT* new_asgn = m_factory->create_assignment(asgn);
                if (ACF_REQUIRE(new_asgn != NULL)) {
                    m_defaults.push_back(new_asgn);
                }
            }
        }
        m_default_table.emplace(variable, record);
    }
    if (!has_top_level_entity) {
        set_top_level_entity_assignment(m_revision_name.c_str());
        auto* record = MEM_NEW(ACF, ACF_MGR_DEFAULT_INFO)();
        record->set_variable_type(ACF_VARIABLE_TYPE_ROOT);
        record->set_variable_name(acf_get_variable_user_name(ACF_VARIABLE_TYPE_ROOT));
        record->set_default_value(m_revision_name.c_str());
        m_default_table.emplace(ACF_VARIABLE_TYPE_ROOT, record);
    }
    set_state(STATE_POST_MESSAGES, posted);
    if (took_lock) {
        write_unlock();
    }
    return true;
}
