#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct FillCase {
    char const* format;
    std::string expected;
};

TEST(Messages, FillArgsReplacesPlaceholdersByPositionAndDropsIdentifier) {
    MSG_E m;
    m.fill_args("File %2!s! has %1!d! errors./EACF_SOME_ERROR", 3, "a.tsf");
    EXPECT_EQ(m.get_text(), "File a.tsf has 3 errors.");

    MSG_I plain;
    plain.fill_args("No placeholders here");
    EXPECT_EQ(plain.get_text(), "No placeholders here");

    MSG_W path;
    path.fill_args("Path %1!s!/WACF_X", "/a/b/c");
    EXPECT_EQ(path.get_text(), "Path /a/b/c");

    // An argument that looks like an identifier tail is text, not a tag.
    MSG_O arg;
    arg.fill_args("%1!s!/OMDB_ARCHIVE_FINISHED", "/tmp/ARCHIVE/X");
    EXPECT_EQ(arg.get_text(), "/tmp/ARCHIVE/X");
    MSG_YN question;
    question.fill_args("Replace %1!s!?/YNMDB_ANOTHER_ARCHIVE_EXISTS_IN_DIR", "a.tar");
    EXPECT_EQ(question.get_text(), "Replace a.tar?");
}

TEST(Messages, PostPrintsOneLineAndLogsWithSubMessages) {
    msg_log_clear();
    MSG_E m;
    m.fill_args("Command has too many specified options./EIPMAN_TOO_MANY_OPTIONS");
    m.set_id(11250);
    auto* sub = new MSG_I;
    sub->fill_args("detail %1!s!/IX", "one");
    m.add_sub_message(sub);
    m.add_sub_message(new MSG_I_NULL);

    testing::internal::CaptureStdout();
    EXPECT_TRUE(msg_post(&m));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Error (11250): Command has too many specified options.\n"
                   "    Info (0): detail one\n");

    auto log = msg_log_entries();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].severity, 'E');
    EXPECT_EQ(log[0].id, 11250u);
    EXPECT_EQ(log[1].depth, 1);
}

TEST(Messages, SeverityWordsOnTheConsole) {
    struct Case {
        MSG_BASE* message;
        char const* prefix;
    } cases[] = {{new MSG_E, "Error (1): "},
                 {new MSG_W, "Warning (1): "},
                 {new MSG_I, "Info (1): "},
                 {new MSG_O, "Info (1): "}};
    for (auto& c : cases) {
        c.message->set_id(1);
        EXPECT_EQ(msg_format_line(*c.message), c.prefix);
        delete c.message;
    }
}

TEST(Messages, NullMessagesPostNothing) {
    msg_log_clear();
    MSG_W_NULL w;
    testing::internal::CaptureStdout();
    w.post();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(msg_log_entries().empty());
}

TEST(Messages, QuestionsAnswerFromQueueThenNo) {
    MSG_YN q;
    q.fill_args("Continue?");
    msg_queue_answer(MSG_ANSWER_YES);
    testing::internal::CaptureStdout();
    EXPECT_EQ(q.show(), MSG_ANSWER_YES);
    EXPECT_EQ(q.show(), MSG_ANSWER_NO);

    // A host's handler answers when nothing is queued; queued answers come first.
    std::string asked;
    msg_set_question_handler([&](MSG_BASE const& m) {
        asked = m.get_text();
        return MSG_ANSWER_YES;
    });
    msg_queue_answer(MSG_ANSWER_NO);
    EXPECT_EQ(q.show(), MSG_ANSWER_NO);
    EXPECT_EQ(q.show(), MSG_ANSWER_YES);
    EXPECT_EQ(asked, "Continue?");
    msg_set_question_handler(nullptr);
    testing::internal::GetCapturedStdout();
}

class OddIds : public MSG_SUPPRESSION_LOOKUP {
public:
    bool is_suppressed(unsigned id) override { return id % 2 == 1; }
};

TEST(Messages, RegistrationAndSuppression) {
    static unsigned const ids[] = {100, 101};
    static MSG_POST_TYPE const types[] = {MSG_POST_TYPE_ERROR, MSG_POST_TYPE_WARNING};
    MSG_INDEX* index = MSG_INDEX::get_default_index();
    {
        MSG_ID_REGISTRAR registrar(ids, types, 2);
        MSG_POST_TYPE t;
        ASSERT_TRUE(index->is_registered(101, &t));
        EXPECT_EQ(t, MSG_POST_TYPE_WARNING);
    }
    EXPECT_FALSE(index->is_registered(101));

    OddIds lookup;
    EXPECT_FALSE(index->is_suppressed(101));
    index->set_suppression_lookup(&lookup);
    EXPECT_TRUE(index->is_suppressed(101));
    EXPECT_FALSE(index->is_suppressed(100));
    index->set_suppression_lookup(nullptr);
}

TEST(Messages, OnlyKnownInformationAndWarningsMayBeSwitchedOff) {
    static unsigned const ids[] = {200, 201, 202};
    static MSG_POST_TYPE const types[] = {MSG_POST_TYPE_ERROR, MSG_POST_TYPE_INFO,
                                          MSG_POST_TYPE_WARNING};
    MSG_ID_REGISTRAR registrar(ids, types, 3);
    MSG_INDEX* index = MSG_INDEX::get_default_index();
    struct CASE {
        unsigned id;
        char const* refusal; // null when accepted
    } const cases[] = {{200, "is an error message"}, {201, nullptr}, {202, nullptr},
                       {203, "is not a known message ID"}};
    for (CASE const& c : cases) {
        for (bool project : {true, false}) {
            std::unique_ptr<MSG_POST> message(project
                                                  ? index->check_project_suppression(c.id, nullptr)
                                                  : index->check_instance_suppression(c.id, nullptr));
            if (c.refusal == nullptr) {
                EXPECT_EQ(message, nullptr) << c.id;
                continue;
            }
            ASSERT_NE(message, nullptr) << c.id;
            EXPECT_EQ(message->get_severity(), 'W');
            EXPECT_NE(message->get_text().find(c.refusal), std::string::npos) << message->get_text();
            EXPECT_NE(message->get_text().find(std::to_string(c.id)), std::string::npos);
            EXPECT_NE(message->get_text().find(project ? "for the project" : "for an instance"),
                      std::string::npos);
        }
    }
}

TEST(Messages, InternalErrorReportsThroughHookOrStderr) {
    std::string seen;
    MSG_INTERNAL_ERROR::set_hook([&](char const* cond, char const* tag, char const*, int line) {
        seen = std::string(tag) + ":" + cond + ":" + std::to_string(line);
    });
    MSG_INTERNAL_ERROR::report("ptr != NULL", "ACF", "acf_x.cpp", 12);
    EXPECT_EQ(seen, "ACF:ptr != NULL:12");
    MSG_INTERNAL_ERROR::set_hook(nullptr);

    testing::internal::CaptureStderr();
    MSG_INTERNAL_ERROR::report("x > 0", "IPMAN", "f.cpp", 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Internal Error: Sub-system: IPMAN, File: f.cpp, Line: 7\nx > 0\n");
}

} // namespace
