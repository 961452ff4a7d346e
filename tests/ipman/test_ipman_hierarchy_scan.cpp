// The IP components of a compiled design found by walking its hierarchy: a
// fixture project whose compiled hierarchy (db/soc.hier) instantiates real IP
// settings files, variation files and encrypted IP containers, opened through
// the project manager so that the project's own settings take part.
#include "ipman/ipman_ip_info_manager.h"

#include "acf_manager.h"
#include "suite/cpt/cpt_zovk.h"
#include "suite/hierdb/hdb.h"
#include "suite/messages/msg.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <map>
#include <sstream>

namespace {

// Every field of a record, in the order it is stored, as one comparable text.
std::string fields(IPMAN_IP_INFO const& r) {
    std::ostringstream out;
    out << r.hdb_name_id << " | " << r.var_file << " | " << r.tool_version << " | " << r.tool_name
        << " | " << r.release_date << " | " << r.vendor_name << " | " << r.generated_by << " | "
        << r.lic_type << " | " << r.hpath << " | " << r.file << " | " << r.entity << " | "
        << r.need_regen << " | " << r.parent_entity << " | " << r.skip_check_need_regen;
    return out.str();
}

std::vector<std::string> fields(std::vector<IPMAN_IP_INFO> const& records) {
    std::vector<std::string> out;
    for (IPMAN_IP_INFO const& r : records) {
        out.push_back(fields(r));
    }
    return out;
}

// A record of the expected table, field by field.
IPMAN_IP_INFO record(uint32_t id, std::string var_file, std::string version, std::string name,
                     std::string release, std::string vendor, std::string generated_by,
                     IPMAN_IP_LIC_TYPE_ENUM lic, std::string hpath, std::string file,
                     std::string entity, std::string parent, bool skip) {
    IPMAN_IP_INFO r;
    r.hdb_name_id = id;
    r.var_file = var_file;
    r.tool_version = version;
    r.tool_name = name;
    r.release_date = release;
    r.vendor_name = vendor;
    r.generated_by = generated_by;
    r.lic_type = lic;
    r.hpath = hpath;
    r.file = file;
    r.entity = entity;
    r.parent_entity = parent;
    r.skip_check_need_regen = skip;
    return r;
}

class IpmanHierarchyScan : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = m_workspace.copy_fixture(TESSALY_TEST_DATA_DIR "/fixtures/hierarchy", "soc");
        // The compiled hierarchy names its files by full path.
        std::string text = test_read_file(m_dir + "/db/soc.hier");
        for (size_t at = text.find("@PROJECT@"); at != std::string::npos;
             at = text.find("@PROJECT@", at)) {
            text.replace(at, 9, m_dir);
        }
        test_write_file(m_dir + "/db/soc.hier", text);
        m_cap = HDB_CMP_ACTION_PT_INSTANCE::read_pdb(m_dir + "/db", "soc", 0);
        ASSERT_NE(m_cap, nullptr);

        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        m_previous_dir = cwd;
        ASSERT_EQ(chdir(m_dir.c_str()), 0);
        ASSERT_EQ(m_manager->open_project((m_dir + "/").c_str(), "soc", "", false, false, true,
                                          false, false),
                  0);
        cpt_zovk_set_open_hook([this](char const* path) { ++m_opens[path]; });
        MSG_INTERNAL_ERROR::set_hook([this](char const* condition, char const*, char const*, int) {
            m_internal_errors.push_back(condition);
        });
    }
    void TearDown() override {
        MSG_INTERNAL_ERROR::set_hook(nullptr);
        cpt_zovk_set_open_hook(nullptr);
        IPMAN_IP_INFO_MANAGER::set_regen_manager_source(nullptr);
        m_manager->close_project(false);
        m_manager->free_cached_storage();
        EXPECT_EQ(chdir(m_previous_dir.c_str()), 0);
    }
    std::string path(std::string const& name) const { return m_dir + "/" + name; }
    HDB_INSTANCE_NAME const* instance(std::string const& name) const {
        HDB_INSTANCE_NAME const* found = m_inventory->get_hdb_iname(m_cap.get(), "soc|" + name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    std::vector<IPMAN_IP_INFO> collect() {
        return m_inventory->collect_all_ip_cores(m_cap.get(), m_cap->get_root());
    }

    // The records the walk of the fixture finds, in walk order.
    std::vector<IPMAN_IP_INFO> expected_walk() const {
        auto const lic4 = IPMAN_IP_LIC_TYPE_UNENCRYPTED;
        auto const lic0 = IPMAN_IP_LIC_TYPE_DEFAULT;
        std::string const na = "N/A";
        std::string const fifo = path("ip/fifo_a/fifo_a.v");
        std::string const uart_tip = path("ip/uart_b/uart_b.tip");
        std::string const crc = path("ip/crc/crc_core.tve");
        return {
            // A leaf qualifies only as a macrofunction; its design unit is the
            // one of its own library ("work" has a decoy of the same name).
            record(4, fifo, "12.1", "fifo", "Unknown", "Norvik", na, lic4, "soc|u_blk|u_fifo_m",
                   fifo, "fifo_a", na, false),
            // Preference: the instance's own options over the project's settings...
            record(5, path("ip/uart_b/uart_b.v"), "13.0", "uart_inst", "Unknown", "Norvik", na,
                   lic4, "soc|u_uart_opt", uart_tip, "uart_b", na, false),
            // ...the project's settings over the compiled IP settings and the
            // variation file's header...
            record(6, path("ip/uart_b/uart_b.v"), "13.1", "uart", "Unknown", "Norvik", "vestawiz",
                   lic4, "soc|u_uart", uart_tip, "uart_b", na, false),
            // ...the compiled IP settings (matched ignoring case, the last one
            // winning, an empty value read as "N/A") over the header.
            record(7, path("ip/pll_d/pll_d.v"), "13.0", "pll", "Unknown", "Norvik", na, lic4,
                   "soc|u_pll", path("ip/pll_d/pll_d.tip"), "pll_d", na, false),
            // Parts of pll: one of another IP, one of pll itself; pll again is
            // the component added last and is not added twice.
            record(8, path("ip/pll_d/parts/mult_p.v"), "11.1", "mult", "Unknown", "Norvik", na,
                   lic4, "soc|u_pll|u_mult", path("ip/pll_d/parts/mult_p.v"), "mult_p", "pll_d",
                   false),
            record(9, path("ip/pll_d/parts/pll_half.v"), "12.1", "pll", "Unknown", "Norvik", na,
                   lic4, "soc|u_pll|u_half", path("ip/pll_d/parts/pll_half.v"), "pll_half", "pll_d",
                   true),
            // Not nested in the first fifo: recorded again; its nested fifo is
            // not, and its part scfifo is fifo under its other name.
            record(11, fifo, "12.1", "fifo", "Unknown", "Norvik", na, lic4, "soc|u_fifo_top", fifo,
                   "fifo_a", na, false),
            record(13, path("ip/fifo_a/scfifo_p.v"), "13.0", "scfifo", "Unknown", "Norvik", na,
                   lic4, "soc|u_fifo_top|u_sc", path("ip/fifo_a/scfifo_p.v"), "scfifo_p", "fifo_a",
                   true),
            // A wrapper of one encrypted child stands for that component.
            record(14, crc, na, "crc_x", "2.5", "Kestrel Logic", "", lic0, "soc|u_wrap1", "", na,
                   na, false),
            // A wrapper of two children is a component of its own.
            record(16, path("ip/crc/crc_wrap2.v"), "13.0", "crcw", "Unknown", "Norvik", na, lic4,
                   "soc|u_wrap2", path("ip/crc/crc_wrap2.v"), "crc_wrap2", na, false),
            // The same encrypted file again: each instance with its own path.
            record(19, crc, na, "crc_x", "2.5", "Kestrel Logic", "", lic0, "soc|u_enc_a", "", na,
                   na, false),
            record(20, crc, na, "crc_x", "2.5", "Kestrel Logic", "", lic0, "soc|u_enc_b", "", na,
                   na, false),
            // A vendor the table does not know. A container cut short, and a
            // file flagged as never an IP, give nothing.
            record(21, path("ip/crc/mystery.tve"), na, "mystery_core", "1.0.3", "Unknown", "", lic0,
                   "soc|u_mys", "", na, na, false),
        };
    }

    TEST_WORKSPACE m_workspace;
    std::string m_dir;
    std::string m_previous_dir;
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> m_cap;
    ACF_MANAGER* m_manager = ACF_MANAGER::get_acf_manager();
    IPMAN_IP_INFO_MANAGER* m_inventory = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
    std::map<std::string, int> m_opens;
    std::vector<std::string> m_internal_errors;
};

TEST_F(IpmanHierarchyScan, TheWalkFindsEachComponentOnceInWalkOrder) {
    std::vector<std::string> const expected = fields(expected_walk());
    EXPECT_EQ(fields(collect()), expected);
    // The database holds the same records; each encrypted file was read once.
    EXPECT_EQ(fields(m_inventory->get_ip_info_vec()), expected);
    EXPECT_EQ(m_opens, (std::map<std::string, int>{{path("ip/crc/crc_core.tve"), 1},
                                                   {path("ip/crc/mystery.tve"), 1}}));
    // A second walk gives the same records, the cache sparing every read.
    EXPECT_EQ(fields(collect()), expected);
    EXPECT_EQ(m_opens[path("ip/crc/crc_core.tve")], 1);
    EXPECT_TRUE(m_internal_errors.empty());
}

TEST_F(IpmanHierarchyScan, AWalkEmptiesTheDatabaseAndASingleInstanceLeavesItAlone) {
    collect();
    // A walk from a leaf that does not qualify finds nothing and keeps nothing.
    EXPECT_TRUE(
        m_inventory->collect_all_ip_cores(m_cap.get(), instance("u_blk|u_fifo_leaf")).empty());
    EXPECT_TRUE(m_inventory->get_ip_info_vec().empty());

    // A walk from a component, twice: the second is not hidden by the
    // component the first one added last.
    std::vector<IPMAN_IP_INFO> const expected = expected_walk();
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(fields(m_inventory->collect_all_ip_cores(m_cap.get(), instance("u_fifo_top"))),
                  fields(std::vector<IPMAN_IP_INFO>{expected[6], expected[7]}))
            << round;
    }

    std::vector<IPMAN_IP_INFO> const walk = collect();
    struct CASE {
        char const* instance;
        std::string record;
    } const cases[] = {
        // Read from the compiled IP settings (here the name only) or the
        // variation file's header, never from options or the project.
        {"u_uart_opt",
         [&] {
             IPMAN_IP_INFO r = expected[1];
             r.tool_name = "uart_sec";
             r.tool_version = "N/A";
             r.file = "N/A";
             return fields(r);
         }()},
        // A part of its parent's IP; no IP file is named for a single instance.
        {"u_pll|u_half",
         [&] {
             IPMAN_IP_INFO r = expected[5];
             r.file = "N/A";
             return fields(r);
         }()},
        {"u_enc_b", fields(expected[11])},
        // Not IP components: the default record.
        {"u_blk", fields(IPMAN_IP_INFO())},
        {"u_never", fields(IPMAN_IP_INFO())},
        {"u_trunc", fields(IPMAN_IP_INFO())},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(fields(m_inventory->get_ip_info_from_file(m_cap.get(), instance(c.instance))),
                  c.record)
            << c.instance;
    }
    EXPECT_EQ(fields(m_inventory->get_ip_info_vec()), fields(walk));
    EXPECT_TRUE(m_internal_errors.empty());
}

TEST_F(IpmanHierarchyScan, TheHierarchyAccessors) {
    HDB_INSTANCE_NAME const* sc = instance("u_fifo_top|u_sc");
    EXPECT_EQ(IPMAN_IP_INFO_MANAGER::get_entity_parent(sc), instance("u_fifo_top"));
    EXPECT_EQ(IPMAN_IP_INFO_MANAGER::get_entity_parent(instance("u_fifo_top")), nullptr);
    EXPECT_EQ(IPMAN_IP_INFO_MANAGER::get_entity_top_parent(sc), instance("u_fifo_top"));
    EXPECT_EQ(IPMAN_IP_INFO_MANAGER::get_entity_top_parent(m_cap->get_root()), m_cap->get_root());
    EXPECT_EQ(IPMAN_IP_INFO_MANAGER::get_entity_top_parent(nullptr), nullptr);
    EXPECT_EQ(IPMAN_IP_INFO_MANAGER::get_hdb_iname(nullptr, "soc"), nullptr);
    EXPECT_EQ(m_inventory->get_ip_file(m_cap.get(), instance("u_uart"), false),
              path("ip/uart_b/uart_b.tip"));
    EXPECT_EQ(m_inventory->get_ip_file(m_cap.get(), instance("u_uart"), true),
              path("ip/uart_b/uart_b.v"));
    EXPECT_EQ(m_inventory->get_ip_file(m_cap.get(), instance("u_blk"), false), "");
}

TEST_F(IpmanHierarchyScan, BrokenInvariantsAreReportedAndTheScanGoesOn) {
    // No compilation point: nothing is found.
    EXPECT_TRUE(m_inventory->collect_all_ip_cores(nullptr, m_cap->get_root()).empty());
    // No instance.
    EXPECT_EQ(fields(m_inventory->get_ip_info_from_file(m_cap.get(), nullptr)),
              fields(IPMAN_IP_INFO()));
    // A hole among an instance's children is skipped.
    HDB_INSTANCE_NAME holder = *m_cap->get_root();
    holder.children.insert(holder.children.begin(), nullptr);
    std::vector<IPMAN_IP_INFO> walk = m_inventory->collect_all_ip_cores(m_cap.get(), &holder);
    EXPECT_EQ(fields(walk), fields(expected_walk()));
    // Without an upgrade manager a part is judged without its IP's other name.
    IPMAN_IP_INFO_MANAGER::set_regen_manager_source([] { return nullptr; });
    IPMAN_IP_INFO sc = m_inventory->get_ip_info_from_file(m_cap.get(), instance("u_fifo_top|u_sc"));
    EXPECT_EQ(sc.parent_entity, "fifo_a");
    EXPECT_FALSE(sc.skip_check_need_regen);
    EXPECT_EQ(m_internal_errors,
              (std::vector<std::string>{"cap!=0", "inst!=0", "hier != 0", "regen_mgr != NULL"}));
}

} // namespace
