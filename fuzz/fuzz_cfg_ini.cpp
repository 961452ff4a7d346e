// Any bytes as tessaly.ini: looking switches up must end without fault, and a
// switch is on or off only by a value that says so.
#include "fuzz_scratch.h"
#include "suite/config/cfg.h"

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // The configuration is read from the current folder.
    static bool const in_folder = chdir(fuzz_scratch_folder("fuzz_cfg_ini").c_str()) == 0;
    if (!in_folder || !fuzz_write_file("tessaly.ini", data, size)) {
        return 0;
    }
    size_t total = 0;
    for (char const* key : {"MEM_PRINT_LEAK_WARNINGS", "a", "KEY", "user_setting_1", "x y"}) {
        total += cfg_get_value(key, "default").size();
        total += static_cast<size_t>(cfg_get_int_value(key, 7));
        total += cfg_is_set(key);
        if (cfg_is_on(key, true) != cfg_is_on(key, true) || cfg_user_ini_is_on(key, false) > 1) {
            std::abort();
        }
    }
    total += cfg_user_ini_is_on(1, false);
    return total == static_cast<size_t>(-1) ? 1 : 0;
}
