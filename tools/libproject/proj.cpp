// The current project over the open project of the settings database.
#include "tools/libproject/proj.h"

#include "acf_manager.h"

namespace {
class PROJ_CURRENT_PROJECT : public PROJ_PROJECT {
public:
    std::string get_root_name() const override {
        char const* top = ACF_MANAGER::get_acf_manager()->get_top_level_entity_name();
        return top != nullptr ? top : "";
    }
};
} // namespace

extern "C" __attribute__((visibility("default"))) PROJ_PROJECT* proj_dyn_impl_get_current() {
    static PROJ_CURRENT_PROJECT project;
    return ACF_MANAGER::get_acf_manager()->is_project_open() ? &project : nullptr;
}
