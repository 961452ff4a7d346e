// Call-stack leak tracking: while "MEM_TRACK_CALLSTACK" is on, every tracked
// block of a selected subsystem is charged to the call stack that allocated it,
// and at exit the stacks that still hold blocks are printed symbolically.
//
// A stack is the program's frames only: the manager's own frames at its inner
// end are dropped when it is captured, since the way a block was found (handed
// out again, carved fresh, resized in place) says nothing about who made it.
// Identical stacks share one MEM_CALLSTACK (a hash map keyed by the frames); a
// splay tree maps each charged block to its stack. Everything here runs with
// mem_critical_section held, and its records are the manager's own untracked
// bookkeeping.
#pragma once

#include "mem/mem_track.h"

#include <cstdint>

// Frames captured beyond the depth reported: room for the manager's own.
constexpr int MEM_CALLSTACK_OWN_FRAMES_ROOM = 32;

// One distinct captured stack.
struct MEM_CALLSTACK {
    uint64_t bytes;        // bytes of its blocks not yet freed
    uint64_t blocks;       // its blocks not yet freed
    uint64_t total_blocks; // blocks ever charged to it
    uint64_t hash;
    uint32_t depth;
    MEM_SUBSYSTEM_DATA* subsystem; // of the latest allocation charged to it
    void const** frames;           // `depth` code addresses, the program's innermost first
    MEM_CALLSTACK* bucket_next;
    MEM_CALLSTACK** bucket_link; // the link that points to this stack
    MEM_CALLSTACK* m_ordered_next;
    MEM_CALLSTACK* m_ordered_prev;

    bool operator==(MEM_CALLSTACK const& other) const;
    void const* operator[](unsigned i) const { return frames[i]; }

    // Creation order, for the report.
    static MEM_CALLSTACK* s_ordered_first;
    static MEM_CALLSTACK* s_ordered_last;
};

class MEM_CALLSTACK_MAP {
public:
    explicit MEM_CALLSTACK_MAP(unsigned buckets);

    // Charges a block to the caller's stack, when call-stack tracking is on and
    // the site and its subsystem are selected.
    void track_alloc(void const* block, unsigned long size, MEM_TRACKER_DATA* data);
    // Uncharges a block; a block never charged changes nothing.
    void track_free(void const* block, unsigned long size);

    // The stack with these frames, created when missing.
    MEM_CALLSTACK* find(unsigned depth, void const** frames);
    // The stack of a capture: its frames after the manager's own at the inner
    // end, up to the reported depth.
    MEM_CALLSTACK* find_captured(unsigned depth, void const** frames);
    // Unlinks a stack and frees it.
    void erase(MEM_CALLSTACK* stack);
    // Re-links every stack into `buckets` buckets.
    void resize(unsigned buckets);

    // Prints the stacks that still hold blocks, and a summary, on standard output.
    void report_leaks();

    unsigned bucket_count() const { return m_bucket_count; }
    unsigned entry_count() const { return m_entry_count; }

private:
    static uint64_t hash(unsigned depth, void const* const* frames);
    // How many frames at the inner end of a capture are the manager's own.
    unsigned own_frames(unsigned depth, void const* const* frames);

    MEM_CALLSTACK** m_buckets; // bucket count + 1 heads
    unsigned m_bucket_count;
    unsigned m_entry_count;
    // Frames already told apart (by address), since naming one is slow: a
    // capture meets the same few frames of the manager every time.
    struct KNOWN_FRAME {
        void const* address;
        int kind;
    };
    KNOWN_FRAME m_known_frames[512] = {};
};

// Block address -> stack, as a top-down splay tree, so that the blocks used
// most recently are found fastest.
class MEM_BLOCK_MAP {
public:
    struct NODE {
        void const* block;
        MEM_CALLSTACK* stack;
        NODE* left;
        NODE* right;
        // Brings the node of `key`, or the last node on its search path, to the top.
        static NODE* splay(NODE* root, void const* key);
    };

    // An address already present keeps the stack it has.
    void insert(void const* block, MEM_CALLSTACK* stack);
    MEM_CALLSTACK* find(void const* block);
    void erase(void const* block);

private:
    NODE* m_root = nullptr;
};

// Both maps, made when the configuration is read.
extern MEM_CALLSTACK_MAP* mem_callstack_map;
extern MEM_BLOCK_MAP* mem_block_map;
void mem_create_callstack_maps();

// Is this subsystem selected for call-stack tracking (by the include and
// exclude lists, ignoring case; "*" includes every subsystem)?
bool mem_track_subsystem_prefix(char const* tag);

// Does the function name match a list entry? An entry matches at the start of
// the name or at the start of a later identifier outside brackets, when what
// follows it is "(", a blank, ":" or the end.
bool mem_is_in_function_name_list(char const* function_name, char const* const* list);
// Frames of the manager's own allocation path, not shown at the inner end of a stack.
extern char const* const mem_hidden_function_name_list[];
// A stack's report ends after a frame of one of these.
extern char const* const mem_stop_function_name_list[];
