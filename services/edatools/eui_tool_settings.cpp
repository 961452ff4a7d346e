#include "services/edatools/eui_tool_settings.h"

#include "acf_manager.h"

namespace {

char const BOUNDARY_SCAN_SECTION[] = "eda_board_design_boundary_scan";

std::string with_separator(std::string directory) {
    acf_ensure_trailing_separator(&directory);
    return directory;
}

} // namespace

EUI_TOOL_SETTINGS::EUI_TOOL_SETTINGS(std::string const& project_dir,
                                     std::string const& project_name)
    : m_project_dir(with_separator(project_dir)), m_project_name(project_name) {}

bool EUI_TOOL_SETTINGS::is_open_project() const {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    return acf_mgr->is_project_open() && m_project_name == acf_mgr->get_project_name() &&
           m_project_dir == with_separator(acf_mgr->get_project_path());
}

std::string EUI_TOOL_SETTINGS::read(int variable, char const* section) const {
    return is_open_project()
               ? acf_get_global_setting_text(static_cast<ACF_VARIABLE_TYPE_ENUM>(variable), section)
               : std::string();
}

bool EUI_TOOL_SETTINGS::does_category_have_enabled_tools(int category) const {
    return !get_eda_tool_name(category, "").empty();
}

std::string EUI_TOOL_SETTINGS::get_eda_tool_name(int category, std::string const&) const {
    if (category != ETI_EDA_CATEGORY_BOARD_BOUNDARY_SCAN) {
        return "";
    }
    return read(ACF_VARIABLE_TYPE_EDA_BOARD_DESIGN_BOUNDARY_SCAN_TOOL, nullptr);
}

bool EUI_TOOL_SETTINGS::read_eda_tool_settings(std::string const& tool_name,
                                               ETI_UI_TOOL_INFO_SETTINGS* record,
                                               std::string const&, int category) const {
    if (record == nullptr || tool_name.empty() || tool_name != get_eda_tool_name(category, "")) {
        return false;
    }
    record->tool_name = tool_name;
    record->output_directory =
        read(ACF_VARIABLE_TYPE_EDA_NETLIST_WRITER_OUTPUT_DIR, BOUNDARY_SCAN_SECTION);
    return true;
}
