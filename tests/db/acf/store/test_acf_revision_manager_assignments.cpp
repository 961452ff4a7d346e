// The revision manager with real assignment records handed out by a store
// without files: value texts, what a set does to the assignment, and the Tcl
// command of a query.
#include "acf_revision_manager.h"

#include "acf_assignment.h"
#include "acf_mgr_input_parameters.h"
#include "acf_test_storage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class AcfRevisionManagerWithAssignments : public testing::Test {
protected:
    ACF_ASSIGNMENT* make(ACF_VARIABLE_TYPE_ENUM type, char const* value) {
        assignment.reset(
            new ACF_ASSIGNMENT(&store, type, nullptr, nullptr, nullptr, value, nullptr, false));
        return assignment.get();
    }

    ACF_TEST_STORAGE store;
    ACF_REVISION_MANAGER facade{&store};
    ACF_MGR_INPUT_PARAMETERS record;
    std::unique_ptr<ACF_ASSIGNMENT> assignment;
};

TEST_F(AcfRevisionManagerWithAssignments, ReadsAnswerTheFoundAssignmentsValue) {
    struct Case {
        char const* stored;
        int as_int;
        double as_double;
        bool as_bool;
    } const cases[] = {
        {"ON", 0, 0.0, true},
        {"yes", 0, 0.0, false},
        {"42", 42, 42.0, false},
        {"2.5", 2, 2.5, false},
    };
    record.set_variable_type(ACF_VARIABLE_TYPE_ROOT);
    record.set_value_string("caller's default");
    record.set_value_int(7);
    record.set_value_double(7.5);
    record.set_value_bool(true);
    for (Case const& c : cases) {
        ACF_ASSIGNMENT* asgn = make(ACF_VARIABLE_TYPE_ROOT, c.stored);
        store.assignment_answer = asgn;
        EXPECT_EQ(facade.get_global_assignment(&record), asgn->get_value(false)) << c.stored;
        EXPECT_EQ(facade.get_global_int_assignment(&record), c.as_int) << c.stored;
        EXPECT_EQ(facade.get_global_double_assignment(&record), c.as_double) << c.stored;
        EXPECT_EQ(facade.get_global_bool_assignment(&record), c.as_bool) << c.stored;
    }
}

TEST_F(AcfRevisionManagerWithAssignments, IgnoredAssignmentsAnswerTheirDefaultUnlessAllowed) {
    store.defaults[ACF_VARIABLE_TYPE_OPTIMIZE_FAST_CORNER_TIMING] = "Off";
    ACF_ASSIGNMENT* asgn = make(ACF_VARIABLE_TYPE_OPTIMIZE_FAST_CORNER_TIMING, "On");
    asgn->set_ignore_status(true);
    store.assignment_answer = asgn;
    record.set_variable_type(ACF_VARIABLE_TYPE_OPTIMIZE_FAST_CORNER_TIMING);
    ASSERT_TRUE(facade.read_lock());
    EXPECT_STREQ(facade.get_global_assignment(&record), "Off");
    EXPECT_STREQ(facade.get_global_unmodified_assignment(&record), "Off");
    ASSERT_TRUE(store.set_allow_ignored_assignments_filter(true));
    EXPECT_STRCASEEQ(facade.get_global_assignment(&record), "On");
    EXPECT_STRCASEEQ(facade.get_global_unmodified_assignment(&record), "On");
    facade.read_unlock();
}

TEST_F(AcfRevisionManagerWithAssignments, SetAssignmentTakesTheRecordsIgnoreStatusAndComment) {
    ASSERT_TRUE(facade.write_lock(true));
    store.set_answer = make(ACF_VARIABLE_TYPE_ROOT, "core");
    record.set_variable_type(ACF_VARIABLE_TYPE_ROOT);
    record.set_value_string("core");
    record.set_is_ignored(true);
    record.set_comments("kept for the board");
    EXPECT_EQ(facade.set_global_assignment(&record), store.set_answer);
    EXPECT_TRUE(store.set_answer->is_ignored());
    EXPECT_STREQ(store.set_answer->get_comments(), "kept for the board");
    facade.write_unlock(false);
}

TEST_F(AcfRevisionManagerWithAssignments, TclCommandOfARecordLeavesTheStoreAlone) {
    struct Case {
        char const* name;
        char const* from;
        char const* to;
        char const* entity;
        char const* expected;
    } const cases[] = {
        {"global", nullptr, nullptr, nullptr, "set_global_assignment -name TOP_LEVEL_ENTITY core"},
        {"empty source and target", "", "", nullptr,
         "set_global_assignment -name TOP_LEVEL_ENTITY core"},
        {"the top-level entity", nullptr, nullptr, "chip",
         "set_global_assignment -name TOP_LEVEL_ENTITY core"},
        {"another entity", nullptr, "pin", "alu",
         "set_instance_assignment -name TOP_LEVEL_ENTITY core -to pin -entity alu"},
    };
    for (Case const& c : cases) {
        record.reset();
        record.set_variable_type(ACF_VARIABLE_TYPE_ROOT);
        record.set_value_string("core");
        record.set_from(c.from);
        record.set_to(c.to);
        record.set_entity_name(c.entity);
        store.calls.clear();
        std::string command;
        facade.get_tcl_set_command(&record, command);
        EXPECT_EQ(command, c.expected) << c.name;
        EXPECT_TRUE(store.changed_list.empty()) << c.name;
    }
}

TEST_F(AcfRevisionManagerWithAssignments, TclCommandOfLooseFieldsCarriesEveryField) {
    std::string command;
    facade.get_tcl_set_command(ACF_VARIABLE_TYPE_ROOT, nullptr, "", nullptr, "core", nullptr,
                               nullptr, nullptr, false, true, command);
    EXPECT_EQ(command, "set_global_assignment -name TOP_LEVEL_ENTITY core -remove");

    facade.get_tcl_set_command(ACF_VARIABLE_TYPE_REQUIRED_FMAX, nullptr, nullptr, nullptr,
                               "100 MHz", nullptr, "clk", "from the board", true, false, command);
    EXPECT_EQ(command.rfind("set_global_assignment -name REQUIRED_FMAX ", 0), 0u) << command;
    for (char const* option : {" -section_id clk", " -disable", " -comment \"from the board\""}) {
        EXPECT_NE(command.find(option), std::string::npos) << option << " in " << command;
    }
    EXPECT_EQ(command.find("-remove"), std::string::npos) << command;
    EXPECT_TRUE(store.changed_list.empty());
}

} // namespace
