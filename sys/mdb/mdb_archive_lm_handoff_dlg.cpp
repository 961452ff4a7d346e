#include "sys/mdb/mdb_archive_lm_handoff_dlg.h"

#include "acf_manager.h"
#include "suite/fileio/fio.h"
#include "suite/gui/afcq_browse.h"
#include "suite/messages/msg.h"
#include "sys/mdb/mdb.h"

#include "ui_mdb_archive_lm_handoff_dlg.h"

#include <QDir>
#include <QPushButton>

namespace {
QString project_name() {
    char const* name = ACF_MANAGER::get_acf_manager()->get_project_name();
    return QString::fromLocal8Bit(name != nullptr ? name : "");
}
} // namespace

MDB_ARCHIVE_LM_HANDOFF_DLG::MDB_ARCHIVE_LM_HANDOFF_DLG(std::string file_name, QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_ARCHIVE_LM_HANDOFF_DLG) {
    set_up(file_name.empty() ? project_name() + "_handoff.tsa"
                             : QString::fromLocal8Bit(file_name.c_str()));
}

MDB_ARCHIVE_LM_HANDOFF_DLG::MDB_ARCHIVE_LM_HANDOFF_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_ARCHIVE_LM_HANDOFF_DLG) {
    set_up(project_name() + "_lumiform_ii_handoff.tsa");
}

MDB_ARCHIVE_LM_HANDOFF_DLG::~MDB_ARCHIVE_LM_HANDOFF_DLG() = default;

void MDB_ARCHIVE_LM_HANDOFF_DLG::set_up(QString const& name) {
    m_form->setupUi(this);
    connect(m_form->m_button_box, &QDialogButtonBox::accepted, this,
            &MDB_ARCHIVE_LM_HANDOFF_DLG::on_ok);
    connect(m_form->m_button_box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_form->m_file_browse, &QPushButton::clicked, this,
            &MDB_ARCHIVE_LM_HANDOFF_DLG::on_file_browse);
    connect(m_form->m_encryp_pwd, &QLineEdit::textChanged, this,
            &MDB_ARCHIVE_LM_HANDOFF_DLG::on_change_password);
    m_file_name = name;
    m_form->m_handoff_name->setText(name);
    m_form->m_inc_design_file->setChecked(m_include_design_files);
}

int MDB_ARCHIVE_LM_HANDOFF_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_ARCHIVE_LM_HANDOFF_DLG::on_init_dialog() {
    if (!m_itar_customer) {
        m_form->m_encryp_pwd_label->setVisible(false);
        m_form->m_encryp_pwd->setVisible(false);
    } else {
        m_form->m_button_box->button(QDialogButtonBox::Ok)->setEnabled(false);
    }
}

void MDB_ARCHIVE_LM_HANDOFF_DLG::on_change_password() {
    m_form->m_button_box->button(QDialogButtonBox::Ok)
        ->setEnabled(!m_form->m_encryp_pwd->text().isEmpty());
}

void MDB_ARCHIVE_LM_HANDOFF_DLG::on_file_browse() {
    AFCQ_NATIVE_FILE_DLG dialog(this, "Open", QDir::currentPath(),
                                afcq_create_filter("Archive Files", {FIO_FILE_TYPE_ARCHIVE}));
    dialog.set_file_mode(QFileDialog::AnyFile);
    if (dialog.exec() != 1 || dialog.selected_files().isEmpty()) {
        return;
    }
    std::string path =
        FIO_PATH(dialog.selected_files().front().toLocal8Bit().toStdString()).full_path();
    std::string extension =
        FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_ARCHIVE);
    if (FIO_PATH(path).extension() != extension) {
        path += extension;
    }
    m_file_name = QString::fromLocal8Bit(path.c_str());
    m_form->m_handoff_name->setText(m_file_name);
}

void MDB_ARCHIVE_LM_HANDOFF_DLG::on_ok() {
    m_password = m_form->m_encryp_pwd->text();
    m_include_design_files = m_form->m_inc_design_file->isChecked();
    m_file_name = m_form->m_handoff_name->text();
    QDialog::accept();
}

bool mdb_dyn_get_archive_password(QWidget* parent, std::string* file_name, std::string* password,
                                  bool* include_design_files, bool itar_customer) {
    if (password == nullptr) {
        MDB_INTERNAL_ERROR("password != NULL");
        return false;
    }
    MDB_ARCHIVE_LM_HANDOFF_DLG dialog(file_name != nullptr ? *file_name : std::string(), parent);
    dialog.set_itar_customer(itar_customer);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    if (file_name != nullptr) {
        *file_name = dialog.file_name().toLocal8Bit().toStdString();
    }
    *password = dialog.password().toLocal8Bit().toStdString();
    if (include_design_files != nullptr) {
        *include_design_files = dialog.include_design_files();
    }
    return true;
}
