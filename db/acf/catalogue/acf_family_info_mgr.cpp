#include "catalogue/acf_family_info_mgr.h"

#include "acf_internal_error.h"
#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

namespace {
// Family 25 has no parts of its own: the parts before family 26's first part
// belong to family 24.
constexpr DEV_FAMILY_ENUM FAMILY_WITHOUT_PARTS = static_cast<DEV_FAMILY_ENUM>(25);

DEV_FAMILY_ENUM next_in_walk(int family) {
    int next = family + 1;
    return static_cast<DEV_FAMILY_ENUM>(next == FAMILY_WITHOUT_PARTS ? next + 1 : next);
}
} // namespace

ACF_FAMILY_INFO_MGR* ACF_FAMILY_INFO_MGR::get_instance() {
    static ACF_FAMILY_INFO_MGR instance;
    return &instance;
}

ACF_FAMILY_INFO_MGR::ACF_FAMILY_INFO_MGR() {
    init_family_by_part_enum();
}

void ACF_FAMILY_INFO_MGR::init_family_by_part_enum() {
    m_family_by_part.assign(static_cast<size_t>(DEV_PART_MAX) + 1, DEV_FAMILY_INVALID);
    int part = DEV_PART_INVALID + 1;
    for (int family = DEV_FAMILY_INVALID + 1; family < DEV_FAMILY_GENERIC;
         family = next_in_walk(family)) {
        DEV_FAMILY_ENUM next = next_in_walk(family);
        int bound =
            next < DEV_FAMILY_GENERIC ? dev_get_first_part_of_family(next) : DEV_PART_GENERIC;
        for (; part < bound; ++part) {
            m_family_by_part[static_cast<size_t>(part)] = static_cast<DEV_FAMILY_ENUM>(family);
        }
    }
}

DEV_FAMILY_ENUM ACF_FAMILY_INFO_MGR::get_family_of(DEV_PART_ENUM part) const {
    if (!ACF_REQUIRE((part < DEV_PART_GENERIC) && (part > DEV_PART_INVALID))) {
        return DEV_FAMILY_GENERIC;
    }
    return m_family_by_part[static_cast<size_t>(part)];
}
