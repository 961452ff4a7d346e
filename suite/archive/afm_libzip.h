// The ZIP library, loaded when the first archive is made or read rather than
// when a program starts: it brings a large crypto library with it, which the
// programs that never touch an archive should not pay for at start-up.
#pragma once

#include <zip.h>

#include <string>

// The libzip functions the archive code calls, each named as in <zip.h>.
#define AFM_LIBZIP_FUNCTIONS(X)                                                                    \
    X(zip_close)                                                                                   \
    X(zip_discard)                                                                                 \
    X(zip_fclose)                                                                                  \
    X(zip_file_add)                                                                                \
    X(zip_file_get_external_attributes)                                                            \
    X(zip_file_set_encryption)                                                                     \
    X(zip_file_set_external_attributes)                                                            \
    X(zip_fopen_index)                                                                             \
    X(zip_fread)                                                                                   \
    X(zip_get_name)                                                                                \
    X(zip_get_num_entries)                                                                         \
    X(zip_open)                                                                                    \
    X(zip_open_from_source)                                                                        \
    X(zip_source_buffer_create)                                                                    \
    X(zip_source_close)                                                                            \
    X(zip_source_function)                                                                         \
    X(zip_source_free)                                                                             \
    X(zip_source_keep)                                                                             \
    X(zip_source_open)                                                                             \
    X(zip_source_read)                                                                             \
    X(zip_source_stat)                                                                             \
    X(zip_stat_index)

struct AFM_LIBZIP {
#define AFM_LIBZIP_POINTER(name) decltype(&::name) name = nullptr;
    AFM_LIBZIP_FUNCTIONS(AFM_LIBZIP_POINTER)
#undef AFM_LIBZIP_POINTER
};

// The library's functions, loaded on the first call and kept for the rest of
// the process. Null, with `error` saying which library could not be loaded and
// why, when it is missing or lacks a function (every later call says the same).
AFM_LIBZIP const* afm_libzip(std::string* error);

// Loads the library `file_name` into `functions`; false, with `error` naming
// the library and the cause, when it cannot be loaded or lacks a function.
bool afm_libzip_load(char const* file_name, AFM_LIBZIP* functions, std::string* error);
