#include "sys/mdb/mdb_select_family_dlg.h"

#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_name_list.h"

#include <QStandardItemModel>

#include <new>

#include "ui_mdb_select_family_dlg.h"

MDB_SELECT_FAMILY_DLG::MDB_SELECT_FAMILY_DLG(std::vector<DEV_FAMILY_ENUM> const& families,
                                             QString const& family, QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_SELECT_FAMILY_DLG) {
    m_form->setupUi(this);
    m_form->label->setText(m_form->label->text().arg(family));
    m_model = new (std::nothrow) QStandardItemModel(this);
    if (m_model == nullptr) {
        MDB_INTERNAL_ERROR("out of memory");
        return;
    }
    QStringList names;
    for (DEV_FAMILY_ENUM value : families) {
        names << QString::fromLocal8Bit(dstr_get_user_string(value));
    }
    mdb_fill_name_list(m_model, names);
    m_form->listView->setModel(m_model);
    if (m_model->rowCount() > 0) {
        m_form->listView->setCurrentIndex(m_model->index(0, 0));
    }
    AFCQ_WAIT_CURSOR::end();
}

MDB_SELECT_FAMILY_DLG::~MDB_SELECT_FAMILY_DLG() = default;

std::string MDB_SELECT_FAMILY_DLG::get_selected_family() const {
    QModelIndex current = m_form->listView->currentIndex();
    if (!current.isValid()) {
        return "";
    }
    return current.data().toString().toLocal8Bit().toStdString();
}

bool MDB_SELECT_FAMILY_DLG::get_remove_locations() const {
    return m_form->checkBox->isChecked();
}
