// Declares, inside one scope class of a subsystem's message class, the factories
// of the rows of the table MSG_TABLE_FILE whose scope the includer selected by
// defining MSG_TABLE_SCOPE_<scope> (O, E, I, W or YN) just before including it.
// Included once per scope class (see msg_table.h); it undefines the selector.
// No include guard: it is meant to be included again. The header that holds the
// class includes msg_table.h first, outside the class.

#ifndef MSG_TABLE_PARAMS_NONE
#error "include suite/messages/msg_table.h before the message class"
#endif

#define MSG_TABLE_DECLARE(SCOPE, NAME, PARAMS) static MSG_##SCOPE* NAME(MSG_TABLE_PARAMS_##PARAMS);
#define MSG_TABLE_SKIP(SCOPE, NAME, PARAMS)
#ifdef MSG_TABLE_SCOPE_O
#define MSG_TABLE_IN_O MSG_TABLE_DECLARE
#else
#define MSG_TABLE_IN_O MSG_TABLE_SKIP
#endif
#ifdef MSG_TABLE_SCOPE_E
#define MSG_TABLE_IN_E MSG_TABLE_DECLARE
#else
#define MSG_TABLE_IN_E MSG_TABLE_SKIP
#endif
#ifdef MSG_TABLE_SCOPE_I
#define MSG_TABLE_IN_I MSG_TABLE_DECLARE
#else
#define MSG_TABLE_IN_I MSG_TABLE_SKIP
#endif
#ifdef MSG_TABLE_SCOPE_W
#define MSG_TABLE_IN_W MSG_TABLE_DECLARE
#else
#define MSG_TABLE_IN_W MSG_TABLE_SKIP
#endif
#ifdef MSG_TABLE_SCOPE_YN
#define MSG_TABLE_IN_YN MSG_TABLE_DECLARE
#else
#define MSG_TABLE_IN_YN MSG_TABLE_SKIP
#endif

#define MSG_ROW(SCOPE, NAME, ID, PARAMS, TEMPLATE) MSG_TABLE_IN_##SCOPE(SCOPE, NAME, PARAMS)
#include MSG_TABLE_FILE
#undef MSG_ROW

#undef MSG_TABLE_IN_O
#undef MSG_TABLE_IN_E
#undef MSG_TABLE_IN_I
#undef MSG_TABLE_IN_W
#undef MSG_TABLE_IN_YN
#undef MSG_TABLE_DECLARE
#undef MSG_TABLE_SKIP
#undef MSG_TABLE_SCOPE_O
#undef MSG_TABLE_SCOPE_E
#undef MSG_TABLE_SCOPE_I
#undef MSG_TABLE_SCOPE_W
#undef MSG_TABLE_SCOPE_YN
