#include "suite/general/gen.h"

namespace {
std::string& project_dir() {
    static std::string directory;
    return directory;
}
} // namespace

std::string gen_get_project_dir_path() {
    return project_dir();
}

void gen_set_project_dir_path(char const* directory) {
    project_dir() = directory != nullptr ? directory : "";
}

namespace {
std::string in_project_dir(char const* folder) {
    std::string const& directory = project_dir();
    if (directory.empty()) {
        return directory;
    }
    return directory + (directory.back() == '/' ? "" : "/") + folder;
}
} // namespace

std::string gen_get_db_dir_path() {
    return in_project_dir("db/");
}

std::string gen_get_incr_db_dir_path_string() {
    return in_project_dir("incremental_db/");
}

std::string gen_get_db_dir_full_name() {
    return in_project_dir("db");
}
