// Reader of a revision settings file: the Tcl set commands of the file, and of
// the files its `source` lines name, turned into line records without a Tcl
// interpreter.
//
// Every physical line gives at most one record: an assignment line (a set
// command with its options), a verbatim line (blank, comment or `source`) or an
// error line that keeps the line's text. The settings storage walks the kept
// records in order and turns them into assignments; messages about dropped lines
// are collected for it to post.
#pragma once

#include "acf_table_types.h"

#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class MSG_POST;

// The texts of a reader's records, copied into large blocks that are freed
// together, so that reading a line allocates nothing of its own.
class ACF_MGR_TEXT_ARENA {
public:
    // A NUL-terminated copy of `length` characters of `text`, valid until clear.
    char const* copy(char const* text, size_t length);
    void clear();

private:
    static constexpr size_t BLOCK_SIZE = 256 * 1024;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_next = nullptr;
    size_t m_left = 0;
};

// One line of a settings file as read.
class ACF_MGR_ASGN_LINE {
public:
    // Flag bits.
    enum : uint8_t {
        FLAG_ERROR = 1u << 0,     // the line could not be understood; only the text is kept
        FLAG_DISABLED = 1u << 1,  // "-disable" was given
        FLAG_SOURCE = 1u << 2,    // a `source` line; the source file names the file
        FLAG_PARAMETER = 1u << 3, // a set_parameter line; the name is the parameter's
        FLAG_VERBATIM = 1u << 4,  // blank, comment or `source` line
        FLAG_REMOVE = 1u << 5,    // "-remove" was given: the line removes the assignment
    };
    using ARGUMENT = std::pair<ACF_ARGUMENT_TYPE_ENUM, std::string>;

    // `text` and the texts set later are held by `arena`, which must outlive
    // the record.
    ACF_MGR_ASGN_LINE(ACF_MGR_TEXT_ARENA* arena, int32_t file_index, int32_t line_number,
                      uint8_t flags, char const* text);

    int32_t get_file_index() const { return m_file_index; }   // into the reader's file names
    int32_t get_line_number() const { return m_line_number; } // 1-based within that file
    uint8_t get_flags() const { return m_flags; }
    bool test_flag(uint8_t flag) const { return (m_flags & flag) != 0; }
    void set_flag(uint8_t flag) { m_flags |= flag; }

    // The texts; null when absent.
    char const* get_source_file() const { return m_fields[SOURCE_FILE]; }
    char const* get_name() const { return m_fields[NAME]; }
    char const* get_from() const { return m_fields[FROM]; }
    char const* get_to() const { return m_fields[TO]; }
    char const* get_value() const { return m_fields[VALUE]; }
    char const* get_entity() const { return m_fields[ENTITY]; }
    char const* get_section_id() const { return m_fields[SECTION_ID]; }
    char const* get_comment() const { return m_fields[COMMENT]; }
    // The whole line as read, before any escape removal.
    char const* get_text() const { return m_text; }
    // The arguments in the order given; empty when none.
    std::vector<ARGUMENT> const& get_arguments() const { return m_arguments; }

    // A copy of the text replaces the field's text; null clears it.
    void set_source_file(char const* file) { set_field(SOURCE_FILE, file); }
    void set_name(char const* name) { set_field(NAME, name); }
    void set_from(char const* from) { set_field(FROM, from); }
    void set_to(char const* to) { set_field(TO, to); }
    void set_value(char const* value) { set_field(VALUE, value); }
    void set_entity(char const* entity) { set_field(ENTITY, entity); }
    void set_section_id(char const* id) { set_field(SECTION_ID, id); }
    void set_comment(char const* comment) { set_field(COMMENT, comment); }

    enum FIELD { SOURCE_FILE, NAME, FROM, TO, VALUE, ENTITY, SECTION_ID, COMMENT, FIELD_COUNT };
    bool has_field(FIELD field) const { return m_fields[field] != nullptr; }
    void set_field(FIELD field, char const* text);
    // The same with the text's length known.
    void set_field(FIELD field, char const* text, size_t length);
    // Appends one argument (a null value is kept as the empty text); type 0 is
    // ignored.
    void add_argument(ACF_ARGUMENT_TYPE_ENUM type, char const* value);

private:
    ACF_MGR_TEXT_ARENA* m_arena;
    int32_t m_file_index;
    int32_t m_line_number;
    uint8_t m_flags;
    char const* m_text;
    char const* m_fields[FIELD_COUNT] = {};
    std::vector<ARGUMENT> m_arguments;
};

class ACF_MANAGER_READER {
public:
    // The most tokens one line may have; a line with more is an error line.
    static constexpr int32_t MAX_TOKENS = 100;

    ACF_MANAGER_READER();
    ~ACF_MANAGER_READER();
    ACF_MANAGER_READER(ACF_MANAGER_READER const&) = delete;
    ACF_MANAGER_READER& operator=(ACF_MANAGER_READER const&) = delete;

    // Reads one file and then, in turn, the files its `source` lines name (each
    // file at most once per reader; a missing file is skipped). `quiet` drops
    // lines that are no set command instead of making error lines and reports no
    // removed names. `include_list` (may be null) receives the full path of every
    // sourced file. `keep_this_file_out` keeps this file's records out of the kept
    // records, `keep_included_out` those of every sourced file. False when a file
    // that exists could not be read whole (an open, read or close error, no
    // regular file, or a NUL byte, which no line may hold): the reading stops
    // there and `get_read_error` tells which file and why.
    bool read_file(char const* file_name, bool quiet, std::list<std::string>* include_list,
                   bool keep_this_file_out, bool keep_included_out);
    // The file that could not be read and the reason; empty when none.
    std::string const& get_read_error() const { return m_read_error; }

    // Turns one line into zero or one record. The buffer is modified.
    void process_one_line_from_file(char* buffer, bool quiet);
    // Splits one line into the token slots; a blank or comment line gives a
    // verbatim record. The buffer is modified.
    void tokenize_buffer(char* buffer);
    // Appends an error record holding the text.
    void handle_error(char const* text);

    // The full path of the file with that index; null outside the files opened.
    char const* get_file_name(int32_t index) const;
    // Moves the collected messages to the caller's list (null: drops them).
    void get_post_messages(std::list<MSG_POST*>* messages);
    // Deletes every record and file name; the files read, the messages and the
    // dropped mark stay.
    void clear_assignments();

    // The kept records in file order, each sourced file's records after the line
    // that sources it. The reader owns them.
    std::vector<ACF_MGR_ASGN_LINE*> const& get_assignment_lines() const { return m_kept_lines; }
    // True when a line was dropped while reading (a removed name or an argument
    // not allowed in a settings file): the file should be written back.
    bool is_assignment_dropped() const { return (m_flags & FLAG_ASSIGNMENT_DROPPED) != 0; }

    // The tokens of the last line tokenised.
    int32_t get_token_count() const { return m_token_count; }
    char const* get_token(int32_t index) const { return m_tokens[index]; }
    bool has_too_many_tokens() const { return m_token_overflow; }

private:
    enum : uint8_t { FLAG_ASSIGNMENT_DROPPED = 1u << 0 };

    // Tokenises `buffer`; `text` is the line as read, held by the arena, for a
    // verbatim record.
    void tokenize(char* buffer, char const* text);
    bool store_token(char* token, size_t length);
    // Fills the record from the tokens after the command; false makes the line
    // an error line.
    bool read_options(ACF_MGR_ASGN_LINE* line, int32_t first);
    // The drop and validity rules for a record of a set command. Gives false
    // when the record must not be kept; *error tells whether it becomes an error
    // line.
    bool check_assignment_line(ACF_MGR_ASGN_LINE* line, bool quiet, bool* error);
    // A new record of the current file and line; `text` is held by the arena.
    ACF_MGR_ASGN_LINE* append_line(uint8_t flags, char const* text);
    // The catalogue's answers for command words and variable names, remembered
    // per reader since a file uses few of them many times.
    enum SET_COMMAND_KIND : uint8_t {
        NOT_A_SET_COMMAND,
        GENERIC_SET_COMMAND,
        VARIABLE_SET_COMMAND
    };
    SET_COMMAND_KIND look_up_command(char const* word);
    struct NAME_INFO {
        bool removed;
        ACF_VARIABLE_TYPE_ENUM variable;
    };
    NAME_INFO const& look_up_name(char const* name);
    // Every physical line of the text, also the empty one after a final line
    // break. The text is modified.
    void read_lines(std::string& text, bool quiet);

    int32_t m_file_index = -1;
    int32_t m_line_number = -1;
    std::vector<ACF_MGR_ASGN_LINE*> m_kept_lines;
    std::deque<ACF_MGR_ASGN_LINE> m_all_lines; // stable addresses
    ACF_MGR_TEXT_ARENA m_texts;                // the records' texts
    std::vector<std::string> m_file_names;
    std::unordered_set<std::string> m_files_read;
    char* m_tokens[MAX_TOKENS] = {};
    size_t m_token_lengths[MAX_TOKENS] = {};
    int32_t m_token_count = 0;
    bool m_token_overflow = false;
    uint8_t m_flags = 0;
    std::list<MSG_POST*> m_messages;
    std::unordered_map<std::string, SET_COMMAND_KIND> m_commands;
    std::unordered_map<std::string, NAME_INFO> m_names;
    std::string m_key; // reused for the look-ups
    std::string m_read_error;
};
