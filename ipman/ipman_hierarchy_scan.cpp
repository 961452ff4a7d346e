// The design-hierarchy scan of the IP inventory: the IP components of a
// compiled design found by walking its instance tree.
#include "ipman/ipman_ip_info_manager.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_table.h"
#include "ipman/ipman_iprgen_manager.h"
#include "ipman/ipman_msgs.h"
#include "suite/cpt/cpt_zovk.h"
#include "suite/hierdb/hdb.h"
#include "suite/messages/msg.h"
#include "suite/wizman/wizman.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <memory>
#include <unordered_map>

namespace {

// Flag bits of a design file.
constexpr int FILE_NEVER_IP = 5;
constexpr int FILE_ENCRYPTED_IP = 8;
constexpr int FILE_ENCRYPTED_CHILD = 13;
constexpr int FILE_MAY_WRAP_ENCRYPTED_IP = 16;

std::function<IPMAN_IPRGEN_MANAGER*()>& regen_manager_source() {
    static std::function<IPMAN_IPRGEN_MANAGER*()> source;
    return source;
}

IPMAN_IPRGEN_MANAGER* regen_manager() {
    return regen_manager_source() ? regen_manager_source()()
                                  : IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
}

// An instance takes part in the walk when it has children, or when it is a
// leaf that the compiler expanded from a library function.
bool qualifies(HDB_INSTANCE_NAME const* inst) {
    return !inst->get_children().empty() || inst->get_schema().is_macrofunction();
}

// The other name of the IP's name pair ("" when none, or without an upgrade manager).
std::string alias_of(std::string const& name) {
    IPMAN_IPRGEN_MANAGER* regen_mgr = regen_manager();
    if (regen_mgr == nullptr) {
        IPMAN_INTERNAL_ERROR("regen_mgr != NULL");
        return std::string();
    }
    return regen_mgr->get_another_ip_core_name(name);
}

// The fields a component found in the hierarchy carries besides its IP data.
void fill_hierarchy_fields(IPMAN_IP_INFO& info, HDB_INSTANCE_NAME const* inst) {
    info.hdb_name_id = inst->get_name_id();
    info.hpath = inst->get_full_path();
    info.vendor_name = "Norvik";
    info.release_date = "Unknown";
    info.lic_type = IPMAN_IP_LIC_TYPE_UNENCRYPTED;
}

// What an instance's design file and settings tell of its IP.
struct IP_DATA {
    std::string name = "N/A";
    std::string version = "N/A";
    std::string generated_by = "N/A";
    std::string tip_file = "N/A";
    std::string var_file = "N/A";
};

// A component's record from its instance and IP data (its variation file aside).
void fill_component(IPMAN_IP_INFO& info, HDB_INSTANCE_NAME const* inst, IP_DATA const& data) {
    fill_hierarchy_fields(info, inst);
    info.tool_name = data.name;
    info.tool_version = data.version;
    info.generated_by = data.generated_by;
    info.file = data.tip_file;
    info.entity = inst->get_source_component();
}

// Relates a component to its enclosing one: a part with the same IP name (or
// its other name) is judged only through its parent.
void set_parent(IPMAN_IP_INFO& info, bool has_parent, IPMAN_IP_INFO const& parent,
                std::string const& name) {
    std::string alias = alias_of(name);
    if (has_parent) {
        info.parent_entity = parent.entity;
        info.skip_check_need_regen =
            name == parent.tool_name || (!alias.empty() && alias == parent.tool_name);
    } else {
        info.skip_check_need_regen = false;
    }
}

// A quoted core name without its quotes: the text after the first character
// up to the next double quote, when one follows.
std::string unquoted_core_name(std::string const& name) {
    size_t close = name.size() > 1 ? name.find('"', 1) : std::string::npos;
    return close == std::string::npos ? name : name.substr(1, close - 1);
}

std::string text_of(char const* s) {
    return s != nullptr ? s : "";
}

// The open project, as the encrypted-file cache remembers it: its path ("" when
// none) and how many projects were closed before, so a close and a reopen of
// the same project is another project for the cache.
std::string open_project() {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (manager == nullptr) {
        return std::string();
    }
    std::string closes = std::to_string(manager->get_project_close_count());
    return manager->is_project_open() ? closes + ":" + text_of(manager->get_project_full_path())
                                      : closes + ":";
}

// The variables of an IP's settings that the scan reads, in this order.
ACF_VARIABLE_TYPE_ENUM const IP_VARIABLES[] = {ACF_VARIABLE_TYPE_IP_TOOL_NAME,
                                               ACF_VARIABLE_TYPE_IP_TOOL_VERSION,
                                               ACF_VARIABLE_TYPE_IP_TOOL_ENV};

} // namespace

// What one scan reads once and then looks up: the project's settings that
// came from IP files, the header of each design file, and, in a walk of the
// tree, the IP data of each design unit and, per instance, its design unit,
// its IP data (of instances with instances below them and string options of
// their own) and its enclosing component. Valid while the scan runs: the
// files and settings do not change meanwhile.
class IPMAN_HIERARCHY_SCAN_CACHE {
public:
    explicit IPMAN_HIERARCHY_SCAN_CACHE(HDB_CMP_ACTION_PT_INSTANCE const* cap) : m_cap(cap) {}

    HDB_CMP_ACTION_PT_INSTANCE const* cap() const { return m_cap; }
    // For a walk, which meets every instance: what is kept of each instance
    // is kept by its number, in the order the walk meets them, and what is
    // kept of each design unit by its position.
    void keep_instances() {
        m_instances.resize(m_cap->get_instances().size());
        m_by_unit.assign(m_cap->get_design_units().size(), UNKNOWN);
    }

    // The instance's design unit, as `find` finds it.
    template <class FIND>
    HDB_DESIGN_UNIT const* design_unit(HDB_INSTANCE_NAME const* inst, FIND const& find) {
        INSTANCE* kept = kept_of(inst);
        if (kept == nullptr) {
            return find();
        }
        if (!kept->unit_found) {
            kept->unit = find();
            kept->unit_found = true;
        }
        return kept->unit;
    }

    // The IP name, version and generator that the project's settings give
    // an IP file and entity (for each, the first setting; one that is missing
    // leaves its value as it is); false, changing nothing, when they give no
    // name.
    bool project_settings(IPMAN_IP_INFO_MANAGER& manager, std::string const& tip_file,
                          std::string const& entity, std::string& name, std::string& version,
                          std::string& generated_by) {
        if (!m_settings_read) {
            m_settings_read = true;
            for (ACF_ASSIGNMENT* asgn : manager.get_acf_assignment_coll_by_file_category(
                     ACF_FILE_CATEGORY_PROJECT_ASSIGNMENT)) {
                char const* tip = asgn->get_argument_value(ACF_ARGUMENT_TYPE_TIP);
                auto variable =
                    std::find(std::begin(IP_VARIABLES), std::end(IP_VARIABLES), asgn->get_type());
                if (tip == nullptr || variable == std::end(IP_VARIABLES)) {
                    continue;
                }
                IP_SETTINGS& settings =
                    m_settings[FIO_PATH(tip).full_path()][text_of(asgn->get_entity_name())];
                size_t const i = static_cast<size_t>(variable - std::begin(IP_VARIABLES));
                if (!settings.given[i]) {
                    settings.given[i] = true;
                    settings.values[i] = text_of(asgn->get_unmodified_value(false));
                }
            }
        }
        // The IP file as the hierarchy names it, to its full path (as the
        // settings name it).
        auto of_file = m_settings_of_file.find(tip_file);
        if (of_file == m_settings_of_file.end()) {
            auto full = m_settings.find(FIO_PATH(tip_file).full_path());
            of_file = m_settings_of_file
                          .emplace(tip_file, full == m_settings.end() ? nullptr : &full->second)
                          .first;
        }
        if (of_file->second == nullptr) {
            return false;
        }
        auto found = of_file->second->find(entity);
        if (found == of_file->second->end() || !found->second.given[0]) {
            return false;
        }
        std::string* values[] = {&name, &version, &generated_by};
        for (size_t i = 0; i < std::size(IP_VARIABLES); ++i) {
            if (found->second.given[i]) {
                *values[i] = found->second.values[i];
            }
        }
        return true;
    }

    // Whether the IP wizard generated the design file, with the IP name and
    // version its header gives.
    bool wizard_generated(HDB_SOURCE_FILE const* file, std::string& name, std::string& version) {
        auto found = m_headers.find(file);
        if (found == m_headers.end()) {
            HEADER header;
            header.generated = is_wizard_generated_file(file->get_full_path().c_str(), header.name,
                                                        header.version);
            found = m_headers.emplace(file, header).first;
        }
        name = found->second.name;
        version = found->second.version;
        return found->second.generated;
    }

    // The instance's IP data as extract_ipcore_info finds it; null when it
    // finds none. In a walk, remembered with the design unit when the
    // instance carries no string options of its own: the unit, found by the
    // exact entity name, then decides the data. Else remembered with an
    // instance that has instances below it, whose data every instance below
    // asks for again.
    IP_DATA const* ip_data(IPMAN_IP_INFO_MANAGER& manager, HDB_INSTANCE_NAME const* inst,
                           IP_DATA& data) {
        uint32_t* memo = memo_of(manager, inst);
        if (memo == nullptr) {
            return extract(manager, inst, data) ? &data : nullptr;
        }
        if (*memo == UNKNOWN) {
            // Of a unit or instance that is no IP component only that is kept.
            *memo = NONE;
            if (extract(manager, inst, data)) {
                *memo = static_cast<uint32_t>(m_ip_data.size());
                m_ip_data.push_back(std::move(data));
            }
        }
        return *memo == NONE ? nullptr : &m_ip_data[*memo];
    }

    // The nearest of `inst` and its ancestors, the root aside, that is an IP
    // component; null when none is.
    HDB_INSTANCE_NAME const* enclosing_component(IPMAN_IP_INFO_MANAGER& manager,
                                                 HDB_INSTANCE_NAME const* inst) {
        // Up to the first instance already answered, an IP component or the
        // root; then every instance passed gets the same answer.
        std::vector<INSTANCE*> passed;
        HDB_INSTANCE_NAME const* answer = nullptr;
        for (HDB_INSTANCE_NAME const* at = inst; at != nullptr && at->get_depth() != 0;
             at = at->get_parent()) {
            INSTANCE* kept = kept_of(at);
            if (kept != nullptr && kept->enclosing != UNKNOWN) {
                answer =
                    kept->enclosing == NONE ? nullptr : m_cap->get_instances()[kept->enclosing];
                break;
            }
            IP_DATA unused;
            if (ip_data(manager, at, unused) != nullptr) {
                answer = at;
                break;
            }
            if (kept != nullptr) {
                passed.push_back(kept);
            }
        }
        for (INSTANCE* kept : passed) {
            kept->enclosing = answer == nullptr ? NONE : answer->get_name_id() - 1;
        }
        return answer;
    }

private:
    // The first setting of each of the IP variables, when given.
    struct IP_SETTINGS {
        std::string values[std::size(IP_VARIABLES)];
        bool given[std::size(IP_VARIABLES)] = {};
    };
    using SETTINGS_OF_ENTITY = std::unordered_map<std::string, IP_SETTINGS>;

    struct HEADER {
        bool generated = false;
        std::string name;
        std::string version;
    };

    // What is kept of an instance: its design unit (once found), its IP data
    // (UNKNOWN, NONE when it is no IP component, else the position of its
    // data) and its enclosing component (UNKNOWN, NONE, else its position).
    static constexpr uint32_t UNKNOWN = UINT32_MAX;
    static constexpr uint32_t NONE = UINT32_MAX - 1;
    struct INSTANCE {
        HDB_DESIGN_UNIT const* unit = nullptr;
        bool unit_found = false;
        uint32_t ip_data = UNKNOWN;
        uint32_t enclosing = UNKNOWN;
    };

    // What is kept of an instance of the compilation point; null outside a
    // walk, and for an instance that is not one of the point's own.
    INSTANCE* kept_of(HDB_INSTANCE_NAME const* inst) {
        size_t at = inst->get_name_id() - size_t(1);
        return at < m_instances.size() && m_cap->get_instances()[at] == inst ? &m_instances[at]
                                                                             : nullptr;
    }

    // Where the IP data of `inst` is remembered (see ip_data); null when it
    // is not.
    uint32_t* memo_of(IPMAN_IP_INFO_MANAGER& manager, HDB_INSTANCE_NAME const* inst) {
        if (!m_by_unit.empty() && inst->get_string_options().empty()) {
            HDB_DESIGN_UNIT const* unit = manager.ip_find_entity(m_cap, inst);
            if (unit != nullptr && unit->position < m_by_unit.size()) {
                return &m_by_unit[unit->position];
            }
        }
        INSTANCE* kept = inst->get_children().empty() ? nullptr : kept_of(inst);
        return kept != nullptr ? &kept->ip_data : nullptr;
    }

    bool extract(IPMAN_IP_INFO_MANAGER& manager, HDB_INSTANCE_NAME const* inst, IP_DATA& data) {
        return manager.extract_ipcore_info(m_cap, inst, data.name, data.version, data.generated_by,
                                           data.tip_file, data.var_file);
    }

    HDB_CMP_ACTION_PT_INSTANCE const* m_cap;
    // The project's IP settings by IP file (its full path: the settings and
    // the hierarchy both name it from the project's folder) and entity; and
    // those of each IP file as the hierarchy names it.
    bool m_settings_read = false;
    std::unordered_map<std::string, SETTINGS_OF_ENTITY> m_settings;
    std::unordered_map<std::string, SETTINGS_OF_ENTITY const*> m_settings_of_file;
    std::unordered_map<HDB_SOURCE_FILE const*, HEADER> m_headers;
    std::vector<INSTANCE> m_instances;
    // In a walk, the position of the IP data of each design unit (or UNKNOWN,
    // NONE), for its instances without string options of their own.
    std::vector<uint32_t> m_by_unit;
    std::deque<IP_DATA> m_ip_data;
};

namespace {

// A scan's lookups for the time of a call: those of the scan running on the
// same compilation point, else new ones, dropped when the call returns.
class SCAN_SCOPE {
public:
    SCAN_SCOPE(IPMAN_HIERARCHY_SCAN_CACHE*& running, HDB_CMP_ACTION_PT_INSTANCE const* cap)
        : m_running(running), m_outer(running) {
        if (running == nullptr || running->cap() != cap) {
            m_own = std::make_unique<IPMAN_HIERARCHY_SCAN_CACHE>(cap);
            running = m_own.get();
        }
    }
    ~SCAN_SCOPE() { m_running = m_outer; }
    SCAN_SCOPE(SCAN_SCOPE const&) = delete;
    SCAN_SCOPE& operator=(SCAN_SCOPE const&) = delete;

    IPMAN_HIERARCHY_SCAN_CACHE& cache() { return *m_running; }

private:
    IPMAN_HIERARCHY_SCAN_CACHE*& m_running;
    IPMAN_HIERARCHY_SCAN_CACHE* m_outer;
    std::unique_ptr<IPMAN_HIERARCHY_SCAN_CACHE> m_own;
};

} // namespace

void IPMAN_IP_INFO_MANAGER::set_regen_manager_source(
    std::function<IPMAN_IPRGEN_MANAGER*()> source) {
    regen_manager_source() = std::move(source);
}

std::vector<IPMAN_IP_INFO>
IPMAN_IP_INFO_MANAGER::collect_all_ip_cores(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                            HDB_INSTANCE_NAME const* top) {
    if (m_db == nullptr) {
        IPMAN_INTERNAL_ERROR("m_db != NULL");
        return std::vector<IPMAN_IP_INFO>();
    }
    m_db->clear_ip_info();
    // A component added by an earlier walk must not hide this walk's first one.
    m_work_ip_info = NO_WORK_IP_INFO;
    if (cap == nullptr) {
        IPMAN_INTERNAL_ERROR("cap!=0");
        return std::vector<IPMAN_IP_INFO>();
    }
    forget_encrypted_ip_of_closed_project();
    SCAN_SCOPE scan(m_scan_cache, cap);
    scan.cache().keep_instances();
    if (top != nullptr && qualifies(top)) {
        char const* path = top->get_short_path();
        ipman_msg_debug("collect_all_ip_cores IP detection: %s", path);
        collect_ip(cap, top);
        ipman_msg_debug("collect_all_ip_cores IP scan: %s", path);
        collect_ip_cores(cap, top);
    }
    return m_db->get_ip_info_map();
}

void IPMAN_IP_INFO_MANAGER::collect_ip_cores(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                             HDB_INSTANCE_NAME const* inst) {
    if (inst == nullptr) {
        IPMAN_INTERNAL_ERROR("inst!=0");
        return;
    }
    size_t const saved = m_work_ip_info;
    for (HDB_INSTANCE_NAME const* child : inst->get_children()) {
        if (child == nullptr) {
            IPMAN_INTERNAL_ERROR("hier != 0");
            continue;
        }
        if (qualifies(child)) {
            char const* path = child->get_short_path();
            ipman_msg_debug("collect_ip_cores IP detection: %s", path);
            collect_ip(cap, child);
            ipman_msg_debug("collect_ip_cores IP scan: %s", path);
            collect_ip_cores(cap, child);
            m_work_ip_info = saved;
        }
    }
}

void IPMAN_IP_INFO_MANAGER::collect_ip(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                       HDB_INSTANCE_NAME const* inst) {
    HDB_DESIGN_UNIT const* unit = ip_find_entity(cap, inst);
    HDB_SOURCE_FILE const* file = unit != nullptr ? cap->get_design_file(*unit) : nullptr;
    if (file == nullptr) {
        return;
    }
    IPMAN_IP_INFO info;
    if (get_ip_info(cap, inst, file, &info) && !(info == work_ip_info())) {
        ipman_msg_debug("Adding IP core (%s %s) to report collection.", info.tool_name.c_str(),
                        info.tool_version.c_str());
        m_db->insert_ip_info(std::move(info));
        m_work_ip_info = m_db->records().size() - 1;
    }
}

HDB_DESIGN_UNIT const* IPMAN_IP_INFO_MANAGER::ip_find_entity(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                             HDB_INSTANCE_NAME const* inst) {
    if (cap == nullptr) {
        IPMAN_INTERNAL_ERROR("cap!=0");
        return nullptr;
    }
    if (inst == nullptr) {
        IPMAN_INTERNAL_ERROR("inst!=0");
        return nullptr;
    }
    // In the instance's library first, else by name alone; once per scan.
    SCAN_SCOPE scan(m_scan_cache, cap);
    return scan.cache().design_unit(inst, [&] {
        return cap->find_design_unit(inst->get_source_component(),
                                     hdb_get_current_name_mgr()->get_iname_library(*inst));
    });
}

bool IPMAN_IP_INFO_MANAGER::get_ip_info(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                        HDB_INSTANCE_NAME const* inst, HDB_SOURCE_FILE const* file,
                                        IPMAN_IP_INFO* out) {
    if (file == nullptr || file->get_flags().test_flag(FILE_NEVER_IP)) {
        return false;
    }
    char const* path = inst->get_short_path();
    if (file->get_flags().test_flag(FILE_ENCRYPTED_IP)) {
        ipman_msg_debug("%s identified as encrypted IP", path);
        return get_encrypted_ipcore_info(inst, file, out);
    }
    HDB_SOURCE_FILE const* child_file = nullptr;
    if (only_child_is_encrypted(file, cap, inst, &child_file)) {
        ipman_msg_debug("%s identified as encrypted IP with un-encrypted wrapper", path);
        return get_encrypted_ipcore_info(inst, child_file, out);
    }
    ipman_msg_debug("%s identified as unencrypted IP core", path);
    return get_unencrypted_ipcore_info(cap, inst, out);
}

bool IPMAN_IP_INFO_MANAGER::only_child_is_encrypted(HDB_SOURCE_FILE const* file,
                                                    HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                    HDB_INSTANCE_NAME const* inst,
                                                    HDB_SOURCE_FILE const** out) {
    if (file == nullptr || inst == nullptr ||
        !file->get_flags().test_flag(FILE_MAY_WRAP_ENCRYPTED_IP) ||
        inst->get_children().size() != 1 || inst->get_children().front() == nullptr) {
        return false;
    }
    HDB_DESIGN_UNIT const* unit = ip_find_entity(cap, inst->get_children().front());
    HDB_SOURCE_FILE const* child_file = unit != nullptr ? cap->get_design_file(*unit) : nullptr;
    if (child_file == nullptr || !child_file->get_flags().test_flag(FILE_ENCRYPTED_CHILD)) {
        return false;
    }
    *out = child_file;
    return true;
}

bool IPMAN_IP_INFO_MANAGER::get_unencrypted_ipcore_info(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                        HDB_INSTANCE_NAME const* inst,
                                                        IPMAN_IP_INFO* out) {
    SCAN_SCOPE scan(m_scan_cache, cap);
    IP_DATA read;
    IP_DATA const* data = scan.cache().ip_data(*this, inst, read);
    if (data == nullptr) {
        return false;
    }
    IPMAN_IP_INFO parent;
    bool has_parent = get_entity_ip_core_parent_and_create_ip_info(cap, inst, parent);
    out->parent_entity = "N/A";
    set_parent(*out, has_parent, parent, data->name);
    fill_component(*out, inst, *data);
    out->var_file = data->var_file;
    ipman_msg_debug("Created unencrypted IP_INFO: name:%s, version:%s, entity:%s, path:%s, "
                    "parent:%s",
                    out->tool_name.c_str(), out->tool_version.c_str(), out->entity.c_str(),
                    out->hpath.c_str(), out->parent_entity.c_str());
    return true;
}

bool IPMAN_IP_INFO_MANAGER::get_entity_ip_core_parent_and_create_ip_info(
    HDB_CMP_ACTION_PT_INSTANCE const* cap, HDB_INSTANCE_NAME const* inst, IPMAN_IP_INFO& out) {
    SCAN_SCOPE scan(m_scan_cache, cap);
    HDB_INSTANCE_NAME const* ancestor =
        scan.cache().enclosing_component(*this, get_entity_parent(inst));
    if (ancestor == nullptr) {
        return false;
    }
    IP_DATA read;
    fill_component(out, ancestor, *scan.cache().ip_data(*this, ancestor, read));
    return true;
}

bool IPMAN_IP_INFO_MANAGER::extract_ipcore_info(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                HDB_INSTANCE_NAME const* inst, std::string& name,
                                                std::string& version, std::string& generated_by,
                                                std::string& tip_file, std::string& var_file) {
    HDB_DESIGN_UNIT const* unit = ip_find_entity(cap, inst);
    HDB_SOURCE_FILE const* file = unit != nullptr ? cap->get_design_file(*unit) : nullptr;
    if (file == nullptr) {
        return false;
    }
    tip_file = get_ip_file(cap, inst, false);
    var_file = file->get_full_path();
    if (get_ipcore_info_from_tip_assignment(inst, name, version, generated_by)) {
        return true;
    }
    // The project's settings, read once per scan.
    SCAN_SCOPE scan(m_scan_cache, cap);
    if (scan.cache().project_settings(*this, tip_file, inst->get_source_component(), name, version,
                                      generated_by)) {
        return true;
    }
    return get_ipcore_info_from_tip_or_variation_file(cap, file, name, version, generated_by);
}

std::string IPMAN_IP_INFO_MANAGER::get_ip_file(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                               HDB_INSTANCE_NAME const* inst, bool full) {
    if (cap == nullptr || inst == nullptr) {
        return std::string();
    }
    HDB_DESIGN_UNIT const* unit = ip_find_entity(cap, inst);
    HDB_SOURCE_FILE const* file = unit != nullptr ? cap->get_design_file(*unit) : nullptr;
    if (file == nullptr) {
        return std::string();
    }
    std::string tip;
    if (!full && file->get_argument(HDB_SOURCE_FILE::ARGUMENT_TIP, tip)) {
        ipman_msg_debug("Found TIP %s", tip.c_str());
        return tip;
    }
    SCAN_SCOPE scan(m_scan_cache, cap);
    std::string name;
    std::string version;
    return scan.cache().wizard_generated(file, name, version) ? file->get_full_path()
                                                              : std::string();
}

bool IPMAN_IP_INFO_MANAGER::get_ipcore_info_from_tip_assignment(HDB_INSTANCE_NAME const* inst,
                                                                std::string& name,
                                                                std::string& version,
                                                                std::string& generated_by) {
    struct OPTION {
        char const* name;
        std::string& value;
        bool found;
    } options[] = {{"IP_TOOL_NAME", name, false},
                   {"IP_TOOL_VERSION", version, false},
                   {"IP_TOOL_ENV", generated_by, false}};
    for (OPTION& option : options) {
        std::string value;
        option.found = inst->get_string_option(option.name, value);
        if (option.found && !value.empty()) {
            option.value = value;
        }
    }
    return options[0].found && options[1].found;
}

bool IPMAN_IP_INFO_MANAGER::get_tip_info(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                         ACF_VARIABLE_TYPE_ENUM type, char const* tip_file,
                                         std::string* value) {
    ipman_msg_debug("In get_tip_info()");
    HDB_STRING_OPTION const* option = cap->get_string_option(
        HDB_SECTION::IP_SETTINGS, acf_variable_type_to_string(type), tip_file);
    if (option == nullptr) {
        return false;
    }
    ipman_msg_debug("Got info from TIP");
    *value = option->value.empty() ? "N/A" : option->value;
    return true;
}

bool IPMAN_IP_INFO_MANAGER::get_tip_ipcores_info(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                 HDB_SOURCE_FILE const* file, std::string& name,
                                                 std::string& version, std::string& generated_by) {
    std::string tip;
    if (!file->get_argument(HDB_SOURCE_FILE::ARGUMENT_TIP, tip)) {
        return false;
    }
    ipman_msg_debug("Found matching TIP %s", tip.c_str());
    bool has_name = get_tip_info(cap, ACF_VARIABLE_TYPE_IP_TOOL_NAME, tip.c_str(), &name);
    get_tip_info(cap, ACF_VARIABLE_TYPE_IP_TOOL_VERSION, tip.c_str(), &version);
    get_tip_info(cap, ACF_VARIABLE_TYPE_IP_TOOL_ENV, tip.c_str(), &generated_by);
    return has_name;
}

bool IPMAN_IP_INFO_MANAGER::get_ipcore_info_from_tip_or_variation_file(
    HDB_CMP_ACTION_PT_INSTANCE const* cap, HDB_SOURCE_FILE const* file, std::string& name,
    std::string& version, std::string& generated_by) {
    if (cap == nullptr || file == nullptr) {
        return false;
    }
    if (get_tip_ipcores_info(cap, file, name, version, generated_by)) {
        return true;
    }
    SCAN_SCOPE scan(m_scan_cache, cap);
    std::string header_name;
    std::string header_version;
    if (!scan.cache().wizard_generated(file, header_name, header_version)) {
        return false;
    }
    if (!header_name.empty()) {
        name = header_name;
    }
    if (!header_version.empty()) {
        version = header_version;
    }
    return true;
}

bool IPMAN_IP_INFO_MANAGER::get_encrypted_ipcore_info(HDB_INSTANCE_NAME const* inst,
                                                      HDB_SOURCE_FILE const* file,
                                                      IPMAN_IP_INFO* out) {
    std::string const& path = file->get_full_path();
    IPMAN_IP_INFO info;
    auto cached = m_encrypted_ip_cache.find(path);
    if (cached != m_encrypted_ip_cache.end()) {
        // The cache spares reading the file again; the instance is this one.
        info = cached->second;
    } else {
        if (!cpt_zovk_encrypted_file(path.c_str())) {
            return false;
        }
        CPT_ZOVK_IFSTREAM reader(path.c_str());
        if (!reader.is_open()) {
            return false;
        }
        info.vendor_name = cpt_zovk_vendor_name(reader.get_vendor_id() & 0xFFFF);
        info.tool_name = unquoted_core_name(reader.get_core_name());
        info.tool_version = "N/A";
        info.release_date = reader.get_core_version();
        info.var_file = path;
        info.generated_by = "";
        info.file = "";
        m_encrypted_ip_cache.emplace(path, info);
    }
    info.hdb_name_id = inst->get_name_id();
    info.hpath = inst->get_full_path();
    info.entity = out->entity;
    info.parent_entity = out->parent_entity;
    *out = info;
    ipman_msg_debug("Created encrypted IP_INFO: name:%s, version:%s, entity:%s, path:%s, "
                    "parent:%s",
                    out->tool_name.c_str(), out->tool_version.c_str(), out->entity.c_str(),
                    out->hpath.c_str(), out->parent_entity.c_str());
    return true;
}

IPMAN_IP_INFO IPMAN_IP_INFO_MANAGER::get_ip_info_from_file(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                           HDB_INSTANCE_NAME const* inst) {
    IPMAN_IP_INFO info;
    forget_encrypted_ip_of_closed_project();
    SCAN_SCOPE scan(m_scan_cache, cap);
    HDB_DESIGN_UNIT const* unit = ip_find_entity(cap, inst);
    HDB_SOURCE_FILE const* file = unit != nullptr ? cap->get_design_file(*unit) : nullptr;
    if (file == nullptr || file->get_flags().test_flag(FILE_NEVER_IP)) {
        return info;
    }
    char const* path = inst->get_short_path();
    if (file->get_flags().test_flag(FILE_ENCRYPTED_IP)) {
        ipman_msg_debug("%s identified as encrypted IP", path);
        get_encrypted_ipcore_info(inst, file, &info);
        return info;
    }
    ipman_msg_debug("%s identified as unencrypted IP core", path);
    IP_DATA data; // no IP file is named for a single instance
    // An instance whose file names no IP is no component: it keeps the
    // default record rather than one that claims a vendor and a licence.
    if (!get_ipcore_info_from_tip_or_variation_file(cap, file, data.name, data.version,
                                                    data.generated_by)) {
        return info;
    }
    IPMAN_IP_INFO parent;
    bool has_parent = get_entity_ip_core_parent_and_create_ip_info(cap, inst, parent);
    set_parent(info, has_parent, parent, data.name);
    fill_component(info, inst, data);
    info.var_file = file->get_full_path();
    return info;
}

IPMAN_IP_INFO const& IPMAN_IP_INFO_MANAGER::work_ip_info() const {
    static IPMAN_IP_INFO const none;
    return m_work_ip_info == NO_WORK_IP_INFO ? none : m_db->records()[m_work_ip_info];
}

void IPMAN_IP_INFO_MANAGER::forget_encrypted_ip_of_closed_project() {
    std::string project = open_project();
    if (project != m_encrypted_ip_cache_project) {
        m_encrypted_ip_cache.clear();
        m_encrypted_ip_cache_project = project;
    }
}

HDB_INSTANCE_NAME const* IPMAN_IP_INFO_MANAGER::get_hdb_iname(HDB_CMP_ACTION_PT_INSTANCE const* cap,
                                                              std::string const& name) {
    if (cap == nullptr) {
        return nullptr;
    }
    HDB_NAME_MGR* names = hdb_get_current_name_mgr();
    names->lock_curr_vector();
    HDB_INSTANCE_NAME const* inst = cap->get_instance_name(name);
    names->unlock_curr_vector();
    return inst;
}

HDB_INSTANCE_NAME const* IPMAN_IP_INFO_MANAGER::get_entity_parent(HDB_INSTANCE_NAME const* inst) {
    return inst == nullptr || inst->get_depth() < 2 ? nullptr : inst->get_parent();
}

HDB_INSTANCE_NAME const*
IPMAN_IP_INFO_MANAGER::get_entity_top_parent(HDB_INSTANCE_NAME const* inst) {
    while (inst != nullptr && inst->get_depth() > 1) {
        inst = inst->get_parent();
    }
    return inst;
}
