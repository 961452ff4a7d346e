// Reading a compiled design's hierarchy file, and the registry lending it.
#include "suite/dbmanagerui/dbmui.h"
#include "suite/general/gen.h"
#include "suite/hierdb/hdb.h"
#include "suite/messages/msg.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {
char const* const DESIGN = R"({
  "version": 1,
  "last_compilation_successful": false,
  "libraries": ["work", "ip"],
  "files": [{"path": "/p/top.v"}, {"path": "/p/ip/core.v", "tip": "core.tip", "flags": [8, 16]}],
  "design_units": [{"name": "top", "library": "work", "file": 0},
                   {"name": "core", "library": "ip", "file": 1},
                   {"name": "core", "library": "old"}],
  "sections": [{"number": 6, "string_options": [
                  {"name": "IP_TOOL_NAME", "value": "fifo", "tip": "a.tip"},
                  {"name": "IP_TOOL_VERSION", "value": "13.0", "tip": "a.tip"},
                  {"name": "IP_TOOL_NAME", "value": "pll", "tip": "b.tip"}]},
               {"number": 2, "string_options": [{"name": "IP_TOOL_NAME", "value": "x"}]}],
  "root": {"name": "top", "entity": "top", "library": "work", "children": [
    {"name": "u1", "entity": "core", "library": "ip", "flags": [1, 2],
     "string_options": [{"name": "IP_TOOL_NAME", "value": "fifo", "tip": "core.tip"}],
     "children": [{"name": "r", "schema": "macrofunction"}]},
    {"name": "u2", "entity": "top"}]}
})";

TEST(Hierdb, ReadsTheTreeUnitsFilesAndOptions) {
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap = HDB_CMP_ACTION_PT_INSTANCE::parse(DESIGN);
    EXPECT_FALSE(cap->get_last_compilation_successful());
    HDB_INSTANCE_NAME const* leaf = cap->get_instance_name("top|u1|r");
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->depth, 2);
    HDB_INSTANCE_NAME const* u1 = leaf->parent;
    EXPECT_EQ(u1->full_name, "top|u1");
    EXPECT_TRUE(u1->test_flag(1) && u1->test_flag(2) && !u1->test_flag(0));
    ASSERT_EQ(u1->string_options.size(), 1u);
    EXPECT_EQ(u1->string_options[0].value, "fifo");
    EXPECT_EQ(cap->get_root()->children.size(), 2u);
    EXPECT_EQ(cap->get_instance_name("u1"), nullptr); // full names only
    HDB_DESIGN_UNIT const* core = cap->find_design_unit("core", "work");
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(core->library, "ip");
    HDB_SOURCE_FILE const& file = cap->get_files()[core->file];
    EXPECT_TRUE(file.flags.test_flag(8) && file.flags.test_flag(16) && !file.flags.test_flag(5));
    EXPECT_EQ(file.tip_file, "core.tip");
    EXPECT_EQ(cap->get_libraries(), (std::vector<std::string>{"work", "ip"}));
}

TEST(Hierdb, AccessorsOfInstancesUnitsFilesAndSections) {
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap = HDB_CMP_ACTION_PT_INSTANCE::parse(DESIGN);
    HDB_INSTANCE_NAME const* root = cap->get_root();
    HDB_INSTANCE_NAME const* u1 = cap->get_instance_name("top|u1");
    HDB_INSTANCE_NAME const* r = cap->get_instance_name("top|u1|r");
    // Numbered in reading order, from 1; children in order.
    EXPECT_EQ(root->get_name_id(), 1u);
    EXPECT_EQ(r->get_name_id(), 3u);
    EXPECT_EQ(cap->get_instance_name("top|u2")->get_name_id(), 4u);
    ASSERT_EQ(root->get_children().size(), 2u);
    EXPECT_EQ(root->get_children()[0], u1);
    EXPECT_EQ(r->get_parent(), u1);
    EXPECT_EQ(r->get_depth(), 2);
    EXPECT_EQ(r->get_full_path(), "top|u1|r");
    EXPECT_EQ(r->get_short_path(), "u1|r");
    EXPECT_EQ(root->get_short_path(), "top");
    EXPECT_EQ(u1->get_source_component(), "core");
    EXPECT_EQ(hdb_get_current_name_mgr()->get_iname_library(*u1), "ip");
    EXPECT_TRUE(r->get_schema().is_macrofunction());
    EXPECT_FALSE(u1->get_schema().is_macrofunction());
    std::string value;
    EXPECT_TRUE(u1->get_string_option("IP_TOOL_NAME", value));
    EXPECT_EQ(value, "fifo");
    EXPECT_FALSE(u1->get_string_option("IP_TOOL_VERSION", value));

    // Units by name and library exactly, or by name alone; their files.
    HDB_DESIGN_UNIT const* in_old = cap->get_entity("core", "old");
    ASSERT_NE(in_old, nullptr);
    EXPECT_EQ(cap->get_design_file(*in_old), nullptr);
    EXPECT_EQ(cap->get_entity("core", "lib"), nullptr);
    HDB_DESIGN_UNIT const* any = cap->get_entity("core");
    ASSERT_NE(any, nullptr);
    HDB_SOURCE_FILE const* file = cap->get_design_file(*any);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->get_full_path(), "/p/ip/core.v");
    EXPECT_TRUE(file->get_argument(HDB_SOURCE_FILE::ARGUMENT_TIP, value));
    EXPECT_EQ(value, "core.tip");
    EXPECT_FALSE(cap->get_design_file(*cap->get_entity("top"))
                     ->get_argument(HDB_SOURCE_FILE::ARGUMENT_TIP, value));

    // A variable's options of one section, in file order.
    std::vector<std::string> names;
    for (HDB_STRING_OPTION const* option :
         cap->get_string_options(HDB_SECTION::IP_SETTINGS, "IP_TOOL_NAME")) {
        names.push_back(option->value + "@" + option->tip_file);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"fifo@a.tip", "pll@b.tip"}));
    EXPECT_TRUE(cap->get_string_options(3, "IP_TOOL_NAME").empty());
}

// A document whose root has `levels` levels of instances below it.
std::string nested(int levels) {
    std::string text = R"({"version": 1, "root": )";
    for (int i = 0; i < levels; ++i) {
        text += R"({"name": "a", "children": [)";
    }
    text += R"({"name": "leaf"})";
    for (int i = 0; i < levels; ++i) {
        text += "]}";
    }
    return text + "}";
}

TEST(Hierdb, ATreeTooDeepToWalkIsRefused) {
    // Far deeper than any design nests.
    try {
        HDB_CMP_ACTION_PT_INSTANCE::parse(nested(100000));
        ADD_FAILURE() << "accepted";
    } catch (std::runtime_error const& error) {
        EXPECT_NE(std::string(error.what()).find("deeper than"), std::string::npos) << error.what();
    }
    EXPECT_NE(HDB_CMP_ACTION_PT_INSTANCE::parse(nested(HDB_MAX_DEPTH))->get_root(), nullptr);
}

TEST(Hierdb, RefusesMalformedDocumentsWithAReason) {
    struct CASE {
        char const* text;
        char const* reason;
    } const cases[] = {
        {"", "parse"},
        {"[1]", "not an object"},
        {"{}", "no format version"},
        {R"({"version": 2})", "format version 2"},
        {R"({"version": 1, "last_compilation_successful": "yes"})", "true or false"},
        {R"({"version": 1, "root": {"name": "t", "flags": [32]}})", "bit number"},
        // Not wrapped to a small bit number.
        {R"({"version": 1, "root": {"name": "t", "flags": [4294967296]}})", "bit number"},
        {R"({"version": 1, "files": [{"path": "f", "flags": [4294967304]}]})", "bit number"},
        {R"({"version": 1, "sections": [{"string_options": []}]})", "no number"},
        // A number too large for any type is refused, not thrown past the reader.
        {R"({"version": 1e400})", "overflow"},
        {R"({"version": 1, "root": {"name": "t", "children": [{"name": "a"}, {"name": "a"}]}})",
         "listed twice"},
        {R"({"version": 1, "root": {"entity": "t"}})", "has no name"},
        {R"({"version": 1, "design_units": [{"name": "t", "file": 0}]})", "names no listed file"},
    };
    for (CASE const& c : cases) {
        try {
            HDB_CMP_ACTION_PT_INSTANCE::parse(c.text);
            ADD_FAILURE() << c.text << " was accepted";
        } catch (std::runtime_error const& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
                << c.text << ": " << error.what();
        }
    }
}

TEST(Hierdb, TheRegistryLendsTheOpenRevisionsHierarchy) {
    TEST_WORKSPACE workspace;
    std::string project = workspace.path("p");
    std::filesystem::create_directories(project + "/db");
    std::ofstream(project + "/db/rev.hier") << DESIGN;
    DBMUI_MANAGER* dbmui = DBMUI_MANAGER::get_dbmui_manager(0);
    std::string revision;
    dbmui_set_active_revision_hook([&revision] { return revision; });
    gen_set_project_dir_path((project + "/").c_str());
    EXPECT_EQ(gen_get_db_dir_full_name(), project + "/db");

    EXPECT_EQ(dbmui->get_hdb_cmp_action_pt_instance("t", 0, false, nullptr),
              nullptr); // no revision
    revision = "rev";
    HDB_CMP_ACTION_PT_INSTANCE* cap = dbmui->get_hdb_cmp_action_pt_instance("t", 0, false, nullptr);
    ASSERT_NE(cap, nullptr);
    EXPECT_NE(cap->get_instance_name("top|u1"), nullptr);
    EXPECT_EQ(dbmui->get_lent_count(), 1);
    dbmui->unget_hdb_cmp_action_pt_instance(&cap, "t");
    EXPECT_EQ(cap, nullptr);
    EXPECT_EQ(dbmui->get_lent_count(), 0);

    msg_log_clear();
    revision = "other"; // no file: none lent, a warning names the file
    EXPECT_EQ(dbmui->get_hdb_cmp_action_pt_instance("t", 0, false, nullptr), nullptr);
    std::vector<MSG_LOG_ENTRY> log = msg_log_entries();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].severity, 'W');
    EXPECT_NE(log[0].text.find(project + "/db/other.hier"), std::string::npos) << log[0].text;

    dbmui_set_active_revision_hook(nullptr);
    gen_set_project_dir_path("");
}
} // namespace
