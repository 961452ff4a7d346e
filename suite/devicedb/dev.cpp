// The device database's tables and the lookups over them.
#include "suite/devicedb/dev.h"

#include <cstring>
#include <initializer_list>
#include <string>

#include "suite/config/cfg.h"
#include "suite/general/gen.h"

namespace {

// Family and part traits as '0'/'1' per number, filled from the listed traits.
template <size_t N> struct TRAIT_SET { bool has[N]; };
template <size_t N> constexpr TRAIT_SET<N> trait_set(std::initializer_list<int> traits) {
    TRAIT_SET<N> set{};
    for (int trait : traits) {
        set.has[trait] = true;
    }
    return set;
}
constexpr size_t k_family_trait_count = DEV_FAMILY_TRAIT_DEVICE_PICKER + 1;
constexpr size_t k_part_trait_count = DEV_PART_TRAIT_NOT_AVAILABLE + 1;

struct FAMILY_ROW {
    char const* token;
    char const* user_name;
    DEV_FAMILY_ENUM base;
    TRAIT_SET<k_family_trait_count> traits;
};

namespace family_traits {
enum : int {
    SUPPORTED = DEV_FAMILY_TRAIT_SUPPORTED,
    INSTALLED = DEV_FAMILY_TRAIT_INSTALLED,
    EARLY_POWER_ESTIMATION = DEV_FAMILY_TRAIT_EARLY_POWER_ESTIMATION,
    DEVICE_PICKER = DEV_FAMILY_TRAIT_DEVICE_PICKER,
};
} // namespace family_traits

// Indexed by family number; entry 0 is the invalid family, the last one any family.
constexpr FAMILY_ROW k_families[] = {
    {"", "", DEV_FAMILY_INVALID, {}},
#define DEV_FAMILY(NUMBER, TOKEN, USER_NAME, BASE, ...)                                            \
    {#TOKEN, USER_NAME, DEV_FAMILY_##BASE, [] {                                                    \
         using namespace family_traits;                                                            \
         return trait_set<k_family_trait_count>({__VA_ARGS__});                                    \
     }()},
#include "suite/devicedb/dev_families.def"
#undef DEV_FAMILY
    {"GENERIC", "Generic", DEV_FAMILY_GENERIC, {}},
};
static_assert(sizeof(k_families) / sizeof(k_families[0]) == DEV_FAMILY_GENERIC + 1,
              "dev_families.def must list families 1 to 55");

struct PART_ROW {
    char const* name;
    DEV_FAMILY_ENUM family;
    DEV_DEVICE_ENUM device;
    char const* package;
    char const* pin_count;
    char const* speed_grade;
    char const* voltage;
    TRAIT_SET<k_part_trait_count> traits;
};

namespace part_traits {
enum : int { NOT_AVAILABLE = DEV_PART_TRAIT_NOT_AVAILABLE };
} // namespace part_traits

// Indexed by part number; entry 0 is the invalid part.
constexpr PART_ROW k_parts[] = {
    {"", DEV_FAMILY_INVALID, DEV_DEVICE_INVALID, "", "", "", "", {}},
#define DEV_PART(NAME, FAMILY, DEVICE, PACKAGE, PINS, SPEED, VOLTAGE, ...)                         \
    {#NAME, DEV_FAMILY_##FAMILY, DEV_DEVICE_##DEVICE, PACKAGE, PINS, SPEED, VOLTAGE, [] {          \
         using namespace part_traits;                                                              \
         return trait_set<k_part_trait_count>({__VA_ARGS__});                                      \
     }()},
#include "suite/devicedb/dev_parts.def"
#undef DEV_PART
};

// The parts run family by family in ascending order.
constexpr bool parts_in_family_order() {
    for (int part = DEV_PART_INVALID + 2; part < DEV_PART_GENERIC; ++part) {
        if (k_parts[part].family < k_parts[part - 1].family) {
            return false;
        }
    }
    return true;
}
static_assert(parts_in_family_order(), "dev_parts.def must list parts family by family");

constexpr bool k_device_installed[] = {
    false,
#define DEV_DEVICE(NAME, INSTALLED) INSTALLED,
#include "suite/devicedb/dev_devices.def"
#undef DEV_DEVICE
};

bool is_family(DEV_FAMILY_ENUM family) {
    return family > DEV_FAMILY_INVALID && family < DEV_FAMILY_GENERIC;
}
bool is_part(DEV_PART_ENUM part) {
    return part > DEV_PART_INVALID && part < DEV_PART_GENERIC;
}

// The families whose device support is installed on this machine: all of them,
// unless the configuration value "dev_installed_families" lists some, by user
// name or token, separated by ";" (an empty value: none). Families outside it
// count as neither installed nor supported.
class INSTALLED_FAMILIES {
public:
    INSTALLED_FAMILIES() : m_all(!cfg_is_set("dev_installed_families")) {
        if (m_all) {
            return;
        }
        std::string names = cfg_get_value("dev_installed_families");
        size_t start = 0;
        while (start <= names.size()) {
            size_t end = names.find(';', start);
            if (end == std::string::npos) {
                end = names.size();
            }
            std::string name = names.substr(start, end - start);
            size_t first = name.find_first_not_of(" \t");
            size_t last = name.find_last_not_of(" \t");
            if (first != std::string::npos) {
                name = name.substr(first, last - first + 1);
                m_listed[dstr_get_dev_family_enum_by_string(name.c_str())] = true;
            }
            start = end + 1;
        }
    }
    bool has_trait(DEV_FAMILY_ENUM family, DEV_FAMILY_TRAIT_ENUM trait) const {
        if (!is_family(family) || trait < 0 || static_cast<size_t>(trait) >= k_family_trait_count ||
            !k_families[family].traits.has[trait]) {
            return false;
        }
        bool narrowed = trait == DEV_FAMILY_TRAIT_SUPPORTED || trait == DEV_FAMILY_TRAIT_INSTALLED;
        return m_all || !narrowed || m_listed[family];
    }

private:
    bool m_all;
    bool m_listed[DEV_FAMILY_GENERIC + 1] = {};
};

bool matches(char const* filter, char const* value) {
    return gen_is_empty_string(filter) || gen_stricmp(filter, "any") == 0 ||
           gen_stricmp(filter, value) == 0;
}

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

DEV_PART_ENUM dstr_get_dev_part_enum_by_string(char const* name) {
    if (gen_is_empty_string(name)) {
        return DEV_PART_INVALID;
    }
    for (int part = DEV_PART_INVALID + 1; part < DEV_PART_GENERIC; ++part) {
        if (gen_stricmp(k_parts[part].name, name) == 0) {
            return static_cast<DEV_PART_ENUM>(part);
        }
    }
    return DEV_PART_INVALID;
}

bool dstr_exists_dev_part_enum_by_string(char const* name) {
    return dstr_get_dev_part_enum_by_string(name) != DEV_PART_INVALID;
}

char const* dstr_get_user_string(DEV_FAMILY_ENUM family) {
    return family > DEV_FAMILY_INVALID && family <= DEV_FAMILY_GENERIC
               ? k_families[family].user_name
               : "";
}

char const* dstr_get_user_string(DEV_PART_ENUM part) {
    if (part == DEV_PART_GENERIC) {
        return "Auto";
    }
    return is_part(part) ? k_parts[part].name : "";
}

bool dstr_is_valid_dev_device_enum(DEV_DEVICE_ENUM device) {
    return device > DEV_DEVICE_INVALID && device < DEV_DEVICE_MAX;
}

DEV_PART_ENUM dev_get_first_part_of_family(DEV_FAMILY_ENUM family) {
    int part = DEV_PART_INVALID + 1;
    while (part < DEV_PART_GENERIC && k_parts[part].family < family) {
        ++part;
    }
    return static_cast<DEV_PART_ENUM>(part);
}

void DEV_FAMILY_MANAGER::filter_family_list(std::vector<DEV_FAMILY_ENUM>* out, DEV_FAMILY_ENUM base,
                                            std::vector<DEV_FAMILY_TRAIT_ENUM> const& traits,
                                            bool require_all) {
    if (out == nullptr) {
        return;
    }
    INSTALLED_FAMILIES installed;
    for (int number = DEV_FAMILY_INVALID + 1; number < DEV_FAMILY_GENERIC; ++number) {
        auto family = static_cast<DEV_FAMILY_ENUM>(number);
        if (base != DEV_FAMILY_INVALID && k_families[number].base != base) {
            continue;
        }
        bool all = true;
        bool any = traits.empty();
        for (DEV_FAMILY_TRAIT_ENUM trait : traits) {
            bool has = installed.has_trait(family, trait);
            all = all && has;
            any = any || has;
        }
        if (require_all ? all : any) {
            out->push_back(family);
        }
    }
}

bool DEV_FAMILY_MANAGER::test_trait_of(DEV_FAMILY_ENUM family, DEV_FAMILY_TRAIT_ENUM trait) {
    return INSTALLED_FAMILIES().has_trait(family, trait);
}

DEV_FAMILY_ENUM DEV_FAMILY_MANAGER::get_base_family_enum(DEV_FAMILY_ENUM family) {
    return is_family(family) ? k_families[family].base : family;
}

bool DEV_FAMILY_MANAGER::exists_family_enum_by_string(char const* name) {
    return dstr_exists_dev_family_enum_by_string(name);
}

DEV_FAMILY_ENUM DEV_FAMILY_MANAGER::get_family_enum_by_string(char const* name) {
    return dstr_get_dev_family_enum_by_string(name);
}

void DEV_PART_MANAGER::filter_part_list(std::vector<DEV_PART_ENUM>* out, char const* family,
                                        char const* package, char const* pin_count,
                                        char const* speed_grade, char const* voltage,
                                        bool installed_only, bool include_unavailable) {
    DEV_FAMILY_ENUM wanted = dstr_get_dev_family_enum_by_string(family);
    if (out == nullptr || wanted == DEV_FAMILY_INVALID) {
        return;
    }
    for (int number = DEV_PART_INVALID + 1; number < DEV_PART_GENERIC; ++number) {
        auto part = static_cast<DEV_PART_ENUM>(number);
        PART_ROW const& row = k_parts[number];
        if (row.family == wanted && matches(package, row.package) &&
            matches(pin_count, row.pin_count) && matches(speed_grade, row.speed_grade) &&
            matches(voltage, row.voltage) && (!installed_only || device_is_installed(row.device)) &&
            (include_unavailable || !test_part_trait_of(part, DEV_PART_TRAIT_NOT_AVAILABLE))) {
            out->push_back(part);
        }
    }
}

DEV_FAMILY_ENUM DEV_PART_MANAGER::get_family_of(DEV_PART_ENUM part) {
    return is_part(part) ? k_parts[part].family : DEV_FAMILY_INVALID;
}

DEV_DEVICE_ENUM DEV_PART_MANAGER::get_device_of(DEV_PART_ENUM part) {
    return is_part(part) ? k_parts[part].device : DEV_DEVICE_INVALID;
}

char const* DEV_PART_MANAGER::get_package_of(DEV_PART_ENUM part) {
    return is_part(part) ? k_parts[part].package : "";
}

char const* DEV_PART_MANAGER::get_pin_count_of(DEV_PART_ENUM part) {
    return is_part(part) ? k_parts[part].pin_count : "";
}

bool DEV_PART_MANAGER::device_is_installed(DEV_DEVICE_ENUM device) {
    return dstr_is_valid_dev_device_enum(device) && k_device_installed[device];
}

bool DEV_PART_MANAGER::test_part_trait_of(DEV_PART_ENUM part, DEV_PART_TRAIT_ENUM trait) {
    return is_part(part) && trait >= 0 && static_cast<size_t>(trait) < k_part_trait_count &&
           k_parts[part].traits.has[trait];
}
