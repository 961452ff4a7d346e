#include "sys/mdb/mdb_import_exp_advance_dlg.h"

#include "ui_mdb_import_exp_advance_dlg.h"

#include <QPushButton>

MDB_IMPORT_EXP_ADVANCE_DLG::MDB_IMPORT_EXP_ADVANCE_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_IMPORT_EXP_ADVANCE_DLG>()) {
    m_form->setupUi(this);
    connect(m_form->button_box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_form->button_box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_form->name_text, &QLineEdit::textChanged, this,
            &MDB_IMPORT_EXP_ADVANCE_DLG::on_en_change_name);
}

MDB_IMPORT_EXP_ADVANCE_DLG::~MDB_IMPORT_EXP_ADVANCE_DLG() = default;

int MDB_IMPORT_EXP_ADVANCE_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_IMPORT_EXP_ADVANCE_DLG::on_init_dialog() {
    m_form->name_text->setText(QString::fromLocal8Bit(m_name.c_str()));
    on_update_instance_name();
}

void MDB_IMPORT_EXP_ADVANCE_DLG::on_en_change_name() {
    m_name = m_form->name_text->text().toLocal8Bit().toStdString();
    on_update_instance_name();
}

void MDB_IMPORT_EXP_ADVANCE_DLG::on_update_instance_name() {
    m_form->button_box->button(QDialogButtonBox::Ok)->setEnabled(!m_name.empty());
}
