#include "suite/dbmanager/dbm_info.h"

#include "suite/fileio/fio.h"

#include <sys/stat.h>
#include <vector>

namespace {

// Creates `dir` and the folders above it that are missing.
bool make_directories(std::string const& dir) {
    std::string path;
    for (size_t pos = 0; pos != std::string::npos;) {
        size_t next = dir.find('/', pos + 1);
        path = dir.substr(0, next);
        if (!path.empty() && !FIO_FILE_SYSTEM::is_directory(FIO_PATH(path)) &&
            mkdir(path.c_str(), 0777) != 0) {
            return false;
        }
        pos = next;
    }
    return true;
}

} // namespace

bool DBM_INFO::copy_revision(std::string const& from_revision, std::string const& from_dir,
                             std::string const& to_revision, std::string const& to_dir,
                             std::string* failed) {
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    if (from_revision.empty() || to_revision.empty() ||
        !FIO_FILE_SYSTEM::is_directory(FIO_PATH(from_dir))) {
        return true;
    }
    if (!FIO_FILE_SYSTEM::list_directory(FIO_PATH(from_dir), entries)) {
        if (failed != nullptr) {
            *failed = from_dir;
        }
        return false;
    }
    std::string prefix = from_revision + ".";
    bool ok = true;
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        if (entry.is_directory || entry.name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        FIO_PATH from(from_dir, entry.name);
        FIO_PATH to(to_dir, to_revision + entry.name.substr(from_revision.size()));
        if (FIO_FILE_SYSTEM::exists(to)) {
            continue;
        }
        if (!make_directories(to_dir) || !FIO_FILE_SYSTEM::copy(from, to, false)) {
            if (ok && failed != nullptr) {
                *failed = to.path();
            }
            ok = false;
        }
    }
    return ok;
}
