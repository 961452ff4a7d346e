#include "sys/mdb/mdb_generate_tcl_file_dlg.h"

#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_gtf_engine.h"
#include "sys/mdb/mdb_msgs.h"
#include "ui_mdb_generate_tcl_file_dlg.h"

#include "acf_manager.h"
#include "suite/gui/afcq_browse.h"
#include "suite/gui/cfgq.h"

#include <QFontMetrics>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace {
char const INCLUDE_DEFAULT_ASSIGNMENTS_STR[] = "GTF_include_default_assignments";
}

MDB_GENERATE_TCL_FILE_DLG::MDB_GENERATE_TCL_FILE_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_GENERATE_TCL_FILE_DLG>()) {
    m_form->setupUi(this);
    if (ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager()) {
        char const* project = acf_mgr->get_project_full_path();
        m_output_path = FIO_PATH(project != nullptr ? project : "");
        m_output_path.extension(FIO_EXTENSION_TYPE_TCL, -1);
        m_file_name_text = QString::fromLocal8Bit(m_output_path.full_path().c_str());
    }
    read_preferences();
    m_form->m_include_ck->setChecked(m_include_default_assignments);
    m_form->m_open_ck->setChecked(m_open_generated_file);
    show_file_name(m_file_name_text);

    connect(m_form->m_button_box, &QDialogButtonBox::accepted, this,
            &MDB_GENERATE_TCL_FILE_DLG::on_ok);
    connect(m_form->m_button_box, &QDialogButtonBox::rejected, this,
            &MDB_GENERATE_TCL_FILE_DLG::reject);
    connect(m_form->m_open_ck, &QCheckBox::clicked, this,
            &MDB_GENERATE_TCL_FILE_DLG::on_click_open_checkbox);
    connect(m_form->m_select_file, &QPushButton::clicked, this,
            &MDB_GENERATE_TCL_FILE_DLG::on_select_file_dir);
    connect(m_form->m_include_ck, &QCheckBox::clicked, this,
            &MDB_GENERATE_TCL_FILE_DLG::on_click_include_default_checkbox);
    connect(m_form->m_filename_text, &QLineEdit::textChanged, this,
            &MDB_GENERATE_TCL_FILE_DLG::on_filename_changed);
}

MDB_GENERATE_TCL_FILE_DLG::~MDB_GENERATE_TCL_FILE_DLG() = default;

void MDB_GENERATE_TCL_FILE_DLG::read_preferences() {
    CFGQ_REGISTRY_KEY key(CFGQ_SUB_KEY_GENERATE_TCL_FILE);
    m_open_generated_file =
        key.get_value(CFGQ_GTFQ_OPEN_GENERATED_FILE_STR, m_open_generated_file).toBool();
    m_include_default_assignments =
        key.get_value(INCLUDE_DEFAULT_ASSIGNMENTS_STR, m_include_default_assignments).toBool();
}

void MDB_GENERATE_TCL_FILE_DLG::write_preferences() const {
    CFGQ_REGISTRY_KEY key(CFGQ_SUB_KEY_GENERATE_TCL_FILE);
    key.set_value(CFGQ_GTFQ_OPEN_GENERATED_FILE_STR, m_open_generated_file ? 1 : 0);
    key.set_value(INCLUDE_DEFAULT_ASSIGNMENTS_STR, m_include_default_assignments ? 1 : 0);
}

void MDB_GENERATE_TCL_FILE_DLG::focus_file_name() {
    m_form->m_filename_text->setFocus();
}

void MDB_GENERATE_TCL_FILE_DLG::on_filename_changed() {
    m_file_name_text = m_form->m_filename_text->text();
}

void MDB_GENERATE_TCL_FILE_DLG::on_click_open_checkbox() {
    m_open_generated_file = m_form->m_open_ck->isChecked();
}

void MDB_GENERATE_TCL_FILE_DLG::on_click_include_default_checkbox() {
    m_include_default_assignments = m_form->m_include_ck->isChecked();
}

void MDB_GENERATE_TCL_FILE_DLG::on_select_file_dir() {
    QString filters =
        afcq_create_filter("Tcl Script Files", {FIO_FILE_TYPE_TCL}) + ";;" +
        QString::fromStdString(fio_get_file_type_trait_string(FIO_FILE_TYPE_TRAIT_ALL));
    AFCQ_NATIVE_FILE_DLG dialog(this, "Select File",
                                QString::fromLocal8Bit(m_output_path.directory().c_str()), filters);
    dialog.set_accept_mode(QFileDialog::AcceptOpen);
    if (dialog.exec() != 1 || dialog.selected_files().isEmpty()) {
        return;
    }
    QString chosen = dialog.selected_files().front();
    if (!chosen.isEmpty()) {
        FIO_PATH path(chosen.toLocal8Bit().toStdString());
        show_file_name(QString::fromLocal8Bit(path.full_path().c_str()));
    }
}

void MDB_GENERATE_TCL_FILE_DLG::show_file_name(QString const& path) {
    QLineEdit* edit = m_form->m_filename_text;
    edit->setText(path);
    edit->setCursorPosition(0);
    QFontMetrics metrics(edit->font());
    // The text, the frame on both sides and room for the cursor.
    int wanted = metrics.horizontalAdvance(path) +
                 2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                 2 * metrics.averageCharWidth();
    QScreen* screen = this->screen();
    int widest = screen != nullptr ? screen->availableGeometry().width() * 2 / 3 : wanted;
    edit->setMinimumWidth(std::max(edit->minimumWidth(), std::min(wanted, widest)));
}

void MDB_GENERATE_TCL_FILE_DLG::on_ok() {
    if (m_file_name_text.isEmpty()) {
        MSG_O* message = MSG_MDB::O::NO_FILENAME();
        message->show();
        delete message;
        focus_file_name();
        return;
    }
    FIO_PATH typed(m_file_name_text.toLocal8Bit().toStdString());
    if (!typed.path().empty() && typed.path()[0] == '/') {
        m_output_path = typed;
    } else {
        m_output_path.filename(typed.filename());
        m_output_path.extension(FIO_EXTENSION_TYPE_TCL, -1);
    }
    std::string const full_path = m_output_path.full_path();
    if (FIO_FILE_SYSTEM::exists(m_output_path)) {
        MSG_YN* question = MSG_MDB::YN::OVERWRITE_FILE(full_path.c_str());
        int answer = question->show();
        delete question;
        if (answer == MSG_ANSWER_NO) {
            focus_file_name();
            return;
        }
    }
    MDB_GTF_ENGINE engine(full_path, m_include_default_assignments);
    switch (engine.generate_tcl_file()) {
    case MDB_GTF_ENGINE::WRITTEN:
        accept();
        if (m_open_generated_file) {
            QUI_FRAME_MGR::get_frame_mgr()->open_file(full_path, true, false, true);
        }
        write_preferences();
        break;
    case MDB_GTF_ENGINE::NO_FILE_NAME:
        mdb_msg_debug("MDB_GTF_ENGINE::NO_FILENAME");
        break;
    case MDB_GTF_ENGINE::CANNOT_WRITE: {
        MSG_O* message = MSG_MDB::O::CANT_CREATE_OR_OVERWRITE_FILE(full_path.c_str());
        message->show();
        delete message;
        focus_file_name();
        break;
    }
    case MDB_GTF_ENGINE::NO_ASSIGNMENTS: {
        // The file is the user's: nothing was written to it, so it stays.
        MSG_O* message = MSG_MDB::O::ACF_ERROR();
        message->show();
        delete message;
        break;
    }
    default:
        mdb_msg_debug("default");
        break;
    }
}

void mdb_dyn_start_gtf(QWidget* parent) {
    MDB_GENERATE_TCL_FILE_DLG dialog(parent);
    dialog.exec();
}

int mdb_dyn_generate_tcl_file(std::string const& file_name, intptr_t, bool include_defaults) {
    MDB_GTF_ENGINE engine(file_name, include_defaults);
    return engine.generate_tcl_file();
}
