// Every form in which a revision's settings name a design file, for the tests
// that archive, restore and copy a project: each form's settings line, the
// file it names and where an archive restores that file. Each file gets a
// content of its own, so that a file arriving in the wrong place shows.
#pragma once

#include "tests/support/test_workspace.h"

#include <filesystem>
#include <string>
#include <vector>

struct TEST_NAMED_FILE {
    std::string form;    // what the line shows
    std::string line;    // the settings line
    std::string file;    // the file it names: relative to the project, or absolute
    std::string arrives; // where a restore puts it, relative to the destination
};

// The forms for a project in `project`; the file outside the project lies in
// the folder `outside`. (No design-file setting takes -entity: the settings
// library refuses such a line.)
inline std::vector<TEST_NAMED_FILE> test_named_file_forms(std::string const& project,
                                                          std::string const& outside) {
    std::string const set = "set_global_assignment ";
    std::vector<TEST_NAMED_FILE> forms = {
        {"plain", set + "-name VERILOG_FILE hdl/plain.v", "hdl/plain.v", ""},
        {"quoted, with blanks", set + "-name VERILOG_FILE \"hdl/sub dir/with blank.v\"",
         "hdl/sub dir/with blank.v", ""},
        {"-library after the value", set + "-name VERILOG_FILE hdl/lib/in_lib.v -library mylib",
         "hdl/lib/in_lib.v", ""},
        {"-library before the name",
         set + "-library mylib -name SYSTEMVERILOG_FILE hdl/lib/first.sv", "hdl/lib/first.sv", ""},
        {"-comment", set + "-name SDC_FILE timing.sdc -comment \"the clocks\"", "timing.sdc", ""},
        {"-section_id", set + "-name EDA_TEST_BENCH_FILE sim/tb.v -section_id tb", "sim/tb.v", ""},
        {"-disable", set + "-name VERILOG_FILE hdl/disabled.v -disable", "hdl/disabled.v", ""},
        {"absolute, inside the project",
         set + "-name VERILOG_FILE \"" + project + "/hdl/absolute.v\"", project + "/hdl/absolute.v",
         "hdl/absolute.v"},
        {"absolute, outside the project", set + "-name VERILOG_FILE \"" + outside + "/outside.v\"",
         outside + "/outside.v", "external/outside.v"},
        {"named by an included IP file", set + "-name TIP_FILE ip/core/core.tip",
         "ip/core/impl_of_core.v", ""},
    };
    for (TEST_NAMED_FILE& form : forms) {
        if (form.arrives.empty()) {
            form.arrives = form.file;
        }
    }
    return forms;
}

// Appends each form's line to the settings file `settings` and writes each
// named file, and the IP file that names one of them.
inline void test_write_named_files(std::string const& project, std::string const& settings,
                                   std::vector<TEST_NAMED_FILE> const& forms) {
    std::string lines = test_read_file(settings);
    if (!lines.empty() && lines.back() != '\n') {
        lines += '\n';
    }
    for (TEST_NAMED_FILE const& form : forms) {
        lines += form.line + "\n";
        std::string path = form.file[0] == '/' ? form.file : project + "/" + form.file;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        test_write_file(path, "// " + form.form + "\n");
    }
    test_write_file(settings, lines);
    test_write_file(project + "/ip/core/core.tip",
                    "set_global_assignment -name IP_TOOL_NAME core\n"
                    "set_global_assignment -name VERILOG_FILE "
                    "[file join $::tessaly(tip_path) \"impl_of_core.v\"]\n");
}
