#include "suite/fileio/fio_change_watch.h"

#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

size_t const NONE = static_cast<size_t>(-1);

// A file: edits, attribute and time changes, a finished write, and the file
// leaving its place. Links are not followed: a link is never watched.
unsigned const FILE_MASK = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF |
                           IN_DONT_FOLLOW | IN_MASK_ADD;
// A folder: names appearing, leaving and replaced, and the folder itself
// leaving its place.
unsigned const FOLDER_MASK = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                             IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW | IN_MASK_ADD;

// Local file systems, whose every change, by any process, raises its event.
bool reports_every_change(std::string const& folder) {
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(info.f_type)) {
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case F2FS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// No link on the way to it: the folder's events are those of this path.
bool is_own_path(std::string const& folder) {
    char resolved[PATH_MAX];
    return realpath(folder.c_str(), resolved) != nullptr && folder == resolved;
}

// "/a/b/c" gives "/a/b" and "c"; "/c" gives "/" and "c".
void split(std::string const& path, std::string* folder, std::string* name) {
    size_t slash = path.rfind('/');
    *folder = slash == 0 ? std::string("/") : path.substr(0, slash);
    *name = path.substr(slash + 1);
}

} // namespace

FIO_CHANGE_WATCH::FIO_CHANGE_WATCH(size_t max_watches) : m_max_watches(max_watches) {}

FIO_CHANGE_WATCH::~FIO_CHANGE_WATCH() {
    close_queue();
}

// ---------------------------------------------------------------------------
// The set of files
// ---------------------------------------------------------------------------

void FIO_CHANGE_WATCH::add(std::string const& path) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_fd < 0 && m_files.empty()) {
        open_queue();
    } else if (m_fd >= 0 && m_owner != getpid()) {
        rebuild(); // a forked child never places watches in its parent's queue
    }
    size_t number = m_files.size();
    m_files.emplace_back();
    m_files.back().path = path;
    if (path.size() < 2 || path[0] != '/' || path.back() == '/') {
        set_unwatched(number, true);
        return;
    }
    std::string folder;
    std::string name;
    split(path, &folder, &name);
    size_t index = folder_of(folder);
    m_files[number].folder = index;
    m_folders[index].files[name].push_back(number);
    watch_file(number);
}

std::vector<FIO_CHANGE_WATCH::FAULT> FIO_CHANGE_WATCH::take_faults() {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<FAULT> faults;
    faults.swap(m_faults);
    return faults;
}

void FIO_CHANGE_WATCH::clear() {
    std::lock_guard<std::mutex> guard(m_mutex);
    close_queue();
    m_rebuild = false;
    m_files.clear();
    m_folders.clear();
    m_folder_by_path.clear();
    m_watches.clear();
    m_candidates.clear();
    m_unwatched.clear();
    m_faults.clear();
}

void FIO_CHANGE_WATCH::recheck_all() {
    std::lock_guard<std::mutex> guard(m_mutex);
    for (size_t i = 0; i < m_files.size(); ++i) {
        mark_candidate(i);
    }
}

size_t FIO_CHANGE_WATCH::unwatched_count() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return static_cast<size_t>(std::count_if(m_files.begin(), m_files.end(),
                                             [](FILE_ENTRY const& f) { return f.wd < 0; }));
}

// The folder's entry, made (with those above it) when new.
size_t FIO_CHANGE_WATCH::folder_of(std::string const& path) {
    auto known = m_folder_by_path.find(path);
    if (known != m_folder_by_path.end()) {
        return known->second;
    }
    size_t parent = NONE;
    if (path != "/") {
        std::string above;
        std::string name;
        split(path, &above, &name);
        parent = folder_of(above);
        m_folders[parent].subfolders.insert(name);
    }
    size_t index = m_folders.size();
    m_folders.emplace_back();
    m_folder_by_path.emplace(path, index);
    FOLDER& folder = m_folders[index];
    folder.path = path;
    folder.parent = parent;
    folder.usable = is_own_path(path) && reports_every_change(path);
    if (folder.usable) {
        folder.wd = place(path, FOLDER_MASK);
        if (folder.wd >= 0) {
            m_watches[folder.wd].folders.push_back(index);
        }
    }
    folder.covered = folder.wd >= 0 && (parent == NONE || m_folders[parent].covered);
    return index;
}

// ---------------------------------------------------------------------------
// Watches
// ---------------------------------------------------------------------------

bool FIO_CHANGE_WATCH::open_queue() {
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    m_owner = getpid();
    return m_fd >= 0;
}

void FIO_CHANGE_WATCH::close_queue() {
    if (m_fd >= 0) {
        close(m_fd);
    }
    m_fd = -1;
}

// The watch of `path` (one watch per file or folder, whatever path names
// it), or -1 when it cannot be placed.
int FIO_CHANGE_WATCH::place(std::string const& path, unsigned mask) {
    if (m_fd < 0 || m_watches.size() >= m_max_watches) {
        return -1;
    }
    return inotify_add_watch(m_fd, path.c_str(), mask);
}

void FIO_CHANGE_WATCH::attach_file(size_t number, int wd) {
    m_files[number].wd = wd;
    m_watches[wd].files.push_back(number);
}

void FIO_CHANGE_WATCH::detach_file(size_t number) {
    int wd = m_files[number].wd;
    m_files[number].wd = -1;
    auto watched = m_watches.find(wd);
    if (watched == m_watches.end()) {
        return;
    }
    std::vector<size_t>& files = watched->second.files;
    files.erase(std::remove(files.begin(), files.end(), number), files.end());
    if (files.empty() && watched->second.folders.empty()) {
        inotify_rm_watch(m_fd, wd);
        m_watches.erase(watched);
    }
}

// Places the file's watch on the file its path names now.
void FIO_CHANGE_WATCH::watch_file(size_t number) {
    FILE_ENTRY& file = m_files[number];
    struct stat info {};
    int wd = -1;
    if (file.folder != NONE && m_folders[file.folder].covered) {
        if (lstat(file.path.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                m_faults.push_back({file.path, std::strerror(errno)});
            }
        } else if (!S_ISLNK(info.st_mode)) {
            wd = place(file.path, FILE_MASK);
        }
    }
    if (wd != file.wd) {
        detach_file(number);
        if (wd >= 0) {
            attach_file(number, wd);
        }
    }
    set_unwatched(number, wd < 0);
}

void FIO_CHANGE_WATCH::set_unwatched(size_t number, bool unwatched) {
    FILE_ENTRY& file = m_files[number];
    file.unwatched = unwatched;
    if (unwatched && !file.listed_unwatched) {
        file.listed_unwatched = true;
        m_unwatched.push_back(number);
    }
}

void FIO_CHANGE_WATCH::mark_candidate(size_t number) {
    if (!m_files[number].candidate) {
        m_files[number].candidate = true;
        m_candidates.push_back(number);
    }
}

// Every watch placed anew, every file a candidate.
void FIO_CHANGE_WATCH::rebuild() {
    m_rebuild = false;
    close_queue();
    m_watches.clear();
    open_queue();
    // Folders were made after the folders above them.
    for (size_t i = 0; i < m_folders.size(); ++i) {
        FOLDER& folder = m_folders[i];
        folder.usable = is_own_path(folder.path) && reports_every_change(folder.path);
        folder.wd = folder.usable ? place(folder.path, FOLDER_MASK) : -1;
        if (folder.wd >= 0) {
            m_watches[folder.wd].folders.push_back(i);
        }
        folder.covered =
            folder.wd >= 0 && (folder.parent == NONE || m_folders[folder.parent].covered);
    }
    m_unwatched.clear();
    for (size_t i = 0; i < m_files.size(); ++i) {
        m_files[i].wd = -1;
        m_files[i].unwatched = false;
        m_files[i].listed_unwatched = false;
        watch_file(i);
        mark_candidate(i);
    }
}

// ---------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------

void FIO_CHANGE_WATCH::drain() {
    alignas(inotify_event) char buffer[65536];
    for (;;) {
        ssize_t got = read(m_fd, buffer, sizeof buffer);
        if (got <= 0) {
            // EAGAIN: the queue is empty. Any other failure: trust nothing.
            if (got < 0 && errno != EAGAIN && errno != EINTR) {
                m_rebuild = true;
            }
            if (got < 0 && errno == EINTR) {
                continue;
            }
            return;
        }
        for (char* at = buffer; at < buffer + got;) {
            auto* event = reinterpret_cast<inotify_event*>(at);
            on_event(event->wd, event->mask, event->len > 0 ? event->name : "");
            at += sizeof(inotify_event) + event->len;
        }
    }
}

void FIO_CHANGE_WATCH::on_event(int wd, unsigned mask, char const* name) {
    if ((mask & IN_Q_OVERFLOW) != 0) {
        m_rebuild = true;
        return;
    }
    auto watched = m_watches.find(wd);
    if (watched == m_watches.end()) {
        return; // a watch removed since
    }
    // Any event of a file's watch may be a change.
    for (size_t number : watched->second.files) {
        mark_candidate(number);
    }
    for (size_t index : watched->second.folders) {
        FOLDER const& folder = m_folders[index];
        if ((mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0 ||
            folder.subfolders.count(name) != 0) {
            m_rebuild = true; // a folder on the way to the files moved
            continue;
        }
        auto named = folder.files.find(name);
        if (named != folder.files.end()) {
            for (size_t number : named->second) {
                mark_candidate(number);
            }
        }
    }
    if ((mask & IN_IGNORED) != 0) {
        // The kernel dropped the watch: its files get a new one when checked.
        for (size_t number : watched->second.files) {
            m_files[number].wd = -1;
        }
        m_watches.erase(watched);
    }
}

bool FIO_CHANGE_WATCH::any_changed(std::function<bool(size_t)> const& changed) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_files.empty()) {
        return false;
    }
    if (m_fd >= 0 && m_owner != getpid()) {
        m_rebuild = true; // the queue is shared with the parent: never read it
    } else if (m_fd >= 0) {
        drain();
    }
    if (m_rebuild) {
        rebuild();
    }
    // The watch goes on whatever the path names now, before the caller looks.
    for (size_t number : m_candidates) {
        watch_file(number);
    }
    // Files without a watch are looked at every time, after the others.
    bool found = false;
    size_t kept = 0;
    for (size_t number : m_candidates) {
        if (m_files[number].unwatched) {
            m_files[number].candidate = false;
            continue;
        }
        if (!found && changed(number)) {
            found = true;
        }
        if (found) {
            m_candidates[kept++] = number;
        } else {
            m_files[number].candidate = false;
        }
    }
    m_candidates.resize(kept);
    kept = 0;
    for (size_t number : m_unwatched) {
        FILE_ENTRY& file = m_files[number];
        file.listed_unwatched = file.unwatched;
        if (file.unwatched) {
            m_unwatched[kept++] = number;
            found = found || changed(number);
        }
    }
    m_unwatched.resize(kept);
    return found;
}
