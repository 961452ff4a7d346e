// The revision manager's value reads: the value text of the assignment a
// record names, and that text as an enumeration value, integer, real or switch.
#include "acf_revision_manager.h"

#include "acf_assignment.h"
#include "acf_mgr_input_parameters.h"
#include "mem_manager.h"
#include "records/acf_manager_storage.h"
#include "suite/general/gen.h"

MEM_UNIT_INITIALIZER(ACF);

// A freeform assignment has no unmodified variant: its current value answers.
char const* ACF_REVISION_MANAGER::value_text_of(ACF_ASSIGNMENT* asgn,
                                                ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                bool unmodified) {
    if (asgn == nullptr) {
        return input_parameters != nullptr ? input_parameters->get_original_value_string()
                                           : nullptr;
    }
    bool allow_ignored = m_storage->get_allow_ignored_assignments();
    if (unmodified && !asgn->is_freeform()) {
        return asgn->get_unmodified_value(allow_ignored);
    }
    return asgn->get_value(allow_ignored);
}

char const*
ACF_REVISION_MANAGER::get_global_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return value_text_of(get_global_assignment_ptr(input_parameters), input_parameters, false);
}

char const*
ACF_REVISION_MANAGER::get_instance_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return value_text_of(get_instance_assignment_ptr(input_parameters), input_parameters, false);
}

char const*
ACF_REVISION_MANAGER::get_freeform_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return value_text_of(get_freeform_assignment_ptr(input_parameters), input_parameters, false);
}

char const* ACF_REVISION_MANAGER::get_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return value_text_of(get_assignment_ptr(input_parameters), input_parameters, false);
}

char const*
ACF_REVISION_MANAGER::get_global_unmodified_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return value_text_of(get_global_assignment_ptr(input_parameters), input_parameters, true);
}

char const* ACF_REVISION_MANAGER::get_instance_unmodified_assignment(
    ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return value_text_of(get_instance_assignment_ptr(input_parameters), input_parameters, true);
}

char const*
ACF_REVISION_MANAGER::get_unmodified_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return value_text_of(get_assignment_ptr(input_parameters), input_parameters, true);
}

namespace {

// Typed reads convert a non-empty value text and otherwise answer the record's
// own typed value (or the type's zero without a record).
ACF_ENUM_VALUE_ENUM enum_of(char const* text, ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!gen_is_empty_string(text)) {
        return acf_user_string_to_enum_type_enum(text);
    }
    return input_parameters != nullptr ? input_parameters->get_value_enum()
                                       : ACF_ENUM_VALUE_ENUM(0);
}

int int_of(char const* text, ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!gen_is_empty_string(text)) {
        return gen_local_atoi(text);
    }
    return input_parameters != nullptr ? input_parameters->get_value_int() : 0;
}

double double_of(char const* text, ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!gen_is_empty_string(text)) {
        return gen_local_atof(text);
    }
    return input_parameters != nullptr ? input_parameters->get_value_double() : 0.0;
}

bool bool_of(char const* text, ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    if (!gen_is_empty_string(text)) {
        return gen_stricmp(text, "on") == 0;
    }
    return input_parameters != nullptr && input_parameters->get_value_bool();
}

} // namespace

ACF_ENUM_VALUE_ENUM
ACF_REVISION_MANAGER::get_global_enum_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return enum_of(get_global_assignment(input_parameters), input_parameters);
}
ACF_ENUM_VALUE_ENUM
ACF_REVISION_MANAGER::get_instance_enum_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return enum_of(get_instance_assignment(input_parameters), input_parameters);
}
ACF_ENUM_VALUE_ENUM
ACF_REVISION_MANAGER::get_enum_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return enum_of(get_assignment(input_parameters), input_parameters);
}

int ACF_REVISION_MANAGER::get_global_int_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return int_of(get_global_assignment(input_parameters), input_parameters);
}
int ACF_REVISION_MANAGER::get_instance_int_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return int_of(get_instance_assignment(input_parameters), input_parameters);
}
int ACF_REVISION_MANAGER::get_int_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return int_of(get_assignment(input_parameters), input_parameters);
}

double
ACF_REVISION_MANAGER::get_global_double_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return double_of(get_global_assignment(input_parameters), input_parameters);
}
double
ACF_REVISION_MANAGER::get_instance_double_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return double_of(get_instance_assignment(input_parameters), input_parameters);
}
double ACF_REVISION_MANAGER::get_double_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return double_of(get_assignment(input_parameters), input_parameters);
}

bool ACF_REVISION_MANAGER::get_global_bool_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return bool_of(get_global_assignment(input_parameters), input_parameters);
}
bool ACF_REVISION_MANAGER::get_instance_bool_assignment(
    ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return bool_of(get_instance_assignment(input_parameters), input_parameters);
}
bool ACF_REVISION_MANAGER::get_bool_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters) {
    return bool_of(get_assignment(input_parameters), input_parameters);
}
