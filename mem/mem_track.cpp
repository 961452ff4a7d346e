#include "mem/mem_track.h"

#include "mem/mem_callstack.h"
#include "mem/mem_config.h"
#include "mem/mem_debug.h"
#include "mem/mem_export.h"
#include "mem/mem_log.h"
#include "mem/mem_native.h"
#include "mem/mem_own_heap.h"
#include "mem/mem_usage.h"
#include "mem/mem_utils.h"
#include "suite/threads/thr.h"

#include <cinttypes>
#include <cstdlib>
#include <cstring>

MEM_TRACKER_COUNTER* MEM_TRACKER_COUNTER::s_changed_counter_list = nullptr;
MEM_TRACKER_COUNTER mem_tessaly_memory_counter_struct;
MEM_TRACKER_COUNTER mem_system_memory_counter_struct;

MEM_SUBSYSTEM_DATA* MEM_SUBSYSTEM_DATA::s_subsystem_list = nullptr;
MEM_TYPEINFO_DATA* MEM_TYPEINFO_DATA::s_typeinfo_list = nullptr;
MEM_TYPEINFO_DATA** MEM_TYPEINFO_DATA::s_hash_table = nullptr;
MEM_TRACKER_DATA* MEM_TRACKER_DATA::s_tracker_data_list = nullptr;
uint32_t MEM_TRACKER_DATA::s_last_tracker_id = 0;
uint32_t MEM_TRACKER_DATA::s_class_id_count = 0;

bool MEM_TRACKER::s_track_memory = false;
bool MEM_TRACKER::s_output_to_project_path = false;
bool MEM_TRACKER::s_log_memory = false;
bool MEM_TRACKER::s_log_memory_debug_messages = false;
bool MEM_TRACKER::s_print_leak_warnings = false;
bool MEM_TRACKER::s_leak_tracking_in_tq_mode = false;
bool MEM_TRACKER::s_ie_on_memory_leaks = false;
bool MEM_TRACKER::s_leak_disallow_exclusion_list = false;
bool MEM_TRACKER::s_print_mem_usage_files = true;
bool MEM_TRACKER::s_track_callstack = false;
bool MEM_TRACKER::s_track_callstack_include_stl_allocators = false;
char** MEM_TRACKER::s_track_callstack_include_subsystem_list = nullptr;
char** MEM_TRACKER::s_track_callstack_exclude_subsystem_list = nullptr;
int MEM_TRACKER::s_track_callstack_max_depth = 10;
int MEM_TRACKER::s_track_callstack_max_reports = 10;
bool MEM_TRACKER::s_initialized = false;
unsigned long MEM_TRACKER::s_last_tick_count = 0;
char MEM_TRACKER::detailed_memory_usage_filename[1025];
char MEM_TRACKER::typeinfo_memory_usage_filename[1025];
char MEM_TRACKER::subsystem_memory_usage_filename[1025];
char MEM_TRACKER::memory_dump_filename[1025];

void** mem_track_callstack_address_array = nullptr;

namespace {

// Slot n holds the record whose id is n; slot 0 stays empty.
MEM_TRACKER_DATA* s_tracker_id_table[MEM_TRACKER_MAX_ID + 1];
MEM_TRACKER_DATA* s_tracker_data_tail = nullptr;

char* copy_text(char const* text) {
    size_t length = std::strlen(text);
    auto* copy = static_cast<char*>(mem_internal_malloc(length + 1, __FILE__));
    std::memcpy(copy, text, length + 1);
    return copy;
}

template <class T> T* new_record() {
    auto* record = static_cast<T*>(mem_internal_malloc(sizeof(T), __FILE__));
    return new (record) T{};
}

uint32_t type_name_hash(char const* name) {
    uint32_t h = 0;
    for (char const* c = name; *c != '\0'; ++c) {
        h = 3 * h + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*c)));
    }
    return h;
}

} // namespace

void* mem_internal_malloc(size_t size, char const*) {
    if (!mem_use_native_allocator) {
        return mem_own_heap_internal_allocate(size);
    }
    void* block = std::malloc(size);
    if (block == nullptr) {
        mem_out_of_memory();
    }
    return block;
}

void mem_internal_free(void* block) {
    if (!mem_own_heap_release(block)) {
        std::free(block);
    }
}

// ---- Counters ----

void MEM_TRACKER_COUNTER::add(uint64_t size) {
    MEM_CHECK_LOCKED();
    cumulative_bytes += size;
    cumulative_blocks += 1;
    current_blocks += 1;
    current_bytes += size;
    if (current_bytes > peak_bytes) {
        peak_bytes = current_bytes;
        peak_blocks = current_blocks;
    }
    if (!changed) {
        changed = true;
        next_changed = s_changed_counter_list;
        s_changed_counter_list = this;
    }
}

void MEM_TRACKER_COUNTER::subtract(uint64_t size) {
    MEM_CHECK_LOCKED();
    current_blocks -= 1;
    current_bytes -= size;
    if (!changed) {
        changed = true;
        next_changed = s_changed_counter_list;
        s_changed_counter_list = this;
    }
}

void MEM_TRACKER_COUNTER::reset() {
    MEM_CHECK_LOCKED();
    cumulative_bytes = cumulative_blocks = current_blocks = current_bytes = 0;
    current_peak_bytes = peak_bytes = peak_blocks = 0;
}

void MEM_TRACKER_COUNTER::update_current_peak_for_changed_counters() {
    MEM_CHECK_LOCKED();
    for (MEM_TRACKER_COUNTER* c = s_changed_counter_list; c != nullptr;) {
        MEM_TRACKER_COUNTER* next = c->next_changed;
        c->changed = false;
        c->next_changed = nullptr;
        c->current_peak_bytes = c->current_bytes;
        c = next;
    }
    s_changed_counter_list = nullptr;
    mem_take_usage_snapshots();
}

// ---- Records ----

MEM_SUBSYSTEM_DATA* MEM_SUBSYSTEM_DATA::get_subsystem_data(char const* name) {
    MEM_CHECK_LOCKED();
    MEM_SUBSYSTEM_DATA** link = &s_subsystem_list;
    for (; *link != nullptr; link = &(*link)->next) {
        if (std::strcmp((*link)->name, name) == 0) {
            return *link;
        }
    }
    auto* record = new_record<MEM_SUBSYSTEM_DATA>();
    record->name = copy_text(name);
    record->class_id_count = MEM_TRACKER_DATA::s_class_id_count;
    *link = record;
    return record;
}

MEM_TYPEINFO_DATA* MEM_TYPEINFO_DATA::get_typeinfo_data(MEM_TRACKER_THUNK* site) {
    MEM_CHECK_LOCKED();
    enum { SLOTS = MEM_TYPEINFO_HASH_SLOTS - 1 };
    if (s_hash_table == nullptr) {
        s_hash_table = static_cast<MEM_TYPEINFO_DATA**>(
            mem_internal_malloc(MEM_TYPEINFO_HASH_SLOTS * sizeof(MEM_TYPEINFO_DATA*), __FILE__));
        std::memset(s_hash_table, 0, MEM_TYPEINFO_HASH_SLOTS * sizeof(MEM_TYPEINFO_DATA*));
    }
    char const* name = site->type != nullptr ? site->type->name() : "???";
    uint32_t slot = type_name_hash(name) % SLOTS;
    for (int probes = 0; probes < MEM_TYPEINFO_HASH_SLOTS; ++probes) {
        MEM_TYPEINFO_DATA* found = s_hash_table[slot];
        if (found == nullptr) {
            auto* record = new_record<MEM_TYPEINFO_DATA>();
            record->element_size = site->size;
            record->name = copy_text(name);
            MEM_TYPEINFO_DATA** link = &s_typeinfo_list;
            while (*link != nullptr) {
                link = &(*link)->next;
            }
            *link = record;
            s_hash_table[slot] = record;
            return record;
        }
        if (std::strcmp(found->name, name) == 0) {
            return found;
        }
        slot = slot == SLOTS ? 1 : slot + 1;
    }
    return nullptr;
}

void MEM_TRACKER_DATA::add(uint64_t size) {
    counter.add(size);
    subsystem->counter.add(size);
    if (typeinfo != nullptr) {
        typeinfo->counter.add(size);
    }
}

void MEM_TRACKER_DATA::subtract(uint64_t size) {
    counter.subtract(size);
    subsystem->counter.subtract(size);
    if (typeinfo != nullptr) {
        typeinfo->counter.subtract(size);
    }
}

MEM_TRACKER_DATA* MEM_TRACKER_DATA::get_tracker_data(MEM_TRACKER_THUNK* site, char const* file) {
    if (!MEM_TRACKER::s_track_memory || site == nullptr) {
        return nullptr;
    }
    MEM_LOCK lock(mem_critical_section);
    if (!MEM_TRACKER::s_initialized) {
        MEM_TRACKER::initialize();
    }
    char const* tag = site->prefix != nullptr ? *site->prefix : "???";
    for (MEM_TRACKER_DATA* d = site->tracker_data; d != nullptr; d = d->next_for_site) {
        if (d->file_key == file && d->subsystem_key == tag) {
            return d;
        }
    }
    auto* record = new_record<MEM_TRACKER_DATA>();
    record->type = site->type;
    record->element_size = site->size;
    record->line = static_cast<int32_t>(site->line);
    record->stl_allocator_site = static_cast<uint16_t>(site->flags & 0xFFFF);
    record->file_name = copy_text(file != nullptr ? file : "");
    record->file_key = file;
    record->subsystem_key = tag;
    record->subsystem_name = copy_text(tag);
    record->next_for_site = site->tracker_data;
    site->tracker_data = record;
    if (s_tracker_data_tail != nullptr) {
        s_tracker_data_tail->next = record;
    } else {
        s_tracker_data_list = record;
    }
    s_tracker_data_tail = record;
    if (s_last_tracker_id < MEM_TRACKER_MAX_ID) {
        record->tracker_id = ++s_last_tracker_id;
        s_tracker_id_table[record->tracker_id] = record;
    }
    record->typeinfo = MEM_TYPEINFO_DATA::get_typeinfo_data(site);
    record->subsystem = MEM_SUBSYSTEM_DATA::get_subsystem_data(tag);
    record->class_id = ++record->subsystem->class_id_count;
    return record;
}

MEM_TRACKER_DATA* MEM_TRACKER_DATA::find_by_id(uint32_t id) {
    return id <= MEM_TRACKER_MAX_ID ? s_tracker_id_table[id] : nullptr;
}

// ---- Platform-road blocks ----

void mem_track_allocation(size_t size, MEM_TRACKER_THUNK* site, char const* file, void** block) {
    auto* header = static_cast<MEM_TRACK_HEADER*>(*block);
    header->magic = 0;
    header->tracker_id = 0;
    header->size = size;
    mem_log_allocation_tick(size);
    if (MEM_TRACKER::s_track_memory) {
        MEM_LOCK lock(mem_critical_section);
        MEM_TRACKER_DATA* data = MEM_TRACKER_DATA::get_tracker_data(site, file);
        mem_tessaly_memory_counter_struct.add(size);
        if (data != nullptr) {
            data->add(size);
            header->tracker_id = data->tracker_id;
            if (mem_callstack_map != nullptr) {
                mem_callstack_map->track_alloc(header + 1, size, data);
            }
        }
        header->magic = MEM_TRACK_MAGIC;
    }
    *block = header + 1;
}

void mem_track_free(void** block) {
    auto* header = static_cast<MEM_TRACK_HEADER*>(*block) - 1;
    *block = header;
    if (header->magic != MEM_TRACK_MAGIC) {
        return;
    }
    MEM_LOCK lock(mem_critical_section);
    header->magic = 0;
    mem_tessaly_memory_counter_struct.subtract(header->size);
    if (mem_callstack_map != nullptr) {
        mem_callstack_map->track_free(header + 1, header->size);
    }
    if (MEM_TRACKER_DATA* data = MEM_TRACKER_DATA::find_by_id(header->tracker_id)) {
        data->subtract(header->size);
    }
}

void mem_assert_is_allocated(void* block) {
    if (block == nullptr) {
        return;
    }
    bool allocated = false;
    if (mem_own_heap_owns(block, &allocated)) {
        if (!allocated) {
            mem_internal_error(
                __FILE__, __LINE__,
                "Attempting to free or serialize a non-allocated block at: 0x%" PRIxPTR "\n",
                reinterpret_cast<uintptr_t>(block));
        }
        return;
    }
    if (!tbb_is_recognized(static_cast<char*>(block) - MEM_TRACK_HEADER_SIZE)) {
        mem_internal_error(__FILE__, __LINE__,
                           "Attempting to serialize a non-allocated block at: 0x%" PRIxPTR "\n",
                           reinterpret_cast<uintptr_t>(block));
    }
}

// ---- Lifetime ----

void MEM_TRACKER::initialize() {
    s_initialized = true;
    s_last_tick_count = thr_get_tick_count();
}

void MEM_TRACKER::destroy() {
    MEM_LOCK lock(mem_critical_section);
    // Records die here, so nothing may find them any more.
    s_track_memory = false;
    for (MEM_TRACKER_DATA* d = MEM_TRACKER_DATA::s_tracker_data_list; d != nullptr;) {
        MEM_TRACKER_DATA* next = d->next;
        mem_internal_free(d->file_name);
        mem_internal_free(d->subsystem_name);
        mem_internal_free(d);
        d = next;
    }
    MEM_TRACKER_DATA::s_tracker_data_list = s_tracker_data_tail = nullptr;
    std::memset(s_tracker_id_table, 0, sizeof s_tracker_id_table);
    for (MEM_SUBSYSTEM_DATA* s = MEM_SUBSYSTEM_DATA::s_subsystem_list; s != nullptr;) {
        MEM_SUBSYSTEM_DATA* next = s->next;
        mem_internal_free(s->name);
        mem_internal_free(s);
        s = next;
    }
    MEM_SUBSYSTEM_DATA::s_subsystem_list = nullptr;
    for (MEM_TYPEINFO_DATA* t = MEM_TYPEINFO_DATA::s_typeinfo_list; t != nullptr;) {
        MEM_TYPEINFO_DATA* next = t->next;
        mem_internal_free(t->name);
        mem_internal_free(t);
        t = next;
    }
    MEM_TYPEINFO_DATA::s_typeinfo_list = nullptr;
    mem_internal_free(MEM_TYPEINFO_DATA::s_hash_table);
    MEM_TYPEINFO_DATA::s_hash_table = nullptr;
    for (MEM_TRACKER_COUNTER* c :
         {&mem_tessaly_memory_counter_struct, &mem_system_memory_counter_struct}) {
        c->changed = false;
        c->next_changed = nullptr;
    }
    MEM_TRACKER_COUNTER::s_changed_counter_list = nullptr;
}

MEM_EXPORT MEM_TRACKER_COUNTER* MEM_MANAGER::get_tessaly_memory_counter() {
    return &mem_tessaly_memory_counter_struct;
}

MEM_EXPORT MEM_TRACKER_COUNTER* MEM_MANAGER::get_system_memory_counter() {
    return &mem_system_memory_counter_struct;
}

MEM_EXPORT uint64_t MEM_MANAGER::get_subsystem_memory_usage(char const* name) {
    MEM_LOCK lock(mem_critical_section);
    return MEM_SUBSYSTEM_DATA::get_subsystem_data(name)->counter.current_bytes;
}
