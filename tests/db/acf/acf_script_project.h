// A small project in a temporary folder (project file, one revision's settings
// file and its defaults file) that `regentool -t` scripts open, change and
// commit as a user's scripts would; the folder's files can be taken whole to
// show that a run left every byte as it was.
#pragma once

#include "suite/threads/thr.h"

#include "tests/support/test_workspace.h"

#include <filesystem>
#include <map>
#include <string>

class ACF_SCRIPT_PROJECT {
public:
    ACF_SCRIPT_PROJECT() {
        test_write_file(file("proj.tpf"), "PROJECT_REVISION = \"proj\"\n");
        test_write_file(file("proj.tsf"),
                        "set_global_assignment -name LAST_TESSALY_VERSION 14.0\n"
                        "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to pin_a\n");
        test_write_file(file("proj_assignment_defaults.tdf"),
                        "set_global_assignment -name SMART_RECOMPILE ON\n");
    }

    std::string file(std::string const& name) const { return m_workspace.path(name); }

    // Every file of the folder with its content, the scripts left out.
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> result;
        for (auto const& entry : std::filesystem::directory_iterator(m_workspace.dir())) {
            if (entry.path().extension() != ".tcl") {
                result[entry.path().filename().string()] = test_read_file(entry.path().string());
            }
        }
        return result;
    }

    // Starts `regentool -t` on the script (written to `script_name` in the
    // folder) with the folder as working directory; test_run waits for it.
    TEST_RUN_RESULT run(std::string const& script, std::string const& script_name = "run.tcl") {
        test_write_file(file(script_name), script);
        return test_run(thr_process_quote_argument(REGENTOOL_PATH) + " -t " + script_name,
                        m_workspace.dir());
    }

private:
    TEST_WORKSPACE m_workspace;
};
