// The Revisions and Create Revision dialogs over copies of a project with
// three revisions (chip active, fast, slow), their flow reports, an SDC file,
// databases and descriptions: the table, loading without writing, Set Current
// and Apply, Delete, creation, and descriptions edited in place.
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_revisions_dlg.h"
#include "sys/mdb/mdb_revisions_engine.h"
#include "sys/mdb/mdb_revisions_new_dlg.h"
#include "sys/mdb/mdb_revisions_settings.h"
#include "sys/mdb/mdb_revisions_tree.h"

#include "acf_file_categories.h"
#include "acf_mgr_input_parameters.h"
#include "acf_table.h"
#include "suite/fileio/fio_journal.h"
#include "suite/general/gen.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "suite/projectctl/pjc_project.h"
#include "tests/sys/mdb/mdb_test_project.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QStringListModel>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <memory>
#include <QToolTip>

namespace {

unsigned const notice_cant_write = 296052;
unsigned const notice_not_changed = 296065;
unsigned const notice_illegal_name = 296058;

// The Create Revision form's widgets, found by their names.
struct NEW_REVISION_FORM {
    explicit NEW_REVISION_FORM(QWidget* dialog)
        : lineEdit(dialog->findChild<QLineEdit*>("lineEdit")),
          comboBox(dialog->findChild<QComboBox*>("comboBox")),
          textEdit(dialog->findChild<QTextEdit*>("textEdit")),
          checkBox(dialog->findChild<QCheckBox*>("checkBox")),
          checkBox_2(dialog->findChild<QCheckBox*>("checkBox_2")),
          ok(dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)) {}
    QLineEdit* lineEdit;
    QComboBox* comboBox;
    QTextEdit* textEdit;
    QCheckBox* checkBox;
    QCheckBox* checkBox_2;
    QPushButton* ok;
};

class MdbRevisions : public MdbRevisionProject {
protected:
    std::string fixture() const override { return TESSALY_TEST_DATA_DIR "/fixtures/revs_project"; }
    void SetUp() override {
        MdbRevisionProject::SetUp();
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->clear_requests();
    }

    // The revision names of the project file, in order.
    std::vector<std::string> listed() const {
        std::vector<std::string> names;
        std::string text = test_read_file(file("rev.tpf"));
        std::string const key = "PROJECT_REVISION = \"";
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
            size_t start = at + key.size();
            names.push_back(text.substr(start, text.find('"', start) - start));
        }
        return names;
    }
    static std::string active() {
        return ACF_MANAGER::get_acf_manager()->get_active_revision_name();
    }
    static std::string description(std::string const& revision) {
        return mdb_get_revision_description(revision);
    }
    static QString cell(MDB_REVISIONS_DLG const& dialog, int row, int column) {
        return dialog.tree_model()->index(row, column).data().toString();
    }
    static QStringList names(MDB_REVISIONS_DLG const& dialog) {
        QStringList list;
        for (int row = 0; row < dialog.tree_model()->rowCount(); ++row) {
            list << cell(dialog, row, REVISION_NAME_COL);
        }
        return list;
    }
    static bool marked(MDB_REVISIONS_DLG const& dialog, int row) {
        return !dialog.tree_model()->item(row, REVISION_NAME_COL)->icon().isNull();
    }
    // A click on a row makes it the view's current one.
    static void click_row(MDB_REVISIONS_DLG& dialog, int row) {
        dialog.rev_tree()->setCurrentIndex(dialog.tree_model()->index(row, 0));
    }
    // Shows the dialog as the host does and makes it the active window.
    static void show_active(MDB_REVISIONS_DLG& dialog) {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
    }
    static void key(int key) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
    }
    // Fills the Create Revision dialog once it shows and presses OK.
    static void create_with(QString const& name, QString const& base, bool copy_database,
                            bool set_current) {
        when_shown([=](QDialog* dialog) {
            NEW_REVISION_FORM ui(dialog);
            ui.lineEdit->setText(name);
            ui.comboBox->setCurrentIndex(ui.comboBox->findText(base));
            ui.checkBox->setChecked(copy_database);
            ui.checkBox_2->setChecked(set_current);
            press(dialog, QDialogButtonBox::Ok);
        });
    }
    static std::vector<QUI_PRJ_UI_MGR::REQUEST> host_requests() {
        return QUI_PRJ_UI_MGR::get_prj_ui_mgr()->requests();
    }
};

TEST(MdbRevisionFlowReport, ReadsTheSummaryTableWithLinesOfAnyLength) {
    struct CASE {
        char const* title;
        std::string text;
        char const* met_timing;
        char const* timing_models;
    } const cases[] = {
        {"value keeps its blanks",
         "; Flow Summary ;\n; Met timing ; Yes ;\n; Timing Models ; Final ;\n", " Yes ", " Final "},
        {"one separator after the key", "; Flow Summary ;\n; Met timing ; Yes\n", "", ""},
        {"keys before the summary are ignored", "; Met timing ; Early ;\n; Flow Summary ;\n", "",
         ""},
        {"no summary", "; Met timing ; Yes ;\n", "", ""},
        {"long lines are read whole",
         "; Flow Summary ;\n; Notes ; " + std::string(5000, 'x') + " ;\n; Met timing ; No ;\n",
         " No ", ""},
        {"a later line replaces the value",
         "\n  \n; Flow Summary ;\n; Met timing ; Yes ;\n; Met timing ; No ;\n", " No ", ""},
        {"the first ten characters decide", "; Flow Summary ;\n; Met timi ; a ;\n; Met tim ; b ;\n",
         " a ", ""},
    };
    TEST_WORKSPACE ws;
    for (CASE const& c : cases) {
        test_write_file(ws.path("r.flow.rpt"), c.text);
        MDB_FLOW_REPORT report;
        EXPECT_TRUE(mdb_read_flow_report(ws.path("r.flow.rpt"), &report)) << c.title;
        EXPECT_EQ(report.met_timing, c.met_timing) << c.title;
        EXPECT_EQ(report.timing_models, c.timing_models) << c.title;
    }
    MDB_FLOW_REPORT report;
    EXPECT_FALSE(mdb_read_flow_report(ws.path("none.flow.rpt"), &report));
}

TEST(MdbRevisionDescriptionHint, TwoLinesOrMoreGetAHeightByTheirLength) {
    EXPECT_FALSE(MDB_REVISIONS_DLG::description_size_hint("one line").isValid());
    EXPECT_EQ(MDB_REVISIONS_DLG::description_size_hint("a\nb"), QSize(500, 72));
    EXPECT_EQ(MDB_REVISIONS_DLG::description_size_hint(QString(300, 'x') + "\n"),
              QSize(500, 18 * (1 + 1 + 2)));
    EXPECT_EQ(MDB_REVISIONS_DLG::description_size_hint("a\nb\nc\nd"), QSize(500, 18 * (3 + 3 + 2)));
}

TEST_F(MdbRevisions, RowsFollowTheProjectFileEachWithItsOwnValues) {
    open_project();
    std::vector<MDB_REVISION_ROW> rows = mdb_load_revision_rows();
    ASSERT_EQ(rows.size(), 3u);
    struct EXPECTED {
        char const *name, *entity, *family, *device, *met_timing, *timing_model, *description;
    } const expected[] = {
        {"chip", "chip_top", "Vorelon II", "VORELONIIA15F484C6", " Yes ", " Final ",
         "Baseline revision"},
        {"fast", "fast_top", "Lumiform II", "LUMIFORMIIA15F484C6", "", " Preliminary ",
         "Faster corner\nfor timing closure"},
        {"slow", "slow_top", "Vorelon III", "", " No ", " Final ", ""},
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, expected[i].name);
        EXPECT_EQ(rows[i].top_level_entity, expected[i].entity) << rows[i].name;
        EXPECT_EQ(rows[i].family, expected[i].family) << rows[i].name;
        EXPECT_EQ(rows[i].device, expected[i].device) << rows[i].name;
        EXPECT_EQ(rows[i].met_timing, expected[i].met_timing) << rows[i].name;
        EXPECT_EQ(rows[i].timing_model, expected[i].timing_model) << rows[i].name;
        EXPECT_EQ(rows[i].description, expected[i].description) << rows[i].name;
    }
    EXPECT_EQ(active(), "chip");
}

TEST_F(MdbRevisions, NamesAreDataAndTellApartByExactText) {
    std::string tpf = test_read_file(file("rev.tpf"));
    tpf += "PROJECT_REVISION = \"Chip\"\nPROJECT_REVISION = \"fast\"\n"
           "PROJECT_REVISION = \"odd $x [exit 3]\"\n";
    test_write_file(file("rev.tpf"), tpf);
    test_write_file(file("Chip.tsf"), "set_global_assignment -name TOP_LEVEL_ENTITY upper\n");
    open_project();
    std::vector<MDB_REVISION_ROW> rows = mdb_load_revision_rows();
    std::vector<std::string> row_names;
    for (MDB_REVISION_ROW const& row : rows) {
        row_names.push_back(row.name);
    }
    EXPECT_EQ(row_names,
              (std::vector<std::string>{"chip", "fast", "slow", "Chip", "odd $x [exit 3]"}));
    EXPECT_EQ(rows[3].top_level_entity, "upper");
    EXPECT_EQ(rows[4].top_level_entity, ""); // no settings file: empty
    EXPECT_EQ(rows[0].top_level_entity, "chip_top");

    MDB_NEW_REVISIONS_DLG dialog("Chip", nullptr);
    QComboBox* bases = NEW_REVISION_FORM(&dialog).comboBox;
    QStringList entries;
    for (int i = 0; i < bases->count(); ++i) {
        entries << bases->itemText(i);
    }
    EXPECT_EQ(entries, (QStringList{"", "chip", "fast", "slow", "Chip", "odd $x [exit 3]"}));
    EXPECT_EQ(bases->currentText(), "Chip");
}

// Another revision's values as its settings file states them, read without a
// project manager: where a store reads the file at all and evaluates nothing
// of it, the same values as the store's reading.
TEST_F(MdbRevisions, AnotherRevisionsValuesAreTheLastLinesOfItsOwnFile) {
    struct CASE {
        char const* title;
        std::string text;
        char const *entity, *family, *device;
        bool as_the_store_reads; // false: the store refuses a line or evaluates a sourced file
    } const cases[] = {
        {"a later line replaces an earlier one",
         "set_global_assignment -name FAMILY \"Vorelon II\"\n"
         "set_global_assignment -name family \"Lumiform II\"\n",
         "", "Lumiform II", "", true},
        {"a removal drops the value set before it, a later line sets it again",
         "set_global_assignment -name DEVICE LUMIFORMIIA15F484C6\n"
         "set_global_assignment -name TOP_LEVEL_ENTITY a\n"
         "set_global_assignment -name DEVICE LUMIFORMIIA15F484C6 -remove\n"
         "set_global_assignment -name TOP_LEVEL_ENTITY a -remove\n"
         "set_global_assignment -name TOP_LEVEL_ENTITY \"b c\"\n",
         "b c", "", "", true},
        {"lines with a target and parameters set nothing",
         "set_instance_assignment -name TOP_LEVEL_ENTITY inner -to u1\n"
         "set_parameter -name FAMILY x\n"
         "# set_global_assignment -name DEVICE in_a_comment\n",
         "", "", "", false},
        {"the files it sources are left out",
         "set_global_assignment -name FAMILY \"Vorelon II\"\nsource extra.tcl\n", "", "Vorelon II",
         "", false},
    };
    test_write_file(file("extra.tcl"), "set_global_assignment -name TOP_LEVEL_ENTITY sourced\n");
    open_project();
    std::list<ACF_VARIABLE_TYPE_ENUM> const variables = {
        ACF_VARIABLE_TYPE_ROOT, ACF_VARIABLE_TYPE_FAMILY, ACF_VARIABLE_TYPE_DEVICE};
    for (CASE const& c : cases) {
        test_write_file(file("fast.tsf"), c.text);
        std::vector<MDB_REVISION_SETTING> values;
        ASSERT_EQ(mdb_read_revision_values("fast", variables, &values), MDB_SETTINGS_READ_OK)
            << c.title;
        EXPECT_EQ(mdb_find_setting(values, ACF_VARIABLE_TYPE_ROOT), c.entity) << c.title;
        EXPECT_EQ(mdb_find_setting(values, ACF_VARIABLE_TYPE_FAMILY), c.family) << c.title;
        EXPECT_EQ(mdb_find_setting(values, ACF_VARIABLE_TYPE_DEVICE), c.device) << c.title;
        for (MDB_REVISION_SETTING const& value : values) {
            EXPECT_EQ(value.name, acf_get_variable_user_name(value.type)) << c.title;
            EXPECT_EQ(value.category, acf_get_file_category(value.type)) << c.title;
        }
        if (!c.as_the_store_reads) {
            continue;
        }
        std::vector<MDB_REVISION_SETTING> stored;
        ASSERT_EQ(mdb_read_revision_settings("fast", &stored, variables), MDB_SETTINGS_READ_OK)
            << c.title;
        for (ACF_VARIABLE_TYPE_ENUM variable : variables) {
            EXPECT_EQ(mdb_find_setting(values, variable), mdb_find_setting(stored, variable))
                << c.title << ": " << acf_get_variable_user_name(variable);
        }
    }

    // No settings file, a file that cannot be read, a file with a line that
    // cannot be understood beside good ones.
    std::vector<MDB_REVISION_SETTING> values;
    EXPECT_EQ(mdb_read_revision_values("none", variables, &values), MDB_SETTINGS_READ_NO_FILE);
    char const damaged[] = "set_global_assignment -name FAMILY a\0b\n"; // a NUL byte
    test_write_file(file("fast.tsf"), std::string(damaged, sizeof damaged - 1));
    EXPECT_EQ(mdb_read_revision_values("fast", variables, &values), MDB_SETTINGS_READ_UNREADABLE);
    EXPECT_TRUE(values.empty());
    test_write_file(file("fast.tsf"), "set_global_assignment -name FAMILY \"Vorelon II\"\n"
                                      "set_global_assignment -name NO_SUCH_VARIABLE y\n");
    EXPECT_EQ(mdb_read_revision_values("fast", variables, &values), MDB_SETTINGS_READ_UNREADABLE);
    EXPECT_TRUE(values.empty());
}

// The active revision's values as they stand in the open store, and the rows
// of a project whose descriptions file cannot be read.
TEST_F(MdbRevisions, TheActiveRevisionsValuesComeFromTheStore) {
    open_project();
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_TRUE(manager->write_lock(false));
    ACF_MGR_INPUT_PARAMETERS change;
    change.set_variable_type(ACF_VARIABLE_TYPE_ROOT);
    change.set_value_string("changed_top");
    ASSERT_NE(manager->set_global_assignment(&change), nullptr);
    manager->write_unlock(false);
    ASSERT_EQ(test_read_file(file("chip.tsf")).find("changed_top"), std::string::npos);
    test_write_file(PJC_PROJECT::description_file(m_project.c_str()), "not a descriptions file\n");

    std::vector<MDB_REVISION_ROW> rows = mdb_load_revision_rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].top_level_entity, "changed_top");
    EXPECT_EQ(rows[1].top_level_entity, "fast_top");
    for (MDB_REVISION_ROW const& row : rows) {
        EXPECT_EQ(row.description, "") << row.name;
    }
}

TEST_F(MdbRevisions, ShowingReloadingOkAndCancelWriteNothing) {
    open_project();
    SNAPSHOT before = snapshot();
    for (bool ok : {true, false}) {
        MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
        dialog.show();
        dialog.reload();
        click_row(dialog, 1);
        if (ok) {
            dialog.accept();
        } else {
            dialog.reject();
        }
        EXPECT_EQ(snapshot(), before);
    }
    EXPECT_TRUE(host_requests().empty());
    EXPECT_EQ(active(), "chip");
}

// In the graphical host every released write lock commits; reading the other
// revisions must not stamp their settings files with the running version.
TEST_F(MdbRevisions, LoadingInTheGraphicalHostWritesNothingEither) {
    open_project();
    SNAPSHOT before = snapshot();
    gen_set_is_ui_process(true);
    {
        MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
        dialog.show();
        dialog.accept();
    }
    gen_set_is_ui_process(false);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(MdbRevisions, TheTableListsTheRevisionsAndMarksTheActiveOne) {
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    EXPECT_EQ(dialog.tree_model()->rowCount(), 1); // filled when shown
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Revisions");
    EXPECT_EQ(names(dialog), (QStringList{"chip", "fast", "slow", "<<new revision>>"}));
    EXPECT_TRUE(marked(dialog, 0));
    EXPECT_FALSE(marked(dialog, 1));
    EXPECT_EQ(dialog.current_row(), 0);
    EXPECT_EQ(dialog.selected_row(), 0);
    EXPECT_EQ(dialog.rev_tree()->currentIndex().row(), 0);
    EXPECT_EQ(cell(dialog, 1, TOP_LEVEL_ENTITY_COL), "fast_top");
    EXPECT_EQ(cell(dialog, 2, MEET_TIMING_COL), " No ");
    EXPECT_EQ(cell(dialog, 1, DESC_COL), "Faster corner\nfor timing closure");
    EXPECT_EQ(dialog.tree_model()->item(1, DESC_COL)->sizeHint(), QSize(500, 72));
    EXPECT_FALSE(dialog.tree_model()->item(0, DESC_COL)->sizeHint().isValid());
    // Only the description cells can be edited.
    EXPECT_TRUE(dialog.tree_model()->item(1, DESC_COL)->isEditable());
    EXPECT_FALSE(dialog.tree_model()->item(1, DEVICE_COL)->isEditable());
    EXPECT_FALSE(dialog.tree_model()->item(3, DESC_COL)->isEditable());
    // The active row and the last row leave Set Current and Delete off.
    for (int row : {0, 3}) {
        click_row(dialog, row);
        EXPECT_FALSE(dialog.current_button()->isEnabled()) << row;
        EXPECT_FALSE(dialog.delete_button()->isEnabled()) << row;
    }
    click_row(dialog, 2);
    EXPECT_TRUE(dialog.current_button()->isEnabled());
    EXPECT_FALSE(dialog.button_box()->button(QDialogButtonBox::Apply)->isEnabled());

    // Another part of the suite makes fast active: the next focus-in reloads.
    ASSERT_EQ(ACF_MANAGER::get_acf_manager()->set_active_revision_name("fast", true, true), 0);
    QFocusEvent focus(QEvent::FocusIn);
    QApplication::sendEvent(&dialog, &focus);
    EXPECT_EQ(names(dialog), (QStringList{"fast", "chip", "slow", "<<new revision>>"}));
    EXPECT_TRUE(marked(dialog, 0));
}

TEST_F(MdbRevisions, SetCurrentAndApplyMoveOnlyThatRevisionToTheTop) {
    open_project();
    SNAPSHOT before = snapshot();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    click_row(dialog, 2);
    dialog.current_button()->click();
    EXPECT_TRUE(marked(dialog, 2));
    EXPECT_FALSE(marked(dialog, 0));
    EXPECT_EQ(listed(), (std::vector<std::string>{"chip", "fast", "slow"})); // nothing yet
    EXPECT_TRUE(host_requests().empty());

    dialog.button_box()->button(QDialogButtonBox::Apply)->click();
    EXPECT_EQ(listed(), (std::vector<std::string>{"slow", "chip", "fast"}));
    EXPECT_EQ(active(), "slow");
    ASSERT_EQ(host_requests().size(), 2u);
    EXPECT_EQ(host_requests()[0].operation, "close");
    EXPECT_EQ(host_requests()[1].project_file, file("rev.tpf"));
    EXPECT_EQ(host_requests()[1].revision, "slow");
    EXPECT_FALSE(dialog.button_box()->button(QDialogButtonBox::Apply)->isEnabled());
    EXPECT_EQ(names(dialog), (QStringList{"slow", "chip", "fast", "<<new revision>>"}));
    EXPECT_TRUE(marked(dialog, 0));
    // Besides the project file only the revision left behind is written: the
    // switch commits it.
    SNAPSHOT after = snapshot();
    for (char const* changed : {"rev.tpf", "chip.tsf"}) {
        after.erase(file(changed));
        before.erase(file(changed));
    }
    EXPECT_EQ(after, before);

    // OK then has nothing left to tell the host.
    dialog.accept();
    EXPECT_EQ(host_requests().size(), 2u);
}

TEST_F(MdbRevisions, ARefusedSwitchKeepsTheMarkAndSaysWhy) {
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    click_row(dialog, 1);
    dialog.current_button()->click();
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_TRUE(manager->read_lock());
    dialog.accept();
    manager->read_unlock();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(active(), "chip");
    EXPECT_TRUE(host_requests().empty());
    EXPECT_TRUE(dialog.button_box()->button(QDialogButtonBox::Apply)->isEnabled());
    ASSERT_EQ(logged(notice_not_changed).size(), 1u);
    EXPECT_NE(logged(notice_not_changed)[0].text.find("fast"), std::string::npos);
    dialog.accept();
    EXPECT_EQ(active(), "fast");
    EXPECT_EQ(host_requests().size(), 2u);
}

TEST_F(MdbRevisions, DeleteAsksThenRemovesTheRevisionItsFileAndItsDescription) {
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    click_row(dialog, 1);
    SNAPSHOT before = snapshot();
    msg_queue_answer(MSG_ANSWER_NO);
    dialog.delete_button()->click();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(dialog.tree_model()->rowCount(), 4);

    // A refusal of the project manager keeps the row.
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_TRUE(manager->read_lock());
    msg_queue_answer(MSG_ANSWER_YES);
    dialog.delete_button()->click();
    manager->read_unlock();
    EXPECT_EQ(names(dialog), (QStringList{"chip", "fast", "slow", "<<new revision>>"}));
    ASSERT_EQ(logged(notice_not_changed).size(), 1u);
    EXPECT_NE(logged(notice_not_changed)[0].text.find("fast"), std::string::npos);
    EXPECT_EQ(snapshot(), before);

    msg_queue_answer(MSG_ANSWER_YES);
    dialog.delete_button()->click();
    EXPECT_EQ(names(dialog), (QStringList{"chip", "slow", "<<new revision>>"}));
    EXPECT_EQ(listed(), (std::vector<std::string>{"chip", "slow"}));
    EXPECT_FALSE(std::filesystem::exists(file("fast.tsf")));
    EXPECT_EQ(description("fast"), "");
    EXPECT_EQ(description("chip"), "Baseline revision");
    EXPECT_EQ(dialog.current_row(), 0);
    EXPECT_TRUE(marked(dialog, 0));
    dialog.reject();
    EXPECT_TRUE(host_requests().empty());
}

TEST_F(MdbRevisions, DeletingTheActiveRevisionSwitchesFirstAndTheHostIsToldOnClose) {
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    click_row(dialog, 2);
    dialog.current_button()->click();
    click_row(dialog, 0);

    // The switch is refused: chip stays, with its row.
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_TRUE(manager->read_lock());
    msg_queue_answer(MSG_ANSWER_YES);
    dialog.delete_button()->click();
    manager->read_unlock();
    EXPECT_EQ(active(), "chip");
    EXPECT_EQ(names(dialog), (QStringList{"chip", "fast", "slow", "<<new revision>>"}));
    EXPECT_TRUE(dialog.button_box()->button(QDialogButtonBox::Cancel)->isEnabled());
    EXPECT_EQ(logged(notice_not_changed).size(), 1u);

    msg_queue_answer(MSG_ANSWER_YES);
    dialog.delete_button()->click();
    EXPECT_EQ(active(), "slow");
    EXPECT_EQ(names(dialog), (QStringList{"fast", "slow", "<<new revision>>"}));
    EXPECT_EQ(listed(), (std::vector<std::string>{"slow", "fast"}));
    EXPECT_EQ(dialog.current_row(), 1);
    EXPECT_EQ(dialog.selected_row(), 1);
    EXPECT_FALSE(dialog.button_box()->button(QDialogButtonBox::Cancel)->isEnabled());
    EXPECT_TRUE(host_requests().empty());
    dialog.close(); // by the window's close box
    ASSERT_EQ(host_requests().size(), 2u);
    EXPECT_EQ(host_requests()[1].revision, "slow");
}

TEST_F(MdbRevisions, TheNewRevisionNameIsCheckedBeforeAnythingIsCreated) {
    open_project();
    test_write_file(file("orphan.tsf"), "set_global_assignment -name TOP_LEVEL_ENTITY mine\n");
    // What a creation killed before the project listed it left is claimed
    // as its own; a creation still running holds its claim.
    test_write_file(file("claimed.tsf"), "set_global_assignment -name TOP_LEVEL_ENTITY top\n");
    test_write_file(file(".claimed.tsf.acf-claim"),
                    "revision creation\n" + file("claimed.tsf") + std::string(1, '\0') + "end\n");
    FIO_CLAIM running;
    std::string why;
    ASSERT_TRUE(running.claim({".acf-", "revision creation"}, {file("busy.tsf")}, why)) << why;
    test_write_file(file("busy.tsf"), "set_global_assignment -name TOP_LEVEL_ENTITY top\n");
    struct CASE {
        char const* name;
        unsigned notice; // 0: accepted
    } const cases[] = {
        {"new_rev-2", 0},
        {"Fast", 0}, // another name than fast
        {"a b", notice_illegal_name},
        {"x.y", notice_illegal_name},
        {"r[1]", notice_illegal_name},
        {"a\\b", notice_illegal_name},
        {"q'", notice_illegal_name},
        {"$x", notice_illegal_name},
        {"fast", notice_cant_write},
        {"orphan", notice_cant_write},
        {"claimed", 0},
        {"busy", notice_cant_write},
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        MDB_NEW_REVISIONS_DLG dialog("chip", nullptr);
        dialog.show();
        NEW_REVISION_FORM ui(&dialog);
        ui.lineEdit->setText(c.name);
        dialog.accept();
        EXPECT_EQ(dialog.result(), c.notice == 0 ? QDialog::Accepted : QDialog::Rejected) << c.name;
        EXPECT_EQ(dialog.isVisible(), c.notice != 0) << c.name;
        if (c.notice != 0) {
            ASSERT_EQ(logged(c.notice).size(), 1u) << c.name;
            EXPECT_EQ(ui.lineEdit->selectedText(), c.name);
        }
        if (c.notice == notice_cant_write) {
            EXPECT_EQ(logged(c.notice)[0].text,
                      "Can't create or overwrite file " + file(std::string(c.name) + ".tsf"));
        }
    }
    EXPECT_EQ(test_read_file(file("orphan.tsf")),
              "set_global_assignment -name TOP_LEVEL_ENTITY mine\n");
    EXPECT_FALSE(std::filesystem::exists(file("claimed.tsf")));
    EXPECT_FALSE(std::filesystem::exists(file(".claimed.tsf.acf-claim")));
    EXPECT_TRUE(std::filesystem::exists(file("busy.tsf")));
}

TEST_F(MdbRevisions, TheNewRevisionFormStartsFromTheCurrentRevision) {
    open_project();
    MDB_NEW_REVISIONS_DLG dialog("fast", nullptr);
    NEW_REVISION_FORM ui(&dialog);
    EXPECT_EQ(dialog.windowTitle(), "Create Revision");
    EXPECT_FALSE(ui.ok->isEnabled());
    ui.lineEdit->setText("n");
    EXPECT_TRUE(ui.ok->isEnabled());
    EXPECT_EQ(ui.comboBox->currentText(), "fast");
    EXPECT_TRUE(ui.checkBox->isChecked());
    EXPECT_TRUE(ui.checkBox->isEnabled());
    EXPECT_TRUE(ui.checkBox_2->isChecked());
    QString text = ui.textEdit->toPlainText();
    EXPECT_TRUE(text.startsWith("Created on:")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("\nBased on:fast\n")) << text.toStdString();

    ui.comboBox->setCurrentIndex(ui.comboBox->findText("slow"));
    EXPECT_TRUE(ui.textEdit->toPlainText().endsWith("\nBased on:slow\n"));
    ui.comboBox->setCurrentIndex(0);
    EXPECT_TRUE(ui.textEdit->toPlainText().endsWith("\nBased on:\n"));
    EXPECT_FALSE(ui.checkBox->isEnabled());
    // Without the marker the text stays as the user wrote it.
    ui.textEdit->setPlainText("My own words");
    ui.comboBox->setCurrentIndex(1);
    EXPECT_EQ(ui.textEdit->toPlainText(), "My own words");
}

TEST_F(MdbRevisions, CreatingCopiesFromTheBaseWithoutReplacingAnyFile) {
    open_project();
    test_write_file(file("db/next.hier"), "mine\n");
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    create_with("next", "chip", true, true);
    dialog.create_new_rev_clicked(dialog.tree_model()->index(3, 0));

    EXPECT_EQ(listed(), (std::vector<std::string>{"next", "chip", "fast", "slow"}));
    EXPECT_EQ(active(), "next");
    EXPECT_TRUE(std::filesystem::exists(file("next.tsf")));
    EXPECT_EQ(test_read_file(file("next.sdc")), test_read_file(file("chip.sdc")));
    EXPECT_EQ(test_read_file(file("db/next.cmp.cdb")), "chip compiled database\n");
    EXPECT_EQ(test_read_file(file("db/next.hier")), "mine\n");
    EXPECT_EQ(
        test_read_file(file("incremental_db/compiled_partitions/next.root_partition.cmp.cdb")),
        "chip partition\n");
    EXPECT_EQ(test_read_file(file("incremental_db/imported_partitions/next.import.tpx")),
              "chip import\n");
    EXPECT_TRUE(QString::fromStdString(description("next")).endsWith("\nBased on:chip\n"));
    EXPECT_EQ(names(dialog), (QStringList{"next", "chip", "fast", "slow", "<<new revision>>"}));
    EXPECT_TRUE(marked(dialog, 0));
    EXPECT_TRUE(dialog.button_box()->button(QDialogButtonBox::Apply)->isEnabled());
    EXPECT_TRUE(logged(notice_cant_write).empty());

    // Cancel still tells the host: the dialog made next active itself.
    dialog.reject();
    ASSERT_EQ(host_requests().size(), 2u);
    EXPECT_EQ(host_requests()[1].revision, "next");
}

TEST_F(MdbRevisions, CreatingWithoutBaseOrDatabaseOrSwitchCopiesOnlyWhatWasAsked) {
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    // A double click on another row creates nothing.
    dialog.create_new_rev_clicked(dialog.tree_model()->index(1, 0));
    EXPECT_EQ(listed().size(), 3u);

    create_with("bare", "", true, false);
    dialog.create_new_rev_clicked(dialog.tree_model()->index(3, 0));
    create_with("nodb", "chip", false, false);
    dialog.create_new_rev_clicked(dialog.tree_model()->index(4, 0));

    EXPECT_EQ(listed(), (std::vector<std::string>{"chip", "fast", "slow", "bare", "nodb"}));
    EXPECT_EQ(active(), "chip");
    EXPECT_FALSE(std::filesystem::exists(file("bare.sdc")));
    EXPECT_FALSE(std::filesystem::exists(file("db/bare.hier")));
    EXPECT_TRUE(std::filesystem::exists(file("nodb.sdc")));
    EXPECT_FALSE(std::filesystem::exists(file("db/nodb.hier")));
    EXPECT_TRUE(marked(dialog, 0));
    EXPECT_FALSE(dialog.button_box()->button(QDialogButtonBox::Apply)->isEnabled());
    dialog.reject();
    EXPECT_TRUE(host_requests().empty());
}

TEST_F(MdbRevisions, AFailedDescriptionIsShownAndTheRevisionStillCreated) {
    test_write_file(file("revision_descriptions.trd"), "kept by hand\n");
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    create_with("next", "chip", true, false);
    dialog.create_new_rev_clicked(dialog.tree_model()->index(3, 0));
    EXPECT_TRUE(std::filesystem::exists(file("next.tsf")));
    EXPECT_TRUE(std::filesystem::exists(file("next.sdc")));
    ASSERT_EQ(logged(notice_cant_write).size(), 1u);
    EXPECT_EQ(logged(notice_cant_write)[0].text,
              "Can't create or overwrite file " + file("revision_descriptions.trd"));
    EXPECT_EQ(test_read_file(file("revision_descriptions.trd")), "kept by hand\n");
}

TEST_F(MdbRevisions, DescriptionsAreEditedInPlaceAndCommittedBeforeAReload) {
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    MDB_REV_TREE_VIEW* view = dialog.rev_tree();
    QModelIndex slow = dialog.tree_model()->index(2, DESC_COL);

    view->edit(slow);
    auto* editor = view->findChild<QTextEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->width(), DESC_COLUMN_WIDTH);
    EXPECT_EQ(editor->height(), DESC_COLUMN_HEIGHT);
    editor->setPlainText("first line\n<b>second</b> line");
    dialog.reload();
    EXPECT_EQ(description("slow"), "first line\n<b>second</b> line");
    EXPECT_EQ(cell(dialog, 2, DESC_COL), "first line\n<b>second</b> line");
    EXPECT_TRUE(dialog.tree_model()->item(2, DESC_COL)->sizeHint().isValid());

    // Escape in the editor discards the edit.
    view->edit(dialog.tree_model()->index(2, DESC_COL));
    editor = view->findChild<QTextEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setPlainText("discarded");
    QTest::keyClick(editor, Qt::Key_Escape);
    dialog.reject();
    EXPECT_EQ(description("slow"), "first line\n<b>second</b> line");
}

TEST_F(MdbRevisions, AFailedDescriptionWriteKeepsTheTextInTheCell) {
    test_write_file(file("revision_descriptions.trd"), "TESSALY_REVISION_DESCRIPTIONS 9\n");
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    dialog.rev_tree()->edit(dialog.tree_model()->index(0, DESC_COL));
    auto* editor = dialog.rev_tree()->findChild<QTextEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setPlainText("new words");
    dialog.accept();
    EXPECT_EQ(cell(dialog, 0, DESC_COL), "new words");
    ASSERT_EQ(logged(notice_cant_write).size(), 1u);
    EXPECT_EQ(test_read_file(file("revision_descriptions.trd")),
              "TESSALY_REVISION_DESCRIPTIONS 9\n");
}

TEST_F(MdbRevisions, TheDescriptionEditorChecksWhatItIsGiven) {
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    auto* delegate =
        qobject_cast<REV_ITEM_DELEGATE_EDIT*>(dialog.rev_tree()->itemDelegateForColumn(DESC_COL));
    ASSERT_NE(delegate, nullptr);
    QLineEdit not_a_text_edit;
    QTextEdit text_edit;
    QStringListModel other_model;
    QModelIndex index = dialog.tree_model()->index(1, DESC_COL);
    delegate->setModelData(&not_a_text_edit, dialog.tree_model(), index);
    delegate->setModelData(&text_edit, &other_model, index);
    EXPECT_EQ(m_internal_errors,
              (std::vector<std::string>{"text_edit != NULL", "std_model != NULL"}));
    m_internal_errors.clear();
    EXPECT_EQ(description("fast"), "Faster corner\nfor timing closure");
}

TEST_F(MdbRevisions, CompareOpensTheCompareRevisionsDialog) {
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    QString title;
    when_shown([&title](QDialog* compare) {
        title = compare->windowTitle();
        compare->reject();
    });
    dialog.compare_button()->click();
    EXPECT_EQ(title, "Compare Revisions");
}

TEST_F(MdbRevisions, TheEntryPointGivesATopLevelDialogToTheHost) {
    open_project();
    std::unique_ptr<MDB_REVISIONS_DLG> dialog(mdb_dyn_get_revisions_dlg());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->parent(), nullptr);
    EXPECT_TRUE(dialog->windowFlags() & Qt::Window);
}

TEST_F(MdbRevisions, TheButtonsActOnTheRowTheArrowsSelectedNotTheLastClicked) {
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    show_active(dialog);
    QTreeView* view = dialog.rev_tree();
    QRect fast = view->visualRect(dialog.tree_model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, fast.center());
    ASSERT_EQ(dialog.selected_row(), 1);
    key(Qt::Key_Down); // slow
    EXPECT_EQ(dialog.selected_row(), 2);
    dialog.current_button()->click();
    EXPECT_TRUE(marked(dialog, 2));
    EXPECT_FALSE(marked(dialog, 1));

    // Slow, marked current now, cannot go; fast, reached by the arrow, can.
    EXPECT_FALSE(dialog.delete_button()->isEnabled());
    key(Qt::Key_Up);
    msg_queue_answer(MSG_ANSWER_YES);
    dialog.delete_button()->click();
    ASSERT_EQ(logged(296061).size(), 1u);
    EXPECT_NE(logged(296061)[0].text.find("revision fast?"), std::string::npos);
    EXPECT_EQ(names(dialog), (QStringList{"chip", "slow", "<<new revision>>"}));
    EXPECT_EQ(listed(), (std::vector<std::string>{"chip", "slow"}));
    dialog.reject();
}

TEST_F(MdbRevisions, TheKeyboardAloneSetsCurrentDeletesAndLeaves) {
    open_project();
    SNAPSHOT before = snapshot();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    show_active(dialog);
    // The table has the focus and comes first in the Tab order.
    ASSERT_EQ(QApplication::focusWidget(), dialog.rev_tree());
    key(Qt::Key_Down); // fast
    EXPECT_TRUE(dialog.current_button()->isEnabled());
    EXPECT_TRUE(dialog.delete_button()->isEnabled());
    key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), dialog.current_button());
    key(Qt::Key_Space);
    EXPECT_TRUE(marked(dialog, 1));
    // Set Current and Delete are off now; the focus is back in the table.
    EXPECT_FALSE(dialog.current_button()->isEnabled() || dialog.delete_button()->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), dialog.rev_tree());
    EXPECT_FALSE(dialog.compare_button()->isDefault());
    EXPECT_TRUE(dialog.button_box()->button(QDialogButtonBox::Ok)->isDefault());

    // Slow by the arrows; Delete by Space asks about slow, and the No answer
    // keeps it.
    key(Qt::Key_Down);
    ASSERT_EQ(dialog.selected_row(), 2);
    dialog.delete_button()->setFocus();
    msg_queue_answer(MSG_ANSWER_NO);
    key(Qt::Key_Space);
    ASSERT_EQ(logged(296061).size(), 1u);
    EXPECT_NE(logged(296061)[0].text.find("revision slow?"), std::string::npos);
    EXPECT_EQ(names(dialog), (QStringList{"chip", "fast", "slow", "<<new revision>>"}));

    // Escape leaves: the mark waiting for Apply is dropped, nothing written.
    key(Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(active(), "chip");
}

// After each action by the keyboard the focus is back in the table, where
// Enter means OK: no button the focus passed over stays the default.
TEST_F(MdbRevisions, AfterEachActionTheFocusIsBackInTheTableAndEnterMeansOk) {
    struct CASE {
        char const* action;
        std::function<QPushButton*(MDB_REVISIONS_DLG&)> button;
        std::function<void()> answer; // to the question or dialog it opens
    };
    CASE const cases[] = {
        {"Set Current", [](MDB_REVISIONS_DLG& d) { return d.current_button(); }, [] {}},
        {"Delete, answered No", [](MDB_REVISIONS_DLG& d) { return d.delete_button(); },
         [] { msg_queue_answer(MSG_ANSWER_NO); }},
        {"Compare...", [](MDB_REVISIONS_DLG& d) { return d.compare_button(); },
         [] { when_shown([](QDialog* compare) { QTest::keyClick(compare, Qt::Key_Escape); }); }},
        {"Apply", [](MDB_REVISIONS_DLG& d) { return d.button_box()->button(QDialogButtonBox::Apply); },
         [] {}},
    };
    open_project();
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.action);
        MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
        show_active(dialog);
        key(Qt::Key_Down); // fast
        if (std::string(c.action) == "Apply") {
            dialog.current_button()->click();
        }
        QPushButton* button = c.button(dialog);
        ASSERT_TRUE(button->isEnabled());
        button->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), button);
        c.answer();
        key(Qt::Key_Space);
        // As the window system does once a dialog opened on top closes.
        QApplication::setActiveWindow(&dialog);
        EXPECT_EQ(QApplication::focusWidget(), dialog.rev_tree());
        for (QPushButton* other : dialog.findChildren<QPushButton*>()) {
            EXPECT_EQ(other->isDefault(),
                      other == dialog.button_box()->button(QDialogButtonBox::Ok))
                << other->text().toStdString();
        }
        // Enter: OK closes the dialog; a dialog it opened instead is closed
        // and named.
        auto opened = std::make_shared<QString>();
        QTimer::singleShot(100, [opened] {
            if (auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                *opened = shown->windowTitle();
                shown->reject();
            }
        });
        key(Qt::Key_Return);
        QTest::qWait(200);
        EXPECT_EQ(opened->toStdString(), "");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
}

TEST_F(MdbRevisions, EnterOnTheNewRevisionRowOpensCreateRevisionAndKeepsTheDialog) {
    open_project();
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    show_active(dialog);
    key(Qt::Key_End);
    ASSERT_EQ(dialog.selected_row(), 3);
    EXPECT_FALSE(dialog.current_button()->isEnabled());
    QString title;
    when_shown([&title](QDialog* create) {
        title = create->windowTitle();
        QTest::keyClick(create, Qt::Key_Escape);
    });
    key(Qt::Key_Return);
    EXPECT_EQ(title, "Create Revision");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(names(dialog), (QStringList{"chip", "fast", "slow", "<<new revision>>"}));

    // Enter on another row is OK, as everywhere.
    QTest::keyClick(dialog.rev_tree(), Qt::Key_Home);
    QTest::keyClick(dialog.rev_tree(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}
TEST_F(MdbRevisions, ALongNameIsCappedAndWholeInItsTooltip) {
    open_project();
    std::string const name = "long_" + std::string(115, 'n');
    MDB_NEW_REVISION request;
    request.name = name;
    request.base = "fast";
    request.copy_database = false;
    ASSERT_EQ(mdb_create_revision(request), ACF_REVISION_MANAGER::SUCCESS);
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    QApplication::processEvents();
    QTreeView* view = dialog.rev_tree();
    EXPECT_LE(view->columnWidth(REVISION_NAME_COL), 48 * view->fontMetrics().averageCharWidth());
    EXPECT_LT(view->header()->sectionViewportPosition(TOP_LEVEL_ENTITY_COL),
              view->viewport()->width());
    QModelIndex cell = dialog.tree_model()->index(3, REVISION_NAME_COL);
    ASSERT_EQ(cell.data().toString().toStdString(), name);
    QPoint centre = view->visualRect(cell).center();
    QHelpEvent help(QEvent::ToolTip, centre, view->viewport()->mapToGlobal(centre));
    QApplication::sendEvent(view->viewport(), &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text().toStdString(), name);
    QToolTip::hideText();
}
} // namespace
