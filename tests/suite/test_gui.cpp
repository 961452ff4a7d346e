// The GUI framework's pieces that hold logic: the tree model's depth-first
// walk, the file dialog's queued answers, and the folder icons.
#include "suite/gui/afcq.h"

#include "tests/support/test_qt_application.h"

#include <QStandardItem>
#include <gtest/gtest.h>

namespace {

class MdbGuiFramework : public testing::Test {
protected:
    static void SetUpTestSuite() { test_qt_application(); }
    void TearDown() override { afcq_clear_file_answers(); }
};

TEST_F(MdbGuiFramework, TreeModelWalksRowsDepthFirstOneItemPerRow) {
    AFCQ_TREE_MODEL model(nullptr);
    EXPECT_EQ(model.get_total_count(), 0);
    EXPECT_EQ(model.get_item(0), nullptr);
    auto* a = new QStandardItem("a");
    model.appendRow({a, new QStandardItem("a1")});
    auto* b = new QStandardItem("b");
    a->appendRow(b);
    b->appendRow(new QStandardItem("c"));
    a->appendRow({new QStandardItem("d"), new QStandardItem("d1")});
    model.appendRow(new QStandardItem("e"));

    QStringList walked;
    for (int i = 0; i < model.get_total_count(); ++i) {
        walked << model.get_item(i)->text();
    }
    EXPECT_EQ(walked, QStringList({"a", "b", "c", "d", "e"}));
    EXPECT_EQ(model.get_item(5), nullptr);
    EXPECT_EQ(model.get_item(-1), nullptr);
    EXPECT_EQ(model.get_item(0, 1)->text(), "a1");
}

TEST_F(MdbGuiFramework, FileDialogTakesQueuedAnswersWhenNotInteractive) {
    afcq_set_interactive(false);
    AFCQ_NATIVE_FILE_DLG dialog(nullptr, "Title", "/tmp", "All (*)");
    EXPECT_EQ(dialog.exec(), 0);
    EXPECT_TRUE(dialog.selected_files().isEmpty());
    afcq_queue_file_answer("/tmp/one.csv");
    afcq_queue_file_answer("/tmp/two");
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_EQ(dialog.selected_files(), QStringList({"/tmp/one.csv"}));
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_EQ(dialog.selected_files(), QStringList({"/tmp/two"}));
    EXPECT_EQ(dialog.exec(), 0);
}

TEST_F(MdbGuiFramework, FolderIconsOpenAndClosedDiffer) {
    QImage open = afcq_get_icon(AFCQ_ICON_FOLDER_OPEN).pixmap(16, 16).toImage();
    QImage closed = afcq_get_icon(AFCQ_ICON_FOLDER_CLOSED).pixmap(16, 16).toImage();
    EXPECT_FALSE(open.isNull());
    EXPECT_FALSE(closed.isNull());
    EXPECT_NE(open, closed);
}

} // namespace
