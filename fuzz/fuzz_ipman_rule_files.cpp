// Any bytes as the IP upgrade rule files: the part before the first NUL byte as
// the upgrade list, the rest as the name pairs. Reading them and deciding by
// them must end without fault.
#include "fuzz_scratch.h"
#include "ipman/ipman_iprgen_manager.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string const& folder = fuzz_scratch_folder("fuzz_ipman_rule_files");
    uint8_t const* nul = static_cast<uint8_t const*>(std::memchr(data, 0, size));
    size_t list_size = nul != nullptr ? static_cast<size_t>(nul - data) : size;
    size_t pairs_at = nul != nullptr ? list_size + 1 : size;
    if (!fuzz_write_file(folder + "/" + IPRGEN_TXT_FILE, data, list_size) ||
        !fuzz_write_file(folder + "/" + IPRGEN_MAPPING_TXT_FILE, data + pairs_at,
                         size - pairs_at)) {
        return 0;
    }
    IPMAN_IPRGEN_MANAGER manager(folder);
    size_t total = manager.get_rule_file_errors().size();
    for (auto const& section : manager.get_ip_regen_list()) {
        for (std::string const& name : section.second) {
            total += manager.is_ip_need_regen(name, section.first);
            total += manager.get_another_ip_core_name(name).size();
        }
    }
    return total == static_cast<size_t>(-1) ? 1 : 0;
}
