#include "acf_msgs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

namespace {

using MESSAGE = std::unique_ptr<MSG_BASE>;
MESSAGE make(MSG_BASE* message) {
    return MESSAGE(message);
}

// Every factory of the library: its kind, its id, and its text when called with
// the texts "net_a", "rev_b", "file_c" and the integers 7, 8, 9 in placeholder
// order.
struct MESSAGE_CASE {
    char scope;
    unsigned id;
    std::function<MESSAGE()> build;
    char const* text;
};

std::vector<MESSAGE_CASE> const& all_messages() {
    static std::vector<MESSAGE_CASE> const cases = {
        {'W', 125000, [] { return make(MSG_ACF::W::OUTPUT_FILE_IS_READ_ONLY("net_a")); },
         "File net_a is read-only"},
        {'W', 125001, [] { return make(MSG_ACF::W::PROJECT_FILE_DOES_NOT_EXIST("net_a")); },
         "Can't open file net_a"},
        {'W', 125002, [] { return make(MSG_ACF::W::UNABLE_TO_OPEN_OUTPUT_FILE("net_a")); },
         "Can't open file net_a for writing"},
        {'E', 125004, [] { return make(MSG_ACF::E::ILLEGAL_SECTION_NAME_WITH_NAME("net_a")); },
         "Illegal section name \"net_a\" -- ignoring assignments in section"},
        {'W', 125003, [] { return make(MSG_ACF::W::ILLEGAL_SECTION_NAME_WITH_NAME("net_a")); },
         "Illegal section name \"net_a\" -- ignoring assignments in section"},
        {'E', 125006, [] { return make(MSG_ACF::E::ILLEGAL_SECTION_NAME()); },
         "Illegal section name -- ignoring assignments in section"},
        {'W', 125005, [] { return make(MSG_ACF::W::ILLEGAL_SECTION_NAME()); },
         "Illegal section name -- ignoring assignments in section"},
        {'E', 125008, [] { return make(MSG_ACF::E::ILLEGAL_VARIABLE_WITH_NAME("net_a")); },
         "Illegal assignment keyword \"net_a\" -- ignoring assignment"},
        {'W', 125007, [] { return make(MSG_ACF::W::ILLEGAL_VARIABLE_WITH_NAME("net_a")); },
         "Illegal assignment keyword \"net_a\" -- ignoring assignment"},
        {'E', 125010, [] { return make(MSG_ACF::E::ILLEGAL_VARIABLE()); },
         "Illegal assignment keyword -- ignoring assignment"},
        {'W', 125009, [] { return make(MSG_ACF::W::ILLEGAL_VARIABLE()); },
         "Illegal assignment keyword -- ignoring assignment"},
        {'E', 125012, [] { return make(MSG_ACF::E::ILLEGAL_FREEFORM_VARIABLE_WITH_NAME("net_a")); },
         "Illegal freeform assignment value \"net_a\" -- ignoring assignment"},
        {'W', 125011, [] { return make(MSG_ACF::W::ILLEGAL_FREEFORM_VARIABLE_WITH_NAME("net_a")); },
         "Illegal freeform assignment value \"net_a\" -- ignoring assignment"},
        {'E', 125014, [] { return make(MSG_ACF::E::ILLEGAL_FREEFORM_VARIABLE()); },
         "Illegal freeform assignment value -- ignoring assignment"},
        {'W', 125013, [] { return make(MSG_ACF::W::ILLEGAL_FREEFORM_VARIABLE()); },
         "Illegal freeform assignment value -- ignoring assignment"},
        {'E', 125016, [] { return make(MSG_ACF::E::ILLEGAL_ENTITY_NAME_WITH_NAME("net_a")); },
         "Entity name \"net_a\" not required"},
        {'W', 125015, [] { return make(MSG_ACF::W::ILLEGAL_ENTITY_NAME_WITH_NAME("net_a")); },
         "Entity name \"net_a\" not required"},
        {'E', 125018, [] { return make(MSG_ACF::E::ILLEGAL_ENTITY_NAME()); },
         "Entity name missing or not required"},
        {'W', 125017, [] { return make(MSG_ACF::W::ILLEGAL_ENTITY_NAME()); },
         "Entity name missing or not required"},
        {'E', 125020, [] { return make(MSG_ACF::E::ILLEGAL_SECTION_ID_WITH_NAME("net_a")); },
         "Section identifier \"net_a\" not required"},
        {'W', 125019, [] { return make(MSG_ACF::W::ILLEGAL_SECTION_ID_WITH_NAME("net_a")); },
         "Section identifier \"net_a\" not required"},
        {'E', 125022, [] { return make(MSG_ACF::E::ILLEGAL_SECTION_ID()); },
         "Section identifier missing or not required"},
        {'W', 125021, [] { return make(MSG_ACF::W::ILLEGAL_SECTION_ID()); },
         "Section identifier missing or not required"},
        {'E', 125024,
         [] {
             return make(MSG_ACF::E::ILLEGAL_TARGET_NAME_WITH_NAME_AND_VARIABLE("net_a", "rev_b"));
         },
         "Assignment value \"net_a\" specified in -to option for assignment rev_b not required"},
        {'W', 125023,
         [] {
             return make(MSG_ACF::W::ILLEGAL_TARGET_NAME_WITH_NAME_AND_VARIABLE("net_a", "rev_b"));
         },
         "Assignment value \"net_a\" specified in -to option for assignment rev_b not required"},
        {'E', 125026, [] { return make(MSG_ACF::E::ILLEGAL_TARGET_NAME_WITH_NAME("net_a")); },
         "Assignment value \"net_a\" specified in '-to' option not required"},
        {'W', 125025, [] { return make(MSG_ACF::W::ILLEGAL_TARGET_NAME_WITH_NAME("net_a")); },
         "Assignment value \"net_a\" specified in '-to' option not required"},
        {'E', 125028, [] { return make(MSG_ACF::E::ILLEGAL_TARGET_NAME()); },
         "Illegal or missing assignment value in '-to' option"},
        {'W', 125027, [] { return make(MSG_ACF::W::ILLEGAL_TARGET_NAME()); },
         "Illegal or missing assignment value in '-to' option"},
        {'E', 125030,
         [] {
             return make(MSG_ACF::E::ILLEGAL_SOURCE_NAME_WITH_NAME_AND_VARIABLE("net_a", "rev_b"));
         },
         "Assignment value \"net_a\" specified in '-from' option for assignment rev_b not "
         "required"},
        {'W', 125029,
         [] {
             return make(MSG_ACF::W::ILLEGAL_SOURCE_NAME_WITH_NAME_AND_VARIABLE("net_a", "rev_b"));
         },
         "Assignment value \"net_a\" specified in '-from' option for assignment rev_b not "
         "required"},
        {'E', 125032, [] { return make(MSG_ACF::E::ILLEGAL_SOURCE_NAME_WITH_NAME("net_a")); },
         "Assignment value \"net_a\" specified in '-from' option not required"},
        {'W', 125031, [] { return make(MSG_ACF::W::ILLEGAL_SOURCE_NAME_WITH_NAME("net_a")); },
         "Assignment value \"net_a\" specified in '-from' option not required"},
        {'E', 125034, [] { return make(MSG_ACF::E::ILLEGAL_SOURCE_NAME()); },
         "Illegal or missing assignment value in '-from' option"},
        {'W', 125033, [] { return make(MSG_ACF::W::ILLEGAL_SOURCE_NAME()); },
         "Illegal or missing assignment value in '-from' option"},
        {'E', 125036,
         [] { return make(MSG_ACF::E::ILLEGAL_VALUE_WITH_NAME_AND_VARIABLE("net_a", "rev_b")); },
         "Assignment value net_a for assignment rev_b is illegal"},
        {'W', 125035,
         [] { return make(MSG_ACF::W::ILLEGAL_VALUE_WITH_NAME_AND_VARIABLE("net_a", "rev_b")); },
         "Assignment value net_a for assignment rev_b is illegal"},
        {'W', 125037, [] { return make(MSG_ACF::W::ILLEGAL_VALUE_WITH_NAME("net_a")); },
         "Assignment value net_a is illegal"},
        {'E', 125038, [] { return make(MSG_ACF::E::ILLEGAL_VALUE_WITH_NAME("net_a")); },
         "Assignment value \"net_a\" is illegal"},
        {'E', 125040, [] { return make(MSG_ACF::E::ILLEGAL_VALUE()); }, "Illegal assignment value"},
        {'W', 125039, [] { return make(MSG_ACF::W::ILLEGAL_VALUE()); }, "Illegal assignment value"},
        {'E', 125042, [] { return make(MSG_ACF::E::ILLEGAL_VALUE_WITH_LINE_NUMBER(7)); },
         "Illegal assignment value on line 7"},
        {'W', 125041, [] { return make(MSG_ACF::W::ILLEGAL_VALUE_WITH_LINE_NUMBER(7)); },
         "Illegal assignment value on line 7"},
        {'W', 125043, [] { return make(MSG_ACF::W::DUPLICATE_FOUND_WITH_NAME("net_a")); },
         "Assignment value already exists for assignment net_a. Replacing existing assignment "
         "value with new assignment value"},
        {'W', 125044, [] { return make(MSG_ACF::W::DUPLICATE_FOUND()); },
         "Assignment already exists for this assignment. Replacing existing assignment value with "
         "new assignment value"},
        {'E', 125046, [] { return make(MSG_ACF::E::UNKNOWN_ERROR("net_a")); },
         "Error reading Tessaly II Settings File net_a"},
        {'W', 125045, [] { return make(MSG_ACF::W::UNKNOWN_ERROR("net_a")); },
         "Error reading Tessaly II Settings File net_a"},
        {'E', 125048, [] { return make(MSG_ACF::E::UNKNOWN_ERROR_WITH_LINE_NUMBER("net_a", 8)); },
         "Error reading Tessaly II Settings File net_a, line 8"},
        {'W', 125047, [] { return make(MSG_ACF::W::UNKNOWN_ERROR_WITH_LINE_NUMBER("net_a", 8)); },
         "Error reading Tessaly II Settings File net_a, line 8"},
        {'W', 125049,
         [] { return make(MSG_ACF::W::DEBUG_VALUE_CHANGED_TO_DEFAULT("net_a", "rev_b")); },
         "The variable \"net_a\" had a debug value assigned to it; changing its value to the "
         "default value: rev_b"},
        {'W', 125050, [] { return make(MSG_ACF::W::CONVERSION_IGNORING_FILE("net_a")); },
         "Can't convert file net_a -- file contains one or more syntax errors and its assignments "
         "will not be included in the new file format."},
        {'O', 125051, [] { return make(MSG_ACF::O::NO_REVISIONS_EXIST_FOR_PROJECT("net_a")); },
         "Can't open project net_a -- no Tessaly II Settings Files exist for revisions listed in "
         "Tessaly II Project File"},
        {'E', 125052, [] { return make(MSG_ACF::E::NO_REVISIONS_EXIST_FOR_PROJECT("net_a")); },
         "Can't open project net_a -- no Tessaly II Settings Files exist for revisions listed in "
         "Tessaly II Project File"},
        {'O', 125053,
         [] { return make(MSG_ACF::O::REVISION_NOT_INCLUDED_IN_PROJECT("net_a", "rev_b")); },
         "Can't find revision \"net_a\" in project rev_b"},
        {'E', 125054,
         [] { return make(MSG_ACF::E::REVISION_NOT_INCLUDED_IN_PROJECT("net_a", "rev_b")); },
         "Can't find revision \"net_a\" in project rev_b"},
        {'O', 125055, [] { return make(MSG_ACF::O::REVISION_FILE_DOES_NOT_EXIST("net_a")); },
         "Can't open revision \"net_a\" -- can't find Tessaly II Settings File for revision"},
        {'E', 125056, [] { return make(MSG_ACF::E::REVISION_FILE_DOES_NOT_EXIST("net_a")); },
         "Can't open revision \"net_a\" -- can't find Tessaly II Settings File for revision"},
        {'O', 125057, [] { return make(MSG_ACF::O::PROJECT_FILE_DOES_NOT_EXIST("net_a")); },
         "Can't open project -- can't find Tessaly II Project File net_a"},
        {'E', 125058, [] { return make(MSG_ACF::E::PROJECT_FILE_DOES_NOT_EXIST("net_a")); },
         "Can't open project -- can't find Tessaly II Project File net_a"},
        {'I', 125059, [] { return make(MSG_ACF::I::PROJECT_CONVERTED("net_a", "rev_b")); },
         "Converted project net_a to the new Tessaly II software file format. Using newly created "
         "Tessaly II Project File rev_b and Tessaly Settings File in place of all old project "
         "files (with extensions .tessaly, .psf, .csf, .ssf, .esf)."},
        {'I', 125060, [] { return make(MSG_ACF::I::OBSOLETED_ASSIGNMENT_REMOVED("net_a")); },
         "Assignment \"net_a\" is no longer supported -- removing assignment from Tessaly II "
         "Settings File"},
        {'I', 125061, [] { return make(MSG_ACF::I::TOP_LEVEL_ENTITY_CHANGED("net_a")); },
         "Changed top-level design entity name to \"net_a\""},
        {'W', 125062,
         [] { return make(MSG_ACF::W::INSUFFICIENT_COLUMN_HEADERS_IN_CSV_FILE("net_a")); },
         "Can't import assignments from Comma-Separated Value File net_a -- file does not contain "
         "at least 'Assignment Name' and 'Value' columns"},
        {'I', 125063, [] { return make(MSG_ACF::I::ACF_ASSIGNMENT_INFO("net_a")); }, "net_a"},
        {'W', 125064, [] { return make(MSG_ACF::W::ACF_ASSIGNMENT_INFO("net_a")); }, "net_a"},
        {'W', 12364,
         [] {
             return make(
                 MSG_ACF::W::ILLEGAL_ARGUMENT_IN_CONTEXT_ASSIGNMENT_REMOVED("net_a", "rev_b"));
         },
         "Assignment \"net_a\" contains invalid argument \"rev_b\" -- removing assignment from "
         "Tessaly II Settings File"},
        {'I', 125065, [] { return make(MSG_ACF::I::ASSIGNMENTS_ADDED_FROM_CSV_FILE("net_a")); },
         "Assignment import was successful. The following assignments were successfully imported "
         "from Comma-Separated Value File net_a."},
        {'W', 125066, [] { return make(MSG_ACF::W::ERRORS_IN_CSV_FILE("net_a")); },
         "Can't import all assignments from Comma-Separated Value File net_a. The following lines "
         "are missing required columns or contain other errors."},
        {'I', 125067, [] { return make(MSG_ACF::I::LINES_SKIPPED_IN_CSV_FILE("net_a")); },
         "Can't import assignment information from Comma-Separated Value File net_a. The following "
         "lines contain assignment information that was not imported."},
        {'I', 125068,
         [] { return make(MSG_ACF::I::REVISION_DEFAULT_FILE_CREATED("net_a", "rev_b", "file_c")); },
         "Revision \"net_a\" was previously opened in Tessaly II software version rev_b. Created "
         "Tessaly II Default Settings File file_c, which contains the default assignment setting "
         "information from Tessaly II software version rev_b."},
        {'I', 125069, [] { return make(MSG_ACF::I::WHERE_TO_VIEW_DEFAULT_CHANGES("net_a")); },
         "Default assignment values were changed in the current version of the Tessaly II software "
         "-- changes to default assignments values are contained in file net_a"},
        {'W', 125070, [] { return make(MSG_ACF::W::ILLEGAL_ARGUMENT()); },
         "Illegal argument specified for assignment"},
        {'W', 125071, [] { return make(MSG_ACF::W::INT_VALUE_TRUNCATED("net_a", "rev_b")); },
         "Truncated specified assignment value \"net_a\" to \"rev_b\""},
        {'I', 125072, [] { return make(MSG_ACF::I::VALUE_MUST_BE_BOOL("net_a")); },
         "Specified assignment value \"net_a\" must be either On or Off"},
        {'I', 125073, [] { return make(MSG_ACF::I::VALUE_MUST_BE_INT("net_a")); },
         "Specified assignment value net_a must be an integer"},
        {'I', 125074, [] { return make(MSG_ACF::I::VALUE_MUST_BE_INT_WITH_RANGE("net_a", 8, 9)); },
         "Specified assignment value \"net_a\" must be an integer ranging from 8 to 9"},
        {'I', 125075, [] { return make(MSG_ACF::I::VALUE_MUST_BE_DOUBLE("net_a")); },
         "Specified assignment value \"net_a\" must be of type double"},
        {'I', 125076, [] { return make(MSG_ACF::I::VALUE_MUST_BE_ENUM("net_a", "rev_b")); },
         "Specified  assignment value \"net_a\" must include one of the following values: rev_b"},
        {'I', 125077,
         [] { return make(MSG_ACF::I::ILLEGAL_ASSIGNMENTS_IGNORED_DURING_CONVERSION()); },
         "Can't convert assignments -- the following assignments contain errors and were not "
         "imported to the converted project"},
        {'W', 125078, [] { return make(MSG_ACF::W::UNKNOWN_FILE_EXTENSION("net_a")); },
         "Can't import settings -- settings file net_a has unrecognized file extension"},
        {'W', 125079, [] { return make(MSG_ACF::W::FILES_ARE_READ_ONLY()); },
         "The project setting files are read-only and will not be updated with any changes made."},
        {'O', 125081, [] { return make(MSG_ACF::O::ERROR_IN_TSF_NO_OPEN_PROJECT()); },
         "Can't open project -- Tessaly II Settings File contains one or more errors"},
        {'E', 125080, [] { return make(MSG_ACF::E::ERROR_IN_TSF_NO_OPEN_PROJECT()); },
         "Can't open project -- Tessaly II Settings File contains one or more errors"},
        {'O', 125082, [] { return make(MSG_ACF::O::TSF_FILE_CHANGED_DISCARDING_CHANGES()); },
         "Settings file for current revision has changed. The Tessaly II software will reset this "
         "dialog/window with assignment values from the updated settings file and discard any "
         "changes made in the dialog/window"},
        {'I', 125083, [] { return make(MSG_ACF::I::ARGUMENTS_BEING_REMOVED()); },
         "Arguments associated with the following assignment have been removed because the "
         "assignment was changed"},
        {'O', 125084, [] { return make(MSG_ACF::O::ERROR_IN_TSF_OVERWRITING_CHANGES()); },
         "The Tessaly II Settings File changed outside of the Tessaly II software and contains "
         "errors. Rewriting the Tessaly II Settings File with the current state of assignments in "
         "the Tessaly II software."},
        {'E', 125085, [] { return make(MSG_ACF::E::ERROR_IN_TSF_OVERWRITING_CHANGES()); },
         "The Tessaly II Settings File changed outside of the Tessaly II software and contains "
         "errors. Rewriting the Tessaly II Settings File with the current state of assignments in "
         "the Tessaly II software."},
        {'O', 125087,
         [] { return make(MSG_ACF::O::ILLEGAL_CHARACTERS_IN_PROJECT_OR_REVISION_NAME("net_a")); },
         "The project or revision name contains one or more of the following illegal characters "
         "and cannot be opened: net_a"},
        {'E', 125086,
         [] { return make(MSG_ACF::E::ILLEGAL_CHARACTERS_IN_PROJECT_OR_REVISION_NAME("net_a")); },
         "The project or revision name contains one or more of the following illegal characters "
         "and cannot be opened: net_a"},
        {'W', 125088,
         [] {
             return make(MSG_ACF::W::TRUNCATING_TIME_FREQUENCY_VALUE("net_a", "rev_b", "file_c"));
         },
         "The value for assignment net_a is being truncated from rev_b to file_c"},
        {'E', 125090, [] { return make(MSG_ACF::E::INCLUDE_FILE_MISSING("net_a")); },
         "Include file \"net_a\" does not exist"},
        {'W', 125089, [] { return make(MSG_ACF::W::INCLUDE_FILE_MISSING("net_a")); },
         "Include file \"net_a\" does not exist"},
        {'E', 125091, [] { return make(MSG_ACF::E::TCL_ERROR_INFO("net_a")); }, "Tcl error: net_a"},
        {'W', 125092, [] { return make(MSG_ACF::W::MISSING_TCL_FILE("net_a")); },
         "Tcl Script File net_a not found"},
        {'E', 125093, [] { return make(MSG_ACF::E::TCL_INFINITE_RECURSION("net_a")); },
         "Tcl Script File net_a contains infinite recursion"},
        {'E', 125094, [] { return make(MSG_ACF::E::INVALID_FAMILY("net_a")); },
         "Family name \"net_a\" is invalid"},
        {'E', 125095, [] { return make(MSG_ACF::E::PART_NOT_VALID("net_a")); },
         "Part name net_a is invalid"},
        {'W', 125096, [] { return make(MSG_ACF::W::DEV_FAM_CONFLICT("net_a", "rev_b", "file_c")); },
         "Overriding device family setting file_c -- part net_a belongs to device family rev_b"},
        {'W', 125097,
         [] { return make(MSG_ACF::W::NO_TIME_UNITS_SPECIFIED("net_a", "rev_b", "file_c")); },
         "The value for assignment net_a is being converted from rev_b to file_c because no units "
         "were specified"},
        {'E', 125098, [] { return make(MSG_ACF::E::INVALID_FAMILY_OPTION()); },
         "The -family option is illegal"},
        {'E', 125099, [] { return make(MSG_ACF::E::FILE_NAME_TOO_LONG("net_a", "rev_b")); },
         "File name net_a exceeds the maximum number of rev_b characters. Specify a file name with "
         "fewer characters."},
        {'E', 125100, [] { return make(MSG_ACF::E::GLOBAL_ASSIGNMENT_IN_TIP("net_a")); },
         "net_a global assignments are not allowed in .tip files."},
    };
    return cases;
}

// Suppresses every id it is asked about while installed.
class SUPPRESS_ALL : public MSG_SUPPRESSION_LOOKUP {
public:
    SUPPRESS_ALL() { MSG_INDEX::get_default_index()->set_suppression_lookup(this); }
    ~SUPPRESS_ALL() override { MSG_INDEX::get_default_index()->set_suppression_lookup(nullptr); }
    bool is_suppressed(unsigned int id) override {
        asked.insert(id);
        return true;
    }
    std::set<unsigned> asked;
};

TEST(AcfMessages, EveryFactoryBuildsItsKindIdAndFilledText) {
    ASSERT_EQ(all_messages().size(), 102u);
    std::set<unsigned> ids;
    for (MESSAGE_CASE const& c : all_messages()) {
        SCOPED_TRACE(c.id);
        MESSAGE m = c.build();
        ASSERT_NE(m, nullptr);
        EXPECT_FALSE(m->is_null());
        EXPECT_EQ(m->get_severity(), c.scope);
        EXPECT_EQ(m->get_id(), c.id);
        EXPECT_EQ(m->get_text(), c.text);
        EXPECT_TRUE(ids.insert(c.id).second) << "id used twice";
    }
}

TEST(AcfMessages, ErrorInformationAndWarningIdsAreRegisteredWithTheirPostType) {
    unsigned registered = 0;
    for (MESSAGE_CASE const& c : all_messages()) {
        SCOPED_TRACE(c.id);
        MSG_POST_TYPE type = MSG_POST_TYPE_ERROR;
        bool is_registered = MSG_INDEX::get_default_index()->is_registered(c.id, &type);
        if (c.scope == 'O') {
            EXPECT_FALSE(is_registered);
            continue;
        }
        ASSERT_TRUE(is_registered);
        ++registered;
        MSG_POST_TYPE expected = c.scope == 'E'   ? MSG_POST_TYPE_ERROR
                                 : c.scope == 'I' ? MSG_POST_TYPE_INFO
                                                  : MSG_POST_TYPE_WARNING;
        EXPECT_EQ(type, expected);
    }
    EXPECT_EQ(registered, 94u);
    EXPECT_EQ(acf_msg_id_count, 94u);
}

TEST(AcfMessages, SuppressedInformationAndWarningsAreNullMessagesErrorsAreNot) {
    SUPPRESS_ALL suppress;
    for (MESSAGE_CASE const& c : all_messages()) {
        SCOPED_TRACE(c.id);
        MESSAGE m = c.build();
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->get_severity(), c.scope);
        bool suppressible = c.scope == 'I' || c.scope == 'W';
        EXPECT_EQ(m->is_null(), suppressible);
        EXPECT_EQ(m->get_id(), suppressible ? 0u : c.id);
        EXPECT_EQ(m->get_text(), suppressible ? "" : c.text);
        // Errors and plain notices never ask.
        EXPECT_EQ(suppress.asked.count(c.id) == 1, suppressible);
    }
}

TEST(AcfMessages, DebugMessageIsPrintfFormattedAndTaggedAcf) {
    std::unique_ptr<MSG_D> plain(MSG_ACF::DEBUG_MSG("%d assignments in %s", 12, "top.tsf"));
    EXPECT_EQ(plain->get_text(), "12 assignments in top.tsf");
    EXPECT_EQ(plain->get_component(), "ACF");
    EXPECT_EQ(plain->get_level(), MSG_D_LEVEL_2);

    std::unique_ptr<MSG_D> leveled(MSG_ACF::DEBUG_MSG(MSG_D_LEVEL_3, "%s", "deep"));
    EXPECT_EQ(leveled->get_text(), "deep");
    EXPECT_EQ(leveled->get_level(), MSG_D_LEVEL_3);
}

} // namespace
