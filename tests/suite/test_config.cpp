#include "suite/config/cfg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

// Runs each test in a fresh directory, so tessaly.ini is the test's own.
class Config : public testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        dir_ = std::filesystem::temp_directory_path() /
               ("cfg_test_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
        unsetenv("CFG_TEST_KEY");
    }
    std::filesystem::path old_, dir_;
};

TEST_F(Config, SwitchValuesFromEnvironment) {
    struct Case {
        char const* value;
        bool default_value;
        bool expected;
    } cases[] = {{"on", false, true},  {"ON", false, true},  {"1", false, true},
                 {"off", true, false}, {"0", true, false},   {"Off", true, false},
                 {"maybe", true, true}, {"maybe", false, false}, {"", true, true}};
    for (auto const& c : cases) {
        setenv("CFG_TEST_KEY", c.value, 1);
        EXPECT_EQ(cfg_is_on("CFG_TEST_KEY", c.default_value), c.expected) << c.value;
    }
    unsetenv("CFG_TEST_KEY");
    EXPECT_TRUE(cfg_is_on("CFG_TEST_KEY", true));
    EXPECT_FALSE(cfg_is_set("CFG_TEST_KEY"));
}

TEST_F(Config, IniFileBacksEnvironment) {
    std::ofstream("tessaly.ini") << "# comment\nCFG_TEST_KEY = 42\nOTHER=x\n";
    EXPECT_EQ(cfg_get_int_value("CFG_TEST_KEY", 7), 42);
    EXPECT_EQ(cfg_get_value("other"), "x");
    setenv("CFG_TEST_KEY", "9", 1);
    EXPECT_EQ(cfg_get_int_value("CFG_TEST_KEY", 7), 9);
}

TEST_F(Config, IntegersFallBackToDefault) {
    struct Case {
        char const* value;
        int expected;
    } cases[] = {{"", 5}, {"abc", 5}, {"12x", 5}, {"-3", -3}, {"99999999999", 5}};
    for (auto const& c : cases) {
        setenv("CFG_TEST_KEY", c.value, 1);
        EXPECT_EQ(cfg_get_int_value("CFG_TEST_KEY", 5), c.expected) << c.value;
    }
    unsetenv("CFG_TEST_KEY");
    EXPECT_EQ(cfg_get_int_value("CFG_TEST_KEY", 5), 5);
}

TEST_F(Config, DynamicNamesAnswerTheSame) {
    setenv("CFG_TEST_KEY", "17", 1);
    int n = 0;
    cfg_dyn_get_int_value("CFG_TEST_KEY", &n, 3);
    EXPECT_EQ(n, 17);
    std::string s;
    cfg_dyn_get_value("CFG_TEST_KEY", &s);
    EXPECT_EQ(s, "17");
    EXPECT_TRUE(cfg_dyn_is_on("NO_SUCH_KEY_HERE", true));
}

} // namespace
