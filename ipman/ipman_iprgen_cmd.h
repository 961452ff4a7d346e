// The command of regentool, the "IP Upgrade" program: it upgrades the IP
// variation files given as a list, found under a project directory, or found
// under the current directory, one wizard run per file.
#pragma once

#include "suite/exeframe/qcu_framework.h"

#include <string>
#include <vector>

class IPMAN_IPRGEN_CMD : public QCU_FRAMEWORK {
public:
    // The command object, made on first use and destroyed at exit.
    static IPMAN_IPRGEN_CMD& instance();

    char const* get_exe_name() const override { return "regentool"; }
    char const* get_app_name() const override { return "IP Upgrade"; }
    char const* get_dbg_name() const override { return "IPRGEN"; }
    std::vector<std::string> const& get_usages() const override;
    bool allows_tcl() const override { return true; }
    bool process_file_argument(char const* text) override;
    bool post_check_arguments() override;
    bool is_tcl_mode() const override { return (m_mode & MODE_TCL) != 0; }
    void set_tcl_mode(bool on) override { set_mode(MODE_TCL, on); }
    bool initialize_databases() override { return true; }
    bool execute() override;
    bool write_reports() override { return true; }
    bool write_databases() override { return true; }
    bool release_databases() override { return true; }
    bool parallel_publicly_supported() const override { return false; }
    bool parallel_begin() override { return true; }
    void parallel_end() override {}
    bool is_grunt_mode() const override { return (m_mode & MODE_GRUNT) != 0; }
    void set_grunt_mode(bool on) override { set_mode(MODE_GRUNT, on); }
    char const* get_short_app_name() const override { return "ipregen"; }

    // Splits a file list into names: runs of characters other than blanks and
    // quotes, or texts between double or between single quotes, which keep
    // their quote characters.
    static void split_file_arg_by_regexp(std::string const& text, std::vector<std::string>& files);

private:
    enum { MODE_TCL = 1, MODE_GRUNT = 2 };

    IPMAN_IPRGEN_CMD();
    void set_mode(unsigned bit, bool on) { m_mode = on ? m_mode | bit : m_mode & ~bit; }
    void set_status_report(int percent);
    bool run_command_with_files_option();
    bool run_command_with_dir_option();

    friend bool ipman_iprgen_process_all_option(int, char const*);
    friend bool ipman_iprgen_process_files_option(int, char const*);
    friend bool ipman_iprgen_process_dir_option(int, char const*);

    bool m_all = false;
    bool m_files = false;
    bool m_project_directory = false;
    bool m_file_argument = false;
    std::string m_files_text;
    std::string m_directory;
    unsigned m_mode = 0;
};
