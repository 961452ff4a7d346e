// The collection's views for the settings-file writer: the lines of each
// settings file in file order, and whether a file needs rewriting.
#include "acf_collection_test_storage.h"
#include "records/acf_asgn_storage.h"

#include <gtest/gtest.h>

#include <list>
#include <map>
#include <string>
#include <vector>

namespace {

char const* const REVISION_FILE = "/projects/chip/chip.tsf";
char const* const PINS_FILE = "/projects/chip/pins.tcl";

class ACF_ASGN_VIEWS_TEST : public ACF_COLLECTION_TEST {
protected:
    // A revision file and an included pin file, as a reader fills them: comment
    // lines and assignments in file order, then nothing changed.
    void SetUp() override {
        coll().add_comment_line("# revision settings", nullptr);
        QUERY file = QUERY(ACF_VARIABLE_TYPE_VHDL_FILE).value("top.vhd");
        m_file = set_global(file);
        coll().add_comment_line("# pins", PINS_FILE);
        QUERY pin_a = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("a").value("PIN_A1");
        m_pin_a = set_instance(pin_a);
        m_pin_a->set_acf_file_name(PINS_FILE);
        QUERY pin_b = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("b").value("PIN_B1");
        m_pin_b = set_instance(pin_b);
        m_pin_b->set_acf_file_name(PINS_FILE);
        QUERY standard = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).value("2.5 V");
        m_standard = set_global(standard);
        coll().add_comment_line("", nullptr);
        QUERY from_defaults = QUERY(ACF_VARIABLE_TYPE_IO_STANDARD).to("c").value("1.8 V");
        m_default = coll().set_assignment(from_defaults.get(), true, false, false, false, false);
        coll().clear_changed_status_of_all_assignments();
    }

    // Each line as its comment text or its assignment's target (or value).
    std::vector<std::string> lines_of(char const* file, bool is_revision_file, bool force) {
        ACF_ASGN_COMMENT_VECTOR lines;
        lines.emplace_back(nullptr); // emptied first
        coll().get_comment_assignment_coll_for_writing(&lines, file, is_revision_file, force);
        std::vector<std::string> texts;
        for (ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& line : lines) {
            ACF_ASSIGNMENT const* asgn = line.get_assignment();
            texts.push_back(asgn == nullptr     ? line.get_comment()
                            : asgn->is_global() ? asgn->get_actual_value()
                                                : asgn->get_target());
        }
        return texts;
    }

    ACF_ASSIGNMENT* m_file = nullptr;
    ACF_ASSIGNMENT* m_pin_a = nullptr;
    ACF_ASSIGNMENT* m_pin_b = nullptr;
    ACF_ASSIGNMENT* m_standard = nullptr;
    ACF_ASSIGNMENT* m_default = nullptr;
};

TEST_F(ACF_ASGN_VIEWS_TEST, UnchangedFilesNeedNoRewriteUnlessForced) {
    EXPECT_TRUE(lines_of(REVISION_FILE, true, false).empty());
    EXPECT_TRUE(lines_of(PINS_FILE, false, false).empty());
    EXPECT_EQ(lines_of(REVISION_FILE, true, true),
              (std::vector<std::string>{"# revision settings", "top.vhd", "2.5 V", ""}));
    EXPECT_EQ(lines_of(PINS_FILE, false, true), (std::vector<std::string>{"# pins", "a", "b"}));
}

TEST_F(ACF_ASGN_VIEWS_TEST, RemovalRewritesOnlyTheFileThatHeldTheAssignment) {
    QUERY which = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("a");
    ASSERT_EQ(remove(which, false), ACF_ASSIGNMENT_LIST{m_pin_a});
    EXPECT_EQ(lines_of(PINS_FILE, false, false), (std::vector<std::string>{"# pins", "b"}));
    EXPECT_TRUE(lines_of(REVISION_FILE, true, false).empty());
}

TEST_F(ACF_ASGN_VIEWS_TEST, ChangedDefaultDoesNotCountAsAChange) {
    m_default->set_changed_status(true);
    EXPECT_TRUE(lines_of(REVISION_FILE, true, false).empty());
    m_standard->set_value("3.3 V");
    EXPECT_EQ(lines_of(REVISION_FILE, true, false),
              (std::vector<std::string>{"# revision settings", "top.vhd", "3.3 V", ""}));
}

TEST_F(ACF_ASGN_VIEWS_TEST, CommentWithoutFileBelongsToTheRevisionFileOnly) {
    EXPECT_EQ(lines_of("/projects/chip/other.tsf", false, true), std::vector<std::string>{});
    EXPECT_EQ(lines_of(PINS_FILE, true, true),
              (std::vector<std::string>{"# revision settings", "# pins", "a", "b", ""}));
}

class ACF_ASGN_SECTION_VIEWS_TEST : public ACF_COLLECTION_TEST {
protected:
    // Assignment-group members: two groups in the top entity, one in "sub".
    void SetUp() override {
        struct MEMBER {
            char const* group;
            char const* target;
            char const* entity;
        } const members[] = {{"Fast", "a*", nullptr},
                             {"slow", "b*", nullptr},
                             {"fast", "c*", nullptr},
                             {"mid", "d*", "sub"}};
        for (MEMBER const& m : members) {
            QUERY query = QUERY(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER)
                              .to(m.target)
                              .value(m.target)
                              .section(m.group)
                              .entity(m.entity);
            m_members.push_back(set_instance(query));
        }
        QUERY pin = QUERY(ACF_VARIABLE_TYPE_LOCATION).to("a").value("PIN_A1");
        set_instance(pin);
    }
    std::vector<std::string> identifiers(ACF_CATEGORY_SECTION_TYPE_ENUM section,
                                         ACF_FILE_CATEGORY_ENUM category, char const* entity,
                                         std::map<std::string, int>* seen) {
        std::list<std::string> found{"kept"};
        coll().get_list_of_section_identifiers(section, category, &found, seen, entity);
        return std::vector<std::string>(found.begin(), found.end());
    }

    std::vector<ACF_ASSIGNMENT*> m_members;
};

TEST_F(ACF_ASGN_SECTION_VIEWS_TEST, SectionIdentifiersInUse) {
    std::map<std::string, int> seen;
    EXPECT_EQ(identifiers(ACF_CATEGORY_SECTION_TYPE_ASSIGNMENT_GROUP,
                          ACF_FILE_CATEGORY_ASSIGNMENT_GROUP_ASSIGNMENT, "  ", &seen),
              (std::vector<std::string>{"kept", "Fast", "slow", "fast", "mid"}));
    EXPECT_EQ(identifiers(ACF_CATEGORY_SECTION_TYPE_MAX, ACF_FILE_CATEGORY_NONE, "", &seen),
              std::vector<std::string>{"kept"})
        << "identifiers already seen are not listed again";

    std::map<std::string, int> fresh;
    EXPECT_EQ(identifiers(ACF_CATEGORY_SECTION_TYPE_MAX, ACF_FILE_CATEGORY_NONE, " sub ", &fresh),
              (std::vector<std::string>{"kept", "mid"}));
    EXPECT_EQ(identifiers(ACF_CATEGORY_SECTION_TYPE_CLOCK, ACF_FILE_CATEGORY_NONE, "", &fresh),
              std::vector<std::string>{"kept"});
}

TEST_F(ACF_ASGN_SECTION_VIEWS_TEST, AssignmentsOfOneSection) {
    ACF_ASSIGNMENT_LIST found;
    EXPECT_TRUE(coll().get_assignments_for_file_category_section_id_entity(
        &found, ACF_FILE_CATEGORY_ASSIGNMENT_GROUP_ASSIGNMENT,
        ACF_CATEGORY_SECTION_TYPE_ASSIGNMENT_GROUP, "FAST", nullptr));
    EXPECT_EQ(found, (ACF_ASSIGNMENT_LIST{m_members[0], m_members[2]}));
    EXPECT_TRUE(coll().get_assignments_for_file_category_section_id_entity(
        &found, ACF_FILE_CATEGORY_ASSIGNMENT_GROUP_ASSIGNMENT, ACF_CATEGORY_SECTION_TYPE_MAX, "mid",
        "sub"));
    EXPECT_EQ(found, ACF_ASSIGNMENT_LIST{m_members[3]});
    // Null and "" both select the assignments without section identifier.
    for (char const* none : {static_cast<char const*>(nullptr), ""}) {
        EXPECT_TRUE(coll().get_assignments_for_file_category_section_id_entity(
            &found, ACF_FILE_CATEGORY_LOCATION_PIN_ASSIGNMENT, ACF_CATEGORY_SECTION_TYPE_MAX, none,
            nullptr));
        EXPECT_EQ(found.size(), 1u);
    }
    coll().remove_assignment_or_set_to_default(m_members[3]);
    EXPECT_FALSE(coll().get_assignments_for_file_category_section_id_entity(
        &found, ACF_FILE_CATEGORY_ASSIGNMENT_GROUP_ASSIGNMENT, ACF_CATEGORY_SECTION_TYPE_MAX, "mid",
        "sub"));
}

TEST_F(ACF_ASGN_SECTION_VIEWS_TEST, SectionCheckAndLookupBySection) {
    EXPECT_TRUE(coll().check_if_assignments_exist_for_section(
        ACF_CATEGORY_SECTION_TYPE_ASSIGNMENT_GROUP, ACF_FILE_CATEGORY_NONE, "SLOW"));
    EXPECT_TRUE(coll().check_if_assignments_exist_for_section(ACF_CATEGORY_SECTION_TYPE_MAX,
                                                              ACF_FILE_CATEGORY_NONE, ""));
    EXPECT_FALSE(coll().check_if_assignments_exist_for_section(
        ACF_CATEGORY_SECTION_TYPE_ASSIGNMENT_GROUP, ACF_FILE_CATEGORY_NONE, "none"));
    EXPECT_FALSE(coll().check_if_assignments_exist_for_section(ACF_CATEGORY_SECTION_TYPE_CLOCK,
                                                               ACF_FILE_CATEGORY_NONE, ""));
    coll().remove_assignment_or_set_to_default(m_members[1]);
    EXPECT_FALSE(coll().check_if_assignments_exist_for_section(
        ACF_CATEGORY_SECTION_TYPE_ASSIGNMENT_GROUP, ACF_FILE_CATEGORY_NONE, "slow"));

    QUERY by_section = QUERY(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER).section("FAST");
    ACF_ASSIGNMENT_LIST found;
    coll().get_assignment_coll(by_section.get(), ACF_ASGN_SEARCH_FILTER(), false, false, false,
                               &found);
    EXPECT_EQ(found, (ACF_ASSIGNMENT_LIST{m_members[0], m_members[2]}));
}

} // namespace
