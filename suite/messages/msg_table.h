// Prefix msg: messages.
// A subsystem's user messages are one table, a .def file of rows
//
//     MSG_ROW(scope, NAME, id, parameters, "template")
//
// scope       O notice, E error, I information, W warning, YN yes/no question: the
//             factory is MSG_<SUBSYSTEM>::<scope>::<NAME> and returns a new MSG_<scope>
//             (never null) that the caller owns until it posts, shows or hands it on.
// NAME        unique within its scope.
// id          unique in the table; the E, I and W ids are registered with the message
//             system while the subsystem is loaded, O and YN ids are not.
// parameters  the factory's arguments in placeholder order, S a text (char const*) and
//             D an integer: S, SS, SSS, D, SD or SDD; NONE for no argument.
// template    the text with its placeholders (%1!s!, %2!d!), then "/", the scope
//             letter, the subsystem's tag and the name.
//
// The subsystem's header declares the factories, one scope class at a time:
//
//     #define MSG_TABLE_FILE "acf_msgs.def"
//     class MSG_ACF : public MSG_DEBUG_FACTORY<MSG_ACF> {
//     public:
//         class E {
//         public:
//     #define MSG_TABLE_SCOPE_E
//     #include "suite/messages/msg_table_declare.h"
//         };
//         ...
//     };
//     #undef MSG_TABLE_FILE
//
// and its source defines them and registers the ids, once (msg_table_define.h).
// An information message, and a warning where the subsystem allows it, comes back
// as its null variant (MSG_I_NULL, MSG_W_NULL: no text, no id, shows nothing)
// while the message system's default index reports its id as suppressed.
#pragma once

#include "suite/messages/msg.h"

#include <cstdarg>
#include <type_traits>

// The factory's parameters and the arguments it passes on, per parameters column.
#define MSG_TABLE_PARAMS_NONE
#define MSG_TABLE_PARAMS_S char const* a1
#define MSG_TABLE_PARAMS_SS char const *a1, char const *a2
#define MSG_TABLE_PARAMS_SSS char const *a1, char const *a2, char const *a3
#define MSG_TABLE_PARAMS_D int a1
#define MSG_TABLE_PARAMS_SD char const *a1, int a2
#define MSG_TABLE_PARAMS_SDD char const *a1, int a2, int a3
#define MSG_TABLE_ARGS_NONE
#define MSG_TABLE_ARGS_S , a1
#define MSG_TABLE_ARGS_SS , a1, a2
#define MSG_TABLE_ARGS_SSS , a1, a2, a3
#define MSG_TABLE_ARGS_D , a1
#define MSG_TABLE_ARGS_SD , a1, a2
#define MSG_TABLE_ARGS_SDD , a1, a2, a3

// A new message of a table row: the null variant while the id is suppressed (see
// above), else the message with its text filled from the template and the
// arguments, its id set and TRAITS::prepare applied. TRAITS is the subsystem's:
//     template <class MESSAGE> static MESSAGE* create();  // a new, empty message
//     static constexpr bool warnings_may_be_suppressed;
//     static void prepare(MSG_BASE* message);             // last touches, if any
template <class TRAITS, class MESSAGE> MESSAGE* msg_table_make(unsigned id, char const* text, ...) {
    constexpr bool is_info = std::is_same_v<MESSAGE, MSG_I>;
    constexpr bool is_warning = std::is_same_v<MESSAGE, MSG_W>;
    if constexpr (is_info || (is_warning && TRAITS::warnings_may_be_suppressed)) {
        if (MSG_INDEX::get_default_index()->is_suppressed(id)) {
            using NULL_MESSAGE = std::conditional_t<is_info, MSG_I_NULL, MSG_W_NULL>;
            return TRAITS::template create<NULL_MESSAGE>();
        }
    }
    MESSAGE* message = TRAITS::template create<MESSAGE>();
    va_list args;
    va_start(args, text);
    message->vfill_args(text, args);
    va_end(args);
    message->set_id(id);
    TRAITS::prepare(message);
    return message;
}
