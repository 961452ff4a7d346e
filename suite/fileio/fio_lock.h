// The one lock between processes that the suite's locks are built on: an
// exclusive lock (flock) on a file held open, which the system drops when its
// process ends, so that a process killed while it holds one never blocks the
// next. It locks a lock file or a directory:
// - A lock file exists only while its lock is held: it is made when missing,
//   and its holder removes it before letting go. A lock granted on a file that
//   is no longer (or no longer the same) under its name therefore came from a
//   holder that has finished: the name is opened anew. A lock file left behind
//   by a process that died holds nothing and is taken over. A name that is a
//   symbolic link is no lock file: it is refused, never followed. Its holder
//   may keep a note in it for the next holder, should it die holding the lock:
//   the note goes with the file.
// - A directory is locked as it is: nothing is made or removed.
#pragma once

#include <string>

class FIO_LOCK {
public:
    enum RESULT {
        HELD,   // the lock is held
        BUSY,   // another process holds it (only when not waiting)
        FAILED, // the file could not be made, opened or locked
    };

    FIO_LOCK() = default;
    // Releases the lock held.
    ~FIO_LOCK();
    FIO_LOCK(FIO_LOCK const&) = delete;
    FIO_LOCK& operator=(FIO_LOCK const&) = delete;

    // Locks the lock file `path`, with `wait` waiting for its holder, else
    // giving up at once. A lock file made here goes again when its lock cannot
    // be taken. A lock held before is released first. `error` (may be null)
    // receives why it FAILED.
    RESULT lock_file(std::string const& path, bool wait, std::string* error = nullptr);
    // Locks the directory `path`, waiting for its holder.
    RESULT lock_directory(std::string const& path, std::string* error = nullptr);
    // Removes the lock file and lets the lock go; nothing when none is held.
    // False, with `error` (may be null) saying why, when the lock file could
    // not be removed: the lock goes all the same, emptied of its note, and the
    // next holder takes the file over.
    bool release(std::string* error = nullptr);

    // Replaces the note in the held lock file and flushes it to the disk;
    // false, with `error` (may be null) saying why, when it cannot be written.
    bool keep_note(std::string const& note, std::string* error = nullptr);
    // What the lock file held when the lock was taken: the note of a holder
    // that died holding it, or "".
    std::string const& inherited_note() const { return m_inherited_note; }

    bool is_held() const { return m_fd >= 0; }
    // The open lock file, for a holder that writes into it; -1 when none is held.
    int fd() const { return m_fd; }

private:
    std::string m_lock_file; // "" for a directory
    int m_fd = -1;
    std::string m_inherited_note;
};
