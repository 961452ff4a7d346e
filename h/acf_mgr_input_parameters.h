// The query and update record of one assignment: every caller names the
// assignment it gets, sets, removes or checks through one of these, fills it
// with the setters, hands its address to the revision manager and reuses it
// after reset().
//
// Text fields are owned copies. A text getter returns null only when the field
// was set from null; an empty text stays an empty text.
#pragma once

#include "acf_file_categories.h"
#include "acf_table.h"

#include <list>
#include <string>
#include <vector>

class ACF_MGR_INPUT_PARAMETERS_IMPL;

class ACF_MGR_INPUT_PARAMETERS {
public:
    ACF_MGR_INPUT_PARAMETERS();
    ACF_MGR_INPUT_PARAMETERS(const ACF_MGR_INPUT_PARAMETERS& other);
    ~ACF_MGR_INPUT_PARAMETERS();
    // Copies every field of `src` (see copy_from).
    ACF_MGR_INPUT_PARAMETERS& operator=(const ACF_MGR_INPUT_PARAMETERS* src);
    // Records are copied through the pointer form above.
    ACF_MGR_INPUT_PARAMETERS& operator=(const ACF_MGR_INPUT_PARAMETERS& other) = delete;

    // Back to the defaults: variable type 0, every text null, numbers 0, flags
    // false, file category 21 (none), no arguments.
    void reset();
    // Copies every field through the setters, then the arguments in order.
    void copy_from(const ACF_MGR_INPUT_PARAMETERS* src);

    // Variable.
    void set_variable_type(ACF_VARIABLE_TYPE_ENUM type);
    ACF_VARIABLE_TYPE_ENUM get_variable_type() const;
    void set_variable_string(const char* name);
    const char* get_variable_string() const;

    // Value, as text and in the typed forms the typed operations use. The
    // original value is the caller's own pointer last given to set_value_string.
    void set_value_string(const char* value);
    const char* get_value_string() const;
    const char* get_original_value_string() const;
    void set_value_bool(bool value);
    bool get_value_bool() const;
    void set_value_int(int value);
    int get_value_int() const;
    void set_value_double(double value);
    double get_value_double() const;
    void set_value_enum(ACF_ENUM_VALUE_ENUM value);
    ACF_ENUM_VALUE_ENUM get_value_enum() const;

    // Context.
    void set_from(const char* source);
    const char* get_from() const;
    void set_to(const char* target);
    const char* get_to() const;
    void set_entity_name(const char* entity);
    const char* get_entity_name() const;
    void set_section_identifier(const char* section_id);
    const char* get_section_identifier() const;
    void set_comments(const char* comments);
    const char* get_comments() const;

    // Flags and file category.
    void set_is_ignored(bool ignored);
    bool get_is_ignored() const;
    // A removal through this record considers only default-valued assignments.
    void set_skip_non_defaults(bool skip);
    bool get_skip_non_defaults() const;
    void set_file_category(ACF_FILE_CATEGORY_ENUM category);
    ACF_FILE_CATEGORY_ENUM get_file_category() const;

    // Extra arguments. add_argument refuses type 0 and arguments that are not
    // legal for the record's variable and context; a second argument of a type
    // already present is not added, and the result says whether its value agrees.
    bool add_argument(ACF_ARGUMENT_TYPE_ENUM type, const char* value);
    // Append to the caller's containers, in the order the arguments were added;
    // a null container is ignored.
    void get_argument_types(std::vector<ACF_ARGUMENT_TYPE_ENUM>* types) const;
    void get_argument_values(std::list<std::string>* values) const;

private:
    ACF_MGR_INPUT_PARAMETERS_IMPL* m_impl;
};
