// The GUI framework's pieces that hold logic: the tree model's depth-first
// walk, the file dialog's queued answers, and the folder icons.
#include "suite/gui/afcq.h"
#include "suite/gui/cfgq.h"
#include "suite/gui/qui_app.h"
#include "suite/gui/qui_frame_info.h"
#include "suite/gui/qui_frame_wnd.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "suite/messages/msg.h"

#include "tests/support/test_qt_application.h"
#include "tests/support/test_workspace.h"

#include <QApplication>
#include <QMessageBox>
#include <QStandardItem>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class MdbGuiFramework : public testing::Test {
protected:
    static void SetUpTestSuite() { test_qt_application(); }
    void TearDown() override { afcq_clear_file_answers(); }
};

// Enter in the question box answers its default: No for a question that
// destroys, so that Enter pressed twice destroys nothing.
TEST_F(MdbGuiFramework, EnterInAQuestionBoxAnswersTheQuestionsDefault) {
    for (int default_answer : {MSG_ANSWER_NO, MSG_ANSWER_YES}) {
        MSG_YN question;
        question.set_text("Delete it?");
        question.set_default_answer(default_answer);
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), "Delete it?");
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(afcq_ask_question(nullptr, question), default_answer);
    }
}

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
    QStringList visited;
    model.for_each_row(
        [&visited](QStandardItem* parent, int row) { visited << parent->child(row)->text(); });
    EXPECT_EQ(visited, walked);
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

TEST_F(MdbGuiFramework, RevisionIconsAreDrawnAndToldApart) {
    QImage current = afcq_get_icon(AFCQ_ICON_CURRENT_REVISION).pixmap(16, 16).toImage();
    QImage revisions = afcq_get_icon(AFCQ_ICON_REVISIONS).pixmap(16, 16).toImage();
    EXPECT_FALSE(current.isNull());
    EXPECT_FALSE(revisions.isNull());
    EXPECT_NE(current, revisions);
}

TEST_F(MdbGuiFramework, ColumnVisibilityComesFromThePreferencesFile) {
    TEST_WORKSPACE ws;
    char const* old = std::getenv("XDG_CONFIG_HOME");
    std::string kept = old != nullptr ? old : "";
    setenv("XDG_CONFIG_HOME", ws.dir().c_str(), 1);
    EXPECT_EQ(CFGQ_REGISTRY_KEY::file_path().toStdString(), ws.path("tessaly/preferences.ini"));

    AFCQ_TREE_MODEL model(nullptr);
    model.setColumnCount(4);
    AFCQ_TREE_VIEW view(nullptr, 0);
    view.setModel(&model);
    view.setColumnHidden(0, true);
    view.load_column_visibility("Table");
    for (int column = 0; column < 4; ++column) {
        EXPECT_FALSE(view.isColumnHidden(column)); // nothing stored: all shown
    }
    CFGQ_REGISTRY_KEY key(CFGQ_SUB_KEY_COLUMN_VISIBILITY);
    ASSERT_TRUE(key.set_value("Table", QStringList{"1", "3"}));
    EXPECT_TRUE(std::filesystem::exists(ws.path("tessaly/preferences.ini")));
    view.load_column_visibility("Table");
    EXPECT_FALSE(view.isColumnHidden(0));
    EXPECT_TRUE(view.isColumnHidden(1));
    EXPECT_TRUE(view.isColumnHidden(3));
    view.load_column_visibility("Other table");
    EXPECT_FALSE(view.isColumnHidden(1));

    if (old != nullptr) {
        setenv("XDG_CONFIG_HOME", kept.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

TEST_F(MdbGuiFramework, ProjectUiManagerRecordsRequestsAndAsksTheHost) {
    QUI_PRJ_UI_MGR* manager = QUI_PRJ_UI_MGR::get_prj_ui_mgr();
    manager->clear_requests();
    EXPECT_TRUE(manager->close_project());
    std::string opened;
    manager->set_handlers([] { return true; },
                          [&opened](std::string const& file, std::string const& revision) {
                              opened = file + "|" + revision;
                              return false;
                          });
    EXPECT_FALSE(manager->open_project("/p/chip.tpf", "rev b"));
    EXPECT_EQ(opened, "/p/chip.tpf|rev b");
    ASSERT_EQ(manager->requests().size(), 2u);
    EXPECT_EQ(manager->requests()[0].operation, "close");
    EXPECT_EQ(manager->requests()[1].revision, "rev b");
    manager->set_handlers(nullptr, nullptr);
    manager->clear_requests();
}

TEST_F(MdbGuiFramework, ProjectUiManagerTellsTheOpenProjectAsTheHostDoes) {
    QUI_PRJ_UI_MGR* manager = QUI_PRJ_UI_MGR::get_prj_ui_mgr();
    EXPECT_FALSE(manager->project_is_open());
    EXPECT_EQ(manager->get_current_project_dir(), "");
    bool open = true;
    manager->set_project_query([&open](std::string* directory, std::string* name) {
        *directory = "/designs/top";
        *name = "top";
        return open;
    });
    EXPECT_TRUE(manager->project_is_open());
    EXPECT_EQ(manager->get_current_project_dir(), "/designs/top/");
    EXPECT_EQ(manager->get_current_project_name(), "top");
    open = false;
    EXPECT_FALSE(manager->project_is_open());
    EXPECT_EQ(manager->get_current_project_dir(), "");
    EXPECT_EQ(manager->get_current_project_name(), "");
    manager->set_project_query(nullptr);
}

TEST_F(MdbGuiFramework, FlowsRunOnTheirSplitCommandLineAndPostTheirOutcome) {
    QUI_APP app;
    std::vector<std::vector<std::string>> seen;
    app.set_flow_runner(
        [&seen](int flow, std::vector<std::string> const& arguments, std::string* message) {
            seen.push_back(arguments);
            *message = flow == 16 ? "wrote it" : "flow refused";
            return flow == 16;
        });
    struct CASE {
        int flow;
        char const* line;
        bool succeeds;
        char severity;
        std::string text;
    } const cases[] = {
        {16, "--bsdl \"a b\" --output_directory='/x y'", true, 'I', "wrote it"},
        {28, "", false, 'E', "flow refused"},
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        EXPECT_EQ(app.start_flow(c.flow, c.line, true, false, true), c.succeeds) << c.flow;
        ASSERT_EQ(msg_log_entries().size(), 1u);
        EXPECT_EQ(msg_log_entries()[0].severity, c.severity);
        EXPECT_EQ(msg_log_entries()[0].text, c.text);
    }
    EXPECT_EQ(seen, (std::vector<std::vector<std::string>>{
                        {"--bsdl", "a b", "--output_directory=/x y"}, {}}));

    // Without a runner, and from a frame without an application.
    msg_log_clear();
    EXPECT_FALSE(QUI_APP().start_flow(31, "", true, false, true));
    EXPECT_EQ(msg_log_entries().back().text, "Flow 31 is not available.");
    std::vector<std::string> errors;
    MSG_INTERNAL_ERROR::set_hook([&errors](char const* condition, char const*, char const*, int) {
        errors.push_back(condition);
    });
    QUI_FRAME_WND frame(QStringLiteral("Main"), false);
    qui_set_app(nullptr);
    EXPECT_FALSE(frame.start_flow(16, "--bsdl X", true, false, true));
    EXPECT_EQ(errors, std::vector<std::string>{"no app"});
    qui_set_app(&app);
    EXPECT_TRUE(frame.start_flow(16, "--bsdl X", true, false, true));
    qui_set_app(nullptr);
    MSG_INTERNAL_ERROR::set_hook(nullptr);
}

TEST_F(MdbGuiFramework, ProjectUiManagerStartsANewProjectAsTheHostDoes) {
    QUI_PRJ_UI_MGR* manager = QUI_PRJ_UI_MGR::get_prj_ui_mgr();
    manager->clear_requests();
    int started = 0;
    manager->new_project(); // without a host only recorded
    manager->set_new_project_handler([&started] { ++started; });
    manager->new_project();
    EXPECT_EQ(started, 1);
    ASSERT_EQ(manager->requests().size(), 2u);
    EXPECT_EQ(manager->requests()[1].operation, "new");
    manager->set_new_project_handler(nullptr);
    manager->clear_requests();
}

TEST_F(MdbGuiFramework, FrameDescriptionsNameKnownDocumentTypes) {
    std::vector<QUI_FRAME_INFO const*> const& infos =
        QUI_FRAME_MGR::get_frame_mgr()->get_frame_info_order();
    ASSERT_FALSE(infos.empty());
    for (QUI_FRAME_INFO const* info : infos) {
        EXPECT_STRNE(info->name, "");
        if (info->file_type != 0) {
            EXPECT_STRNE(fio_get_file_type_name(info->file_type), "") << info->name;
        }
    }
    QUI_FRAME_MGR* manager = QUI_FRAME_MGR::get_frame_mgr();
    manager->clear_requests();
    EXPECT_FALSE(manager->create_new(nullptr, false));
    EXPECT_TRUE(manager->create_new(infos.front(), false)); // without a host: a notice
    EXPECT_EQ(manager->created_frames(), std::vector<std::string>{infos.front()->name});
    manager->clear_requests();
}

} // namespace
