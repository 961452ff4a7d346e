// The action catalogue of the frame windows: every action by number, with its
// enumeration name, menu text and status tip; the action categories; and the
// built-in toolbars of each kind of frame window with their default actions.
// The tables are data (afcq_actions.def, afcq_toolbars.def).
#pragma once

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

enum AFCQ_ACTION_ENUM {
    AFCQ_NO_ACTION = 0,
#define AFCQ_ACTION(NUMBER, NAME, MENU_TEXT, STATUS_TIP) NAME = NUMBER,
#include "suite/gui/afcq_actions.def"
#undef AFCQ_ACTION
    AFCQ_ACTION_MAX = 666,
};

// Empty for a number without action.
QString afcq_get_statustip(int action);
QString afcq_get_menu_text(int action);
// The action of an enumeration name; AFCQ_NO_ACTION for an unknown name.
AFCQ_ACTION_ENUM afcq_get_action_enum(QString const& name);
// The enumeration name of an action; "AFCQ_NO_ACTION" for 0 and any number
// without action.
QString afcq_get_action_enum_string(int action);
// Every action of the catalogue, in table order.
QList<AFCQ_ACTION_ENUM> afcq_get_all_actions();

// Category name to the enumeration names of its actions.
QMap<QString, QStringList> afcq_get_action_categories();
// The built-in toolbars of a kind of frame window, in order: title and the
// enumeration names of its default actions.
QList<QPair<QString, QStringList>> afcq_get_default_toolbars(QString const& frame_kind);
