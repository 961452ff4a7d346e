#include "ipman/ipman_ip_info_manager.h"

#include "acf_manager.h"
#include "ipman/ipman_iprgen_manager.h"
#include "ipman/ipman_msgs.h"
#include "mem_manager.h"
#include "suite/devicedb/dev.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/general/ver.h"
#include "suite/messages/msg.h"
#include "suite/threads/thr.h"
#include "suite/wizman/wizman.h"
#include "suite/wizman/wizman_files.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

MEM_UNIT_INITIALIZER(IPMAN);

IPMAN_IP_INFO_MANAGER* IPMAN_IP_INFO_MANAGER::ip_info_mgr = nullptr;

namespace {

char const* const RETRIEVAL_INFO_INSTANCE = "-- Retrieval info: <instance";

// Guards loading and writing the database; the archive's own mutex is taken
// inside it.
THR_MUTEX ipman_info_mutex() {
    static THR_MUTEX mutex = thr_mutex_create();
    return mutex;
}

// The project manager when a project is open, else null.
ACF_MANAGER* open_project_manager() {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    return manager != nullptr && manager->is_project_open() ? manager : nullptr;
}

std::string text_of(char const* s) {
    return s != nullptr ? s : "";
}

} // namespace

IPMAN_IP_INFO_MANAGER* IPMAN_IP_INFO_MANAGER::get_ip_info_manager() {
    if (ip_info_mgr == nullptr) {
        ip_info_mgr = MEM_NEW(IPMAN, IPMAN_IP_INFO_MANAGER)();
    }
    return ip_info_mgr;
}

IPMAN_IP_INFO_MANAGER::IPMAN_IP_INFO_MANAGER() : m_db(MEM_NEW(IPMAN, IPMAN_IP_INFO_DB)()) {}

bool IPMAN_IP_INFO_MANAGER::remove_ip_info_from_db(IPMAN_IP_INFO const& info) {
    return m_db != nullptr && m_db->remove_ip_info(info);
}

bool IPMAN_IP_INFO_MANAGER::remove_ip_info_from_db_by_tip_file_and_entity(
    IPMAN_IP_INFO const& info) {
    return m_db != nullptr && m_db->remove_ip_info_by_tip_file_and_entity(info);
}

bool IPMAN_IP_INFO_MANAGER::update_ip_info_in_db(IPMAN_IP_INFO const& info) {
    return m_db != nullptr && m_db->update_ip_info(info);
}

bool IPMAN_IP_INFO_MANAGER::update_ip_info_in_db_by_tip_file(IPMAN_IP_INFO const& info) {
    return m_db != nullptr && m_db->update_ip_info_by_tip_file(info);
}

bool IPMAN_IP_INFO_MANAGER::update_ip_info_in_db_by_tip_file_and_entity(IPMAN_IP_INFO const& info) {
    return m_db != nullptr && m_db->update_ip_info_by_tip_file_and_entity(info);
}

bool IPMAN_IP_INFO_MANAGER::cleanup_ip_cores_db() {
    if (m_db == nullptr) {
        return false;
    }
    m_db->cleanup_db();
    return true;
}

void IPMAN_IP_INFO_MANAGER::uninitialize_db() {
    delete m_db;
    m_db = nullptr;
}

std::vector<IPMAN_IP_INFO> IPMAN_IP_INFO_MANAGER::get_ip_info_vec() const {
    if (m_db == nullptr) {
        MSG_INTERNAL_ERROR::report("m_db != NULL", "IPMAN", __FILE__, __LINE__);
        return std::vector<IPMAN_IP_INFO>();
    }
    return m_db->get_ip_info_map();
}

bool IPMAN_IP_INFO_MANAGER::has_db() const {
    if (m_db == nullptr) {
        MSG_INTERNAL_ERROR::report("m_db != NULL", "IPMAN", __FILE__, __LINE__);
    }
    return m_db != nullptr;
}

IPMAN_IP_INFO const*
IPMAN_IP_INFO_MANAGER::find_first(std::function<bool(IPMAN_IP_INFO const&)> const& match) const {
    if (!has_db()) {
        return nullptr;
    }
    // The records are searched in place: a lookup copies only its answer.
    for (IPMAN_IP_INFO const& info : m_db->records()) {
        if (match(info)) {
            return &info;
        }
    }
    return nullptr;
}

bool IPMAN_IP_INFO_MANAGER::get_ip_info_by_filename(std::string const& var_file,
                                                    IPMAN_IP_INFO& info) const {
    IPMAN_IP_INFO const* found =
        var_file.empty()
            ? nullptr
            : find_first([&](IPMAN_IP_INFO const& r) { return r.var_file == var_file; });
    if (found != nullptr) {
        info = *found;
    }
    return found != nullptr;
}

bool IPMAN_IP_INFO_MANAGER::get_ip_info_by_tip_filename(std::string const& tip_file,
                                                        IPMAN_IP_INFO& info) const {
    IPMAN_IP_INFO const* found =
        tip_file.empty() || !has_db() ? nullptr : m_db->find_by_tip_file(tip_file);
    if (found != nullptr) {
        info = *found;
    }
    return found != nullptr;
}

bool IPMAN_IP_INFO_MANAGER::get_ip_info_by_tip_filename_and_entity(std::string const& tip_file,
                                                                   std::string const& entity,
                                                                   IPMAN_IP_INFO& info) const {
    IPMAN_IP_INFO const* found = tip_file.empty() || entity.empty() || !has_db()
                                     ? nullptr
                                     : m_db->find_by_tip_file_and_entity(tip_file, entity);
    if (found != nullptr) {
        info = *found;
    }
    return found != nullptr;
}

IPMAN_IP_INFO IPMAN_IP_INFO_MANAGER::get_ip_info_by_hpath(std::string const& hpath) const {
    IPMAN_IP_INFO const* found =
        find_first([&](IPMAN_IP_INFO const& r) { return r.hpath == hpath; });
    return found != nullptr ? *found : IPMAN_IP_INFO();
}

std::string IPMAN_IP_INFO_MANAGER::get_project_directory() const {
    ACF_MANAGER* manager = open_project_manager();
    if (manager == nullptr) {
        return std::string();
    }
    std::string project_dir = FIO_PATH(text_of(manager->get_active_revision_path())).directory();
    return project_dir.empty() ? "." : project_dir;
}

std::string IPMAN_IP_INFO_MANAGER::get_ip_db_filename() const {
    std::string project_dir = get_project_directory();
    if (project_dir.empty()) {
        return std::string();
    }
    std::string revision = get_revision_name();
    ipman_msg_debug("project name: %s", revision.c_str());
    FIO_PATH path(gen_get_db_dir_full_name(), revision);
    ipman_msg_debug("reading db from: %s", path.full_path().c_str());
    return path.full_path();
}

bool IPMAN_IP_INFO_MANAGER::load_ip_info_from_db() {
    thr_mutex_lock(ipman_info_mutex());
    std::string archive = get_ip_db_filename();
    delete m_db;
    m_db = MEM_NEW(IPMAN, IPMAN_IP_INFO_DB)();
    bool ok = !archive.empty() && m_db->read_database_from_persistent_db(FIO_PATH(archive));
    thr_mutex_unlock(ipman_info_mutex());
    return ok;
}

bool IPMAN_IP_INFO_MANAGER::write_ip_info_to_db() {
    thr_mutex_lock(ipman_info_mutex());
    std::string archive = get_ip_db_filename();
    bool ok = m_db != nullptr && !archive.empty() &&
              m_db->write_database_to_persistent_db(FIO_PATH(archive));
    thr_mutex_unlock(ipman_info_mutex());
    return ok;
}

std::string IPMAN_IP_INFO_MANAGER::get_project_family_name() const {
    ACF_MANAGER* manager = open_project_manager();
    if (manager == nullptr) {
        return std::string();
    }
    DEV_FAMILY_ENUM family = manager->get_project_family_enum();
    return static_cast<int>(family) == 0 ? std::string() : text_of(dstr_get_user_string(family));
}

std::string IPMAN_IP_INFO_MANAGER::get_top_level_entity_name() const {
    ACF_MANAGER* manager = open_project_manager();
    return manager == nullptr ? std::string() : text_of(manager->get_top_level_entity_name());
}

std::string IPMAN_IP_INFO_MANAGER::get_revision_name() const {
    ACF_MANAGER* manager = open_project_manager();
    return manager == nullptr ? std::string() : text_of(manager->get_active_revision_name());
}

bool IPMAN_IP_INFO_MANAGER::get_variation_file_by_dir(std::string const& dir,
                                                      std::list<std::string>* out) {
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(dir))) {
        return true;
    }
    // Paths are reported from the directory's canonical form, as the directory
    // would be named after changing into it; the process's current directory is
    // left alone.
    std::error_code ec;
    std::filesystem::path root = std::filesystem::canonical(dir, ec);
    if (ec || !FIO_FILE_SYSTEM::is_directory(FIO_PATH(root.string()))) {
        return true;
    }
    bool complete = true;
    int backups = 0;
    // What killed wizard runs left half done is settled on the same walk, each
    // folder before its files are looked at; a file's header is read only when
    // its extension is one of them. A backup beside its file holds what the file
    // was before an upgrade: upgrading it would lose that.
    WIZMAN_TREE_VISITOR visitor;
    visitor.file = [&](std::string const& path) {
        if (!has_variation_file_extension(path)) {
            return;
        }
        std::string original = IPMAN_IPRGEN_MANAGER::backed_up_file_of(path);
        if (!original.empty() && FIO_FILE_SYSTEM::exists(FIO_PATH(original))) {
            ++backups;
            return;
        }
        std::string why;
        switch (wizman_check_variation_file(path, why)) {
        case WIZMAN_FILE_KIND::VARIATION:
            out->push_back(path);
            break;
        case WIZMAN_FILE_KIND::UNREADABLE:
            ipman_post(MSG_IPMAN::E::IPRGEN_FILE_UNREADABLE(path.c_str(), why.c_str()));
            complete = false;
            break;
        case WIZMAN_FILE_KIND::OTHER:
            break;
        }
    };
    visitor.unreadable = [&](std::string const& directory, std::string const& why) {
        ipman_post(MSG_IPMAN::W::IPRGEN_DIRECTORY_SKIPPED(directory.c_str(), why.c_str()));
        complete = false;
    };
    wizman_recover_tree(root.string(), visitor);
    if (backups > 0) {
        ipman_post(MSG_IPMAN::I::IPRGEN_BACKUPS_LEFT_OUT(backups));
    }
    return complete;
}

bool IPMAN_IP_INFO_MANAGER::has_variation_file_extension(std::string const& path) {
    static std::vector<std::string> const extensions = {
        FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_SYSTEM_VERILOG),
        FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_VHDL),
        FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_VERILOG)};
    return std::find(extensions.begin(), extensions.end(), FIO_PATH(path).extension()) !=
           extensions.end();
}

void IPMAN_IP_INFO_MANAGER::extract_ip_name_and_version_from_file(std::string const& file,
                                                                  std::string& name,
                                                                  std::string& version) {
    std::string text;
    std::string why;
    if (file.empty() || !FIO_FILE_SYSTEM::exists(FIO_PATH(file)) ||
        !wizman_read_regular_file(file, text, why)) {
        return;
    }
    std::istringstream in(text);
    std::string line;
    while (in >> std::ws && std::getline(in, line)) {
        if (line.find(RETRIEVAL_INFO_INSTANCE) == std::string::npos) {
            continue;
        }
        if (line.find("entity-name") != std::string::npos) {
            name = get_variation_file_retrieval_info_tag_value(line, "entity-name");
        }
        if (line.find("version") != std::string::npos) {
            version = get_variation_file_retrieval_info_tag_value(line, "version");
        }
    }
}

std::string
IPMAN_IP_INFO_MANAGER::get_variation_file_retrieval_info_tag_value(std::string const& line,
                                                                   std::string const& tag) {
    size_t at = line.empty() || tag.empty() ? std::string::npos : line.find(tag);
    if (at == std::string::npos) {
        return std::string();
    }
    size_t start = at + tag.size() + 2;
    if (start >= line.size()) {
        return std::string();
    }
    size_t end = line.find('"', start);
    return line.substr(start, end == std::string::npos ? end : end - start);
}

std::string IPMAN_IP_INFO_MANAGER::format_release_date(std::string const& date) {
    static char const* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    size_t point = date.find('.');
    if (point == std::string::npos) {
        return IPMAN_NA_STR;
    }
    // The month's leading number; "06" and "6" alike.
    int month = static_cast<int>(gen_local_atof(date.substr(point + 1).c_str()));
    if (month < 1 || month > 12) {
        return IPMAN_NA_STR;
    }
    return std::string(MONTHS[month - 1]) + " " + date.substr(0, point);
}

std::string IPMAN_IP_INFO_MANAGER::na_format(std::string const& s) {
    return s.find_first_not_of(' ') == std::string::npos ? std::string(IPMAN_NA_STR) : s;
}

bool IPMAN_IP_INFO_MANAGER::is_ip_out_of_date(std::string const& version, bool exact) {
    if (exact) {
        return version != ver_get_version();
    }
    if (version == IPMAN_NA_STR) {
        return false;
    }
    size_t end = version.find_first_not_of("0123456789. ");
    std::string number = end == 0 ? std::string("0") : version.substr(0, end);
    return gen_local_atof(ver_get_version()) > gen_local_atof(number.c_str());
}
