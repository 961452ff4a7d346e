// Broken invariants of the settings library go to the message system's
// internal-error report with the tag "ACF" (suite/messages/msg.h); the caller
// then goes on as its description says (usually it returns at once).
#pragma once

#include "suite/messages/msg.h"

#include <cstddef>

#define ACF_REQUIRE(condition) MSG_REQUIRE("ACF", condition, #condition)
#define ACF_INTERNAL_ERROR(text) MSG_REQUIRE_FAILED("ACF", text)
