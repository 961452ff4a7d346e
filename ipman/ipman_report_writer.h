// The "IP Upgrade" report: the folder of that name in a report of the suite's
// report database, holding the legal text, the summary "IP Upgrade Summary",
// the tables of successful and failed components and the run's messages; and
// the reading back of one file's result from it.
#pragma once

#include "ipman/ipman_iprgen_manager.h"

#include <map>
#include <string>
#include <unordered_set>
#include <vector>

class RDB_REPORT;
class RDB_FOLDER_OBJECT;
class RDB_TABLE_OBJECT;

enum IPMAN_REPORT_RESULT_TYPE {
    IPMAN_REPORT_RESULT_SUCCESSFUL = 0,
    IPMAN_REPORT_RESULT_FAILED = 1
};

// Results read back from the report, by file.
using IPMAN_REPORT_RESULTS = std::map<std::string, IPMAN_IP_INFO>;

// The report type under which a revision keeps its "IP Upgrade" report.
constexpr int IPMAN_REPORT_TYPE = 1;

// The report file of a revision's upgrade run: "<revision>.ipregen.rpt".
std::string ipman_report_file_name(std::string const& revision);

class IPMAN_REPORT_WRITER {
public:
    // Fills `report`, which stays the caller's. The application name is the
    // source of the messages panel.
    explicit IPMAN_REPORT_WRITER(RDB_REPORT* report, std::string application_name = "");
    virtual ~IPMAN_REPORT_WRITER() = default;

    // The build sequence: current folder, legal text, summary, result tables,
    // messages panel, then the header-only tables removed. Without `append` the
    // folder's earlier content is replaced; with it the rows accumulate, except
    // that a file's earlier rows give way to its new one.
    void create_report(int result, std::vector<IPMAN_IP_REGEN_RESULT> const& results, bool append);
    // The build sequence, then write_report(file). False when the file cannot
    // be written.
    bool write_iprgen_report(int result, std::vector<IPMAN_IP_REGEN_RESULT> const& results,
                             char const* file, bool append);
    // Writes the report file titled "IP Upgrade report for <revision>"; false
    // for a null name or a file that cannot be written.
    bool write_report(char const* file);

    // The steps of the build sequence.
    void prepare_report(bool append);
    void create_ip_folder();
    void create_legal_text();
    bool find_legal_text() const;
    void create_summary(int result);
    void create_result_table(IPMAN_REPORT_RESULT_TYPE type);
    RDB_TABLE_OBJECT* find_result_table(IPMAN_REPORT_RESULT_TYPE type) const;
    void remove_result_table(IPMAN_REPORT_RESULT_TYPE type);
    void add_ip_core_into_result_table(IPMAN_REPORT_RESULT_TYPE type, IPMAN_IP_INFO const& info);
    void create_iprgen_result(std::vector<IPMAN_IP_REGEN_RESULT> const& results);
    void create_messages_panel();
    void clean_up_report();

    // A file's result as the report holds it: name, version and entity from
    // its row, `need_regen` set when the row is in the failed table (which
    // decides when both hold the file). Paths compare ignoring case. A default
    // record for an empty name or a file in neither table.
    IPMAN_IP_INFO get_ip_info_from_report(std::string const& file) const;
    // The same for each of `files` (keyed as given), one walk of each table.
    IPMAN_REPORT_RESULTS get_ip_infos_from_report(std::vector<std::string> const& files) const;
    void find_ip_infos_from_table(IPMAN_REPORT_RESULTS& infos, std::vector<std::string> const& files,
                                  IPMAN_REPORT_RESULT_TYPE type) const;
    // The cell's text, "N/A" when the cell does not exist.
    static std::string get_element_string(RDB_TABLE_OBJECT const* table, unsigned row,
                                          unsigned column);

private:
    // The current folder; before one was made, the report's "IP Upgrade"
    // folder as found (for reading), or null.
    RDB_FOLDER_OBJECT* ip_folder() const;
    // Removes from both tables the rows of these files (paths in lower case,
    // as the report compares them), in one walk of each.
    void remove_rows_of_files(std::unordered_set<std::string> const& folded_files);

    RDB_REPORT* m_report;
    std::string m_application_name;
    bool m_append = false;
    RDB_FOLDER_OBJECT* m_current_folder = nullptr;
};
