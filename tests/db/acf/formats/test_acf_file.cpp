// Older sectioned settings files read into file and section objects: what the
// grammar keeps, which sections and assignments the rules let in, which of two
// clashing assignments survives, and the report of refused assignments.
#include "acf_assignment.h"
#include "acf_table.h"
#include "acf_test_directory.h"
#include "acf_test_storage.h"
#include "convert/acf_file_user_libraries.h"
#include "formats/acf_file.h"
#include "formats/acf_section.h"
#include "records/acf_assignment_factory.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string fixture(char const* name) {
    return std::string(TESSALY_TEST_DATA_DIR) + "/fixtures/sectioned/" + name;
}

// One record as "[--]source->target:NAME=value#comment" (empty parts left out).
std::string describe(ACF_ASSIGNMENT const* record) {
    std::string text = record->is_ignored() ? "--" : "";
    if (*record->get_source() != '\0') {
        text += std::string(record->get_source()) + "->";
    }
    if (*record->get_target() != '\0') {
        text += std::string(record->get_target()) + ":";
    }
    text += std::string(record->get_variable_string()) + "=" + record->get_actual_value();
    if (*record->get_comments() != '\0') {
        text += std::string("#") + record->get_comments();
    }
    return text;
}

class AcfFileTest : public ::testing::Test {
protected:
    AcfFileTest() { m_storage.project_open = false; }

    // The text written to a file with the extension and read as that kind.
    std::unique_ptr<ACF_FILE> read(std::string const& text, ACF_FILE_TYPE_ENUM kind,
                                   char const* name = "old.csf") {
        std::string const path = m_directory.file(name);
        std::ofstream(path, std::ios::binary) << text;
        return read_path(path, kind);
    }
    std::unique_ptr<ACF_FILE> read_path(std::string const& path, ACF_FILE_TYPE_ENUM kind) {
        return std::unique_ptr<ACF_FILE>(ACF_FILE::get_file(path.c_str(), kind, &m_factory));
    }

    // The sections of the file as "TYPE(identifier)" and their live records.
    static std::vector<std::string> contents(ACF_FILE* file) {
        std::vector<std::string> lines;
        for (ACF_SECTION* section : *file->find(ACF_SECTION_TYPE_NONE, nullptr)) {
            lines.push_back(std::string(acf_get_section_name(section->get_section_type())) + "(" +
                            section->get_identifier() + ")");
            for (ACF_ASSIGNMENT* record : *section->find(ACF_VARIABLE_TYPE_NONE)) {
                lines.push_back("  " + describe(record));
            }
        }
        return lines;
    }
    static std::vector<std::string> illegal(ACF_FILE const* file) {
        std::vector<std::string> lines;
        for (ACF_ASSIGNMENT const* record : file->get_illegal_assignments()) {
            lines.push_back(describe(record));
        }
        return lines;
    }

    ACF_TEST_STORAGE m_storage;
    ACF_ASSIGNMENT_FACTORY m_factory{&m_storage};
    ACF_TEST_DIRECTORY m_directory;
};

using LINES = std::vector<std::string>;

TEST_F(AcfFileTest, GrammarKeepsWhatParses) {
    struct CASE {
        char const* what;
        char const* text;
        bool accepted;
        LINES sections;
    } const cases[] = {
        {"empty file", "", true, {}},
        {"only comments and blanks", " /* a */ // b\n\t\r\n", true, {}},
        {"quoted value", "PARAMETERS { A = \"x y\" ; }", true, {"PARAMETERS()", "  A=x y"}},
        {"unquoted blank drops that assignment only",
         "PARAMETERS { A = x y ; B = 1 ; }",
         true,
         {"PARAMETERS()", "  B=1"}},
        {"minus sign drops that assignment",
         "PARAMETERS { A = -5 ; B = \"-5\" ; }",
         true,
         {"PARAMETERS()", "  B=-5"}},
        {"comma drops that assignment",
         "PARAMETERS { A, B = 1 ; C = 2 ; }",
         true,
         {"PARAMETERS()", "  C=2"}},
        {"the three forms and the disabled one",
         "PARAMETERS { A = 1 ; t : B = 2 ; s -> t : C = 3 ; -- D = 4 ; }",
         true,
         {"PARAMETERS()", "  A=1", "  t:B=2", "  s->t:C=3", "  --D=4"}},
        {"missing end before the brace loses everything", "PARAMETERS { A = 1 }", false, {}},
        {"empty identifier", "DESIGN_PARTITION ( ) { }", false, {}},
        {"two names", "PARAMETERS PARAMETERS { }", false, {}},
        {"unterminated section", "PARAMETERS { A = 1 ;", false, {}},
        {"stray brace after a good section", "PARAMETERS { A = 1 ; } }", false, {}},
        {"identifier", "DESIGN_PARTITION ( top ) { }", true, {"DESIGN_PARTITION(top)"}},
    };
    for (CASE const& c : cases) {
        std::unique_ptr<ACF_FILE> file = read(c.text, ACF_FILE_TYPE_ENTITY_SETTINGS);
        ASSERT_NE(file, nullptr) << c.what;
        EXPECT_EQ(contents(file.get()), c.sections) << c.what;
        EXPECT_EQ(file->read_file(), c.accepted) << c.what;
    }
}

TEST_F(AcfFileTest, MissingFileGivesNoObject) {
    EXPECT_EQ(read_path(m_directory.file("absent.csf"), ACF_FILE_TYPE_COMPILER_SETTINGS), nullptr);
}

TEST_F(AcfFileTest, ClashesKeepFirstGlobalAndLastInstanceSetting) {
    std::unique_ptr<ACF_FILE> file =
        read_path(fixture("clash.csf"), ACF_FILE_TYPE_COMPILER_SETTINGS);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(contents(file.get()),
              (LINES{"COMPILER_SETTINGS()", "  SYNTHESIS_SEED=1", "  t:MULTICYCLE=2",
                     "  --a->b:MULTICYCLE=3#note", "  HDL_MESSAGE_ON=10005"}));
    EXPECT_EQ(illegal(file.get()), (LINES{"SYNTHESIS_SEED=2"}));

    ACF_SECTION* section = file->find_first(ACF_SECTION_TYPE_COMPILER_SETTINGS, nullptr);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(section->find_first(ACF_VARIABLE_TYPE_SYNTHESIS_SEED), nullptr);
    EXPECT_STREQ(section->find_first(ACF_VARIABLE_TYPE_SYNTHESIS_SEED)->get_actual_value(), "1");
    // The variable alone is the key of records without target.
    EXPECT_EQ(section->find_first(ACF_VARIABLE_TYPE_MULTICYCLE), nullptr);
    ACF_ASSIGNMENT* instance = section->internal_find_first(
        nullptr, "|t", ACF_VARIABLE_TYPE_MULTICYCLE, nullptr, nullptr, false);
    ASSERT_NE(instance, nullptr);
    EXPECT_STREQ(instance->get_actual_value(), "2");
}

TEST_F(AcfFileTest, MultipleValuesRefuseOnlyRepeats) {
    std::unique_ptr<ACF_FILE> file = read_path(fixture("files.tessaly"), ACF_FILE_TYPE_PROJECT);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(contents(file.get()),
              (LINES{"FILES()", "  VHDL_FILE=a.vhd", "  VHDL_FILE=b.vhd", "  VHDL_FILE=c.vhd",
                     "COMPILER_ACTION_POINTS()", "  COMPILER_SETTINGS=fast"}));
    // An unknown variable stands in no section of the kind.
    EXPECT_EQ(illegal(file.get()), (LINES{"A=x y", "VHDL_FILE=a.vhd"}));
}

TEST_F(AcfFileTest, FormsAndValuesFollowTheRules) {
    struct CASE {
        char const* assignment;
        bool legal;
    } const cases[] = {
        {"SYNTHESIS_SEED = 3", true},
        {"t : SYNTHESIS_SEED = 3", false}, // takes no target
        {"MULTICYCLE = 3", false},         // needs a target
        {"s -> t : MULTICYCLE = 3", true}, // source and target
        {"CLOCKWARD_MULTICORNER_ANALYSIS = ON", true},
        {"CLOCKWARD_MULTICORNER_ANALYSIS = Off", true},
        {"CLOCKWARD_MULTICORNER_ANALYSIS = yes", false},
        {"SYNTHESIS_SEED = \"\"", false}, // empty value
        {"VHDL_FILE = a.vhd", false},     // not a compiler setting
        {"NO_SUCH_SETTING = 1", false},
    };
    for (CASE const& c : cases) {
        std::unique_ptr<ACF_FILE> file =
            read(std::string("COMPILER_SETTINGS { ") + c.assignment + " ; }",
                 ACF_FILE_TYPE_COMPILER_SETTINGS);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->has_illegal_assignments(), !c.legal) << c.assignment;
    }
}

TEST_F(AcfFileTest, EnumerationValuesMustBeOffered) {
    std::vector<ACF_ENUM_VALUE_ENUM> offered = acf_get_variable_enum_value_types(
        ACF_VARIABLE_TYPE_VERILOG_INPUT_VERSION, true, DEV_FAMILY_GENERIC);
    ASSERT_FALSE(offered.empty());
    std::string const good = acf_enum_type_to_user_string(offered.front());
    std::unique_ptr<ACF_FILE> file =
        read("COMPILER_SETTINGS { VERILOG_INPUT_VERSION = \"" + good +
                 "\" ; HDL_MESSAGE_ON = 1 ; VERILOG_INPUT_VERSION = NOT_A_VERSION ; }",
             ACF_FILE_TYPE_COMPILER_SETTINGS);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(illegal(file.get()), (LINES{"VERILOG_INPUT_VERSION=NOT_A_VERSION"}));
}

TEST_F(AcfFileTest, SectionsJoinByKindIdentifierAndFirstComeFirst) {
    struct CASE {
        char const* what;
        char const* text;
        LINES sections;
    } const cases[] = {
        {"needed identifier missing",
         "CHIP { t : LOCATION = PIN_1 ; } COMPILER_SETTINGS { }",
         {"COMPILER_SETTINGS()"}},
        {"same identifier ignoring case",
         "CHIP ( top ) { } CHIP ( TOP ) { } CHIP ( other ) { }",
         {"CHIP(top)", "CHIP(other)"}},
        {"second section without identifier",
         "COMPILER_SETTINGS { SYNTHESIS_SEED = 1 ; } COMPILER_SETTINGS { FIT_SEED = 2 ; }",
         {"COMPILER_SETTINGS()", "  SYNTHESIS_SEED=1"}},
        {"identifier given where none is taken",
         "COMPILER_SETTINGS ( x ) { }",
         {"COMPILER_SETTINGS(x)"}},
        {"section of another kind", "PARAMETERS { A = 1 ; } FILES { }", {}},
        {"unknown section", "NOT_A_SECTION { SYNTHESIS_SEED = 1 ; }", {}},
    };
    for (CASE const& c : cases) {
        std::unique_ptr<ACF_FILE> file = read(c.text, ACF_FILE_TYPE_COMPILER_SETTINGS);
        ASSERT_NE(file, nullptr) << c.what;
        EXPECT_EQ(contents(file.get()), c.sections) << c.what;
    }
}

TEST_F(AcfFileTest, FindMatchesTypeAndIdentifier) {
    std::unique_ptr<ACF_FILE> file = read("CHIP ( a ) { } COMPILER_SETTINGS { } CHIP ( b ) { }",
                                          ACF_FILE_TYPE_COMPILER_SETTINGS);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->find(ACF_SECTION_TYPE_CHIP, nullptr)->size(), 2u);
    ASSERT_EQ(file->find(ACF_SECTION_TYPE_CHIP, "B")->size(), 1u);
    EXPECT_STREQ(file->find(ACF_SECTION_TYPE_CHIP, "B")->front()->get_identifier(), "b");
    // Sections that take no identifier ignore the one asked for.
    EXPECT_EQ(file->find(ACF_SECTION_TYPE_COMPILER_SETTINGS, "b")->size(), 1u);
    EXPECT_EQ(file->find_first(ACF_SECTION_TYPE_NONE, "b"),
              file->find(ACF_SECTION_TYPE_CHIP, "b")->front());
    EXPECT_EQ(file->find_first(ACF_SECTION_TYPE_COMPILER_SETTINGS, "b"), nullptr);
    EXPECT_TRUE(file->find(ACF_SECTION_TYPE_IOBANK, nullptr)->empty());
}

TEST_F(AcfFileTest, EntityFileNamesItsRecordsAndAllowsAnyParameter) {
    std::unique_ptr<ACF_FILE> file = read_path(fixture("blk.esf"), ACF_FILE_TYPE_ENTITY_SETTINGS);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(contents(file.get()),
              (LINES{"OPTIONS_FOR_INDIVIDUAL_NODES_ONLY()", "  led0:LOCATION=PIN_A3",
                     "PARAMETERS()", "  anything->at:all=whatever", "  WIDTH=-5"}));
    EXPECT_FALSE(file->has_illegal_assignments());
    for (ACF_SECTION* section : *file->find(ACF_SECTION_TYPE_NONE, nullptr)) {
        for (ACF_ASSIGNMENT* record : *section->find(ACF_VARIABLE_TYPE_NONE)) {
            ASSERT_NE(record->get_entity_name(), nullptr);
            EXPECT_STREQ(record->get_entity_name(), "blk");
        }
    }
}

TEST_F(AcfFileTest, RefusedAssignmentsAreReportedAsCommands) {
    std::unique_ptr<ACF_FILE> file =
        read("COMPILER_SETTINGS { SYNTHESIS_SEED = 1 ; SYNTHESIS_SEED = 2 ; "
             "ADV_NETLIST_OPT_TEST = on ; t : MULTICYCLE = 0 ; }",
             ACF_FILE_TYPE_COMPILER_SETTINGS);
    ASSERT_NE(file, nullptr);
    MSG_I report;
    file->add_illegal_assignments_messages(&report);
    ASSERT_EQ(report.get_sub_messages().size(), 1u);
    MSG_BASE const* file_msg = report.get_sub_messages().front();
    EXPECT_EQ(file_msg->get_text(), file->get_file_name());
    std::vector<std::string> lines;
    for (MSG_BASE const* line : file_msg->get_sub_messages()) {
        lines.push_back(line->get_text());
    }
    EXPECT_EQ(lines, (LINES{"set_global_assignment -name SYNTHESIS_SEED 2"}));
}

TEST_F(AcfFileTest, ReportOfOnlyRemovedSettingsIsEmpty) {
    std::unique_ptr<ACF_FILE> file =
        read("COMPILER_SETTINGS { ADV_NETLIST_OPT_TEST = on ; xr_path_include = 1 ; }",
             ACF_FILE_TYPE_COMPILER_SETTINGS);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->has_illegal_assignments());
    MSG_I report;
    file->add_illegal_assignments_messages(&report);
    EXPECT_TRUE(report.get_sub_messages().empty());
    EXPECT_TRUE(ACF_FILE::assignment_is_in_removed_list("Adv_Netlist_Opt_Test"));
    EXPECT_FALSE(ACF_FILE::assignment_is_in_removed_list(""));
    EXPECT_FALSE(ACF_FILE::assignment_is_in_removed_list("SYNTHESIS_SEED"));
}

TEST_F(AcfFileTest, NullArgumentsAreInternalErrors) {
    std::vector<std::string> reports;
    MSG_INTERNAL_ERROR::set_hook([&](char const* condition, char const*, char const*, int) {
        reports.push_back(condition);
    });
    EXPECT_EQ(ACF_FILE::get_file(nullptr, ACF_FILE_TYPE_PROJECT, &m_factory), nullptr);
    EXPECT_EQ(ACF_FILE::get_file("x", ACF_FILE_TYPE_PROJECT, nullptr), nullptr);
    ACF_SECTION orphan(nullptr, ACF_SECTION_TYPE_FILES, nullptr);
    EXPECT_FALSE(orphan.is_legal(nullptr, nullptr, ACF_VARIABLE_TYPE_VHDL_FILE, "", "a"));
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    EXPECT_EQ(reports,
              (LINES{"filename != NULL", "acf_assignment_factory != NULL", "m_file != NULL"}));
}

TEST(AcfFileUserLibraries, EveryPieceIsADirectory) {
    struct CASE {
        char const* value;
        LINES directories;
    } const cases[] = {
        {"", {}},
        {"lib", {"lib/"}},
        {"a;b/", {"a/", "b/"}},
        {"a;;b;", {"a/", "b/"}},
        {";/abs/lib", {"/abs/lib/"}},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(acf_file_user_library_directories(c.value), c.directories) << c.value;
    }
}

} // namespace
