// The command of regentool, the "IP Upgrade" program: it upgrades the IP
// variation files given as a list, found under a project directory, or found
// under the current directory, one wizard run per file.
#pragma once

#include "ipman/ipman_iprgen_framework.h"

#include <string>
#include <vector>

class IPMAN_IPRGEN_CMD : public IPMAN_IPRGEN_FRAMEWORK {
public:
    // The command object, made on first use and destroyed at exit.
    static IPMAN_IPRGEN_CMD& instance();

    bool process_file_argument(char const* text) override;
    bool post_check_arguments() override;
    bool execute() override;

    // Splits a file list into names: runs of characters other than blanks and
    // quotes, or texts between double or between single quotes, which keep
    // their quote characters (IPMAN_UTILS::split_file_list).
    static void split_file_arg_by_regexp(std::string const& text, std::vector<std::string>& files);

private:
    IPMAN_IPRGEN_CMD() = default;
    void set_status_report(int percent);
    bool run_command_with_files_option();
    bool run_command_with_dir_option();
    // Runs the wizard on each name and posts one message per name. With
    // `found_files` (files the variation-file scan found), a file that fails
    // the upgrade check is not run.
    bool run_files(std::vector<std::string> const& names, bool found_files);

    friend bool ipman_iprgen_process_all_option(int, char const*);
    friend bool ipman_iprgen_process_files_option(int, char const*);
    friend bool ipman_iprgen_process_dir_option(int, char const*);

    bool m_all = false;
    bool m_files = false;
    bool m_project_directory = false;
    bool m_file_argument = false;
    std::string m_files_text;
    std::string m_directory;
};
