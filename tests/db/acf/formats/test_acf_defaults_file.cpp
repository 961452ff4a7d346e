#include "acf_test_directory.h"

#include "acf_file_categories.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "formats/acf_defaults_file.h"

#include "suite/devicedb/dev.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <vector>

namespace {

using CHANGE = ACF_DEFAULT_VALUE_CHANGE_INFO;

// The first catalogue row with a default for one family (or for any family)
// and neither entity nor section flag, whose changed values are upper-cased.
ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO const* row_with_default(bool one_family, bool hidden) {
    for (size_t i = 0; i < acf_variable_file_category_semantics_count; ++i) {
        auto const& row = acf_variable_file_category_semantics[i];
        bool family_fits = one_family ? row.family != DEV_FAMILY_GENERIC &&
                                            acf_hide_family_from_tdf(row.family) == hidden
                                      : row.family == DEV_FAMILY_GENERIC;
        if (row.default_value != nullptr && *row.default_value != '\0' && family_fits &&
            row.entity == 0 && row.section_id == 0 &&
            !acf_test_variable_trait_of(row.variable, ACF_VARIABLE_TRAIT_TYPE_IS_DEBUG) &&
            !acf_test_variable_trait_of(row.variable, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE) &&
            acf_get_value_type(row.variable) != ACF_VALUE_TYPE_TIME &&
            acf_get_value_type(row.variable) != ACF_VALUE_TYPE_FREQUENCY) {
            return &row;
        }
    }
    return nullptr;
}

CHANGE change(ACF_VARIABLE_TYPE_ENUM variable, double version, char const* text, char const* sp,
              char const* value, DEV_FAMILY_ENUM family = DEV_FAMILY_GENERIC) {
    return CHANGE{variable, version, text, 0, sp, value, false, false, family};
}

CHANGE const END = change(ACF_VARIABLE_TYPE_NONE, 0, "", "0", "");

// The line of the revision's defaults text that sets the variable (for the
// family, when given).
std::string line_of(std::string const& text, ACF_VARIABLE_TYPE_ENUM variable,
                    DEV_FAMILY_ENUM family = DEV_FAMILY_GENERIC) {
    std::string start =
        std::string("set_global_assignment -name ") + acf_get_variable_user_name(variable) + " ";
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        bool has_family = line.find(" -family ") != std::string::npos;
        bool family_fits = family == DEV_FAMILY_GENERIC
                               ? !has_family
                               : line.find(std::string(" -family ") +
                                           acf_format_string(dstr_get_user_string(family),
                                                             false)) != std::string::npos;
        if (line.rfind(start, 0) == 0 && family_fits) {
            return line;
        }
    }
    return "";
}

TEST(DefaultsFileVersion, VersionTextsAsNumbers) {
    struct CASE {
        char const* text;
        double number;
        double plain;
    } const cases[] = {
        {"", 0, 0},
        {nullptr, 0, 0},
        {"9.0", 9.0, 9.0},
        {"9.0 SP1", 9.01, 9.0},
        {"11.1 SP2", 11.12, 11.1},
        {"14.0 SP12", 14.12, 14.0},
        {"14.0 ", 14.0, 14.0},
    };
    for (CASE const& c : cases) {
        double plain = -1;
        EXPECT_NEAR(acf_version_text_to_number(c.text, &plain), c.number, 1e-9)
            << (c.text ? c.text : "null");
        EXPECT_NEAR(plain, c.plain, 1e-9);
    }
}

TEST(DefaultsFileText, ChangedDefaultsKeepTheValueOfTheLastVersion) {
    auto const* row = row_with_default(true, false);
    ASSERT_NE(row, nullptr);
    ACF_VARIABLE_TYPE_ENUM v = row->variable;
    DEV_FAMILY_ENUM f = row->family;
    // Newest first, as the table keeps them.
    CHANGE const changes[] = {change(v, 9.0, "9.0", "2", "NinePointTwo", f),
                              change(v, 9.0, "9.0", "0", "Nine", f),
                              change(v, 7.0, "7.0", "0", "Seven", f), END};
    std::string family = " -family " + acf_format_string(dstr_get_user_string(f), false);
    std::string name = acf_get_variable_user_name(v);
    std::string plain_line = "set_global_assignment -name " + name + " " +
                             acf_format_string(row->default_value, false) + family;
    struct CASE {
        double last_number;
        double last_plain;
        std::string expected;
    } const cases[] = {
        {6.0, 6.0, "set_global_assignment -name " + name + " -value SEVEN" + family},
        {7.0, 7.0, "set_global_assignment -name " + name + " -value SEVEN" + family},
        {8.0, 8.0, "set_global_assignment -name " + name + " -value NINE" + family},
        {9.01, 9.0, "set_global_assignment -name " + name + " -value NINE" + family},
        {9.03, 9.02, plain_line},
        {10.0, 10.0, plain_line},
    };
    for (CASE const& c : cases) {
        std::string text = acf_revision_defaults_file_text(changes, c.last_number, c.last_plain);
        EXPECT_EQ(line_of(text, v, f), c.expected) << c.last_number;
    }
}

TEST(DefaultsFileText, ServicePackChangeNewerThanTheLastVersionIsTaken) {
    auto const* row = row_with_default(true, false);
    ASSERT_NE(row, nullptr);
    ACF_VARIABLE_TYPE_ENUM v = row->variable;
    DEV_FAMILY_ENUM f = row->family;
    CHANGE const changes[] = {change(v, 9.0, "9.0", "2", "Sp", f), END};
    std::string family = " -family " + acf_format_string(dstr_get_user_string(f), false);
    std::string name = acf_get_variable_user_name(v);
    EXPECT_EQ(line_of(acf_revision_defaults_file_text(changes, 9.01, 9.0), v, f),
              "set_global_assignment -name " + name + " -value SP" + family);
    EXPECT_EQ(line_of(acf_revision_defaults_file_text(changes, 9.02, 9.0), v, f),
              "set_global_assignment -name " + name + " -value SP" + family);
    EXPECT_EQ(line_of(acf_revision_defaults_file_text(changes, 9.03, 9.0), v, f).find(" -value "),
              std::string::npos);
}

TEST(DefaultsFileText, FamilyLinesAndHiddenFamilies) {
    auto const* shown = row_with_default(true, false);
    auto const* hidden = row_with_default(true, true);
    ASSERT_NE(shown, nullptr);
    ASSERT_NE(hidden, nullptr);
    std::string text = acf_revision_defaults_file_text(&END, 0, 0);
    std::string line = line_of(text, shown->variable, shown->family);
    EXPECT_NE(line, "");
    EXPECT_NE(line.find(std::string(" -family ") +
                        acf_format_string(dstr_get_user_string(shown->family), false)),
              std::string::npos);
    EXPECT_EQ(line_of(text, hidden->variable, hidden->family), "");
}

TEST(DefaultsFileText, HeaderAndLineEnds) {
    std::string text = acf_revision_defaults_file_text(&END, 0, 0);
    std::string note = "#\n# Note:\n#\n# 1) Do not modify this file. This file was generated\n"
                       "#    automatically by the Tessaly II software and is used\n"
                       "#    to preserve global assignments across Tessaly II versions.\n#\n# " +
                       std::string(74, '-') + " #\n\nset_global_assignment -name ";
    EXPECT_NE(text.find(note), std::string::npos);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
}

TEST(DefaultsFileText, InstallationNotesNewestFirst) {
    auto const* shown = row_with_default(true, false);
    auto const* hidden = row_with_default(true, true);
    ASSERT_NE(shown, nullptr);
    ASSERT_NE(hidden, nullptr);
    ACF_VARIABLE_TYPE_ENUM v = shown->variable;
    CHANGE const changes[] = {
        change(v, 8.0, "8.0", "0", "Eight"), change(v, 6.0, "6.0", "0", "Six"),
        change(v, 9.0, "9.0", "1", "Nine", shown->family),
        change(hidden->variable, 12.0, "12.0", "0", "X", hidden->family), END};
    std::string text = acf_installation_defaults_file_text(changes);
    std::string name = acf_get_variable_user_name(v);
    std::string expected = "# Default value changes:\n#\n"
                           "# In 9.0 Service Pack 1, the default value of assignment " +
                           name + " has changed to \"Nine\" for device family \"" +
                           dstr_get_user_string(shown->family) +
                           "\"\n"
                           "# In 8.0, the default value of assignment " +
                           name + " has changed to \"Eight\"\n";
    ASSERT_GE(text.size(), expected.size());
    EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
}

TEST(DefaultsFileWrite, ExistingFileIsNeverRewritten) {
    ACF_TEST_DIRECTORY dir;
    std::string target = dir.file(acf_revision_defaults_file_name("chip"));
    EXPECT_EQ(acf_revision_defaults_file_name("chip"), "chip_assignment_defaults.tdf");
    EXPECT_TRUE(acf_write_defaults_file_if_missing(target, "first\n"));
    EXPECT_FALSE(acf_write_defaults_file_if_missing(target, "second\n"));
    EXPECT_EQ(acf_test_read(target), "first\n");
    EXPECT_FALSE(acf_write_defaults_file_if_missing(dir.file("none/x.tdf"), "x"));
}

TEST(DefaultsFileWrite, ProcessesMakingTheSameFileAtOnceAllSucceed) {
    ACF_TEST_DIRECTORY dir;
    std::string target = dir.file("assignment_defaults.tdf");
    std::string text = acf_installation_defaults_file_text(acf_default_value_change_table);
    std::vector<pid_t> children;
    for (int i = 0; i < 8; ++i) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            acf_write_defaults_file_if_missing(target, text);
            // Whether this one wrote it or another did, the file is whole.
            _exit(acf_test_read(target) == text ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(acf_test_read(target), text);
    std::vector<std::string> left;
    for (auto const& entry : std::filesystem::directory_iterator(dir.path())) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"assignment_defaults.tdf"});
}

} // namespace
