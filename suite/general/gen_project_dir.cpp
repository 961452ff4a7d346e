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
