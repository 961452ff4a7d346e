// The wizard's file handling, shared by the wizard and the IP manager:
// - reading only regular files (a FIFO or a device is refused, never waited on);
// - a lock on a directory, held while its files change;
// - updating a variation file together with its IP file, so that a process
//   killed at any point leaves both old or both new once the next one recovered
//   the directory, and creating a file whole or not at all: the file library's
//   journal (suite/fileio/fio_journal.h), whose work files the wizard marks
//   ".vwz-" (".<name>.vwz-new0", ".<name>.vwz-journal", ...).
#pragma once

#include "suite/fileio/fio_journal.h"
#include "suite/fileio/fio_lock.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Reads at most `limit` bytes of a regular file (links are followed). False,
// with the reason in `why`, when the file cannot be opened or read or is not a
// regular file.
bool wizman_read_regular_file(std::string const& path, std::string& text, std::string& why,
                              size_t limit = SIZE_MAX);

// An exclusive lock on a directory, taken by the constructor (waiting for
// another holder) and released by the destructor or when the process ends.
class WIZMAN_DIRECTORY_LOCK {
public:
    explicit WIZMAN_DIRECTORY_LOCK(std::string const& directory) {
        m_lock.lock_directory(directory);
    }
    bool locked() const { return m_lock.is_held(); }

private:
    FIO_LOCK m_lock;
};

// The journal's functions (suite/fileio/fio_journal.h) on the wizard's work files.
typedef FIO_FILE_UPDATE WIZMAN_FILE_UPDATE;
bool wizman_update_files(std::vector<WIZMAN_FILE_UPDATE> const& updates, std::string& why);
bool wizman_create_file(std::string const& path, std::string const& content, unsigned mode,
                        std::string& why);
void wizman_recover_directory(std::string const& directory);
// What a caller that searches a tree is shown on the walk that recovers it.
struct WIZMAN_TREE_VISITOR {
    // Every entry that is no directory, by its path.
    std::function<void(std::string const& path)> file;
    // A directory whose entries cannot be read, with the reason: the walk
    // goes on without them.
    std::function<void(std::string const& directory, std::string const& why)> unreadable;
};
// Recovers `root` and every directory under it (links to directories are not
// followed), locking each in turn. On the way the visitor is shown each
// directory's other entries in name order, a subdirectory's at its place among
// them, after its recovery.
void wizman_recover_tree(std::string const& root, WIZMAN_TREE_VISITOR const& visitor = {});

// The directory holding a path's file ("." for a bare name).
std::string wizman_directory_of(std::string const& path);
