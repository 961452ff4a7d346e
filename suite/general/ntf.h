// The suite's notification manager: libraries announce events by number to the
// listeners of the host process. Notification numbers are handed out by name, so
// that a library and its listeners agree on one number per name.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>

// The number registered under `name`: the same name always gives the same number
// (numbers start at 1); a null or empty name gives 0.
unsigned ntf_register_notification(char const* name);

class NTF_NOTIFY_MGR {
public:
    // A listener receives the broadcast's four arguments.
    using LISTENER = std::function<void(unsigned id1, unsigned id2, long data, bool flag)>;

    // Calls `listener` for every broadcast whose first number is `id`; returns a
    // handle for remove_listener.
    int add_listener(unsigned id, LISTENER listener);
    void remove_listener(int handle);

    // Runs the listeners of `id1` on this thread, in the order they were added,
    // and returns how many ran.
    int broadcast_notify_ntf_only(unsigned id1, unsigned id2, long data, bool flag);

private:
    struct ENTRY {
        unsigned id;
        LISTENER listener;
    };
    std::mutex m_mutex;
    std::map<int, ENTRY> m_listeners;
    int m_next_handle = 1;
};

// The host's notification manager; null in a process that installed none.
NTF_NOTIFY_MGR* ntf_get_notify_mgr();
// Installs the host's manager (not owned); null removes it.
void ntf_set_notify_mgr(NTF_NOTIFY_MGR* manager);
