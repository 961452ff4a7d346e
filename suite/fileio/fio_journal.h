// Changing several files as one: after a failure, or a kill at any point once
// the next process recovered the directory, every file holds its old content or
// every file its new one. And creating a file whole or not at all.
//
// The changes go through work files in the directory of the first file changed,
// named after it and a program's mark: ".<name><mark>new<i>" (the new content of
// file i), ".<name><mark>old<i>" (a second name of file i's old content),
// ".<name><mark>tmp" (a file being created) and ".<name><mark>journal" (the list
// of files of an update whose renames may have begun, after a title line).
// Recovery undoes an update whose renames did not all happen, keeps one whose
// renames all happened, and removes every work file of that mark.
#pragma once

#include "suite/fileio/fio_lock.h"

#include <functional>
#include <string>
#include <vector>

// How a program's work files are named.
struct FIO_WORK_FILES {
    char const* mark;          // in every work file's name, for example ".vwz-"
    char const* journal_title; // the first line of a journal, without its line end
};

struct FIO_FILE_UPDATE {
    std::string path; // an existing regular file, not a link
    std::string content;
};

// Replaces the content of every file, keeping their permission bits: all of
// them or, after a failure or a kill, none. All files must lie on the file
// system of the first one, whose directory the caller holds locked and has
// recovered. False, with the reason in `why` and every file as it was, on failure.
bool fio_update_files(FIO_WORK_FILES const& names, std::vector<FIO_FILE_UPDATE> const& updates,
                      std::string& why);

// Creates `path` holding `content` with the permission bits `mode`, whole or
// not at all; false (reason in `why`) when it exists or cannot be written. The
// caller holds its directory locked.
bool fio_create_file(FIO_WORK_FILES const& names, std::string const& path,
                     std::string const& content, unsigned mode, std::string& why);

// Finishes or undoes what killed processes left of their updates in
// `directory` and removes their work files. The caller holds the directory
// locked.
void fio_recover_directory(FIO_WORK_FILES const& names, std::string const& directory);

// Moving new files into their places as one, from a work folder on their file
// system: after a failure, or a kill once the next process recovered the work
// folder, every place holds what it held before. The new files lie in the work
// folder's "new/"; it also gets "old<i>" (a second name of what place i held)
// and "journal" (the moves, written whole before the first rename).
struct FIO_FILE_MOVE {
    std::string from; // a new file below "<work folder>/new/"
    std::string to;   // its place: a regular file, replaced, or no file
};

// Moves every file into its place by a rename, the journal kept until
// fio_end_move_in. False, with the reason in `why` and every place as it was,
// on failure. The caller holds the work folder locked from other processes.
bool fio_move_in(std::string const& work_folder, std::vector<FIO_FILE_MOVE> const& moves,
                 std::string& why);
// Ends a move once the caller has flushed the folders moved into: it stands
// from now on, even killed before the work folder is removed here. False, with
// the reason in `why` and the move undone, when its journal cannot be removed.
bool fio_end_move_in(std::string const& work_folder, std::string& why);
// Undoes what a killed process left of a move in the work folder, unless the
// move ended, and removes the work folder.
void fio_recover_move_in(std::string const& work_folder);

// Claiming the files a change is about to make, so that what a process killed
// while making them left behind is known as that change's own, never taken for
// a file of the user's: the claim is a work file ".<first><mark>claim" beside
// the first file, listing them (written whole and flushed before the first is
// made), locked while its process holds it.
class FIO_CLAIM {
public:
    // Claims `files`, which do not exist yet; false, with the reason in
    // `why`, when the claim cannot be written.
    bool claim(FIO_WORK_FILES const& names, std::vector<std::string> const& files,
               std::string& why);
    // Ends the claim (the destructor too): the files stand as they are.
    void release() { m_lock.release(); }

private:
    FIO_LOCK m_lock;
};

// Shows `settle` the files of every claim in `directory` that a process which
// ended left behind, then removes that claim; a claim still held is left
// alone. `settle` finishes or undoes that process's change.
void fio_settle_claims(FIO_WORK_FILES const& names, std::string const& directory,
                       std::function<void(std::vector<std::string> const& files)> const& settle);
