// Writing the revision's settings file and keeping its defaults.
//
// NOT WRITTEN YET: these bodies only let the library link. Each write reports
// failure (status 5) and each defaults query answers "no default" until the
// settings-file writer and the defaults file are written here.
#include "acf_manager_storage_real.h"

#include "acf_asgn_storage.h"
#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

namespace {
void not_written_yet(char const* operation) {
    acf_msg_debug("%s: not written yet", operation);
}
} // namespace

bool ACF_MANAGER_STORAGE_REAL::write_files_to_disk(bool /*write_notes*/, bool /*flush*/) {
    not_written_yet("write_files_to_disk");
    m_last_error_status = ACF_REVISION_MANAGER::UNABLE_TO_WRITE_FILE;
    return false;
}

bool ACF_MANAGER_STORAGE_REAL::write_assignments_to_files(bool /*write_notes*/, bool /*flush*/) {
    not_written_yet("write_assignments_to_files");
    return false;
}

bool ACF_MANAGER_STORAGE_REAL::write_assignments_to_file(char const* /*file_name*/,
                                                         bool /*write_notes*/, bool /*flush*/) {
    not_written_yet("write_assignments_to_file");
    return false;
}

bool ACF_MANAGER_STORAGE_REAL::write_revision_file_using_file_category_model() {
    not_written_yet("write_revision_file_using_file_category_model");
    m_last_error_status = ACF_REVISION_MANAGER::UNABLE_TO_WRITE_FILE;
    return false;
}

void ACF_MANAGER_STORAGE_REAL::write_file_category_assignments(
    char const* /*entity*/, ACF_ASGN_STORAGE* /*new_collection*/) {
    not_written_yet("write_file_category_assignments");
}

void ACF_MANAGER_STORAGE_REAL::write_file_category_assignments(
    ACF_FILE_CATEGORY_ENUM /*category*/, ACF_CATEGORY_SECTION_TYPE_ENUM /*section_type*/,
    char const* /*section_id*/, char const* /*entity*/, ACF_ASGN_STORAGE* /*new_collection*/,
    bool /*in_entity*/, bool* /*section_started*/) {
    not_written_yet("write_file_category_assignments");
}

void ACF_MANAGER_STORAGE_REAL::get_list_of_section_identifiers(
    ACF_CATEGORY_SECTION_TYPE_ENUM /*section*/, STRING_LIST* /*section_identifiers_list*/,
    std::string const& /*entity*/) {
    not_written_yet("get_list_of_section_identifiers");
}

char const* ACF_MANAGER_STORAGE_REAL::get_default_value_for_variable(
    ACF_VARIABLE_TYPE_ENUM /*type*/, char const* /*section_id*/, bool /*entity_specific*/,
    DEV_FAMILY_ENUM /*family*/) {
    not_written_yet("get_default_value_for_variable");
    return nullptr;
}

void ACF_MANAGER_STORAGE_REAL::get_default_values(ACF_VARIABLE_TYPE_ENUM /*type*/,
                                                  char const* /*variable_name*/,
                                                  char const* /*entity*/,
                                                  char const* /*section_id*/,
                                                  ASSIGNMENT_LIST* /*out*/, bool /*create*/) {
    not_written_yet("get_default_values");
}

void ACF_MANAGER_STORAGE_REAL::reset_family_default_values(ACF_MGR_INPUT_PARAMETERS* /*query*/) {
    not_written_yet("reset_family_default_values");
}

void ACF_MANAGER_STORAGE_REAL::replace_tdf_with_tsf_value(ACF_ASSIGNMENT* /*asgn*/) {
    not_written_yet("replace_tdf_with_tsf_value");
}

void ACF_MANAGER_STORAGE_REAL::handle_version_change(char const* /*last_version*/,
                                                     char const* /*current_version*/) {
    not_written_yet("handle_version_change");
}

bool ACF_MANAGER_STORAGE_REAL::write_defaults_file(char const* /*revision*/, double /*last_number*/,
                                                   double /*last_plain*/,
                                                   char const* /*last_text*/) {
    not_written_yet("write_defaults_file");
    return false;
}

void ACF_MANAGER_STORAGE_REAL::read_defaults() {
    not_written_yet("read_defaults");
}

void ACF_MANAGER_STORAGE_REAL::update_entity_section_id_defaults(
    char const* /*entity*/, char const* /*section_id*/,
    ACF_CATEGORY_SECTION_TYPE_ENUM /*section_type*/, bool /*mark_changed*/, bool /*entity_pass*/) {
    not_written_yet("update_entity_section_id_defaults");
}
