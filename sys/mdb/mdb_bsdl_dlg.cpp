#include "sys/mdb/mdb_bsdl_dlg.h"

#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "services/edatools/eui_tool_settings.h"
#include "suite/devicedb/dev.h"
#include "suite/fileio/fio.h"
#include "suite/flow/flow.h"
#include "suite/general/gen.h"
#include "suite/gui/qui_app.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "suite/tclglue/atcl.h"
#include "suite/threads/thr.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_select_device_dlg.h"
#include "ui_mdb_bsdl_dlg.h"

#include <QPushButton>

namespace {

char const BOUNDARY_SCAN_SECTION[] = "eda_board_design_boundary_scan";

std::string local(QString const& text) {
    return text.toLocal8Bit().toStdString();
}

std::string as_one_argument(std::string const& text) {
    return thr_process_quote_argument(text);
}

// The device picker, run on `parent`: true with the chosen device when it
// was accepted.
bool pick_device(QWidget* parent, QString* device) {
    MDB_SELECT_DEVICE_DLG picker(parent);
    if (picker.exec() != QDialog::Accepted) {
        return false;
    }
    *device = picker.get_selected_device();
    return true;
}

} // namespace

MDB_BSDL_DLG::MDB_BSDL_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_BSDL_DLG>()) {
    m_form->setupUi(this);
    connect(m_form->button_box, &QDialogButtonBox::accepted, this, &MDB_BSDL_DLG::on_ok);
    connect(m_form->button_box, &QDialogButtonBox::rejected, this, &MDB_BSDL_DLG::reject);
    connect(m_form->select_device_button, &QPushButton::clicked, this,
            &MDB_BSDL_DLG::on_select_device);
    connect(m_form->post_config_button, &QRadioButton::clicked, this, &MDB_BSDL_DLG::on_post);
    connect(m_form->pre_config_button, &QRadioButton::clicked, this, &MDB_BSDL_DLG::on_pre);
    connect(m_form->select_dir_button, &QPushButton::clicked, this, &MDB_BSDL_DLG::on_select_dir);
    atcl_package_require(atcl_get_interpreter(), "eda_bsd", nullptr, true, true);
}

MDB_BSDL_DLG::~MDB_BSDL_DLG() = default;

int MDB_BSDL_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_BSDL_DLG::enable_ok(bool enable) {
    m_form->button_box->button(QDialogButtonBox::Ok)->setEnabled(enable);
}

void MDB_BSDL_DLG::on_init_dialog() {
    QUI_PRJ_UI_MGR* uim = QUI_PRJ_UI_MGR::get_prj_ui_mgr();
    ACF_MANAGER* mgr = ACF_MANAGER::get_acf_manager();
    if (uim == nullptr) {
        MDB_INTERNAL_ERROR("uim != NULL");
        return;
    }
    if (mgr == nullptr) {
        MDB_INTERNAL_ERROR("mgr != NULL");
        return;
    }
    bool locked_here = !mgr->is_read_locked() && mgr->read_lock();
    if (mgr->is_read_locked()) {
        ACF_MGR_INPUT_PARAMETERS query;
        query.set_variable_type(ACF_VARIABLE_TYPE_EDA_BOARD_BOUNDARY_SCAN_OPERATION);
        query.set_section_identifier(BOUNDARY_SCAN_SECTION);
        if (mgr->get_global_enum_assignment(&query) == ACF_ENUM_VALUE_POST_CONFIG) {
            m_pre_config = false;
            m_post_config = true;
            m_form->post_config_button->setChecked(true);
            m_form->select_device_button->setEnabled(false);
        }
        query.reset();
        query.set_variable_type(ACF_VARIABLE_TYPE_FAMILY);
        char const* family = mgr->get_global_assignment(&query);
        if (!gen_is_empty_string(family) &&
            DEV_FAMILY_MANAGER::test_trait_of(dstr_get_dev_family_enum_by_string(family),
                                              DEV_FAMILY_TRAIT_DEVICE_PICKER)) {
            query.reset();
            query.set_variable_type(ACF_VARIABLE_TYPE_DEVICE);
            char const* device = mgr->get_global_assignment(&query);
            if (device != nullptr && gen_stricmp(device, "Auto") != 0) {
                m_device = QString::fromLocal8Bit(device);
                m_form->device_text->setText(m_device);
            }
        }
        if (locked_here) {
            mgr->read_unlock();
        }
    }

    EUI_TOOL_SETTINGS tools(uim->get_current_project_dir(), uim->get_current_project_name());
    if (tools.does_category_have_enabled_tools(ETI_EDA_CATEGORY_BOARD_BOUNDARY_SCAN)) {
        std::string tool = tools.get_eda_tool_name(ETI_EDA_CATEGORY_BOARD_BOUNDARY_SCAN, "");
        ETI_UI_TOOL_INFO_SETTINGS record;
        if (tools.read_eda_tool_settings(tool, &record, "", ETI_EDA_CATEGORY_BOARD_BOUNDARY_SCAN)) {
            m_form->directory_text->setText(
                QString::fromLocal8Bit(record.output_directory.c_str()));
        }
    }
    enable_ok(!m_form->device_text->text().isEmpty() || m_post_config);
}

void MDB_BSDL_DLG::on_pre() {
    enable_ok(!m_form->device_text->text().isEmpty());
    m_form->select_device_button->setEnabled(true);
    m_pre_config = true;
    m_post_config = false;
}

void MDB_BSDL_DLG::on_post() {
    m_form->device_text->setText(m_device);
    enable_ok(true);
    m_form->select_device_button->setEnabled(false);
    m_post_config = true;
    m_pre_config = false;
}

void MDB_BSDL_DLG::on_select_device() {
    QString device;
    if (pick_device(this, &device)) {
        m_form->device_text->setText(device);
        enable_ok(true);
    }
}

void MDB_BSDL_DLG::on_select_dir() {
    AFCQ_NATIVE_FILE_DLG dialog(this, "Specify output directory", m_form->directory_text->text(),
                                QString());
    dialog.set_file_mode(QFileDialog::Directory);
    if (dialog.exec() == 1 && !dialog.selected_files().isEmpty() &&
        !dialog.selected_files().front().isEmpty()) {
        m_form->directory_text->setText(dialog.selected_files().front());
    }
}

std::string MDB_BSDL_DLG::command_line(std::string const& project, std::string const& revision,
                                       std::string const& project_dir) const {
    std::string command = m_post_config
                              ? as_one_argument(project) + " -c " + as_one_argument(revision) +
                                    " --board_boundary_scan --format=bsdl --bsdl_type=POST_CONFIG"
                              : "--bsdl " + as_one_argument(local(m_form->device_text->text()));
    std::string directory = local(m_form->directory_text->text());
    if (!directory.empty()) {
        FIO_PATH path(directory);
        if (directory[0] != '/' && !project_dir.empty()) {
            path = FIO_PATH(project_dir, directory);
        }
        command += " --output_directory=" + as_one_argument(path.full_path());
    }
    return command;
}

void MDB_BSDL_DLG::on_ok() {
    QUI_PRJ_UI_MGR* uim = QUI_PRJ_UI_MGR::get_prj_ui_mgr();
    if (uim == nullptr) {
        MDB_INTERNAL_ERROR("uim != NULL");
        return;
    }
    ACF_MANAGER* mgr = ACF_MANAGER::get_acf_manager();
    QDialog::accept();
    char const* revision = mgr->get_active_revision_name();
    std::string command =
        command_line(uim->get_current_project_name(), revision != nullptr ? revision : "",
                     uim->project_is_open() ? uim->get_current_project_dir() : std::string());
    QUI_APP* app = qui_get_app();
    if (app == nullptr) {
        MDB_INTERNAL_ERROR("no app");
        return;
    }
    app->start_flow(FSTR_FLOW_BOUNDARY_SCAN_FILE, command, true, false, true);
}

void MDB_BSDL_DLG::add_tcl_str_to_msg(MSG_POST* message, std::string const& text, bool error) {
    if (message == nullptr) {
        MDB_INTERNAL_ERROR("No msg to attach to");
        return;
    }
    if (text.empty()) {
        return;
    }
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (error) {
            message->add_sub_message(MSG_MDB::E::TCL_OUTPUT(line.c_str()));
        } else {
            message->add_sub_message(MSG_MDB::I::TCL_OUTPUT(line.c_str()));
        }
        if (end == std::string::npos) {
            return;
        }
        start = end + 1;
    }
}

extern "C" void mdb_dyn_bsdl_dlg(QWidget* parent) {
    MDB_BSDL_DLG dialog(parent);
    dialog.exec();
}
