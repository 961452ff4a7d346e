#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

TEST(MdbMsgs, FactoriesFillTemplatesAndIdentifiers) {
    struct Case {
        MSG_BASE* message;
        char severity;
        unsigned id;
        char const* text;
    } cases[] = {
        {MSG_MDB::O::ARCHIVE_FINISHED("Archive done"), 'O', 296002, "Archive done"},
        {MSG_MDB::O::FILE_DOESNT_EXIST("a.tsf"), 'O', 296003, "Can't find file a.tsf"},
        {MSG_MDB::O::TOOLBAR_NAME_EXISTS("Main"), 'O', 296064,
         "Toolbar name 'Main' already exists. Type another name in the Toolbar name field."},
        {MSG_MDB::O::REVISION_NOT_CHANGED("b", "it is the active revision"), 'O', 296065,
         "Can't change revision b -- it is the active revision"},
        {MSG_MDB::O::CANT_DELETE_FILE("r.rba"), 'O', 296066, "Can't delete file r.rba"},
        {MSG_MDB::O::CANT_READ_PROJECT_REVISIONS("/p/rev.tpf", "Input/output error"), 'O', 296068,
         "Can't read the revisions of project file /p/rev.tpf -- Input/output error. No revision "
         "can be created until it can be read."},
        {MSG_MDB::O::ASSIGNMENT_GROUPS_NOT_WRITTEN("/p/gtf.tsf"), 'O', 296069,
         "Can't write the assignment groups to settings file /p/gtf.tsf -- no assignment group "
         "was changed"},
        {MSG_MDB::O::ARCHIVE_CANCELLED("/p/a.tsa"), 'O', 296072,
         "Archive cancelled. File /p/a.tsa was not created or changed."},
        {MSG_MDB::O::ASSIGNMENT_GROUPS_CHANGED_OUTSIDE_TESSALY(), 'O', 296044,
         "Assignment Groups have been changed outside of the Assignment Groups dialog box.  "
         "Changes made in the dialog will be lost."},
        {MSG_MDB::O::PLEXA_NOT_INSTALLED(), 'O', 296059, "Can't find Plexa"},
        {MSG_MDB::YN::DEVICE_NOT_IN_FAMILY("D1", "F2"), 'Q', 296007,
         "Device D1 does not belong to device family F2 -- Choose an appropriate device from the "
         "available devices. Norvik recommends removing all location assignments when changing "
         "the device. Do you want to remove all location assignments?"},
        {MSG_MDB::YN::CREATE_DIRECTORY("/tmp/x y"), 'Q', 296046,
         "Destination directory \"/tmp/x y\" does not exist. Do you want to create it?"},
        {MSG_MDB::YN::STILL_HAS_NOT_UPGRADE_IP(), 'Q', 11916,
         "Your design contains IP components that must be upgraded to the latest version. Do you "
         "want to close this dialog box and upgrade the IP components later?"},
        {MSG_MDB::E::TCL_OUTPUT("oops"), 'E', 296024, "oops"},
        {MSG_MDB::I::TCL_OUTPUT("fine"), 'I', 296025, "fine"},
    };
    for (auto const& c : cases) {
        std::unique_ptr<MSG_BASE> owned(c.message);
        EXPECT_EQ(c.message->get_severity(), c.severity) << c.id;
        EXPECT_EQ(c.message->get_id(), c.id);
        EXPECT_EQ(c.message->get_text(), c.text);
    }
}

// Every notice and question: a distinct identifier in the library's range (the
// one question outside it excepted), and no identifier tail left in the text.
TEST(MdbMsgs, CatalogueIdentifiersAreDistinctAndInRange) {
    std::set<unsigned> seen;
    auto check = [&](MSG_BASE* message) {
        std::unique_ptr<MSG_BASE> owned(message);
        unsigned id = message->get_id();
        EXPECT_TRUE(seen.insert(id).second) << id;
        EXPECT_TRUE((id >= 296000 && id <= 296069) || (id >= 296072 && id <= 296074) ||
                    id == 11916)
            << id;
        EXPECT_EQ(message->get_text().find("MDB_"), std::string::npos) << id;
        EXPECT_FALSE(message->get_text().empty()) << id;
    };
#define CHECK_O(NAME, PARAMS) check(call_##PARAMS(MSG_MDB::O::NAME));
#define CHECK_YN(NAME, PARAMS) check(call_##PARAMS(MSG_MDB::YN::NAME));
#define CHECK_E(NAME, PARAMS)
#define CHECK_I(NAME, PARAMS)
#define MSG_ROW(SCOPE, NAME, ID, PARAMS, TEMPLATE) CHECK_##SCOPE(NAME, PARAMS)
    auto call_NONE = [](auto factory) { return static_cast<MSG_BASE*>(factory()); };
    auto call_S = [](auto factory) { return static_cast<MSG_BASE*>(factory("x")); };
    auto call_SS = [](auto factory) { return static_cast<MSG_BASE*>(factory("x", "y")); };
#include "sys/mdb/mdb_msgs.def"
#undef MSG_ROW
#undef CHECK_O
#undef CHECK_YN
#undef CHECK_E
#undef CHECK_I
    EXPECT_EQ(seen.size(), 71u);
}

// A question whose Yes deletes, replaces or overwrites offers No as its
// default; the others offer Yes.
TEST(MdbMsgs, QuestionsThatDestroyDefaultToNo) {
    struct CASE {
        MSG_YN* question;
        int default_answer;
    } const cases[] = {
        {MSG_MDB::YN::CONFIRM_DELETE_REVISION("fast"), MSG_ANSWER_NO},
        {MSG_MDB::YN::ANOTHER_ARCHIVE_EXISTS_IN_DIR("/p/a.tsa"), MSG_ANSWER_NO},
        {MSG_MDB::YN::OVERWRITE_FILE("/p/a.tcl"), MSG_ANSWER_NO},
        {MSG_MDB::YN::REVISION_ALREADY_EXISTS("r"), MSG_ANSWER_NO},
        {MSG_MDB::YN::CONFIRM_DELETE_TIME_GROUP(), MSG_ANSWER_NO},
        {MSG_MDB::YN::DELETE_ASSIGNMENTS_TO_TIME_GROUP(), MSG_ANSWER_NO},
        {MSG_MDB::YN::CONFIRM_DELETE_ALL_ASSIGNMENT_GROUPS(), MSG_ANSWER_NO},
        {MSG_MDB::YN::DELETE_ASSIGNMENTS_TO_ALL_ASSIGNMENT_GROUPS(), MSG_ANSWER_NO},
        {MSG_MDB::YN::DEVICE_REMOVAL_WARNING(), MSG_ANSWER_NO},
        {MSG_MDB::YN::PROJECT_IN_DIRECTORY("/p"), MSG_ANSWER_NO},
        {MSG_MDB::YN::ORGANIZE_TSF(), MSG_ANSWER_NO},
        {MSG_MDB::YN::CREATE_DIRECTORY("/p"), MSG_ANSWER_YES},
        {MSG_MDB::YN::ELABORATION_NEEDED(), MSG_ANSWER_YES},
        {MSG_MDB::YN::RUN_EXPORT_DATABASE(), MSG_ANSWER_YES},
    };
    for (CASE const& c : cases) {
        std::unique_ptr<MSG_YN> owned(c.question);
        EXPECT_EQ(c.question->get_default_answer(), c.default_answer) << c.question->get_id();
    }
}

class SuppressInfo : public MSG_SUPPRESSION_LOOKUP {
public:
    bool is_suppressed(unsigned id) override { return id == 296025; }
};

TEST(MdbMsgs, SuppressedTclOutputIsNullAndErrorsAreNot) {
    SuppressInfo lookup;
    MSG_INDEX::get_default_index()->set_suppression_lookup(&lookup);
    std::unique_ptr<MSG_I> info(MSG_MDB::I::TCL_OUTPUT("line"));
    std::unique_ptr<MSG_E> error(MSG_MDB::E::TCL_OUTPUT("line"));
    MSG_INDEX::get_default_index()->set_suppression_lookup(nullptr);
    EXPECT_TRUE(info->is_null());
    EXPECT_TRUE(info->get_text().empty());
    EXPECT_FALSE(error->is_null());
    EXPECT_EQ(error->get_text(), "line");
}

TEST(MdbMsgs, LoadingRegistersOnlyTheTclOutputIdentifiers) {
    MSG_POST_TYPE type;
    ASSERT_TRUE(MSG_INDEX::get_default_index()->is_registered(296024, &type));
    EXPECT_EQ(type, MSG_POST_TYPE_ERROR);
    ASSERT_TRUE(MSG_INDEX::get_default_index()->is_registered(296025, &type));
    EXPECT_EQ(type, MSG_POST_TYPE_INFO);
    EXPECT_FALSE(MSG_INDEX::get_default_index()->is_registered(296002));
}

TEST(MdbMsgs, DebugMessagesCarryComponentAndLevel) {
    std::unique_ptr<MSG_D> plain(MSG_MDB::DEBUG_MSG("%d rows", 3));
    EXPECT_EQ(plain->get_text(), "3 rows");
    EXPECT_EQ(plain->get_component(), "MDB");
    EXPECT_EQ(plain->get_level(), MSG_D_LEVEL_2);
    std::unique_ptr<MSG_D> levelled(MSG_MDB::DEBUG_MSG(MSG_D_LEVEL_3, "%s", "x"));
    EXPECT_EQ(levelled->get_level(), MSG_D_LEVEL_3);
}

TEST(MdbStaticData, RevisionTableColumnsMatchTheirNumbers) {
    EXPECT_EQ(REV_TBL_COLUMN_NAMES[REVISION_NAME_COL], "Revision Name");
    EXPECT_EQ(REV_TBL_COLUMN_NAMES[MEET_TIMING_COL], "Meet Timing");
    EXPECT_EQ(REV_TBL_COLUMN_NAMES[DESC_COL], "Description");
    for (auto const& name : REV_TBL_COLUMN_NAMES) {
        EXPECT_FALSE(name.empty());
    }
    EXPECT_EQ(DESC_COLUMN_HEIGHT, 100);
    EXPECT_EQ(DESC_COLUMN_WIDTH, 0);
}

} // namespace
