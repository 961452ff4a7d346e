#include "mem/mem_report.h"

#include "mem/mem_debug.h"
#include "mem/mem_export.h"
#include "mem/mem_info.h"
#include "mem/mem_utils.h"

#include <cstdlib>
#include <cxxabi.h>

namespace {

// The six columns: each number in decimal, then padded to its column's width.
void format_counter(char* out, size_t size, MEM_TRACKER_COUNTER const& c) {
    char n[6][24];
    uint64_t const values[6] = {c.current_blocks, c.cumulative_blocks, c.peak_blocks,
                                c.current_bytes,  c.cumulative_bytes,  c.peak_bytes};
    for (int i = 0; i < 6; ++i) {
        std::snprintf(n[i], sizeof n[i], "%lli", static_cast<long long>(values[i]));
    }
    std::snprintf(out, size, "%14s\t%17s\t%11s\t    %13s\t%16s\t%10s", n[0], n[1], n[2], n[3], n[4],
                  n[5]);
}

constexpr size_t COUNTER_TEXT_SIZE = 256;

// Type names as a reader knows them; the records keep the compiler's spelling.
void print_type_name(FILE* f, char const* name) {
    int status = 0;
    char* readable = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::fprintf(f, "\t%s", status == 0 && readable != nullptr ? readable : name);
    std::free(readable);
}

// A figure of the summary: the number, or "N/A" when it is 0, in `width` columns.
void print_figure(FILE* f, int width, uint64_t value) {
    if (value == 0) {
        std::fprintf(f, "%*s", width, "N/A");
    } else {
        std::fprintf(f, "%*lli", width, static_cast<long long>(value));
    }
}

} // namespace

char const* MEM_TRACKER_COUNTER::heading() {
    return "Current blocks\tCumulative blocks\tPeak blocks\t    Current bytes\tCumulative "
           "bytes\tPeak bytes";
}

void MEM_TRACKER_COUNTER::fprintf_me(FILE* f) {
    MEM_CHECK_LOCKED();
    char text[COUNTER_TEXT_SIZE];
    format_counter(text, sizeof text, *this);
    std::fputs(text, f);
}

std::ostream& operator<<(std::ostream& stream, MEM_TRACKER_COUNTER& counter) {
    MEM_CHECK_LOCKED();
    char text[COUNTER_TEXT_SIZE];
    format_counter(text, sizeof text, counter);
    return stream << text;
}

void MEM_TRACKER_DATA::write_detailed_memory_usage(char const* path) {
    FILE* f = std::fopen(path, "w");
    if (f == nullptr) {
        return;
    }
    MEM_LOCK walk(mem_tracker_critical_section);
    std::fprintf(f, "File\tPrefix\t%s\tClass size\tClassID\tClass\n",
                 MEM_TRACKER_COUNTER::heading());
    for (MEM_TRACKER_DATA* d = s_tracker_data_list; d != nullptr; d = d->next) {
        std::fprintf(f, "%s(%d):", d->file_name, d->line);
        std::fprintf(f, "\t%6s\t", d->subsystem_name);
        d->counter.fprintf_me(f);
        std::fprintf(f, "\t%10d\t%7d", static_cast<int>(d->element_size),
                     static_cast<int>(d->class_id));
        print_type_name(f, d->type != nullptr ? d->type->name() : "???");
        std::fputc('\n', f);
    }
    std::fclose(f);
}

void MEM_TYPEINFO_DATA::write_typeinfo_memory_usage(char const* path) {
    FILE* f = std::fopen(path, "w");
    if (f == nullptr) {
        return;
    }
    std::fprintf(f, "%s\t   Size\tClass\n", MEM_TRACKER_COUNTER::heading());
    for (MEM_TYPEINFO_DATA* t = s_typeinfo_list; t != nullptr; t = t->next) {
        t->counter.fprintf_me(f);
        std::fprintf(f, "\t%7d", static_cast<int>(t->element_size));
        print_type_name(f, t->name);
        std::fputc('\n', f);
    }
    std::fflush(f);
    std::fclose(f);
}

void MEM_SUBSYSTEM_DATA::write_subsystem_memory_usage(char const* path) {
    FILE* f = std::fopen(path, "w");
    if (f == nullptr) {
        return;
    }
    MEM_TRACKER::write_memory_usage_summary(f);
    std::fprintf(f, "Subsystem\t%s\n", MEM_TRACKER_COUNTER::heading());
    {
        MEM_LOCK walk(mem_tracker_critical_section);
        for (MEM_SUBSYSTEM_DATA* s = s_subsystem_list; s != nullptr; s = s->next) {
            std::fprintf(f, "%9s\t", s->name);
            s->counter.fprintf_me(f);
            std::fputc('\n', f);
        }
    }
    std::fflush(f);
    std::fclose(f);
}

void MEM_TRACKER::write_memory_usage_summary(FILE* f) {
    if (f == nullptr) {
        return;
    }
    MEM_LOCK lock(mem_critical_section);
    MEM_TRACKER_COUNTER& user = mem_tessaly_memory_counter_struct;
    MEM_TRACKER_COUNTER& system = mem_system_memory_counter_struct;
    double average_block = 0;
    double average_overhead = 0;
    if (user.peak_blocks != 0) {
        double blocks = static_cast<double>(user.peak_blocks);
        average_block = static_cast<double>(user.peak_bytes) / blocks;
        average_overhead =
            (static_cast<double>(system.peak_bytes) - static_cast<double>(user.peak_bytes)) /
            blocks;
    }
    std::fprintf(f, "        \t Peak WorkingSet\tPeak PageFile\t Page faults\tPeak virtual\n");
    std::fprintf(f, "Process:\t");
    print_figure(f, 16, mem_info_get_process_peak_working_set_size());
    std::fputc('\t', f);
    print_figure(f, 13, mem_info_get_process_peak_page_file_used());
    std::fputc('\t', f);
    print_figure(f, 12, mem_info_get_process_page_fault_count());
    std::fputc('\t', f);
    print_figure(f, 12, mem_info_get_process_peak_virtual_used());
    std::fprintf(f, "\nTotal:  \t");
    print_figure(f, 16, mem_info_get_system_peak_physical_in_use());
    std::fputc('\t', f);
    print_figure(f, 13, mem_info_get_system_peak_page_file_in_use());
    std::fprintf(f, "\n\n\n");
    std::fprintf(f, "Transient\t%s\n", MEM_TRACKER_COUNTER::heading());
    std::fprintf(f, "(System) \t");
    system.fprintf_me(f);
    std::fprintf(f, "\t\t%8.2f\tAvg block size\n", average_block);
    std::fprintf(f, "User     \t");
    user.fprintf_me(f);
    std::fprintf(f, "\t\t%8.5f\tAvg overhead per block\n", average_overhead);
    std::fprintf(f, "\n\n");
}

MEM_EXPORT void MEM_MANAGER::write_detailed_memory_usage(char const* path) {
    MEM_LOCK lock(mem_critical_section);
    MEM_TRACKER_DATA::write_detailed_memory_usage(path);
}

MEM_EXPORT void MEM_MANAGER::write_typeinfo_memory_usage(char const* path) {
    MEM_LOCK lock(mem_critical_section);
    MEM_TYPEINFO_DATA::write_typeinfo_memory_usage(path);
}

MEM_EXPORT void MEM_MANAGER::write_subsystem_memory_usage(char const* path) {
    MEM_LOCK lock(mem_critical_section);
    MEM_SUBSYSTEM_DATA::write_subsystem_memory_usage(path);
}

void mem_write_memory_usage_reports_at_exit() {
    if (MEM_TRACKER::detailed_memory_usage_filename[0] != '\0') {
        MEM_TRACKER_DATA::write_detailed_memory_usage(MEM_TRACKER::detailed_memory_usage_filename);
    }
    if (MEM_TRACKER::typeinfo_memory_usage_filename[0] != '\0') {
        MEM_TYPEINFO_DATA::write_typeinfo_memory_usage(MEM_TRACKER::typeinfo_memory_usage_filename);
    }
    if (MEM_TRACKER::subsystem_memory_usage_filename[0] != '\0') {
        MEM_SUBSYSTEM_DATA::write_subsystem_memory_usage(
            MEM_TRACKER::subsystem_memory_usage_filename);
    }
}
