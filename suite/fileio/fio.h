// Prefix fio: file input and output.
// The suite's file library: paths, file-system queries and atomic rewrites, the
// lock of a file while it is rewritten, and the file types known by their
// extensions. Its other means of keeping files safe have headers of their own:
// fio_lock.h (the lock between processes that every lock is built on),
// fio_journal.h (changing several files as one) and fio_set_aside.h (moving a
// file out of the way so that it can come back); fio_change_watch.h watches
// files for changes.
#pragma once

#include "suite/fileio/fio_lock.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A path as the caller wrote it, with its parts and its full (absolute) form.
class FIO_PATH {
public:
    FIO_PATH() = default;
    explicit FIO_PATH(std::string path);
    // `file` inside `directory` (a "/" is put between them when needed).
    FIO_PATH(std::string const& directory, std::string const& file);

    std::string const& path() const { return m_path; }
    // Absolute and lexically normal ("." and ".." folded), from the current directory.
    std::string full_path() const;
    // The directory part with its trailing "/", or "" when there is none.
    std::string directory() const;
    // The file name without directory and extension.
    std::string base() const;
    // Replaces the base name, keeping directory and extension.
    void base(std::string const& name);
    // The file name with its extension, without the directory.
    std::string filename() const;
    // Replaces the file name (base and extension), keeping the directory.
    void filename(std::string const& name);
    // The extension with its dot (".v"), or "".
    std::string extension() const;
    // Gives the name the extension of an extension type: `position` -1 replaces
    // the name's last extension, or adds one to a name without (the only
    // position the suite uses). An unknown type changes nothing.
    void extension(int type, int position);
    // Whether the full path fits the operating system's limits (the whole path
    // and each name in it).
    bool is_path_length_within_operating_system_limits() const;
    // Whether two paths name the same file by this platform's rule: equal
    // texts, or equal full paths (case-sensitive). False when either is null.
    static bool os_specific_comparison(char const* a, char const* b);

private:
    std::string m_path;
};

// What the file system records of a file.
struct FIO_FILE_STATUS {
    long modification_time;       // seconds since the epoch
    int64_t modification_time_ns; // the same in nanoseconds
    int64_t size;
    uint64_t inode;
    unsigned mode; // permission bits (07777)
};

// One entry of a directory listing.
struct FIO_DIRECTORY_ENTRY {
    std::string name;
    bool is_directory; // a real directory, not a link to one
};

// A file's content in one block that is not filled with zeros before it is
// read into, followed by `padding` NUL bytes (at least one), so that a reader
// may end its last line in place or search a whole vector past the end.
class FIO_FILE_BUFFER {
public:
    explicit FIO_FILE_BUFFER(size_t padding = 1);

    char* data() { return m_data.get(); }
    char const* data() const { return m_data.get(); }
    size_t size() const { return m_size; }
    // Makes the content `size` bytes long, keeping the bytes it had (new ones
    // are unset), and writes the padding after them. Returns the content.
    char* resize(size_t size);

private:
    std::unique_ptr<char[]> m_data;
    size_t m_size = 0;
    size_t m_capacity = 0;
    size_t m_padding;
};

// What an atomic rewrite did, for a caller that needs more than its success.
struct FIO_REWRITE {
    // The new content is in place: also when only the flush of the folder
    // after the rename failed, and the new file is not confirmed durable.
    bool replaced = false;
    // The new file's status when replaced, read before the rename (which keeps
    // it): no look at the name is needed after the rewrite.
    FIO_FILE_STATUS status{};
};

// What a look at a file found: the file, no file of that name, or nothing
// certain (its status could not be read: a failing disk, a folder that may not
// be searched, a circle of links, ...).
enum class FIO_PRESENCE { PRESENT, MISSING, UNKNOWN };

class FIO_FILE_SYSTEM {
public:
    // Whether the file is there; false as well when its status cannot be read.
    static bool exists(FIO_PATH const& path);
    // The same, telling a missing file (only "no such file", ENOENT, is one)
    // from one whose status could not be read, with the reason in `error` (may
    // be null). A present file's status goes to `status` (may be null).
    static FIO_PRESENCE presence(FIO_PATH const& path, FIO_FILE_STATUS* status = nullptr,
                                 std::string* error = nullptr);
    static bool is_directory(FIO_PATH const& path);
    // The entries of a directory other than "." and "..", sorted by name; false
    // when it cannot be read, with the reason in `error` (may be null). A read
    // that fails part way is a failure too, though `entries` keeps those read.
    static bool list_directory(FIO_PATH const& directory, std::vector<FIO_DIRECTORY_ENTRY>& entries,
                               std::string* error = nullptr);
    // The whole content of a regular file; false when it cannot be opened, read
    // or closed, is no regular file (a directory, a pipe or a device is
    // refused without waiting on it) or holds more than `max_size` bytes, with
    // the reason in `error` (may be null).
    static bool read_file(FIO_PATH const& path, std::string& content, std::string* error = nullptr,
                          size_t max_size = SIZE_MAX);
    // The same into a buffer that is not zero-filled first: for large files.
    static bool read_file(FIO_PATH const& path, FIO_FILE_BUFFER& content,
                          std::string* error = nullptr);
    // Replaces a file's content atomically: a temporary file in the directory of
    // the file (of the file a link leads to: the link stays and its target is
    // replaced) is written, flushed to disk and renamed over the original, keeping
    // its permission bits; the directory is flushed after the rename. On failure
    // false is returned, with the reason in `error` (may be null): the original
    // stays whole, unless the flush of the directory alone failed, which `done`
    // (may be null) tells.
    static bool write_file_atomically(FIO_PATH const& path, std::string const& content,
                                      std::string* error = nullptr, FIO_REWRITE* done = nullptr);
    // The file a path names once symbolic links are followed (relative links
    // from the link's directory): the path itself when it is no link. A link
    // whose target does not exist leads to that target. False, with the reason in
    // `error` (may be null), for a circle of links and for a name whose status
    // or link cannot be read (a missing one is no link).
    static bool resolve_links(FIO_PATH const& path, std::string* target,
                              std::string* error = nullptr);
    // Copies a file's content to `to` by an atomic rewrite (an existing `to`
    // keeps its permission bits). An existing `to` is replaced only with
    // `overwrite`. False, with `to` untouched, when anything fails.
    static bool copy(FIO_PATH const& from, FIO_PATH const& to, bool overwrite);
    // Deletes a file; false when it is not there or cannot be deleted.
    static bool remove(FIO_PATH const& path);
    // The file's status; false when it cannot be read.
    static bool get_status(FIO_PATH const& path, FIO_FILE_STATUS* status);
    // Removes the temporary files that rewrites of `path` left when their
    // process was killed. Only for a caller that knows no rewrite of the file
    // is under way.
    static void remove_stale_temporaries(FIO_PATH const& path);
};

// Writes all of `content` to an open file and flushes it to the disk; false
// when any of it could not be written.
bool fio_write_all_and_flush(int fd, std::string const& content);

// Flushes a directory's entries to the disk, so that the files created, renamed
// or removed in it last. A directory this process may not open for reading
// cannot be flushed and is left to the system. False, with the reason in
// `error` (may be null), when the flush failed.
bool fio_flush_directory(std::string const& directory, std::string* error = nullptr);

// An exclusive lock between processes on one file, held while the file is read,
// changed and written back, so that two processes never write over each
// other's change unseen. It is a lock on the lock file "<file>.lock" beside the
// file (beside the file a link leads to), which exists only while the lock is
// held; a lock file left behind by a crash is taken over by the next holder.
class FIO_FILE_LOCK {
public:
    // Waits until the lock is held; `is_held` tells whether that succeeded (a
    // lock file made for a lock that could not be taken is removed again).
    explicit FIO_FILE_LOCK(FIO_PATH const& file);
    FIO_FILE_LOCK(FIO_FILE_LOCK const&) = delete;
    FIO_FILE_LOCK& operator=(FIO_FILE_LOCK const&) = delete;

    bool is_held() const { return m_lock.is_held(); }
    // Why the lock could not be taken.
    std::string const& error() const { return m_error; }

private:
    FIO_LOCK m_lock; // removes the lock file and releases the lock at the end
    std::string m_error;
};

// The library numbers files in two ways, each its own numbering: document types
// (FIO_FILE_TYPE), the kinds of file that settings list and file dialogs filter
// for, and extension types (FIO_EXTENSION_TYPE), the kinds of file an extension
// names. A VHDL file is document type 5 and extension type 6.

// Document types. Those the suite names; the settings catalogue gives the others.
typedef uint32_t FIO_FILE_TYPE;
enum : FIO_FILE_TYPE {
    FIO_FILE_TYPE_SOURCE = 0, // any design source file
    FIO_FILE_TYPE_VHDL = 5,
    FIO_FILE_TYPE_VERILOG = 6,
    FIO_FILE_TYPE_TCL = 44,
    FIO_FILE_TYPE_SDC = 45,
    FIO_FILE_TYPE_ARCHIVE = 116, // a project archive
    // Assignment sources of the import: settings files of the current format,
    // Varnett II files, older entity settings files and the two CSV kinds.
    FIO_FILE_TYPE_TSF = 120,
    FIO_FILE_TYPE_VARNETT2 = 121,
    FIO_FILE_TYPE_ESF = 122,
    FIO_FILE_TYPE_CSV = 123,
    FIO_FILE_TYPE_TCSV = 124,
    FIO_FILE_TYPE_PLEXA_SYSTEM = 168, // a system of the Plexa integration tool
};

// Extension types: file types known by their extensions.
enum FIO_EXTENSION_TYPE {
    FIO_EXTENSION_TYPE_VERILOG = 4,        // ".v"
    FIO_EXTENSION_TYPE_VHDL = 6,           // ".vhd"
    FIO_EXTENSION_TYPE_SYSTEM_VERILOG = 8, // ".sv"
    FIO_EXTENSION_TYPE_CSV = 3,            // ".csv"
    FIO_EXTENSION_TYPE_TCL = 51,           // ".tcl" Tcl script
    FIO_EXTENSION_TYPE_OLD_PROJECT = 60,   // ".tessaly"
    FIO_EXTENSION_TYPE_OLD_WORKSPACE = 61, // ".tws"
    FIO_EXTENSION_TYPE_PSF = 62,           // ".psf" old project settings
    FIO_EXTENSION_TYPE_CSF = 63,           // ".csf" old compiler settings
    FIO_EXTENSION_TYPE_SSF = 64,           // ".ssf" old simulator settings
    FIO_EXTENSION_TYPE_ESF = 65,           // ".esf" old entity settings
    FIO_EXTENSION_TYPE_TPF = 71,           // ".tpf" project file
    FIO_EXTENSION_TYPE_TDF = 72,           // ".tdf" other settings script (defaults)
    FIO_EXTENSION_TYPE_TSF = 73,           // ".tsf" revision settings file
    FIO_EXTENSION_TYPE_VARNETT2 = 74,      // ".vnt" Varnett II Assignment and Configuration File
    FIO_EXTENSION_TYPE_SDC = 75,           // ".sdc" timing constraints
    FIO_EXTENSION_TYPE_TCSV = 126,         // ".tcsv" the suite's own assignment export
    FIO_EXTENSION_TYPE_ARCHIVE = 132,      // ".tsa" project archive
    FIO_EXTENSION_TYPE_RBA = 138,          // ".rba" back-annotated routing of a revision
    FIO_EXTENSION_TYPE_PLEXA_SYSTEM = 186  // ".psys" a system of the Plexa integration tool
};

// The file type of a path by its extension (ignoring ASCII case); 0 when unknown.
int fio_get_extension_type(std::string const& path);

class FIO_EXTENSION_TYPE_INFO {
public:
    // The extension of a file type with its dot, or "" for an unknown type.
    static std::string get_extension_string(int type);
};

// The file-dialog name filter of an extension type, "<kind> Files (*<ext>)";
// "" for a type without a kind's name. The CSV types share one filter.
std::string fio_get_file_type_filter(int extension_type);
// Traits of file types that a file-dialog filter may ask for; every trait
// together is the filter for all files.
enum : unsigned { FIO_FILE_TYPE_TRAIT_ALL = ~0u };
// The extension type a file of that kind takes when its name has none: the
// CSV types (3 and 126) take ".csv"; any other type is its own.
int fio_get_default_extension_type(int extension_type);

// Document types by name and trait (one table, fio_file_types.def). Traits are
// bits; those strictly between the two File > New flags are the categories
// that File > New offers document types in.
enum FIO_FILE_TYPE_TRAIT : uint32_t {
    FIO_FILE_NEW_START_FILE_FLAG = 0x40000,
    FIO_FILE_NEW_DESIGN_FILE_FLAG = 0x80000,
    FIO_FILE_NEW_MEMORY_FILE_FLAG = 0x100000,
    FIO_FILE_NEW_VERIFICATION_FILE_FLAG = 0x200000,
    FIO_FILE_NEW_SOFTWARE_FILE_FLAG = 0x400000,
    FIO_FILE_NEW_END_FILE_FLAG = 0x800000,
};
// The name of a document type; "" for a type without one.
char const* fio_get_file_type_name(FIO_FILE_TYPE type);
// Whether a document type has the trait.
bool fio_test_trait_of(FIO_FILE_TYPE type, uint32_t trait);
// The text of traits: the file-dialog filter "All Files (*)" for every trait
// together (FIO_FILE_TYPE_TRAIT_ALL), the category's title for a File > New
// category, "" for anything else.
std::string fio_get_file_type_trait_string(unsigned traits);
