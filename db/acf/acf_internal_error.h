// Broken invariants of the settings library go to the message system's
// internal-error report with the condition's own text and the tag "ACF"; the
// caller then goes on as its description says (usually it returns at once).
//
//     if (!ACF_REQUIRE(input_parameters != NULL)) {
//         return nullptr;
//     }
#pragma once

#include "suite/messages/msg.h"

#include <cstddef>

// True when `condition` holds; otherwise reports it and gives false.
#define ACF_REQUIRE(condition)                                                                     \
    ((condition) ? true : (MSG_INTERNAL_ERROR::report(#condition, "ACF", __FILE__, __LINE__), false))

// Reports a broken invariant described by a ready-made text.
#define ACF_INTERNAL_ERROR(text) MSG_INTERNAL_ERROR::report((text), "ACF", __FILE__, __LINE__)
