// The frame windows' action catalogue and toolbar data, the saved toolbar
// layout in the preferences, and the frame window reading it back.
#include "suite/gui/afcq_actions.h"
#include "suite/gui/qui_frame_wnd.h"
#include "suite/gui/qui_toolbar_layout.h"

#include "tests/support/test_preferences.h"
#include "tests/support/test_qt_application.h"

#include <QAction>
#include <QMdiArea>
#include <QSet>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

// A toolbar's actions by enumeration name, separators included.
QStringList toolbar_names(QToolBar* toolbar) {
    QStringList names;
    for (QAction* action : toolbar->actions()) {
        QString name = "AFCQ_SEPARATOR_ACTION";
        for (AFCQ_ACTION_ENUM id : afcq_get_all_actions()) {
            if (!action->isSeparator() && afcq_get_statustip(id) == action->statusTip()) {
                name = afcq_get_action_enum_string(id);
            }
        }
        names << name;
    }
    return names;
}

TEST(AfcqActionCatalogue, NumbersNamesAndStatusTipsAreUniqueAndInRange) {
    QSet<int> numbers;
    QSet<QString> names;
    QSet<QString> tips;
    for (AFCQ_ACTION_ENUM id : afcq_get_all_actions()) {
        EXPECT_GE(id, 1);
        EXPECT_LE(id, 666);
        EXPECT_FALSE(numbers.contains(id)) << id;
        numbers.insert(id);
        QString name = afcq_get_action_enum_string(id);
        EXPECT_FALSE(names.contains(name)) << name.toStdString();
        names.insert(name);
        EXPECT_EQ(afcq_get_action_enum(name), id);
        QString tip = afcq_get_statustip(id);
        EXPECT_FALSE(tip.isEmpty()) << id;
        EXPECT_FALSE(tips.contains(tip)) << tip.toStdString();
        tips.insert(tip);
        EXPECT_FALSE(afcq_get_menu_text(id).isEmpty()) << id;
    }
    EXPECT_EQ(afcq_get_action_enum_string(463), "AFCQ_SEPARATOR_ACTION");
    EXPECT_EQ(afcq_get_action_enum("AFCQ_SEPARATOR_ACTION"), 463);
    EXPECT_EQ(afcq_get_action_enum_string(0), "AFCQ_NO_ACTION");
    EXPECT_EQ(afcq_get_action_enum("NO_SUCH_ACTION"), AFCQ_NO_ACTION);
    EXPECT_TRUE(afcq_get_statustip(667).isEmpty());
}

TEST(AfcqActionCatalogue, CategoriesAndBuiltInToolbarsNameCatalogueActions) {
    QMap<QString, QStringList> categories = afcq_get_action_categories();
    EXPECT_FALSE(categories.isEmpty());
    for (QStringList const& names : categories) {
        for (QString const& name : names) {
            EXPECT_NE(afcq_get_action_enum(name), AFCQ_NO_ACTION) << name.toStdString();
        }
    }
    for (QString kind : {"Main", "Text"}) {
        auto toolbars = afcq_get_default_toolbars(kind);
        EXPECT_FALSE(toolbars.isEmpty()) << kind.toStdString();
        QSet<QString> titles;
        for (auto const& toolbar : toolbars) {
            EXPECT_FALSE(titles.contains(toolbar.first)) << toolbar.first.toStdString();
            titles.insert(toolbar.first);
            // "Custom" names the list of the user's toolbars.
            EXPECT_NE(toolbar.first, "Custom");
            for (QString const& name : toolbar.second) {
                EXPECT_NE(afcq_get_action_enum(name), AFCQ_NO_ACTION) << name.toStdString();
            }
        }
    }
    EXPECT_TRUE(afcq_get_default_toolbars("Unknown").isEmpty());
}

TEST(QuiToolbarLayout, ValueNamesListsAndDuplicates) {
    TEST_PREFERENCES preferences;
    QUI_TOOLBAR_LAYOUT layout("Main");
    EXPECT_EQ(layout.reg_text("Custom"), "Main_Custom");
    EXPECT_EQ(layout.toolbar_value_name("My  tools"), "Main_My__tools");
    EXPECT_TRUE(layout.user_toolbars().isEmpty());
    EXPECT_FALSE(layout.has_toolbar_actions("Standard"));

    ASSERT_TRUE(layout.store_user_toolbars({"B", "A", "B"}));
    EXPECT_EQ(layout.user_toolbars(), QStringList({"B", "A"}));
    ASSERT_TRUE(layout.store_toolbar_actions("My tools", {"AFCQ_FILE_NEW_ACTION"}));
    EXPECT_EQ(layout.toolbar_actions("My tools"), QStringList({"AFCQ_FILE_NEW_ACTION"}));
    // A stored empty list is a stored layout: the toolbar stays empty.
    ASSERT_TRUE(layout.store_toolbar_actions("Standard", {}));
    EXPECT_TRUE(layout.has_toolbar_actions("Standard"));
    EXPECT_TRUE(layout.toolbar_actions("Standard").isEmpty());
    // Another kind of frame has a layout of its own.
    EXPECT_TRUE(QUI_TOOLBAR_LAYOUT("Text").user_toolbars().isEmpty());
}

TEST(QuiToolbarLayout, UnwritablePreferencesReportFailure) {
    TEST_PREFERENCES preferences;
    // The preferences' folder is taken by a file: nothing can be written.
    test_write_file(preferences.dir() + "/tessaly", "not a folder");
    EXPECT_FALSE(QUI_TOOLBAR_LAYOUT("Main").store_user_toolbars({"A", "B"}));
    EXPECT_EQ(test_read_file(preferences.dir() + "/tessaly"), "not a folder");
}

class QuiFrameWnd : public testing::Test {
protected:
    static void SetUpTestSuite() { test_qt_application(); }
    TEST_PREFERENCES m_preferences;
};

TEST_F(QuiFrameWnd, BuiltInToolbarsWithDefaultsWhenNothingIsStored) {
    QUI_FRAME_WND frame("Main", true);
    EXPECT_NE(frame.get_mdi_area(), nullptr);
    EXPECT_EQ(frame.get_toolbar_reg_text("Custom"), "Main_Custom");
    QList<AFCQ_TOOL_BAR*> toolbars = frame.findChildren<AFCQ_TOOL_BAR*>();
    ASSERT_EQ(toolbars.size(), afcq_get_default_toolbars("Main").size());
    for (AFCQ_TOOL_BAR* toolbar : toolbars) {
        EXPECT_EQ(toolbar_names(toolbar),
                  frame.get_default_toolbar_actions(toolbar->windowTitle()));
    }
    EXPECT_TRUE(frame.get_default_toolbar_actions("Custom 1").isEmpty());
    // Every action a toolbar shows is the frame's.
    for (AFCQ_TOOL_BAR* toolbar : toolbars) {
        for (QAction* action : toolbar->actions()) {
            EXPECT_TRUE(action->isSeparator() || action->parent() == &frame);
        }
    }
}

TEST_F(QuiFrameWnd, ReadsTheStoredLayoutBackDroppingUnknownNames) {
    QUI_TOOLBAR_LAYOUT layout("Main");
    ASSERT_TRUE(layout.store_user_toolbars({"My tools", "Empty"}));
    ASSERT_TRUE(layout.store_toolbar_actions(
        "My tools", {"AFCQ_EDIT_COPY_ACTION", "AFCQ_SEPARATOR_ACTION", "AFCQ_GONE_ACTION",
                     "AFCQ_NO_ACTION", "AFCQ_WINDOW_SELECT_ACTION"}));
    ASSERT_TRUE(layout.store_toolbar_actions("Processing", {"AFCQ_PROCESSING_STOP_ACTION"}));

    QUI_FRAME_WND frame("Main", true);
    QMap<QString, AFCQ_TOOL_BAR*> by_title;
    for (AFCQ_TOOL_BAR* toolbar : frame.findChildren<AFCQ_TOOL_BAR*>()) {
        by_title.insert(toolbar->windowTitle(), toolbar);
    }
    ASSERT_TRUE(by_title.contains("My tools"));
    ASSERT_TRUE(by_title.contains("Empty"));
    EXPECT_EQ(toolbar_names(by_title["My tools"]),
              QStringList(
                  {"AFCQ_EDIT_COPY_ACTION", "AFCQ_SEPARATOR_ACTION", "AFCQ_WINDOW_SELECT_ACTION"}));
    EXPECT_TRUE(by_title["Empty"]->actions().isEmpty());
    EXPECT_EQ(toolbar_names(by_title["Processing"]), QStringList({"AFCQ_PROCESSING_STOP_ACTION"}));
    EXPECT_EQ(toolbar_names(by_title["Standard"]), frame.get_default_toolbar_actions("Standard"));
    // The other kind of frame reads none of it.
    QUI_FRAME_WND text("Text", false);
    EXPECT_EQ(text.get_mdi_area(), nullptr);
    EXPECT_EQ(text.findChildren<AFCQ_TOOL_BAR*>().size(), afcq_get_default_toolbars("Text").size());
}

TEST_F(QuiFrameWnd, MainFrameIsForgottenWhenDestroyed) {
    {
        QUI_FRAME_WND frame("Main", true);
        qui_set_main_frame_wnd(&frame);
        EXPECT_EQ(qui_get_main_frame_wnd(), &frame);
    }
    EXPECT_EQ(qui_get_main_frame_wnd(), nullptr);
}

} // namespace
