#include "sys/mdb/mdb_copy_project_dlg.h"

#include "acf_manager.h"
#include "acf_msgs.h"
#include "suite/fileio/fio.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_archive_progress.h"
#include "sys/mdb/mdb_copy_project.h"
#include "sys/mdb/mdb_msgs.h"

#include <QPushButton>

#include <cstdint>
#include <vector>

#include "ui_mdb_copy_project_dlg.h"

namespace {

// Asks a question and deletes it; true only for Yes.
bool agreed(MSG_YN* question) {
    bool yes = question->show() == MSG_ANSWER_YES;
    delete question;
    return yes;
}

// The length of the valid UTF-8 sequence at `at`, or 0 when none starts there.
size_t utf8_length_at(std::string const& bytes, size_t at) {
    unsigned char const lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
        return 1;
    }
    size_t length = (lead & 0xE0) == 0xC0   ? 2
                    : (lead & 0xF0) == 0xE0 ? 3
                    : (lead & 0xF8) == 0xF0 ? 4
                                            : 0;
    if (length == 0 || at + length > bytes.size()) {
        return 0;
    }
    uint32_t code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        unsigned char const next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    uint32_t const least[] = {0, 0, 0x80, 0x800, 0x10000};
    bool valid = code >= least[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return valid ? length : 0;
}

// A path's bytes as the dialog shows them, and back, byte for byte: a byte
// that is not part of valid UTF-8 becomes a lone surrogate U+DC80..U+DCFF
// (shown as an unknown character) and goes back as itself. A folder whose
// name is not UTF-8 so keeps its name through the line edit, also when the
// user edits another part of the path.
QString path_text(std::string const& bytes) {
    QString text;
    for (size_t at = 0; at < bytes.size();) {
        size_t length = utf8_length_at(bytes, at);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[at])));
            ++at;
        } else {
            text += QString::fromUtf8(bytes.data() + at, static_cast<qsizetype>(length));
            at += length;
        }
    }
    return text;
}

std::string path_bytes(QString const& text) {
    std::string bytes;
    QString run; // text without escaped bytes
    auto end_run = [&]() {
        bytes += run.toUtf8().toStdString();
        run.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t const unit = text[i].unicode();
        bool const escaped =
            unit >= 0xDC80 && unit <= 0xDCFF && !(i > 0 && text[i - 1].isHighSurrogate());
        if (escaped) {
            end_run();
            bytes += static_cast<char>(unit - 0xDC00);
        } else {
            run += text[i];
        }
    }
    end_run();
    return bytes;
}

// Whether the folder holds a project file (of any case of its extension).
bool holds_project_file(std::string const& folder) {
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    FIO_FILE_SYSTEM::list_directory(FIO_PATH(folder), entries);
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        if (!entry.is_directory && fio_get_extension_type(entry.name) == FIO_EXTENSION_TYPE_TPF) {
            return true;
        }
    }
    return false;
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
    QString name = path_text(proj->get_current_project_name());
    QString directory = path_text(proj->get_current_project_dir());
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
    std::string name = path_bytes(m_project_name);
    if (!mdb_is_legal_project_name(name)) {
        MSG_O* message = MSG_ACF::O::ILLEGAL_CHARACTERS_IN_PROJECT_OR_REVISION_NAME(
            ACF_MANAGER::get_illegal_name_characters());
        message->show();
        delete message;
        m_form->m_project_text->setFocus();
        m_form->m_project_text->selectAll();
        return;
    }
    std::string shown = path_bytes(m_destination);
    std::string destination = reverse_slash(shown);
    m_overwrite = false;
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(destination))) {
        if (!agreed(MSG_MDB::YN::CREATE_DIRECTORY(shown.c_str()))) {
            m_form->m_dest_dir->setFocus();
            return;
        }
    } else if (holds_project_file(destination)) {
        if (!agreed(MSG_MDB::YN::PROJECT_IN_DIRECTORY(shown.c_str()))) {
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
    request.destination = path_bytes(dialog.get_destination());
    request.new_name = path_bytes(dialog.get_project_name());
    request.open_new = dialog.get_open_new();
    request.overwrite = dialog.get_overwrite();
    MDB_ARCHIVE_PROGRESS progress(parent, dialog.windowTitle(), 2);
    mdb_copy_project(request, progress.stage(0, QStringLiteral("Archiving")),
                     progress.stage(1, QStringLiteral("Restoring")));
}
