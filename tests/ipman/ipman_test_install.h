// A private installation of regentool for tests that change what lies beside
// the program: the wizard it runs, or the rule files of its common folder.
#pragma once

#include "tests/support/test_workspace.h"

#include <sys/stat.h>
#include <unistd.h>

class IPMAN_TEST_INSTALL {
public:
    // regentool, its option help and its rule files copied into `folder`; no
    // wizard until one is added.
    IPMAN_TEST_INSTALL(TEST_WORKSPACE const& workspace, std::string const& folder)
        : m_dir(workspace.path(folder)) {
        std::string const bin = REGENTOOL_BIN_DIR;
        std::filesystem::create_directories(m_dir + "/common");
        for (char const* file :
             {"regentool", "ipman_iprgen.options.hlp", "common/ip_cores_for_regeneration.txt",
              "common/ip_cores_name_mapping.txt"}) {
            std::filesystem::copy_file(bin + "/" + file, m_dir + "/" + file);
        }
    }
    std::string const& dir() const { return m_dir; }
    std::string program() const { return thr_process_quote_argument(m_dir + "/regentool"); }
    // The suite's own wizard beside the program.
    void add_wizard() const {
        std::filesystem::copy_file(std::string(REGENTOOL_BIN_DIR) + "/vestawiz",
                                   m_dir + "/vestawiz");
    }
    // A wizard that is the shell script `script`.
    void add_wizard_script(std::string const& script) const {
        test_write_file(m_dir + "/vestawiz", "#!/bin/sh\n" + script + "\n");
        chmod((m_dir + "/vestawiz").c_str(), 0755);
    }
    void write_rule_file(std::string const& name, std::string const& content) const {
        test_write_file(m_dir + "/common/" + name, content);
    }

private:
    std::string m_dir;
};

// The start of a command line that, run as root, gives up the capabilities that
// let root read any folder, so that the permissions stop the run.
inline std::string unprivileged() {
    return geteuid() == 0
               ? std::string(SETPRIV_PATH) + " --bounding-set -dac_override,-dac_read_search "
               : std::string();
}
