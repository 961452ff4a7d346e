#include "suite/archive/afm_zip.h"

#include "suite/archive/afm_libzip.h"

#include "suite/fileio/fio.h"
#include "suite/fileio/fio_journal.h"
#include "suite/fileio/fio_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <set>

namespace {

namespace fs = std::filesystem;

// One entry of the archive as it will be restored.
struct ENTRY {
    zip_uint64_t index;
    std::string name; // a folder's without its trailing "/"
    unsigned mode;    // the archived rwx bits
    bool is_folder;
    AFM_DECLARED_SIZE declared;
};

// Why an entry name cannot be restored, or "" when it can.
std::string name_fault(std::string const& name) {
    if (name.empty()) {
        return "has an empty name";
    }
    if (name[0] == '/') {
        return "has an absolute name";
    }
    if (name.find('\\') != std::string::npos) {
        return "has a backslash in its name";
    }
    size_t start = 0;
    while (true) {
        size_t slash = name.find('/', start);
        std::string part = name.substr(start, slash - start);
        if (part.empty()) {
            return "has an empty name part";
        }
        if (part == "." || part == "..") {
            return "has \"" + part + "\" in its name";
        }
        if (slash == std::string::npos) {
            return "";
        }
        start = slash + 1;
    }
}

bool is_link(std::string const& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// `archive` opened for reading, with the library that opened it in `lib`; null,
// with `error` saying why, when either cannot be had.
zip_t* open_archive(std::string const& archive, AFM_LIBZIP const** lib, std::string* error) {
    *lib = afm_libzip(error);
    int code = 0;
    zip_t* zip = *lib == nullptr ? nullptr : (*lib)->zip_open(archive.c_str(), ZIP_RDONLY, &code);
    if (*lib != nullptr && zip == nullptr) {
        *error = "Can't read the archive " + archive + ": it is missing or damaged";
    }
    return zip;
}

// Reads and checks every entry; false with `error` naming the first fault. A
// name ending in "/" is a folder entry, as standard ZIP tools write them.
bool check_entries(AFM_LIBZIP const& lib, zip_t* zip, std::vector<ENTRY>* entries,
                   std::string* error) {
    zip_int64_t count = lib.zip_get_num_entries(zip, 0);
    std::set<std::string> names;          // the files
    std::set<std::string> folders;        // every folder on an entry's path
    std::set<std::string> folder_entries; // the folders the archive names itself
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t st;
        char const* raw = lib.zip_get_name(zip, i, ZIP_FL_ENC_RAW);
        std::string name = raw != nullptr ? raw : "";
        unsigned const sized = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE;
        if (raw == nullptr || lib.zip_stat_index(zip, i, 0, &st) != 0 ||
            (st.valid & sized) != sized) {
            *error = "The archive is damaged at entry " + std::to_string(i);
            return false;
        }
        bool is_folder = name.size() > 1 && name.back() == '/';
        std::string path = is_folder ? name.substr(0, name.size() - 1) : name;
        std::string fault = name.empty() || name[0] == '/' ? name_fault(name) : name_fault(path);
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        lib.zip_file_get_external_attributes(zip, i, 0, &opsys, &attributes);
        unsigned type = opsys == ZIP_OPSYS_UNIX ? (attributes >> 16) & S_IFMT : 0;
        if (fault.empty() && type != 0 && type != (is_folder ? S_IFDIR : S_IFREG)) {
            fault = "is not a regular file";
        }
        if (fault.empty() && is_folder && st.size != 0) {
            fault = "is a folder with content";
        }
        if (fault.empty() && (st.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 &&
            st.encryption_method != ZIP_EM_NONE) {
            fault = "is encrypted";
        }
        if (fault.empty() && (names.count(path) != 0 || folder_entries.count(path) != 0 ||
                              (!is_folder && folders.count(path) != 0))) {
            fault = "is in the archive twice";
        }
        for (size_t slash = path.find('/'); fault.empty() && slash != std::string::npos;
             slash = path.find('/', slash + 1)) {
            if (names.count(path.substr(0, slash)) != 0) {
                fault = "is in the archive twice";
            }
            folders.insert(path.substr(0, slash));
        }
        if (!fault.empty()) {
            *error = "Archive entry \"" + name + "\" " + fault;
            return false;
        }
        (is_folder ? folder_entries : names).insert(path);
        if (is_folder) {
            folders.insert(path);
        }
        unsigned mode = opsys == ZIP_OPSYS_UNIX ? (attributes >> 16) & 0777 : 0644;
        entries->push_back({i, path, mode, is_folder, {name, st.size, st.comp_size}});
    }
    return true;
}

// Checks the destination side of every entry: no link at or below the
// destination on its path, no file where a folder is needed and no folder
// where a file is, no existing file unless overwriting or in place already.
bool check_targets(std::string const& destination, std::vector<ENTRY> const& entries,
                   bool overwrite, std::set<std::string> const& in_place, std::string* error) {
    for (ENTRY const& entry : entries) {
        std::string path = destination;
        size_t start = 0;
        while (true) {
            size_t slash = entry.name.find('/', start);
            path += "/" + entry.name.substr(start, slash - start);
            struct stat st;
            bool exists = lstat(path.c_str(), &st) == 0;
            std::string fault;
            bool last = slash == std::string::npos;
            bool folder = !last || entry.is_folder;
            if (exists && S_ISLNK(st.st_mode)) {
                fault = "would be written through the link " + path;
            } else if (exists && folder && !S_ISDIR(st.st_mode)) {
                fault = "needs a folder where " + path + " is not one";
            } else if (exists && !folder && !S_ISREG(st.st_mode)) {
                fault = "would replace " + path + ", which is not a file";
            } else if (exists && !folder && !overwrite && in_place.count(entry.name) == 0) {
                fault = "would overwrite the existing file " + path;
            }
            if (!fault.empty()) {
                *error = "Archive entry \"" + entry.declared.name + "\" " + fault;
                return false;
            }
            if (last || !exists) {
                break;
            }
            start = slash + 1;
        }
    }
    return true;
}

// The nearest existing folder at or above `path`.
std::string existing_ancestor(fs::path path) {
    std::error_code ec;
    while (!path.empty() && !fs::is_directory(path, ec) && path != path.root_path()) {
        path = path.parent_path();
    }
    return path.empty() ? "." : path.string();
}

// The bytes free for an ordinary user in the file system that holds `folder`;
// the largest number when that cannot be told (the writes then tell).
uint64_t free_bytes_at(std::string const& folder) {
    struct statvfs fs_info;
    if (statvfs(folder.c_str(), &fs_info) != 0) {
        return std::numeric_limits<uint64_t>::max();
    }
    return static_cast<uint64_t>(fs_info.f_bavail) * fs_info.f_frsize;
}

// Extracts one file entry to `path` (new); at most the size it declares is
// written. The file is flushed later, with all the others.
bool extract(AFM_LIBZIP const& lib, zip_t* zip, ENTRY const& entry, std::string const& path,
             mode_t mask, std::string* error) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    zip_file_t* in = lib.zip_fopen_index(zip, entry.index, 0);
    int out =
        in == nullptr ? -1 : open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    std::string fault = in == nullptr ? "is damaged" : "";
    if (in != nullptr && out < 0) {
        fault = std::string("can't be written: ") + std::strerror(errno);
    }
    uint64_t yielded = 0;
    char buffer[65536];
    while (fault.empty()) {
        zip_int64_t n = lib.zip_fread(in, buffer, sizeof buffer);
        if (n <= 0) {
            fault = n == 0 ? "" : "is damaged";
            break;
        }
        yielded += static_cast<uint64_t>(n);
        if (yielded > entry.declared.size) {
            fault = "yields more than the " + std::to_string(entry.declared.size) +
                    " bytes it declares";
        } else if (write(out, buffer, static_cast<size_t>(n)) != n) {
            fault = std::string("can't be written: ") + std::strerror(errno);
        }
    }
    if (in != nullptr && lib.zip_fclose(in) != 0 && fault.empty()) {
        fault = "is damaged";
    }
    if (fault.empty() && fchmod(out, entry.mode & ~mask & 0777) != 0) {
        fault = std::string("can't be written: ") + std::strerror(errno);
    }
    if (out >= 0 && close(out) != 0 && fault.empty()) {
        fault = std::string("can't be written: ") + std::strerror(errno);
    }
    if (!fault.empty()) {
        *error = "Archive entry \"" + entry.declared.name + "\" " + fault;
    }
    return fault.empty();
}

// Reads exactly `size` bytes unless the file ends first; the count read, or
// -1 on an error.
ssize_t read_fully(int fd, char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = read(fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

// Whether the regular file at `path` (a link is none) holds exactly the
// entry's bytes; false too when either cannot be read.
bool holds_entry(AFM_LIBZIP const& lib, zip_t* zip, ENTRY const& entry, std::string const& path) {
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st;
    bool same = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                static_cast<uint64_t>(st.st_size) == entry.declared.size;
    zip_file_t* in = same ? lib.zip_fopen_index(zip, entry.index, 0) : nullptr;
    same = in != nullptr;
    char archived[65536];
    char held[65536];
    while (same) {
        zip_int64_t n = lib.zip_fread(in, archived, sizeof archived);
        if (n <= 0) {
            same = n == 0 && read_fully(fd, held, 1) == 0;
            break;
        }
        same = read_fully(fd, held, static_cast<size_t>(n)) == n &&
               std::memcmp(archived, held, static_cast<size_t>(n)) == 0;
    }
    if (in != nullptr && lib.zip_fclose(in) != 0) {
        same = false;
    }
    close(fd);
    return same;
}

// What a restore notes in its lock file once its move has ended, for as long
// as the lock file stays: every file of the archive, all in place by then. A
// restore killed before it let go of the lock leaves the note to the next
// one, which takes each of those files that still holds the archive's bytes
// as restored: the same restore run again then completes, and a file that
// differs is never replaced without leave.
char const RESTORED_NOTE_TITLE[] = "restored files\n";
char const RESTORED_NOTE_END[] = "end\n";

std::string restored_note(std::vector<ENTRY> const& entries) {
    std::string note = RESTORED_NOTE_TITLE;
    for (ENTRY const& entry : entries) {
        if (!entry.is_folder) {
            note += entry.name;
            note += '\0';
        }
    }
    return note + RESTORED_NOTE_END;
}

// The files a note names; none when it was not written whole.
std::set<std::string> noted_files(std::string const& note) {
    std::set<std::string> files;
    size_t const title = sizeof RESTORED_NOTE_TITLE - 1;
    size_t const end = sizeof RESTORED_NOTE_END - 1;
    if (note.size() < title + end || note.compare(0, title, RESTORED_NOTE_TITLE) != 0 ||
        note.compare(note.size() - end, end, RESTORED_NOTE_END) != 0) {
        return files;
    }
    for (size_t at = title, nul; at < note.size() - end; at = nul + 1) {
        nul = note.find('\0', at);
        if (nul == std::string::npos || nul >= note.size() - end) {
            return {};
        }
        files.insert(note.substr(at, nul - at));
    }
    return files;
}

// Where a restore stages its files: a hidden folder in the destination, named
// by mkdtemp from this prefix and six characters.
char const STAGING_PREFIX[] = ".restore.";

std::string staged(std::string const& staging, std::string const& name) {
    return staging + "/new/" + name;
}

// Moves the staged files into the destination as one (suite/fileio's move
// journal), each by an atomic rename, but those in place already; a replaced
// file keeps its permission bits. The folders written into are flushed once
// each, and the restore noted in the lock file, before the move ends; should
// either fail, the move is undone.
bool move_in(std::string const& staging, std::string const& destination,
             std::vector<ENTRY> const& entries, std::set<std::string> const& in_place,
             FIO_LOCK& lock, std::string* error) {
    // Each folder written into, with the folder above the destination, which
    // may have got the destination itself.
    std::set<std::string> written = {fs::path(destination).parent_path().string(), destination};
    std::vector<FIO_FILE_MOVE> moves;
    std::error_code ec;
    for (ENTRY const& entry : entries) {
        std::string to = destination + "/" + entry.name;
        fs::path folder = entry.is_folder ? fs::path(to) : fs::path(to).parent_path();
        fs::create_directories(folder, ec);
        for (fs::path up = fs::path(to).parent_path(); written.insert(up.string()).second;
             up = up.parent_path()) {
        }
        if (is_link(folder.string()) || !fs::is_directory(folder, ec)) {
            *error = "Can't create the folder " + folder.string();
            return false;
        }
        if (entry.is_folder || in_place.count(entry.name) != 0) {
            continue;
        }
        std::string from = staged(staging, entry.name);
        struct stat st;
        if (lstat(to.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            chmod(from.c_str(), st.st_mode & 07777);
        }
        moves.push_back({from, to});
    }
    std::string why;
    if (!fio_move_in(staging, moves, why)) {
        *error = "Can't create or overwrite file " + why;
        return false;
    }
    for (std::string const& folder : written) {
        if (!fio_flush_directory(folder, &why)) {
            *error = "Can't write the folder " + folder + " to the disk: " + why;
            fio_recover_move_in(staging);
            return false;
        }
    }
    if (!lock.keep_note(restored_note(entries), &why)) {
        *error = "Can't write the lock file of the restore into " + destination + ": " + why;
        fio_recover_move_in(staging);
        return false;
    }
    if (!fio_end_move_in(staging, why)) {
        *error = "Can't finish the restore into " + destination + ": " + why;
        return false;
    }
    return true;
}

// Finishes what killed restores into the destination left: each one's move
// is undone, so that the same restore can run again, and its staging folder
// removed. The caller holds the destination's restore lock.
void recover_dead_restores(std::string const& destination) {
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    FIO_FILE_SYSTEM::list_directory(FIO_PATH(destination), entries);
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        if (entry.is_directory && entry.name.size() == sizeof STAGING_PREFIX - 1 + 6 &&
            entry.name.compare(0, sizeof STAGING_PREFIX - 1, STAGING_PREFIX) == 0) {
            fio_recover_move_in(destination + "/" + entry.name);
        }
    }
}

// Removes the folder and every folder below it that holds no file, deepest
// first: what a failed restore made of a destination it created.
void remove_empty_folders(std::string const& folder) {
    std::vector<std::string> folders = {folder};
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            folders.push_back(it->path().string());
        }
    }
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        fs::remove(*it, ec); // only while empty
    }
}

// The restore into an existing destination that the caller holds locked
// with `lock`.
bool restore_into(AFM_LIBZIP const& lib, zip_t* zip, std::vector<ENTRY> const& entries,
                  std::string const& dest, bool overwrite, FIO_LOCK& lock, std::string* error,
                  AFM_PROGRESS const& progress) {
    recover_dead_restores(dest);
    // What a killed run of this restore left in place.
    std::set<std::string> in_place;
    std::set<std::string> noted = noted_files(lock.inherited_note());
    for (ENTRY const& entry : entries) {
        if (noted.count(entry.name) != 0 && holds_entry(lib, zip, entry, dest + "/" + entry.name)) {
            in_place.insert(entry.name);
        }
    }
    if (!check_targets(dest, entries, overwrite, in_place, error)) {
        return false;
    }
    std::vector<AFM_DECLARED_SIZE> sizes;
    for (ENTRY const& entry : entries) {
        if (in_place.count(entry.name) == 0) {
            sizes.push_back(entry.declared);
        }
    }
    if (!afm_check_declared_sizes(sizes, free_bytes_at(dest), error)) {
        return false;
    }
    // The staging folder lies in the destination itself, so that every move
    // into place is a rename within one file system, into a mount point too.
    std::string staging = dest + "/" + STAGING_PREFIX + "XXXXXX";
    if (mkdtemp(&staging[0]) == nullptr) {
        *error = "Can't create a staging folder in " + dest + ": " + std::strerror(errno);
        return false;
    }
    // Opened before anything is written, so that the flush below reports a
    // write error of any of the files.
    int staging_fd = open(staging.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool ok = staging_fd >= 0;
    if (!ok) {
        *error = "Can't open the staging folder " + staging + ": " + std::strerror(errno);
    }
    mode_t mask = umask(0);
    umask(mask);
    // Only the staging folder is written before the last report, so a stop
    // up to there leaves the destination as it was.
    auto go_on = [&](size_t done, std::string const& file) {
        if (progress && !progress(done, entries.size(), file)) {
            *error = "The restore into " + dest + " was stopped before " + file +
                     ": nothing was restored";
            return false;
        }
        return true;
    };
    // Every file is written, then all of them are flushed to the disk at
    // once (one flush of their file system, as sync does): a flush per file
    // costs a commit of the file system's journal per file.
    for (size_t i = 0; ok && i < entries.size(); ++i) {
        ok = go_on(i, entries[i].declared.name) &&
             (entries[i].is_folder || in_place.count(entries[i].name) != 0 ||
              extract(lib, zip, entries[i], staged(staging, entries[i].name), mask, error));
    }
    if (ok && syncfs(staging_fd) != 0) {
        *error = std::string("Can't write the restored files to the disk: ") + std::strerror(errno);
        ok = false;
    }
    if (staging_fd >= 0) {
        close(staging_fd);
    }
    ok = ok && go_on(entries.size(), dest) &&
         move_in(staging, dest, entries, in_place, lock, error);
    if (!ok) {
        std::error_code ec;
        fs::remove_all(staging, ec);
    }
    return ok;
}

} // namespace

bool afm_check_declared_sizes(std::vector<AFM_DECLARED_SIZE> const& entries, uint64_t free_bytes,
                              std::string* error) {
    uint64_t const max = std::numeric_limits<uint64_t>::max();
    uint64_t total = 0;
    for (AFM_DECLARED_SIZE const& entry : entries) {
        std::string fault;
        if (entry.compressed_size <= max / AFM_MAX_COMPRESSION_RATIO &&
            entry.size > entry.compressed_size * AFM_MAX_COMPRESSION_RATIO) {
            fault = "would unpack " + std::to_string(entry.compressed_size) + " bytes into " +
                    std::to_string(entry.size) + ", more than " +
                    std::to_string(AFM_MAX_COMPRESSION_RATIO) + " times as many";
        }
        total = entry.size > max - total ? max : total + entry.size;
        if (fault.empty() && total > free_bytes) {
            fault = "does not fit: the files up to it need " + std::to_string(total) +
                    " bytes, and " + std::to_string(free_bytes) + " are free";
        }
        if (!fault.empty()) {
            *error = "Archive entry \"" + entry.name + "\" " + fault;
            return false;
        }
    }
    return true;
}

bool afm_restore_archive(std::string const& archive, std::string const& destination, bool overwrite,
                         std::string* error, AFM_PROGRESS const& progress) {
    AFM_LIBZIP const* lib = nullptr;
    zip_t* zip = open_archive(archive, &lib, error);
    if (zip == nullptr) {
        return false;
    }
    std::string dest = FIO_PATH(destination).full_path();
    while (dest.size() > 1 && dest.back() == '/') {
        dest.pop_back();
    }
    std::vector<ENTRY> entries;
    bool ok = check_entries(*lib, zip, &entries, error);
    if (ok && is_link(dest)) {
        *error = "The destination " + dest + " is a link";
        ok = false;
    }
    bool made_destination = false;
    bool restored = false;
    std::error_code ec;
    if (ok) {
        made_destination = fs::create_directories(dest, ec);
        if (ec) {
            *error = "Can't create the folder " + dest + ": " + ec.message();
            ok = false;
        }
    }
    if (ok) {
        // One restore into a folder at a time: the next one finishes what a
        // killed one left, which a live one must not meet.
        FIO_LOCK lock;
        std::string const lock_file = dest + "/.restore.lock";
        std::string why;
        if (lock.lock_file(lock_file, true, &why) != FIO_LOCK::HELD) {
            *error = "Can't lock the folder " + dest + " for the restore: " + why;
            ok = false;
        } else {
            restored = restore_into(*lib, zip, entries, dest, overwrite, lock, error, progress);
            ok = restored;
        }
        // A lock file left behind would be taken over by the next restore; its
        // user learns that the files are in place all the same.
        if (!lock.release(&why) && restored) {
            *error = "The archive was restored into " + dest + ", but its lock file " + lock_file +
                     " could not be removed: " + why;
            ok = false;
        }
    }
    lib->zip_discard(zip);
    if (!restored && made_destination) {
        remove_empty_folders(dest);
    }
    return ok;
}

std::vector<std::string> afm_archive_entries(std::string const& archive) {
    std::vector<std::string> names;
    std::string error;
    AFM_LIBZIP const* lib = nullptr;
    zip_t* zip = open_archive(archive, &lib, &error);
    if (zip == nullptr) {
        return names;
    }
    for (zip_int64_t i = 0; i < lib->zip_get_num_entries(zip, 0); ++i) {
        char const* name = lib->zip_get_name(zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        names.emplace_back(name != nullptr ? name : "");
    }
    lib->zip_discard(zip);
    return names;
}

std::vector<std::string> afm_unwritable_restore_folders(std::string const& archive,
                                                        std::string const& destination) {
    std::vector<std::string> folders;
    std::string error;
    AFM_LIBZIP const* lib = nullptr;
    zip_t* zip = open_archive(archive, &lib, &error);
    if (zip == nullptr) {
        return folders;
    }
    std::vector<ENTRY> entries;
    check_entries(*lib, zip, &entries, &error);
    lib->zip_discard(zip);
    std::string dest = FIO_PATH(destination).full_path();
    std::set<std::string> seen;
    for (ENTRY const& entry : entries) {
        // The deepest existing folder on the entry's path is the one written
        // into; an existing folder that the archive names gets nothing.
        fs::path path = fs::path(dest) / entry.name;
        std::error_code ec;
        if (entry.is_folder && fs::is_directory(path, ec)) {
            continue;
        }
        std::string written = existing_ancestor(path.parent_path());
        if (seen.insert(written).second && access(written.c_str(), W_OK) != 0) {
            folders.push_back(written);
        }
    }
    return folders;
}

bool afm_make_folders_writable(std::vector<std::string> const& folders, std::string* error) {
    for (std::string const& folder : folders) {
        int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        struct stat st;
        bool ok = fd >= 0 && fstat(fd, &st) == 0 && fchmod(fd, (st.st_mode & 07777) | S_IWUSR) == 0;
        if (fd >= 0) {
            close(fd);
        }
        if (!ok) {
            *error = folder;
            return false;
        }
    }
    return true;
}
