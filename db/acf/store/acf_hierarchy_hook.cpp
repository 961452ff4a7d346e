// Tells the suite's hierarchy registry which revision is open, so that it
// lends that revision's compiled hierarchy. Set when the library is loaded.
#include "acf_manager.h"

#include "suite/dbmanagerui/dbmui.h"

namespace {
struct ACF_HIERARCHY_HOOK {
    ACF_HIERARCHY_HOOK() {
        dbmui_set_active_revision_hook([]() -> std::string {
            ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
            if (!manager->is_project_open()) {
                return "";
            }
            char const* revision = manager->get_active_revision_name();
            return revision != nullptr ? revision : "";
        });
    }
    ~ACF_HIERARCHY_HOOK() { dbmui_set_active_revision_hook(nullptr); }
};
ACF_HIERARCHY_HOOK const acf_hierarchy_hook;
} // namespace
