// Project archive files (".tsa"): ZIP files whose entries are regular files
// named by "/"-separated paths relative to the project directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Told how far an archive or a restore has come: before each of its files, the
// files done, the count of all of them and the file at hand (as the caller
// named it, or its name in the archive); then once more with every file done
// and the archive or the destination folder as the file, before the result is
// put in place. Returning false stops the work there: nothing has been written
// where the user looks, and the call fails with `error` saying it was stopped.
using AFM_PROGRESS = std::function<bool(size_t done, size_t total, std::string const& file)>;

// Writes an archive of `files` (relative to `project_dir`, or absolute) to
// `archive`. Each file is archived as its content: a link as the file it
// points to, a file outside the project as "external/<its name>" (numbered when
// names meet), a name that is not valid UTF-8 as its bytes. The archive
// replaces whatever was there atomically and on the disk (suite/fileio), so a
// failure leaves that untouched; it never holds itself. With a non-empty
// `password` every entry is AES-256 encrypted. False, with `error` naming the
// file and the cause, when anything fails. `progress` (may be empty) counts
// the files read and may stop the archive before it is written.
bool afm_write_archive(std::string const& archive, std::string const& project_dir,
                       std::vector<std::string> const& files, std::string const& password,
                       std::string* error, AFM_PROGRESS const& progress = nullptr);

// Restores `archive` into the folder `destination` (made when missing).
// Every entry is checked before anything is written: a name that is absolute,
// holds "..", ".", a backslash or an empty part, an entry that is neither a
// regular file nor a folder (a name ending in "/", as standard ZIP tools
// write them), a name met twice, an encrypted or damaged archive, a link at or
// below the destination on an entry's path, declared sizes that fail
// afm_check_declared_sizes against the space free beside the destination, or
// (without `overwrite`) an existing file refuses the whole restore, and
// `error` names the entry. The files are extracted to a hidden staging folder
// in the destination (so that no rename crosses file systems), an entry that
// yields more than it declares stopping the restore, then flushed to the disk,
// and moved in only when all succeeded, each by an atomic rename; the folders
// written into are flushed last. New
// files get the archived rwx bits under the umask (never set-id bits);
// replaced files keep theirs. `progress` (may be empty) counts the entries
// extracted and may stop the restore before the move in, which then leaves the
// destination as it was (a destination it made is removed again).
bool afm_restore_archive(std::string const& archive, std::string const& destination, bool overwrite,
                         std::string* error, AFM_PROGRESS const& progress = nullptr);

// What an archive entry declares: its name, its size and its compressed size.
struct AFM_DECLARED_SIZE {
    std::string name;
    uint64_t size;
    uint64_t compressed_size;
};
// An entry that would unpack into more than this many times its compressed
// size is refused as a ZIP bomb.
constexpr uint64_t AFM_MAX_COMPRESSION_RATIO = 1000;
// Checks the declared sizes of a restore's entries, in archive order: each
// against AFM_MAX_COMPRESSION_RATIO, their running total against
// `free_bytes`. False, with `error` naming the first entry refused and why.
bool afm_check_declared_sizes(std::vector<AFM_DECLARED_SIZE> const& entries, uint64_t free_bytes,
                              std::string* error);

// The entry names of an archive in archive order; empty when it cannot be read.
std::vector<std::string> afm_archive_entries(std::string const& archive);

// The existing folders at or below `destination` that a restore of `archive`
// writes into and that the user cannot write to. Empty when the archive
// cannot be read (the restore itself reports that).
std::vector<std::string> afm_unwritable_restore_folders(std::string const& archive,
                                                        std::string const& destination);
// Adds the owner's write bit to each folder, following no link. False, with
// `error` naming the folder, when one cannot be changed.
bool afm_make_folders_writable(std::vector<std::string> const& folders, std::string* error);
