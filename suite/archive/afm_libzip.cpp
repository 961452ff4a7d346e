#include "suite/archive/afm_libzip.h"

#include "suite/threads/thr.h"

namespace {

// The outcome of the one load per process.
struct LOADED {
    AFM_LIBZIP functions;
    bool ok = false;
    std::string error;
};

} // namespace

bool afm_libzip_load(char const* file_name, AFM_LIBZIP* functions, std::string* error) {
    std::string const cause = "Can't load the ZIP library " + std::string(file_name) +
                              " (needed to make and restore project archives): ";
    THR_DRL_HANDLE handle = thr_drl_load(file_name);
    if (handle == nullptr) {
        *error = cause + thr_drl_get_error();
        return false;
    }
#define AFM_LIBZIP_FIND(name)                                                                      \
    functions->name = reinterpret_cast<decltype(&::name)>(thr_drl_find_function(handle, #name));   \
    if (functions->name == nullptr) {                                                              \
        *error = cause + "it has no function " #name;                                              \
        thr_drl_unload(handle);                                                                    \
        return false;                                                                              \
    }
    AFM_LIBZIP_FUNCTIONS(AFM_LIBZIP_FIND)
#undef AFM_LIBZIP_FIND
    return true;
}

AFM_LIBZIP const* afm_libzip(std::string* error) {
    // AFM_LIBZIP_FILE_NAME is the library's run-time name, set by the build.
    static LOADED const loaded = [] {
        LOADED result;
        result.ok = afm_libzip_load(AFM_LIBZIP_FILE_NAME, &result.functions, &result.error);
        return result;
    }();
    if (!loaded.ok) {
        *error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}
