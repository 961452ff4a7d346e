#include "suite/wizman/wizman_files.h"

#include "suite/fileio/fio.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char const* const JOURNAL_SUFFIX = ".vwz-journal";
char const* const JOURNAL_HEAD = "vestawiz update\n";
char const* const JOURNAL_END = "end\n";
char const* const WORK_FILE_MARK = ".vwz-";

std::string name_of(std::string const& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string in_directory(std::string const& directory, std::string const& name) {
    return directory == "/" ? "/" + name : directory + "/" + name;
}

// The work files of an update whose first file is `first`.
std::string journal_of(std::string const& first) {
    return in_directory(wizman_directory_of(first), "." + name_of(first) + JOURNAL_SUFFIX);
}
std::string work_file(std::string const& first, char const* kind, size_t index) {
    return in_directory(wizman_directory_of(first),
                        "." + name_of(first) + WORK_FILE_MARK + kind + std::to_string(index));
}

bool ends_with(std::string const& text, std::string const& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool is_work_file(std::string const& name) {
    return name.size() > 1 && name[0] == '.' && name.find(WORK_FILE_MARK) != std::string::npos;
}

bool exists(std::string const& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

void sync_directory(std::string const& directory) {
    int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

std::string reason(char const* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Writes a new file whole and flushes it; false (and no file) on failure.
bool write_new_file(std::string const& path, std::string const& content, mode_t mode,
                    std::string& why) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = reason("cannot create a work file");
        return false;
    }
    bool ok = fchmod(fd, mode) == 0 && fio_write_all_and_flush(fd, content);
    if (!ok) {
        why = reason("cannot write a work file");
    }
    ok = close(fd) == 0 && ok;
    if (!ok) {
        unlink(path.c_str());
    }
    return ok;
}

// The files an update's journal lists; false when the journal was not written
// whole (its renames had not begun then).
bool read_journal(std::string const& journal, std::vector<std::string>& files) {
    std::string text;
    std::string why;
    if (!wizman_read_regular_file(journal, text, why) ||
        text.compare(0, std::strlen(JOURNAL_HEAD), JOURNAL_HEAD) != 0 ||
        !ends_with(text, JOURNAL_END)) {
        return false;
    }
    size_t at = std::strlen(JOURNAL_HEAD);
    size_t end = text.size() - std::strlen(JOURNAL_END);
    while (at < end) {
        size_t nul = text.find('\0', at);
        if (nul == std::string::npos || nul >= end) {
            return false;
        }
        files.push_back(text.substr(at, nul - at));
        at = nul + 1;
    }
    return !files.empty();
}

// Undoes the update of a journal unless all its renames happened, then removes
// the journal and the update's work files.
void recover_journal(std::string const& journal) {
    std::vector<std::string> files;
    if (read_journal(journal, files)) {
        std::string const& first = files.front();
        bool all_renamed = true;
        for (size_t i = 0; i < files.size(); ++i) {
            all_renamed = all_renamed && !exists(work_file(first, "new", i));
        }
        for (size_t i = 0; i < files.size() && !all_renamed; ++i) {
            std::string old = work_file(first, "old", i);
            if (exists(old)) {
                // When both names still are one file, rename does nothing: the
                // second name goes with the other work files below.
                rename(old.c_str(), files[i].c_str());
            }
        }
        sync_directory(wizman_directory_of(first));
    }
    unlink(journal.c_str());
}

void recover_tree(std::string const& directory) {
    {
        WIZMAN_DIRECTORY_LOCK lock(directory);
        if (lock.locked()) {
            wizman_recover_directory(directory);
        }
    }
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::string> subdirectories;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        std::string path = in_directory(directory, name);
        struct stat st;
        if (name != "." && name != ".." && lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            subdirectories.push_back(path);
        }
    }
    closedir(dir);
    for (std::string const& sub : subdirectories) {
        recover_tree(sub);
    }
}

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
        why = reason("cannot be opened");
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
        why = reason("cannot be read");
    }
    close(fd);
    return ok;
}

bool wizman_update_files(std::vector<WIZMAN_FILE_UPDATE> const& updates, std::string& why) {
    if (updates.empty()) {
        return true;
    }
    std::string const& first = updates.front().path;
    std::string const directory = wizman_directory_of(first);
    size_t written = 0;
    size_t linked = 0;
    auto clean = [&]() {
        for (size_t i = 0; i < written; ++i) {
            unlink(work_file(first, "new", i).c_str());
        }
        for (size_t i = 0; i < linked; ++i) {
            unlink(work_file(first, "old", i).c_str());
        }
        return false;
    };
    // The new contents, each beside a second name of its file's old content.
    for (WIZMAN_FILE_UPDATE const& update : updates) {
        struct stat st;
        if (stat(update.path.c_str(), &st) != 0) {
            why = reason("cannot be examined");
            return clean();
        }
        if (!write_new_file(work_file(first, "new", written), update.content, st.st_mode & 07777,
                            why)) {
            return clean();
        }
        ++written;
    }
    for (WIZMAN_FILE_UPDATE const& update : updates) {
        if (link(update.path.c_str(), work_file(first, "old", linked).c_str()) != 0) {
            why = reason("cannot keep the old content");
            return clean();
        }
        ++linked;
    }
    // From the journal on, a recovery can undo the renames.
    std::string journal_text = JOURNAL_HEAD;
    for (WIZMAN_FILE_UPDATE const& update : updates) {
        journal_text += update.path;
        journal_text += '\0';
    }
    journal_text += JOURNAL_END;
    std::string const journal = journal_of(first);
    if (!write_new_file(journal, journal_text, 0600, why)) {
        return clean();
    }
    sync_directory(directory);
    for (size_t i = 0; i < updates.size(); ++i) {
        if (rename(work_file(first, "new", i).c_str(), updates[i].path.c_str()) != 0) {
            why = reason("cannot be replaced");
            recover_journal(journal);
            clean();
            return false;
        }
    }
    sync_directory(directory);
    unlink(journal.c_str());
    clean();
    return true;
}

bool wizman_create_file(std::string const& path, std::string const& content, unsigned mode,
                        std::string& why) {
    std::string temp =
        in_directory(wizman_directory_of(path), "." + name_of(path) + WORK_FILE_MARK + "tmp");
    unlink(temp.c_str());
    if (!write_new_file(temp, content, mode & 07777, why)) {
        return false;
    }
    // A second name never replaces an existing file.
    bool ok = link(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        why = errno == EEXIST ? std::string("the file exists") : reason("cannot be created");
    }
    unlink(temp.c_str());
    sync_directory(wizman_directory_of(path));
    return ok;
}

void wizman_recover_directory(std::string const& directory) {
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::string> journals;
    std::vector<std::string> work_files;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (!is_work_file(name)) {
            continue;
        }
        (ends_with(name, JOURNAL_SUFFIX) ? journals : work_files)
            .push_back(in_directory(directory, name));
    }
    closedir(dir);
    for (std::string const& journal : journals) {
        recover_journal(journal);
    }
    for (std::string const& file : work_files) {
        unlink(file.c_str());
    }
}

void wizman_recover_tree(std::string const& root) {
    recover_tree(root);
}
