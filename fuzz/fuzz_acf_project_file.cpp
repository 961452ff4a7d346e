// Any bytes as a project file (.tpf) and as an old workspace file (.tws): the
// readers must take every line, whatever it holds, without fault.
#include "formats/acf_project_file.h"
#include "fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string const& folder = fuzz_scratch_folder("fuzz_acf_project_file");
    std::string const project = folder + "/chip.tpf";
    std::string const workspace = folder + "/chip.tws";
    if (!fuzz_write_file(project, data, size) || !fuzz_write_file(workspace, data, size)) {
        return 0;
    }
    ACF_REVISION_NAME_LIST revisions;
    acf_get_all_revisions_from_tpf(project.c_str(), &revisions);
    size_t total = 0;
    for (std::string const& name : revisions) {
        total += name.size() + acf_is_revision_listed_in_tpf(project.c_str(), name.c_str());
    }
    total += acf_get_current_cap_from_tws_file(workspace).size();
    total += acf_get_active_cap_from_tpf_or_tws_file(project.c_str()).size();
    total += acf_check_for_revision_files(project.c_str());
    return total == static_cast<size_t>(-1) ? 1 : 0;
}
