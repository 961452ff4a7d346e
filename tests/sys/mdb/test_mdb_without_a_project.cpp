// The dialogs with no project open, driven as a user would to the end of
// their flows: each does what it can or says why it cannot; none aborts the
// host, and nothing is written where the host happens to be.
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_copy_project_dlg.h"
#include "sys/mdb/mdb_import_assignment_dlg.h"
#include "sys/mdb/mdb_revisions_dlg.h"
#include "sys/mdb/mdb_revisions_tree.h"

#include "tests/sys/mdb/mdb_test_project.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

namespace fs = std::filesystem;

unsigned const notice_no_project = 296051;

// The fixture copied but never opened; the current folder is an empty one.
class MdbWithoutAProject : public MdbRevisionProject {
protected:
    void SetUp() override {
        MdbRevisionProject::SetUp();
        m_here = m_workspace.path("here");
        fs::create_directories(m_here);
        fs::current_path(m_here);
        ASSERT_FALSE(ACF_MANAGER::get_acf_manager()->is_project_open());
    }
    bool here_is_empty() const { return fs::is_empty(m_here); }

    std::string m_here;
};

TEST_F(MdbWithoutAProject, ImportAssignmentsSaysSoInsteadOfOpening) {
    std::vector<std::string> regions = {"R1"};
    for (bool for_regions : {false, true}) {
        SCOPED_TRACE(for_regions ? "for regions" : "plain");
        msg_log_clear();
        // Closes a dialog that should not have shown.
        bool shown = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&shown]() {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown = true;
                dialog->reject();
            }
        });
        closer.start(20);
        if (for_regions) {
            mdb_dyn_import_assignment_dlg_for_bf(nullptr, regions);
        } else {
            mdb_dyn_import_assignment_dlg(nullptr);
        }
        EXPECT_FALSE(shown);
        EXPECT_EQ(logged(notice_no_project).size(), 1u);
    }
    EXPECT_TRUE(here_is_empty());
}

TEST_F(MdbWithoutAProject, CreatingARevisionIsRefused) {
    MDB_REVISIONS_DLG dialog(nullptr, Qt::Window);
    dialog.show();
    ASSERT_EQ(dialog.tree_model()->rowCount(), 1);
    EXPECT_EQ(dialog.tree_model()->index(0, REVISION_NAME_COL).data().toString(),
              "<<new revision>>");
    when_shown([](QDialog* create) {
        create->findChild<QLineEdit*>("lineEdit")->setText("next");
        press(create, QDialogButtonBox::Ok);
    });
    dialog.create_new_rev_clicked(dialog.tree_model()->index(0, 0));
    EXPECT_FALSE(msg_log_entries().empty());
    EXPECT_EQ(dialog.tree_model()->rowCount(), 1);
    EXPECT_TRUE(here_is_empty());
}

TEST_F(MdbWithoutAProject, CopyProjectCopiesNothing) {
    std::string destination = m_workspace.path("copy");
    msg_queue_answer(MSG_ANSWER_YES);
    msg_queue_answer(MSG_ANSWER_YES);
    when_shown([&](QDialog* dialog) {
        child<QLineEdit>(dialog, "m_dest_dir")->setText(QString::fromStdString(destination));
        child<QLineEdit>(dialog, "m_project_text")->setText("n");
        child<QDialogButtonBox>(dialog, "m_button_box")->button(QDialogButtonBox::Ok)->click();
    });
    mdb_dyn_copy_project_dlg(nullptr);
    EXPECT_FALSE(msg_log_entries().empty());
    EXPECT_FALSE(fs::exists(destination + "/n.tpf"));
    EXPECT_TRUE(here_is_empty());
}

} // namespace
