// The suite's device database: device families and parts as one table each.
//
// Families and parts carry the fictional names of this system's catalogue; the
// numbering is fixed by the table order and is what stored settings rely on.
#pragma once

#include <cstdint>

// Device families: 0 invalid, 1 to 55 from the table, 56 any family.
enum DEV_FAMILY_ENUM : int32_t {
    DEV_FAMILY_INVALID = 0,
#define DEV_FAMILY(NUMBER, TOKEN, USER_NAME) DEV_FAMILY_##TOKEN = NUMBER,
#include "suite/devicedb/dev_families.def"
#undef DEV_FAMILY
    DEV_FAMILY_GENERIC = 56,
};

// Family by its user name ("Vorelon II") or its token ("VORELON_II"), ignoring
// ASCII case; DEV_FAMILY_INVALID when none.
bool dstr_exists_dev_family_enum_by_string(char const* name);
DEV_FAMILY_ENUM dstr_get_dev_family_enum_by_string(char const* name);

// User name of a family; empty for DEV_FAMILY_INVALID and unknown numbers,
// "Generic" for DEV_FAMILY_GENERIC.
char const* dstr_get_user_string(DEV_FAMILY_ENUM family);
