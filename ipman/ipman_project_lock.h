// One IP upgrade at a time per project: an exclusive lock on the file
// ".ip_upgrade.lock" in the project's folder, held by a regentool run or a
// "regenerate_ip" command while it upgrades. The lock file names the holding
// process; the lock dies with its process, so a stale lock file of a killed run
// is taken over. The holder removes the file when it lets go.
#pragma once

#include <string>

extern char const* const IPMAN_PROJECT_LOCK_FILE; // ".ip_upgrade.lock"

class IPMAN_PROJECT_LOCK {
public:
    IPMAN_PROJECT_LOCK() = default;
    ~IPMAN_PROJECT_LOCK();
    IPMAN_PROJECT_LOCK(IPMAN_PROJECT_LOCK const&) = delete;
    IPMAN_PROJECT_LOCK& operator=(IPMAN_PROJECT_LOCK const&) = delete;

    // Locks the project in `directory` without waiting. False when another
    // process holds the lock (its process id in `holder`, 0 when unknown) or the
    // lock file cannot be made (`holder` -1).
    bool acquire(std::string const& directory, long& holder);
    void release();

private:
    int m_fd = -1;
    std::string m_path;
};

// Locks the project in `directory` for an upgrade. False, with the error
// IPRGEN_PROJECT_LOCKED posted, when another upgrade holds the project; true,
// without a lock, in a folder where no lock file can be made.
bool ipman_begin_project_upgrade(IPMAN_PROJECT_LOCK& lock, std::string const& directory);
