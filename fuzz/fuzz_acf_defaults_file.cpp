// Any bytes as a revision's defaults file (.tdf), read through the settings
// storage when the project opens: the open must end, open or refused, without
// fault, and the project must close again.
#include "acf_manager.h"
#include "formats/acf_project_file.h"
#include "fuzz_scratch.h"
#include "suite/messages/msg.h"

namespace {

// A project "chip" last saved by the running version, written once.
std::string const& project_folder() {
    static std::string folder = [] {
        std::string const& dir = fuzz_scratch_folder("fuzz_acf_defaults_file");
        ACF_REVISION_NAME_LIST names{"chip"};
        std::string settings =
            "set_global_assignment -name LAST_TESSALY_VERSION " + acf_get_version_string() + "\n";
        if (!acf_write_tpf_file((dir + "/chip.tpf").c_str(), &names) ||
            !fuzz_write_file(dir + "/chip.tsf", reinterpret_cast<uint8_t const*>(settings.data()),
                             settings.size())) {
            std::abort();
        }
        return dir;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string const& folder = project_folder();
    if (!fuzz_write_file(folder + "/chip_assignment_defaults.tdf", data, size)) {
        return 0;
    }
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    manager->open_project(folder.c_str(), "chip", "", false, false, false, false, false);
    manager->close_project(false);
    manager->free_cached_storage();
    msg_log_clear();
    return 0;
}
