#include "formats/acf_settings_lines.h"

#include "acf_revision_manager.h"
#include "acf_table.h"
#include "mem_manager.h"

#include "suite/fileio/fio.h"

MEM_UNIT_INITIALIZER(ACF);

namespace {
// Whether, as a global, the variable belongs only in an old entity settings file.
bool global_variable_only_exists_in_old_esf_file(ACF_VARIABLE_TYPE_ENUM variable,
                                                 bool has_section_id) {
    if (!acf_test_category_trait_of(variable, ACF_CATEGORY_TRAIT_TYPE_ENTITY_SETTINGS_FILE, false,
                                    false, true, has_section_id)) {
        return false;
    }
    for (int k = ACF_CATEGORY_TRAIT_TYPE_PROJECT_FILE;
         k <= ACF_CATEGORY_TRAIT_TYPE_SIMULATOR_SETTINGS_FILE; ++k) {
        if (acf_test_category_trait_of(variable, static_cast<ACF_CATEGORY_TRAIT_TYPE_ENUM>(k),
                                       false, false, false, has_section_id)) {
            return false;
        }
    }
    return true;
}
} // namespace

ACF_FILE_TYPE_ENUM acf_old_file_type_of_extension(int extension_type) {
    switch (extension_type) {
    case FIO_EXTENSION_TYPE_OLD_PROJECT:
        return ACF_FILE_TYPE_PROJECT;
    case FIO_EXTENSION_TYPE_PSF:
        return ACF_FILE_TYPE_PROJECT_SETTINGS;
    case FIO_EXTENSION_TYPE_CSF:
        return ACF_FILE_TYPE_COMPILER_SETTINGS;
    case FIO_EXTENSION_TYPE_SSF:
        return ACF_FILE_TYPE_SIMULATOR_SETTINGS;
    case FIO_EXTENSION_TYPE_ESF:
        return ACF_FILE_TYPE_ENTITY_SETTINGS;
    default:
        return ACF_FILE_TYPE_NONE;
    }
}

void acf_mark_lines_of_default_entity(std::vector<ACF_MGR_ASGN_LINE*> const& lines) {
    for (ACF_MGR_ASGN_LINE* line : lines) {
        if (line->get_entity() != nullptr || line->test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR) ||
            line->test_flag(ACF_MGR_ASGN_LINE::FLAG_SOURCE) ||
            line->test_flag(ACF_MGR_ASGN_LINE::FLAG_VERBATIM)) {
            continue;
        }
        bool has_to = line->get_to() != nullptr;
        bool has_section = line->get_section_id() != nullptr;
        bool takes_entity = false;
        if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_PARAMETER)) {
            takes_entity = has_to;
        } else if (line->get_name() != nullptr) {
            ACF_VARIABLE_TYPE_ENUM variable = acf_user_name_to_variable_type_enum(line->get_name());
            if (variable == ACF_VARIABLE_TYPE_NONE) {
                continue;
            }
            takes_entity = has_to
                               ? acf_test_category_trait_of(
                                     variable, ACF_CATEGORY_TRAIT_TYPE_ENTITY_SETTINGS_FILE,
                                     line->get_from() != nullptr, true, true, has_section)
                               : global_variable_only_exists_in_old_esf_file(variable, has_section);
        }
        if (takes_entity) {
            line->set_flag(ACF_MGR_ASGN_LINE::FLAG_DEFAULT_ENTITY);
        }
    }
}

int acf_status_of_line_in_error(ACF_MGR_ASGN_LINE const& line) {
    if (line.test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR)) {
        return ACF_REVISION_MANAGER::UNKNOWN_ERROR;
    }
    if (line.get_name() == nullptr) {
        return ACF_REVISION_MANAGER::ILLEGAL_VARIABLE;
    }
    if (line.get_value() == nullptr && !line.test_flag(ACF_MGR_ASGN_LINE::FLAG_REMOVE)) {
        return ACF_REVISION_MANAGER::ILLEGAL_VALUE;
    }
    return 0;
}
