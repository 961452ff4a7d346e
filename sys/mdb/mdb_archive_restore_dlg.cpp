#include "sys/mdb/mdb_archive_restore_dlg.h"

#include "acf_manager.h"
#include "suite/archive/afm_zip.h"
#include "suite/fileio/fio.h"
#include "suite/flow/flow.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "sys/mdb/mdb_archive_progress.h"
#include "sys/mdb/mdb_msgs.h"

#include "ui_mdb_archive_restore_dlg.h"

#include <QDir>

namespace {
std::string local(QString const& text) {
    return text.toLocal8Bit().toStdString();
}
QString qlocal(std::string const& text) {
    return QString::fromLocal8Bit(text.c_str());
}
std::string archive_extension() {
    return FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_ARCHIVE);
}

// The project's own archive, else the first archive of its folder, else "".
QString default_archive_name() {
    char const* project = ACF_MANAGER::get_acf_manager()->get_project_full_path();
    if (project == nullptr || *project == '\0') {
        return QString();
    }
    FIO_PATH path(project);
    std::string own = path.directory() + path.base() + archive_extension();
    if (FIO_FILE_SYSTEM::exists(FIO_PATH(own))) {
        return qlocal(own);
    }
    QDir folder(qlocal(path.directory().empty() ? "." : path.directory()));
    QStringList found =
        folder.entryList({"*" + qlocal(archive_extension())}, QDir::Files, QDir::Unsorted);
    return found.isEmpty() ? QString() : qlocal(path.directory()) + found.front();
}

void show_message(MSG_POST* message) {
    message->show();
    delete message;
}
} // namespace

std::string mdb_complete_archive_path(std::string const& name) {
    std::string path = name;
    if (FIO_PATH(path).extension() != archive_extension()) {
        path += archive_extension();
    }
    return FIO_PATH(path).full_path();
}

MDB_RESTORE_ARCHIVE_DLG::MDB_RESTORE_ARCHIVE_DLG(QWidget* parent, QString archive_name)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_RESTORE_ARCHIVE_DLG),
      m_archive_edit(new AFCQ_LINE_EDIT_BROWSE_BUTTON(this)),
      m_destination_edit(new AFCQ_LINE_EDIT_BROWSE_BUTTON(this)) {
    m_form->setupUi(this);
    m_archive_edit->setObjectName("m_archive_edit");
    m_destination_edit->setObjectName("m_destination_edit");
    m_archive_edit->set_name_filter(afcq_create_filter("Archive Files", {FIO_FILE_TYPE_ARCHIVE}));
    m_destination_edit->set_file_mode(QFileDialog::Directory);
    if (archive_name.isEmpty()) {
        archive_name = default_archive_name();
    }
    m_form->verticalLayout->insertWidget(1, m_archive_edit);
    m_form->verticalLayout->insertWidget(3, m_destination_edit);
    connect(m_form->m_ok_button, &QPushButton::clicked, this, &MDB_RESTORE_ARCHIVE_DLG::accept);
    connect(m_form->m_cancel_button, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_archive_edit, &AFCQ_LINE_EDIT_BROWSE_BUTTON::textChanged, this,
            &MDB_RESTORE_ARCHIVE_DLG::archive_name_changed);
    connect(m_destination_edit, &AFCQ_LINE_EDIT_BROWSE_BUTTON::textChanged, this,
            &MDB_RESTORE_ARCHIVE_DLG::destination_name_changed);
    connect(m_form->m_use_default_button, &QPushButton::clicked, this,
            &MDB_RESTORE_ARCHIVE_DLG::use_default_dir_changed);
    if (!archive_name.isEmpty()) {
        m_archive_edit->setText(archive_name);
        use_default_dir_changed();
    } else {
        m_form->m_ok_button->setEnabled(false);
    }
}

MDB_RESTORE_ARCHIVE_DLG::~MDB_RESTORE_ARCHIVE_DLG() = default;

void MDB_RESTORE_ARCHIVE_DLG::enable_ok() {
    m_form->m_ok_button->setEnabled(!m_archive_edit->text().isEmpty() &&
                                    !m_destination_edit->text().isEmpty());
}

void MDB_RESTORE_ARCHIVE_DLG::archive_name_changed() {
    enable_ok();
    update_destination_edit();
}

void MDB_RESTORE_ARCHIVE_DLG::destination_name_changed() {
    enable_ok();
}

void MDB_RESTORE_ARCHIVE_DLG::use_default_dir_changed() {
    m_use_default_dir = true;
    update_destination_edit();
}

void MDB_RESTORE_ARCHIVE_DLG::update_destination_edit() {
    if (m_use_default_dir) {
        QString archive = m_archive_edit->text();
        FIO_PATH path(FIO_PATH(local(archive)).full_path());
        m_destination_edit->setText(
            archive.isEmpty() ? QString() : qlocal(path.directory() + path.base() + "_restored"));
    }
    enable_ok();
}

void MDB_RESTORE_ARCHIVE_DLG::accept() {
    std::string destination = local(m_destination_edit->text());
    if (destination.back() != '/') {
        destination += "/";
    }
    std::string archive = mdb_complete_archive_path(local(m_archive_edit->text()));
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(archive))) {
        show_message(MSG_MDB::O::FILE_DOESNT_EXIST(archive.c_str()));
        m_archive_edit->setText(qlocal(archive));
        m_archive_edit->line_edit()->setFocus(Qt::OtherFocusReason);
        m_archive_edit->line_edit()->selectAll();
        return;
    }
    QDialog::accept();

    std::vector<char const*> arguments = {destination.c_str()};
    if (!m_form->m_overwrite_check->isChecked()) {
        arguments.push_back("-no_overwrite");
    }
    // Only folders the restore writes into and cannot be written to need a change.
    std::vector<std::string> folders = afm_unwritable_restore_folders(archive, destination);
    if (!folders.empty()) {
        MSG_YN* question = MSG_MDB::YN::DIRECTORY_WRITE_PROTECTED(destination.c_str());
        int answer = question->show();
        delete question;
        std::string failed;
        if (answer != MSG_ANSWER_YES) {
            return;
        }
        if (!afm_make_folders_writable(folders, &failed)) {
            show_message(MSG_MDB::O::CANT_CREATE_OR_OVERWRITE_FILE(failed.c_str()));
            return;
        }
    }
    int result = 0;
    {
        AFCQ_WAIT_CURSOR wait;
        MDB_ARCHIVE_PROGRESS progress(parentWidget(), windowTitle());
        result = flow_execute({FSTR_FLOW_APP_NAME_RESTORE_PROJECT, archive.c_str(), &arguments,
                               nullptr, false, 0, 3},
                              progress.stage(0, QStringLiteral("Restoring")));
    }
    if (result == FLOW_STOPPED) {
        show_message(MSG_MDB::O::RESTORE_CANCELLED(destination.c_str()));
    }
    if (result != 0) {
        return;
    }
    std::string extension = FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_TPF);
    for (std::string const& entry : afm_archive_entries(archive)) {
        if (entry.find('/') == std::string::npos && FIO_PATH(entry).extension() == extension) {
            QUI_PRJ_UI_MGR::get_prj_ui_mgr()->open_project(FIO_PATH(destination, entry).path(), "");
            return;
        }
    }
}

void mdb_dyn_restore_archive_dlg(QWidget* parent, std::string const* archive_name) {
    MDB_RESTORE_ARCHIVE_DLG dialog(parent,
                                   archive_name != nullptr ? qlocal(*archive_name) : QString());
    dialog.exec();
}
