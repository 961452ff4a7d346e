// The device picker and the family and device checks it shares with the check
// of a project's settings, on machines with none, one or several families
// installed.
#include "sys/mdb/mdb_family_checks.h"
#include "sys/mdb/mdb_select_device_dlg.h"

#include "tests/support/test_environment.h"
#include "tests/sys/mdb/mdb_test_project.h"

#include <QComboBox>
#include <QListView>

namespace {

class MdbDevicePicker : public MdbRevisionProject {
protected:
    static QStringList texts(QAbstractItemModel* model) {
        QStringList rows;
        for (int row = 0; row < model->rowCount(); ++row) {
            rows << model->index(row, 0).data().toString();
        }
        return rows;
    }
};

TEST(MdbFamilyChecks, FamiliesAndDevicesAgainstTheInstalledSupport) {
    // Ostrel and Vindal installed; Tolm7000 is in the database but was never
    // supported; Senwick II is supported but its data is not installed.
    TEST_ENVIRONMENT installed("dev_installed_families", "Ostrel;Vindal;Senwick II");
    struct CASE {
        char const* family;
        bool is_family;
        bool installed;
        bool no_longer_supported;
    } const cases[] = {
        {"Ostrel", true, true, false},           {"VINDAL", true, true, false},
        {"Vorelon II", true, false, true}, // known, but not on this machine
        {"Tolm7000", true, false, true},         {"Senwick II", true, false, false},
        {"No Such Family", false, false, false}, {"", false, false, false},
    };
    for (CASE const& c : cases) {
        DEV_FAMILY_ENUM family = DEV_FAMILY_GENERIC;
        EXPECT_EQ(mdb_family_is_installed(c.family, &family), c.installed) << c.family;
        EXPECT_EQ(family == dstr_get_dev_family_enum_by_string(c.family), c.installed) << c.family;
        EXPECT_EQ(mdb_family_is_installed(c.family, nullptr), c.installed) << c.family;
        EXPECT_EQ(mdb_family_no_longer_supported(c.family, false), c.no_longer_supported)
            << c.family;
        DEV_FAMILY_ENUM any = DEV_FAMILY_GENERIC;
        EXPECT_EQ(mdb_get_family_enum(c.family, &any, false), c.is_family) << c.family;
        EXPECT_EQ(any,
                  c.is_family ? dstr_get_dev_family_enum_by_string(c.family) : DEV_FAMILY_GENERIC)
            << c.family;
    }
    std::vector<DEV_FAMILY_ENUM> families{DEV_FAMILY_GENERIC};
    mdb_get_family_list(&families);
    EXPECT_EQ(families, (std::vector<DEV_FAMILY_ENUM>{DEV_FAMILY_GENERIC, DEV_FAMILY_OSTREL,
                                                      DEV_FAMILY_VINDAL, DEV_FAMILY_SENWICK_II}));

    msg_log_clear();
    EXPECT_FALSE(mdb_family_no_longer_supported("No Such Family", true));
    EXPECT_TRUE(msg_log_entries().empty());
    EXPECT_TRUE(mdb_family_no_longer_supported("Tolm7000", true));
    ASSERT_EQ(msg_log_entries().size(), 1u);
    EXPECT_EQ(msg_log_entries()[0].id, 296005u);
    EXPECT_NE(msg_log_entries()[0].text.find("Tolm7000"), std::string::npos);

    struct DEVICE_CASE {
        char const* part;
        DEV_PART_ENUM expected; // DEV_PART_INVALID: not installed
    } const devices[] = {
        {"OSTRELA15F484C6", dstr_get_dev_part_enum_by_string("OSTRELA15F484C6")},
        {"ostrela45q240c6", dstr_get_dev_part_enum_by_string("OSTRELA45Q240C6")},
        {"TOLM7000A30F780C7", DEV_PART_INVALID}, // its die is not installed
        {"Auto", DEV_PART_INVALID},
        {"", DEV_PART_INVALID},
    };
    for (DEVICE_CASE const& d : devices) {
        DEV_PART_ENUM part = DEV_PART_MAX;
        bool installed = mdb_device_is_installed(d.part, &part);
        EXPECT_EQ(installed, d.expected != DEV_PART_INVALID) << d.part;
        EXPECT_EQ(part, installed ? d.expected : DEV_PART_MAX) << d.part;
    }
}

TEST_F(MdbDevicePicker, FamilyOfTheCurrentProjectWinsOverTheGivenName) {
    DEV_FAMILY_ENUM family = DEV_FAMILY_INVALID;
    EXPECT_TRUE(mdb_get_family_enum("Ostrel", &family, true)); // no project: the name given
    EXPECT_EQ(family, DEV_FAMILY_OSTREL);
    open_project();
    EXPECT_TRUE(mdb_get_family_enum("Ostrel", &family, true));
    EXPECT_EQ(family, DEV_FAMILY_VORELON_II);
    EXPECT_TRUE(mdb_get_family_enum("Ostrel", &family, false));
    EXPECT_EQ(family, DEV_FAMILY_OSTREL);
}

TEST_F(MdbDevicePicker, OffersTheInstalledFamiliesAndTheirDevices) {
    TEST_ENVIRONMENT installed("dev_installed_families", "Vindal;Ostrel;Tolm7000;Senwick II");
    SNAPSHOT before = snapshot();
    MDB_SELECT_DEVICE_DLG dialog(nullptr);
    EXPECT_TRUE(dialog.get_selected_device().isEmpty());
    auto* families = child<QComboBox>(&dialog, "family_combobox");
    auto* devices = child<QListView>(&dialog, "devices_list");
    when_shown([&](QDialog* shown) {
        // sorted; Tolm7000 is not supported, so it is not offered
        QStringList offered;
        for (int i = 0; i < families->count(); ++i) {
            offered << families->itemText(i);
        }
        EXPECT_EQ(offered, (QStringList{"Ostrel", "Senwick II", "Vindal"}));
        EXPECT_EQ(families->currentIndex(), 0);
        // installed dies only, no part that is no longer available
        EXPECT_EQ(texts(devices->model()), (QStringList{"OSTRELA15F484C6", "OSTRELA30F780C7"}));
        EXPECT_EQ(devices->currentIndex().row(), 0);
        families->setCurrentIndex(1); // Senwick II: no die installed
        EXPECT_EQ(devices->model()->rowCount(), 0);
        families->setCurrentText("Vindal");
        EXPECT_EQ(texts(devices->model()), (QStringList{"VINDALA15F484C6", "VINDALA30F780C7"}));
        devices->setCurrentIndex(devices->model()->index(1, 0));
        shown->findChild<QDialogButtonBox*>("button_box")->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.get_selected_device(), "VINDALA30F780C7");
    EXPECT_EQ(snapshot(), before);
}

TEST_F(MdbDevicePicker, WithoutFamiliesTheListsAreEmptyAndOkChoosesNothing) {
    TEST_ENVIRONMENT installed("dev_installed_families", "");
    MDB_SELECT_DEVICE_DLG dialog(nullptr);
    when_shown([&](QDialog* shown) {
        EXPECT_EQ(child<QComboBox>(shown, "family_combobox")->count(), 0);
        EXPECT_EQ(child<QListView>(shown, "devices_list")->model()->rowCount(), 0);
        shown->findChild<QDialogButtonBox*>("button_box")->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(dialog.get_selected_device().isEmpty());
}

TEST_F(MdbDevicePicker, CancelKeepsTheChosenDeviceEmpty) {
    MDB_SELECT_DEVICE_DLG dialog(nullptr);
    when_shown([&](QDialog* shown) {
        EXPECT_GT(child<QComboBox>(shown, "family_combobox")->count(), 10);
        shown->findChild<QDialogButtonBox*>("button_box")
            ->button(QDialogButtonBox::Cancel)
            ->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(dialog.get_selected_device().isEmpty());
}

} // namespace
