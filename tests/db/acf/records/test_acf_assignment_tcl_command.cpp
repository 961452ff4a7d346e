// The settings-file command line of an assignment: command names, option order,
// escaping and quoting, and the entity left out when it is the top-level one.
#include "acf_assignment.h"
#include "acf_test_storage.h"
#include "records/acf_assignment_factory.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using RECORD = std::unique_ptr<ACF_ASSIGNMENT>;

class ACF_TCL_COMMAND_TEST : public ::testing::Test {
protected:
    RECORD make(ACF_VARIABLE_TYPE_ENUM type, char const* to, char const* value,
                char const* comment = nullptr, bool ignored = false, char const* from = nullptr,
                char const* freeform_name = nullptr) {
        return RECORD(
            factory.create_assignment(type, freeform_name, from, to, value, comment, ignored));
    }
    std::string line_of(ACF_ASSIGNMENT const& asgn, char const* top_entity) {
        std::string line = "stale text";
        asgn.get_variable_tcl_set_command(&line, top_entity);
        return line;
    }

    ACF_TEST_STORAGE storage;
    ACF_ASSIGNMENT_FACTORY factory{&storage};
};

TEST_F(ACF_TCL_COMMAND_TEST, RendersEachRecordAsItsCommandLine) {
    struct CASE {
        char const* what;
        std::function<RECORD()> record;
        char const* line;
    } const cases[] = {
        {"global file", [&] { return make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, "top.vhd"); },
         "set_global_assignment -name VHDL_FILE top.vhd"},
        {"instance value with a blank",
         [&] { return make(ACF_VARIABLE_TYPE_IO_STANDARD, "led0", "2.5 V"); },
         "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to led0"},
        {"location has its own command",
         [&] { return make(ACF_VARIABLE_TYPE_LOCATION, "led0", "pin_a3"); },
         "set_location_assignment PIN_A3 -to led0"},
        {"disabled with a comment",
         [&] { return make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, "old.vhd", "old top", true); },
         "set_global_assignment -name VHDL_FILE old.vhd -disable -comment \"old top\""},
        {"library argument after the value",
         [&] {
             RECORD asgn = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, "top.vhd");
             asgn->add_argument(ACF_ARGUMENT_TYPE_LIBRARY, "work");
             return asgn;
         },
         "set_global_assignment -name VHDL_FILE top.vhd -library work"},
        {"entity other than the top level",
         [&] {
             RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, "led0", "2.5 V");
             asgn->set_entity_name("sub");
             return asgn;
         },
         "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to led0 -entity sub"},
        {"entity equal to the top level",
         [&] {
             RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, "led0", "2.5 V");
             asgn->set_entity_name("top");
             return asgn;
         },
         "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to led0"},
        {"parameter by its freeform name",
         [&] {
             return make(ACF_VARIABLE_TYPE_PARAMETER, "u1", "8", nullptr, false, nullptr, "DEPTH");
         },
         "set_parameter -name DEPTH 8 -to u1"},
        {"freeform assignment",
         [&] {
             return make(ACF_VARIABLE_TYPE_NONE, "u1", "Fast", nullptr, false, nullptr, "MY MODE");
         },
         "set_parameter -name \"MY MODE\" Fast -to u1"},
        {"source and target",
         [&] { return make(ACF_VARIABLE_TYPE_MULTICYCLE, "|r2", "2", nullptr, false, "|r1"); },
         "set_instance_assignment -name MULTICYCLE 2 -from r1 -to r2"},
        {"quote and backslash escaped inside quotes",
         [&] { return make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, "a \"b\"\\c.vhd"); },
         "set_global_assignment -name VHDL_FILE \"a \\\"b\\\"\\\\c.vhd\""},
        {"dollar and brace escaped, quoted for the brace",
         [&] { return make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, "$dir/{x}.vhd"); },
         "set_global_assignment -name VHDL_FILE \"\\$dir/\\{x\\}.vhd\""},
        {"disabled before removed, both before the comment",
         [&] {
             RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, "led0", "1.8 V", "gone", true);
             asgn->set_remove_status(true);
             return asgn;
         },
         "set_instance_assignment -name IO_STANDARD \"1.8 V\" -to led0 -disable -remove "
         "-comment gone"},
        {"no value", [&] { return make(ACF_VARIABLE_TYPE_IO_STANDARD, "led0", nullptr); },
         "set_instance_assignment -name IO_STANDARD -to led0"},
        {"region size before the section, library after the comment",
         [&] {
             RECORD asgn = make(ACF_VARIABLE_TYPE_XR_ROUGH, nullptr, "On", "why");
             asgn->set_section_identifier("region1");
             asgn->add_argument(ACF_ARGUMENT_TYPE_LIBRARY, "lib");
             asgn->add_argument(ACF_ARGUMENT_TYPE_HEIGHT, "5");
             asgn->add_argument(ACF_ARGUMENT_TYPE_WIDTH, "10");
             return asgn;
         },
         "set_global_assignment -name XR_ROUGH On -width 10 -height 5 -section_id region1 "
         "-comment why -library lib"},
        {"edge flag bare, IP file after the comment",
         [&] {
             RECORD asgn = make(ACF_VARIABLE_TYPE_INPUT_MAX_DELAY, "din", "2 ns", "slow");
             asgn->add_argument(ACF_ARGUMENT_TYPE_TIP, "ip/core.tip");
             asgn->add_argument(ACF_ARGUMENT_TYPE_RISE, nullptr);
             return asgn;
         },
         "set_instance_assignment -name INPUT_MAX_DELAY \"2 ns\" -to din -rise -comment slow "
         "-tip ip/core.tip"},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(line_of(*c.record(), "top"), c.line) << c.what;
    }
}

TEST_F(ACF_TCL_COMMAND_TEST, NullTopEntityMeansTheStoresTopLevelEntity) {
    RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, "led0", "2.5 V");
    asgn->set_entity_name("chip");
    storage.top_level_entity_name = "chip";
    EXPECT_EQ(line_of(*asgn, nullptr),
              "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to led0");
    storage.top_level_entity_name = "";
    EXPECT_EQ(line_of(*asgn, nullptr),
              "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to led0 -entity chip");
    // The comparison is case-sensitive.
    EXPECT_EQ(line_of(*asgn, "Chip"),
              "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to led0 -entity chip");
}

TEST_F(ACF_TCL_COMMAND_TEST, OptionHelpersAppendWords) {
    RECORD asgn = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, "top.vhd");
    std::string line = "cmd";
    std::string const value = "two words";
    asgn->add_option_and_value_to_tcl_command(&line, "-comment", value.c_str());
    asgn->add_option_and_value_to_tcl_command(&line, "-disable", nullptr);
    EXPECT_EQ(line, "cmd -comment \"two words\" -disable");
    asgn->add_argument_to_tcl_command(&line, ACF_ARGUMENT_TYPE_LIBRARY);
    EXPECT_EQ(line, "cmd -comment \"two words\" -disable");
}

} // namespace
