// Defines the factories of every row of the table MSG_TABLE_FILE as members of
// the message class MSG_TABLE_CLASS, made by msg_table_make with the subsystem's
// MSG_TABLE_TRAITS (see msg_table.h), and registers the table's E, I and W ids
// with the message system while the library is loaded. Included once, by the
// subsystem's message source, after its memory unit's initializer; it leaves
// msg_table_registered_ids[] (the registered ids, in table order) for it to use.

#include "suite/messages/msg_table.h"

#define MSG_ROW(SCOPE, NAME, ID, PARAMS, TEMPLATE)                                                 \
    MSG_##SCOPE* MSG_TABLE_CLASS::SCOPE::NAME(MSG_TABLE_PARAMS_##PARAMS) {                         \
        return msg_table_make<MSG_TABLE_TRAITS, MSG_##SCOPE>(ID,                                   \
                                                             TEMPLATE MSG_TABLE_ARGS_##PARAMS);    \
    }
#include MSG_TABLE_FILE
#undef MSG_ROW

namespace {

#define MSG_TABLE_REGISTERED_O(ID, TYPE)
#define MSG_TABLE_REGISTERED_YN(ID, TYPE)
#define MSG_TABLE_REGISTERED_E(ID, TYPE) TYPE(ID, MSG_POST_TYPE_ERROR)
#define MSG_TABLE_REGISTERED_I(ID, TYPE) TYPE(ID, MSG_POST_TYPE_INFO)
#define MSG_TABLE_REGISTERED_W(ID, TYPE) TYPE(ID, MSG_POST_TYPE_WARNING)
#define MSG_TABLE_ID(ID, TYPE) ID,
#define MSG_TABLE_TYPE(ID, TYPE) TYPE,

unsigned const msg_table_registered_ids[] = {
#define MSG_ROW(SCOPE, NAME, ID, PARAMS, TEMPLATE) MSG_TABLE_REGISTERED_##SCOPE(ID, MSG_TABLE_ID)
#include MSG_TABLE_FILE
#undef MSG_ROW
};
MSG_POST_TYPE const msg_table_registered_types[] = {
#define MSG_ROW(SCOPE, NAME, ID, PARAMS, TEMPLATE) MSG_TABLE_REGISTERED_##SCOPE(ID, MSG_TABLE_TYPE)
#include MSG_TABLE_FILE
#undef MSG_ROW
};
static_assert(sizeof msg_table_registered_ids / sizeof msg_table_registered_ids[0] ==
                  sizeof msg_table_registered_types / sizeof msg_table_registered_types[0],
              "one post type per registered id");

MSG_ID_REGISTRAR msg_table_registrar(msg_table_registered_ids, msg_table_registered_types,
                                     sizeof msg_table_registered_ids /
                                         sizeof msg_table_registered_ids[0]);

#undef MSG_TABLE_REGISTERED_O
#undef MSG_TABLE_REGISTERED_YN
#undef MSG_TABLE_REGISTERED_E
#undef MSG_TABLE_REGISTERED_I
#undef MSG_TABLE_REGISTERED_W
#undef MSG_TABLE_ID
#undef MSG_TABLE_TYPE

} // namespace
