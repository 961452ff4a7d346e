// Reader of a revision settings file: the Tcl set commands of the file, and of
// the files its `source` lines name, turned into line records without a Tcl
// interpreter.
//
// Every physical line gives at most one record (a line break at the end of a
// file ends its last line, as the writer ends every line): an assignment line
// (a set command with its options), a verbatim line (blank, comment or
// `source`) or an error line that keeps the line's text. The settings storage
// walks the kept records in order and turns them into assignments; messages
// about dropped lines are collected for it to post.
#pragma once

#include "acf_table_types.h"
#include "acf_text_arena.h"

#include "suite/fileio/fio.h"

#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class MSG_POST;

// One line of a settings file as read: 32 bytes. The line's text stays in the
// file's buffer; the fields and arguments given are packed one after the other
// into the reader's arena, except a field whose text is the end of the line's
// own text (most lines end in their value or target), which is read from there.
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
        // Set by the reader's user: the line belongs to the revision's default
        // entity without naming one.
        FLAG_DEFAULT_ENTITY = 1u << 6,
    };
    enum FIELD { SOURCE_FILE, NAME, FROM, TO, VALUE, ENTITY, SECTION_ID, COMMENT, FIELD_COUNT };
    // One argument; the value is "" for an argument that takes none.
    struct ARGUMENT {
        ACF_ARGUMENT_TYPE_ENUM type;
        char const* value;
    };

    // `text` (NUL-terminated) and `packed` (the fields of `field_mask` in FIELD
    // order, then `argument_count` arguments, each a type byte and its value,
    // every text NUL-terminated) must outlive the record. `tail_field`, when
    // not FIELD_COUNT, is a field of `field_mask` left out of `packed`: its
    // text is the end of `text` after the last blank, tab or line break in it.
    ACF_MGR_ASGN_LINE(int32_t file_index, int32_t line_number, uint8_t flags, char const* text,
                      char const* packed, uint8_t field_mask, uint8_t argument_count,
                      uint8_t tail_field = FIELD_COUNT);

    int32_t get_file_index() const { return m_file_index; }   // into the reader's file names
    int32_t get_line_number() const { return m_line_number; } // 1-based within that file
    uint8_t get_flags() const { return m_flags; }
    bool test_flag(uint8_t flag) const { return (m_flags & flag) != 0; }
    void set_flag(uint8_t flag) { m_flags |= flag; }
    // Its position among the reader's kept records; UINT32_MAX when not kept.
    uint32_t get_kept_position() const { return m_kept_position; }
    void set_kept_position(uint32_t position) { m_kept_position = position; }

    // The texts; null when absent.
    char const* get_source_file() const { return get_field(SOURCE_FILE); }
    char const* get_name() const { return get_field(NAME); }
    char const* get_from() const { return get_field(FROM); }
    char const* get_to() const { return get_field(TO); }
    char const* get_value() const { return get_field(VALUE); }
    char const* get_entity() const { return get_field(ENTITY); }
    char const* get_section_id() const { return get_field(SECTION_ID); }
    char const* get_comment() const { return get_field(COMMENT); }
    char const* get_field(FIELD field) const;
    bool has_field(FIELD field) const { return (m_field_mask & (1u << field)) != 0; }
    // The whole line as read, before any escape removal.
    char const* get_text() const { return m_text; }
    // The arguments in the order given; empty when none.
    std::vector<ARGUMENT> get_arguments() const;

private:
    bool is_packed(int field) const {
        return has_field(static_cast<FIELD>(field)) && field != m_tail_field;
    }
    // The first argument in `m_packed`, after the packed fields.
    char const* packed_arguments() const;

    char const* m_text;
    char const* m_packed;
    int32_t m_file_index;
    int32_t m_line_number;
    uint8_t m_flags;
    uint8_t m_field_mask;
    uint8_t m_argument_count;
    uint8_t m_tail_field; // the field read from the end of `m_text`; FIELD_COUNT: none
    uint32_t m_kept_position = UINT32_MAX;
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

    // Turns one line (a copy of it is kept) into zero or one record.
    void process_one_line_from_file(char const* buffer, bool quiet);
    // Splits one line into the token slots; a blank or comment line gives a
    // verbatim record. The tokens are kept in the reader until the next line.
    void tokenize_buffer(char const* buffer);
    // Appends an error record holding the text.
    void handle_error(char const* text);

    // The full path of the file with that index; null outside the files opened.
    char const* get_file_name(int32_t index) const;
    // Moves the collected messages to the caller's list (null: drops them).
    void get_post_messages(std::list<MSG_POST*>* messages);
    // Deletes every record and file name; the files read, the messages and the
    // dropped mark stay.
    void clear_assignments();
    // Hands the texts the records point into to a caller that keeps them for
    // longer than the records; the records stay usable while the caller keeps
    // them, and the reader keeps none of them any more.
    std::unique_ptr<ACF_MGR_READ_TEXTS> take_texts();

    // The kept records in file order, each sourced file's records after the line
    // that sources it. The reader owns them.
    std::vector<ACF_MGR_ASGN_LINE*> const& get_assignment_lines() const { return m_kept_lines; }
    // The caller is done with the first `count` kept records, which must not be
    // used any more: the memory pages that hold only records done with (kept
    // or not), and only their pointers, go back to the system, so that a long
    // file's records do not all stay resident while the caller turns them into
    // something else.
    void release_lines_before(size_t count);
    // True when a line was dropped while reading (a removed name or an argument
    // not allowed in a settings file): the file should be written back.
    bool is_assignment_dropped() const { return (m_flags & FLAG_ASSIGNMENT_DROPPED) != 0; }

    // The tokens of the last line tokenised.
    int32_t get_token_count() const { return m_token_count; }
    char const* get_token(int32_t index) const { return m_tokens[index]; }
    bool has_too_many_tokens() const { return m_token_overflow; }

private:
    enum : uint8_t { FLAG_ASSIGNMENT_DROPPED = 1u << 0 };

    // The record of a set command while its options are read: its texts point
    // into the tokens.
    struct LINE_BUILDER {
        uint8_t flags = 0;
        char const* fields[ACF_MGR_ASGN_LINE::FIELD_COUNT] = {};
        size_t lengths[ACF_MGR_ASGN_LINE::FIELD_COUNT] = {};
        int32_t argument_count = 0;
        ACF_ARGUMENT_TYPE_ENUM argument_types[MAX_TOKENS] = {};
        char const* argument_values[MAX_TOKENS] = {};
        size_t argument_lengths[MAX_TOKENS] = {};

        // Starts a new line with these flags and no texts.
        void reset(uint8_t line_flags);
        bool has(ACF_MGR_ASGN_LINE::FIELD field) const { return fields[field] != nullptr; }
        void set(ACF_MGR_ASGN_LINE::FIELD field, char const* text, size_t length);
        // At most one argument per token.
        void add_argument(ACF_ARGUMENT_TYPE_ENUM type, char const* value, size_t length);
    };

    // Turns one line of `length` characters into zero or one record; `text`,
    // NUL-terminated and padded for the tokeniser, is kept by the record.
    void process_line(char const* text, size_t length, bool quiet);
    // A lasting copy of a line handed in, padded for the tokeniser.
    char const* keep_line(char const* text, size_t length);
    // Splits the padded line into the tokens; a blank or comment line gives a
    // verbatim record. Notes the token that is the line's tail.
    void tokenize(char const* text, size_t length);
    bool store_token(char* token, size_t length);
    // Fills the builder from the tokens after the command; false makes the
    // line an error line.
    bool read_options(LINE_BUILDER* line, int32_t first);
    // The drop and validity rules for a record of a set command. Gives false
    // when the record must not be kept; *error tells whether it becomes an error
    // line.
    bool check_assignment_line(LINE_BUILDER const& line, bool quiet, bool* error);
    // A new record of the current file and line.
    ACF_MGR_ASGN_LINE* append_line(uint8_t flags, char const* text);
    // A new record of the built set command, its texts packed into the arena.
    void append_built_line(LINE_BUILDER const& line, char const* text);
    // Room for `count` more records without moving any record.
    void reserve_records(size_t count);
    // The catalogue's answers for command words and variable names, remembered
    // per reader since a file uses few of them many times.
    enum SET_COMMAND_KIND : uint8_t { NOT_A_SET_COMMAND, GENERIC_SET_COMMAND };
    struct COMMAND_INFO {
        SET_COMMAND_KIND kind;
        uint8_t flags;    // the record's flags the command gives
        char const* name; // the variable a command of one variable names; else null
    };
    COMMAND_INFO const& look_up_command(std::string_view word);
    struct NAME_INFO {
        bool removed;
        ACF_VARIABLE_TYPE_ENUM variable;
    };
    NAME_INFO const& look_up_name(std::string_view name);
    // A lasting copy of a look-up key (NUL-terminated).
    std::string_view keep_key(std::string_view text);
    // Every physical line of the padded text; a final line break ends the last
    // line (no empty line follows it, and an empty text has none). Each line
    // break becomes the NUL that ends the line's text.
    void read_lines(char* text, size_t size, bool quiet);

    int32_t m_file_index = -1;
    int32_t m_line_number = -1;
    std::vector<ACF_MGR_ASGN_LINE*> m_kept_lines;
    // How many of the first kept records are done with.
    size_t m_kept_lines_done = 0;
    // The records in blocks that never grow past their first capacity, so that
    // a record never moves.
    std::vector<std::vector<ACF_MGR_ASGN_LINE>> m_records;
    // For each block, how many of its first records are done with.
    std::vector<size_t> m_records_done;
    std::vector<FIO_FILE_BUFFER> m_file_texts; // the records' line texts
    ACF_MGR_TEXT_ARENA m_texts;                // the records' other texts
    std::vector<std::string> m_file_names;
    std::unordered_set<std::string> m_files_read;
    std::vector<char> m_token_buffer;
    char* m_tokens[MAX_TOKENS] = {};
    size_t m_token_lengths[MAX_TOKENS] = {};
    int32_t m_token_count = 0;
    bool m_token_overflow = false;
    // The token of the last line tokenised that is, as it stands, the end of the
    // line's text after a blank, tab or line break (unquoted, no escapes, last
    // on the line); null when none is.
    char const* m_tail_token = nullptr;
    uint8_t m_flags = 0;
    LINE_BUILDER m_builder;
    std::list<MSG_POST*> m_messages;
    std::deque<std::string> m_keys; // the look-up keys, which never move
    std::unordered_map<std::string_view, COMMAND_INFO> m_commands;
    std::unordered_map<std::string_view, NAME_INFO> m_names;
    std::string m_read_error;
};
