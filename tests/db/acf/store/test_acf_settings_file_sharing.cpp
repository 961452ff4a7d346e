// Programs working on one revision at once: each opens the project, sets an
// assignment of its own and commits it, all having read the settings file
// before any writes. Whichever commits later must take in the changes of the
// earlier ones; over many rounds, no change is ever lost, and an assignment
// that holds one value ends with the value of the last commit.
#include "acf_script_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

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

// Opens the project and sets the device family, says it is ready, waits until
// every program is, then until `after` (unless empty) has committed, commits,
// and says so: the programs read the file before any commits, and commit in
// the order given.
std::string set_family_script(std::string const& name, std::string const& family,
                              std::string const& after, int programs) {
    return "project_open proj\n"
           "set_global_assignment -name FAMILY " +
           family +
           "\n"
           "close [open ready_" +
           name +
           " w]\n"
           "proc wait_for {test} {\n"
           "    set deadline [expr {[clock seconds] + 300}]\n"
           "    while {![uplevel 1 [list expr $test]]} {\n"
           "        if {[clock seconds] > $deadline} { error \"waited in vain for $test\" }\n"
           "        after 10\n"
           "    }\n"
           "}\n"
           "wait_for {[llength [glob -nocomplain ready_*]] == " +
           std::to_string(programs) +
           "}\n"
           "if {\"" +
           after + "\" ne \"\"} { wait_for {[file exists done_" + after +
           "]} }\n"
           "export_assignments\n"
           "close [open done_" +
           name + " w]\n";
}

// Four programs set the device family, each its own, having all read the
// file first; each round they commit in another order. The file ends with
// one line of the family, with the value of the last to commit.
TEST(SettingsFileSharing, ProgramsSettingOneValueLeaveTheLastCommittersLine) {
    ACF_SCRIPT_PROJECT project;
    std::vector<std::string> const families = {"Ostrel", "Vindal", "Glim10K", "Lumiform"};
    int const programs = static_cast<int>(families.size());
    for (int round = 0; round < 25; ++round) {
        // Program `order[k]` commits k-th.
        std::vector<int> order;
        for (int k = 0; k < programs; ++k) {
            order.push_back((round + k) % programs);
        }
        std::vector<TEST_RUN_RESULT> results(programs);
        std::vector<std::thread> running;
        for (int k = 0; k < programs; ++k) {
            int const p = order[k];
            std::string const after = k > 0 ? std::to_string(order[k - 1]) : "";
            std::string const script =
                set_family_script(std::to_string(p), families[p], after, programs);
            running.emplace_back([&results, &project, p, script] {
                results[p] = project.run(script, "p" + std::to_string(p) + ".tcl");
            });
        }
        for (std::thread& program : running) {
            program.join();
        }
        for (TEST_RUN_RESULT const& result : results) {
            ASSERT_EQ(result.status, 0) << result.output;
        }
        for (int p = 0; p < programs; ++p) {
            std::filesystem::remove(project.file("ready_" + std::to_string(p)));
            std::filesystem::remove(project.file("done_" + std::to_string(p)));
        }
        std::string const settings = test_read_file(project.file("proj.tsf"));
        std::string const family_line = "set_global_assignment -name FAMILY ";
        int lines = 0;
        for (size_t at = settings.find(family_line); at != std::string::npos;
             at = settings.find(family_line, at + 1)) {
            ++lines;
        }
        ASSERT_EQ(lines, 1) << "round " << round << "\n" << settings;
        EXPECT_NE(settings.find(family_line + families[order.back()] + "\n"), std::string::npos)
            << "round " << round << "\n"
            << settings;
    }
}

} // namespace
