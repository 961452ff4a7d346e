#include "ipman/ipman_ip_info_manager.h"
#include "ipman/ipman_iprgen_manager.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

std::string const FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/project";

TEST(IpmanVariationFiles, DirectorySearchFindsWizardFilesRecursivelyInNameOrder) {
    std::list<std::string> files = {"kept"};
    IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_variation_file_by_dir(FIXTURE, &files);
    std::string root = std::filesystem::canonical(FIXTURE).string();
    std::list<std::string> const expected = {
        "kept",
        root + "/core_a.v",
        root + "/ram block.v",
        root + "/sub/broken.v",
        root + "/sub/core_b.vhd",
        root + "/sub/deeper/core_c.sv",
    };
    EXPECT_EQ(files, expected);
}

TEST(IpmanVariationFiles, DirectorySearchOfAMissingFolderChangesNothing) {
    std::string before = std::filesystem::current_path().string();
    std::list<std::string> files = {"kept"};
    IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_variation_file_by_dir(FIXTURE + "/none",
                                                                            &files);
    EXPECT_EQ(files, std::list<std::string>{"kept"});
    EXPECT_EQ(std::filesystem::current_path().string(), before);
}

TEST(IpmanVariationFiles, RetrievalInfoTagValues) {
    struct CASE {
        char const* line;
        char const* tag;
        char const* value;
    } const cases[] = {
        {"-- Retrieval info: <instance entity-name=\"fifo_a\" version=\"12.1\" >", "entity-name",
         "fifo_a"},
        {"-- Retrieval info: <instance entity-name=\"fifo_a\" version=\"12.1\" >", "version",
         "12.1"},
        {"-- Retrieval info: <instance entity-name=\"fifo_a\" >", "version", ""},
        {"", "version", ""},
        {"x version=\"open", "version", "open"},
        {"x version", "version", ""},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(IPMAN_IP_INFO_MANAGER::get_variation_file_retrieval_info_tag_value(c.line, c.tag),
                  c.value)
            << c.line;
    }
}

TEST(IpmanVariationFiles, ReadsNameAndVersionFromTheHeader) {
    IPMAN_IP_INFO_MANAGER* manager = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
    std::string name = "unchanged";
    std::string version = "unchanged";
    manager->extract_ip_name_and_version_from_file(FIXTURE + "/sub/core_b.vhd", name, version);
    EXPECT_EQ(name, "mult");
    EXPECT_EQ(version, "11.1");

    for (std::string file : {std::string(), FIXTURE + "/missing.v", FIXTURE + "/plain.v"}) {
        name = version = "unchanged";
        manager->extract_ip_name_and_version_from_file(file, name, version);
        EXPECT_EQ(name, "unchanged") << file;
        EXPECT_EQ(version, "unchanged") << file;
    }
}

// Runs of the wizard through the upgrade manager, on a copy of the fixture.
class IpmanWizardRun : public ::testing::Test {
protected:
    void SetUp() override { m_project = m_workspace.copy_fixture(FIXTURE, "project"); }
    std::string version_of(std::string const& file) {
        std::string name;
        std::string version;
        IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->extract_ip_name_and_version_from_file(
            file, name, version);
        return version;
    }
    TEST_WORKSPACE m_workspace;
    std::string m_project;
};

TEST_F(IpmanWizardRun, UpgradesAFileAndReturnsTheWizardsExitCode) {
    IPMAN_IPRGEN_MANAGER* manager = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    EXPECT_EQ(manager->run_ip_regeneration(m_project + "/core_a.v"), 0);
    EXPECT_EQ(version_of(m_project + "/core_a.v"), "14.0");
    EXPECT_NE(manager->run_ip_regeneration(m_project + "/sub/broken.v"), 0);
    EXPECT_NE(manager->run_ip_regeneration(m_project + "/plain.v"), 0);
    EXPECT_EQ(manager->run_ip_regeneration(""), 2);
}

TEST_F(IpmanWizardRun, NameWithBlanksReachesTheWizardAsOneArgument) {
    IPMAN_IPRGEN_MANAGER* manager = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    std::string file = m_project + "/ram block.v";
    EXPECT_EQ(manager->run_ip_regeneration(file), 0);
    EXPECT_EQ(version_of(file), "14.0");
    // As the command's file list leaves it: between quotes.
    test_write_file(file,
                    "// -- VestaWizard variation file\n"
                    "// -- Retrieval info: <instance entity-name=\"ram\" version=\"9.0\" >\n");
    EXPECT_EQ(manager->run_ip_regeneration("\"" + file + "\""), 0);
    EXPECT_EQ(version_of(file), "14.0");
    test_write_file(file,
                    "// -- VestaWizard variation file\n"
                    "// -- Retrieval info: <instance entity-name=\"ram\" version=\"9.0\" >\n");
    EXPECT_EQ(manager->run_ip_regeneration("'" + file + "'"), 0);
    EXPECT_EQ(version_of(file), "14.0");
}

TEST_F(IpmanWizardRun, WizardOutputGoesToTheDebugChannel) {
    // The debug channel writes to standard error when TESSALY_DEBUG is set.
    setenv("TESSALY_DEBUG", "1", 1);
    testing::internal::CaptureStderr();
    IPMAN_IPRGEN_MANAGER::get_iprgen_manager()->run_ip_regeneration(m_project + "/core_a.v");
    std::string log = testing::internal::GetCapturedStderr();
    unsetenv("TESSALY_DEBUG");
    EXPECT_NE(log.find("IPMAN: regen: Upgraded IP component core in"), std::string::npos) << log;
}

} // namespace
