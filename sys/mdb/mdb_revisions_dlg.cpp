#include "sys/mdb/mdb_revisions_dlg.h"

#include "acf_manager.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_cell_tips.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_revisions_compare_dlg.h"
#include "sys/mdb/mdb_revisions_engine.h"
#include "sys/mdb/mdb_revisions_new_dlg.h"
#include "sys/mdb/mdb_revisions_tree.h"

#include "ui_mdb_revisions_dlg.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

QString const new_revision_row_text = QStringLiteral("<<new revision>>");
// The table's name in the user preferences (its hidden columns).
QString const table_name = QStringLiteral("Revisions");

std::string active_revision() {
    char const* name = ACF_MANAGER::get_acf_manager()->get_active_revision_name();
    return name != nullptr ? name : "";
}

QStandardItem* fixed_item(std::string const& text) {
    auto* item = new QStandardItem(QString::fromLocal8Bit(text.c_str()));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

} // namespace

MDB_REVISIONS_DLG::MDB_REVISIONS_DLG(QWidget* parent, Qt::WindowFlags flags)
    : AFCQ_DIALOG(parent, flags) {
    setFocusPolicy(Qt::StrongFocus);
    m_current_revision = active_revision();
    m_marked_revision = m_current_revision;

    Ui_MDB_REVISIONS_DLG form;
    form.setupUi(this);
    setWindowIcon(afcq_get_icon(AFCQ_ICON_REVISIONS));
    m_current_button = form.m_current_button;
    m_delete_button = form.m_delete_button;
    m_compare_button = form.m_compare_button;
    m_button_box = form.buttonBox;

    m_tree_model = new MDB_REV_TREE_MODEL(this);
    m_rev_tree = new MDB_REV_TREE_VIEW(this);
    m_rev_tree->setMinimumSize(860, 180);
    form.horizontalLayout->insertWidget(0, m_rev_tree);
    new MDB_CELL_TIPS(m_rev_tree);
    // The table comes first in the Tab order and has the focus at opening.
    setTabOrder(m_rev_tree, m_current_button);
    setTabOrder(m_current_button, m_delete_button);
    setTabOrder(m_delete_button, m_compare_button);
    m_rev_tree->setFocus();
    initial_tree_column();
    m_rev_tree->setModel(m_tree_model);
    insert_create_new_row();
    m_rev_tree->load_column_visibility(table_name);

    m_current_button->setEnabled(false);
    m_delete_button->setEnabled(false);
    enable_apply_button(false);
    // Enter in the table means OK. A button is the default only while it has
    // the focus: OK is the dialog's own default from the start, so that no
    // button the focus passed over (Set Current and Delete turning off hand
    // it on) is left the default.
    m_button_box->button(QDialogButtonBox::Ok)->setDefault(true);

    connect(m_button_box, &QDialogButtonBox::accepted, this, &MDB_REVISIONS_DLG::accept);
    connect(m_button_box, &QDialogButtonBox::rejected, this, &MDB_REVISIONS_DLG::reject);
    connect(m_current_button, &QPushButton::clicked, this,
            &MDB_REVISIONS_DLG::current_button_clicked);
    connect(m_delete_button, &QPushButton::clicked, this,
            &MDB_REVISIONS_DLG::delete_button_clicked);
    connect(m_compare_button, &QPushButton::clicked, this,
            &MDB_REVISIONS_DLG::compare_button_clicked);
    // The buttons act on the row the view holds current, however it got
    // there (click, arrows, Home/End).
    connect(m_rev_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MDB_REVISIONS_DLG::rev_tree_clicked);
    m_rev_tree->installEventFilter(this);
    connect(m_rev_tree, &QTreeView::doubleClicked, this,
            &MDB_REVISIONS_DLG::create_new_rev_clicked);
    connect(m_rev_tree->header(), &QHeaderView::sectionResized, this,
            &MDB_REVISIONS_DLG::column_resized);
    connect(m_button_box->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &MDB_REVISIONS_DLG::apply_button_clicked);
}

MDB_REVISIONS_DLG::~MDB_REVISIONS_DLG() = default;

void MDB_REVISIONS_DLG::initial_tree_column() {
    m_tree_model->setColumnCount(7);
    QStringList headers;
    for (std::string const& name : REV_TBL_COLUMN_NAMES) {
        headers << QString::fromStdString(name);
    }
    m_tree_model->setHorizontalHeaderLabels(headers);
}

void MDB_REVISIONS_DLG::insert_create_new_row() {
    QList<QStandardItem*> items;
    items << fixed_item(new_revision_row_text.toStdString());
    for (int column = TOP_LEVEL_ENTITY_COL; column <= DESC_COL; ++column) {
        items << fixed_item("");
    }
    m_tree_model->appendRow(items);
}

bool MDB_REVISIONS_DLG::event(QEvent* event) {
    std::string active = active_revision();
    bool handled = AFCQ_DIALOG::event(event);
    switch (event->type()) {
    case QEvent::Show:
        reload();
        break;
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
        if (active != m_current_revision) {
            reload();
        }
        break;
    default:
        break;
    }
    return handled;
}

void MDB_REVISIONS_DLG::reload() {
    m_rev_tree->commit_open_editor();
    m_tree_model->removeRows(0, m_tree_model->rowCount() - 1);
    m_button_box->button(QDialogButtonBox::Cancel)->setEnabled(true);
    load_revision_list();
}

void MDB_REVISIONS_DLG::load_revision_list() {
    std::string active = active_revision();
    // A mark that waits for Apply stays on its revision.
    std::string marked = m_changed ? m_marked_revision : active;
    m_current_row = -1;
    std::vector<MDB_REVISION_ROW> rows = mdb_load_revision_rows();
    for (MDB_REVISION_ROW const& row : rows) {
        add_row(row);
        if (row.name == marked) {
            m_current_row = m_tree_model->rowCount() - 2;
        }
    }
    // Once all rows are in: fitting a column to its contents lays out every
    // row. The names too: wrapped at the default width the last row would
    // read "<<new ...".
    if (!rows.empty()) {
        // A long name is elided, whole in its tooltip.
        mdb_fit_column_capped(m_rev_tree, REVISION_NAME_COL);
        for (int column : {TOP_LEVEL_ENTITY_COL, FAMILY_COL, DEVICE_COL, DESC_COL}) {
            m_rev_tree->resizeColumnToContents(column);
        }
        DESC_COLUMN_WIDTH = m_rev_tree->columnWidth(DESC_COL);
    }
    if (m_current_row >= 0) {
        m_rev_tree->setCurrentIndex(m_tree_model->get_index(m_current_row));
        set_marker(m_current_row, true);
    }
    update_control();
    m_current_revision = active;
}

QSize MDB_REVISIONS_DLG::description_size_hint(QString const& text) {
    int breaks = static_cast<int>(text.count(QLatin1Char('\n')));
    if (breaks == 0) {
        return QSize();
    }
    int length = static_cast<int>(text.size());
    return QSize(500, 18 * (breaks + std::abs((length - 80 * (breaks + 1)) / 80) + 2));
}

void MDB_REVISIONS_DLG::add_row(MDB_REVISION_ROW const& row) {
    int at = m_tree_model->rowCount() - 1;
    m_tree_model->insertRow(at, fixed_item(row.name));
    std::string const* values[] = {&row.top_level_entity, &row.family, &row.device, &row.met_timing,
                                   &row.timing_model};
    for (int column = TOP_LEVEL_ENTITY_COL; column <= TIMING_MODEL_COL; ++column) {
        m_tree_model->setItem(at, column, fixed_item(*values[column - TOP_LEVEL_ENTITY_COL]));
    }
    QString description = QString::fromLocal8Bit(row.description.c_str());
    auto* item = new QStandardItem(description);
    QSize hint = description_size_hint(description);
    if (hint.isValid()) {
        item->setSizeHint(hint);
    }
    m_tree_model->setItem(at, DESC_COL, item);
}

void MDB_REVISIONS_DLG::set_marker(int row, bool marked) {
    if (QStandardItem* item = m_tree_model->get_item(row, REVISION_NAME_COL)) {
        item->setIcon(marked ? afcq_get_icon(AFCQ_ICON_CURRENT_REVISION) : QIcon());
    }
}

int MDB_REVISIONS_DLG::selected_row() const {
    return m_rev_tree->currentIndex().row();
}

void MDB_REVISIONS_DLG::update_control() {
    int selected = selected_row();
    bool enable =
        selected >= 0 && selected != m_current_row && selected != m_tree_model->rowCount() - 1;
    m_current_button->setEnabled(enable);
    m_delete_button->setEnabled(enable);
}

void MDB_REVISIONS_DLG::back_to_table() {
    // Not to the next button, where Enter would press that one.
    m_rev_tree->setFocus(Qt::OtherFocusReason);
}

void MDB_REVISIONS_DLG::enable_apply_button(bool enable) {
    m_button_box->button(QDialogButtonBox::Apply)->setEnabled(enable);
}

void MDB_REVISIONS_DLG::rev_tree_clicked(QModelIndex const&) {
    update_control();
}

bool MDB_REVISIONS_DLG::eventFilter(QObject* watched, QEvent* event) {
    // Enter on "<<new revision>>" creates, as a double-click does, instead of
    // reaching the default button.
    if (watched == m_rev_tree && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        QModelIndex current = m_rev_tree->currentIndex();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && current.isValid() &&
            current.row() == m_tree_model->rowCount() - 1) {
            create_new_rev_clicked(current);
            return true;
        }
    }
    return AFCQ_DIALOG::eventFilter(watched, event);
}

void MDB_REVISIONS_DLG::column_resized(int column, int, int new_size) {
    if (column == DESC_COL) {
        DESC_COLUMN_WIDTH = new_size;
    }
}

void MDB_REVISIONS_DLG::current_button_clicked() {
    int selected = selected_row();
    if (selected < 0 || selected == m_current_row || selected >= m_tree_model->rowCount() - 1) {
        return;
    }
    m_changed = true;
    set_marker(m_current_row, false);
    m_marked_revision =
        m_tree_model->get_item(selected, REVISION_NAME_COL)->text().toLocal8Bit().toStdString();
    m_current_row = selected;
    set_marker(m_current_row, true);
    update_control();
    enable_apply_button(true);
    back_to_table();
}

void MDB_REVISIONS_DLG::delete_button_clicked() {
    int selected = selected_row();
    if (selected < 0 || selected >= m_tree_model->rowCount() - 1) {
        return;
    }
    std::string name =
        m_tree_model->get_item(selected, REVISION_NAME_COL)->text().toLocal8Bit().toStdString();
    std::unique_ptr<MSG_YN> question(MSG_MDB::YN::CONFIRM_DELETE_REVISION(name.c_str()));
    back_to_table();
    if (question->show() != MSG_ANSWER_YES) {
        return;
    }
    // The active revision goes only once the one marked current took its place.
    bool switched = false;
    if (name == active_revision() && m_changed && m_marked_revision != name) {
        if (mdb_make_revision_active(m_marked_revision) != ACF_REVISION_MANAGER::SUCCESS) {
            return;
        }
        switched = true;
        m_switched = true;
        m_current_revision = m_marked_revision;
        m_button_box->button(QDialogButtonBox::Cancel)->setEnabled(false);
    }
    if (mdb_delete_revision(name) != ACF_REVISION_MANAGER::SUCCESS) {
        update_control();
        return;
    }
    m_tree_model->removeRow(selected);
    if (m_current_row > selected) {
        --m_current_row;
    }
    // Nothing stays selected, unless the row that became active.
    if (switched) {
        m_rev_tree->setCurrentIndex(m_tree_model->get_index(m_current_row));
    } else {
        m_rev_tree->selectionModel()->clearSelection();
        m_rev_tree->selectionModel()->clearCurrentIndex();
    }
    update_control();
}

bool MDB_REVISIONS_DLG::change_revision() {
    if (!m_changed) {
        return true;
    }
    if (mdb_make_revision_active(m_marked_revision) != ACF_REVISION_MANAGER::SUCCESS) {
        return false;
    }
    m_current_revision = m_marked_revision;
    m_switched = false;
    mdb_tell_host_active_revision();
    enable_apply_button(false);
    return true;
}

void MDB_REVISIONS_DLG::tell_host_if_switched() {
    if (m_switched) {
        m_switched = false;
        mdb_tell_host_active_revision();
    }
}

void MDB_REVISIONS_DLG::accept() {
    m_rev_tree->commit_open_editor();
    if (!change_revision()) {
        return;
    }
    tell_host_if_switched();
    QDialog::accept();
}

void MDB_REVISIONS_DLG::reject() {
    m_rev_tree->commit_open_editor();
    enable_apply_button(false);
    tell_host_if_switched();
    QDialog::reject();
}

void MDB_REVISIONS_DLG::apply_button_clicked() {
    back_to_table();
    if (!change_revision()) {
        return;
    }
    m_changed = false;
    reload();
    enable_apply_button(false);
    m_button_box->button(QDialogButtonBox::Cancel)->setEnabled(true);
}

void MDB_REVISIONS_DLG::compare_button_clicked() {
    back_to_table();
    MDB_COMPARE_REVISIONS_DLG dialog(this);
    dialog.exec();
}

void MDB_REVISIONS_DLG::create_new_rev_clicked(QModelIndex const& index) {
    if (index.isValid() && index.row() == m_tree_model->rowCount() - 1) {
        create_button_clicked();
    }
}

void MDB_REVISIONS_DLG::create_button_clicked() {
    back_to_table();
    MDB_NEW_REVISIONS_DLG dialog(m_current_revision, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    AFCQ_WAIT_CURSOR wait;
    std::string name = dialog.new_revision_name();
    MDB_NEW_REVISION request;
    request.name = name;
    request.base = dialog.base_revision();
    request.description = dialog.description();
    request.copy_database = dialog.copy_database();
    if (mdb_create_revision(request) != ACF_REVISION_MANAGER::SUCCESS) {
        return;
    }
    if (dialog.set_as_current() &&
        mdb_make_revision_active(name) == ACF_REVISION_MANAGER::SUCCESS) {
        set_marker(m_current_row, false);
        m_marked_revision = name;
        m_changed = true;
        m_switched = true;
        enable_apply_button(true);
    }
    reload();
}

MDB_REVISIONS_DLG* mdb_dyn_get_revisions_dlg() {
    return new MDB_REVISIONS_DLG(nullptr, Qt::Window);
}
