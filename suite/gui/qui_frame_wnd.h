// The host's frame window: a QMainWindow with, optionally, an MDI area, the
// file it shows, its toolbars and its actions, one per action of the
// catalogue, all owned by the frame. At construction it makes its built-in
// toolbars and reads its saved toolbar layout back: the user's own toolbars
// are created and every toolbar with stored actions is filled from them.
#pragma once

#include "suite/gui/afcq_actions.h"

#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QStringList>
#include <QToolBar>

#include <string>

class QMdiArea;
class QMdiSubWindow;

class AFCQ_TOOL_BAR : public QToolBar {
    Q_OBJECT
public:
    AFCQ_TOOL_BAR(QString const& title, QWidget* parent);
    ~AFCQ_TOOL_BAR() override;
};

class QUI_FRAME_WND : public QMainWindow {
    Q_OBJECT
public:
    // `kind` names the frame's built-in toolbars and its saved layout
    // ("Main" for the host's main window, "Text" for a file's window).
    QUI_FRAME_WND(QString const& kind, bool with_mdi_area, QWidget* parent = nullptr);
    ~QUI_FRAME_WND() override;

    QString const& get_kind() const { return m_kind; }
    QMdiArea* get_mdi_area() const { return m_mdi_area; }
    std::string const& get_file_name() const { return m_file_name; }
    void set_file_name(std::string const& file_name) { m_file_name = file_name; }
    // The frame's name as tabs and lists show it.
    QString const& get_name_text() const { return m_name_text; }
    void set_name_text(QString const& name) { m_name_text = name; }
    // A detached frame stands as a window of its own, outside its MDI area.
    bool is_detached() const { return m_detached; }
    void set_detached(bool detached) { m_detached = detached; }

    // Brings a widget's window to the front.
    void activate_widget(QWidget* widget);
    // Makes a sub-window the active one of the main frame's MDI area (of its
    // own MDI area without a main frame) and brings it to the front.
    void activate_mdi_window(QUI_FRAME_WND* main_frame, QMdiSubWindow* window);

    // The preferences' value name of a text: the frame's kind, "_", the text.
    QString get_toolbar_reg_text(QString const& text) const;
    // A new toolbar of the frame holding the named actions (unknown names are
    // dropped); the caller adds it to a toolbar area.
    AFCQ_TOOL_BAR* create_toolbar(QString const& title, QStringList const& actions);
    // The default actions of a built-in toolbar; empty for any other title.
    QStringList get_default_toolbar_actions(QString const& title) const;
    QMap<QString, QStringList> get_action_categories() const;
    // The actions the frame places into toolbars itself.
    QList<AFCQ_ACTION_ENUM> const& get_frame_actions() const { return m_frame_actions; }
    void add_frame_action_to_toolbar(AFCQ_ACTION_ENUM action, AFCQ_TOOL_BAR* toolbar);
    // The frame's action of a number; null for the separator and unknown numbers.
    QAction* get_action(AFCQ_ACTION_ENUM action) const { return m_actions.value(action); }
    // Starts a flow of the suite for this frame, as the host's application
    // does (qui_get_app); false when the flow failed or there is no application.
    bool start_flow(int flow, std::string const& command_line, bool show_progress,
                    bool run_in_console, bool post_messages);

private:
    void fill_toolbar(AFCQ_TOOL_BAR* toolbar, QStringList const& names);
    void load_toolbar_layout();

    QString m_kind;
    QMdiArea* m_mdi_area = nullptr;
    std::string m_file_name;
    QString m_name_text;
    bool m_detached = false;
    QMap<AFCQ_ACTION_ENUM, QAction*> m_actions;
    QList<AFCQ_ACTION_ENUM> m_frame_actions;
};

// The host's main frame window; null when there is none.
QUI_FRAME_WND* qui_get_main_frame_wnd();
void qui_set_main_frame_wnd(QUI_FRAME_WND* frame);
