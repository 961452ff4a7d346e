#include "acf_storage_test_project.h"

#include "acf_msgs.h"

#include <gtest/gtest.h>

namespace {

struct POSTED {
    char severity;
    unsigned id;
};

POSTED first_posted() {
    std::vector<MSG_LOG_ENTRY> log = msg_log_entries();
    return log.empty() ? POSTED{'-', 0} : POSTED{log[0].severity, log[0].id};
}

TEST(RevisionStoreMessages, EachStatusPostsItsMessage) {
    ACF_STORAGE_TEST_PROJECT project("");
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ACF_MGR_INPUT_PARAMETERS named;
    named.set_variable_type(ACF_VARIABLE_TYPE_SMART_RECOMPILE);
    named.set_value_string("maybe");
    named.set_to("clk");
    named.set_entity_name("core");
    ACF_MGR_INPUT_PARAMETERS bare;

    struct CASE {
        int status;
        ACF_MGR_INPUT_PARAMETERS* params;
        char const* name;
        bool is_error;
        char severity; // '-': nothing posted
        unsigned id;
        int kept;
    } const cases[] = {
        {1, nullptr, nullptr, true, 'W', 125000, 1},
        {2, nullptr, nullptr, false, 'W', 125001, 2},
        {4, nullptr, "inc.tcl", true, 'E', 125090, 4},
        {4, nullptr, "inc.tcl", false, 'W', 125089, 4},
        {5, nullptr, nullptr, true, 'W', 125002, 5},
        {6, nullptr, nullptr, true, '-', 0, 6},
        {7, nullptr, nullptr, true, '-', 0, 7},
        {9, nullptr, "SEC", true, 'E', 125004, 9},
        {9, nullptr, nullptr, false, 'W', 125005, 9},
        {10, &named, nullptr, true, 'E', 125008, 10},
        {10, &bare, nullptr, true, 'E', 125010, 10},
        {11, &bare, nullptr, false, 'W', 125013, 11},
        {12, &named, nullptr, true, 'E', 125016, 12},
        {12, &bare, nullptr, true, 'E', 125018, 12},
        {13, &bare, nullptr, true, 'E', 125022, 13},
        {14, &named, nullptr, true, 'E', 125024, 14},
        {15, &bare, nullptr, true, 'E', 125034, 15},
        {16, &named, nullptr, true, 'E', 125036, 16},
        {16, &bare, nullptr, false, 'W', 125039, 16},
        {17, &named, nullptr, true, 'W', 125043, 17},
        {17, nullptr, nullptr, true, 'W', 125044, 17},
        {27, nullptr, nullptr, true, 'W', 125070, 27},
        {28, nullptr, nullptr, true, 'W', 125078, 28},
        {29, nullptr, nullptr, false, 'E', 125080, 29},
        {32, nullptr, "trace", true, 'E', 125091, 32},
        {33, nullptr, "trace", true, 'E', 125091, 33},
        {34, nullptr, "a.tcl", true, 'W', 125092, 0},
        {35, nullptr, "a.tcl", true, 'E', 125093, 35},
        {36, nullptr, "Nothing", true, 'E', 125094, 36},
        {37, nullptr, "XZ1", true, 'E', 125095, 37},
        {39, nullptr, nullptr, true, 'E', 125098, 39},
        {40, nullptr, "/long", true, 'E', 125099, 40},
        {41, &named, nullptr, true, 'E', 125100, 41},
        {42, nullptr, nullptr, true, 'E', 125046, 42},
        {42, nullptr, nullptr, false, 'W', 125045, 42},
        {43, nullptr, nullptr, true, '-', 0, 43},
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        int kept = storage.post_error_message(c.status, "top.tsf", -1, c.params, c.name, nullptr,
                                              c.is_error);
        POSTED posted = first_posted();
        EXPECT_EQ(kept, c.kept) << "status " << c.status;
        EXPECT_EQ(posted.severity, c.severity) << "status " << c.status;
        EXPECT_EQ(posted.id, c.id) << "status " << c.status;
    }
}

TEST(RevisionStoreMessages, DetailsAndLimits) {
    ACF_STORAGE_TEST_PROJECT project("");
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();

    msg_log_clear();
    storage.post_error_message(40, nullptr, -1, nullptr, "/very/long", nullptr, true);
    EXPECT_NE(msg_log_entries().at(0).text.find("1024"), std::string::npos);

    msg_log_clear();
    storage.post_error_message(42, "top.tsf", 7, nullptr, nullptr, nullptr, true);
    EXPECT_EQ(msg_log_entries().at(0).id, 125048u);
    EXPECT_NE(msg_log_entries().at(0).text.find("line 7"), std::string::npos);

    // An illegal integer tells the range; the assignment itself is shown.
    ACF_MGR_INPUT_PARAMETERS multicycle;
    multicycle.set_variable_type(ACF_VARIABLE_TYPE_MULTICYCLE);
    multicycle.set_value_string("x");
    multicycle.set_to("reg");
    msg_log_clear();
    storage.post_error_message(16, nullptr, -1, &multicycle, nullptr, "extra detail", true);
    std::vector<MSG_LOG_ENTRY> log = msg_log_entries();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1].id, 125063u); // the assignment as its Tcl command
    EXPECT_NE(log[1].text.find("MULTICYCLE"), std::string::npos);
    EXPECT_EQ(log[2].text, "extra detail");
    EXPECT_EQ(log[3].id, 125074u);
    EXPECT_NE(log[3].text.find("from 1 to 10000"), std::string::npos);

    // A legal enumeration value reported as illegal is only a warning.
    ACF_MGR_INPUT_PARAMETERS revision_type;
    revision_type.set_variable_type(ACF_VARIABLE_TYPE_REVISION_TYPE);
    revision_type.set_value_string("BASE");
    msg_log_clear();
    EXPECT_EQ(storage.post_error_message(16, nullptr, -1, &revision_type, nullptr, nullptr, true),
              0);
    EXPECT_EQ(msg_log_entries().at(0).severity, 'W');
}

// A huge bad line of a settings file is not echoed whole by the messages about
// it: what it brought (the line, a name, a value) is shown by its first 200
// characters and "...".
TEST(RevisionStoreMessages, AHugeBadLineIsShownCut) {
    std::string const huge(1000000, 'x');
    std::string const lines[] = {
        "set_global_assignment -name " + huge + " 1",
        "set_instance_assignment -name MULTICYCLE " + huge + " -to reg",
        huge,
    };
    for (std::string const& line : lines) {
        ACF_STORAGE_TEST_PROJECT project(
            ("set_global_assignment -name SMART_RECOMPILE ON\n" + line + "\n").c_str());
        msg_log_clear();
        ASSERT_TRUE(project.manager().write_lock(true));
        project.manager().write_unlock(false);
        std::vector<MSG_LOG_ENTRY> const log = msg_log_entries();
        bool shown = false;
        for (MSG_LOG_ENTRY const& entry : log) {
            EXPECT_LT(entry.text.size(), 1000u) << entry.id << " " << entry.text.substr(0, 300);
            shown = shown || entry.text.find(std::string(150, 'x') + "...") != std::string::npos;
        }
        EXPECT_TRUE(shown) << line.substr(0, 60);
    }
    EXPECT_EQ(acf_shown_text(nullptr), "");
    EXPECT_EQ(acf_shown_text(std::string(203, 'a').c_str()), std::string(203, 'a'));
    EXPECT_EQ(acf_shown_text(std::string(204, 'a').c_str()), std::string(200, 'a') + "...");
    // A character of several bytes is not cut in two.
    std::string const accented = std::string(199, 'a') + "\xc3\xa9" + std::string(10, 'b');
    EXPECT_EQ(acf_shown_text(accented.c_str()), std::string(199, 'a') + "...");
}

TEST(RevisionStoreMessages, PostingOffAndCollecting) {
    ACF_STORAGE_TEST_PROJECT project("");
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ASSERT_TRUE(storage.read_lock(false));
    msg_log_clear();
    EXPECT_EQ(storage.post_error_message(16, nullptr, -1, nullptr, nullptr, nullptr, true), 16);
    EXPECT_TRUE(msg_log_entries().empty());
    // The family conflict warning may be allowed while posting is off.
    project.manager().set_bool_data(ACF_REVISION_MANAGER::ALLOW_FAMILY_CONFLICT_WARNING, true);
    storage.post_error_message(38, nullptr, -1, nullptr, "FAMILY", nullptr, false);
    EXPECT_EQ(first_posted().id, 125096u);
    storage.read_unlock();

    ASSERT_TRUE(storage.read_lock(true));
    storage.set_add_messages_to_post_list(true);
    msg_log_clear();
    storage.post_error_message(2, "a.tsf", -1, nullptr, nullptr, nullptr, false);
    storage.post_error_message(28, "b.xyz", -1, nullptr, nullptr, nullptr, false);
    EXPECT_TRUE(msg_log_entries().empty());
    storage.display_post_messages();
    std::vector<MSG_LOG_ENTRY> log = msg_log_entries();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].id, 125001u);
    EXPECT_EQ(log[1].id, 125078u);
    storage.set_add_messages_to_post_list(false);
    storage.read_unlock();
}

TEST(RevisionStoreLegality, StatusOfEachRefusal) {
    ACF_STORAGE_TEST_PROJECT project("set_global_assignment -name REVISION_TYPE BASE\n");
    ACF_MANAGER_STORAGE_REAL& storage = project.storage();
    ASSERT_TRUE(storage.read_lock(false));
    struct CASE {
        char const* what;
        ACF_VARIABLE_TYPE_ENUM variable;
        char const* name;
        char const* value;
        char const* from;
        char const* to;
        bool global;
        bool freeform;
        int status; // 0: legal
    } const cases[] = {
        {"blank value", ACF_VARIABLE_TYPE_SMART_RECOMPILE, nullptr, " \t", nullptr, nullptr, true,
         false, 16},
        {"no variable", ACF_VARIABLE_TYPE_NONE, nullptr, "1", nullptr, nullptr, true, false, 10},
        {"bool", ACF_VARIABLE_TYPE_SMART_RECOMPILE, nullptr, "on", nullptr, nullptr, true, false,
         0},
        {"not a bool", ACF_VARIABLE_TYPE_SMART_RECOMPILE, nullptr, "yes", nullptr, nullptr, true,
         false, 16},
        {"global as instance", ACF_VARIABLE_TYPE_SMART_RECOMPILE, nullptr, "on", nullptr, "pin",
         false, false, 14},
        {"in range after the dot", ACF_VARIABLE_TYPE_MULTICYCLE, nullptr, "7.9", nullptr, "r1",
         false, false, 0},
        {"above range", ACF_VARIABLE_TYPE_MULTICYCLE, nullptr, "12000.7", nullptr, "r1", false,
         false, 16},
        {"below range", ACF_VARIABLE_TYPE_MULTICYCLE, nullptr, "0", nullptr, "r1", false, false,
         16},
        {"not an integer", ACF_VARIABLE_TYPE_MULTICYCLE, nullptr, "2a", nullptr, "r1", false, false,
         16},
        {"already set", ACF_VARIABLE_TYPE_REVISION_TYPE, nullptr, "BASE", nullptr, nullptr, true,
         false, 17},
        {"enumeration", ACF_VARIABLE_TYPE_REVISION_TYPE, nullptr, "NOT_A_VALUE", nullptr, nullptr,
         true, false, 16},
        {"time", ACF_VARIABLE_TYPE_TPD_REQUIREMENT, nullptr, "10", nullptr, nullptr, true, false,
         0},
        {"time with unit", ACF_VARIABLE_TYPE_TPD_REQUIREMENT, nullptr, "2.5 ns", nullptr, nullptr,
         true, false, 0},
        {"not a time", ACF_VARIABLE_TYPE_TPD_REQUIREMENT, nullptr, "soon", nullptr, nullptr, true,
         false, 16},
        {"freeform without name", ACF_VARIABLE_TYPE_NONE, "", "1", nullptr, nullptr, false, true,
         10},
        {"freeform", ACF_VARIABLE_TYPE_NONE, "MY_NOTE", "1", nullptr, "n", false, true, 0},
        {"freeform source only", ACF_VARIABLE_TYPE_NONE, "MY_NOTE", "1", "a", nullptr, false, true,
         14},
        {"freeform source and target", ACF_VARIABLE_TYPE_NONE, "MY_NOTE", "1", "a", "b", false,
         true, 15},
    };
    for (CASE const& c : cases) {
        ACF_MGR_INPUT_PARAMETERS p;
        p.set_variable_type(c.variable);
        p.set_variable_string(c.name);
        p.set_value_string(c.value);
        p.set_from(c.from);
        p.set_to(c.to);
        bool legal = storage.is_legal(&p, c.global, c.freeform);
        EXPECT_EQ(legal, c.status == 0) << c.what;
        EXPECT_EQ(storage.get_last_error_status(), c.status) << c.what;
    }

    storage.read_unlock();
}

} // namespace
