// Prefix dbm: the database manager.
// The compilation databases of a revision, as files named after it.
#pragma once

#include <string>

class DBM_INFO {
public:
    // Copies every file "<from_revision>.<anything>" of `from_dir` to
    // "<to_revision>.<anything>" in `to_dir`, creating `to_dir` when needed.
    // An existing target is left as it is; a missing `from_dir` copies
    // nothing. False, naming the first file that could not be written in
    // `failed`, when a copy failed; the other files are still copied.
    static bool copy_revision(std::string const& from_revision, std::string const& from_dir,
                              std::string const& to_revision, std::string const& to_dir,
                              std::string* failed);
};
