// Start-up and teardown of the settings library, its string pool and its change
// notification.
//
// Loading the library creates the library-wide string pool "GENERAL_POOL" and
// registers the notification "ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED";
// unloading it frees the pool and every structure the catalogue built on first
// use.
#pragma once

#include <string>

class ACF_MANAGER_INITIALIZER;
class ACF_STRING_POOL;

// Loading creates the pool and the settings manager's initializer; unloading
// deletes the manager first, then frees the catalogue's structures and the pool.
class ACF_INITIALIZER {
public:
    ACF_INITIALIZER();
    ~ACF_INITIALIZER();
    ACF_INITIALIZER(ACF_INITIALIZER const&) = delete;
    ACF_INITIALIZER& operator=(ACF_INITIALIZER const&) = delete;

    // Creates the string pool when there is none.
    void initialize_globals_in_acf_table() const;
    // Frees the catalogue's lazily built structures, then resets and frees the
    // string pool.
    void destroy_globals_in_acf_table() const;

private:
    // Its destruction deletes the process-wide settings manager.
    ACF_MANAGER_INITIALIZER* m_manager_initializer = nullptr;
};

// The library-wide string pool, created as "GENERAL_POOL" when absent.
ACF_STRING_POOL* acf_get_or_create_string_pool();
// Resets the library-wide pool when it exists.
void acf_clear_string_map();
// The one shared copy of a settings file's name (null for null or empty):
// equal names give the same pointer, so that files compare by it. Never reset
// while the library is loaded; safe from any thread.
std::string const* acf_intern_file_name(char const* name);

// The notification number registered under
// "ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED" when the library was loaded.
extern unsigned const ACF_NOTIFY_ACF_MANAGER_ASSIGNMENTS_CHANGED;

// Forwards a notification to the host's notification manager; 0 and no effect
// when the process has none, else the manager's result.
int acf_broadcast_notify(unsigned int id1, unsigned int id2, long data, bool flag);
