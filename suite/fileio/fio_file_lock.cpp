#include "suite/fileio/fio.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
        int fd = ::open(m_lock_file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            m_error = std::strerror(errno);
            return;
        }
        int locked;
        do {
            locked = flock(fd, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            m_error = std::strerror(errno);
            ::close(fd);
            return;
        }
        struct stat held;
        struct stat named;
        if (fstat(fd, &held) == 0 && stat(m_lock_file.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            m_fd = fd;
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
