#include "suite/hierdb/hdb.h"

#include "suite/fileio/fio.h"
#include "suite/messages/msg.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

char const* const HDB_FILE_EXTENSION = ".hier";

namespace {
using JSON = nlohmann::json;

// Identifier of the warning about an unreadable hierarchy file.
constexpr unsigned HDB_MSG_ID_CANT_READ_HIERARCHY = 330001;

std::string text_member(JSON const& object, char const* key) {
    auto it = object.find(key);
    if (it == object.end()) {
        return "";
    }
    if (!it->is_string()) {
        throw std::runtime_error(std::string("\"") + key + "\" is not a text");
    }
    return it->get<std::string>();
}

// Flags are written as the list of the bit numbers that are set.
HDB_INSTANCE_NAME_FLAG flag_member(JSON const& object) {
    auto it = object.find("flags");
    if (it == object.end()) {
        return HDB_INSTANCE_NAME_FLAG();
    }
    if (!it->is_array()) {
        throw std::runtime_error("\"flags\" is not a list of bit numbers");
    }
    uint32_t bits = 0;
    for (JSON const& bit : *it) {
        // Read at full width: a narrower read would wrap 2^32 to bit 0.
        if (!bit.is_number_integer() || bit.get<int64_t>() < 0 || bit.get<int64_t>() > 31) {
            throw std::runtime_error("a flag is not a bit number from 0 to 31");
        }
        bits |= 1u << bit.get<int64_t>();
    }
    return HDB_INSTANCE_NAME_FLAG(bits);
}

JSON const& array_member(JSON const& object, char const* key) {
    static JSON const empty = JSON::array();
    auto it = object.find(key);
    if (it == object.end()) {
        return empty;
    }
    if (!it->is_array()) {
        throw std::runtime_error(std::string("\"") + key + "\" is not a list");
    }
    return *it;
}

void require_object(JSON const& value, char const* what) {
    if (!value.is_object()) {
        throw std::runtime_error(std::string(what) + " is not an object");
    }
}

std::vector<HDB_STRING_OPTION> string_options_member(JSON const& object) {
    std::vector<HDB_STRING_OPTION> options;
    for (JSON const& option : array_member(object, "string_options")) {
        require_object(option, "a string option");
        options.push_back({text_member(option, "name"), text_member(option, "value"),
                           text_member(option, "tip")});
    }
    return options;
}
} // namespace

bool HDB_SOURCE_FILE::get_argument(int type, std::string& value) const {
    if (type != ARGUMENT_TIP || tip_file.empty()) {
        return false;
    }
    value = tip_file;
    return true;
}

std::string HDB_INSTANCE_NAME::get_short_path() const {
    if (parent == nullptr) {
        return short_name;
    }
    // Below the root: the full name less the root's name and its bar.
    size_t bar = full_name.find('|');
    return bar == std::string::npos ? full_name : full_name.substr(bar + 1);
}

bool HDB_INSTANCE_NAME::get_string_option(std::string const& name, std::string& value) const {
    for (HDB_STRING_OPTION const& option : string_options) {
        if (option.name == name) {
            value = option.value;
            return true;
        }
    }
    return false;
}

HDB_INSTANCE_NAME const*
HDB_ACTION_PT_INSTANCE::get_instance_name(std::string const& full_name) const {
    auto it = m_by_full_name.find(full_name);
    return it == m_by_full_name.end() ? nullptr : it->second;
}

HDB_DESIGN_UNIT const*
HDB_CMP_ACTION_PT_INSTANCE::find_design_unit(std::string const& name,
                                             std::string const& library) const {
    HDB_DESIGN_UNIT const* unit = get_entity(name, library);
    return unit != nullptr ? unit : get_entity(name);
}

HDB_DESIGN_UNIT const* HDB_CMP_ACTION_PT_INSTANCE::get_entity(std::string const& name,
                                                              std::string const& library) const {
    for (HDB_DESIGN_UNIT const& unit : m_design_units) {
        if (unit.name == name && unit.library == library) {
            return &unit;
        }
    }
    return nullptr;
}

HDB_DESIGN_UNIT const* HDB_CMP_ACTION_PT_INSTANCE::get_entity(std::string const& name) const {
    for (HDB_DESIGN_UNIT const& unit : m_design_units) {
        if (unit.name == name) {
            return &unit;
        }
    }
    return nullptr;
}

HDB_SOURCE_FILE const*
HDB_CMP_ACTION_PT_INSTANCE::get_design_file(HDB_DESIGN_UNIT const& unit) const {
    return unit.file >= 0 && static_cast<size_t>(unit.file) < m_files.size() ? &m_files[unit.file]
                                                                             : nullptr;
}

std::vector<HDB_STRING_OPTION const*>
HDB_CMP_ACTION_PT_INSTANCE::get_string_options(int section, std::string const& name) const {
    std::vector<HDB_STRING_OPTION const*> options;
    for (HDB_SECTION const& s : m_sections) {
        if (s.number != section) {
            continue;
        }
        for (HDB_STRING_OPTION const& option : s.string_options) {
            if (option.name == name) {
                options.push_back(&option);
            }
        }
    }
    return options;
}

// Builds the hierarchy from the parsed document.
class HDB_JSON_READER {
public:
    explicit HDB_JSON_READER(HDB_CMP_ACTION_PT_INSTANCE& cap) : m_cap(cap) {}

    void read(JSON const& document) {
        require_object(document, "the document");
        auto version = document.find("version");
        if (version == document.end() || !version->is_number_integer()) {
            throw std::runtime_error("no format version");
        }
        if (version->get<int>() != HDB_FILE_FORMAT_VERSION) {
            throw std::runtime_error("format version " + std::to_string(version->get<int>()) +
                                     " is not " + std::to_string(HDB_FILE_FORMAT_VERSION));
        }
        auto success = document.find("last_compilation_successful");
        if (success != document.end()) {
            if (!success->is_boolean()) {
                throw std::runtime_error("\"last_compilation_successful\" is not true or false");
            }
            m_cap.m_last_compilation_successful = success->get<bool>();
        }
        for (JSON const& library : array_member(document, "libraries")) {
            if (!library.is_string()) {
                throw std::runtime_error("a library is not a text");
            }
            m_cap.m_libraries.push_back(library.get<std::string>());
        }
        for (JSON const& file : array_member(document, "files")) {
            require_object(file, "a file");
            m_cap.m_files.push_back(
                {text_member(file, "path"), text_member(file, "tip"), flag_member(file)});
        }
        for (JSON const& unit : array_member(document, "design_units")) {
            require_object(unit, "a design unit");
            int file = -1;
            if (unit.contains("file")) {
                JSON const& index = unit["file"];
                if (!index.is_number_integer() || index.get<int>() < 0 ||
                    index.get<size_t>() >= m_cap.m_files.size()) {
                    throw std::runtime_error("a design unit names no listed file");
                }
                file = index.get<int>();
            }
            m_cap.m_design_units.push_back(
                {text_member(unit, "name"), text_member(unit, "library"), file});
        }
        for (JSON const& section : array_member(document, "sections")) {
            require_object(section, "a section");
            auto number = section.find("number");
            if (number == section.end() || !number->is_number_integer() ||
                number->get<int64_t>() < 0 || number->get<int64_t>() > INT32_MAX) {
                throw std::runtime_error("a section has no number");
            }
            m_cap.m_sections.push_back(
                {static_cast<int>(number->get<int64_t>()), string_options_member(section)});
        }
        auto root = document.find("root");
        if (root != document.end()) {
            add_instance(*root, nullptr);
        }
    }

private:
    void add_instance(JSON const& node, HDB_INSTANCE_NAME* parent) {
        require_object(node, "an instance");
        auto instance = std::make_unique<HDB_INSTANCE_NAME>();
        instance->short_name = text_member(node, "name");
        if (instance->short_name.empty()) {
            throw std::runtime_error("an instance has no name");
        }
        instance->full_name = parent == nullptr ? instance->short_name
                                                : parent->full_name + "|" + instance->short_name;
        instance->entity = text_member(node, "entity");
        instance->library = text_member(node, "library");
        instance->depth = parent == nullptr ? 0 : parent->depth + 1;
        if (instance->depth > HDB_MAX_DEPTH) {
            throw std::runtime_error("the tree is deeper than " + std::to_string(HDB_MAX_DEPTH) +
                                     " levels");
        }
        instance->name_id = static_cast<uint32_t>(m_cap.m_instances.size() + 1);
        instance->flags = flag_member(node);
        instance->schema = HDB_INSTANCE_SCHEMA(text_member(node, "schema"));
        instance->parent = parent;
        instance->string_options = string_options_member(node);
        HDB_INSTANCE_NAME* added = instance.get();
        if (!m_cap.m_by_full_name.emplace(added->full_name, added).second) {
            throw std::runtime_error("instance " + added->full_name + " is listed twice");
        }
        m_cap.m_instances.push_back(std::move(instance));
        if (parent != nullptr) {
            parent->children.push_back(added);
        }
        for (JSON const& child : array_member(node, "children")) {
            add_instance(child, added);
        }
    }

    HDB_CMP_ACTION_PT_INSTANCE& m_cap;
};

std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE>
HDB_CMP_ACTION_PT_INSTANCE::parse(std::string const& text) {
    JSON document;
    try {
        document = JSON::parse(text);
    } catch (JSON::exception const& error) {
        // Syntax errors, and numbers too large for any type.
        throw std::runtime_error(error.what());
    }
    auto cap = std::make_unique<HDB_CMP_ACTION_PT_INSTANCE>();
    HDB_JSON_READER(*cap).read(document);
    return cap;
}

std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE>
HDB_CMP_ACTION_PT_INSTANCE::read_pdb(std::string const& db_dir, std::string const& revision,
                                     int file_type, bool quiet, std::string* error) {
    FIO_PATH path(db_dir, revision + HDB_FILE_EXTENSION);
    std::string reason;
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap;
    std::string text;
    if (file_type != 0) {
        reason = "no database of type " + std::to_string(file_type);
    } else if (!FIO_FILE_SYSTEM::read_file(path, text)) {
        reason = "the file cannot be read";
    } else {
        try {
            cap = parse(text);
        } catch (std::exception const& failure) {
            reason = failure.what();
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
