#include "records/acf_manager_storage.h"

#include "mem_manager.h"
#include "suite/fileio/fio.h"

MEM_UNIT_INITIALIZER(ACF);

ACF_MANAGER_STORAGE::~ACF_MANAGER_STORAGE() = default;

std::string ACF_MANAGER_STORAGE::in_project_folder(char const* name) const {
    if (name == nullptr || name[0] == '\0') {
        return "";
    }
    char const* folder = get_project_path();
    if (name[0] == '/' || folder == nullptr) {
        return name;
    }
    return FIO_PATH(folder, name).path();
}
