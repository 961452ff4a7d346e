// The tool launchers and the small entry points: the system console's and
// Ferro Builder's command lines and working directories (read back from what
// the stand-in tools print), the tools missing or unable to start, the
// settings file organized, the netlist check and the early power estimator.
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "services/appflows/appflows.h"
#include "suite/general/gen.h"
#include "suite/gui/qui_app.h"
#include "suite/gui/qui_frame_wnd.h"
#include "suite/netlistdb/adb_cdb.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"

#include "tests/sys/mdb/mdb_test_project.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

std::string const TOOL_FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/tool_project";

enum : unsigned {
    SYSTEM_CONSOLE_NOT_INSTALLED = 296056,
    FERRO_BUILDER_NOT_INSTALLED = 296011,
    ORGANIZE_TSF = 296012,
    ORGANIZE_TSF_FAILED = 296013,
    WARN_DEVICE_NOT_SUPPORT_GENERATE_PE_FILE = 296014,
    CANNOT_START_CHECK_NETLIST = 296062,
};

using LINES = std::vector<std::string>;

LINES lines_of(std::string const& text) {
    LINES lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Whether a child process of ours is still there: running, or ended and not
// yet reaped.
bool has_child_processes() {
    std::string const own = std::to_string(getpid());
    for (auto const& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        std::getline(stat, text);
        size_t end = text.rfind(')');
        if (end == std::string::npos) {
            continue;
        }
        std::istringstream fields(text.substr(end + 1));
        std::string state;
        std::string parent;
        fields >> state >> parent;
        if (parent == own) {
            return true;
        }
    }
    return false;
}

// Environment switches of one case, removed again when it ends.
class SWITCHES {
public:
    explicit SWITCHES(std::vector<char const*> on) : m_on(std::move(on)) {
        for (char const* name : m_on) {
            setenv(name, "on", 1);
        }
    }
    ~SWITCHES() {
        for (char const* name : m_on) {
            unsetenv(name);
        }
    }

private:
    std::vector<char const*> m_on;
};

class MdbLaunchers : public MdbRevisionProject {
protected:
    std::string fixture() const override { return TOOL_FIXTURE; }
    std::string project_name() const override { return "tool"; }

    void SetUp() override {
        MdbRevisionProject::SetUp();
        // The project folder's name holds a blank and a double quote.
        std::string folder = m_workspace.path("my \"tool\" project");
        std::filesystem::rename(m_project, folder);
        m_project = folder;
        install_tools();
        m_app.set_flow_runner(appflows_run);
        qui_set_app(&m_app);
    }
    void TearDown() override {
        qui_set_app(nullptr);
        gen_set_tessaly_path(nullptr);
        MdbRevisionProject::TearDown();
    }

    // An installation of its own, in a folder whose name holds a blank: the
    // project library and perl linked, the tools copied.
    void install_tools() {
        gen_set_tessaly_path(nullptr);
        std::string const build = gen_get_tessaly_path();
        m_install = m_workspace.path("suite install");
        namespace fs = std::filesystem;
        fs::create_directories(m_install + "/ferro_builder/bin");
        fs::create_directories(m_install + "/ferro_builder/system_console/bin");
        fs::create_directories(m_install + "/perl/bin");
        fs::create_symlink(build + "/libproject.so", m_install + "/libproject.so");
        fs::create_symlink(build + "/perl/bin/perl", m_install + "/perl/bin/perl");
        for (char const* tool :
             {"/ferro_builder/bin/system-console", "/ferro_builder/bin/ferro_builder",
              "/ferro_builder/system_console/bin/emdb_app.tcl"}) {
            fs::copy_file(build + tool, m_install + tool);
        }
        gen_set_tessaly_path(m_install.c_str());
    }

    // Runs `launch` with our standard output going to a file, so that a tool
    // started meanwhile writes there, and returns the lines it wrote once
    // there are `count` of them and the tool has ended and been reaped. A
    // loaded machine may take its time: the wait ends at those events, or
    // after two minutes.
    LINES launch_and_read(std::function<void()> const& launch, size_t count) {
        std::string capture = m_workspace.path("capture.txt");
        std::fflush(stdout);
        int saved = dup(1);
        int file = open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(file, 1);
        close(file);
        launch();
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
        auto const give_up = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        LINES lines = lines_of(test_read_file(capture));
        while ((lines.size() < count || has_child_processes()) &&
               std::chrono::steady_clock::now() < give_up) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            lines = lines_of(test_read_file(capture));
        }
        EXPECT_FALSE(has_child_processes()) << "a tool has not ended or was not reaped";
        return lines;
    }

    static LINES tool_lines(char const* tool, std::string const& cwd, LINES const& args) {
        LINES lines = {std::string(tool) + ": cwd " + cwd};
        for (std::string const& arg : args) {
            lines.push_back(std::string(tool) + ": arg " + arg);
        }
        return lines;
    }

    // The revision's settings file before the project opens.
    void write_revision(std::string const& lines) { test_write_file(file("chip.tsf"), lines); }

    void set_setting(ACF_VARIABLE_TYPE_ENUM variable, char const* value) {
        ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
        ASSERT_TRUE(manager->write_lock(false));
        ACF_MGR_INPUT_PARAMETERS query;
        query.set_variable_type(variable);
        query.set_value_string(value);
        EXPECT_NE(manager->set_global_assignment(&query), nullptr);
        manager->write_unlock(false);
    }

    std::string m_install;
    QUI_APP m_app;
};

char const* const SHOW_AT_STARTUP = "-com.norvik.systemconsole.transceivers.SHOW_AT_STARTUP";
char const* const IRVEX = "-com.norvik.systemconsole.transceivers.UNRESTRICTED_IRVEX_SPEED_SUPPORT";
char const* const DFE = "-com.norvik.systemconsole.transceivers.UNRESTRICTED_DFE_SPEED_SUPPORT";
char const* const CLASSIC = "-com.norvik.systemconsole.transceivers.USE_CLASSIC_PANELS";

TEST_F(MdbLaunchers, TransceiverToolkitOverTheSwitchesWithAndWithoutAProject) {
    std::string const elsewhere = std::filesystem::canonical(m_workspace.dir()).string();
    struct CASE {
        std::vector<char const*> switches;
        bool project;
        bool autoload;
        LINES options;
    } const cases[] = {
        {{}, true, true, {}},
        {{"sld_enable_unrestricted_irvex_speed_support"}, true, true, {IRVEX}},
        {{"sld_enable_unrestricted_dfe_speed_support"}, true, true, {DFE}},
        {{"sld_tt_use_classic_panels"}, true, true, {CLASSIC}},
        {{"sld_disable_project_autoload"}, true, false, {}},
        {{"sld_tt_use_classic_panels", "sld_enable_unrestricted_dfe_speed_support",
          "sld_enable_unrestricted_irvex_speed_support"},
         true,
         true,
         {IRVEX, DFE, CLASSIC}},
        {{}, false, false, {}},
        {{"sld_enable_unrestricted_irvex_speed_support", "sld_tt_use_classic_panels"},
         false,
         false,
         {IRVEX, CLASSIC}},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.switches.size() << " switches, project " << c.project);
        if (c.project) {
            open_project();
        } else {
            ACF_MANAGER::get_acf_manager()->close_project(false);
            std::filesystem::current_path(elsewhere);
        }
        SWITCHES switches(c.switches);
        LINES args = {SHOW_AT_STARTUP};
        if (c.autoload) {
            args.push_back("-project-dir=" + m_project + "/");
        }
        args.insert(args.end(), c.options.begin(), c.options.end());
        LINES expected = tool_lines("system-console", c.project ? m_project : elsewhere, args);
        EXPECT_EQ(launch_and_read(mdb_dyn_system_console, expected.size()), expected);
    }
    EXPECT_TRUE(msg_log_entries().empty());
}

TEST_F(MdbLaunchers, MemoryInterfaceToolkitNamesItsDesktopScript) {
    open_project();
    LINES expected = tool_lines(
        "system-console", m_project,
        {"--com.norvik.kairo2.ACCESS_INTERNAL_KAIRO2",
         "--desktop_script=" + m_install + "/ferro_builder/system_console/bin/emdb_app.tcl"});
    EXPECT_EQ(launch_and_read(mdb_dyn_external_memory_interface, expected.size()), expected);
}

TEST_F(MdbLaunchers, FerroBuilderGetsTheProjectAsOneArgumentEach) {
    std::string const dir = "-d" + m_install + "/ferro_builder";
    struct CASE {
        char const* settings;
        std::string file;
        LINES args;
    } const cases[] = {
        {"set_global_assignment -name FAMILY \"Vorelon II\"\n"
         "set_global_assignment -name DEVICE VORELONIIA15F484C6\n",
         "",
         {dir, "-devicefamilyVorelon II", "-projectnametool", "-projectpath" + m_project + "/",
          "--device=VORELONIIA15F484C6"}},
        // No device: an empty one; the file, blank and quote included, last.
        {"set_global_assignment -name FAMILY \"Vorelon II\"\n",
         "sys/my \"top\" system.psys",
         {dir, "-devicefamilyVorelon II", "-projectnametool", "-projectpath" + m_project + "/",
          "--device=", "sys/my \"top\" system.psys"}},
        // No family: "null".
        {"set_global_assignment -name TOP_LEVEL_ENTITY chip\n",
         "",
         {dir, "-devicefamilynull", "-projectnametool", "-projectpath" + m_project + "/",
          "--device="}},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.file);
        ACF_MANAGER::get_acf_manager()->close_project(false);
        write_revision(c.settings);
        open_project();
        LINES expected = tool_lines("ferro_builder", m_install, c.args);
        EXPECT_EQ(launch_and_read([&c]() { mdb_dyn_ferro_builder(c.file); }, expected.size()),
                  expected);
    }
    ACF_MANAGER::get_acf_manager()->close_project(false);
    LINES expected = tool_lines("ferro_builder", m_install, {dir});
    EXPECT_EQ(launch_and_read([]() { mdb_dyn_ferro_builder("ignored without a project"); },
                              expected.size()),
              expected);
    EXPECT_TRUE(msg_log_entries().empty());
}

TEST_F(MdbLaunchers, FerroBuilderReadsTheSettingsAsTheyStand) {
    open_project();
    set_setting(ACF_VARIABLE_TYPE_ROOT, "renamed_top");
    EXPECT_EQ(test_read_file(file("chip.tsf")).find("renamed_top"), std::string::npos);
    LINES lines = launch_and_read([]() { mdb_dyn_ferro_builder(""); }, 6);
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_NE(test_read_file(file("chip.tsf")).find("TOP_LEVEL_ENTITY renamed_top"),
              std::string::npos);
}

TEST_F(MdbLaunchers, ToolMissingOrUnableToStartShowsTheNotice) {
    open_project();
    struct CASE {
        char const* tool; // removed, or made not executable
        bool remove;
        std::function<void()> launch;
        unsigned id;
        std::string text;
    } const cases[] = {
        {"/ferro_builder/bin/system-console", true, mdb_dyn_system_console,
         SYSTEM_CONSOLE_NOT_INSTALLED, "Can't find the Transceiver Toolkit"},
        {"/ferro_builder/bin/system-console", false, mdb_dyn_system_console,
         SYSTEM_CONSOLE_NOT_INSTALLED, "Can't find the Transceiver Toolkit"},
        {"/ferro_builder/bin/system-console", true, mdb_dyn_external_memory_interface,
         SYSTEM_CONSOLE_NOT_INSTALLED, "Can't find the External Memory Interface Toolkit"},
        {"/ferro_builder/bin/system-console", false, mdb_dyn_external_memory_interface,
         SYSTEM_CONSOLE_NOT_INSTALLED, "Can't find the External Memory Interface Toolkit"},
        {"/ferro_builder/bin/ferro_builder", true, []() { mdb_dyn_ferro_builder(""); },
         FERRO_BUILDER_NOT_INSTALLED, "Can't find Ferro Builder"},
        // The program is there but its perl is not.
        {"/perl/bin/perl", true, []() { mdb_dyn_ferro_builder(""); }, FERRO_BUILDER_NOT_INSTALLED,
         "Can't find Ferro Builder"},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(std::string(c.tool) + (c.remove ? " removed" : " not executable"));
        std::filesystem::remove_all(m_install);
        install_tools();
        std::string tool = m_install + c.tool;
        if (c.remove) {
            std::filesystem::remove(tool);
        } else {
            std::filesystem::permissions(tool, std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_write);
        }
        msg_log_clear();
        EXPECT_EQ(launch_and_read(c.launch, 1).size(), 1u); // the notice itself
        std::vector<MSG_LOG_ENTRY> shown = logged(c.id);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, c.text);
    }
}

TEST_F(MdbLaunchers, OrganizeAnsweredNoChangesNothingAndYesRewrites) {
    write_revision("# a note of the user's\n"
                   "set_global_assignment -name TOP_LEVEL_ENTITY chip\n"
                   "set_global_assignment -name FAMILY \"Vorelon II\"\n");
    open_project();
    SNAPSHOT before = snapshot();
    msg_queue_answer(MSG_ANSWER_NO);
    mdb_dyn_organize_tsf();
    EXPECT_EQ(snapshot(), before);
    ASSERT_EQ(msg_log_entries().size(), 1u);
    EXPECT_EQ(msg_log_entries()[0].id, ORGANIZE_TSF);

    msg_log_clear();
    msg_queue_answer(MSG_ANSWER_YES);
    mdb_dyn_organize_tsf();
    std::string organized = test_read_file(file("chip.tsf"));
    EXPECT_EQ(organized.find("a note of the user's"), std::string::npos);
    EXPECT_NE(organized.find("FAMILY \"Vorelon II\""), std::string::npos);
    EXPECT_NE(organized.find("TOP_LEVEL_ENTITY chip"), std::string::npos);
    EXPECT_TRUE(logged(ORGANIZE_TSF_FAILED).empty());

    // Nothing to organize without a project.
    ACF_MANAGER::get_acf_manager()->close_project(false);
    msg_log_clear();
    mdb_impl_organize_tsf(MSG_ANSWER_YES, true);
    EXPECT_EQ(logged(ORGANIZE_TSF_FAILED).size(), 1u);
    msg_log_clear();
    mdb_impl_organize_tsf(MSG_ANSWER_YES, false);
    mdb_impl_organize_tsf(MSG_ANSWER_NO, true);
    EXPECT_TRUE(msg_log_entries().empty());
}

// A settings file without write permission (the mode decides, also for root,
// whom the file system would let write) is not organized: it stays
// byte-identical and read-only, and the failure is shown.
TEST_F(MdbLaunchers, OrganizeLeavesAReadOnlySettingsFileAsItIs) {
    write_revision("# a note of the user's\n"
                   "set_global_assignment -name TOP_LEVEL_ENTITY chip\n"
                   "set_global_assignment -name FAMILY \"Vorelon II\"\n");
    std::filesystem::permissions(file("chip.tsf"), std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::group_read |
                                                       std::filesystem::perms::others_read);
    open_project();
    SNAPSHOT before = snapshot();
    msg_log_clear();
    msg_queue_answer(MSG_ANSWER_YES);
    mdb_dyn_organize_tsf();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(std::filesystem::status(file("chip.tsf")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                  std::filesystem::perms::others_read);
    EXPECT_EQ(logged(ORGANIZE_TSF_FAILED).size(), 1u);
}

// A netlist database that answers as told.
class TEST_NETLIST : public ADB_CDB_INTERFACE {
public:
    explicit TEST_NETLIST(bool needed) : m_needed(needed) {}
    bool is_check_and_save_needed() const override { return m_needed; }

private:
    bool m_needed;
};

TEST_F(MdbLaunchers, NetlistCheckStartsTheFramesFlowOnlyWhenNeeded) {
    QUI_FRAME_WND frame(QStringLiteral("Main"), false);
    TEST_NETLIST needed(true);
    TEST_NETLIST not_needed(false);
    struct CASE {
        bool needed;
        ADB_CDB_INTERFACE* db;
        QUI_FRAME_WND* frame;
        bool flow_started;
    } const cases[] = {
        {false, &needed, &frame, true},  {true, &not_needed, &frame, false},
        {true, nullptr, &frame, true},   {false, nullptr, &frame, false},
        {true, &needed, nullptr, false},
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        mdb_check_netlist(c.needed, c.db, c.frame);
        bool notice = !logged(CANNOT_START_CHECK_NETLIST).empty();
        bool flow = false;
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            flow = flow || entry.text == "Flow 31 is not available.";
        }
        EXPECT_EQ(flow, c.flow_started) << &c - cases;
        EXPECT_EQ(notice, c.db != nullptr ? !c.db->is_check_and_save_needed() : !c.needed)
            << &c - cases;
    }
    // No netlist database here: the entry point can only say so.
    msg_log_clear();
    mdb_dyn_check_netlist(&frame);
    EXPECT_EQ(logged(CANNOT_START_CHECK_NETLIST).size(), 1u);
}

TEST_F(MdbLaunchers, PowerEstimatorFilePerFamily) {
    struct CASE {
        char const* family;
        char const* file; // "" when the family has no estimator
    } const cases[] = {
        {"Glim10KE", "chip_early_pwr.txt"},
        {"Zel", "chip_early_pwr.txt"},
        {"Pikrel II", "chip_early_pwr.txt"},
        {"Brenlo II", "chip_early_pwr.txt"},
        {"Vorelon II", "chip_early_pwr.csv"},
        {"Glim10K", "chip_early_pwr.csv"},
        {"Vorelon IV", "chip_early_pwr.csv"},
        {"Lumiform II", ""},
        {"Ostrel", ""},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.family);
        ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
        manager->close_project(false);
        for (char const* old : {"chip_early_pwr.txt", "chip_early_pwr.csv"}) {
            std::filesystem::remove(file(old));
        }
        write_revision(std::string("set_global_assignment -name FAMILY \"") + c.family +
                       "\"\nset_global_assignment -name TOP_LEVEL_ENTITY chip\n");
        open_project();
        msg_log_clear();
        // The project's family wins over the one given.
        mdb_impl_generate_power_estimator_file("Zel", "ignored");
        bool estimator = c.file[0] != '\0';
        EXPECT_EQ(logged(WARN_DEVICE_NOT_SUPPORT_GENERATE_PE_FILE).size(), estimator ? 0u : 1u);
        if (!estimator) {
            EXPECT_FALSE(std::filesystem::exists(file("chip_early_pwr.txt")));
            EXPECT_FALSE(std::filesystem::exists(file("chip_early_pwr.csv")));
            continue;
        }
        std::string written = test_read_file(file(c.file));
        std::string device = acf_get_global_setting_text(ACF_VARIABLE_TYPE_DEVICE);
        bool csv = std::string(c.file).find(".csv") != std::string::npos;
        EXPECT_EQ(written, csv ? "\"Revision\",\"chip\"\n\"Family\",\"" + std::string(c.family) +
                                     "\"\n\"Device\",\"" + device +
                                     "\"\n\"Top-level entity\",\"chip\"\n"
                               : "Revision: chip\nFamily: " + std::string(c.family) +
                                     "\nDevice: " + device + "\nTop-level entity: chip\n");
        EXPECT_EQ(msg_log_entries().back().text,
                  "Wrote early power estimation file " + file(c.file));
    }
}

TEST_F(MdbLaunchers, PowerEstimatorWithoutAProject) {
    struct CASE {
        char const* family;
        char const* file;
        bool warned;
        char const* flow_error; // the flow's refusal, when it ran
    } const cases[] = {
        {"", "", true, nullptr},
        {"Ostrel", "x", true, nullptr},
        {"Zel", "", false, nullptr}, // an estimator, but no name: nothing starts
        {"Zel", "x", false, "Can't write the early power estimation file: no project is open"},
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        mdb_impl_generate_power_estimator_file(c.family, c.file);
        EXPECT_EQ(logged(WARN_DEVICE_NOT_SUPPORT_GENERATE_PE_FILE).size(), c.warned ? 1u : 0u)
            << c.family;
        if (c.flow_error != nullptr) {
            ASSERT_EQ(msg_log_entries().size(), 1u);
            EXPECT_EQ(msg_log_entries()[0].text, c.flow_error);
        } else if (!c.warned) {
            EXPECT_TRUE(msg_log_entries().empty());
        }
    }
    msg_log_clear();
    mdb_dyn_generate_power_estimator_file();
    EXPECT_EQ(logged(WARN_DEVICE_NOT_SUPPORT_GENERATE_PE_FILE).size(), 1u);
}

TEST_F(MdbLaunchers, PlexaOpensTheFileOrANewSystem) {
    QUI_FRAME_MGR* frames = QUI_FRAME_MGR::get_frame_mgr();
    size_t opened = frames->opened_files().size();
    size_t created = frames->created_documents().size();
    std::string const system = "top.psys";
    std::string const none;
    mdb_dyn_plexa(&system);
    mdb_dyn_plexa(&none);
    mdb_dyn_plexa(nullptr);
    ASSERT_EQ(frames->opened_files().size(), opened + 1);
    EXPECT_EQ(frames->opened_files().back(), system);
    ASSERT_EQ(frames->created_documents().size(), created + 2);
    EXPECT_EQ(frames->created_documents().back(), 168);
}

} // namespace
