#include "suite/fileio/fio.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// Stores the reason of a failure (when asked for) and returns false.
bool failed(std::string* error, char const* reason) {
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}
} // namespace

bool FIO_FILE_SYSTEM::exists(FIO_PATH const& path) {
    struct stat st;
    return !path.path().empty() && stat(path.path().c_str(), &st) == 0;
}

namespace {
void fill_status(struct stat const& st, FIO_FILE_STATUS* status) {
    status->modification_time = static_cast<long>(st.st_mtim.tv_sec);
    status->modification_time_ns =
        static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    status->size = static_cast<int64_t>(st.st_size);
    status->inode = static_cast<uint64_t>(st.st_ino);
    status->mode = static_cast<unsigned>(st.st_mode & 07777);
}
} // namespace

FIO_PRESENCE FIO_FILE_SYSTEM::presence(FIO_PATH const& path, FIO_FILE_STATUS* status,
                                       std::string* error) {
    if (path.path().empty()) {
        return FIO_PRESENCE::MISSING;
    }
    struct stat st;
    if (stat(path.path().c_str(), &st) != 0) {
        if (errno == ENOENT) {
            return FIO_PRESENCE::MISSING;
        }
        failed(error, std::strerror(errno));
        return FIO_PRESENCE::UNKNOWN;
    }
    if (status != nullptr) {
        fill_status(st, status);
    }
    return FIO_PRESENCE::PRESENT;
}

bool FIO_FILE_SYSTEM::is_directory(FIO_PATH const& path) {
    struct stat st;
    return stat(path.path().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FIO_FILE_SYSTEM::list_directory(FIO_PATH const& directory,
                                     std::vector<FIO_DIRECTORY_ENTRY>& entries,
                                     std::string* error) {
    DIR* dir = opendir(directory.path().c_str());
    if (dir == nullptr) {
        return failed(error, std::strerror(errno));
    }
    // readdir gives null both at the end and on a failed read; only a
    // failure sets errno.
    int problem = 0;
    for (;;) {
        errno = 0;
        dirent* e = readdir(dir);
        if (e == nullptr) {
            problem = errno;
            break;
        }
        std::string name = e->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        // Links to directories are not followed, so a link cannot lead a
        // recursive search round in a circle. The listing tells the kind of
        // most entries; the others are looked at.
        bool is_dir = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            is_dir = lstat(FIO_PATH(directory.path(), name).path().c_str(), &st) == 0 &&
                     S_ISDIR(st.st_mode);
        }
        entries.push_back({name, is_dir});
    }
    closedir(dir);
    std::sort(
        entries.begin(), entries.end(),
        [](FIO_DIRECTORY_ENTRY const& a, FIO_DIRECTORY_ENTRY const& b) { return a.name < b.name; });
    return problem == 0 || failed(error, std::strerror(problem));
}

FIO_FILE_BUFFER::FIO_FILE_BUFFER(size_t padding) : m_padding(padding > 0 ? padding : 1) {}

char* FIO_FILE_BUFFER::resize(size_t size) {
    if (size > m_capacity || !m_data) {
        // A file that grew while it was read grows the block by half at least.
        size_t capacity = std::max(size, m_capacity + m_capacity / 2);
        std::unique_ptr<char[]> block(new char[capacity + m_padding]);
        if (m_size > 0) {
            std::memcpy(block.get(), m_data.get(), m_size);
        }
        m_data = std::move(block);
        m_capacity = capacity;
    }
    m_size = size;
    std::memset(m_data.get() + m_size, 0, m_padding);
    return m_data.get();
}

namespace {

// Reads a whole regular file into `content`, which offers `resize(n)`: the
// content made n bytes long, its first bytes kept, returning where it starts.
template <typename CONTENT>
bool read_regular_file(FIO_PATH const& path, CONTENT& content, std::string* error,
                       size_t max_size) {
    content.resize(0);
    // Not blocking: a pipe named like a settings file must not hang the reader.
    int fd = ::open(path.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return failed(error, std::strerror(errno));
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        int saved = errno;
        ::close(fd);
        return failed(error, std::strerror(saved));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed(error, S_ISDIR(st.st_mode) ? "it is a directory" : "it is no regular file");
    }
    auto too_large = [fd, error, max_size, &content] {
        ::close(fd);
        content.resize(0);
        std::string reason = "it is larger than " + std::to_string(max_size) + " bytes";
        return failed(error, reason.c_str());
    };
    if (static_cast<uint64_t>(st.st_size) > max_size) {
        return too_large();
    }
    // Straight into the content, in one call for a file that keeps its size;
    // then to the end, for a file that grew meanwhile.
    size_t size = static_cast<size_t>(st.st_size);
    char* data = content.resize(size);
    size_t filled = 0;
    char more[65536];
    for (;;) {
        bool into_content = filled < size;
        ssize_t n =
            into_content ? ::read(fd, data + filled, size - filled) : ::read(fd, more, sizeof more);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            int saved = errno;
            ::close(fd);
            content.resize(0);
            return failed(error, std::strerror(saved));
        }
        if (n == 0) {
            break;
        }
        if (!into_content) {
            size = filled + static_cast<size_t>(n);
            if (size > max_size) {
                return too_large();
            }
            data = content.resize(size);
            std::memcpy(data + filled, more, static_cast<size_t>(n));
        }
        filled += static_cast<size_t>(n);
    }
    content.resize(filled);
    if (::close(fd) != 0) {
        content.resize(0);
        return failed(error, std::strerror(errno));
    }
    return true;
}

// A string as such content.
struct STRING_CONTENT {
    std::string& text;
    char* resize(size_t size) {
        text.resize(size);
        return &text[0];
    }
};

} // namespace

bool FIO_FILE_SYSTEM::read_file(FIO_PATH const& path, std::string& content, std::string* error,
                                size_t max_size) {
    STRING_CONTENT string_content{content};
    return read_regular_file(path, string_content, error, max_size);
}

bool FIO_FILE_SYSTEM::read_file(FIO_PATH const& path, FIO_FILE_BUFFER& content,
                                std::string* error) {
    return read_regular_file(path, content, error, SIZE_MAX);
}

bool FIO_FILE_SYSTEM::resolve_links(FIO_PATH const& path, std::string* target, std::string* error) {
    std::string current = path.path();
    // The system's own limit of links followed in one path.
    for (int followed = 0; followed < 40; ++followed) {
        struct stat st;
        bool missing = lstat(current.c_str(), &st) != 0;
        if (missing && errno != ENOENT) {
            return failed(error, std::strerror(errno));
        }
        if (missing || !S_ISLNK(st.st_mode)) {
            *target = current;
            return true;
        }
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        ssize_t n = readlink(current.c_str(), &link[0], link.size());
        if (n < 0) {
            return failed(error, std::strerror(errno));
        }
        link.resize(static_cast<size_t>(n));
        current = !link.empty() && link[0] == '/' ? link : FIO_PATH(current).directory() + link;
    }
    return failed(error, std::strerror(ELOOP));
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

bool fio_flush_directory(std::string const& directory, std::string* error) {
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return true;
    }
    int problem = fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return problem == 0 || failed(error, std::strerror(problem));
}

bool FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH const& path, std::string const& content,
                                            std::string* error, FIO_REWRITE* done) {
    FIO_REWRITE ignored;
    if (done == nullptr) {
        done = &ignored;
    }
    *done = FIO_REWRITE();
    std::string target;
    if (!resolve_links(path, &target, error)) {
        return false;
    }
    // The permission bits to keep: a file whose status cannot be read is not
    // taken for a new one.
    FIO_FILE_STATUS status;
    FIO_PRESENCE found = presence(FIO_PATH(target), &status, error);
    if (found == FIO_PRESENCE::UNKNOWN) {
        return false;
    }
    mode_t mode = found == FIO_PRESENCE::PRESENT ? status.mode : mode_for_new_file();
    FIO_PATH target_path(target);
    std::string directory = directory_of(target_path);
    std::string temp = FIO_PATH(directory, temporary_prefix(target_path) + TEMPORARY_SUFFIX).path();
    int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        return failed(error, std::strerror(errno));
    }
    int problem = fchmod(fd, mode) == 0 ? 0 : errno;
    if (problem == 0) {
        errno = 0;
        if (!fio_write_all_and_flush(fd, content)) {
            problem = errno != 0 ? errno : EIO;
        }
    }
    struct stat written;
    if (problem == 0) {
        problem = fstat(fd, &written) == 0 ? 0 : errno;
    }
    if (::close(fd) != 0 && problem == 0) {
        problem = errno;
    }
    if (problem == 0 && rename(temp.c_str(), target.c_str()) != 0) {
        problem = errno;
    }
    if (problem != 0) {
        unlink(temp.c_str());
        return failed(error, std::strerror(problem));
    }
    done->replaced = true;
    fill_status(written, &done->status);
    // The rename itself lasts only once the directory is on disk.
    return fio_flush_directory(directory, error);
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
    return status != nullptr && presence(path, status) == FIO_PRESENCE::PRESENT;
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
