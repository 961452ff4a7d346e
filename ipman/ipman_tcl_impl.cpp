#include "ipman/ipman_tcl_impl.h"

#include "ipman/ipman_cmd.h"
#include "ipman/ipman_ip_info_manager.h"
#include "ipman/ipman_ip_regeneration.h"
#include "ipman/ipman_msgs.h"
#include "ipman/ipman_project_lock.h"
#include "ipman/ipman_report_writer.h"
#include "ipman/ipman_tcl_args_auto.h"
#include "ipman/ipman_utils.h"
#include "mem_manager.h"
#include "suite/flow/flow.h"
#include "suite/messages/msg.h"
#include "suite/reportdb/rdb.h"
#include "suite/tclglue/atcl.h"
#include "suite/wizman/wizman_files.h"

#include <unordered_map>

MEM_UNIT_INITIALIZER(IPMAN);

namespace {

// A flow's result when the command fails as a whole.
int const IPMAN_COMMAND_FAILED = -1;

void set_result_text(Tcl_Interp* interp, char const* text) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj(text, -1));
}

// The words as one Tcl list, each quoted as an element.
std::string tcl_list(std::vector<std::string> const& words) {
    // Tcl's objects need the library set up, as the shared interpreter does.
    atcl_get_interpreter();
    Tcl_Obj* list = atcl_new_list(words);
    Tcl_IncrRefCount(list);
    std::string text = Tcl_GetString(list);
    Tcl_DecrRefCount(list);
    return text;
}

// Makes the interpreter's result the list of `elements`.
void set_result_elements(Tcl_Interp* interp, std::vector<std::string> const& elements) {
    Tcl_SetObjResult(interp, atcl_new_list(elements));
}

std::string full_path(std::string const& file) {
    return FIO_PATH(file).full_path();
}

// The end of both flows: the summary, the result elements and the report.
int finish_run(Tcl_Interp* interp, std::vector<IPMAN_IP_REGEN_RESULT> const& results, bool gui) {
    int result = overall_result(results);
    show_result_summary(results);
    append_element_for_regen_result(interp, results);
    if (!write_reports(result, results, gui)) {
        set_result_text(interp, "ERROR: The IP Upgrade report could not be written.");
        return IPMAN_COMMAND_FAILED;
    }
    return result;
}

bool no_project(Tcl_Interp* interp) {
    IPMAN_TCL_RETVAL opened = is_project_opened();
    print_error_msg(interp, opened);
    return opened != IPMAN_TCL_OK;
}

// Whether a rule file could not be used: the upgrade decisions would then be
// wrong, so the command posts why and fails.
bool rules_unusable(Tcl_Interp* interp) {
    IPMAN_IPRGEN_MANAGER* manager = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    for (auto const& error : manager->get_rule_file_errors()) {
        ipman_post(
            MSG_IPMAN::E::IPRGEN_RULE_FILE_INVALID(error.file.c_str(), error.reason.c_str()));
    }
    if (manager->get_rule_file_errors().empty()) {
        return false;
    }
    set_result_text(interp, "ERROR: The IP upgrade rule files cannot be used.");
    return true;
}

// Locks the open project for the upgrade, with the projects in folders under
// it, whose files the recovery below may touch, and settles what killed runs
// left half done: file changes in its folder, rewrites of its report. A
// folder of the project that cannot be read may hold components that then
// go unseen: each is named in a warning and added to `unread` as a failure.
// False, with the error text set, when another upgrade holds one of them.
bool lock_project(Tcl_Interp* interp, std::list<IPMAN_PROJECT_LOCK>& locks,
                  std::vector<IPMAN_IP_REGEN_RESULT>& unread) {
    std::string directory = IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_project_directory();
    if (!ipman_begin_upgrade_of_tree(locks, directory)) {
        set_result_text(interp, "ERROR: Another IP upgrade is running on the project.");
        return false;
    }
    WIZMAN_TREE_VISITOR visitor;
    visitor.unreadable = [&unread](std::string const& folder, std::string const& why) {
        ipman_post(MSG_IPMAN::W::IPRGEN_DIRECTORY_SKIPPED(folder.c_str(), why.c_str()));
        IPMAN_IP_INFO info;
        info.var_file = folder;
        unread.emplace_back(info, 1, IPMAN_FAIL_REGEN_FOLDER_UNREADABLE);
    };
    wizman_recover_tree(FIO_PATH(directory).full_path(), visitor);
    std::string revision = IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_revision_name();
    FIO_FILE_SYSTEM::remove_stale_temporaries(FIO_PATH(ipman_report_file_name(revision)));
    FIO_FILE_SYSTEM::remove_stale_temporaries(
        FIO_PATH(RDB_REPORT::get_store_path(revision, IPMAN_REPORT_TYPE)));
    return true;
}

} // namespace

int ipman_regenerate_ip(ClientData, Tcl_Interp* interp, int argc, char const** argv) {
    ATCL_ARGS args(interp);
    bool help_shown = false;
    int code = ipman_init_regenerate_ip(&args, &help_shown, argc, argv);
    if (code != TCL_OK || help_shown) {
        return code;
    }
    bool gui = args.is_set(IPMAN_AUTO_ARGUMENT_GUI);
    std::list<IPMAN_PROJECT_LOCK> locks;
    std::vector<IPMAN_IP_REGEN_RESULT> unread;
    if (!no_project(interp) && !lock_project(interp, locks, unread)) {
        return TCL_ERROR;
    }
    int result = args.is_set(IPMAN_AUTO_ARGUMENT_FILES)
                     ? regenerate_ip_with_files_option(
                           interp, args.get_value(IPMAN_AUTO_ARGUMENT_FILES), gui, unread)
                     : regenerate_ip_with_default_option(interp, gui, unread);
    return result == IPMAN_COMMAND_FAILED ? TCL_ERROR : TCL_OK;
}

int ipman_list_ip_cores(ClientData, Tcl_Interp* interp, int argc, char const** argv) {
    ATCL_ARGS args(interp);
    bool help_shown = false;
    int code = ipman_init_list_ip_cores(&args, &help_shown, argc, argv);
    if (code != TCL_OK || help_shown) {
        return code;
    }
    if (no_project(interp) || rules_unusable(interp)) {
        return TCL_ERROR;
    }
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required;
    load_ip_cores_list(all, required);
    std::vector<std::string> elements;
    for (auto const& component : process_required_regen_ip(required)) {
        elements.push_back(component.second);
    }
    set_result_elements(interp, elements);
    return TCL_OK;
}

int regenerate_ip_with_default_option(Tcl_Interp* interp, bool gui,
                                      std::vector<IPMAN_IP_REGEN_RESULT> results) {
    if (no_project(interp) || rules_unusable(interp)) {
        return IPMAN_COMMAND_FAILED;
    }
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required;
    bool const need_regen = load_ip_cores_list(all, required);
    for (auto const& unread :
         IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_unread_components()) {
        ipman_post(MSG_IPMAN::E::IPRGEN_FILE_UNREADABLE(unread.info.var_file.c_str(),
                                                        unread.why.c_str()));
        add_result_to_vector(unread.info, 1, IPMAN_FAIL_REGEN_FILE_UNREADABLE, results);
    }
    if (!need_regen && results.empty()) {
        ipman_post(MSG_IPMAN::I::IPRGEN_NO_REQUIRED_REGEN_IP());
        return 0;
    }
    QCU_FACADE* facade = get_facade();
    for (size_t i = 0; i < required.size(); ++i) {
        set_status_report(facade, static_cast<unsigned>(required.size()), static_cast<unsigned>(i));
        IPMAN_IP_INFO const& info = required[i];
        // Sub-components are regenerated with their top-level component.
        if (info.parent_entity != IPMAN_NA_STR) {
            continue;
        }
        if (info.generated_by == IPMAN_PLEXA_STR) {
            add_result_to_vector(info, 1, IPMAN_FAIL_REGEN_PLEXA, results);
        } else {
            start_ip_regeneration(interp, info, results);
        }
    }
    return finish_run(interp, results, gui);
}

int regenerate_ip_with_files_option(Tcl_Interp* interp, std::string const& files, bool gui,
                                    std::vector<IPMAN_IP_REGEN_RESULT> results) {
    // Without a project there is no revision to record the run for.
    if (no_project(interp)) {
        return IPMAN_COMMAND_FAILED;
    }
    std::vector<std::string> pieces;
    if ((files.empty() || !IPMAN_UTILS::split_string(files, ";", pieces) || pieces.empty()) &&
        results.empty()) {
        return 0;
    }
    IPMAN_IP_INFO_MANAGER* inventory = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
    // An upgrade changes the settings of its own component only: the inventory
    // read once before the run describes every other file of the list.
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required;
    load_ip_cores_list(all, required);
    std::unordered_map<std::string, IPMAN_IP_INFO const*> by_file;
    for (IPMAN_IP_INFO const& record : all) {
        if (!record.var_file.empty()) {
            by_file.emplace(record.var_file, &record);
        }
    }
    QCU_FACADE* facade = get_facade();
    for (size_t i = 0; i < pieces.size(); ++i) {
        // A stop asked for by the flow's progress comes between components.
        if (!flow_report_progress(i, pieces.size(), pieces[i])) {
            break;
        }
        set_status_report(facade, static_cast<unsigned>(pieces.size()), static_cast<unsigned>(i));
        auto known = by_file.find(pieces[i]);
        IPMAN_IP_INFO info;
        if (known != by_file.end()) {
            info = *known->second;
        } else {
            info.var_file = pieces[i];
            inventory->extract_ip_name_and_version_from_file(pieces[i], info.tool_name,
                                                             info.tool_version);
        }
        start_ip_regeneration(interp, info, results);
    }
    return finish_run(interp, results, gui);
}

int overall_result(std::vector<IPMAN_IP_REGEN_RESULT> const& results) {
    for (IPMAN_IP_REGEN_RESULT const& result : results) {
        if (result.result != 0) {
            return 1;
        }
    }
    return 0;
}

void show_result_summary(std::vector<IPMAN_IP_REGEN_RESULT> const& results) {
    for (IPMAN_IP_REGEN_RESULT const& result : results) {
        IPMAN_IP_INFO const& info = result.ip_info;
        std::string path = full_path(info.var_file);
        if (result.result == 0) {
            ipman_post(MSG_IPMAN::I::IPRGEN_SUCCESSFUL(info.tool_name.c_str(), path.c_str()));
        } else if (info.generated_by == IPMAN_PLEXA_STR) {
            ipman_post(MSG_IPMAN::E::IPRGEN_MANUAL_REGEN_PLEXA_SYSTEM(path.c_str()));
        } else {
            ipman_post(MSG_IPMAN::E::IPRGEN_FAILED(info.tool_name.c_str(), path.c_str()));
            if (result.fail_type == IPMAN_FAIL_REGEN_UPGRADE_FAILED) {
                ipman_post(MSG_IPMAN::E::IPRGEN_MANUAL_REGEN_STANDALONE_IP());
            }
        }
    }
}

void append_element_for_regen_result(Tcl_Interp* interp,
                                     std::vector<IPMAN_IP_REGEN_RESULT> const& results) {
    std::vector<std::string> elements;
    for (IPMAN_IP_REGEN_RESULT const& result : results) {
        elements.push_back(tcl_list({get_ip_info_string(result.ip_info),
                                     result.result == 0 ? IPMAN_PASSED_STR : IPMAN_FAILED_STR}));
    }
    // The result is the list alone: a check's error text set during the run
    // would otherwise stand in front of the elements.
    set_result_elements(interp, elements);
}

bool write_reports(int result, std::vector<IPMAN_IP_REGEN_RESULT> const& results, bool gui) {
    IPMAN_CMD& command = IPMAN_CMD::instance();
    RDB_REPORT* report = command.get_report();
    if (report == nullptr) {
        MSG_INTERNAL_ERROR::report("report != NULL", "IPMAN", __FILE__, __LINE__);
        return false;
    }
    std::string revision = IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_revision_name();
    IPMAN_REPORT_WRITER writer(report, command.get_short_app_name());
    std::string file = ipman_report_file_name(revision);
    // The failure posted last names the write that failed.
    bool written = writer.write_iprgen_report(result, results, file.c_str(), gui);
    if (!written) {
        ipman_post(MSG_IPMAN::E::IPRGEN_REPORT_NOT_WRITTEN(FIO_PATH(file).full_path().c_str()));
    }
    bool committed = command.commit_report();
    if (!committed) {
        std::string store =
            FIO_PATH(RDB_REPORT::get_store_path(revision, IPMAN_REPORT_TYPE)).full_path();
        ipman_post(MSG_IPMAN::E::IPRGEN_REPORT_NOT_WRITTEN(store.c_str()));
    }
    return written && committed;
}

std::string get_ip_info_string(IPMAN_IP_INFO const& info) {
    return tcl_list({info.entity, info.tool_name, info.tool_version, info.var_file});
}

std::vector<std::pair<std::string, std::string>>
process_required_regen_ip(std::vector<IPMAN_IP_INFO> const& records) {
    std::vector<std::pair<std::string, std::vector<std::string>>> components;
    for (IPMAN_IP_INFO const& record : records) {
        if (record.parent_entity == IPMAN_NA_STR) {
            components.push_back({record.entity, {get_ip_info_string(record)}});
        }
    }
    for (IPMAN_IP_INFO const& record : records) {
        if (record.parent_entity == IPMAN_NA_STR) {
            continue;
        }
        for (auto& component : components) {
            if (component.first == record.parent_entity) {
                component.second.push_back(get_ip_info_string(record));
            }
        }
    }
    std::vector<std::pair<std::string, std::string>> out;
    for (auto const& component : components) {
        out.emplace_back(component.first, tcl_list(component.second));
    }
    return out;
}

bool load_ip_cores_list(std::vector<IPMAN_IP_INFO>& all, std::vector<IPMAN_IP_INFO>& required) {
    bool need_regen = false;
    IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->load_ip_info(need_regen, all, required);
    return need_regen;
}

void print_error_msg(Tcl_Interp* interp, IPMAN_TCL_RETVAL code) {
    switch (code) {
    case IPMAN_TCL_OK:
        return;
    case IPMAN_TCL_NO_PROJECT:
        set_result_text(
            interp,
            "ERROR: Open project does not exist. Open an existing project or create a new one.");
        return;
    case IPMAN_TCL_NOT_VARIATION_FILE:
        set_result_text(interp, "ERROR: The file is not a variation file.");
        return;
    }
    set_result_text(interp, "ERROR: The command failed with an unknown error.");
}

IPMAN_TCL_RETVAL is_project_opened() {
    // The active revision's name is known exactly while a project is open.
    bool open = !IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_revision_name().empty();
    return open ? IPMAN_TCL_OK : IPMAN_TCL_NO_PROJECT;
}

void set_status_report(QCU_FACADE* facade, unsigned count, unsigned index) {
    if (facade == nullptr) {
        MSG_INTERNAL_ERROR::report("facade != NULL", "IPMAN", __FILE__, __LINE__);
        return;
    }
    facade->report_status(IPMAN_CMD::progress_percent(count, index));
}

QCU_FACADE* get_facade() {
    IPMAN_CMD::instance().create_facade();
    QCU_FACADE* facade = QCU_FRAMEWORK::get_facade();
    if (facade == nullptr) {
        MSG_INTERNAL_ERROR::report("facade != NULL", "IPMAN", __FILE__, __LINE__);
    }
    return facade;
}
