#include "ipman/ipman_project_lock.h"

#include "ipman/ipman_msgs.h"
#include "mem_manager.h"
#include "suite/fileio/fio.h"
#include "suite/wizman/wizman_files.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <unistd.h>

MEM_UNIT_INITIALIZER(IPMAN);

char const* const IPMAN_PROJECT_LOCK_FILE = ".ip_upgrade.lock";

namespace {

long holder_of(std::string const& path) {
    std::string text;
    std::string why;
    if (!wizman_read_regular_file(path, text, why, 32)) {
        return 0;
    }
    return std::strtol(text.c_str(), nullptr, 10);
}

bool is_project_file(std::string const& folder, std::string const& name) {
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".tpf") == 0 &&
           !FIO_FILE_SYSTEM::is_directory(FIO_PATH(folder, name));
}

// Whether a folder holds a project file: an entry named "*.tpf" that is no folder.
bool holds_project_file(std::string const& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool found = false;
    while (dirent* entry = readdir(dir)) {
        if (is_project_file(folder, entry->d_name)) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

// Adds to `projects` every folder under `folder` (itself included) that holds
// a project file. Links to folders are not followed, as the upgrade's own walk
// does not follow them; a folder that cannot be read is left to that walk,
// which reports it.
void add_projects_below(std::string const& folder, std::set<std::string>& projects) {
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    FIO_FILE_SYSTEM::list_directory(FIO_PATH(folder), entries);
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        std::string const path = FIO_PATH(folder, entry.name).path();
        if (entry.is_directory) {
            add_projects_below(path, projects);
        } else if (is_project_file(folder, entry.name)) {
            projects.insert(folder);
        }
    }
}

// `folder` as a full path without links and without a trailing "/"; a folder
// that does not exist keeps its full path as written.
std::string physical_folder(std::string const& folder) {
    char resolved[PATH_MAX];
    std::string path = realpath(folder.empty() ? "." : folder.c_str(), resolved) != nullptr
                           ? std::string(resolved)
                           : FIO_PATH(folder.empty() ? "." : folder).full_path();
    if (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string parent_folder(std::string const& folder) {
    size_t slash = folder.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
}

} // namespace

bool IPMAN_PROJECT_LOCK::acquire(std::string const& directory, long& holder) {
    std::string path = FIO_PATH(directory, IPMAN_PROJECT_LOCK_FILE).path();
    switch (m_lock.lock_file(path, false)) {
    case FIO_LOCK::BUSY:
        holder = holder_of(path);
        return false;
    case FIO_LOCK::FAILED:
        holder = -1;
        return false;
    case FIO_LOCK::HELD:
        break;
    }
    // The process id only serves the message of a refused run.
    std::string pid = std::to_string(static_cast<long>(getpid())) + "\n";
    if (ftruncate(m_lock.fd(), 0) == 0 && pwrite(m_lock.fd(), pid.data(), pid.size(), 0) < 0) {
        ipman_msg_debug("lock file %s names no process", path.c_str());
    }
    return true;
}

void IPMAN_PROJECT_LOCK::release() {
    m_lock.release();
}

bool ipman_begin_project_upgrade(IPMAN_PROJECT_LOCK& lock, std::string const& directory) {
    std::string folder = FIO_PATH(directory.empty() ? "." : directory).full_path();
    if (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    long holder = 0;
    if (lock.acquire(folder, holder)) {
        return true;
    }
    if (holder < 0) {
        // A folder where no lock file can be made is one where no upgrade can
        // write either: each file's run reports that by itself.
        ipman_msg_debug("no lock file in %s", folder.c_str());
        return true;
    }
    std::string why = holder > 0
                          ? "IP upgrade process " + std::to_string(holder) + " is upgrading it"
                          : std::string("another IP upgrade is running");
    ipman_post(MSG_IPMAN::E::IPRGEN_PROJECT_LOCKED(folder.c_str(), why.c_str()));
    return false;
}

std::set<std::string> ipman_project_folders_of(std::vector<std::string> const& folders) {
    // Files of one project share their upper folders: each folder is read once.
    std::map<std::string, bool> holds;
    std::set<std::string> projects;
    for (std::string const& given : folders) {
        std::string const start = physical_folder(given);
        std::string project = start;
        for (std::string folder = start;; folder = parent_folder(folder)) {
            auto known = holds.find(folder);
            if (known == holds.end()) {
                known = holds.emplace(folder, holds_project_file(folder)).first;
            }
            if (known->second) {
                project = folder;
                break;
            }
            if (folder == "/") {
                break;
            }
        }
        projects.insert(project);
    }
    return projects;
}

namespace {

bool lock_projects(std::list<IPMAN_PROJECT_LOCK>& locks, std::set<std::string> const& projects) {
    for (std::string const& project : projects) {
        locks.emplace_back();
        if (!ipman_begin_project_upgrade(locks.back(), project)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool ipman_begin_upgrade_in_folders(std::list<IPMAN_PROJECT_LOCK>& locks,
                                    std::vector<std::string> const& folders) {
    return lock_projects(locks, ipman_project_folders_of(folders));
}

bool ipman_begin_upgrade_of_tree(std::list<IPMAN_PROJECT_LOCK>& locks, std::string const& folder) {
    std::set<std::string> projects = ipman_project_folders_of({folder});
    add_projects_below(physical_folder(folder), projects);
    return lock_projects(locks, projects);
}
