#include "sys/mdb/mdb_select_device_dlg.h"

#include "suite/devicedb/dev.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_family_checks.h"
#include "sys/mdb/mdb_name_list.h"

#include <QStandardItemModel>

#include <new>
#include <vector>

#include "ui_mdb_select_device_dlg.h"

MDB_SELECT_DEVICE_DLG::MDB_SELECT_DEVICE_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_SELECT_DEVICE_DLG) {
    m_form->setupUi(this);
    m_model = new (std::nothrow) QStandardItemModel(this);
    if (m_model == nullptr) {
        MDB_INTERNAL_ERROR("out of memory");
        return;
    }
    m_form->devices_list->setModel(m_model);
}

MDB_SELECT_DEVICE_DLG::~MDB_SELECT_DEVICE_DLG() = default;

int MDB_SELECT_DEVICE_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_SELECT_DEVICE_DLG::on_init_dialog() {
    std::vector<DEV_FAMILY_ENUM> families;
    mdb_get_family_list(&families);
    QComboBox* combo = m_form->family_combobox;
    {
        // One refill of the device list at the end, not one per family added.
        QSignalBlocker quiet(combo);
        combo->clear();
        for (DEV_FAMILY_ENUM family : families) {
            if (DEV_FAMILY_MANAGER::test_trait_of(family, DEV_FAMILY_TRAIT_DEVICE_PICKER)) {
                combo->addItem(QString::fromLocal8Bit(dstr_get_user_string(family)));
            }
        }
        combo->model()->sort(0, Qt::AscendingOrder);
        if (combo->count() > 0) {
            combo->setCurrentIndex(0);
        }
    }
    on_family_select();
}

void MDB_SELECT_DEVICE_DLG::on_family_select() {
    if (m_model == nullptr) {
        return;
    }
    std::string family = m_form->family_combobox->currentText().toLocal8Bit().toStdString();
    std::vector<DEV_PART_ENUM> parts;
    parts.reserve(DEV_PART_MAX);
    if (!family.empty()) {
        DEV_PART_MANAGER::filter_part_list(&parts, family.c_str(), "any", "any", "any", "any", true,
                                           false);
    }
    m_model->clear();
    QStringList names;
    for (DEV_PART_ENUM part : parts) {
        names << QString::fromLocal8Bit(dstr_get_user_string(part));
    }
    mdb_fill_name_list(m_model, names);
    if (m_model->rowCount() > 0) {
        m_form->devices_list->setCurrentIndex(m_model->index(0, 0));
    }
}

void MDB_SELECT_DEVICE_DLG::on_ok() {
    QModelIndex current = m_form->devices_list->currentIndex();
    if (m_model != nullptr && current.isValid()) {
        if (QStandardItem* item = m_model->itemFromIndex(current)) {
            m_device = item->text();
        }
    }
    accept();
}
