#include "acf_storage_test_project.h"

#include "suite/tclglue/atcl.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace {

// The instance assignments of a variable, under a read lock.
std::vector<ACF_ASSIGNMENT*> instance_assignments(ACF_REVISION_MANAGER& manager,
                                                  ACF_VARIABLE_TYPE_ENUM variable) {
    std::list<ACF_ASSIGNMENT*> all;
    manager.get_instance_assignment_coll(nullptr, &all);
    std::vector<ACF_ASSIGNMENT*> found;
    for (ACF_ASSIGNMENT* asgn : all) {
        if (asgn->get_type() == variable) {
            found.push_back(asgn);
        }
    }
    return found;
}

TEST(RevisionStoreTcl, AnIpFileHoldsItsAssignmentsAsTransientAndTaggedWithIt) {
    ACF_STORAGE_TEST_PROJECT project(nullptr);
    std::string ip_dir = project.file("ip dir [x]");
    ASSERT_EQ(mkdir(ip_dir.c_str(), 0755), 0);
    std::string tip = ip_dir + "/pll $1.tip";
    acf_test_write(tip, "set_instance_assignment -name MULTICYCLE 3 -to pll_reg\n"
                        "set_parameter -name SEEN_DIR $::tessaly(tip_path) -to pll\n");
    acf_test_write(project.tsf(), "set_global_assignment -name TIP_FILE \"" + tip +
                                      "\"\n"
                                      "set_instance_assignment -name MULTICYCLE 2 -to own_reg\n");

    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.read_lock());
    std::vector<ACF_ASSIGNMENT*> multicycles =
        instance_assignments(manager, ACF_VARIABLE_TYPE_MULTICYCLE);
    ASSERT_EQ(multicycles.size(), 2u);
    ACF_ASSIGNMENT* from_ip = nullptr;
    for (ACF_ASSIGNMENT* asgn : multicycles) {
        if (std::string(asgn->get_target()) == "pll_reg") {
            from_ip = asgn;
        } else {
            EXPECT_FALSE(asgn->is_transient());
        }
    }
    ASSERT_NE(from_ip, nullptr);
    EXPECT_TRUE(from_ip->is_transient());
    ASSERT_NE(from_ip->get_argument_value(ACF_ARGUMENT_TYPE_TIP), nullptr);
    EXPECT_EQ(std::string(from_ip->get_argument_value(ACF_ARGUMENT_TYPE_TIP)), tip);

    ACF_MGR_INPUT_PARAMETERS seen;
    seen.set_variable_string("SEEN_DIR");
    seen.set_to("pll");
    ACF_ASSIGNMENT* dir = manager.get_freeform_assignment_ptr(&seen);
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(std::string(dir->get_value(false)), ip_dir);
    EXPECT_FALSE(project.storage().get_transient_assignments_mode());
    manager.read_unlock();

    Tcl_Interp* interp = atcl_get_interpreter();
    EXPECT_EQ(Tcl_EvalEx(interp, "info exists ::tessaly(tip_path)", -1, TCL_EVAL_GLOBAL), TCL_OK);
    EXPECT_STREQ(Tcl_GetStringResult(interp), "0");
}

// Runs the rest of a scope in another current folder.
class FROM_FOLDER {
public:
    explicit FROM_FOLDER(std::string const& folder) : m_kept(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~FROM_FOLDER() { std::filesystem::current_path(m_kept); }
    FROM_FOLDER(FROM_FOLDER const&) = delete;
    FROM_FOLDER& operator=(FROM_FOLDER const&) = delete;

private:
    std::filesystem::path m_kept;
};

// An IP file the settings name by a relative path is the one in the project's
// folder, whatever the current folder: it is read, its files carry its full
// path, and removing it removes them.
TEST(RevisionStoreTcl, AnIpFileNamedRelativelyIsTheOneInTheProjectFolder) {
    ACF_STORAGE_TEST_PROJECT project(nullptr);
    ASSERT_EQ(mkdir(project.file("ip").c_str(), 0755), 0);
    std::string const tip = project.file("ip/core.tip");
    acf_test_write(
        tip, "set_global_assignment -name VHDL_FILE [file join $::tessaly(tip_path) a.vhd]\n");
    acf_test_write(project.tsf(), "set_global_assignment -name TIP_FILE ip/core.tip\n");
    ACF_TEST_DIRECTORY elsewhere;
    FROM_FOLDER from(elsewhere.path());

    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.write_lock(false));
    auto brought = [&] {
        ACF_MGR_INPUT_PARAMETERS vhdl;
        vhdl.set_variable_string("VHDL_FILE");
        std::list<ACF_ASSIGNMENT*> found;
        manager.get_global_assignment_coll(&vhdl, &found, false);
        return found;
    };
    std::list<ACF_ASSIGNMENT*> const files = brought();
    ASSERT_EQ(files.size(), 1u) << "the IP file was not read";
    ACF_ASSIGNMENT const* vhdl = files.front();
    EXPECT_EQ(std::string(vhdl->get_value(false)), project.file("ip/a.vhd"));
    ASSERT_NE(vhdl->get_argument_value(ACF_ARGUMENT_TYPE_TIP), nullptr);
    EXPECT_EQ(std::string(vhdl->get_argument_value(ACF_ARGUMENT_TYPE_TIP)), tip);

    ACF_MGR_INPUT_PARAMETERS ip;
    ip.set_variable_string("TIP_FILE");
    ip.set_value_string("ip/core.tip");
    EXPECT_TRUE(manager.remove_global_assignment(&ip));
    EXPECT_TRUE(brought().empty());
    manager.write_unlock(false);
}

TEST(RevisionStoreTcl, ScriptsOfTheSettingsFileRunAndNestedIpFilesKeepTheirTags) {
    ACF_STORAGE_TEST_PROJECT project(nullptr);
    std::string inner = project.file("inner.tcl");
    std::string outer = project.file("outer.tip");
    acf_test_write(inner, "set_instance_assignment -name MULTICYCLE 4 -to inner_reg\n");
    acf_test_write(outer, "source {" + inner +
                              "}\n"
                              "set_instance_assignment -name MULTICYCLE 5 -to after_reg\n");
    acf_test_write(project.tsf(), "set_global_assignment -name TIP_FILE \"" + outer + "\"\n");

    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.read_lock());
    std::vector<ACF_ASSIGNMENT*> found =
        instance_assignments(manager, ACF_VARIABLE_TYPE_MULTICYCLE);
    ASSERT_EQ(found.size(), 2u);
    for (ACF_ASSIGNMENT* asgn : found) {
        EXPECT_TRUE(asgn->is_transient()) << asgn->get_target();
        ASSERT_NE(asgn->get_argument_value(ACF_ARGUMENT_TYPE_TIP), nullptr) << asgn->get_target();
        EXPECT_EQ(std::string(asgn->get_argument_value(ACF_ARGUMENT_TYPE_TIP)), outer);
    }
    manager.read_unlock();
}

TEST(RevisionStoreTcl, RecursionAndScriptErrorsAreReportedAndLeaveTheModesAsBefore) {
    ACF_STORAGE_TEST_PROJECT project(nullptr);
    std::string self = project.file("self.tcl");
    std::string bad = project.file("bad.tcl");
    acf_test_write(self, "set_global_assignment -name SOURCE_TCL_SCRIPT_FILE {" + self + "}\n");
    acf_test_write(bad, "this_command_does_not_exist\n");
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ASSERT_TRUE(storage.write_lock(true));

    struct CASE {
        std::string file;
        bool result;
        int status;
        unsigned id;
    } const cases[] = {
        {self, true, 0, 0},                             // the nested call reports the recursion
        {bad, false, 32, 125091},                       // the Tcl error with its trace
        {project.file("missing.tcl"), true, 0, 125092}, // a missing script is only a warning
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        EXPECT_EQ(storage.evaluate_tcl_script(c.file.c_str(), ACF_MGR_TCL_MODE_SCRIPT), c.result)
            << c.file;
        EXPECT_FALSE(storage.get_transient_assignments_mode()) << c.file;
        EXPECT_EQ(ACF_MANAGER_STORAGE_REAL::get_sourcing_storage(), nullptr) << c.file;
        if (c.id != 0) {
            ASSERT_FALSE(msg_log_entries().empty()) << c.file;
            EXPECT_EQ(msg_log_entries()[0].id, c.id) << c.file;
            EXPECT_EQ(storage.get_last_error_status(), c.status) << c.file;
        }
    }
    bool recursion_told = false;
    msg_log_clear();
    storage.evaluate_tcl_script(self.c_str(), ACF_MGR_TCL_MODE_SCRIPT);
    for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
        recursion_told = recursion_told || entry.id == 125093;
    }
    EXPECT_TRUE(recursion_told);
    storage.write_unlock();
}

TEST(RevisionStoreTcl, TooLongAndUnreadableScriptsAreNotSourced) {
    ACF_STORAGE_TEST_PROJECT project(nullptr);
    std::string unreadable = project.file("secret.tcl");
    acf_test_write(unreadable, "set_global_assignment -name SMART_RECOMPILE ON\n");
    chmod(unreadable.c_str(), 0200);
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ASSERT_TRUE(storage.write_lock(true));
    std::string too_long = project.file(std::string(300, 'x') + ".tcl");

    msg_log_clear();
    storage.evaluate_tcl_script(too_long.c_str(), ACF_MGR_TCL_MODE_SCRIPT);
    ASSERT_FALSE(msg_log_entries().empty());
    EXPECT_EQ(msg_log_entries()[0].id, 125099u);

    msg_log_clear();
    storage.evaluate_tcl_script(unreadable.c_str(), ACF_MGR_TCL_MODE_SCRIPT);
    ASSERT_FALSE(msg_log_entries().empty());
    EXPECT_EQ(msg_log_entries()[0].id, 125091u);
    EXPECT_EQ(project.global_value("SMART_RECOMPILE"), nullptr);
    storage.write_unlock();
}

// A script file is read as a settings file is: a regular file, whole, or an
// error naming it with the reason. Nothing of it is evaluated, and nothing
// waits on a pipe or fills the memory from a device.
TEST(RevisionStoreTcl, ScriptsThatCannotBeReadWholeAreRefusedByName) {
    ACF_STORAGE_TEST_PROJECT project(nullptr);
    std::string const fifo = project.file("pipe.tip");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::string const folder = project.file("folder.tip");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    std::string const zero = project.file("zero.tip");
    std::filesystem::create_symlink("/dev/zero", zero);
    // Larger than the interpreter takes in one piece; sparse, it takes no room.
    std::string const huge = project.file("huge.tcl");
    acf_test_write(huge, "set_global_assignment -name SMART_RECOMPILE ON\n");
    std::filesystem::resize_file(huge, std::uintmax_t(1) << 30 | 1);
    struct CASE {
        std::string file;
        ACF_MGR_TCL_MODE mode;
        char const* reason;
    } const cases[] = {
        {fifo, ACF_MGR_TCL_MODE_TIP, "it is no regular file"},
        {fifo, ACF_MGR_TCL_MODE_SCRIPT, "it is no regular file"},
        {folder, ACF_MGR_TCL_MODE_TIP, "it is a directory"},
        {zero, ACF_MGR_TCL_MODE_TIP, "it is no regular file"},
        {huge, ACF_MGR_TCL_MODE_SCRIPT, "it is larger than 1073741823 bytes"},
    };
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ASSERT_TRUE(storage.write_lock(true));
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.file);
        msg_log_clear();
        EXPECT_FALSE(storage.evaluate_tcl_script(c.file.c_str(), c.mode));
        std::vector<MSG_LOG_ENTRY> const told = msg_log_entries();
        ASSERT_EQ(told.size(), 2u);
        EXPECT_EQ(told[0].text, "Can't open file " + c.file);
        EXPECT_EQ(told[1].depth, 1);
        EXPECT_NE(told[1].text.find(c.reason), std::string::npos) << told[1].text;
        EXPECT_FALSE(storage.get_transient_assignments_mode());
    }
    EXPECT_EQ(project.global_value("SMART_RECOMPILE"), nullptr);
    storage.write_unlock();
}

// The text read is evaluated as a sourced file is: it stops at an end-of-file
// character, its CR LF line ends are line ends, [info script] names it, and
// `return` leaves it without error.
TEST(RevisionStoreTcl, AScriptsTextIsEvaluatedAsASourcedFile) {
    ACF_STORAGE_TEST_PROJECT project(nullptr);
    std::string const script = project.file("early.tcl");
    acf_test_write(script, "set_parameter -name SEEN_SCRIPT [info script] -to s\n"
                           "if {1} { return }\n"
                           "set_parameter -name AFTER_RETURN yes -to s\n");
    std::string const cut = project.file("cut.tcl");
    acf_test_write(cut, "set_parameter -name BEFORE_CUT [string length {a\r\nb}] -to s\r\n"
                        "\x1a\nthis is not Tcl {\n");
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ASSERT_TRUE(storage.write_lock(true));
    msg_log_clear();
    EXPECT_TRUE(storage.evaluate_tcl_script(script.c_str(), ACF_MGR_TCL_MODE_SCRIPT));
    EXPECT_TRUE(storage.evaluate_tcl_script(cut.c_str(), ACF_MGR_TCL_MODE_SCRIPT));
    EXPECT_TRUE(msg_log_entries().empty());
    auto parameter = [&project](char const* name) -> std::string {
        ACF_MGR_INPUT_PARAMETERS query;
        query.set_variable_string(name);
        query.set_to("s");
        ACF_ASSIGNMENT* found = project.manager().get_freeform_assignment_ptr(&query);
        return found != nullptr ? found->get_value(false) : "<none>";
    };
    EXPECT_EQ(parameter("SEEN_SCRIPT"), script);
    EXPECT_EQ(parameter("AFTER_RETURN"), "<none>");
    EXPECT_EQ(parameter("BEFORE_CUT"), "3");
    storage.write_unlock();
}

TEST(RevisionStoreTcl, AssignmentCommandsOutsideSourcingActOnlyThroughALock) {
    ACF_STORAGE_TEST_PROJECT project("");
    Tcl_Interp* interp = atcl_get_interpreter();
    // No sourcing and no project manager's project: the process-wide manager
    // has no project open.
    EXPECT_EQ(
        Tcl_EvalEx(interp, "set_global_assignment -name SMART_RECOMPILE ON", -1, TCL_EVAL_GLOBAL),
        TCL_ERROR);
    EXPECT_NE(std::string(Tcl_GetStringResult(interp)).find("no project is open"),
              std::string::npos);
    EXPECT_EQ(Tcl_EvalEx(interp, "set_tsf_mode -start -tip", -1, TCL_EVAL_GLOBAL), TCL_ERROR);
    EXPECT_EQ(Tcl_EvalEx(interp, "set_acf_manager -transient_assignments_mode maybe", -1,
                         TCL_EVAL_GLOBAL),
              TCL_ERROR);
}

} // namespace
