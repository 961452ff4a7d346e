#include "sys/mdb/mdb_revisions_settings.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_manager_reader.h"
#include "acf_table.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <algorithm>
#include <map>

namespace {

bool wanted(std::list<ACF_VARIABLE_TYPE_ENUM> const& only, ACF_VARIABLE_TYPE_ENUM type) {
    return only.empty() || std::find(only.begin(), only.end(), type) != only.end();
}

// Whether the assignment came from a line of a settings file (a store that
// opens a revision also holds values it adds itself, such as family defaults,
// which the file does not state).
bool read_from_file(ACF_ASSIGNMENT const* asgn) {
    std::string line;
    return asgn->get_variable_original_tcl_command_from_file(&line);
}

// The global assignments of the revision that `manager` holds under a lock;
// with `file_only` those its settings file states.
void collect(ACF_REVISION_MANAGER* manager, std::list<ACF_VARIABLE_TYPE_ENUM> const& only,
             bool file_only, std::vector<MDB_REVISION_SETTING>* out) {
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST assignments;
    manager->get_assignment_coll(nullptr, &assignments, false);
    for (ACF_ASSIGNMENT const* asgn : assignments) {
        if (asgn == nullptr || !asgn->is_global() || asgn->is_removed() || asgn->is_transient() ||
            asgn->get_type() == ACF_VARIABLE_TYPE_NONE || !wanted(only, asgn->get_type()) ||
            (file_only && !read_from_file(asgn))) {
            continue;
        }
        MDB_REVISION_SETTING setting;
        setting.type = asgn->get_type();
        char const* name = asgn->get_variable_string();
        char const* value = asgn->get_value(false);
        setting.name = name != nullptr ? name : "";
        setting.value = value != nullptr ? value : "";
        setting.category = asgn->get_file_category();
        out->push_back(std::move(setting));
    }
}

MDB_SETTINGS_READ_ENUM read_active(ACF_MANAGER* acf_mgr,
                                   std::list<ACF_VARIABLE_TYPE_ENUM> const& only,
                                   std::vector<MDB_REVISION_SETTING>* out) {
    bool locked_here = !acf_mgr->is_read_locked() && !acf_mgr->is_write_locked();
    if (locked_here && !acf_mgr->read_lock()) {
        return MDB_SETTINGS_READ_REFUSED;
    }
    collect(acf_mgr, only, false, out);
    if (locked_here) {
        acf_mgr->read_unlock();
    }
    return MDB_SETTINGS_READ_OK;
}

// A second project manager opens the project on that revision for reading
// only: it never takes the write lock and is closed without commit, so the
// open revision, its locks and every file stay as they are. It is made as for
// a process without user interface: in the graphical host every released
// write lock commits, and opening a revision releases one after stamping the
// running version into it.
MDB_SETTINGS_READ_ENUM read_other(ACF_MANAGER* acf_mgr, std::string const& revision,
                                  std::list<ACF_VARIABLE_TYPE_ENUM> const& only,
                                  std::vector<MDB_REVISION_SETTING>* out) {
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(mdb_revision_settings_file(revision)))) {
        return MDB_SETTINGS_READ_NO_FILE;
    }
    std::string dir = acf_mgr->get_project_path();
    std::string project = acf_mgr->get_project_name();
    bool ui_process = gen_get_is_ui_process();
    gen_set_is_ui_process(false);
    ACF_MANAGER* reader = ACF_MANAGER_FACTORY::create_new_manager();
    gen_set_is_ui_process(ui_process);
    MDB_SETTINGS_READ_ENUM result = MDB_SETTINGS_READ_UNREADABLE;
    if (reader->open_project(dir.c_str(), project.c_str(), revision.c_str(), false, false, false,
                             false, false) == ACF_REVISION_MANAGER::SUCCESS) {
        result = MDB_SETTINGS_READ_REFUSED;
        if (reader->read_lock_and_post_no_messages()) {
            collect(reader, only, true, out);
            reader->read_unlock();
            result = MDB_SETTINGS_READ_OK;
        }
        reader->close_project(false);
    }
    ACF_MANAGER_FACTORY::delete_manager(reader);
    return result;
}

// The values a settings file itself states, as mdb_read_revision_values
// describes them.
MDB_SETTINGS_READ_ENUM read_file_values(std::string const& file,
                                        std::list<ACF_VARIABLE_TYPE_ENUM> const& variables,
                                        std::vector<MDB_REVISION_SETTING>* out) {
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(file))) {
        return MDB_SETTINGS_READ_NO_FILE;
    }
    ACF_MANAGER_READER reader;
    bool read = reader.read_file(file.c_str(), true, nullptr, false, true);
    reader.get_post_messages(nullptr);
    if (!read) {
        return MDB_SETTINGS_READ_UNREADABLE;
    }
    std::map<ACF_VARIABLE_TYPE_ENUM, char const*> values;
    for (ACF_MGR_ASGN_LINE const* line : reader.get_assignment_lines()) {
        // A line the store would refuse makes the whole file unreadable, as
        // it does for the store: no value of a damaged file is shown.
        if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR)) {
            return MDB_SETTINGS_READ_UNREADABLE;
        }
        if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_VERBATIM | ACF_MGR_ASGN_LINE::FLAG_PARAMETER) ||
            line->get_to() != nullptr) {
            continue;
        }
        ACF_VARIABLE_TYPE_ENUM type = acf_user_name_to_variable_type_enum(line->get_name());
        if (type == ACF_VARIABLE_TYPE_NONE || !wanted(variables, type)) {
            continue;
        }
        if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_REMOVE)) {
            values.erase(type);
        } else if (line->get_value() != nullptr) {
            values[type] = line->get_value();
        }
    }
    for (ACF_VARIABLE_TYPE_ENUM type : variables) {
        auto value = values.find(type);
        if (value != values.end()) {
            MDB_REVISION_SETTING setting;
            setting.type = type;
            setting.name = acf_get_variable_user_name(type);
            setting.value = value->second;
            setting.category = acf_get_file_category(type);
            out->push_back(std::move(setting));
        }
    }
    return MDB_SETTINGS_READ_OK;
}

// The active revision of the open project from its store, another one by
// `read_other(acf_mgr)`.
template <class READ_OTHER>
MDB_SETTINGS_READ_ENUM
read_revision(std::string const& revision, std::list<ACF_VARIABLE_TYPE_ENUM> const& only,
              std::vector<MDB_REVISION_SETTING>* out, READ_OTHER const& read_other) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr || !acf_mgr->is_project_open()) {
        return MDB_SETTINGS_READ_NO_FILE;
    }
    if (revision == acf_mgr->get_active_revision_name()) {
        return read_active(acf_mgr, only, out);
    }
    return read_other(acf_mgr);
}

} // namespace

MDB_SETTINGS_READ_ENUM mdb_read_revision_settings(std::string const& revision,
                                                  std::vector<MDB_REVISION_SETTING>* out,
                                                  std::list<ACF_VARIABLE_TYPE_ENUM> const& only) {
    return read_revision(revision, only, out, [&](ACF_MANAGER* acf_mgr) {
        return read_other(acf_mgr, revision, only, out);
    });
}

MDB_SETTINGS_READ_ENUM mdb_read_revision_values(std::string const& revision,
                                                std::list<ACF_VARIABLE_TYPE_ENUM> const& variables,
                                                std::vector<MDB_REVISION_SETTING>* out) {
    return read_revision(revision, variables, out, [&](ACF_MANAGER*) {
        return read_file_values(mdb_revision_settings_file(revision), variables, out);
    });
}

std::string mdb_find_setting(std::vector<MDB_REVISION_SETTING> const& settings,
                             ACF_VARIABLE_TYPE_ENUM type) {
    for (MDB_REVISION_SETTING const& setting : settings) {
        if (setting.type == type) {
            return setting.value;
        }
    }
    return std::string();
}

std::string mdb_revision_settings_file(std::string const& revision) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    char const* project_dir = acf_mgr != nullptr ? acf_mgr->get_project_path() : nullptr;
    std::string dir = project_dir != nullptr ? project_dir : ""; // none without a project
    return FIO_PATH(dir, revision +
                             FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_TSF))
        .path();
}
