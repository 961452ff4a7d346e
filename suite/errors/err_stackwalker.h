// The suite's stack walker: captures the return addresses on the calling
// thread's stack and names the functions they lie in.
//
// Nothing here allocates through the memory manager, so the manager may walk
// stacks while it holds its own locks. Functions are named from the dynamic
// symbol table: functions a module does not export have no name.
#pragma once

#include <cstddef>

class ERR_STACKWALKER {
public:
    // The deepest stack a capture examines.
    static constexpr int MAX_FRAMES = 256;

    // Stores at most `max_frames` return addresses of the caller's stack in
    // `frames`, innermost first, after dropping the `skip` innermost frames (the
    // caller's own frame is the first; this function's frame is never stored).
    // `context` is reserved for another thread's stack and must be null.
    // Returns the number stored.
    int get_stack_trace(void** frames, int max_frames, int skip, void* context);

    // Writes the (demangled) name of the function holding `address` into `name`,
    // cut to `size` - 1 characters and terminated. False, with an empty name,
    // when no named function holds the address.
    bool get_address_info(void const* address, char* name, size_t size);

    // One line naming `address`: "<function>+0x<offset> (<module>)", or
    // "0x<address> (<module>)" without a function name, or "0x<address>" when no
    // module holds it. Cut to `size` - 1 characters and terminated.
    void get_location_string(void const* address, char* text, size_t size);
};
