// The dialogs the Import Assignments dialog opens for its options: Assignment
// Categories in both modes, Advanced Import Settings by source kind, and the
// part-name dialog of an ORCAD EXP import.
#include "sys/mdb/mdb_import_assignment_advance_dlg.h"
#include "sys/mdb/mdb_import_assignment_category_dlg.h"
#include "sys/mdb/mdb_import_exp_advance_dlg.h"

#include "suite/fileio/fio.h"

#include "tests/sys/mdb/mdb_import_test_project.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QStandardItemModel>

#include <map>

namespace {
class MdbImportOptionDlgs : public MdbImportProject {};

// The category list, its rows clicked as the user does: the state flips, then the slot runs.
class CategoryList {
public:
    explicit CategoryList(MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG* dialog)
        : m_dialog(dialog), m_model(static_cast<QStandardItemModel*>(
                                dialog->findChild<QListView*>("category_listview")->model())) {}
    int rows() const { return m_model->rowCount(); }
    QString text(int row) const { return m_model->item(row)->text(); }
    bool checked(int row) const { return m_model->item(row)->checkState() == Qt::Checked; }
    void click(int row) {
        QStandardItem* item = m_model->item(row);
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        m_dialog->on_change_selection(m_model->index(row, 0));
    }

private:
    MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG* m_dialog;
    QStandardItemModel* m_model;
};

TEST_F(MdbImportOptionDlgs, SettingsCategoriesFollowAllAndWriteTheTable) {
    ACF_FILE_CATEGORY_ENUM table[MDB_IMPORT_CATEGORY_TABLE_SIZE];
    for (int i = 0; i < MDB_IMPORT_CATEGORY_TABLE_SIZE; ++i) {
        table[i] = static_cast<ACF_FILE_CATEGORY_ENUM>(i);
    }
    MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG dialog(nullptr);
    dialog.set_file_kind(FIO_EXTENSION_TYPE_TSF);
    dialog.set_category_table(table);
    dialog.set_device_import(true);
    dialog.on_init_dialog();
    CategoryList list(&dialog);
    EXPECT_EQ(dialog.windowTitle(), "Assignment Categories");
    ASSERT_EQ(list.rows(), 21);
    EXPECT_EQ(list.text(0), "All");
    EXPECT_EQ(list.text(1), "Device Assignments");
    EXPECT_EQ(list.text(2), "Pin & Location Assignments");
    EXPECT_EQ(list.text(20), "Netlist Viewer Assignments");
    for (int row = 0; row < 21; ++row) {
        EXPECT_TRUE(list.checked(row)) << row;
    }
    list.click(1); // device off
    EXPECT_FALSE(list.checked(0));
    list.click(1);
    EXPECT_TRUE(list.checked(0));
    list.click(5);
    EXPECT_FALSE(list.checked(0));
    list.click(0); // All on: every row on
    for (int row = 0; row < 21; ++row) {
        EXPECT_TRUE(list.checked(row)) << row;
    }
    list.click(0); // All off: every row off
    for (int row = 0; row < 21; ++row) {
        EXPECT_FALSE(list.checked(row)) << row;
    }
    list.click(3);
    dialog.on_ok();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.get_device_import());
    for (int i = 1; i < MDB_IMPORT_CATEGORY_TABLE_SIZE; ++i) {
        EXPECT_EQ(table[i], i == 2 ? ACF_FILE_CATEGORY_ENUM(2) : ACF_FILE_CATEGORY_NONE) << i;
    }

    // A table with a category left out opens with "All" unchecked.
    MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG again(nullptr);
    again.set_category_table(table);
    again.set_device_import(true);
    again.on_init_dialog();
    CategoryList second(&again);
    EXPECT_FALSE(second.checked(0));
    EXPECT_TRUE(second.checked(1) && second.checked(3) && !second.checked(4));
}

TEST_F(MdbImportOptionDlgs, VarnettSectionsAndTheirOptionWords) {
    struct CASE {
        bool tolm_7000b;
        int rows;
        char const* all_words;
    };
    CASE const cases[] = {
        {false, 14,
         " DEVICE_OPTIONS CHIP_LOCATION TIMING_REQUIREMENTS CLIQUE LOGIC_OPTIONS LOCAL_ROUTING "
         "COMPILER_PROCESSING_CONFIGURATION PROJECT_PARAMETERS PROJECT_SYNTHESIS_OPTIONS EDA_INPUT "
         "EDA_OUTPUT TIMING_ANALYZER SIMULATION"},
        {true, 12,
         " DEVICE_OPTIONS CHIP_LOCATION TIMING_REQUIREMENTS LOGIC_OPTIONS "
         "COMPILER_PROCESSING_CONFIGURATION PROJECT_PARAMETERS PROJECT_SYNTHESIS_OPTIONS EDA_INPUT "
         "EDA_OUTPUT TIMING_ANALYZER SIMULATION"},
    };
    for (CASE const& c : cases) {
        if (c.tolm_7000b) {
            reopen_as_tolm_7000b();
        }
        MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG dialog(nullptr);
        dialog.set_file_kind(FIO_EXTENSION_TYPE_VARNETT2);
        dialog.on_init_dialog();
        CategoryList list(&dialog);
        ASSERT_EQ(list.rows(), c.rows) << c.rows;
        EXPECT_EQ(list.text(0), "All");
        for (int row = 0; row < list.rows(); ++row) {
            EXPECT_TRUE(list.checked(row));
            EXPECT_NE(list.text(row), c.rows == 12 ? "Cliques" : "") << row;
            EXPECT_NE(list.text(row), c.rows == 12 ? "Local routing" : "") << row;
        }
        EXPECT_EQ(dialog.get_selected_acf_category(true), c.all_words) << c.rows;
        dialog.on_ok(); // every row checked: still no " ALL"
        EXPECT_EQ(dialog.get_option_text(), c.all_words) << c.rows;

        // Each row alone yields its own section's word.
        std::map<QString, std::string> const words = {
            {"Device and device options", " DEVICE_OPTIONS"},
            {"Pin/location/chip assignments", " CHIP_LOCATION"},
            {"Cliques", " CLIQUE"},
            {"Timing analysis options", " TIMING_ANALYZER"},
            {"Simulation options", " SIMULATION"}};
        list.click(0);
        for (int row = 1; row < list.rows(); ++row) {
            list.click(row);
            std::string word = dialog.get_selected_acf_category(false);
            EXPECT_EQ(word.rfind(' '), 0u) << word;
            EXPECT_NE((c.all_words + std::string(" ")).find(word + " "), std::string::npos) << word;
            auto known = words.find(list.text(row));
            if (known != words.end()) {
                EXPECT_EQ(word, known->second);
            }
            list.click(row);
        }
        dialog.on_ok();
        EXPECT_EQ(dialog.get_option_text(), "");
    }
}

TEST_F(MdbImportOptionDlgs, AdvancedSettingsByKind) {
    // Which controls a source kind offers and how it starts.
    struct CASE {
        int kind;
        bool elaborated;
        bool region;
        char const* checked;  // radios and boxes checked on opening
        char const* disabled; // controls disabled on opening
    };
    CASE const cases[] = {
        {FIO_EXTENSION_TYPE_CSV, true, false,
         "instance_radio overwrite_no_update_check_box overwrite_update_check_box",
         "entity_radio global_radio types_group_box global_check_box instance_check_box "
         "pin_check_box back_annotated_check_box promote_annotated_check_box limit_label "
         "wildcard_label wildcard_text overwrite_replace_check_box"},
        {FIO_EXTENSION_TYPE_ESF, true, false, "entity_radio overwrite_update_check_box",
         "instance_radio global_radio types_group_box global_check_box instance_check_box "
         "pin_check_box back_annotated_check_box promote_annotated_check_box limit_label "
         "wildcard_label wildcard_text"},
        {FIO_EXTENSION_TYPE_TSF, true, false,
         "instance_radio instance_check_box pin_check_box back_annotated_check_box "
         "promote_annotated_check_box overwrite_no_update_check_box overwrite_update_check_box",
         ""},
        {FIO_EXTENSION_TYPE_TSF, false, false,
         "instance_radio instance_check_box pin_check_box back_annotated_check_box "
         "overwrite_no_update_check_box overwrite_update_check_box",
         "promote_annotated_check_box wildcard_text"},
        {0, true, true,
         "instance_radio instance_check_box pin_check_box back_annotated_check_box "
         "promote_annotated_check_box overwrite_no_update_check_box overwrite_update_check_box",
         "entity_radio global_radio"},
    };
    char const* const all_boxes[] = {"instance_radio",
                                     "entity_radio",
                                     "global_radio",
                                     "global_check_box",
                                     "instance_check_box",
                                     "pin_check_box",
                                     "back_annotated_check_box",
                                     "promote_annotated_check_box",
                                     "overwrite_no_update_check_box",
                                     "overwrite_update_check_box",
                                     "overwrite_replace_check_box"};
    for (CASE const& c : cases) {
        MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG dialog(nullptr);
        dialog.m_file_kind = c.kind;
        dialog.m_elaborated = c.elaborated;
        dialog.m_region_import = c.region;
        dialog.on_init_dialog();
        std::string const checked = std::string(" ") + c.checked + " ";
        for (char const* name : all_boxes) {
            auto* button = dialog.findChild<QAbstractButton*>(name);
            ASSERT_NE(button, nullptr) << name;
            EXPECT_EQ(button->isChecked(),
                      checked.find(std::string(" ") + name + " ") != std::string::npos)
                << c.kind << " " << name;
        }
        std::string const disabled = std::string(" ") + c.disabled + " ";
        for (QWidget* widget : dialog.findChildren<QWidget*>()) {
            std::string name = widget->objectName().toStdString();
            if (!name.empty() && disabled.find(" " + name + " ") != std::string::npos) {
                EXPECT_FALSE(widget->isEnabled()) << c.kind << " " << name;
            }
        }
    }
}

TEST_F(MdbImportOptionDlgs, AdvancedSettingsFollowTheChoices) {
    MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG dialog(nullptr);
    dialog.m_file_kind = FIO_EXTENSION_TYPE_TSF;
    dialog.on_init_dialog();
    auto box = [&dialog](char const* name) { return dialog.findChild<QAbstractButton*>(name); };
    auto widget = [&dialog](char const* name) { return dialog.findChild<QWidget*>(name); };
    auto* ok = dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok);

    box("global_radio")->click();
    EXPECT_FALSE(widget("overwrite_replace_check_box")->isEnabled());
    EXPECT_FALSE(widget("types_group_box")->isEnabled());
    box("instance_radio")->click();
    EXPECT_TRUE(widget("overwrite_replace_check_box")->isEnabled());
    EXPECT_TRUE(widget("pin_check_box")->isEnabled());

    box("instance_check_box")->click();
    for (char const* name :
         {"pin_check_box", "back_annotated_check_box", "promote_annotated_check_box"}) {
        EXPECT_FALSE(widget(name)->isEnabled()) << name;
    }
    box("instance_check_box")->click();
    box("promote_annotated_check_box")->click();
    for (char const* name : {"wildcard_text", "limit_label", "wildcard_label"}) {
        EXPECT_FALSE(widget(name)->isEnabled()) << name;
    }
    box("promote_annotated_check_box")->click();
    EXPECT_TRUE(widget("wildcard_text")->isEnabled());

    box("overwrite_no_update_check_box")->click();
    box("overwrite_update_check_box")->click();
    EXPECT_FALSE(ok->isEnabled());
    box("overwrite_replace_check_box")->click();
    EXPECT_TRUE(ok->isEnabled());

    dialog.findChild<QLineEdit*>("wildcard_text")->setText("u*");
    dialog.on_ok();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    MDB_IMPORT_OPTIONS const& o = dialog.m_options;
    EXPECT_EQ(o.mode, MDB_IMPORT_MODE_INSTANCE);
    EXPECT_TRUE(o.types.instance && o.types.promote);
    EXPECT_TRUE(o.replace_entity && !o.create_new && !o.overwrite);
    EXPECT_EQ(o.types.wildcard, "u*");
}

TEST_F(MdbImportOptionDlgs, ThePartNameDialogNeedsAName) {
    MDB_IMPORT_EXP_ADVANCE_DLG dialog(nullptr);
    dialog.on_init_dialog();
    EXPECT_EQ(dialog.windowTitle(), "Instance Name");
    auto* ok = dialog.findChild<QDialogButtonBox*>("button_box")->button(QDialogButtonBox::Ok);
    auto* name = dialog.findChild<QLineEdit*>("name_text");
    EXPECT_FALSE(ok->isEnabled());
    name->setText("U7");
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.m_name, "U7");
    name->clear();
    EXPECT_FALSE(ok->isEnabled());

    MDB_IMPORT_EXP_ADVANCE_DLG named(nullptr);
    named.m_name = "U1";
    named.on_init_dialog();
    EXPECT_EQ(named.findChild<QLineEdit*>("name_text")->text(), "U1");
    EXPECT_TRUE(named.findChild<QDialogButtonBox*>("button_box")
                    ->button(QDialogButtonBox::Ok)
                    ->isEnabled());
}
} // namespace
