// Document types by name and trait, over the table of fio_file_types.def.
#include "suite/fileio/fio.h"

namespace {

struct FILE_TYPE_ROW {
    FIO_FILE_TYPE type;
    char const* name;
    uint32_t traits;
};

constexpr FILE_TYPE_ROW k_file_types[] = {
#define FIO_FILE_TYPE_TRAIT_ROW(TRAIT, TITLE)
#define FIO_FILE_TYPE_ROW(NUMBER, NAME, TRAITS) {NUMBER, NAME, TRAITS},
#include "suite/fileio/fio_file_types.def"
#undef FIO_FILE_TYPE_ROW
#undef FIO_FILE_TYPE_TRAIT_ROW
};

struct TRAIT_ROW {
    uint32_t trait;
    char const* title;
};

constexpr TRAIT_ROW k_traits[] = {
#define FIO_FILE_TYPE_TRAIT_ROW(TRAIT, TITLE) {TRAIT, TITLE},
#define FIO_FILE_TYPE_ROW(NUMBER, NAME, TRAITS)
#include "suite/fileio/fio_file_types.def"
#undef FIO_FILE_TYPE_ROW
#undef FIO_FILE_TYPE_TRAIT_ROW
};

constexpr bool numbers_ascend() {
    for (size_t i = 1; i < sizeof(k_file_types) / sizeof(k_file_types[0]); ++i) {
        if (k_file_types[i].type <= k_file_types[i - 1].type) {
            return false;
        }
    }
    return true;
}
static_assert(numbers_ascend(), "fio_file_types.def lists each type once, in number order");

FILE_TYPE_ROW const* find(FIO_FILE_TYPE type) {
    for (FILE_TYPE_ROW const& row : k_file_types) {
        if (row.type == type) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

char const* fio_get_file_type_name(FIO_FILE_TYPE type) {
    FILE_TYPE_ROW const* row = find(type);
    return row != nullptr ? row->name : "";
}

bool fio_test_trait_of(FIO_FILE_TYPE type, uint32_t trait) {
    FILE_TYPE_ROW const* row = find(type);
    return row != nullptr && trait != 0 && (row->traits & trait) == trait;
}

std::string fio_get_file_type_trait_string(unsigned traits) {
    if (traits == FIO_FILE_TYPE_TRAIT_ALL) {
        return "All Files (*)";
    }
    for (TRAIT_ROW const& row : k_traits) {
        if (row.trait == traits) {
            return row.title;
        }
    }
    return "";
}
