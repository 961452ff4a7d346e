#include "suite/archive/afm_zip.h"

#include "suite/archive/afm_libzip.h"

#include "suite/fileio/fio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

namespace {

namespace fs = std::filesystem;

// One entry of the archive as it will be restored.
struct ENTRY {
    zip_uint64_t index;
    std::string name;
    unsigned mode; // the archived rwx bits
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
            return slash == std::string::npos ? "is not a regular file" : "has an empty name part";
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

// Reads and checks every entry; false with `error` naming the first fault.
bool check_entries(AFM_LIBZIP const& lib, zip_t* zip, std::vector<ENTRY>* entries,
                   std::string* error) {
    zip_int64_t count = lib.zip_get_num_entries(zip, 0);
    std::set<std::string> names;
    std::set<std::string> folders;
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t st;
        char const* raw = lib.zip_get_name(zip, i, ZIP_FL_ENC_RAW);
        std::string name = raw != nullptr ? raw : "";
        if (raw == nullptr || lib.zip_stat_index(zip, i, 0, &st) != 0) {
            *error = "The archive is damaged at entry " + std::to_string(i);
            return false;
        }
        std::string fault = name_fault(name);
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        lib.zip_file_get_external_attributes(zip, i, 0, &opsys, &attributes);
        unsigned type = opsys == ZIP_OPSYS_UNIX ? (attributes >> 16) & S_IFMT : 0;
        if (fault.empty() && type != 0 && type != S_IFREG) {
            fault = "is not a regular file";
        }
        if (fault.empty() && (st.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 &&
            st.encryption_method != ZIP_EM_NONE) {
            fault = "is encrypted";
        }
        if (fault.empty() && (names.count(name) != 0 || folders.count(name) != 0)) {
            fault = "is in the archive twice";
        }
        for (size_t slash = name.find('/'); fault.empty() && slash != std::string::npos;
             slash = name.find('/', slash + 1)) {
            if (names.count(name.substr(0, slash)) != 0) {
                fault = "is in the archive twice";
            }
            folders.insert(name.substr(0, slash));
        }
        if (!fault.empty()) {
            *error = "Archive entry \"" + name + "\" " + fault;
            return false;
        }
        names.insert(name);
        unsigned mode = opsys == ZIP_OPSYS_UNIX ? (attributes >> 16) & 0777 : 0644;
        entries->push_back({i, name, mode});
    }
    return true;
}

// Checks the destination side of every entry: no link at or below the
// destination on its path, no folder in the way, no existing file unless
// overwriting.
bool check_targets(std::string const& destination, std::vector<ENTRY> const& entries,
                   bool overwrite, std::string* error) {
    if (is_link(destination)) {
        *error = "The destination " + destination + " is a link";
        return false;
    }
    for (ENTRY const& entry : entries) {
        std::string path = destination;
        size_t start = 0;
        while (true) {
            size_t slash = entry.name.find('/', start);
            path += "/" + entry.name.substr(start, slash - start);
            struct stat st;
            bool exists = lstat(path.c_str(), &st) == 0;
            std::string fault;
            if (exists && S_ISLNK(st.st_mode)) {
                fault = "would be written through the link " + path;
            } else if (exists && slash != std::string::npos && !S_ISDIR(st.st_mode)) {
                fault = "needs a folder where " + path + " is not one";
            } else if (exists && slash == std::string::npos && !S_ISREG(st.st_mode)) {
                fault = "would replace " + path + ", which is not a file";
            } else if (exists && slash == std::string::npos && !overwrite) {
                fault = "would overwrite the existing file " + path;
            }
            if (!fault.empty()) {
                *error = "Archive entry \"" + entry.name + "\" " + fault;
                return false;
            }
            if (slash == std::string::npos || !exists) {
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

bool extract(AFM_LIBZIP const& lib, zip_t* zip, ENTRY const& entry, std::string const& path,
             mode_t mask, std::string* error) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    zip_file_t* in = lib.zip_fopen_index(zip, entry.index, 0);
    int out =
        in == nullptr ? -1 : open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    bool ok = in != nullptr && out >= 0;
    char buffer[65536];
    while (ok) {
        zip_int64_t n = lib.zip_fread(in, buffer, sizeof buffer);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = write(out, buffer, static_cast<size_t>(n)) == n;
    }
    ok = (in == nullptr || lib.zip_fclose(in) == 0) && ok;
    ok = ok && fchmod(out, entry.mode & ~mask & 0777) == 0 && fsync(out) == 0;
    ok = (out < 0 || close(out) == 0) && ok;
    if (!ok) {
        *error = "Archive entry \"" + entry.name + "\" is damaged or can't be extracted";
    }
    return ok;
}

// Moves the staged files into the destination, each by an atomic rename; a
// replaced file keeps its permission bits.
bool move_in(std::string const& staging, std::string const& destination,
             std::vector<ENTRY> const& entries, std::string* error) {
    std::error_code ec;
    if (!fs::create_directories(destination, ec) && ec) {
        *error = "Can't create the folder " + destination;
        return false;
    }
    for (ENTRY const& entry : entries) {
        std::string from = staging + "/" + entry.name;
        std::string to = destination + "/" + entry.name;
        fs::create_directories(fs::path(to).parent_path(), ec);
        struct stat st;
        if (lstat(to.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            chmod(from.c_str(), st.st_mode & 07777);
        }
        if (is_link(fs::path(to).parent_path().string()) || rename(from.c_str(), to.c_str()) != 0) {
            *error = "Can't create or overwrite file " + to;
            return false;
        }
    }
    return true;
}

} // namespace

bool afm_restore_archive(std::string const& archive, std::string const& destination, bool overwrite,
                         std::string* error) {
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
    bool ok =
        check_entries(*lib, zip, &entries, error) && check_targets(dest, entries, overwrite, error);

    std::string staging;
    if (ok) {
        std::string base = fs::path(dest).filename().string();
        staging = existing_ancestor(fs::path(dest).parent_path()) + "/." + base + ".restore.XXXXXX";
        ok = mkdtemp(&staging[0]) != nullptr;
        if (!ok) {
            *error = "Can't create a staging folder beside " + dest;
            staging.clear();
        }
    }
    mode_t mask = umask(0);
    umask(mask);
    for (size_t i = 0; ok && i < entries.size(); ++i) {
        ok = extract(*lib, zip, entries[i], staging + "/" + entries[i].name, mask, error);
    }
    lib->zip_discard(zip);
    ok = ok && move_in(staging, dest, entries, error);
    if (!staging.empty()) {
        std::error_code ec;
        fs::remove_all(staging, ec);
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
        // The deepest existing folder on the entry's path is the one written into.
        fs::path folder = fs::path(dest) / entry.name;
        std::string written = existing_ancestor(folder.parent_path());
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
