// The current project over the open project of the settings database.
#include "tools/libproject/proj.h"

#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"

namespace {
class PROJ_CURRENT_PROJECT : public PROJ_PROJECT {
public:
    std::string get_root_name() const override {
        char const* top = ACF_MANAGER::get_acf_manager()->get_top_level_entity_name();
        return top != nullptr ? top : "";
    }
    // Read under a read lock unless a lock of either kind is already held.
    std::string get_setting(ACF_VARIABLE_TYPE_ENUM type) const override {
        ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
        bool lock_here = !acf_mgr->is_read_locked() && !acf_mgr->is_write_locked();
        if (lock_here && !acf_mgr->read_lock()) {
            return "";
        }
        ACF_MGR_INPUT_PARAMETERS query;
        query.set_variable_type(type);
        char const* value = acf_mgr->get_global_assignment(&query);
        std::string text = value != nullptr ? value : "";
        if (lock_here) {
            acf_mgr->read_unlock();
        }
        return text;
    }
};
} // namespace

extern "C" __attribute__((visibility("default"))) PROJ_PROJECT* proj_dyn_impl_get_current() {
    static PROJ_CURRENT_PROJECT project;
    return ACF_MANAGER::get_acf_manager()->is_project_open() ? &project : nullptr;
}
