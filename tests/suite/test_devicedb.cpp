// The device database: families, parts, dies and their lookups.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "suite/devicedb/dev.h"
#include "tests/support/test_environment.h"

namespace {

TEST(DeviceFamilies, NamesBothWays) {
    std::pair<char const*, DEV_FAMILY_ENUM> const cases[] = {
        {"Vorelon II", DEV_FAMILY_VORELON_II},
        {"vorelon ii", DEV_FAMILY_VORELON_II},
        {"VORELON_II", DEV_FAMILY_VORELON_II},
        {"Lumiform II", DEV_FAMILY_LUMIFORM_II},
        {"Vorelon III", DEV_FAMILY_VORELON_III},
        {"Generic", DEV_FAMILY_INVALID}, // any family is not a family name
        {"Vorelon  II", DEV_FAMILY_INVALID},
        {"", DEV_FAMILY_INVALID},
        {nullptr, DEV_FAMILY_INVALID},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.first == nullptr ? "(null)" : c.first);
        EXPECT_EQ(dstr_get_dev_family_enum_by_string(c.first), c.second);
        EXPECT_EQ(dstr_exists_dev_family_enum_by_string(c.first), c.second != DEV_FAMILY_INVALID);
        EXPECT_EQ(DEV_FAMILY_MANAGER::get_family_enum_by_string(c.first), c.second);
    }
    // The companion pairs the dialogs rely on.
    EXPECT_EQ(DEV_FAMILY_VORELON_II, 6);
    EXPECT_EQ(DEV_FAMILY_LUMIFORM_II, 29);
    EXPECT_EQ(DEV_FAMILY_LUMIFORM_III, 30);
    EXPECT_EQ(DEV_FAMILY_LUMIFORM_IV, 31);
    EXPECT_EQ(DEV_FAMILY_VORELON_IV, 49);
    EXPECT_EQ(DEV_FAMILY_VORELON_III, 50);
    EXPECT_STREQ(dstr_get_user_string(DEV_FAMILY_VORELON_IV), "Vorelon IV");
    EXPECT_STREQ(dstr_get_user_string(DEV_FAMILY_GENERIC), "Generic");
    EXPECT_STREQ(dstr_get_user_string(DEV_FAMILY_INVALID), "");
    EXPECT_STREQ(dstr_get_user_string(static_cast<DEV_FAMILY_ENUM>(57)), "");
}

TEST(DeviceFamilies, TraitsBaseFamiliesAndFilters) {
    EXPECT_EQ(DEV_FAMILY_MANAGER::get_base_family_enum(DEV_FAMILY_VORELON_II_GX),
              DEV_FAMILY_VORELON_II);
    EXPECT_EQ(DEV_FAMILY_MANAGER::get_base_family_enum(DEV_FAMILY_VORELON_II),
              DEV_FAMILY_VORELON_II);
    EXPECT_EQ(DEV_FAMILY_MANAGER::get_base_family_enum(DEV_FAMILY_GENERIC), DEV_FAMILY_GENERIC);

    EXPECT_TRUE(
        DEV_FAMILY_MANAGER::test_trait_of(DEV_FAMILY_VORELON_II, DEV_FAMILY_TRAIT_INSTALLED));
    EXPECT_FALSE(
        DEV_FAMILY_MANAGER::test_trait_of(DEV_FAMILY_TOLM7000, DEV_FAMILY_TRAIT_SUPPORTED));
    EXPECT_FALSE(
        DEV_FAMILY_MANAGER::test_trait_of(DEV_FAMILY_LUMIFORM_II, DEV_FAMILY_TRAIT_DEVICE_PICKER));
    EXPECT_FALSE(DEV_FAMILY_MANAGER::test_trait_of(DEV_FAMILY_GENERIC, DEV_FAMILY_TRAIT_SUPPORTED));
    EXPECT_FALSE(DEV_FAMILY_MANAGER::test_trait_of(DEV_FAMILY_VORELON_II,
                                                   static_cast<DEV_FAMILY_TRAIT_ENUM>(999)));

    std::vector<DEV_FAMILY_ENUM> supported{DEV_FAMILY_INVALID};
    DEV_FAMILY_MANAGER::filter_family_list(&supported, DEV_FAMILY_INVALID,
                                           {DEV_FAMILY_TRAIT_SUPPORTED}, true);
    ASSERT_GT(supported.size(), 2u);
    EXPECT_EQ(supported.front(), DEV_FAMILY_INVALID); // appends, keeps what was there
    for (size_t i = 1; i < supported.size(); ++i) {
        EXPECT_TRUE(DEV_FAMILY_MANAGER::test_trait_of(supported[i], DEV_FAMILY_TRAIT_SUPPORTED));
        EXPECT_TRUE(i == 1 || supported[i - 1] < supported[i]);
    }

    std::vector<DEV_FAMILY_ENUM> variants;
    DEV_FAMILY_MANAGER::filter_family_list(&variants, DEV_FAMILY_VORELON_II, {}, true);
    EXPECT_EQ(variants,
              (std::vector<DEV_FAMILY_ENUM>{DEV_FAMILY_VORELON_II, DEV_FAMILY_VORELON_II_GX}));

    std::vector<DEV_FAMILY_ENUM> both;
    DEV_FAMILY_MANAGER::filter_family_list(
        &both, DEV_FAMILY_INVALID, {DEV_FAMILY_TRAIT_SUPPORTED, DEV_FAMILY_TRAIT_DEVICE_PICKER},
        true);
    std::vector<DEV_FAMILY_ENUM> either;
    DEV_FAMILY_MANAGER::filter_family_list(
        &either, DEV_FAMILY_INVALID, {DEV_FAMILY_TRAIT_SUPPORTED, DEV_FAMILY_TRAIT_DEVICE_PICKER},
        false);
    EXPECT_LT(both.size(), either.size());
}

TEST(DeviceFamilies, InstalledFamiliesNarrowInstalledAndSupported) {
    auto installed_and_supported = [] {
        std::vector<DEV_FAMILY_ENUM> families;
        DEV_FAMILY_MANAGER::filter_family_list(
            &families, DEV_FAMILY_INVALID, {DEV_FAMILY_TRAIT_SUPPORTED, DEV_FAMILY_TRAIT_INSTALLED},
            false);
        return families;
    };
    std::vector<DEV_FAMILY_ENUM> all;
    {
        TEST_ENVIRONMENT unset("dev_installed_families", std::nullopt);
        all = installed_and_supported();
        EXPECT_GT(all.size(), 10u);
    }
    struct CASE {
        char const* value;
        std::vector<DEV_FAMILY_ENUM> families;
    } const cases[] = {
        {"", {}},
        {"Ostrel", {DEV_FAMILY_OSTREL}},
        // user names or tokens, any case, blanks around them; unknown names and
        // families the table does not install are left out
        {" vorelon_ii ;Pellix II;;no such;Tolm7000", {DEV_FAMILY_VORELON_II, DEV_FAMILY_PELLIX_II}},
    };
    for (CASE const& c : cases) {
        TEST_ENVIRONMENT installed("dev_installed_families", c.value);
        EXPECT_EQ(installed_and_supported(), c.families) << c.value;
        for (DEV_FAMILY_ENUM family : all) {
            bool listed =
                std::find(c.families.begin(), c.families.end(), family) != c.families.end();
            EXPECT_EQ(DEV_FAMILY_MANAGER::test_trait_of(family, DEV_FAMILY_TRAIT_INSTALLED),
                      listed);
            EXPECT_EQ(DEV_FAMILY_MANAGER::test_trait_of(family, DEV_FAMILY_TRAIT_SUPPORTED),
                      listed);
        }
        // the machine's installation leaves the other traits alone
        EXPECT_TRUE(
            DEV_FAMILY_MANAGER::test_trait_of(DEV_FAMILY_OSTREL, DEV_FAMILY_TRAIT_DEVICE_PICKER));
    }
}

TEST(DeviceParts, NumberedFamilyByFamily) {
    // Every family but 25 has parts; each run starts at its family's first part.
    EXPECT_EQ(dev_get_first_part_of_family(DEV_FAMILY_TOLM7000), DEV_PART_INVALID + 1);
    for (int number = 1; number < DEV_FAMILY_GENERIC; ++number) {
        auto family = static_cast<DEV_FAMILY_ENUM>(number);
        auto next = static_cast<DEV_FAMILY_ENUM>(number + 1);
        DEV_PART_ENUM first = dev_get_first_part_of_family(family);
        DEV_PART_ENUM end =
            number + 1 < DEV_FAMILY_GENERIC ? dev_get_first_part_of_family(next) : DEV_PART_GENERIC;
        if (number == 25) {
            EXPECT_EQ(first, end);
            continue;
        }
        ASSERT_LT(first, end) << number;
        for (int part = first; part < end; ++part) {
            EXPECT_EQ(DEV_PART_MANAGER::get_family_of(static_cast<DEV_PART_ENUM>(part)), family);
        }
    }
    EXPECT_EQ(DEV_PART_MAX, DEV_PART_GENERIC + 1);
    EXPECT_EQ(DEV_PART_MANAGER::get_family_of(DEV_PART_GENERIC), DEV_FAMILY_INVALID);
    EXPECT_EQ(DEV_PART_MANAGER::get_family_of(DEV_PART_INVALID), DEV_FAMILY_INVALID);
}

TEST(DeviceParts, NamesDiesAndFilters) {
    DEV_PART_ENUM first = dev_get_first_part_of_family(DEV_FAMILY_VORELON_II);
    char const* name = dstr_get_user_string(first);
    ASSERT_STRNE(name, "");
    EXPECT_EQ(dstr_get_dev_part_enum_by_string(name), first);
    EXPECT_TRUE(dstr_exists_dev_part_enum_by_string(name));
    EXPECT_FALSE(dstr_exists_dev_part_enum_by_string("Auto"));
    EXPECT_FALSE(dstr_exists_dev_part_enum_by_string(""));
    EXPECT_STREQ(dstr_get_user_string(DEV_PART_GENERIC), "Auto");
    EXPECT_STREQ(dstr_get_user_string(DEV_PART_MAX), "");

    DEV_DEVICE_ENUM die = DEV_PART_MANAGER::get_device_of(first);
    EXPECT_TRUE(dstr_is_valid_dev_device_enum(die));
    EXPECT_TRUE(DEV_PART_MANAGER::device_is_installed(die));
    EXPECT_FALSE(dstr_is_valid_dev_device_enum(DEV_PART_MANAGER::get_device_of(DEV_PART_GENERIC)));
    EXPECT_FALSE(DEV_PART_MANAGER::device_is_installed(DEV_DEVICE_INVALID));

    std::vector<DEV_PART_ENUM> all;
    DEV_PART_MANAGER::filter_part_list(&all, "Vorelon II", "any", "any", "any", "any", false, true);
    std::vector<DEV_PART_ENUM> available;
    DEV_PART_MANAGER::filter_part_list(&available, "Vorelon II", "any", "any", "any", "any", true,
                                       false);
    std::vector<DEV_PART_ENUM> fbga780;
    DEV_PART_MANAGER::filter_part_list(&fbga780, "vorelon ii", "FBGA", "780", "any", "any", false,
                                       true);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all.front(), first);
    EXPECT_TRUE(DEV_PART_MANAGER::test_part_trait_of(all.back(), DEV_PART_TRAIT_NOT_AVAILABLE));
    EXPECT_EQ(available, (std::vector<DEV_PART_ENUM>{all[0], all[1]}));
    EXPECT_EQ(fbga780, std::vector<DEV_PART_ENUM>{all[1]});
    EXPECT_STREQ(DEV_PART_MANAGER::get_package_of(all[1]), "FBGA");
    EXPECT_STREQ(DEV_PART_MANAGER::get_pin_count_of(all[1]), "780");
    EXPECT_STREQ(DEV_PART_MANAGER::get_package_of(DEV_PART_GENERIC), "");
    EXPECT_STREQ(DEV_PART_MANAGER::get_pin_count_of(DEV_PART_INVALID), "");

    std::vector<DEV_PART_ENUM> none;
    DEV_PART_MANAGER::filter_part_list(&none, "no such family", "any", "any", "any", "any", false,
                                       true);
    EXPECT_TRUE(none.empty());
}

} // namespace
