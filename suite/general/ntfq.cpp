#include "suite/general/ntfq.h"

#include <mutex>

namespace {
std::mutex queue_mutex;
std::vector<NTFQ_NOTIFICATION>& queue() {
    static std::vector<NTFQ_NOTIFICATION> pending;
    return pending;
}
} // namespace

void ntfq_broadcast_notify(NTFQ_MSG message, long data) {
    std::lock_guard<std::mutex> lock(queue_mutex);
    queue().push_back({message, data});
}

std::vector<NTFQ_NOTIFICATION> ntfq_take_pending() {
    std::lock_guard<std::mutex> lock(queue_mutex);
    std::vector<NTFQ_NOTIFICATION> taken;
    taken.swap(queue());
    return taken;
}
