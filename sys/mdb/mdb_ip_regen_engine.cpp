#include "sys/mdb/mdb_ip_regen_engine.h"

#include "acf_manager.h"
#include "ipman/ipman_ip_info_manager.h"
#include "ipman/ipman_iprgen_manager.h"
#include "suite/flow/flow.h"
#include "suite/general/gen.h"
#include "suite/threads/thr.h"
#include "sys/mdb/mdb.h"

namespace {

// The VestaWizard plug-in manager: a library of the installation with one
// entry point that opens a variation file in the wizard's editor.
char const* const VWPIM_LIBRARY = "libvesta_vwpim.so";
char const* const VWPIM_LAUNCH_DIRECT = "vwpim_dyn_launch_direct";
using VWPIM_LAUNCH_DIRECT_FUNC = void (*)(std::string const& file);

// The flow's "-files" argument: the files as one word, separated by ";" as the
// regenerate_ip command takes them.
std::string files_argument(std::vector<std::string> const& files) {
    std::string argument;
    for (std::string const& file : files) {
        if (!argument.empty()) {
            argument += ";";
        }
        argument += file;
    }
    return argument;
}

bool same_record(IPMAN_IP_INFO const& a, IPMAN_IP_INFO const& b) {
    return a.var_file == b.var_file && a.entity == b.entity && a.tool_name == b.tool_name &&
           a.tool_version == b.tool_version && a.need_regen == b.need_regen;
}

} // namespace

int mdb_ip_regen_run_flow(std::vector<std::string> const& files, FLOW_PROGRESS const& progress) {
    std::string argument = files_argument(files);
    std::vector<char const*> arguments = {argument.c_str(), "gui"};
    FLOW_REQUEST request;
    request.app_name = FSTR_FLOW_APP_NAME_IPRGEN;
    request.arguments = &arguments;

    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    bool locked_here = acf_mgr != nullptr && !acf_mgr->is_read_locked() &&
                       !acf_mgr->is_write_locked() && acf_mgr->read_lock();
    int code = flow_execute(request, progress);
    if (locked_here) {
        acf_mgr->read_unlock();
    }
    return code;
}

IPMAN_IP_INFO mdb_ip_regen_report_record(std::string const& file) {
    IPMAN_IPRGEN_MANAGER* regen_mgr = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    if (regen_mgr == nullptr) {
        MDB_INTERNAL_ERROR("regen_mgr != NULL");
        return IPMAN_IP_INFO();
    }
    return regen_mgr->get_ip_info_from_report(file);
}

MDB_IP_REGEN_REPORT mdb_ip_regen_report_records(std::vector<std::string> const& files) {
    IPMAN_IPRGEN_MANAGER* regen_mgr = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    if (regen_mgr == nullptr) {
        MDB_INTERNAL_ERROR("regen_mgr != NULL");
        return MDB_IP_REGEN_REPORT();
    }
    return regen_mgr->get_ip_infos_from_report(files);
}

bool mdb_ip_regen_lists_as_upgraded(IPMAN_IP_INFO const& record) {
    return record.var_file != IPMAN_NA_STR && !record.need_regen;
}

bool mdb_ip_regen_upgraded_by_run(std::string const& file, int code,
                                  MDB_IP_REGEN_REPORT const& before,
                                  MDB_IP_REGEN_REPORT const& after) {
    auto now = after.find(file);
    if (now == after.end() || !mdb_ip_regen_lists_as_upgraded(now->second)) {
        return false;
    }
    auto earlier = before.find(file);
    return code == 0 || earlier == before.end() || !same_record(now->second, earlier->second);
}

MDB_IP_REGEN_VERSIONS mdb_ip_regen_current_versions() {
    IPMAN_IP_INFO_MANAGER* info_mgr = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
    if (info_mgr == nullptr) {
        MDB_INTERNAL_ERROR("info_mgr");
        return MDB_IP_REGEN_VERSIONS();
    }
    info_mgr->remove_and_add_tip_file_to_acf();
    return info_mgr->get_ipcore_infos_from_tip_acf_manager(ACF_VARIABLE_TYPE_IP_TOOL_VERSION);
}

bool mdb_ip_regen_commit_settings() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("acf_mgr != NULL");
        return false;
    }
    if (!acf_mgr->write_lock(true)) {
        return false;
    }
    bool written = acf_mgr->commit_files_to_disk(true, false);
    acf_mgr->write_unlock(true);
    return written;
}

bool mdb_ip_regen_open_in_plugin_manager(std::string const& file) {
    std::string library = gen_get_tessaly_path() + "/" + VWPIM_LIBRARY;
    THR_DRL_HANDLE handle = thr_drl_load(library.c_str());
    if (handle == nullptr) {
        char const* error = thr_drl_get_error();
        MDB_INTERNAL_ERROR(error != nullptr ? error : library.c_str());
        return false;
    }
    auto launch = reinterpret_cast<VWPIM_LAUNCH_DIRECT_FUNC>(
        thr_drl_find_function(handle, VWPIM_LAUNCH_DIRECT));
    if (launch == nullptr) {
        char const* error = thr_drl_get_error();
        MDB_INTERNAL_ERROR(error != nullptr ? error : VWPIM_LAUNCH_DIRECT);
    } else {
        launch(file);
    }
    thr_drl_unload(handle);
    return launch != nullptr;
}
