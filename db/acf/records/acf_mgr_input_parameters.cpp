#include "acf_mgr_input_parameters.h"

#include "acf_internal_error.h"
#include "catalogue/acf_legality.h"
#include "mem_manager.h"
#include "suite/general/gen.h"

MEM_UNIT_INITIALIZER(ACF);

namespace {

// An owned copy of a caller's text that remembers whether it was set from null.
class OPTIONAL_TEXT {
public:
    void set(const char* text) {
        m_present = text != nullptr;
        if (m_present) {
            m_text.assign(text);
        } else {
            m_text.clear();
        }
    }
    const char* get() const { return m_present ? m_text.c_str() : nullptr; }

private:
    std::string m_text;
    bool m_present = false;
};

} // namespace

class ACF_MGR_INPUT_PARAMETERS_IMPL {
public:
    OPTIONAL_TEXT m_variable_string;
    OPTIONAL_TEXT m_value_string;
    OPTIONAL_TEXT m_from;
    OPTIONAL_TEXT m_to;
    OPTIONAL_TEXT m_entity_name;
    OPTIONAL_TEXT m_section_identifier;
    OPTIONAL_TEXT m_comments;
    ACF_VARIABLE_TYPE_ENUM m_variable_type = ACF_VARIABLE_TYPE_NONE;
    const char* m_original_value_string = nullptr;
    bool m_value_bool = false;
    int m_value_int = 0;
    double m_value_double = 0.0;
    ACF_ENUM_VALUE_ENUM m_value_enum = ACF_ENUM_VALUE_ENUM(0);
    bool m_is_ignored = false;
    bool m_skip_non_defaults = false;
    ACF_FILE_CATEGORY_ENUM m_file_category = ACF_FILE_CATEGORY_NONE;
    std::vector<ACF_ARGUMENT_TYPE_ENUM> m_argument_types;
    std::list<std::string> m_argument_values; // the n-th value belongs to the n-th type
};

ACF_MGR_INPUT_PARAMETERS::ACF_MGR_INPUT_PARAMETERS()
    : m_impl(MEM_NEW(ACF, ACF_MGR_INPUT_PARAMETERS_IMPL)()) {
    reset();
}

ACF_MGR_INPUT_PARAMETERS::ACF_MGR_INPUT_PARAMETERS(const ACF_MGR_INPUT_PARAMETERS& other)
    : m_impl(MEM_NEW(ACF, ACF_MGR_INPUT_PARAMETERS_IMPL)()) {
    reset();
    copy_from(&other);
}

ACF_MGR_INPUT_PARAMETERS::~ACF_MGR_INPUT_PARAMETERS() {
    delete m_impl;
    m_impl = nullptr;
}

ACF_MGR_INPUT_PARAMETERS& ACF_MGR_INPUT_PARAMETERS::operator=(const ACF_MGR_INPUT_PARAMETERS* src) {
    copy_from(src);
    return *this;
}

void ACF_MGR_INPUT_PARAMETERS::reset() {
    set_variable_type(ACF_VARIABLE_TYPE_NONE);
    set_variable_string(nullptr);
    set_value_string(nullptr);
    set_value_bool(false);
    set_value_int(0);
    set_value_double(0.0);
    set_value_enum(ACF_ENUM_VALUE_ENUM(0));
    set_from(nullptr);
    set_to(nullptr);
    set_entity_name(nullptr);
    set_section_identifier(nullptr);
    set_comments(nullptr);
    set_is_ignored(false);
    set_skip_non_defaults(false);
    set_file_category(ACF_FILE_CATEGORY_NONE);
    m_impl->m_argument_types.clear();
    m_impl->m_argument_values.clear();
}

void ACF_MGR_INPUT_PARAMETERS::copy_from(const ACF_MGR_INPUT_PARAMETERS* src) {
    if (!ACF_REQUIRE(src != NULL)) {
        return;
    }
    if (!ACF_REQUIRE(src->get_variable_type() >= ACF_VARIABLE_TYPE_NONE) ||
        !ACF_REQUIRE(src->get_variable_type() < ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE)) {
        return;
    }
    if (src == this) {
        return;
    }
    set_variable_type(src->get_variable_type());
    set_variable_string(src->get_variable_string());
    set_value_string(src->get_value_string());
    set_value_bool(src->get_value_bool());
    set_value_int(src->get_value_int());
    set_value_double(src->get_value_double());
    set_value_enum(src->get_value_enum());
    set_from(src->get_from());
    set_to(src->get_to());
    set_entity_name(src->get_entity_name());
    set_section_identifier(src->get_section_identifier());
    set_comments(src->get_comments());
    set_is_ignored(src->get_is_ignored());
    set_skip_non_defaults(src->get_skip_non_defaults());
    set_file_category(src->get_file_category());
    m_impl->m_argument_types = src->m_impl->m_argument_types;
    m_impl->m_argument_values = src->m_impl->m_argument_values;
}

void ACF_MGR_INPUT_PARAMETERS::set_variable_type(ACF_VARIABLE_TYPE_ENUM type) {
    m_impl->m_variable_type = type;
}
ACF_VARIABLE_TYPE_ENUM ACF_MGR_INPUT_PARAMETERS::get_variable_type() const {
    return m_impl->m_variable_type;
}
void ACF_MGR_INPUT_PARAMETERS::set_variable_string(const char* name) {
    m_impl->m_variable_string.set(name);
}
const char* ACF_MGR_INPUT_PARAMETERS::get_variable_string() const {
    return m_impl->m_variable_string.get();
}

void ACF_MGR_INPUT_PARAMETERS::set_value_string(const char* value) {
    m_impl->m_original_value_string = value;
    m_impl->m_value_string.set(value);
}
const char* ACF_MGR_INPUT_PARAMETERS::get_value_string() const {
    return m_impl->m_value_string.get();
}
const char* ACF_MGR_INPUT_PARAMETERS::get_original_value_string() const {
    return m_impl->m_original_value_string;
}
void ACF_MGR_INPUT_PARAMETERS::set_value_bool(bool value) {
    m_impl->m_value_bool = value;
}
bool ACF_MGR_INPUT_PARAMETERS::get_value_bool() const {
    return m_impl->m_value_bool;
}
void ACF_MGR_INPUT_PARAMETERS::set_value_int(int value) {
    m_impl->m_value_int = value;
}
int ACF_MGR_INPUT_PARAMETERS::get_value_int() const {
    return m_impl->m_value_int;
}
void ACF_MGR_INPUT_PARAMETERS::set_value_double(double value) {
    m_impl->m_value_double = value;
}
double ACF_MGR_INPUT_PARAMETERS::get_value_double() const {
    return m_impl->m_value_double;
}
void ACF_MGR_INPUT_PARAMETERS::set_value_enum(ACF_ENUM_VALUE_ENUM value) {
    m_impl->m_value_enum = value;
}
ACF_ENUM_VALUE_ENUM ACF_MGR_INPUT_PARAMETERS::get_value_enum() const {
    return m_impl->m_value_enum;
}

void ACF_MGR_INPUT_PARAMETERS::set_from(const char* source) {
    m_impl->m_from.set(source);
}
const char* ACF_MGR_INPUT_PARAMETERS::get_from() const {
    return m_impl->m_from.get();
}
void ACF_MGR_INPUT_PARAMETERS::set_to(const char* target) {
    m_impl->m_to.set(target);
}
const char* ACF_MGR_INPUT_PARAMETERS::get_to() const {
    return m_impl->m_to.get();
}
void ACF_MGR_INPUT_PARAMETERS::set_entity_name(const char* entity) {
    m_impl->m_entity_name.set(entity);
}
const char* ACF_MGR_INPUT_PARAMETERS::get_entity_name() const {
    return m_impl->m_entity_name.get();
}
void ACF_MGR_INPUT_PARAMETERS::set_section_identifier(const char* section_id) {
    m_impl->m_section_identifier.set(section_id);
}
const char* ACF_MGR_INPUT_PARAMETERS::get_section_identifier() const {
    return m_impl->m_section_identifier.get();
}
void ACF_MGR_INPUT_PARAMETERS::set_comments(const char* comments) {
    m_impl->m_comments.set(comments);
}
const char* ACF_MGR_INPUT_PARAMETERS::get_comments() const {
    return m_impl->m_comments.get();
}

void ACF_MGR_INPUT_PARAMETERS::set_is_ignored(bool ignored) {
    m_impl->m_is_ignored = ignored;
}
bool ACF_MGR_INPUT_PARAMETERS::get_is_ignored() const {
    return m_impl->m_is_ignored;
}
void ACF_MGR_INPUT_PARAMETERS::set_skip_non_defaults(bool skip) {
    m_impl->m_skip_non_defaults = skip;
}
bool ACF_MGR_INPUT_PARAMETERS::get_skip_non_defaults() const {
    return m_impl->m_skip_non_defaults;
}
void ACF_MGR_INPUT_PARAMETERS::set_file_category(ACF_FILE_CATEGORY_ENUM category) {
    m_impl->m_file_category = category;
}
ACF_FILE_CATEGORY_ENUM ACF_MGR_INPUT_PARAMETERS::get_file_category() const {
    return m_impl->m_file_category;
}

bool ACF_MGR_INPUT_PARAMETERS::add_argument(ACF_ARGUMENT_TYPE_ENUM type, const char* value) {
    if (type == ACF_ARGUMENT_TYPE_NONE) {
        return false;
    }
    const char* renamed = acf_get_argument_rename_value(type, value);
    ACF_VARIABLE_TYPE_ENUM variable = get_variable_type();
    bool has_section_id = !gen_is_empty_string(get_section_identifier());
    bool has_entity = !gen_is_empty_string(get_entity_name());
    // An argument that does not fit a sectioned context may still fit the same
    // variable without its section.
    if (!acf_is_argument_legal(type, renamed, variable, has_section_id, has_entity) &&
        (!has_section_id || !acf_is_argument_legal(type, renamed, variable, false, has_entity))) {
        return false;
    }
    std::string text = renamed == nullptr ? std::string() : std::string(renamed);
    auto value_it = m_impl->m_argument_values.begin();
    for (ACF_ARGUMENT_TYPE_ENUM present : m_impl->m_argument_types) {
        if (present == type) {
            if (text.empty()) {
                return true;
            }
            bool case_sensitive =
                acf_test_argument_trait_of(type, ACF_ARGUMENT_TRAIT_TYPE_CASE_SENSITIVE);
            return case_sensitive ? *value_it == text
                                  : gen_stricmp(value_it->c_str(), text.c_str()) == 0;
        }
        ++value_it;
    }
    m_impl->m_argument_types.push_back(type);
    m_impl->m_argument_values.push_back(text);
    return true;
}

void ACF_MGR_INPUT_PARAMETERS::get_argument_types(
    std::vector<ACF_ARGUMENT_TYPE_ENUM>* types) const {
    if (types != nullptr) {
        types->insert(types->end(), m_impl->m_argument_types.begin(),
                      m_impl->m_argument_types.end());
    }
}

void ACF_MGR_INPUT_PARAMETERS::get_argument_values(std::list<std::string>* values) const {
    if (values != nullptr) {
        values->insert(values->end(), m_impl->m_argument_values.begin(),
                       m_impl->m_argument_values.end());
    }
}
