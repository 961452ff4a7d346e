#include "acf_utils.h"

#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_table.h"
#include "acf_unload.h"
#include "mem_manager.h"
#include "suite/general/big_time.h"
#include "suite/general/gen.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

MEM_UNIT_INITIALIZER(ACF);

ACF_TCL_SET_TO_VAR_INFO const acf_tcl_set_to_var_info[] = {
    {"set_location_assignment", ACF_VARIABLE_TYPE_LOCATION},
    {"set_hps_location_assignment", ACF_VARIABLE_TYPE_HPS_LOCATION},
    {"set_parameter", ACF_VARIABLE_TYPE_PARAMETER},
    {"", ACF_VARIABLE_TYPE_NONE},
};

namespace {

// Characters Tcl would take as syntax inside a double-quoted word: braces,
// variable and command substitution, the quote and the backslash itself.
bool is_tcl_special(char c) {
    return c == '{' || c == '}' || c == '$' || c == '[' || c == ']' || c == '"' || c == '\\';
}

bool forces_quotes(char c) {
    return std::strchr("\t #(),-:;<=>{}\"", c) != nullptr && c != '\0';
}

bool is_ascii_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char to_lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Set commands seen so far, by their exact text: whether each is variable-specific.
// Guarded, as recognition may run on several threads.
std::mutex set_command_mutex;
using SET_COMMAND_CACHE = std::map<std::string, bool>;
SET_COMMAND_CACHE* set_command_cache = nullptr;

// A number without unit: only digits, '-', '.' and white space, at least one digit.
bool is_bare_number(std::string const& text) {
    bool digit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (std::strchr("-. \t\r\n", c) == nullptr) {
            return false;
        }
    }
    return digit;
}

std::string trimmed(std::string const& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return "";
    }
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Underscores become blanks; words starting with a letter are lowered, except the
// text's first character; words starting otherwise stay as they are.
void to_generic_spelling(std::string& value) {
    if (value.size() < 2 || !is_ascii_letter(value[0])) {
        return;
    }
    bool word_start = false;
    bool lower_word = true;
    for (size_t i = 1; i < value.size(); ++i) {
        char& c = value[i];
        if (c == '_' || c == ' ') {
            c = ' ';
            word_start = true;
            continue;
        }
        if (word_start) {
            lower_word = is_ascii_letter(c);
            word_start = false;
        }
        if (lower_word) {
            c = to_lower_ascii(c);
        }
    }
}

// Adds the default unit to a bare number and tells the user so.
void add_default_unit(std::string& value, ACF_VARIABLE_TYPE_ENUM variable, bool is_time) {
    std::string old_value = value;
    value = trimmed(value) + " " +
            BIG_TIME::get_time_unit_string(is_time ? BIG_TIME_UNIT_NS : BIG_TIME_UNIT_MHZ);
    MSG_W* warning = MSG_ACF::W::NO_TIME_UNITS_SPECIFIED(acf_get_variable_user_name(variable),
                                                         old_value.c_str(), value.c_str());
    msg_post(warning);
    delete warning;
}

} // namespace

std::string acf_add_escape_characters(std::string const& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (is_tcl_special(c)) {
            escaped += '\\';
            escaped += c;
        } else if (c == '\t') {
            escaped += "    ";
        } else if (c == '\n' || c == '\r') {
            // A line break stays inside its word, spelt as Tcl reads it back.
            escaped += c == '\n' ? "\\n" : "\\r";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

char acf_unescaped_character(char escaped) {
    return escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
}

void acf_remove_escape_characters(char* text) {
    if (text == nullptr) {
        ACF_INTERNAL_ERROR("temp != NULL");
        return;
    }
    char* out = text;
    for (char const* in = text; *in != '\0'; ++in) {
        if (*in == '\\' && in[1] != '\0') {
            *out++ = acf_unescaped_character(*++in);
            continue;
        }
        *out++ = *in;
    }
    *out = '\0';
}

std::string acf_format_string(std::string const& text, bool escape_quotes) {
    bool quote = false;
    std::string word;
    word.reserve(text.size() + 2);
    for (char c : text) {
        quote = quote || forces_quotes(c);
        if (c == '"' && escape_quotes) {
            word += '\\';
        }
        word += c;
    }
    return quote ? "\"" + word + "\"" : text;
}

bool acf_is_valid_tcl_set_command(char const* command, bool* variable_specific) {
    if (command == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> lock(set_command_mutex);
    if (set_command_cache != nullptr) {
        auto found = set_command_cache->find(command);
        if (found != set_command_cache->end()) {
            *variable_specific = found->second;
            return true;
        }
    }
    bool specific;
    if (gen_stricmp(command, "set_global_assignment") == 0 ||
        gen_stricmp(command, "set_instance_assignment") == 0 ||
        gen_stricmp(command, "set_parameter") == 0) {
        specific = false;
    } else {
        ACF_TCL_SET_TO_VAR_INFO const* row = acf_tcl_set_to_var_info;
        while (row->command[0] != '\0' && gen_stricmp(row->command, command) != 0) {
            ++row;
        }
        if (row->command[0] == '\0') {
            return false;
        }
        specific = true;
    }
    if (set_command_cache == nullptr) {
        set_command_cache = MEM_NEW(ACF, SET_COMMAND_CACHE)();
    }
    set_command_cache->emplace(command, specific);
    *variable_specific = specific;
    return true;
}

void acf_free_tcl_set_command_cache() {
    std::lock_guard<std::mutex> lock(set_command_mutex);
    delete set_command_cache;
    set_command_cache = nullptr;
}

void acf_source_target_cleanup(char const* text, std::string* result) {
    if (result == nullptr) {
        ACF_INTERNAL_ERROR("result_str != NULL");
        return;
    }
    *result = text != nullptr ? trimmed(text) : std::string();
    if (result->size() >= 2 && (*result)[0] == '|') {
        result->erase(0, 1);
    }
}

std::string acf_format_submessage(std::string const& current, std::string const& format,
                                  std::string const& addition) {
    std::string result = current;
    if (addition.empty()) {
        return result;
    }
    if (!result.empty()) {
        result += ", ";
    }
    int length = std::snprintf(nullptr, 0, format.c_str(), result.c_str(), addition.c_str());
    if (length < 0) {
        return result;
    }
    std::string formatted(static_cast<size_t>(length), '\0');
    std::snprintf(&formatted[0], formatted.size() + 1, format.c_str(), result.c_str(),
                  addition.c_str());
    return formatted;
}

bool acf_convert_time_frequency_to_correct_case(std::string& value) {
    BIG_TIME time;
    if (value.empty() || !time.set_time(value.c_str())) {
        return false;
    }
    std::string canonical =
        time.to_string_without_unit(BIG_TIME::get_max_precision_for(time.get_unit()));
    if (canonical.size() > 2 && canonical.compare(canonical.size() - 2, 2, ".0") == 0) {
        canonical.erase(canonical.size() - 2);
    }
    canonical += ' ';
    canonical += BIG_TIME::get_time_unit_string(time.get_unit());
    bool changed = canonical != value;
    value = canonical;
    return changed;
}

void acf_string_to_user_friendly(std::string& value, ACF_VARIABLE_TYPE_ENUM variable,
                                 bool add_missing_units) {
    if (variable != ACF_VARIABLE_TYPE_NONE) {
        int type = acf_get_value_type(variable);
        if (type == ACF_VALUE_TYPE_ENUM) {
            for (ACF_ENUM_VALUE_ENUM choice :
                 acf_get_variable_enum_value_types(variable, true, DEV_FAMILY_GENERIC)) {
                // The value may be written by its name or by its user string.
                char const* user = acf_enum_type_to_user_string(choice);
                char const* name = acf_enum_type_to_string(choice);
                if (user != nullptr && (gen_stricmp(user, value.c_str()) == 0 ||
                                        gen_stricmp(name, value.c_str()) == 0)) {
                    value = user;
                    return;
                }
            }
        } else if (type == ACF_VALUE_TYPE_TIME || type == ACF_VALUE_TYPE_FREQUENCY) {
            if (add_missing_units && is_bare_number(value)) {
                add_default_unit(value, variable, type == ACF_VALUE_TYPE_TIME);
            }
            acf_convert_time_frequency_to_correct_case(value);
            return;
        }
        if (acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE) ||
            acf_test_variable_trait_of(
                variable, ACF_VARIABLE_TRAIT_TYPE_DONT_CONVERT_TO_USER_FRIENDLY_STRING)) {
            return;
        }
    }
    to_generic_spelling(value);
}
