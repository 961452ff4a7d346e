// Importer of assignments from a Comma-Separated Value file into one revision.
//
// The first row with cells names the columns. Each later row gives the
// assignment named in its "Assignment Name" column (valued from its "Value"
// column) and one assignment for every column whose header names a setting
// variable itself ("Location", "I/O Standard", ...). The assignments are set
// through the revision's storage under its write lock; at the end the importer
// reports the assignments added, the rows in error and the rows skipped.
#pragma once

#include "acf_table_types.h"

#include <cstdint>
#include <string>
#include <vector>

class ACF_ASSIGNMENT;
class ACF_ASSIGNMENT_FACTORY;
class ACF_MANAGER_STORAGE;
class ACF_MGR_INPUT_PARAMETERS;

// What a column of the file holds.
enum ASE_ASGN_PART_ENUM : int32_t {
    ASE_ASGN_PART_SOURCE = 0,  // -from
    ASE_ASGN_PART_TARGET = 1,  // -to
    ASE_ASGN_PART_NAME = 2,    // the assignment's variable name
    ASE_ASGN_PART_VALUE = 3,   // a value (of the named assignment, or of the column's variable)
    ASE_ASGN_PART_NONE = 5,    // an ignored column; also ends the column table
    ASE_ASGN_PART_COMMENT = 6, // -comment
    ASE_ASGN_PART_ENABLED = 8, // "No" disables the assignment
    ASE_ASGN_PART_ENTITY = 9,  // -entity
    ASE_ASGN_PART_TAG = 10,    // recognised, not used
};

// One known column header (matched ignoring case) and what its column holds.
struct ACF_CSV_COLUMN_DATA {
    char const* header;
    ASE_ASGN_PART_ENUM part;
    ACF_VARIABLE_TYPE_ENUM variable; // set for columns that name a variable themselves
};
// The 37 known headers, then an end row with an empty header and part 5.
extern ACF_CSV_COLUMN_DATA const acf_csv_column_data_array[];

class ACF_CSV_READER {
public:
    // The factory makes the assignments of the storage's non-project list.
    explicit ACF_CSV_READER(ACF_ASSIGNMENT_FACTORY* factory);

    // Imports the whole file into `mgr_storage`, taking its write lock when
    // nobody holds it. `post_messages` posts the warnings and the three result
    // summaries; `store_in_revision` sets the assignments into the revision,
    // `add_to_non_project_list` also hands copies to the storage's non-project
    // list; `set_file_name` records the CSV file as each assignment's file; a
    // non-zero argument type adds that argument to every assignment. False when
    // the file is missing or cannot be opened, the write lock cannot be had, or
    // the header row lacks the required columns.
    bool read_file(char const* file_name, ACF_MANAGER_STORAGE* mgr_storage, bool post_messages,
                   bool store_in_revision, bool add_to_non_project_list, bool set_file_name,
                   ACF_ARGUMENT_TYPE_ENUM argument_type, char const* argument_value);

    // Splits one line into cells (escapes removed in place, each cell trimmed,
    // double quotes kept, commas inside quotes kept); false when the line has no
    // cells (blank or a "#" comment).
    bool tokenize_buffer(char* line);
    // Takes the cells as the header row; false, with the warning when messages
    // are on, when no column holds a value or none names a variable.
    bool create_column_info(char const* line);
    // Splits `line` and takes it as the header row like create_column_info, but
    // posts nothing and is true only when every header cell is known.
    bool validate_column_info(char* line);
    // The first row with cells is the header, every later one a data row; false
    // when the header is refused.
    bool process_one_line_from_file(char* buffer, ACF_MANAGER_STORAGE* mgr_storage);
    // Turns the cells of one data row (`line` as read) into assignments.
    void create_assignments(ACF_MANAGER_STORAGE* mgr_storage, char const* line);
    // The assignment of one variable column of the current row; true when made
    // or when the row leaves that column empty.
    bool add_assignment_for_acf_variable_type(ACF_VARIABLE_TYPE_ENUM variable, char const* from,
                                              char const* to, char const* comment,
                                              char const* entity, bool ignored,
                                              ACF_MANAGER_STORAGE* mgr_storage);
    // A new assignment made from the parameters, handed to the storage's
    // non-project list.
    bool add_asgn_to_internal_collection(ACF_MGR_INPUT_PARAMETERS* input_params,
                                         ACF_MANAGER_STORAGE* mgr_storage);
    // Posts the added, error and skipped summaries (only with messages on).
    void display_result_messages();

    // The current row's cell of the first column of that part or variable; null
    // when the cell is empty or there is no such column.
    char const* get_string_for_ase_part_enum(ASE_ASGN_PART_ENUM part) const;
    char const* get_string_for_acf_variable_type_enum(ACF_VARIABLE_TYPE_ENUM variable) const;

    std::vector<std::string> const& get_cells() const { return m_cells; }
    int32_t get_header_column_count() const { return m_header_column_count; }
    // The Tcl commands of the assignments stored, the rows in error and the rows
    // skipped, in file order.
    std::vector<std::string> const& get_added() const { return m_added; }
    std::vector<std::string> const& get_errors() const { return m_errors; }
    std::vector<std::string> const& get_skipped() const { return m_skipped; }

private:
    enum : uint8_t {
        FLAG_HEADER_READ = 1u << 0,
        FLAG_POST_MESSAGES = 1u << 1,
        FLAG_STORE_IN_REVISION = 1u << 2,
        FLAG_ADD_TO_NON_PROJECT_LIST = 1u << 3,
        FLAG_SET_FILE_NAME = 1u << 4,
    };

    // Fills the column lists from the cells; true when the header suffices.
    bool take_header_cells(bool* every_cell_known);
    char const* cell_of_column(int32_t column) const;
    // The value of the named assignment: the "Value" column, the first value
    // column that names no variable itself.
    char const* get_named_value_string() const;
    // Asks the storage whether the assignment may be set; a refusal for a
    // missing entity is retried with the revision's root entity. True when it
    // may be set (a duplicate may).
    bool check_legal(ACF_MGR_INPUT_PARAMETERS* params, ACF_MANAGER_STORAGE* mgr_storage,
                     bool no_target, bool freeform, bool has_entity);
    // Stores the assignment in the revision and finishes it (argument, ignored
    // mark, comment, file name, added list); false when the storage refused.
    bool store_assignment(ACF_MGR_INPUT_PARAMETERS* params, ACF_MANAGER_STORAGE* mgr_storage,
                          bool no_target, bool freeform, bool ignored, char const* comment);
    char const* file_name_text() const { return m_file_name != nullptr ? m_file_name : ""; }

    int32_t m_header_column_count = 0;
    std::vector<std::string> m_cells;
    std::vector<ASE_ASGN_PART_ENUM> m_column_parts;
    std::vector<ACF_VARIABLE_TYPE_ENUM> m_column_variables;
    uint8_t m_flags = 0;
    std::vector<std::string> m_added;
    std::vector<std::string> m_errors;
    std::vector<std::string> m_skipped;
    ACF_ARGUMENT_TYPE_ENUM m_argument_type = ACF_ARGUMENT_TYPE_NONE;
    char const* m_argument_value = nullptr;
    char const* m_file_name = nullptr;
    ACF_ASSIGNMENT_FACTORY* m_assignment_factory;
};
