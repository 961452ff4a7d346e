// The compiled design's hierarchy as the last compilation leaves it in the
// project's database folder: "db/<revision>.hier", a versioned JSON file.
//
// It holds the compilation's success flag, the instance tree (each instance
// known by its full name, the names from the root joined by "|", with its
// flag bits), the design units, the source files with their flag bits, the
// libraries and the string options of instances.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The only file format version this reader understands.
constexpr int HDB_FILE_FORMAT_VERSION = 1;
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

// One source file of the design with its flag bits.
class HDB_SOURCE_FILE {
public:
    std::string full_path;
    std::string tip_file; // the IP settings file it belongs to, "" when none
    HDB_INSTANCE_NAME_FLAG flags;
};

// A design unit (entity) of a library, and the file it was read from (index
// into the hierarchy's files, -1 for none).
struct HDB_DESIGN_UNIT {
    std::string name;
    std::string library;
    int file = -1;
};

// One instance of the tree.
class HDB_INSTANCE_NAME {
public:
    std::string short_name; // the instance's own name
    std::string full_name;  // names from the root joined by "|"
    std::string entity;     // design unit it instantiates
    std::string library;
    int depth = 0; // 0 for the root
    HDB_INSTANCE_NAME_FLAG flags;
    std::vector<HDB_STRING_OPTION> string_options;
    HDB_INSTANCE_NAME* parent = nullptr;
    std::vector<HDB_INSTANCE_NAME*> children;

    bool test_flag(int n) const { return flags.test_flag(n); }
};

// The instance lookups of a hierarchy.
class HDB_ACTION_PT_INSTANCE {
public:
    virtual ~HDB_ACTION_PT_INSTANCE() = default;
    // The instance of that full name ("top|a|b"), or null.
    HDB_INSTANCE_NAME const* get_instance_name(std::string const& full_name) const;
    HDB_INSTANCE_NAME const* get_root() const {
        return m_instances.empty() ? nullptr : m_instances.front().get();
    }

protected:
    std::vector<std::unique_ptr<HDB_INSTANCE_NAME>> m_instances; // root first, then depth first
    std::map<std::string, HDB_INSTANCE_NAME*> m_by_full_name;
};

// The hierarchy of one compilation point (the whole design of a revision).
class HDB_CMP_ACTION_PT_INSTANCE : public HDB_ACTION_PT_INSTANCE {
public:
    // Reads "<db_dir>/<revision>.hier". Null when the file is missing or does
    // not parse; then, unless `quiet`, a warning naming the file is posted and
    // `error` (when given) receives the reason. `file_type` selects the kind of
    // database (only 0, the compiled design, exists).
    static std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> read_pdb(std::string const& db_dir,
                                                                std::string const& revision,
                                                                int file_type, bool quiet = false,
                                                                std::string* error = nullptr);
    // Parses the JSON text; throws std::runtime_error with the reason.
    static std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> parse(std::string const& text);

    bool get_last_compilation_successful() const { return m_last_compilation_successful; }
    std::vector<HDB_SOURCE_FILE> const& get_files() const { return m_files; }
    std::vector<HDB_DESIGN_UNIT> const& get_design_units() const { return m_design_units; }
    std::vector<std::string> const& get_libraries() const { return m_libraries; }
    // The design unit of that name in that library, else of that name in any
    // library; null when none.
    HDB_DESIGN_UNIT const* find_design_unit(std::string const& name,
                                            std::string const& library) const;

private:
    bool m_last_compilation_successful = false;
    std::vector<HDB_SOURCE_FILE> m_files;
    std::vector<HDB_DESIGN_UNIT> m_design_units;
    std::vector<std::string> m_libraries;

    friend class HDB_JSON_READER;
};

// The name table of the hierarchy library: lookups of instance names hold its
// current-vector lock.
class HDB_NAME_MGR {
public:
    void lock_curr_vector() { m_mutex.lock(); }
    void unlock_curr_vector() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};
HDB_NAME_MGR* hdb_get_current_name_mgr();
