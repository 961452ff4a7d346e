// What the settings database's tests ask of the message log.
#pragma once

#include "suite/messages/msg.h"

// Whether the message log holds a message with identifier `id`.
inline bool acf_test_posted(unsigned id) {
    for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
        if (entry.id == id) {
            return true;
        }
    }
    return false;
}
