// The current project as the dialogs reach it: through the project library,
// which the dialogs load by file name from the suite's program directory
// rather than link, so that they bind the one settings database of the host.
#include "suite/proj/proj.h"

#include "suite/general/gen.h"
#include "suite/threads/thr.h"
#include "sys/mdb/mdb.h"

#include <string>

PROJ_PROJECT* PROJ_PROJECT::get_current() {
    // Loaded once and kept for the life of the process: the project object
    // handed out lives in the library.
    static PROJ_DYN_IMPL_GET_CURRENT_FUNC get_current = []() -> PROJ_DYN_IMPL_GET_CURRENT_FUNC {
        std::string library = gen_get_tessaly_path() + "/" + PROJ_LIBRARY_FILE;
        THR_DRL_HANDLE handle = thr_drl_load(library.c_str());
        if (handle == nullptr) {
            MDB_INTERNAL_ERROR("proj_lib != NULL");
            return nullptr;
        }
        auto function = reinterpret_cast<PROJ_DYN_IMPL_GET_CURRENT_FUNC>(
            thr_drl_find_function(handle, PROJ_DYN_IMPL_GET_CURRENT));
        if (function == nullptr) {
            MDB_INTERNAL_ERROR("Unable to find function proj_dyn_impl_get_current");
        }
        return function;
    }();
    return get_current != nullptr ? get_current() : nullptr;
}
