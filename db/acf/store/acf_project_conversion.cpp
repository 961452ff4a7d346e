#include "store/acf_project_conversion.h"

#include "acf_internal_error.h"

namespace {
ACF_CONVERT_OLD_PROJECT installed_convert = nullptr;
ACF_ADD_OLD_SETTINGS_FILES installed_add_old_files = nullptr;
} // namespace

void acf_set_project_conversion(ACF_CONVERT_OLD_PROJECT convert,
                                ACF_ADD_OLD_SETTINGS_FILES add_old_files) {
    installed_convert = convert;
    installed_add_old_files = add_old_files;
}

bool acf_convert_old_project(ACF_ASSIGNMENT_FACTORY* factory, std::string const& old_project_file,
                             std::string const& revision) {
    if (!ACF_REQUIRE(installed_convert != nullptr)) {
        return false;
    }
    return installed_convert(factory, old_project_file, revision);
}

void acf_add_old_settings_files(ACF_ASSIGNMENT_FACTORY* factory,
                                std::string const& project_base_name,
                                std::string const& revision_file) {
    if (!ACF_REQUIRE(installed_add_old_files != nullptr)) {
        return;
    }
    installed_add_old_files(factory, project_base_name, revision_file);
}
