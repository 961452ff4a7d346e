#include "sys/mdb/mdb_archive_advanced_dlg.h"

#include "suite/archive/afm.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/messages/msg.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"

#include "ui_mdb_archive_advanced_dlg.h"

#include <QDir>

#include <algorithm>

char const* const MDB_ARCHIVE_FILE_LIST_NAME = "arc_file_list_temp.tmp.txt";

namespace {
char const* const M_DEFAULT_SIZE_BYTE_UNIT = " byte";
char const* const M_DEFAULT_SIZE_KB_UNIT = " KB";
char const* const CUSTOM_TEXT = "Custom";

QString qlocal(std::string const& text) {
    return QString::fromLocal8Bit(text.c_str());
}

// A file counts at least 1024 bytes.
uint64_t counted_size(std::string const& path) {
    FIO_FILE_STATUS status;
    uint64_t size = FIO_FILE_SYSTEM::get_status(FIO_PATH(path), &status)
                        ? static_cast<uint64_t>(status.size)
                        : 0;
    return std::max<uint64_t>(size, 1024);
}
} // namespace

std::vector<MDB_ARCHIVE_SUBSET_RECORD> mdb_archive_subset_records() {
    std::vector<MDB_ARCHIVE_SUBSET_RECORD> records;
    for (AFM_FILE_SUBSET const* subset : AFM_ARCHIVE_MANAGER::get_instance()->get_file_subsets()) {
        records.push_back({subset->get_id(), subset->get_ui_name(), subset->get_description()});
    }
    return records;
}

MDB_ADVANCED_ARCHIVE_DLG::MDB_ADVANCED_ARCHIVE_DLG(QWidget* parent, QString)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_ADVANCED_ARCHIVE_DLG),
      m_file_list_model(new AWVQ_FILE_LIST_MODEL(this)),
      m_subset_records(mdb_archive_subset_records()) {
    m_form->setupUi(this);
    m_file_list_model->setHorizontalHeaderLabels({"Name", "Size (KB)"});
    m_form->m_file_list_view->setModel(m_file_list_model);
    m_form->m_file_list_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_form->m_file_list_view->setRootIsDecorated(false);

    m_changing = true;
    int selected = 0;
    for (AFM_FILE_SET const* set : AFM_ARCHIVE_MANAGER::get_instance()->get_file_sets()) {
        QString text = QString::fromLocal8Bit(set->get_ui_name());
        if (m_form->m_file_set_combo->findText(text, Qt::MatchExactly) >= 0) {
            continue;
        }
        m_form->m_file_set_combo->addItem(text);
        if (set->is_default()) {
            selected = m_form->m_file_set_combo->count() - 1;
        }
    }
    m_form->m_file_set_combo->setCurrentIndex(selected);
    for (MDB_ARCHIVE_SUBSET_RECORD const& record : m_subset_records) {
        auto* item = new QListWidgetItem(qlocal(record.ui_name), m_form->m_subset_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_changing = false;
    file_set_change();

    connect(m_form->m_cancel_button, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_form->m_ok_button, &QPushButton::clicked, this, &MDB_ADVANCED_ARCHIVE_DLG::accept);
    connect(m_form->m_add_button, &QPushButton::clicked, this,
            &MDB_ADVANCED_ARCHIVE_DLG::add_button);
    connect(m_form->m_remove_button, &QPushButton::clicked, this,
            &MDB_ADVANCED_ARCHIVE_DLG::remove_button);
    connect(m_form->m_file_set_combo, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MDB_ADVANCED_ARCHIVE_DLG::file_set_change);
    connect(m_form->m_subset_list, &QListWidget::currentRowChanged, this,
            &MDB_ADVANCED_ARCHIVE_DLG::sub_file_list_change);
    connect(m_form->m_subset_list, &QListWidget::itemChanged, this,
            &MDB_ADVANCED_ARCHIVE_DLG::sub_file_list_check_change);
    connect(m_form->m_file_list_view->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, &MDB_ADVANCED_ARCHIVE_DLG::file_list_selection_change);
    m_form->m_subset_list->setCurrentRow(0);
    sub_file_list_change();
    m_form->m_remove_button->setEnabled(false);
}

MDB_ADVANCED_ARCHIVE_DLG::~MDB_ADVANCED_ARCHIVE_DLG() = default;

void MDB_ADVANCED_ARCHIVE_DLG::clear_list() {
    m_file_list_model->removeRows(0, m_file_list_model->rowCount());
    m_counted.clear();
    m_total_bytes = 0;
}

void MDB_ADVANCED_ARCHIVE_DLG::add_to_file_list(std::string const& path) {
    if (!m_file_list_model->findItems(qlocal(path)).isEmpty()) {
        return;
    }
    uint64_t size = counted_size(path);
    m_file_list_model->appendRow(
        {new QStandardItem(qlocal(path)), new QStandardItem(QString::number(size / 1024))});
    m_counted[path] = size;
    m_total_bytes += size;
}

void MDB_ADVANCED_ARCHIVE_DLG::add_subset_files(MDB_ARCHIVE_SUBSET_RECORD const& record,
                                                bool* missing) {
    AFM_PROJECT project;
    std::vector<std::string> files;
    AFM_FILE_SUBSET const* subset =
        AFM_ARCHIVE_MANAGER::get_instance()->get_file_subset(record.name.c_str());
    if (subset == nullptr || !afm_get_current_project(&project) ||
        !subset->get_files_to_archive(project, &files)) {
        mdb_msg_debug("failed to get file the subset get is id %s, ui name %s", record.name.c_str(),
                      record.ui_name.c_str());
        *missing = true;
        return;
    }
    mdb_msg_debug("the subset get is id %s, ui name %s", record.name.c_str(),
                  record.ui_name.c_str());
    for (std::string const& file : files) {
        add_to_file_list(file);
    }
}

void MDB_ADVANCED_ARCHIVE_DLG::set_checks(std::vector<bool> const& ticks) {
    m_changing = true;
    for (size_t i = 0; i < ticks.size(); ++i) {
        m_form->m_subset_list->item(static_cast<int>(i))
            ->setCheckState(ticks[i] ? Qt::Checked : Qt::Unchecked);
    }
    m_changing = false;
}

void MDB_ADVANCED_ARCHIVE_DLG::become_custom() {
    if (m_custom_file_set) {
        return;
    }
    m_custom_file_set = true;
    m_custom_seeded = true;
    m_file_set_id = AFM_CUSTOM_FILE_SET_ID;
    for (MDB_ARCHIVE_SUBSET_RECORD& record : m_subset_records) {
        record.in_custom_set = record.in_default_set;
    }
    m_changing = true;
    m_form->m_file_set_combo->setCurrentIndex(
        m_form->m_file_set_combo->findText(CUSTOM_TEXT, Qt::MatchExactly));
    m_changing = false;
}

void MDB_ADVANCED_ARCHIVE_DLG::file_set_change() {
    if (m_changing) {
        resize_column_to_content();
        return;
    }
    AFCQ_WAIT_CURSOR wait;
    clear_list();
    QString text = m_form->m_file_set_combo->currentText();
    std::vector<bool> ticks;
    if (text.compare(CUSTOM_TEXT, Qt::CaseInsensitive) == 0) {
        m_custom_file_set = true;
        m_file_set_id = AFM_CUSTOM_FILE_SET_ID;
        for (MDB_ARCHIVE_SUBSET_RECORD& record : m_subset_records) {
            if (!m_custom_seeded) {
                record.in_custom_set = record.in_default_set;
            }
            bool missing = false;
            if (record.in_custom_set) {
                add_subset_files(record, &missing);
            }
            ticks.push_back(record.in_custom_set);
        }
        m_custom_seeded = true;
    } else {
        m_custom_file_set = false;
        m_file_set_id.clear();
        for (MDB_ARCHIVE_SUBSET_RECORD& record : m_subset_records) {
            record.in_default_set = false;
        }
        for (AFM_FILE_SET const* set : AFM_ARCHIVE_MANAGER::get_instance()->get_file_sets()) {
            if (text.compare(QString::fromLocal8Bit(set->get_ui_name()), Qt::CaseInsensitive) !=
                0) {
                continue;
            }
            m_file_set_id = set->get_id();
            for (AFM_FILE_SUBSET const* subset : set->get_file_subsets()) {
                for (MDB_ARCHIVE_SUBSET_RECORD& record : m_subset_records) {
                    if (subset != nullptr &&
                        QString::fromStdString(record.name)
                                .compare(subset->get_id(), Qt::CaseInsensitive) == 0) {
                        bool missing = false;
                        add_subset_files(record, &missing);
                        record.in_default_set = true;
                        break;
                    }
                }
            }
            break;
        }
        for (MDB_ARCHIVE_SUBSET_RECORD const& record : m_subset_records) {
            ticks.push_back(record.in_default_set);
        }
    }
    set_checks(ticks);
    m_added_files.clear();
    update_total_file();
    update_total_file_size();
    resize_column_to_content();
}

void MDB_ADVANCED_ARCHIVE_DLG::sub_file_list_change() {
    int row = m_form->m_subset_list->currentRow();
    m_form->m_description_edit->setPlainText(
        row >= 0 && row < static_cast<int>(m_subset_records.size())
            ? qlocal(m_subset_records[static_cast<size_t>(row)].description)
            : QString());
}

void MDB_ADVANCED_ARCHIVE_DLG::sub_file_list_check_change() {
    m_export_database = false;
    if (m_changing) {
        resize_column_to_content();
        return;
    }
    for (size_t i = 0; i < m_subset_records.size(); ++i) {
        m_subset_records[i].in_custom_set =
            m_form->m_subset_list->item(static_cast<int>(i))->checkState() == Qt::Checked;
    }
    std::vector<bool> kept;
    for (MDB_ARCHIVE_SUBSET_RECORD const& record : m_subset_records) {
        kept.push_back(record.in_custom_set);
    }
    become_custom();
    for (size_t i = 0; i < kept.size(); ++i) {
        m_subset_records[i].in_custom_set = kept[i]; // the user's ticks, not the seed
    }
    AFCQ_WAIT_CURSOR wait;
    clear_list();
    for (MDB_ARCHIVE_SUBSET_RECORD const& record : m_subset_records) {
        if (record.in_custom_set) {
            bool missing = false;
            add_subset_files(record, &missing);
            if (missing &&
                QString::fromStdString(record.ui_name)
                        .compare("Version compatible database files", Qt::CaseInsensitive) == 0) {
                m_export_database = true;
            }
        }
        for (std::string const& file : m_added_files) {
            add_to_file_list(file);
        }
    }
    update_total_file();
    update_total_file_size();
    resize_column_to_content();
}

void MDB_ADVANCED_ARCHIVE_DLG::file_list_selection_change(QItemSelection const&,
                                                          QItemSelection const&) {
    m_form->m_remove_button->setEnabled(m_form->m_file_list_view->selectionModel()->hasSelection());
}

void MDB_ADVANCED_ARCHIVE_DLG::add_button() {
    AFCQ_NATIVE_FILE_DLG dialog(this, "Select File", QDir::currentPath(), tr("All Files (*.*)"));
    dialog.set_file_mode(QFileDialog::ExistingFiles);
    if (dialog.exec() != 1 || dialog.selected_files().isEmpty()) {
        return;
    }
    for (QString const& file : dialog.selected_files()) {
        std::string path = file.toLocal8Bit().toStdString();
        become_custom();
        add_to_file_list(path);
        m_added_files.push_back(path);
    }
    update_total_file();
    update_total_file_size();
    resize_column_to_content();
}

void MDB_ADVANCED_ARCHIVE_DLG::remove_button() {
    QModelIndexList rows = m_form->m_file_list_view->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](QModelIndex const& a, QModelIndex const& b) { return a.row() > b.row(); });
    for (QModelIndex const& row : rows) {
        std::string path =
            m_file_list_model->item(row.row(), 0)->text().toLocal8Bit().toStdString();
        m_file_list_model->removeRow(row.row());
        // The size it was counted with, whatever the file's size now.
        m_total_bytes -= m_counted[path];
        m_counted.erase(path);
        m_added_files.erase(std::remove(m_added_files.begin(), m_added_files.end(), path),
                            m_added_files.end());
    }
    become_custom();
    update_total_file();
    update_total_file_size();
    resize_column_to_content();
}

void MDB_ADVANCED_ARCHIVE_DLG::update_total_file() {
    m_form->m_total_file_label->setText("Total files: " +
                                        QString::number(m_file_list_model->rowCount()));
}

void MDB_ADVANCED_ARCHIVE_DLG::update_total_file_size() {
    m_form->m_total_file_size_label->setText("Total size: " + QString::number(m_total_bytes) +
                                             M_DEFAULT_SIZE_BYTE_UNIT);
    m_form->m_total_file_size_in_kb_label->setText(QString::number(m_total_bytes / 1024) +
                                                   M_DEFAULT_SIZE_KB_UNIT);
}

void MDB_ADVANCED_ARCHIVE_DLG::resize_column_to_content() {
    m_form->m_file_list_view->resizeColumnToContents(0);
    m_form->m_file_list_view->resizeColumnToContents(1);
}

void MDB_ADVANCED_ARCHIVE_DLG::accept() {
    std::string content;
    for (int row = 0; row < m_file_list_model->rowCount(); ++row) {
        content += m_file_list_model->item(row, 0)->text().toLocal8Bit().toStdString() + "\n";
    }
    std::string list = FIO_PATH(gen_get_project_dir_path(), MDB_ARCHIVE_FILE_LIST_NAME).path();
    if (!FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(list), content)) {
        MSG_O* message = MSG_MDB::O::CANT_CREATE_OR_OVERWRITE_FILE(list.c_str());
        message->show();
        delete message;
        return;
    }
    QDialog::accept();
}
