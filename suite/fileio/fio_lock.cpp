#include "suite/fileio/fio_lock.h"

#include "suite/fileio/fio.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FIO_LOCK::RESULT failed(std::string* error, int number) {
    if (error != nullptr) {
        *error = std::strerror(number);
    }
    return FIO_LOCK::FAILED;
}

// Takes the lock on an open file; 0, or the error number of the failure.
int take(int fd, bool wait) {
    int locked;
    do {
        locked = flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    return locked == 0 ? 0 : errno;
}

// Whether the open file still is the one its name leads to; false with `error`
// set when that cannot be told.
bool still_named(int fd, std::string const& name, bool* named, int* error) {
    struct stat held;
    struct stat now;
    if (fstat(fd, &held) != 0) {
        *error = errno;
        return false;
    }
    if (stat(name.c_str(), &now) != 0) {
        if (errno != ENOENT) {
            *error = errno;
            return false;
        }
        *named = false;
        return true;
    }
    *named = held.st_dev == now.st_dev && held.st_ino == now.st_ino;
    return true;
}

// The whole content of the open lock file; what cannot be read counts as no
// note.
std::string note_in(int fd) {
    std::string note;
    char buffer[4096];
    for (off_t at = 0;;) {
        ssize_t n = pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::string();
        }
        if (n == 0) {
            return note;
        }
        note.append(buffer, static_cast<size_t>(n));
        at += n;
    }
}

} // namespace

FIO_LOCK::~FIO_LOCK() {
    release();
}

FIO_LOCK::RESULT FIO_LOCK::lock_file(std::string const& path, bool wait, std::string* error) {
    release();
    for (;;) {
        bool made = true;
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) {
            made = false;
            fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0 && errno == ENOENT) {
                continue; // its holder has just removed it
            }
        }
        if (fd < 0) {
            return failed(error, errno);
        }
        int problem = take(fd, wait);
        bool named = false;
        if (problem == 0 && still_named(fd, path, &named, &problem) && named) {
            m_lock_file = path;
            m_fd = fd;
            m_inherited_note = made ? std::string() : note_in(fd);
            return HELD;
        }
        if (problem == EWOULDBLOCK && !wait) {
            ::close(fd);
            return BUSY;
        }
        if (problem != 0) {
            int ignored = 0;
            if (made && still_named(fd, path, &named, &ignored) && named) {
                unlink(path.c_str());
            }
            ::close(fd);
            return failed(error, problem);
        }
        ::close(fd);
    }
}

FIO_LOCK::RESULT FIO_LOCK::lock_directory(std::string const& path, std::string* error) {
    release();
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return failed(error, errno);
    }
    int problem = take(fd, true);
    if (problem != 0) {
        ::close(fd);
        return failed(error, problem);
    }
    m_fd = fd;
    return HELD;
}

bool FIO_LOCK::release(std::string* error) {
    if (m_fd < 0) {
        return true;
    }
    bool removed = m_lock_file.empty() || unlink(m_lock_file.c_str()) == 0;
    if (!removed) {
        if (error != nullptr) {
            *error = std::strerror(errno);
        }
        // The file stays for the next holder, emptied: this holder's work is
        // over, and its note would tell the next one otherwise.
        if (ftruncate(m_fd, 0) != 0 && error != nullptr) {
            *error += std::string(", nor emptied: ") + std::strerror(errno);
        }
    }
    ::close(m_fd);
    m_fd = -1;
    m_lock_file.clear();
    m_inherited_note.clear();
    return removed;
}

bool FIO_LOCK::keep_note(std::string const& note, std::string* error) {
    bool kept = m_fd >= 0 && ftruncate(m_fd, 0) == 0 && lseek(m_fd, 0, SEEK_SET) == 0 &&
                fio_write_all_and_flush(m_fd, note);
    if (!kept && error != nullptr) {
        *error = m_fd < 0 ? std::string("no lock is held") : std::strerror(errno);
    }
    return kept;
}

FIO_FILE_LOCK::FIO_FILE_LOCK(FIO_PATH const& file) {
    std::string target;
    if (FIO_FILE_SYSTEM::resolve_links(file, &target, &m_error)) {
        m_lock.lock_file(target + ".lock", true, &m_error);
    }
}
