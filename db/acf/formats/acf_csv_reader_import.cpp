// The CSV importer's road into the revision: the file under the storage's write
// lock, data rows to assignments, and the result summaries.
#include "formats/acf_csv_reader.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "mem_manager.h"
#include "records/acf_assignment_factory.h"
#include "records/acf_manager_storage.h"
#include "suite/general/gen.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

MEM_UNIT_INITIALIZER(ACF);

namespace {

using STATUS = ACF_REVISION_MANAGER::ERROR_STATUS;

// Posts a summary with one sub-message per row or command, then frees it.
template <class PARENT, class SUB>
void post_summary(PARENT* message, std::vector<std::string> const& lines,
                  SUB* (*make_sub)(char const*)) {
    for (std::string const& line : lines) {
        message->add_sub_message(make_sub(line.c_str()));
    }
    message->post();
    delete message;
}

} // namespace

bool ACF_CSV_READER::read_file(char const* file_name, ACF_MANAGER_STORAGE* mgr_storage,
                               bool post_messages, bool store_in_revision,
                               bool add_to_non_project_list, bool set_file_name,
                               ACF_ARGUMENT_TYPE_ENUM argument_type, char const* argument_value) {
    if (!ACF_REQUIRE(file_name != NULL) || !ACF_REQUIRE(mgr_storage != NULL)) {
        return false;
    }
    m_flags = (post_messages ? FLAG_POST_MESSAGES : 0) |
              (store_in_revision ? FLAG_STORE_IN_REVISION : 0) |
              (add_to_non_project_list ? FLAG_ADD_TO_NON_PROJECT_LIST : 0) |
              (set_file_name ? FLAG_SET_FILE_NAME : 0);
    m_file_name = file_name;
    m_argument_type = argument_type;
    m_argument_value = argument_value;

    // A missing file or one that cannot be read fails the import.
    struct stat status;
    FILE* file = nullptr;
    if (::stat(file_name, &status) == 0 && S_ISREG(status.st_mode)) {
        file = std::fopen(file_name, "r");
    }
    if (file == nullptr) {
        if (post_messages) {
            MSG_W* message = MSG_ACF::W::PROJECT_FILE_DOES_NOT_EXIST(file_name);
            message->post();
            delete message;
        }
        return false;
    }

    bool took_lock = false;
    if (!mgr_storage->is_write_locked()) {
        took_lock = mgr_storage->write_lock(post_messages);
    }
    bool result = mgr_storage->is_write_locked(); // no lock, no import
    if (result) {
        char* buffer = nullptr;
        size_t capacity = 0;
        while (getline(&buffer, &capacity, file) >= 0) {
            if (!process_one_line_from_file(buffer, mgr_storage)) {
                result = false; // the header row lacks the required columns
                break;
            }
        }
        std::free(buffer);
    }
    if (took_lock) {
        mgr_storage->write_unlock();
    }
    std::fclose(file);
    display_result_messages();
    return result;
}

bool ACF_CSV_READER::process_one_line_from_file(char* buffer, ACF_MANAGER_STORAGE* mgr_storage) {
    if (!ACF_REQUIRE(buffer != NULL)) {
        return true;
    }
    // The row as read, without its line end, for the summaries.
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    if (!tokenize_buffer(buffer)) {
        return true; // blank or comment
    }
    if ((m_flags & FLAG_HEADER_READ) == 0) {
        return create_column_info(line.c_str());
    }
    create_assignments(mgr_storage, line.c_str());
    return true;
}

void ACF_CSV_READER::create_assignments(ACF_MANAGER_STORAGE* mgr_storage, char const* line) {
    if (static_cast<int32_t>(m_cells.size()) != m_header_column_count) {
        m_errors.emplace_back(line);
        return;
    }
    char const* source = get_string_for_ase_part_enum(ASE_ASGN_PART_SOURCE);
    char const* target = get_string_for_ase_part_enum(ASE_ASGN_PART_TARGET);
    char const* comment = get_string_for_ase_part_enum(ASE_ASGN_PART_COMMENT);
    char const* entity = get_string_for_ase_part_enum(ASE_ASGN_PART_ENTITY);
    char const* enabled = get_string_for_ase_part_enum(ASE_ASGN_PART_ENABLED);
    char const* name = get_string_for_ase_part_enum(ASE_ASGN_PART_NAME);
    bool ignored = enabled != nullptr && gen_stricmp(enabled, "No") == 0;
    bool no_target = target == nullptr;
    bool failed = false;
    bool attempted = false;

    if (name != nullptr) {
        char const* value = get_named_value_string();
        if (value == nullptr) {
            failed = true;
        } else {
            attempted = true;
            ACF_VARIABLE_TYPE_ENUM variable = acf_user_name_to_variable_type_enum(name);
            bool freeform = variable == ACF_VARIABLE_TYPE_NONE;
            ACF_MGR_INPUT_PARAMETERS params;
            params.set_variable_type(variable);
            params.set_variable_string(name);
            params.set_value_string(value);
            params.set_from(source);
            params.set_to(target);
            params.set_comments(comment);
            params.set_entity_name(entity);
            params.set_is_ignored(ignored);
            if (check_legal(&params, mgr_storage, no_target, freeform, entity != nullptr)) {
                bool stored = true;
                if ((m_flags & FLAG_STORE_IN_REVISION) != 0) {
                    stored = store_assignment(&params, mgr_storage, no_target, freeform, ignored,
                                              comment);
                }
                if ((m_flags & FLAG_ADD_TO_NON_PROJECT_LIST) != 0) {
                    stored = add_asgn_to_internal_collection(&params, mgr_storage) && stored;
                }
                failed = !stored;
            } else if (mgr_storage->get_last_error_status() == STATUS::ILLEGAL_SECTION_ID) {
                m_skipped.emplace_back(line);
            } else {
                failed = true;
            }
        }
    }

    for (ACF_CSV_COLUMN_DATA const* row = acf_csv_column_data_array; row->header[0] != '\0';
         ++row) {
        if (row->variable == ACF_VARIABLE_TYPE_NONE ||
            get_string_for_acf_variable_type_enum(row->variable) == nullptr) {
            continue;
        }
        attempted = true;
        if (!add_assignment_for_acf_variable_type(row->variable, source, target, comment, entity,
                                                  ignored, mgr_storage)) {
            if (mgr_storage->get_last_error_status() == STATUS::ILLEGAL_SECTION_ID) {
                m_skipped.emplace_back(line);
            } else {
                failed = true;
            }
        }
    }
    if (failed || !attempted) {
        m_errors.emplace_back(line);
    }
}

bool ACF_CSV_READER::add_assignment_for_acf_variable_type(ACF_VARIABLE_TYPE_ENUM variable,
                                                          char const* from, char const* to,
                                                          char const* comment, char const* entity,
                                                          bool ignored,
                                                          ACF_MANAGER_STORAGE* mgr_storage) {
    if (!ACF_REQUIRE(mgr_storage != NULL)) {
        return false;
    }
    char const* value = get_string_for_acf_variable_type_enum(variable);
    if (value == nullptr) {
        return true;
    }
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_type(variable);
    params.set_variable_string(acf_variable_type_to_string(variable));
    params.set_value_string(value);
    params.set_from(from);
    params.set_to(to);
    params.set_entity_name(entity);
    // The row's comment and enabled mark also go with the copy for the
    // non-project list.
    params.set_comments(comment);
    params.set_is_ignored(ignored);
    bool no_target = to == nullptr;
    if (!check_legal(&params, mgr_storage, no_target, false, entity != nullptr)) {
        return false;
    }
    bool store = (m_flags & FLAG_STORE_IN_REVISION) != 0;
    bool add = (m_flags & FLAG_ADD_TO_NON_PROJECT_LIST) != 0;
    bool result = store || add;
    if (store) {
        result = store_assignment(&params, mgr_storage, no_target, false, ignored, comment);
    }
    if (add) {
        result = add_asgn_to_internal_collection(&params, mgr_storage) && result;
    }
    return result;
}

bool ACF_CSV_READER::check_legal(ACF_MGR_INPUT_PARAMETERS* params, ACF_MANAGER_STORAGE* mgr_storage,
                                 bool no_target, bool freeform, bool has_entity) {
    if (mgr_storage->is_legal(params, no_target, freeform) ||
        mgr_storage->get_last_error_status() == STATUS::DUPLICATE_FOUND) {
        return true;
    }
    if (mgr_storage->get_last_error_status() != STATUS::ILLEGAL_ENTITY_NAME || has_entity) {
        return false;
    }
    // The assignment needs an entity: the revision's root entity.
    ACF_MGR_INPUT_PARAMETERS root;
    root.set_variable_type(ACF_VARIABLE_TYPE_ROOT);
    ACF_ASSIGNMENT* root_assignment = mgr_storage->get_assignment(&root, true, false, false);
    char const* root_entity =
        root_assignment != nullptr ? root_assignment->get_unmodified_value(true) : nullptr;
    if (root_entity == nullptr || root_entity[0] == '\0') {
        return false;
    }
    params->set_entity_name(root_entity);
    return mgr_storage->is_legal(params, no_target, false) ||
           mgr_storage->get_last_error_status() == STATUS::DUPLICATE_FOUND;
}

bool ACF_CSV_READER::store_assignment(ACF_MGR_INPUT_PARAMETERS* params,
                                      ACF_MANAGER_STORAGE* mgr_storage, bool no_target,
                                      bool freeform, bool ignored, char const* comment) {
    ACF_MANAGER_STORAGE::ASSIGNMENT_LIST changed;
    ACF_SET_ASSIGNMENT_OPTIONS set;
    set.is_global = no_target;
    set.is_freeform = freeform;
    set.mark_changed = true;
    set.changed = &changed;
    ACF_ASSIGNMENT* asgn = mgr_storage->set_assignment(params, set);
    if (asgn == nullptr) {
        return false;
    }
    if (m_argument_type != ACF_ARGUMENT_TYPE_NONE) {
        asgn->add_argument(m_argument_type, m_argument_value);
    }
    asgn->set_ignore_status(ignored);
    asgn->set_comment(comment);
    if ((m_flags & FLAG_SET_FILE_NAME) != 0) {
        asgn->set_acf_file_name(m_file_name);
    }
    std::string command;
    asgn->get_variable_tcl_set_command(&command, nullptr);
    if (!command.empty()) {
        m_added.push_back(command);
    }
    return true;
}

bool ACF_CSV_READER::add_asgn_to_internal_collection(ACF_MGR_INPUT_PARAMETERS* input_params,
                                                     ACF_MANAGER_STORAGE* mgr_storage) {
    if (!ACF_REQUIRE(input_params != NULL) || !ACF_REQUIRE(mgr_storage != NULL) ||
        !ACF_REQUIRE(m_assignment_factory != NULL)) {
        return false;
    }
    ACF_ASSIGNMENT* asgn = m_assignment_factory->create_assignment(
        input_params->get_variable_type(), input_params->get_variable_string(),
        input_params->get_from(), input_params->get_to(), input_params->get_value_string(),
        input_params->get_comments(), input_params->get_is_ignored());
    if (!ACF_REQUIRE(asgn != NULL)) {
        return false;
    }
    if (m_argument_type != ACF_ARGUMENT_TYPE_NONE) {
        asgn->add_argument(m_argument_type, m_argument_value);
    }
    if (input_params->get_entity_name() != nullptr) {
        asgn->set_entity_name(input_params->get_entity_name());
    }
    if ((m_flags & FLAG_SET_FILE_NAME) != 0) {
        asgn->set_acf_file_name(m_file_name);
    }
    mgr_storage->add_assignment_to_non_proj_list(asgn);
    return true;
}

void ACF_CSV_READER::display_result_messages() {
    if ((m_flags & FLAG_POST_MESSAGES) == 0) {
        return;
    }
    if (!m_added.empty()) {
        post_summary(MSG_ACF::I::ASSIGNMENTS_ADDED_FROM_CSV_FILE(file_name_text()), m_added,
                     &MSG_ACF::I::ACF_ASSIGNMENT_INFO);
    }
    if (!m_errors.empty()) {
        post_summary(MSG_ACF::W::ERRORS_IN_CSV_FILE(file_name_text()), m_errors,
                     &MSG_ACF::W::ACF_ASSIGNMENT_INFO);
    }
    if (!m_skipped.empty()) {
        post_summary(MSG_ACF::I::LINES_SKIPPED_IN_CSV_FILE(file_name_text()), m_skipped,
                     &MSG_ACF::I::ACF_ASSIGNMENT_INFO);
    }
}
