// The current project over the open project of the settings database.
#include "suite/proj/proj.h"

#include "acf_manager.h"

namespace {

std::string text_of(char const* text) {
    return text != nullptr ? text : "";
}

class PROJ_CURRENT_PROJECT : public PROJ_PROJECT {
public:
    std::string get_root_name() const override {
        return text_of(manager()->get_top_level_entity_name());
    }
    std::string get_directory() const override {
        std::string directory = text_of(manager()->get_project_path());
        acf_ensure_trailing_separator(&directory);
        return directory;
    }
    std::string get_name() const override { return text_of(manager()->get_project_name()); }
    std::string get_revision_name() const override {
        return text_of(manager()->get_active_revision_name());
    }
    std::string get_setting(ACF_VARIABLE_TYPE_ENUM variable) const override {
        return acf_get_global_setting_text(variable);
    }
    // Written under the write lock, as every change of the settings is; a
    // caller already holding it has its own lock used.
    bool save_settings() override {
        ACF_MANAGER* acf_mgr = manager();
        if (acf_mgr->is_write_locked()) {
            return acf_mgr->commit_files_to_disk(true, true);
        }
        if (!acf_mgr->write_lock(true)) {
            return false;
        }
        bool written = acf_mgr->commit_files_to_disk(true, true);
        acf_mgr->write_unlock(true);
        return written;
    }

private:
    static ACF_MANAGER* manager() { return ACF_MANAGER::get_acf_manager(); }
};

} // namespace

extern "C" __attribute__((visibility("default"))) PROJ_PROJECT* proj_dyn_impl_get_current() {
    static PROJ_CURRENT_PROJECT project;
    return ACF_MANAGER::get_acf_manager()->is_project_open() ? &project : nullptr;
}
