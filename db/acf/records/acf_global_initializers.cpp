#include "records/acf_global_initializers.h"

#include "acf_manager.h"
#include "acf_table.h"
#include "acf_unload.h"
#include "mem_manager.h"
#include "records/acf_string_pool.h"
#include "suite/general/ntf.h"

#include <mutex>

MEM_UNIT_INITIALIZER(ACF);

namespace {
std::mutex pool_mutex;
ACF_STRING_POOL* string_pool = nullptr;
std::mutex file_name_mutex;
ACF_STRING_POOL* file_name_pool = nullptr;
} // namespace

unsigned const ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED =
    ntf_register_notification("ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED");

ACF_STRING_POOL* acf_get_or_create_string_pool() {
    std::lock_guard<std::mutex> lock(pool_mutex);
    if (string_pool == nullptr) {
        string_pool = MEM_NEW(ACF, ACF_STRING_POOL)("GENERAL_POOL");
    }
    return string_pool;
}

std::string const* acf_intern_file_name(char const* name) {
    std::lock_guard<std::mutex> lock(file_name_mutex);
    if (file_name_pool == nullptr) {
        file_name_pool = MEM_NEW(ACF, ACF_STRING_POOL)("FILE_NAME_POOL");
    }
    return file_name_pool->get_or_add_to_pool(name);
}

void acf_clear_string_map() {
    std::lock_guard<std::mutex> lock(pool_mutex);
    if (string_pool != nullptr) {
        string_pool->reset();
    }
}

int acf_broadcast_notify(unsigned int id1, unsigned int id2, long data, bool flag) {
    NTF_NOTIFY_MGR* manager = ntf_get_notify_mgr();
    return manager != nullptr ? manager->broadcast_notify_ntf_only(id1, id2, data, flag) : 0;
}

ACF_INITIALIZER::ACF_INITIALIZER() {
    initialize_globals_in_acf_table();
    m_manager_initializer = MEM_NEW(ACF, ACF_MANAGER_INITIALIZER)();
}

ACF_INITIALIZER::~ACF_INITIALIZER() {
    delete m_manager_initializer;
    m_manager_initializer = nullptr;
    destroy_globals_in_acf_table();
}

void ACF_INITIALIZER::initialize_globals_in_acf_table() const {
    acf_get_or_create_string_pool();
}

void ACF_INITIALIZER::destroy_globals_in_acf_table() const {
    acf_table_free_lookup_maps();
    acf_free_rename_map();
    acf_free_old_section_rule_maps();
    acf_free_family_defaults_maps();
    acf_free_file_category_row_map();
    acf_free_tcl_set_command_cache();
    std::lock_guard<std::mutex> lock(pool_mutex);
    if (string_pool != nullptr) {
        string_pool->reset();
        delete string_pool;
        string_pool = nullptr;
    }
    std::lock_guard<std::mutex> file_name_lock(file_name_mutex);
    delete file_name_pool;
    file_name_pool = nullptr;
}

static ACF_INITIALIZER acf_global_variable_initializer;
