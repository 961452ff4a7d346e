#include "sys/mdb/mdb_revisions_companion_set_dlg.h"

#include "acf_manager.h"
#include "suite/messages/msg.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_revisions_companion.h"

#include "ui_mdb_revisions_companion_set_dlg.h"

MDB_SET_COMPANION_REVISION_DLG::MDB_SET_COMPANION_REVISION_DLG(DEV_FAMILY_ENUM family,
                                                               std::string companion,
                                                               QWidget* parent)
    : AFCQ_DIALOG(parent), m_family(family), m_companion(std::move(companion)),
      m_form(new Ui_MDB_SET_COMPANION_REVISION_DLG) {
    m_form->setupUi(this);
}

MDB_SET_COMPANION_REVISION_DLG::~MDB_SET_COMPANION_REVISION_DLG() = default;

int MDB_SET_COMPANION_REVISION_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

bool MDB_SET_COMPANION_REVISION_DLG::fill_opposite_family_revision_list() {
    m_candidates.clear();
    m_search_refused =
        !mdb_find_companion_candidates(mdb_companion_family(m_family), &m_candidates);
    return !m_candidates.empty();
}

void MDB_SET_COMPANION_REVISION_DLG::on_init_dialog() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("acf_mgr != NULL");
        return;
    }
    m_form->m_curr_rev->setText(QString::fromLocal8Bit(acf_mgr->get_active_revision_name()));
    m_form->m_curr_comp_rev_droplist->clear();
    for (std::string const& revision : m_candidates) {
        QString text = QString::fromLocal8Bit(revision.c_str());
        m_form->m_curr_comp_rev_droplist->addItem(text, text);
    }
    if (!m_companion.empty()) {
        int index = m_form->m_curr_comp_rev_droplist->findData(
            QString::fromLocal8Bit(m_companion.c_str()), Qt::UserRole,
            Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0) {
            m_form->m_curr_comp_rev_droplist->setCurrentIndex(index);
        }
    }
}

void MDB_SET_COMPANION_REVISION_DLG::on_ok() {
    m_companion = m_form->m_curr_comp_rev_droplist->currentText().toLocal8Bit().toStdString();
    m_accepted = true;
    QDialog::accept();
}

int mdb_dyn_set_companion_revision_dlg(QWidget* parent, std::string* name, bool* flag) {
    MDB_COMPANION_SETTINGS settings;
    DEV_FAMILY_ENUM family = DEV_FAMILY_INVALID;
    if (!mdb_read_companion_family(&settings, &family)) {
        return 0;
    }
    MDB_SET_COMPANION_REVISION_DLG dialog(family, settings.companion, parent);
    if (!dialog.fill_opposite_family_revision_list()) {
        MSG_O* message = dialog.search_refused()
                             ? MSG_MDB::O::ACF_ERROR()
                             : MSG_MDB::O::NO_REVISIONS_IN_PROJECT_OF_FAMILY(
                                   dstr_get_user_string(mdb_companion_family(family)));
        message->show();
        delete message;
        return 0;
    }
    if (dialog.exec() != QDialog::Accepted) {
        return 0;
    }
    if (name != nullptr) {
        *name = dialog.companion_name();
    }
    if (flag != nullptr) {
        *flag = false;
    }
    return 1;
}
