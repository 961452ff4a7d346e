// Which of a set of files may have changed since they were last found
// unchanged, so that a caller comparing each file's status with what it
// recorded need look only at those, not at every file each time.
//
// The kernel's file notifications (inotify) watch each file and every folder
// from its own up to the root, so that an edit in place, a change of its
// attributes or times, a replacement by rename, a deletion and a new file of
// that name are all reported, whichever process made them. A file is handed
// to the caller's check again when:
// - an event names it (its watch is then placed again, on whatever file the
//   path now names, before the caller looks at it);
// - it has no watch: notifications are unavailable, the watch limit is reached,
//   the file is missing, it is a symbolic link, a folder on its path is a link
//   or lies on a file system that does not report every change (a network or
//   user-space file system: another machine's edits raise no event here);
// - the event queue overflowed or a folder on its path was moved, replaced or
//   deleted: every watch is placed anew and every file is checked once.
// The one change a status check sees earlier: writes through a shared writable
// memory mapping raise no event; they are reported when the writer closes the
// file.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <sys/types.h>

class FIO_CHANGE_WATCH {
public:
    // `max_watches` caps the watches (files and folders together) placed by
    // this object; files beyond it are checked every time.
    explicit FIO_CHANGE_WATCH(size_t max_watches = static_cast<size_t>(-1));
    ~FIO_CHANGE_WATCH();
    FIO_CHANGE_WATCH(FIO_CHANGE_WATCH const&) = delete;
    FIO_CHANGE_WATCH& operator=(FIO_CHANGE_WATCH const&) = delete;

    // Starts watching the file at the absolute, normal path `path`; it gets the
    // next number (0, 1, ...). Call it before reading the file's status, so
    // that any change after that reading is reported.
    void add(std::string const& path);
    // Forgets every file.
    void clear();
    // Makes every file a candidate once more (the caller's records changed).
    void recheck_all();

    // Calls `changed(number)` for each file that may have changed, until one
    // returns true (then true). A file for which it returns false counts as
    // unchanged from then on.
    bool any_changed(std::function<bool(size_t)> const& changed);

    // The files that have no watch now (after the last add or any_changed).
    size_t unwatched_count() const;

    // A file whose name could not be looked at for another reason than its
    // absence (a failing disk, a folder that may not be searched).
    struct FAULT {
        std::string path;
        std::string reason;
    };
    // The faults met by add and any_changed since the last call; such a file
    // has no watch (it is checked every time).
    std::vector<FAULT> take_faults();

private:
    struct FILE_ENTRY {
        std::string path;
        size_t folder;          // its folder in m_folders
        int wd = -1;            // its watch, or -1
        bool candidate = false; // listed in m_candidates
        bool unwatched = false;
        bool listed_unwatched = false; // listed in m_unwatched
    };
    struct FOLDER {
        std::string path;
        size_t parent;        // in m_folders, or npos for the root
        int wd = -1;          // its watch, or -1
        bool covered = false; // it and every folder above it are watched
        bool usable = false;  // no link on its path, a file system that reports changes
        std::unordered_map<std::string, std::vector<size_t>> files; // by name
        std::unordered_set<std::string> subfolders; // names leading to watched files
    };
    struct WATCHED {
        std::vector<size_t> files;
        std::vector<size_t> folders;
    };

    size_t folder_of(std::string const& path);
    bool open_queue();
    void close_queue();
    int place(std::string const& path, unsigned mask);
    void attach_file(size_t number, int wd);
    void detach_file(size_t number);
    void watch_file(size_t number);
    void set_unwatched(size_t number, bool unwatched);
    void mark_candidate(size_t number);
    void cover_folders();
    void rebuild();
    void drain();
    void on_event(int wd, unsigned mask, char const* name);

    size_t const m_max_watches;
    mutable std::mutex m_mutex;
    int m_fd = -1;
    pid_t m_owner = 0; // the process that made the queue (a forked child makes its own)
    bool m_rebuild = false;
    std::vector<FILE_ENTRY> m_files;
    std::vector<FOLDER> m_folders;
    std::unordered_map<std::string, size_t> m_folder_by_path;
    std::unordered_map<int, WATCHED> m_watches;
    std::vector<size_t> m_candidates;
    std::vector<size_t> m_unwatched; // may list files watched since (their flag tells)
    std::vector<FAULT> m_faults;
};
