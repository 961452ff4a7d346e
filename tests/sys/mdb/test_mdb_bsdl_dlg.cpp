// The boundary-scan file dialog: what it reads from the settings, its two
// modes, the command line of each and the file the flow writes from it.
#include "services/appflows/appflows.h"
#include "suite/gui/qui_app.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "suite/threads/thr.h"
#include "sys/mdb/mdb_bsdl_dlg.h"
#include "sys/mdb/mdb_msgs.h"

#include "tests/sys/mdb/mdb_test_project.h"

#include <QLineEdit>
#include <QListView>
#include <QRadioButton>

namespace {

std::string const TOOL_FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/tool_project";

using WORDS = std::vector<std::string>;

char const FAMILY_VORELON_II[] = "set_global_assignment -name FAMILY \"Vorelon II\"\n";
char const DEVICE_A15[] = "set_global_assignment -name DEVICE VORELONIIA15F484C6\n";
char const POST_CONFIG[] = "set_global_assignment -name EDA_BOARD_BOUNDARY_SCAN_OPERATION "
                           "POST_CONFIG -section_id eda_board_design_boundary_scan\n";
char const SCAN_TOOL[] =
    "set_global_assignment -name EDA_BOARD_DESIGN_BOUNDARY_SCAN_TOOL \"Board Scan\"\n";
char const OUTPUT_BSDL[] = "set_global_assignment -name EDA_NETLIST_WRITER_OUTPUT_DIR bsdl "
                           "-section_id eda_board_design_boundary_scan\n";

class MdbBsdlDlg : public MdbRevisionProject {
protected:
    std::string fixture() const override { return TOOL_FIXTURE; }
    std::string project_name() const override { return "tool"; }

    void SetUp() override {
        MdbRevisionProject::SetUp();
        m_app.set_flow_runner(appflows_run);
        qui_set_app(&m_app);
        // As the host tells the open project.
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->set_project_query(acf_get_open_project);
    }
    void TearDown() override {
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->set_project_query(nullptr);
        qui_set_app(nullptr);
        MdbRevisionProject::TearDown();
    }

    // Opens the project on a revision with these settings.
    void open_with(std::string const& settings) {
        ACF_MANAGER::get_acf_manager()->close_project(false);
        test_write_file(file("chip.tsf"),
                        "set_global_assignment -name TOP_LEVEL_ENTITY chip\n" + settings);
        open_project();
    }

    struct STATE {
        bool post;
        QString device;
        QString directory;
        bool ok;
        bool select_device;
        bool operator==(STATE const& o) const {
            return post == o.post && device == o.device && directory == o.directory && ok == o.ok &&
                   select_device == o.select_device;
        }
    };
    friend std::ostream& operator<<(std::ostream& out, STATE const& s) {
        return out << (s.post ? "post" : "pre") << " device \"" << s.device.toStdString()
                   << "\" dir \"" << s.directory.toStdString() << "\" ok " << s.ok << " select "
                   << s.select_device;
    }
    static STATE state_of(QDialog* dialog) {
        return {child<QRadioButton>(dialog, "post_config_button")->isChecked(),
                child<QLineEdit>(dialog, "device_text")->text(),
                child<QLineEdit>(dialog, "directory_text")->text(), ok_button(dialog)->isEnabled(),
                child<QPushButton>(dialog, "select_device_button")->isEnabled()};
    }
    static QPushButton* ok_button(QDialog* dialog) {
        return child<QDialogButtonBox>(dialog, "button_box")->button(QDialogButtonBox::Ok);
    }

    // Runs `act` on the next modal dialog other than `shown` once it shows.
    static void when_other_shown(QDialog* shown, std::function<void(QDialog*)> act) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, shown, act]() {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || dialog == shown || !dialog->isVisible()) {
                return;
            }
            timer->stop();
            timer->deleteLater();
            act(dialog);
        });
        timer->start(20);
    }

    QUI_APP m_app;
};

TEST_F(MdbBsdlDlg, OpensWithWhatTheSettingsSay) {
    struct CASE {
        char const* name;
        std::string settings; // null project when "-"
        STATE state;
    } const cases[] = {
        {"device",
         std::string(FAMILY_VORELON_II) + DEVICE_A15,
         {false, "VORELONIIA15F484C6", "", true, true}},
        {"post-configuration, no device",
         std::string(FAMILY_VORELON_II) + POST_CONFIG,
         {true, "", "", true, false}},
        {"post-configuration with device",
         std::string(FAMILY_VORELON_II) + DEVICE_A15 + POST_CONFIG,
         {true, "VORELONIIA15F484C6", "", true, false}},
        {"AUTO",
         std::string(FAMILY_VORELON_II) + "set_global_assignment -name DEVICE AUTO\n",
         {false, "", "", false, true}},
        {"auto",
         std::string(FAMILY_VORELON_II) + "set_global_assignment -name DEVICE auto\n",
         {false, "", "", false, true}},
        // Lumiform II is no family of the device pickers.
        {"family without picker",
         "set_global_assignment -name FAMILY \"Lumiform II\"\n"
         "set_global_assignment -name DEVICE LUMIFORMIIA15F484C6\n",
         {false, "", "", false, true}},
        {"tool and directory",
         std::string(FAMILY_VORELON_II) + DEVICE_A15 + SCAN_TOOL + OUTPUT_BSDL,
         {false, "VORELONIIA15F484C6", "bsdl", true, true}},
        {"directory without a tool",
         std::string(FAMILY_VORELON_II) + DEVICE_A15 + OUTPUT_BSDL,
         {false, "VORELONIIA15F484C6", "", true, true}},
        {"no project", "-", {false, "", "", false, true}},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.settings == "-") {
            ACF_MANAGER::get_acf_manager()->close_project(false);
        } else {
            open_with(c.settings);
        }
        SNAPSHOT before = snapshot();
        MDB_BSDL_DLG dialog(nullptr);
        dialog.on_init_dialog();
        EXPECT_EQ(state_of(&dialog), c.state);
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(MdbBsdlDlg, SwitchingModes) {
    open_with(std::string(FAMILY_VORELON_II) + DEVICE_A15);
    MDB_BSDL_DLG dialog(nullptr);
    dialog.on_init_dialog();
    auto* device = child<QLineEdit>(&dialog, "device_text");
    // Pre-configuration without a device: OK stays off.
    device->clear();
    child<QRadioButton>(&dialog, "pre_config_button")->click();
    EXPECT_EQ(state_of(&dialog), (STATE{false, "", "", false, true}));
    // Post-configuration puts the project's device back.
    device->setText("OSTRELA15F484C6");
    child<QRadioButton>(&dialog, "post_config_button")->click();
    EXPECT_EQ(state_of(&dialog), (STATE{true, "VORELONIIA15F484C6", "", true, false}));
    child<QRadioButton>(&dialog, "pre_config_button")->click();
    EXPECT_EQ(state_of(&dialog), (STATE{false, "VORELONIIA15F484C6", "", true, true}));
}

TEST_F(MdbBsdlDlg, DevicePickedAndDirectoryChosen) {
    open_with(std::string(FAMILY_VORELON_II) + "set_global_assignment -name DEVICE AUTO\n");
    afcq_queue_file_answer(QString::fromStdString(m_workspace.path("scan out")));
    QString picked;
    STATE after{};
    when_shown([&](QDialog* dialog) {
        when_other_shown(dialog, [&](QDialog* picker) {
            auto* list = child<QListView>(picker, "devices_list");
            list->setCurrentIndex(list->model()->index(1, 0));
            picked = list->currentIndex().data().toString();
            picker->findChild<QDialogButtonBox*>("button_box")
                ->button(QDialogButtonBox::Ok)
                ->click();
        });
        child<QPushButton>(dialog, "select_device_button")->click();
        child<QPushButton>(dialog, "select_dir_button")->click();
        after = state_of(dialog);
        dialog->reject();
    });
    mdb_dyn_bsdl_dlg(nullptr);
    EXPECT_FALSE(picked.isEmpty());
    EXPECT_EQ(after, (STATE{false, picked, QString::fromStdString(m_workspace.path("scan out")),
                            true, true}));
    // Cancelled: nothing written, no flow.
    EXPECT_TRUE(msg_log_entries().empty());
}

TEST_F(MdbBsdlDlg, CommandLineOfEachMode) {
    struct CASE {
        char const* name;
        bool post;
        char const* device;
        char const* directory;
        bool project;
        WORDS words;
    } const cases[] = {
        {"pre", false, "VORELONIIA15F484C6", "", true, {"--bsdl", "VORELONIIA15F484C6"}},
        {"post",
         true,
         "",
         "",
         true,
         {"tool", "-c", "chip", "--board_boundary_scan", "--format=bsdl",
          "--bsdl_type=POST_CONFIG"}},
        {"relative directory",
         false,
         "D",
         "bsdl",
         true,
         {"--bsdl", "D", "--output_directory=/designs/top/bsdl"}},
        {"absolute directory with blank and quote",
         true,
         "",
         "/scan \"x\" out",
         true,
         {"tool", "-c", "chip", "--board_boundary_scan", "--format=bsdl", "--bsdl_type=POST_CONFIG",
          "--output_directory=/scan \"x\" out"}},
        {"folded", false, "D", "/a/./b/../c", true, {"--bsdl", "D", "--output_directory=/a/c"}},
        {"relative without project",
         false,
         "D",
         "bsdl",
         false,
         {"--bsdl", "D", "--output_directory=" + m_workspace.dir() + "/bsdl"}},
    };
    std::filesystem::current_path(m_workspace.dir());
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        MDB_BSDL_DLG dialog(nullptr);
        child<QLineEdit>(&dialog, "device_text")->setText(c.device);
        child<QLineEdit>(&dialog, "directory_text")->setText(c.directory);
        if (c.post) {
            child<QRadioButton>(&dialog, "post_config_button")->click();
        }
        std::string line = dialog.command_line("tool", "chip", c.project ? "/designs/top/" : "");
        EXPECT_EQ(thr_process_split_command_line(line.c_str()), c.words) << line;
    }
}

TEST_F(MdbBsdlDlg, OkStartsTheFlowThatWritesTheFile) {
    struct CASE {
        char const* name;
        std::string settings;
        char const* directory; // typed into the dialog
        bool post;
        std::string file;     // written, relative to the project ("" for none)
        std::string contains; // in the file, or in the flow's error
    } const cases[] = {
        {"pre-configuration", std::string(FAMILY_VORELON_II) + DEVICE_A15, "", false,
         "VORELONIIA15F484C6.bsd", "-- Package: FBGA\n-- Pin count: 484\n"},
        {"post-configuration", std::string(FAMILY_VORELON_II) + DEVICE_A15 + POST_CONFIG, "", true,
         "chip.bsd", "-- Configuration: post-configuration of revision chip\n"},
        {"directory with blank and quote",
         std::string(FAMILY_VORELON_II) + DEVICE_A15 + POST_CONFIG, "out \"x\" dir", true,
         "out \"x\" dir/chip.bsd", "-- Device: VORELONIIA15F484C6\n"},
        {"unknown device",
         std::string(FAMILY_VORELON_II) + "set_global_assignment -name DEVICE XYZ\n", "", false, "",
         "unknown device \"XYZ\""},
        {"post without device", std::string(FAMILY_VORELON_II) + POST_CONFIG, "", true, "",
         "unknown device \"\""},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        open_with(c.settings);
        msg_log_clear();
        bool post = false;
        when_shown([&](QDialog* dialog) {
            post = child<QRadioButton>(dialog, "post_config_button")->isChecked();
            child<QLineEdit>(dialog, "directory_text")->setText(c.directory);
            ok_button(dialog)->click();
        });
        mdb_dyn_bsdl_dlg(nullptr);
        EXPECT_EQ(post, c.post);
        ASSERT_EQ(msg_log_entries().size(), 1u);
        MSG_LOG_ENTRY const outcome = msg_log_entries()[0];
        if (c.file.empty()) {
            EXPECT_EQ(outcome.severity, 'E');
            EXPECT_NE(outcome.text.find(c.contains), std::string::npos) << outcome.text;
            continue;
        }
        EXPECT_EQ(outcome.text, "Wrote boundary-scan file " + file(c.file));
        EXPECT_NE(test_read_file(file(c.file)).find(c.contains), std::string::npos)
            << test_read_file(file(c.file));
    }
}

TEST_F(MdbBsdlDlg, TclOutputLinesAttachToTheMessage) {
    struct CASE {
        std::string text;
        bool error;
        WORDS lines;
    } const cases[] = {
        {"", true, {}},
        {"one", true, {"one"}},
        {"one\ntwo", false, {"one", "two"}},
        {"one\n", true, {"one", ""}},
        {"\n\n", false, {"", "", ""}},
    };
    for (CASE const& c : cases) {
        MSG_E message;
        MDB_BSDL_DLG::add_tcl_str_to_msg(&message, c.text, c.error);
        WORDS lines;
        for (MSG_BASE const* sub : message.get_sub_messages()) {
            lines.push_back(sub->get_text());
            EXPECT_EQ(sub->get_severity(), c.error ? 'E' : 'I') << c.text;
            EXPECT_EQ(sub->get_id(),
                      c.error ? MDB_MSG_ID_TCL_OUTPUT_ERROR : MDB_MSG_ID_TCL_OUTPUT_INFO);
        }
        EXPECT_EQ(lines, c.lines) << c.text;
    }
    MDB_BSDL_DLG::add_tcl_str_to_msg(nullptr, "lost", true);
    EXPECT_EQ(m_internal_errors, WORDS{"No msg to attach to"});
    m_internal_errors.clear();
}

} // namespace
