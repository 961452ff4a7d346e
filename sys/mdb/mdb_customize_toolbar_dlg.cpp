#include "sys/mdb/mdb_customize_toolbar_dlg.h"

#include "sys/mdb/mdb.h"
#include "ui_mdb_customize_toolbar_dlg.h"

#include <QAction>
#include <QMenu>
#include <QRegularExpression>

QAction* mdb_get_action(QString const& status_tip, QList<QAction*> const& actions) {
    for (QAction* action : actions) {
        if (action->statusTip() == status_tip) {
            return action;
        }
        if (action->menu() != nullptr) {
            if (QAction* found = mdb_get_action(status_tip, action->menu()->actions())) {
                return found;
            }
        }
    }
    return nullptr;
}

MDB_CUSTOMIZE_TOOLBAR_DLG::MDB_CUSTOMIZE_TOOLBAR_DLG(MDB_BAR* bar, QUI_FRAME_WND* frame,
                                                     QWidget* parent)
    : AFCQ_DIALOG(parent), m_bar(bar), m_frame(frame),
      m_default_icon(afcq_get_icon(AFCQ_ICON_SEPARATOR)),
      m_available_model(new QStandardItemModel(this)),
      m_current_model(new QStandardItemModel(this)),
      m_form(std::make_unique<Ui_MDB_CUSTOMIZE_TOOLBAR_DLG>()) {
    if (bar == nullptr) {
        MDB_INTERNAL_ERROR("no bar parameter");
    }
    if (frame == nullptr) {
        MDB_INTERNAL_ERROR("no frame parameter");
    }
    m_form->setupUi(this);
    m_form->action->setModel(m_available_model);
    m_form->current->setModel(m_current_model);
    m_form->restore->setEnabled(!frame->get_default_toolbar_actions(bar->m_name).isEmpty());
    m_form->toolbar->setText(QStringLiteral("%1 %2").arg(m_form->toolbar->text(), bar->m_name));
    m_current_actions = bar->m_actions;
    fill_list(m_current_actions, m_current_model);

    QString separator = afcq_get_action_enum_string(AFCQ_SEPARATOR_ACTION);
    QMap<QString, QStringList> categories = frame->get_action_categories();
    QStringList category_names = categories.keys();
    std::sort(category_names.begin(), category_names.end());
    QStringList all;
    for (QString const& name : category_names) {
        QStringList names = QStringList(separator) + categories.value(name);
        all += names;
        names.removeDuplicates();
        m_form->category->addItem(name, names);
    }
    all.removeDuplicates();
    m_form->category->insertItem(0, QStringLiteral("All"), all);

    connect(m_form->buttonBox, &QDialogButtonBox::accepted, this,
            &MDB_CUSTOMIZE_TOOLBAR_DLG::accept);
    connect(m_form->buttonBox, &QDialogButtonBox::rejected, this,
            &MDB_CUSTOMIZE_TOOLBAR_DLG::reject);
    connect(m_form->current->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MDB_CUSTOMIZE_TOOLBAR_DLG::current_changed);
    connect(m_form->remove, &QPushButton::clicked, this, &MDB_CUSTOMIZE_TOOLBAR_DLG::remove_button);
    connect(m_form->up, &QPushButton::clicked, this, &MDB_CUSTOMIZE_TOOLBAR_DLG::up_button);
    connect(m_form->down, &QPushButton::clicked, this, &MDB_CUSTOMIZE_TOOLBAR_DLG::down_button);
    connect(m_form->add, &QPushButton::clicked, this, &MDB_CUSTOMIZE_TOOLBAR_DLG::add_button);
    connect(m_form->restore, &QPushButton::clicked, this,
            &MDB_CUSTOMIZE_TOOLBAR_DLG::restore_defaults_button);
    connect(m_form->category, &QComboBox::currentIndexChanged, this,
            &MDB_CUSTOMIZE_TOOLBAR_DLG::category_current_index_changed);
    m_form->category->setCurrentIndex(0);
    category_current_index_changed(0);
}

MDB_CUSTOMIZE_TOOLBAR_DLG::~MDB_CUSTOMIZE_TOOLBAR_DLG() = default;

void MDB_CUSTOMIZE_TOOLBAR_DLG::fill_list(QList<QAction*> const& actions,
                                          QStandardItemModel* model) {
    if (model == nullptr) {
        MDB_INTERNAL_ERROR("no model parameter");
        return;
    }
    static QRegularExpression const mnemonic(QStringLiteral("&(?!&)"));
    model->clear();
    for (QAction* action : actions) {
        QString text = action->isSeparator() ? afcq_get_menu_text(AFCQ_SEPARATOR_ACTION)
                                             : QString(action->text()).remove(mnemonic);
        auto* item =
            new QStandardItem(action->icon().isNull() ? m_default_icon : action->icon(), text);
        item->setEditable(false);
        model->appendRow(item);
    }
}

QList<QAction*> MDB_CUSTOMIZE_TOOLBAR_DLG::get_actions(QStringList const& names) const {
    QList<QAction*> all = m_frame->findChildren<QAction*>();
    QList<QAction*> found;
    for (QString const& name : names) {
        AFCQ_ACTION_ENUM id = afcq_get_action_enum(name);
        QAction* action =
            id == AFCQ_SEPARATOR_ACTION
                ? mdb_get_separator()
                : (id == AFCQ_NO_ACTION ? nullptr : mdb_get_action(afcq_get_statustip(id), all));
        if (action != nullptr) {
            found.append(action);
        }
    }
    return found;
}

QList<QAction*> MDB_CUSTOMIZE_TOOLBAR_DLG::get_available_actions(int category_index) const {
    QList<QAction*> available =
        get_actions(m_form->category->itemData(category_index).toStringList());
    for (QAction* current : m_current_actions) {
        if (current->isSeparator()) {
            continue;
        }
        QAction* found = mdb_get_action(current->statusTip(), available);
        if (found != nullptr) {
            available.removeOne(found);
        }
    }
    return available;
}

void MDB_CUSTOMIZE_TOOLBAR_DLG::category_current_index_changed(int index) {
    m_available_actions = get_available_actions(index);
    fill_list(m_available_actions, m_available_model);
    m_form->action->setCurrentIndex(m_available_model->index(0, 0));
}

void MDB_CUSTOMIZE_TOOLBAR_DLG::current_changed(QModelIndex const& current) {
    bool valid = current.isValid();
    m_form->remove->setEnabled(valid);
    m_form->up->setEnabled(valid && current.row() > 0);
    m_form->down->setEnabled(valid && current.row() < m_current_model->rowCount() - 1);
}

void MDB_CUSTOMIZE_TOOLBAR_DLG::add_button() {
    int from = m_form->action->currentIndex().row();
    QModelIndex current = m_form->current->currentIndex();
    int below = current.isValid() ? current.row() : -1;
    m_modified = true;
    m_form->action->setFocus();
    if (from < 0) {
        return;
    }
    QAction* action = m_available_actions.at(from);
    QStandardItem* item;
    if (from == 0 && action->isSeparator()) {
        QStandardItem* shown = m_available_model->item(0);
        item = new QStandardItem(shown->icon(), shown->text());
        item->setEditable(false);
    } else {
        item = m_available_model->takeRow(from).value(0);
        m_available_actions.removeAt(from);
    }
    m_current_model->insertRow(below + 1, item);
    m_current_actions.insert(below + 1, action);
    current_changed(m_form->current->currentIndex());
}

void MDB_CUSTOMIZE_TOOLBAR_DLG::remove_button() {
    m_modified = true;
    int row = m_form->current->currentIndex().row();
    if (row >= 0) {
        QAction* action = m_current_actions.takeAt(row);
        QList<QStandardItem*> taken = m_current_model->takeRow(row);
        if (action->isSeparator()) {
            qDeleteAll(taken);
        } else {
            m_available_actions.append(action);
            m_available_model->appendRow(taken);
        }
    }
    current_changed(m_form->current->currentIndex());
}

void MDB_CUSTOMIZE_TOOLBAR_DLG::up_button() {
    int row = m_form->current->currentIndex().row();
    if (row > 0) {
        updown1(row, row - 1);
    }
}

void MDB_CUSTOMIZE_TOOLBAR_DLG::down_button() {
    int row = m_form->current->currentIndex().row();
    if (row >= 0 && row < m_current_model->rowCount() - 1) {
        updown1(row, row + 1);
    }
}

void MDB_CUSTOMIZE_TOOLBAR_DLG::updown1(int from, int to) {
    m_modified = true;
    m_current_model->insertRow(to, m_current_model->takeRow(from));
    m_form->current->setCurrentIndex(m_current_model->index(to, 0));
    m_current_actions.swapItemsAt(from, to);
}

void MDB_CUSTOMIZE_TOOLBAR_DLG::restore_defaults_button() {
    m_form->up->setEnabled(false);
    m_form->down->setEnabled(false);
    m_modified = true;
    m_current_actions = get_actions(m_frame->get_default_toolbar_actions(m_bar->m_name));
    fill_list(m_current_actions, m_current_model);
    category_current_index_changed(m_form->category->currentIndex());
}

void MDB_CUSTOMIZE_TOOLBAR_DLG::accept() {
    AFCQ_DIALOG::accept();
    if (m_modified) {
        m_bar->m_actions = m_current_actions;
        m_bar->m_changed = true;
    }
}
