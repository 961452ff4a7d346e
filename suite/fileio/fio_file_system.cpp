#include "suite/fileio/fio.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The permission bits a new file gets from the process's creation mask.
mode_t mode_for_new_file() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}
} // namespace

bool FIO_FILE_SYSTEM::exists(FIO_PATH const& path) {
    struct stat st;
    return !path.path().empty() && stat(path.path().c_str(), &st) == 0;
}

bool FIO_FILE_SYSTEM::is_directory(FIO_PATH const& path) {
    struct stat st;
    return stat(path.path().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FIO_FILE_SYSTEM::list_directory(FIO_PATH const& directory,
                                     std::vector<FIO_DIRECTORY_ENTRY>& entries) {
    DIR* dir = opendir(directory.path().c_str());
    if (dir == nullptr) {
        return false;
    }
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        // Links to directories are not followed, so a link cannot lead a
        // recursive search round in a circle.
        struct stat st;
        bool is_dir =
            lstat(FIO_PATH(directory.path(), name).path().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries.push_back({name, is_dir});
    }
    closedir(dir);
    std::sort(
        entries.begin(), entries.end(),
        [](FIO_DIRECTORY_ENTRY const& a, FIO_DIRECTORY_ENTRY const& b) { return a.name < b.name; });
    return true;
}

bool FIO_FILE_SYSTEM::read_file(FIO_PATH const& path, std::string& content) {
    FILE* f = std::fopen(path.path().c_str(), "rb");
    if (f == nullptr) {
        return false;
    }
    content.clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        content.append(buffer, n);
    }
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

namespace {

// The name pattern of a rewrite's temporary file: the file's name between a
// leading dot and a dot followed by six characters that mkstemp fills in.
char const* const TEMPORARY_SUFFIX = ".XXXXXX";

std::string temporary_prefix(FIO_PATH const& path) {
    return "." + path.base() + path.extension();
}

std::string directory_of(FIO_PATH const& path) {
    return path.directory().empty() ? "./" : path.directory();
}

} // namespace

bool fio_write_all_and_flush(int fd, std::string const& content) {
    for (size_t done = 0; done < content.size();) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return fsync(fd) == 0;
}

bool FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH const& path, std::string const& content) {
    std::string target = path.path();
    std::string temp =
        FIO_PATH(directory_of(path), temporary_prefix(FIO_PATH(target)) + TEMPORARY_SUFFIX).path();
    int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        return false;
    }
    struct stat st;
    mode_t mode = stat(target.c_str(), &st) == 0 ? st.st_mode & 07777 : mode_for_new_file();
    bool ok = fchmod(fd, mode) == 0 && fio_write_all_and_flush(fd, content);
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
    }
    return ok;
}

bool FIO_FILE_SYSTEM::copy(FIO_PATH const& from, FIO_PATH const& to, bool overwrite) {
    std::string content;
    if (!overwrite && exists(to)) {
        return false;
    }
    return read_file(from, content) && write_file_atomically(to, content);
}

bool FIO_FILE_SYSTEM::remove(FIO_PATH const& path) {
    return !path.path().empty() && ::unlink(path.path().c_str()) == 0;
}

bool FIO_FILE_SYSTEM::get_status(FIO_PATH const& path, FIO_FILE_STATUS* status) {
    struct stat st;
    if (status == nullptr || path.path().empty() || stat(path.path().c_str(), &st) != 0) {
        return false;
    }
    status->modification_time = static_cast<long>(st.st_mtim.tv_sec);
    status->modification_time_ns =
        static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    status->size = static_cast<int64_t>(st.st_size);
    status->inode = static_cast<uint64_t>(st.st_ino);
    status->mode = static_cast<unsigned>(st.st_mode & 07777);
    return true;
}

void FIO_FILE_SYSTEM::remove_stale_temporaries(FIO_PATH const& path) {
    std::string prefix = temporary_prefix(path);
    size_t length = prefix.size() + std::char_traits<char>::length(TEMPORARY_SUFFIX);
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    list_directory(FIO_PATH(directory_of(path)), entries);
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        if (!entry.is_directory && entry.name.size() == length &&
            entry.name.compare(0, prefix.size() + 1, prefix + ".") == 0) {
            unlink(FIO_PATH(directory_of(path), entry.name).path().c_str());
        }
    }
}
