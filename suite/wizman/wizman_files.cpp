#include "suite/wizman/wizman_files.h"

#include "suite/fileio/fio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The wizard's work files: ".<name>.vwz-...".
FIO_WORK_FILES const WIZARD_WORK_FILES = {".vwz-", "vestawiz update"};

} // namespace

std::string wizman_directory_of(std::string const& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool wizman_read_regular_file(std::string const& path, std::string& text, std::string& why,
                              size_t limit) {
    text.clear();
    // Opening a FIFO without O_NONBLOCK would wait for a writer.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = std::string("cannot be opened: ") + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        why = "not a regular file";
        return false;
    }
    char buffer[65536];
    bool ok = true;
    while (text.size() < limit) {
        size_t wanted = std::min(sizeof buffer, limit - text.size());
        ssize_t n = read(fd, buffer, wanted);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    if (!ok) {
        why = std::string("cannot be read: ") + std::strerror(errno);
    }
    close(fd);
    return ok;
}

bool wizman_update_files(std::vector<WIZMAN_FILE_UPDATE> const& updates, std::string& why) {
    return fio_update_files(WIZARD_WORK_FILES, updates, why);
}

bool wizman_create_file(std::string const& path, std::string const& content, unsigned mode,
                        std::string& why) {
    return fio_create_file(WIZARD_WORK_FILES, path, content, mode, why);
}

void wizman_recover_directory(std::string const& directory) {
    fio_recover_directory(WIZARD_WORK_FILES, directory);
}

void wizman_recover_tree(std::string const& directory, WIZMAN_TREE_VISITOR const& visitor) {
    {
        WIZMAN_DIRECTORY_LOCK lock(directory);
        if (lock.locked()) {
            wizman_recover_directory(directory);
        }
    }
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    std::string why;
    if (!FIO_FILE_SYSTEM::list_directory(FIO_PATH(directory), entries, &why) &&
        visitor.unreadable) {
        visitor.unreadable(directory, why);
    }
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        std::string path = FIO_PATH(directory, entry.name).path();
        if (entry.is_directory) {
            wizman_recover_tree(path, visitor);
        } else if (visitor.file) {
            visitor.file(path);
        }
    }
}
