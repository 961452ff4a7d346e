// The inventory's scan of the open project's settings.
#include "ipman/ipman_ip_info_manager.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "ipman/ipman_iprgen_manager.h"
#include "mem_manager.h"
#include "suite/messages/msg.h"
#include "suite/wizman/wizman.h"

MEM_UNIT_INITIALIZER(IPMAN);

namespace {

// Whether a file an IP file names is its variation file: one the wizard
// wrote, or a Plexa system file, which stands for a component whose HDL the
// wizard did not write. UNREADABLE, with the reason in `why`, when it is there
// but cannot be read.
WIZMAN_FILE_KIND variation_file_kind(std::string const& file, std::string& why) {
    if (fio_get_extension_type(file) == FIO_EXTENSION_TYPE_PLEXA_SYSTEM) {
        return WIZMAN_FILE_KIND::VARIATION;
    }
    return wizman_check_variation_file(FIO_PATH(file).full_path(), why);
}

std::string text_of(char const* s) {
    return s != nullptr ? s : "";
}

bool is_top_level(IPMAN_IP_INFO const& info) {
    return info.parent_entity == IPMAN_NA_STR;
}

} // namespace

void IPMAN_IP_INFO_MANAGER::load_ip_info(bool& need_regen, std::vector<IPMAN_IP_INFO>& all,
                                         std::vector<IPMAN_IP_INFO>& required) {
    collect_all_ip_cores_from_tip();
    manipulate_ip_cores_info_list();
    cleanup_ip_cores_db();
    need_regen = has_required_regeneration_ip();
    if (need_regen) {
        required = get_required_regen_ip_info();
    }
    all = get_ip_info_vec();
}

std::list<ACF_ASSIGNMENT*>
IPMAN_IP_INFO_MANAGER::get_acf_assignment_coll_by_file_category(ACF_FILE_CATEGORY_ENUM category) {
    std::list<ACF_ASSIGNMENT*> assignments;
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (manager == nullptr) {
        MSG_INTERNAL_ERROR::report("acf_mgr != NULL", "IPMAN", __FILE__, __LINE__);
        return assignments;
    }
    bool locked_here =
        !manager->is_read_locked() && !manager->is_write_locked() && manager->read_lock();
    if ((manager->is_read_locked() || manager->is_write_locked()) && manager->is_project_open()) {
        manager->reset_filters();
        manager->set_file_category_filter(category);
        manager->get_global_assignment_coll(nullptr, &assignments, true);
    }
    if (locked_here) {
        manager->read_unlock();
    }
    return assignments;
}

void IPMAN_IP_INFO_MANAGER::collect_all_ip_cores_from_tip() {
    if (m_db == nullptr) {
        MSG_INTERNAL_ERROR::report("m_db != NULL", "IPMAN", __FILE__, __LINE__);
        return;
    }
    m_db->clear_ip_info();
    m_unreadable_files.clear();
    m_unread_components.clear();
    for (ACF_ASSIGNMENT* asgn :
         get_acf_assignment_coll_by_file_category(ACF_FILE_CATEGORY_PROJECT_ASSIGNMENT)) {
        if (asgn == nullptr) {
            MSG_INTERNAL_ERROR::report("assignment != NULL", "IPMAN", __FILE__, __LINE__);
            continue;
        }
        if (asgn->does_argument_exist(ACF_ARGUMENT_TYPE_TIP)) {
            extract_tip_info_by_assignment(asgn);
        }
    }
}

void IPMAN_IP_INFO_MANAGER::extract_tip_info_by_assignment(ACF_ASSIGNMENT* asgn) {
    if (asgn == nullptr) {
        MSG_INTERNAL_ERROR::report("assignment != NULL", "IPMAN", __FILE__, __LINE__);
        return;
    }
    if (m_db == nullptr || !asgn->does_argument_exist(ACF_ARGUMENT_TYPE_TIP)) {
        return;
    }
    std::string tip = text_of(asgn->get_argument_value(ACF_ARGUMENT_TYPE_TIP));
    ACF_VARIABLE_TYPE_ENUM type = asgn->get_type();
    switch (type) {
    case ACF_VARIABLE_TYPE_IP_TOOL_NAME:
    case ACF_VARIABLE_TYPE_IP_TOOL_VERSION:
    case ACF_VARIABLE_TYPE_IP_TOOL_ENV:
    case ACF_VARIABLE_TYPE_VHDL_FILE:
    case ACF_VARIABLE_TYPE_VERILOG_FILE:
    case ACF_VARIABLE_TYPE_MISC_FILE:
        break;
    default:
        return;
    }
    std::string entity = text_of(asgn->get_entity_name());
    IPMAN_IP_INFO info;
    bool known = entity.empty() ? get_ip_info_by_tip_filename(tip, info)
                                : get_ip_info_by_tip_filename_and_entity(tip, entity, info);
    if (!known) {
        info = IPMAN_IP_INFO();
        info.file = tip;
        info.entity = entity;
    }
    std::string tip_base = FIO_PATH(tip).base();
    if (!entity.empty() && entity != tip_base) {
        info.parent_entity = tip_base;
    }
    std::string value = text_of(asgn->get_unmodified_value(false));
    switch (type) {
    case ACF_VARIABLE_TYPE_IP_TOOL_NAME:
    case ACF_VARIABLE_TYPE_IP_TOOL_VERSION:
        // Judged whenever name or version arrives, so the order of the two
        // settings (which a re-read of the IP file may change) cannot hide a
        // component that needs an upgrade.
        if (type == ACF_VARIABLE_TYPE_IP_TOOL_NAME) {
            info.tool_name = value;
        } else {
            info.tool_version = value;
        }
        if (is_ip_need_regen(info.tool_name, info.tool_version)) {
            info.need_regen = true;
        }
        break;
    case ACF_VARIABLE_TYPE_IP_TOOL_ENV:
        info.generated_by = value;
        break;
    default: {
        // The first qualifying file of an IP file stays its variation file.
        std::string why;
        switch (variation_file_kind(value, why)) {
        case WIZMAN_FILE_KIND::VARIATION:
            m_variation_files.emplace(tip, value);
            break;
        case WIZMAN_FILE_KIND::UNREADABLE:
            if (has_variation_file_extension(value)) {
                m_unreadable_files.emplace(tip, UNREAD_FILE{FIO_PATH(value).full_path(), why});
            }
            break;
        case WIZMAN_FILE_KIND::OTHER:
            break;
        }
        break;
    }
    }
    if (!known) {
        m_db->insert_ip_info(info);
    } else if (!entity.empty()) {
        m_db->update_ip_info_by_tip_file_and_entity(info);
    } else {
        m_db->update_ip_info_by_tip_file(info);
    }
}

void IPMAN_IP_INFO_MANAGER::manipulate_ip_cores_info_list() {
    if (m_db == nullptr) {
        MSG_INTERNAL_ERROR::report("m_db != NULL", "IPMAN", __FILE__, __LINE__);
        return;
    }
    // Records are removed and replaced while the walk goes on: it walks a copy.
    for (IPMAN_IP_INFO info : m_db->get_ip_info_map()) {
        auto variation = m_variation_files.find(info.file);
        if (variation == m_variation_files.end()) {
            // A file that could not be read may have been the variation file:
            // the component is not upgraded, which its upgrade must not hide.
            auto unread = m_unreadable_files.find(info.file);
            if (unread != m_unreadable_files.end() && is_top_level(info)) {
                IPMAN_IP_INFO component = info;
                component.var_file = unread->second.file;
                m_unread_components.push_back({component, unread->second.why});
            }
            m_db->remove_ip_info_by_tip_file_and_entity(info);
            continue;
        }
        info.var_file = variation->second;
        // A variation file that names another version than its IP file is
        // half of an upgrade: the component needs one to bring both to one
        // version, whatever the rules say of either.
        std::string name;
        std::string version;
        extract_ip_name_and_version_from_file(FIO_PATH(info.var_file).full_path(), name, version);
        if (is_top_level(info) && !version.empty() && !info.tool_version.empty() &&
            version != info.tool_version) {
            info.need_regen = true;
        }
        IPMAN_IP_INFO parent;
        if (!is_top_level(info) &&
            get_ip_info_by_tip_filename_and_entity(info.file, info.parent_entity, parent)) {
            if (parent.tool_name == info.tool_name) {
                info.skip_check_need_regen = true;
            } else if (info.need_regen) {
                parent.need_regen = true;
                m_db->update_ip_info_by_tip_file_and_entity(parent);
            }
        }
        if (!info.entity.empty()) {
            m_db->update_ip_info_by_tip_file_and_entity(info);
        } else {
            m_db->update_ip_info_by_tip_file(info);
        }
    }
}

bool IPMAN_IP_INFO_MANAGER::has_required_regeneration_ip() const {
    return find_first([](IPMAN_IP_INFO const& r) { return r.need_regen && is_top_level(r); }) !=
           nullptr;
}

std::vector<IPMAN_IP_INFO> IPMAN_IP_INFO_MANAGER::get_required_regen_ip_info() const {
    std::vector<IPMAN_IP_INFO> required;
    if (m_db == nullptr) {
        MSG_INTERNAL_ERROR::report("m_db != NULL", "IPMAN", __FILE__, __LINE__);
        return required;
    }
    for (IPMAN_IP_INFO const& info : m_db->records()) {
        if (is_top_level(info) ? info.need_regen
                               : is_parent_ip_core_need_regen(info.parent_entity)) {
            required.push_back(info);
        }
    }
    return required;
}

bool IPMAN_IP_INFO_MANAGER::is_parent_ip_core_need_regen(std::string const& entity) const {
    IPMAN_IP_INFO const* parent =
        find_first([&](IPMAN_IP_INFO const& r) { return is_top_level(r) && r.entity == entity; });
    return parent != nullptr && parent->need_regen;
}

bool IPMAN_IP_INFO_MANAGER::is_ip_need_regen(std::string const& name,
                                             std::string const& version) const {
    IPMAN_IPRGEN_MANAGER* mgr = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    if (mgr == nullptr) {
        MSG_INTERNAL_ERROR::report("mgr != NULL", "IPMAN", __FILE__, __LINE__);
        return false;
    }
    if (mgr->is_ip_need_regen(name, version)) {
        return true;
    }
    // The rules may list the component under the other name of its pair.
    std::string other = mgr->get_another_ip_core_name(name);
    return !other.empty() && mgr->is_ip_need_regen(other, version);
}

bool IPMAN_IP_INFO_MANAGER::is_vestawizard_file(FIO_PATH const& path) const {
    return wizman_file_was_wizard_generated(path.full_path().c_str());
}

bool IPMAN_IP_INFO_MANAGER::get_ipcore_info_from_tip_acf_manager(std::string const& tip_file,
                                                                 std::string const& entity,
                                                                 ACF_VARIABLE_TYPE_ENUM type,
                                                                 std::string& value) {
    IPCORE_VALUES values = get_ipcore_infos_from_tip_acf_manager(type);
    auto found = values.find({tip_file, entity});
    if (found == values.end()) {
        return false;
    }
    value = found->second;
    return true;
}

IPMAN_IP_INFO_MANAGER::IPCORE_VALUES
IPMAN_IP_INFO_MANAGER::get_ipcore_infos_from_tip_acf_manager(ACF_VARIABLE_TYPE_ENUM type) {
    IPCORE_VALUES values;
    for (ACF_ASSIGNMENT* asgn :
         get_acf_assignment_coll_by_file_category(ACF_FILE_CATEGORY_PROJECT_ASSIGNMENT)) {
        char const* asgn_tip = asgn->get_argument_value(ACF_ARGUMENT_TYPE_TIP);
        // An assignment without an entity belongs to the component whose
        // entity is empty, as the inventory records it; the first one counts.
        if (asgn_tip != nullptr && asgn->get_type() == type) {
            values.emplace(std::make_pair(std::string(asgn_tip), text_of(asgn->get_entity_name())),
                           text_of(asgn->get_unmodified_value(false)));
        }
    }
    return values;
}

std::vector<std::string> IPMAN_IP_INFO_MANAGER::get_tip_files_from_opened_project() {
    std::vector<std::string> files;
    for (ACF_ASSIGNMENT* asgn :
         get_acf_assignment_coll_by_file_category(ACF_FILE_CATEGORY_PROJECT_ASSIGNMENT)) {
        if (asgn->get_type() == ACF_VARIABLE_TYPE_TIP_FILE) {
            files.push_back(text_of(asgn->get_unmodified_value(false)));
        }
    }
    return files;
}

void IPMAN_IP_INFO_MANAGER::remove_and_add_tip_file_to_acf() {}
