// Reading a compiled design's hierarchy file, and the registry lending it.
#include "suite/dbmanagerui/dbmui.h"
#include "suite/general/gen.h"
#include "suite/hierdb/hdb.h"
#include "suite/messages/msg.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
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
    ASSERT_EQ(u1->get_string_options().size(), 1u);
    EXPECT_EQ(u1->get_string_options()[0].value, "fifo");
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
    EXPECT_STREQ(r->get_short_path(), "u1|r");
    EXPECT_STREQ(root->get_short_path(), "top");
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

    // A variable's option of one section and IP settings file.
    HDB_STRING_OPTION const* option =
        cap->get_string_option(HDB_SECTION::IP_SETTINGS, "IP_TOOL_NAME", "b.tip");
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->value, "pll");
    EXPECT_EQ(cap->get_string_option(HDB_SECTION::IP_SETTINGS, "IP_TOOL_NAME", "c.tip"), nullptr);
    EXPECT_EQ(cap->get_string_option(3, "IP_TOOL_NAME", "a.tip"), nullptr);
}

TEST(Hierdb, TheLastOptionOfAnIpSettingsFileWinsWhateverTheCaseOfItsName) {
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap = HDB_CMP_ACTION_PT_INSTANCE::parse(R"({
      "version": 1,
      "sections": [
        {"number": 6, "string_options": [
          {"name": "IP_TOOL_VERSION", "value": "12.0", "tip": "/p/ip/a.tip"},
          {"name": "IP_TOOL_VERSION", "value": "13.0", "tip": "/P/IP/A.TIP"},
          {"name": "IP_TOOL_NAME", "value": "fifo", "tip": "/p/ip/a.tip"}]},
        {"number": 5, "string_options": [
          {"name": "IP_TOOL_VERSION", "value": "14.0", "tip": "/p/ip/a.tip"}]},
        {"number": 6, "string_options": [
          {"name": "IP_TOOL_VERSION", "value": "", "tip": "/p/ip/b.tip"}]}]})");
    struct CASE {
        int section;
        char const* name;
        char const* tip;
        char const* value; // null: none
    } const cases[] = {
        {6, "IP_TOOL_VERSION", "/p/ip/a.tip", "13.0"},
        {6, "IP_TOOL_VERSION", "/p/Ip/A.tip", "13.0"},
        {5, "IP_TOOL_VERSION", "/P/ip/a.tip", "14.0"},
        {6, "IP_TOOL_NAME", "/p/ip/A.tip", "fifo"},
        {6, "IP_TOOL_VERSION", "/p/ip/b.tip", ""},
        {6, "IP_TOOL_ENV", "/p/ip/a.tip", nullptr},
        {6, "ip_tool_version", "/p/ip/a.tip", nullptr},
        {6, "IP_TOOL_VERSION", "/p/ip/a.ti", nullptr},
    };
    for (CASE const& c : cases) {
        HDB_STRING_OPTION const* option = cap->get_string_option(c.section, c.name, c.tip);
        if (c.value == nullptr) {
            EXPECT_EQ(option, nullptr) << c.name << " " << c.tip;
        } else {
            ASSERT_NE(option, nullptr) << c.name << " " << c.tip;
            EXPECT_EQ(option->value, c.value) << c.name << " " << c.tip;
        }
    }
}

TEST(Hierdb, MembersInAnyOrderAndUnknownMembersReadAlike) {
    // The members of DESIGN in another order (a design unit before the files
    // it names, an instance's name after its children), among members of
    // every kind that the reader does not know.
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap = HDB_CMP_ACTION_PT_INSTANCE::parse(R"({
      "root": {"children": [
          {"string_options": [{"tip": "core.tip", "value": "fifo", "name": "IP_TOOL_NAME"}],
           "flags": [2, 1], "library": "ip",
           "children": [{"schema": "macrofunction", "name": "r", "extra": [[{"a": 1}], {}]}],
           "entity": "core", "name": "u1"},
          {"entity": "top", "name": "u2", "notes": null}],
        "library": "work", "entity": "top", "name": "top", "size": 3.5},
      "generator": {"name": "c", "options": [true, false, "x", 1, {"deep": [[[]]]}]},
      "design_units": [{"file": 1, "library": "ip", "name": "core"},
                       {"name": "top", "library": "work", "file": 0},
                       {"library": "old", "name": "core"}],
      "sections": [{"string_options": [{"name": "IP_TOOL_NAME", "value": "pll", "tip": "b.tip"}],
                    "number": 6}],
      "files": [{"path": "/p/top.v"}, {"flags": [16, 8], "tip": "core.tip", "path": "/p/ip/core.v"}],
      "libraries": ["work", "ip"],
      "last_compilation_successful": false,
      "version": 1})");
    EXPECT_FALSE(cap->get_last_compilation_successful());
    std::vector<std::string> names;
    for (auto const& instance : cap->get_instances()) {
        names.push_back(std::to_string(instance->get_name_id()) + " " + instance->full_name + " " +
                        std::to_string(instance->depth) + " " + instance->entity + " " +
                        std::to_string(instance->flags.bits()));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"1 top 0 top 0", "2 top|u1 1 core 6",
                                               "3 top|u1|r 2  0", "4 top|u2 1 top 0"}));
    EXPECT_TRUE(cap->get_instance_name("top|u1|r")->get_schema().is_macrofunction());
    std::string value;
    EXPECT_TRUE(cap->get_instance_name("top|u1")->get_string_option("IP_TOOL_NAME", value));
    EXPECT_EQ(value, "fifo");
    HDB_DESIGN_UNIT const* core = cap->find_design_unit("core", "work");
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(cap->get_design_file(*core)->get_full_path(), "/p/ip/core.v");
    EXPECT_EQ(cap->get_design_file(*core)->get_flags().bits(), (1u << 8) | (1u << 16));
    EXPECT_EQ(cap->get_string_option(6, "IP_TOOL_NAME", "b.tip")->value, "pll");
    EXPECT_EQ(cap->get_libraries(), (std::vector<std::string>{"work", "ip"}));
}

TEST(Hierdb, RelativeFileNamesAreTakenFromTheProjectFolderWhateverTheCurrentFolder) {
    TEST_WORKSPACE workspace;
    std::string const project = workspace.path("p");
    std::filesystem::create_directories(project + "/db");
    std::filesystem::create_directories(workspace.path("elsewhere"));
    std::ofstream(project + "/db/rev.hier") << R"({"version": 1,
      "files": [{"path": "ip/core.v", "tip": "ip/../ip/core.tip"}, {"path": "/abs/top.v"},
                {"path": "../shared/lib.v"}],
      "sections": [{"number": 6, "string_options": [
                     {"name": "IP_TOOL_NAME", "value": "fifo", "tip": "IP/Core.tip"}]}],
      "root": {"name": "top", "string_options": [
                 {"name": "IP_TOOL_NAME", "value": "fifo", "tip": "ip/core.tip"}]}})";
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(workspace.path("elsewhere").c_str()), 0);
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap =
        HDB_CMP_ACTION_PT_INSTANCE::read_pdb(project + "/db", "rev", 0);
    ASSERT_EQ(chdir(cwd), 0);
    ASSERT_NE(cap, nullptr);
    auto const& files = cap->get_files();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].get_full_path(), project + "/ip/core.v");
    EXPECT_EQ(files[0].tip_file, project + "/ip/core.tip");
    EXPECT_EQ(files[1].get_full_path(), "/abs/top.v");
    EXPECT_EQ(files[2].get_full_path(), workspace.path("shared/lib.v"));
    // The compiled IP settings name the same file (ignoring case).
    HDB_STRING_OPTION const* option =
        cap->get_string_option(HDB_SECTION::IP_SETTINGS, "IP_TOOL_NAME", files[0].tip_file);
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->tip_file, project + "/IP/Core.tip");
    EXPECT_EQ(cap->get_root()->get_string_options()[0].tip_file, project + "/ip/core.tip");
    // Parsed without a project folder, names stay as written.
    EXPECT_EQ(HDB_CMP_ACTION_PT_INSTANCE::parse(test_read_file(project + "/db/rev.hier"))
                  ->get_files()[0]
                  .get_full_path(),
              "ip/core.v");
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
        {R"({"version": 1, "design_units": [{"name": "t", "file": -1}]})", "names no listed file"},
        {R"({"version": 1, "design_units": [{"name": "t", "file": 0.5}]})", "names no listed file"},
        // Checked once every file is known.
        {R"({"design_units": [{"file": 1}], "files": [{"path": "a"}], "version": 1})",
         "names no listed file"},
        {R"({"version": 1, "root": {"name": "t", "children": {"name": "a"}}})",
         "\"children\" is not a list"},
        {R"({"version": 1, "root": {"name": "t", "children": ["a"]}})", "not an object"},
        {R"({"version": 1, "root": {"name": "t", "entity": 7}})", "\"entity\" is not a text"},
        {R"({"version": 1, "files": {"path": "a"}})", "\"files\" is not a list"},
        {R"({"version": 1, "files": [{"path": ["a"]}]})", "\"path\" is not a text"},
        {R"({"version": 1, "libraries": [null]})", "a library is not a text"},
        {R"({"version": 1, "sections": [{"number": -1}]})", "no number"},
        {R"({"version": 1, "sections": [{"number": 6, "string_options": [3]}]})",
         "a string option is not an object"},
        // A member given twice would leave it unclear which one holds.
        {R"({"version": 1, "root": {"name": "a"}, "root": {"name": "b"}})", "given twice"},
        {R"({"version": 1, "root": {"name": "a", "name": "b"}})", "given twice"},
        {R"({"version": 1, "version": 1})", "given twice"},
        // Nothing may follow the document.
        {R"({"version": 1} {})", "parse"},
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
