#include "ipman/ipman_msgs.h"

#include "mem_manager.h"

#include <cstdarg>

MEM_UNIT_INITIALIZER(IPMAN);

namespace {

// The IP manager's choices for its message table.
struct IPMAN_MSG_TRAITS {
    template <class MESSAGE> static MESSAGE* create() { return MEM_NEW(IPMAN, MESSAGE)(); }
    static constexpr bool warnings_may_be_suppressed = false;
    static void prepare(MSG_BASE*) {}
};

} // namespace

#define MSG_TABLE_FILE "ipman/ipman_msgs.def"
#define MSG_TABLE_CLASS MSG_IPMAN
#define MSG_TABLE_TRAITS IPMAN_MSG_TRAITS
#include "suite/messages/msg_table_define.h"
#undef MSG_TABLE_FILE
#undef MSG_TABLE_CLASS
#undef MSG_TABLE_TRAITS

void ipman_post(MSG_BASE* message) {
    message->post();
    delete message;
}

void ipman_msg_debug(char const* format, ...) {
    va_list args;
    va_start(args, format);
    msg_local_vdebug("IPMAN", MSG_D_LEVEL_2, format, args);
    va_end(args);
}
