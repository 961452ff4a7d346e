// Hands the conversion of old projects down to the project manager when the
// library is loaded.
#include "convert/acf_convert_project.h"
#include "store/acf_project_conversion.h"

#include <string>

namespace {

bool convert_old_project(ACF_ASSIGNMENT_FACTORY* factory, std::string const& old_project_file,
                         std::string const& revision) {
    ACF_CONVERT_PROJECT converter(factory);
    converter.convert_to_project_manager_scheme(old_project_file, revision);
    return !converter.has_failed();
}

void add_old_settings_files(ACF_ASSIGNMENT_FACTORY* factory, std::string const& project_base_name,
                            std::string const& revision_file) {
    ACF_CONVERT_PROJECT converter(factory);
    converter.add_any_found_old_asgn_files(project_base_name, revision_file);
}

struct ACF_PROJECT_CONVERSION_HOOK {
    ACF_PROJECT_CONVERSION_HOOK() {
        acf_set_project_conversion(convert_old_project, add_old_settings_files);
    }
    ~ACF_PROJECT_CONVERSION_HOOK() { acf_set_project_conversion(nullptr, nullptr); }
};
ACF_PROJECT_CONVERSION_HOOK const acf_project_conversion_hook;

} // namespace
