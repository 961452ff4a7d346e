#include "suite/fileio/fio.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Whether the open file still is the one its name leads to; false with `error`
// set when that cannot be told.
bool still_named(int fd, std::string const& name, bool* named, std::string* error) {
    struct stat held;
    struct stat now;
    if (fstat(fd, &held) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    if (stat(name.c_str(), &now) != 0) {
        if (errno != ENOENT) {
            *error = std::strerror(errno);
            return false;
        }
        *named = false;
        return true;
    }
    *named = held.st_dev == now.st_dev && held.st_ino == now.st_ino;
    return true;
}
} // namespace

FIO_FILE_LOCK::FIO_FILE_LOCK(FIO_PATH const& file) {
    std::string target;
    if (!FIO_FILE_SYSTEM::resolve_links(file, &target, &m_error)) {
        return;
    }
    m_lock_file = target + ".lock";
    // The holder removes the lock file before it releases the lock, so a lock
    // granted on a file that is no longer (or no longer the same) under the name
    // came from a holder that has finished: open the name anew and wait again.
    for (;;) {
        // Made here, the lock file goes again when the lock cannot be taken.
        bool made = true;
        int fd = ::open(m_lock_file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) {
            made = false;
            fd = ::open(m_lock_file.c_str(), O_RDWR | O_CLOEXEC);
            if (fd < 0 && errno == ENOENT) {
                continue; // its holder has just removed it
            }
        }
        if (fd < 0) {
            m_error = std::strerror(errno);
            return;
        }
        int locked;
        do {
            locked = flock(fd, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        bool named = false;
        if (locked != 0) {
            m_error = std::strerror(errno);
        } else if (still_named(fd, m_lock_file, &named, &m_error) && named) {
            m_fd = fd;
            return;
        }
        if (!m_error.empty()) {
            std::string ignored;
            if (made && still_named(fd, m_lock_file, &named, &ignored) && named) {
                unlink(m_lock_file.c_str());
            }
            ::close(fd);
            return;
        }
        ::close(fd);
    }
}

FIO_FILE_LOCK::~FIO_FILE_LOCK() {
    if (m_fd >= 0) {
        unlink(m_lock_file.c_str());
        ::close(m_fd);
    }
}
