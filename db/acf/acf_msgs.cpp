#include "acf_msgs.h"

#include "mem_manager.h"

#include <cstdarg>
#include <cstring>
#include <string>

MEM_UNIT_INITIALIZER(ACF);

namespace {

// The settings library's choices for its message table.
struct ACF_MSG_TRAITS {
    template <class MESSAGE> static MESSAGE* create() { return MEM_NEW(ACF, MESSAGE)(); }
    static constexpr bool warnings_may_be_suppressed = true;
    static void prepare(MSG_BASE*) {}
};

} // namespace

#define MSG_TABLE_FILE "acf_msgs.def"
#define MSG_TABLE_CLASS MSG_ACF
#define MSG_TABLE_TRAITS ACF_MSG_TRAITS
#include "suite/messages/msg_table_define.h"
#undef MSG_TABLE_FILE
#undef MSG_TABLE_CLASS
#undef MSG_TABLE_TRAITS

unsigned const acf_msg_id_count =
    sizeof msg_table_registered_ids / sizeof msg_table_registered_ids[0];
static_assert(sizeof msg_table_registered_ids / sizeof msg_table_registered_ids[0] == 94,
              "37 E, 15 I and 42 W messages");

void acf_msg_debug(char const* format, ...) {
    va_list args;
    va_start(args, format);
    msg_local_vdebug("ACF", MSG_D_LEVEL_2, format, args);
    va_end(args);
}

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
