#include "suite/gui/afcq_actions.h"

namespace {

struct ACTION_ROW {
    AFCQ_ACTION_ENUM action;
    char const* name;
    char const* menu_text;
    char const* status_tip;
};

ACTION_ROW const action_rows[] = {
#define AFCQ_ACTION(NUMBER, NAME, MENU_TEXT, STATUS_TIP) {NAME, #NAME, MENU_TEXT, STATUS_TIP},
#include "suite/gui/afcq_actions.def"
#undef AFCQ_ACTION
};

struct CATEGORY_ROW {
    char const* category;
    char const* action;
};
struct TOOLBAR_ROW {
    char const* frame_kind;
    char const* title;
    char const* action;
};

CATEGORY_ROW const category_rows[] = {
#define AFCQ_CATEGORY(CATEGORY, ACTION) {CATEGORY, #ACTION},
#define AFCQ_DEFAULT_TOOLBAR(KIND, TITLE, ACTION)
#include "suite/gui/afcq_toolbars.def"
#undef AFCQ_CATEGORY
#undef AFCQ_DEFAULT_TOOLBAR
};

TOOLBAR_ROW const toolbar_rows[] = {
#define AFCQ_CATEGORY(CATEGORY, ACTION)
#define AFCQ_DEFAULT_TOOLBAR(KIND, TITLE, ACTION) {KIND, TITLE, #ACTION},
#include "suite/gui/afcq_toolbars.def"
#undef AFCQ_CATEGORY
#undef AFCQ_DEFAULT_TOOLBAR
};

ACTION_ROW const* find_row(int action) {
    for (ACTION_ROW const& row : action_rows) {
        if (row.action == action) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

QString afcq_get_statustip(int action) {
    ACTION_ROW const* row = find_row(action);
    return row == nullptr ? QString() : QString::fromUtf8(row->status_tip);
}

QString afcq_get_menu_text(int action) {
    ACTION_ROW const* row = find_row(action);
    return row == nullptr ? QString() : QString::fromUtf8(row->menu_text);
}

AFCQ_ACTION_ENUM afcq_get_action_enum(QString const& name) {
    for (ACTION_ROW const& row : action_rows) {
        if (name == QLatin1String(row.name)) {
            return row.action;
        }
    }
    return AFCQ_NO_ACTION;
}

QString afcq_get_action_enum_string(int action) {
    ACTION_ROW const* row = find_row(action);
    return QString::fromLatin1(row == nullptr ? "AFCQ_NO_ACTION" : row->name);
}

QList<AFCQ_ACTION_ENUM> afcq_get_all_actions() {
    QList<AFCQ_ACTION_ENUM> actions;
    for (ACTION_ROW const& row : action_rows) {
        actions.append(row.action);
    }
    return actions;
}

QMap<QString, QStringList> afcq_get_action_categories() {
    QMap<QString, QStringList> categories;
    for (CATEGORY_ROW const& row : category_rows) {
        categories[QString::fromUtf8(row.category)].append(QString::fromLatin1(row.action));
    }
    return categories;
}

QList<QPair<QString, QStringList>> afcq_get_default_toolbars(QString const& frame_kind) {
    QList<QPair<QString, QStringList>> toolbars;
    for (TOOLBAR_ROW const& row : toolbar_rows) {
        if (frame_kind != QLatin1String(row.frame_kind)) {
            continue;
        }
        QString title = QString::fromUtf8(row.title);
        if (toolbars.isEmpty() || toolbars.back().first != title) {
            toolbars.append({title, QStringList()});
        }
        toolbars.back().second.append(QString::fromLatin1(row.action));
    }
    return toolbars;
}
