// The assignment-removal engine on a copy of a fixture revision: removal by
// category and kind, the routing clean-up, the obsolete pass against the
// revision's hierarchy file, and a commit that fails.
#include "sys/mdb/mdb_ras_engine.h"

#include "suite/dbmanagerui/dbmui.h"
#include "suite/hierdb/hdb.h"
#include "tests/sys/mdb/mdb_test_project.h"

#include <sys/stat.h>

namespace {
std::string const RAS_FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/ras_project";

// The assignment lines of the fixture's settings file, in file order.
std::vector<std::string> const FIXTURE_LINES = {
    "set_global_assignment -name FAMILY \"Vorelon II\"",
    "set_global_assignment -name DEVICE VORELONIIA15F484C6",
    "set_global_assignment -name TOP_LEVEL_ENTITY top",
    "set_global_assignment -name USER_LIBRARIES lib",
    "set_global_assignment -name VERILOG_MACRO \"WIDTH=8\"",
    "set_global_assignment -name AUTO_ROM_RECOGNITION OFF",
    "set_instance_assignment -name AUTO_ROM_RECOGNITION OFF -to \"a|rom\"",
    "set_global_assignment -name TPD_REQUIREMENT \"5 ns\"",
    "set_instance_assignment -name TPD_REQUIREMENT \"4 ns\" -from clk -to \"b|q\"",
    "set_instance_assignment -name IO_STANDARD \"3.3-V LVTTL\" -to clk",
    "set_global_assignment -name ROUTING_BACK_ANNOTATION_MODE NORMAL",
    "set_global_assignment -name ROUTING_BACK_ANNOTATION_FILE ras.rba",
    "set_global_assignment -name START_TIME \"0 ns\"",
    "set_location_assignment PIN_A1 -to clk",
    "set_location_assignment PIN_B2 -to \"a|q\"",
    "set_location_assignment PIN_C3 -to gone",
};

class MdbRasEngine : public MdbRevisionProject {
protected:
    std::string fixture() const override { return RAS_FIXTURE; }
    std::string project_name() const override { return "ras"; }

    // Closes the project and copies the fixture again, for the next case.
    void fresh_copy() {
        ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
        manager->close_project(false);
        manager->free_cached_storage();
        std::filesystem::current_path(m_old_dir);
        std::filesystem::remove_all(m_project);
        m_workspace.copy_fixture(fixture(), project_name());
        msg_log_clear();
    }

    // A selection with the given rows ticked, each holding its file category.
    static std::vector<ACF_FILE_CATEGORY_ENUM> selection(std::vector<int> const& rows) {
        std::vector<ACF_FILE_CATEGORY_ENUM> entries(MDB_RAS_SELECTION_SIZE, ACF_FILE_CATEGORY_NONE);
        for (int row : rows) {
            entries[row] = static_cast<ACF_FILE_CATEGORY_ENUM>(row == 0 ? 0 : row - 1);
        }
        return entries;
    }

    // Which of the fixture's lines the settings file still holds.
    std::vector<std::string> remaining_lines() const {
        std::string text = test_read_file(file("ras.tsf"));
        std::vector<std::string> kept;
        for (std::string const& line : FIXTURE_LINES) {
            if (text.find(line + "\n") != std::string::npos) {
                kept.push_back(line);
            }
        }
        return kept;
    }
    static std::vector<std::string> all_lines_but(std::vector<int> const& removed) {
        std::vector<std::string> kept;
        for (size_t i = 0; i < FIXTURE_LINES.size(); ++i) {
            if (std::find(removed.begin(), removed.end(), static_cast<int>(i)) == removed.end()) {
                kept.push_back(FIXTURE_LINES[i]);
            }
        }
        return kept;
    }
};

struct CATEGORY_CASE {
    char const* name;
    std::vector<int> rows;
    bool remove_global;
    bool remove_instance;
    std::vector<int> removed_lines; // indices into FIXTURE_LINES
    bool routing_file_deleted;
};

TEST_F(MdbRasEngine, RemovesByCategoryAndKindKeepingTheProtectedVariables) {
    std::vector<CATEGORY_CASE> const cases = {
        {"the All entry alone removes nothing", {0}, true, true, {}, false},
        {"the device row removes the device only", {1}, true, true, {1}, false},
        {"pins with instances: locations, routing settings and file",
         {2},
         true,
         true,
         {10, 11, 13, 14, 15},
         true},
        {"pins without instances keep routing", {2}, true, false, {}, false},
        {"synthesis, both kinds", {4}, true, true, {4, 5, 6}, false},
        {"synthesis, instances only", {4}, false, true, {6}, false},
        {"timing, globals only", {3}, true, false, {7}, false},
        {"timing, instances only", {3}, false, true, {8}, false},
        {"fitter, both kinds", {5}, true, true, {9, 10, 11}, false},
        {"simulator and timing together", {3, 8}, true, true, {7, 8, 12}, false},
    };
    for (CATEGORY_CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        fresh_copy();
        open_project();
        std::vector<ACF_FILE_CATEGORY_ENUM> entries = selection(c.rows);
        EXPECT_TRUE(MDB_RAS_ENGINE().remove_assignment_one_file_mode(
            entries.data(), c.remove_global, c.remove_instance));
        EXPECT_FALSE(ACF_MANAGER::get_acf_manager()->is_write_locked());
        EXPECT_EQ(remaining_lines(), all_lines_but(c.removed_lines));
        EXPECT_EQ(std::filesystem::exists(file("ras.rba")), !c.routing_file_deleted);
    }
}

TEST_F(MdbRasEngine, AFailedCommitIsReportedAndLeavesFilesAlone) {
    open_project();
    std::string before = test_read_file(file("ras.tsf"));
    ASSERT_EQ(chmod(file("ras.tsf").c_str(), 0444), 0);
    std::vector<ACF_FILE_CATEGORY_ENUM> entries = selection({2});
    EXPECT_FALSE(MDB_RAS_ENGINE().remove_assignment_one_file_mode(entries.data(), true, true));
    EXPECT_EQ(test_read_file(file("ras.tsf")), before);
    EXPECT_TRUE(std::filesystem::exists(file("ras.rba")));
    EXPECT_EQ(logged(296051).size(), 1u); // "Can't access project assignment"
    EXPECT_FALSE(ACF_MANAGER::get_acf_manager()->is_write_locked());
    chmod(file("ras.tsf").c_str(), 0644);
}

TEST_F(MdbRasEngine, ObsoletePassRemovesWhatTheHierarchyLost) {
    open_project();
    EXPECT_TRUE(MDB_RAS_ENGINE().remove_obsolete_assignment());
    // a|rom carries flag 1 only, "gone" is not in the hierarchy; clk, a|q and
    // b|q (flags 1 and 2) are.
    EXPECT_EQ(remaining_lines(), all_lines_but({6, 15}));
    EXPECT_EQ(DBMUI_MANAGER::get_dbmui_manager(0)->get_lent_count(), 0);
}

TEST_F(MdbRasEngine, WithoutAHierarchyTheObsoletePassTakesNoLock) {
    for (char const* content :
         {"", "{\"version\": 1, \"root\": {\"name\": \"top\"", "{\"version\": 2}"}) {
        SCOPED_TRACE(content);
        fresh_copy();
        std::string hierarchy = file("db/ras.hier");
        if (*content == '\0') {
            std::filesystem::remove(hierarchy);
        } else {
            std::ofstream(hierarchy) << content;
        }
        open_project();
        SNAPSHOT before = snapshot();
        // A held read lock refuses the write lock: a pass that tried to take
        // it would answer false.
        ASSERT_TRUE(ACF_MANAGER::get_acf_manager()->read_lock());
        EXPECT_TRUE(MDB_RAS_ENGINE().remove_obsolete_assignment());
        ACF_MANAGER::get_acf_manager()->read_unlock();
        EXPECT_EQ(snapshot(), before);
        std::vector<MSG_LOG_ENTRY> warnings = logged(330001);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].text.find(hierarchy), std::string::npos) << warnings[0].text;
    }
}

TEST_F(MdbRasEngine, ObsoleteTestJoinsTheRootAndReadsTheFlags) {
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap =
        HDB_CMP_ACTION_PT_INSTANCE::read_pdb(RAS_FIXTURE + "/db", "ras", 0);
    ASSERT_NE(cap, nullptr);
    struct CASE {
        char const* name;
        char const* root;
        bool obsolete;
    } const cases[] = {
        {"a|q", "top", false},      {"a|q", "top|", false}, {"|a|q", "top", false},
        {"b", "top", false},        {"b|q", "top", false},  {"a|rom", "top", true},
        {"a|nothing", "top", true}, {"top|a|q", "", false}, {"a|q", "", true},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(MDB_RAS_ENGINE().is_assignment_obsolete(c.name, cap.get(), c.root), c.obsolete)
            << c.name << " under " << c.root;
    }
}
} // namespace

namespace {
// No variable of the catalogue belongs to an assignment-editor category, so
// the pass changes nothing, yet it locks and commits like the others.
TEST_F(MdbRasEngine, TheAssignmentEditorPassLeavesAssignmentsOfNoSuchCategory) {
    open_project();
    std::vector<ASE_CATEGORY_ENUM> categories(MDB_RAS_ASE_CATEGORY_COUNT, ASE_CATEGORY_NONE);
    categories[0] = static_cast<ASE_CATEGORY_ENUM>(3);
    categories[9] = static_cast<ASE_CATEGORY_ENUM>(44);
    EXPECT_TRUE(MDB_RAS_ENGINE().remove_assignment_one_file_mode(categories.data()));
    EXPECT_FALSE(ACF_MANAGER::get_acf_manager()->is_write_locked());
    EXPECT_EQ(remaining_lines(), all_lines_but({}));

    ASSERT_TRUE(ACF_MANAGER::get_acf_manager()->write_lock(false));
    EXPECT_FALSE(MDB_RAS_ENGINE().remove_assignment_one_file_mode(categories.data()));
    ACF_MANAGER::get_acf_manager()->write_unlock(false);
}
} // namespace
