// Any bytes as a variation file: the wizard's header reading, the version
// rewrite of its instance lines, and the IP manager's reading of a file's IP
// name and version must end without fault; a rewrite keeps every byte outside
// the version values.
#include "fuzz_scratch.h"
#include "ipman/ipman_ip_info_manager.h"
#include "suite/wizman/wizman.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    WIZMAN_HEADER header = wizman_read_header(text);
    std::string rewritten = text;
    bool has_version = wizman_set_header_version(rewritten, "14.0");
    // Setting the version twice changes nothing more.
    std::string again = rewritten;
    if (has_version && (!wizman_set_header_version(again, "14.0") || again != rewritten)) {
        std::abort();
    }
    if (!has_version && rewritten != text) {
        std::abort();
    }

    std::string const& folder = fuzz_scratch_folder("fuzz_wizman_header");
    std::string const file = folder + "/core.v";
    std::string name;
    std::string version;
    if (fuzz_write_file(file, data, size)) {
        IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->extract_ip_name_and_version_from_file(
            file, name, version);
        name += wizman_file_was_wizard_generated(file.c_str()) ? "y" : "n";
    }
    name += IPMAN_IP_INFO_MANAGER::get_variation_file_retrieval_info_tag_value(text, "version");
    return header.entity_name.size() + name.size() + version.size() == static_cast<size_t>(-1);
}
