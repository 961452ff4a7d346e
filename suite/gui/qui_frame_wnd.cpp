#include "suite/gui/qui_frame_wnd.h"

#include "suite/gui/cfgq.h"
#include "suite/gui/qui_app.h"
#include "suite/gui/qui_toolbar_layout.h"
#include "suite/messages/msg.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

QUI_FRAME_WND* g_main_frame = nullptr;

} // namespace

AFCQ_TOOL_BAR::AFCQ_TOOL_BAR(QString const& title, QWidget* parent) : QToolBar(title, parent) {
    setObjectName(title);
}

AFCQ_TOOL_BAR::~AFCQ_TOOL_BAR() = default;

QUI_FRAME_WND::QUI_FRAME_WND(QString const& kind, bool with_mdi_area, QWidget* parent)
    : QMainWindow(parent), m_kind(kind) {
    if (with_mdi_area) {
        m_mdi_area = new QMdiArea(this);
        setCentralWidget(m_mdi_area);
    }
    for (AFCQ_ACTION_ENUM id : afcq_get_all_actions()) {
        if (id == AFCQ_SEPARATOR_ACTION) {
            continue;
        }
        auto* action = new QAction(afcq_get_menu_text(id), this);
        action->setStatusTip(afcq_get_statustip(id));
        m_actions.insert(id, action);
    }
    // The window commands act on the frame itself.
    m_frame_actions = {AFCQ_WINDOW_SELECT_ACTION, AFCQ_WINDOW_CASCADE_ACTION,
                       AFCQ_WINDOW_TILE_ACTION};
    if (m_mdi_area != nullptr) {
        connect(m_actions.value(AFCQ_WINDOW_CASCADE_ACTION), &QAction::triggered, m_mdi_area,
                &QMdiArea::cascadeSubWindows);
        connect(m_actions.value(AFCQ_WINDOW_TILE_ACTION), &QAction::triggered, m_mdi_area,
                &QMdiArea::tileSubWindows);
    }
    load_toolbar_layout();
}

QUI_FRAME_WND::~QUI_FRAME_WND() {
    if (g_main_frame == this) {
        g_main_frame = nullptr;
    }
}

void QUI_FRAME_WND::activate_widget(QWidget* widget) {
    QWidget* window = widget->window();
    window->show();
    window->raise();
    window->activateWindow();
}

void QUI_FRAME_WND::activate_mdi_window(QUI_FRAME_WND* main_frame, QMdiSubWindow* window) {
    QMdiArea* area = main_frame != nullptr ? main_frame->get_mdi_area() : window->mdiArea();
    if (area != nullptr) {
        area->setActiveSubWindow(window);
    }
    window->show();
    activate_widget(window);
}

QString QUI_FRAME_WND::get_toolbar_reg_text(QString const& text) const {
    return QUI_TOOLBAR_LAYOUT(m_kind).reg_text(text);
}

AFCQ_TOOL_BAR* QUI_FRAME_WND::create_toolbar(QString const& title, QStringList const& actions) {
    auto* toolbar = new AFCQ_TOOL_BAR(title, this);
    fill_toolbar(toolbar, actions);
    return toolbar;
}

QStringList QUI_FRAME_WND::get_default_toolbar_actions(QString const& title) const {
    for (auto const& toolbar : afcq_get_default_toolbars(m_kind)) {
        if (toolbar.first == title) {
            return toolbar.second;
        }
    }
    return QStringList();
}

QMap<QString, QStringList> QUI_FRAME_WND::get_action_categories() const {
    return afcq_get_action_categories();
}

void QUI_FRAME_WND::add_frame_action_to_toolbar(AFCQ_ACTION_ENUM action, AFCQ_TOOL_BAR* toolbar) {
    if (QAction* found = get_action(action)) {
        toolbar->addAction(found);
    }
}

void QUI_FRAME_WND::fill_toolbar(AFCQ_TOOL_BAR* toolbar, QStringList const& names) {
    for (QString const& name : names) {
        AFCQ_ACTION_ENUM id = afcq_get_action_enum(name);
        if (id == AFCQ_SEPARATOR_ACTION) {
            toolbar->addSeparator();
        } else if (m_frame_actions.contains(id)) {
            add_frame_action_to_toolbar(id, toolbar);
        } else if (QAction* action = get_action(id)) {
            toolbar->addAction(action);
        }
    }
}

void QUI_FRAME_WND::load_toolbar_layout() {
    CFGQ_PREFERENCES preferences; // read once for every value below
    QUI_TOOLBAR_LAYOUT layout(m_kind);
    QStringList titles;
    for (auto const& toolbar : afcq_get_default_toolbars(m_kind)) {
        titles.append(toolbar.first);
        addToolBar(Qt::TopToolBarArea,
                   create_toolbar(toolbar.first, layout.has_toolbar_actions(toolbar.first)
                                                     ? layout.toolbar_actions(toolbar.first)
                                                     : toolbar.second));
    }
    for (QString const& title : layout.user_toolbars()) {
        if (!titles.contains(title)) {
            titles.append(title);
            addToolBar(Qt::TopToolBarArea, create_toolbar(title, layout.toolbar_actions(title)));
        }
    }
}

bool QUI_FRAME_WND::start_flow(int flow, std::string const& command_line, bool show_progress,
                               bool run_in_console, bool post_messages) {
    QUI_APP* app = qui_get_app();
    if (app == nullptr) {
        MSG_INTERNAL_ERROR::report("no app", "QUI", __FILE__, __LINE__);
        return false;
    }
    return app->start_flow(flow, command_line, show_progress, run_in_console, post_messages);
}

QUI_FRAME_WND* qui_get_main_frame_wnd() {
    return g_main_frame;
}

void qui_set_main_frame_wnd(QUI_FRAME_WND* frame) {
    g_main_frame = frame;
}
