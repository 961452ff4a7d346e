// File categories, the context rows of the variables, the legality checks over
// them and the file-type mapping.
#include "acf_file_categories.h"

#include "acf_internal_error.h"
#include "acf_table.h"
#include "acf_unload.h"
#include "catalogue/acf_table_names.h"
#include "suite/general/gen.h"

#include <algorithm>

MEM_UNIT_INITIALIZER(ACF);

ACF_FILE_CATEGORY_SEMANTIC_INFO const acf_file_category_semantics[ACF_FILE_CATEGORY_NONE + 1] = {
#define ACF_FILE_CATEGORY(NUMBER, KEY, TEXT) {ACF_FILE_CATEGORY_##KEY, #KEY, TEXT, TEXT},
#include "acf_file_categories.def"
#undef ACF_FILE_CATEGORY
    {ACF_FILE_CATEGORY_NONE, nullptr, nullptr, nullptr},
};

char const* const acf_file_category_section_labels[ACF_CATEGORY_SECTION_TYPE_MAX + 1] = {
#define ACF_CATEGORY_SECTION(NUMBER, LABEL) #LABEL,
#include "acf_category_sections.def"
#undef ACF_CATEGORY_SECTION
    nullptr,
};

ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const acf_variable_file_category_semantics[] = {
#define ACF_CONTEXT_ROW(VARIABLE, CATEGORY, GLOBAL, TARGET, FROM_TO, DESIGN_FILE, ENTITY,          \
                        FREEFORM, SECTION, DEFAULT, SECTION_ID, LABEL, TRAITS, SECTIONS, ARGS,     \
                        REPORT, FAMILY)                                                            \
    {ACF_VARIABLE_TYPE_##VARIABLE,                                                                 \
     ACF_FILE_CATEGORY_##CATEGORY,                                                                 \
     GLOBAL,                                                                                       \
     TARGET,                                                                                       \
     FROM_TO,                                                                                      \
     DESIGN_FILE,                                                                                  \
     ENTITY,                                                                                       \
     FREEFORM,                                                                                     \
     SECTION,                                                                                      \
     DEFAULT,                                                                                      \
     SECTION_ID,                                                                                   \
     LABEL,                                                                                        \
     nullptr,                                                                                      \
     TRAITS,                                                                                       \
     SECTIONS,                                                                                     \
     ARGS,                                                                                         \
     REPORT,                                                                                       \
     DEV_FAMILY_##FAMILY},
#include "catalogue/acf_file_category_rows.def"
#undef ACF_CONTEXT_ROW
};
size_t const acf_variable_file_category_semantics_count =
    sizeof acf_variable_file_category_semantics / sizeof acf_variable_file_category_semantics[0];

ACF_FIO_FILE_TYPE_INFO const fio_acf_table[] = {
#define ACF_FIO_FILE_TYPE(FILE_TYPE, VARIABLE) {FILE_TYPE, ACF_VARIABLE_TYPE_##VARIABLE},
#include "catalogue/acf_fio_file_types.def"
#undef ACF_FIO_FILE_TYPE
    {0xFFFFFFFFu, ACF_VARIABLE_TYPE_NONE},
};

namespace {

using ROW = ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO;

// The rows of each variable: [first, last) into the table, indexed by type.
struct ROW_RANGE {
    ROW const* first = nullptr;
    ROW const* last = nullptr;
    ROW const* begin() const { return first; }
    ROW const* end() const { return last; }
};
using ROW_MAP = std::vector<ROW_RANGE>;

ACF_LAZY_MAP<ROW_MAP> g_row_map;

ROW_RANGE rows_of(ACF_VARIABLE_TYPE_ENUM variable) {
    ROW_MAP const& map = g_row_map.get([] {
        ROW_MAP* built = MEM_NEW(ACF, ROW_MAP)(ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE);
        for (size_t i = 0; i < acf_variable_file_category_semantics_count; ++i) {
            ROW const* row = &acf_variable_file_category_semantics[i];
            ROW_RANGE& range = (*built)[static_cast<size_t>(row->variable)];
            if (range.first == nullptr) {
                range.first = row;
            }
            range.last = row + 1;
        }
        return built;
    });
    if (variable < ACF_VARIABLE_TYPE_NONE || variable >= ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE) {
        return ROW_RANGE();
    }
    return map[static_cast<size_t>(variable)];
}

bool flag_at(char const* flags, int index, int length) {
    return flags != nullptr && index >= 0 && index < length && flags[index] == '1';
}

bool is_given(char const* section_id) {
    return section_id != nullptr && *section_id != '\0';
}

// The row's identifier accepts a given one: it takes some, and two non-empty
// identifiers are equal ignoring case.
bool identifier_matches(ROW const& row, char const* section_id) {
    if (row.section_identifier == nullptr) {
        return false;
    }
    return *row.section_identifier == '\0' || *section_id == '\0' ||
           gen_stricmp(row.section_identifier, section_id) == 0;
}

bool section_fits(ROW const& row, char const* section_id) {
    bool given = is_given(section_id);
    return (row.section_id != 0) == given && (!given || identifier_matches(row, section_id));
}

// A target is wanted exactly when the row takes one, unless the row is global
// with a target given or not global without one.
bool target_fits(ROW const& row, bool has_target) {
    bool takes_target = row.target != 0 || row.source_and_target != 0;
    return !(takes_target != has_target && (row.global != 0) == has_target);
}

bool shape_fits(ROW const& row, bool has_source) {
    return has_source ? row.source_and_target != 0 : (row.global != 0 || row.target != 0);
}

bool row_fits(ROW const& row, bool has_source, bool has_target, char const* section_id) {
    return section_fits(row, section_id) && target_fits(row, has_target) &&
           shape_fits(row, has_source);
}

// The same context with the section identifier present or absent the other way.
char const* flipped_section(char const* section_id) {
    return is_given(section_id) ? nullptr : " ";
}

// The row found by section and entity flags for exactly this family.
ROW const* row_for_family(ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id, bool has_entity,
                          DEV_FAMILY_ENUM family) {
    for (ROW const& row : rows_of(variable)) {
        if ((row.section_id != 0) == has_section_id && (row.entity != 0) == has_entity &&
            row.family == family) {
            return &row;
        }
    }
    return nullptr;
}

bool row_has_kind(ROW const& row, ACF_FILE_CATEGORY_TARGET_TYPE_ENUM kind) {
    switch (kind) {
    case ACF_FILE_CATEGORY_TARGET_TYPE_GLOBAL:
    case ACF_FILE_CATEGORY_TARGET_TYPE_GLOBAL_ASSIGNMENT:
        return row.global != 0;
    case ACF_FILE_CATEGORY_TARGET_TYPE_TARGET:
        return row.target != 0;
    case ACF_FILE_CATEGORY_TARGET_TYPE_SOURCE_AND_TARGET:
        return row.source_and_target != 0;
    case ACF_FILE_CATEGORY_TARGET_TYPE_DESIGN_FILE:
        return row.design_file != 0;
    case ACF_FILE_CATEGORY_TARGET_TYPE_ENTITY:
        return row.entity != 0;
    case ACF_FILE_CATEGORY_TARGET_TYPE_FREEFORM:
        return row.freeform != 0;
    case ACF_FILE_CATEGORY_TARGET_TYPE_SECTION_ID:
        return row.section_id != 0;
    case ACF_FILE_CATEGORY_TARGET_TYPE_INSTANCE_ASSIGNMENT:
        return row.target != 0 || row.source_and_target != 0;
    }
    return false;
}

} // namespace

void acf_free_file_category_row_map() {
    g_row_map.free();
}

bool acf_check_if_match_file_category(ACF_VARIABLE_TYPE_ENUM variable, bool has_source,
                                      bool has_target, char const* section_id) {
    for (ROW const& row : rows_of(variable)) {
        if (row_fits(row, has_source, has_target, section_id)) {
            return true;
        }
    }
    return false;
}

namespace {

// Explains a misfit by the one context element whose change makes a row fit;
// 0 when a row fits as asked, -1 when nothing explains it.
int explain_misfit(ACF_VARIABLE_TYPE_ENUM variable, bool has_source, bool has_target,
                   bool retry_flag, bool skip_section_retry, char const* section_id) {
    auto fits = [&](bool source, bool target, char const* section) {
        return acf_check_if_match_file_category(variable, source, target, section);
    };
    if (fits(has_source, has_target, section_id)) {
        return ACF_CONTEXT_STATUS_SUCCESS;
    }
    if (!skip_section_retry && retry_flag == (!has_source && !has_target) &&
        fits(has_source, has_target, flipped_section(section_id))) {
        return ACF_CONTEXT_STATUS_ILLEGAL_SECTION_ID;
    }
    if (fits(has_source, !has_target, section_id) || fits(!has_source, !has_target, section_id)) {
        return ACF_CONTEXT_STATUS_ILLEGAL_TARGET_NAME;
    }
    if (fits(!has_source, has_target, section_id)) {
        return ACF_CONTEXT_STATUS_ILLEGAL_SOURCE_NAME;
    }
    if (is_given(section_id) &&
        (fits(has_source, has_target, nullptr) || fits(!has_source, has_target, nullptr) ||
         fits(has_source, !has_target, nullptr) || fits(!has_source, !has_target, nullptr))) {
        return ACF_CONTEXT_STATUS_ILLEGAL_SECTION_ID;
    }
    return -1;
}

} // namespace

int acf_check_if_match_any_file_categories(ACF_VARIABLE_TYPE_ENUM variable, bool has_source,
                                           bool has_target, bool retry_flag,
                                           bool skip_section_retry, char const* section_id) {
    int status = explain_misfit(variable, has_source, has_target, retry_flag, skip_section_retry,
                                section_id);
    // A context that no row takes is never reported as legal.
    return status < 0 ? ACF_CONTEXT_STATUS_UNKNOWN_ERROR : status;
}

int acf_check_against_file_semantics(ACF_VARIABLE_TYPE_ENUM variable, bool has_source,
                                     bool has_target, bool has_entity, bool retry_flag,
                                     bool skip_section_retry, char const* section_id) {
    int status = explain_misfit(variable, has_source, has_target, retry_flag, skip_section_retry,
                                section_id);
    if (status > 0) {
        return status;
    }
    // Now with the entity: the row that comes closest names the reason.
    int best = ACF_CONTEXT_STATUS_UNKNOWN_ERROR;
    for (ROW const& row : rows_of(variable)) {
        int code;
        if ((row.entity != 0) != has_entity) {
            code = ACF_CONTEXT_STATUS_ILLEGAL_ENTITY_NAME;
        } else if (!section_fits(row, section_id)) {
            code = ACF_CONTEXT_STATUS_ILLEGAL_SECTION_ID;
        } else if (!target_fits(row, has_target)) {
            code = ACF_CONTEXT_STATUS_ILLEGAL_TARGET_NAME;
        } else if (!shape_fits(row, has_source)) {
            code = ACF_CONTEXT_STATUS_ILLEGAL_SOURCE_NAME;
        } else {
            return ACF_CONTEXT_STATUS_SUCCESS;
        }
        best = std::min(best, code);
    }
    return best;
}

ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const*
acf_get_variable_file_category_semantics(ACF_VARIABLE_TYPE_ENUM variable, bool has_source,
                                         bool has_target, bool has_entity, char const* section_id,
                                         ACF_FILE_CATEGORY_ENUM category) {
    for (ROW const& row : rows_of(variable)) {
        if (shape_fits(row, has_source) && target_fits(row, has_target) &&
            (row.entity != 0) == has_entity && (row.section_id != 0) == (section_id != nullptr) &&
            (section_id == nullptr || identifier_matches(row, section_id)) &&
            (category == ACF_FILE_CATEGORY_NONE || row.category == category)) {
            return &row;
        }
    }
    return nullptr;
}

ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const*
acf_get_variable_file_category_semantics(ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id,
                                         bool has_entity, DEV_FAMILY_ENUM family) {
    return row_for_family(variable, has_section_id, has_entity, family);
}

ACF_FILE_CATEGORY_ENUM acf_get_file_category(ACF_VARIABLE_TYPE_ENUM variable) {
    ROW_RANGE rows = rows_of(variable);
    return rows.first != nullptr ? rows.first->category : ACF_FILE_CATEGORY_PROJECT_ASSIGNMENT;
}

bool acf_test_file_category_target_type(ACF_VARIABLE_TYPE_ENUM variable,
                                        ACF_FILE_CATEGORY_TARGET_TYPE_ENUM kind, bool has_entity,
                                        bool has_section_id) {
    bool any_shape = kind == ACF_FILE_CATEGORY_TARGET_TYPE_ENTITY ||
                     kind == ACF_FILE_CATEGORY_TARGET_TYPE_SECTION_ID;
    for (ROW const& row : rows_of(variable)) {
        bool shape = any_shape ||
                     ((row.entity != 0) == has_entity && (row.section_id != 0) == has_section_id);
        if (shape && row_has_kind(row, kind)) {
            return true;
        }
    }
    return false;
}

bool acf_test_category_trait_of(ACF_VARIABLE_TYPE_ENUM variable, ACF_CATEGORY_TRAIT_TYPE_ENUM trait,
                                bool has_source, bool has_target, bool has_entity,
                                bool has_section_id) {
    for (ROW const& row : rows_of(variable)) {
        uint8_t context =
            has_target ? (has_source ? row.source_and_target : row.target) : row.global;
        if (context != 0 && (row.section_id != 0) == has_section_id &&
            (row.entity != 0) == has_entity) {
            return flag_at(row.category_traits, trait, ACF_CATEGORY_TRAIT_TYPE_MAX);
        }
    }
    return false;
}

char const* acf_get_variable_section_label(ACF_VARIABLE_TYPE_ENUM variable, bool has_source,
                                           bool has_target, bool has_entity, bool has_section_id) {
    ROW const* row = acf_get_variable_file_category_semantics(
        variable, has_source, has_target, has_entity, has_section_id ? "" : nullptr,
        ACF_FILE_CATEGORY_NONE);
    return row != nullptr ? row->section_label : nullptr;
}

bool acf_test_category_section_type(ACF_VARIABLE_TYPE_ENUM variable,
                                    ACF_CATEGORY_SECTION_TYPE_ENUM section_type, bool has_source,
                                    bool has_target, bool has_entity) {
    ROW const* row = acf_get_variable_file_category_semantics(
        variable, has_source, has_target, has_entity, "", ACF_FILE_CATEGORY_NONE);
    return row != nullptr &&
           flag_at(row->category_section_types, section_type, ACF_CATEGORY_SECTION_TYPE_MAX);
}

char const* acf_get_category_section_type_string(ACF_CATEGORY_SECTION_TYPE_ENUM section_type) {
    if (section_type < 0 || section_type >= ACF_CATEGORY_SECTION_TYPE_MAX) {
        return nullptr;
    }
    return acf_file_category_section_labels[section_type];
}

bool acf_is_legal_section_name(char const* name) {
    if (name == nullptr) {
        return false;
    }
    for (int i = 0; i < ACF_CATEGORY_SECTION_TYPE_MAX; ++i) {
        if (gen_stricmp(acf_file_category_section_labels[i], name) == 0) {
            return true;
        }
    }
    return false;
}

bool acf_variable_contains_family_specific_details(ACF_VARIABLE_TYPE_ENUM variable) {
    for (ROW const& row : rows_of(variable)) {
        if (row.family != DEV_FAMILY_GENERIC) {
            return true;
        }
    }
    return false;
}

bool acf_is_argument_valid_for_variable(ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id,
                                        bool has_entity, ACF_ARGUMENT_TYPE_ENUM argument) {
    ROW const* row = row_for_family(variable, has_section_id, has_entity, DEV_FAMILY_GENERIC);
    return row != nullptr &&
           flag_at(row->arguments, argument, ACF_ARGUMENT_TYPE_MAX_ARGUMENT_TYPE + 1);
}

bool acf_is_argument_valid_for_variable(ACF_VARIABLE_TYPE_ENUM variable,
                                        ACF_ARGUMENT_TYPE_ENUM argument) {
    for (ROW const& row : rows_of(variable)) {
        if (flag_at(row.arguments, argument, ACF_ARGUMENT_TYPE_MAX_ARGUMENT_TYPE + 1)) {
            return true;
        }
    }
    return false;
}

namespace {
void append_arguments(ROW const& row, std::vector<ACF_ARGUMENT_TYPE_ENUM>* coll, bool once) {
    for (int i = 0; i <= ACF_ARGUMENT_TYPE_MAX_ARGUMENT_TYPE; ++i) {
        auto argument = static_cast<ACF_ARGUMENT_TYPE_ENUM>(i);
        if (flag_at(row.arguments, i, ACF_ARGUMENT_TYPE_MAX_ARGUMENT_TYPE + 1) &&
            (!once || std::find(coll->begin(), coll->end(), argument) == coll->end())) {
            coll->push_back(argument);
        }
    }
}
} // namespace

void acf_get_arguments_for_variable(ACF_VARIABLE_TYPE_ENUM variable,
                                    std::vector<ACF_ARGUMENT_TYPE_ENUM>* coll) {
    if (!ACF_REQUIRE(coll != NULL)) {
        return;
    }
    std::vector<ACF_ARGUMENT_TYPE_ENUM> found;
    for (ROW const& row : rows_of(variable)) {
        append_arguments(row, &found, true);
    }
    coll->insert(coll->end(), found.begin(), found.end());
}

void acf_get_arguments_for_variable(ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id,
                                    bool has_entity, std::vector<ACF_ARGUMENT_TYPE_ENUM>* coll) {
    if (!ACF_REQUIRE(coll != NULL)) {
        return;
    }
    ROW const* row = row_for_family(variable, has_section_id, has_entity, DEV_FAMILY_GENERIC);
    if (row != nullptr) {
        append_arguments(*row, coll, false);
    }
}

char const* acf_get_report_window_default(ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id,
                                          bool has_entity, DEV_FAMILY_ENUM family) {
    ROW const* row = row_for_family(variable, has_section_id, has_entity, family);
    return row != nullptr ? row->report_window_default : nullptr;
}

void acf_get_list_of_variables_for_family(std::list<ACF_VARIABLE_TYPE_ENUM>* variable_list,
                                          DEV_FAMILY_ENUM family, bool want_global,
                                          bool want_instance) {
    if (!ACF_REQUIRE(variable_list != NULL)) {
        return;
    }
    auto in_some_shape = [](ACF_VARIABLE_TYPE_ENUM variable,
                            ACF_FILE_CATEGORY_TARGET_TYPE_ENUM kind) {
        for (bool entity : {false, true}) {
            for (bool section : {false, true}) {
                if (acf_test_file_category_target_type(variable, kind, entity, section)) {
                    return true;
                }
            }
        }
        return false;
    };
    for (int i = 1; i < ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE; ++i) {
        auto variable = static_cast<ACF_VARIABLE_TYPE_ENUM>(i);
        if (family != DEV_FAMILY_GENERIC && !acf_variable_includes_family(variable, family)) {
            continue;
        }
        if (want_global
                ? in_some_shape(variable, ACF_FILE_CATEGORY_TARGET_TYPE_GLOBAL_ASSIGNMENT)
                : want_instance &&
                      in_some_shape(variable, ACF_FILE_CATEGORY_TARGET_TYPE_INSTANCE_ASSIGNMENT)) {
            variable_list->push_back(variable);
        }
    }
}

FIO_FILE_TYPE acf_var_type_to_fio_file_type(ACF_VARIABLE_TYPE_ENUM variable) {
    for (ACF_FIO_FILE_TYPE_INFO const* pair = fio_acf_table; pair->file_type != 0xFFFFFFFFu;
         ++pair) {
        if (pair->variable == variable) {
            return pair->file_type;
        }
    }
    return 0;
}

ACF_VARIABLE_TYPE_ENUM acf_fio_file_type_to_var_type(FIO_FILE_TYPE file_type, bool any_variable) {
    for (ACF_FIO_FILE_TYPE_INFO const* pair = fio_acf_table; pair->file_type != 0xFFFFFFFFu;
         ++pair) {
        if (pair->file_type == file_type && pair->variable != ACF_VARIABLE_TYPE_SOURCE_FILE &&
            (any_variable || acf_test_variable_trait_of(
                                 pair->variable, ACF_VARIABLE_TRAIT_TYPE_PROJECT_SOURCE_FILE))) {
            return pair->variable;
        }
    }
    return ACF_VARIABLE_TYPE_SOURCE_FILE;
}

FIO_FILE_TYPE acf_file_type_to_fio_ext(ACF_FILE_TYPE_ENUM file_type) {
    switch (file_type) {
    case ACF_FILE_TYPE_NONE:
        ACF_INTERNAL_ERROR("Function does not expect parameter ACF_FILE_TYPE_NONE.");
        return 0;
    case ACF_FILE_TYPE_PROJECT:
        return FIO_EXTENSION_TYPE_OLD_PROJECT;
    case ACF_FILE_TYPE_PROJECT_SETTINGS:
        return FIO_EXTENSION_TYPE_PSF;
    case ACF_FILE_TYPE_COMPILER_SETTINGS:
        return FIO_EXTENSION_TYPE_CSF;
    case ACF_FILE_TYPE_SIMULATOR_SETTINGS:
        return FIO_EXTENSION_TYPE_SSF;
    case ACF_FILE_TYPE_ENTITY_SETTINGS:
        return FIO_EXTENSION_TYPE_ESF;
    }
    ACF_INTERNAL_ERROR("Not a recognized ACF_FILE_TYPE_ENUM.");
    return 0;
}
