#include "suite/fileio/fio_set_aside.h"

#include "suite/fileio/fio.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether there is anything under the name, a link leading nowhere included.
bool taken(std::string const& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The first free name of "<file>.bak", "<file>.bak1", ...
std::string free_backup_name(std::string const& path) {
    std::string aside = path + ".bak";
    for (int count = 1; taken(aside); ++count) {
        aside = path + ".bak" + std::to_string(count);
    }
    return aside;
}

// A new empty file ".<base>.aside.XXXXXX" beside the file, which the rename
// replaces; "" when none could be made.
std::string hidden_name(FIO_PATH const& path) {
    std::string aside = path.directory() + "." + path.base() + ".aside.XXXXXX";
    int fd = mkstemp(&aside[0]);
    if (fd < 0) {
        return std::string();
    }
    if (close(fd) != 0) {
        unlink(aside.c_str());
        return std::string();
    }
    return aside;
}

} // namespace

bool fio_set_aside(FIO_PATH const& path, FIO_ASIDE_NAME naming, std::string* aside) {
    aside->clear();
    if (!taken(path.path())) {
        return true;
    }
    std::string name =
        naming == FIO_ASIDE_NAME::BACKUP ? free_backup_name(path.path()) : hidden_name(path);
    if (name.empty()) {
        return false;
    }
    if (std::rename(path.path().c_str(), name.c_str()) != 0) {
        if (naming == FIO_ASIDE_NAME::HIDDEN) {
            unlink(name.c_str());
        }
        return false;
    }
    *aside = name;
    return true;
}

void fio_put_back(std::string const& aside, FIO_PATH const& path, bool over_new_file) {
    if (!over_new_file && taken(path.path())) {
        unlink(aside.c_str());
        return;
    }
    std::rename(aside.c_str(), path.path().c_str());
}
