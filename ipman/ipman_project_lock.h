// One IP upgrade at a time per project: an exclusive lock on the file
// ".ip_upgrade.lock" in the project's folder, held by a regentool run or a
// "regenerate_ip" command while it upgrades. The lock file names the holding
// process; the lock dies with its process, so a stale lock file of a killed run
// is taken over. The holder removes the file when it lets go. The project of a
// file or folder is the nearest folder upward that holds a project file (.tpf),
// so that an upgrade of a few files or of a subfolder waits for an upgrade of
// the whole project, and the other way round. A run over a folder also touches
// the projects below it: it locks each of them too, before it touches a file.
#pragma once

#include "suite/fileio/fio_lock.h"

#include <list>
#include <set>
#include <string>
#include <vector>

extern char const* const IPMAN_PROJECT_LOCK_FILE; // ".ip_upgrade.lock"

class IPMAN_PROJECT_LOCK {
public:
    // Locks the project in `directory` without waiting. False when another
    // process holds the lock (its process id in `holder`, 0 when unknown) or the
    // lock file cannot be made (`holder` -1).
    bool acquire(std::string const& directory, long& holder);
    void release();

private:
    FIO_LOCK m_lock; // on the lock file, which holds the holder's process id
};

// Locks the project in `directory` for an upgrade. False, with the error
// IPRGEN_PROJECT_LOCKED posted, when another upgrade holds the project; true,
// without a lock, in a folder where no lock file can be made.
bool ipman_begin_project_upgrade(IPMAN_PROJECT_LOCK& lock, std::string const& directory);

// The folders whose locks guard an upgrade of files in `folders`: for each, the
// nearest folder upward (itself included, links resolved) that holds a project
// file (.tpf), or else the folder itself. Full paths, each once, in order.
std::set<std::string> ipman_project_folders_of(std::vector<std::string> const& folders);

// Locks, for an upgrade of files in `folders`, every project that holds them
// (ipman_project_folders_of), adding the locks to `locks`. False, with
// IPRGEN_PROJECT_LOCKED posted, when another upgrade holds any of them.
bool ipman_begin_upgrade_in_folders(std::list<IPMAN_PROJECT_LOCK>& locks,
                                    std::vector<std::string> const& folders);

// Locks, for an upgrade of every file under `folder`, the project that holds
// the folder (as ipman_begin_upgrade_in_folders) and each folder under it that
// holds a project file. False, with IPRGEN_PROJECT_LOCKED posted, when another
// upgrade holds any of them.
bool ipman_begin_upgrade_of_tree(std::list<IPMAN_PROJECT_LOCK>& locks, std::string const& folder);
