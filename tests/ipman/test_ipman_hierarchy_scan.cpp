// The IP components of a compiled design found by walking its hierarchy: a
// fixture project whose compiled hierarchy (db/soc.hier) instantiates real IP
// settings files, variation files and encrypted IP containers, opened through
// the project manager so that the project's own settings take part. The
// hierarchy names its files by full path or relative to the project, and the
// scan starts from the project's folder or from another one: the records are
// the same.
#include "ipman/ipman_ip_info_manager.h"

#include "acf_manager.h"
#include "suite/cpt/cpt_zovk.h"
#include "suite/hierdb/hdb.h"
#include "suite/messages/msg.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
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

// How the hierarchy names its files, and where the scan starts.
struct FORM {
    bool relative_names;
    bool from_project_folder;
};

void PrintTo(FORM const& form, std::ostream* out) {
    *out << (form.relative_names ? "relative names" : "full names")
         << (form.from_project_folder ? " from the project" : " from elsewhere");
}

std::string form_name(::testing::TestParamInfo<FORM> const& info) {
    return std::string(info.param.relative_names ? "RelativeNames" : "FullNames") +
           (info.param.from_project_folder ? "FromTheProject" : "FromElsewhere");
}

std::string replace_all(std::string text, std::string const& from, std::string const& to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Changes the current folder for a test's time.
class CURRENT_FOLDER {
public:
    CURRENT_FOLDER() {
        char cwd[4096];
        EXPECT_NE(getcwd(cwd, sizeof cwd), nullptr);
        m_previous = cwd;
    }
    ~CURRENT_FOLDER() { EXPECT_EQ(chdir(m_previous.c_str()), 0); }
    void enter(std::string const& folder) { ASSERT_EQ(chdir(folder.c_str()), 0) << folder; }

private:
    std::string m_previous;
};

class IpmanHierarchyScan : public ::testing::TestWithParam<FORM> {
protected:
    void SetUp() override {
        m_dir = m_workspace.copy_fixture(TESSALY_TEST_DATA_DIR "/fixtures/hierarchy", "soc");
        // "@PROJECT@/" stands for the project's folder: written out, or left
        // out so that the names are relative to the project.
        test_write_file(m_dir + "/db/soc.hier",
                        replace_all(test_read_file(m_dir + "/db/soc.hier"), "@PROJECT@/",
                                    GetParam().relative_names ? "" : m_dir + "/"));
        std::filesystem::create_directories(m_workspace.path("elsewhere"));
        m_folder.enter(GetParam().from_project_folder ? m_dir : m_workspace.path("elsewhere"));
        m_cap = HDB_CMP_ACTION_PT_INSTANCE::read_pdb(m_dir + "/db", "soc", 0);
        ASSERT_NE(m_cap, nullptr);

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
    CURRENT_FOLDER m_folder;
    std::string m_dir;
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> m_cap;
    ACF_MANAGER* m_manager = ACF_MANAGER::get_acf_manager();
    IPMAN_IP_INFO_MANAGER* m_inventory = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
    std::map<std::string, int> m_opens;
    std::vector<std::string> m_internal_errors;
};

TEST_P(IpmanHierarchyScan, TheWalkFindsEachComponentOnceInWalkOrder) {
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

TEST_P(IpmanHierarchyScan, AWalkEmptiesTheDatabaseAndASingleInstanceLeavesItAlone) {
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

TEST_P(IpmanHierarchyScan, TheHierarchyAccessors) {
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

TEST_P(IpmanHierarchyScan, BrokenInvariantsAreReportedAndTheScanGoesOn) {
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

// A compiled hierarchy of the example project as the example names its files,
// relative to the project: its five IP files instantiated (the FIFO twice),
// the Plexa system described by the compiled IP settings, and an encrypted
// core.
char const* const EXAMPLE_HIERARCHY = R"({
  "version": 1, "last_compilation_successful": true, "libraries": ["work"],
  "files": [
    {"path": "hdl/dsp_board.v"},
    {"path": "ip/fifo_a/fifo_a.v", "tip": "ip/fifo_a/fifo_a.tip"},
    {"path": "ip/pll_d/pll_d.v", "tip": "ip/pll_d/pll_d.tip"},
    {"path": "ip/dsp/mult_b/mult_b.vhd", "tip": "ip/dsp/mult_b/mult_b.tip"},
    {"path": "ip/dsp/filters/fir_c/fir_c.sv", "tip": "ip/dsp/filters/fir_c/fir_c.tip"},
    {"path": "ip/plexa_sys/plexa_sys.v", "tip": "ip/plexa_sys/plexa_sys.tip"},
    {"path": "ip/enc/core.tve", "flags": [8]}],
  "design_units": [
    {"name": "dsp_board", "library": "work", "file": 0},
    {"name": "fifo_a", "library": "work", "file": 1},
    {"name": "pll_d", "library": "work", "file": 2},
    {"name": "mult_b", "library": "work", "file": 3},
    {"name": "fir_c", "library": "work", "file": 4},
    {"name": "plexa_sys", "library": "work", "file": 5},
    {"name": "core", "library": "work", "file": 6}],
  "sections": [{"number": 6, "string_options": [
    {"name": "IP_TOOL_NAME", "value": "plexa_sys", "tip": "ip/plexa_sys/plexa_sys.tip"},
    {"name": "IP_TOOL_VERSION", "value": "12.1", "tip": "ip/plexa_sys/plexa_sys.tip"},
    {"name": "IP_TOOL_ENV", "value": "plexa", "tip": "ip/plexa_sys/plexa_sys.tip"}]}],
  "root": {"name": "dsp_board", "entity": "dsp_board", "library": "work", "children": [
    {"name": "clk"}, {"name": "reset_n"},
    {"name": "fifo_a:rx_fifo", "entity": "fifo_a", "library": "work", "schema": "macrofunction"},
    {"name": "fifo_a:tx_fifo", "entity": "fifo_a", "library": "work", "schema": "macrofunction"},
    {"name": "pll_d:main_pll", "entity": "pll_d", "library": "work", "schema": "macrofunction"},
    {"name": "mult_b:mult", "entity": "mult_b", "library": "work", "schema": "macrofunction"},
    {"name": "fir_c:fir", "entity": "fir_c", "library": "work", "schema": "macrofunction"},
    {"name": "plexa_sys:sys", "entity": "plexa_sys", "library": "work",
     "schema": "macrofunction"},
    {"name": "core:crc", "entity": "core", "library": "work", "schema": "macrofunction"}]}
})";

TEST(IpmanHierarchyScanExample, AScanFromAnotherFolderFindsEveryComponentOfTheExample) {
    TEST_WORKSPACE workspace;
    std::string const dir =
        workspace.copy_fixture(TESSALY_TEST_DATA_DIR "/../../examples/dsp_board", "dsp_board");
    test_write_file(dir + "/db/dsp_board.hier", EXAMPLE_HIERARCHY);
    std::filesystem::create_directories(dir + "/ip/enc");
    test_write_file(dir + "/ip/enc/core.tve", "ZOVK-ENCRYPTED-IP 1\n2\n\"crc_x\"\n2.5\nbody\n");
    std::filesystem::create_directories(workspace.path("elsewhere"));
    CURRENT_FOLDER folder;
    folder.enter(workspace.path("elsewhere"));
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_EQ(manager->open_project((dir + "/").c_str(), "dsp_board", "", false, false, true, false,
                                    false),
              0);
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap =
        HDB_CMP_ACTION_PT_INSTANCE::read_pdb(dir + "/db", "dsp_board", 0);
    ASSERT_NE(cap, nullptr);

    std::vector<IPMAN_IP_INFO> const found =
        IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->collect_all_ip_cores(cap.get(),
                                                                           cap->get_root());
    manager->close_project(false);
    manager->free_cached_storage();

    auto const lic4 = IPMAN_IP_LIC_TYPE_UNENCRYPTED;
    std::string const na = "N/A";
    auto const p = [&](std::string const& name) { return dir + "/" + name; };
    auto const ip = [&](uint32_t id, std::string const& file, std::string const& version,
                        std::string const& name, std::string const& generated_by,
                        std::string const& hpath, std::string const& tip,
                        std::string const& entity) {
        return record(id, p(file), version, name, "Unknown", "Norvik", generated_by, lic4,
                      "dsp_board|" + hpath, p(tip), entity, na, false);
    };
    // Names and versions from the variation files' headers, the Plexa system's
    // from the compiled IP settings, the encrypted core's from its container.
    EXPECT_EQ(fields(found),
              fields(std::vector<IPMAN_IP_INFO>{
                  ip(4, "ip/fifo_a/fifo_a.v", "12.1", "fifo", na, "fifo_a:rx_fifo",
                     "ip/fifo_a/fifo_a.tip", "fifo_a"),
                  ip(5, "ip/fifo_a/fifo_a.v", "12.1", "fifo", na, "fifo_a:tx_fifo",
                     "ip/fifo_a/fifo_a.tip", "fifo_a"),
                  ip(6, "ip/pll_d/pll_d.v", "14.0", "pll", na, "pll_d:main_pll",
                     "ip/pll_d/pll_d.tip", "pll_d"),
                  ip(7, "ip/dsp/mult_b/mult_b.vhd", "11.1", "mult", na, "mult_b:mult",
                     "ip/dsp/mult_b/mult_b.tip", "mult_b"),
                  ip(8, "ip/dsp/filters/fir_c/fir_c.sv", "13.0", "fir", na, "fir_c:fir",
                     "ip/dsp/filters/fir_c/fir_c.tip", "fir_c"),
                  ip(9, "ip/plexa_sys/plexa_sys.v", "12.1", "plexa_sys", "plexa", "plexa_sys:sys",
                     "ip/plexa_sys/plexa_sys.tip", "plexa_sys"),
                  record(10, p("ip/enc/core.tve"), na, "crc_x", "2.5", "Kestrel Logic", "",
                         IPMAN_IP_LIC_TYPE_DEFAULT, "dsp_board|core:crc", "", na, na, false),
              }));
}

// A project whose hierarchy holds one encrypted core, "ip/enc/core.tve".
std::string write_encrypted_project(TEST_WORKSPACE const& workspace, std::string const& name,
                                    std::string const& core) {
    std::string const dir = workspace.path(name);
    std::filesystem::create_directories(dir + "/db");
    std::filesystem::create_directories(dir + "/ip/enc");
    test_write_file(dir + "/" + name + ".tpf", "PROJECT_REVISION = \"" + name + "\"\n");
    test_write_file(dir + "/" + name + ".tsf",
                    "set_global_assignment -name TOP_LEVEL_ENTITY top\n");
    test_write_file(dir + "/db/" + name + ".hier", R"({"version": 1,
      "files": [{"path": "ip/enc/core.tve", "flags": [8]}],
      "design_units": [{"name": "core", "library": "work", "file": 0}],
      "root": {"name": "top", "children": [
        {"name": "u_core", "entity": "core", "library": "work", "schema": "macrofunction"}]}})");
    test_write_file(dir + "/ip/enc/core.tve", core);
    return dir;
}

TEST(IpmanHierarchyScanProjects, EachProjectReadsItsOwnEncryptedCores) {
    TEST_WORKSPACE workspace;
    std::string const a =
        write_encrypted_project(workspace, "a", "ZOVK-ENCRYPTED-IP 1\n1\n\"core_a\"\n1.0\nbody\n");
    std::string const b =
        write_encrypted_project(workspace, "b", "ZOVK-ENCRYPTED-IP 1\n3\n\"core_b\"\n2.0\nbody\n");
    std::map<std::string, int> opens;
    cpt_zovk_set_open_hook([&](char const* path) { ++opens[path]; });
    CURRENT_FOLDER folder;
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    // Each project scanned from its own folder, as a user in it would; the
    // component as "vendor name release".
    auto scan = [&](std::string const& dir, std::string const& name) {
        folder.enter(dir);
        EXPECT_EQ(manager->open_project((dir + "/").c_str(), name.c_str(), "", false, false, true,
                                        false, false),
                  0);
        std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap =
            HDB_CMP_ACTION_PT_INSTANCE::read_pdb(dir + "/db", name, 0);
        std::vector<std::string> found;
        for (IPMAN_IP_INFO const& r :
             IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->collect_all_ip_cores(cap.get(),
                                                                                cap->get_root())) {
            found.push_back(r.vendor_name + " " + r.tool_name + " " + r.release_date + " " +
                            r.var_file);
        }
        manager->close_project(false);
        return found;
    };
    using TEXTS = std::vector<std::string>;
    EXPECT_EQ(scan(a, "a"), TEXTS{"Norvik core_a 1.0 " + a + "/ip/enc/core.tve"});
    // The same relative name in another project is another file.
    EXPECT_EQ(scan(b, "b"), TEXTS{"Brightmoor IP core_b 2.0 " + b + "/ip/enc/core.tve"});
    // Regenerated while the project was closed: what was read of it went with
    // the project, and it is read again.
    test_write_file(a + "/ip/enc/core.tve", "ZOVK-ENCRYPTED-IP 1\n1\n\"core_a\"\n1.1\nbody\n");
    EXPECT_EQ(scan(a, "a"), TEXTS{"Norvik core_a 1.1 " + a + "/ip/enc/core.tve"});
    // Closed and opened again with no other project between: read again too.
    test_write_file(a + "/ip/enc/core.tve", "ZOVK-ENCRYPTED-IP 1\n1\n\"core_a\"\n1.2\nbody\n");
    EXPECT_EQ(scan(a, "a"), TEXTS{"Norvik core_a 1.2 " + a + "/ip/enc/core.tve"});
    EXPECT_EQ(opens, (std::map<std::string, int>{{a + "/ip/enc/core.tve", 3},
                                                 {b + "/ip/enc/core.tve", 1}}));
    cpt_zovk_set_open_hook(nullptr);
    manager->free_cached_storage();
}

INSTANTIATE_TEST_SUITE_P(Forms, IpmanHierarchyScan,
                         ::testing::Values(FORM{false, true}, FORM{false, false}, FORM{true, true},
                                           FORM{true, false}),
                         form_name);

} // namespace
