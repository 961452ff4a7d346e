// The suite's Tcl commands as a generated settings script uses them: the
// ::tessaly::project package over the open project, assignment-group members
// and exceptions set as global assignments, and every option of a set command
// read back as written.
#include "acf_manager_test_project.h"

#include "acf_assignment.h"

#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"

#include <gtest/gtest.h>

namespace {

using TclProjectPackage = AcfManagerProject;

std::pair<int, std::string> eval(std::string const& script) {
    Tcl_Interp* interp = atcl_get_interpreter();
    int code = Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL);
    return {code, Tcl_GetStringResult(interp)};
}

TEST_F(TclProjectPackage, IsProjectOpenAndTheProjectNameFollowTheOpenProject) {
    ASSERT_EQ(eval("package require ::tessaly::project").first, TCL_OK);
    EXPECT_EQ(eval("is_project_open"), std::make_pair(TCL_OK, std::string("0")));
    EXPECT_EQ(eval("set tessaly(project)"), std::make_pair(TCL_OK, std::string()));
    ASSERT_EQ(create("my chip", "fast"), ACF_REVISION_MANAGER::SUCCESS);
    EXPECT_EQ(eval("is_project_open"), std::make_pair(TCL_OK, std::string("1")));
    EXPECT_EQ(eval("set ::tessaly(project)"), std::make_pair(TCL_OK, std::string("my chip")));
    manager->close_project(false);
    EXPECT_EQ(eval("list [is_project_open] $tessaly(project)"),
              std::make_pair(TCL_OK, std::string("0 {}")));
    EXPECT_EQ(eval("is_project_open extra").first, TCL_ERROR);
}

TEST_F(TclProjectPackage, GroupMembersAndExceptionsAreGlobalAssignmentsOfTheGroup) {
    ASSERT_EQ(create("chip"), ACF_REVISION_MANAGER::SUCCESS);
    for (char const* command :
         {"set_global_assignment -name ASSIGNMENT_GROUP_MEMBER a -section_id g1",
          "set_global_assignment -name ASSIGNMENT_GROUP_MEMBER {b|c*} -section_id g1",
          "set_global_assignment -name ASSIGNMENT_GROUP_EXCEPTION b|c2 -section_id g1",
          "set_global_assignment -name ASSIGNMENT_GROUP_MEMBER a -section_id g2",
          // The instance form stays as it was.
          "set_instance_assignment -name ASSIGNMENT_GROUP_MEMBER ON -to x -section_id g3"}) {
        EXPECT_EQ(eval(command), std::make_pair(TCL_OK, std::string())) << command;
    }
    ASSERT_TRUE(manager->read_lock());
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_type(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER);
    query.set_section_identifier("g1");
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST members;
    manager->get_global_assignment_coll(&query, &members, false);
    std::vector<std::string> values;
    for (ACF_ASSIGNMENT* asgn : members) {
        values.push_back(asgn->get_value(false));
    }
    EXPECT_EQ(values, (std::vector<std::string>{"a", "b|c*"}));
    ACF_MANAGER::STRING_LIST groups;
    EXPECT_TRUE(manager->get_list_of_section_identifiers(ACF_CATEGORY_SECTION_TYPE_ASSIGNMENT_GROUP,
                                                         &groups, ""));
    groups.sort();
    EXPECT_EQ(groups, (ACF_MANAGER::STRING_LIST{"g1", "g2", "g3"}));
    manager->read_unlock();
}

TEST_F(TclProjectPackage, EveryOptionOfASetCommandIsTakenAsWritten) {
    ASSERT_EQ(create("chip"), ACF_REVISION_MANAGER::SUCCESS);
    std::vector<std::string> const lines = {
        "set_global_assignment -name VHDL_FILE {a b.vhd} -comment {x {y}} -hdl_version VHDL_2008 "
        "-library work",
        "set_global_assignment -name EDA_SIMULATION_TOOL Sim -section_id {s 1} -disable",
        "set_instance_assignment -name IO_STANDARD {2.5 V} -to {d[3]} -entity sub -tag me",
        "set_instance_assignment -name TPD_REQUIREMENT {4 ns} -from clk -to q",
        "set_location_assignment PIN_A3 -to led0",
        "set_parameter -name DEPTH 8 -to u1",
    };
    for (std::string const& line : lines) {
        EXPECT_EQ(eval(line), std::make_pair(TCL_OK, std::string())) << line;
    }
    ASSERT_TRUE(manager->read_lock());
    manager->set_allow_ignored_assignments_filter(true);
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST all;
    manager->get_assignment_coll(nullptr, &all, false);
    std::vector<std::string> rendered;
    for (ACF_ASSIGNMENT* asgn : all) {
        std::string line;
        asgn->get_variable_tcl_set_command(&line, nullptr);
        rendered.push_back(line);
    }
    manager->read_unlock();
    for (
        char const* expected :
        {R"(set_global_assignment -name VHDL_FILE "a b.vhd" -comment "x \{y\}" -hdl_version VHDL_2008 -library work)",
         R"(set_global_assignment -name EDA_SIMULATION_TOOL Sim -section_id "s 1" -disable)",
         R"(set_instance_assignment -name IO_STANDARD "2.5 V" -to d\[3\] -entity sub -tag me)",
         R"(set_instance_assignment -name TPD_REQUIREMENT "4 ns" -from clk -to q)",
         "set_location_assignment PIN_A3 -to led0", "set_parameter -name DEPTH 8 -to u1"}) {
        EXPECT_NE(std::find(rendered.begin(), rendered.end(), expected), rendered.end())
            << expected << "\n"
            << testing::PrintToString(rendered);
    }
}

} // namespace

namespace {

// A revision whose defaults file's name the file system would not take could
// never be opened: project_new refuses it, naming the limit, and writes nothing.
TEST_F(TclProjectPackage, ProjectNewRefusesARevisionNameTooLongForItsFiles) {
    std::string const folder = dir.path();
    for (size_t length : {231u, 232u, 251u}) {
        std::string const name(length, 'r');
        std::string const script =
            "project_new -revision " + name + " [file join {" + folder + "} chip]";
        std::pair<int, std::string> const result = eval(script);
        if (length <= 231) {
            EXPECT_EQ(result, std::make_pair(TCL_OK, std::string()));
            EXPECT_TRUE(std::filesystem::exists(dir.file(name + ".tsf")));
            manager->close_project(false);
        } else {
            EXPECT_EQ(result,
                      std::make_pair(TCL_ERROR, std::string("project_new: a revision name may have "
                                                            "at most 231 characters")));
            EXPECT_FALSE(std::filesystem::exists(dir.file(name + ".tsf")));
        }
    }
}

} // namespace

// The settings and project packages made again in a second interpreter while
// Tcl cannot read its library index: the load fails, with no internal error
// (the glue names Tcl's reason), and a later load makes every command again.
TEST(TclSettingsPackages, ARegistrationTclRefusesFailsWithTclsReason) {
    for (char const* prefix : {"Settings", "Project"}) {
        ASSERT_EQ(eval("interp create acf_refused\n"
                       "rename ::auto_import ::acf_saved_auto_import\n"
                       "proc ::auto_import {pattern} {error {error reading \"file3\": I/O error}}")
                      .first,
                  TCL_OK);
        int reports = 0;
        MSG_INTERNAL_ERROR::set_hook(
            [&reports](char const*, char const*, char const*, int) { ++reports; });
        std::pair<int, std::string> const refused =
            eval(std::string("load {} ") + prefix + " acf_refused");
        MSG_INTERNAL_ERROR::set_hook(nullptr);
        ASSERT_EQ(eval("rename ::auto_import {}\n"
                       "rename ::acf_saved_auto_import ::auto_import\n"
                       "interp delete acf_refused")
                      .first,
                  TCL_OK);
        EXPECT_EQ(refused.first, TCL_ERROR) << prefix;
        EXPECT_EQ(reports, 0) << prefix;
        ASSERT_EQ(eval(std::string("interp create acf_again; load {} ") + prefix +
                       " acf_again; interp delete acf_again")
                      .first,
                  TCL_OK)
            << prefix;
    }
    EXPECT_EQ(eval("list [is_project_open] [llength [info commands set_global_assignment]]"),
              std::make_pair(TCL_OK, std::string("0 1")));
}
