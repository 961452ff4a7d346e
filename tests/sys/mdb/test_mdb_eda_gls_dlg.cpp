// The timing-model picker over the corners the shared Tcl interpreter holds.
// The settings headers come before Tcl's, whose macros would hide their names.
#include "tests/sys/mdb/mdb_test_project.h"

#include "suite/tclglue/atcl.h"
#include "sys/mdb/mdb_eda_gls_dlg.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

class MdbEdaGlsDlg : public MdbRevisionProject {
protected:
    void TearDown() override {
        atcl_post("unset -nocomplain corner_file_list", true, nullptr);
        MdbRevisionProject::TearDown();
    }

    // Sets corner_file_list (null: unset).
    static void set_corners(char const* list) {
        atcl_post("unset -nocomplain corner_file_list", true, nullptr);
        if (list != nullptr) {
            ASSERT_EQ(atcl_eval_words(atcl_get_interpreter(), {"set", "corner_file_list", list}),
                      TCL_OK);
        }
    }
};

TEST_F(MdbEdaGlsDlg, ListsTheCornerNamesAndReturnsTheOneRun) {
    struct CASE {
        char const* list;
        QStringList shown;
        int pick; // combo index to choose before Run, -1 to leave it
        int result;
    } const cases[] = {
        {nullptr, {}, -1, -1},
        {"", {}, -1, -1},
        {"{a", {}, -1, -1}, // not a list
        {"{slow_85c 1100mv} {fast_0c 1100mv} typical", {"slow_85c", "fast_0c", "typical"}, -1, 0},
        {"{slow_85c 1100mv} {fast_0c 1100mv} typical", {"slow_85c", "fast_0c", "typical"}, 2, 2},
        // A corner without a name is skipped: later indexes move down.
        {"{slow_85c x} {{} y} {fast_0c z}", {"slow_85c", "fast_0c"}, 1, 1},
        {"{{my corner} x}", {"my corner"}, -1, 0},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.list != nullptr ? c.list : "(unset)");
        set_corners(c.list);
        QStringList shown;
        int current = -2;
        when_shown([&](QDialog* dialog) {
            auto* combo = child<QComboBox>(dialog, "m_corner_combo");
            for (int i = 0; i < combo->count(); ++i) {
                shown << combo->itemText(i);
            }
            current = combo->currentIndex();
            if (c.pick >= 0) {
                combo->setCurrentIndex(c.pick);
            }
            child<QPushButton>(dialog, "m_run_button")->click();
        });
        EXPECT_EQ(mdb_dyn_eda_gls_dlg(nullptr), c.result);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(current, c.shown.isEmpty() ? -1 : 0);
    }
}

TEST_F(MdbEdaGlsDlg, ClosingWithoutRunReturnsMinusOne) {
    set_corners("{slow_85c x} {fast_0c y}");
    when_shown([](QDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(mdb_dyn_eda_gls_dlg(nullptr), -1);
    when_shown([](QDialog* dialog) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog, &escape);
    });
    EXPECT_EQ(mdb_dyn_eda_gls_dlg(nullptr), -1);
}

TEST_F(MdbEdaGlsDlg, FormHasTheTitleAndTexts) {
    MDB_EDA_GLS_DLG dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "EDA Gate Level Simulation");
    EXPECT_EQ(child<QLabel>(&dialog, "m_timing_model_label")->text(), "Timing model:");
    EXPECT_EQ(child<QPushButton>(&dialog, "m_run_button")->text(), "Run");
    EXPECT_EQ(dialog.get_selected_corner(), -1);
}

} // namespace
