#include "sys/mdb/mdb_assignment_groups_create_dlg.h"

#include "ui_mdb_assignment_groups_create_dlg.h"

#include <QPushButton>

MDB_CREATE_TIME_GROUP_DLG::MDB_CREATE_TIME_GROUP_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_CREATE_TIME_GROUP_DLG>()) {
    m_form->setupUi(this);
    connect(m_form->button_box, &QDialogButtonBox::accepted, this,
            &MDB_CREATE_TIME_GROUP_DLG::accept);
    connect(m_form->button_box, &QDialogButtonBox::rejected, this,
            &MDB_CREATE_TIME_GROUP_DLG::reject);
    connect(m_form->name_text, &QLineEdit::textChanged, this,
            &MDB_CREATE_TIME_GROUP_DLG::on_change_name);
}

MDB_CREATE_TIME_GROUP_DLG::~MDB_CREATE_TIME_GROUP_DLG() = default;

int MDB_CREATE_TIME_GROUP_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_CREATE_TIME_GROUP_DLG::on_init_dialog() {
    if (!m_title.isEmpty()) {
        setWindowTitle(m_title);
    }
    update_name();
}

void MDB_CREATE_TIME_GROUP_DLG::update_name() {
    m_form->name_text->setText(m_name);
    m_form->button_box->button(QDialogButtonBox::Ok)->setEnabled(!m_name.isEmpty());
}

void MDB_CREATE_TIME_GROUP_DLG::on_change_name() {
    m_name = m_form->name_text->text();
    m_form->button_box->button(QDialogButtonBox::Ok)->setEnabled(!m_name.isEmpty());
}
