// Backing up and removing the files of the old sectioned format that lie in a
// project's directory.
#include "acf_manager.h"

#include "acf_file_categories.h"
#include "mem_manager.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <cstdio>
#include <string>
#include <vector>

MEM_UNIT_INITIALIZER(ACF);

namespace {

// The old project file and the four old section files; the old workspace file
// is not among them.
ACF_FILE_TYPE_ENUM const OLD_FILE_TYPES[] = {
    ACF_FILE_TYPE_PROJECT, ACF_FILE_TYPE_PROJECT_SETTINGS, ACF_FILE_TYPE_COMPILER_SETTINGS,
    ACF_FILE_TYPE_SIMULATOR_SETTINGS, ACF_FILE_TYPE_ENTITY_SETTINGS};

// The names of the files (not directories) in `dir` whose extension is of `type`.
std::vector<std::string> files_of_type(std::string const& dir, ACF_FILE_TYPE_ENUM type) {
    std::vector<std::string> names;
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    if (!FIO_FILE_SYSTEM::list_directory(FIO_PATH(dir), entries)) {
        return names;
    }
    int const wanted = static_cast<int>(acf_file_type_to_fio_ext(type));
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        if (!entry.is_directory && fio_get_extension_type(entry.name) == wanted) {
            names.push_back(entry.name);
        }
    }
    return names;
}

} // namespace

bool ACF_MANAGER::backup_remove_old_setting_files(char const* dir, bool backup,
                                                  char const* backup_dir, bool remove_project_file,
                                                  char const* project_name,
                                                  bool remove_setting_files) {
    if (gen_is_empty_string(dir)) {
        return false;
    }
    std::string directory = dir;
    acf_ensure_trailing_separator(&directory);
    if (backup) {
        if (gen_is_empty_string(backup_dir)) {
            return false;
        }
        bool copied = true;
        for (ACF_FILE_TYPE_ENUM type : OLD_FILE_TYPES) {
            for (std::string const& name : files_of_type(directory, type)) {
                copied = FIO_FILE_SYSTEM::copy(FIO_PATH(directory + name),
                                               FIO_PATH(backup_dir, name), true) &&
                         copied;
            }
        }
        // Nothing is removed unless every file was kept.
        if (!copied) {
            return false;
        }
    }
    if (remove_project_file) {
        if (gen_is_empty_string(project_name)) {
            return false;
        }
        std::string old_project =
            directory + FIO_PATH(project_name).base() +
            FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_OLD_PROJECT);
        if (FIO_FILE_SYSTEM::exists(FIO_PATH(old_project)) &&
            std::remove(old_project.c_str()) != 0) {
            return false;
        }
    }
    bool result = true;
    if (remove_setting_files) {
        for (ACF_FILE_TYPE_ENUM type : OLD_FILE_TYPES) {
            for (std::string const& name : files_of_type(directory, type)) {
                result = std::remove((directory + name).c_str()) == 0 && result;
            }
        }
    }
    return result;
}
