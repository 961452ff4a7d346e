// The revision manager's sets: an assignment from a record, and the typed sets
// that write the record's typed value as its value text. Every assignment the
// store changed joins the store's changed list, from which the next commit
// writes.
#include "acf_revision_manager.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "mem_manager.h"
#include "records/acf_manager_storage.h"
#include "suite/general/gen.h"

#include <cstdio>
#include <optional>

MEM_UNIT_INITIALIZER(ACF);

ACF_ASSIGNMENT* ACF_REVISION_MANAGER::set_of_kind(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                  ASSIGNMENT_KIND kind) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return nullptr;
    }
    if (kind == KIND_BY_RECORD) {
        kind = kind_of(input_parameters);
    }
    bool is_freeform = kind == KIND_FREEFORM;
    if (is_freeform ? gen_is_empty_string(input_parameters->get_variable_string())
                    : !resolve_variable_type(input_parameters)) {
        return nullptr;
    }
    ASSIGNMENT_LIST changed;
    ACF_ASSIGNMENT* asgn = nullptr;
    {
        std::optional<FILE_CATEGORY_SCOPE> category_of_record;
        if (is_freeform) {
            category_of_record.emplace(m_storage, input_parameters);
        }
        ACF_SET_ASSIGNMENT_OPTIONS set;
        set.is_global = kind == KIND_GLOBAL;
        set.is_freeform = is_freeform;
        set.mark_changed = true;
        set.changed = &changed;
        set.check_legality = true;
        asgn = m_storage->set_assignment(input_parameters, set);
    }
    if (asgn != nullptr) {
        asgn->set_ignore_status(input_parameters->get_is_ignored());
        asgn->set_comment(input_parameters->get_comments());
    }
    m_storage->add_assignments_to_changed_list(changed);
    return asgn;
}

ACF_ASSIGNMENT*
ACF_REVISION_MANAGER::set_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return set_of_kind(input_parameters, KIND_GLOBAL);
}

ACF_ASSIGNMENT*
ACF_REVISION_MANAGER::set_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return set_of_kind(input_parameters, KIND_INSTANCE);
}

ACF_ASSIGNMENT*
ACF_REVISION_MANAGER::set_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return set_of_kind(input_parameters, KIND_FREEFORM);
}

ACF_ASSIGNMENT* ACF_REVISION_MANAGER::set_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return set_of_kind(input_parameters, KIND_BY_RECORD);
}

// The record carries `value` as its value text for the one call only, so the
// caller's record does not keep the converted text.
ACF_ASSIGNMENT*
ACF_REVISION_MANAGER::set_with_value_text(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                          ASSIGNMENT_KIND kind, char const* value) {
    input_parameters->set_value_string(value);
    ACF_ASSIGNMENT* asgn = set_of_kind(input_parameters, kind);
    input_parameters->set_value_string(nullptr);
    return asgn;
}

namespace {

// Value texts of the typed sets; each lives until the end of the call that uses it.
char const* bool_text(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return input_parameters->get_value_bool() ? "on" : "off";
}

char const* enum_text(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return acf_enum_type_to_user_string(input_parameters->get_value_enum());
}

std::string int_text(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return gen_itoa(input_parameters->get_value_int());
}

std::string double_text(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%f", input_parameters->get_value_double());
    return buffer;
}

char const* c_text(char const* text) {
    return text;
}
char const* c_text(std::string const& text) {
    return text.c_str();
}

} // namespace

// The typed sets report a null record before they read its typed value.
#define ACF_TYPED_SET(NAME, KIND, TEXT)                                                            \
    ACF_ASSIGNMENT* ACF_REVISION_MANAGER::NAME(ACF_MGR_INPUT_PARAMETERS* input_parameters) {       \
        if (!ACF_REQUIRE(input_parameters != NULL)) {                                              \
            return nullptr;                                                                        \
        }                                                                                          \
        return set_with_value_text(input_parameters, KIND, c_text(TEXT(input_parameters)));        \
    }

ACF_TYPED_SET(set_global_bool_assignment, KIND_GLOBAL, bool_text)
ACF_TYPED_SET(set_instance_bool_assignment, KIND_INSTANCE, bool_text)
ACF_TYPED_SET(set_bool_assignment, KIND_BY_RECORD, bool_text)
ACF_TYPED_SET(set_global_enum_assignment, KIND_GLOBAL, enum_text)
ACF_TYPED_SET(set_instance_enum_assignment, KIND_INSTANCE, enum_text)
ACF_TYPED_SET(set_enum_assignment, KIND_BY_RECORD, enum_text)
ACF_TYPED_SET(set_global_int_assignment, KIND_GLOBAL, int_text)
ACF_TYPED_SET(set_instance_int_assignment, KIND_INSTANCE, int_text)
ACF_TYPED_SET(set_int_assignment, KIND_BY_RECORD, int_text)
ACF_TYPED_SET(set_global_double_assignment, KIND_GLOBAL, double_text)
ACF_TYPED_SET(set_instance_double_assignment, KIND_INSTANCE, double_text)
ACF_TYPED_SET(set_double_assignment, KIND_BY_RECORD, double_text)

#undef ACF_TYPED_SET
