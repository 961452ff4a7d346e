#include "acf_test_directory.h"

#include "formats/acf_project_file.h"

#include "suite/general/gen.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using NAMES = ACF_REVISION_NAME_LIST;

std::string golden(std::string const& name) {
    return acf_test_read(std::string(TESSALY_TEST_DATA_DIR) + "/golden/" + name);
}

// Date lines change with the clock; they are replaced by a mark.
std::string mask_dates(std::string const& text) {
    std::istringstream in(text);
    std::string line;
    std::string out;
    while (std::getline(in, line)) {
        if (line.rfind("# Date created = ", 0) == 0 || line.rfind("DATE = ", 0) == 0) {
            line = line.substr(0, line.find('=') + 1) + " <date>";
        }
        out += line + "\n";
    }
    return out;
}

NAMES read_revisions(std::string const& project_file) {
    NAMES names;
    acf_get_all_revisions_from_tpf(project_file.c_str(), &names);
    return names;
}

class ProjectFile : public ::testing::Test {
protected:
    ACF_TEST_DIRECTORY dir;
    std::string tpf = dir.file("chip.tpf");
};

TEST_F(ProjectFile, WrittenTextMatchesGoldenFile) {
    NAMES names = {"chip", "", "fast"};
    ASSERT_TRUE(acf_write_tpf_file(tpf.c_str(), &names));
    EXPECT_EQ(mask_dates(acf_test_read(tpf)), golden("project.tpf"));
    EXPECT_EQ(read_revisions(tpf), (NAMES{"chip", "fast"}));
}

TEST_F(ProjectFile, DateLineLeftOutWhenClockFails) {
    gen_set_clock_hook([] { return static_cast<time_t>(-1); });
    NAMES names = {"chip"};
    bool written = acf_write_tpf_file(tpf.c_str(), &names);
    gen_set_clock_hook(nullptr);
    ASSERT_TRUE(written);
    EXPECT_EQ(acf_test_read(tpf).find("DATE ="), std::string::npos);
    EXPECT_EQ(read_revisions(tpf), NAMES{"chip"});
}

TEST_F(ProjectFile, ReadingRules) {
    struct CASE {
        char const* text;
        NAMES expected;
    } const cases[] = {
        {"PROJECT_REVISION = \"a\"\nPROJECT_REVISION = \"b\"\n", {"a", "b"}},
        {"   PROJECT_REVISION = \"padded\"  \t\n", {"padded"}},
        {"x PROJECT_REVISION = \"after_text\"\n", {}},
        {"# PROJECT_REVISION = \"commented\"\n", {}},
        {"PROJECT_REVISION = \"dir/sub/rev.tsf\"\n", {"rev"}},
        {"PROJECT_REVISION = \"a\"\nPROJECT_REVISION = \"a\"\n", {"a"}},
        {"PROJECT_REVISION = \"Rev\"\nPROJECT_REVISION = \"rev\"\n", {"Rev", "rev"}},
        {"PROJECT_REVISION=\"tight\"\n", {}},
        {"PROJECT_REVISION = \"\"\n", {}},
        {"PROJECT_REVISION = \"crlf\"\r\nPROJECT_REVISION = \"last\"", {"crlf", "last"}},
        {"TESSALY_VERSION = \"14.0\"\n\n# Revisions\nPROJECT_REVISION = \"only\"\n", {"only"}},
    };
    for (CASE const& c : cases) {
        acf_test_write(tpf, c.text);
        EXPECT_EQ(read_revisions(tpf), c.expected) << c.text;
    }
}

TEST_F(ProjectFile, LongLineDoesNotHideLaterRevisions) {
    std::string long_name(5000, 'r');
    acf_test_write(tpf, "PROJECT_REVISION = \"first\"\nPROJECT_REVISION = \"" + long_name +
                            "\"\n# " + std::string(3000, '-') + "\nPROJECT_REVISION = \"last\"\n");
    EXPECT_EQ(read_revisions(tpf), (NAMES{"first", long_name, "last"}));
}

TEST_F(ProjectFile, MissingFileReadsAsNoRevisions) {
    EXPECT_TRUE(read_revisions(dir.file("none.tpf")).empty());
}

TEST_F(ProjectFile, MovingTheFirstRevisionToTopLeavesTheFileAlone) {
    NAMES names = {"chip", "fast"};
    ASSERT_TRUE(acf_write_tpf_file(tpf.c_str(), &names));
    std::string before = acf_test_read(tpf);
    long long time = acf_test_mtime(tpf);
    EXPECT_TRUE(acf_move_revision_to_top_of_tpf(tpf.c_str(), "chip"));
    EXPECT_EQ(acf_test_read(tpf), before);
    EXPECT_EQ(acf_test_mtime(tpf), time);
}

TEST_F(ProjectFile, ListOperations) {
    struct CASE {
        char const* operation;
        char const* revision;
        NAMES expected;
    } const cases[] = {
        {"top", "fast", {"fast", "chip", "slow"}},
        {"top", "new", {"new", "chip", "fast", "slow"}},
        {"top", "Fast", {"Fast", "chip", "fast", "slow"}},
        {"bottom", "chip", {"fast", "slow", "chip"}},
        {"bottom", "new", {"chip", "fast", "slow", "new"}},
        {"remove", "fast", {"chip", "slow"}},
        {"remove", "absent", {"chip", "fast", "slow"}},
    };
    for (CASE const& c : cases) {
        NAMES names = {"chip", "fast", "slow"};
        ASSERT_TRUE(acf_write_tpf_file(tpf.c_str(), &names));
        std::string op = c.operation;
        bool done = op == "top"      ? acf_move_revision_to_top_of_tpf(tpf.c_str(), c.revision)
                    : op == "bottom" ? acf_move_revision_to_bottom_of_tpf(tpf.c_str(), c.revision)
                                     : acf_remove_revision_from_tpf(tpf.c_str(), c.revision);
        EXPECT_TRUE(done) << op << " " << c.revision;
        EXPECT_EQ(read_revisions(tpf), c.expected) << op << " " << c.revision;
    }
}

TEST_F(ProjectFile, MovingToTopCreatesAMissingFile) {
    EXPECT_TRUE(acf_move_revision_to_top_of_tpf(tpf.c_str(), "chip"));
    EXPECT_EQ(read_revisions(tpf), NAMES{"chip"});
    EXPECT_TRUE(acf_is_revision_listed_in_tpf(tpf.c_str(), "chip"));
    EXPECT_FALSE(acf_is_revision_listed_in_tpf(tpf.c_str(), "Chip"));
}

TEST_F(ProjectFile, RewriteKeepsPermissionBits) {
    NAMES names = {"chip"};
    ASSERT_TRUE(acf_write_tpf_file(tpf.c_str(), &names));
    ASSERT_EQ(chmod(tpf.c_str(), 0640), 0);
    ASSERT_TRUE(acf_move_revision_to_bottom_of_tpf(tpf.c_str(), "fast"));
    struct stat st;
    ASSERT_EQ(stat(tpf.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(ProjectFile, FailedWriteIsReportedAndLeavesNoFile) {
    std::string unwritable = dir.file("missing_dir/chip.tpf");
    NAMES names = {"chip"};
    EXPECT_FALSE(acf_write_tpf_file(unwritable.c_str(), &names));
    EXPECT_FALSE(acf_move_revision_to_top_of_tpf(unwritable.c_str(), "chip"));
    EXPECT_FALSE(acf_test_exists(unwritable));
}

TEST_F(ProjectFile, ActiveRevisionIsFirstListedWithSettingsFile) {
    NAMES names = {"chip", "fast", "slow"};
    ASSERT_TRUE(acf_write_tpf_file(tpf.c_str(), &names));
    EXPECT_EQ(acf_get_active_cap_from_tpf_or_tws_file(tpf.c_str()), "");
    EXPECT_FALSE(acf_check_for_revision_files(tpf.c_str()));
    acf_test_write(dir.file("slow.tsf"), "");
    EXPECT_EQ(acf_get_active_cap_from_tpf_or_tws_file(tpf.c_str()), "slow");
    acf_test_write(dir.file("fast.tsf"), "");
    EXPECT_EQ(acf_get_active_cap_from_tpf_or_tws_file(tpf.c_str()), "fast");
    EXPECT_TRUE(acf_check_for_revision_files(tpf.c_str()));
    // The lookup takes the project file beside any path of the project.
    EXPECT_EQ(acf_get_active_cap_from_tpf_or_tws_file(dir.file("chip.tessaly").c_str()), "fast");
}

TEST_F(ProjectFile, RevisionFilesCheck) {
    EXPECT_FALSE(acf_check_for_revision_files(tpf.c_str()));
    NAMES names = {"other"};
    ASSERT_TRUE(acf_write_tpf_file(tpf.c_str(), &names));
    EXPECT_FALSE(acf_check_for_revision_files(tpf.c_str()));
    acf_test_write(dir.file("chip.tsf"), "");
    EXPECT_TRUE(acf_check_for_revision_files(tpf.c_str()));
}

TEST_F(ProjectFile, WorkspaceCurrentCapIsTheFallback) {
    struct CASE {
        char const* text;
        char const* expected;
    } const cases[] = {
        {"CurrentCAP=rev1\n", "rev1"},
        {"  CurrentCAP  =  rev2  \n", "rev2"},
        {"Other=x\nCurrentCAP=rev3\nCurrentCAP=later\n", "rev3"},
        {"currentcap=rev4\n", ""},
        {"CurrentCAP=\nCurrentCAP=rev5\n", "rev5"},
        {"no equals here\n\nCurrentCAP = rev6\r\n", "rev6"},
        {"", ""},
    };
    for (CASE const& c : cases) {
        acf_test_write(dir.file("chip.tws"), c.text);
        EXPECT_EQ(acf_get_active_cap_from_tpf_or_tws_file(tpf.c_str()), c.expected) << c.text;
    }
    // A listed revision with a settings file wins over the workspace file.
    NAMES names = {"chip"};
    ASSERT_TRUE(acf_write_tpf_file(tpf.c_str(), &names));
    acf_test_write(dir.file("chip.tsf"), "");
    EXPECT_EQ(acf_get_active_cap_from_tpf_or_tws_file(tpf.c_str()), "chip");
}

} // namespace
