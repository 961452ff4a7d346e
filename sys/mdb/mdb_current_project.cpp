#include "sys/mdb/mdb_current_project.h"

#include "suite/general/gen.h"
#include "suite/threads/thr.h"
#include "sys/mdb/mdb.h"
#include "tools/libproject/proj.h"

#include <string>

bool mdb_get_current_project(PROJ_PROJECT** project) {
    *project = nullptr;
    std::string library = gen_get_module_path() + PROJ_LIBRARY_FILE;
    THR_DRL_HANDLE handle = thr_drl_load(library.c_str());
    if (handle == nullptr) {
        std::string condition = "Unable to load library " + library;
        MDB_INTERNAL_ERROR(condition.c_str());
        return false;
    }
    auto get_current = reinterpret_cast<PROJ_DYN_IMPL_GET_CURRENT_FUNC>(
        thr_drl_find_function(handle, PROJ_DYN_IMPL_GET_CURRENT));
    if (get_current == nullptr) {
        MDB_INTERNAL_ERROR("Unable to find function " PROJ_DYN_IMPL_GET_CURRENT);
        return false;
    }
    *project = get_current();
    return true;
}
