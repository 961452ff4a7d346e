#include "sys/mdb/mdb_toolbar_tab.h"

#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_customize_toolbar_dlg.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_nr_toolbar_dlg.h"
#include "ui_mdb_toolbar_tab.h"

#include "mem_manager.h"
#include "suite/gui/afcq.h"
#include "suite/gui/cfgq.h"
#include "suite/gui/qui_toolbar_layout.h"

#include <QCoreApplication>
#include <QWidgetAction>

namespace {

QAction* g_separator = nullptr;

void delete_separator() {
    delete g_separator;
    g_separator = nullptr;
}

} // namespace

QAction* mdb_get_separator() {
    if (g_separator == nullptr) {
        g_separator = new QAction(afcq_get_icon(AFCQ_ICON_SEPARATOR),
                                  afcq_get_menu_text(AFCQ_SEPARATOR_ACTION), nullptr);
        // Gone with the application, before the widgets it relies on.
        qAddPostRoutine(delete_separator);
    }
    g_separator->setSeparator(true);
    return g_separator;
}

AFCQ_ACTION_ENUM mdb_get_action_enum(QString const& status_tip) {
    for (int id = 1; id <= AFCQ_ACTION_MAX; ++id) {
        if (!afcq_get_menu_text(id).isEmpty() && afcq_get_statustip(id) == status_tip) {
            return static_cast<AFCQ_ACTION_ENUM>(id);
        }
    }
    return AFCQ_NO_ACTION;
}

MDB_TOOLBAR_TAB::MDB_TOOLBAR_TAB(QUI_FRAME_WND* frame, QWidget* parent)
    : QWidget(parent), m_frame(frame), m_model(new QStandardItemModel(this)),
      m_form(std::make_unique<Ui_MDB_TOOLBAR_TAB>()) {
    if (frame == nullptr) {
        MDB_INTERNAL_ERROR("no frame window");
    }
    m_form->setupUi(this);
    m_form->list->setModel(m_model);
    for (AFCQ_TOOL_BAR* toolbar : frame->findChildren<AFCQ_TOOL_BAR*>()) {
        if (toolbar->parent() == frame) {
            create_item(toolbar->windowTitle(), toolbar, toolbar->actions(),
                        toolbar->isVisibleTo(frame));
        }
    }
    connect(m_form->nu, &QPushButton::clicked, this, &MDB_TOOLBAR_TAB::new_button);
    connect(m_form->rename, &QPushButton::clicked, this, &MDB_TOOLBAR_TAB::rename_button);
    connect(m_form->del, &QPushButton::clicked, this, &MDB_TOOLBAR_TAB::delete_button);
    connect(m_form->customize_toolbar, &QPushButton::clicked, this,
            &MDB_TOOLBAR_TAB::customize_button);
    connect(m_form->list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MDB_TOOLBAR_TAB::list_current_changed);
    m_form->list->setCurrentIndex(m_model->index(0, 0));
    list_current_changed(m_model->index(0, 0));
}

MDB_TOOLBAR_TAB::~MDB_TOOLBAR_TAB() {
    for (MDB_BAR* bar : m_bars) {
        delete bar;
    }
}

MDB_BAR* MDB_TOOLBAR_TAB::bar_of_row(int row) const {
    return m_bars.value(m_model->item(row), nullptr);
}

void MDB_TOOLBAR_TAB::create_item(QString const& name, AFCQ_TOOL_BAR* bar,
                                  QList<QAction*> const& actions, bool checked) {
    auto* item = new QStandardItem(name);
    item->setCheckable(true);
    item->setEditable(false);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_model->appendRow(item);
    m_form->list->setCurrentIndex(item->index());
    MDB_BAR* record = MEM_NEW(MDB, MDB_BAR)();
    record->m_toolbar = bar;
    record->m_name = name;
    record->m_actions = actions;
    record->m_changed = bar == nullptr;
    m_bars.insert(item, record);
}

bool MDB_TOOLBAR_TAB::row_has_text(QString const& text) const {
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->item(row)->text() == text) {
            return true;
        }
    }
    return false;
}

void MDB_TOOLBAR_TAB::list_current_changed(QModelIndex const& current) {
    bool valid = current.isValid();
    bool user_toolbar =
        valid && m_frame->get_default_toolbar_actions(current.data().toString()).isEmpty();
    m_form->customize_toolbar->setEnabled(valid);
    m_form->rename->setEnabled(user_toolbar);
    m_form->del->setEnabled(user_toolbar);
}

QString MDB_TOOLBAR_TAB::custom_toolbar_name() const {
    for (int number = 1;; ++number) {
        QString name = QStringLiteral("Custom %1").arg(number);
        if (!row_has_text(name)) {
            return name;
        }
    }
}

void MDB_TOOLBAR_TAB::new_button() {
    MDB_NR_TOOLBAR_DLG dialog("New Toolbar", custom_toolbar_name(), m_model, this);
    dialog.exec();
    new_button_create(dialog.get_name());
}

void MDB_TOOLBAR_TAB::new_button_create(QString const& name) {
    if (!name.isEmpty()) {
        create_item(name, nullptr, QList<QAction*>(), true);
    }
}

void MDB_TOOLBAR_TAB::rename_button() {
    QStandardItem* item = m_model->itemFromIndex(m_form->list->currentIndex());
    if (item == nullptr) {
        MDB_INTERNAL_ERROR("no item");
        return;
    }
    QString present = item->text();
    MDB_NR_TOOLBAR_DLG dialog("Rename Toolbar", present, m_model, this);
    dialog.exec();
    rename_toolbar(dialog.get_name(), present);
}

void MDB_TOOLBAR_TAB::rename_toolbar(QString const& new_name, QString const& old_name) {
    if (new_name.isEmpty() || new_name == old_name) {
        return;
    }
    QStandardItem* item = m_model->itemFromIndex(m_form->list->currentIndex());
    MDB_BAR* bar = m_bars.value(item, nullptr);
    if (bar == nullptr) {
        MDB_INTERNAL_ERROR("no bar");
        return;
    }
    item->setText(new_name);
    bar->m_changed = true;
    if (bar->m_old_name.isEmpty()) {
        bar->m_old_name = old_name;
    }
    bar->m_name = new_name;
}

void MDB_TOOLBAR_TAB::delete_button() {
    QModelIndex current = m_form->list->currentIndex();
    MDB_BAR* bar = m_bars.value(m_model->itemFromIndex(current), nullptr);
    if (bar == nullptr) {
        MDB_INTERNAL_ERROR("no bar");
        return;
    }
    bar->m_deleted = true;
    m_model->removeRow(current.row());
}

void MDB_TOOLBAR_TAB::customize_button() {
    MDB_BAR* bar = m_bars.value(m_model->itemFromIndex(m_form->list->currentIndex()), nullptr);
    if (bar == nullptr) {
        MDB_INTERNAL_ERROR("no bar");
        return;
    }
    MDB_CUSTOMIZE_TOOLBAR_DLG dialog(bar, m_frame, this);
    dialog.exec();
}

// The preferences are read once, before anything changes, and the whole new
// layout replaces them in one write: a failure leaves them as they were.
// Deleted records go first, so that a title they free can be taken by a row;
// the rows follow in list order. Deleted toolbars are destroyed last, once no
// record can still refer to what they hold.
void MDB_TOOLBAR_TAB::save() {
    CFGQ_PREFERENCES preferences;
    if (!preferences.is_read()) {
        report_unsaved();
        return;
    }
    QList<AFCQ_TOOL_BAR*> doomed;
    for (MDB_BAR* bar : m_bars) {
        if (!bar->m_deleted) {
            continue;
        }
        remove_custom_toolbar(bar);
        if (bar->m_toolbar != nullptr) {
            doomed.append(bar->m_toolbar);
            bar->m_toolbar = nullptr;
        }
    }
    for (int row = 0; row < m_model->rowCount(); ++row) {
        MDB_BAR* bar = bar_of_row(row);
        create_new_toolbar(bar);
        update_toolbar(bar);
        bar->m_toolbar->setVisible(m_model->item(row)->checkState() == Qt::Checked);
    }
    for (AFCQ_TOOL_BAR* toolbar : doomed) {
        m_frame->removeToolBar(toolbar);
        delete toolbar;
    }
    if (!preferences.commit()) {
        report_unsaved();
    }
}

void MDB_TOOLBAR_TAB::report_unsaved() {
    QByteArray file = CFGQ_REGISTRY_KEY::file_path().toLocal8Bit();
    MSG_O* message = MSG_MDB::O::CANT_CREATE_OR_OVERWRITE_FILE(file.constData());
    message->show();
    delete message;
}

// Takes a deleted toolbar's titles, its present one and the one it was stored
// under, out of the user's list, unless a row still carries them.
void MDB_TOOLBAR_TAB::remove_custom_toolbar(MDB_BAR* bar) {
    QUI_TOOLBAR_LAYOUT layout(m_frame->get_kind());
    QStringList titles = layout.user_toolbars();
    bool removed = false;
    for (QString const& title : {bar->m_name, bar->m_old_name}) {
        if (!title.isEmpty() && !row_has_text(title)) {
            removed = titles.removeAll(title) > 0 || removed;
        }
    }
    if (removed) {
        layout.store_user_toolbars(titles);
    }
}

void MDB_TOOLBAR_TAB::create_new_toolbar(MDB_BAR* bar) {
    if (bar == nullptr) {
        MDB_INTERNAL_ERROR("no bar parameter");
        return;
    }
    if (bar->m_toolbar == nullptr) {
        bar->m_toolbar = m_frame->create_toolbar(bar->m_name, QStringList());
        m_frame->addToolBar(Qt::TopToolBarArea, bar->m_toolbar);
        store_custom_toolbar(bar->m_name, QString());
        return;
    }
    if (bar->m_old_name.isEmpty()) {
        return;
    }
    if (row_has_text(bar->m_old_name)) {
        bar->m_old_name.clear();
    }
    bar->m_toolbar->setWindowTitle(bar->m_name);
    bar->m_toolbar->setObjectName(bar->m_name);
    store_custom_toolbar(bar->m_name, bar->m_old_name);
}

void MDB_TOOLBAR_TAB::store_custom_toolbar(QString const& name, QString const& old_name) {
    QUI_TOOLBAR_LAYOUT layout(m_frame->get_kind());
    QStringList titles = layout.user_toolbars();
    if (!old_name.isEmpty()) {
        titles.removeAll(old_name);
    }
    if (!titles.contains(name)) {
        titles.append(name);
    }
    layout.store_user_toolbars(titles);
}

void MDB_TOOLBAR_TAB::update_toolbar(MDB_BAR* bar) {
    if (bar == nullptr) {
        MDB_INTERNAL_ERROR("no bar parameter");
        return;
    }
    if (!bar->m_changed) {
        return;
    }
    AFCQ_TOOL_BAR* toolbar = bar->m_toolbar;
    toolbar->clear();
    QStringList names;
    for (QAction* action : bar->m_actions) {
        if (action->isSeparator()) {
            toolbar->addSeparator();
            names.append(afcq_get_action_enum_string(AFCQ_SEPARATOR_ACTION));
            continue;
        }
        AFCQ_ACTION_ENUM id = mdb_get_action_enum(action->statusTip());
        names.append(afcq_get_action_enum_string(id));
        if (m_frame->get_frame_actions().contains(id) &&
            qobject_cast<QWidgetAction*>(action) == nullptr) {
            m_frame->add_frame_action_to_toolbar(id, toolbar);
        } else {
            toolbar->addAction(action);
        }
    }
    QUI_TOOLBAR_LAYOUT(m_frame->get_kind()).store_toolbar_actions(toolbar->windowTitle(), names);
}

