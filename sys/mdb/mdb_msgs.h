// The dialogs' messages: one factory per row of mdb_msgs.def. The caller owns the returned
// object, shows or posts it, and deletes it.
#pragma once

#include "suite/messages/msg_table.h"

#define MSG_TABLE_FILE "sys/mdb/mdb_msgs.def"
class MSG_MDB : public MSG_DEBUG_FACTORY<MSG_MDB> {
public:
    // The component of its debug messages (MSG_MDB::DEBUG_MSG).
    static constexpr char const* debug_component = "MDB";

    // Notices.
    struct O {
#define MSG_TABLE_SCOPE_O
#include "suite/messages/msg_table_declare.h"
    };
    // Yes/no questions; show() answers MSG_ANSWER_YES (6) or MSG_ANSWER_NO (7).
    struct YN {
#define MSG_TABLE_SCOPE_YN
#include "suite/messages/msg_table_declare.h"
    };
    // Errors.
    struct E {
#define MSG_TABLE_SCOPE_E
#include "suite/messages/msg_table_declare.h"
    };
    // Information; a suppressed one comes back as a null message.
    struct I {
#define MSG_TABLE_SCOPE_I
#include "suite/messages/msg_table_declare.h"
    };
};
#undef MSG_TABLE_FILE

// The identifiers registered at load: the two Tcl-output lines.
enum { MDB_MSG_ID_TCL_OUTPUT_ERROR = 296024, MDB_MSG_ID_TCL_OUTPUT_INFO = 296025 };
