#include "catalogue/acf_family_info_mgr.h"

#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

DEV_PART_ENUM part(int number) {
    return static_cast<DEV_PART_ENUM>(number);
}

TEST(AcfFamilyInfoMgr, EveryPartMapsToTheFamilyWhoseRunHoldsIt) {
    ACF_FAMILY_INFO_MGR const* map = ACF_FAMILY_INFO_MGR::get_instance();
    ASSERT_EQ(map, ACF_FAMILY_INFO_MGR::get_instance());
    for (int number = DEV_PART_INVALID + 1; number < DEV_PART_GENERIC; ++number) {
        EXPECT_EQ(map->get_family_of(part(number)), DEV_PART_MANAGER::get_family_of(part(number)))
            << dstr_get_user_string(part(number));
    }
}

TEST(AcfFamilyInfoMgr, FamilyBoundaries) {
    ACF_FAMILY_INFO_MGR const* map = ACF_FAMILY_INFO_MGR::get_instance();
    int first_of_2 = dev_get_first_part_of_family(static_cast<DEV_FAMILY_ENUM>(2));
    ASSERT_GT(first_of_2, 1);
    EXPECT_EQ(map->get_family_of(part(first_of_2)), 2);
    EXPECT_EQ(map->get_family_of(part(first_of_2 - 1)), 1);
    EXPECT_EQ(map->get_family_of(part(1)), 1);

    // Family 25 has no parts: the parts before family 26 belong to family 24.
    int first_of_26 = dev_get_first_part_of_family(static_cast<DEV_FAMILY_ENUM>(26));
    EXPECT_EQ(map->get_family_of(part(first_of_26)), 26);
    EXPECT_EQ(map->get_family_of(part(first_of_26 - 1)), 24);
    EXPECT_EQ(map->get_family_of(part(DEV_PART_GENERIC - 1)), 55);
}

TEST(AcfFamilyInfoMgr, NumbersOutsideTheRealPartsAreRefused) {
    std::vector<std::string> reports;
    MSG_INTERNAL_ERROR::set_hook([&](char const* condition, char const*, char const*, int) {
        reports.push_back(condition);
    });
    for (int number :
         {int(DEV_PART_INVALID), int(DEV_PART_GENERIC), int(DEV_PART_MAX), -1, 1 << 20}) {
        EXPECT_EQ(ACF_FAMILY_INFO_MGR::get_instance()->get_family_of(part(number)),
                  DEV_FAMILY_GENERIC)
            << number;
    }
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    EXPECT_EQ(reports, std::vector<std::string>(
                           5, "(part < DEV_PART_GENERIC) && (part > DEV_PART_INVALID)"));
}

} // namespace
