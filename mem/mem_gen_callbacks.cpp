// The manager's questions about the running program, answered by the suite's
// general library once the program wires them at start-up.
#include "mem/mem_config.h"

#include "mem_manager.h"
#include "suite/general/gen.h"

#include <new>
#include <string>
#include <type_traits>

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

void mem_install_gen_callbacks() {
    mem_set_gen_get_tessaly_path_callback(gen_get_tessaly_path);
    mem_set_gen_get_is_ui_process_callback(gen_get_is_ui_process);
    mem_set_gen_get_module_filename_callback(gen_get_module_filename);
    mem_set_gen_get_project_output_directory_callback(project_output_directory);
}
