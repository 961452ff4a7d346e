// The settings library's messages (MSG_ACF): one factory per message, grouped by
// kind in the nested scopes O (plain notices), E (errors), I (information) and
// W (warnings). The messages themselves are the table acf_msgs.def.
//
// A factory returns a new message (never null) that the caller owns until it
// posts it or hands it on: its text is filled from the message's template and
// the arguments, its id is set. I and W factories return the null variant
// (MSG_I_NULL, MSG_W_NULL: no text, no id, shows nothing) while the message
// system's default index reports the id as suppressed; E and O are never
// suppressed.
#pragma once

#include "suite/messages/msg_table.h"

#include <string>

#define MSG_TABLE_FILE "acf_msgs.def"
class MSG_ACF : public MSG_DEBUG_FACTORY<MSG_ACF> {
public:
    // The component of its debug messages (MSG_ACF::DEBUG_MSG).
    static constexpr char const* debug_component = "ACF";

    class O {
    public:
#define MSG_TABLE_SCOPE_O
#include "suite/messages/msg_table_declare.h"
    };

    class E {
    public:
#define MSG_TABLE_SCOPE_E
#include "suite/messages/msg_table_declare.h"
    };

    class I {
    public:
#define MSG_TABLE_SCOPE_I
#include "suite/messages/msg_table_declare.h"
    };

    class W {
    public:
#define MSG_TABLE_SCOPE_W
#include "suite/messages/msg_table_declare.h"
    };
};
#undef MSG_TABLE_FILE

// How many E, I and W ids the library registers with the message system (made
// when the library is loaded): 94.
extern unsigned const acf_msg_id_count;

// A printf-style debug line of the settings library (component "ACF", level 2)
// on the message system's local debug channel.
void acf_msg_debug(char const* format, ...) __attribute__((format(printf, 1, 2)));

// Gives a message an information sub-message holding the text (such as the
// reason why a file could not be read or written); nothing for an empty text.
// Returns the message.
MSG_POST* acf_add_info_sub_message(MSG_POST* message, std::string const& text);

// A text from a file's line as a message shows it: its first 200 characters
// and "..." when it is longer (a huge bad line is not echoed whole); "" for
// null.
std::string acf_shown_text(char const* text);
