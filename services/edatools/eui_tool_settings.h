// Prefix eui: the EDA tool settings as the user interface reads them.
// The EDA tool settings of a project, as the dialogs read them: whether an EDA
// category has a tool chosen, the tool's name and the settings of that tool
// for the category. They are the open project's settings; another project has
// none here.
#pragma once

#include <string>

// The categories of EDA tools; only board-level boundary scan is read here.
enum ETI_EDA_CATEGORY_TYPE {
    ETI_EDA_CATEGORY_BOARD_BOUNDARY_SCAN = 10,
};

// What a tool's settings give the dialogs.
struct ETI_UI_TOOL_INFO_SETTINGS {
    std::string tool_name;
    std::string output_directory; // "" when none is set
};

class EUI_TOOL_SETTINGS {
public:
    // The settings of the project `project_name` in `project_dir` (with or
    // without a trailing "/").
    EUI_TOOL_SETTINGS(std::string const& project_dir, std::string const& project_name);

    // Whether the category has a tool chosen: for board-level boundary scan,
    // when EDA_BOARD_DESIGN_BOUNDARY_SCAN_TOOL is set.
    bool does_category_have_enabled_tools(int category) const;
    // The chosen tool's name; "" when none. `tool_kind` narrows nothing here.
    std::string get_eda_tool_name(int category, std::string const& tool_kind) const;
    // The tool's settings for the category into `record`: the output
    // directory is EDA_NETLIST_WRITER_OUTPUT_DIR of the category's section
    // ("eda_board_design_boundary_scan"). False when the project or the tool
    // is not the one set.
    bool read_eda_tool_settings(std::string const& tool_name, ETI_UI_TOOL_INFO_SETTINGS* record,
                                std::string const& tool_kind, int category) const;

private:
    bool is_open_project() const;
    std::string read(int variable, char const* section) const;

    std::string m_project_dir;
    std::string m_project_name;
};
