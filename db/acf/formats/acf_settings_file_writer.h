// Writing a revision's settings files: the incremental writer, which keeps
// unchanged lines as they were read and makes the changed ones afresh, and the
// arrangement of a collection by entity, section and file category that the
// re-organising writer writes out.
//
// The writer drains a source the store implements: what the files hold, in
// file order, and what the store learns of the files written. A file is
// replaced atomically (suite/fileio), so that a crash or a full disk leaves the
// old file or the new one, never a part of either.
#pragma once

#include "records/acf_asgn_storage.h"

#include <functional>
#include <string>

struct FIO_FILE_STATUS;

// What the writer takes from the store whose settings files it writes.
class ACF_SETTINGS_FILE_SOURCE {
public:
    using ENTRY_VISITOR = std::function<void(ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const&)>;

    // The revision the files belong to: its name (named in the notes of a new
    // file) and the path of its own settings file.
    virtual char const* revision_name() const = 0;
    virtual char const* revision_file() const = 0;
    // A file made anew starts with the banner.
    virtual bool writes_banner() const = 0;
    // An assignment changed since the files were read or written, or the write
    // is forced.
    virtual bool has_changes_to_write() const = 0;
    // Hands each entry that `file_name` keeps to `visit`, in file order; true
    // when an assignment of the file changed.
    virtual bool visit_entries(char const* file_name, bool is_revision_file,
                               ENTRY_VISITOR const& visit) = 0;
    // The file was replaced; `status` is the new file's, as written.
    virtual void file_replaced(char const* file_name, FIO_FILE_STATUS const& status) = 0;
    // The file was replaced, but its folder could not be flushed (`reason`).
    virtual void replacement_unconfirmed(char const* file_name, std::string const& reason) = 0;

protected:
    ~ACF_SETTINGS_FILE_SOURCE() = default;
};

class ACF_SETTINGS_FILE_WRITER {
public:
    explicit ACF_SETTINGS_FILE_WRITER(ACF_SETTINGS_FILE_SOURCE& source) : m_source(source) {}

    // Writes one settings file of the revision: its comments and assignments in
    // file order. A file none of whose assignments changed is left as it is,
    // unless the write is forced; the revision's own file is still written when
    // its last assignment went, and made when missing. `as_new_file` writes the
    // banner (and, with `write_notes`, the notes) as into a file that did not
    // exist. False when the file should have been replaced and was not, with
    // the reason in `write_error`.
    bool write(char const* file_name, bool write_notes, bool as_new_file,
               std::string* write_error);

private:
    ACF_SETTINGS_FILE_SOURCE& m_source;
    // The command made afresh for the entry in hand.
    std::string m_scratch;
};

// Fills `arranged` with the assignments of `from`, grouped as a re-organised
// file is: the project's first, then each entity's, each under its file
// categories and sections, with the comment lines that title them. Every copy
// keeps the line it will be written as.
void acf_arrange_by_file_category(ACF_ASGN_STORAGE& from, ACF_ASGN_STORAGE& arranged);
