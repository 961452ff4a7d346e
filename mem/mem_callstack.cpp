#include "mem/mem_callstack.h"

#include "mem/mem_debug.h"
#include "mem/mem_utils.h"
#include "suite/errors/err.h"
#include "suite/errors/err_stackwalker.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <strings.h>

MEM_CALLSTACK* MEM_CALLSTACK::s_ordered_first = nullptr;
MEM_CALLSTACK* MEM_CALLSTACK::s_ordered_last = nullptr;
MEM_CALLSTACK_MAP* mem_callstack_map = nullptr;
MEM_BLOCK_MAP* mem_block_map = nullptr;

// The manager's own frames: the allocation entry points, the own heap and the
// tracking path.
char const* const mem_hidden_function_name_list[] = {
    "MEM_CALLSTACK_MAP",     "MEM_MANAGER",
    "MEM_MANAGER_INTERNAL",  "MEM_SEGMENT_INTERNAL",
    "operator new",          "operator new[]",
    "mem_new_wrapper",       "mem_new_array_wrapper",
    "mem_malloc_wrapper",    "mem_realloc_wrapper",
    "mem_stl_allocate",      "mem_track_allocation",
    "mem_own_heap_allocate", nullptr};
char const* const mem_stop_function_name_list[] = {"main", "DllMain", "WinMain_start_init",
                                                   nullptr};

namespace {

// Frames dropped at the inner end of every capture: this map's and the
// tracker's. The rest of the manager's frames are dropped by name in the report.
constexpr int CAPTURE_SKIP = 2;
constexpr unsigned INITIAL_BUCKETS = 8000;
constexpr size_t LOCATION_SIZE = 2048;

ERR_STACKWALKER& stack_walker() {
    static ERR_STACKWALKER walker;
    return walker;
}

template <class T> T* new_record() {
    return new (mem_internal_malloc(sizeof(T), __FILE__)) T{};
}

void internal_error(char const* condition, int line) {
    err_report_internal_error(condition, "MEM", __FILE__, line);
}

bool is_identifier_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool matches_at(char const* text, char const* const* list) {
    for (; *list != nullptr; ++list) {
        size_t n = std::strlen(*list);
        if (std::strncmp(text, *list, n) != 0) {
            continue;
        }
        char after = text[n];
        if (after == '(' || after == ' ' || after == ':' || after == '\0') {
            return true;
        }
    }
    return false;
}

// The frame's function: unnamed, named, or one of the manager's own.
enum FRAME_KIND { UNNAMED, NAMED, HIDDEN };

FRAME_KIND frame_kind(void const* frame, char* name, size_t size) {
    if (!stack_walker().get_address_info(frame, name, size) || name[0] == '\0') {
        return UNNAMED;
    }
    return mem_is_in_function_name_list(name, mem_hidden_function_name_list) ? HIDDEN : NAMED;
}

bool in_list_ignoring_case(char const* tag, char** list, bool stop_at_empty) {
    for (; list != nullptr && *list != nullptr; ++list) {
        if (stop_at_empty && **list == '\0') {
            break;
        }
        if (strcasecmp(*list, tag) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

void mem_create_callstack_maps() {
    if (mem_callstack_map == nullptr) {
        mem_callstack_map = new (mem_internal_malloc(sizeof(MEM_CALLSTACK_MAP), __FILE__))
            MEM_CALLSTACK_MAP(INITIAL_BUCKETS);
    }
    if (mem_block_map == nullptr) {
        mem_block_map = new_record<MEM_BLOCK_MAP>();
    }
}

// ---- Subsystem selection and name matching ----

bool mem_track_subsystem_prefix(char const* tag) {
    char** include = MEM_TRACKER::s_track_callstack_include_subsystem_list;
    bool selected = include == nullptr || include[0] == nullptr || include[0][0] == '\0' ||
                    in_list_ignoring_case(tag, include, false);
    for (char** entry = include; !selected && entry != nullptr && *entry != nullptr; ++entry) {
        selected = std::strcmp(*entry, "*") == 0;
    }
    return selected &&
           !in_list_ignoring_case(tag, MEM_TRACKER::s_track_callstack_exclude_subsystem_list, true);
}

bool mem_is_in_function_name_list(char const* function_name, char const* const* list) {
    if (function_name == nullptr || list == nullptr) {
        return false;
    }
    char const* p = function_name;
    while (*p != '\0') {
        if (matches_at(p, list)) {
            return true;
        }
        while (is_identifier_char(*p)) {
            ++p;
        }
        int depth = 0;
        while (*p != '\0' && !(depth == 0 && std::isalnum(static_cast<unsigned char>(*p)))) {
            if (*p == '<' || *p == '(' || *p == '[') {
                ++depth;
            } else if (*p == '>' || *p == ')' || *p == ']') {
                --depth;
            }
            ++p;
        }
    }
    return false;
}

// ---- Stacks ----

bool MEM_CALLSTACK::operator==(MEM_CALLSTACK const& other) const {
    return hash == other.hash && depth == other.depth &&
           std::memcmp(frames, other.frames, depth * sizeof(void const*)) == 0;
}

MEM_CALLSTACK_MAP::MEM_CALLSTACK_MAP(unsigned buckets)
    : m_buckets(nullptr), m_bucket_count(0), m_entry_count(0) {
    resize(buckets);
}

uint64_t MEM_CALLSTACK_MAP::hash(unsigned depth, void const* const* frames) {
    uint32_t h = 0;
    for (unsigned i = 0; i < depth; ++i) {
        auto a = reinterpret_cast<uintptr_t>(frames[i]);
        uint32_t t = h + static_cast<uint32_t>(a ^ (a >> 32));
        h = (t >> 2) + 33 * t;
    }
    return h;
}

void MEM_CALLSTACK_MAP::resize(unsigned buckets) {
    if (buckets == 0) {
        buckets = 1;
    }
    size_t bytes = (buckets + 1) * sizeof(MEM_CALLSTACK*);
    auto** heads = static_cast<MEM_CALLSTACK**>(mem_internal_malloc(bytes, __FILE__));
    std::memset(heads, 0, bytes);
    for (MEM_CALLSTACK* s = MEM_CALLSTACK::s_ordered_first; s != nullptr; s = s->m_ordered_next) {
        MEM_CALLSTACK** head = &heads[s->hash % buckets];
        s->bucket_next = *head;
        if (*head != nullptr) {
            (*head)->bucket_link = &s->bucket_next;
        }
        s->bucket_link = head;
        *head = s;
    }
    if (m_buckets != nullptr) {
        mem_internal_free(m_buckets);
    }
    m_buckets = heads;
    m_bucket_count = buckets;
}

MEM_CALLSTACK* MEM_CALLSTACK_MAP::find(unsigned depth, void const** frames) {
    uint64_t h = hash(depth, frames);
    MEM_CALLSTACK probe{};
    probe.hash = h;
    probe.depth = depth;
    probe.frames = frames;
    for (MEM_CALLSTACK* s = m_buckets[h % m_bucket_count]; s != nullptr; s = s->bucket_next) {
        if (*s == probe) {
            return s;
        }
    }
    if (m_entry_count >= m_bucket_count) {
        resize(2 * m_entry_count + 1);
    }
    auto* stack = new_record<MEM_CALLSTACK>();
    stack->hash = h;
    stack->depth = depth;
    stack->frames =
        static_cast<void const**>(mem_internal_malloc(depth * sizeof(void const*) + 1, __FILE__));
    std::memcpy(stack->frames, frames, depth * sizeof(void const*));
    MEM_CALLSTACK** head = &m_buckets[h % m_bucket_count];
    stack->bucket_next = *head;
    if (*head != nullptr) {
        (*head)->bucket_link = &stack->bucket_next;
    }
    stack->bucket_link = head;
    *head = stack;
    stack->m_ordered_prev = MEM_CALLSTACK::s_ordered_last;
    if (MEM_CALLSTACK::s_ordered_last != nullptr) {
        MEM_CALLSTACK::s_ordered_last->m_ordered_next = stack;
    } else {
        MEM_CALLSTACK::s_ordered_first = stack;
    }
    MEM_CALLSTACK::s_ordered_last = stack;
    ++m_entry_count;
    return stack;
}

void MEM_CALLSTACK_MAP::erase(MEM_CALLSTACK* stack) {
    MEM_CALLSTACK* ptr = m_buckets[stack->hash % m_bucket_count];
    while (ptr != nullptr && ptr != stack) {
        ptr = ptr->bucket_next;
    }
    if (ptr == nullptr) {
        internal_error("ptr != NULL", __LINE__);
        return;
    }
    *stack->bucket_link = stack->bucket_next;
    if (stack->bucket_next != nullptr) {
        stack->bucket_next->bucket_link = stack->bucket_link;
    }
    if (stack == MEM_CALLSTACK::s_ordered_first) {
        if (stack->m_ordered_prev != nullptr) {
            internal_error("m_ordered_prev == NULL", __LINE__);
        }
        MEM_CALLSTACK::s_ordered_first = stack->m_ordered_next;
    } else {
        stack->m_ordered_prev->m_ordered_next = stack->m_ordered_next;
    }
    if (stack == MEM_CALLSTACK::s_ordered_last) {
        if (stack->m_ordered_next != nullptr) {
            internal_error("m_ordered_next == NULL", __LINE__);
        }
        MEM_CALLSTACK::s_ordered_last = stack->m_ordered_prev;
    } else {
        stack->m_ordered_next->m_ordered_prev = stack->m_ordered_prev;
    }
    --m_entry_count;
    mem_internal_free(stack->frames);
    mem_internal_free(stack);
}

void MEM_CALLSTACK_MAP::track_alloc(void const* block, unsigned long size, MEM_TRACKER_DATA* data) {
    if (!MEM_TRACKER::s_track_callstack || mem_track_callstack_address_array == nullptr ||
        mem_block_map == nullptr || data == nullptr) {
        return;
    }
    if ((data->stl_allocator_site != 0 && !MEM_TRACKER::s_track_callstack_include_stl_allocators) ||
        !mem_track_subsystem_prefix(data->subsystem_name)) {
        return;
    }
    if (mem_block_map->find(block) != nullptr) {
        return; // already charged
    }
    int depth = stack_walker().get_stack_trace(
        mem_track_callstack_address_array,
        MEM_TRACKER::s_track_callstack_max_depth + MEM_CALLSTACK_OWN_FRAMES_ROOM, CAPTURE_SKIP,
        nullptr);
    MEM_CALLSTACK* stack = find_captured(
        static_cast<unsigned>(depth), const_cast<void const**>(mem_track_callstack_address_array));
    stack->bytes += size;
    stack->blocks += 1;
    stack->total_blocks += 1;
    stack->subsystem = data->subsystem;
    mem_block_map->insert(block, stack);
}

MEM_CALLSTACK* MEM_CALLSTACK_MAP::find_captured(unsigned depth, void const** frames) {
    unsigned first = own_frames(depth, frames);
    auto max_depth = static_cast<unsigned>(MEM_TRACKER::s_track_callstack_max_depth);
    return find(std::min(depth - first, max_depth), frames + first);
}

// The leading run of frames that are the manager's or have no name (its
// internal helpers are not in the dynamic symbol table) ends at its last frame
// of the manager. A capture with nothing else keeps its last frame.
unsigned MEM_CALLSTACK_MAP::own_frames(unsigned depth, void const* const* frames) {
    unsigned first = 0;
    for (unsigned i = 0; i < depth; ++i) {
        KNOWN_FRAME& known =
            m_known_frames[(reinterpret_cast<uintptr_t>(frames[i]) >> 2) % std::size(m_known_frames)];
        if (known.address != frames[i]) {
            char name[1024];
            known = {frames[i], frame_kind(frames[i], name, sizeof name)};
        }
        if (known.kind == NAMED) {
            break;
        }
        if (known.kind == HIDDEN) {
            first = i + 1;
        }
    }
    return first == depth && depth > 0 ? depth - 1 : first;
}

void MEM_CALLSTACK_MAP::track_free(void const* block, unsigned long size) {
    if (mem_block_map == nullptr) {
        return;
    }
    MEM_CALLSTACK* stack = mem_block_map->find(block);
    if (stack == nullptr) {
        return;
    }
    mem_block_map->erase(block);
    stack->bytes -= size;
    stack->blocks -= 1;
    if (stack->blocks == 0) {
        erase(stack);
    }
}

// ---- The report ----

namespace {

// Prints one stack's frames from the innermost; the walk ends after a stop
// function.
void print_frames(MEM_CALLSTACK const& stack) {
    char name[1024];
    char location[LOCATION_SIZE];
    for (unsigned i = 0; i < stack.depth; ++i) {
        stack_walker().get_location_string(stack[i], location, sizeof location);
        mem_debug_printf(" %s\n", location);
        if (frame_kind(stack[i], name, sizeof name) != UNNAMED &&
            mem_is_in_function_name_list(name, mem_stop_function_name_list)) {
            break;
        }
    }
}

} // namespace

void MEM_CALLSTACK_MAP::report_leaks() {
    std::fflush(stdout);
    std::fflush(stderr);
    int const max_reports = MEM_TRACKER::s_track_callstack_max_reports;
    uint64_t total_bytes = 0;
    int leaking = 0;
    int printed = 0;
    for (MEM_CALLSTACK* s = MEM_CALLSTACK::s_ordered_first; s != nullptr; s = s->m_ordered_next) {
        if (s->subsystem != nullptr) {
            ++s->subsystem->callstack_count;
        }
        if (s->bytes == 0) {
            continue;
        }
        ++leaking;
        total_bytes += s->bytes;
        if (printed >= max_reports) {
            continue;
        }
        ++printed;
        mem_debug_printf("\n*****");
        if (s->subsystem != nullptr) {
            mem_debug_printf("%s ", s->subsystem->name);
        }
        mem_debug_printf("Leaked %lli bytes in %lli of %lli blocks at:\n",
                         static_cast<long long>(s->bytes), static_cast<long long>(s->blocks),
                         static_cast<long long>(s->total_blocks));
        print_frames(*s);
    }

    mem_debug_printf("\n***** MEM_TRACK_CALLSTACK Summary "
                     "*******************************************\n* \n"
                     "* Leaked %lli bytes at %d tracked callstacks\n",
                     static_cast<long long>(total_bytes), leaking);
    if (leaking > printed) {
        mem_debug_printf("* \n* Only %d of the %d tracked callstacks have been displayed.\n",
                         printed, leaking);
    }
    mem_debug_printf("* \n");
    mem_debug_printf("* MEM_TRACK_CALLSTACK_MAX_REPORTS=%d\n", max_reports);
    mem_debug_printf("* MEM_TRACK_CALLSTACK_MAX_DEPTH=%d\n",
                     MEM_TRACKER::s_track_callstack_max_depth);
    mem_debug_printf("* MEM_TRACK_CALLSTACK_INCLUDE_STL_ALLOCATORS=%s\n",
                     MEM_TRACKER::s_track_callstack_include_stl_allocators ? "on" : "off");
    mem_debug_printf("* MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST=\"");
    if (char** include = MEM_TRACKER::s_track_callstack_include_subsystem_list) {
        for (char** tag = include; *tag != nullptr; ++tag) {
            mem_debug_printf("%s%s", tag == include ? "" : ",", *tag);
        }
    }
    mem_debug_printf("\"\n* \n");

    if (!MEM_TRACKER::s_track_callstack_include_stl_allocators) {
        bool listed = false;
        for (MEM_SUBSYSTEM_DATA* sub = MEM_SUBSYSTEM_DATA::s_subsystem_list; sub != nullptr;
             sub = sub->next) {
            if (sub->callstack_count != 0 || sub->counter.current_blocks == 0 ||
                !mem_track_subsystem_prefix(sub->name)) {
                continue;
            }
            if (!listed) {
                mem_debug_printf(
                    "* \n* The following subsystems have not reported callstacks but may have "
                    "leaks that\n* happened in STL allocators, but "
                    "MEM_TRACK_CALLSTACK_INCLUDE_STL_ALLOCATORS=OFF\n* \n* ");
                listed = true;
            }
            mem_debug_printf("%7s ", sub->name);
        }
        if (listed) {
            mem_debug_printf("\n* \n");
        }
    }
    mem_debug_printf("***** End MEM_TRACK_CALLSTACK "
                     "***********************************************\n\n");
    std::fflush(stdout);
    std::fflush(stderr);
}

// ---- Block map ----

MEM_BLOCK_MAP::NODE* MEM_BLOCK_MAP::NODE::splay(NODE* t, void const* key) {
    if (t == nullptr) {
        return nullptr;
    }
    auto const k = reinterpret_cast<uintptr_t>(key);
    auto at = [](NODE const* n) { return reinterpret_cast<uintptr_t>(n->block); };
    NODE header{};
    NODE* left = &header;  // nodes below the key, on header.right's right spine
    NODE* right = &header; // nodes above the key, on header.left's left spine
    for (;;) {
        if (k < at(t)) {
            if (t->left == nullptr) {
                break;
            }
            if (k < at(t->left)) {
                NODE* y = t->left;
                t->left = y->right;
                y->right = t;
                t = y;
                if (t->left == nullptr) {
                    break;
                }
            }
            right->left = t;
            right = t;
            t = t->left;
        } else if (k > at(t)) {
            if (t->right == nullptr) {
                break;
            }
            if (k > at(t->right)) {
                NODE* y = t->right;
                t->right = y->left;
                y->left = t;
                t = y;
                if (t->right == nullptr) {
                    break;
                }
            }
            left->right = t;
            left = t;
            t = t->right;
        } else {
            break;
        }
    }
    left->right = t->left;
    right->left = t->right;
    t->left = header.right;
    t->right = header.left;
    return t;
}

void MEM_BLOCK_MAP::insert(void const* block, MEM_CALLSTACK* stack) {
    m_root = NODE::splay(m_root, block);
    if (m_root != nullptr && m_root->block == block) {
        return;
    }
    NODE* n = new_record<NODE>();
    n->block = block;
    n->stack = stack;
    if (m_root != nullptr) {
        if (reinterpret_cast<uintptr_t>(block) < reinterpret_cast<uintptr_t>(m_root->block)) {
            n->left = m_root->left;
            n->right = m_root;
            m_root->left = nullptr;
        } else {
            n->right = m_root->right;
            n->left = m_root;
            m_root->right = nullptr;
        }
    }
    m_root = n;
}

MEM_CALLSTACK* MEM_BLOCK_MAP::find(void const* block) {
    m_root = NODE::splay(m_root, block);
    return m_root != nullptr && m_root->block == block ? m_root->stack : nullptr;
}

void MEM_BLOCK_MAP::erase(void const* block) {
    m_root = NODE::splay(m_root, block);
    if (m_root == nullptr || m_root->block != block) {
        return;
    }
    NODE* old = m_root;
    if (old->left == nullptr) {
        m_root = old->right;
    } else {
        m_root = NODE::splay(old->left, block);
        m_root->right = old->right;
    }
    mem_internal_free(old);
}
