#include "suite/gui/qui_toolbar_layout.h"

#include "suite/gui/cfgq.h"

QUI_TOOLBAR_LAYOUT::QUI_TOOLBAR_LAYOUT(QString const& frame_kind) : m_kind(frame_kind) {}

QString QUI_TOOLBAR_LAYOUT::reg_text(QString const& text) const {
    return m_kind + QLatin1Char('_') + text;
}

QString QUI_TOOLBAR_LAYOUT::toolbar_value_name(QString const& title) const {
    return reg_text(title).replace(QLatin1Char(' '), QLatin1Char('_'));
}

QStringList QUI_TOOLBAR_LAYOUT::user_toolbars() const {
    QStringList titles = CFGQ_REGISTRY_KEY(CFGQ_SUB_KEY_TOOLBARS).get_list(reg_text("Custom"));
    titles.removeDuplicates();
    return titles;
}

bool QUI_TOOLBAR_LAYOUT::store_user_toolbars(QStringList const& titles) const {
    return CFGQ_REGISTRY_KEY(CFGQ_SUB_KEY_TOOLBARS).set_list(reg_text("Custom"), titles);
}

bool QUI_TOOLBAR_LAYOUT::has_toolbar_actions(QString const& title) const {
    return CFGQ_REGISTRY_KEY(CFGQ_SUB_KEY_TOOLBARS).has_value(toolbar_value_name(title));
}

QStringList QUI_TOOLBAR_LAYOUT::toolbar_actions(QString const& title) const {
    return CFGQ_REGISTRY_KEY(CFGQ_SUB_KEY_TOOLBARS).get_list(toolbar_value_name(title));
}

bool QUI_TOOLBAR_LAYOUT::store_toolbar_actions(QString const& title,
                                               QStringList const& names) const {
    return CFGQ_REGISTRY_KEY(CFGQ_SUB_KEY_TOOLBARS).set_list(toolbar_value_name(title), names);
}
