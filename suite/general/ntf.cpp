#include "suite/general/ntf.h"

#include <atomic>
#include <vector>

namespace {
std::mutex& names_mutex() {
    static std::mutex m;
    return m;
}
std::map<std::string, unsigned>& names() {
    static std::map<std::string, unsigned> registered;
    return registered;
}
std::atomic<NTF_NOTIFY_MGR*> the_manager{nullptr};
} // namespace

unsigned ntf_register_notification(char const* name) {
    if (name == nullptr || *name == '\0') {
        return 0;
    }
    std::lock_guard<std::mutex> lock(names_mutex());
    auto found = names().find(name);
    if (found != names().end()) {
        return found->second;
    }
    unsigned id = static_cast<unsigned>(names().size()) + 1;
    names().emplace(name, id);
    return id;
}

int NTF_NOTIFY_MGR::add_listener(unsigned id, LISTENER listener) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int handle = m_next_handle++;
    m_listeners.emplace(handle, ENTRY{id, std::move(listener)});
    return handle;
}

void NTF_NOTIFY_MGR::remove_listener(int handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listeners.erase(handle);
}

int NTF_NOTIFY_MGR::broadcast_notify_ntf_only(unsigned id1, unsigned id2, long data, bool flag) {
    // Listeners run without the lock, so that they may add or remove listeners.
    std::vector<LISTENER> due;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto const& entry : m_listeners) {
            if (entry.second.id == id1) {
                due.push_back(entry.second.listener);
            }
        }
    }
    for (LISTENER const& listener : due) {
        listener(id1, id2, data, flag);
    }
    return static_cast<int>(due.size());
}

NTF_NOTIFY_MGR* ntf_get_notify_mgr() {
    return the_manager.load();
}

void ntf_set_notify_mgr(NTF_NOTIFY_MGR* manager) {
    the_manager.store(manager);
}
