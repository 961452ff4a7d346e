// Prefix hdb: the hierarchy database.
// The compiled design's hierarchy as the last compilation leaves it in the
// project's database folder: "db/<revision>.hier", a versioned JSON file.
//
// It holds the compilation's success flag, the instance tree (each instance
// known by its full name, the names from the root joined by "|", with its
// flag bits and schema), the design units, the source files with their flag
// bits, the libraries, the string options of instances and the numbered
// sections of the compilation point's own settings.
//
// The file is read as a stream of JSON events straight into these records, so
// that a large design costs a small multiple of its file's size. Names of files
// that are relative are taken from the project's folder (the folder that holds
// "db"), whatever the current folder is.
#pragma once

#include <cstdint>
#include <deque>
#include <istream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The only file format version this reader understands.
constexpr int HDB_FILE_FORMAT_VERSION = 1;
// Deeper trees are refused: no compiled design nests that far, and a garbled
// file must not exhaust the stack of the readers that walk the tree.
constexpr int HDB_MAX_DEPTH = 1000;
// The extension of a revision's hierarchy file in the database folder.
extern char const* const HDB_FILE_EXTENSION; // ".hier"

// Flag bits of an instance name, numbered as the callers test them.
class HDB_INSTANCE_NAME_FLAG {
public:
    explicit HDB_INSTANCE_NAME_FLAG(uint32_t bits = 0) : m_bits(bits) {}
    bool test_flag(int n) const { return n >= 0 && n < 32 && (m_bits >> n & 1u) != 0; }
    uint32_t bits() const { return m_bits; }

private:
    uint32_t m_bits;
};

// A string option of an instance (for example IP_TOOL_NAME), with the IP
// settings file it came from.
struct HDB_STRING_OPTION {
    std::string name;
    std::string value;
    std::string tip_file;
};

// One source file of the design with its flag bits. Bits the IP manager tests:
// 5 the file is never an IP, 8 it is an encrypted IP, 13 (on an instance's
// only child) the child is an encrypted IP, 16 it may wrap an encrypted IP.
class HDB_SOURCE_FILE {
public:
    // Argument types of a source file; only the IP settings file exists.
    static constexpr int ARGUMENT_TIP = 2;

    std::string full_path;
    std::string tip_file; // the IP settings file it belongs to, "" when none
    HDB_INSTANCE_NAME_FLAG flags;

    std::string const& get_full_path() const { return full_path; }
    HDB_INSTANCE_NAME_FLAG const& get_flags() const { return flags; }
    // The value of an argument; false when the file has none of that type.
    bool get_argument(int type, std::string& value) const;
};

// A numbered section of the compilation point's settings; section 6 holds the
// settings that came from IP settings files.
struct HDB_SECTION {
    static constexpr int IP_SETTINGS = 6;

    int number = 0;
    std::vector<HDB_STRING_OPTION> string_options;
};

// A design unit (entity) of a library, and the file it was read from (index
// into the hierarchy's files, -1 for none).
struct HDB_DESIGN_UNIT {
    std::string name;
    std::string library;
    int file = -1;
    uint32_t position = 0; // its place among the hierarchy's design units, from 0
};

// What an instance stands for, as the compiler recorded it ("macrofunction"
// for a library function that the compiler expanded, "" when not recorded).
// Only whether it is a macrofunction is kept.
class HDB_INSTANCE_SCHEMA {
public:
    explicit HDB_INSTANCE_SCHEMA(std::string const& kind = "")
        : m_macrofunction(kind == "macrofunction") {}
    bool is_macrofunction() const { return m_macrofunction; }

private:
    bool m_macrofunction;
};

// Positions of records by their names, for long lists of records: a
// power-of-two number of cells, at most seven eighths full, probed in turn;
// a cell holds 0 when empty, else a record's position plus one. `name_at`
// gives the name of the record at a position.
class HDB_NAME_TABLE {
public:
    // Sizes the table for `names` names, every cell empty.
    void reset(size_t names);
    // The cell of `name` (in a table that was sized): the one holding it, else
    // the empty cell where it goes.
    template <class NAME_AT> uint32_t& cell(std::string_view name, NAME_AT const& name_at) {
        return m_cells[probe(name, name_at)];
    }
    // The position of the record of that name plus one; 0 when none.
    template <class NAME_AT> uint32_t find(std::string_view name, NAME_AT const& name_at) const {
        return m_cells.empty() ? 0 : m_cells[probe(name, name_at)];
    }

private:
    template <class NAME_AT> size_t probe(std::string_view name, NAME_AT const& name_at) const {
        size_t const mask = m_cells.size() - 1;
        for (size_t at = std::hash<std::string_view>()(name) & mask;; at = (at + 1) & mask) {
            if (m_cells[at] == 0 || name_at(m_cells[at] - 1) == name) {
                return at;
            }
        }
    }

    std::vector<uint32_t> m_cells;
};

// One instance of the tree. A large design holds many, so an instance is
// kept small: its library's name and its string options (which few
// instances have) are held by the hierarchy.
class HDB_INSTANCE_NAME {
public:
    std::string full_name; // names from the root joined by "|"
    std::string entity;    // design unit it instantiates (its source component)
    std::vector<HDB_INSTANCE_NAME*> children;
    HDB_INSTANCE_NAME* parent = nullptr;
    uint32_t name_id = 0; // its number in the tree, from 1 in reading order
    HDB_INSTANCE_NAME_FLAG flags;
    int16_t depth = 0; // 0 for the root; at most HDB_MAX_DEPTH
    HDB_INSTANCE_SCHEMA schema;

    // The library of the design unit it instantiates ("" when not recorded).
    std::string const& get_library() const { return *m_library; }
    bool test_flag(int n) const { return flags.test_flag(n); }
    std::vector<HDB_INSTANCE_NAME*> const& get_children() const { return children; }
    HDB_INSTANCE_NAME const* get_parent() const { return parent; }
    int get_depth() const { return depth; }
    uint32_t get_name_id() const { return name_id; }
    std::string const& get_source_component() const { return entity; }
    HDB_INSTANCE_SCHEMA const& get_schema() const { return schema; }
    // The path from the root: "top|u1|r".
    std::string const& get_full_path() const { return full_name; }
    // The path below the root ("u1|r"); the root's own name for the root.
    // The end of the full path: nothing is copied.
    char const* get_short_path() const;
    // Its string options (for example IP_TOOL_NAME), in file order.
    std::vector<HDB_STRING_OPTION> const& get_string_options() const { return *m_string_options; }
    // The value of the string option of that name; false when it has none.
    bool get_string_option(std::string const& name, std::string& value) const;

private:
    static std::string const NO_LIBRARY;
    static std::vector<HDB_STRING_OPTION> const NO_STRING_OPTIONS;
    std::string const* m_library = &NO_LIBRARY;
    std::vector<HDB_STRING_OPTION> const* m_string_options = &NO_STRING_OPTIONS;

    friend class HDB_JSON_READER;
};

// The instance lookups of a hierarchy.
class HDB_ACTION_PT_INSTANCE {
public:
    virtual ~HDB_ACTION_PT_INSTANCE() = default;
    // The instance of that full name ("top|a|b"), or null.
    HDB_INSTANCE_NAME const* get_instance_name(std::string const& full_name) const;
    HDB_INSTANCE_NAME const* get_root() const {
        return m_instances.empty() ? nullptr : m_instances.front();
    }
    // Every instance, root first, then depth first.
    std::vector<HDB_INSTANCE_NAME*> const& get_instances() const { return m_instances; }

protected:
    // The full name of the instance at that position.
    std::string_view full_name_at(uint32_t position) const {
        return m_instances[position]->full_name;
    }

    // The instances, made in blocks that never move.
    static constexpr size_t INSTANCES_PER_BLOCK = 1024;
    std::vector<std::unique_ptr<HDB_INSTANCE_NAME[]>> m_instance_blocks;
    std::vector<HDB_INSTANCE_NAME*> m_instances; // root first, then depth first
    HDB_NAME_TABLE m_by_full_name;
    // The libraries the instances name, each once, and the string options of
    // the instances that have some.
    std::unordered_set<std::string> m_instance_libraries;
    std::deque<std::vector<HDB_STRING_OPTION>> m_instance_string_options;
};

// The hierarchy of one compilation point (the whole design of a revision).
class HDB_CMP_ACTION_PT_INSTANCE : public HDB_ACTION_PT_INSTANCE {
public:
    // Reads "<db_dir>/<revision>.hier"; relative file names in it are taken
    // from the folder that holds `db_dir`. Null when the file is missing or
    // does not parse; then, unless `quiet`, a warning naming the file is posted
    // and `error` (when given) receives the reason. `file_type` selects the
    // kind of database (only 0, the compiled design, exists).
    static std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> read_pdb(std::string const& db_dir,
                                                                std::string const& revision,
                                                                int file_type, bool quiet = false,
                                                                std::string* error = nullptr);
    // Parses the JSON text, or reads it from the stream; relative file names
    // are taken from `project_dir`, or kept as written when it is "". Throws
    // std::runtime_error with the reason.
    static std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> parse(std::string const& text,
                                                             std::string const& project_dir = "");
    static std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> parse(std::istream& in,
                                                             std::string const& project_dir);

    bool get_last_compilation_successful() const { return m_last_compilation_successful; }
    // Files and units are kept in blocks: a long list never moves as it grows.
    std::deque<HDB_SOURCE_FILE> const& get_files() const { return m_files; }
    std::deque<HDB_DESIGN_UNIT> const& get_design_units() const { return m_design_units; }
    std::vector<std::string> const& get_libraries() const { return m_libraries; }
    // The design unit of that name in that library, else of that name in any
    // library; null when none.
    HDB_DESIGN_UNIT const* find_design_unit(std::string const& name,
                                            std::string const& library) const;
    // The first design unit of that name in exactly that library; null when none.
    HDB_DESIGN_UNIT const* get_entity(std::string const& name, std::string const& library) const;
    // The first design unit of that name in any library; null when none.
    HDB_DESIGN_UNIT const* get_entity(std::string const& name) const;
    // The file a design unit was read from; null when it names none.
    HDB_SOURCE_FILE const* get_design_file(HDB_DESIGN_UNIT const& unit) const;
    // The last string option of the variable `name` in section `section` (in
    // file order) whose IP settings file is `tip_file`, compared ignoring
    // case; null when none.
    HDB_STRING_OPTION const* get_string_option(int section, std::string const& name,
                                               std::string const& tip_file) const;

private:
    // Fills the lookups once the whole file is read.
    void index();

    std::string_view unit_name_at(uint32_t position) const { return m_design_units[position].name; }

    bool m_last_compilation_successful = false;
    std::deque<HDB_SOURCE_FILE> m_files;
    std::deque<HDB_DESIGN_UNIT> m_design_units;
    std::vector<std::string> m_libraries;
    std::deque<HDB_SECTION> m_sections;
    // The first design unit of each name, and after each unit the next one of
    // the same name (its position, or NO_UNIT).
    static constexpr uint32_t NO_UNIT = UINT32_MAX;
    HDB_NAME_TABLE m_first_unit_of_name;
    std::vector<uint32_t> m_next_unit_of_name;
    // The last option of each section and variable, by IP settings file
    // (compared ignoring case); looked up without copying the names.
    struct NO_CASE_HASH {
        size_t operator()(std::string const& text) const;
    };
    struct NO_CASE_EQUAL {
        bool operator()(std::string const& a, std::string const& b) const;
    };
    using OPTION_OF_TIP =
        std::unordered_map<std::string, HDB_STRING_OPTION const*, NO_CASE_HASH, NO_CASE_EQUAL>;
    struct SECTION_AND_NAME_LESS {
        using is_transparent = void;
        template <class A, class B> bool operator()(A const& a, B const& b) const {
            return a.first != b.first ? a.first < b.first
                                      : std::string_view(a.second) < std::string_view(b.second);
        }
    };
    std::map<std::pair<int, std::string>, OPTION_OF_TIP, SECTION_AND_NAME_LESS> m_options;

    friend class HDB_JSON_READER;
};

// The name table of the hierarchy library: lookups of instance names hold its
// current-vector lock.
class HDB_NAME_MGR {
public:
    // The library of the design unit an instance instantiates.
    std::string const& get_iname_library(HDB_INSTANCE_NAME const& instance) const {
        return instance.get_library();
    }
    void lock_curr_vector() { m_mutex.lock(); }
    void unlock_curr_vector() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};
HDB_NAME_MGR* hdb_get_current_name_mgr();
