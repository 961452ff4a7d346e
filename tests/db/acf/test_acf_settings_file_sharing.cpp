// Two programs working on one revision at once: each opens the project, sets an
// assignment of its own and commits it, both having read the settings file
// before either writes. Whichever commits second must take in the change of
// the first; over many rounds, no change is ever lost.
#include "acf_script_project.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Opens the project, sets the pin's standard, and commits after a pause in
// which the other program has read the file too.
std::string set_pin_script(std::string const& pin) {
    return "project_open proj\n"
           "set_instance_assignment -name IO_STANDARD \"3.3 V\" -to " +
           pin +
           "\n"
           "after 150\n"
           "export_assignments\n";
}

TEST(SettingsFileSharing, TwoProgramsCommittingOneRevisionLoseNothing) {
    ACF_SCRIPT_PROJECT project;
    int const rounds = 20;
    for (int round = 0; round < rounds; ++round) {
        std::string const pin_a = "a_pin_" + std::to_string(round);
        std::string const pin_b = "b_pin_" + std::to_string(round);
        TEST_RUN_RESULT a;
        TEST_RUN_RESULT b;
        std::thread first([&] { a = project.run(set_pin_script(pin_a), "a.tcl"); });
        std::thread second([&] { b = project.run(set_pin_script(pin_b), "b.tcl"); });
        first.join();
        second.join();
        ASSERT_EQ(a.status, 0) << a.output;
        ASSERT_EQ(b.status, 0) << b.output;
    }
    std::string const settings = test_read_file(project.file("proj.tsf"));
    int lost = 0;
    for (int round = 0; round < rounds; ++round) {
        for (char const* side : {"a", "b"}) {
            std::string line = "set_instance_assignment -name IO_STANDARD \"3.3 V\" -to " +
                               std::string(side) + "_pin_" + std::to_string(round);
            if (settings.find(line) == std::string::npos) {
                ADD_FAILURE() << "lost: " << line;
                ++lost;
            }
        }
    }
    EXPECT_EQ(lost, 0) << settings;
    EXPECT_NE(settings.find("-to pin_a"), std::string::npos) << settings;
}

} // namespace
