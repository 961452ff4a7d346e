// The inventory of a real project opened through the project manager: its
// revision's settings file names IP files in nested folders, which are sourced
// through the shared Tcl interpreter, and the variation files they name lie
// beside them.
#include "ipman/ipman_ip_info_manager.h"

#include "acf_manager.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct ROW {
    std::string file;
    std::string entity;
    std::string tool_name;
    std::string tool_version;
    std::string generated_by;
    std::string var_file;
    bool need_regen;
    std::string parent_entity;
    bool operator==(ROW const& o) const {
        return file == o.file && entity == o.entity && tool_name == o.tool_name &&
               tool_version == o.tool_version && generated_by == o.generated_by &&
               var_file == o.var_file && need_regen == o.need_regen &&
               parent_entity == o.parent_entity;
    }
};
std::ostream& operator<<(std::ostream& out, ROW const& r) {
    return out << r.file << " | " << r.entity << " | " << r.tool_name << " " << r.tool_version
               << " | " << r.generated_by << " | " << r.var_file << " | " << r.need_regen << " | "
               << r.parent_entity;
}

std::vector<ROW> rows(std::vector<IPMAN_IP_INFO> const& records) {
    std::vector<ROW> out;
    for (IPMAN_IP_INFO const& r : records) {
        out.push_back({r.file, r.entity, r.tool_name, r.tool_version, r.generated_by, r.var_file,
                       r.need_regen, r.parent_entity});
    }
    return out;
}

// The fixture project copied into a temporary folder and opened there, as the
// suite opens a project: from its own directory, whose relative paths the
// settings use.
class IpmanInventoryProject : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = m_workspace.copy_fixture(TESSALY_TEST_DATA_DIR "/fixtures/board", "board") + "/";
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        m_previous_dir = cwd;
        ASSERT_EQ(chdir(m_dir.c_str()), 0);
        ASSERT_EQ(
            m_manager->open_project(m_dir.c_str(), "board", "", false, false, true, false, false),
            0);
    }
    void TearDown() override {
        m_manager->close_project(false);
        m_manager->free_cached_storage();
        EXPECT_EQ(chdir(m_previous_dir.c_str()), 0);
    }
    std::string ip(std::string const& name) const { return m_dir + "ip/" + name; }

    TEST_WORKSPACE m_workspace;
    std::string m_dir;
    std::string m_previous_dir;
    ACF_MANAGER* m_manager = ACF_MANAGER::get_acf_manager();
    IPMAN_IP_INFO_MANAGER* m_inventory = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
};

// The installed rules list fifo under 11.1 and 12.1, mult under 11.1, pll under
// 12.1 and fir under 13.0; the running version is 14.0.
TEST_F(IpmanInventoryProject, ComponentsParentsAndTheNeedUpgradeList) {
    bool need = false;
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required;
    m_inventory->load_ip_info(need, all, required);

    std::string const na = "N/A";
    std::vector<ROW> const expected_all = {
        {ip("fifo_a/fifo_a.tip"), "", "fifo", "12.1", "vestawiz", ip("fifo_a/fifo_a.v"), true, na},
        {ip("dsp/filters/fir_c/fir_c.tip"), "", "fir", "13.0", "vestawiz",
         ip("dsp/filters/fir_c/fir_c.sv"), true, na},
        // Up to date itself, but a part of it under another name needs an upgrade.
        {ip("pll_d/pll_d.tip"), "pll_d", "pll", "14.0", "vestawiz", ip("pll_d/pll_d.v"), true, na},
        // The part shares its IP file's variation file, the first one the file names.
        {ip("pll_d/pll_d.tip"), "pll_mult", "mult", "11.1", na, ip("pll_d/pll_d.v"), true, "pll_d"},
        // A Plexa system stands as its own variation file; the rules list it.
        {ip("plexa_sys/plexa_sys.tip"), "", "plexa_sys", "12.1", "plexa",
         ip("plexa_sys/plexa_sys.psys"), true, na},
        // Listed in the rules, but made by the running version.
        {ip("mem/ram_g/ram_g.tip"), "", "fifo", "14.0", "vestawiz", ip("mem/ram_g/ram_g.vhd"),
         false, na},
    };
    // Left out: the part of pll_d under pll_d's own name (judged with it), and
    // hand_e, whose HDL the wizard did not generate.
    EXPECT_EQ(rows(all), expected_all);
    EXPECT_TRUE(need);
    std::vector<ROW> const expected_required = {expected_all[0], expected_all[1], expected_all[2],
                                                expected_all[3], expected_all[4]};
    EXPECT_EQ(rows(required), expected_required);

    // The settings were read under a read lock taken and given back by the scan.
    EXPECT_FALSE(m_manager->is_read_locked());
    EXPECT_FALSE(m_manager->is_write_locked());

    // The project's own view of its IP files and of one component's setting.
    std::vector<std::string> const tips = {
        ip("fifo_a/fifo_a.tip"),       ip("dsp/filters/fir_c/fir_c.tip"), ip("pll_d/pll_d.tip"),
        ip("plexa_sys/plexa_sys.tip"), ip("mem/ram_g/ram_g.tip"),         ip("hand_e/hand_e.tip")};
    std::vector<std::string> named = m_inventory->get_tip_files_from_opened_project();
    for (std::string& file : named) {
        file = FIO_PATH(file).full_path();
    }
    EXPECT_EQ(named, tips);
    std::string version;
    EXPECT_TRUE(m_inventory->get_ipcore_info_from_tip_acf_manager(
        ip("pll_d/pll_d.tip"), "pll_mult", ACF_VARIABLE_TYPE_IP_TOOL_VERSION, version));
    EXPECT_EQ(version, "11.1");
    EXPECT_EQ(m_inventory->get_revision_name(), "board");
    EXPECT_EQ(m_inventory->get_top_level_entity_name(), "board");
}

TEST_F(IpmanInventoryProject, ALockHeldByTheCallerIsKeptAndAClosedProjectHasNoComponents) {
    bool need = false;
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required;
    ASSERT_TRUE(m_manager->read_lock());
    m_inventory->load_ip_info(need, all, required);
    EXPECT_TRUE(m_manager->is_read_locked());
    m_manager->read_unlock();
    EXPECT_EQ(all.size(), 6u);

    m_manager->close_project(false);
    need = true;
    m_inventory->load_ip_info(need, all, required);
    EXPECT_FALSE(need);
    EXPECT_TRUE(all.empty());
}

TEST_F(IpmanInventoryProject, DatabaseIsWrittenBesideTheProjectAndReadBack) {
    bool need = false;
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required;
    m_inventory->load_ip_info(need, all, required);
    EXPECT_EQ(m_inventory->get_ip_db_filename(), m_dir + "db/board");
    std::filesystem::create_directory(m_dir + "db");
    ASSERT_TRUE(m_inventory->write_ip_info_to_db());

    m_inventory->uninitialize_db();
    ASSERT_TRUE(m_inventory->load_ip_info_from_db());
    EXPECT_EQ(rows(m_inventory->get_ip_info_vec()), rows(all));
}

} // namespace
