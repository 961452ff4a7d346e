#include "sys/mdb/mdb_validate_family_and_device.h"

#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "suite/gui/afcq.h"
#include "suite/proj/proj.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_family_checks.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_revisions_settings.h"
#include "sys/mdb/mdb_select_family_dlg.h"

#include <string>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

// What the check decided to write.
struct MDB_FAMILY_DEVICE_CHANGE {
    std::string family;            // new FAMILY, empty: unchanged
    std::string device;            // new DEVICE, empty: unchanged
    bool remove_locations = false; // remove every LOCATION assignment
};

std::string auto_device() {
    char const* text = acf_enum_type_to_user_string(ACF_ENUM_VALUE_AUTO);
    return text != nullptr ? text : "Auto";
}

bool is_auto(std::string const& device) {
    return strcasecmp(device.c_str(), auto_device().c_str()) == 0;
}

// Asks a question about removing the locations and deletes it; true for Yes.
bool asks_to_remove(MSG_YN* question) {
    bool yes = question->show() == MSG_ANSWER_YES;
    delete question;
    return yes;
}

// The family stands: decides what becomes of the device.
void check_device(std::string const& family, DEV_FAMILY_ENUM family_value,
                  std::string const& device, MDB_FAMILY_DEVICE_CHANGE* change) {
    if (device.empty()) {
        change->device = auto_device();
        return;
    }
    if (is_auto(device)) {
        return;
    }
    DEV_PART_ENUM part = DEV_PART_INVALID;
    if (!mdb_device_is_installed(device, &part)) {
        change->device = auto_device();
        change->remove_locations =
            asks_to_remove(MSG_MDB::YN::DEVICE_NOT_AVAILABLE(device.c_str()));
    } else if (DEV_PART_MANAGER::get_family_of(part) != family_value) {
        change->device = auto_device();
        change->remove_locations =
            asks_to_remove(MSG_MDB::YN::DEVICE_NOT_IN_FAMILY(device.c_str(), family.c_str()));
    } else if (DEV_PART_MANAGER::test_part_trait_of(part, DEV_PART_TRAIT_NOT_AVAILABLE)) {
        change->device = auto_device();
        change->remove_locations =
            asks_to_remove(MSG_MDB::YN::DEVICE_NOT_AVAILABLE(device.c_str()));
    }
}

// The device after the user chose another family in the picker.
std::string device_for_chosen_family(std::string const& device, std::string const& family) {
    if (device.empty()) {
        return auto_device();
    }
    if (is_auto(device) || !dstr_exists_dev_part_enum_by_string(device.c_str())) {
        return "";
    }
    DEV_PART_ENUM part = dstr_get_dev_part_enum_by_string(device.c_str());
    if (DEV_PART_MANAGER::get_family_of(part) !=
            dstr_get_dev_family_enum_by_string(family.c_str()) &&
        !DEV_PART_MANAGER::test_part_trait_of(part, DEV_PART_TRAIT_NOT_AVAILABLE)) {
        return auto_device();
    }
    return "";
}

// Whether the active revision's settings file can be rewritten: the file (when
// there is one) and its directory are writable.
bool settings_file_writable(ACF_MANAGER* acf_mgr) {
    std::string file = mdb_revision_settings_file(acf_mgr->get_active_revision_name());
    return access(acf_mgr->get_project_path(), W_OK) == 0 &&
           (access(file.c_str(), F_OK) != 0 || access(file.c_str(), W_OK) == 0);
}

void remove_global(ACF_MANAGER* acf_mgr, ACF_VARIABLE_TYPE_ENUM type) {
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_type(type);
    acf_mgr->remove_global_assignment(&query);
}

void set_global(ACF_MANAGER* acf_mgr, ACF_VARIABLE_TYPE_ENUM type, std::string const& value) {
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_type(type);
    query.set_value_string(value.c_str());
    acf_mgr->set_global_assignment(&query);
}

// Writes the change under the write lock and commits it. A closed project, a
// refused lock or a settings file that cannot be written leave everything as
// it was and show ACF_ERROR.
void write_change(MDB_FAMILY_DEVICE_CHANGE const& change) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("no acf mgr");
        return;
    }
    if (!acf_mgr->is_project_open() || !settings_file_writable(acf_mgr) ||
        !acf_mgr->write_lock(false)) {
        MSG_O* message = MSG_MDB::O::ACF_ERROR();
        message->show();
        delete message;
        return;
    }
    if (!change.device.empty()) {
        set_global(acf_mgr, ACF_VARIABLE_TYPE_DEVICE, change.device);
    }
    if (!change.family.empty()) {
        set_global(acf_mgr, ACF_VARIABLE_TYPE_FAMILY, change.family);
    }
    if (change.remove_locations) {
        acf_mgr->remove_all_assignments_of_type(ACF_VARIABLE_TYPE_LOCATION);
    }
    for (ACF_VARIABLE_TYPE_ENUM filter :
         {ACF_VARIABLE_TYPE_FILTER_PACKAGE, ACF_VARIABLE_TYPE_FILTER_PIN_COUNT,
          ACF_VARIABLE_TYPE_FILTER_SPEED_GRADE, ACF_VARIABLE_TYPE_FILTER_VOLTAGE}) {
        remove_global(acf_mgr, filter);
    }
    AFCQ_WAIT_CURSOR wait;
    bool committed = acf_mgr->commit_files_to_disk(true, true);
    acf_mgr->write_unlock(true);
    if (!committed) {
        MSG_O* message = MSG_MDB::O::ACF_ERROR();
        message->show();
        delete message;
    }
}

} // namespace

bool mdb_dyn_validate_family_and_device_settings(QWidget* parent) {
    PROJ_PROJECT* project = PROJ_PROJECT::get_current();
    if (project == nullptr) {
        return false;
    }
    std::string family = project->get_setting(ACF_VARIABLE_TYPE_FAMILY);
    std::string device = project->get_setting(ACF_VARIABLE_TYPE_DEVICE);
    if (family.empty()) {
        return true;
    }
    MDB_FAMILY_DEVICE_CHANGE change;
    DEV_FAMILY_ENUM family_value = DEV_FAMILY_INVALID;
    if (mdb_family_is_installed(family, &family_value) &&
        !mdb_family_no_longer_supported(family, false)) {
        check_device(family, family_value, device, &change);
    } else {
        std::vector<DEV_FAMILY_ENUM> families;
        mdb_get_family_list(&families);
        if (families.empty()) {
            MSG_O* message = MSG_MDB::O::NO_FAMILIES_AVAILABLE();
            message->show();
            delete message;
            return false;
        }
        if (families.size() == 1) {
            change.family = dstr_get_user_string(families.front());
            change.device = auto_device();
            change.remove_locations = asks_to_remove(
                MSG_MDB::YN::FAMILY_NOT_AVAILABLE(family.c_str(), change.family.c_str()));
        } else {
            MDB_SELECT_FAMILY_DLG picker(families, QString::fromLocal8Bit(family.c_str()), parent);
            if (picker.exec() != QDialog::Accepted) {
                return false;
            }
            change.remove_locations = picker.get_remove_locations();
            change.family = picker.get_selected_family();
            change.device = device_for_chosen_family(device, change.family);
        }
    }
    if (change.remove_locations || !change.family.empty() || !change.device.empty()) {
        write_change(change);
    }
    return true;
}
