// The inventory over a revision whose settings came from IP files: the
// assignments are those a revision store hands out; the variation files they
// name are real files.
#include "ipman/ipman_ip_info_manager.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_test_storage.h"
#include "suite/general/gen.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string const DIR = TESSALY_TEST_DATA_DIR "/fixtures/inventory/";

struct ROW {
    std::string file;
    std::string entity;
    std::string tool_name;
    std::string tool_version;
    std::string var_file;
    bool need_regen;
    std::string parent_entity;
    bool operator==(ROW const& o) const {
        return file == o.file && entity == o.entity && tool_name == o.tool_name &&
               tool_version == o.tool_version && var_file == o.var_file &&
               need_regen == o.need_regen && parent_entity == o.parent_entity;
    }
};
std::ostream& operator<<(std::ostream& out, ROW const& r) {
    return out << r.file << " " << r.entity << " " << r.tool_name << " " << r.tool_version << " "
               << r.var_file << " " << r.need_regen << " " << r.parent_entity;
}

std::vector<ROW> rows(std::vector<IPMAN_IP_INFO> const& records) {
    std::vector<ROW> out;
    for (IPMAN_IP_INFO const& r : records) {
        out.push_back({r.file, r.entity, r.tool_name, r.tool_version, r.var_file, r.need_regen,
                       r.parent_entity});
    }
    return out;
}

class IpmanInventory : public ::testing::Test {
protected:
    void SetUp() override {
        m_manager = ACF_MANAGER::get_acf_manager();
        m_manager->set_current_storage_to(&m_store);
        m_store.set_revision_manager(m_manager);
    }
    void TearDown() override {
        m_manager->set_current_storage_to(nullptr);
        m_store.coll_answer.clear();
    }
    // An assignment as an IP file sets it: with the IP file as TIP argument.
    void assign(char const* tip, char const* entity, ACF_VARIABLE_TYPE_ENUM type,
                std::string const& value) {
        m_assignments.push_back(std::make_unique<ACF_ASSIGNMENT>(
            &m_store, type, nullptr, nullptr, nullptr, value.c_str(), nullptr, false));
        ACF_ASSIGNMENT* asgn = m_assignments.back().get();
        if (tip != nullptr) {
            asgn->add_argument(ACF_ARGUMENT_TYPE_TIP, tip);
        }
        if (entity != nullptr) {
            asgn->set_entity_name(entity);
        }
        m_store.coll_answer.push_back(asgn);
    }
    // The IP-file assignments of a component.
    void component(char const* tip, char const* entity, char const* name, char const* version,
                   std::string const& file) {
        assign(tip, entity, ACF_VARIABLE_TYPE_IP_TOOL_NAME, name);
        assign(tip, entity, ACF_VARIABLE_TYPE_IP_TOOL_VERSION, version);
        assign(tip, entity, ACF_VARIABLE_TYPE_VERILOG_FILE, file);
    }

    ACF_TEST_STORAGE m_store;
    ACF_MANAGER* m_manager = nullptr;
    std::vector<std::unique_ptr<ACF_ASSIGNMENT>> m_assignments;
    IPMAN_IP_INFO_MANAGER* m_inventory = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
};

// The installed rules list fifo under 11.1 and 12.1, pll under 12.1, fir under
// 13.0, and pair fifo with scfifo; the running version is 14.0.
TEST_F(IpmanInventory, ComponentsTheirVariationFilesAndParents) {
    // Top level, listed for an upgrade.
    component("fifo_a.tip", nullptr, "fifo", "12.1", DIR + "fifo_a.v");
    assign("fifo_a.tip", nullptr, ACF_VARIABLE_TYPE_IP_TOOL_ENV, "vestawiz");
    // No variation file: left out.
    component("plain_b.tip", nullptr, "fifo", "11.1", DIR + "plain_b.v");
    // A Plexa system stands as its own variation file.
    component("plexa_c.tip", nullptr, "plexa_c", "12.1", DIR + "plexa_c.psys");
    assign("plexa_c.tip", nullptr, ACF_VARIABLE_TYPE_IP_TOOL_ENV, "plexa");
    // A parent made by the running version, a part of it under its own name that
    // needs an upgrade, and a part under the parent's name (judged with it).
    component("pll_d.tip", "pll_d", "pll", "14.0", DIR + "pll_d.v");
    component("pll_d.tip", "pll_core", "fir", "13.0", DIR + "fifo_a.v");
    component("pll_d.tip", "pll_half", "pll", "12.1", DIR + "pll_d.v");
    // Listed under the other name of its pair.
    component("scfifo_e.tip", nullptr, "scfifo", "11.1", DIR + "scfifo_e.v");
    // The version set before the name is judged once the name arrives.
    assign("late_f.tip", nullptr, ACF_VARIABLE_TYPE_IP_TOOL_VERSION, "12.1");
    assign("late_f.tip", nullptr, ACF_VARIABLE_TYPE_IP_TOOL_NAME, "fifo");
    assign("late_f.tip", nullptr, ACF_VARIABLE_TYPE_VERILOG_FILE, DIR + "late_f.v");
    // Not from an IP file, or not a variable of the inventory.
    assign(nullptr, nullptr, ACF_VARIABLE_TYPE_IP_TOOL_NAME, "stray");
    assign("fifo_a.tip", nullptr, ACF_VARIABLE_TYPE_TIP_FILE, "fifo_a.tip");

    bool need = false;
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required = {IPMAN_IP_INFO()};
    m_inventory->load_ip_info(need, all, required);

    std::vector<ROW> const expected_all = {
        {"fifo_a.tip", "", "fifo", "12.1", DIR + "fifo_a.v", true, "N/A"},
        {"plexa_c.tip", "", "plexa_c", "12.1", DIR + "plexa_c.psys", false, "N/A"},
        {"pll_d.tip", "pll_d", "pll", "14.0", DIR + "pll_d.v", true, "N/A"},
        {"pll_d.tip", "pll_core", "fir", "13.0", DIR + "pll_d.v", true, "pll_d"},
        {"scfifo_e.tip", "", "scfifo", "11.1", DIR + "scfifo_e.v", true, "N/A"},
        {"late_f.tip", "", "fifo", "12.1", DIR + "late_f.v", true, "N/A"},
    };
    EXPECT_EQ(rows(all), expected_all);
    EXPECT_TRUE(need);
    std::vector<ROW> const expected_required = {expected_all[0], expected_all[2], expected_all[3],
                                                expected_all[4], expected_all[5]};
    EXPECT_EQ(rows(required), expected_required);
    EXPECT_EQ(all[1].generated_by, "plexa");
    EXPECT_EQ(all[0].generated_by, "vestawiz");

    // Lookups, first match, exact keys.
    IPMAN_IP_INFO found;
    EXPECT_TRUE(m_inventory->get_ip_info_by_filename(DIR + "pll_d.v", found));
    EXPECT_EQ(found.entity, "pll_d");
    EXPECT_TRUE(m_inventory->get_ip_info_by_tip_filename("pll_d.tip", found));
    EXPECT_EQ(found.entity, "pll_d");
    EXPECT_TRUE(
        m_inventory->get_ip_info_by_tip_filename_and_entity("pll_d.tip", "pll_core", found));
    EXPECT_EQ(found.tool_name, "fir");
    found.entity = "untouched";
    EXPECT_FALSE(m_inventory->get_ip_info_by_filename("", found));
    EXPECT_FALSE(m_inventory->get_ip_info_by_tip_filename("PLL_D.tip", found));
    EXPECT_EQ(found.entity, "untouched");
    EXPECT_FALSE(m_inventory->get_ip_info_by_hpath("top|x").is_valid());

    // The project's own reading of one IP setting.
    std::string value;
    EXPECT_TRUE(m_inventory->get_ipcore_info_from_tip_acf_manager(
        "pll_d.tip", "pll_core", ACF_VARIABLE_TYPE_IP_TOOL_VERSION, value));
    EXPECT_EQ(value, "13.0");
    // Settings without an entity belong to the component of the empty entity.
    EXPECT_TRUE(m_inventory->get_ipcore_info_from_tip_acf_manager(
        "fifo_a.tip", "", ACF_VARIABLE_TYPE_IP_TOOL_VERSION, value));
    EXPECT_EQ(value, "12.1");
    EXPECT_FALSE(m_inventory->get_ipcore_info_from_tip_acf_manager(
        "fifo_a.tip", "fifo_a", ACF_VARIABLE_TYPE_IP_TOOL_VERSION, value));
    EXPECT_FALSE(m_inventory->get_ipcore_info_from_tip_acf_manager(
        "pll_d.tip", "", ACF_VARIABLE_TYPE_IP_TOOL_VERSION, value));
    EXPECT_EQ(m_inventory->get_tip_files_from_opened_project(),
              std::vector<std::string>{"fifo_a.tip"});
    // The assignments were read under a read lock taken and given back here.
    EXPECT_EQ(m_store.lock_count(), 0u);
}

TEST_F(IpmanInventory, NothingToUpgradeLeavesTheRequiredListAlone) {
    component("pll_d.tip", "pll_d", "pll", "14.0", DIR + "pll_d.v");
    // A part needing an upgrade does not make its up-to-date parent need one
    // when it is only a part of it (same name).
    component("pll_d.tip", "pll_half", "pll", "12.1", DIR + "pll_d.v");
    bool need = true;
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required(2);
    m_inventory->load_ip_info(need, all, required);
    EXPECT_FALSE(need);
    EXPECT_EQ(required.size(), 2u);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].entity, "pll_d");
}

// A wizard killed between rewriting the variation file and its IP file, or a
// restore that put back one of them, leaves a pair that names two versions: it
// needs an upgrade though the IP file names the running version.
TEST_F(IpmanInventory, APairNamingTwoVersionsNeedsAnUpgrade) {
    component("fifo_a.tip", nullptr, "fifo", "14.0", DIR + "fifo_a.v"); // file at 12.1
    component("pll_d.tip", nullptr, "pll", "14.0", DIR + "pll_d.v");    // file at 14.0
    bool need = false;
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required;
    m_inventory->load_ip_info(need, all, required);
    EXPECT_TRUE(need);
    ASSERT_EQ(required.size(), 1u);
    EXPECT_EQ(required[0].file, "fifo_a.tip");
}

TEST_F(IpmanInventory, NoProjectOrNoLockGivesAnEmptyInventory) {
    component("fifo_a.tip", nullptr, "fifo", "12.1", DIR + "fifo_a.v");
    struct CASE {
        char const* what;
        bool project_open;
        bool write_locked;
    } const cases[] = {{"no project", false, false}, {"write lock held by the caller", true, true}};
    for (CASE const& c : cases) {
        m_store.project_open = c.project_open;
        if (c.write_locked) {
            ASSERT_TRUE(m_manager->write_lock(false));
        }
        bool need = true;
        std::vector<IPMAN_IP_INFO> all(1);
        std::vector<IPMAN_IP_INFO> required;
        m_inventory->load_ip_info(need, all, required);
        if (c.write_locked) {
            m_manager->write_unlock(false);
        }
        // A held write lock is used as it is; only without a project is there nothing.
        EXPECT_EQ(all.empty(), !c.project_open) << c.what;
    }
}

TEST_F(IpmanInventory, DatabaseIsPersistedBesideTheRevision) {
    TEST_WORKSPACE workspace;
    m_store.revision_name = "rev";
    m_store.revision_path = workspace.path("rev.tsf");
    // As opening the project does.
    gen_set_project_dir_path(workspace.path("").c_str());
    EXPECT_EQ(m_inventory->get_ip_db_filename(), workspace.path("db/rev"));
    EXPECT_EQ(m_inventory->get_revision_name(), "rev");

    component("fifo_a.tip", nullptr, "fifo", "12.1", DIR + "fifo_a.v");
    bool need = false;
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required;
    m_inventory->load_ip_info(need, all, required);
    // No database folder yet: the write fails and says so.
    EXPECT_FALSE(m_inventory->write_ip_info_to_db());
    std::filesystem::create_directory(workspace.path("db"));
    ASSERT_TRUE(m_inventory->write_ip_info_to_db());

    m_store.coll_answer.clear();
    m_inventory->load_ip_info(need, all, required);
    EXPECT_TRUE(m_inventory->get_ip_info_vec().empty());
    ASSERT_TRUE(m_inventory->load_ip_info_from_db());
    ASSERT_EQ(m_inventory->get_ip_info_vec().size(), 1u);
    EXPECT_EQ(m_inventory->get_ip_info_vec()[0].var_file, DIR + "fifo_a.v");

    // Without a project there is no archive, and nothing is read.
    m_store.project_open = false;
    EXPECT_EQ(m_inventory->get_ip_db_filename(), "");
    EXPECT_FALSE(m_inventory->load_ip_info_from_db());
    EXPECT_TRUE(m_inventory->get_ip_info_vec().empty());
    EXPECT_FALSE(m_inventory->write_ip_info_to_db());
    gen_set_project_dir_path(nullptr);
}

TEST(IpmanInventoryTexts, ReleaseDatesBlanksAndVersionAge) {
    struct DATE {
        char const* in;
        char const* out;
    } const dates[] = {{"2012.06", "Jun 2012"}, {"2012.1", "Jan 2012"}, {"2012.12", "Dec 2012"},
                       {"2012.13", "N/A"},      {"2012", "N/A"},        {"2012.0", "N/A"},
                       {"x.3", "Mar x"}};
    for (DATE const& d : dates) {
        EXPECT_EQ(IPMAN_IP_INFO_MANAGER::format_release_date(d.in), d.out) << d.in;
    }
    struct BLANK {
        char const* in;
        char const* out;
    } const blanks[] = {{"", "N/A"}, {"   ", "N/A"}, {" x ", " x "}, {"\t", "\t"}};
    for (BLANK const& b : blanks) {
        EXPECT_EQ(IPMAN_IP_INFO_MANAGER::na_format(b.in), b.out) << b.in;
    }
    struct AGE {
        char const* version;
        bool exact;
        bool old;
    } const ages[] = {
        {"11.1sp2", false, true}, {"14.0", false, false}, {"14.0sp1", false, false},
        {"N/A", false, false},    {"x", false, true},     {"15.0", false, false},
        {"14.0", true, false},    {"14.0 ", true, true},  {"N/A", true, true},
    };
    for (AGE const& a : ages) {
        EXPECT_EQ(IPMAN_IP_INFO_MANAGER::is_ip_out_of_date(a.version, a.exact), a.old)
            << a.version << " " << a.exact;
    }
}

} // namespace
