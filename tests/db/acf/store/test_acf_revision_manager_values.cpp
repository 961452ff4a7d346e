// The revision manager's value reads, sets and texts over stores that hand out
// stand-in assignments: what reaches the store, and what comes back when
// nothing is found.
#include "acf_revision_manager.h"

#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager_test_support.h"
#include "acf_storage_test_project.h"
#include "suite/general/gen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

TEST(AcfRevisionManagerOverNullStore, ReadsAnswerTheCallersValuesAndSetsMakeNothing) {
    ACF_REVISION_MANAGER facade;
    ACF_MGR_INPUT_PARAMETERS record;
    char const* caller_value = "caller value";
    struct Case {
        char const* operation;
        std::function<std::string()> run;
        std::string expected;
    } const cases[] = {
        {"get_global_assignment", [&] { return text(facade.get_global_assignment(&record)); },
         "caller value"},
        {"get_instance_assignment",
         [&] {
             record.set_to("top|a");
             return text(facade.get_instance_assignment(&record));
         },
         "caller value"},
        {"get_global_int_assignment",
         [&] { return std::to_string(facade.get_global_int_assignment(&record)); }, "0"},
        {"set_global_assignment",
         [&] { return std::to_string(facade.set_global_assignment(&record) == nullptr); }, "1"},
        {"set_freeform_assignment",
         [&] {
             ACF_MGR_INPUT_PARAMETERS freeform;
             freeform.set_variable_string("MY_NOTE");
             return std::to_string(facade.set_freeform_assignment(&freeform) == nullptr);
         },
         "1"},
    };
    for (Case const& c : cases) {
        record.reset();
        record.set_variable_type(FAMILY);
        record.set_value_string(caller_value);
        EXPECT_EQ(c.run(), c.expected) << c.operation;
    }
}

TEST_F(AcfRevisionManager, NullRecordsOfReadsSetsAndCommandsAreInternalErrors) {
    struct Case {
        char const* name;
        std::function<void()> run;
        char const* condition;
    } const cases[] = {
        {"get_freeform_assignment", [&] { facade.get_freeform_assignment(nullptr); },
         "input_parameters != NULL"},
        {"get_int_assignment", [&] { facade.get_int_assignment(nullptr); },
         "input_parameters != NULL"},
        {"set_assignment", [&] { facade.set_assignment(nullptr); }, "input_parameters != NULL"},
        {"set_global_double_assignment", [&] { facade.set_global_double_assignment(nullptr); },
         "input_parameters != NULL"},
        {"get_tcl_set_command",
         [&] {
             std::string out;
             facade.get_tcl_set_command(nullptr, out);
         },
         "input_params != NULL"},
    };
    for (Case const& c : cases) {
        INTERNAL_ERRORS errors;
        store.calls.clear();
        c.run();
        EXPECT_EQ(errors.conditions, std::vector<std::string>{c.condition}) << c.name;
        EXPECT_TRUE(store.calls.empty()) << c.name;
    }
}

TEST_F(AcfRevisionManager, FreeformOperationsWorkInTheRecordsFileCategory) {
    ASSERT_TRUE(facade.write_lock(true));
    store.file_category_filter = ACF_FILE_CATEGORY_ENUM(3);
    record.set_variable_string("MY_NOTE");
    record.set_file_category(ACF_FILE_CATEGORY_ENUM(7));
    for (auto operation : {&ACF_REVISION_MANAGER::get_freeform_assignment_ptr,
                           &ACF_REVISION_MANAGER::set_freeform_assignment}) {
        store.file_category_at_last_query = ACF_FILE_CATEGORY_ENUM(0);
        (facade.*operation)(&record);
        EXPECT_EQ(store.file_category_at_last_query, ACF_FILE_CATEGORY_ENUM(7));
        EXPECT_EQ(store.file_category_filter, ACF_FILE_CATEGORY_ENUM(3));
    }
    // Global lookups leave the filter as the caller set it.
    record.set_variable_type(FAMILY);
    facade.get_global_assignment_ptr(&record);
    EXPECT_EQ(store.file_category_at_last_query, ACF_FILE_CATEGORY_ENUM(3));
}

TEST_F(AcfRevisionManager, TypedReadsFallBackToTheRecordsOwnValues) {
    record.set_variable_type(FAMILY);
    record.set_value_int(12);
    record.set_value_double(1.5);
    record.set_value_bool(true);
    record.set_value_enum(ACF_ENUM_VALUE_ENUM(4));
    EXPECT_EQ(facade.get_global_int_assignment(&record), 12);
    EXPECT_EQ(facade.get_instance_double_assignment(&record), 1.5);
    EXPECT_TRUE(facade.get_bool_assignment(&record));
    EXPECT_EQ(facade.get_enum_assignment(&record), ACF_ENUM_VALUE_ENUM(4));
    // A value text given by the caller answers when nothing is found.
    record.set_value_string("40");
    EXPECT_EQ(facade.get_global_int_assignment(&record), 40);
    record.set_value_string("ON");
    EXPECT_TRUE(facade.get_global_bool_assignment(&record));
    record.set_value_string("yes");
    EXPECT_FALSE(facade.get_global_bool_assignment(&record));
    record.set_value_string("2.25");
    EXPECT_EQ(facade.get_global_double_assignment(&record), 2.25);
}

TEST_F(AcfRevisionManager, SetsHandTheStoreTheRecordAndRecordTheChanged) {
    ASSERT_TRUE(facade.write_lock(true));
    store.calls.clear();
    store.set_reports_changed = {FIRST, SECOND};
    record.set_variable_string("FAMILY");
    record.set_value_string("Vorelon");
    EXPECT_EQ(facade.set_global_assignment(&record), nullptr);
    EXPECT_EQ(record.get_variable_type(), FAMILY);
    EXPECT_EQ(store.changed_list, (ACF_REVISION_MANAGER::ASSIGNMENT_LIST{FIRST, SECOND}));
    EXPECT_STREQ(store.last_query->get_value_string(), "Vorelon");

    struct Case {
        ACF_VARIABLE_TYPE_ENUM type;
        char const* variable_string;
        char const* to;
        std::function<ACF_ASSIGNMENT*(ACF_REVISION_MANAGER&, ACF_MGR_INPUT_PARAMETERS*)> set;
        bool asks_the_store;
    } const cases[] = {
        {FAMILY, nullptr, "top|a", &ACF_REVISION_MANAGER::set_instance_assignment,
         true},
        {ACF_VARIABLE_TYPE_NONE, "MY_NOTE", nullptr, &ACF_REVISION_MANAGER::set_freeform_assignment,
         true},
        {FAMILY, nullptr, nullptr, &ACF_REVISION_MANAGER::set_assignment,
         true},
        {FAMILY, nullptr, "top|a", &ACF_REVISION_MANAGER::set_assignment,
         true},
        {ACF_VARIABLE_TYPE_NONE, "MY_NOTE", nullptr, &ACF_REVISION_MANAGER::set_assignment,
         true},
        {ACF_VARIABLE_TYPE_NONE, "NO_SUCH_VARIABLE", nullptr,
         &ACF_REVISION_MANAGER::set_global_assignment, false},
        {ACF_VARIABLE_TYPE_NONE, nullptr, nullptr, &ACF_REVISION_MANAGER::set_freeform_assignment,
         false},
    };
    store.set_reports_changed.clear();
    for (Case const& c : cases) {
        store.calls.clear();
        record.reset();
        record.set_variable_type(c.type);
        record.set_variable_string(c.variable_string);
        record.set_to(c.to);
        c.set(facade, &record);
        EXPECT_EQ(store.calls.size(), c.asks_the_store ? 2u : 0u)
            << text(c.variable_string) << " to " << text(c.to);
    }
}

TEST_F(AcfRevisionManager, TypedSetsWriteTheValueTextForTheCallOnly) {
    ASSERT_TRUE(facade.write_lock(true));
    struct Case {
        char const* name;
        std::function<void(ACF_MGR_INPUT_PARAMETERS&)> fill;
        std::function<ACF_ASSIGNMENT*(ACF_REVISION_MANAGER&, ACF_MGR_INPUT_PARAMETERS*)> set;
        char const* handed_text;
    } const cases[] = {
        {"int 42", [](auto& r) { r.set_value_int(42); },
         &ACF_REVISION_MANAGER::set_global_int_assignment, "42"},
        {"negative int", [](auto& r) { r.set_value_int(-3); },
         &ACF_REVISION_MANAGER::set_int_assignment, "-3"},
        {"bool on", [](auto& r) { r.set_value_bool(true); },
         &ACF_REVISION_MANAGER::set_global_bool_assignment, "on"},
        {"bool off", [](auto& r) { r.set_value_bool(false); },
         &ACF_REVISION_MANAGER::set_instance_bool_assignment, "off"},
        {"double", [](auto& r) { r.set_value_double(2.5); },
         &ACF_REVISION_MANAGER::set_double_assignment, "2.500000"},
        {"enum", [](auto& r) { r.set_value_enum(ACF_ENUM_VALUE_BASE); },
         &ACF_REVISION_MANAGER::set_global_enum_assignment, "Base"},
        {"enum without a text", [](auto& r) { r.set_value_enum(ACF_ENUM_VALUE_NONE); },
         &ACF_REVISION_MANAGER::set_enum_assignment, nullptr},
    };
    for (Case const& c : cases) {
        record.reset();
        record.set_variable_type(FAMILY);
        record.set_to("top|a");
        record.set_value_string("left by the caller");
        c.fill(record);
        c.set(facade, &record);
        ASSERT_NE(store.last_query, nullptr) << c.name;
        EXPECT_STREQ(store.last_query->get_value_string(), c.handed_text) << c.name;
        EXPECT_EQ(record.get_value_string(), nullptr) << c.name;
    }
}

TEST(AcfVersionString, IsTheSuitesVersionWithoutAServicePack) {
    EXPECT_EQ(acf_get_version_string(), gen_get_version());
}

TEST(AcfRevisionManagerOverAProject, SetsChangeTheAssignmentOfTheKindTheRecordNames) {
    using SET = ACF_ASSIGNMENT* (ACF_REVISION_MANAGER::*)(ACF_MGR_INPUT_PARAMETERS*);
    struct Case {
        char const* name;
        SET set;
        char const* variable;
        char const* to;
        char const* line; // in the settings file after the commit
    } const cases[] = {
        {"global", &ACF_REVISION_MANAGER::set_global_assignment, "TPD_REQUIREMENT", nullptr,
         "set_global_assignment -name TPD_REQUIREMENT \"9 ns\""},
        {"instance", &ACF_REVISION_MANAGER::set_instance_assignment, "TPD_REQUIREMENT", "a",
         "set_instance_assignment -name TPD_REQUIREMENT \"9 ns\" -to a"},
        {"freeform", &ACF_REVISION_MANAGER::set_freeform_assignment, "NOTE", "a",
         "set_parameter -name NOTE \"9 ns\" -to a"},
        {"by the record, no target", &ACF_REVISION_MANAGER::set_assignment, "TPD_REQUIREMENT",
         nullptr, "set_global_assignment -name TPD_REQUIREMENT \"9 ns\""},
        {"by the record, a target", &ACF_REVISION_MANAGER::set_assignment, "TPD_REQUIREMENT", "a",
         "set_instance_assignment -name TPD_REQUIREMENT \"9 ns\" -to a"},
    };
    for (Case const& c : cases) {
        ACF_STORAGE_TEST_PROJECT project("set_global_assignment -name SMART_RECOMPILE ON\n");
        ACF_REVISION_MANAGER& manager = project.manager();
        ASSERT_TRUE(manager.write_lock(true));
        ACF_MGR_INPUT_PARAMETERS record;
        record.set_variable_string(c.variable);
        record.set_to(c.to);
        record.set_entity_name(c.to != nullptr ? "top" : nullptr);
        record.set_value_string("9 ns");
        ACF_ASSIGNMENT* set = (manager.*c.set)(&record);
        ASSERT_NE(set, nullptr) << c.name;
        ACF_MANAGER_STORAGE& storage = project.storage();
        EXPECT_EQ(std::count(storage.get_change_list_begin_iter(),
                             storage.get_change_list_end_iter(), set),
                  1)
            << c.name;
        EXPECT_TRUE(storage.write_files_to_disk(true, true)) << c.name;
        manager.write_unlock(false);
        std::string const settings = acf_test_read(project.tsf());
        EXPECT_NE(settings.find(std::string(c.line) + "\n"), std::string::npos)
            << c.name << "\n" << settings;
    }
}

} // namespace
