#include "sys/mdb/mdb_ras_remove_dialog.h"

#include "acf_manager.h"
#include "suite/general/gen.h"
#include "suite/hierdb/hdb.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"
#include "ui_mdb_ras_remove_dialog.h"

#include <QPushButton>
#include <QStandardItemModel>

namespace {
// Rows of the category list: "All", the device row, the pin row, then one row
// per file category from 2 on (the row's category is its number less one).
constexpr int ALL_ROW = 0;
constexpr int DEVICE_ROW = 1;
constexpr int FIRST_CATEGORY_ROW = 3;
constexpr int LAST_ROW = MDB_RAS_SELECTION_SIZE - 1;

ACF_FILE_CATEGORY_ENUM category_of_row(int row) {
    return static_cast<ACF_FILE_CATEGORY_ENUM>(row - 1);
}
} // namespace

MDB_RAS_REMOVE_DIALOG::MDB_RAS_REMOVE_DIALOG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_RAS_REMOVE_DIALOG>()) {
    m_form->setupUi(this);
    m_category_model = new QStandardItemModel(this);
    m_form->category_listview->setModel(m_category_model);
    std::fill(std::begin(m_selection), std::end(m_selection), ACF_FILE_CATEGORY_NONE);
    connect(m_form->buttonBox, &QDialogButtonBox::accepted, this, &MDB_RAS_REMOVE_DIALOG::on_ok);
    connect(m_form->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A box changes by a click, by Space or by "All": follow the model, not the clicks.
    connect(m_category_model, &QStandardItemModel::itemChanged, this,
            [this](QStandardItem* item) { on_sel_change_categories(item->index()); });
    connect(m_form->obsolete_ck, &QCheckBox::clicked, this, &MDB_RAS_REMOVE_DIALOG::on_obsolete);
    connect(m_form->global_ck, &QCheckBox::clicked, this, &MDB_RAS_REMOVE_DIALOG::on_click_type_ck);
    connect(m_form->instance_ck, &QCheckBox::clicked, this,
            &MDB_RAS_REMOVE_DIALOG::on_click_type_ck);
}

MDB_RAS_REMOVE_DIALOG::~MDB_RAS_REMOVE_DIALOG() = default;

int MDB_RAS_REMOVE_DIALOG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_RAS_REMOVE_DIALOG::on_init_dialog() {
    m_category_model->clear();
    std::fill(std::begin(m_selection), std::end(m_selection), ACF_FILE_CATEGORY_NONE);
    m_all = false;
    insert_item("All");
    insert_item("Device Assignments");
    insert_item("Pin, Location & Routing Assignments");
    for (int row = FIRST_CATEGORY_ROW; row <= LAST_ROW; ++row) {
        insert_item(QString::fromLocal8Bit(ACF_MANAGER::get_file_category_info(
            category_of_row(row), FILE_CATEGORY_INFO_DISPLAY_TEXT)));
    }
    char const* revision = ACF_MANAGER::get_acf_manager()->get_active_revision_name();
    m_form->obsolete_ck->setEnabled(
        get_last_compilation_successful(revision != nullptr ? revision : ""));
    m_form->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
}

void MDB_RAS_REMOVE_DIALOG::insert_item(QString const& text) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    item->setCheckable(true);
    item->setCheckState(Qt::Unchecked);
    m_category_model->appendRow(item);
}

bool MDB_RAS_REMOVE_DIALOG::get_last_compilation_successful(std::string const& revision) {
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap =
        HDB_CMP_ACTION_PT_INSTANCE::read_pdb(gen_get_db_dir_full_name(), revision, 0, true);
    return cap != nullptr && cap->get_last_compilation_successful();
}

bool MDB_RAS_REMOVE_DIALOG::check_ok_button_status() const {
    if (m_form->obsolete_ck->isChecked()) {
        return true;
    }
    bool any_row =
        std::any_of(std::begin(m_selection) + 1, std::end(m_selection),
                    [](ACF_FILE_CATEGORY_ENUM c) { return c != ACF_FILE_CATEGORY_NONE; });
    return any_row && (m_remove_global || m_remove_instance);
}

void MDB_RAS_REMOVE_DIALOG::update_ok_button() {
    m_form->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(check_ok_button_status());
}

void MDB_RAS_REMOVE_DIALOG::set_row_checked(int row, bool checked) {
    m_category_model->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void MDB_RAS_REMOVE_DIALOG::on_sel_change_categories(QModelIndex const& index) {
    QStandardItem* item = m_category_model->itemFromIndex(index);
    if (item == nullptr || m_syncing_rows) {
        return;
    }
    // The boxes are the truth, however they were ticked (mouse, Space, "All"):
    // "All" sets every row; a row sets "All" when every row is ticked.
    m_syncing_rows = true;
    if (item->row() == ALL_ROW) {
        for (int r = ALL_ROW + 1; r <= LAST_ROW; ++r) {
            set_row_checked(r, item->checkState() == Qt::Checked);
        }
    } else {
        bool every_row = true;
        for (int r = ALL_ROW + 1; r <= LAST_ROW; ++r) {
            every_row = every_row && m_category_model->item(r)->checkState() == Qt::Checked;
        }
        set_row_checked(ALL_ROW, every_row);
    }
    m_syncing_rows = false;
    m_all = m_category_model->item(ALL_ROW)->checkState() == Qt::Checked;
    for (int r = ALL_ROW + 1; r <= LAST_ROW; ++r) {
        m_selection[r] = m_category_model->item(r)->checkState() == Qt::Checked
                             ? category_of_row(r)
                             : ACF_FILE_CATEGORY_NONE;
    }
    update_ok_button();
}

void MDB_RAS_REMOVE_DIALOG::on_click_type_ck() {
    m_remove_global = m_form->global_ck->isChecked();
    m_remove_instance = m_form->instance_ck->isChecked();
    update_ok_button();
}

void MDB_RAS_REMOVE_DIALOG::on_obsolete() {
    m_obsolete = m_form->obsolete_ck->isChecked();
    update_ok_button();
}

void MDB_RAS_REMOVE_DIALOG::on_ok() {
    if (m_selection[DEVICE_ROW] != ACF_FILE_CATEGORY_NONE && !m_all) {
        MSG_YN* question = MSG_MDB::YN::DEVICE_REMOVAL_WARNING();
        int answer = question->show();
        delete question;
        if (answer != MSG_ANSWER_YES) {
            return;
        }
    }
    accept();
}

void MDB_RAS_REMOVE_DIALOG::run_remove() {
    AFCQ_WAIT_CURSOR wait;
    MDB_RAS_ENGINE engine;
    engine.remove_assignment_one_file_mode(m_selection, m_remove_global, m_remove_instance);
    if (m_obsolete) {
        engine.remove_obsolete_assignmnet_one_file_mode();
    }
}

void mdb_ras_dyn_remove_assignment(QWidget* parent) {
    MDB_RAS_REMOVE_DIALOG dialog(parent);
    if (dialog.exec() == QDialog::Accepted) {
        dialog.run_remove();
    }
}
