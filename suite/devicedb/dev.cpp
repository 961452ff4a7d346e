// Device families of the suite's device database.
#include "suite/devicedb/dev.h"

#include "suite/general/gen.h"

namespace {

struct DEV_FAMILY_ROW {
    char const* token;
    char const* user_name;
};

// Indexed by family number; entry 0 is the invalid family.
DEV_FAMILY_ROW const k_families[] = {
    {"", ""},
#define DEV_FAMILY(NUMBER, TOKEN, USER_NAME) {#TOKEN, USER_NAME},
#include "suite/devicedb/dev_families.def"
#undef DEV_FAMILY
    {"GENERIC", "Generic"},
};
static_assert(sizeof(k_families) / sizeof(k_families[0]) == DEV_FAMILY_GENERIC + 1,
              "dev_families.def must list families 1 to 55");

} // namespace

DEV_FAMILY_ENUM dstr_get_dev_family_enum_by_string(char const* name) {
    if (gen_is_empty_string(name)) {
        return DEV_FAMILY_INVALID;
    }
    for (int family = DEV_FAMILY_INVALID + 1; family < DEV_FAMILY_GENERIC; ++family) {
        if (gen_stricmp(k_families[family].user_name, name) == 0 ||
            gen_stricmp(k_families[family].token, name) == 0) {
            return static_cast<DEV_FAMILY_ENUM>(family);
        }
    }
    return DEV_FAMILY_INVALID;
}

bool dstr_exists_dev_family_enum_by_string(char const* name) {
    return dstr_get_dev_family_enum_by_string(name) != DEV_FAMILY_INVALID;
}

char const* dstr_get_user_string(DEV_FAMILY_ENUM family) {
    if (family <= DEV_FAMILY_INVALID || family > DEV_FAMILY_GENERIC) {
        return "";
    }
    return k_families[family].user_name;
}
