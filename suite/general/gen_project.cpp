// The open project's paths as the rest of the suite sees them.
#include "suite/general/gen.h"

#include "suite/fileio/fio.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <type_traits>

namespace {
struct PROJECT_PATHS {
    std::mutex mutex;
    std::vector<std::string> libraries;
    std::string output_directory;
};

// Never destroyed: the memory manager asks for the output directory while it
// writes its reports at exit, after ordinary static objects are gone.
PROJECT_PATHS& project_paths() {
    static std::aligned_storage_t<sizeof(PROJECT_PATHS), alignof(PROJECT_PATHS)> storage;
    static PROJECT_PATHS* paths = new (&storage) PROJECT_PATHS;
    return *paths;
}
} // namespace

void gen_set_project_library_paths(char const* paths) {
    PROJECT_PATHS& p = project_paths();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.libraries.clear();
    if (!gen_is_empty_string(paths)) {
        p.libraries.emplace_back(paths);
    }
}

void gen_append_project_library_paths(char const* paths) {
    if (gen_is_empty_string(paths)) {
        return;
    }
    PROJECT_PATHS& p = project_paths();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.libraries.emplace_back(paths);
}

void gen_remove_project_library_paths(char const* paths) {
    if (paths == nullptr) {
        return;
    }
    PROJECT_PATHS& p = project_paths();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.libraries.erase(std::remove(p.libraries.begin(), p.libraries.end(), std::string(paths)),
                      p.libraries.end());
}

std::vector<std::string> gen_get_project_library_paths() {
    PROJECT_PATHS& p = project_paths();
    std::lock_guard<std::mutex> lock(p.mutex);
    return p.libraries;
}

void gen_set_project_output_directory(char const* directory) {
    PROJECT_PATHS& p = project_paths();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.output_directory = directory != nullptr ? directory : "";
}

std::string gen_get_project_output_directory() {
    PROJECT_PATHS& p = project_paths();
    std::lock_guard<std::mutex> lock(p.mutex);
    return p.output_directory;
}

bool gen_get_is_tessaly_exe() {
    return FIO_PATH(gen_get_module_filename()).base() == "tessaly";
}
