// The dialogs' commits as the graphical host makes them, with a disk fault
// or a kill at one call of the action at a time (a preloaded library makes
// it): a failure is reported and leaves every file as it was, what is said to
// be done is on disk, and after a kill the project opens, every revision it
// lists has its settings file, and the same action again completes.
#include "tests/db/acf/acf_fault_shim.h"
#include "tests/support/test_child_environment.h"
#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using FILES = std::map<std::string, std::string>;

// Every file under the folder, by its path inside it, with its content.
FILES files_of(std::string const& dir) {
    FILES files;
    for (auto const& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[std::filesystem::relative(entry.path(), dir).string()] =
                test_read_file(entry.path().string());
        }
    }
    return files;
}

bool holds(std::string const& text, std::string const& part) {
    return text.find(part) != std::string::npos;
}

bool lists(FILES const& files, std::string const& project_file, std::string const& revision) {
    auto found = files.find(project_file);
    return found != files.end() &&
           holds(found->second, "PROJECT_REVISION = \"" + revision + "\"\n");
}

// The revisions a project file lists.
std::vector<std::string> listed_revisions(std::string const& text) {
    std::vector<std::string> names;
    std::string const key = "PROJECT_REVISION = \"";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        size_t start = at + key.size();
        names.push_back(text.substr(start, text.find('"', start) - start));
    }
    return names;
}

// One action of a dialog on a fixture project.
struct ACTION {
    char const* name;
    char const* fixture;
    char const* project;
    std::vector<std::string> words; // the driver's action and its arguments
    // Whether the output says the action was done; otherwise it must say
    // that it failed.
    std::function<bool(TEST_RUN_RESULT const&)> says_done;
    // Whether the files show it done, against those before it, as the
    // output tells it.
    std::function<bool(FILES const& before, FILES const& after, std::string const& output)> is_done;
    // The calls on the files that are made to fail, one at a time.
    std::vector<std::pair<char const*, char const*>> faults;
};

std::string const PIN_LINE = "set_location_assignment PIN_A1 -to clk\n";

ACTION const IMPORT = {
    "Import Assignments",
    "import_project",
    "imp",
    {"import", "other.tsf"},
    [](TEST_RUN_RESULT const& run) { return holds(run.output, "(331001)"); },
    [](FILES const& before, FILES const& after, std::string const&) {
        auto backup = after.find("imp.tsf.bak");
        return holds(after.at("imp.tsf"), "set_location_assignment PIN_A2 -to clk\n") &&
               backup != after.end() && backup->second == before.at("imp.tsf");
    },
    {{"open", ".tsf"},
     {"read", ".tsf"},
     {"write", ".tsf"},
     {"fsync", ".tsf"},
     {"rename", ".tsf"},
     {"stat", ".tsf"},
     {"lstat", ".tsf"},
     {"flock", ".tsf.lock"}},
};

ACTION const REMOVE = {
    "Remove Assignments",
    "ras_project",
    "ras",
    {"remove-pins"},
    [](TEST_RUN_RESULT const& run) { return run.status == 0 && !holds(run.output, "(296051)"); },
    [](FILES const&, FILES const& after, std::string const& output) {
        // A routing file that could not be deleted is said so.
        return !holds(after.at("ras.tsf"), PIN_LINE) &&
               (after.count("ras.rba") == 0 || holds(output, "Can't delete file"));
    },
    {{"open", ".tsf"},
     {"write", ".tsf"},
     {"fsync", ".tsf"},
     {"rename", ".tsf"},
     {"stat", ".tsf"},
     {"lstat", ".tsf"},
     {"flock", ".tsf.lock"},
     {"unlink", ".rba"}},
};

ACTION const CREATE = {
    "Create Revision",
    "revs_project",
    "rev",
    {"create", "newrev", "chip"},
    [](TEST_RUN_RESULT const& run) { return run.status == 0; },
    [](FILES const&, FILES const& after, std::string const&) {
        auto settings = after.find("newrev.tsf");
        return lists(after, "rev.tpf", "newrev") && settings != after.end() &&
               holds(settings->second, "set_global_assignment -name DEVICE VORELONIIA15F484C6\n");
    },
    {{"open", ".tsf"},
     {"read", ".tsf"},
     {"write", ".tsf"},
     {"fsync", ".tsf"},
     {"rename", ".tsf"},
     {"stat", ".tsf"},
     {"lstat", ".tsf"},
     {"open", ".tpf"},
     {"read", ".tpf"},
     {"write", ".tpf"},
     {"fsync", ".tpf"},
     {"rename", ".tpf"},
     {"stat", ".tpf"},
     {"lstat", ".tpf"},
     {"flock", ".lock"},
     {"open", ".tdf"}},
};

ACTION const DELETE = {
    "Delete Revision",
    "revs_project",
    "rev",
    {"delete", "fast"},
    [](TEST_RUN_RESULT const& run) { return run.status == 0; },
    [](FILES const&, FILES const& after, std::string const&) {
        return !lists(after, "rev.tpf", "fast") && after.count("fast.tsf") == 0;
    },
    {{"open", ".tpf"},
     {"read", ".tpf"},
     {"write", ".tpf"},
     {"fsync", ".tpf"},
     {"rename", ".tpf"},
     {"stat", ".tpf"},
     {"lstat", ".tpf"},
     {"flock", ".tpf.lock"},
     {"unlink", ".tsf"},
     {"stat", ".tsf"}},
};

class MdbCommitFaults : public testing::Test {
protected:
    // A copy of the action's fixture opened once, so that what a first open
    // writes is written before the action runs.
    std::string settled(ACTION const& action) {
        std::string dir = m_workspace.path(std::string("settled-") + action.fixture);
        if (!std::filesystem::exists(dir)) {
            m_workspace.copy_fixture(TESSALY_TEST_DATA_DIR "/fixtures/" +
                                         std::string(action.fixture),
                                     dir.substr(m_workspace.dir().size() + 1));
            TEST_RUN_RESULT opened = run(dir, action, {"open"});
            EXPECT_EQ(opened.status, 0) << opened.output;
        }
        return dir;
    }
    // A fresh copy of the settled project for one run.
    std::string fresh(ACTION const& action) {
        std::string settled_dir = settled(action);
        std::string dir = m_workspace.path("run-" + std::to_string(++m_runs));
        std::filesystem::copy(settled_dir, dir, std::filesystem::copy_options::recursive);
        return dir;
    }
    // Runs the driver on the project in `dir`.
    static TEST_RUN_RESULT run(std::string const& dir, ACTION const& action,
                               std::vector<std::string> const& words) {
        std::string command = thr_process_quote_argument(MDB_COMMIT_DRIVER_PATH) + " " +
                              thr_process_quote_argument(dir) + " " + action.project;
        for (std::string const& word : words) {
            command += " " + thr_process_quote_argument(word);
        }
        TEST_CHILD_ENVIRONMENT environment(
            std::vector<std::pair<char const*, std::string>>{{"QT_QPA_PLATFORM", "offscreen"}});
        return test_run(command, dir);
    }
    // Runs the action with the library failing (or, with `kill`, killing the
    // program at) the `at`-th call of the kind on a file whose path holds
    // `file`; `log` is made when that call came.
    static TEST_RUN_RESULT run_with_fault(std::string const& dir, ACTION const& action,
                                          char const* call, std::string const& file, long at,
                                          bool kill, std::string const& log) {
        std::vector<std::pair<char const*, std::string>> variables = acf_fault_shim_preload();
        variables.insert(variables.end(), {{"FAULT_ARM_CALL", call},
                                           {"FAULT_FILE", file},
                                           {"FAULT_AT", std::to_string(at)},
                                           {"FAULT_LOG", log}});
        if (kill) {
            variables.emplace_back("FAULT_KILL", "1");
        }
        TEST_CHILD_ENVIRONMENT environment(variables);
        return run(dir, action, action.words);
    }

    TEST_WORKSPACE m_workspace;
    int m_runs = 0;
};

TEST_F(MdbCommitFaults, EveryFailingCallOfAnActionIsReportedOrItsWorkIsOnDisk) {
    for (ACTION const* action : {&IMPORT, &REMOVE, &CREATE, &DELETE}) {
        for (auto const& fault : action->faults) {
            std::string const what =
                std::string(action->name) + ": " + fault.first + " of " + fault.second;
            int faults = 0;
            for (long at = 1; at < 50; ++at) {
                std::string dir = fresh(*action);
                std::string log = dir + ".log";
                FILES const before = files_of(dir);
                TEST_RUN_RESULT result =
                    run_with_fault(dir, *action, fault.first, fault.second, at, false, log);
                FILES after = files_of(dir);
                bool const faulted = std::filesystem::exists(log);
                faults += faulted ? 1 : 0;
                std::string const context = what + " " + std::to_string(at) + "\n" + result.output;
                if (action->says_done(result)) {
                    EXPECT_TRUE(action->is_done(before, after, result.output)) << context;
                } else {
                    EXPECT_TRUE(faulted) << context;
                    EXPECT_TRUE(holds(result.output, "Error") || holds(result.output, "Warning") ||
                                holds(result.output, "Info (2960"))
                        << context;
                    // A backup made before the import failed holds the old settings.
                    auto backup = after.find("imp.tsf.bak");
                    if (backup != after.end() && before.count("imp.tsf.bak") == 0) {
                        EXPECT_EQ(backup->second, before.at("imp.tsf")) << context;
                        after.erase(backup);
                    }
                    EXPECT_TRUE(after == before) << context << " changed a file";
                }
                if (!faulted) {
                    // The action made fewer such calls: it ran undisturbed.
                    EXPECT_TRUE(action->says_done(result)) << context;
                    break;
                }
            }
            EXPECT_GT(faults, 0) << "no " << what;
        }
    }
}

TEST_F(MdbCommitFaults, AKillAtAnyStepOfARevisionChangeLeavesAProjectThatOpensWhole) {
    for (ACTION const* action : {&CREATE, &DELETE}) {
        // A kill at a write or a flush of a new file leaves what one at its
        // open leaves: the steps that change what the project holds are the
        // opens, renames and deletions.
        for (char const* call : {"open", "rename", "unlink"}) {
            std::string const what = std::string(action->name) + ": kill at " + call;
            for (long at = 1; at < 100; ++at) {
                std::string dir = fresh(*action);
                std::string log = dir + ".log";
                TEST_RUN_RESULT killed =
                    run_with_fault(dir, *action, call, dir + "/", at, true, log);
                if (!std::filesystem::exists(log)) {
                    break;
                }
                std::string const context = what + " " + std::to_string(at) + "\n" + killed.output;
                TEST_RUN_RESULT opened = run(dir, *action, {"open"});
                EXPECT_EQ(opened.status, 0) << context << opened.output;
                for (std::string const& revision :
                     listed_revisions(test_read_file(dir + "/rev.tpf"))) {
                    EXPECT_TRUE(std::filesystem::exists(dir + "/" + revision + ".tsf"))
                        << context << revision << " is listed without its settings";
                }
                // Unless the kill came once it was done, the action done again
                // completes; a deletion whose revision the project no longer
                // lists is done as far as the project goes.
                FILES const before = files_of(dir);
                if (action->is_done(before, before, "") ||
                    (action == &DELETE && !lists(before, "rev.tpf", "fast"))) {
                    continue;
                }
                TEST_RUN_RESULT again = run(dir, *action, action->words);
                EXPECT_EQ(again.status, 0) << context << again.output;
                EXPECT_TRUE(action->is_done(before, files_of(dir), again.output))
                    << context << again.output;
            }
        }
    }
}

// Copy Project killed at any step, then the same Copy Project again (over
// the project the killed run may have left there, as the dialog asks leave
// for): the copy completes as an undisturbed one does, byte for byte, with no
// staging folder, lock or temporary archive left, and the source unchanged.
TEST_F(MdbCommitFaults, AKilledCopyProjectIsCompletedByTheSameCopyAgain) {
    ACTION const copy = {"Copy Project", "revs_project", "rev", {}, {}, {}, {}};
    auto copy_words = [](std::string const& dir, bool overwrite) {
        std::vector<std::string> words = {"copy", dir + "_copy", "copy1"};
        if (overwrite) {
            words.push_back("overwrite");
        }
        return words;
    };
    // Every file of both folders, those of the copy under "copy/", and the
    // copy's folders (a staging folder left empty among them).
    auto files_around = [](std::string const& dir) {
        FILES files = files_of(dir);
        if (std::filesystem::exists(dir + "_copy")) {
            for (auto const& [name, content] : files_of(dir + "_copy")) {
                files["copy/" + name] = content;
            }
            for (auto const& entry : std::filesystem::recursive_directory_iterator(dir + "_copy")) {
                if (entry.is_directory()) {
                    files["copy/" +
                          std::filesystem::relative(entry.path(), dir + "_copy").string()] =
                        "(folder)";
                }
            }
        }
        return files;
    };
    std::string undisturbed_dir = fresh(copy);
    TEST_RUN_RESULT undisturbed = run(undisturbed_dir, copy, copy_words(undisturbed_dir, false));
    ASSERT_EQ(undisturbed.status, 0) << undisturbed.output;
    FILES const expected = files_around(undisturbed_dir);
    ASSERT_EQ(expected.count("copy/copy1.tpf"), 1u);
    for (char const* call : {"open", "write", "fsync", "rename", "unlink"}) {
        int kills = 0;
        for (long at = 1; at < 200; ++at) {
            std::string dir = fresh(copy);
            std::string log = dir + ".log";
            TEST_RUN_RESULT killed = [&] {
                std::vector<std::pair<char const*, std::string>> variables =
                    acf_fault_shim_preload();
                variables.insert(variables.end(), {{"FAULT_ARM_CALL", call},
                                                   {"FAULT_FILE", dir},
                                                   {"FAULT_AT", std::to_string(at)},
                                                   {"FAULT_LOG", log},
                                                   {"FAULT_KILL", "1"}});
                TEST_CHILD_ENVIRONMENT environment(variables);
                return run(dir, copy, copy_words(dir, false));
            }();
            if (!std::filesystem::exists(log)) {
                EXPECT_EQ(killed.status, 0) << killed.output;
                break;
            }
            ++kills;
            bool const project_there = std::filesystem::exists(dir + "_copy/rev.tpf") ||
                                       std::filesystem::exists(dir + "_copy/copy1.tpf");
            TEST_RUN_RESULT again = run(dir, copy, copy_words(dir, project_there));
            std::string const context = std::string(call) + " " + std::to_string(at) + " (" +
                                        test_read_file(log) + ")\n" + again.output;
            EXPECT_EQ(again.status, 0) << context;
            EXPECT_TRUE(files_around(dir) == expected) << context;
        }
        EXPECT_GT(kills, 0) << "no " << call;
    }
}

// A name whose defaults file's name the file system would not take could
// never be opened: it is refused as the revision is created, with the limit.
TEST_F(MdbCommitFaults, ARevisionNameTooLongForItsFilesIsRefusedWithTheLimit) {
    for (size_t length : {231u, 232u, 251u}) {
        std::string dir = fresh(CREATE);
        FILES const before = files_of(dir);
        std::string name(length, 'r');
        TEST_RUN_RESULT result = run(dir, CREATE, {"create", name, "chip"});
        if (length <= 231) {
            EXPECT_EQ(result.status, 0) << result.output;
            EXPECT_TRUE(lists(files_of(dir), "rev.tpf", name));
        } else {
            EXPECT_NE(result.status, 0) << result.output;
            EXPECT_TRUE(holds(result.output, "a revision name may have at most 231 characters"))
                << result.output;
            EXPECT_TRUE(files_of(dir) == before);
        }
    }
}

} // namespace
