// The wizard's file handling, shared by the wizard and the IP manager:
// - reading only regular files (a FIFO or a device is refused, never waited on);
// - a lock on a directory, held while its files change;
// - updating a variation file together with its IP file, so that a process
//   killed at any point leaves both old or both new once the next one recovered
//   the directory;
// - creating a file whole or not at all.
//
// Changes go through files named ".<name>.vwz-..." in the directory of the
// first file changed: "vwz-new<i>" (the new content of file i), "vwz-old<i>" (a
// second name of file i's old content), "vwz-tmp" (a file being created) and
// "vwz-journal" (the list of files of an update whose renames may have begun).
// Recovery undoes an update whose renames did not all happen, keeps one whose
// renames all happened, and removes every such file.
#pragma once

#include "suite/fileio/fio_lock.h"

#include <cstddef>
#include <cstdint>
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

struct WIZMAN_FILE_UPDATE {
    std::string path; // an existing regular file, not a link
    std::string content;
};

// Replaces the content of every file, keeping their permission bits: all of
// them or, after a failure or a kill, none. All files must lie on the file
// system of the first one, whose directory the caller holds locked and has
// recovered. False, with the reason in `why` and every file as it was, on failure.
bool wizman_update_files(std::vector<WIZMAN_FILE_UPDATE> const& updates, std::string& why);

// Creates `path` holding `content` with the permission bits `mode`, whole or
// not at all; false (reason in `why`) when it exists or cannot be written. The
// caller holds its directory locked.
bool wizman_create_file(std::string const& path, std::string const& content, unsigned mode,
                        std::string& why);

// Finishes or undoes what killed processes left of their updates in
// `directory` and removes their files. The caller holds the directory locked.
void wizman_recover_directory(std::string const& directory);
// Recovers `root` and every directory under it (links to directories are not
// followed), locking each in turn.
void wizman_recover_tree(std::string const& root);

// The directory holding a path's file ("." for a bare name).
std::string wizman_directory_of(std::string const& path);
