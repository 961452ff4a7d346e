#include "sys/mdb/mdb_copy_project_dlg.h"

#include "acf_manager.h"
#include "acf_msgs.h"
#include "suite/fileio/fio.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_archive_progress.h"
#include "sys/mdb/mdb_copy_project.h"
#include "sys/mdb/mdb_msgs.h"

#include <QDir>
#include <QPushButton>

#include "ui_mdb_copy_project_dlg.h"

namespace {

// Asks a question and deletes it; true only for Yes.
bool agreed(MSG_YN* question) {
    bool yes = question->show() == MSG_ANSWER_YES;
    delete question;
    return yes;
}

} // namespace

MDB_COPY_PROJECT_DLG::MDB_COPY_PROJECT_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_COPY_PROJECT_DLG) {
    m_form->setupUi(this);
    update_ok_button();
}

MDB_COPY_PROJECT_DLG::~MDB_COPY_PROJECT_DLG() = default;

int MDB_COPY_PROJECT_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_COPY_PROJECT_DLG::on_init_dialog() {
    QUI_PRJ_UI_MGR* proj = QUI_PRJ_UI_MGR::get_prj_ui_mgr();
    if (proj == nullptr) {
        MDB_INTERNAL_ERROR("proj != NULL");
        return;
    }
    QString name = QString::fromLocal8Bit(proj->get_current_project_name().c_str());
    QString directory = QString::fromLocal8Bit(proj->get_current_project_dir().c_str());
    if (!directory.isEmpty()) {
        directory.insert(directory.size() - 1, QStringLiteral("_copy"));
    }
    m_project_name = name;
    m_destination = directory;
    m_form->m_project_text->setText(name);
    m_form->m_dest_dir->setText(directory);
}

void MDB_COPY_PROJECT_DLG::update_ok_button() {
    m_form->m_button_box->button(QDialogButtonBox::Ok)
        ->setEnabled(!m_destination.isEmpty() && !m_project_name.isEmpty());
}

void MDB_COPY_PROJECT_DLG::on_change_prj_name_entry() {
    m_project_name = m_form->m_project_text->text();
    update_ok_button();
}

void MDB_COPY_PROJECT_DLG::on_change_dest_entry() {
    m_destination = m_form->m_dest_dir->text();
    update_ok_button();
}

void MDB_COPY_PROJECT_DLG::on_open_new_ck() {
    m_open_new = m_form->m_open_new_ck->isChecked();
}

void MDB_COPY_PROJECT_DLG::on_browse_dir() {
    AFCQ_NATIVE_FILE_DLG chooser(this, QStringLiteral("Select directory"),
                                 m_form->m_dest_dir->text(), QString());
    chooser.set_file_mode(QFileDialog::Directory);
    if (chooser.exec() == 1 && !chooser.selected_files().isEmpty() &&
        !chooser.selected_files().front().isEmpty()) {
        m_form->m_dest_dir->setText(chooser.selected_files().front());
    }
}

void MDB_COPY_PROJECT_DLG::on_ok() {
    std::string name = m_project_name.toLocal8Bit().toStdString();
    if (!mdb_is_legal_project_name(name)) {
        MSG_O* message = MSG_ACF::O::ILLEGAL_CHARACTERS_IN_PROJECT_OR_REVISION_NAME(
            ACF_MANAGER::get_illegal_name_characters());
        message->show();
        delete message;
        m_form->m_project_text->setFocus();
        m_form->m_project_text->selectAll();
        return;
    }
    std::string destination = reverse_slash(m_destination.toLocal8Bit().toStdString());
    QByteArray shown = m_destination.toLocal8Bit();
    m_overwrite = false;
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(destination))) {
        if (!agreed(MSG_MDB::YN::CREATE_DIRECTORY(shown.constData()))) {
            m_form->m_dest_dir->setFocus();
            return;
        }
    } else if (!QDir(QString::fromLocal8Bit(destination.c_str()))
                    .entryList({QStringLiteral("*.tpf")}, QDir::Files)
                    .isEmpty()) {
        if (!agreed(MSG_MDB::YN::PROJECT_IN_DIRECTORY(shown.constData()))) {
            m_form->m_dest_dir->setFocus();
            return;
        }
        m_overwrite = true;
    }
    accept();
}

void mdb_dyn_copy_project_dlg(QWidget* parent) {
    MDB_COPY_PROJECT_DLG dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    MDB_COPY_PROJECT_REQUEST request;
    request.destination = dialog.get_destination().toLocal8Bit().toStdString();
    request.new_name = dialog.get_project_name().toLocal8Bit().toStdString();
    request.open_new = dialog.get_open_new();
    request.overwrite = dialog.get_overwrite();
    MDB_ARCHIVE_PROGRESS progress(parent, dialog.windowTitle(), 2);
    mdb_copy_project(request, progress.stage(0, QStringLiteral("Archiving")),
                     progress.stage(1, QStringLiteral("Restoring")));
}
