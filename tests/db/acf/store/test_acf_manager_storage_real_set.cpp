#include "acf_storage_test_project.h"
#include "acf_test_messages.h"

#include "suite/general/gen.h"

#include <gtest/gtest.h>

#include <list>

namespace {

// Sets a global or instance assignment through the revision manager's setters.
ACF_ASSIGNMENT* set(ACF_REVISION_MANAGER& manager, char const* name, char const* value,
                    char const* to = nullptr, char const* entity = nullptr) {
    ACF_MGR_INPUT_PARAMETERS p;
    p.set_variable_string(name);
    p.set_value_string(value);
    p.set_to(to);
    p.set_entity_name(entity);
    return to == nullptr ? manager.set_global_assignment(&p) : manager.set_instance_assignment(&p);
}

TEST(RevisionStoreSet, ValuesAreNormalisedOnTheWayIn) {
    ACF_STORAGE_TEST_PROJECT project("");
    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.write_lock(true));
    struct CASE {
        char const* name;
        char const* value;
        char const* to;
        char const* stored;
        bool warned; // INT_VALUE_TRUNCATED or TRUNCATING_TIME_FREQUENCY_VALUE
    } const cases[] = {
        {"MULTICYCLE", "12.000", "r1", "12", false},
        {"MULTICYCLE", "12.5", "r2", "12", true},
        {"TPD_REQUIREMENT", "10", nullptr, "10 ns", false},
        {"TPD_REQUIREMENT", " 7 ", nullptr, "7 ns", false},
        {"TPD_REQUIREMENT", "2.1234567 ns", nullptr, "2.123456 ns", true},
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        ACF_ASSIGNMENT* asgn = set(manager, c.name, c.value, c.to);
        ASSERT_NE(asgn, nullptr) << c.value;
        EXPECT_STREQ(asgn->get_unmodified_value(true), c.stored) << c.value;
        EXPECT_EQ(acf_test_posted(125071) || acf_test_posted(125088), c.warned) << c.value;
    }
    manager.write_unlock(false);
}

TEST(RevisionStoreSet, ChangesNeedTheWriteLockAndRefusalsLeaveTheirStatus) {
    ACF_STORAGE_TEST_PROJECT project("");
    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.read_lock());
    msg_log_clear();
    EXPECT_EQ(set(manager, "SMART_RECOMPILE", "ON"), nullptr);
    EXPECT_EQ(manager.get_last_error_status(), ACF_REVISION_MANAGER::NOT_WRITE_LOCKED);
    EXPECT_TRUE(msg_log_entries().empty());
    manager.read_unlock();

    ASSERT_TRUE(manager.write_lock(true));
    EXPECT_EQ(set(manager, "SMART_RECOMPILE", "perhaps"), nullptr);
    EXPECT_EQ(manager.get_last_error_status(), ACF_REVISION_MANAGER::ILLEGAL_VALUE);
    manager.write_unlock(false);
}

TEST(RevisionStoreSet, AnEqualValueInOtherCaseKeepsTheStoredText) {
    ACF_STORAGE_TEST_PROJECT project("set_global_assignment -name REVISION_TYPE BASE\n");
    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.write_lock(true));
    ACF_ASSIGNMENT* before = set(manager, "REVISION_TYPE", "BASE");
    ACF_ASSIGNMENT* after = set(manager, "REVISION_TYPE", "base");
    EXPECT_EQ(before, after);
    EXPECT_STREQ(after->get_value(false), "BASE");
    manager.write_unlock(false);
}

TEST(RevisionStoreSet, DeviceAndFamilySteerTheProject) {
    ACF_STORAGE_TEST_PROJECT project("");
    ACF_REVISION_MANAGER& manager = project.manager();
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ASSERT_TRUE(manager.write_lock(true));
    ASSERT_NE(set(manager, "DEVICE", "auto"), nullptr);
    EXPECT_EQ(storage.get_project_part_enum(), DEV_PART_GENERIC);
    EXPECT_EQ(storage.get_project_family_enum(), DEV_FAMILY_GENERIC);

    msg_log_clear();
    EXPECT_NE(set(manager, "FAMILY", "No Such Family"), nullptr);
    EXPECT_TRUE(acf_test_posted(125094));
    EXPECT_EQ(storage.get_last_error_status(), ACF_REVISION_MANAGER::INVALID_FAMILY);

    ASSERT_NE(set(manager, "FAMILY", dstr_get_user_string(static_cast<DEV_FAMILY_ENUM>(1))),
              nullptr);
    EXPECT_EQ(storage.get_project_family_enum(), static_cast<DEV_FAMILY_ENUM>(1));

    msg_log_clear();
    EXPECT_NE(set(manager, "DEVICE", "NO_SUCH_PART"), nullptr);
    EXPECT_TRUE(acf_test_posted(125095));
    manager.write_unlock(false);
}

TEST(RevisionStoreSet, LibraryPathsAndOutputDirectoryFollowTheirAssignments) {
    ACF_STORAGE_TEST_PROJECT project("set_global_assignment -name USER_LIBRARIES lib_a\n");
    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.write_lock(true));
    EXPECT_EQ(gen_get_project_library_paths(), (std::vector<std::string>{"lib_a"}));
    set(manager, "PROJECT_OUTPUT_DIRECTORY", "out");
    EXPECT_EQ(gen_get_project_output_directory(), "out");
    EXPECT_EQ(manager.remove_all_global_assignments_of_type(ACF_VARIABLE_TYPE_NONDEFAULT_LIBS), 1);
    EXPECT_TRUE(gen_get_project_library_paths().empty());
    manager.write_unlock(false);

    ACF_STORAGE_TEST_PROJECT without("set_global_assignment -name SMART_RECOMPILE ON\n");
    gen_set_project_library_paths("stale");
    without.read_global("SMART_RECOMPILE");
    EXPECT_TRUE(gen_get_project_library_paths().empty());
}

TEST(RevisionStoreRemove, RemovalsByKindTypeAndInstance) {
    ACF_STORAGE_TEST_PROJECT project("set_global_assignment -name TPD_REQUIREMENT 5ns\n"
                                     "set_instance_assignment -name TPD_REQUIREMENT 6ns -to a\n"
                                     "set_instance_assignment -name MULTICYCLE 2 -to a\n"
                                     "set_instance_assignment -name MULTICYCLE 3 -to b\n"
                                     "set_parameter -name NOTE 1 -to a\n");
    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.write_lock(true));

    // A bare type-only global removal leaves the instance assignment.
    ACF_MGR_INPUT_PARAMETERS global_tpd;
    global_tpd.set_variable_type(ACF_VARIABLE_TYPE_TPD_REQUIREMENT);
    EXPECT_TRUE(manager.remove_global_assignment(&global_tpd));
    EXPECT_EQ(project.global_value("TPD_REQUIREMENT"), nullptr);
    // Instance assignments read without -entity belong to the top-level entity.
    ACF_MGR_INPUT_PARAMETERS instance_tpd;
    instance_tpd.set_variable_type(ACF_VARIABLE_TYPE_TPD_REQUIREMENT);
    instance_tpd.set_to("a");
    instance_tpd.set_entity_name("top");
    EXPECT_NE(manager.get_instance_assignment_ptr(&instance_tpd), nullptr);

    ACF_MGR_INPUT_PARAMETERS note;
    note.set_variable_string("NOTE");
    note.set_to("a");
    note.set_entity_name("top");
    EXPECT_TRUE(manager.remove_freeform_assignment(&note));
    EXPECT_FALSE(manager.remove_freeform_assignment(&note));

    EXPECT_EQ(manager.remove_instance_assignments("a", ""), 2) << "TPD_REQUIREMENT and MULTICYCLE";
    ACF_MGR_INPUT_PARAMETERS multicycle_b;
    multicycle_b.set_variable_type(ACF_VARIABLE_TYPE_MULTICYCLE);
    multicycle_b.set_to("b");
    multicycle_b.set_entity_name("top");
    EXPECT_NE(manager.get_instance_assignment_ptr(&multicycle_b), nullptr);

    EXPECT_EQ(manager.remove_all_assignments_of_type(ACF_VARIABLE_TYPE_MULTICYCLE), 1);
    manager.write_unlock(false);

    ASSERT_TRUE(manager.read_lock());
    EXPECT_EQ(manager.remove_all_assignments_of_type(ACF_VARIABLE_TYPE_MULTICYCLE), 0);
    EXPECT_EQ(manager.get_last_error_status(), ACF_REVISION_MANAGER::NOT_WRITE_LOCKED);
    manager.read_unlock();
}

TEST(RevisionStoreRemove, InstanceAssignmentsAreRemovedByTargetAndSourceInThatOrder) {
    // Each case on the same three assignments; `left` says which of them stay.
    struct CASE {
        char const* to;
        char const* from;
        int removed;
        char const* left; // of "s>t", "t>s" and "u>t" (source>target), in that order
    } const cases[] = {
        {"t", nullptr, 2, "t>s"},        {nullptr, "t", 1, "s>t u>t"}, {"t", "s", 1, "t>s u>t"},
        {"s", "", 1, "s>t u>t"},         {"s", "t", 1, "s>t u>t"},     {"s", "s", 0, "s>t t>s u>t"},
        {"", nullptr, 0, "s>t t>s u>t"},
    };
    char const* const settings = "set_instance_assignment -name MULTICYCLE 2 -from s -to t\n"
                                 "set_instance_assignment -name MULTICYCLE 3 -from t -to s\n"
                                 "set_instance_assignment -name MULTICYCLE 4 -from u -to t\n";
    for (CASE const& c : cases) {
        SCOPED_TRACE(std::string(c.to ? c.to : "null") + ", " + (c.from ? c.from : "null"));
        ACF_STORAGE_TEST_PROJECT project(settings);
        ACF_REVISION_MANAGER& manager = project.manager();
        ASSERT_TRUE(manager.write_lock(true));
        EXPECT_EQ(manager.remove_instance_assignments(c.to, c.from), c.removed);
        std::string left;
        for (char const* pair : {"s>t", "t>s", "u>t"}) {
            ACF_MGR_INPUT_PARAMETERS query;
            query.set_variable_type(ACF_VARIABLE_TYPE_MULTICYCLE);
            query.set_from(std::string(pair, 1).c_str());
            query.set_to(pair + 2);
            query.set_entity_name("top");
            if (manager.get_instance_assignment_ptr(&query) != nullptr) {
                left += (left.empty() ? "" : " ") + std::string(pair);
            }
        }
        EXPECT_EQ(left, c.left);
        manager.write_unlock(false);
    }
}

TEST(RevisionStoreEntity, ChangingTheTopLevelEntityMovesItsAssignments) {
    ACF_STORAGE_TEST_PROJECT project(
        "set_global_assignment -name TOP_LEVEL_ENTITY a\n"
        "set_instance_assignment -name MULTICYCLE 2 -to r1 -entity a\n"
        "set_instance_assignment -name MULTICYCLE 3 -to r2 -entity A\n");
    ACF_REVISION_MANAGER& manager = project.manager();
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ASSERT_TRUE(manager.write_lock(true));
    EXPECT_EQ(storage.get_top_level_entity_name(), "a");

    msg_log_clear();
    ASSERT_NE(set(manager, "TOP_LEVEL_ENTITY", "|b"), nullptr);
    EXPECT_EQ(storage.get_top_level_entity_name(), "b");
    EXPECT_TRUE(acf_test_posted(125061));
    struct CASE {
        char const* to;
        char const* entity;
        bool present;
    } const cases[] = {{"r1", "b", true}, {"r1", "a", false}, {"r2", "A", true}};
    for (CASE const& c : cases) {
        ACF_MGR_INPUT_PARAMETERS q;
        q.set_variable_type(ACF_VARIABLE_TYPE_MULTICYCLE);
        q.set_to(c.to);
        q.set_entity_name(c.entity);
        EXPECT_EQ(manager.get_instance_assignment_ptr(&q) != nullptr, c.present)
            << c.to << " " << c.entity;
    }

    // Removing the top-level entity sets it back to the revision's name.
    msg_log_clear();
    ACF_MGR_INPUT_PARAMETERS top;
    top.set_variable_type(ACF_VARIABLE_TYPE_ROOT);
    manager.remove_global_assignment(&top);
    EXPECT_EQ(storage.get_top_level_entity_name(), "top");
    EXPECT_TRUE(acf_test_posted(125061));
    manager.write_unlock(false);
}

// Lines without "-entity" are read for the top-level entity, and the settings
// file leaves "-entity" out for it: requests without an entity must agree.
TEST(RevisionStoreEntity, RequestsWithoutEntityMeetWhatWasReadForTheTopLevelEntity) {
    ACF_STORAGE_TEST_PROJECT project(
        "set_global_assignment -name TOP_LEVEL_ENTITY chip\n"
        "set_instance_assignment -name MULTICYCLE 2 -to r1\n"
        "set_instance_assignment -name MULTICYCLE 3 -to r2 -entity sub\n");
    ACF_REVISION_MANAGER& manager = project.manager();
    ASSERT_TRUE(manager.write_lock(true));
    auto query = [&](char const* to, char const* entity) {
        ACF_MGR_INPUT_PARAMETERS q;
        q.set_variable_type(ACF_VARIABLE_TYPE_MULTICYCLE);
        q.set_to(to);
        q.set_entity_name(entity);
        return manager.get_instance_assignment_ptr(&q);
    };
    ACF_ASSIGNMENT* read = query("r1", "chip");
    ASSERT_NE(read, nullptr);
    EXPECT_STREQ(read->get_entity_name(), "chip");

    struct CASE {
        char const* to;
        char const* entity;
        bool found;
    } const cases[] = {
        {"r1", nullptr, true},  {"r1", "", true},    {"r1", "sub", false},
        {"r2", nullptr, false}, {"r2", "sub", true}, {"r2", "chip", false},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(query(c.to, c.entity) != nullptr, c.found)
            << c.to << " " << (c.entity != nullptr ? c.entity : "(none)");
    }

    // A set without an entity replaces the assignment read, it does not add one.
    EXPECT_EQ(set(manager, "MULTICYCLE", "5", "r1"), read);
    EXPECT_STREQ(read->get_unmodified_value(true), "5");
    std::list<ACF_ASSIGNMENT*> all;
    ACF_MGR_INPUT_PARAMETERS r1;
    r1.set_variable_type(ACF_VARIABLE_TYPE_MULTICYCLE);
    r1.set_to("r1");
    manager.get_instance_assignment_coll(&r1, &all);
    EXPECT_EQ(all.size(), 1u);

    // And one set without an entity is found for the top-level entity and
    // removed by a request without one.
    ACF_ASSIGNMENT* made = set(manager, "MULTICYCLE", "4", "r3");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(query("r3", "chip"), made);
    ACF_MGR_INPUT_PARAMETERS r3;
    r3.set_variable_type(ACF_VARIABLE_TYPE_MULTICYCLE);
    r3.set_to("r3");
    EXPECT_TRUE(manager.remove_instance_assignment(&r3));
    EXPECT_EQ(query("r3", nullptr), nullptr);
    EXPECT_TRUE(manager.remove_instance_assignment(&r1));
    EXPECT_EQ(query("r1", "chip"), nullptr);
    manager.write_unlock(false);
}

} // namespace

namespace {

// The lines of `text` that start with `start`.
int count_lines_starting(std::string const& text, std::string const& start) {
    int count = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        count += text.compare(at, start.size(), start) == 0 ? 1 : 0;
        at = end + 1;
    }
    return count;
}

// Two programs on one revision (here two stores over its files) each set an
// assignment that holds one value, to a value of their own, before either
// commits. The earlier commit writes its value; the later one reads the file
// again and keeps its own change over the line it reads: the file holds one
// line of the assignment, with the later commit's value.
TEST(RevisionStoreSet, OneValueSetByTwoProgramsEndsWithTheLaterCommit) {
    struct CASE {
        char const* name;
        char const* to;
        char const* earlier;
        char const* later;
        char const* line; // of the later value
    } const cases[] = {
        {"FAMILY", nullptr, "Ostrel", "Vindal", "set_global_assignment -name FAMILY Vindal"},
        {"DEVICE", nullptr, "TOLM7000A15F484C6", "TOLM7000A30F780C7",
         "set_global_assignment -name DEVICE TOLM7000A30F780C7"},
        {"USER_LIBRARIES", nullptr, "lib_a", "lib_b",
         "set_global_assignment -name USER_LIBRARIES lib_b"},
        {"IO_STANDARD", "pin_a", "3.3 V", "1.8 V",
         "set_instance_assignment -name IO_STANDARD \"1.8 V\" -to pin_a"},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        ACF_STORAGE_TEST_PROJECT later("set_global_assignment -name SMART_RECOMPILE ON\n");
        ACF_MANAGER_STORAGE_REAL earlier_storage(later.file("proj.tpf"), "top", nullptr, true);
        ACF_REVISION_MANAGER earlier(&earlier_storage);

        ASSERT_TRUE(later.manager().write_lock(true));
        ASSERT_NE(set(later.manager(), c.name, c.later, c.to), nullptr);
        later.manager().write_unlock(false);

        ASSERT_TRUE(earlier.write_lock(true));
        ASSERT_NE(set(earlier, c.name, c.earlier, c.to), nullptr);
        ASSERT_TRUE(earlier_storage.write_files_to_disk(true, true));
        earlier.write_unlock(false);

        ASSERT_TRUE(later.manager().write_lock(true));
        ASSERT_TRUE(later.storage().write_files_to_disk(true, true));
        later.manager().write_unlock(false);

        std::string const settings = acf_test_read(later.tsf());
        std::string const start =
            std::string(c.to == nullptr ? "set_global_assignment" : "set_instance_assignment") +
            " -name " + c.name + " ";
        EXPECT_EQ(count_lines_starting(settings, start), 1) << settings;
        EXPECT_EQ(count_lines_starting(settings, c.line), 1) << settings;
    }
}

// An assignment that holds many values (design files) keeps the values of
// both programs, whichever commits later.
TEST(RevisionStoreSet, ManyValuesSetByTwoProgramsAreAllKept) {
    ACF_STORAGE_TEST_PROJECT later("set_global_assignment -name VHDL_FILE top.vhd\n");
    ACF_MANAGER_STORAGE_REAL earlier_storage(later.file("proj.tpf"), "top", nullptr, true);
    ACF_REVISION_MANAGER earlier(&earlier_storage);

    ASSERT_TRUE(later.manager().write_lock(true));
    ASSERT_NE(set(later.manager(), "VHDL_FILE", "b.vhd"), nullptr);
    later.manager().write_unlock(false);

    ASSERT_TRUE(earlier.write_lock(true));
    ASSERT_NE(set(earlier, "VHDL_FILE", "a.vhd"), nullptr);
    ASSERT_TRUE(earlier_storage.write_files_to_disk(true, true));
    earlier.write_unlock(false);

    ASSERT_TRUE(later.manager().write_lock(true));
    ASSERT_TRUE(later.storage().write_files_to_disk(true, true));
    later.manager().write_unlock(false);

    std::string const settings = acf_test_read(later.tsf());
    for (char const* file : {"top.vhd", "a.vhd", "b.vhd"}) {
        EXPECT_EQ(count_lines_starting(
                      settings, std::string("set_global_assignment -name VHDL_FILE ") + file),
                  1)
            << settings;
    }
}

} // namespace
