#include "sys/mdb/mdb_assignment_groups_dlg.h"

#include "acf_manager.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_assignment_groups_add_member_dlg.h"
#include "sys/mdb/mdb_assignment_groups_create_dlg.h"
#include "sys/mdb/mdb_msgs.h"
#include "ui_mdb_assignment_groups_dlg.h"

#include <QItemSelectionModel>

#include <algorithm>
#include <numeric>
#include <set>
#include <vector>

namespace {

QStringList to_q(std::vector<std::string> const& texts) {
    QStringList list;
    for (std::string const& text : texts) {
        list << QString::fromLocal8Bit(text.c_str());
    }
    return list;
}

std::vector<std::string> to_local(QStringList const& list) {
    std::vector<std::string> texts;
    for (QString const& text : list) {
        texts.push_back(text.toLocal8Bit().toStdString());
    }
    return texts;
}

// The rows of a view's selected cells, from the bottom up.
std::vector<int> selected_rows(QTableView* view) {
    std::set<int> rows;
    for (QModelIndex const& index : view->selectionModel()->selectedIndexes()) {
        rows.insert(index.row());
    }
    return {rows.rbegin(), rows.rend()};
}

} // namespace

MDB_TIME_GROUPS_DLG::MDB_TIME_GROUPS_DLG(QWidget* parent, char const* name)
    : AFCQ_DIALOG(parent), m_member_model(new QStandardItemModel(this)),
      m_exception_model(new QStandardItemModel(this)),
      m_form(std::make_unique<Ui_MDB_TIME_GROUPS_DLG>()) {
    AFCQ_WAIT_CURSOR wait;
    m_form->setupUi(this);
    m_member_model->setObjectName("member_model");
    m_exception_model->setObjectName("exception_model");
    m_form->member_table_view->setModel(m_member_model);
    m_form->exception_table_view->setModel(m_exception_model);
    if (name != nullptr) {
        m_initial_group = QString::fromLocal8Bit(name);
    }
    connect(m_form->member_table_view->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, &MDB_TIME_GROUPS_DLG::update_buttons);
    connect(m_form->exception_table_view->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, &MDB_TIME_GROUPS_DLG::update_buttons);
    connect(m_member_model, &QStandardItemModel::itemChanged, this,
            &MDB_TIME_GROUPS_DLG::on_validate_edit);
    connect(m_exception_model, &QStandardItemModel::itemChanged, this,
            &MDB_TIME_GROUPS_DLG::on_validate_edit);
    connect(m_form->button_box, &QDialogButtonBox::accepted, this, &MDB_TIME_GROUPS_DLG::on_ok);
    connect(m_form->button_box, &QDialogButtonBox::rejected, this, &MDB_TIME_GROUPS_DLG::reject);
    struct BUTTON {
        QPushButton* button;
        void (MDB_TIME_GROUPS_DLG::*slot)();
    } const buttons[] = {
        {m_form->create_button, &MDB_TIME_GROUPS_DLG::on_click_create},
        {m_form->rename_button, &MDB_TIME_GROUPS_DLG::on_click_rename},
        {m_form->delete_button, &MDB_TIME_GROUPS_DLG::on_click_delete},
        {m_form->delete_all_button, &MDB_TIME_GROUPS_DLG::on_click_delete_all},
        {m_form->add_member_button, &MDB_TIME_GROUPS_DLG::on_click_members_add},
        {m_form->delete_member_button, &MDB_TIME_GROUPS_DLG::on_click_members_delete},
        {m_form->edit_member_button, &MDB_TIME_GROUPS_DLG::on_click_members_edit},
        {m_form->add_exception_button, &MDB_TIME_GROUPS_DLG::on_click_exceptions_add},
        {m_form->delete_exception_button, &MDB_TIME_GROUPS_DLG::on_click_exceptions_delete},
        {m_form->edit_exception_button, &MDB_TIME_GROUPS_DLG::on_click_exceptions_edit},
    };
    for (BUTTON const& b : buttons) {
        connect(b.button, &QPushButton::clicked, this, b.slot);
    }

    bool sorted = true;
    m_loaded = mdb_time_groups_read(&m_loaded_groups);
    if (m_loaded) {
        if (m_loaded_groups.empty()) {
            enable_everything(false);
        } else {
            // Appended in the order the combo box's sort gives them, so that
            // only a named group that is not among them needs that sort: it
            // compares item data and was a seventh of the opening on many
            // groups, and a moved item is found by a search, once for every
            // item when the dialog closes.
            std::vector<QString> names;
            for (MDB_TIME_GROUP const& group : m_loaded_groups) {
                names.push_back(QString::fromLocal8Bit(group.name.c_str()));
            }
            std::vector<size_t> order(names.size());
            std::iota(order.begin(), order.end(), 0);
            std::stable_sort(order.begin(), order.end(),
                             [&](size_t a, size_t b) { return names[a].compare(names[b]) < 0; });
            int first = 0;
            int current = -1;
            for (size_t read : order) {
                MDB_TIME_GROUP const& group = m_loaded_groups[read];
                append_group(names[read], to_q(group.members), to_q(group.exceptions));
                if (read == 0) {
                    first = m_form->name_combo_box->count() - 1;
                }
                if (!m_initial_group.isEmpty() && names[read] == m_initial_group) {
                    current = m_form->name_combo_box->count() - 1;
                }
            }
            if (!m_initial_group.isEmpty() && current < 0) {
                append_group(m_initial_group, {}, {});
                current = m_form->name_combo_box->count() - 1;
                sorted = false;
            }
            // Connected after loading, so that the current group is shown once;
            // without a named one, the first group read is current.
            m_form->name_combo_box->setCurrentIndex(current >= 0 ? current : first);
            on_selchange_name();
            enable_everything(true);
        }
    }
    if (!sorted) {
        sort_groups();
    }
    connect(m_form->name_combo_box, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MDB_TIME_GROUPS_DLG::on_selchange_name);
    update_buttons();
}

MDB_TIME_GROUPS_DLG::~MDB_TIME_GROUPS_DLG() = default;

void MDB_TIME_GROUPS_DLG::enable_everything(bool enable) {
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_form->name_combo_box, m_form->member_table_view, m_form->exception_table_view,
             m_form->delete_button, m_form->rename_button, m_form->delete_all_button,
             m_form->add_member_button, m_form->delete_member_button, m_form->edit_member_button,
             m_form->add_exception_button, m_form->delete_exception_button,
             m_form->edit_exception_button}) {
        widget->setEnabled(enable);
    }
}

void MDB_TIME_GROUPS_DLG::show_notice(MSG_O* message) {
    message->show();
    delete message;
}

void MDB_TIME_GROUPS_DLG::append_group(QString const& name, QStringList const& members,
                                       QStringList const& exceptions) {
    m_form->name_combo_box->addItem(name, QVariantList{name, members, exceptions});
}

void MDB_TIME_GROUPS_DLG::sort_groups() {
    m_form->name_combo_box->model()->sort(0, Qt::AscendingOrder);
}

QStringList MDB_TIME_GROUPS_DLG::current_list(int which) const {
    return m_form->name_combo_box->currentData().toList().value(which).toStringList();
}

void MDB_TIME_GROUPS_DLG::set_current_list(int which, QStringList const& list) {
    QComboBox* combo = m_form->name_combo_box;
    QVariantList data = combo->currentData().toList();
    data[which] = list;
    combo->setItemData(combo->currentIndex(), data);
}

void MDB_TIME_GROUPS_DLG::on_selchange_name() {
    m_member_model->clear();
    m_exception_model->clear();
    if (m_form->name_combo_box->currentIndex() >= 0) {
        for (QString const& member : current_list(DATA_MEMBERS)) {
            m_member_model->appendRow(new QStandardItem(member));
        }
        for (QString const& exception : current_list(DATA_EXCEPTIONS)) {
            m_exception_model->appendRow(new QStandardItem(exception));
        }
    }
    for (QTableView* view : {m_form->member_table_view, m_form->exception_table_view}) {
        view->resizeColumnsToContents();
        view->resizeRowsToContents();
    }
    update_buttons();
}

void MDB_TIME_GROUPS_DLG::update_buttons() {
    int members = m_form->member_table_view->selectionModel()->selectedIndexes().size();
    int exceptions = m_form->exception_table_view->selectionModel()->selectedIndexes().size();
    m_form->delete_member_button->setEnabled(members >= 1);
    m_form->edit_member_button->setEnabled(members == 1);
    m_form->delete_exception_button->setEnabled(exceptions >= 1);
    m_form->edit_exception_button->setEnabled(exceptions == 1);
}

void MDB_TIME_GROUPS_DLG::on_ok() {
    AFCQ_WAIT_CURSOR wait;
    if (!m_loaded) {
        // Nothing was read, so writing would erase every group.
        accept();
        return;
    }
    std::vector<MDB_TIME_GROUP> groups;
    QComboBox* combo = m_form->name_combo_box;
    for (int i = 0; i < combo->count(); ++i) {
        QVariantList data = combo->itemData(i).toList();
        groups.push_back({data.value(DATA_NAME).toString().toLocal8Bit().toStdString(),
                          to_local(data.value(DATA_MEMBERS).toStringList()),
                          to_local(data.value(DATA_EXCEPTIONS).toStringList())});
    }
    std::string illegal;
    switch (mdb_time_groups_write(m_loaded_groups, groups, to_local(m_deleted_groups), &illegal)) {
    case MDB_TIME_GROUPS_WRITTEN:
        accept();
        break;
    case MDB_TIME_GROUPS_CHANGED_OUTSIDE:
        show_notice(MSG_MDB::O::ASSIGNMENT_GROUPS_CHANGED_OUTSIDE_TESSALY());
        accept();
        break;
    case MDB_TIME_GROUPS_LOCKED:
        show_notice(MSG_MDB::O::ACF_ERROR());
        break;
    case MDB_TIME_GROUPS_NOT_WRITTEN:
        // The edits stay in the dialog: OK can try again, Cancel drops them.
        show_notice(MSG_MDB::O::ASSIGNMENT_GROUPS_NOT_WRITTEN(
            ACF_MANAGER::get_acf_manager()->get_active_revision_path()));
        break;
    case MDB_TIME_GROUPS_ILLEGAL: {
        auto* message = new MSG_O;
        message->set_text("Can't set the " + illegal + " -- no assignment group was changed");
        show_notice(message);
        break;
    }
    }
}

void MDB_TIME_GROUPS_DLG::on_click_create() {
    MDB_CREATE_TIME_GROUP_DLG dialog(this);
    if (dialog.exec() == QDialog::Accepted && !dialog.m_name.isEmpty()) {
        QComboBox* combo = m_form->name_combo_box;
        if (combo->findText(dialog.m_name, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) {
            QByteArray name = dialog.m_name.toLocal8Bit();
            show_notice(MSG_MDB::O::TIME_GROUP_EXISTS(name.constData()));
        } else {
            append_group(dialog.m_name, {}, {});
            combo->setCurrentIndex(combo->count() - 1);
            sort_groups();
            on_selchange_name();
            enable_everything(true);
        }
    }
    update_buttons();
}

void MDB_TIME_GROUPS_DLG::on_click_rename() {
    QComboBox* combo = m_form->name_combo_box;
    int index = combo->currentIndex();
    if (index >= 0) {
        MDB_CREATE_TIME_GROUP_DLG dialog(this);
        dialog.m_title = "Rename Assignment Group";
        dialog.m_name = combo->currentText();
        if (dialog.exec() == QDialog::Accepted && !dialog.m_name.isEmpty()) {
            int same = combo->findText(dialog.m_name, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (same >= 0 && same != index) {
                // Two groups of one name would merge when written.
                QByteArray name = dialog.m_name.toLocal8Bit();
                show_notice(MSG_MDB::O::TIME_GROUP_EXISTS(name.constData()));
            } else {
                QVariantList data = combo->itemData(index).toList();
                data[DATA_NAME] = dialog.m_name;
                combo->removeItem(index);
                combo->addItem(dialog.m_name, data);
                combo->setCurrentIndex(combo->count() - 1);
            }
        }
    }
    update_buttons();
}

void MDB_TIME_GROUPS_DLG::on_click_delete() {
    QComboBox* combo = m_form->name_combo_box;
    int index = combo->currentIndex();
    if (index >= 0) {
        MSG_YN* confirm = MSG_MDB::YN::CONFIRM_DELETE_TIME_GROUP();
        int answer = confirm->show();
        delete confirm;
        if (answer != MSG_ANSWER_NO) {
            MSG_YN* others = MSG_MDB::YN::DELETE_ASSIGNMENTS_TO_TIME_GROUP();
            if (others->show() == MSG_ANSWER_YES) {
                m_deleted_groups << combo->itemText(index);
            }
            delete others;
            {
                QSignalBlocker quiet(combo);
                combo->removeItem(index);
                if (combo->count() > 0) {
                    combo->setCurrentIndex(std::min(index, combo->count() - 1));
                }
            }
            if (combo->count() == 0) {
                enable_everything(false);
            }
            on_selchange_name();
        }
    }
    update_buttons();
}

void MDB_TIME_GROUPS_DLG::on_click_delete_all() {
    MSG_YN* confirm = MSG_MDB::YN::CONFIRM_DELETE_ALL_ASSIGNMENT_GROUPS();
    int answer = confirm->show();
    delete confirm;
    if (answer != MSG_ANSWER_YES) {
        return;
    }
    QComboBox* combo = m_form->name_combo_box;
    MSG_YN* others = MSG_MDB::YN::DELETE_ASSIGNMENTS_TO_ALL_ASSIGNMENT_GROUPS();
    if (others->show() == MSG_ANSWER_YES) {
        for (int i = 0; i < combo->count(); ++i) {
            m_deleted_groups << combo->itemText(i);
        }
    }
    delete others;
    {
        QSignalBlocker quiet(combo);
        combo->clear();
    }
    enable_everything(false);
    on_selchange_name();
    update_buttons();
}

void MDB_TIME_GROUPS_DLG::add_names(bool exceptions) {
    MDB_TIME_GROUP_ADD_DLG dialog(this);
    if (exceptions) {
        dialog.set_for_exceptions();
    }
    if (dialog.exec() == QDialog::Accepted && m_form->name_combo_box->currentIndex() >= 0 &&
        !dialog.m_text.trimmed().isEmpty()) {
        int which = exceptions ? DATA_EXCEPTIONS : DATA_MEMBERS;
        set_current_list(which, current_list(which) + mdb_tg_split_names(dialog.m_text));
        on_selchange_name();
    }
    update_buttons();
}

void MDB_TIME_GROUPS_DLG::on_click_members_add() {
    add_names(false);
}

void MDB_TIME_GROUPS_DLG::on_click_exceptions_add() {
    add_names(true);
}

void MDB_TIME_GROUPS_DLG::delete_selected(QTableView* view, int which) {
    std::vector<int> rows = selected_rows(view);
    if (m_form->name_combo_box->currentIndex() >= 0 && !rows.empty()) {
        QStringList list = current_list(which);
        auto* model = static_cast<QStandardItemModel*>(view->model());
        for (int row : rows) {
            model->removeRow(row);
            if (row < list.size()) {
                list.removeAt(row);
            }
        }
        set_current_list(which, list);
    }
    update_buttons();
}

void MDB_TIME_GROUPS_DLG::on_click_members_delete() {
    delete_selected(m_form->member_table_view, DATA_MEMBERS);
}

void MDB_TIME_GROUPS_DLG::on_click_exceptions_delete() {
    delete_selected(m_form->exception_table_view, DATA_EXCEPTIONS);
}

void MDB_TIME_GROUPS_DLG::edit_selected(QTableView* view) {
    QModelIndexList selected = view->selectionModel()->selectedIndexes();
    if (!selected.isEmpty()) {
        view->edit(selected.front());
    }
}

void MDB_TIME_GROUPS_DLG::on_click_members_edit() {
    edit_selected(m_form->member_table_view);
    update_buttons();
}

void MDB_TIME_GROUPS_DLG::on_click_exceptions_edit() {
    edit_selected(m_form->exception_table_view);
    update_buttons();
}

void MDB_TIME_GROUPS_DLG::on_validate_edit(QStandardItem* item) {
    if (item == nullptr || m_form->name_combo_box->currentIndex() < 0) {
        return;
    }
    int which = sender() != nullptr && sender()->objectName() == "member_model" ? DATA_MEMBERS
                                                                                : DATA_EXCEPTIONS;
    QStringList list = current_list(which);
    int row = item->row();
    if (row < 0 || row >= list.size()) {
        return;
    }
    if (!item->text().isEmpty()) {
        list[row] = item->text();
        set_current_list(which, list);
    } else {
        item->setText(list[row]); // an emptied cell reverts
    }
    update_buttons();
}

void mdb_dyn_assignment_groups_dlg(QWidget* parent, char const* name) {
    MDB_TIME_GROUPS_DLG dialog(parent, name);
    dialog.exec();
}
