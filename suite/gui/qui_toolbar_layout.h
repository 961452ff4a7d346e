// The saved toolbar layout of one kind of frame window, in the user
// preferences (sub-key 59). The value "<kind>_Custom" lists the titles of the
// user's own toolbars; "<kind>_<title>", blanks of the title turned into "_",
// holds a toolbar's actions by enumeration name, in toolbar order.
#pragma once

#include <QString>
#include <QStringList>

class QUI_TOOLBAR_LAYOUT {
public:
    explicit QUI_TOOLBAR_LAYOUT(QString const& frame_kind);

    // The frame kind, "_" and the text.
    QString reg_text(QString const& text) const;
    // The value name of a toolbar's actions.
    QString toolbar_value_name(QString const& title) const;

    // The titles of the user's toolbars, each once (the first of each kept).
    QStringList user_toolbars() const;
    // False when the preferences file could not be written.
    bool store_user_toolbars(QStringList const& titles) const;

    bool has_toolbar_actions(QString const& title) const;
    QStringList toolbar_actions(QString const& title) const;
    bool store_toolbar_actions(QString const& title, QStringList const& names) const;

private:
    QString m_kind;
};
