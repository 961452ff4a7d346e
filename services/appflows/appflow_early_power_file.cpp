// Flow 28: the early power estimator's input file of the active revision.
#include "services/appflows/appflows.h"

#include "acf_manager.h"
#include "suite/fileio/fio.h"

#include <utility>

namespace {

bool refuse(std::string* message, std::string const& why) {
    *message = "Can't write the early power estimation file: " + why;
    return false;
}

// A comma-separated field: in double quotes, inner ones doubled.
std::string csv_field(std::string const& text) {
    std::string field = "\"";
    for (char c : text) {
        field += c == '"' ? "\"\"" : std::string(1, c);
    }
    return field + "\"";
}

std::string content(std::vector<std::pair<std::string, std::string>> const& rows, bool csv) {
    std::string text;
    for (auto const& row : rows) {
        text += csv ? csv_field(row.first) + "," + csv_field(row.second) + "\n"
                    : row.first + ": " + row.second + "\n";
    }
    return text;
}

} // namespace

bool appflow_write_early_power_file(std::vector<std::string> const& arguments,
                                    std::string* message) {
    if (arguments.size() != 1 || arguments[0].empty()) {
        return refuse(message, "expected one file name");
    }
    std::string const& name = arguments[0];
    if (name.find('/') != std::string::npos || name == "." || name == "..") {
        return refuse(message, name + " is not a file name");
    }
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (!acf_mgr->is_project_open()) {
        return refuse(message, "no project is open");
    }
    char const* top = acf_mgr->get_top_level_entity_name();
    std::vector<std::pair<std::string, std::string>> const rows = {
        {"Revision", acf_mgr->get_active_revision_name()},
        {"Family", acf_get_global_setting_text(ACF_VARIABLE_TYPE_FAMILY)},
        {"Device", acf_get_global_setting_text(ACF_VARIABLE_TYPE_DEVICE)},
        {"Top-level entity", top != nullptr ? top : ""},
    };
    FIO_PATH file(acf_mgr->get_project_path(), name);
    std::string why;
    if (!FIO_FILE_SYSTEM::write_file_atomically(file, content(rows, file.extension() == ".csv"),
                                                &why)) {
        return refuse(message, file.path() + ": " + why);
    }
    *message = "Wrote early power estimation file " + file.path();
    return true;
}
