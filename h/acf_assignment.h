// One setting of a revision: a catalogue variable (or a freeform name) with its
// optional source and target, value, entity, section identifier, comment,
// extra arguments and status flags.
//
// Every record belongs to one revision storage, which it asks for defaults,
// legality, the top-level entity, the revision's settings file and the transient
// mode. The record takes no locks: callers hold the storage's read or write lock.
//
// Optional texts are absent (null) rather than empty. Text results stay valid
// until the field they come from next changes.
#pragma once

#include "acf_file_categories.h"
#include "acf_table_types.h"

#include <cstdint>
#include <string>
#include <vector>

class ACF_ASSIGNMENT;
class ACF_ASSIGNMENT_IMPL;
class ACF_MANAGER_STORAGE;
class ACF_MGR_INPUT_PARAMETERS;

// The holder of a record, told of the changes it keeps indexes or counts of:
// the changed mark turning on or off, and the value, ignored mark or removed
// mark changing.
class ACF_ASSIGNMENT_OBSERVER {
public:
    virtual void changed_mark_turned(ACF_ASSIGNMENT* asgn, bool on) = 0;
    virtual void matching_state_changed(ACF_ASSIGNMENT* asgn) = 0;

protected:
    ~ACF_ASSIGNMENT_OBSERVER() = default;
};

// The texts of the settings-file line a record was read from (null: none).
struct ACF_ASGN_READ_TEXTS {
    char const* command = nullptr; // the whole line
    char const* name = nullptr;    // the variable or parameter name
    char const* value = nullptr;
    char const* from = nullptr;
    char const* to = nullptr;
};

class ACF_ASSIGNMENT {
public:
    // --- Construction -------------------------------------------------------
    // A null text is not given. Source and target lose a leading '|', the
    // comment is normalised, the value is brought to canonical form, and the
    // record starts unchanged.
    ACF_ASSIGNMENT(ACF_MANAGER_STORAGE* storage, ACF_VARIABLE_TYPE_ENUM type,
                   char const* freeform_name, char const* from, char const* to, char const* value,
                   char const* comment, bool ignored);
    ACF_ASSIGNMENT(ACF_MANAGER_STORAGE* storage, ACF_VARIABLE_TYPE_ENUM type,
                   std::string const* freeform_name, std::string const* from, std::string const* to,
                   std::string const* value, std::string const* comment, bool ignored);
    // Deep copy; the copy keeps the source's storage.
    explicit ACF_ASSIGNMENT(ACF_ASSIGNMENT const* asgn);
    ~ACF_ASSIGNMENT();
    ACF_ASSIGNMENT(ACF_ASSIGNMENT const&) = delete;
    ACF_ASSIGNMENT& operator=(ACF_ASSIGNMENT const&) = delete;

    // Rebuilds the record in place (same arguments as the constructor).
    void init(ACF_MANAGER_STORAGE* storage, ACF_VARIABLE_TYPE_ENUM type, char const* freeform_name,
              char const* from, char const* to, char const* value, char const* comment,
              bool ignored);

    // --- Getters --------------------------------------------------------------
    ACF_VARIABLE_TYPE_ENUM get_type() const;
    char const* get_source() const;             // "" when absent
    char const* get_target() const;             // "" when absent
    char const* get_comments() const;           // "" when absent
    char const* get_actual_value() const;       // "" when absent
    char const* get_section_identifier() const; // null when absent
    char const* get_entity_name() const;        // null when absent
    // The freeform name when there is one, else the variable's user name.
    char const* get_variable_string() const;
    char const* get_variable_ui_name() const;
    char const* get_description() const;
    // The settings file the record belongs to: its own file name, else the
    // active revision's settings file.
    char const* get_acf_file_name() const;
    // The default value when ignored and not raw, else the stored value.
    char const* get_unmodified_value(bool raw) const;
    // As get_unmodified_value, with file names of resolving variables turned
    // into full paths. The text belongs to this record.
    char const* get_value(bool raw) const;
    // The storage's default for this record; "" for instance assignments.
    char const* get_default_value() const;
    DEV_FAMILY_ENUM get_family_enum() const;
    ACF_FILE_CATEGORY_ENUM get_file_category() const;
    char const* get_variable_tcl_set_function() const;
    // Copies the command line the record was read from; false when none.
    bool get_variable_original_tcl_command_from_file(std::string* returned_tcl_command) const;
    // The same without a copy; null when none.
    char const* get_original_tcl_command() const;
    char const* get_argument_value(ACF_ARGUMENT_TYPE_ENUM arg) const; // null when absent
    // Appends the present argument types in ascending order.
    void get_arguments(std::vector<ACF_ARGUMENT_TYPE_ENUM>* arguments) const;
    ACF_MANAGER_STORAGE* get_manager_storage() const;

    // --- Predicates -----------------------------------------------------------
    bool is_removed() const;
    bool is_ignored() const;
    bool is_default_value() const;
    bool has_changed() const;
    bool is_transient() const; // also while a TIP or SIP argument is present
    bool is_global() const;    // neither source nor target
    bool is_freeform() const;
    bool does_argument_exist(ACF_ARGUMENT_TYPE_ENUM arg) const;
    bool does_any_arguments_exist() const;
    bool is_argument_valid(ACF_ARGUMENT_TYPE_ENUM arg) const;
    bool is_valid_for_family(DEV_FAMILY_ENUM family) const;
    bool is_valid_for_ase_category(ASE_CATEGORY_ENUM category) const;
    bool test_trait_of(ACF_VARIABLE_TRAIT_TYPE_ENUM trait) const;
    bool test_category_trait_of(ACF_CATEGORY_TRAIT_TYPE_ENUM trait) const;
    bool test_section_type_of(ACF_CATEGORY_SECTION_TYPE_ENUM section_type) const;
    bool test_target_type_of(ACF_FILE_CATEGORY_TARGET_TYPE_ENUM target_type) const;
    // 0 legal; 1 section, 2 variable, 3 target, 4 value, 5 duplicate, 6 other.
    int is_legal() const;

    // --- Modifiers ------------------------------------------------------------
    void set_value(char const* text);
    bool set_entity_name(char const* text);
    bool set_section_identifier(char const* text);
    void clear_section_identifier();
    void set_comment(char const* text);
    void set_acf_file_name(char const* name);
    void set_variable_original_tcl_command_from_file(char const* text);
    // Points the record at texts of the line it was read from that its holder
    // keeps for it, instead of copies of its own: the command line (which it
    // then holds), and its freeform name, value, source and target where the
    // line's text, or its end, equals what the record holds. A pooled record
    // copies the command line and borrows nothing. True when the record
    // borrows the texts now.
    bool borrow_read_texts(ACF_ASGN_READ_TEXTS const& line);
    // Points the record's entity name at `kept`, an equal text that its holder
    // keeps for it, instead of a copy of its own (nothing when they differ).
    void borrow_entity_name(char const* kept);
    // Makes the record own copies of the texts borrow_read_texts lent it.
    void own_read_texts();
    void set_old_section_info(char const* section_identifier, char const* file_name,
                              bool entity_from_file);
    bool set_family_enum();
    bool add_argument(ACF_ARGUMENT_TYPE_ENUM arg, char const* text);
    bool remove_argument(ACF_ARGUMENT_TYPE_ENUM arg, char const* text);
    void clear_arguments();
    void set_changed_status(bool changed);
    bool set_default_status(bool is_default);
    bool set_ignore_status(bool ignored);
    void set_remove_status(bool removed);
    void set_transient(bool transient);
    // The one observer of the record (null: none), and the number under which
    // the observer keeps it, so that the observer finds its own bookkeeping of
    // the record without a search; copies start without either.
    void set_observer(ACF_ASSIGNMENT_OBSERVER* observer, uint32_t place = 0);
    uint32_t get_observer_place() const;

    // --- Storage-facing ---------------------------------------------------------
    // Resets the parameters and fills them from this record.
    void fill_in_input_parameter(ACF_MGR_INPUT_PARAMETERS* input_params) const;
    // Asks the storage to remove this record (while a project is open).
    void remove();
    // True when the record was live before the call; then removes it.
    bool remove_assignment();

    // --- Value conversions used by set_value ---------------------------------
    void convert_a_value_string_to_canonical_form(std::string& value) const;
    bool replace_value_string_if_rename_is_required(std::string& value) const;
    bool replace_value_string_with_default_if_debug(std::string& value) const;

    // --- Command text -----------------------------------------------------------
    // Replaces *returned_tcl_command with the record's settings-file command
    // line (no line end). An entity equal to top_entity (null: the storage's
    // top-level entity) is left out.
    void get_variable_tcl_set_command(std::string* returned_tcl_command,
                                      char const* top_entity) const;
    // Appends " -<option>" and, for a non-null value, a blank and the escaped,
    // quoted value.
    void add_option_and_value_to_tcl_command(std::string* returned_tcl_command,
                                             char const* option_name, char const* value) const;
    // Appends one argument option as written in settings files.
    void add_argument_to_tcl_command(std::string* returned_tcl_command,
                                     ACF_ARGUMENT_TYPE_ENUM arg) const;

private:
    // Makes the implementation in its room, which holds none yet, and fills it
    // (the constructor's arguments).
    void build(ACF_MANAGER_STORAGE* storage, ACF_VARIABLE_TYPE_ENUM type, char const* freeform_name,
               char const* from, char const* to, char const* value, char const* comment,
               bool ignored);
    ACF_ASSIGNMENT_IMPL* impl();
    ACF_ASSIGNMENT_IMPL const* impl() const;
    // Stores the changed mark and tells the observer when it turned.
    void store_changed_mark(bool on);
    void tell_matching_state_changed();

    // The implementation lives inside the record rather than in a block of its
    // own: one allocation per settings line, not two.
    alignas(void*) unsigned char m_impl_room[80];
};
