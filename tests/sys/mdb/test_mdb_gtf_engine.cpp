// The Tcl script generator on a copy of the generator fixture: the script's
// format, which assignments it writes, its result codes, and scripts that
// recreate their revision when regentool runs them.
#include "sys/mdb/mdb_generate_tcl_file_dlg.h"
#include "sys/mdb/mdb_gtf_engine.h"

#include "acf_mgr_input_parameters.h"
#include "suite/general/gen.h"

#include "tests/sys/mdb/mdb_gtf_test_project.h"

#include "suite/tclglue/atcl.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <sstream>

namespace {

class MdbGtfEngine : public MdbGtfProject {
protected:
    void SetUp() override {
        MdbGtfProject::SetUp();
        // 14:03:09 on 2 March 2026, local time.
        gen_set_clock_hook([]() {
            std::tm when{};
            when.tm_year = 126;
            when.tm_mon = 2;
            when.tm_mday = 2;
            when.tm_hour = 14;
            when.tm_min = 3;
            when.tm_sec = 9;
            when.tm_isdst = -1;
            return std::mktime(&when);
        });
    }
    void TearDown() override {
        gen_set_clock_hook({});
        MdbGtfProject::TearDown();
    }
    // Generates the script into `name` in the workspace; its code and text.
    std::pair<int, std::string> generate(std::string const& name, bool defaults = false) {
        std::string path = m_workspace.path(name);
        int code = mdb_dyn_generate_tcl_file(path, 0, defaults);
        return {code, test_read_file(path)};
    }
};

std::vector<std::string> lines_of(std::string const& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST_F(MdbGtfEngine, WritesTheScriptInItsFormatLineByLine) {
    open_project();
    auto [code, text] = generate("gtf.tcl");
    ASSERT_EQ(code, 0);
    std::string const expected =
        gen_get_legal_text("# ") + R"(# Tessaly II: Generate Tcl File for Project
# File: gtf.tcl
# Generated on: 14:03:09  March 02, 2026

# Load Tessaly II Tcl Project package
package require ::tessaly::project

set need_to_close_project 0
set make_assignments 1

# Check that the right project is open
if {[is_project_open]} {
	if {[string compare $tessaly(project) "gtf"]} {
		puts "Project gtf is not open"
		set make_assignments 0
	}
} else {
	# Only open if not already open
	if {[project_exists gtf]} {
		project_open -revision gtf gtf
	} else {
		project_new -revision gtf gtf
	}
	set need_to_close_project 1
}

# Make assignments
if {$make_assignments} {
	set_global_assignment -name FAMILY {Vorelon II}
	set_global_assignment -name DEVICE VORELONIIA15F484C6
	set_global_assignment -name TOP_LEVEL_ENTITY top
	set_global_assignment -name VHDL_FILE {my top.vhd} -library work
	set_global_assignment -name TIP_FILE fifo.tip
	set_global_assignment -name ASSIGNMENT_GROUP_MEMBER a|b* -section_id g1
	set_global_assignment -name ASSIGNMENT_GROUP_MEMBER c -section_id g1
	set_global_assignment -name ASSIGNMENT_GROUP_EXCEPTION a|b2 -section_id g1
	set_global_assignment -name ASSIGNMENT_GROUP_MEMBER d -section_id g0
	set_global_assignment -name LAST_TESSALY_VERSION 14.0
	# board rev B
	set_instance_assignment -name IO_STANDARD {2.5 V} -to led0 -comment {board rev B}
	set_instance_assignment -name IO_STANDARD {2.5 V} -to led1 -entity sub
	set_location_assignment PIN_A3 -to led0
	set_instance_assignment -name TPD_REQUIREMENT {4 ns} -from g1 -to q
	set_instance_assignment -name TPD_REQUIREMENT {5 ns} -from clk -to g1
	set_instance_assignment -name TPD_REQUIREMENT {6 ns} -from clk -to g0
	set_parameter -name DEPTH 8 -to u1

	# Commit assignments
	export_assignments

	# Close project
	if {$need_to_close_project} {
		project_close
	}
}
)";
    EXPECT_EQ(lines_of(text), lines_of(expected));
    EXPECT_EQ(text, expected);
}

TEST_F(MdbGtfEngine, DefaultsComeOnlyWhenAskedAndIpAssignmentsNever) {
    open_project();
    for (bool defaults : {false, true}) {
        auto [code, text] = generate("gtf.tcl", defaults);
        ASSERT_EQ(code, 0);
        std::string const tail = "\tset_parameter -name DEPTH 8 -to u1\n";
        std::string const block = defaults
                                      ? "\n\t# Including default assignments\n"
                                        "\tset_global_assignment -name AUTO_ROM_RECOGNITION OFF\n"
                                        "\tset_global_assignment -name START_TIME {0 ns}\n"
                                      : "";
        EXPECT_NE(text.find(tail + block + "\n\t# Commit assignments\n"), std::string::npos)
            << text;
        // The IP file's own assignments are not the revision's.
        EXPECT_NE(text.find("-name TIP_FILE fifo.tip\n"), std::string::npos);
        EXPECT_EQ(text.find("FIFO"), std::string::npos);
        EXPECT_EQ(text.find("fifo.vhd"), std::string::npos);
    }
}

TEST_F(MdbGtfEngine, ResultCodes) {
    std::string const script = m_workspace.path("gtf.tcl");
    EXPECT_EQ(mdb_dyn_generate_tcl_file(script, 0, false), 3); // no project open
    open_project();
    msg_log_clear();
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    EXPECT_EQ(mdb_dyn_generate_tcl_file("", 0, false), 1);
    EXPECT_FALSE(manager->is_read_locked());
    EXPECT_EQ(mdb_dyn_generate_tcl_file(m_workspace.path("missing/gtf.tcl"), 0, false), 2);
    ASSERT_TRUE(manager->write_lock(false));
    EXPECT_EQ(mdb_dyn_generate_tcl_file(script, 0, false), 3); // the read lock is refused
    manager->write_unlock(false);
    EXPECT_FALSE(std::filesystem::exists(script));
    EXPECT_FALSE(manager->is_read_locked());
    EXPECT_TRUE(msg_log_entries().empty());
}

TEST_F(MdbGtfEngine, AnExistingScriptIsReplacedWholeOrLeftAsItWas) {
    open_project();
    std::string const script = m_workspace.path("out/gtf.tcl");
    std::filesystem::create_directory(m_workspace.path("out"));
    test_write_file(script, "old script\n");
    ASSERT_EQ(chmod(script.c_str(), 0640), 0);
    ASSERT_EQ(mdb_dyn_generate_tcl_file(script, 0, false), 0);
    struct stat status {};
    ASSERT_EQ(stat(script.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_NE(test_read_file(script).find("export_assignments"), std::string::npos);

    // A disk that takes only a few bytes more: the write fails part way.
    test_write_file(script, "old script\n");
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    sighandler_t old_handler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_limit;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int code = mdb_dyn_generate_tcl_file(script, 0, false);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);
    EXPECT_EQ(code, 2);
    EXPECT_EQ(test_read_file(script), "old script\n");
    EXPECT_EQ(std::filesystem::directory_iterator(m_workspace.path("out"))->path(), script);
}

TEST_F(MdbGtfEngine, EveryWordIsOneTclWordAndCommentsStayComments) {
    struct CASE {
        std::string line;
        std::vector<std::string> words;
    } const cases[] = {
        {"set_global_assignment -name VHDL_FILE top.vhd",
         {"set_global_assignment", "-name", "VHDL_FILE", "top.vhd"}},
        {R"(set_instance_assignment -name X "2.5 V" -to data\[3\] -comment "a \"b\" \{ \$x \\")",
         {"set_instance_assignment", "-name", "X", "2.5 V", "-to", "data[3]", "-comment",
          "a \"b\" { $x \\"}},
        {"set_global_assignment -name X  -section_id g", // an empty value
         {"set_global_assignment", "-name", "X", "", "-section_id", "g"}},
        {R"(set_parameter -name P "line\nbreak" -disable)",
         {"set_parameter", "-name", "P", "line\nbreak", "-disable"}},
    };
    Tcl_Interp* interp = atcl_get_interpreter();
    for (CASE const& c : cases) {
        EXPECT_EQ(mdb_gtf_split_settings_line(c.line), c.words) << c.line;
        for (std::string const& word : c.words) {
            std::string script = "set ::gtf_word " + mdb_gtf_tcl_word(word);
            ASSERT_EQ(Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL), TCL_OK) << word;
            EXPECT_EQ(Tcl_GetStringResult(interp), word);
        }
    }
    // Inside a braced block, a comment of braces, a trailing backslash and
    // several lines neither ends the block nor swallows the next line.
    std::string block = "if {1} {\n" + mdb_gtf_comment_lines("\t", "a } b {{\nc \\") +
                        "\tset ::gtf_word after\n}\n";
    EXPECT_EQ(mdb_gtf_comment_lines("\t", "a } b {{\nc \\"), "\t# a \\} b \\{\\{\n\t# c \\\\\n");
    ASSERT_EQ(Tcl_EvalEx(interp, block.c_str(), -1, TCL_EVAL_GLOBAL), TCL_OK);
    EXPECT_STREQ(Tcl_GetVar(interp, "::gtf_word", TCL_GLOBAL_ONLY), "after");
}

// A revision made by the suite's Tcl commands, with hostile texts in names,
// values, targets, sections and comments.
class MdbGtfRoundTrip : public MdbGtfEngine {
protected:
    void SetUp() override {
        MdbGtfEngine::SetUp();
        m_source = m_workspace.path("source");
        std::filesystem::create_directory(m_source);
        std::filesystem::current_path(m_source);
        Tcl_Interp* interp = atcl_get_interpreter();
        std::vector<std::vector<std::string>> const commands = {
            {"project_new", "-revision", "rev {1} $x", "my proj"},
            {"set_global_assignment", "-name", "VERILOG_MACRO", "A=$x[1]"},
            {"set_global_assignment", "-name", "VERILOG_MACRO", "B=c\\"},
            {"set_global_assignment", "-name", "VHDL_FILE", "my \"top\".vhd", "-comment",
             "see {notes} \\\nsecond line"},
            {"set_instance_assignment", "-name", "IO_STANDARD", "2.5 V", "-to", "data[3]",
             "-entity", "sub {x}"},
            {"set_global_assignment", "-name", "ASSIGNMENT_GROUP_MEMBER", "a|b{", "-section_id",
             "grp [1] $y"},
            {"set_global_assignment", "-name", "ASSIGNMENT_GROUP_EXCEPTION", "a|b}2", "-section_id",
             "grp [1] $y"},
            {"set_parameter", "-name", "P Q", "$v", "-to", "u\\1"},
            {"export_assignments"},
        };
        for (auto const& command : commands) {
            ASSERT_EQ(atcl_eval_words(interp, command), TCL_OK)
                << command[0] << ": " << Tcl_GetStringResult(interp);
        }
        auto [code, text] = generate("first.tcl");
        ASSERT_EQ(code, 0);
        m_first = text;
        ASSERT_EQ(atcl_eval_words(interp, {"project_close"}), TCL_OK);
    }
    TEST_RUN_RESULT run_script(std::string const& script, std::string const& dir) {
        return test_run(thr_process_quote_argument(REGENTOOL_PATH) + " -t " +
                            thr_process_quote_argument(script),
                        dir);
    }
    // The script without the header lines that name the file and the time.
    static std::vector<std::string> body(std::string const& text) {
        std::vector<std::string> lines;
        for (std::string const& line : lines_of(text)) {
            if (line.rfind("# File: ", 0) != 0 && line.rfind("# Generated on: ", 0) != 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    std::string m_source;
    std::string m_first;
};

TEST_F(MdbGtfRoundTrip, AnEmptyFolderGetsAnEqualProjectAndRevision) {
    std::string const empty = m_workspace.path("empty");
    std::filesystem::create_directory(empty);
    TEST_RUN_RESULT run = run_script(m_workspace.path("first.tcl"), empty);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(std::filesystem::exists(empty + "/my proj.tpf"));
    EXPECT_TRUE(std::filesystem::exists(empty + "/rev {1} $x.tsf"));

    std::filesystem::current_path(empty);
    ASSERT_EQ(atcl_eval_words(atcl_get_interpreter(), {"project_open", "my proj"}), TCL_OK);
    auto [code, second] = generate("second.tcl");
    ASSERT_EQ(code, 0);
    EXPECT_EQ(body(second), body(m_first));
    EXPECT_NE(m_first.find("\tproject_new -revision {rev {1} $x} {my proj}\n"), std::string::npos);
    EXPECT_NE(m_first.find("\t\tputs {Project my proj is not open}\n"), std::string::npos);
}

TEST_F(MdbGtfRoundTrip, InItsOwnFolderItChangesNoAssignment) {
    std::string const settings = m_source + "/rev {1} $x.tsf";
    std::string const before = test_read_file(settings);
    TEST_RUN_RESULT run = run_script(m_workspace.path("first.tcl"), m_source);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(test_read_file(settings), before);
}

TEST_F(MdbGtfRoundTrip, WithAnotherProjectOpenItSaysSoAndSetsNothing) {
    std::string const other = m_workspace.path("other");
    std::filesystem::create_directory(other);
    test_write_file(other + "/wrap.tcl", "project_new other\nsource " +
                                             mdb_gtf_tcl_word(m_workspace.path("first.tcl")) +
                                             "\nexport_assignments\nproject_close\n");
    TEST_RUN_RESULT run = run_script(other + "/wrap.tcl", other);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Project my proj is not open\n"), std::string::npos) << run.output;
    EXPECT_EQ(test_read_file(other + "/other.tsf").find("VERILOG_MACRO"), std::string::npos);
}

} // namespace
