// Texts the revision manager renders: the version under which the running
// software records itself, and the Tcl command that would set a described
// assignment (shown in settings messages).
#include "acf_revision_manager.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "mem_manager.h"
#include "records/acf_manager_storage.h"
#include "suite/general/gen.h"
#include "suite/general/ver.h"

#include <memory>

MEM_UNIT_INITIALIZER(ACF);

namespace {

char const* null_when_empty(char const* text) {
    return gen_is_empty_string(text) ? nullptr : text;
}

} // namespace

std::string acf_get_version_string() {
    std::string version = ver_get_version();
    char const* service_pack = ver_get_service_pack();
    if (!gen_is_empty_string(service_pack)) {
        version += " SP";
        version += service_pack;
    }
    return version;
}

// The command is rendered by a temporary assignment bound to the current
// store, which is left unchanged; the entity option appears only for an
// entity other than the store's top-level one.
void ACF_REVISION_MANAGER::get_tcl_set_command(ACF_MGR_INPUT_PARAMETERS* input_params,
                                               std::string& out) {
    if (!ACF_REQUIRE(input_params != NULL)) {
        return;
    }
    std::vector<ACF_ARGUMENT_TYPE_ENUM> arguments;
    std::list<std::string> values;
    input_params->get_argument_types(&arguments);
    input_params->get_argument_values(&values);
    if (!ACF_REQUIRE(arguments.size() == values.size())) {
        return;
    }
    std::unique_ptr<ACF_ASSIGNMENT> asgn(MEM_NEW(ACF, ACF_ASSIGNMENT)(
        m_storage, input_params->get_variable_type(), input_params->get_variable_string(),
        null_when_empty(input_params->get_from()), null_when_empty(input_params->get_to()),
        input_params->get_value_string(), input_params->get_comments(),
        input_params->get_is_ignored()));
    asgn->set_entity_name(input_params->get_entity_name());
    asgn->set_section_identifier(input_params->get_section_identifier());
    auto value = values.begin();
    for (ACF_ARGUMENT_TYPE_ENUM argument : arguments) {
        asgn->add_argument(argument, value->c_str());
        ++value;
    }
    asgn->get_variable_tcl_set_command(&out, nullptr);
}

void ACF_REVISION_MANAGER::get_tcl_set_command(ACF_VARIABLE_TYPE_ENUM variable,
                                               char const* variable_name, char const* from,
                                               char const* to, char const* value,
                                               char const* entity, char const* section_id,
                                               char const* comment, bool ignored, bool removed,
                                               std::string& out) {
    std::unique_ptr<ACF_ASSIGNMENT> asgn(MEM_NEW(ACF, ACF_ASSIGNMENT)(
        m_storage, variable, null_when_empty(variable_name), null_when_empty(from),
        null_when_empty(to), value, comment, ignored));
    asgn->set_entity_name(entity);
    asgn->set_section_identifier(section_id);
    asgn->set_remove_status(removed);
    asgn->get_variable_tcl_set_command(&out, nullptr);
}
