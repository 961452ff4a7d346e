// The assignment import engine on a copy of a fixture project: what each
// option set takes from another settings file, and imports that must change
// nothing (a bad source line, a read-only settings file).
#include "services/asgnimport/bfu_foreign_formats.h"
#include "services/asgnimport/bfu_import_export.h"

#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "suite/messages/msg.h"

// After the settings headers: Tcl's TCL_ERROR macro would hide their status of that name.
#include "suite/tclglue/atcl.h"

#include "tests/support/test_environment.h"
#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>

namespace {
std::string const FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/import_project";

class AsgnImport : public testing::Test {
protected:
    void SetUp() override {
        msg_log_clear();
        m_old_dir = std::filesystem::current_path();
        m_project = std::filesystem::canonical(m_workspace.copy_fixture(FIXTURE, "imp"));
        std::filesystem::current_path(m_project);
        ASSERT_EQ(ACF_MANAGER::get_acf_manager()->open_project(m_project.c_str(), "imp", "", false,
                                                               false, true, false, false),
                  ACF_REVISION_MANAGER::SUCCESS);
    }
    void TearDown() override {
        ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
        manager->close_project(false);
        manager->free_cached_storage();
        std::filesystem::current_path(m_old_dir);
    }
    std::string file(std::string const& name) const { return m_project + "/" + name; }
    bool has_line(std::string const& line) const {
        return (test_read_file(file("imp.tsf")) + "\n").find(line + "\n") != std::string::npos;
    }
    static bool logged(unsigned id, std::string const& part) {
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            if (entry.id == id && entry.text.find(part) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    TEST_WORKSPACE m_workspace;
    std::string m_project;
    std::filesystem::path m_old_dir;
};

TEST_F(AsgnImport, OptionsChooseWhatComesFromAnotherSettingsFile) {
    struct CASE {
        char const* name;
        bool global, instance, device, pins, create_new, overwrite;
        std::vector<std::string> present, absent;
    } const cases[] = {
        {"instances, new and overwritten",
         false,
         true,
         true,
         true,
         true,
         true,
         {"set_location_assignment PIN_A2 -to clk", "set_location_assignment PIN_B3 -to a|q",
          "set_global_assignment -name TPD_REQUIREMENT \"5 ns\""},
         {"START_TIME", "VORELONIIA30F780C7"}},
        {"instances without pins",
         false,
         true,
         true,
         false,
         true,
         true,
         {"set_location_assignment PIN_A1 -to clk", "IO_STANDARD"},
         {"PIN_B3"}},
        {"globals without the device",
         true,
         false,
         false,
         true,
         true,
         true,
         {"set_global_assignment -name TPD_REQUIREMENT \"7 ns\"", "START_TIME",
          "set_global_assignment -name DEVICE VORELONIIA15F484C6"},
         {"PIN_B3"}},
        {"globals with the device",
         true,
         false,
         true,
         true,
         true,
         true,
         {"set_global_assignment -name DEVICE VORELONIIA30F780C7"},
         {}},
        {"new ones only",
         true,
         true,
         true,
         true,
         true,
         false,
         {"set_location_assignment PIN_A1 -to clk", "START_TIME", "PIN_B3",
          "set_global_assignment -name TPD_REQUIREMENT \"5 ns\""},
         {"PIN_A2"}},
        {"overwrite only",
         true,
         true,
         true,
         true,
         false,
         true,
         {"set_location_assignment PIN_A2 -to clk", "TPD_REQUIREMENT \"7 ns\""},
         {"START_TIME", "PIN_B3"}},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        std::filesystem::remove_all(m_project);
        SetUp();
        BFU_IMPORT_EXPORT importer("imp");
        importer.m_import_global = c.global;
        importer.m_import_instance = c.instance;
        importer.m_import_device = c.device;
        importer.m_import_pins = c.pins;
        importer.m_create_new = c.create_new;
        importer.m_overwrite = c.overwrite;
        importer.m_source_file = file("other.tsf");
        importer.m_has_source_file = true;
        EXPECT_TRUE(importer.import({}));
        std::string text = test_read_file(file("imp.tsf"));
        for (std::string const& part : c.present) {
            EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
        }
        for (std::string const& part : c.absent) {
            EXPECT_EQ(text.find(part), std::string::npos) << part << "\n" << text;
        }
    }
}

TEST_F(AsgnImport, CategoryFilterAndRegionsLimitTheImport) {
    BFU_IMPORT_EXPORT importer("imp");
    importer.m_import_global = true;
    importer.m_import_instance = true;
    importer.set_assignment_type_filter({ACF_FILE_CATEGORY_LOCATION_PIN_ASSIGNMENT});
    importer.m_source_file = "other.tsf"; // relative to the project folder
    importer.m_has_source_file = true;
    EXPECT_TRUE(importer.import({"a"}));
    EXPECT_TRUE(has_line("set_location_assignment PIN_B3 -to a|q"));
    EXPECT_TRUE(has_line("set_location_assignment PIN_A1 -to clk")); // outside region a
    EXPECT_FALSE(has_line("set_global_assignment -name START_TIME \"0 ns\""));
}

TEST_F(AsgnImport, ImportsTheRowsOfACommaSeparatedValueFile) {
    BFU_IMPORT_EXPORT importer("imp");
    importer.m_import_instance = true;
    importer.m_source_file = file("pins.csv");
    importer.m_has_source_file = true;
    EXPECT_TRUE(importer.import({}));
    EXPECT_TRUE(has_line("set_location_assignment PIN_D5 -to clk"));
    EXPECT_TRUE(has_line("set_instance_assignment -name IO_STANDARD \"3.3-V LVTTL\" -to clk"));
}

// A comment travels with its assignment from every source, as the disabled
// state does.
TEST_F(AsgnImport, AnAssignmentKeepsItsCommentFromEveryKindOfSource) {
    struct CASE {
        char const* source;
        char const* text;
    } const cases[] = {
        {"commented.tsf", "set_location_assignment PIN_A2 -to clk -comment \"pin of led five\"\n"},
        {"commented.csv", "To,Location,Comment\nclk,PIN_A2,pin of led five\n"},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.source);
        TearDown();
        std::filesystem::remove_all(m_project);
        SetUp();
        test_write_file(file(c.source), c.text);
        BFU_IMPORT_EXPORT importer("imp");
        importer.m_import_instance = true;
        importer.m_source_file = file(c.source);
        importer.m_has_source_file = true;
        EXPECT_TRUE(importer.import({}));
        EXPECT_TRUE(has_line("set_location_assignment PIN_A2 -to clk -comment \"pin of led five\""))
            << test_read_file(file("imp.tsf"));
    }
}

TEST_F(AsgnImport, FailedImportsLeaveTheSettingsFileByteIdentical) {
    std::string const before = test_read_file(file("imp.tsf"));
    BFU_IMPORT_EXPORT importer("imp");
    importer.m_import_global = true;
    importer.m_import_instance = true;
    importer.m_has_source_file = true;

    importer.m_source_file = file("bad.tsf");
    EXPECT_FALSE(importer.import({}));
    EXPECT_EQ(test_read_file(file("imp.tsf")), before);
    EXPECT_TRUE(logged(331002, "bad.tsf"));
    EXPECT_TRUE(logged(331004, "Line 3 of " + file("bad.tsf")));

    msg_log_clear();
    importer.m_source_file = file("bad.csv");
    EXPECT_FALSE(importer.import({}));
    EXPECT_EQ(test_read_file(file("imp.tsf")), before);
    EXPECT_TRUE(logged(331004, "Line 3 of " + file("bad.csv")));

    msg_log_clear();
    ASSERT_EQ(chmod(file("imp.tsf").c_str(), 0444), 0);
    importer.m_source_file = file("other.tsf");
    EXPECT_FALSE(importer.import({}));
    EXPECT_EQ(test_read_file(file("imp.tsf")), before);
    EXPECT_TRUE(logged(331002, "other.tsf"));
    chmod(file("imp.tsf").c_str(), 0644);

    msg_log_clear();
    importer.m_source_file = file("missing.tsf");
    EXPECT_FALSE(importer.import({}));
    EXPECT_EQ(test_read_file(file("imp.tsf")), before);
}
// A failure partway through the sets, after every assignment passed its
// check (here the family set first makes the last value illegal), imports
// nothing: what was set before it is dropped, neither written by the commit
// that the graphical host makes at the unlock nor by a later one, and the
// revision holds what its file holds.
TEST_F(AsgnImport, AFailurePartwayThroughTheSetsImportsNothing) {
    TEST_ENVIRONMENT commit_at_unlock("acf_commit_in_write_unlock", "on");
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    // What the open itself changes (the version) is written first.
    ASSERT_TRUE(manager->write_lock(true));
    manager->write_unlock(true);
    std::string const before = test_read_file(file("imp.tsf"));
    auto item = [](ACF_VARIABLE_TYPE_ENUM type, char const* name, char const* value) {
        BFU_IMPORT_ITEM made;
        made.type = type;
        made.name = name;
        made.value = value;
        return made;
    };
    BFU_IMPORT_EXPORT importer("imp");
    importer.m_import_global = true;
    importer.m_source_file = file("other.tsf");
    importer.m_has_source_file = true;
    importer.m_reader = [&item](std::string const&, std::vector<BFU_IMPORT_ITEM>* items) {
        *items = {item(ACF_VARIABLE_TYPE_SMART_RECOMPILE, "SMART_RECOMPILE", "off"),
                  item(ACF_VARIABLE_TYPE_DEVICE, "DEVICE", "GLIM6KA15F484C6"),
                  item(ACF_VARIABLE_TYPE_FAMILY, "FAMILY", "Glim6K"),
                  item(ACF_VARIABLE_TYPE_TESTING_ENUM, "TESTING_ENUM", "one")};
        return true;
    };
    EXPECT_FALSE(importer.import({}));
    EXPECT_TRUE(logged(331002, "other.tsf"));
    EXPECT_FALSE(logged(331001, ""));
    EXPECT_EQ(test_read_file(file("imp.tsf")), before);

    ASSERT_TRUE(manager->write_lock(true));
    EXPECT_TRUE(manager->commit_files_to_disk(true, true));
    ACF_MGR_INPUT_PARAMETERS first;
    first.set_variable_type(ACF_VARIABLE_TYPE_SMART_RECOMPILE);
    EXPECT_EQ(manager->get_global_assignment(&first), nullptr);
    manager->write_unlock(true);
    EXPECT_EQ(test_read_file(file("imp.tsf")), before);
}

// A source that cannot be read as a file is refused on every road with an
// error naming it and the reason; nothing is imported, nothing changes, and
// no success is announced.
TEST_F(AsgnImport, UnreadableSourcesAreRefusedByNameOnEveryRoad) {
    test_write_file(file("nul.tsf"),
                    std::string("set_location_assignment PIN_A2 -to clk\n\0\n", 41));
    std::filesystem::create_directory(file("folder.tsf"));
    std::filesystem::create_directory(file("folder.esf"));
    ASSERT_EQ(mkfifo(file("pipe.tsf").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(file("pipe.csv").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(file("pipe.fx").c_str(), 0644), 0);
    struct CASE {
        char const* source;
        char const* reason;
        BFU_IMPORT_EXPORT::READER reader;
    };
    CASE const cases[] = {
        {"nul.tsf", "line 2 holds a NUL byte", nullptr},
        {"folder.tsf", "it is a directory", nullptr},
        {"pipe.tsf", "it is no regular file", nullptr},
        {"pipe.csv", "it is no regular file", nullptr},
        {"folder.esf", "it is a directory", nullptr},
        {"pipe.fx", "it is no regular file", bfu_read_fx_file},
        {"missing.tsf", "No such file or directory", nullptr},
    };
    std::string const before = test_read_file(file("imp.tsf"));
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.source);
        msg_log_clear();
        BFU_IMPORT_EXPORT importer("imp");
        importer.m_import_global = true;
        importer.m_import_instance = true;
        importer.m_source_file = file(c.source);
        importer.m_has_source_file = true;
        importer.m_reader = c.reader;
        EXPECT_FALSE(importer.import({}));
        EXPECT_TRUE(logged(331004, "Can't import " + file(c.source) + ": " + c.reason));
        EXPECT_TRUE(logged(331002, file(c.source)));
        EXPECT_FALSE(logged(331001, ""));
        EXPECT_EQ(test_read_file(file("imp.tsf")), before);
    }
}

// The extension's case chooses the road; the file read is always the file
// named, never a sibling whose name differs only in case.
TEST_F(AsgnImport, AnOlderSettingsFileIsReadAsNamedWhateverTheCaseOfItsExtension) {
    auto esf = [](char const* pin) {
        return std::string("OPTIONS_FOR_INDIVIDUAL_NODES_ONLY\n{\n    led0 : LOCATION = ") + pin +
               ";\n}\n";
    };
    struct CASE {
        char const* source;
        char const* imported;
        char const* not_imported;
    };
    CASE const cases[] = {
        {"K.ESF", "set_location_assignment PIN_B7 -to led0 -entity K", "PIN_C9"},
        {"L.Esf", "set_location_assignment PIN_D4 -to led0 -entity L", "PIN_C9"},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.source);
        TearDown();
        std::filesystem::remove_all(m_project);
        SetUp();
        test_write_file(file("K.ESF"), esf("PIN_B7"));
        test_write_file(file("K.esf"), esf("PIN_C9"));
        test_write_file(file("L.Esf"), esf("PIN_D4"));
        BFU_IMPORT_EXPORT importer("imp");
        importer.m_import_instance = true;
        importer.m_replace_entity = true;
        importer.m_source_file = file(c.source);
        importer.m_has_source_file = true;
        EXPECT_TRUE(importer.import({}));
        EXPECT_TRUE(has_line(c.imported)) << test_read_file(file("imp.tsf"));
        EXPECT_EQ(test_read_file(file("imp.tsf")).find(c.not_imported), std::string::npos);
    }
}

// Every pin of the file replaces the entity's current assignments: those are
// removed once before the first is set, so that no imported pin removes
// another, and the revision's other assignments stay.
TEST_F(AsgnImport, ReplacedEntityAssignmentsGiveWayToEveryImportedOne) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_TRUE(manager->write_lock(true));
    for (char const* pin : {"old_a", "old_b"}) {
        ACF_MGR_INPUT_PARAMETERS params;
        params.set_variable_type(ACF_VARIABLE_TYPE_LOCATION);
        params.set_value_string("PIN_Z9");
        params.set_to(pin);
        params.set_entity_name("K");
        ASSERT_NE(manager->set_instance_assignment(&params), nullptr);
    }
    ASSERT_TRUE(manager->commit_files_to_disk(false, true));
    manager->write_unlock(false);
    test_write_file(file("K.esf"), "OPTIONS_FOR_INDIVIDUAL_NODES_ONLY\n{\n"
                                   "    led0 : LOCATION = PIN_B7;\n"
                                   "    led1 : LOCATION = PIN_B8;\n"
                                   "    old_a : LOCATION = PIN_B9;\n}\n");
    BFU_IMPORT_EXPORT importer("imp");
    importer.m_import_instance = true;
    importer.m_replace_entity = true;
    importer.m_source_file = file("K.esf");
    importer.m_has_source_file = true;
    EXPECT_TRUE(importer.import({}));
    std::string const text = test_read_file(file("imp.tsf"));
    for (char const* line : {"set_location_assignment PIN_B7 -to led0 -entity K",
                             "set_location_assignment PIN_B8 -to led1 -entity K",
                             "set_location_assignment PIN_B9 -to old_a -entity K",
                             "set_location_assignment PIN_A1 -to clk"}) {
        EXPECT_TRUE(has_line(line)) << line << "\n" << text;
    }
    EXPECT_EQ(text.find("old_b"), std::string::npos) << text;
    EXPECT_EQ(text.find("PIN_Z9"), std::string::npos) << text;
}
} // namespace

namespace {
// The four import commands, evaluated as word lists in the shared interpreter.
TEST_F(AsgnImport, ForeignFormatCommandsImportPinsAllOrNothing) {
    Tcl_Interp* interp = atcl_get_interpreter();
    bfu_register_import_commands(interp);
    struct CASE {
        std::vector<std::string> words;
        int code;
        char const* result;
        std::vector<std::string> present;
    } const cases[] = {
        {{"import_assignments_from_fx_file", "board.fx"},
         TCL_OK,
         "",
         {"set_location_assignment PIN_D5 -to clk", "set_location_assignment PIN_E6 -to a|q",
          "set_instance_assignment -name IO_STANDARD \"3.3-V LVTTL\" -to clk"}},
        {{"import_assignments_from_synplicity_sdc_file", "syn.sdc"},
         TCL_OK,
         "",
         {"set_location_assignment PIN_D5 -to clk",
          "set_instance_assignment -name IO_STANDARD \"3.3-V LVTTL\" -to a|q"}},
        {{"import_assignments_from_synplicity_sdc_file", "other.sdc"}, TCL_ERROR, "2", {}},
        {{"import_assignments_from_orcad_exp_file", "board.exp", "U1"},
         TCL_OK,
         "",
         {"set_location_assignment PIN_D5 -to clk", "set_location_assignment PIN_E6 -to a|q"}},
        {{"import_assignments_from_varnett2", "board.vnt", "DEVICE_OPTIONS", "CHIP_LOCATION"},
         TCL_OK,
         "",
         {"set_location_assignment PIN_D5 -to clk", "set_location_assignment PIN_E6 -to a|q"}},
        {{"import_assignments_from_varnett2", "bad.vnt"}, TCL_ERROR, "1", {}},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.words[0] + " " + c.words[1]);
        TearDown();
        std::filesystem::remove_all(m_project);
        SetUp();
        std::string const before = test_read_file(file("imp.tsf"));
        std::vector<std::string> words = c.words;
        words[1] = file(words[1]);
        EXPECT_EQ(atcl_eval_words(interp, words), c.code);
        EXPECT_STREQ(Tcl_GetStringResult(interp), c.result);
        for (std::string const& line : c.present) {
            EXPECT_TRUE(has_line(line)) << line << "\n" << test_read_file(file("imp.tsf"));
        }
        if (c.code != TCL_OK) {
            EXPECT_EQ(test_read_file(file("imp.tsf")), before);
        }
    }
    EXPECT_TRUE(logged(331004, "Line 4 of " + file("bad.vnt")));
    EXPECT_FALSE(has_line("set_location_assignment PIN_F7 -to other"));
}
} // namespace
