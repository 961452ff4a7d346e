#include "sys/mdb/mdb_msgs.h"

#include "mem_manager.h"
#include "suite/general/gen.h"

#include <algorithm>
#include <iterator>
#include <string>

MEM_UNIT_INITIALIZER(MDB);

namespace {

// The identifiers by name.
#define MDB_MSG(SCOPE, NAME, ID, NARGS, TEMPLATE) constexpr unsigned NAME##_ID = ID;
#include "sys/mdb/mdb_msgs.def"
#undef MDB_MSG

// The questions whose Yes deletes, replaces or overwrites something: their
// default answer is No, so that Enter pressed twice destroys nothing.
constexpr unsigned destructive_questions[] = {
    ANOTHER_ARCHIVE_EXISTS_IN_DIR_ID,
    REVISION_ALREADY_EXISTS_ID,
    CONFIRM_DELETE_TIME_GROUP_ID,
    DELETE_ASSIGNMENTS_TO_TIME_GROUP_ID,
    CONFIRM_DELETE_ALL_ASSIGNMENT_GROUPS_ID,
    DELETE_ASSIGNMENTS_TO_ALL_ASSIGNMENT_GROUPS_ID,
    DEVICE_REMOVAL_WARNING_ID,
    PROJECT_IN_DIRECTORY_ID,
    OVERWRITE_FILE_ID,
    CONFIRM_DELETE_REVISION_ID,
    ORGANIZE_TSF_ID,
};

void set_default_answer(MSG_BASE*) {}
void set_default_answer(MSG_YN* question) {
    if (std::find(std::begin(destructive_questions), std::end(destructive_questions),
                  question->get_id()) != std::end(destructive_questions)) {
        question->set_default_answer(MSG_ANSWER_NO);
    }
}

template <class MESSAGE> MESSAGE* make(unsigned id, char const* format, ...) {
    auto* message = MEM_NEW(MDB, MESSAGE)();
    va_list args;
    va_start(args, format);
    message->vfill_args(format, args);
    va_end(args);
    message->set_id(id);
    set_default_answer(message);
    return message;
}

} // namespace

#define MDB_MSG_ARGS_0
#define MDB_MSG_ARGS_1 , arg1
#define MDB_MSG_ARGS_2 , arg1, arg2
#define MDB_MSG(SCOPE, NAME, ID, NARGS, TEMPLATE)                                                  \
    MSG_##SCOPE* MSG_MDB::SCOPE::NAME(MDB_MSG_PARAMS_##NARGS) {                                    \
        return make<MSG_##SCOPE>(ID, TEMPLATE MDB_MSG_ARGS_##NARGS);                               \
    }
#include "sys/mdb/mdb_msgs.def"
#undef MDB_MSG

MSG_E* MSG_MDB::E::TCL_OUTPUT(char const* line) {
    return make<MSG_E>(MDB_MSG_ID_TCL_OUTPUT_ERROR, "%1!s!/EMDB_TCL_OUTPUT", line);
}

MSG_I* MSG_MDB::I::TCL_OUTPUT(char const* line) {
    if (MSG_INDEX::get_default_index()->is_suppressed(MDB_MSG_ID_TCL_OUTPUT_INFO)) {
        return MEM_NEW(MDB, MSG_I_NULL)();
    }
    return make<MSG_I>(MDB_MSG_ID_TCL_OUTPUT_INFO, "%1!s!/IMDB_TCL_OUTPUT", line);
}
