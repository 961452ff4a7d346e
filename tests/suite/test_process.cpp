#include "suite/threads/thr.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using WORDS = std::vector<std::string>;

TEST(Process, SplitsOnBlanksAndRemovesQuotes) {
    struct CASE {
        char const* line;
        WORDS words;
    } const cases[] = {
        {"", {}},
        {"  \t ", {}},
        {"a b", {"a", "b"}},
        {"  a\t\tb  ", {"a", "b"}},
        {"prog \"a b\" c", {"prog", "a b", "c"}},
        {"prog 'say \"hi\"'", {"prog", "say \"hi\""}},
        {"prog \"it's\"", {"prog", "it's"}},
        {"x\"y z\"w", {"xy zw"}},
        {"prog \"\" ''", {"prog", "", ""}},
        {"prog \"open to the end", {"prog", "open to the end"}},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(thr_process_split_command_line(c.line), c.words) << c.line;
    }
}

TEST(Process, QuotedArgumentSplitsBackToItself) {
    for (std::string text :
         {"", "plain", "a b", "it's", "say \"hi\"", "both ' and \"", " lead\t"}) {
        EXPECT_EQ(thr_process_split_command_line(thr_process_quote_argument(text).c_str()),
                  WORDS{text})
            << text;
    }
}

TEST(Process, ArgumentsReachTheProgramWithoutAShell) {
    // A shell would expand the "$HOME" and the ";" would end the command.
    TEST_RUN_RESULT run = test_run("printf \"%s|\" \"a  b\" 'c;d' $HOME");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "a  b|c;d|$HOME|");
}

TEST(Process, ReportsExitCodesAndMergedOutput) {
    struct CASE {
        char const* script;
        int status;
        std::string output;
    } const cases[] = {
        {"echo out; echo err >&2", 0, "out\nerr\n"},
        {"exit 3", 3, ""},
        {"kill -TERM $$", 128 + 15, ""},
    };
    for (CASE const& c : cases) {
        TEST_RUN_RESULT run = test_run(std::string("sh -c '") + c.script + "'");
        EXPECT_EQ(run.status, c.status) << c.script;
        EXPECT_EQ(run.output, c.output) << c.script;
    }
}

TEST(Process, KeepsStandardErrorApartWhenAskedTo) {
    THR_PIPE out = nullptr;
    THR_PIPE err = nullptr;
    THR_PROCESS process = nullptr;
    ASSERT_TRUE(thr_process_create("sh -c 'echo to-err >&2; echo to-out'", "", &out, &err, &process,
                                   nullptr));
    char buffer[64];
    size_t count = 0;
    std::string out_text;
    std::string err_text;
    while (thr_process_read(out, buffer, sizeof buffer, &count) == 0) {
        out_text.append(buffer, count);
    }
    while (thr_process_read(err, buffer, sizeof buffer, &count) == 0) {
        err_text.append(buffer, count);
    }
    int status = -1;
    EXPECT_TRUE(thr_process_wait(process, &status, 0));
    EXPECT_EQ(out_text, "to-out\n");
    EXPECT_EQ(err_text, "to-err\n");
    EXPECT_EQ(status, 0);
}

TEST(Process, RunsInTheGivenFolder) {
    TEST_WORKSPACE workspace;
    TEST_RUN_RESULT run = test_run("pwd", workspace.dir());
    EXPECT_EQ(run.output, std::filesystem::canonical(workspace.dir()).string() + "\n");
}

TEST(Process, ProgramThatCannotStartIsRefused) {
    THR_PIPE out = nullptr;
    THR_PROCESS process = nullptr;
    EXPECT_FALSE(thr_process_create("/no/such/program -x", "", &out, &out, &process, nullptr));
    EXPECT_FALSE(thr_process_create("   ", "", &out, &out, &process, nullptr));
}

TEST(Process, ProgramThatCannotStartIsRefusedForEachReason) {
    TEST_WORKSPACE workspace;
    std::string script = workspace.path("tool");
    test_write_file(script, "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write);
    struct CASE {
        std::string line;
        std::string dir;
    } const cases[] = {
        {script, ""},                            // not executable
        {workspace.dir(), ""},                   // a directory
        {"true", workspace.path("no-such-dir")}, // working directory missing
    };
    for (CASE const& c : cases) {
        long pid = 0;
        EXPECT_FALSE(
            thr_process_create(c.line.c_str(), c.dir.c_str(), nullptr, nullptr, nullptr, &pid))
            << c.line << " in " << c.dir;
    }
}

// Whether the process is still there, running or as a zombie (a child of
// ours stays a zombie until it is waited for).
bool process_exists(long pid) {
    return std::filesystem::exists("/proc/" + std::to_string(pid));
}

bool ends_within_seconds(long pid, int seconds) {
    for (int i = 0; i < seconds * 100 && process_exists(pid); ++i) {
        usleep(10000);
    }
    return !process_exists(pid);
}

TEST(Process, ChildNobodyWaitsForIsReaped) {
    long pid = 0;
    ASSERT_TRUE(thr_process_create("true", "", nullptr, nullptr, nullptr, &pid));
    EXPECT_TRUE(ends_within_seconds(pid, 10)) << "child " << pid << " left unreaped";
}

TEST(Process, ChildNobodyWaitsForRunsInTheGivenFolder) {
    TEST_WORKSPACE workspace;
    std::string line = "sh -c 'pwd > out.txt'";
    long pid = 0;
    ASSERT_TRUE(
        thr_process_create(line.c_str(), workspace.dir().c_str(), nullptr, nullptr, nullptr, &pid));
    ASSERT_TRUE(ends_within_seconds(pid, 10));
    EXPECT_EQ(test_read_file(workspace.path("out.txt")),
              std::filesystem::canonical(workspace.dir()).string() + "\n");
}

TEST(Process, ReapingLeavesTheStatusOfWaitedChildrenAlone) {
    THR_PIPE out = nullptr;
    THR_PROCESS waited = nullptr;
    ASSERT_TRUE(thr_process_create("sh -c 'sleep 0.3; exit 3'", "", &out, &out, &waited, nullptr));
    std::vector<long> others;
    for (int i = 0; i < 5; ++i) {
        long pid = 0;
        ASSERT_TRUE(thr_process_create("true", "", nullptr, nullptr, nullptr, &pid));
        others.push_back(pid);
    }
    int status = -1;
    EXPECT_TRUE(thr_process_wait(waited, &status, 0));
    EXPECT_EQ(status, 3);
    for (long pid : others) {
        EXPECT_TRUE(ends_within_seconds(pid, 10));
    }
}

TEST(Process, ChildNobodyWaitsForTakesNoPipes) {
    THR_PIPE out = nullptr;
    EXPECT_FALSE(thr_process_create("true", "", &out, nullptr, nullptr, nullptr));
    EXPECT_FALSE(thr_process_create("true", "", nullptr, &out, nullptr, nullptr));
}

TEST(Process, WaitingWithoutReadingDoesNotHang) {
    // The child writes without end; once we stop listening it must end too.
    THR_PIPE out = nullptr;
    THR_PROCESS process = nullptr;
    ASSERT_TRUE(thr_process_create("yes", "", &out, &out, &process, nullptr));
    int status = -1;
    EXPECT_TRUE(thr_process_wait(process, &status, 0));
    EXPECT_NE(status, 0);
}

} // namespace
