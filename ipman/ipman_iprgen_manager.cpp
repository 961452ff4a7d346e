#include "ipman/ipman_iprgen_manager.h"

#include "ipman/ipman_ip_info_manager.h"
#include "ipman/ipman_msgs.h"
#include "ipman/ipman_report_writer.h"
#include "ipman/ipman_utils.h"
#include "mem_manager.h"
#include "suite/general/gen.h"
#include "suite/general/ver.h"
#include "suite/reportdb/rdb.h"
#include "suite/tclglue/atcl.h"
#include "suite/threads/thr.h"
#include "suite/wizman/wizman.h"
#include "suite/wizman/wizman_files.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <istream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

MEM_UNIT_INITIALIZER(IPMAN);

char const* const IPRGEN_TXT_FILE = "ip_cores_for_regeneration.txt";
char const* const IPRGEN_MAPPING_TXT_FILE = "ip_cores_name_mapping.txt";

namespace {
// Backups of one file are numbered up to this before backing up fails.
unsigned const LAST_BACKUP_NUMBER = 999;
} // namespace

IPMAN_IPRGEN_MANAGER* IPMAN_IPRGEN_MANAGER::iprgen_mgr = nullptr;

namespace {

// The next line of a rule file: white space (blank lines included) before it is
// skipped, trailing white space stays. False at the end of the file.
bool read_rule_line(std::istream& in, std::string& line) {
    in >> std::ws;
    return static_cast<bool>(std::getline(in, line));
}

} // namespace

IPMAN_IPRGEN_MANAGER* IPMAN_IPRGEN_MANAGER::get_iprgen_manager() {
    if (iprgen_mgr == nullptr) {
        iprgen_mgr = MEM_NEW(IPMAN, IPMAN_IPRGEN_MANAGER)(gen_get_common_misc_fullpath());
    }
    return iprgen_mgr;
}

IPMAN_IPRGEN_MANAGER::IPMAN_IPRGEN_MANAGER(std::string rules_directory)
    : m_rules_directory(std::move(rules_directory)),
      m_wizard_program(gen_get_module_path() + "vestawiz") {
    load_ip_regen_list();
    load_ip_core_name_mapping_list();
}

bool IPMAN_IPRGEN_MANAGER::read_rule_file(char const* name, std::string& text) {
    FIO_PATH path(m_rules_directory, name);
    if (!FIO_FILE_SYSTEM::exists(path)) {
        return false;
    }
    std::string why;
    if (!wizman_read_regular_file(path.full_path(), text, why)) {
        add_rule_file_error(name, why);
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        add_rule_file_error(name, "it is not a text file");
        return false;
    }
    return true;
}

void IPMAN_IPRGEN_MANAGER::add_rule_file_error(char const* name, std::string const& reason) {
    m_rule_file_errors.push_back({FIO_PATH(m_rules_directory, name).full_path(), reason});
}

void IPMAN_IPRGEN_MANAGER::load_ip_regen_list() {
    std::string text;
    if (!read_rule_file(IPRGEN_TXT_FILE, text)) {
        return;
    }
    std::istringstream in(text);
    std::string section;
    std::vector<std::string> names;
    std::string line;
    while (read_rule_line(in, line)) {
        size_t close = line.find(']');
        if (close != std::string::npos) {
            // The first character is taken to be the opening bracket.
            section = close > 0 ? line.substr(1, close - 1) : std::string();
        } else if (line == "END") {
            m_ip_regen_list.emplace_back(section, names);
            names.clear();
        } else {
            names.push_back(line);
        }
    }
    if (m_ip_regen_list.empty() && text.find_first_not_of(" \t\n\v\f\r") != std::string::npos) {
        add_rule_file_error(IPRGEN_TXT_FILE, "no section of it ends with END");
    }
}

void IPMAN_IPRGEN_MANAGER::load_ip_core_name_mapping_list() {
    std::string text;
    if (!read_rule_file(IPRGEN_MAPPING_TXT_FILE, text)) {
        return;
    }
    std::istringstream in(text);
    std::string line;
    while (read_rule_line(in, line)) {
        std::vector<std::string> names;
        // A line that does not give two names is no pair.
        if (IPMAN_UTILS::split_string(line, ";", names) && names.size() >= 2) {
            m_ip_core_name_mapping_list.emplace_back(names[0], names[1]);
        }
    }
    if (m_ip_core_name_mapping_list.empty() &&
        text.find_first_not_of(" \t\n\v\f\r") != std::string::npos) {
        add_rule_file_error(IPRGEN_MAPPING_TXT_FILE, "no line of it names two IP components");
    }
}

void IPMAN_IPRGEN_MANAGER::get_version_and_sp_number(std::string const& text, std::string& version,
                                                     std::string& sp_number) {
    size_t sp = text.find("sp");
    version = text.substr(0, sp);
    sp_number = sp == std::string::npos ? std::string() : text.substr(sp + 2);
}

bool IPMAN_IPRGEN_MANAGER::is_different_version_than_tessaly(std::string const& ip_version) const {
    if (ip_version.empty()) {
        return false;
    }
    std::string version;
    std::string sp_number;
    get_version_and_sp_number(ip_version, version, sp_number);
    if (gen_local_atof(version.c_str()) != gen_local_atof(ver_get_version())) {
        return true;
    }
    return gen_local_atof(sp_number.c_str()) != gen_local_atof(ver_get_service_pack());
}

bool IPMAN_IPRGEN_MANAGER::is_ip_need_regen(std::string const& ip_name,
                                            std::string const& ip_version) const {
    if (ip_name.empty() || ip_version.empty() || m_ip_regen_list.empty() ||
        !is_different_version_than_tessaly(ip_version)) {
        return false;
    }
    // Versions after 12.0 list their service packs as sections of their own.
    std::string key;
    std::string sp_number;
    get_version_and_sp_number(ip_version, key, sp_number);
    if (gen_local_atof(key.c_str()) > 12.0f) {
        key = ip_version;
    }
    for (IP_REGEN_SECTION const& section : m_ip_regen_list) {
        if (section.first == key && std::find(section.second.begin(), section.second.end(),
                                              ip_name) != section.second.end()) {
            return true;
        }
    }
    return false;
}

std::string IPMAN_IPRGEN_MANAGER::get_another_ip_core_name(std::string const& ip_name) const {
    if (ip_name.empty()) {
        return std::string();
    }
    for (IP_NAME_PAIR const& pair : m_ip_core_name_mapping_list) {
        if (pair.first == ip_name) {
            return pair.second;
        }
        if (pair.second == ip_name) {
            return pair.first;
        }
    }
    return std::string();
}

bool IPMAN_IPRGEN_MANAGER::check_file_is_valid(std::string const& file,
                                               IPMAN_FAIL_REGEN_TYPE& fail_type) const {
    return check_file(file, true, fail_type);
}

bool IPMAN_IPRGEN_MANAGER::check_found_file_is_valid(std::string const& file,
                                                     IPMAN_FAIL_REGEN_TYPE& fail_type) const {
    return check_file(file, false, fail_type);
}

bool IPMAN_IPRGEN_MANAGER::check_file(std::string const& file, bool read_header,
                                      IPMAN_FAIL_REGEN_TYPE& fail_type) const {
    std::string full_path = FIO_PATH(file).full_path();
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(full_path))) {
        fail_type = IPMAN_FAIL_REGEN_FILE_MISSING;
        return true;
    }
    if (read_header && !wizman_file_was_wizard_generated(full_path.c_str())) {
        fail_type = IPMAN_FAIL_REGEN_NOT_VARIATION_FILE;
        return true;
    }
    // Opened for appending and closed at once: nothing is written. A file
    // without any write permission counts as write-protected also for a user
    // whom the permissions do not stop.
    int fd = open(full_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    struct stat st;
    bool protected_file = fd < 0 || fstat(fd, &st) != 0 || (st.st_mode & 0222) == 0;
    if (fd >= 0) {
        close(fd);
    }
    if (protected_file) {
        fail_type = IPMAN_FAIL_REGEN_WRITE_PROTECTED;
        return true;
    }
    return false;
}

std::string IPMAN_IPRGEN_MANAGER::backup_path_of(std::string const& file) {
    FIO_PATH path(file);
    path.base(path.base() + IPMAN_BAK_STR);
    return path.path();
}

std::string IPMAN_IPRGEN_MANAGER::backed_up_file_of(std::string const& backup) {
    FIO_PATH path(backup);
    std::string base = path.base();
    size_t number = base.find_last_not_of("0123456789") + 1;
    size_t const length = std::char_traits<char>::length(IPMAN_BAK_STR);
    if (number <= length || base.compare(number - length, length, IPMAN_BAK_STR) != 0 ||
        (number < base.size() && base[number] == '0')) {
        return std::string();
    }
    path.base(base.substr(0, number - length));
    return path.path();
}

bool IPMAN_IPRGEN_MANAGER::backup_file(std::string const& file, std::string& backup) {
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(file))) {
        return false;
    }
    std::string full_path = FIO_PATH(file).full_path();
    std::string content;
    std::string why;
    struct stat st;
    if (!wizman_read_regular_file(full_path, content, why) || stat(full_path.c_str(), &st) != 0) {
        ipman_post(MSG_IPMAN::E::IPRGEN_BACKUP_FAILED(full_path.c_str(), why.c_str()));
        return false;
    }
    std::string first = FIO_PATH(backup_path_of(full_path)).full_path();
    WIZMAN_DIRECTORY_LOCK lock(wizman_directory_of(first));
    // A backup holds what a file was before some run: it is never replaced.
    for (unsigned number = 0; number <= LAST_BACKUP_NUMBER; ++number) {
        FIO_PATH candidate(first);
        if (number > 0) {
            candidate.base(candidate.base() + std::to_string(number));
        }
        backup = candidate.path();
        std::string kept;
        if (FIO_FILE_SYSTEM::exists(candidate)) {
            if (!wizman_read_regular_file(backup, kept, why) || kept != content) {
                continue;
            }
        } else if (!wizman_create_file(backup, content, st.st_mode, why)) {
            ipman_post(MSG_IPMAN::E::IPRGEN_BACKUP_FAILED(full_path.c_str(), why.c_str()));
            return false;
        }
        ipman_post(MSG_IPMAN::I::IPRGEN_BACKUP_FILE(full_path.c_str(), backup.c_str()));
        return true;
    }
    why = "every backup name up to " + backup + " is taken";
    ipman_post(MSG_IPMAN::E::IPRGEN_BACKUP_FAILED(full_path.c_str(), why.c_str()));
    return false;
}

bool IPMAN_IPRGEN_MANAGER::restored_backup_file(std::string const& backup) {
    FIO_PATH path(backup);
    std::string base = path.base();
    size_t bak = base.find(IPMAN_BAK_STR);
    if (!FIO_FILE_SYSTEM::exists(path) || bak == std::string::npos) {
        return false;
    }
    path.base(base.erase(bak, std::char_traits<char>::length(IPMAN_BAK_STR)));
    return restore_backup_to(backup, path.path());
}

bool IPMAN_IPRGEN_MANAGER::restore_backup_to(std::string const& backup, std::string const& target,
                                             std::vector<WIZMAN_FILE_UPDATE> const& together) {
    std::string backup_full = FIO_PATH(backup).full_path();
    std::string target_full = FIO_PATH(target).full_path();
    // A link keeps pointing where it did: its target gets the content.
    char resolved[PATH_MAX];
    std::string file = realpath(target_full.c_str(), resolved) != nullptr ? resolved : target_full;
    std::string content;
    std::string why;
    if (!wizman_read_regular_file(backup_full, content, why)) {
        return false;
    }
    {
        WIZMAN_DIRECTORY_LOCK lock(wizman_directory_of(file));
        if (lock.locked()) {
            wizman_recover_directory(wizman_directory_of(file));
        }
        std::vector<WIZMAN_FILE_UPDATE> updates{{file, content}};
        updates.insert(updates.end(), together.begin(), together.end());
        struct stat st;
        bool restored = lock.locked() && (stat(file.c_str(), &st) == 0
                                              ? wizman_update_files(updates, why)
                                              : wizman_create_file(file, content, 0644, why));
        if (!restored) {
            return false;
        }
    }
    ipman_post(MSG_IPMAN::I::IPRGEN_RESTORE_FILE(backup_full.c_str(), target_full.c_str()));
    return true;
}

std::string IPMAN_IPRGEN_MANAGER::unquoted(std::string const& name) {
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
        name.back() == name.front()) {
        return name.substr(1, name.size() - 2);
    }
    return name;
}

std::string IPMAN_IPRGEN_MANAGER::wizard_command_line(std::string const& file) const {
    // Quoted so that the child-process layer splits it back into exactly the name.
    return thr_process_quote_argument(m_wizard_program) + " -silent " +
           thr_process_quote_argument(unquoted(file));
}

int IPMAN_IPRGEN_MANAGER::run_ip_regeneration(std::string const& file) {
    if (file.empty()) {
        return 2;
    }
    std::string command = wizard_command_line(file);
    THR_PIPE out = nullptr;
    THR_PROCESS process = nullptr;
    long pid = 0;
    if (!thr_process_create(command.c_str(), "", &out, &out, &process, &pid)) {
        return 2;
    }
    char buffer[1025];
    size_t count = 0;
    while (thr_process_read(out, buffer, 1024, &count) == 0) {
        if (count > 0) {
            buffer[count] = '\0';
            ipman_msg_debug("regen: %s", buffer);
        }
    }
    int exit_code = 2;
    thr_process_wait(process, &exit_code, 0);
    return exit_code;
}

int IPMAN_IPRGEN_MANAGER::run_ip_regeneration(std::vector<std::string> files) {
    int exit_code = 2;
    for (std::string const& file : files) {
        exit_code = run_ip_regeneration(file);
    }
    return exit_code;
}

int IPMAN_IPRGEN_MANAGER::run_ip_regeneration_by_tcl_interp(std::string const& file,
                                                            std::string& result) {
    if (file.empty()) {
        return 1;
    }
    Tcl_Interp* interp = atcl_get_interpreter();
    if (interp == nullptr) {
        MSG_INTERNAL_ERROR::report("ip_regen_interp != NULL", "IPMAN", __FILE__, __LINE__);
        return TCL_ERROR;
    }
    // The command line is one list element, so no character of the file name
    // is taken as Tcl syntax.
    int code = atcl_eval_words(interp, {"texec", wizard_command_line(file)});
    result = Tcl_GetStringResult(interp);
    // The run's error stays with the run: the interpreter's error state is
    // cleared so that it cannot stand for a later error of the command.
    Tcl_ResetResult(interp);
    return code;
}

IPMAN_IP_INFO IPMAN_IPRGEN_MANAGER::get_ip_info_from_report(std::string file) const {
    return get_ip_infos_from_report({file})[file];
}

std::map<std::string, IPMAN_IP_INFO>
IPMAN_IPRGEN_MANAGER::get_ip_infos_from_report(std::vector<std::string> const& files) const {
    std::string revision = IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_revision_name();
    RDB_REPORT* report = RDB_REPORT::get_report(revision, IPMAN_REPORT_TYPE, false);
    return IPMAN_REPORT_WRITER(report).get_ip_infos_from_report(files);
}

bool IPMAN_IPRGEN_MANAGER::is_vestawizard_file(FIO_PATH const& path) const {
    return wizman_file_was_wizard_generated(path.full_path().c_str());
}
