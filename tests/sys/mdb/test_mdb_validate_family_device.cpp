// The check of a project's FAMILY and DEVICE against the installed device
// support, on copies of the revision fixture (FAMILY "Vorelon II", DEVICE
// VORELONIIA15F484C6, one LOCATION assignment), with several, one and no
// installed families, and the family picker it runs.
#include "sys/mdb/mdb_select_family_dlg.h"
#include "sys/mdb/mdb_validate_family_and_device.h"

#include "tests/support/test_environment.h"
#include "tests/sys/mdb/mdb_test_project.h"

#include <QCheckBox>
#include <QLabel>
#include <QListView>

#include <sys/stat.h>

#include <optional>

namespace {

class MdbValidateFamilyDevice : public MdbRevisionProject {
protected:
    // Replaces the setting's line of top.tsf (an empty value removes it).
    void set_setting(std::string const& variable, std::string const& value) {
        std::string path = file("top.tsf");
        std::string text = test_read_file(path);
        std::string key = "-name " + variable + " ";
        size_t at = text.find(key);
        std::string line =
            value.empty() ? "" : "set_global_assignment -name " + variable + " " + value + "\n";
        if (at == std::string::npos) {
            text += line;
        } else {
            size_t start = text.rfind('\n', at) + 1;
            text.replace(start, text.find('\n', at) + 1 - start, line);
        }
        test_write_file(path, text);
    }
    // The value of a global setting as top.tsf now states it; nullopt when unset.
    std::optional<std::string> setting(std::string const& variable) const {
        std::string text = test_read_file(file("top.tsf"));
        size_t at = text.find("-name " + variable + " ");
        if (at == std::string::npos) {
            return std::nullopt;
        }
        at += variable.size() + 7;
        std::string value = text.substr(at, text.find('\n', at) - at);
        if (value.size() >= 2 && value.front() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        return value;
    }
    bool has_location() const {
        return test_read_file(file("top.tsf")).find("set_location_assignment") != std::string::npos;
    }
    static std::vector<unsigned> questions_and_notices() {
        std::vector<unsigned> ids;
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            if (entry.severity == 'Q' || entry.severity == 'O') {
                ids.push_back(entry.id);
            }
        }
        return ids;
    }
};

char const* const FILTERS[] = {"DEVICE_FILTER_PACKAGE", "DEVICE_FILTER_PIN_COUNT",
                               "DEVICE_FILTER_SPEED_GRADE", "DEVICE_FILTER_VOLTAGE"};

TEST_F(MdbValidateFamilyDevice, TableOfFamiliesAndDevices) {
    enum { UNCHANGED = 0, CHANGED = 1 };
    enum : bool { GONE = false, KEPT = true }; // the LOCATION assignment
    std::nullopt_t const ALL = std::nullopt;   // every family installed
    char const* const VORELON_II = "\"Vorelon II\"";
    int const YES = MSG_ANSWER_YES;
    int const NO = MSG_ANSWER_NO;
    struct CASE {
        std::optional<std::string> installed; // dev_installed_families; nullopt: all
        std::string family;                   // FAMILY as stored
        std::string device;                   // DEVICE as stored ("" removes it)
        std::vector<int> answers;
        bool result;
        std::vector<unsigned> asked; // questions and notices, in order
        int written;
        std::string new_family; // expected after a write
        std::string new_device;
        bool locations_kept;
    } const cases[] = {
        // clang-format off
        // installed, nothing to write or only the device to fill in
        {ALL, VORELON_II, "", {}, true, {}, CHANGED, "Vorelon II", "Auto", KEPT},
        {ALL, VORELON_II, "auto", {}, true, {}, UNCHANGED, "", "", KEPT},
        {ALL, VORELON_II, "AuTo", {}, true, {}, UNCHANGED, "", "", KEPT},
        {ALL, VORELON_II, "VORELONIIA15F484C6", {}, true, {}, UNCHANGED, "", "", KEPT},
        // a part of the family that is no longer offered, a part of another
        // family, a part whose die is not installed, no part at all
        {ALL, VORELON_II, "VORELONIIA45Q240C6", {YES}, true, {296008}, CHANGED, "Vorelon II", "Auto", GONE},
        {ALL, VORELON_II, "OSTRELA15F484C6", {NO}, true, {296007}, CHANGED, "Vorelon II", "Auto", KEPT},
        {ALL, VORELON_II, "TOLM7000A30F780C7", {YES}, true, {296008}, CHANGED, "Vorelon II", "Auto", GONE},
        {ALL, VORELON_II, "NO_SUCH_PART", {}, true, {296008}, CHANGED, "Vorelon II", "Auto", KEPT},
        // one installed family: switched to it whatever the answer
        {"Ostrel", VORELON_II, "VORELONIIA15F484C6", {YES}, true, {296010}, CHANGED, "Ostrel", "Auto", GONE},
        {"Ostrel", VORELON_II, "VORELONIIA15F484C6", {NO}, true, {296010}, CHANGED, "Ostrel", "Auto", KEPT},
        {"Ostrel", "Tolm7000", "", {NO}, true, {296010}, CHANGED, "Ostrel", "Auto", KEPT},
        // no installed family
        {"", VORELON_II, "VORELONIIA15F484C6", {}, false, {296009}, UNCHANGED, "", "", KEPT},
        // clang-format on
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.family + " / " + c.device + " / " + c.installed.value_or("all"));
        TEST_ENVIRONMENT installed("dev_installed_families", c.installed);
        m_project = std::filesystem::canonical(
            m_workspace.copy_fixture(fixture(), "case" + std::to_string(&c - cases)));
        set_setting("FAMILY", c.family);
        set_setting("DEVICE", c.device);
        for (char const* filter : FILTERS) {
            set_setting(filter, "any");
        }
        open_project();
        std::string before = test_read_file(file("top.tsf"));
        msg_log_clear();
        for (int answer : c.answers) {
            msg_queue_answer(answer);
        }
        EXPECT_EQ(mdb_dyn_validate_family_and_device_settings(nullptr), c.result);
        EXPECT_EQ(questions_and_notices(), c.asked);
        ACF_MANAGER::get_acf_manager()->close_project(false);
        if (c.written == UNCHANGED) {
            EXPECT_EQ(test_read_file(file("top.tsf")), before);
            continue;
        }
        EXPECT_EQ(setting("FAMILY"), c.new_family);
        EXPECT_EQ(setting("DEVICE"), c.new_device);
        EXPECT_EQ(has_location(), c.locations_kept);
        for (char const* filter : FILTERS) {
            EXPECT_EQ(setting(filter), std::nullopt) << filter;
        }
    }
}

TEST_F(MdbValidateFamilyDevice, SeveralFamiliesLetTheUserChoose) {
    TEST_ENVIRONMENT installed("dev_installed_families", "Vindal;Ostrel");
    open_project();
    std::string before = test_read_file(file("top.tsf"));
    when_shown([](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Select Family");
        EXPECT_TRUE(child<QLabel>(dialog, "label")
                        ->text()
                        .startsWith("Support for device family Vorelon II not installed."));
        auto* list = child<QListView>(dialog, "listView");
        ASSERT_EQ(list->model()->rowCount(), 2);
        EXPECT_EQ(list->model()->index(0, 0).data().toString(), "Ostrel"); // sorted
        EXPECT_EQ(list->currentIndex().row(), 0);
        EXPECT_FALSE(child<QCheckBox>(dialog, "checkBox")->isChecked());
        dialog->findChild<QDialogButtonBox*>("buttonBox")
            ->button(QDialogButtonBox::Cancel)
            ->click();
    });
    EXPECT_FALSE(mdb_dyn_validate_family_and_device_settings(nullptr));
    EXPECT_EQ(test_read_file(file("top.tsf")), before);

    when_shown([](QDialog* dialog) {
        auto* list = child<QListView>(dialog, "listView");
        list->setCurrentIndex(list->model()->index(1, 0));
        child<QCheckBox>(dialog, "checkBox")->setChecked(true);
        dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(mdb_dyn_validate_family_and_device_settings(nullptr));
    ACF_MANAGER::get_acf_manager()->close_project(false);
    EXPECT_EQ(setting("FAMILY"), "Vindal");
    EXPECT_EQ(setting("DEVICE"), "Auto"); // a Vorelon II part does not fit Vindal
    EXPECT_FALSE(has_location());
}

TEST_F(MdbValidateFamilyDevice, FamilyPickerWithoutFamiliesChoosesNothing) {
    MDB_SELECT_FAMILY_DLG picker({}, "Tolm7000", nullptr);
    EXPECT_EQ(picker.get_selected_family(), "");
    MDB_SELECT_FAMILY_DLG one({DEV_FAMILY_VINDAL, DEV_FAMILY_OSTREL}, "Tolm7000", nullptr);
    EXPECT_EQ(one.get_selected_family(), "Ostrel");
    EXPECT_FALSE(one.get_remove_locations());
}

TEST_F(MdbValidateFamilyDevice, SettingsThatCannotBeWrittenStayAsTheyWere) {
    set_setting("DEVICE", "");
    open_project();
    std::string before = test_read_file(file("top.tsf"));
    chmod(file("top.tsf").c_str(), 0444);
    EXPECT_TRUE(mdb_dyn_validate_family_and_device_settings(nullptr));
    EXPECT_EQ(logged(296051).size(), 1u); // ACF_ERROR
    chmod(file("top.tsf").c_str(), 0644);
    EXPECT_EQ(test_read_file(file("top.tsf")), before);
    ACF_MANAGER::get_acf_manager()->close_project(false);
    EXPECT_EQ(test_read_file(file("top.tsf")), before);

    // a lock held elsewhere refuses the write the same way
    open_project();
    msg_log_clear();
    ASSERT_TRUE(ACF_MANAGER::get_acf_manager()->read_lock());
    EXPECT_TRUE(mdb_dyn_validate_family_and_device_settings(nullptr));
    ACF_MANAGER::get_acf_manager()->read_unlock();
    EXPECT_EQ(logged(296051).size(), 1u);
    ACF_MANAGER::get_acf_manager()->close_project(false);
    EXPECT_EQ(test_read_file(file("top.tsf")), before);
}

TEST_F(MdbValidateFamilyDevice, NoProjectNoCheck) {
    EXPECT_FALSE(mdb_dyn_validate_family_and_device_settings(nullptr));
    EXPECT_TRUE(msg_log_entries().empty());
}

} // namespace
