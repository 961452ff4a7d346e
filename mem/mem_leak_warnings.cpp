#include "mem/mem_leak_warnings.h"

#include "mem/mem_config.h"
#include "mem/mem_utils.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <strings.h>

// The manager's own tag: its bookkeeping and the containers of code that names no
// tag of its own. The suite's stand-in libraries allocate without tags.
char const* const mem_leak_warning_exclusion_list[] = {"MEM", nullptr};

namespace {

char const RULE[] = "------------------------------------------------------"; // 54

bool excluded(char const* tag) {
    for (char const* const* entry = mem_leak_warning_exclusion_list; *entry != nullptr; ++entry) {
        if (strcasecmp(*entry, tag) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

void MEM_TRACKER_DATA::print_leak_warnings(char const* file_name, bool tq_mode) {
    // The names are fetched before the walk: fetching them allocates.
    MEM_STRING const module = mem_gen_get_module_filename();
    MEM_STRING const installation = mem_gen_get_tessaly_path();
    MEM_STRING const project = mem_gen_get_project_output_directory();

    MEM_LOCK walk(mem_tracker_critical_section);
    FILE* f = nullptr;
    for (MEM_TRACKER_DATA* d = s_tracker_data_list; d != nullptr; d = d->next) {
        if (d->counter.current_bytes == 0 ||
            (!MEM_TRACKER::s_leak_disallow_exclusion_list && excluded(d->subsystem_name))) {
            continue;
        }
        if (f == nullptr) {
            f = std::fopen(file_name, tq_mode ? "a" : "w");
            if (f == nullptr) {
                continue;
            }
            if (MEM_TRACKER::s_leak_tracking_in_tq_mode) {
                std::fprintf(f, "%s leaked memory allocated at the following locations:\n",
                             module.c_str());
            } else {
                std::time_t now = std::time(nullptr);
                std::fprintf(f, "Date: \t\t%s", std::ctime(&now));
                std::fprintf(f, "Tessaly directory: \t%s\n", installation.c_str());
                std::fprintf(f, "Executable: \t%s\n", module.c_str());
                std::fprintf(f, "Project path: \t%s\n", project.c_str());
                std::fprintf(f, "Where leaked memory was allocated: %s\n", module.c_str());
            }
            std::fprintf(f, "%s\n", RULE);
        }
        std::fprintf(f, "%s leaked %lli bytes allocated at %s (%d)\n", d->subsystem_name,
                     static_cast<long long>(d->counter.current_bytes), d->file_name, d->line);
    }
    if (f != nullptr) {
        std::fputc('\n', f);
        std::fflush(f);
        std::fclose(f);
    }
}

void mem_write_leak_warnings_at_exit() {
    if (MEM_TRACKER::s_leak_tracking_in_tq_mode) {
        MEM_TRACKER_DATA::print_leak_warnings("tessaly_tq_leak_warning.txt", true);
        return;
    }
    MEM_STRING name = mem_gen_get_module_filename();
    size_t exe = name.find(".exe");
    if (exe != MEM_STRING::npos) {
        name.erase(exe);
    }
    name += "_leak_warning.txt";
    MEM_TRACKER_DATA::print_leak_warnings(name.c_str(), false);
}
