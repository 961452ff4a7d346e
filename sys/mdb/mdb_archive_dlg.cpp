#include "sys/mdb/mdb_archive_dlg.h"

#include "acf_manager.h"
#include "suite/archive/afm.h"
#include "suite/fileio/fio.h"
#include "suite/flow/flow.h"
#include "suite/general/gen.h"
#include "sys/mdb/mdb_archive_progress.h"
#include "sys/mdb/mdb_archive_restore_dlg.h"
#include "sys/mdb/mdb_msgs.h"

#include "ui_mdb_archive_dlg.h"

#include <cstdio>

char const* const MDB_ARCHIVE_SUCCEEDED_TEXT = "Project successfully archived.";
char const* const MDB_ARCHIVE_PARTLY_TEXT =
    "Project archive created; however, Analysis and Elaboration (or Analysis and Synthesis for "
    "export database) was not successful. As a result, some files could not be archived.";
char const* const MDB_ARCHIVE_FAILED_TEXT = "Tessaly II failed to create the archive.";

namespace {
int ask(MSG_YN* question) {
    int answer = question->show();
    delete question;
    return answer;
}
void show_notice(MSG_O* message) {
    message->show();
    delete message;
}
} // namespace

MDB_ARCHIVE_DLG::MDB_ARCHIVE_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_ARCHIVE_DLG),
      m_archive_edit(new AFCQ_LINE_EDIT_BROWSE_BUTTON(this)),
      m_subset_records(mdb_archive_subset_records()) {
    m_form->setupUi(this);
    m_archive_edit->setObjectName("m_archive_edit");
    m_archive_edit->set_name_filter(afcq_create_filter("Archive Files", {FIO_FILE_TYPE_ARCHIVE}));
    m_form->nameRow->insertWidget(1, m_archive_edit, 0);
    char const* name = ACF_MANAGER::get_acf_manager()->get_project_name();
    m_archive_edit->setText(QString::fromLocal8Bit(name != nullptr ? name : ""));
    archive_name_changed();
    connect(m_form->m_archive_button, &QPushButton::clicked, this,
            &MDB_ARCHIVE_DLG::archive_button_clicked);
    connect(m_form->m_cancel_button, &QPushButton::clicked, this, &MDB_ARCHIVE_DLG::reject);
    connect(m_form->m_advaned_button, &QPushButton::clicked, this,
            &MDB_ARCHIVE_DLG::advanced_button_clicked);
    connect(m_archive_edit, &AFCQ_LINE_EDIT_BROWSE_BUTTON::textChanged, this,
            &MDB_ARCHIVE_DLG::archive_name_changed);
}

MDB_ARCHIVE_DLG::~MDB_ARCHIVE_DLG() = default;

void MDB_ARCHIVE_DLG::archive_name_changed() {
    m_form->m_archive_button->setEnabled(!m_archive_edit->text().isEmpty());
}

void MDB_ARCHIVE_DLG::take_advanced_settings(MDB_ADVANCED_ARCHIVE_DLG const& advanced) {
    m_use_advanced = true;
    m_file_set_id = advanced.get_file_set_id();
    m_custom_file_set = advanced.is_custom_file_set();
    m_export_database = advanced.is_export_database();
    for (size_t i = 0; i < m_subset_records.size() && i < advanced.subset_records().size(); ++i) {
        MDB_ARCHIVE_SUBSET_RECORD const& chosen = advanced.subset_records()[i];
        bool tick = m_custom_file_set ? chosen.in_custom_set : chosen.in_default_set;
        (m_custom_file_set ? m_subset_records[i].in_custom_set
                           : m_subset_records[i].in_default_set) = tick;
    }
}

void MDB_ARCHIVE_DLG::advanced_button_clicked() {
    MDB_ADVANCED_ARCHIVE_DLG advanced(this, QString());
    if (advanced.exec() == QDialog::Accepted) {
        take_advanced_settings(advanced);
    }
}

void MDB_ARCHIVE_DLG::archive_button_clicked() {
    std::string archive =
        mdb_complete_archive_path(m_archive_edit->text().toLocal8Bit().toStdString());
    m_archive_edit->setText(QString::fromLocal8Bit(archive.c_str()));
    if (FIO_FILE_SYSTEM::exists(FIO_PATH(archive)) &&
        ask(MSG_MDB::YN::ANOTHER_ARCHIVE_EXISTS_IN_DIR(archive.c_str())) == MSG_ANSWER_NO) {
        m_archive_edit->setText(QString::fromLocal8Bit(archive.c_str()));
        m_archive_edit->line_edit()->setFocus(Qt::OtherFocusReason);
        m_archive_edit->line_edit()->selectAll();
        return;
    }
    QDialog::accept();
    run_archive_flow(archive);
}

std::string MDB_ARCHIVE_DLG::file_list_path() {
    return FIO_PATH(gen_get_project_dir_path(), MDB_ARCHIVE_FILE_LIST_NAME).path();
}

void MDB_ARCHIVE_DLG::reject() {
    // Leaving without an archive leaves the project folder as it was: the
    // file list an accepted Advanced... wrote goes too.
    if (m_use_advanced) {
        std::remove(file_list_path().c_str());
    }
    QDialog::reject();
}

void MDB_ARCHIVE_DLG::run_archive_flow(std::string const& archive) {
    std::string list = file_list_path();
    std::vector<std::string> arguments;
    if (m_use_advanced) {
        arguments.push_back(m_file_set_id);
    }
    if (m_custom_file_set) {
        arguments.push_back(list);
        for (MDB_ARCHIVE_SUBSET_RECORD const& record : m_subset_records) {
            if (record.in_custom_set) {
                arguments.push_back(record.name);
            }
        }
    }
    // Elaboration is asked about for the subsets the flow will archive, which
    // it takes from the arguments (the default file set's without any).
    AFM_ARCHIVE_MANAGER* manager = AFM_ARCHIVE_MANAGER::get_instance();
    std::vector<AFM_FILE_SUBSET const*> subsets;
    manager->get_chosen_subsets(arguments, &subsets);
    std::vector<bool> flags;
    flags.push_back(manager->is_tessaly_map_required(subsets) &&
                    ask(MSG_MDB::YN::ELABORATION_NEEDED()) == MSG_ANSWER_NO);
    if (m_export_database && ask(MSG_MDB::YN::RUN_EXPORT_DATABASE()) == MSG_ANSWER_YES) {
        flags.push_back(true);
    }

    std::vector<char const*> words;
    for (std::string const& argument : arguments) {
        words.push_back(argument.c_str());
    }
    // The old archive keeps its name until the new one replaces it whole (so
    // also while the questions above are on screen, and after a kill): a file
    // other than the old one there afterwards was written by this run.
    FIO_FILE_STATUS old_archive{};
    bool had_archive = FIO_FILE_SYSTEM::get_status(FIO_PATH(archive), &old_archive);
    int result = 0;
    {
        AFCQ_WAIT_CURSOR wait;
        MDB_ARCHIVE_PROGRESS progress(parentWidget(), windowTitle());
        result = flow_execute(
            {FSTR_FLOW_APP_NAME_ARCHIVE_PROJECT, archive.c_str(), &words, &flags, false, 0, 3},
            progress.stage(0, QStringLiteral("Archiving")));
    }
    std::remove(list.c_str());
    if (result == FLOW_STOPPED) {
        show_notice(MSG_MDB::O::ARCHIVE_CANCELLED(archive.c_str()));
        return;
    }
    FIO_FILE_STATUS now{};
    bool created = FIO_FILE_SYSTEM::get_status(FIO_PATH(archive), &now) &&
                   (!had_archive || now.inode != old_archive.inode ||
                    now.modification_time_ns != old_archive.modification_time_ns);
    show_notice(MSG_MDB::O::ARCHIVE_FINISHED(result == 0 ? MDB_ARCHIVE_SUCCEEDED_TEXT
                                             : created   ? MDB_ARCHIVE_PARTLY_TEXT
                                                         : MDB_ARCHIVE_FAILED_TEXT));
}

void mdb_dyn_archive_dlg(QWidget* parent) {
    MDB_ARCHIVE_DLG dialog(parent);
    dialog.exec();
}
