#include "acf_mgr_input_parameters.h"

#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TEXT_GETTER = const char* (ACF_MGR_INPUT_PARAMETERS::*)() const;
using TEXT_SETTER = void (ACF_MGR_INPUT_PARAMETERS::*)(const char*);

struct TEXT_FIELD {
    const char* name;
    TEXT_SETTER set;
    TEXT_GETTER get;
};

TEXT_FIELD const text_fields[] = {
    {"variable string", &ACF_MGR_INPUT_PARAMETERS::set_variable_string,
     &ACF_MGR_INPUT_PARAMETERS::get_variable_string},
    {"value string", &ACF_MGR_INPUT_PARAMETERS::set_value_string,
     &ACF_MGR_INPUT_PARAMETERS::get_value_string},
    {"from", &ACF_MGR_INPUT_PARAMETERS::set_from, &ACF_MGR_INPUT_PARAMETERS::get_from},
    {"to", &ACF_MGR_INPUT_PARAMETERS::set_to, &ACF_MGR_INPUT_PARAMETERS::get_to},
    {"entity", &ACF_MGR_INPUT_PARAMETERS::set_entity_name,
     &ACF_MGR_INPUT_PARAMETERS::get_entity_name},
    {"section identifier", &ACF_MGR_INPUT_PARAMETERS::set_section_identifier,
     &ACF_MGR_INPUT_PARAMETERS::get_section_identifier},
    {"comments", &ACF_MGR_INPUT_PARAMETERS::set_comments, &ACF_MGR_INPUT_PARAMETERS::get_comments},
};

// Records the internal errors reported while it lives.
class INTERNAL_ERRORS {
public:
    INTERNAL_ERRORS() {
        MSG_INTERNAL_ERROR::set_hook(
            [this](char const* condition, char const* subsystem, char const*, int) {
                conditions.push_back(std::string(subsystem) + ": " + condition);
            });
    }
    ~INTERNAL_ERRORS() { MSG_INTERNAL_ERROR::set_hook(nullptr); }
    std::vector<std::string> conditions;
};

std::string text(char const* value, char const* for_null = "null") {
    return value == nullptr ? for_null : value;
}

std::vector<ACF_ARGUMENT_TYPE_ENUM> types_of(ACF_MGR_INPUT_PARAMETERS const& record) {
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
    record.get_argument_types(&types);
    return types;
}

std::list<std::string> values_of(ACF_MGR_INPUT_PARAMETERS const& record) {
    std::list<std::string> values;
    record.get_argument_values(&values);
    return values;
}

// A record with something in every field.
void fill(ACF_MGR_INPUT_PARAMETERS& record) {
    record.set_variable_type(ACF_VARIABLE_TYPE_ENUM(10));
    for (TEXT_FIELD const& field : text_fields) {
        (record.*field.set)(field.name);
    }
    record.set_value_bool(true);
    record.set_value_int(-7);
    record.set_value_double(2.5);
    record.set_value_enum(ACF_ENUM_VALUE_ENUM(3));
    record.set_is_ignored(true);
    record.set_skip_non_defaults(true);
    record.set_file_category(ACF_FILE_CATEGORY_ENUM(4));
}

void expect_defaults(ACF_MGR_INPUT_PARAMETERS const& record) {
    EXPECT_EQ(record.get_variable_type(), ACF_VARIABLE_TYPE_NONE);
    for (TEXT_FIELD const& field : text_fields) {
        EXPECT_EQ((record.*field.get)(), nullptr) << field.name;
    }
    EXPECT_EQ(record.get_original_value_string(), nullptr);
    EXPECT_FALSE(record.get_value_bool());
    EXPECT_EQ(record.get_value_int(), 0);
    EXPECT_EQ(record.get_value_double(), 0.0);
    EXPECT_EQ(record.get_value_enum(), ACF_ENUM_VALUE_ENUM(0));
    EXPECT_FALSE(record.get_is_ignored());
    EXPECT_FALSE(record.get_skip_non_defaults());
    EXPECT_EQ(record.get_file_category(), ACF_FILE_CATEGORY_ENUM(21));
    EXPECT_TRUE(types_of(record).empty());
    EXPECT_TRUE(values_of(record).empty());
}

TEST(AcfMgrInputParameters, FreshAndResetRecordsHoldTheDefaults) {
    ACF_MGR_INPUT_PARAMETERS record;
    expect_defaults(record);
    fill(record);
    record.set_variable_type(ACF_VARIABLE_TYPE_FAMILY);
    ASSERT_TRUE(record.add_argument(ACF_ARGUMENT_TYPE_CREATED_BY, "me"));
    record.reset();
    expect_defaults(record);
}

TEST(AcfMgrInputParameters, TextFieldsAreOwnedCopiesAndKeepNullApartFromEmpty) {
    for (TEXT_FIELD const& field : text_fields) {
        ACF_MGR_INPUT_PARAMETERS record;
        std::string caller_text = "abc";
        (record.*field.set)(caller_text.c_str());
        caller_text = "xyz";
        EXPECT_STREQ((record.*field.get)(), "abc") << field.name;

        (record.*field.set)("");
        ASSERT_NE((record.*field.get)(), nullptr) << field.name;
        EXPECT_STREQ((record.*field.get)(), "") << field.name;

        (record.*field.set)(nullptr);
        EXPECT_EQ((record.*field.get)(), nullptr) << field.name;
    }
}

TEST(AcfMgrInputParameters, OriginalValueIsTheCallersOwnPointer) {
    ACF_MGR_INPUT_PARAMETERS record;
    char const* caller_text = "On";
    record.set_value_string(caller_text);
    EXPECT_EQ(record.get_original_value_string(), caller_text);
    EXPECT_NE(record.get_value_string(), caller_text);
    EXPECT_STREQ(record.get_value_string(), "On");
    record.reset();
    EXPECT_EQ(record.get_original_value_string(), nullptr);
    EXPECT_EQ(record.get_value_string(), nullptr);
}

TEST(AcfMgrInputParameters, CopiesCarryEveryFieldAndTheArgumentsInOrder) {
    ACF_MGR_INPUT_PARAMETERS src;
    fill(src);
    ASSERT_TRUE(src.add_argument(ACF_ARGUMENT_TYPE_LIBRARY, "work"));
    ASSERT_TRUE(src.add_argument(ACF_ARGUMENT_TYPE_CREATED_BY, "wizard"));

    ACF_MGR_INPUT_PARAMETERS assigned;
    assigned.set_to("stale");
    ASSERT_TRUE(assigned.add_argument(ACF_ARGUMENT_TYPE_FAMILY, "old"));
    assigned = &src;
    ACF_MGR_INPUT_PARAMETERS constructed(src);

    for (ACF_MGR_INPUT_PARAMETERS* copy : {&assigned, &constructed}) {
        EXPECT_EQ(copy->get_variable_type(), src.get_variable_type());
        for (TEXT_FIELD const& field : text_fields) {
            EXPECT_STREQ((copy->*field.get)(), field.name);
            EXPECT_NE((copy->*field.get)(), (src.*field.get)()) << "shares " << field.name;
        }
        EXPECT_EQ(copy->get_original_value_string(), src.get_value_string());
        EXPECT_TRUE(copy->get_value_bool());
        EXPECT_EQ(copy->get_value_int(), -7);
        EXPECT_EQ(copy->get_value_double(), 2.5);
        EXPECT_EQ(copy->get_value_enum(), ACF_ENUM_VALUE_ENUM(3));
        EXPECT_TRUE(copy->get_is_ignored());
        EXPECT_TRUE(copy->get_skip_non_defaults());
        EXPECT_EQ(copy->get_file_category(), ACF_FILE_CATEGORY_ENUM(4));
        EXPECT_EQ(types_of(*copy), (std::vector<ACF_ARGUMENT_TYPE_ENUM>{
                                       ACF_ARGUMENT_TYPE_LIBRARY, ACF_ARGUMENT_TYPE_CREATED_BY}));
        EXPECT_EQ(values_of(*copy), (std::list<std::string>{"work", "wizard"}));
    }
}

TEST(AcfMgrInputParameters, CopyingFromNothingOrAnOutOfRangeTypeIsAnInternalError) {
    struct Case {
        ACF_VARIABLE_TYPE_ENUM source_type;
        bool null_source;
        char const* condition;
    } const cases[] = {
        {ACF_VARIABLE_TYPE_NONE, true, "ACF: src != NULL"},
        {ACF_VARIABLE_TYPE_ENUM(-1), false,
         "ACF: src->get_variable_type() >= ACF_VARIABLE_TYPE_NONE"},
        {ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE, false,
         "ACF: src->get_variable_type() < ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE"},
    };
    for (Case const& c : cases) {
        INTERNAL_ERRORS errors;
        ACF_MGR_INPUT_PARAMETERS src;
        src.set_variable_type(c.source_type);
        ACF_MGR_INPUT_PARAMETERS target;
        target.copy_from(c.null_source ? nullptr : &src);
        EXPECT_EQ(errors.conditions, std::vector<std::string>{c.condition});
    }
}

TEST(AcfMgrInputParameters, ArgumentsMustSuitTheVariableInItsContext) {
    struct Case {
        char const* name;
        ACF_VARIABLE_TYPE_ENUM variable;
        char const* section_id;
        ACF_ARGUMENT_TYPE_ENUM type;
        char const* value;
        bool expected;
    } const cases[] = {
        {"type none", ACF_VARIABLE_TYPE_FAMILY, nullptr, ACF_ARGUMENT_TYPE_NONE, "x", false},
        {"valid on every variable", ACF_VARIABLE_TYPE_FAMILY, nullptr, ACF_ARGUMENT_TYPE_CREATED_BY,
         "wizard", true},
        {"text argument without text", ACF_VARIABLE_TYPE_FAMILY, nullptr,
         ACF_ARGUMENT_TYPE_CREATED_BY, "", false},
        {"flag on a variable that takes it", ACF_VARIABLE_TYPE_INPUT_MAX_DELAY, nullptr,
         ACF_ARGUMENT_TYPE_RISE, nullptr, true},
        {"flag with a value", ACF_VARIABLE_TYPE_INPUT_MAX_DELAY, nullptr, ACF_ARGUMENT_TYPE_RISE,
         "x", false},
        {"flag on a variable without it", ACF_VARIABLE_TYPE_FAMILY, nullptr, ACF_ARGUMENT_TYPE_RISE,
         nullptr, false},
        {"file argument on a design file", ACF_VARIABLE_TYPE_VHDL_FILE, nullptr,
         ACF_ARGUMENT_TYPE_TIP, "ip.tip", true},
        {"sectioned context without it", ACF_VARIABLE_TYPE_REQUIRED_FMAX, "clk",
         ACF_ARGUMENT_TYPE_TIP, "ip.tip", false},
        {"no context takes it", ACF_VARIABLE_TYPE_FAMILY, nullptr, ACF_ARGUMENT_TYPE_TIP, "ip.tip",
         false},
    };
    for (Case const& c : cases) {
        ACF_MGR_INPUT_PARAMETERS record;
        record.set_variable_type(c.variable);
        record.set_section_identifier(c.section_id);
        EXPECT_EQ(record.add_argument(c.type, c.value), c.expected) << c.name;
        EXPECT_EQ(types_of(record).size(), c.expected ? 1u : 0u) << c.name;
    }
}

TEST(AcfMgrInputParameters, ArgumentsKeepTheFirstValueOfATypeAndReportAgreement) {
    struct Case {
        ACF_VARIABLE_TYPE_ENUM variable;
        ACF_ARGUMENT_TYPE_ENUM type;
        char const* first;
        char const* second;
        bool second_result;
    } const cases[] = {
        // CREATED_BY compares case-sensitively, FAMILY ignoring case.
        {ACF_VARIABLE_TYPE_FAMILY, ACF_ARGUMENT_TYPE_CREATED_BY, "wizard", "wizard", true},
        {ACF_VARIABLE_TYPE_FAMILY, ACF_ARGUMENT_TYPE_CREATED_BY, "wizard", "WIZARD", false},
        {ACF_VARIABLE_TYPE_FAMILY, ACF_ARGUMENT_TYPE_FAMILY, "Vorelon", "VORELON", true},
        {ACF_VARIABLE_TYPE_FAMILY, ACF_ARGUMENT_TYPE_FAMILY, "Vorelon", "Tarvek", false},
        // A flag given twice agrees with itself.
        {ACF_VARIABLE_TYPE_INPUT_MAX_DELAY, ACF_ARGUMENT_TYPE_FALL, nullptr, nullptr, true},
    };
    for (Case const& c : cases) {
        ACF_MGR_INPUT_PARAMETERS record;
        record.set_variable_type(c.variable);
        ASSERT_TRUE(record.add_argument(c.type, c.first));
        EXPECT_EQ(record.add_argument(c.type, c.second), c.second_result)
            << text(c.first) << " then " << text(c.second);
        EXPECT_EQ(types_of(record), std::vector<ACF_ARGUMENT_TYPE_ENUM>{c.type});
        EXPECT_EQ(values_of(record), std::list<std::string>{text(c.first, "")});
    }
}

TEST(AcfMgrInputParameters, ArgumentListsGoOnlyToContainersThatExist) {
    ACF_MGR_INPUT_PARAMETERS record;
    record.set_variable_type(ACF_VARIABLE_TYPE_INPUT_MAX_DELAY);
    ASSERT_TRUE(record.add_argument(ACF_ARGUMENT_TYPE_RISE, nullptr));
    record.get_argument_types(nullptr);
    record.get_argument_values(nullptr);
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types{ACF_ARGUMENT_TYPE_TIP};
    record.get_argument_types(&types);
    EXPECT_EQ(types,
              (std::vector<ACF_ARGUMENT_TYPE_ENUM>{ACF_ARGUMENT_TYPE_TIP, ACF_ARGUMENT_TYPE_RISE}));
    EXPECT_EQ(values_of(record), std::list<std::string>{""});
}

} // namespace
