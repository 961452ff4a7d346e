#include "suite/hierdb/hdb.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/messages/msg.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>

char const* const HDB_FILE_EXTENSION = ".hier";
std::string const HDB_INSTANCE_NAME::NO_LIBRARY;
std::vector<HDB_STRING_OPTION> const HDB_INSTANCE_NAME::NO_STRING_OPTIONS;

namespace {
using JSON = nlohmann::json;

// Identifier of the warning about an unreadable hierarchy file.
constexpr unsigned HDB_MSG_ID_CANT_READ_HIERARCHY = 330001;

[[noreturn]] void refuse(std::string const& reason) {
    throw std::runtime_error(reason);
}

// A regular file read in blocks: the reader keeps one block, never the whole
// file. A pipe or a device is refused without waiting on it.
class HDB_FILE_STREAMBUF : public std::streambuf {
public:
    ~HDB_FILE_STREAMBUF() override {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    // False, with the reason, when the file cannot be read.
    bool open(std::string const& path, std::string& reason) {
        m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat st;
        if (m_fd < 0 || fstat(m_fd, &st) != 0) {
            reason = std::strerror(errno);
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            reason = S_ISDIR(st.st_mode) ? "it is a directory" : "it is no regular file";
            return false;
        }
        return true;
    }
    // The reason a read failed, "" when none did.
    std::string const& failure() const { return m_failure; }

protected:
    int_type underflow() override {
        ssize_t n;
        do {
            n = ::read(m_fd, m_block.get(), BLOCK_SIZE);
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            m_failure = std::strerror(errno);
        }
        if (n <= 0) {
            return traits_type::eof();
        }
        setg(m_block.get(), m_block.get(), m_block.get() + n);
        return traits_type::to_int_type(m_block[0]);
    }

private:
    static constexpr size_t BLOCK_SIZE = 65536;
    int m_fd = -1;
    std::string m_failure;
    std::unique_ptr<char[]> m_block{new char[BLOCK_SIZE]};
};
} // namespace

bool HDB_SOURCE_FILE::get_argument(int type, std::string& value) const {
    if (type != ARGUMENT_TIP || tip_file.empty()) {
        return false;
    }
    value = tip_file;
    return true;
}

char const* HDB_INSTANCE_NAME::get_short_path() const {
    // Below the root: the full name less the root's name and its bar.
    size_t bar = parent == nullptr ? std::string::npos : full_name.find('|');
    return full_name.c_str() + (bar == std::string::npos ? 0 : bar + 1);
}

bool HDB_INSTANCE_NAME::get_string_option(std::string const& name, std::string& value) const {
    for (HDB_STRING_OPTION const& option : *m_string_options) {
        if (option.name == name) {
            value = option.value;
            return true;
        }
    }
    return false;
}

void HDB_NAME_TABLE::reset(size_t names) {
    size_t cells = 64;
    while (names * 8 > cells * 7) {
        cells *= 2;
    }
    m_cells.assign(cells, 0);
}

HDB_INSTANCE_NAME const*
HDB_ACTION_PT_INSTANCE::get_instance_name(std::string const& full_name) const {
    uint32_t found = m_by_full_name.find(
        full_name, [this](uint32_t position) { return full_name_at(position); });
    return found == 0 ? nullptr : m_instances[found - 1];
}

HDB_DESIGN_UNIT const*
HDB_CMP_ACTION_PT_INSTANCE::find_design_unit(std::string const& name,
                                             std::string const& library) const {
    HDB_DESIGN_UNIT const* unit = get_entity(name, library);
    return unit != nullptr ? unit : get_entity(name);
}

HDB_DESIGN_UNIT const* HDB_CMP_ACTION_PT_INSTANCE::get_entity(std::string const& name,
                                                              std::string const& library) const {
    uint32_t found = m_first_unit_of_name.find(
        name, [this](uint32_t position) { return unit_name_at(position); });
    for (uint32_t at = found == 0 ? NO_UNIT : found - 1; at != NO_UNIT;
         at = m_next_unit_of_name[at]) {
        if (m_design_units[at].library == library) {
            return &m_design_units[at];
        }
    }
    return nullptr;
}

HDB_DESIGN_UNIT const* HDB_CMP_ACTION_PT_INSTANCE::get_entity(std::string const& name) const {
    uint32_t found = m_first_unit_of_name.find(
        name, [this](uint32_t position) { return unit_name_at(position); });
    return found == 0 ? nullptr : &m_design_units[found - 1];
}

HDB_SOURCE_FILE const*
HDB_CMP_ACTION_PT_INSTANCE::get_design_file(HDB_DESIGN_UNIT const& unit) const {
    return unit.file >= 0 && static_cast<size_t>(unit.file) < m_files.size() ? &m_files[unit.file]
                                                                             : nullptr;
}

size_t HDB_CMP_ACTION_PT_INSTANCE::NO_CASE_HASH::operator()(std::string const& text) const {
    return static_cast<size_t>(gen_hash(text, true));
}

bool HDB_CMP_ACTION_PT_INSTANCE::NO_CASE_EQUAL::operator()(std::string const& a,
                                                           std::string const& b) const {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return gen_fold_char(x) == gen_fold_char(y);
           });
}

HDB_STRING_OPTION const*
HDB_CMP_ACTION_PT_INSTANCE::get_string_option(int section, std::string const& name,
                                              std::string const& tip_file) const {
    auto variable = m_options.find(std::pair<int, std::string_view>(section, name));
    if (variable == m_options.end()) {
        return nullptr;
    }
    auto found = variable->second.find(tip_file);
    return found == variable->second.end() ? nullptr : found->second;
}

void HDB_CMP_ACTION_PT_INSTANCE::index() {
    // From the last unit to the first, so that each name's cell ends with its
    // first unit and each unit points to the next one of its name.
    m_next_unit_of_name.assign(m_design_units.size(), NO_UNIT);
    m_first_unit_of_name.reset(m_design_units.size());
    for (uint32_t at = static_cast<uint32_t>(m_design_units.size()); at-- > 0;) {
        uint32_t& cell = m_first_unit_of_name.cell(
            m_design_units[at].name, [this](uint32_t position) { return unit_name_at(position); });
        if (cell != 0) {
            m_next_unit_of_name[at] = cell - 1;
        }
        cell = at + 1;
    }
    for (HDB_SECTION const& section : m_sections) {
        for (HDB_STRING_OPTION const& option : section.string_options) {
            m_options[{section.number, option.name}][option.tip_file] = &option;
        }
    }
}

// Builds the hierarchy from the JSON parser's events, one value at a time:
// a stack holds the containers being read, and each value is checked and
// stored where its place in the document says.
class HDB_JSON_READER {
public:
    HDB_JSON_READER(HDB_CMP_ACTION_PT_INSTANCE& cap, std::string project_dir)
        : m_cap(cap), m_project_dir(std::move(project_dir)) {}

    // The parser's events.
    bool null() { return other_value(); }
    bool boolean(bool value) {
        if (place() == PLACE_SUCCESS) {
            m_cap.m_last_compilation_successful = value;
            return true;
        }
        return other_value();
    }
    bool number_integer(JSON::number_integer_t value) { return integer(value, value < 0); }
    bool number_unsigned(JSON::number_unsigned_t value) {
        return integer(static_cast<int64_t>(value), value > static_cast<uint64_t>(INT64_MAX));
    }
    bool number_float(JSON::number_float_t, JSON::string_t const&) { return other_value(); }
    bool string(JSON::string_t& value);
    bool binary(JSON::binary_t&) { return other_value(); }
    bool start_object(size_t);
    bool key(JSON::string_t& name);
    bool end_object();
    bool start_array(size_t);
    bool end_array();
    bool parse_error(size_t, std::string const&, JSON::exception const& error) {
        // Syntax errors, and numbers too large for any type.
        refuse(error.what());
    }

    // Checks what only the whole document shows, names the instances and
    // fills the lookups.
    void finish();

private:
    // Where a value stands in the document.
    enum PLACE {
        PLACE_DOCUMENT,
        PLACE_VERSION,
        PLACE_SUCCESS,
        PLACE_LIBRARIES,
        PLACE_LIBRARY,
        PLACE_FILES,
        PLACE_FILE,
        PLACE_FILE_PATH,
        PLACE_FILE_TIP,
        PLACE_FLAGS,
        PLACE_FLAG,
        PLACE_UNITS,
        PLACE_UNIT,
        PLACE_UNIT_NAME,
        PLACE_UNIT_LIBRARY,
        PLACE_UNIT_FILE,
        PLACE_SECTIONS,
        PLACE_SECTION,
        PLACE_SECTION_NUMBER,
        PLACE_OPTIONS,
        PLACE_OPTION,
        PLACE_OPTION_NAME,
        PLACE_OPTION_VALUE,
        PLACE_OPTION_TIP,
        PLACE_INSTANCE,
        PLACE_INSTANCE_NAME,
        PLACE_INSTANCE_ENTITY,
        PLACE_INSTANCE_LIBRARY,
        PLACE_INSTANCE_SCHEMA,
        PLACE_CHILDREN,
        PLACE_IGNORED, // a member this reader does not know
    };

    // A container being read.
    struct FRAME {
        PLACE place;
        PLACE member = PLACE_IGNORED; // an object's: where the current member's value goes
        uint32_t seen = 0;            // an object's: the known members read, one bit each
        uint32_t ignored_depth = 0;   // an ignored container's nesting
        HDB_INSTANCE_NAME* instance = nullptr;
        HDB_INSTANCE_NAME_FLAG* flags = nullptr;
        std::vector<HDB_STRING_OPTION>* options = nullptr;
        bool has_number = false; // a section's
        uint32_t instances = 0;  // a list of children's
    };

    // Where the next value goes: the current member of an object, or the
    // elements of a list.
    PLACE place() const {
        if (m_stack.empty()) {
            return PLACE_DOCUMENT;
        }
        FRAME const& top = m_stack.back();
        switch (top.place) {
        case PLACE_LIBRARIES:
            return PLACE_LIBRARY;
        case PLACE_FILES:
            return PLACE_FILE;
        case PLACE_FLAGS:
            return PLACE_FLAG;
        case PLACE_UNITS:
            return PLACE_UNIT;
        case PLACE_SECTIONS:
            return PLACE_SECTION;
        case PLACE_OPTIONS:
            return PLACE_OPTION;
        case PLACE_CHILDREN:
            return PLACE_INSTANCE;
        case PLACE_IGNORED:
            return PLACE_IGNORED;
        default:
            return top.member;
        }
    }

    static std::string quoted(char const* key) { return std::string("\"") + key + "\""; }

    // The reason a value of the wrong kind is refused at that place.
    [[noreturn]] static void wrong_kind(PLACE place);
    // A value that no place takes in that form: refused unless ignored.
    bool other_value() {
        PLACE at = place();
        if (at != PLACE_IGNORED) {
            wrong_kind(at);
        }
        return true;
    }
    bool integer(int64_t value, bool out_of_range);
    // A relative file name taken from the project's folder.
    std::string resolved(std::string const& name) const;
    FRAME& push(PLACE place) {
        m_stack.push_back(FRAME{place});
        return m_stack.back();
    }

    // The next instance, in the blocks of the hierarchy.
    HDB_INSTANCE_NAME* new_instance() {
        if (m_instance_count % INSTANCES_PER_BLOCK == 0) {
            m_cap.m_instance_blocks.push_back(
                std::make_unique<HDB_INSTANCE_NAME[]>(INSTANCES_PER_BLOCK));
        }
        return &m_cap.m_instance_blocks.back()[m_instance_count++ % INSTANCES_PER_BLOCK];
    }

    static constexpr size_t INSTANCES_PER_BLOCK = HDB_CMP_ACTION_PT_INSTANCE::INSTANCES_PER_BLOCK;
    HDB_CMP_ACTION_PT_INSTANCE& m_cap;
    std::string m_project_dir;
    std::vector<FRAME> m_stack;
    bool m_has_version = false;
    uint32_t m_instance_count = 0;
};

void HDB_JSON_READER::wrong_kind(PLACE place) {
    switch (place) {
    case PLACE_DOCUMENT:
        refuse("the document is not an object");
    case PLACE_VERSION:
        refuse("no format version");
    case PLACE_SUCCESS:
        refuse(quoted("last_compilation_successful") + " is not true or false");
    case PLACE_LIBRARIES:
        refuse(quoted("libraries") + " is not a list");
    case PLACE_LIBRARY:
        refuse("a library is not a text");
    case PLACE_FILES:
        refuse(quoted("files") + " is not a list");
    case PLACE_FILE:
        refuse("a file is not an object");
    case PLACE_FILE_PATH:
        refuse(quoted("path") + " is not a text");
    case PLACE_FILE_TIP:
    case PLACE_OPTION_TIP:
        refuse(quoted("tip") + " is not a text");
    case PLACE_FLAGS:
        refuse(quoted("flags") + " is not a list of bit numbers");
    case PLACE_FLAG:
        refuse("a flag is not a bit number from 0 to 31");
    case PLACE_UNITS:
        refuse(quoted("design_units") + " is not a list");
    case PLACE_UNIT:
        refuse("a design unit is not an object");
    case PLACE_UNIT_NAME:
    case PLACE_OPTION_NAME:
    case PLACE_INSTANCE_NAME:
        refuse(quoted("name") + " is not a text");
    case PLACE_UNIT_LIBRARY:
    case PLACE_INSTANCE_LIBRARY:
        refuse(quoted("library") + " is not a text");
    case PLACE_UNIT_FILE:
        refuse("a design unit names no listed file");
    case PLACE_SECTIONS:
        refuse(quoted("sections") + " is not a list");
    case PLACE_SECTION:
        refuse("a section is not an object");
    case PLACE_SECTION_NUMBER:
        refuse("a section has no number");
    case PLACE_OPTIONS:
        refuse(quoted("string_options") + " is not a list");
    case PLACE_OPTION:
        refuse("a string option is not an object");
    case PLACE_OPTION_VALUE:
        refuse(quoted("value") + " is not a text");
    case PLACE_INSTANCE:
        refuse("an instance is not an object");
    case PLACE_INSTANCE_ENTITY:
        refuse(quoted("entity") + " is not a text");
    case PLACE_INSTANCE_SCHEMA:
        refuse(quoted("schema") + " is not a text");
    case PLACE_CHILDREN:
        refuse(quoted("children") + " is not a list");
    case PLACE_IGNORED:
        break;
    }
    refuse("a value out of place");
}

bool HDB_JSON_READER::integer(int64_t value, bool out_of_range) {
    PLACE at = place();
    switch (at) {
    case PLACE_VERSION:
        if (out_of_range || value != HDB_FILE_FORMAT_VERSION) {
            refuse("format version " + std::to_string(value) + " is not " +
                   std::to_string(HDB_FILE_FORMAT_VERSION));
        }
        m_has_version = true;
        return true;
    case PLACE_FLAG:
        if (out_of_range || value > 31) {
            wrong_kind(at);
        }
        *m_stack.back().flags = HDB_INSTANCE_NAME_FLAG(m_stack.back().flags->bits() | 1u << value);
        return true;
    case PLACE_UNIT_FILE:
        // Checked against the files once the whole document is read.
        if (out_of_range || value > INT32_MAX) {
            wrong_kind(at);
        }
        m_cap.m_design_units.back().file = static_cast<int>(value);
        return true;
    case PLACE_SECTION_NUMBER:
        if (out_of_range || value > INT32_MAX) {
            wrong_kind(at);
        }
        m_cap.m_sections.back().number = static_cast<int>(value);
        m_stack.back().has_number = true;
        return true;
    default:
        return other_value();
    }
}

std::string HDB_JSON_READER::resolved(std::string const& name) const {
    if (m_project_dir.empty() || name.empty() || name[0] == '/') {
        return name;
    }
    return FIO_PATH(FIO_PATH(m_project_dir, name).path()).full_path();
}

bool HDB_JSON_READER::string(JSON::string_t& value) {
    // Copied, not moved: the parser's buffer keeps the capacity of the longest
    // text read so far.
    switch (place()) {
    case PLACE_LIBRARY:
        m_cap.m_libraries.push_back(value);
        return true;
    case PLACE_FILE_PATH:
        m_cap.m_files.back().full_path = resolved(value);
        return true;
    case PLACE_FILE_TIP:
        m_cap.m_files.back().tip_file = resolved(value);
        return true;
    case PLACE_UNIT_NAME:
        m_cap.m_design_units.back().name = value;
        return true;
    case PLACE_UNIT_LIBRARY:
        m_cap.m_design_units.back().library = value;
        return true;
    case PLACE_OPTION_NAME:
        m_stack.back().options->back().name = value;
        return true;
    case PLACE_OPTION_VALUE:
        m_stack.back().options->back().value = value;
        return true;
    case PLACE_OPTION_TIP:
        m_stack.back().options->back().tip_file = resolved(value);
        return true;
    case PLACE_INSTANCE_NAME:
        // The own name, until the full name is made once the whole tree is read.
        m_stack.back().instance->full_name = value;
        return true;
    case PLACE_INSTANCE_ENTITY:
        m_stack.back().instance->entity = value;
        return true;
    case PLACE_INSTANCE_LIBRARY:
        m_stack.back().instance->m_library = &*m_cap.m_instance_libraries.insert(value).first;
        return true;
    case PLACE_INSTANCE_SCHEMA:
        m_stack.back().instance->schema = HDB_INSTANCE_SCHEMA(value);
        return true;
    default:
        return other_value();
    }
}

bool HDB_JSON_READER::start_object(size_t) {
    PLACE at = place();
    switch (at) {
    case PLACE_IGNORED:
        if (!m_stack.empty() && m_stack.back().place == PLACE_IGNORED) {
            ++m_stack.back().ignored_depth;
        } else {
            push(PLACE_IGNORED).ignored_depth = 1;
        }
        return true;
    case PLACE_DOCUMENT:
        push(PLACE_DOCUMENT);
        return true;
    case PLACE_FILE: {
        m_cap.m_files.emplace_back();
        push(PLACE_FILE).flags = &m_cap.m_files.back().flags;
        return true;
    }
    case PLACE_UNIT:
        m_cap.m_design_units.emplace_back().position =
            static_cast<uint32_t>(m_cap.m_design_units.size() - 1);
        push(PLACE_UNIT);
        return true;
    case PLACE_SECTION:
        m_cap.m_sections.emplace_back();
        push(PLACE_SECTION).options = &m_cap.m_sections.back().string_options;
        return true;
    case PLACE_OPTION: {
        std::vector<HDB_STRING_OPTION>* options = m_stack.back().options;
        options->emplace_back();
        push(PLACE_OPTION).options = options;
        return true;
    }
    case PLACE_INSTANCE: {
        HDB_INSTANCE_NAME* parent = m_stack.back().instance; // null for the root
        int depth = parent == nullptr ? 0 : parent->depth + 1;
        if (depth > HDB_MAX_DEPTH) {
            refuse("the tree is deeper than " + std::to_string(HDB_MAX_DEPTH) + " levels");
        }
        if (m_instance_count == UINT32_MAX - 1) {
            refuse("more instances than can be numbered");
        }
        if (parent != nullptr) {
            ++m_stack.back().instances;
        }
        HDB_INSTANCE_NAME* added = new_instance();
        added->depth = static_cast<int16_t>(depth);
        added->name_id = m_instance_count;
        added->parent = parent;
        FRAME& frame = push(PLACE_INSTANCE);
        frame.instance = added;
        frame.flags = &added->flags;
        return true;
    }
    default:
        wrong_kind(at);
    }
}

bool HDB_JSON_READER::key(JSON::string_t& name) {
    FRAME& top = m_stack.back();
    if (top.place == PLACE_IGNORED) {
        return true;
    }
    struct MEMBER {
        PLACE object;
        char const* key;
        PLACE value;
    };
    static MEMBER const MEMBERS[] = {
        {PLACE_DOCUMENT, "version", PLACE_VERSION},
        {PLACE_DOCUMENT, "last_compilation_successful", PLACE_SUCCESS},
        {PLACE_DOCUMENT, "libraries", PLACE_LIBRARIES},
        {PLACE_DOCUMENT, "files", PLACE_FILES},
        {PLACE_DOCUMENT, "design_units", PLACE_UNITS},
        {PLACE_DOCUMENT, "sections", PLACE_SECTIONS},
        {PLACE_DOCUMENT, "root", PLACE_INSTANCE},
        {PLACE_FILE, "path", PLACE_FILE_PATH},
        {PLACE_FILE, "tip", PLACE_FILE_TIP},
        {PLACE_FILE, "flags", PLACE_FLAGS},
        {PLACE_UNIT, "name", PLACE_UNIT_NAME},
        {PLACE_UNIT, "library", PLACE_UNIT_LIBRARY},
        {PLACE_UNIT, "file", PLACE_UNIT_FILE},
        {PLACE_SECTION, "number", PLACE_SECTION_NUMBER},
        {PLACE_SECTION, "string_options", PLACE_OPTIONS},
        {PLACE_OPTION, "name", PLACE_OPTION_NAME},
        {PLACE_OPTION, "value", PLACE_OPTION_VALUE},
        {PLACE_OPTION, "tip", PLACE_OPTION_TIP},
        {PLACE_INSTANCE, "name", PLACE_INSTANCE_NAME},
        {PLACE_INSTANCE, "entity", PLACE_INSTANCE_ENTITY},
        {PLACE_INSTANCE, "library", PLACE_INSTANCE_LIBRARY},
        {PLACE_INSTANCE, "schema", PLACE_INSTANCE_SCHEMA},
        {PLACE_INSTANCE, "flags", PLACE_FLAGS},
        {PLACE_INSTANCE, "string_options", PLACE_OPTIONS},
        {PLACE_INSTANCE, "children", PLACE_CHILDREN},
    };
    top.member = PLACE_IGNORED;
    uint32_t bit = 1;
    for (MEMBER const& member : MEMBERS) {
        if (member.object != top.place) {
            continue;
        }
        if (name == member.key) {
            // A member given twice would leave it unclear which one holds.
            if ((top.seen & bit) != 0) {
                refuse(quoted(member.key) + " is given twice in one object");
            }
            top.seen |= bit;
            top.member = member.value;
            break;
        }
        bit <<= 1;
    }
    return true;
}

bool HDB_JSON_READER::end_object() {
    FRAME& top = m_stack.back();
    switch (top.place) {
    case PLACE_IGNORED:
        if (--top.ignored_depth > 0) {
            return true;
        }
        break;
    case PLACE_SECTION:
        if (!top.has_number) {
            refuse("a section has no number");
        }
        break;
    case PLACE_INSTANCE:
        if (top.instance->full_name.empty()) {
            refuse("an instance has no name");
        }
        break;
    default:
        break;
    }
    m_stack.pop_back();
    return true;
}

bool HDB_JSON_READER::start_array(size_t) {
    PLACE at = place();
    switch (at) {
    case PLACE_IGNORED:
        if (!m_stack.empty() && m_stack.back().place == PLACE_IGNORED) {
            ++m_stack.back().ignored_depth;
        } else {
            push(PLACE_IGNORED).ignored_depth = 1;
        }
        return true;
    case PLACE_LIBRARIES:
    case PLACE_FILES:
    case PLACE_UNITS:
    case PLACE_SECTIONS:
        push(at);
        return true;
    case PLACE_FLAGS:
    case PLACE_OPTIONS:
    case PLACE_CHILDREN: {
        // The list belongs to the object it is a member of.
        FRAME owner = m_stack.back();
        FRAME& frame = push(at);
        frame.instance = owner.instance;
        frame.flags = owner.flags;
        frame.options = owner.options;
        if (at == PLACE_OPTIONS && owner.place == PLACE_INSTANCE) {
            frame.options = &m_cap.m_instance_string_options.emplace_back();
            owner.instance->m_string_options = frame.options;
        }
        return true;
    }
    default:
        wrong_kind(at);
    }
}

bool HDB_JSON_READER::end_array() {
    FRAME& top = m_stack.back();
    if (top.place == PLACE_IGNORED && --top.ignored_depth > 0) {
        return true;
    }
    if (top.place == PLACE_CHILDREN) {
        // Filled once the whole tree is read, without room to spare.
        top.instance->children.reserve(top.instances);
    }
    m_stack.pop_back();
    return true;
}

void HDB_JSON_READER::finish() {
    if (!m_has_version) {
        refuse("no format version");
    }
    for (HDB_DESIGN_UNIT const& unit : m_cap.m_design_units) {
        if (unit.file >= 0 && static_cast<size_t>(unit.file) >= m_cap.m_files.size()) {
            refuse("a design unit names no listed file");
        }
    }
    // The lists of instances and of each one's children (sized when the
    // children were read); reading order is root first, then depth first.
    std::vector<HDB_INSTANCE_NAME*>& instances = m_cap.m_instances;
    instances.reserve(m_instance_count);
    for (uint32_t at = 0; at < m_instance_count; ++at) {
        instances.push_back(
            &m_cap.m_instance_blocks[at / INSTANCES_PER_BLOCK][at % INSTANCES_PER_BLOCK]);
    }
    for (HDB_INSTANCE_NAME* instance : instances) {
        if (instance->parent != nullptr) {
            instance->parent->children.push_back(instance);
        }
    }
    // Full names once every name is known (a name may follow its children in
    // the text); a parent comes before its children.
    m_cap.m_by_full_name.reset(instances.size());
    for (HDB_INSTANCE_NAME* instance : instances) {
        if (HDB_INSTANCE_NAME const* parent = instance->parent) {
            std::string full_name;
            full_name.reserve(parent->full_name.size() + 1 + instance->full_name.size());
            full_name.append(parent->full_name).append(1, '|').append(instance->full_name);
            instance->full_name = std::move(full_name);
        }
        uint32_t& cell = m_cap.m_by_full_name.cell(instance->full_name, [this](uint32_t position) {
            return m_cap.full_name_at(position);
        });
        if (cell != 0) {
            refuse("instance " + instance->full_name + " is listed twice");
        }
        cell = instance->name_id;
    }
    m_cap.index();
}

namespace {
template <class INPUT>
std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> read_json(INPUT& input,
                                                      std::string const& project_dir) {
    auto cap = std::make_unique<HDB_CMP_ACTION_PT_INSTANCE>();
    HDB_JSON_READER reader(*cap, project_dir);
    JSON::sax_parse(input, &reader);
    reader.finish();
    return cap;
}
} // namespace

std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE>
HDB_CMP_ACTION_PT_INSTANCE::parse(std::string const& text, std::string const& project_dir) {
    return read_json(text, project_dir);
}

std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE>
HDB_CMP_ACTION_PT_INSTANCE::parse(std::istream& in, std::string const& project_dir) {
    return read_json(in, project_dir);
}

std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE>
HDB_CMP_ACTION_PT_INSTANCE::read_pdb(std::string const& db_dir, std::string const& revision,
                                     int file_type, bool quiet, std::string* error) {
    FIO_PATH path(db_dir, revision + HDB_FILE_EXTENSION);
    std::string reason;
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap;
    HDB_FILE_STREAMBUF file;
    if (file_type != 0) {
        reason = "no database of type " + std::to_string(file_type);
    } else if (!file.open(path.path(), reason)) {
        reason = "the file cannot be read: " + reason;
    } else {
        std::istream in(&file);
        try {
            // The project's folder is the one that holds the database folder
            // (the current folder for a file named without a folder).
            cap = parse(in, db_dir.empty() ? "" : FIO_PATH(db_dir, "..").full_path());
        } catch (std::exception const& failure) {
            reason = failure.what();
        }
        if (!file.failure().empty()) {
            cap.reset();
            reason = "the file cannot be read: " + file.failure();
        }
    }
    if (cap == nullptr && !quiet) {
        MSG_W warning;
        warning.set_id(HDB_MSG_ID_CANT_READ_HIERARCHY);
        warning.fill_args("No design hierarchy: can't read %1!s! (%2!s!)/WHDB_CANT_READ_HIERARCHY",
                          path.path().c_str(), reason.c_str());
        warning.post();
    }
    if (error != nullptr) {
        *error = reason;
    }
    return cap;
}

HDB_NAME_MGR* hdb_get_current_name_mgr() {
    static HDB_NAME_MGR manager;
    return &manager;
}
