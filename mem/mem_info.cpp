#include "mem/mem_info.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

std::atomic<uint64_t> mem_info_process_peak_working_set_size{0};
std::atomic<uint64_t> mem_info_process_peak_page_file_used{0};
std::atomic<uint64_t> mem_info_process_peak_virtual_used{0};
std::atomic<uint64_t> mem_info_system_peak_physical_in_use{0};
std::atomic<uint64_t> mem_info_system_peak_page_file_in_use{0};

namespace {

char const* s_proc_directory = "/proc";

// The files are read into fixed buffers on the stack: the readers run inside
// the allocation path, so they must not allocate. The files read here are far
// smaller than the buffer; a longer one is cut, and figures past the cut read 0.
constexpr size_t FILE_BUFFER_SIZE = 8192;

// Reads "<proc>/<name>" into `buffer` as a terminated text; false when it cannot be read.
bool read_proc_file(char const* name, char* buffer) {
    char path[4096];
    std::snprintf(path, sizeof path, "%s/%s", s_proc_directory, name);
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    size_t filled = 0;
    while (filled < FILE_BUFFER_SIZE - 1) {
        ssize_t n = read(fd, buffer + filled, FILE_BUFFER_SIZE - 1 - filled);
        if (n <= 0) {
            break;
        }
        filled += static_cast<size_t>(n);
    }
    close(fd);
    buffer[filled] = '\0';
    return true;
}

// The `index`-th blank-separated number of `text` (0 = first); 0 when missing.
uint64_t field(char const* text, int index) {
    for (int i = 0; i < index; ++i) {
        text += std::strspn(text, " \t\n");
        text += std::strcspn(text, " \t\n");
    }
    return std::strtoull(text, nullptr, 10);
}

// A field of "self/stat" counted from the one after the program name (the
// state is 0). The name is in parentheses and may hold blanks and parentheses
// itself, so the fields start after the last ")".
bool stat_fields(char* buffer, char const** after_name) {
    if (!read_proc_file("self/stat", buffer)) {
        return false;
    }
    char const* name_end = std::strrchr(buffer, ')');
    *after_name = name_end != nullptr ? name_end + 1 : buffer + std::strlen(buffer);
    return true;
}

// A "Key:   value kB" figure of "meminfo" in bytes; 0 when missing.
uint64_t meminfo_bytes(char const* text, char const* key) {
    size_t key_length = std::strlen(key);
    for (char const* line = text; *line != '\0';) {
        if (std::strncmp(line, key, key_length) == 0 && line[key_length] == ':') {
            return std::strtoull(line + key_length + 1, nullptr, 10) * 1024;
        }
        char const* end = std::strchr(line, '\n');
        if (end == nullptr) {
            break;
        }
        line = end + 1;
    }
    return 0;
}

uint64_t raise(std::atomic<uint64_t>& peak, uint64_t value) {
    uint64_t seen = peak.load();
    while (value > seen && !peak.compare_exchange_weak(seen, value)) {
    }
    return value;
}

uint64_t page_size() {
    return static_cast<uint64_t>(getpagesize());
}

} // namespace

uint64_t mem_info_get_process_current_working_set_size() {
    char buffer[FILE_BUFFER_SIZE];
    if (!read_proc_file("self/statm", buffer)) {
        return 0;
    }
    return raise(mem_info_process_peak_working_set_size, field(buffer, 1) * page_size());
}

uint64_t mem_info_get_process_current_page_file_used() {
    char buffer[FILE_BUFFER_SIZE];
    if (!read_proc_file("self/statm", buffer)) {
        return 0;
    }
    return raise(mem_info_process_peak_page_file_used, field(buffer, 0) * page_size());
}

uint64_t mem_info_get_process_page_fault_count() {
    char buffer[FILE_BUFFER_SIZE];
    char const* fields = nullptr;
    if (!stat_fields(buffer, &fields)) {
        return 0;
    }
    return field(fields, 7) + field(fields, 9); // minor and major faults
}

uint64_t mem_info_get_process_current_virtual_used() {
    char buffer[FILE_BUFFER_SIZE];
    char const* fields = nullptr;
    if (!stat_fields(buffer, &fields)) {
        return 0;
    }
    return raise(mem_info_process_peak_virtual_used, field(fields, 20));
}

uint64_t mem_info_get_system_current_physical_in_use() {
    char buffer[FILE_BUFFER_SIZE];
    if (!read_proc_file("meminfo", buffer)) {
        return 0;
    }
    uint64_t total = meminfo_bytes(buffer, "MemTotal");
    uint64_t available = meminfo_bytes(buffer, "MemAvailable");
    return raise(mem_info_system_peak_physical_in_use, total > available ? total - available : 0);
}

uint64_t mem_info_get_system_current_page_file_in_use() {
    char buffer[FILE_BUFFER_SIZE];
    if (!read_proc_file("meminfo", buffer)) {
        return 0;
    }
    uint64_t total = meminfo_bytes(buffer, "SwapTotal");
    uint64_t unused = meminfo_bytes(buffer, "SwapFree");
    return raise(mem_info_system_peak_page_file_in_use, total > unused ? total - unused : 0);
}

uint64_t mem_info_get_process_peak_working_set_size() {
    mem_info_get_process_current_working_set_size();
    return mem_info_process_peak_working_set_size;
}

uint64_t mem_info_get_process_peak_page_file_used() {
    mem_info_get_process_current_page_file_used();
    return mem_info_process_peak_page_file_used;
}

uint64_t mem_info_get_process_peak_virtual_used() {
    mem_info_get_process_current_virtual_used();
    return mem_info_process_peak_virtual_used;
}

uint64_t mem_info_get_system_peak_physical_in_use() {
    mem_info_get_system_current_physical_in_use();
    return mem_info_system_peak_physical_in_use;
}

uint64_t mem_info_get_system_peak_page_file_in_use() {
    mem_info_get_system_current_page_file_in_use();
    return mem_info_system_peak_page_file_in_use;
}

void mem_info_init() {}
void mem_info_close() {}
void mem_report_last_error() {}

void mem_info_set_proc_directory(char const* directory) {
    s_proc_directory = directory != nullptr ? directory : "/proc";
}
