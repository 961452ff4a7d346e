#include "acf_msgs.h"

#include "mem_manager.h"

#include <cstdarg>
#include <cstring>
#include <string>

MEM_UNIT_INITIALIZER(ACF);

namespace {

template <class MSG> MSG* build(unsigned id, char const* text, va_list args) {
    MSG* message = MEM_NEW(ACF, MSG)(nullptr);
    message->vfill_args(text, args);
    message->set_id(id);
    return message;
}

// Information and warning messages give way to their null variant while the
// message system reports their id as suppressed.
template <class MSG, class NULL_MSG>
MSG* build_unless_suppressed(unsigned id, char const* text, va_list args) {
    MSG_INDEX* index = MSG_INDEX::get_default_index();
    if (index != nullptr && index->is_suppressed(id)) {
        return MEM_NEW(ACF, NULL_MSG)();
    }
    return build<MSG>(id, text, args);
}

#define ACF_MSG_BUILDER(SCOPE, CALL)                                                               \
    MSG_##SCOPE* build_##SCOPE(unsigned id, char const* text, ...) {                               \
        va_list args;                                                                              \
        va_start(args, text);                                                                      \
        MSG_##SCOPE* message = CALL(id, text, args);                                               \
        va_end(args);                                                                              \
        return message;                                                                            \
    }
ACF_MSG_BUILDER(O, build<MSG_O>)
ACF_MSG_BUILDER(E, build<MSG_E>)
#define ACF_BUILD_I build_unless_suppressed<MSG_I, MSG_I_NULL>
#define ACF_BUILD_W build_unless_suppressed<MSG_W, MSG_W_NULL>
ACF_MSG_BUILDER(I, ACF_BUILD_I)
ACF_MSG_BUILDER(W, ACF_BUILD_W)
#undef ACF_BUILD_I
#undef ACF_BUILD_W
#undef ACF_MSG_BUILDER

} // namespace

// Factory arguments per signature, passed on in placeholder order.
#define ACF_MSG_ARGS_NONE
#define ACF_MSG_ARGS_S , a1
#define ACF_MSG_ARGS_SS , a1, a2
#define ACF_MSG_ARGS_SSS , a1, a2, a3
#define ACF_MSG_ARGS_D , a1
#define ACF_MSG_ARGS_SD , a1, a2
#define ACF_MSG_ARGS_SDD , a1, a2, a3

#define ACF_MSG(SCOPE, NAME, ID, SIG, TEXT)                                                        \
    MSG_##SCOPE* MSG_ACF::SCOPE::NAME(ACF_MSG_PARAMS_##SIG) {                                      \
        return build_##SCOPE(ID, TEXT ACF_MSG_ARGS_##SIG);                                         \
    }
#include "acf_msgs.def"
#undef ACF_MSG

void acf_msg_debug(char const* format, ...) {
    va_list args;
    va_start(args, format);
    msg_local_vdebug("ACF", MSG_D_LEVEL_2, format, args);
    va_end(args);
}

// Registration: every E id with post type 0, I with 1, W with 2; O ids are not
// registered.
#define ACF_MSG_ID_O(ID)
#define ACF_MSG_ID_E(ID) ID,
#define ACF_MSG_ID_I(ID) ID,
#define ACF_MSG_ID_W(ID) ID,
#define ACF_MSG(SCOPE, NAME, ID, SIG, TEXT) ACF_MSG_ID_##SCOPE(ID)
unsigned const acf_msg_ids[] = {
#include "acf_msgs.def"
};
#undef ACF_MSG

#define ACF_MSG_TYPE_O
#define ACF_MSG_TYPE_E MSG_POST_TYPE_ERROR,
#define ACF_MSG_TYPE_I MSG_POST_TYPE_INFO,
#define ACF_MSG_TYPE_W MSG_POST_TYPE_WARNING,
#define ACF_MSG(SCOPE, NAME, ID, SIG, TEXT) ACF_MSG_TYPE_##SCOPE
MSG_POST_TYPE const acf_msg_id_types[] = {
#include "acf_msgs.def"
};
#undef ACF_MSG

unsigned const acf_msg_id_count = sizeof acf_msg_ids / sizeof acf_msg_ids[0];
static_assert(sizeof acf_msg_ids / sizeof acf_msg_ids[0] ==
                  sizeof acf_msg_id_types / sizeof acf_msg_id_types[0],
              "one post type per registered id");
static_assert(sizeof acf_msg_ids / sizeof acf_msg_ids[0] == 94, "37 E, 15 I and 42 W messages");

static MSG_ID_REGISTRAR acf_msg_id_registrar(acf_msg_ids, acf_msg_id_types,
                                             static_cast<int>(acf_msg_id_count));

MSG_POST* acf_add_info_sub_message(MSG_POST* message, std::string const& text) {
    if (message == nullptr || text.empty()) {
        return message;
    }
    MSG_POST* detail = MSG_ACF::I::ACF_ASSIGNMENT_INFO(text.c_str());
    if (detail != nullptr && !detail->is_null()) {
        message->add_sub_message(detail);
    } else {
        delete detail;
    }
    return message;
}

std::string acf_shown_text(char const* text) {
    size_t const shown = 200;
    if (text == nullptr) {
        return std::string();
    }
    // Only as much of it is looked at as can be shown.
    size_t length = strnlen(text, shown + 4);
    if (length <= shown + 3) {
        return std::string(text, length);
    }
    // Cut before a character, not inside one of several bytes.
    size_t cut = shown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return std::string(text, cut) + "...";
}
