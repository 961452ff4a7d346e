#include "ipman/ipman_ip_regeneration.h"

#include "ipman/ipman_ip_info_manager.h"
#include "ipman/ipman_msgs.h"
#include "mem_manager.h"

#include <climits>
#include <cstdlib>

MEM_UNIT_INITIALIZER(IPMAN);

bool check_file_is_valid(Tcl_Interp* interp, std::string const& file,
                         IPMAN_FAIL_REGEN_TYPE& fail_type) {
    bool failed = IPMAN_IPRGEN_MANAGER::get_iprgen_manager()->check_file_is_valid(file, fail_type);
    std::string full_path = FIO_PATH(file).full_path();
    switch (fail_type) {
    case IPMAN_FAIL_REGEN_FILE_MISSING:
        ipman_post(MSG_IPMAN::E::INVALID_FILE(full_path.c_str()));
        break;
    case IPMAN_FAIL_REGEN_WRITE_PROTECTED:
        ipman_post(MSG_IPMAN::E::READ_ONLY_FILE(full_path.c_str()));
        break;
    case IPMAN_FAIL_REGEN_NOT_VARIATION_FILE:
        ipman_post(MSG_IPMAN::E::IPRGEN_NOT_VARIATION_FILE(full_path.c_str()));
        if (interp != nullptr) {
            Tcl_SetObjResult(interp,
                             Tcl_NewStringObj("ERROR: The file is not a variation file.", -1));
        }
        break;
    default:
        break;
    }
    return failed;
}

void add_result_to_vector(IPMAN_IP_INFO info, int result, IPMAN_FAIL_REGEN_TYPE fail_type,
                          std::vector<IPMAN_IP_REGEN_RESULT>& results) {
    results.emplace_back(std::move(info), result, fail_type);
}

void extract_ip_info_from_variation_file(std::string file, std::string& name,
                                         std::string& version) {
    IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->extract_ip_name_and_version_from_file(file, name,
                                                                                        version);
}

namespace {

// The IP file (.tip) that the wizard rewrites with a variation file: same
// folder and base name. Its link's target when it is a link, as the wizard
// rewrites that.
std::string ip_file_of(std::string const& variation_file) {
    FIO_PATH path(variation_file);
    std::string ip_file = path.directory() + path.base() + ".tip";
    char resolved[PATH_MAX];
    return realpath(ip_file.c_str(), resolved) != nullptr ? std::string(resolved) : ip_file;
}

} // namespace

int start_ip_regeneration(Tcl_Interp* interp, IPMAN_IP_INFO info,
                          std::vector<IPMAN_IP_REGEN_RESULT>& results) {
    IPMAN_IPRGEN_MANAGER* manager = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    std::string full_path = FIO_PATH(info.var_file).full_path();
    IPMAN_FAIL_REGEN_TYPE fail_type = IPMAN_FAIL_REGEN_NONE;
    ipman_post(MSG_IPMAN::I::IPRGEN_START(info.tool_name.c_str(), full_path.c_str()));

    if (check_file_is_valid(interp, full_path, fail_type)) {
        // A write-protected file is still the component it was; otherwise the
        // record is known by its file only.
        if (fail_type != IPMAN_FAIL_REGEN_WRITE_PROTECTED) {
            info = IPMAN_IP_INFO();
            info.var_file = full_path;
        }
        add_result_to_vector(info, 1, fail_type, results);
        return 1;
    }
    // Without a backup of its own the run could not undo a failed upgrade.
    std::string backup;
    if (!manager->backup_file(full_path, backup)) {
        add_result_to_vector(info, 1, IPMAN_FAIL_REGEN_UPGRADE_FAILED, results);
        return 1;
    }
    // The wizard changes the IP file together with the variation file: a
    // failed run, even one killed after it replaced both, puts both back.
    std::string const ip_file = ip_file_of(full_path);
    std::string ip_text;
    std::string why;
    bool const ip_file_read = FIO_FILE_SYSTEM::exists(FIO_PATH(ip_file)) &&
                              wizman_read_regular_file(ip_file, ip_text, why);
    std::string tcl_result;
    int code = manager->run_ip_regeneration_by_tcl_interp(full_path, tcl_result);
    if (code != TCL_OK) {
        fail_type = IPMAN_FAIL_REGEN_UPGRADE_FAILED;
        std::string now;
        std::vector<WIZMAN_FILE_UPDATE> together;
        if (ip_file_read && (!wizman_read_regular_file(ip_file, now, why) || now != ip_text)) {
            together.push_back({ip_file, ip_text});
        }
        // Back to the file the backup was made of, whatever its name holds.
        manager->restore_backup_to(backup, full_path, together);
    } else {
        std::string name;
        std::string version;
        extract_ip_info_from_variation_file(full_path, name, version);
        if (!version.empty()) {
            info.tool_version = version;
        }
    }
    add_result_to_vector(info, code, fail_type, results);
    return code;
}
