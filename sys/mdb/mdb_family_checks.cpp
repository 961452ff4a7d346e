#include "sys/mdb/mdb_family_checks.h"

#include "acf_table_types.h"
#include "suite/proj/proj.h"
#include "sys/mdb/mdb_msgs.h"

void mdb_get_family_list(std::vector<DEV_FAMILY_ENUM>* out) {
    std::vector<DEV_FAMILY_TRAIT_ENUM> traits{DEV_FAMILY_TRAIT_SUPPORTED};
    DEV_FAMILY_MANAGER::filter_family_list(out, DEV_FAMILY_INVALID, traits, true);
}

bool mdb_get_family_enum(std::string family, DEV_FAMILY_ENUM* out, bool from_project) {
    if (from_project) {
        if (PROJ_PROJECT* project = PROJ_PROJECT::get_current()) {
            family = project->get_setting(ACF_VARIABLE_TYPE_FAMILY);
        }
    }
    if (!dstr_exists_dev_family_enum_by_string(family.c_str())) {
        return false;
    }
    if (out != nullptr) {
        *out = dstr_get_dev_family_enum_by_string(family.c_str());
    }
    return true;
}

bool mdb_family_is_installed(std::string const& family, DEV_FAMILY_ENUM* out) {
    DEV_FAMILY_ENUM value = dstr_get_dev_family_enum_by_string(family.c_str());
    if (value == DEV_FAMILY_INVALID ||
        !DEV_FAMILY_MANAGER::test_trait_of(value, DEV_FAMILY_TRAIT_INSTALLED)) {
        return false;
    }
    if (out != nullptr) {
        *out = value;
    }
    return true;
}

bool mdb_family_no_longer_supported(std::string const& family, bool show) {
    DEV_FAMILY_ENUM value = dstr_get_dev_family_enum_by_string(family.c_str());
    if (value == DEV_FAMILY_INVALID ||
        DEV_FAMILY_MANAGER::test_trait_of(value, DEV_FAMILY_TRAIT_SUPPORTED)) {
        return false;
    }
    if (show) {
        MSG_O* message = MSG_MDB::O::FAMILY_NO_LONGER_SUPPORTED(family.c_str());
        message->show();
        delete message;
    }
    return true;
}

bool mdb_device_is_installed(std::string const& part, DEV_PART_ENUM* out) {
    DEV_PART_ENUM value = dstr_get_dev_part_enum_by_string(part.c_str());
    if (value == DEV_PART_INVALID) {
        return false;
    }
    DEV_DEVICE_ENUM device = DEV_PART_MANAGER::get_device_of(value);
    if (!dstr_is_valid_dev_device_enum(device) || !DEV_PART_MANAGER::device_is_installed(device)) {
        return false;
    }
    if (out != nullptr) {
        *out = value;
    }
    return true;
}
