// The settings-file command line of an assignment: command name, "-name", the
// value, then the options in their fixed order.
#include "acf_assignment.h"

#include "acf_internal_error.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "mem_manager.h"
#include "records/acf_assignment_impl.h"
#include "records/acf_manager_storage.h"

#include "suite/general/gen.h"
#include "suite/messages/msg.h"

#include <algorithm>
#include <cctype>
#include <cstring>

MEM_UNIT_INITIALIZER(ACF);

namespace {

// Values, sources, targets, comments and freeform names: escaped, then quoted
// when needed, so that Tcl reads each back as it was.
std::string value_word(std::string const& text) {
    return acf_format_string(acf_add_escape_characters(text), false);
}

bool command_takes_name(char const* command) {
    return gen_stricmp(command, "set_global_assignment") == 0 ||
           gen_stricmp(command, "set_instance_assignment") == 0 ||
           gen_stricmp(command, "set_parameter") == 0;
}

// Arguments written before "-section_id" (the others follow "-comment").
bool is_leading_argument(ACF_ARGUMENT_TYPE_ENUM arg) {
    return acf_test_argument_trait_of(arg, ACF_ARGUMENT_TRAIT_TYPE_BEFORE_SECTION_ID);
}

} // namespace

void ACF_ASSIGNMENT::add_option_and_value_to_tcl_command(std::string* returned_tcl_command,
                                                         char const* option_name,
                                                         char const* value) const {
    if (returned_tcl_command == nullptr) {
        ACF_INTERNAL_ERROR("returned_tcl_command != NULL");
        return;
    }
    if (option_name == nullptr) {
        ACF_INTERNAL_ERROR("option_name != NULL");
        return;
    }
    returned_tcl_command->append(" ").append(option_name);
    if (value != nullptr) {
        returned_tcl_command->append(" ").append(value_word(value));
    }
}

void ACF_ASSIGNMENT::add_argument_to_tcl_command(std::string* returned_tcl_command,
                                                 ACF_ARGUMENT_TYPE_ENUM arg) const {
    if (returned_tcl_command == nullptr) {
        ACF_INTERNAL_ERROR("returned_tcl_command != NULL");
        return;
    }
    char const* option = acf_get_argument_tsf_name(arg);
    if (gen_is_empty_string(option)) {
        return;
    }
    std::string const word = std::string("-") + option;
    if (!acf_does_argument_require_value(arg)) {
        add_option_and_value_to_tcl_command(returned_tcl_command, word.c_str(), nullptr);
        return;
    }
    char const* text = get_argument_value(arg);
    if (gen_is_empty_string(text)) {
        return;
    }
    add_option_and_value_to_tcl_command(returned_tcl_command, word.c_str(), text);
}

void ACF_ASSIGNMENT::get_variable_tcl_set_command(std::string* returned_tcl_command,
                                                  char const* top_entity) const {
    if (returned_tcl_command == nullptr) {
        ACF_INTERNAL_ERROR("returned_tcl_command != NULL");
        return;
    }
    std::string& line = *returned_tcl_command;
    ACF_VARIABLE_TYPE_ENUM const type = impl()->type();

    char const* command = get_variable_tcl_set_function();
    line = command;

    if (command_takes_name(command)) {
        bool const freeform = type == ACF_VARIABLE_TYPE_NONE ||
                              acf_test_variable_trait_of(type, ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM);
        std::string const name = (freeform && !impl()->m_freeform_name.is_empty())
                                     ? std::string(impl()->m_freeform_name.get())
                                     : std::string(acf_get_variable_user_name(type));
        line.append(" -name ").append(value_word(name));
    }

    if (impl()->m_value.is_present()) {
        std::string value = impl()->m_value.get();
        convert_a_value_string_to_canonical_form(value);
        line.append(" ").append(value_word(value));
    }
    if (impl()->m_from.is_present()) {
        add_option_and_value_to_tcl_command(&line, "-from", impl()->m_from.get());
    }
    if (impl()->m_to.is_present()) {
        add_option_and_value_to_tcl_command(&line, "-to", impl()->m_to.get());
    }

    if (impl()->m_entity.is_present()) {
        std::string const top =
            top_entity != nullptr
                ? std::string(top_entity)
                : (impl()->m_storage ? impl()->m_storage->get_top_level_entity_name()
                                     : std::string());
        if (impl()->m_entity.get() != top) {
            add_option_and_value_to_tcl_command(&line, "-entity", impl()->m_entity.get());
        }
    }

    std::vector<ACF_ARGUMENT_TYPE_ENUM> arguments;
    get_arguments(&arguments);
    for (ACF_ARGUMENT_TYPE_ENUM arg : arguments) {
        if (is_leading_argument(arg)) {
            add_argument_to_tcl_command(&line, arg);
        }
    }
    if (impl()->section_identifier().is_present()) {
        add_option_and_value_to_tcl_command(&line, "-section_id",
                                            impl()->section_identifier().get());
    }
    if (is_ignored()) {
        add_option_and_value_to_tcl_command(&line, "-disable", nullptr);
    }
    if (is_removed()) {
        add_option_and_value_to_tcl_command(&line, "-remove", nullptr);
    }
    if (impl()->comment().is_present()) {
        add_option_and_value_to_tcl_command(&line, "-comment", impl()->comment().get());
    }
    for (ACF_ARGUMENT_TYPE_ENUM arg : arguments) {
        if (!is_leading_argument(arg)) {
            add_argument_to_tcl_command(&line, arg);
        }
    }
}
