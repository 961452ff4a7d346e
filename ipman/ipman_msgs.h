// The IP manager's user messages, one factory per row of ipman_msgs.def, and its
// debug channel.
// A factory returns a new message; the caller posts it and deletes it.
#pragma once

#include "suite/messages/msg_table.h"

#define MSG_TABLE_FILE "ipman/ipman_msgs.def"
class MSG_IPMAN : public MSG_DEBUG_FACTORY<MSG_IPMAN> {
public:
    // The component of its debug messages (MSG_IPMAN::DEBUG_MSG).
    static constexpr char const* debug_component = "IPMAN";

    // Errors.
    class E {
    public:
#define MSG_TABLE_SCOPE_E
#include "suite/messages/msg_table_declare.h"
    };
    // Warnings.
    class W {
    public:
#define MSG_TABLE_SCOPE_W
#include "suite/messages/msg_table_declare.h"
    };
    // Information; a suppressed one comes back as a null message that posts nothing.
    class I {
    public:
#define MSG_TABLE_SCOPE_I
#include "suite/messages/msg_table_declare.h"
    };
};
#undef MSG_TABLE_FILE

// A broken invariant of the IP manager, described by a text: the internal-error
// report, tagged "IPMAN" (suite/messages/msg.h).
#define IPMAN_INTERNAL_ERROR(text) MSG_REQUIRE_FAILED("IPMAN", text)

// Posts a message a factory made, then deletes it.
void ipman_post(MSG_BASE* message);

// Writes a printf-formatted line to the local debug channel as "IPMAN", level 2.
void ipman_msg_debug(char const* format, ...);
