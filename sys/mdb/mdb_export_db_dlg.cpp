#include "sys/mdb/mdb_export_db_dlg.h"

#include "suite/gui/afcq_browse.h"
#include "sys/mdb/mdb.h"

#include <QPushButton>

#include <new>

#include "ui_mdb_export_db_dlg.h"

MDB_EXPORT_DB_DLG::MDB_EXPORT_DB_DLG(QString const& directory, QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_EXPORT_DB_DLG) {
    m_form->setupUi(this);
    m_export_db_edit = new (std::nothrow) AFCQ_LINE_EDIT_BROWSE_BUTTON(this);
    if (m_export_db_edit == nullptr) {
        MDB_INTERNAL_ERROR("m_export_db_edit != NULL");
        return;
    }
    m_export_db_edit->setObjectName(QStringLiteral("exportDirEdit"));
    m_export_db_edit->set_file_mode(QFileDialog::Directory);
    m_export_db_edit->set_caption(QStringLiteral("Select Export Directory"));
    m_form->horizontalLayout->addWidget(m_export_db_edit, 1);
    connect(m_form->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_form->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_export_db_edit, &AFCQ_LINE_EDIT_BROWSE_BUTTON::textChanged, this,
            &MDB_EXPORT_DB_DLG::on_exportDirEdit_textChanged);
    m_export_db_edit->setText(directory);
    on_exportDirEdit_textChanged();
    // The user starts in the directory field, not on a button.
    m_export_db_edit->line_edit()->setFocus();
}

MDB_EXPORT_DB_DLG::~MDB_EXPORT_DB_DLG() = default;

void MDB_EXPORT_DB_DLG::on_exportDirEdit_textChanged() {
    m_form->buttonBox->button(QDialogButtonBox::Ok)
        ->setEnabled(m_export_db_edit != nullptr && !m_export_db_edit->text().isEmpty());
}

void MDB_EXPORT_DB_DLG::get_export_dir(int result, std::string* out) const {
    if (result == QDialog::Accepted && out != nullptr && m_export_db_edit != nullptr) {
        *out = m_export_db_edit->text().toLocal8Bit().toStdString();
    }
}

void mdb_dyn_export_db_dlg(QWidget* parent, std::string const& directory, std::string* result) {
    MDB_EXPORT_DB_DLG dialog(QString::fromLocal8Bit(directory.c_str()), parent);
    dialog.get_export_dir(dialog.exec(), result);
}
