#include "suite/threads/thr.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

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
