#include "acf_utils.h"

#include "acf_table.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct TEXT_CASE {
    std::string in;
    std::string out;
};

TEST(AcfUtils, EscapingForTcl) {
    TEXT_CASE const cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"a\"b\\c", "a\\\"b\\\\c"},
        {"{x}", "\\{x\\}"},
        {"$net", "\\$net"},
        {"a\t{", "a    \\{"},
        {"\\\\", "\\\\\\\\"},
        // Brackets would run a command; line breaks would end the line.
        {"x[pwd]y", "x\\[pwd\\]y"},
        {"a\nb", "a\\nb"},
        {"\r\n", "\\r\\n"},
    };
    for (TEXT_CASE const& c : cases) {
        EXPECT_EQ(acf_add_escape_characters(c.in), c.out) << c.in;
    }
}

TEST(AcfUtils, RemovingEscapesUndoesEscaping) {
    for (char const* text :
         {"a\"b\\c", "{x} $y", "\\\\", "plain", "", "[x]", "one\ntwo\r\n", "\\n"}) {
        std::string escaped = acf_add_escape_characters(text);
        std::vector<char> buffer(escaped.begin(), escaped.end());
        buffer.push_back('\0');
        acf_remove_escape_characters(buffer.data());
        EXPECT_STREQ(buffer.data(), text);
    }
    char trailing[] = "end\\";
    acf_remove_escape_characters(trailing);
    EXPECT_STREQ(trailing, "end\\") << "a trailing lone backslash stays";
    char doubled[] = "a\\\\b";
    acf_remove_escape_characters(doubled);
    EXPECT_STREQ(doubled, "a\\b");
}

TEST(AcfUtils, NullTextsAreInternalErrors) {
    std::vector<std::string> reports;
    MSG_INTERNAL_ERROR::set_hook([&](char const* condition, char const*, char const*, int) {
        reports.push_back(condition);
    });
    acf_remove_escape_characters(nullptr);
    acf_source_target_cleanup("x", nullptr);
    MSG_INTERNAL_ERROR::set_hook(nullptr);
    EXPECT_EQ(reports, (std::vector<std::string>{"temp != NULL", "result_str != NULL"}));
}

TEST(AcfUtils, QuotingWords) {
    struct CASE {
        char const* in;
        bool escape_quotes;
        char const* out;
    };
    CASE const cases[] = {
        {"", false, ""},
        {"word", false, "word"},
        {"two words", false, "\"two words\""},
        {"a-b", false, "\"a-b\""},
        {"x:y", false, "\"x:y\""},
        {"say \"hi\"", true, "\"say \\\"hi\\\"\""},
        {"say\"", false, "\"say\"\""},
        {"$a[0]\\", false, "$a[0]\\"}, // neither quoted nor escaped here
        {"tab\there", false, "\"tab\there\""},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(acf_format_string(c.in, c.escape_quotes), c.out) << c.in;
    }
}

TEST(AcfUtils, RecognisingSetCommands) {
    struct CASE {
        char const* command;
        bool valid;
        bool variable_specific;
    };
    CASE const cases[] = {
        {"set_global_assignment", true, false},
        {"SET_INSTANCE_ASSIGNMENT", true, false},
        {"set_parameter", true, false}, // generic first, although listed as specific too
        {"SET_LOCATION_ASSIGNMENT", true, true},
        {"set_hps_location_assignment", true, true},
        {"set_location_assignment", true, true},
        {"set_global_assignment", true, false}, // now answered from the cache
        {"set_assignment", false, false},
        {"", false, false},
    };
    for (CASE const& c : cases) {
        bool flag = !c.variable_specific;
        EXPECT_EQ(acf_is_valid_tcl_set_command(c.command, &flag), c.valid) << c.command;
        if (c.valid) {
            EXPECT_EQ(flag, c.variable_specific) << c.command;
        } else {
            EXPECT_EQ(flag, !c.variable_specific) << "flag untouched for " << c.command;
        }
    }
    bool untouched = true;
    EXPECT_FALSE(acf_is_valid_tcl_set_command(nullptr, &untouched));
    EXPECT_TRUE(untouched);
}

TEST(AcfUtils, CleaningSourceAndTargetTexts) {
    TEXT_CASE const cases[] = {
        {"  |top|sub|reg \t", "top|sub|reg"},
        {"|", "|"},
        {"|a", "a"},
        {"   ", ""},
        {"a|b", "a|b"},
        {"||a", "|a"},
    };
    for (TEXT_CASE const& c : cases) {
        std::string result = "stale";
        acf_source_target_cleanup(c.in.c_str(), &result);
        EXPECT_EQ(result, c.out) << c.in;
    }
    std::string result = "stale";
    acf_source_target_cleanup(nullptr, &result);
    EXPECT_EQ(result, "");
}

TEST(AcfUtils, BuildingMessageSubLists) {
    std::string list;
    for (char const* item : {"a", "", "b", "c"}) {
        list = acf_format_submessage(list, "%s%s", item);
    }
    EXPECT_EQ(list, "a, b, c");
    EXPECT_EQ(acf_format_submessage("x, y", "%s%s", ""), "x, y");
    EXPECT_EQ(acf_format_submessage("", "[%s%s]", "only"), "[only]");
}

TEST(AcfUtils, CanonicalTimeAndFrequencyValues) {
    struct CASE {
        char const* in;
        char const* out;
        bool changed;
    };
    CASE const cases[] = {
        {"10 NS", "10 ns", true},     {"10 ns", "10 ns", false},
        {"10ns", "10 ns", true},      {"2.50 ps", "2.5 ps", true},
        {"100 mhz", "100 MHz", true}, {"1.0 GHz", "1 GHz", true},
        {"-3 us", "-3 us", false},    {"10", "10", false},
        {"fast", "fast", false},      {"", "", false},
    };
    for (CASE const& c : cases) {
        std::string value = c.in;
        EXPECT_EQ(acf_convert_time_frequency_to_correct_case(value), c.changed) << c.in;
        EXPECT_EQ(value, c.out) << c.in;
    }
}

TEST(AcfUtils, UserFriendlySpelling) {
    struct CASE {
        ACF_VARIABLE_TYPE_ENUM variable;
        char const* in;
        char const* out;
    };
    CASE const cases[] = {
        // Generic spelling, for variable 0 and plain text variables.
        {ACF_VARIABLE_TYPE_NONE, "AS_OUTPUT_DRIVING_GROUND", "As output driving ground"},
        {ACF_VARIABLE_TYPE_NONE, "USE_AS_REGULAR_IO", "Use as regular io"},
        // Case-sensitive text variables keep the text as typed.
        {ACF_VARIABLE_TYPE_TESTING_STRING, "USE_AS_REGULAR_IO", "USE_AS_REGULAR_IO"},
        {ACF_VARIABLE_TYPE_NONE, "FREQ_20MHZ_A",
         "Freq 20MHZ a"},                         // words not starting with a letter stay
        {ACF_VARIABLE_TYPE_NONE, "X", "X"},       // too short
        {ACF_VARIABLE_TYPE_NONE, "_ABC", "_ABC"}, // not starting with a letter
        // Enumeration values become their user string.
        {ACF_VARIABLE_TYPE_NCEO_RESERVED, "USE_AS_REGULAR_IO", "Use as regular IO"},
        {ACF_VARIABLE_TYPE_TESTING_ENUM, "off", "Off"},
        // Times and frequencies are normalised.
        {ACF_VARIABLE_TYPE_TPD_REQUIREMENT, "5.0 NS", "5 ns"},
        {ACF_VARIABLE_TYPE_REQUIRED_FMAX, "200 mhz", "200 MHz"},
    };
    for (CASE const& c : cases) {
        std::string value = c.in;
        acf_string_to_user_friendly(value, c.variable, false);
        EXPECT_EQ(value, c.out) << c.in;
    }
}

TEST(AcfUtils, BareNumbersGetTheDefaultUnitWithAWarning) {
    msg_log_clear();
    std::string time = " 12 ";
    acf_string_to_user_friendly(time, ACF_VARIABLE_TYPE_TPD_REQUIREMENT, true);
    EXPECT_EQ(time, "12 ns");
    std::string frequency = "33.3";
    acf_string_to_user_friendly(frequency, ACF_VARIABLE_TYPE_REQUIRED_FMAX, true);
    EXPECT_EQ(frequency, "33.3 MHz");
    std::string untouched = "12";
    acf_string_to_user_friendly(untouched, ACF_VARIABLE_TYPE_TPD_REQUIREMENT, false);
    EXPECT_EQ(untouched, "12");

    std::vector<MSG_LOG_ENTRY> log = msg_log_entries();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].id, 125097u);
    EXPECT_EQ(log[0].text,
              "The value for assignment TPD_REQUIREMENT is being converted from  12  to 12 "
              "ns because no units were specified");
}

} // namespace
