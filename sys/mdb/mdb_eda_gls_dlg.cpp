#include "sys/mdb/mdb_eda_gls_dlg.h"

#include "suite/general/gen.h"
#include "suite/tclglue/atcl.h"
#include "sys/mdb/mdb.h"
#include "ui_mdb_eda_gls_dlg.h"

#include <string>

MDB_EDA_GLS_DLG::MDB_EDA_GLS_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_EDA_GLS_DLG>()) {
    m_form->setupUi(this);
    connect(m_form->m_run_button, &QPushButton::clicked, this, &MDB_EDA_GLS_DLG::on_run);
}

MDB_EDA_GLS_DLG::~MDB_EDA_GLS_DLG() = default;

int MDB_EDA_GLS_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_EDA_GLS_DLG::on_init_dialog() {
    QComboBox* combo = m_form->m_corner_combo;
    combo->clear();
    std::string result;
    if (atcl_post("llength $corner_file_list", true, &result) != 0) {
        mdb_msg_debug("%s", result.c_str());
        return;
    }
    int count = gen_local_atoi(result.c_str());
    for (int i = 0; i < count; ++i) {
        result.clear();
        std::string command = "lindex [lindex $corner_file_list " + std::to_string(i) + "] 0";
        if (atcl_post(command.c_str(), true, &result) == 0 && !result.empty()) {
            combo->addItem(QString::fromLocal8Bit(result.c_str()));
        }
    }
    if (combo->count() > 0) {
        combo->setCurrentIndex(0);
    }
}

void MDB_EDA_GLS_DLG::on_run() {
    m_selected_corner = m_form->m_corner_combo->currentIndex();
    accept();
}

extern "C" int mdb_dyn_eda_gls_dlg(QWidget* parent) {
    MDB_EDA_GLS_DLG dialog(parent);
    dialog.exec();
    return dialog.get_selected_corner();
}
