#include "sys/mdb/mdb_msgs.h"

#include "mem_manager.h"
#include "suite/general/gen.h"

#include <string>

MEM_UNIT_INITIALIZER(MDB);

namespace {

template <class MESSAGE> MESSAGE* make(unsigned id, char const* format, ...) {
    auto* message = MEM_NEW(MDB, MESSAGE)();
    va_list args;
    va_start(args, format);
    message->vfill_args(format, args);
    va_end(args);
    message->set_id(id);
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
