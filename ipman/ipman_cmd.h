// The IP manager's framework object: the command of the Tcl package's runs,
// with the names of the "IP Upgrade" program. It does nothing of its own; it
// gives the Tcl commands the facade for progress and the revision's report.
#pragma once

#include "suite/exeframe/qcu_framework.h"

#include <string>
#include <vector>

class RDB_REPORT;

class IPMAN_CMD : public QCU_FRAMEWORK {
public:
    // The object, made on first use and destroyed at exit.
    static IPMAN_CMD& instance();

    char const* get_exe_name() const override { return "regentool"; }
    char const* get_app_name() const override { return "IP Upgrade"; }
    char const* get_dbg_name() const override { return "IPRGEN"; }
    std::vector<std::string> const& get_usages() const override;
    bool allows_tcl() const override { return true; }
    bool process_file_argument(char const*) override { return true; }
    bool post_check_arguments() override { return true; }
    bool is_tcl_mode() const override { return (m_mode & MODE_TCL) != 0; }
    void set_tcl_mode(bool on) override { set_mode(MODE_TCL, on); }
    bool initialize_databases() override { return true; }
    bool execute() override { return true; }
    bool write_reports() override { return true; }
    bool write_databases() override { return true; }
    bool release_databases() override { return true; }
    bool parallel_publicly_supported() const override { return false; }
    bool parallel_begin() override { return true; }
    void parallel_end() override {}
    bool is_grunt_mode() const override { return (m_mode & MODE_GRUNT) != 0; }
    void set_grunt_mode(bool on) override { set_mode(MODE_GRUNT, on); }
    char const* get_short_app_name() const override { return "ipregen"; }

    // The active revision's "IP Upgrade" report of the report database, made
    // empty when the revision has none yet; null without an open project.
    RDB_REPORT* get_report();
    // Stores the active revision's report in the report database; false when
    // it cannot be written.
    bool commit_report();

private:
    enum { MODE_TCL = 1, MODE_GRUNT = 2 };

    IPMAN_CMD();
    void set_mode(unsigned bit, bool on) { m_mode = on ? m_mode | bit : m_mode & ~bit; }

    unsigned m_mode = 0;
};
