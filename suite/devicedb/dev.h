// Prefix dev: the device database.
// The suite's device database: device families, parts and their dies, each one
// table of data (dev_families.def, dev_parts.def, dev_devices.def).
//
// Families and parts carry the fictional names of this system's catalogue. The
// numbering follows the table order and is what stored settings rely on: families
// 1 to 55 (56 stands for any family), parts numbered family by family.
//
// Which families are installed is the machine's: the configuration value
// "dev_installed_families" (";"-separated family names; unset: every family the
// table marks installed) narrows the families that count as installed and as
// supported, so that a machine with none, one or several families can be modelled.
#pragma once

#include <cstdint>
#include <vector>

// Device families: 0 invalid, 1 to 55 from the table, 56 any family.
enum DEV_FAMILY_ENUM : int32_t {
    DEV_FAMILY_INVALID = 0,
#define DEV_FAMILY(NUMBER, TOKEN, ...) DEV_FAMILY_##TOKEN = NUMBER,
#include "suite/devicedb/dev_families.def"
#undef DEV_FAMILY
    DEV_FAMILY_GENERIC = 56,
};

// Traits of a family (their numbers are the database's own).
enum DEV_FAMILY_TRAIT_ENUM : int32_t {
    DEV_FAMILY_TRAIT_SUPPORTED = 5,               // still supported: offered for new designs
    DEV_FAMILY_TRAIT_INSTALLED = 9,               // its device data is installed
    DEV_FAMILY_TRAIT_EARLY_POWER_ESTIMATION = 65, // has an early power estimator
    DEV_FAMILY_TRAIT_DEVICE_PICKER = 158,         // offered by the device pickers
};

// Device parts: 0 invalid, then the table's parts, then the generic part ("Auto")
// and the end marker.
enum DEV_PART_ENUM : int32_t {
    DEV_PART_INVALID = 0,
#define DEV_PART(NAME, ...) DEV_PART_##NAME,
#include "suite/devicedb/dev_parts.def"
#undef DEV_PART
    DEV_PART_GENERIC,
    DEV_PART_MAX,
};

// Traits of a part.
enum DEV_PART_TRAIT_ENUM : int32_t {
    DEV_PART_TRAIT_NOT_AVAILABLE = 15, // no longer offered: designs fall back to "Auto"
};

// Dies of the parts: 0 invalid, then the table's dies.
enum DEV_DEVICE_ENUM : int32_t {
    DEV_DEVICE_INVALID = 0,
#define DEV_DEVICE(NAME, INSTALLED) DEV_DEVICE_##NAME,
#include "suite/devicedb/dev_devices.def"
#undef DEV_DEVICE
    DEV_DEVICE_MAX,
};

// Family names: the user name ("Vorelon II") or the token ("VORELON_II"), ignoring
// ASCII case. Unknown names give DEV_FAMILY_INVALID.
bool dstr_exists_dev_family_enum_by_string(char const* name);
DEV_FAMILY_ENUM dstr_get_dev_family_enum_by_string(char const* name);
// Part names, ignoring ASCII case; unknown names give DEV_PART_INVALID.
bool dstr_exists_dev_part_enum_by_string(char const* name);
DEV_PART_ENUM dstr_get_dev_part_enum_by_string(char const* name);
// User names; "" for invalid and unknown numbers, "Generic" for the generic family
// and "Auto" for the generic part.
char const* dstr_get_user_string(DEV_FAMILY_ENUM family);
char const* dstr_get_user_string(DEV_PART_ENUM part);
bool dstr_is_valid_dev_device_enum(DEV_DEVICE_ENUM device);

// The first part of a family: its parts run up to the first part of the next
// family. A family without parts gives the first part of the next family;
// DEV_PART_GENERIC after the last.
DEV_PART_ENUM dev_get_first_part_of_family(DEV_FAMILY_ENUM family);

class DEV_FAMILY_MANAGER {
public:
    // Appends, in number order, the families (of base family `base`, or all for
    // DEV_FAMILY_INVALID) that have every listed trait (require_all) or any of them.
    static void filter_family_list(std::vector<DEV_FAMILY_ENUM>* out, DEV_FAMILY_ENUM base,
                                   std::vector<DEV_FAMILY_TRAIT_ENUM> const& traits,
                                   bool require_all);
    static bool test_trait_of(DEV_FAMILY_ENUM family, DEV_FAMILY_TRAIT_ENUM trait);
    // The family a variant belongs to (for example Vorelon II GX: Vorelon II).
    static DEV_FAMILY_ENUM get_base_family_enum(DEV_FAMILY_ENUM family);
    static bool exists_family_enum_by_string(char const* name);
    static DEV_FAMILY_ENUM get_family_enum_by_string(char const* name);
};

class DEV_PART_MANAGER {
public:
    // Appends, in number order, the parts of the named family whose package, pin
    // count, speed grade and voltage match ("any" matches everything); with
    // installed_only only parts whose die is installed, and parts that are no longer
    // available only with include_unavailable.
    static void filter_part_list(std::vector<DEV_PART_ENUM>* out, char const* family,
                                 char const* package, char const* pin_count,
                                 char const* speed_grade, char const* voltage, bool installed_only,
                                 bool include_unavailable);
    static DEV_FAMILY_ENUM get_family_of(DEV_PART_ENUM part); // 0 for non-table parts
    static DEV_DEVICE_ENUM get_device_of(DEV_PART_ENUM part); // 0 for non-table parts
    // The package and pin count of a part ("" for non-table parts).
    static char const* get_package_of(DEV_PART_ENUM part);
    static char const* get_pin_count_of(DEV_PART_ENUM part);
    static bool device_is_installed(DEV_DEVICE_ENUM device);
    static bool test_part_trait_of(DEV_PART_ENUM part, DEV_PART_TRAIT_ENUM trait);
};
