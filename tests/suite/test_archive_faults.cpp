// Disk faults and kills met by project_archive and project_restore in the
// regentool that runs a user's script, made by a preloaded library: each
// failing open, read, status check, write, flush or rename either fails the
// script with an error, leaving no archive or no restored file, or does the
// whole job; a kill at any step of a restore is undone or finished by the next
// restore into that folder, which then completes. Each call of the kind is made to fail (or
// kill) in turn, from the first until the script makes no such call anymore.
#include "suite/archive/afm_zip.h"
#include "tests/db/acf/acf_fault_run.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

namespace {

std::string const ARCHIVE = "project_open proj\n"
                            "project_archive out.tsa\n";

// Runs `step` on a fresh PROJECT with a fault at the 1st, 2nd, ... use of a
// call, until a run no longer meets it (the script made fewer such calls and
// ran undisturbed). `step` gets the project, the position and the log file
// the fault writes when it hits, and returns whether it hit; `what` names the
// call, which has to be hit at least once.
template <class PROJECT>
void at_each_use(std::string const& what,
                 std::function<bool(PROJECT& project, int at, std::string const& log)> const& step) {
    int hits = 0;
    for (int at = 1; at < 100; ++at) {
        PROJECT project;
        TEST_WORKSPACE logs;
        if (!step(project, at, logs.path("faults.log"))) {
            break;
        }
        ++hits;
    }
    EXPECT_GT(hits, 0) << "no " << what;
}

TEST(ArchiveFaults, EveryFailingCallFailsTheArchiveOrLeavesItWhole) {
    struct CASE {
        char const* call;
        char const* file;
    };
    CASE const cases[] = {
        {"open", "proj.tpf"},  {"read", "proj.tpf"},  {"stat", "proj.tpf"},
        {"open", "proj.tsf"},  {"read", "proj.tsf"},  {"stat", "proj.tsf"},
        {"write", "out.tsa"},  {"fsync", "out.tsa"},  {"rename", "out.tsa"},
    };
    std::vector<std::string> const whole = {"proj.tpf", "proj.tsf"};
    for (CASE const& c : cases) {
        std::string const what = std::string(c.call) + " of " + c.file;
        at_each_use<ACF_SCRIPT_PROJECT>(what, [&](ACF_SCRIPT_PROJECT& project, int at,
                                                  std::string const& log) {
            TEST_RUN_RESULT result =
                run_with_fault(project, ARCHIVE, c.call, c.file, at, EIO, log);
            bool const faulted = std::filesystem::exists(log);
            std::string const where = what + " " + std::to_string(at) + "\n" + result.output;
            if (result.status == 0) {
                EXPECT_EQ(afm_archive_entries(project.file("out.tsa")), whole) << where;
            } else {
                EXPECT_TRUE(faulted) << where;
                EXPECT_NE(result.output.find("Error"), std::string::npos) << where;
                EXPECT_FALSE(std::filesystem::exists(project.file("out.tsa"))) << where;
            }
            return faulted;
        });
    }
}

std::string const RESTORE = "project_restore p.tsa -destination restored_here\n";

// The files below a folder with their contents; a missing folder has none.
std::map<std::string, std::string> files_below(std::string const& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        files[it->path().lexically_relative(folder).string()] =
            it->is_directory() ? "(folder)" : test_read_file(it->path().string());
    }
    return files;
}

// A project with a design file in a folder and its archive "p.tsa" made
// undisturbed.
class ARCHIVED_PROJECT : public ACF_SCRIPT_PROJECT {
public:
    ARCHIVED_PROJECT() {
        std::filesystem::create_directories(file("hdl"));
        test_write_file(file("hdl/top.v"), "module top; endmodule\n");
        TEST_RUN_RESULT made = run("project_open proj\n"
                                   "set_global_assignment -name VERILOG_FILE hdl/top.v\n"
                                   "project_archive p.tsa\n");
        EXPECT_EQ(made.status, 0) << made.output;
        whole = {{"hdl", "(folder)"},
                 {"hdl/top.v", test_read_file(file("hdl/top.v"))},
                 {"proj.tpf", test_read_file(file("proj.tpf"))},
                 {"proj.tsf", test_read_file(file("proj.tsf"))}};
    }
    std::map<std::string, std::string> whole;
};

TEST(ArchiveFaults, EveryFailingCallFailsTheRestoreOrLeavesItWhole) {
    for (char const* call : {"open", "write", "rename", "stat", "lstat"}) {
        at_each_use<ARCHIVED_PROJECT>(call, [&](ARCHIVED_PROJECT& project, int at,
                                                std::string const& log) {
            TEST_RUN_RESULT result =
                run_with_fault(project, RESTORE, call, "restored_here", at, EIO, log);
            bool const faulted = std::filesystem::exists(log);
            std::string const where = std::string(call) + " " + std::to_string(at) + "\n" +
                                      result.output;
            std::map<std::string, std::string> restored = files_below(project.file("restored_here"));
            if (result.status == 0) {
                EXPECT_EQ(restored, project.whole) << where;
            } else {
                EXPECT_TRUE(faulted) << where;
                EXPECT_NE(result.output.find("Error"), std::string::npos) << where;
                EXPECT_TRUE(restored.empty()) << where;
            }
            return faulted;
        });
    }
}

// Killed at any open, write, flush, rename or removal of the restore, then
// run again: the second run completes, with every file in place and
// byte-identical, and no staging folder or lock file left. A run killed once
// its move had ended (cleaning up) restored every file: the next one takes
// them as its own.
TEST(ArchiveFaults, AKilledRestoreIsFinishedByTheNextOne) {
    for (char const* call : {"open", "write", "fsync", "rename", "unlink"}) {
        at_each_use<ARCHIVED_PROJECT>(call, [&](ARCHIVED_PROJECT& project, int at,
                                                std::string const& log) {
            TEST_RUN_RESULT killed = [&] {
                ACF_FAULT_ARMED armed({call, "restored_here", at, log, EIO, true});
                return project.run(RESTORE);
            }();
            if (!std::filesystem::exists(log)) {
                EXPECT_EQ(killed.status, 0) << killed.output;
                return false;
            }
            TEST_RUN_RESULT again = project.run(RESTORE);
            std::string const where = std::string(call) + " " + std::to_string(at) + " (" +
                                      test_read_file(log) + ")\n" + again.output;
            EXPECT_EQ(again.status, 0) << where;
            EXPECT_EQ(files_below(project.file("restored_here")), project.whole) << where;
            return true;
        });
    }
}

// What a killed restore left in place counts as restored only while it holds
// the archive's bytes: a file changed since is not replaced without leave.
TEST(ArchiveFaults, AFileChangedAfterAKilledRestoreIsNotReplacedWithoutLeave) {
    ARCHIVED_PROJECT project;
    TEST_WORKSPACE logs;
    std::string const log = logs.path("kills.log");
    {
        // Killed as it lets go of its lock, its work done.
        TEST_CHILD_ENVIRONMENT kill(
            std::vector<std::pair<char const*, std::string>>{{"FAULT_KILL", "1"}});
        run_with_fault(project, RESTORE, "unlink", ".restore.lock$", 1, EIO, log);
    }
    ASSERT_TRUE(std::filesystem::exists(log));
    ASSERT_TRUE(std::filesystem::exists(project.file("restored_here/.restore.lock")));
    test_write_file(project.file("restored_here/hdl/top.v"), "the user's own\n");
    TEST_RUN_RESULT again = project.run(RESTORE);
    EXPECT_NE(again.status, 0);
    EXPECT_NE(again.output.find("would overwrite the existing file"), std::string::npos)
        << again.output;
    EXPECT_EQ(test_read_file(project.file("restored_here/hdl/top.v")), "the user's own\n");

    TEST_RUN_RESULT agreed =
        project.run("project_restore p.tsa -overwrite -destination restored_here\n");
    EXPECT_EQ(agreed.status, 0) << agreed.output;
    EXPECT_EQ(files_below(project.file("restored_here")), project.whole);
}

// A lock file that cannot be removed once every file is in place fails the
// restore, saying that the files were restored; the file left holds nothing
// that would have the next restore take them for its own.
TEST(ArchiveFaults, ALockFileThatCannotBeRemovedIsReportedWithTheFilesRestored) {
    ARCHIVED_PROJECT project;
    TEST_WORKSPACE logs;
    std::string const log = logs.path("faults.log");
    TEST_RUN_RESULT result =
        run_with_fault(project, RESTORE, "unlink", ".restore.lock$", 1, EIO, log);
    ASSERT_TRUE(std::filesystem::exists(log));
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.output.find("Error"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("was restored into"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find(".restore.lock could not be removed"), std::string::npos)
        << result.output;
    std::map<std::string, std::string> left = project.whole;
    left[".restore.lock"] = "";
    EXPECT_EQ(files_below(project.file("restored_here")), left);

    TEST_RUN_RESULT again = project.run(RESTORE);
    EXPECT_NE(again.status, 0);
    EXPECT_NE(again.output.find("would overwrite the existing file"), std::string::npos)
        << again.output;
}

} // namespace
