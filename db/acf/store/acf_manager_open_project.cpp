// The open project and the settings of its active revision, as other
// libraries ask for them.
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"

std::string acf_get_global_setting_text(ACF_VARIABLE_TYPE_ENUM variable, char const* section_id) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    bool lock_here = !acf_mgr->is_read_locked() && !acf_mgr->is_write_locked();
    if (lock_here && !acf_mgr->read_lock()) {
        return "";
    }
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_type(variable);
    query.set_section_identifier(section_id);
    char const* value = acf_mgr->get_global_assignment(&query);
    std::string text = value != nullptr ? value : "";
    if (lock_here) {
        acf_mgr->read_unlock();
    }
    return text;
}

bool acf_get_open_project(std::string* directory, std::string* name) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (!acf_mgr->is_project_open()) {
        return false;
    }
    *directory = acf_mgr->get_project_path();
    *name = acf_mgr->get_project_name();
    return true;
}
