// The assignment record: normalisation on construction, values and their case,
// defaults of ignored records, arguments, legality codes, copies and the query
// record it fills.
#include "acf_assignment.h"
#include "acf_collection_test_storage.h"
#include "acf_mgr_input_parameters.h"
#include "acf_table.h"
#include "records/acf_assignment_factory.h"
#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using RECORD = std::unique_ptr<ACF_ASSIGNMENT>;

class ACF_ASSIGNMENT_TEST : public ::testing::Test {
protected:
    RECORD make(ACF_VARIABLE_TYPE_ENUM type, char const* from, char const* to, char const* value,
                char const* comment = nullptr, bool ignored = false,
                char const* freeform_name = nullptr) {
        return RECORD(
            factory.create_assignment(type, freeform_name, from, to, value, comment, ignored));
    }

    ACF_TEST_STORAGE storage;
    ACF_ASSIGNMENT_FACTORY factory{&storage};
};

TEST_F(ACF_ASSIGNMENT_TEST, SourceAndTargetLoseOneLeadingSeparator) {
    struct CASE {
        char const* from;
        char const* to;
        char const* source;
        char const* target;
        bool global;
    } const cases[] = {
        {"|top|a", nullptr, "top|a", "", false},
        {"|", nullptr, "|", "", false},
        {nullptr, "|x|y", "", "x|y", false},
        {"a", "||b", "a", "|b", false},
        {"", "", "", "", true},
        {nullptr, nullptr, "", "", true},
    };
    for (CASE const& c : cases) {
        RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, c.from, c.to, "3.3-V LVTTL");
        EXPECT_STREQ(asgn->get_source(), c.source) << (c.from ? c.from : "null");
        EXPECT_STREQ(asgn->get_target(), c.target) << (c.to ? c.to : "null");
        EXPECT_EQ(asgn->is_global(), c.global);
    }
}

TEST_F(ACF_ASSIGNMENT_TEST, CommentIsNormalisedAndRecordStartsUnchanged) {
    struct CASE {
        char const* comment;
        char const* stored;
    } const cases[] = {
        {";% text ", "text"}, {";  %  two", " two"},  {";", ""},
        {"   \t ", ""},       {"plain\r\n", "plain"}, {"%", ""},
        {"% 50%", "50%"},     {nullptr, ""},
    };
    for (CASE const& c : cases) {
        RECORD asgn = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, "top.vhd", c.comment);
        EXPECT_STREQ(asgn->get_comments(), c.stored) << (c.comment ? c.comment : "null");
        EXPECT_FALSE(asgn->has_changed());
    }
}

// A setter handed what a getter of the same record gave keeps that text: the
// old text must not be freed before it is read.
TEST_F(ACF_ASSIGNMENT_TEST, SettersTakeTheRecordsOwnTexts) {
    char const* const comment = "the pin drives the status light of the board";
    RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, "led0", "1.8 V", comment);
    asgn->set_comment(asgn->get_comments());
    EXPECT_STREQ(asgn->get_comments(), comment);
    asgn->set_value(asgn->get_actual_value());
    EXPECT_STREQ(asgn->get_actual_value(), "1.8 V");
}

TEST_F(ACF_ASSIGNMENT_TEST, ValueCaseFollowsTheVariable) {
    // LOCATION compares and stores its values ignoring case, VHDL_FILE keeps them.
    RECORD pin = make(ACF_VARIABLE_TYPE_LOCATION, nullptr, "led0", "pin_a3");
    EXPECT_STREQ(pin->get_actual_value(), "PIN_A3");
    pin->set_value("Pin_A3");
    EXPECT_FALSE(pin->has_changed());
    pin->set_value("pin_b4");
    EXPECT_TRUE(pin->has_changed());
    EXPECT_STREQ(pin->get_actual_value(), "PIN_B4");

    RECORD file = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, "top.vhd");
    file->set_value("Top.vhd");
    EXPECT_TRUE(file->has_changed());
    EXPECT_STREQ(file->get_actual_value(), "Top.vhd");
}

TEST_F(ACF_ASSIGNMENT_TEST, AbsentAndEmptyValuesAreTold) {
    RECORD none = make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, nullptr, nullptr);
    RECORD empty = make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, nullptr, "");
    std::string line;
    none->get_variable_tcl_set_command(&line, nullptr);
    EXPECT_EQ(line, "set_global_assignment -name IO_STANDARD");
    empty->get_variable_tcl_set_command(&line, nullptr);
    EXPECT_EQ(line, "set_global_assignment -name IO_STANDARD ");
    EXPECT_STREQ(none->get_value(false), "");
    EXPECT_STREQ(empty->get_value(false), "");
}

TEST_F(ACF_ASSIGNMENT_TEST, IgnoredRecordGivesTheDefaultUnlessRaw) {
    storage.defaults[ACF_VARIABLE_TYPE_IO_STANDARD] = "2.5 V";
    RECORD global = make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, nullptr, "1.8 V", nullptr, true);
    EXPECT_STREQ(global->get_value(false), "2.5 V");
    EXPECT_STREQ(global->get_unmodified_value(false), "2.5 V");
    EXPECT_STREQ(global->get_value(true), "1.8 V");

    // Instance assignments have no default.
    RECORD instance = make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, "led0", "1.8 V", nullptr, true);
    EXPECT_STREQ(instance->get_value(false), "");
    EXPECT_STREQ(instance->get_value(true), "1.8 V");
}

TEST_F(ACF_ASSIGNMENT_TEST, ResolvedFileNamesBelongToTheirRecord) {
    TEST_WORKSPACE workspace;
    std::string const top = workspace.path("top.vhd");
    std::string const sub = workspace.path("sub.vhd");
    test_write_file(top, "");
    test_write_file(sub, "");
    std::string const relative_top = workspace.path("./top.vhd");
    RECORD a = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, relative_top.c_str());
    RECORD b = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, sub.c_str());
    RECORD missing = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, "nowhere/gone.vhd");

    char const* a_path = a->get_value(false);
    EXPECT_EQ(std::string(a_path), top);
    EXPECT_EQ(std::string(b->get_value(false)), sub);
    EXPECT_EQ(std::string(a_path), top) << "another record's resolution leaves this text alone";
    EXPECT_STREQ(missing->get_value(false), "nowhere/gone.vhd");
    EXPECT_EQ(std::string(a->get_actual_value()), relative_top);

    a->set_value(sub.c_str());
    EXPECT_EQ(std::string(a->get_value(false)), sub);
}

TEST_F(ACF_ASSIGNMENT_TEST, SectionAndEntityAreNullWhenAbsent) {
    RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, "led0", "1.8 V");
    EXPECT_EQ(asgn->get_section_identifier(), nullptr);
    EXPECT_EQ(asgn->get_entity_name(), nullptr);
    EXPECT_TRUE(asgn->set_entity_name("sub"));
    EXPECT_FALSE(asgn->set_entity_name("sub"));
    EXPECT_TRUE(asgn->set_entity_name(""));
    EXPECT_EQ(asgn->get_entity_name(), nullptr);
}

TEST_F(ACF_ASSIGNMENT_TEST, ArgumentAddedTwiceKeepsTheFirstValue) {
    RECORD asgn = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, "top.vhd");
    ASSERT_TRUE(asgn->add_argument(ACF_ARGUMENT_TYPE_LIBRARY, "work"));
    asgn->set_changed_status(false);
    EXPECT_FALSE(asgn->add_argument(ACF_ARGUMENT_TYPE_LIBRARY, "other"));
    EXPECT_FALSE(asgn->has_changed());
    EXPECT_STREQ(asgn->get_argument_value(ACF_ARGUMENT_TYPE_LIBRARY), "work");
    EXPECT_TRUE(asgn->add_argument(ACF_ARGUMENT_TYPE_LIBRARY, "work"));
    EXPECT_TRUE(asgn->has_changed());

    EXPECT_FALSE(asgn->remove_argument(ACF_ARGUMENT_TYPE_LIBRARY, "other"));
    EXPECT_TRUE(asgn->remove_argument(ACF_ARGUMENT_TYPE_LIBRARY, "WORK"));
    EXPECT_FALSE(asgn->does_argument_exist(ACF_ARGUMENT_TYPE_LIBRARY));
    EXPECT_FALSE(asgn->does_any_arguments_exist());
}

TEST_F(ACF_ASSIGNMENT_TEST, StatusSettersReportAChange) {
    RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, "led0", "1.8 V");
    EXPECT_FALSE(asgn->set_default_status(false));
    EXPECT_FALSE(asgn->has_changed());
    EXPECT_TRUE(asgn->set_default_status(true));
    EXPECT_TRUE(asgn->has_changed());
    asgn->set_changed_status(false);
    asgn->set_remove_status(true);
    EXPECT_TRUE(asgn->is_removed());
    EXPECT_TRUE(asgn->has_changed());
    asgn->set_changed_status(false);
    asgn->set_transient(true);
    EXPECT_TRUE(asgn->is_transient());
    EXPECT_FALSE(asgn->has_changed());
}

TEST_F(ACF_ASSIGNMENT_TEST, ArgumentsMustSuitTheVariable) {
    RECORD asgn = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, "top.vhd");
    EXPECT_FALSE(asgn->add_argument(ACF_ARGUMENT_TYPE_RISE, nullptr)) << "no edge on a file";
    EXPECT_FALSE(asgn->does_any_arguments_exist());
    EXPECT_FALSE(asgn->is_transient());
    EXPECT_TRUE(asgn->add_argument(ACF_ARGUMENT_TYPE_TIP, "ip/core.tip"));
    EXPECT_TRUE(asgn->is_transient()) << "a file an IP file brought is transient";
    std::vector<ACF_ARGUMENT_TYPE_ENUM> arguments{ACF_ARGUMENT_TYPE_FAMILY};
    asgn->add_argument(ACF_ARGUMENT_TYPE_LIBRARY, "work");
    asgn->get_arguments(&arguments);
    EXPECT_EQ(arguments,
              (std::vector<ACF_ARGUMENT_TYPE_ENUM>{ACF_ARGUMENT_TYPE_FAMILY, ACF_ARGUMENT_TYPE_TIP,
                                                   ACF_ARGUMENT_TYPE_LIBRARY}));
    asgn->clear_arguments();
    EXPECT_FALSE(asgn->is_transient());
}

TEST_F(ACF_ASSIGNMENT_TEST, FamilyComesFromTheFamilyArgument) {
    RECORD asgn = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, "top.vhd");
    EXPECT_TRUE(asgn->set_family_enum());
    EXPECT_EQ(asgn->get_family_enum(), DEV_FAMILY_GENERIC);
    asgn->add_argument(ACF_ARGUMENT_TYPE_FAMILY, "no such family");
    EXPECT_FALSE(asgn->set_family_enum());
    EXPECT_EQ(asgn->get_family_enum(), DEV_FAMILY_GENERIC);
    asgn->clear_arguments();
    asgn->add_argument(ACF_ARGUMENT_TYPE_FAMILY, dstr_get_user_string(DEV_FAMILY_ENUM(3)));
    EXPECT_TRUE(asgn->set_family_enum());
    EXPECT_EQ(asgn->get_family_enum(), DEV_FAMILY_ENUM(3));
}

TEST_F(ACF_ASSIGNMENT_TEST, SectionIdentifierOnlyWhereTheVariableTakesOne) {
    RECORD member = make(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER, nullptr, "reg*", "reg*");
    EXPECT_TRUE(member->set_section_identifier("group1"));
    EXPECT_FALSE(member->set_section_identifier("group1"));
    EXPECT_STREQ(member->get_section_identifier(), "group1");
    member->set_changed_status(false);
    member->clear_section_identifier();
    EXPECT_TRUE(member->has_changed());
    EXPECT_EQ(member->get_section_identifier(), nullptr);

    RECORD pin = make(ACF_VARIABLE_TYPE_LOCATION, nullptr, "led0", "PIN_A1");
    EXPECT_FALSE(pin->set_section_identifier("group1"));
    EXPECT_EQ(pin->get_section_identifier(), nullptr);
    EXPECT_FALSE(pin->has_changed());
}

TEST_F(ACF_ASSIGNMENT_TEST, TransientFollowsTheStoreWhenMade) {
    storage.transient_mode = true;
    RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, "led0", "1.8 V");
    EXPECT_TRUE(asgn->is_transient());
    storage.transient_mode = false;
    EXPECT_TRUE(asgn->is_transient());
    EXPECT_FALSE(make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, "led0", "1.8 V")->is_transient());
}

TEST_F(ACF_ASSIGNMENT_TEST, LegalityCodesFollowTheStoreStatus) {
    struct CASE {
        int status;
        int code;
    } const cases[] = {{9, 1},  {13, 1}, {10, 2}, {14, 3}, {16, 4},
                       {17, 5}, {12, 6}, {15, 6}, {42, 6}};
    RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, "led0", "1.8 V");
    EXPECT_EQ(asgn->is_legal(), 0);
    storage.legal_kinds.clear();
    for (CASE const& c : cases) {
        storage.last_error_status = c.status;
        EXPECT_EQ(asgn->is_legal(), c.code) << c.status;
    }
}

TEST_F(ACF_ASSIGNMENT_TEST, AnAssignmentIsCheckedAsTheKindItIs) {
    struct CASE {
        char const* kind;
        RECORD asgn;
        char const* variable; // the name the check is given
    };
    CASE const cases[] = {
        {"global", make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, nullptr, "1.8 V"), nullptr},
        {"instance", make(ACF_VARIABLE_TYPE_IO_STANDARD, nullptr, "led0", "1.8 V"), nullptr},
        {"freeform", make(ACF_VARIABLE_TYPE_NONE, nullptr, "u1", "8", nullptr, false, "DEPTH"),
         "DEPTH"},
    };
    storage.last_error_status = 10;
    for (CASE const& legal : cases) {
        storage.legal_kinds = {legal.kind};
        for (CASE const& c : cases) {
            EXPECT_EQ(c.asgn->is_legal(), c.kind == legal.kind ? 0 : 2)
                << c.kind << " when only " << legal.kind << " is legal";
            EXPECT_STREQ(storage.last_query->get_variable_string(), c.variable) << c.kind;
        }
    }
}

TEST_F(ACF_ASSIGNMENT_TEST, CopyKeepsTheSourceStoreAndEveryField) {
    ACF_TEST_STORAGE other_storage;
    ACF_ASSIGNMENT_FACTORY other_factory(&other_storage);
    RECORD asgn = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, "top.vhd", "keep", true);
    asgn->add_argument(ACF_ARGUMENT_TYPE_LIBRARY, "work");
    asgn->add_argument(ACF_ARGUMENT_TYPE_FAMILY, dstr_get_user_string(DEV_FAMILY_ENUM(3)));
    ASSERT_TRUE(asgn->set_family_enum());
    asgn->set_acf_file_name("/projects/chip/other.tsf");
    asgn->set_variable_original_tcl_command_from_file(
        "set_global_assignment -name VHDL_FILE top.vhd");
    asgn->set_remove_status(true);

    RECORD copy(other_factory.create_assignment(asgn.get()));
    EXPECT_EQ(copy->get_manager_storage(), &storage);
    EXPECT_STREQ(copy->get_value(true), "top.vhd");
    EXPECT_STREQ(copy->get_comments(), "keep");
    EXPECT_STREQ(copy->get_acf_file_name(), "/projects/chip/other.tsf");
    EXPECT_STREQ(copy->get_argument_value(ACF_ARGUMENT_TYPE_LIBRARY), "work");
    EXPECT_EQ(copy->get_family_enum(), DEV_FAMILY_ENUM(3));
    EXPECT_TRUE(copy->is_ignored());
    EXPECT_TRUE(copy->is_removed());
    EXPECT_TRUE(copy->has_changed());
    std::string command;
    EXPECT_TRUE(copy->get_variable_original_tcl_command_from_file(&command));
    EXPECT_EQ(command, "set_global_assignment -name VHDL_FILE top.vhd");
}

// The comment and the section identifier are kept apart from the record's
// other texts (few records carry them): they must follow the record through
// borrowing and owning its read texts, copies, clearing and rebuilding, absent
// staying apart from empty. Pooled records borrow nothing. Returns the first
// difference; empty when none.
std::string rare_text_mismatch(ACF_ASSIGNMENT_FACTORY& factory, bool pooled) {
    auto line_of = [](ACF_ASSIGNMENT const& asgn) {
        std::string line;
        asgn.get_variable_tcl_set_command(&line, nullptr);
        return line;
    };
    auto check = [&](char const* what, ACF_ASSIGNMENT const& asgn, char const* comment,
                     char const* section) {
        std::string expected =
            "set_instance_assignment -name ASSIGNMENT_GROUP_MEMBER reg* -to reg*";
        if (section != nullptr) {
            expected += std::string(" -section_id ") + section;
        }
        if (*comment != '\0') {
            expected += std::string(" -comment \"") + comment + "\"";
        }
        char const* held_section = asgn.get_section_identifier();
        if (std::string(asgn.get_comments()) != comment ||
            (held_section == nullptr) != (section == nullptr) ||
            (section != nullptr && std::string(held_section) != section) ||
            line_of(asgn) != expected) {
            return std::string(what) + ": " + line_of(asgn);
        }
        return std::string();
    };
    std::string command = "set_instance_assignment -name ASSIGNMENT_GROUP_MEMBER reg* -to reg*";
    std::string value = "reg*";
    std::string to = "reg*";
    ACF_ASGN_READ_TEXTS line;
    line.command = command.c_str();
    line.value = value.c_str();
    line.to = to.c_str();
    auto make = [&](char const* comment, char const* section) {
        RECORD asgn(factory.create_assignment(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER, nullptr, nullptr,
                                              "reg*", "reg*", comment, false));
        asgn->set_section_identifier(section);
        return asgn;
    };
    auto rebuild = [](ACF_ASSIGNMENT& asgn, char const* comment) {
        asgn.init(asgn.get_manager_storage(), ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER, nullptr, nullptr,
                  "reg*", "reg*", comment, false);
    };

    RECORD asgn = make(";% slow paths", "group1");
    if (asgn->borrow_read_texts(line) == pooled) {
        return pooled ? "a pooled record borrows" : "the record borrows nothing";
    }
    RECORD borrowing_copy(factory.create_assignment(asgn.get()));
    asgn->own_read_texts();
    RECORD plain = make(nullptr, nullptr);
    RECORD cleared(factory.create_assignment(asgn.get()));
    cleared->set_comment(nullptr);
    cleared->clear_section_identifier();
    RECORD copy_of_cleared(factory.create_assignment(cleared.get()));
    RECORD rebuilt = make("first try", "group0");
    rebuild(*rebuilt, "second thought");
    RECORD rebuilt_plain = make("first try", "group0");
    rebuild(*rebuilt_plain, nullptr);
    // What the records were made from is gone; each keeps its own texts.
    for (std::string* kept : {&command, &value, &to}) {
        std::fill(kept->begin(), kept->end(), '#');
    }
    struct CASE {
        char const* what;
        ACF_ASSIGNMENT const& asgn;
        char const* comment;
        char const* section;
    } const cases[] = {
        {"owning its read texts", *asgn, "slow paths", "group1"},
        {"copy of a borrowing record", *borrowing_copy, "slow paths", "group1"},
        {"never given either", *plain, "", nullptr},
        {"both cleared", *cleared, "", nullptr},
        {"copy of cleared ones", *copy_of_cleared, "", nullptr},
        {"rebuilt with another comment", *rebuilt, "second thought", nullptr},
        {"rebuilt without a comment", *rebuilt_plain, "", nullptr},
    };
    for (CASE const& c : cases) {
        std::string const mismatch = check(c.what, c.asgn, c.comment, c.section);
        if (!mismatch.empty()) {
            return mismatch;
        }
    }
    return std::string();
}

TEST_F(ACF_ASSIGNMENT_TEST, RareTextsFollowTheRecordThroughCopiesAndRebuilds) {
    EXPECT_EQ(rare_text_mismatch(factory, false), "");
}

// Records with pooled texts are chosen once per process, so the pooled run
// has a process of its own.
using ACF_ASSIGNMENT_DEATH_TEST = ACF_ASSIGNMENT_TEST;

TEST_F(ACF_ASSIGNMENT_DEATH_TEST, PooledRareTextsFollowTheRecordThroughCopiesAndRebuilds) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("ACF_ASSIGNMENT_USE_STRING_POOL", "on", 1);
            std::string const mismatch = rare_text_mismatch(factory, true);
            std::fprintf(stderr, "%s", mismatch.c_str());
            std::exit(mismatch.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "^$");
}

// Rebuilding keeps the number the observer keeps the record under (not the
// observer); copies start without either.
TEST_F(ACF_ASSIGNMENT_TEST, RebuildKeepsTheObserversNumber) {
    RECORD asgn = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, "top.vhd");
    asgn->set_observer(nullptr, 7);
    asgn->init(&storage, ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, nullptr, "other.vhd",
               nullptr, false);
    EXPECT_EQ(asgn->get_observer_place(), 7u);
    EXPECT_STREQ(asgn->get_actual_value(), "other.vhd");
    RECORD copy(factory.create_assignment(asgn.get()));
    EXPECT_EQ(copy->get_observer_place(), 0u);
}

// A record read from a file points at the line's texts, kept by its holder,
// instead of copies: the command line, and the value, source and target where
// the kept text (or its end) equals what the record holds. Setters, own copies
// and record copies never free or keep pointing at kept texts.
TEST_F(ACF_ASSIGNMENT_TEST, BorrowsKeptTextsOnlyWhereTheyEqualItsOwn) {
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM type;
        char const* from;
        char const* to;
        char const* value;
        char const* name;   // a freeform name
        size_t from_offset; // where the held source starts in the kept one; npos: copied
        size_t to_offset;
        size_t value_offset;
    } const cases[] = {
        {ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, "top.vhd", nullptr, std::string::npos,
         std::string::npos, 0},
        // LOCATION holds its value in capitals; the target loses its '|'.
        {ACF_VARIABLE_TYPE_LOCATION, nullptr, "|led0", "pin_a3", nullptr, std::string::npos, 1,
         std::string::npos},
        {ACF_VARIABLE_TYPE_MULTICYCLE, "clk|q", "|r", "2", nullptr, 0, 1, 0},
        {ACF_VARIABLE_TYPE_NONE, nullptr, "u1", "8", "WIDTH", std::string::npos, 0, 0},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(acf_get_variable_user_name(c.type));
        std::string command = std::string("set_x ") + c.value;
        std::string from = c.from ? c.from : "";
        std::string to = c.to ? c.to : "";
        std::string value = c.value;
        std::string name = c.name ? c.name : "LINE_NAME";
        ACF_ASGN_READ_TEXTS line;
        line.command = command.c_str();
        line.name = name.c_str();
        line.value = value.c_str();
        line.from = c.from ? from.c_str() : nullptr;
        line.to = c.to ? to.c_str() : nullptr;
        RECORD asgn = make(c.type, c.from, c.to, c.value, nullptr, false, c.name);
        std::string const held_value = asgn->get_actual_value();
        std::string const held_name = asgn->get_variable_string();
        ASSERT_TRUE(asgn->borrow_read_texts(line));
        EXPECT_EQ(asgn->get_original_tcl_command(), command.c_str());
        auto borrowed = [](char const* held, std::string const& kept, size_t offset) {
            return offset == std::string::npos
                       ? held < kept.c_str() || held > kept.c_str() + kept.size()
                       : held == kept.c_str() + offset;
        };
        EXPECT_TRUE(borrowed(asgn->get_source(), from, c.from_offset));
        EXPECT_TRUE(borrowed(asgn->get_target(), to, c.to_offset));
        EXPECT_TRUE(borrowed(asgn->get_actual_value(), value, c.value_offset));
        EXPECT_TRUE(borrowed(asgn->get_variable_string(), name, c.name ? 0 : std::string::npos));

        RECORD copy(factory.create_assignment(asgn.get()));
        RECORD owner = make(c.type, c.from, c.to, c.value, nullptr, false, c.name);
        ASSERT_TRUE(owner->borrow_read_texts(line));
        owner->own_read_texts();
        asgn->set_value("other");
        asgn->set_variable_original_tcl_command_from_file("set_y");
        // The kept texts change: only the borrowers still pointing there see it.
        for (std::string* kept : {&command, &from, &to, &value, &name}) {
            std::fill(kept->begin(), kept->end(), '#');
        }
        for (ACF_ASSIGNMENT const* record : {copy.get(), owner.get()}) {
            EXPECT_STREQ(record->get_original_tcl_command(),
                         (std::string("set_x ") + c.value).c_str());
            EXPECT_STREQ(record->get_actual_value(), held_value.c_str());
            EXPECT_STREQ(record->get_variable_string(), held_name.c_str());
        }
        EXPECT_STREQ(owner->get_target(), copy->get_target());
        EXPECT_STREQ(owner->get_source(), copy->get_source());
        EXPECT_STREQ(asgn->get_original_tcl_command(), "set_y");
        EXPECT_STRNE(asgn->get_actual_value(), held_value.c_str());
    }
}

TEST_F(ACF_ASSIGNMENT_TEST, FileNameIsKeptOnlyForOtherFiles) {
    RECORD asgn = make(ACF_VARIABLE_TYPE_VHDL_FILE, nullptr, nullptr, "top.vhd");
    EXPECT_STREQ(asgn->get_acf_file_name(), "/projects/chip/chip.tsf");
    asgn->set_acf_file_name("/projects/chip/pins.tcl");
    EXPECT_STREQ(asgn->get_acf_file_name(), "/projects/chip/pins.tcl");
    asgn->set_acf_file_name("/projects/chip/chip.tsf");
    storage.revision_path = "/projects/chip/renamed.tsf";
    EXPECT_STREQ(asgn->get_acf_file_name(), "/projects/chip/renamed.tsf");
    EXPECT_FALSE(asgn->has_changed());
}

TEST_F(ACF_ASSIGNMENT_TEST, FillsTheQueryRecordFromItself) {
    RECORD asgn = make(ACF_VARIABLE_TYPE_IO_STANDARD, "src", "led0", "1.8 V", "why", true);
    asgn->set_entity_name("sub");
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_section_identifier("stale");
    asgn->fill_in_input_parameter(&params);
    EXPECT_EQ(params.get_variable_type(), ACF_VARIABLE_TYPE_IO_STANDARD);
    EXPECT_STREQ(params.get_variable_string(), "IO_STANDARD");
    EXPECT_STREQ(params.get_value_string(), "1.8 V");
    EXPECT_STREQ(params.get_from(), "src");
    EXPECT_STREQ(params.get_to(), "led0");
    EXPECT_STREQ(params.get_entity_name(), "sub");
    EXPECT_EQ(params.get_section_identifier(), nullptr);
    EXPECT_STREQ(params.get_comments(), "why");
    EXPECT_TRUE(params.get_is_ignored());
}

} // namespace
