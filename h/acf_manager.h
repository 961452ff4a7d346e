// The one project manager of a process. It is the revision manager of the
// active revision (its locks and typed operations are those of
// ACF_REVISION_MANAGER), and its current store is the null store until a
// project opens.
#pragma once

#include "acf_revision_manager.h"

class ACF_MANAGER : public ACF_REVISION_MANAGER {
public:
    ACF_MANAGER();
    ~ACF_MANAGER() override;

    // The process-wide manager, created on first use and destroyed when the
    // settings library is unloaded; callers never free it.
    static ACF_MANAGER* get_acf_manager();

    // Asked of the current store.
    bool is_project_open() const;
    DEV_FAMILY_ENUM get_project_family_enum() const;
    // The default value text of a variable (null when there is none).
    char const* get_assignment_default_value(ACF_VARIABLE_TYPE_ENUM type, char const* section_id,
                                             bool has_entity, DEV_FAMILY_ENUM family);

private:
    friend class ACF_MANAGER_INITIALIZER;
    static ACF_MANAGER* acf_manager;
};

// Created with the settings library; its destruction at unload deletes the
// process-wide manager.
class ACF_MANAGER_INITIALIZER {
public:
    ACF_MANAGER_INITIALIZER() = default;
    ~ACF_MANAGER_INITIALIZER();
    ACF_MANAGER_INITIALIZER(ACF_MANAGER_INITIALIZER const&) = delete;
    ACF_MANAGER_INITIALIZER& operator=(ACF_MANAGER_INITIALIZER const&) = delete;
};
