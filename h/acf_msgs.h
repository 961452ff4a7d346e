// The settings library's messages (MSG_ACF): one factory per message, grouped by
// kind in the nested scopes O (plain notices), E (errors), I (information) and
// W (warnings). The messages themselves are listed in acf_msgs.def.
//
// A factory returns a new message (never null) that the caller owns until it
// posts it or hands it on: its text is filled from the message's template and
// the arguments, its id is set. I and W factories return the null variant
// (MSG_I_NULL, MSG_W_NULL: no text, no id, shows nothing) while the message
// system's default index reports the id as suppressed; E and O are never
// suppressed.
#pragma once

#include "suite/messages/msg.h"

#include <string>

// Factory parameters per signature of acf_msgs.def (S text, D integer).
#define ACF_MSG_PARAMS_NONE
#define ACF_MSG_PARAMS_S char const* a1
#define ACF_MSG_PARAMS_SS char const *a1, char const *a2
#define ACF_MSG_PARAMS_SSS char const *a1, char const *a2, char const *a3
#define ACF_MSG_PARAMS_D int a1
#define ACF_MSG_PARAMS_SD char const *a1, int a2
#define ACF_MSG_PARAMS_SDD char const *a1, int a2, int a3

// Each scope declares the rows of acf_msgs.def whose scope letter is its own.
#define ACF_MSG(SCOPE, NAME, ID, SIG, TEXT) ACF_MSG_IN_##SCOPE(MSG_##SCOPE, NAME, SIG)
#define ACF_MSG_DECLARE(TYPE, NAME, SIG) static TYPE* NAME(ACF_MSG_PARAMS_##SIG);
#define ACF_MSG_SKIP(TYPE, NAME, SIG)

class MSG_ACF : public MSG_DEBUG_FACTORY<MSG_ACF> {
public:
    // The component of its debug messages (MSG_ACF::DEBUG_MSG).
    static constexpr char const* debug_component = "ACF";

    class O {
    public:
#define ACF_MSG_IN_O ACF_MSG_DECLARE
#define ACF_MSG_IN_E ACF_MSG_SKIP
#define ACF_MSG_IN_I ACF_MSG_SKIP
#define ACF_MSG_IN_W ACF_MSG_SKIP
#include "acf_msgs.def"
#undef ACF_MSG_IN_O
#undef ACF_MSG_IN_E
#undef ACF_MSG_IN_I
#undef ACF_MSG_IN_W
    };

    class E {
    public:
#define ACF_MSG_IN_O ACF_MSG_SKIP
#define ACF_MSG_IN_E ACF_MSG_DECLARE
#define ACF_MSG_IN_I ACF_MSG_SKIP
#define ACF_MSG_IN_W ACF_MSG_SKIP
#include "acf_msgs.def"
#undef ACF_MSG_IN_O
#undef ACF_MSG_IN_E
#undef ACF_MSG_IN_I
#undef ACF_MSG_IN_W
    };

    class I {
    public:
#define ACF_MSG_IN_O ACF_MSG_SKIP
#define ACF_MSG_IN_E ACF_MSG_SKIP
#define ACF_MSG_IN_I ACF_MSG_DECLARE
#define ACF_MSG_IN_W ACF_MSG_SKIP
#include "acf_msgs.def"
#undef ACF_MSG_IN_O
#undef ACF_MSG_IN_E
#undef ACF_MSG_IN_I
#undef ACF_MSG_IN_W
    };

    class W {
    public:
#define ACF_MSG_IN_O ACF_MSG_SKIP
#define ACF_MSG_IN_E ACF_MSG_SKIP
#define ACF_MSG_IN_I ACF_MSG_SKIP
#define ACF_MSG_IN_W ACF_MSG_DECLARE
#include "acf_msgs.def"
#undef ACF_MSG_IN_O
#undef ACF_MSG_IN_E
#undef ACF_MSG_IN_I
#undef ACF_MSG_IN_W
    };
};

#undef ACF_MSG
#undef ACF_MSG_DECLARE
#undef ACF_MSG_SKIP

// The registration of the library's E, I and W ids with the message system (made
// when the library is loaded): the ids and their post types, in file order.
extern unsigned const acf_msg_ids[];
extern MSG_POST_TYPE const acf_msg_id_types[];
extern unsigned const acf_msg_id_count; // 94

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
