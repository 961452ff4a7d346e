// The dialogs' messages: one factory per message. The caller owns the returned
// object, shows or posts it, and deletes it.
#pragma once

#include "suite/messages/msg.h"

// Parameter lists by number of string arguments.
#define MDB_MSG_PARAMS_0
#define MDB_MSG_PARAMS_1 char const* arg1
#define MDB_MSG_PARAMS_2 char const *arg1, char const *arg2

class MSG_MDB : public MSG_DEBUG_FACTORY<MSG_MDB> {
public:
    // The component of its debug messages (MSG_MDB::DEBUG_MSG).
    static constexpr char const* debug_component = "MDB";

    // Notices.
    struct O {
#define MDB_MSG(SCOPE, NAME, ID, NARGS, TEMPLATE) MDB_MSG_DECLARE_##SCOPE(NAME, NARGS)
#define MDB_MSG_DECLARE_O(NAME, NARGS) static MSG_O* NAME(MDB_MSG_PARAMS_##NARGS);
#define MDB_MSG_DECLARE_YN(NAME, NARGS)
#include "sys/mdb/mdb_msgs.def"
#undef MDB_MSG_DECLARE_O
#undef MDB_MSG_DECLARE_YN
    };
    // Yes/no questions; show() answers MSG_ANSWER_YES (6) or MSG_ANSWER_NO (7).
    struct YN {
#define MDB_MSG_DECLARE_O(NAME, NARGS)
#define MDB_MSG_DECLARE_YN(NAME, NARGS) static MSG_YN* NAME(MDB_MSG_PARAMS_##NARGS);
#include "sys/mdb/mdb_msgs.def"
#undef MDB_MSG_DECLARE_O
#undef MDB_MSG_DECLARE_YN
#undef MDB_MSG
    };
    // One line of Tcl output, attached to a message that collects them.
    struct E {
        static MSG_E* TCL_OUTPUT(char const* line);
    };
    // The same, as information; a null message when 296025 is suppressed.
    struct I {
        static MSG_I* TCL_OUTPUT(char const* line);
    };
};

// The identifiers registered at load: the two Tcl-output lines.
enum { MDB_MSG_ID_TCL_OUTPUT_ERROR = 296024, MDB_MSG_ID_TCL_OUTPUT_INFO = 296025 };
