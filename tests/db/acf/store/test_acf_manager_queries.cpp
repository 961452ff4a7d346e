// The project manager's guarded queries, reading other settings files, the
// change detection of the settings file, and the bulk removals, over real
// projects in a temporary directory.
#include "acf_manager_test_project.h"

#include "acf_assignment.h"
#include "acf_revision_manager_test_support.h"

#include "suite/general/gen.h"

#include <algorithm>
#include <functional>

namespace {

using NAMES = ACF_MANAGER::STRING_LIST;

std::string const CURRENT = acf_test_current_version_line();

using ManagerQueries = AcfManagerProject;

// Lists that a lock guards: nothing without a lock, the store's answer under a
// read or the write lock.
TEST_F(ManagerQueries, ListsNeedAReadOrWriteLock) {
    acf_test_write(dir.file("extra.tcl"), "set_global_assignment -name SMART_RECOMPILE On\n");
    write_project("chip",
                  {{"chip", CURRENT + "source " + dir.file("extra.tcl") +
                                "\n"
                                "set_global_assignment -name XR_ROUGH On -section_id region1 "
                                "-width 10 -height 5\n"
                                "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to "
                                "led0 -entity sub\n"}});
    ASSERT_EQ(open("chip"), 0);

    struct CASE {
        char const* name;
        std::function<bool(NAMES*)> query;
        NAMES expected;
    };
    std::vector<CASE> const cases = {
        {"entities",
         [&](NAMES* out) { return manager->get_list_of_current_entities(out); },
         {"sub"}},
        {"include files",
         [&](NAMES* out) { return manager->get_list_of_include_files(out); },
         {dir.file("extra.tcl")}},
        {"section identifiers",
         [&](NAMES* out) {
             return manager->get_list_of_section_identifiers(
                 ACF_CATEGORY_SECTION_TYPE_BRACKFIELD_REGION, out, "");
         },
         {"region1"}},
        {"section existence",
         [&](NAMES*) {
             return manager->check_if_assignments_exist_for_section(
                 ACF_CATEGORY_SECTION_TYPE_BRACKFIELD_REGION, "region1");
         },
         {}},
    };
    for (CASE const& c : cases) {
        NAMES out;
        EXPECT_FALSE(c.query(&out)) << c.name << " without a lock";
        EXPECT_TRUE(out.empty()) << c.name;
        ASSERT_TRUE(manager->read_lock());
        EXPECT_TRUE(c.query(&out)) << c.name << " under a read lock";
        manager->read_unlock();
        if (!c.expected.empty()) {
            EXPECT_EQ(out, c.expected) << c.name;
        }
        out.clear();
        ASSERT_TRUE(manager->write_lock(false));
        EXPECT_TRUE(c.query(&out)) << c.name << " under the write lock";
        manager->write_unlock(false);
    }
}

// A null list or record is the caller's broken invariant: it is reported and
// the query answers nothing.
TEST_F(ManagerQueries, NullArgumentsAreInternalErrors) {
    write_project("chip", {{"chip", CURRENT}});
    ASSERT_EQ(open("chip"), 0);
    ASSERT_TRUE(manager->read_lock());
    struct CASE {
        char const* condition;
        std::function<bool()> query;
    };
    std::vector<CASE> const cases = {
        {"input_parameters != NULL", [&] { return manager->is_legal_assignment(nullptr); }},
        {"entity_list != NULL", [&] { return manager->get_list_of_current_entities(nullptr); }},
        {"include_files != NULL", [&] { return manager->get_list_of_include_files(nullptr); }},
        {"section_identifiers_list != NULL",
         [&] {
             return manager->get_list_of_section_identifiers(
                 ACF_CATEGORY_SECTION_TYPE_BRACKFIELD_REGION, nullptr, "");
         }},
        {"file_name != NULL",
         [&] { return manager->read_assignment_setting_file(nullptr, nullptr, true) != nullptr; }},
    };
    for (CASE const& c : cases) {
        INTERNAL_ERRORS errors;
        EXPECT_FALSE(c.query()) << c.condition;
        EXPECT_EQ(errors.conditions, std::vector<std::string>{c.condition});
    }
    manager->read_unlock();
}

// The kind of legality asked follows the record: freeform for variable type 0,
// global without a target, instance with one.
TEST_F(ManagerQueries, LegalityFollowsTheKindOfTheRecord) {
    write_project("chip", {{"chip", CURRENT}});
    ASSERT_EQ(open("chip"), 0);
    ASSERT_TRUE(manager->write_lock(false));
    struct CASE {
        char const* variable;
        char const* to;
        bool legal;
    } const cases[] = {
        {"SMART_RECOMPILE", nullptr, true}, {"SMART_RECOMPILE", "led0", false},
        {"IO_STANDARD", "led0", true},      {"IO_STANDARD", nullptr, false},
        {"MY_OWN_SETTING", nullptr, true}, // freeform
    };
    for (CASE const& c : cases) {
        ACF_MGR_INPUT_PARAMETERS params;
        params.set_variable_type(acf_user_name_to_variable_type_enum(c.variable));
        params.set_variable_string(c.variable);
        params.set_value_string("On");
        params.set_to(c.to);
        EXPECT_EQ(manager->is_legal_assignment(&params), c.legal)
            << c.variable << " to " << (c.to ? c.to : "none") << " status "
            << manager->get_last_error_status();
    }
    manager->write_unlock(false);
}

TEST(ManagerFileCategoryInfo, DisplayTextsOfTheCatalogue) {
    struct CASE {
        int category;
        int info;
        char const* expected;
    } const cases[] = {
        {0, 0, acf_file_category_semantics[0].display_text},
        {0, 1, acf_file_category_semantics[0].second_display_text},
        {20, 0, acf_file_category_semantics[20].display_text},
        {0, 2, nullptr},
        {0, -1, nullptr},
        {ACF_FILE_CATEGORY_NONE, 0, nullptr},
        {ACF_FILE_CATEGORY_NONE + 1, 0, nullptr},
        {-1, 0, nullptr},
    };
    for (CASE const& c : cases) {
        auto category = static_cast<ACF_FILE_CATEGORY_ENUM>(c.category);
        auto info = static_cast<FILE_CATEGORY_INFO>(c.info);
        EXPECT_STREQ(ACF_MANAGER::get_file_category_info(category, info), c.expected)
            << c.category << "/" << c.info;
        EXPECT_STREQ(acf_get_file_category_info(category, info), c.expected);
    }
    EXPECT_STREQ(ACF_MANAGER::get_assignment_defaults_file_name(), "assignment_defaults.tdf");
}

// The category traits of what changed since the last commit.
TEST_F(ManagerQueries, CategoryTraitOfChangedAssignments) {
    write_project("chip", {{"chip", CURRENT}});
    ASSERT_EQ(open("chip"), 0);
    ASSERT_TRUE(manager->write_lock(false));
    EXPECT_FALSE(manager->test_category_trait_on_changed_assignments(
        ACF_CATEGORY_TRAIT_TYPE_COMPILER_SETTINGS_FILE));
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_string("SMART_RECOMPILE");
    params.set_value_string("On");
    ACF_ASSIGNMENT* set = manager->set_global_assignment(&params);
    ASSERT_NE(set, nullptr);
    for (int trait = ACF_CATEGORY_TRAIT_TYPE_GENERIC; trait < ACF_CATEGORY_TRAIT_TYPE_MAX;
         ++trait) {
        auto category_trait = static_cast<ACF_CATEGORY_TRAIT_TYPE_ENUM>(trait);
        EXPECT_EQ(manager->test_category_trait_on_changed_assignments(category_trait),
                  set->test_category_trait_of(category_trait))
            << trait;
    }
    manager->write_unlock(true); // the broadcast empties the changed list
    ASSERT_TRUE(manager->write_lock(false));
    for (int trait = ACF_CATEGORY_TRAIT_TYPE_GENERIC; trait < ACF_CATEGORY_TRAIT_TYPE_MAX;
         ++trait) {
        EXPECT_FALSE(manager->test_category_trait_on_changed_assignments(
            static_cast<ACF_CATEGORY_TRAIT_TYPE_ENUM>(trait)));
    }
    manager->write_unlock(false);
}

// ---------------------------------------------------------------------------
// Bulk removals
// ---------------------------------------------------------------------------

std::string const REMOVAL_REVISION =
    CURRENT + "set_global_assignment -name VHDL_FILE a.vhd -library work\n"
              "set_global_assignment -name VHDL_FILE b.vhd -library Work\n"
              "set_global_assignment -name VHDL_FILE c.vhd\n"
              "set_global_assignment -name VHDL_FILE d.vhd -hdl_version VHDL_2008\n"
              "set_global_assignment -name XR_ROUGH On -section_id region1 -width 10 -height 5\n"
              "set_global_assignment -name XR_ROUGH Off -section_id Region2 -width 12 -height 5\n"
              "set_instance_assignment -name XR_MEMBER_OF On -to led0 -section_id Region1 "
              "-entity sub\n"
              "set_instance_assignment -name XR_MEMBER_OF On -to led1 -section_id region1 "
              "-entity other\n";

TEST_F(ManagerQueries, RemovalsByArgumentAndBySection) {
    struct CASE {
        char const* name;
        std::function<int()> remove;
        std::vector<char const*> gone; // values or sections whose lines are removed
    };
    std::vector<CASE> const cases = {
        {"library work, case-sensitive",
         [&] {
             return manager->remove_all_assignments_with_argument(ACF_ARGUMENT_TYPE_LIBRARY,
                                                                  "work");
         },
         {"a.vhd"}},
        {"library, any value (empty)",
         [&] {
             return manager->remove_all_assignments_with_argument(ACF_ARGUMENT_TYPE_LIBRARY, "");
         },
         {"a.vhd", "b.vhd"}},
        {"library, any value (null)",
         [&] {
             return manager->remove_all_assignments_with_argument(ACF_ARGUMENT_TYPE_LIBRARY,
                                                                  nullptr);
         },
         {"a.vhd", "b.vhd"}},
        {"hdl version of another case",
         [&] {
             return manager->remove_all_assignments_with_argument(ACF_ARGUMENT_TYPE_HDL_VERSION,
                                                                  "vhdl_2008");
         },
         {}},
        {"height 5",
         [&] {
             return manager->remove_all_assignments_with_argument(ACF_ARGUMENT_TYPE_HEIGHT, "5");
         },
         {"region1 -width", "Region2 -width"}},
        {"no argument",
         [&] { return manager->remove_all_assignments_with_argument(ACF_ARGUMENT_TYPE_NONE, ""); },
         {}},
        {"section region1, ignoring case",
         [&] { return manager->remove_all_assignments_in_section("REGION1", nullptr); },
         {"region1 -width", "led0", "led1"}},
        {"section region1 of entity sub",
         [&] { return manager->remove_all_assignments_in_section("region1", "sub"); },
         {"led0"}},
        {"section region1 of entity Sub (case-sensitive)",
         [&] { return manager->remove_all_assignments_in_section("region1", "Sub"); },
         {}},
        {"empty section",
         [&] { return manager->remove_all_assignments_in_section("", nullptr); },
         {}},
    };
    for (CASE const& c : cases) {
        write_project("chip", {{"chip", REMOVAL_REVISION}});
        ASSERT_EQ(open("chip"), 0) << c.name;
        // Nothing is removed without the write lock.
        ASSERT_TRUE(manager->read_lock());
        EXPECT_EQ(c.remove(), 0) << c.name;
        manager->read_unlock();

        ASSERT_TRUE(manager->write_lock(false));
        EXPECT_EQ(c.remove(), static_cast<int>(c.gone.size())) << c.name;
        EXPECT_EQ(manager->is_modified(), !c.gone.empty()) << c.name;
        EXPECT_TRUE(manager->commit_files_to_disk(false, true));
        manager->write_unlock(false);

        std::string text = acf_test_read(dir.file("chip.tsf"));
        size_t lines = std::count(REMOVAL_REVISION.begin(), REMOVAL_REVISION.end(), '\n');
        EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')),
                  lines - c.gone.size())
            << c.name << "\n"
            << text;
        for (char const* gone : c.gone) {
            EXPECT_EQ(text.find(gone), std::string::npos) << c.name << ": " << gone;
        }
        manager->close_project(false);
        manager->free_cached_storage();
    }
}

// ---------------------------------------------------------------------------
// Other settings files and the revision's own file on disk
// ---------------------------------------------------------------------------

TEST_F(ManagerQueries, ReadingAnotherSettingsFile) {
    write_project("chip", {{"chip", CURRENT}});
    acf_test_write(dir.file("other.tsf"), "set_global_assignment -name SMART_RECOMPILE On\n"
                                          "set_global_assignment -name VHDL_FILE a.vhd\n"
                                          "set_global_assignment -name VHDL_FILE b.vhd\n");
    ASSERT_EQ(open("chip"), 0);

    EXPECT_EQ(manager->read_assignment_setting_file("other.tsf", nullptr, true), nullptr);
    EXPECT_EQ(manager->read_assignment_setting_file(dir.file("missing.tsf").c_str(), nullptr, true),
              nullptr);

    // The file is read under the write lock.
    ASSERT_TRUE(manager->read_lock());
    EXPECT_EQ(manager->read_assignment_setting_file(dir.file("other.tsf").c_str(), nullptr, true),
              nullptr);
    manager->read_unlock();
    ASSERT_TRUE(manager->write_lock(false));
    std::list<ACF_VARIABLE_TYPE_ENUM> only_files = {
        acf_user_name_to_variable_type_enum("VHDL_FILE")};
    ACF_MANAGER::ASSIGNMENT_LIST* read =
        manager->read_assignment_setting_file(dir.file("other.tsf").c_str(), &only_files, true);
    ASSERT_NE(read, nullptr);
    std::vector<std::string> values;
    for (ACF_ASSIGNMENT* asgn : *read) {
        values.push_back(asgn->get_actual_value());
    }
    EXPECT_EQ(values, (std::vector<std::string>{"a.vhd", "b.vhd"}));

    // The revision itself did not take them.
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_string("VHDL_FILE");
    EXPECT_EQ(manager->get_global_assignment_ptr(&params), nullptr);

    manager->clear_read_assignment_collection();
    EXPECT_TRUE(read->empty());
    EXPECT_TRUE(manager->commit_files_to_disk(false, true));
    manager->write_unlock(false);
    EXPECT_EQ(acf_test_read(dir.file("chip.tsf")), CURRENT);
}

TEST_F(ManagerQueries, SettingsFileChangedOnDiskIsNoticedInAUserInterfaceProcess) {
    write_project("chip", {{"chip", CURRENT}});
    gen_set_is_ui_process(true);
    ACF_MANAGER ui_manager;
    gen_set_is_ui_process(false);
    ASSERT_EQ(
        ui_manager.open_project(dir.path().c_str(), "chip", "", false, false, false, false, false),
        0);
    ASSERT_EQ(open("chip"), 0);

    EXPECT_FALSE(ui_manager.has_any_settings_file_changed_since_last_read(true, true));
    int edits = 0;
    auto edit_on_disk = [&](std::string const& text) {
        acf_test_write(dir.file("chip.tsf"), text);
        // A later modification time than the one read, whatever the clock's grain.
        std::filesystem::last_write_time(dir.file("chip.tsf"),
                                         std::filesystem::file_time_type::clock::now() +
                                             std::chrono::seconds(5 * ++edits));
    };
    edit_on_disk(CURRENT + "set_global_assignment -name SMART_RECOMPILE On\n");
    // Only a user-interface process without a lock held asks.
    EXPECT_FALSE(manager->has_any_settings_file_changed_since_last_read(true, true));
    ASSERT_TRUE(ui_manager.read_lock_and_post_no_messages()); // reads the edit
    edit_on_disk(CURRENT + "set_global_assignment -name SMART_RECOMPILE Off\n");
    EXPECT_FALSE(ui_manager.has_any_settings_file_changed_since_last_read(true, true));
    ui_manager.read_unlock();

    // Without reloading, the change is told again.
    msg_log_clear();
    EXPECT_TRUE(ui_manager.has_any_settings_file_changed_since_last_read(true, false));
    ASSERT_EQ(msg_log_entries().size(), 1u);
    EXPECT_EQ(msg_log_entries()[0].id, 125082u);
    msg_log_clear();
    EXPECT_TRUE(ui_manager.has_any_settings_file_changed_since_last_read(false, true));
    EXPECT_TRUE(msg_log_entries().empty());
    // The reload read the new content.
    EXPECT_FALSE(ui_manager.has_any_settings_file_changed_since_last_read(true, true));
    ASSERT_TRUE(ui_manager.read_lock());
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_string("SMART_RECOMPILE");
    EXPECT_STREQ(ui_manager.get_global_assignment(&params), "OFF");
    ui_manager.read_unlock();
    ui_manager.close_project(false);
}

TEST_F(ManagerQueries, WritingByFileCategory) {
    write_project("chip", {{"chip", CURRENT + "set_global_assignment -name SMART_RECOMPILE On\n"
                                              "set_instance_assignment -name IO_STANDARD \"2.5 "
                                              "V\" -to led0\n"}});
    EXPECT_FALSE(manager->write_revision_file_using_file_category_model()); // no project
    ASSERT_EQ(open("chip"), 0);
    ASSERT_TRUE(manager->read_lock());
    EXPECT_FALSE(manager->write_revision_file_using_file_category_model());
    manager->read_unlock();
    ASSERT_TRUE(manager->write_lock(false));
    EXPECT_FALSE(manager->write_revision_file_using_file_category_model());
    manager->write_unlock(false);

    EXPECT_TRUE(manager->write_revision_file_using_file_category_model());
    EXPECT_FALSE(manager->is_write_locked());
    std::string text = acf_test_read(dir.file("chip.tsf"));
    EXPECT_NE(
        text.find(std::string("# ") +
                  ACF_MANAGER::get_file_category_info(
                      acf_get_file_category(acf_user_name_to_variable_type_enum("IO_STANDARD")),
                      FILE_CATEGORY_INFO_DISPLAY_TEXT)),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("set_global_assignment -name SMART_RECOMPILE ON"), std::string::npos);
}

} // namespace
