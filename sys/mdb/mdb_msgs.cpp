#include "sys/mdb/mdb_msgs.h"

#include "mem_manager.h"

#include <algorithm>
#include <iterator>

MEM_UNIT_INITIALIZER(MDB);

namespace {

// The identifiers by scope and name.
#define MSG_ROW(SCOPE, NAME, ID, PARAMS, TEMPLATE) constexpr unsigned SCOPE##_##NAME = ID;
#include "sys/mdb/mdb_msgs.def"
#undef MSG_ROW
static_assert(E_TCL_OUTPUT == MDB_MSG_ID_TCL_OUTPUT_ERROR &&
                  I_TCL_OUTPUT == MDB_MSG_ID_TCL_OUTPUT_INFO,
              "the Tcl-output identifiers are the table's");

// The questions whose Yes deletes, replaces or overwrites something: their
// default answer is No, so that Enter pressed twice destroys nothing.
constexpr unsigned destructive_questions[] = {
    YN_ANOTHER_ARCHIVE_EXISTS_IN_DIR,
    YN_REVISION_ALREADY_EXISTS,
    YN_CONFIRM_DELETE_TIME_GROUP,
    YN_DELETE_ASSIGNMENTS_TO_TIME_GROUP,
    YN_CONFIRM_DELETE_ALL_ASSIGNMENT_GROUPS,
    YN_DELETE_ASSIGNMENTS_TO_ALL_ASSIGNMENT_GROUPS,
    YN_DEVICE_REMOVAL_WARNING,
    YN_PROJECT_IN_DIRECTORY,
    YN_OVERWRITE_FILE,
    YN_CONFIRM_DELETE_REVISION,
    YN_ORGANIZE_TSF,
};

// The dialogs' choices for their message table.
struct MDB_MSG_TRAITS {
    template <class MESSAGE> static MESSAGE* create() { return MEM_NEW(MDB, MESSAGE)(); }
    static constexpr bool warnings_may_be_suppressed = true;
    static void prepare(MSG_BASE*) {}
    static void prepare(MSG_YN* question) {
        if (std::find(std::begin(destructive_questions), std::end(destructive_questions),
                      question->get_id()) != std::end(destructive_questions)) {
            question->set_default_answer(MSG_ANSWER_NO);
        }
    }
};

} // namespace

#define MSG_TABLE_FILE "sys/mdb/mdb_msgs.def"
#define MSG_TABLE_CLASS MSG_MDB
#define MSG_TABLE_TRAITS MDB_MSG_TRAITS
#include "suite/messages/msg_table_define.h"
#undef MSG_TABLE_FILE
#undef MSG_TABLE_CLASS
#undef MSG_TABLE_TRAITS
