// The toolbar customisation dialogs and the window picker over a frame window
// whose preferences live in a temporary folder: the Toolbars tab's edits and
// what its save leaves in the frame and the saved layout, the Customize
// Toolbar dialog's lists, the Customize dialog's tabs, the name dialog's
// checks and the window picker's rows and activation.
#include "sys/mdb/mdb_customize_dlg.h"
#include "sys/mdb/mdb_customize_toolbar_dlg.h"
#include "sys/mdb/mdb_nr_toolbar_dlg.h"
#include "sys/mdb/mdb_select_window_dlg.h"
#include "sys/mdb/mdb_toolbar_tab.h"

#include "suite/gui/cfgq.h"
#include "suite/gui/qui_toolbar_layout.h"

#include "tests/support/test_preferences.h"
#include "tests/sys/mdb/mdb_test_project.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>

#include <filesystem>

namespace {

class MdbToolbars : public MdbRevisionProject {
protected:
    void SetUp() override {
        MdbRevisionProject::SetUp();
        m_frame = std::make_unique<QUI_FRAME_WND>("Main", true);
    }
    void TearDown() override {
        m_frame.reset();
        MdbRevisionProject::TearDown();
    }

    // The frame's toolbars by title.
    QMap<QString, AFCQ_TOOL_BAR*> toolbars() const {
        QMap<QString, AFCQ_TOOL_BAR*> found;
        for (AFCQ_TOOL_BAR* toolbar : m_frame->findChildren<AFCQ_TOOL_BAR*>()) {
            found.insert(toolbar->windowTitle(), toolbar);
        }
        return found;
    }
    // Makes the row of that text current in a list view of `widget`.
    static void select(QWidget* widget, char const* list, QString const& text) {
        QListView* view = child<QListView>(widget, list);
        QModelIndexList found =
            view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, text, 1,
                                 Qt::MatchFixedString | Qt::MatchCaseSensitive);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        view->setCurrentIndex(found.front());
    }
    static QStringList texts(QWidget* widget, char const* list) {
        QAbstractItemModel* model = child<QListView>(widget, list)->model();
        QStringList shown;
        for (int row = 0; row < model->rowCount(); ++row) {
            shown << model->index(row, 0).data().toString();
        }
        return shown;
    }
    static QStringList names(QList<QAction*> const& actions) {
        QStringList found;
        for (QAction* action : actions) {
            found << afcq_get_action_enum_string(action->isSeparator()
                                                     ? AFCQ_SEPARATOR_ACTION
                                                     : mdb_get_action_enum(action->statusTip()));
        }
        return found;
    }
    // A frame built anew over the stored preferences, as at the next start.
    void restart() { m_frame = std::make_unique<QUI_FRAME_WND>("Main", true); }
    bool preferences_exist() const { return std::filesystem::exists(m_preferences.file()); }

    TEST_PREFERENCES m_preferences;
    QUI_TOOLBAR_LAYOUT m_layout{"Main"};
    std::unique_ptr<QUI_FRAME_WND> m_frame;
};

TEST_F(MdbToolbars, TabListsTheFramesOwnToolbarsAndProposesFreeNames) {
    new AFCQ_TOOL_BAR("Nested", new QWidget(m_frame.get()));
    MDB_TOOLBAR_TAB tab(m_frame.get(), nullptr);
    EXPECT_EQ(texts(&tab, "list"), QStringList({"Standard", "Processing"}));
    EXPECT_TRUE(child<QPushButton>(&tab, "customize_toolbar")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(&tab, "rename")->isEnabled()); // built-in
    EXPECT_FALSE(child<QPushButton>(&tab, "del")->isEnabled());

    EXPECT_EQ(tab.custom_toolbar_name(), "Custom 1");
    tab.new_button_create("Custom 1");
    tab.new_button_create("Custom 2");
    EXPECT_EQ(tab.custom_toolbar_name(), "Custom 3");
    tab.new_button_create("");
    EXPECT_EQ(tab.model()->rowCount(), 4);
    // The new row is current, a user toolbar.
    EXPECT_TRUE(child<QPushButton>(&tab, "rename")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(&tab, "del")->isEnabled());
    EXPECT_TRUE(tab.bar_of_row(3)->m_changed);
    EXPECT_EQ(tab.bar_of_row(3)->m_toolbar, nullptr);
}

TEST_F(MdbToolbars, SaveAppliesEditsToTheFrameAndTheUserList) {
    struct CASE {
        char const* what;
        QStringList stored; // the user's toolbars before the frame starts
        std::function<void(MDB_TOOLBAR_TAB&)> edit;
        QStringList listed; // the user's toolbars stored after save
        QStringList titles; // the frame's toolbars after save
    } const cases[] = {
        {"create then delete leaves no trace",
         {},
         [](MDB_TOOLBAR_TAB& tab) {
             tab.new_button_create("Custom 1");
             tab.delete_button();
         },
         {},
         {"Processing", "Standard"}},
        {"create then rename is stored once",
         {},
         [](MDB_TOOLBAR_TAB& tab) {
             tab.new_button_create("Custom 1");
             tab.rename_toolbar("Mine", "Custom 1");
         },
         {"Mine"},
         {"Mine", "Processing", "Standard"}},
        {"two renames replace the first title",
         {"First"},
         [](MDB_TOOLBAR_TAB& tab) {
             select(&tab, "list", "First");
             tab.rename_toolbar("Second", "First");
             tab.rename_toolbar("Third", "Second");
         },
         {"Third"},
         {"Processing", "Standard", "Third"}},
        {"delete and create under the same title",
         {"Custom 1"},
         [](MDB_TOOLBAR_TAB& tab) {
             select(&tab, "list", "Custom 1");
             tab.delete_button();
             tab.new_button_create(tab.custom_toolbar_name());
         },
         {"Custom 1"},
         {"Custom 1", "Processing", "Standard"}},
        {"deleting a renamed toolbar takes both titles out",
         {"Old", "Kept"},
         [](MDB_TOOLBAR_TAB& tab) {
             select(&tab, "list", "Old");
             tab.rename_toolbar("New", "Old");
             tab.delete_button();
         },
         {"Kept"},
         {"Kept", "Processing", "Standard"}},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(m_preferences.file());
        if (!c.stored.isEmpty()) {
            ASSERT_TRUE(m_layout.store_user_toolbars(c.stored));
        }
        restart();
        {
            MDB_TOOLBAR_TAB tab(m_frame.get(), nullptr);
            c.edit(tab);
            tab.save();
        }
        EXPECT_EQ(m_layout.user_toolbars(), c.listed);
        QStringList titles = toolbars().keys();
        EXPECT_EQ(titles, c.titles);
        if (c.stored.isEmpty() && c.listed.isEmpty()) {
            EXPECT_FALSE(preferences_exist());
        }
        // The next start shows the same toolbars.
        restart();
        EXPECT_EQ(toolbars().keys(), c.titles);
    }
    EXPECT_TRUE(logged(296052).empty());
}

// A toolbar without actions, and a user list left empty, are stored as empty
// values, not as Qt's "@Invalid()", and read back as empty.
TEST_F(MdbToolbars, EmptyToolbarsAndListsAreStoredEmpty) {
    {
        MDB_TOOLBAR_TAB tab(m_frame.get(), nullptr);
        tab.new_button_create("Custom 1");
        tab.save();
    }
    std::string stored = test_read_file(m_preferences.file());
    EXPECT_EQ(stored.find("@Invalid()"), std::string::npos) << stored;
    EXPECT_NE(stored.find("Main_Custom_1="), std::string::npos) << stored;
    restart();
    ASSERT_TRUE(toolbars().contains("Custom 1"));
    EXPECT_TRUE(toolbars()["Custom 1"]->actions().isEmpty());
    EXPECT_TRUE(m_layout.has_toolbar_actions("Custom 1"));
    EXPECT_TRUE(m_layout.toolbar_actions("Custom 1").isEmpty());

    {
        MDB_TOOLBAR_TAB tab(m_frame.get(), nullptr);
        select(&tab, "list", "Custom 1");
        tab.delete_button();
        tab.save();
    }
    stored = test_read_file(m_preferences.file());
    EXPECT_EQ(stored.find("@Invalid()"), std::string::npos) << stored;
    EXPECT_TRUE(m_layout.user_toolbars().isEmpty());
    restart();
    EXPECT_FALSE(toolbars().contains("Custom 1"));
}

TEST_F(MdbToolbars, BuiltInToolbarsUntickedOrCustomisedStayOutOfTheUserList) {
    {
        MDB_TOOLBAR_TAB tab(m_frame.get(), nullptr);
        tab.model()->item(1)->setCheckState(Qt::Unchecked); // Processing
        tab.save();
    }
    EXPECT_FALSE(toolbars()["Processing"]->isVisibleTo(m_frame.get()));
    EXPECT_FALSE(preferences_exist());

    MDB_TOOLBAR_TAB tab(m_frame.get(), nullptr);
    MDB_BAR* standard = tab.bar_of_row(0);
    standard->m_actions = {m_frame->get_action(AFCQ_EDIT_COPY_ACTION), mdb_get_separator(),
                           mdb_get_separator(), m_frame->get_action(AFCQ_WINDOW_TILE_ACTION)};
    standard->m_changed = true;
    tab.save();
    QStringList expected = {"AFCQ_EDIT_COPY_ACTION", "AFCQ_SEPARATOR_ACTION",
                            "AFCQ_SEPARATOR_ACTION", "AFCQ_WINDOW_TILE_ACTION"};
    EXPECT_EQ(m_layout.toolbar_actions("Standard"), expected);
    EXPECT_FALSE(CFGQ_REGISTRY_KEY(CFGQ_SUB_KEY_TOOLBARS).has_value("Main_Custom"));
    EXPECT_EQ(names(toolbars()["Standard"]->actions()), expected);
    restart();
    EXPECT_EQ(names(toolbars()["Standard"]->actions()), expected);
    // Every action a toolbar shows is the frame's.
    for (QAction* action : toolbars()["Standard"]->actions()) {
        EXPECT_TRUE(action->isSeparator() || action->parent() == m_frame.get());
    }
}

TEST_F(MdbToolbars, UnwritablePreferencesAreReportedByName) {
    // The preferences' folder is taken by a file: nothing can be written.
    test_write_file(m_preferences.dir() + "/tessaly", "not a folder");
    {
        MDB_TOOLBAR_TAB tab(m_frame.get(), nullptr);
        tab.new_button_create("Custom 1");
        tab.save();
    }
    std::vector<MSG_LOG_ENTRY> reported = logged(296052);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].text.find(m_preferences.file()), std::string::npos);
    EXPECT_EQ(test_read_file(m_preferences.dir() + "/tessaly"), "not a folder");
}

TEST_F(MdbToolbars, CustomizeToolbarOffersCategoriesWithoutTheToolbarsActions) {
    MDB_TOOLBAR_TAB tab(m_frame.get(), nullptr);
    MDB_BAR* standard = tab.bar_of_row(0);
    MDB_CUSTOMIZE_TOOLBAR_DLG dialog(standard, m_frame.get(), nullptr);
    EXPECT_EQ(child<QLabel>(&dialog, "toolbar")->text(), "Toolbar: Standard");
    QComboBox* category = child<QComboBox>(&dialog, "category");
    QStringList categories;
    for (int i = 0; i < category->count(); ++i) {
        categories << category->itemText(i);
    }
    QStringList sorted = afcq_get_action_categories().keys();
    EXPECT_EQ(categories, QStringList("All") + sorted);
    EXPECT_EQ(names(dialog.current_actions()), m_frame->get_default_toolbar_actions("Standard"));

    // "All": the separator first, then every other action once, less the
    // toolbar's own.
    QStringList offered = names(dialog.available_actions());
    EXPECT_EQ(offered.front(), "AFCQ_SEPARATOR_ACTION");
    EXPECT_EQ(offered.size(), afcq_get_all_actions().size() - 5);
    EXPECT_FALSE(offered.contains("AFCQ_FILE_NEW_ACTION"));
    EXPECT_EQ(offered.removeDuplicates(), 0);
    category->setCurrentText("Edit");
    EXPECT_EQ(texts(&dialog, "action"), QStringList({"Separator", "Undo", "Redo", "Cut", "Copy",
                                                     "Paste", "Delete", "Find..."}));
    EXPECT_TRUE(child<QPushButton>(&dialog, "restore")->isEnabled());
}

TEST_F(MdbToolbars, CustomizeToolbarAddsRemovesMovesAndRestores) {
    MDB_TOOLBAR_TAB tab(m_frame.get(), nullptr);
    MDB_BAR* standard = tab.bar_of_row(0);
    QStringList defaults = m_frame->get_default_toolbar_actions("Standard");
    {
        // OK without a change leaves the record alone.
        MDB_CUSTOMIZE_TOOLBAR_DLG dialog(standard, m_frame.get(), nullptr);
        dialog.accept();
        EXPECT_FALSE(standard->m_changed);
    }
    MDB_CUSTOMIZE_TOOLBAR_DLG dialog(standard, m_frame.get(), nullptr);
    QListView* current = child<QListView>(&dialog, "current");
    QComboBox* category = child<QComboBox>(&dialog, "category");
    category->setCurrentText("Edit");
    // No current row: the separator goes to the top and stays offered.
    select(&dialog, "action", "Separator");
    child<QPushButton>(&dialog, "add")->click();
    EXPECT_EQ(names(dialog.current_actions()), QStringList("AFCQ_SEPARATOR_ACTION") + defaults);
    EXPECT_EQ(texts(&dialog, "action").front(), "Separator");
    // The last row current: Copy is appended and leaves the offer.
    current->setCurrentIndex(current->model()->index(current->model()->rowCount() - 1, 0));
    select(&dialog, "action", "Copy");
    child<QPushButton>(&dialog, "add")->click();
    EXPECT_EQ(names(dialog.current_actions()).back(), "AFCQ_EDIT_COPY_ACTION");
    EXPECT_FALSE(texts(&dialog, "action").contains("Copy"));
    // Removing "New..." (not an Edit action) puts it at the end of the offer.
    select(&dialog, "current", "New...");
    child<QPushButton>(&dialog, "remove")->click();
    EXPECT_EQ(texts(&dialog, "action").back(), "New...");
    // Removing the separator does not offer it twice.
    select(&dialog, "current", "Separator");
    child<QPushButton>(&dialog, "remove")->click();
    EXPECT_EQ(texts(&dialog, "action").count("Separator"), 1);
    // Up and Down move the row and its action together.
    current->setCurrentIndex(current->model()->index(1, 0));
    child<QPushButton>(&dialog, "up")->click();
    EXPECT_EQ(current->currentIndex().row(), 0);
    EXPECT_EQ(names(dialog.current_actions()).mid(0, 2),
              QStringList({"AFCQ_FILE_SAVE_ACTION", "AFCQ_FILE_OPEN_ACTION"}));
    EXPECT_EQ(texts(&dialog, "current").mid(0, 2), QStringList({"Save", "Open..."}));
    child<QPushButton>(&dialog, "down")->click();
    EXPECT_EQ(texts(&dialog, "current").mid(0, 2), QStringList({"Open...", "Save"}));

    child<QPushButton>(&dialog, "restore")->click();
    EXPECT_EQ(names(dialog.current_actions()), defaults);
    EXPECT_FALSE(child<QPushButton>(&dialog, "up")->isEnabled());
    EXPECT_TRUE(texts(&dialog, "action").contains("Copy"));
    dialog.accept();
    EXPECT_TRUE(standard->m_changed); // even though the list came out the same
    EXPECT_EQ(names(standard->m_actions), defaults);
}

TEST_F(MdbToolbars, CustomizeToolbarOfAUserToolbarShowsTextsWithoutMnemonics) {
    m_frame->get_action(AFCQ_EDIT_FIND_ACTION)->setText("Find && &Replace");
    MDB_BAR bar;
    bar.m_name = "Mine";
    bar.m_actions = {m_frame->get_action(AFCQ_EDIT_FIND_ACTION)};
    MDB_CUSTOMIZE_TOOLBAR_DLG dialog(&bar, m_frame.get(), nullptr);
    EXPECT_FALSE(child<QPushButton>(&dialog, "restore")->isEnabled());
    EXPECT_EQ(texts(&dialog, "current"), QStringList("Find & Replace"));
    dialog.reject();
    EXPECT_FALSE(bar.m_changed);
}

TEST_F(MdbToolbars, CustomizeDialogTabsAndCancel) {
    {
        MDB_CUSTOMIZE_DLG dialog(m_frame.get());
        EXPECT_EQ(child<QTabWidget>(&dialog, "tabWidget")->count(), 1);
        EXPECT_EQ(child<QTabWidget>(&dialog, "tabWidget")->tabText(0), "Toolbars");
    }
    // A sub-window that holds no frame window adds no tab.
    m_frame->get_mdi_area()->addSubWindow(new QLabel("plain"))->show();
    {
        MDB_CUSTOMIZE_DLG dialog(m_frame.get());
        EXPECT_EQ(child<QTabWidget>(&dialog, "tabWidget")->count(), 1);
    }
    auto* text = new QUI_FRAME_WND("Text", false);
    text->set_name_text("top.v");
    QMdiSubWindow* window = m_frame->get_mdi_area()->addSubWindow(text);
    window->show();
    m_frame->get_mdi_area()->setActiveSubWindow(window);
    ASSERT_TRUE(m_layout.store_user_toolbars({"Kept"}));
    std::string before = test_read_file(m_preferences.file());

    when_shown([](QDialog* dialog) {
        auto* tab = dialog->findChild<MDB_TOOLBAR_TAB*>();
        tab->new_button_create("Custom 1");
        press(dialog, QDialogButtonBox::Cancel);
    });
    mdb_dyn_customize_dlg(m_frame.get());
    EXPECT_EQ(test_read_file(m_preferences.file()), before);
    EXPECT_FALSE(toolbars().contains("Custom 1"));

    MDB_CUSTOMIZE_DLG dialog(m_frame.get());
    QTabWidget* tabs = child<QTabWidget>(&dialog, "tabWidget");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), "top.v");
    EXPECT_EQ(texts(dialog.child_tab(), "list"), QStringList("Edit"));
    dialog.main_tab()->new_button_create("Main one");
    dialog.child_tab()->new_button_create("Text one");
    dialog.accept();
    EXPECT_EQ(m_layout.user_toolbars(), QStringList({"Kept", "Main one"}));
    EXPECT_EQ(QUI_TOOLBAR_LAYOUT("Text").user_toolbars(), QStringList("Text one"));
    EXPECT_NE(text->findChild<AFCQ_TOOL_BAR*>("Text one"), nullptr);
}

TEST_F(MdbToolbars, NameDialogRefusesBlankAndTakenNames) {
    QStandardItemModel model;
    for (char const* row : {"Standard", "My_tools", "Mine"}) {
        model.appendRow(new QStandardItem(row));
    }
    struct CASE {
        char const* initial;
        char const* typed;
        char const* accepted; // null: refused
        unsigned message;     // the refusal's message
        char const* left;     // the field after a refusal
    } const cases[] = {
        {"Custom 1", "  Spaced  ", "Spaced", 0, ""},
        {"Custom 1", "   ", nullptr, 296063, ""},
        {"Custom 1", "Standard", nullptr, 296064, "Standard"},
        {"Custom 1", "standard", "standard", 0, ""},
        {"Custom 1", "My tools", nullptr, 296064, "My tools"},
        {"Custom 1", "Custom", nullptr, 296064, "Custom"},
        {"Mine", "Mine", "Mine", 0, ""},
        {"Mine", "Min e", "Min e", 0, ""},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.typed);
        msg_log_clear();
        MDB_NR_TOOLBAR_DLG dialog("New Toolbar", c.initial, &model, nullptr);
        EXPECT_EQ(dialog.windowTitle(), "New Toolbar");
        QLineEdit* edit = child<QLineEdit>(&dialog, "lineEdit");
        EXPECT_EQ(edit->text(), c.initial);
        edit->setText(c.typed);
        dialog.accept();
        if (c.accepted != nullptr) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(dialog.get_name(), c.accepted);
            EXPECT_TRUE(msg_log_entries().empty());
        } else {
            EXPECT_EQ(dialog.get_name(), "");
            EXPECT_EQ(logged(c.message).size(), 1u);
            EXPECT_EQ(edit->text(), c.left);
        }
    }
}

TEST_F(MdbToolbars, WindowPickerListsFramesAndActivatesTheChosenOne) {
    QMdiArea* area = m_frame->get_mdi_area();
    m_frame->set_file_name("main.tpf");
    m_frame->show();
    auto add = [area](QWidget* widget) {
        QMdiSubWindow* window = area->addSubWindow(widget);
        window->show();
        return window;
    };
    auto* first = new QUI_FRAME_WND("Text", false);
    first->set_file_name("first.v");
    QMdiSubWindow* first_window = add(first);
    QMdiSubWindow* plain_window = add(new QLabel("plain"));
    auto* second = new QUI_FRAME_WND("Text", false);
    second->set_file_name("second.v");
    QMdiSubWindow* second_window = add(second);
    QList<QMdiSubWindow*> windows = {first_window, plain_window, second_window};

    for (bool with_main : {true, false}) {
        SCOPED_TRACE(with_main);
        qui_set_main_frame_wnd(with_main ? m_frame.get() : nullptr);
        area->setActiveSubWindow(first_window);
        MDB_SELECT_WINDOW_DLG dialog(windows, nullptr);
        QStringList expected = {"first.v", "second.v"};
        if (with_main) {
            expected.prepend("main.tpf");
        }
        EXPECT_EQ(texts(&dialog, "listView"), expected);
        EXPECT_EQ(child<QListView>(&dialog, "listView")->currentIndex().row(), 0);
        select(&dialog, "listView", "second.v");
        child<QPushButton>(&dialog, "ok")->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(area->activeSubWindow(), second_window);
    }
    qui_set_main_frame_wnd(nullptr);

    // Cancel activates nothing.
    area->setActiveSubWindow(first_window);
    when_shown([](QDialog* dialog) {
        select(dialog, "listView", "second.v");
        child<QPushButton>(dialog, "cancel")->click();
    });
    mdb_dyn_select_window_dlg(nullptr, windows);
    EXPECT_EQ(area->activeSubWindow(), first_window);
}

} // namespace
