#include "sys/mdb/mdb_import_assignment_dlg.h"

#include "acf_manager.h"
#include "services/asgnimport/bfu_import_export.h"
#include "suite/config/cfg.h"
#include "suite/dbmanagerui/dbmui.h"
#include "suite/fileio/fio.h"
#include "suite/gui/afcq_browse.h"
#include "suite/tclglue/atcl.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_import_assignment_advance_dlg.h"
#include "sys/mdb/mdb_import_assignment_category_dlg.h"
#include "sys/mdb/mdb_import_exp_advance_dlg.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_revisions_settings.h"
#include "ui_mdb_import_assignment_dlg.h"

#include <QPushButton>

#include <filesystem>
#include <sstream>

namespace {
char const* const INIT_REQUESTER = "MDB_IMPORT_ASSIGNMENT_DLG::on_init_dialog";

bool exp_import_on() {
    return cfg_is_on("import_exp_file", false);
}

// Shows a notice and deletes it.
void show_message(MSG_O* message) {
    message->show();
    delete message;
}

std::string local8(QString const& text) {
    return text.toLocal8Bit().toStdString();
}

// Whether two paths name one file: the same full path, or (both existing)
// the same file reached another way.
bool same_file(std::string const& a, std::string const& b) {
    std::error_code error;
    return FIO_PATH::os_specific_comparison(a.c_str(), b.c_str()) ||
           std::filesystem::equivalent(a, b, error);
}
} // namespace

MDB_IMPORT_ASSIGNMENT_DLG::MDB_IMPORT_ASSIGNMENT_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_IMPORT_ASSIGNMENT_DLG>()) {
    m_form->setupUi(this);
    for (int i = 0; i < MDB_IMPORT_CATEGORY_TABLE_SIZE; ++i) {
        m_category_table[i] = static_cast<ACF_FILE_CATEGORY_ENUM>(i);
    }
    connect(m_form->buttonBox, &QDialogButtonBox::accepted, this,
            &MDB_IMPORT_ASSIGNMENT_DLG::on_ok);
    connect(m_form->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_form->browse_file_button, &QPushButton::clicked, this,
            &MDB_IMPORT_ASSIGNMENT_DLG::on_browse);
    connect(m_form->advanced_button, &QPushButton::clicked, this,
            &MDB_IMPORT_ASSIGNMENT_DLG::on_click_advance_button);
    connect(m_form->categories_button, &QPushButton::clicked, this,
            &MDB_IMPORT_ASSIGNMENT_DLG::on_click_category_button);
    connect(m_form->filename_text, &QLineEdit::textChanged, this,
            &MDB_IMPORT_ASSIGNMENT_DLG::on_change_file_name);
    connect(m_form->copy_check_box, &QCheckBox::clicked, this,
            &MDB_IMPORT_ASSIGNMENT_DLG::on_copy_cb_change);
}

MDB_IMPORT_ASSIGNMENT_DLG::~MDB_IMPORT_ASSIGNMENT_DLG() = default;

void MDB_IMPORT_ASSIGNMENT_DLG::set_region_name(std::vector<std::string> const& region_names) {
    m_region_names = region_names;
    m_region_mode = true;
    mdb_msg_debug("set region name is called, passed value is %s",
                  region_names.empty() ? "" : region_names.front().c_str());
}

int MDB_IMPORT_ASSIGNMENT_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_IMPORT_ASSIGNMENT_DLG::on_init_dialog() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    char const* revision = acf_mgr->get_active_revision_name();
    DBMUI_MANAGER* dbmui = DBMUI_MANAGER::get_dbmui_manager(0);
    HDB_CMP_ACTION_PT_INSTANCE* cap =
        dbmui->get_hdb_cmp_action_pt_instance(INIT_REQUESTER, 0, false, nullptr);
    m_settings_path =
        FIO_PATH(mdb_revision_settings_file(revision != nullptr ? revision : "")).full_path();
    m_backup_path = m_settings_path + ".bak";
    std::string settings_name =
        FIO_PATH(m_settings_path).base() + FIO_PATH(m_settings_path).extension();
    m_form->copy_check_box->setText("Copy existing assignments into " +
                                    QString::fromLocal8Bit(settings_name.c_str()) +
                                    ".bak before importing");
    m_elaborated = cap != nullptr;
    if (cap != nullptr) {
        mdb_msg_debug("project elaborated");
        dbmui->unget_hdb_cmp_action_pt_instance(&cap, INIT_REQUESTER);
    } else {
        mdb_msg_debug("project not elaborated");
    }
    m_file_mode = !(m_region_mode && m_elaborated);
    update_button_status();
    reset_default_value();
}

void MDB_IMPORT_ASSIGNMENT_DLG::update_button_status() {
    MDB_IMPORT_CONTROLS controls = mdb_import_controls(m_file_mode, m_source);
    m_form->filename_text->setEnabled(m_file_mode);
    m_form->categories_button->setEnabled(controls.categories);
    m_form->advanced_button->setEnabled(controls.advanced);
    m_form->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(controls.ok);
}

void MDB_IMPORT_ASSIGNMENT_DLG::reset_default_value() {
    mdb_import_reset_defaults(m_source.kind, m_file_mode, m_elaborated, &m_options);
}

void MDB_IMPORT_ASSIGNMENT_DLG::on_change_file_name() {
    m_file_name = local8(m_form->filename_text->text());
    MDB_IMPORT_SOURCE source = mdb_import_classify(m_file_name, exp_import_on());
    bool kind_changed = source.kind != m_source.kind;
    m_source = source;
    if (kind_changed) {
        m_options_given = false;
        reset_default_value();
    }
    update_button_status();
}

void MDB_IMPORT_ASSIGNMENT_DLG::on_copy_cb_change() {
    m_backup = m_form->copy_check_box->isChecked();
}

void MDB_IMPORT_ASSIGNMENT_DLG::on_browse() {
    QStringList filters;
    filters << afcq_create_filter("Import Files",
                                  {FIO_FILE_TYPE_TSF, FIO_FILE_TYPE_VARNETT2, FIO_FILE_TYPE_ESF,
                                   FIO_FILE_TYPE_CSV, FIO_FILE_TYPE_TCSV, FIO_FILE_TYPE_SDC})
            << afcq_create_filter("Settings Files",
                                  {FIO_FILE_TYPE_TSF, FIO_FILE_TYPE_VARNETT2, FIO_FILE_TYPE_ESF})
            << afcq_create_filter("Comma Separated Value Files",
                                  {FIO_FILE_TYPE_CSV, FIO_FILE_TYPE_TCSV})
            << "FPGA Xchange Files (*.fx)"
            << afcq_create_filter("Synplify SDC Files", {FIO_FILE_TYPE_SDC});
    if (exp_import_on()) {
        filters << "ORCAD EXP Files (*.exp)";
    }
    filters << QString::fromStdString(fio_get_file_type_trait_string(FIO_FILE_TYPE_TRAIT_ALL));
    char const* project_dir = ACF_MANAGER::get_acf_manager()->get_project_path();
    AFCQ_NATIVE_FILE_DLG dialog(this, "Select File",
                                QString::fromLocal8Bit(project_dir != nullptr ? project_dir : ""),
                                filters.join(";;"));
    dialog.set_accept_mode(QFileDialog::AcceptOpen);
    dialog.set_file_mode(QFileDialog::ExistingFile);
    if (dialog.exec() != 1 || dialog.selected_files().isEmpty()) {
        return;
    }
    std::string chosen = local8(dialog.selected_files().front());
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(chosen))) {
        show_message(MSG_MDB::O::FILE_DOESNT_EXIST(chosen.c_str()));
    } else if (!chosen.empty()) {
        m_form->filename_text->setText(
            QString::fromLocal8Bit(FIO_PATH(chosen).full_path().c_str()));
    }
}

void MDB_IMPORT_ASSIGNMENT_DLG::on_click_category_button() {
    MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG dialog(this);
    if (m_file_mode) {
        dialog.set_file_kind(m_source.kind);
    }
    if (m_source.kind == FIO_EXTENSION_TYPE_TSF || !m_file_mode) {
        dialog.set_category_table(m_category_table);
        dialog.set_device_import(m_device_import);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (m_file_mode && m_source.kind == FIO_EXTENSION_TYPE_VARNETT2) {
        m_varnett2_options = dialog.get_option_text();
        mdb_msg_debug("the category for acf file is %s", m_varnett2_options.c_str());
    } else {
        m_device_import = dialog.get_device_import();
        mdb_msg_debug("device import is %i", m_device_import);
    }
}

void MDB_IMPORT_ASSIGNMENT_DLG::on_click_advance_button() {
    if (m_source.exp) {
        MDB_IMPORT_EXP_ADVANCE_DLG dialog(this);
        dialog.m_name = m_part_reference_name;
        if (dialog.exec() == QDialog::Accepted) {
            m_part_reference_name = dialog.m_name;
        }
        return;
    }
    MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG dialog(this);
    dialog.m_elaborated = m_elaborated;
    if (m_options_given) {
        dialog.m_options = m_options;
        dialog.m_options_given = true;
    }
    if (m_file_mode) {
        dialog.m_file_kind = m_source.kind;
    } else {
        dialog.m_region_import = true;
    }
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    m_options_given = true;
    std::string const wildcard = m_options.types.wildcard;
    m_options = dialog.m_options;
    MDB_IMPORT_TYPE& types = m_options.types;
    if (!types.instance) {
        types.pins = types.back_annotated = types.promote = false;
        types.wildcard.clear();
    } else if (!types.promote || types.wildcard.empty()) {
        types.wildcard = wildcard; // an emptied wildcard leaves the previous one
    }
}

void MDB_IMPORT_ASSIGNMENT_DLG::refuse_file_name(MSG_O* message) {
    show_message(message);
    m_form->filename_text->setFocus();
    m_form->filename_text->selectAll();
}

void MDB_IMPORT_ASSIGNMENT_DLG::on_ok() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    char const* project_dir = acf_mgr->get_project_path();
    // A name without directory means a file of the project directory: that
    // one file is checked and imported.
    std::string path =
        mdb_import_source_path(m_file_name, project_dir != nullptr ? project_dir : "");
    if (m_file_mode) {
        if (m_file_name.empty() || !FIO_FILE_SYSTEM::exists(FIO_PATH(path))) {
            refuse_file_name(MSG_MDB::O::IMPORT_ASSIGNMENT_FILE_DOESNT_EXIST(m_file_name.c_str()));
            return;
        }
        if (same_file(path, m_settings_path)) {
            refuse_file_name(MSG_MDB::O::IMPORT_CURRENT_ASSIGNMENT_FILE(m_file_name.c_str()));
            return;
        }
    }
    AFCQ_WAIT_CURSOR wait;
    // An import without the backup the user asked for does not start; only a
    // revision not yet written (no settings file at all) has nothing to back
    // up: a settings file that cannot be looked at cannot be backed up.
    if (m_backup && FIO_FILE_SYSTEM::presence(FIO_PATH(m_settings_path)) != FIO_PRESENCE::MISSING &&
        !FIO_FILE_SYSTEM::copy(FIO_PATH(m_settings_path), FIO_PATH(m_backup_path), true)) {
        AFCQ_WAIT_CURSOR::end();
        show_message(MSG_MDB::O::CANT_CREATE_OR_OVERWRITE_FILE(m_backup_path.c_str()));
        return;
    }
    std::string full_path = FIO_PATH(path).full_path();
    if (m_file_mode && m_source.kind == FIO_EXTENSION_TYPE_VARNETT2) {
        acf_file_on_ok(full_path);
    } else if (m_file_mode && m_source.fx) {
        fx_file_on_ok(full_path);
    } else if (m_file_mode && m_source.sdc) {
        sdc_file_on_ok(full_path);
    } else if (m_file_mode && m_source.exp) {
        exp_file_on_ok(full_path);
    } else {
        import_through_engine(full_path);
    }
    accept();
}

void MDB_IMPORT_ASSIGNMENT_DLG::import_through_engine(std::string const& path) {
    char const* revision = ACF_MANAGER::get_acf_manager()->get_active_revision_name();
    BFU_IMPORT_EXPORT engine(revision != nullptr ? revision : "");
    mdb_import_set_engine_options(&engine, m_options, m_source.kind, m_elaborated, m_category_table,
                                  m_device_import);
    if (m_file_mode) {
        engine.m_source_file = path;
        engine.m_has_source_file = true;
    }
    if (m_region_mode) {
        mdb_msg_debug("call import pass region name list!");
        engine.import(m_region_names);
    } else {
        mdb_msg_debug("call import pass!");
        engine.import({});
    }
}

int MDB_IMPORT_ASSIGNMENT_DLG::import_tcl_proc(std::vector<std::string> const& command,
                                               std::string* result) {
    Tcl_Interp* interp = atcl_get_interpreter();
    if (interp == nullptr) {
        MDB_INTERNAL_ERROR("asd_import_interp != NULL");
        return 1;
    }
    int code = atcl_eval_words(interp, command);
    *result = Tcl_GetStringResult(interp);
    if (code == TCL_OK && result->empty()) {
        return 0;
    }
    mdb_msg_debug("tcl_result = %s", result->c_str());
    return 1;
}

void MDB_IMPORT_ASSIGNMENT_DLG::run_tcl_import(std::vector<std::string> const& command,
                                               MSG_FACTORY success, MSG_FACTORY failure,
                                               MSG_FACTORY not_synplify) {
    std::string const& path = command[1];
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(path))) {
        show_message(MSG_MDB::O::FILE_DOESNT_EXIST(path.c_str()));
        m_form->filename_text->clear();
        return;
    }
    mdb_msg_debug("the command is %s", command.front().c_str());
    std::string result;
    MSG_FACTORY outcome = import_tcl_proc(command, &result) == 0     ? success
                          : not_synplify != nullptr && result == "2" ? not_synplify
                                                                     : failure;
    show_message(outcome(path.c_str()));
}

void MDB_IMPORT_ASSIGNMENT_DLG::acf_file_on_ok(std::string const& path) {
    if (m_varnett2_options.empty()) {
        // Every section the project's family offers.
        MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG categories(this);
        categories.set_file_kind(FIO_EXTENSION_TYPE_VARNETT2);
        categories.on_init_dialog();
        m_varnett2_options = categories.get_selected_acf_category(true);
    }
    std::vector<std::string> command = {"import_assignments_from_varnett2", path};
    std::istringstream words(m_varnett2_options);
    for (std::string word; words >> word;) {
        command.push_back(word);
    }
    run_tcl_import(command, MSG_MDB::O::TCL_IMPORT_SUCCESSFUL, MSG_MDB::O::TCL_IMPORT_FAIL);
}

void MDB_IMPORT_ASSIGNMENT_DLG::fx_file_on_ok(std::string const& path) {
    run_tcl_import({"import_assignments_from_fx_file", path}, MSG_MDB::O::TCL_IMPORT_FX_SUCCESSFUL,
                   MSG_MDB::O::TCL_IMPORT_FX_FAIL);
}

void MDB_IMPORT_ASSIGNMENT_DLG::sdc_file_on_ok(std::string const& path) {
    run_tcl_import({"import_assignments_from_synplicity_sdc_file", path},
                   MSG_MDB::O::TCL_IMPORT_SDC_SUCCESSFUL, MSG_MDB::O::TCL_IMPORT_SDC_FAIL,
                   MSG_MDB::O::TCL_IMPORT_TESSALY_SDC_FILE);
}

void MDB_IMPORT_ASSIGNMENT_DLG::exp_file_on_ok(std::string const& path) {
    if (m_part_reference_name.empty()) {
        AFCQ_WAIT_CURSOR::end();
        MDB_IMPORT_EXP_ADVANCE_DLG dialog(this);
        if (dialog.exec() != QDialog::Accepted || dialog.m_name.empty()) {
            return;
        }
        m_part_reference_name = dialog.m_name;
    }
    run_tcl_import({"import_assignments_from_orcad_exp_file", path, m_part_reference_name},
                   MSG_MDB::O::TCL_IMPORT_EXP_SUCCESSFUL, MSG_MDB::O::TCL_IMPORT_EXP_FAIL);
}

void mdb_dyn_import_assignment_dlg(QWidget* parent) {
    if (!mdb_require_open_project()) {
        return;
    }
    MDB_IMPORT_ASSIGNMENT_DLG dialog(parent);
    dialog.exec();
}

void mdb_dyn_import_assignment_dlg_for_bf(QWidget* parent, std::vector<std::string>& region_names) {
    if (!mdb_require_open_project()) {
        return;
    }
    MDB_IMPORT_ASSIGNMENT_DLG dialog(parent);
    if (!region_names.empty()) {
        std::vector<std::string> copy = region_names;
        dialog.set_region_name(copy);
    }
    dialog.exec();
}
