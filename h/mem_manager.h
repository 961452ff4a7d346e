// The memory manager's allocation interface, as every unit of the system sees it.
//
// The functions are defined by the program (regentool, the graphical host, each
// test program) and exported from it; the shared libraries declare them here and
// bind them from the process that loads them.
//
// Allocation sites: every tracked allocation names its site through a static
// MEM_TRACKER_THUNK, one per (memory tag, type, line), emitted by the macros below:
//
//     auto* a = ACF_NEW(ACF_ASSIGNMENT)(args...);      // db/acf units
//     char* buf = MEM_NEW_ARRAY(IPMAN, char, n);       // any tag
//     delete a;                                        // the replaced global delete
//
// Each source unit also holds one MEM_INITIALIZER with its tag, through its
// library's tag header (for example db/acf/acf_mem.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <typeinfo>

struct MEM_TRACKER_DATA;

// One per allocation site (see the macros below); field order is fixed.
struct MEM_TRACKER_THUNK {
    std::type_info const* type;     // allocated type; its name keys the per-type figures
    uint32_t size;                  // sizeof(T)
    uint32_t line;                  // source line of the site
    uint32_t reserved;              // always 0
    char const* const* prefix;      // the unit's code-prefix record; *prefix is the memory tag
    MEM_TRACKER_DATA* tracker_data; // records made for this site by the tracker
    uint32_t flags;                 // low 16 bits: 1 for container sites; high 16: alignof(T)
};

// Allocation. Never returns null: running out of memory ends the process.
void* mem_new_wrapper(size_t size, MEM_TRACKER_THUNK* thunk, char const* file);
void* mem_new_array_wrapper(size_t size, MEM_TRACKER_THUNK* thunk, char const* file);
void* mem_malloc_wrapper(size_t size, MEM_TRACKER_THUNK* thunk, char const* file);
void* mem_realloc_wrapper(void* pointer, size_t size, MEM_TRACKER_THUNK* thunk, char const* file);
void* mem_stl_allocate(size_t size, MEM_TRACKER_THUNK* thunk);

// Release; null does nothing. A block may be released through any function of
// its family, whichever road allocated it.
void mem_delete_wrapper(void* pointer, char const* const* prefix);
void mem_delete_array_wrapper(void* pointer, char const* const* prefix);
void mem_free_wrapper(void* pointer, char const* const* prefix);
void mem_stl_deallocate(void* pointer, size_t count, MEM_TRACKER_THUNK* thunk);

// True for null and for any live block of the manager.
bool mem_is_allocated(void* pointer);

// Tracked placement forms used by the macros below.
void* operator new(size_t size, MEM_TRACKER_THUNK* thunk, char const* file);
void* operator new[](size_t size, MEM_TRACKER_THUNK* thunk, char const* file);
void operator delete(void* pointer, MEM_TRACKER_THUNK* thunk, char const* file) noexcept;
void operator delete[](void* pointer, MEM_TRACKER_THUNK* thunk, char const* file) noexcept;

// One per source unit: the first one constructed starts the manager, the last
// one destroyed writes its reports.
class MEM_INITIALIZER {
public:
    explicit MEM_INITIALIZER(char const* name);
    ~MEM_INITIALIZER();
    MEM_INITIALIZER(MEM_INITIALIZER const&) = delete;
    MEM_INITIALIZER& operator=(MEM_INITIALIZER const&) = delete;

    static int32_t s_init_counter;

private:
    char const* m_name;
};

// The code-prefix record of a memory tag: its first field is the tag text.
#define MEM_CODE_PREFIX(TAG) mem_static_code_prefix_##TAG

// Declares the per-site template of one memory tag, MEM_TRACKER_TEMPLATE_<TAG>.
#define MEM_DECLARE_TRACKER_TEMPLATE(TAG)                                                          \
    inline char const* const MEM_CODE_PREFIX(TAG)[1] = {#TAG};                                     \
    template <class T, unsigned LINE, unsigned STL> struct MEM_TRACKER_TEMPLATE_##TAG {            \
        static MEM_TRACKER_THUNK s_thunk;                                                          \
    };                                                                                             \
    template <class T, unsigned LINE, unsigned STL>                                                \
    MEM_TRACKER_THUNK MEM_TRACKER_TEMPLATE_##TAG<T, LINE, STL>::s_thunk = {                        \
        &typeid(T),                                                                                \
        sizeof(T),                                                                                 \
        LINE,                                                                                      \
        0,                                                                                         \
        MEM_CODE_PREFIX(TAG),                                                                      \
        nullptr,                                                                                   \
        (static_cast<uint32_t>(alignof(T)) << 16) | STL}

MEM_DECLARE_TRACKER_TEMPLATE(MEM);
MEM_DECLARE_TRACKER_TEMPLATE(ACF);
MEM_DECLARE_TRACKER_TEMPLATE(IPMAN);
MEM_DECLARE_TRACKER_TEMPLATE(MDB);

#define MEM_THUNK(TAG, T) (&MEM_TRACKER_TEMPLATE_##TAG<T, __LINE__, 0>::s_thunk)
// `MEM_NEW(ACF, T)(args)` allocates and constructs a T at a tracked site.
#define MEM_NEW(TAG, T) new (MEM_THUNK(TAG, T), __FILE__) T
#define MEM_NEW_ARRAY(TAG, T, N) new (MEM_THUNK(TAG, T), __FILE__) T[N]
#define MEM_MALLOC(TAG, SIZE) mem_malloc_wrapper((SIZE), MEM_THUNK(TAG, char), __FILE__)

// The allocator of the system's containers; stateless, all instances equal.
// allocate and deallocate share the one container site of T.
template <class T> struct MEM_STL_ALLOCATOR {
    using value_type = T;
    MEM_STL_ALLOCATOR() noexcept = default;
    template <class U> MEM_STL_ALLOCATOR(MEM_STL_ALLOCATOR<U> const&) noexcept {}
    static MEM_TRACKER_THUNK* thunk() noexcept {
        return &MEM_TRACKER_TEMPLATE_MEM<T, __LINE__, 1>::s_thunk;
    }
    T* allocate(size_t n) { return static_cast<T*>(mem_stl_allocate(n * sizeof(T), thunk())); }
    void deallocate(T* p, size_t n) noexcept { mem_stl_deallocate(p, n, thunk()); }
    template <class U> bool operator==(MEM_STL_ALLOCATOR<U> const&) const noexcept { return true; }
    template <class U> bool operator!=(MEM_STL_ALLOCATOR<U> const&) const noexcept { return false; }
};

struct MEM_TRACKER_COUNTER;
class MEM_SEGMENT;

// Process-wide queries and report requests of the manager.
class MEM_MANAGER {
public:
    // The user counter (everything handed to callers) and the system counter
    // (what the manager holds from the operating system).
    static MEM_TRACKER_COUNTER* get_tessaly_memory_counter();
    static MEM_TRACKER_COUNTER* get_system_memory_counter();
    // Current bytes of one subsystem tag; an unknown tag answers 0.
    static uint64_t get_subsystem_memory_usage(char const* name);
    // Name the reports that the last initializer writes at exit (resolved at once;
    // see mem_set_file).
    static void write_detailed_memory_usage_on_exit(char const* name);
    static void write_typeinfo_memory_usage_on_exit(char const* name);
    static void write_subsystem_memory_usage_on_exit(char const* name);
    static void dump_memory_on_exit(char const* name);
    // Write a usage report now: by allocation site, by type, by subsystem.
    static void write_detailed_memory_usage(char const* path);
    static void write_typeinfo_memory_usage(char const* path);
    static void write_subsystem_memory_usage(char const* path);
    // The memory log ("MEM_LOG_MEMORY"): start it (the file in the project
    // output directory or the installation directory), name the program's
    // current state (a line is written at once), stop it for good.
    static void start_memory_logging(char const* file_name);
    static void memory_log_set_state(char const* state);
    static void stop_memory_logging();
    // Bytes handed out (net) and held as overhead by the own heap, and the
    // system counter's peak.
    static uint64_t current_total_memory();
    static uint64_t current_memory_overhead();
    static uint64_t peak_total_memory();
    // Prints a break report for a block (nothing while mem_dont_break is set).
    static void debug_break(char const* message, MEM_TRACKER_DATA* data, void* address);

    // The own heap. Usable bytes of one of its blocks (0 for any other address).
    static size_t msize(void* block);
    // The calling thread's segment (created on first use); the name is not used.
    static MEM_SEGMENT* get_default_segment();
    static MEM_SEGMENT* create_segment(char const* name);
    // The single manager object.
    static MEM_MANAGER* get_transient_manager();
    // Stops filling freed memory with the free pattern and checking it.
    static void clear_mem_check_memory();
    // Validates every mega page of the calling thread's segment.
    static void check_memory_guards();
    // Writes every segment block by block to a text file; a positive subsystem
    // number lists only that subsystem's blocks.
    static void dump_all_segments(char const* file_name, int subsystem);
};

// Out of memory. The handler, when installed, runs instead of the printed
// report; the process ends with status 1 either way.
void mem_set_out_of_memory_handler(void (*handler)());
[[noreturn]] void mem_out_of_memory();
// Gives the calling thread its spare reserves (and the process its own) / releases them.
void mem_allocate_spare_memory();
void mem_free_spare_memory();

// Gives the manager the running program's file, the installation's directory,
// the kind of process and the project's output directory, from the suite's
// general library (its report files are named and headed with them). Programs
// call it first thing in main.
void mem_install_gen_callbacks();

// The unit's initializer: write `MEM_UNIT_INITIALIZER(ACF);` once in each source unit.
#define MEM_UNIT_INITIALIZER(TAG) static MEM_INITIALIZER mem_unit_initializer(#TAG)
