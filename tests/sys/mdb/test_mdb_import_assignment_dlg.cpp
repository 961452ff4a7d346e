// The Import Assignments dialog on a copy of the import fixture: how a typed
// name is classified and which controls it offers, the defaults of each kind,
// what each kind of import changes in the settings file, the refusals and
// failures (with the settings file byte-identical), regions and promotion.
#include "sys/mdb/mdb_import_assignment_dlg.h"

#include "services/asgnimport/bfu_foreign_formats.h"
#include "suite/dbmanagerui/dbmui.h"
#include "suite/fileio/fio.h"
#include "sys/mdb/mdb_import_exp_advance_dlg.h"

#include "tests/sys/mdb/mdb_import_test_project.h"

// After the settings headers: Tcl's TCL_ERROR macro would hide their status of that name.
#include "suite/tclglue/atcl.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Message identifiers.
constexpr unsigned FILE_DOESNT_EXIST = 296003;
constexpr unsigned IMPORT_ASSIGNMENT_FILE_DOESNT_EXIST = 296026;
constexpr unsigned IMPORT_CURRENT_ASSIGNMENT_FILE = 296027;
constexpr unsigned CANT_CREATE_OR_OVERWRITE_FILE = 296052;
constexpr unsigned BFU_BAD_LINE = 331004;

class MdbImportAssignmentDlg : public MdbImportProject {
protected:
    void SetUp() override {
        unsetenv("import_exp_file");
        MdbImportProject::SetUp();
        bfu_register_import_commands(atcl_get_interpreter());
    }
    void TearDown() override {
        m_dialog.reset();
        unsetenv("import_exp_file");
        MdbImportProject::TearDown();
    }
    MDB_IMPORT_ASSIGNMENT_DLG* open_dialog(std::vector<std::string> const* regions = nullptr) {
        m_dialog = std::make_unique<MDB_IMPORT_ASSIGNMENT_DLG>(nullptr);
        if (regions != nullptr) {
            m_dialog->set_region_name(*regions);
        }
        m_dialog->on_init_dialog();
        return m_dialog.get();
    }
    QLineEdit* name_box() const { return m_dialog->findChild<QLineEdit*>("filename_text"); }
    void type(std::string const& name) const {
        name_box()->setText(QString::fromLocal8Bit(name.c_str()));
    }
    bool enabled(char const* button) const {
        return m_dialog->findChild<QPushButton*>(button)->isEnabled();
    }
    bool ok_enabled() const {
        return m_dialog->findChild<QDialogButtonBox*>("buttonBox")
            ->button(QDialogButtonBox::Ok)
            ->isEnabled();
    }
    // Types the name and presses OK; true when the dialog closed accepted.
    bool import(std::string const& name) {
        open_dialog();
        type(name);
        m_dialog->on_ok();
        return m_dialog->result() == QDialog::Accepted;
    }
    bool has_line(std::string const& line) const {
        return ("\n" + settings() + "\n").find("\n" + line + "\n") != std::string::npos;
    }
    static bool logged_with(unsigned id, std::string const& part) {
        for (MSG_LOG_ENTRY const& entry : logged(id)) {
            if (entry.text.find(part) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    // Replaces an import command by one that records its words in ::words.
    static void record_command(char const* name) {
        std::string script = std::string("proc ") + name + " {args} {set ::words $args; return}";
        ASSERT_EQ(Tcl_EvalEx(atcl_get_interpreter(), script.c_str(), -1, TCL_EVAL_GLOBAL), TCL_OK);
    }
    static std::vector<std::string> recorded_words() {
        Tcl_Interp* interp = atcl_get_interpreter();
        Tcl_Obj* list = Tcl_GetVar2Ex(interp, "words", nullptr, TCL_GLOBAL_ONLY);
        std::vector<std::string> words;
        int count = 0;
        Tcl_Obj** elements = nullptr;
        if (list != nullptr && Tcl_ListObjGetElements(interp, list, &count, &elements) == TCL_OK) {
            for (int i = 0; i < count; ++i) {
                words.emplace_back(Tcl_GetString(elements[i]));
            }
        }
        Tcl_UnsetVar(interp, "words", TCL_GLOBAL_ONLY);
        return words;
    }

    std::unique_ptr<MDB_IMPORT_ASSIGNMENT_DLG> m_dialog;
};

TEST_F(MdbImportAssignmentDlg, OpensWithTheRevisionsBackupAndNothingToImport) {
    open_dialog();
    EXPECT_EQ(m_dialog->windowTitle(), "Import Assignments");
    auto* copy = m_dialog->findChild<QCheckBox*>("copy_check_box");
    EXPECT_EQ(copy->text(), "Copy existing assignments into imp.tsf.bak before importing");
    EXPECT_TRUE(copy->isChecked());
    EXPECT_EQ(m_dialog->backup_path(), file("imp.tsf.bak"));
    EXPECT_TRUE(m_dialog->is_elaborated()); // the fixture has a hierarchy
    EXPECT_TRUE(name_box()->isEnabled());
    EXPECT_FALSE(enabled("categories_button") || enabled("advanced_button") || ok_enabled());
    EXPECT_EQ(DBMUI_MANAGER::get_dbmui_manager(0)->get_lent_count(), 0);
}

// Kinds by extension and case, the EXP switch, and the controls each offers.
TEST_F(MdbImportAssignmentDlg, ClassifiesTheFileNameAndEnablesItsControls) {
    struct CASE {
        char const* name;
        bool exp_on;
        int kind;
        bool fx, sdc, exp;
        bool categories, advanced, ok;
    };
    CASE const cases[] = {
        {"other.tsf", false, FIO_EXTENSION_TYPE_TSF, false, false, false, true, true, true},
        {"OTHER.TSF", false, FIO_EXTENSION_TYPE_TSF, false, false, false, true, true, true},
        {"blk.esf", false, FIO_EXTENSION_TYPE_ESF, false, false, false, false, true, true},
        {"pins.csv", false, FIO_EXTENSION_TYPE_CSV, false, false, false, false, true, true},
        {"pins.tcsv", false, FIO_EXTENSION_TYPE_TCSV, false, false, false, false, true, true},
        {"board.vnt", false, FIO_EXTENSION_TYPE_VARNETT2, false, false, false, true, false, true},
        {"board.FX", false, 0, true, false, false, false, false, true},
        {"syn.Sdc", false, 0, false, true, false, false, false, true},
        {"board.exp", false, 0, false, false, false, false, false, false},
        {"board.EXP", true, 0, false, false, true, false, true, true},
        {"top.v", false, 0, false, false, false, false, false, false},
        {"imp.tpf", false, 0, false, false, false, false, false, false},
        {"noextension", false, 0, false, false, false, false, false, false},
    };
    open_dialog();
    for (CASE const& c : cases) {
        if (c.exp_on) {
            setenv("import_exp_file", "ON", 1);
        } else {
            unsetenv("import_exp_file");
        }
        type(c.name);
        MDB_IMPORT_SOURCE const& source = m_dialog->source();
        EXPECT_EQ(source.kind, c.kind) << c.name;
        EXPECT_EQ(source.fx, c.fx) << c.name;
        EXPECT_EQ(source.sdc, c.sdc) << c.name;
        EXPECT_EQ(source.exp, c.exp) << c.name;
        EXPECT_EQ(enabled("categories_button"), c.categories) << c.name;
        EXPECT_EQ(enabled("advanced_button"), c.advanced) << c.name;
        EXPECT_EQ(ok_enabled(), c.ok) << c.name;
        type("");
    }
}

TEST_F(MdbImportAssignmentDlg, EachKindStartsFromItsDefaults) {
    struct CASE {
        char const* name;
        bool elaborated;
        int mode;
        bool create_new, overwrite, replace_entity;
        bool global, instance, pins, back_annotated, promote;
    };
    CASE const cases[] = {
        {"other.tsf", true, 0, true, true, false, false, true, true, true, true},
        {"other.tsf", false, 0, true, true, false, false, true, true, true, false},
        {"blk.esf", true, 1, false, false, true, false, false, false, false, false},
        {"pins.csv", true, 0, true, true, false, false, false, false, false, false},
    };
    for (CASE const& c : cases) {
        if (!c.elaborated) {
            std::filesystem::remove(file("db/imp.hier"));
        }
        open_dialog();
        type(c.name);
        MDB_IMPORT_OPTIONS const& o = m_dialog->options();
        EXPECT_EQ(o.mode, c.mode) << c.name;
        EXPECT_EQ(o.create_new, c.create_new) << c.name;
        EXPECT_EQ(o.overwrite, c.overwrite) << c.name;
        EXPECT_EQ(o.replace_entity, c.replace_entity) << c.name;
        EXPECT_FALSE(o.brackfield_update) << c.name;
        EXPECT_EQ(o.types.global, c.global) << c.name;
        EXPECT_EQ(o.types.instance, c.instance) << c.name;
        EXPECT_EQ(o.types.pins, c.pins) << c.name;
        EXPECT_EQ(o.types.back_annotated, c.back_annotated) << c.name;
        EXPECT_EQ(o.types.promote, c.promote) << c.name;
        EXPECT_TRUE(o.types.wildcard.empty()) << c.name;
    }
}

TEST_F(MdbImportAssignmentDlg, AnotherKindForgetsTheAdvancedChoicesTheSameKindKeepsThem) {
    open_dialog();
    type("other.tsf");
    when_shown([](QDialog* advanced) {
        child<QRadioButton>(advanced, "global_radio")->click();
        press(advanced, QDialogButtonBox::Ok);
    });
    m_dialog->on_click_advance_button();
    EXPECT_EQ(m_dialog->options().mode, MDB_IMPORT_MODE_GLOBAL);
    type("fifo.tsf"); // same kind
    EXPECT_EQ(m_dialog->options().mode, MDB_IMPORT_MODE_GLOBAL);
    type("pins.csv");
    type("other.tsf");
    EXPECT_EQ(m_dialog->options().mode, MDB_IMPORT_MODE_INSTANCE);
}

// What each kind of source changes in the settings file.
TEST_F(MdbImportAssignmentDlg, EachKindOfImportChangesTheSettingsFile) {
    struct CASE {
        char const* source;
        char const* added;
        char const* removed;
    };
    CASE const cases[] = {
        {"other.tsf", "set_location_assignment PIN_A2 -to clk",
         "set_location_assignment PIN_A1 -to clk"},
        {"pins.csv", "set_location_assignment PIN_D5 -to clk",
         "set_location_assignment PIN_A1 -to clk"},
        {"board.vnt", "set_location_assignment PIN_E6 -to a|q", nullptr},
        {"board.fx", "set_location_assignment PIN_D5 -to clk", nullptr},
        {"syn.sdc", "set_location_assignment PIN_D5 -to clk", nullptr},
    };
    std::string const original = settings();
    for (CASE const& c : cases) {
        reopen_with(settings(), original);
        msg_log_clear();
        EXPECT_TRUE(import(c.source)) << c.source;
        EXPECT_TRUE(has_line(c.added)) << c.source << "\n" << settings();
        if (c.removed != nullptr) {
            EXPECT_FALSE(has_line(c.removed)) << c.source;
        }
        EXPECT_EQ(test_read_file(file("imp.tsf.bak")), original) << c.source;
    }
}

TEST_F(MdbImportAssignmentDlg, AnOlderEntitySettingsFileImportsAsEntityAssignments) {
    EXPECT_TRUE(import("blk.esf"));
    EXPECT_TRUE(has_line("set_location_assignment PIN_A3 -to led0 -entity blk")) << settings();
}

TEST_F(MdbImportAssignmentDlg, AnExpImportAsksForThePartReference) {
    setenv("import_exp_file", "ON", 1);
    open_dialog();
    type("board.exp");
    when_shown([](QDialog* part) {
        EXPECT_EQ(part->windowTitle(), "Instance Name");
        auto* ok = part->findChild<QDialogButtonBox*>("button_box")->button(QDialogButtonBox::Ok);
        EXPECT_FALSE(ok->isEnabled());
        child<QLineEdit>(part, "name_text")->setText("U1");
        EXPECT_TRUE(ok->isEnabled());
        ok->click();
    });
    m_dialog->on_ok();
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(logged(296034).size(), 1u);
    EXPECT_TRUE(has_line("set_location_assignment PIN_D5 -to clk")) << settings();
    EXPECT_FALSE(has_line("set_location_assignment PIN_F7 -to other"));
}

// The failure table: each row's message and what stays.
TEST_F(MdbImportAssignmentDlg, RefusedNamesLeaveTheDialogOpenAndNothingCopied) {
    struct CASE {
        std::string name;
        unsigned message;
    };
    CASE const cases[] = {
        {"missing.tsf", IMPORT_ASSIGNMENT_FILE_DOESNT_EXIST},
        {file("imp.tsf"), IMPORT_CURRENT_ASSIGNMENT_FILE},
        {"imp.tsf", IMPORT_CURRENT_ASSIGNMENT_FILE},   // no directory: the project's own
        {"./imp.tsf", IMPORT_CURRENT_ASSIGNMENT_FILE}, // relative, from the project folder
        {file("db/../imp.tsf"), IMPORT_CURRENT_ASSIGNMENT_FILE},
        {file("hard_link.tsf"), IMPORT_CURRENT_ASSIGNMENT_FILE}, // the same file, another name
    };
    ASSERT_EQ(link(file("imp.tsf").c_str(), file("hard_link.tsf").c_str()), 0);
    SNAPSHOT const before = snapshot();
    for (CASE const& c : cases) {
        msg_log_clear();
        EXPECT_FALSE(import(c.name)) << c.name;
        EXPECT_TRUE(logged_with(c.message, c.name)) << c.name;
        EXPECT_EQ(name_box()->selectedText(), name_box()->text()) << c.name;
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(MdbImportAssignmentDlg, ANameWithoutDirectoryIsTheProjectsFileWhereverTheHostRuns) {
    std::filesystem::create_directories(m_project + "/elsewhere");
    std::filesystem::current_path(m_project + "/elsewhere");
    msg_log_clear();
    EXPECT_FALSE(import("imp.tsf"));
    EXPECT_EQ(logged(IMPORT_CURRENT_ASSIGNMENT_FILE).size(), 1u);
    EXPECT_TRUE(import("other.tsf"));
    EXPECT_TRUE(has_line("set_location_assignment PIN_A2 -to clk")) << settings();
}

TEST_F(MdbImportAssignmentDlg, ABackupThatCannotBeWrittenStopsTheImport) {
    std::filesystem::create_directory(file("imp.tsf.bak")); // no file can take its place
    std::string const before = settings();
    EXPECT_FALSE(import("other.tsf"));
    EXPECT_TRUE(logged_with(CANT_CREATE_OR_OVERWRITE_FILE, file("imp.tsf.bak")));
    EXPECT_EQ(settings(), before);

    // Without the backup the import goes ahead.
    m_dialog->findChild<QCheckBox*>("copy_check_box")->click();
    m_dialog->on_ok();
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(has_line("set_location_assignment PIN_A2 -to clk"));
}

TEST_F(MdbImportAssignmentDlg, ARevisionNotYetWrittenHasNothingToBackUp) {
    std::filesystem::remove(file("imp.tsf"));
    EXPECT_TRUE(import("other.tsf"));
    EXPECT_TRUE(logged(CANT_CREATE_OR_OVERWRITE_FILE).empty());
    EXPECT_FALSE(std::filesystem::exists(file("imp.tsf.bak")));
    EXPECT_TRUE(has_line("set_location_assignment PIN_A2 -to clk"));
}

TEST_F(MdbImportAssignmentDlg, FailedImportsLeaveTheSettingsFileByteIdentical) {
    std::string const before = settings();
    EXPECT_TRUE(import("bad.tsf")); // the engine reports; the dialog closes
    EXPECT_EQ(settings(), before);
    EXPECT_TRUE(logged_with(BFU_BAD_LINE, "Line 3 of " + file("bad.tsf")));

    msg_log_clear();
    ASSERT_EQ(chmod(file("imp.tsf").c_str(), 0444), 0);
    EXPECT_TRUE(import("other.tsf"));
    EXPECT_EQ(settings(), before);
    EXPECT_FALSE(logged(331002).empty()); // nothing imported
    chmod(file("imp.tsf").c_str(), 0644);
}

// The Tcl imports: each outcome's message; the dialog closes either way.
TEST_F(MdbImportAssignmentDlg, TclImportsReportTheirOutcome) {
    setenv("import_exp_file", "ON", 1);
    struct CASE {
        char const* source;
        unsigned message;
    };
    CASE const cases[] = {
        {"bad.vnt", 296037},   {"board.vnt", 296036}, {"bad.fx", 296033},  {"board.fx", 296032},
        {"other.sdc", 296030}, {"bad.sdc", 296031},   {"syn.sdc", 296029},
    };
    for (CASE const& c : cases) {
        std::string const before = settings();
        msg_log_clear();
        EXPECT_TRUE(import(c.source)) << c.source;
        EXPECT_TRUE(logged_with(c.message, file(c.source))) << c.source;
        if (c.message == 296037 || c.message == 296033 || c.message == 296030 ||
            c.message == 296031) {
            EXPECT_EQ(settings(), before) << c.source;
        }
    }
    msg_log_clear();
    when_shown([](QDialog* part) {
        child<QLineEdit>(part, "name_text")->setText("U1");
        child<QDialogButtonBox>(part, "button_box")->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(import("bad.exp"));
    EXPECT_EQ(logged(296035).size(), 1u);
}

// Names reach the commands as single words, whatever they hold and however long.
TEST_F(MdbImportAssignmentDlg, TclCommandsGetTheFileAsOneWord) {
    std::string dir = m_project;
    while (dir.size() < 600) {
        dir += "/a folder with {braces} [brackets] $dollar";
    }
    std::filesystem::create_directories(dir);
    for (char const* name : {"/x}.fx", "/pins;set x 1.vnt"}) {
        std::string path = dir + name;
        std::filesystem::copy_file(file("board.fx"), path);
        record_command("import_assignments_from_fx_file");
        record_command("import_assignments_from_varnett2");
        EXPECT_TRUE(import(path)) << path;
        std::vector<std::string> words = recorded_words();
        ASSERT_FALSE(words.empty()) << path;
        EXPECT_EQ(words.front(), path);
    }
}

TEST_F(MdbImportAssignmentDlg, AVarnettImportWithoutSectionsTakesEveryOfferedSection) {
    record_command("import_assignments_from_varnett2");
    EXPECT_TRUE(import("board.vnt"));
    std::vector<std::string> words = recorded_words();
    ASSERT_EQ(words.size(), 14u);
    EXPECT_EQ(words[1], "DEVICE_OPTIONS");
    EXPECT_EQ(words[2], "CHIP_LOCATION");

    reopen_as_tolm_7000b();
    EXPECT_TRUE(import("board.vnt"));
    words = recorded_words();
    EXPECT_EQ(words.size(), 12u);
    for (std::string const& word : words) {
        EXPECT_NE(word, "CLIQUE");
        EXPECT_NE(word, "LOCAL_ROUTING");
    }
}

TEST_F(MdbImportAssignmentDlg, BrowsingTakesAnExistingFileOnly) {
    open_dialog();
    afcq_queue_file_answer(QString::fromStdString(file("missing.tsf")));
    m_dialog->on_browse();
    EXPECT_TRUE(logged_with(FILE_DOESNT_EXIST, file("missing.tsf")));
    EXPECT_TRUE(name_box()->text().isEmpty());
    afcq_queue_file_answer(QString::fromStdString(file("other.tsf")));
    m_dialog->on_browse();
    EXPECT_EQ(name_box()->text().toStdString(), file("other.tsf"));
    EXPECT_EQ(m_dialog->source().kind, FIO_EXTENSION_TYPE_TSF);
}

TEST_F(MdbImportAssignmentDlg, CategoriesLimitASettingsImport) {
    open_dialog();
    type("other.tsf");
    when_shown([](QDialog* categories) {
        auto* list = child<QListView>(categories, "category_listview");
        auto* model = static_cast<QStandardItemModel*>(list->model());
        model->item(0)->setCheckState(Qt::Unchecked); // All off
        emit list->clicked(model->index(0, 0));
        model->item(2)->setCheckState(Qt::Checked); // pins only
        emit list->clicked(model->index(2, 0));
        press(categories, QDialogButtonBox::Ok);
    });
    m_dialog->on_click_category_button();
    EXPECT_FALSE(m_dialog->get_device_import());
    EXPECT_EQ(m_dialog->category_table()[ACF_FILE_CATEGORY_LOCATION_PIN_ASSIGNMENT],
              ACF_FILE_CATEGORY_LOCATION_PIN_ASSIGNMENT);
    EXPECT_EQ(m_dialog->category_table()[2], ACF_FILE_CATEGORY_NONE);
    m_dialog->on_ok();
    EXPECT_TRUE(has_line("set_location_assignment PIN_A2 -to clk"));
    EXPECT_FALSE(has_line("set_instance_assignment -name IO_STANDARD \"3.3-V LVTTL\" -to clk"))
        << settings();
}

// Promotion places an entity's instance assignments under its instances.
TEST_F(MdbImportAssignmentDlg, PromotionPlacesTheEntitysAssignmentsUnderItsInstances) {
    EXPECT_TRUE(import("fifo.tsf"));
    for (char const* instance : {"u1", "u2", "core|u3"}) {
        EXPECT_TRUE(
            has_line(std::string("set_instance_assignment -name AUTO_ROM_RECOGNITION OFF -to ") +
                     instance + "|rom"))
            << instance << "\n"
            << settings();
    }
    EXPECT_FALSE(has_line("set_instance_assignment -name AUTO_ROM_RECOGNITION OFF -to rom"));
}

TEST_F(MdbImportAssignmentDlg, TheWildcardLimitsPromotion) {
    open_dialog();
    type("fifo.tsf");
    when_shown([](QDialog* advanced) {
        child<QLineEdit>(advanced, "wildcard_text")->setText("core|*");
        press(advanced, QDialogButtonBox::Ok);
    });
    m_dialog->on_click_advance_button();
    EXPECT_EQ(m_dialog->options().types.wildcard, "core|*");
    m_dialog->on_ok();
    EXPECT_TRUE(has_line("set_instance_assignment -name AUTO_ROM_RECOGNITION OFF -to core|u3|rom"))
        << settings();
    EXPECT_FALSE(has_line("set_instance_assignment -name AUTO_ROM_RECOGNITION OFF -to u1|rom"));
}

TEST_F(MdbImportAssignmentDlg, WithoutAHierarchyNothingIsPromoted) {
    std::filesystem::remove(file("db/imp.hier"));
    EXPECT_TRUE(import("fifo.tsf"));
    EXPECT_TRUE(has_line("set_instance_assignment -name AUTO_ROM_RECOGNITION OFF -to rom"))
        << settings();
}

TEST_F(MdbImportAssignmentDlg, RegionsReplaceTheFileOfAnElaboratedProject) {
    std::vector<std::string> regions = {"a"};
    open_dialog(&regions);
    EXPECT_FALSE(m_dialog->is_file_mode());
    EXPECT_FALSE(name_box()->isEnabled());
    EXPECT_TRUE(enabled("categories_button") && enabled("advanced_button") && ok_enabled());
    EXPECT_TRUE(m_dialog->options().types.promote);
    // Nothing can be imported from regions alone; the message names them.
    for (auto const& [names, says] :
         {std::pair<std::vector<std::string>, char const*>{{"a"}, "region a"},
          {{"a", "u1|b"}, "regions a, u1|b"}}) {
        open_dialog(&names);
        msg_log_clear();
        m_dialog->on_ok();
        std::vector<MSG_LOG_ENTRY> nothing = logged(331002);
        ASSERT_EQ(nothing.size(), 1u);
        EXPECT_EQ(nothing[0].text, std::string("No assignments imported from ") + says);
    }

    std::filesystem::remove(file("db/imp.hier"));
    open_dialog(&regions);
    EXPECT_TRUE(m_dialog->is_file_mode());
    EXPECT_TRUE(name_box()->isEnabled());
}

TEST_F(MdbImportAssignmentDlg, TheRegionEntryPointWithoutRegionsIsTheOrdinaryDialog) {
    std::vector<std::string> none;
    bool file_mode = false;
    when_shown([&file_mode](QDialog* dialog) {
        file_mode = child<QLineEdit>(dialog, "filename_text")->isEnabled();
        press(dialog, QDialogButtonBox::Cancel);
    });
    mdb_dyn_import_assignment_dlg_for_bf(nullptr, none);
    EXPECT_TRUE(file_mode);
    EXPECT_FALSE(std::filesystem::exists(file("imp.tsf.bak")));
}
} // namespace
