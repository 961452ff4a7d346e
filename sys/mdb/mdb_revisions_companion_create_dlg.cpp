#include "sys/mdb/mdb_revisions_companion_create_dlg.h"

#include "acf_manager.h"
#include "suite/general/gen.h"
#include "suite/messages/msg.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_revisions_companion.h"

#include "ui_mdb_revisions_companion_create_dlg.h"

namespace {

void show_notice(MSG_O* message) {
    message->show();
    delete message;
}

// The notice for a missing migration device, by the active family.
MSG_O* migration_device_not_set(DEV_FAMILY_ENUM family) {
    switch (family) {
    case DEV_FAMILY_LUMIFORM_II:
        return MSG_MDB::O::VORELONII_MIGRATION_DEVICE_NOT_SET();
    case DEV_FAMILY_LUMIFORM_III:
        return MSG_MDB::O::VORELONIII_MIGRATION_DEVICE_NOT_SET();
    case DEV_FAMILY_LUMIFORM_IV:
        return MSG_MDB::O::VORELONIV_MIGRATION_DEVICE_NOT_SET();
    default:
        return MSG_MDB::O::LUMIFORM_MIGRATION_DEVICE_NOT_SET();
    }
}

} // namespace

MDB_CREATE_COMPANION_REVISION_DLG::MDB_CREATE_COMPANION_REVISION_DLG(DEV_FAMILY_ENUM family,
                                                                     std::string companion,
                                                                     QWidget* parent)
    : AFCQ_DIALOG(parent), m_family(family), m_companion(std::move(companion)),
      m_form(new Ui_MDB_CREATE_COMPANION_REVISION_DLG) {
    m_form->setupUi(this);
}

MDB_CREATE_COMPANION_REVISION_DLG::~MDB_CREATE_COMPANION_REVISION_DLG() = default;

int MDB_CREATE_COMPANION_REVISION_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_CREATE_COMPANION_REVISION_DLG::fill_companion_text() {
    std::string active = ACF_MANAGER::get_acf_manager()->get_active_revision_name();
    m_form->m_curr_rev->setText(QString::fromLocal8Bit(active.c_str()));
    m_form->m_new_rev_name->setText(
        QString::fromLocal8Bit(mdb_proposed_companion_name(active, m_family).c_str()));
}

void MDB_CREATE_COMPANION_REVISION_DLG::on_init_dialog() {
    fill_companion_text();
    bool exists =
        !m_companion.empty() &&
        ACF_MANAGER::get_acf_manager()->is_revision_included_in_project(m_companion.c_str());
    if (exists) {
        m_form->m_curr_companion_rev->setText(QString::fromLocal8Bit(m_companion.c_str()));
        m_form->m_overwrite_curr_companion_rev->setChecked(true);
        m_form->m_create_new_companion_rev->setChecked(false);
    } else {
        m_form->m_overwrite_curr_companion_rev->setChecked(false);
        m_form->m_overwrite_curr_companion_rev->setEnabled(false);
        m_form->m_create_new_companion_rev->setChecked(true);
    }
    enable_disable_create_controls();
}

void MDB_CREATE_COMPANION_REVISION_DLG::enable_disable_create_controls() {
    bool create = m_form->m_create_new_companion_rev->isChecked();
    m_form->m_new_rev_name_label->setEnabled(create);
    m_form->m_new_rev_name->setEnabled(create);
}

void MDB_CREATE_COMPANION_REVISION_DLG::on_ok() {
    if (!m_form->m_create_new_companion_rev->isChecked()) {
        QDialog::accept();
        return;
    }
    std::string name = m_form->m_new_rev_name->text().toLocal8Bit().toStdString();
    std::string refused;
    switch (mdb_check_companion_name(name, &refused)) {
    case MDB_COMPANION_NAME_EMPTY:
        show_notice(MSG_MDB::O::COMPANION_NAME_CANNOT_BE_EMPTY());
        m_form->m_new_rev_name->setFocus();
        return;
    case MDB_COMPANION_NAME_IS_ACTIVE:
        show_notice(MSG_MDB::O::COMPANION_NAME_CANNOT_MATCH_ACTIVE_REVISION_NAME());
        return;
    case MDB_COMPANION_NAME_ILLEGAL:
        show_notice(MSG_MDB::O::ILLEGAL_CHARCTER(refused.c_str()));
        return;
    case MDB_COMPANION_NAME_EXISTS: {
        MSG_YN* question = MSG_MDB::YN::REVISION_ALREADY_EXISTS(name.c_str());
        int answer = question->show();
        delete question;
        if (answer != MSG_ANSWER_YES) {
            m_form->m_new_rev_name->setFocus();
            return;
        }
        break;
    }
    case MDB_COMPANION_NAME_OK:
        break;
    }
    m_companion = name;
    QDialog::accept();
}

int mdb_dyn_create_companion_revision_dlg(QWidget* parent, std::string* name, bool* flag) {
    MDB_COMPANION_SETTINGS settings;
    DEV_FAMILY_ENUM family = DEV_FAMILY_INVALID;
    if (!mdb_read_companion_family(&settings, &family)) {
        return 0;
    }
    if (settings.device.empty() || gen_stricmp(settings.device.c_str(), "auto") == 0) {
        show_notice(MSG_MDB::O::CANNOT_CREATE_COMPANION_REVISION_WITH_AUTO_DEVICE());
        return 0;
    }
    if (settings.migration_list.empty()) {
        show_notice(migration_device_not_set(family));
        return 0;
    }
    MDB_CREATE_COMPANION_REVISION_DLG dialog(family, settings.companion, parent);
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
