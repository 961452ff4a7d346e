// Assignments written as their settings-file commands and read back by the
// settings-file reader come back equal.
#include "acf_manager_reader.h"

#include "acf_assignment.h"
#include "acf_table.h"
#include "acf_test_storage.h"
#include "records/acf_assignment_factory.h"

#include "suite/tclglue/atcl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using LINE = ACF_MGR_ASGN_LINE;

// One assignment to write; texts may be null (absent).
struct ROUND_TRIP_CASE {
    ACF_VARIABLE_TYPE_ENUM type;
    char const* freeform_name;
    char const* from;
    char const* to;
    char const* value;
    char const* comment;
    char const* entity;
    char const* section_id;
    bool ignored;
    bool removed;
    ACF_ARGUMENT_TYPE_ENUM argument;
    char const* argument_value;
    char const* value_read; // when the written value reads back otherwise
};

// The assignment a record stands for, made as the settings storage makes it.
ACF_ASSIGNMENT* assignment_of(LINE const& line, ACF_ASSIGNMENT_FACTORY const& factory) {
    bool parameter = line.test_flag(LINE::FLAG_PARAMETER);
    ACF_VARIABLE_TYPE_ENUM type =
        parameter ? ACF_VARIABLE_TYPE_NONE : acf_user_name_to_variable_type_enum(line.get_name());
    ACF_ASSIGNMENT* asgn = factory.create_assignment(
        type, parameter ? line.get_name() : nullptr, line.get_from(), line.get_to(),
        line.get_value(), line.get_comment(), line.test_flag(LINE::FLAG_DISABLED));
    asgn->set_entity_name(line.get_entity());
    asgn->set_section_identifier(line.get_section_id());
    for (LINE::ARGUMENT const& argument : line.get_arguments()) {
        asgn->add_argument(argument.type, argument.value);
    }
    asgn->set_remove_status(line.test_flag(LINE::FLAG_REMOVE));
    return asgn;
}

std::string text_of(char const* text) {
    return text != nullptr ? text : "<null>";
}

TEST(SettingsRoundTrip, AssignmentsReadBackAsWritten) {
    constexpr ACF_ARGUMENT_TYPE_ENUM NO_ARG = ACF_ARGUMENT_TYPE_NONE;
    ROUND_TRIP_CASE const cases[] = {
        {ACF_VARIABLE_TYPE_NONE, "P", nullptr, "u1", "say \"hi\"", nullptr, nullptr, nullptr, false,
         false, NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_NONE, "P", nullptr, "u 1", "C:\\dir\\", "a \"quoted\" note", nullptr,
         nullptr, false, false, NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_NONE, "P", "a|b", "data[0]", "two  blanks", nullptr, nullptr, nullptr,
         false, false, NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_NONE, "P", nullptr, "x", " padded ", nullptr, nullptr, nullptr, false,
         false, NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_NONE, "P", nullptr, "x", "{braced} }{", nullptr, nullptr, nullptr, false,
         false, NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_NONE, "P", nullptr, "x", "a\ttab", nullptr, nullptr, nullptr, false,
         false, NO_ARG, nullptr, "a    tab"},
        {ACF_VARIABLE_TYPE_NONE, "P", nullptr, "x", "-5", nullptr, nullptr, nullptr, false, false,
         NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_NONE, "P", nullptr, "x", "-x y", nullptr, nullptr, nullptr, false, false,
         NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_NONE, "P", nullptr, "x", "$v[1] #h \\\\", nullptr, nullptr, nullptr,
         false, false, NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, nullptr, "src/My File.vhd", "old top",
         nullptr, nullptr, true, true, ACF_ARGUMENT_TYPE_LIBRARY, "my lib", nullptr},
        {ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, nullptr, "led\\0", "LVTTL", nullptr, "sub",
         nullptr, false, false, NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_XR_ROUGH, nullptr, nullptr, nullptr, "On", nullptr, nullptr,
         "region \"1\"", false, false, ACF_ARGUMENT_TYPE_WIDTH, "4", nullptr},
        // Line breaks stay inside their word, as Tcl's \n and \r.
        {ACF_VARIABLE_TYPE_SEARCH_PATH, nullptr, nullptr, nullptr, "a\nb", "first\nsecond\r\n",
         nullptr, nullptr, false, false, NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_NONE, "P", nullptr, "line\nbreak", "\n", nullptr, nullptr, nullptr,
         false, false, NO_ARG, nullptr, nullptr},
        // Brackets would run a command in Tcl.
        {ACF_VARIABLE_TYPE_VERILOG_FILE, nullptr, nullptr, nullptr, "x[file mkdir MARK]y.sv",
         "[exit]", nullptr, nullptr, false, false, NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_NONE, "P", nullptr, "q[pwd]", "\\[pwd\\]", nullptr, nullptr, nullptr,
         false, false, NO_ARG, nullptr, nullptr},
        {ACF_VARIABLE_TYPE_NONE, "N[pwd] \"$x\"\n{", nullptr, "x", "1", nullptr, nullptr, nullptr,
         false, false, NO_ARG, nullptr, nullptr},
    };
    ACF_TEST_STORAGE storage;
    ACF_ASSIGNMENT_FACTORY factory(&storage);
    std::vector<std::unique_ptr<ACF_ASSIGNMENT>> written;
    std::string file_text;
    for (ROUND_TRIP_CASE const& c : cases) {
        written.emplace_back(factory.create_assignment(c.type, c.freeform_name, c.from, c.to,
                                                       c.value, c.comment, c.ignored));
        ACF_ASSIGNMENT& asgn = *written.back();
        asgn.set_entity_name(c.entity);
        asgn.set_section_identifier(c.section_id);
        asgn.set_remove_status(c.removed);
        if (c.argument != NO_ARG) {
            ASSERT_TRUE(asgn.add_argument(c.argument, c.argument_value));
        }
        std::string command;
        asgn.get_variable_tcl_set_command(&command, nullptr);
        file_text += command + "\n";
    }
    char pattern[] = "/tmp/acf_round_trip_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string path = std::string(pattern) + "/revision.tsf";
    std::ofstream(path) << file_text;

    ACF_MANAGER_READER reader;
    reader.read_file(path.c_str(), false, nullptr, false, false);
    std::system(("rm -rf '" + std::string(pattern) + "'").c_str());
    std::vector<LINE*> const& lines = reader.get_assignment_lines();
    ASSERT_EQ(lines.size(), written.size()) << file_text;

    for (size_t i = 0; i < written.size(); ++i) {
        ACF_ASSIGNMENT const& before = *written[i];
        LINE const& line = *lines[i];
        ASSERT_FALSE(line.test_flag(LINE::FLAG_ERROR)) << line.get_text();
        std::unique_ptr<ACF_ASSIGNMENT> after(assignment_of(line, factory));
        std::string context = line.get_text();
        EXPECT_EQ(after->get_type(), before.get_type()) << context;
        EXPECT_STREQ(after->get_variable_string(), before.get_variable_string()) << context;
        EXPECT_STREQ(after->get_source(), before.get_source()) << context;
        EXPECT_STREQ(after->get_target(), before.get_target()) << context;
        char const* expected_value =
            cases[i].value_read != nullptr ? cases[i].value_read : before.get_actual_value();
        EXPECT_STREQ(after->get_actual_value(), expected_value) << context;
        EXPECT_STREQ(after->get_comments(), before.get_comments()) << context;
        EXPECT_EQ(text_of(after->get_entity_name()), text_of(before.get_entity_name())) << context;
        EXPECT_EQ(text_of(after->get_section_identifier()),
                  text_of(before.get_section_identifier()))
            << context;
        EXPECT_EQ(after->is_ignored(), before.is_ignored()) << context;
        EXPECT_EQ(after->is_removed(), before.is_removed()) << context;
        std::vector<ACF_ARGUMENT_TYPE_ENUM> arguments_before;
        std::vector<ACF_ARGUMENT_TYPE_ENUM> arguments_after;
        before.get_arguments(&arguments_before);
        after->get_arguments(&arguments_after);
        ASSERT_EQ(arguments_after, arguments_before) << context;
        for (ACF_ARGUMENT_TYPE_ENUM argument : arguments_before) {
            EXPECT_STREQ(after->get_argument_value(argument), before.get_argument_value(argument))
                << context;
        }
    }
}

// A settings file is a Tcl script: sourced by Tcl, every word must reach the set
// command as it was stored, and nothing in a value may run.
TEST(SettingsRoundTrip, TclSourcingTheWrittenFileGivesBackEveryWord) {
    char pattern[] = "/tmp/acf_tcl_source_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string const dir = pattern;
    std::string const mark = dir + "/MARK";
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM type;
        std::string to; // empty: none
        std::string value;
        char const* comment;
    } const cases[] = {
        {ACF_VARIABLE_TYPE_VERILOG_FILE, "", "x[file mkdir " + mark + "]y.sv", nullptr},
        {ACF_VARIABLE_TYPE_VERILOG_FILE, "", "[file mkdir " + mark + "]", "[set ::ran 1]"},
        {ACF_VARIABLE_TYPE_SEARCH_PATH, "", "a\nb\r\nc", "two\nlines"},
        {ACF_VARIABLE_TYPE_SEARCH_PATH, "", "$env(HOME) {x} \"q\" \\ ]", nullptr},
        {ACF_VARIABLE_TYPE_IO_STANDARD, "pin[0]", "LVTTL", "$x"},
        {ACF_VARIABLE_TYPE_LOCATION, "bus[file mkdir " + mark + "]", "PIN_A3", nullptr},
    };
    ACF_TEST_STORAGE storage;
    ACF_ASSIGNMENT_FACTORY factory(&storage);
    std::string script;
    for (CASE const& c : cases) {
        std::unique_ptr<ACF_ASSIGNMENT> asgn(factory.create_assignment(
            c.type, nullptr, nullptr, c.to.empty() ? nullptr : c.to.c_str(), c.value.c_str(),
            c.comment, false));
        std::string command;
        asgn->get_variable_tcl_set_command(&command, nullptr);
        script += command + "\n";
    }
    std::string const file = dir + "/revision.tsf";
    std::ofstream(file) << script;

    // Each set command records its words in ::calls.
    Tcl_Interp* interp = Tcl_CreateInterp();
    std::string const setup = "set calls {}\n"
                              "proc record {args} { lappend ::calls $args }\n"
                              "foreach c {set_global_assignment set_instance_assignment "
                              "set_location_assignment} { interp alias {} $c {} record }\n";
    ASSERT_EQ(Tcl_EvalEx(interp, setup.c_str(), -1, TCL_EVAL_GLOBAL), TCL_OK);
    ASSERT_EQ(atcl_eval_words(interp, {"source", file}), TCL_OK) << Tcl_GetStringResult(interp);
    EXPECT_FALSE(std::filesystem::exists(mark)) << script;
    EXPECT_EQ(Tcl_GetVar(interp, "ran", TCL_GLOBAL_ONLY), nullptr) << script;

    Tcl_Obj* calls = Tcl_GetVar2Ex(interp, "calls", nullptr, TCL_GLOBAL_ONLY);
    int count = 0;
    Tcl_Obj** call = nullptr;
    ASSERT_EQ(Tcl_ListObjGetElements(interp, calls, &count, &call), TCL_OK);
    ASSERT_EQ(static_cast<size_t>(count), std::size(cases)) << script;
    for (size_t i = 0; i < std::size(cases); ++i) {
        CASE const& c = cases[i];
        int words_count = 0;
        Tcl_Obj** words = nullptr;
        ASSERT_EQ(Tcl_ListObjGetElements(interp, call[i], &words_count, &words), TCL_OK);
        std::vector<std::string> got;
        for (int w = 0; w < words_count; ++w) {
            got.push_back(Tcl_GetString(words[w]));
        }
        std::vector<std::string> expected;
        if (c.type != ACF_VARIABLE_TYPE_LOCATION) {
            expected = {"-name", acf_get_variable_user_name(c.type)};
        }
        expected.push_back(c.value);
        if (!c.to.empty()) {
            expected.insert(expected.end(), {"-to", c.to});
        }
        if (c.comment != nullptr) {
            expected.insert(expected.end(), {"-comment", c.comment});
        }
        EXPECT_EQ(got, expected) << script;
    }
    Tcl_DeleteInterp(interp);
    std::filesystem::remove_all(dir);
}

} // namespace
