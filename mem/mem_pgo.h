// Registry of the profile-guided-optimisation run each code module was last
// compiled for. Modules register at load; at process exit, with the setting
// "debug_msg" on, one line per module is printed on standard output.
#pragma once

// Set from the configuration ("debug_msg") when the manager starts.
extern bool mem_pgo_debug;

// Records the module's PGO target; a module already registered keeps its first target.
void mem_register_dll_for_pgo(char const* module_name, char const* pgo_target);

// The exit hook: its destructor prints the registry in module-name order when
// `mem_pgo_debug` is set. One instance lives for the whole process.
struct MEM_PGO_STATIC_DESTRUCTOR {
    ~MEM_PGO_STATIC_DESTRUCTOR();
};
