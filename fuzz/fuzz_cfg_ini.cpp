// Any bytes as tessaly.ini: looking switches up must end without fault, and a
// switch is on or off only by a value that says so.
#include "fuzz_scratch.h"
#include "suite/config/cfg.h"

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // The configuration is read from the current folder: the scratch folder
    // while the switches are looked up, the fuzzer's own folder otherwise.
    static int const home = open(".", O_RDONLY | O_DIRECTORY);
    std::string const& folder = fuzz_scratch_folder("fuzz_cfg_ini");
    if (home < 0 || !fuzz_write_file(folder + "/tessaly.ini", data, size) ||
        chdir(folder.c_str()) != 0) {
        return 0;
    }
    size_t total = 0;
    for (char const* key : {"MEM_PRINT_LEAK_WARNINGS", "a", "KEY", "user_setting_1", "x y"}) {
        total += cfg_get_value(key, "default").size();
        total += static_cast<size_t>(cfg_get_int_value(key, 7));
        total += cfg_is_set(key);
        // A value that is on gives on whatever the default; one that is off, off.
        if (cfg_is_on(key, false) && !cfg_is_on(key, true)) {
            std::abort();
        }
        total += cfg_user_ini_is_on(key, false);
    }
    total += cfg_user_ini_is_on(1, false);
    if (fchdir(home) != 0) {
        std::abort();
    }
    return total == static_cast<size_t>(-1) ? 1 : 0;
}
