// Which device family a device part belongs to.
#pragma once

#include "suite/devicedb/dev.h"

#include <vector>

class ACF_FAMILY_INFO_MGR {
public:
    // The process-wide map, built from the device database on the first call.
    static ACF_FAMILY_INFO_MGR* get_instance();

    // The family of a part. A number outside the real parts (DEV_PART_INVALID,
    // DEV_PART_GENERIC and beyond) is an internal error and belongs to no
    // particular family: DEV_FAMILY_GENERIC.
    DEV_FAMILY_ENUM get_family_of(DEV_PART_ENUM part) const;

    // Fills the map: the parts run family by family, each family's from its first
    // part up to the first part of the next family.
    void init_family_by_part_enum();

private:
    ACF_FAMILY_INFO_MGR();

    std::vector<DEV_FAMILY_ENUM> m_family_by_part; // by part number, 0: none
};
