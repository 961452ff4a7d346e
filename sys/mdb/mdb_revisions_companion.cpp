#include "sys/mdb/mdb_revisions_companion.h"

#include "acf_manager.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/messages/msg.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"

#include <cstring>
#include <vector>

namespace {

struct FAMILY_PAIR {
    DEV_FAMILY_ENUM fpga;
    DEV_FAMILY_ENUM structured_asic;
};
FAMILY_PAIR const family_pairs[] = {
    {DEV_FAMILY_VORELON_II, DEV_FAMILY_LUMIFORM_II},
    {DEV_FAMILY_VORELON_IV, DEV_FAMILY_LUMIFORM_IV},
    {DEV_FAMILY_VORELON_III, DEV_FAMILY_LUMIFORM_III},
};

// A character as a message names it: white space, which would not show, by
// name.
std::string character_name(char c) {
    switch (c) {
    case ' ':
        return "blank";
    case '\t':
        return "tab";
    case '\r':
    case '\n':
        return "line break";
    default:
        return std::string(1, c);
    }
}

} // namespace

DEV_FAMILY_ENUM mdb_companion_family(DEV_FAMILY_ENUM family) {
    for (FAMILY_PAIR const& pair : family_pairs) {
        if (family == pair.fpga) {
            return pair.structured_asic;
        }
        if (family == pair.structured_asic) {
            return pair.fpga;
        }
    }
    return DEV_FAMILY_INVALID;
}

std::string mdb_proposed_companion_name(std::string const& revision, DEV_FAMILY_ENUM family) {
    for (FAMILY_PAIR const& pair : family_pairs) {
        if (family == pair.structured_asic) {
            return revision + "_s";
        }
        if (family == pair.fpga) {
            return revision + "_lm";
        }
    }
    return revision;
}

MDB_SETTINGS_READ_ENUM mdb_read_companion_settings(MDB_COMPANION_SETTINGS* out) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr || !acf_mgr->is_project_open()) {
        return MDB_SETTINGS_READ_NO_FILE;
    }
    std::vector<MDB_REVISION_SETTING> settings;
    MDB_SETTINGS_READ_ENUM read = mdb_read_revision_settings(
        acf_mgr->get_active_revision_name(), &settings,
        {ACF_VARIABLE_TYPE_FAMILY, ACF_VARIABLE_TYPE_COMPANION_REVISION_NAME,
         ACF_VARIABLE_TYPE_DEVICE, ACF_VARIABLE_TYPE_DEVICE_TECHNOLOGY_MIGRATION_LIST});
    if (read != MDB_SETTINGS_READ_OK) {
        return read;
    }
    out->family = mdb_find_setting(settings, ACF_VARIABLE_TYPE_FAMILY);
    out->companion = mdb_find_setting(settings, ACF_VARIABLE_TYPE_COMPANION_REVISION_NAME);
    out->device = mdb_find_setting(settings, ACF_VARIABLE_TYPE_DEVICE);
    out->migration_list =
        mdb_find_setting(settings, ACF_VARIABLE_TYPE_DEVICE_TECHNOLOGY_MIGRATION_LIST);
    return MDB_SETTINGS_READ_OK;
}

bool mdb_read_companion_family(MDB_COMPANION_SETTINGS* out, DEV_FAMILY_ENUM* family) {
    if (ACF_MANAGER::get_acf_manager() == nullptr) {
        MDB_INTERNAL_ERROR("acf_mgr != NULL");
        return false;
    }
    MDB_SETTINGS_READ_ENUM read = mdb_read_companion_settings(out);
    if (read == MDB_SETTINGS_READ_REFUSED) {
        MSG_O* message = MSG_MDB::O::ACF_ERROR();
        message->show();
        delete message;
    }
    if (read != MDB_SETTINGS_READ_OK ||
        !dstr_exists_dev_family_enum_by_string(out->family.c_str())) {
        return false;
    }
    *family = dstr_get_dev_family_enum_by_string(out->family.c_str());
    return mdb_companion_family(*family) != DEV_FAMILY_INVALID;
}

bool mdb_find_companion_candidates(DEV_FAMILY_ENUM paired, std::list<std::string>* out) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr || !acf_mgr->is_project_open()) {
        return false;
    }
    std::string active = acf_mgr->get_active_revision_name();
    ACF_MANAGER::STRING_LIST revisions;
    acf_mgr->get_list_of_revisions_for_project(&revisions);
    for (std::string const& revision : revisions) {
        if (revision == active) {
            continue;
        }
        std::vector<MDB_REVISION_SETTING> settings;
        MDB_SETTINGS_READ_ENUM read = mdb_read_revision_settings(
            revision, &settings,
            {ACF_VARIABLE_TYPE_FAMILY, ACF_VARIABLE_TYPE_COMPANION_REVISION_NAME});
        if (read == MDB_SETTINGS_READ_REFUSED) {
            return false;
        }
        std::string family = mdb_find_setting(settings, ACF_VARIABLE_TYPE_FAMILY);
        if (read != MDB_SETTINGS_READ_OK ||
            !dstr_exists_dev_family_enum_by_string(family.c_str()) ||
            dstr_get_dev_family_enum_by_string(family.c_str()) != paired) {
            continue;
        }
        if (mdb_find_setting(settings, ACF_VARIABLE_TYPE_COMPANION_REVISION_NAME) == active) {
            out->push_front(revision);
        } else {
            out->push_back(revision);
        }
    }
    return true;
}

bool mdb_is_illegal_revision_name_character(char c) {
    return std::strchr(" \r\t\n:~!@#/$%^&*?()+={}|<>,.;`'\"[]\\", c) != nullptr && c != '\0';
}

MDB_COMPANION_NAME_CHECK_ENUM mdb_check_companion_name(std::string const& name,
                                                       std::string* refused) {
    if (name.empty()) {
        return MDB_COMPANION_NAME_EMPTY;
    }
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (gen_stricmp(name.c_str(), acf_mgr->get_active_revision_name()) == 0) {
        return MDB_COMPANION_NAME_IS_ACTIVE;
    }
    std::string illegal;
    std::string named;
    for (char c : name) {
        if (mdb_is_illegal_revision_name_character(c) && illegal.find(c) == std::string::npos) {
            illegal += c;
            named += (named.empty() ? "" : " ") + character_name(c);
        }
    }
    if (!illegal.empty()) {
        if (refused != nullptr) {
            *refused = named;
        }
        return MDB_COMPANION_NAME_ILLEGAL;
    }
    if (acf_mgr->is_revision_included_in_project(name.c_str()) ||
        FIO_FILE_SYSTEM::exists(FIO_PATH(mdb_revision_settings_file(name)))) {
        return MDB_COMPANION_NAME_EXISTS;
    }
    return MDB_COMPANION_NAME_OK;
}
