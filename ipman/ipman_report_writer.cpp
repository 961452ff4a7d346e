#include "ipman/ipman_report_writer.h"

#include "ipman/ipman_ip_info_manager.h"
#include "mem_manager.h"
#include "suite/general/gen.h"
#include "suite/general/ver.h"
#include "suite/messages/msg.h"
#include "suite/reportdb/rdb.h"

#include <unordered_map>
#include <unordered_set>

MEM_UNIT_INITIALIZER(IPMAN);

namespace {

char const* const IP_UPGRADE_FOLDER = "IP Upgrade";
char const* const SUMMARY_NAME = "IP Upgrade Summary";
char const* const MESSAGES_NAME = "IP Upgrade";
unsigned const FILE_PATH_COLUMN = 3;

char const* table_name(IPMAN_REPORT_RESULT_TYPE type) {
    switch (type) {
    case IPMAN_REPORT_RESULT_SUCCESSFUL:
        return "Successful Upgrade IP Components";
    case IPMAN_REPORT_RESULT_FAILED:
        return "Failed Upgrade IP Components";
    }
    MSG_INTERNAL_ERROR::report("Invalid IPMAN_REPORT_RESULT_TYPE", "IPMAN", __FILE__, __LINE__);
    return "";
}

std::string revision_name() {
    return IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_revision_name();
}

void internal_error(char const* condition, int line) {
    MSG_INTERNAL_ERROR::report(condition, "IPMAN", __FILE__, line);
}

// A path as the report compares it: ASCII letters in lower case (gen_stricmp).
std::string folded(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

} // namespace

std::string ipman_report_file_name(std::string const& revision) {
    return revision + ".ipregen" + RDB_REPORT_FILE_EXTENSION;
}

IPMAN_REPORT_WRITER::IPMAN_REPORT_WRITER(RDB_REPORT* report, std::string application_name)
    : m_report(report), m_application_name(std::move(application_name)) {}

void IPMAN_REPORT_WRITER::prepare_report(bool append) {
    m_append = append;
    create_ip_folder();
    create_legal_text();
}

void IPMAN_REPORT_WRITER::create_ip_folder() {
    m_current_folder = nullptr;
    if (m_report == nullptr) {
        internal_error("m_report != NULL", __LINE__);
        return;
    }
    RDB_FOLDER_OBJECT* main = m_report->get_main_folder();
    if (main == nullptr) {
        m_report->set_main_folder(std::make_unique<RDB_FOLDER_OBJECT>(IP_UPGRADE_FOLDER));
        m_current_folder = m_report->get_main_folder();
        return;
    }
    if (!m_append && main->find(IP_UPGRADE_FOLDER) != nullptr) {
        main->remove(IP_UPGRADE_FOLDER);
    }
    RDB_OBJECT* found =
        main->get_name() == IP_UPGRADE_FOLDER ? main : main->find_below(IP_UPGRADE_FOLDER);
    if (found != nullptr && found->get_kind() == RDB_FOLDER) {
        m_current_folder = static_cast<RDB_FOLDER_OBJECT*>(found);
        // The report is itself the folder: without append it starts afresh.
        if (!m_append && found == main) {
            m_report->set_main_folder(std::make_unique<RDB_FOLDER_OBJECT>(IP_UPGRADE_FOLDER));
            m_current_folder = m_report->get_main_folder();
        }
        return;
    }
    m_current_folder = static_cast<RDB_FOLDER_OBJECT*>(
        main->add(std::make_unique<RDB_FOLDER_OBJECT>(IP_UPGRADE_FOLDER)));
}

void IPMAN_REPORT_WRITER::create_legal_text() {
    if (m_current_folder == nullptr) {
        internal_error("ip_folder != NULL", __LINE__);
        return;
    }
    if (!find_legal_text()) {
        m_current_folder->add(std::make_unique<RDB_LEGAL_TEXT_OBJECT>(gen_get_legal_text(), true));
    }
}

bool IPMAN_REPORT_WRITER::find_legal_text() const {
    if (m_current_folder == nullptr) {
        return false;
    }
    for (auto const& object : m_current_folder->objects()) {
        if (object->get_kind() == RDB_LEGAL_TEXT) {
            return true;
        }
    }
    return false;
}

void IPMAN_REPORT_WRITER::create_summary(int result) {
    if (m_current_folder == nullptr) {
        internal_error("current_folder != NULL", __LINE__);
        return;
    }
    RDB_SUMMARY_OBJECT* summary = RDB_REPORT::find_summary(m_current_folder, true);
    if (summary == nullptr) {
        summary = static_cast<RDB_SUMMARY_OBJECT*>(
            m_current_folder->add(std::make_unique<RDB_SUMMARY_OBJECT>(SUMMARY_NAME)));
    }
    std::string now;
    gen_format_current_date_and_time(&now, "%a %b %d %H:%M:%S %Y");
    IPMAN_IP_INFO_MANAGER* ip_mgr = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
    rdb_set_summary_data(summary, "IP Components Upgrade Status",
                         std::string(result == 0 ? IPMAN_PASSED_STR : IPMAN_FAILED_STR) + " - " +
                             now);
    rdb_set_summary_data(summary, std::string(GEN_PRODUCT_NAME) + " Version",
                         std::string(ver_is_beta() ? "(Beta) " : "") +
                             ver_get_full_version_for_reports(true));
    rdb_set_summary_data(summary, RDB_REVISION_NAME, ip_mgr->get_revision_name());
    rdb_set_summary_data(summary, RDB_TOP_LEVEL_ENTITY_NAME, ip_mgr->get_top_level_entity_name());
    rdb_set_summary_data(summary, RDB_FAMILY, ip_mgr->get_project_family_name());
}

void IPMAN_REPORT_WRITER::create_result_table(IPMAN_REPORT_RESULT_TYPE type) {
    if (m_current_folder == nullptr) {
        internal_error("current_folder != NULL", __LINE__);
        return;
    }
    if (m_current_folder->find(table_name(type)) != nullptr) {
        return;
    }
    auto table = std::make_unique<RDB_TABLE_OBJECT>(table_name(type),
                                                    type == IPMAN_REPORT_RESULT_FAILED ? 1 : 0);
    table->add_row({"Entity", "IP Components Name", "Version", "File Path"});
    m_current_folder->add(std::move(table));
}

RDB_FOLDER_OBJECT* IPMAN_REPORT_WRITER::ip_folder() const {
    if (m_current_folder != nullptr || m_report == nullptr ||
        m_report->get_main_folder() == nullptr) {
        return m_current_folder;
    }
    RDB_FOLDER_OBJECT* main = m_report->get_main_folder();
    RDB_OBJECT* found =
        main->get_name() == IP_UPGRADE_FOLDER ? main : main->find_below(IP_UPGRADE_FOLDER);
    return found != nullptr && found->get_kind() == RDB_FOLDER
               ? static_cast<RDB_FOLDER_OBJECT*>(found)
               : nullptr;
}

RDB_TABLE_OBJECT* IPMAN_REPORT_WRITER::find_result_table(IPMAN_REPORT_RESULT_TYPE type) const {
    RDB_FOLDER_OBJECT* folder = ip_folder();
    RDB_OBJECT* found = folder == nullptr ? nullptr : folder->find_below(table_name(type));
    return found != nullptr && found->get_kind() == RDB_TABLE
               ? static_cast<RDB_TABLE_OBJECT*>(found)
               : nullptr;
}

void IPMAN_REPORT_WRITER::remove_result_table(IPMAN_REPORT_RESULT_TYPE type) {
    if (m_current_folder != nullptr) {
        m_current_folder->remove(table_name(type));
    }
}

void IPMAN_REPORT_WRITER::add_ip_core_into_result_table(IPMAN_REPORT_RESULT_TYPE type,
                                                        IPMAN_IP_INFO const& info) {
    RDB_TABLE_OBJECT* table = find_result_table(type);
    if (table == nullptr) {
        internal_error("result_table != NULL", __LINE__);
        return;
    }
    table->add_row({info.entity, info.tool_name, info.tool_version, info.var_file});
}

void IPMAN_REPORT_WRITER::remove_rows_of_files(std::unordered_set<std::string> const& folded_files) {
    for (IPMAN_REPORT_RESULT_TYPE type :
         {IPMAN_REPORT_RESULT_SUCCESSFUL, IPMAN_REPORT_RESULT_FAILED}) {
        if (RDB_TABLE_OBJECT* table = find_result_table(type)) {
            // Row 0 is the header.
            table->remove_rows_if([&](unsigned row) {
                return row > 0 &&
                       folded_files.count(folded(get_element_string(table, row, FILE_PATH_COLUMN)));
            });
        }
    }
}

void IPMAN_REPORT_WRITER::create_iprgen_result(std::vector<IPMAN_IP_REGEN_RESULT> const& results) {
    create_result_table(IPMAN_REPORT_RESULT_SUCCESSFUL);
    create_result_table(IPMAN_REPORT_RESULT_FAILED);
    // A file's latest result replaces what earlier runs, or an earlier result
    // of this run, recorded for it: the run's files go first, then each file's
    // last result is added, in the order of the results.
    std::unordered_set<std::string> files;
    std::vector<bool> last(results.size(), false);
    for (size_t i = results.size(); i-- > 0;) {
        last[i] = files.insert(folded(results[i].ip_info.var_file)).second;
    }
    remove_rows_of_files(files);
    for (size_t i = 0; i < results.size(); ++i) {
        if (last[i]) {
            add_ip_core_into_result_table(results[i].result != 0 ? IPMAN_REPORT_RESULT_FAILED
                                                                 : IPMAN_REPORT_RESULT_SUCCESSFUL,
                                          results[i].ip_info);
        }
    }
}

void IPMAN_REPORT_WRITER::create_messages_panel() {
    if (m_current_folder == nullptr) {
        internal_error("current_folder != NULL", __LINE__);
        return;
    }
    rdb_add_messages(m_current_folder, MESSAGES_NAME, m_application_name);
}

void IPMAN_REPORT_WRITER::clean_up_report() {
    for (IPMAN_REPORT_RESULT_TYPE type :
         {IPMAN_REPORT_RESULT_SUCCESSFUL, IPMAN_REPORT_RESULT_FAILED}) {
        RDB_TABLE_OBJECT* table = find_result_table(type);
        if (table == nullptr) {
            internal_error("table_object != NULL", __LINE__);
            continue;
        }
        if (table->get_row_count() == 1) {
            remove_result_table(type);
        }
    }
}

void IPMAN_REPORT_WRITER::create_report(int result,
                                        std::vector<IPMAN_IP_REGEN_RESULT> const& results,
                                        bool append) {
    if (m_report == nullptr) {
        internal_error("m_report != NULL", __LINE__);
        return;
    }
    prepare_report(append);
    create_summary(result);
    create_iprgen_result(results);
    create_messages_panel();
    clean_up_report();
}

bool IPMAN_REPORT_WRITER::write_iprgen_report(int result,
                                              std::vector<IPMAN_IP_REGEN_RESULT> const& results,
                                              char const* file, bool append) {
    create_report(result, results, append);
    return write_report(file);
}

bool IPMAN_REPORT_WRITER::write_report(char const* file) {
    if (m_report == nullptr) {
        internal_error("m_report != NULL", __LINE__);
        return false;
    }
    if (file == nullptr) {
        return false;
    }
    RDB_REPORT_GEN generator(m_report, "IP Upgrade report for " + revision_name());
    return generator.write_report_files(FIO_PATH(file).full_path());
}

std::string IPMAN_REPORT_WRITER::get_element_string(RDB_TABLE_OBJECT const* table, unsigned row,
                                                    unsigned column) {
    if (table == nullptr) {
        internal_error("result_table != NULL", __LINE__);
        return IPMAN_NA_STR;
    }
    std::string text;
    return table->get_cell(row, column, text) ? text : std::string(IPMAN_NA_STR);
}

void IPMAN_REPORT_WRITER::find_ip_infos_from_table(IPMAN_REPORT_RESULTS& infos,
                                                   std::vector<std::string> const& files,
                                                   IPMAN_REPORT_RESULT_TYPE type) const {
    RDB_TABLE_OBJECT const* table = find_result_table(type);
    if (table == nullptr || table->get_row_count() < 2) {
        return;
    }
    // The first row of each path, then each file's.
    std::unordered_map<std::string, unsigned> first_row;
    for (unsigned row = 1; row < table->get_row_count(); ++row) {
        first_row.emplace(folded(get_element_string(table, row, FILE_PATH_COLUMN)), row);
    }
    for (std::string const& file : files) {
        auto found = file.empty() ? first_row.end() : first_row.find(folded(file));
        if (found == first_row.end()) {
            continue;
        }
        IPMAN_IP_INFO& info = infos[file];
        info.var_file = file;
        info.entity = get_element_string(table, found->second, 0);
        info.tool_name = get_element_string(table, found->second, 1);
        info.tool_version = get_element_string(table, found->second, 2);
        info.need_regen = type == IPMAN_REPORT_RESULT_FAILED;
    }
}

IPMAN_REPORT_RESULTS
IPMAN_REPORT_WRITER::get_ip_infos_from_report(std::vector<std::string> const& files) const {
    IPMAN_REPORT_RESULTS infos;
    for (std::string const& file : files) {
        infos.emplace(file, IPMAN_IP_INFO());
    }
    if (m_report == nullptr) {
        return infos;
    }
    // Both tables are searched; a failure recorded for the file decides.
    find_ip_infos_from_table(infos, files, IPMAN_REPORT_RESULT_SUCCESSFUL);
    find_ip_infos_from_table(infos, files, IPMAN_REPORT_RESULT_FAILED);
    return infos;
}

IPMAN_IP_INFO IPMAN_REPORT_WRITER::get_ip_info_from_report(std::string const& file) const {
    return get_ip_infos_from_report({file})[file];
}
