// The companion-revision dialogs over copies of the revision fixture: the
// family pairs and proposed names, the candidates, the two entry points with
// their refusals, the create dialog's form and its OK check.
#include "sys/mdb/mdb_revisions_companion.h"
#include "sys/mdb/mdb_revisions_companion_create_dlg.h"
#include "sys/mdb/mdb_revisions_companion_set_dlg.h"

#include "tests/sys/mdb/mdb_test_project.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

class MdbCompanionRevision : public MdbRevisionProject {
protected:
    // Replaces one line of a settings file of the copy (or appends it).
    void set_setting(std::string const& revision, std::string const& variable,
                     std::string const& value) {
        std::string path = file(revision + ".tsf");
        std::string text = test_read_file(path);
        std::string key = "-name " + variable + " ";
        size_t at = text.find(key);
        std::string line = "set_global_assignment -name " + variable + " " + value + "\n";
        if (at == std::string::npos) {
            text += value.empty() ? "" : line;
        } else {
            size_t start = text.rfind('\n', at);
            start = start == std::string::npos ? 0 : start + 1;
            text.replace(start, text.find('\n', at) + 1 - start, value.empty() ? "" : line);
        }
        test_write_file(path, text);
    }
};

TEST(MdbCompanionFamilies, PairsAndProposedNames) {
    struct CASE {
        DEV_FAMILY_ENUM family;
        DEV_FAMILY_ENUM paired;
        char const* proposed;
    } const cases[] = {
        {DEV_FAMILY_VORELON_II, DEV_FAMILY_LUMIFORM_II, "top_lm"},
        {DEV_FAMILY_LUMIFORM_II, DEV_FAMILY_VORELON_II, "top_s"},
        {DEV_FAMILY_VORELON_IV, DEV_FAMILY_LUMIFORM_IV, "top_lm"},
        {DEV_FAMILY_LUMIFORM_IV, DEV_FAMILY_VORELON_IV, "top_s"},
        {DEV_FAMILY_VORELON_III, DEV_FAMILY_LUMIFORM_III, "top_lm"},
        {DEV_FAMILY_LUMIFORM_III, DEV_FAMILY_VORELON_III, "top_s"},
        {DEV_FAMILY_VORELON_GX, DEV_FAMILY_INVALID, "top"},
        {DEV_FAMILY_INVALID, DEV_FAMILY_INVALID, "top"},
        {DEV_FAMILY_GENERIC, DEV_FAMILY_INVALID, "top"},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(mdb_companion_family(c.family), c.paired) << c.family;
        EXPECT_EQ(mdb_proposed_companion_name("top", c.family), c.proposed) << c.family;
    }
}

TEST_F(MdbCompanionRevision, CandidatesAreThePairedFamilysRevisionsThoseNamingTheActiveFirst) {
    open_project();
    std::list<std::string> found;
    ASSERT_TRUE(mdb_find_companion_candidates(DEV_FAMILY_LUMIFORM_II, &found));
    EXPECT_EQ(found, std::list<std::string>({"top_lm", "alt_lm"}));

    // Each one naming the active revision goes to the front.
    set_setting("alt_lm", "COMPANION_REVISION_NAME", "top");
    set_setting("fast", "FAMILY", "\"Lumiform II\"");
    set_setting("fast", "COMPANION_REVISION_NAME", "top");
    found.clear();
    ASSERT_TRUE(mdb_find_companion_candidates(DEV_FAMILY_LUMIFORM_II, &found));
    EXPECT_EQ(found, std::list<std::string>({"fast", "alt_lm", "top_lm"}));

    // A revision of the active revision's own family is not offered.
    set_setting("alt_lm", "FAMILY", "\"Vorelon II\"");
    set_setting("alt_lm", "DEVICE", "VORELONIIA15F484C6");
    found.clear();
    ASSERT_TRUE(mdb_find_companion_candidates(DEV_FAMILY_LUMIFORM_II, &found));
    EXPECT_EQ(found, std::list<std::string>({"fast", "top_lm"}));
}

TEST_F(MdbCompanionRevision, SetDialogPreselectsTheCurrentCompanionAndHandsTheChoiceToTheHost) {
    set_setting("alt_lm", "COMPANION_REVISION_NAME", "top");
    open_project();
    SNAPSHOT before = snapshot();

    std::string name = "unchanged";
    bool flag = true;
    when_shown([](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Set Current Lumiform Companion Revision");
        EXPECT_EQ(child<QLabel>(dialog, "m_curr_rev")->text(), "top");
        auto* list = child<QComboBox>(dialog, "m_curr_comp_rev_droplist");
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->itemText(0), "alt_lm");
        EXPECT_EQ(list->itemData(1).toString(), "top_lm");
        EXPECT_EQ(list->currentText(), "top_lm");
        press(dialog, QDialogButtonBox::Cancel);
    });
    EXPECT_EQ(mdb_dyn_set_companion_revision_dlg(nullptr, &name, &flag), 0);
    EXPECT_EQ(name, "unchanged");
    EXPECT_TRUE(flag);

    when_shown([](QDialog* dialog) {
        child<QComboBox>(dialog, "m_curr_comp_rev_droplist")->setCurrentIndex(0);
        press(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(mdb_dyn_set_companion_revision_dlg(nullptr, &name, &flag), 1);
    EXPECT_EQ(name, "alt_lm");
    EXPECT_FALSE(flag);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(MdbCompanionRevision, SetEntryPointRefusesWithoutADialog) {
    // No project open.
    std::string name;
    bool flag = true;
    EXPECT_EQ(mdb_dyn_set_companion_revision_dlg(nullptr, &name, &flag), 0);

    // A family without a pair, an unknown one, none: no message either. (No
    // device, whose family would override the setting.)
    set_setting("top", "DEVICE", "");
    for (char const* family : {"\"Vorelon GX\"", "Nonesuch", ""}) {
        set_setting("top", "FAMILY", family);
        open_project();
        EXPECT_EQ(mdb_dyn_set_companion_revision_dlg(nullptr, &name, &flag), 0) << family;
        ACF_MANAGER::get_acf_manager()->close_project(false);
        ACF_MANAGER::get_acf_manager()->free_cached_storage();
    }
    for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
        EXPECT_NE(entry.id / 1000, 296u) << entry.text;
    }

    // No revision of the paired family: its user name in the message.
    set_setting("top", "FAMILY", "\"Vorelon IV\"");
    open_project();
    EXPECT_EQ(mdb_dyn_set_companion_revision_dlg(nullptr, &name, &flag), 0);
    ASSERT_EQ(logged(296023).size(), 1u);
    EXPECT_NE(logged(296023)[0].text.find("family set to Lumiform IV."), std::string::npos);
    EXPECT_TRUE(flag);
}

TEST_F(MdbCompanionRevision, CreateEntryPointChecksDeviceAndMigrationDeviceByFamily) {
    struct CASE {
        char const* family;
        char const* device;
        char const* migration;
        unsigned message;
    } const cases[] = {
        {"\"Vorelon II\"", "AUTO", "LUMIFORMIIA15F484C6", 296015},
        {"\"Vorelon II\"", "Auto", "LUMIFORMIIA15F484C6", 296015},
        {"\"Vorelon II\"", "", "LUMIFORMIIA15F484C6", 296015},
        {"\"Lumiform II\"", "LUMIFORMIIA15F484C6", "", 296016},
        {"\"Lumiform III\"", "LUMIFORMIIIA15F484C6", "", 296017},
        {"\"Lumiform IV\"", "LUMIFORMIVA15F484C6", "", 296018},
        {"\"Vorelon II\"", "VORELONIIA15F484C6", "", 296019},
        {"\"Vorelon IV\"", "VORELONIVA15F484C6", "", 296019},
        {"\"Vorelon III\"", "VORELONIIIA15F484C6", "", 296019},
    };
    for (CASE const& c : cases) {
        set_setting("top", "FAMILY", c.family);
        set_setting("top", "DEVICE", c.device);
        set_setting("top", "DEVICE_TECHNOLOGY_MIGRATION_LIST", c.migration);
        open_project();
        msg_log_clear();
        std::string name = "unchanged";
        bool flag = true;
        EXPECT_EQ(mdb_dyn_create_companion_revision_dlg(nullptr, &name, &flag), 0) << c.family;
        std::vector<MSG_LOG_ENTRY> entries = msg_log_entries();
        ASSERT_EQ(entries.size(), 1u) << c.family << " " << c.device;
        EXPECT_EQ(entries[0].id, c.message) << c.family << " " << c.device;
        EXPECT_EQ(name, "unchanged");
        ACF_MANAGER::get_acf_manager()->close_project(false);
        ACF_MANAGER::get_acf_manager()->free_cached_storage();
    }
}

TEST_F(MdbCompanionRevision, CreateFormRightAfterSetupHasNoOptionAndMnemonicsReachTheirWidgets) {
    open_project();
    MDB_CREATE_COMPANION_REVISION_DLG dialog(DEV_FAMILY_VORELON_II, "", nullptr);
    EXPECT_EQ(dialog.objectName(), "MDB_CREATE_COMPANION_REVISION");
    EXPECT_EQ(dialog.windowTitle(), "Create/Overwrite Lumiform Companion Revision");
    auto* label = child<QLabel>(&dialog, "m_new_rev_name_label");
    auto* field = child<QLineEdit>(&dialog, "m_new_rev_name");
    auto* overwrite = child<QRadioButton>(&dialog, "m_overwrite_curr_companion_rev");
    auto* create = child<QRadioButton>(&dialog, "m_create_new_companion_rev");
    EXPECT_FALSE(label->isEnabled());
    EXPECT_TRUE(field->isEnabled());
    EXPECT_GE(field->minimumWidth(), 300);
    EXPECT_FALSE(overwrite->isChecked());
    EXPECT_FALSE(create->isChecked());
    EXPECT_EQ(child<QLabel>(&dialog, "m_curr_companion_rev")->text(),
              "< no companion revision exists >");

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    label->setEnabled(true);
    EXPECT_EQ(label->buddy(), field);
    QTest::keyClick(&dialog, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(field->hasFocus());
    // A button's mnemonic clicks it after a short animation.
    QTest::keyClick(&dialog, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([overwrite]() { return overwrite->isChecked(); }, 2000));
    QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([create]() { return create->isChecked(); }, 2000));
}

TEST_F(MdbCompanionRevision, CreateDialogStartsFromTheExistingCompanion) {
    open_project();
    // top's companion top_lm is a revision of the project: overwrite it.
    MDB_CREATE_COMPANION_REVISION_DLG existing(DEV_FAMILY_VORELON_II, "top_lm", nullptr);
    existing.on_init_dialog();
    EXPECT_EQ(child<QLabel>(&existing, "m_curr_rev")->text(), "top");
    EXPECT_EQ(child<QLabel>(&existing, "m_curr_companion_rev")->text(), "top_lm");
    EXPECT_TRUE(child<QRadioButton>(&existing, "m_overwrite_curr_companion_rev")->isChecked());
    EXPECT_FALSE(child<QLineEdit>(&existing, "m_new_rev_name")->isEnabled());
    EXPECT_EQ(child<QLineEdit>(&existing, "m_new_rev_name")->text(), "top_lm");
    existing.on_ok();
    EXPECT_EQ(existing.result(), QDialog::Accepted);
    EXPECT_EQ(existing.companion_name(), "top_lm");

    // A companion named in the settings but missing from the project.
    MDB_CREATE_COMPANION_REVISION_DLG missing(DEV_FAMILY_LUMIFORM_II, "gone", nullptr);
    missing.on_init_dialog();
    auto* overwrite = child<QRadioButton>(&missing, "m_overwrite_curr_companion_rev");
    EXPECT_FALSE(overwrite->isChecked());
    EXPECT_FALSE(overwrite->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(&missing, "m_create_new_companion_rev")->isChecked());
    EXPECT_TRUE(child<QLabel>(&missing, "m_new_rev_name_label")->isEnabled());
    EXPECT_EQ(child<QLineEdit>(&missing, "m_new_rev_name")->text(), "top_s");
}

TEST_F(MdbCompanionRevision, CreateOkChecksTheNewName) {
    open_project();
    test_write_file(file("unlisted.tsf"), "set_global_assignment -name TOP_LEVEL_ENTITY top\n");
    struct CASE {
        char const* name;
        int answer; // queued for a question, 0 for none
        unsigned message;
        char const* argument;
        bool accepted;
    } const cases[] = {
        {"", 0, 296020, nullptr, false},
        {"TOP", 0, 296021, nullptr, false},
        {"top$1", 0, 296057, "contains illegal character $", false},
        {"a b.c$d$", 0, 296057, "contains illegal character blank . $", false},
        {"a\tb\nc", 0, 296057, "contains illegal character tab line break", false},
        {"top-lm_2", 0, 0, nullptr, true},
        {"alt_lm", MSG_ANSWER_NO, 296022, "The revision alt_lm already", false},
        {"unlisted", MSG_ANSWER_NO, 296022, "The revision unlisted already", false},
        {"alt_lm", MSG_ANSWER_YES, 296022, nullptr, true},
    };
    for (CASE const& c : cases) {
        MDB_CREATE_COMPANION_REVISION_DLG dialog(DEV_FAMILY_VORELON_II, "", nullptr);
        dialog.on_init_dialog();
        dialog.show();
        child<QLineEdit>(&dialog, "m_new_rev_name")->setText(c.name);
        msg_log_clear();
        if (c.answer != 0) {
            msg_queue_answer(c.answer);
        }
        dialog.on_ok();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.name;
        EXPECT_EQ(dialog.isVisible(), !c.accepted) << c.name;
        std::vector<MSG_LOG_ENTRY> entries = msg_log_entries();
        if (c.message == 0) {
            EXPECT_TRUE(entries.empty()) << c.name;
        } else {
            ASSERT_EQ(entries.size(), 1u) << c.name;
            EXPECT_EQ(entries[0].id, c.message) << c.name;
            if (c.argument != nullptr) {
                EXPECT_NE(entries[0].text.find(c.argument), std::string::npos)
                    << c.name << ": " << entries[0].text;
            }
        }
        if (c.accepted) {
            EXPECT_EQ(dialog.companion_name(), c.name);
        }
    }
}

TEST_F(MdbCompanionRevision, CreateEntryPointHandsTheNameToTheHostAndWritesNothing) {
    open_project();
    SNAPSHOT before = snapshot();
    std::string name;
    bool flag = true;
    when_shown([](QDialog* dialog) {
        child<QRadioButton>(dialog, "m_create_new_companion_rev")->click();
        child<QLineEdit>(dialog, "m_new_rev_name")->setText("top_lm2");
        press(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(mdb_dyn_create_companion_revision_dlg(nullptr, &name, &flag), 1);
    EXPECT_EQ(name, "top_lm2");
    EXPECT_FALSE(flag);

    when_shown([](QDialog* dialog) { press(dialog, QDialogButtonBox::Cancel); });
    name = "kept";
    flag = true;
    EXPECT_EQ(mdb_dyn_create_companion_revision_dlg(nullptr, &name, &flag), 0);
    EXPECT_EQ(name, "kept");
    EXPECT_TRUE(flag);
    EXPECT_EQ(snapshot(), before);
}

} // namespace
