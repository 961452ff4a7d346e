// The Qt notification queue of a graphical host: libraries post notifications
// by number, and the host's event loop takes them in order and hands them to
// its windows.
#pragma once

#include <vector>

enum NTFQ_MSG {
    NTFQ_MSG_ACF_ASSIGNMENTS_CHANGED = 1, // a revision's assignments changed
};

struct NTFQ_NOTIFICATION {
    NTFQ_MSG message;
    long data;
};

// Queues a notification for the event loop.
void ntfq_broadcast_notify(NTFQ_MSG message, long data);
// Takes every queued notification, oldest first, leaving the queue empty.
std::vector<NTFQ_NOTIFICATION> ntfq_take_pending();
