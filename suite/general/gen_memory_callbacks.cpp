// The memory manager's questions about the running program, answered by this
// library.
//
// The manager is compiled into the programs that use it, not into this library,
// so its setters are bound weakly: in a program without the manager they are
// absent and nothing is installed.
#include "suite/general/gen.h"

#include "mem/mem_config.h"

#include <new>
#include <string>
#include <type_traits>

void mem_set_gen_get_tessaly_path_callback(MEM_GEN_STRING_FUNC func) __attribute__((weak));
void mem_set_gen_get_is_ui_process_callback(MEM_GEN_BOOL_FUNC func) __attribute__((weak));
void mem_set_gen_get_module_filename_callback(MEM_GEN_STRING_FUNC func) __attribute__((weak));
void mem_set_gen_get_project_output_directory_callback(MEM_GEN_CSTRING_FUNC func)
    __attribute__((weak));

namespace {

// The manager keeps only the pointer's text while it holds its own lock, and asks
// again while it writes its reports at exit: the text lives in storage that is
// never destroyed.
char const* project_output_directory() {
    static std::aligned_storage_t<sizeof(std::string), alignof(std::string)> storage;
    static std::string* text = new (&storage) std::string;
    *text = gen_get_project_output_directory();
    return text->c_str();
}

} // namespace

void gen_install_memory_manager_callbacks() {
    if (mem_set_gen_get_module_filename_callback == nullptr) {
        return;
    }
    mem_set_gen_get_tessaly_path_callback(gen_get_tessaly_path);
    mem_set_gen_get_is_ui_process_callback(gen_get_is_ui_process);
    mem_set_gen_get_module_filename_callback(gen_get_module_filename);
    mem_set_gen_get_project_output_directory_callback(project_output_directory);
}
