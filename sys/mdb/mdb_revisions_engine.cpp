#include "sys/mdb/mdb_revisions_engine.h"

#include "acf_manager.h"
#include "suite/dbmanager/dbm_info.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "suite/projectctl/pjc_project.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_revisions_settings.h"

#include <map>
#include <memory>
#include <unordered_set>

namespace {

std::string project_dir() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    char const* dir = acf_mgr != nullptr ? acf_mgr->get_project_path() : nullptr;
    return dir != nullptr ? dir : "";
}

void show(MSG_O* notice) {
    std::unique_ptr<MSG_O> owned(notice);
    owned->show();
}

void show_cant_write(std::string const& file) {
    show(MSG_MDB::O::CANT_CREATE_OR_OVERWRITE_FILE(file.c_str()));
}

// Why the project manager refused to change a revision, in words.
std::string refusal_reason(int status) {
    switch (status) {
    case ACF_REVISION_MANAGER::UNABLE_TO_WRITE_FILE:
        return "the project's files could not be written";
    case ACF_REVISION_MANAGER::FILE_CANNOT_BE_OPENED:
        return "the settings of the revision it is based on could not be read";
    case ACF_REVISION_MANAGER::FILE_NAME_TOO_LONG:
        return "a revision name may have at most " +
               std::to_string(ACF_MANAGER::get_max_revision_name_length()) + " characters";
    case ACF_REVISION_MANAGER::LOCK_HELD:
        return "the project's settings are in use";
    case ACF_REVISION_MANAGER::NO_PROJECT_OPEN:
        return "no project is open";
    case ACF_REVISION_MANAGER::EMPTY_NAME:
        return "no revision is named";
    case ACF_REVISION_MANAGER::REVISION_NOT_IN_PROJECT:
        return "the revision is not listed in the project";
    case ACF_REVISION_MANAGER::REVISION_IS_ACTIVE:
        return "it is the active revision";
    case ACF_REVISION_MANAGER::REVISION_FILE_NOT_DELETED:
        return "its settings file could not be deleted";
    default:
        return "the project manager refused with status " + std::to_string(status);
    }
}

// A description's texts joined by "\n".
std::string joined(PJC_PROJECT::STRING_LIST const& lines) {
    std::string text;
    for (auto line = lines.begin(); line != lines.end(); ++line) {
        text += (line == lines.begin() ? "" : "\n") + *line;
    }
    return text;
}

int shown_status(std::string const& revision, int status) {
    if (status != ACF_REVISION_MANAGER::SUCCESS) {
        show(MSG_MDB::O::REVISION_NOT_CHANGED(revision.c_str(), refusal_reason(status).c_str()));
    }
    return status;
}

} // namespace

std::string mdb_flow_report_file(std::string const& revision) {
    return FIO_PATH(project_dir(), revision + "." + REV_FLOW_FILE_EXT).path();
}

std::vector<MDB_REVISION_ROW> mdb_load_revision_rows() {
    std::vector<MDB_REVISION_ROW> rows;
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr || !acf_mgr->is_project_open()) {
        return rows;
    }
    // The project file, each settings file and the descriptions file are read
    // once: a table of many revisions costs in proportion to them.
    ACF_MANAGER::STRING_LIST revisions;
    acf_mgr->get_list_of_revisions_for_project(&revisions);
    std::map<std::string, PJC_PROJECT::STRING_LIST> descriptions;
    PJC_PROJECT::get_descriptions(project_dir().c_str(), &descriptions);
    std::unordered_set<std::string> listed;
    for (std::string const& name : revisions) {
        if (!listed.insert(name).second) {
            continue;
        }
        MDB_REVISION_ROW row;
        row.name = name;
        std::vector<MDB_REVISION_SETTING> settings;
        if (mdb_read_revision_values(
                name, {ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TYPE_FAMILY, ACF_VARIABLE_TYPE_DEVICE},
                &settings) == MDB_SETTINGS_READ_OK) {
            row.top_level_entity = mdb_find_setting(settings, ACF_VARIABLE_TYPE_ROOT);
            row.family = mdb_find_setting(settings, ACF_VARIABLE_TYPE_FAMILY);
            row.device = mdb_find_setting(settings, ACF_VARIABLE_TYPE_DEVICE);
        }
        MDB_FLOW_REPORT report;
        mdb_read_flow_report(mdb_flow_report_file(name), &report);
        row.met_timing = report.met_timing;
        row.timing_model = report.timing_models;
        auto description = descriptions.find(name);
        if (description != descriptions.end()) {
            row.description = joined(description->second);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string mdb_get_revision_description(std::string const& revision) {
    PJC_PROJECT::STRING_LIST lines;
    PJC_PROJECT::get_description(revision.c_str(), project_dir().c_str(), &lines);
    std::string text = joined(lines);
    mdb_msg_debug("the description to get is %s ", text.c_str());
    return text;
}

bool mdb_set_revision_description(std::string const& revision, std::string const& text) {
    std::string dir = project_dir();
    if (PJC_PROJECT::set_description(revision.c_str(), dir.c_str(), {text})) {
        return true;
    }
    show_cant_write(PJC_PROJECT::description_file(dir.c_str()));
    return false;
}

int mdb_make_revision_active(std::string const& revision) {
    return shown_status(revision, ACF_MANAGER::get_acf_manager()->set_active_revision_name(
                                      revision.c_str(), true, true));
}

int mdb_delete_revision(std::string const& revision) {
    int status = shown_status(
        revision,
        ACF_MANAGER::get_acf_manager()->remove_revision_from_project(revision.c_str(), true));
    std::string dir = project_dir();
    if (status == ACF_REVISION_MANAGER::SUCCESS &&
        !PJC_PROJECT::set_description(revision.c_str(), dir.c_str(), {})) {
        show_cant_write(PJC_PROJECT::description_file(dir.c_str()));
    }
    return status;
}

void mdb_tell_host_active_revision() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    std::string project_file = acf_mgr->get_project_full_path();
    std::string revision = acf_mgr->get_active_revision_name();
    QUI_PRJ_UI_MGR* prj_ui_mgr = QUI_PRJ_UI_MGR::get_prj_ui_mgr();
    prj_ui_mgr->close_project();
    prj_ui_mgr->open_project(project_file, revision);
}

bool mdb_revision_name_is_free(std::string const& name, std::string* file) {
    // A revision listed without its settings file may be created again; a
    // settings file of the name, listed or not, is never written over, unless
    // it is what a creation killed before the project listed it left.
    ACF_MANAGER::get_acf_manager()->settle_unfinished_revision_creations();
    std::string settings_file = mdb_revision_settings_file(name);
    if (FIO_FILE_SYSTEM::presence(FIO_PATH(settings_file)) == FIO_PRESENCE::MISSING) {
        return true;
    }
    if (file != nullptr) {
        *file = settings_file;
    }
    return false;
}

int mdb_create_revision(MDB_NEW_REVISION const& request) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    int status = shown_status(request.name, acf_mgr->add_revision_to_project(
                                                request.name.c_str(), true, request.base.c_str()));
    if (status != ACF_REVISION_MANAGER::SUCCESS) {
        return status;
    }
    mdb_set_revision_description(request.name, request.description);
    if (request.base.empty()) {
        return status;
    }
    std::string failed;
    if (!PJC_PROJECT(project_dir())
             .copy_sdc_file(request.name.c_str(), request.base.c_str(), &failed)) {
        show_cant_write(failed);
    }
    if (!request.copy_database) {
        return status;
    }
    std::string incremental = gen_get_incr_db_dir_path_string();
    for (std::string const& dir : {gen_get_db_dir_path(), incremental + "compiled_partitions/",
                                   incremental + "imported_partitions/"}) {
        failed.clear();
        if (!DBM_INFO::copy_revision(request.base, dir, request.name, dir, &failed)) {
            show_cant_write(failed);
        }
    }
    return status;
}
