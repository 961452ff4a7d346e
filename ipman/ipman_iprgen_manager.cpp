#include "ipman/ipman_iprgen_manager.h"

#include "ipman/ipman_msgs.h"
#include "ipman/ipman_utils.h"
#include "mem_manager.h"
#include "suite/general/gen.h"
#include "suite/general/ver.h"
#include "suite/threads/thr.h"
#include "suite/wizman/wizman.h"

#include <algorithm>
#include <fstream>
#include <istream>

MEM_UNIT_INITIALIZER(IPMAN);

char const* const IPRGEN_TXT_FILE = "ip_cores_for_regeneration.txt";
char const* const IPRGEN_MAPPING_TXT_FILE = "ip_cores_name_mapping.txt";

IPMAN_IPRGEN_MANAGER* IPMAN_IPRGEN_MANAGER::iprgen_mgr = nullptr;

namespace {

// The next line of a rule file: white space (blank lines included) before it is
// skipped, trailing white space stays. False at the end of the file.
bool read_rule_line(std::istream& in, std::string& line) {
    in >> std::ws;
    return static_cast<bool>(std::getline(in, line));
}

// The text that the child-process layer splits back into exactly `file`: the
// quotes a file list leaves around a name are taken off, then the name is quoted
// so that blanks stay inside it.
std::string wizard_argument(std::string const& file) {
    std::string name = file;
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
        name.back() == name.front()) {
        name = name.substr(1, name.size() - 2);
    }
    return thr_process_quote_argument(name);
}

} // namespace

IPMAN_IPRGEN_MANAGER* IPMAN_IPRGEN_MANAGER::get_iprgen_manager() {
    if (iprgen_mgr == nullptr) {
        iprgen_mgr = MEM_NEW(IPMAN, IPMAN_IPRGEN_MANAGER)(gen_get_common_misc_fullpath());
    }
    return iprgen_mgr;
}

IPMAN_IPRGEN_MANAGER::IPMAN_IPRGEN_MANAGER(std::string rules_directory)
    : m_rules_directory(std::move(rules_directory)) {
    load_ip_regen_list();
    load_ip_core_name_mapping_list();
}

void IPMAN_IPRGEN_MANAGER::load_ip_regen_list() {
    FIO_PATH path(m_rules_directory, IPRGEN_TXT_FILE);
    if (!FIO_FILE_SYSTEM::exists(path)) {
        return;
    }
    std::ifstream in(path.full_path());
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
}

void IPMAN_IPRGEN_MANAGER::load_ip_core_name_mapping_list() {
    FIO_PATH path(m_rules_directory, IPRGEN_MAPPING_TXT_FILE);
    if (!FIO_FILE_SYSTEM::exists(path)) {
        return;
    }
    std::ifstream in(path.full_path());
    std::string line;
    while (read_rule_line(in, line)) {
        std::vector<std::string> names;
        // A line that does not give two names is no pair.
        if (IPMAN_UTILS::split_string(line, ";", names) && names.size() >= 2) {
            m_ip_core_name_mapping_list.emplace_back(names[0], names[1]);
        }
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

int IPMAN_IPRGEN_MANAGER::run_ip_regeneration(std::string const& file) {
    if (file.empty()) {
        return 2;
    }
    std::string command = thr_process_quote_argument(gen_get_module_path() + "vestawiz") +
                          " -silent " + wizard_argument(file);
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

bool IPMAN_IPRGEN_MANAGER::is_vestawizard_file(FIO_PATH const& path) const {
    return wizman_file_was_wizard_generated(path.full_path().c_str());
}
