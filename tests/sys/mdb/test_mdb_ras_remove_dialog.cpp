// The Remove Assignments dialog on a copy of the removal fixture: its rows,
// the ticking rules, the OK rule, the device question and the removal it runs.
#include "sys/mdb/mdb_ras_remove_dialog.h"

#include "tests/sys/mdb/mdb_test_project.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>

namespace {
class MdbRasRemoveDialog : public MdbRevisionProject {
protected:
    std::string fixture() const override { return TESSALY_TEST_DATA_DIR "/fixtures/ras_project"; }
    std::string project_name() const override { return "ras"; }
    void SetUp() override {
        MdbRevisionProject::SetUp();
        open_project();
        m_dialog = std::make_unique<MDB_RAS_REMOVE_DIALOG>(nullptr);
        m_dialog->on_init_dialog();
        m_model = static_cast<QStandardItemModel*>(list()->model());
    }
    void TearDown() override {
        m_dialog.reset();
        MdbRevisionProject::TearDown();
    }
    QListView* list() const { return m_dialog->findChild<QListView*>("category_listview"); }
    QCheckBox* check_box(char const* name) const { return m_dialog->findChild<QCheckBox*>(name); }
    bool ok_enabled() const {
        return m_dialog->findChild<QDialogButtonBox*>("buttonBox")
            ->button(QDialogButtonBox::Ok)
            ->isEnabled();
    }
    bool checked(int row) const { return m_model->item(row)->checkState() == Qt::Checked; }
    // Flips a row's check box as a click on it does; the model tells the dialog.
    void tick(int row) {
        QStandardItem* item = m_model->item(row);
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
    // Shows the dialog with the keyboard focus where it starts.
    void show_dialog() {
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
    }
    void key(int key) { QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key)); }
    std::vector<int> ticked_rows() const {
        std::vector<int> rows;
        for (int row = 0; row < m_model->rowCount(); ++row) {
            if (checked(row)) {
                rows.push_back(row);
            }
        }
        return rows;
    }
    std::vector<int> selected_rows() const {
        std::vector<int> rows;
        for (int row = 1; row < m_model->rowCount(); ++row) {
            if (m_dialog->selection()[row] != ACF_FILE_CATEGORY_NONE) {
                rows.push_back(row);
            }
        }
        return rows;
    }
    void click(char const* name) { check_box(name)->click(); }

    std::unique_ptr<MDB_RAS_REMOVE_DIALOG> m_dialog;
    QStandardItemModel* m_model = nullptr;
};

TEST_F(MdbRasRemoveDialog, OpensWithTheCategoryRowsAndOkDisabled) {
    ASSERT_EQ(m_model->rowCount(), 21);
    EXPECT_EQ(m_model->item(0)->text(), "All");
    EXPECT_EQ(m_model->item(1)->text(), "Device Assignments");
    EXPECT_EQ(m_model->item(2)->text(), "Pin, Location & Routing Assignments");
    EXPECT_EQ(m_model->item(3)->text(), "Classic Timing Assignments");
    EXPECT_EQ(m_model->item(20)->text(), "Netlist Viewer Assignments");
    for (int row = 0; row < 21; ++row) {
        EXPECT_TRUE(m_model->item(row)->isCheckable() && !m_model->item(row)->isEditable());
    }
    EXPECT_FALSE(ok_enabled());
    EXPECT_TRUE(check_box("global_ck")->isChecked() && check_box("instance_ck")->isChecked());
    EXPECT_TRUE(check_box("obsolete_ck")->isEnabled()); // the fixture's compilation succeeded
    EXPECT_EQ(m_dialog->windowTitle(), "Remove Assignments");
}

TEST_F(MdbRasRemoveDialog, ObsoleteNeedsASuccessfulCompilation) {
    for (char const* hierarchy : {"", "{\"version\": 1, \"last_compilation_successful\": false}"}) {
        if (*hierarchy == '\0') {
            std::filesystem::remove(file("db/ras.hier"));
        } else {
            std::ofstream(file("db/ras.hier")) << hierarchy;
        }
        MDB_RAS_REMOVE_DIALOG dialog(nullptr);
        dialog.on_init_dialog();
        EXPECT_FALSE(dialog.findChild<QCheckBox*>("obsolete_ck")->isEnabled()) << hierarchy;
    }
}

TEST_F(MdbRasRemoveDialog, TickingRowsFollowsTheAllRowAndTheOkRule) {
    for (int row = 1; row <= 20; ++row) {
        EXPECT_FALSE(checked(0)) << row;
        tick(row);
        EXPECT_TRUE(ok_enabled());
    }
    EXPECT_TRUE(checked(0));
    tick(7);
    EXPECT_FALSE(checked(0));
    EXPECT_EQ(m_dialog->selection()[7], ACF_FILE_CATEGORY_NONE);
    EXPECT_EQ(m_dialog->selection()[8], static_cast<ACF_FILE_CATEGORY_ENUM>(7));
    tick(0); // All ticks every row
    for (int row = 1; row <= 20; ++row) {
        EXPECT_TRUE(checked(row));
    }
    tick(0); // and clears them
    for (int row = 0; row <= 20; ++row) {
        EXPECT_FALSE(checked(row));
    }
    EXPECT_FALSE(ok_enabled());

    tick(4);
    click("global_ck");
    EXPECT_TRUE(ok_enabled());
    click("instance_ck");
    EXPECT_FALSE(ok_enabled());
    click("obsolete_ck");
    EXPECT_TRUE(ok_enabled());
}

TEST_F(MdbRasRemoveDialog, TheDeviceRowAloneAsksFirst) {
    tick(1);
    msg_queue_answer(MSG_ANSWER_NO);
    m_dialog->on_ok();
    EXPECT_EQ(logged(296045).size(), 1u);
    EXPECT_NE(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(checked(1));
    msg_queue_answer(MSG_ANSWER_YES);
    m_dialog->on_ok();
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);

    msg_log_clear();
    MDB_RAS_REMOVE_DIALOG all(nullptr);
    all.on_init_dialog();
    auto* model = static_cast<QStandardItemModel*>(all.findChild<QListView*>()->model());
    model->item(0)->setCheckState(Qt::Checked);
    all.on_sel_change_categories(model->index(0, 0));
    all.on_ok();
    EXPECT_TRUE(logged(296045).empty());
    EXPECT_EQ(all.result(), QDialog::Accepted);
}

TEST_F(MdbRasRemoveDialog, AcceptedChoicesRunTheRemoval) {
    SNAPSHOT before = snapshot();
    tick(2); // pins, locations and routing
    click("obsolete_ck");
    m_dialog->on_ok();
    ASSERT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(snapshot(), before); // nothing changes before the removal runs
    m_dialog->run_remove();
    std::string text = test_read_file(file("ras.tsf"));
    EXPECT_EQ(text.find("set_location_assignment"), std::string::npos) << text;
    EXPECT_EQ(text.find("AUTO_ROM_RECOGNITION OFF -to"), std::string::npos) << text; // obsolete
    EXPECT_NE(text.find("-to \"b|q\""), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(file("ras.rba")));
}
TEST_F(MdbRasRemoveDialog, AtItsSmallestNothingOverlaps) {
    show_dialog();
    m_dialog->resize(1, 1); // as small as the window allows
    QApplication::processEvents();
    QRect global = check_box("global_ck")->geometry();
    QRect instance = check_box("instance_ck")->geometry();
    EXPECT_FALSE(global.intersects(instance)) << global.bottom() << " " << instance.top();
    EXPECT_GE(global.height(), check_box("global_ck")->sizeHint().height());
    EXPECT_GE(instance.height(), check_box("instance_ck")->sizeHint().height());
    EXPECT_GE(list()->height(), 4 * list()->sizeHintForRow(0));
}

TEST_F(MdbRasRemoveDialog, TheKeyboardAloneTicksRowsAndOkFollowsTheBoxes) {
    show_dialog();
    ASSERT_EQ(QApplication::focusWidget(), list()); // the dialog starts in the list
    key(Qt::Key_Down);                              // to "Device Assignments"
    key(Qt::Key_Space);
    EXPECT_EQ(ticked_rows(), (std::vector<int>{1}));
    EXPECT_EQ(selected_rows(), (std::vector<int>{1}));
    EXPECT_TRUE(ok_enabled());
    key(Qt::Key_Space);
    EXPECT_TRUE(ticked_rows().empty());
    EXPECT_TRUE(selected_rows().empty());
    EXPECT_FALSE(ok_enabled());

    key(Qt::Key_Up); // "All" ticks and clears every row
    key(Qt::Key_Space);
    EXPECT_EQ(ticked_rows().size(), 21u);
    EXPECT_EQ(selected_rows().size(), 20u);
    key(Qt::Key_Down);
    key(Qt::Key_Space); // one row less clears "All"
    EXPECT_FALSE(checked(0));
    EXPECT_EQ(selected_rows().size(), 19u);
    key(Qt::Key_Up);
    key(Qt::Key_Space); // "All" ticked again
    key(Qt::Key_Space); // and cleared
    EXPECT_TRUE(ticked_rows().empty());
    EXPECT_TRUE(selected_rows().empty());
    EXPECT_FALSE(ok_enabled());

    // Tab reaches the kind boxes: Space on both leaves nothing to remove.
    for (int row : {2, 4}) {
        list()->setCurrentIndex(m_model->index(row, 0));
        key(Qt::Key_Space);
    }
    EXPECT_TRUE(ok_enabled());
    key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), check_box("global_ck"));
    key(Qt::Key_Space);
    key(Qt::Key_Tab);
    key(Qt::Key_Space);
    EXPECT_FALSE(ok_enabled());
    key(Qt::Key_Space);
    EXPECT_TRUE(ok_enabled());

    // Escape leaves without removing anything.
    SNAPSHOT before = snapshot();
    key(Qt::Key_Escape);
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(MdbRasRemoveDialog, EnterRemovesExactlyTheRowsTheBoxesShow) {
    // A click on a row's text, a click on its box, then Space: the box shows
    // empty again, so nothing may be removed and OK is off.
    show_dialog();
    list()->setCurrentIndex(m_model->index(4, 0)); // Analysis & Synthesis
    tick(4);
    EXPECT_TRUE(ok_enabled());
    key(Qt::Key_Space);
    EXPECT_TRUE(ticked_rows().empty());
    EXPECT_TRUE(selected_rows().empty());
    EXPECT_FALSE(ok_enabled());

    // Pins by Space, then Enter: only the pin lines go.
    list()->setCurrentIndex(m_model->index(2, 0));
    key(Qt::Key_Space);
    EXPECT_EQ(selected_rows(), (std::vector<int>{2}));
    key(Qt::Key_Return);
    ASSERT_EQ(m_dialog->result(), QDialog::Accepted);
    m_dialog->run_remove();
    std::string text = test_read_file(file("ras.tsf"));
    EXPECT_EQ(text.find("set_location_assignment"), std::string::npos) << text;
    for (char const* kept : {"VERILOG_MACRO", "AUTO_ROM_RECOGNITION OFF -to", "TPD_REQUIREMENT"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
    }
}

TEST_F(MdbRasRemoveDialog, EnterOnTheDeviceRowAloneAsksAndNoKeepsTheDialogOpen) {
    show_dialog();
    key(Qt::Key_Down);
    key(Qt::Key_Space);
    msg_queue_answer(MSG_ANSWER_NO);
    key(Qt::Key_Return);
    EXPECT_EQ(logged(296045).size(), 1u);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(ticked_rows(), (std::vector<int>{1}));
}
} // namespace
