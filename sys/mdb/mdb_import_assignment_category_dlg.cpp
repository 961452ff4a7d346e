#include "sys/mdb/mdb_import_assignment_category_dlg.h"

#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "suite/fileio/fio.h"
#include "sys/mdb/mdb.h"
#include "ui_mdb_import_assignment_category_dlg.h"

#include <QStandardItemModel>

char const* const MDB_IMPORT_CATEGORY_LIST_STRING[MDB_IMPORT_CATEGORY_SECTION_COUNT] = {
    "All",
    "Device and device options",
    "Pin/location/chip assignments",
    "Timing requirements",
    "Cliques",
    "Individual logic options",
    "Local routing",
    "Compiler processing options",
    "Global project parameters",
    "Global project logic synthesis options",
    "EDA tool input options",
    "EDA tool output options",
    "Timing analysis options",
    "Simulation options",
};

char const* const option_string[MDB_IMPORT_CATEGORY_SECTION_COUNT] = {
    " ALL",
    " DEVICE_OPTIONS",
    " CHIP_LOCATION",
    " TIMING_REQUIREMENTS",
    " CLIQUE",
    " LOGIC_OPTIONS",
    " LOCAL_ROUTING",
    " COMPILER_PROCESSING_CONFIGURATION",
    " PROJECT_PARAMETERS",
    " PROJECT_SYNTHESIS_OPTIONS",
    " EDA_INPUT",
    " EDA_OUTPUT",
    " TIMING_ANALYZER",
    " SIMULATION",
};

namespace {
// Rows of the settings mode: "All", the device, then file categories 1 to 19.
constexpr int ALL_ROW = 0;
constexpr int DEVICE_ROW = 1;

ACF_FILE_CATEGORY_ENUM category(int number) {
    return static_cast<ACF_FILE_CATEGORY_ENUM>(number);
}
} // namespace

MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG>()) {
    m_form->setupUi(this);
    m_model = new QStandardItemModel(this);
    m_form->category_listview->setModel(m_model);
    connect(m_form->buttonBox, &QDialogButtonBox::accepted, this,
            &MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::on_ok);
    connect(m_form->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_form->category_listview, &QListView::clicked, this,
            &MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::on_change_selection);
}

MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::~MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG() = default;

int MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

bool MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::is_varnett2_mode() const {
    return m_file_kind == FIO_EXTENSION_TYPE_VARNETT2;
}

bool MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::is_checked(int row) const {
    QStandardItem* item = m_model->item(row);
    return item != nullptr && item->checkState() == Qt::Checked;
}

QStandardItem* MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::insert_item(QString const& name) {
    auto* item = new QStandardItem(name);
    item->setEditable(false);
    item->setCheckable(true);
    item->setCheckState(Qt::Unchecked);
    m_model->appendRow(item);
    return item;
}

void MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::on_init_dialog() {
    m_model->clear();
    if (is_varnett2_mode()) {
        DEV_FAMILY_ENUM family = get_user_family_enum();
        for (int index = 0; index < MDB_IMPORT_CATEGORY_SECTION_COUNT; ++index) {
            char const* name = get_resource_string(index);
            if (*name != '\0' && check_for_relevant_import_section(name, family)) {
                insert_item(name)->setCheckState(Qt::Checked);
            }
        }
        return;
    }
    QStandardItem* all = insert_item("All");
    insert_item("Device Assignments")->setCheckState(m_device_import ? Qt::Checked : Qt::Unchecked);
    bool every = m_device_import;
    for (int i = 1; i < MDB_IMPORT_CATEGORY_TABLE_SIZE; ++i) {
        bool wanted = m_category_table == nullptr || m_category_table[i] != ACF_FILE_CATEGORY_NONE;
        insert_item(QString::fromLocal8Bit(ACF_MANAGER::get_file_category_info(
                        category(i), FILE_CATEGORY_INFO_DISPLAY_TEXT)))
            ->setCheckState(wanted ? Qt::Checked : Qt::Unchecked);
        every = every && wanted;
    }
    all->setCheckState(every ? Qt::Checked : Qt::Unchecked);
}

void MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::on_change_selection(QModelIndex const& index) {
    if (!index.isValid()) {
        return;
    }
    int row = index.row();
    if (row == ALL_ROW) {
        Qt::CheckState state = m_model->item(ALL_ROW)->checkState();
        for (int r = 0; r < m_model->rowCount(); ++r) {
            m_model->item(r)->setCheckState(state);
        }
        return;
    }
    bool every = is_checked(row);
    for (int r = 1; every && r < m_model->rowCount(); ++r) {
        if (!is_checked(r)) {
            mdb_msg_debug("not all checked, j is %i", r);
            every = false;
        }
    }
    m_model->item(ALL_ROW)->setCheckState(every ? Qt::Checked : Qt::Unchecked);
}

void MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::on_ok() {
    if (is_varnett2_mode()) {
        m_option_text = get_selected_acf_category(false);
        accept();
        return;
    }
    if (m_category_table != nullptr) {
        for (int i = 1; i < MDB_IMPORT_CATEGORY_TABLE_SIZE; ++i) {
            bool wanted = is_checked(i + 1);
            m_category_table[i] = wanted ? category(i) : ACF_FILE_CATEGORY_NONE;
            mdb_msg_debug(
                wanted ? "%s is selected" : "%s is deselected",
                ACF_MANAGER::get_file_category_info(category(i), FILE_CATEGORY_INFO_DISPLAY_TEXT));
        }
    }
    m_device_import = is_checked(DEVICE_ROW);
    mdb_msg_debug(m_device_import ? "device is selected" : "device is NOT selected");
    accept();
}

std::string MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::get_selected_acf_category(bool all) const {
    std::string text;
    DEV_FAMILY_ENUM family = get_user_family_enum();
    // The rows hold the offered sections in index order, "All" first.
    int row = 1;
    for (int index = 1; index < MDB_IMPORT_CATEGORY_SECTION_COUNT; ++index) {
        char const* name = get_resource_string(index);
        mdb_msg_debug("get list_item %s", name);
        if (*name == '\0' || !check_for_relevant_import_section(name, family)) {
            continue;
        }
        if (row < m_model->rowCount() && (all || is_checked(row))) {
            text += option_string[index];
        }
        ++row;
    }
    return text;
}

char const* MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::get_resource_string(int index) {
    return index >= 0 && index < MDB_IMPORT_CATEGORY_SECTION_COUNT
               ? MDB_IMPORT_CATEGORY_LIST_STRING[index]
               : "";
}

bool MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::check_for_relevant_import_section(std::string const& name,
                                                                           DEV_FAMILY_ENUM family) {
    bool tolm_7000b = family == DEV_FAMILY_TOLM7000B ||
                      DEV_FAMILY_MANAGER::get_base_family_enum(family) == DEV_FAMILY_TOLM7000B;
    return !(tolm_7000b && (name == "Cliques" || name == "Local routing"));
}

DEV_FAMILY_ENUM MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG::get_user_family_enum() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("acf_mgr != NULL");
        return DEV_FAMILY_INVALID;
    }
    bool took_lock = false;
    if (!acf_mgr->is_read_locked() && !acf_mgr->is_write_locked()) {
        took_lock = acf_mgr->read_lock();
    }
    DEV_FAMILY_ENUM family = DEV_FAMILY_INVALID;
    if (acf_mgr->is_read_locked() || acf_mgr->is_write_locked()) {
        ACF_MGR_INPUT_PARAMETERS query;
        query.set_variable_type(ACF_VARIABLE_TYPE_FAMILY);
        char const* value = acf_mgr->get_global_assignment(&query);
        if (value != nullptr && DEV_FAMILY_MANAGER::exists_family_enum_by_string(value)) {
            family = DEV_FAMILY_MANAGER::get_family_enum_by_string(value);
        }
    }
    if (took_lock) {
        acf_mgr->read_unlock();
    }
    return family;
}
