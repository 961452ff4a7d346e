#include "suite/fileio/fio_journal.h"

#include "suite/fileio/fio.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char const* const JOURNAL = "journal";
char const* const JOURNAL_END = "end\n";

// The directory of a path's file with its trailing "/" ("./" for a bare name).
std::string directory_of(std::string const& path) {
    std::string directory = FIO_PATH(path).directory();
    return directory.empty() ? "./" : directory;
}

// The work files of an update whose first file is `first`.
std::string work_file(FIO_WORK_FILES const& names, std::string const& first,
                      std::string const& kind) {
    return FIO_PATH(directory_of(first), "." + FIO_PATH(first).filename() + names.mark + kind)
        .path();
}
std::string work_file(FIO_WORK_FILES const& names, std::string const& first, char const* kind,
                      size_t index) {
    return work_file(names, first, kind + std::to_string(index));
}

std::string journal_head(FIO_WORK_FILES const& names) {
    return std::string(names.journal_title) + "\n";
}

bool ends_with(std::string const& text, std::string const& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool is_work_file(FIO_WORK_FILES const& names, std::string const& name) {
    return name.size() > 1 && name[0] == '.' && name.find(names.mark) != std::string::npos;
}

bool exists(std::string const& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

void sync_directory(std::string const& directory) {
    fio_flush_directory(directory);
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
bool read_journal(FIO_WORK_FILES const& names, std::string const& journal,
                  std::vector<std::string>& files) {
    std::string text;
    std::string const head = journal_head(names);
    if (!FIO_FILE_SYSTEM::read_file(FIO_PATH(journal), text) ||
        text.compare(0, head.size(), head) != 0 || !ends_with(text, JOURNAL_END)) {
        return false;
    }
    size_t at = head.size();
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
void recover_journal(FIO_WORK_FILES const& names, std::string const& journal) {
    std::vector<std::string> files;
    if (read_journal(names, journal, files)) {
        std::string const& first = files.front();
        bool all_renamed = true;
        for (size_t i = 0; i < files.size(); ++i) {
            all_renamed = all_renamed && !exists(work_file(names, first, "new", i));
        }
        for (size_t i = 0; i < files.size() && !all_renamed; ++i) {
            std::string old = work_file(names, first, "old", i);
            if (exists(old)) {
                // When both names still are one file, rename does nothing: the
                // second name goes with the other work files below.
                rename(old.c_str(), files[i].c_str());
            }
        }
        sync_directory(directory_of(first));
    }
    unlink(journal.c_str());
}

} // namespace

bool fio_update_files(FIO_WORK_FILES const& names, std::vector<FIO_FILE_UPDATE> const& updates,
                      std::string& why) {
    if (updates.empty()) {
        return true;
    }
    std::string const& first = updates.front().path;
    std::string const directory = directory_of(first);
    size_t written = 0;
    size_t linked = 0;
    auto clean = [&]() {
        for (size_t i = 0; i < written; ++i) {
            unlink(work_file(names, first, "new", i).c_str());
        }
        for (size_t i = 0; i < linked; ++i) {
            unlink(work_file(names, first, "old", i).c_str());
        }
        return false;
    };
    // The new contents, each beside a second name of its file's old content.
    for (FIO_FILE_UPDATE const& update : updates) {
        struct stat st;
        if (stat(update.path.c_str(), &st) != 0) {
            why = reason("cannot be examined");
            return clean();
        }
        if (!write_new_file(work_file(names, first, "new", written), update.content,
                            st.st_mode & 07777, why)) {
            return clean();
        }
        ++written;
    }
    for (FIO_FILE_UPDATE const& update : updates) {
        if (link(update.path.c_str(), work_file(names, first, "old", linked).c_str()) != 0) {
            why = reason("cannot keep the old content");
            return clean();
        }
        ++linked;
    }
    // From the journal on, a recovery can undo the renames.
    std::string journal_text = journal_head(names);
    for (FIO_FILE_UPDATE const& update : updates) {
        journal_text += update.path;
        journal_text += '\0';
    }
    journal_text += JOURNAL_END;
    std::string const journal = work_file(names, first, JOURNAL);
    if (!write_new_file(journal, journal_text, 0600, why)) {
        return clean();
    }
    sync_directory(directory);
    for (size_t i = 0; i < updates.size(); ++i) {
        if (rename(work_file(names, first, "new", i).c_str(), updates[i].path.c_str()) != 0) {
            why = reason("cannot be replaced");
            recover_journal(names, journal);
            clean();
            return false;
        }
    }
    sync_directory(directory);
    unlink(journal.c_str());
    clean();
    return true;
}

bool fio_create_file(FIO_WORK_FILES const& names, std::string const& path,
                     std::string const& content, unsigned mode, std::string& why) {
    std::string temp = work_file(names, path, "tmp");
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
    sync_directory(directory_of(path));
    return ok;
}

void fio_recover_directory(FIO_WORK_FILES const& names, std::string const& directory) {
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    if (!FIO_FILE_SYSTEM::list_directory(FIO_PATH(directory), entries)) {
        return;
    }
    std::string const journal_suffix = std::string(names.mark) + JOURNAL;
    std::vector<std::string> journals;
    std::vector<std::string> work_files;
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        if (is_work_file(names, entry.name)) {
            (ends_with(entry.name, journal_suffix) ? journals : work_files)
                .push_back(FIO_PATH(directory, entry.name).path());
        }
    }
    for (std::string const& journal : journals) {
        recover_journal(names, journal);
    }
    for (std::string const& file : work_files) {
        unlink(file.c_str());
    }
}

namespace {

char const* const MOVE_JOURNAL_TITLE = "move-in journal";

std::string move_journal(std::string const& work_folder) {
    return work_folder + "/" + JOURNAL;
}
std::string old_content(std::string const& work_folder, size_t index) {
    return work_folder + "/old" + std::to_string(index);
}

// The moves of a work folder's journal; false when it was not written whole
// (no rename had begun then).
bool read_move_journal(std::string const& work_folder, std::vector<FIO_FILE_MOVE>& moves) {
    FIO_WORK_FILES const names{"", MOVE_JOURNAL_TITLE};
    std::vector<std::string> paths;
    if (!read_journal(names, move_journal(work_folder), paths) || paths.size() % 2 != 0) {
        return false;
    }
    for (size_t i = 0; i < paths.size(); i += 2) {
        moves.push_back({paths[i], paths[i + 1]});
    }
    return true;
}

// Puts every place of the moves back as it was: a replaced file's old content
// back, a file moved in where none was removed.
void undo_moves(std::string const& work_folder, std::vector<FIO_FILE_MOVE> const& moves) {
    std::set<std::string> folders;
    for (size_t i = 0; i < moves.size(); ++i) {
        std::string old = old_content(work_folder, i);
        if (exists(old)) {
            // Not yet replaced, both names are one file: rename does nothing.
            rename(old.c_str(), moves[i].to.c_str());
        } else if (!exists(moves[i].from)) {
            unlink(moves[i].to.c_str());
        }
        folders.insert(directory_of(moves[i].to));
    }
    for (std::string const& folder : folders) {
        sync_directory(folder);
    }
}

void remove_work_folder(std::string const& work_folder) {
    std::error_code ec;
    std::filesystem::remove_all(work_folder, ec);
    sync_directory(directory_of(work_folder));
}

} // namespace

bool fio_move_in(std::string const& work_folder, std::vector<FIO_FILE_MOVE> const& moves,
                 std::string& why) {
    // A second name of every file to be replaced, then the journal: from
    // then on a recovery can undo the renames.
    std::string journal_text = std::string(MOVE_JOURNAL_TITLE) + "\n";
    for (size_t i = 0; i < moves.size(); ++i) {
        struct stat st;
        bool kept = lstat(moves[i].to.c_str(), &st) == 0
                        ? link(moves[i].to.c_str(), old_content(work_folder, i).c_str()) == 0
                        : errno == ENOENT;
        if (!kept) {
            why = moves[i].to + ": " + reason("cannot keep the old content");
            return false;
        }
        journal_text += moves[i].from + '\0' + moves[i].to + '\0';
    }
    journal_text += JOURNAL_END;
    if (!write_new_file(move_journal(work_folder), journal_text, 0600, why)) {
        return false;
    }
    sync_directory(work_folder);
    for (FIO_FILE_MOVE const& move : moves) {
        if (rename(move.from.c_str(), move.to.c_str()) != 0) {
            why = move.to + ": " + reason("cannot be replaced");
            undo_moves(work_folder, moves);
            unlink(move_journal(work_folder).c_str());
            return false;
        }
    }
    return true;
}

bool fio_end_move_in(std::string const& work_folder, std::string& why) {
    // A journal left behind would have the next recovery undo the move.
    if (unlink(move_journal(work_folder).c_str()) != 0) {
        why = reason("cannot end the move");
        fio_recover_move_in(work_folder);
        return false;
    }
    sync_directory(work_folder);
    remove_work_folder(work_folder);
    return true;
}

void fio_recover_move_in(std::string const& work_folder) {
    std::vector<FIO_FILE_MOVE> moves;
    if (read_move_journal(work_folder, moves)) {
        undo_moves(work_folder, moves);
    }
    remove_work_folder(work_folder);
}

namespace {

char const* const CLAIM = "claim";

} // namespace

bool FIO_CLAIM::claim(FIO_WORK_FILES const& names, std::vector<std::string> const& files,
                      std::string& why) {
    release();
    if (files.empty()) {
        return true;
    }
    std::string const path = work_file(names, files.front(), CLAIM);
    std::string error;
    switch (m_lock.lock_file(path, false, &error)) {
    case FIO_LOCK::HELD:
        break;
    case FIO_LOCK::BUSY:
        why = "another process is making them";
        return false;
    case FIO_LOCK::FAILED:
        why = "cannot create a work file: " + error;
        return false;
    }
    // The journal's own format: a settling process takes a claim cut short
    // by a kill for one whose files were not made yet.
    std::string text = journal_head(names);
    for (std::string const& file : files) {
        text += file;
        text += '\0';
    }
    text += JOURNAL_END;
    if (ftruncate(m_lock.fd(), 0) != 0 || !fio_write_all_and_flush(m_lock.fd(), text)) {
        why = reason("cannot write a work file");
    } else if (!fio_flush_directory(directory_of(path), &error)) {
        why = "cannot write a work file: " + error;
    } else {
        return true;
    }
    release();
    return false;
}

void fio_settle_claims(FIO_WORK_FILES const& names, std::string const& directory,
                       std::function<void(std::vector<std::string> const& files)> const& settle) {
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    if (!FIO_FILE_SYSTEM::list_directory(FIO_PATH(directory), entries)) {
        return;
    }
    std::string const suffix = std::string(names.mark) + CLAIM;
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        if (!is_work_file(names, entry.name) || !ends_with(entry.name, suffix)) {
            continue;
        }
        std::string const path = FIO_PATH(directory, entry.name).path();
        // Only a claim whose process ended can be locked.
        FIO_LOCK lock;
        if (lock.lock_file(path, false) != FIO_LOCK::HELD) {
            continue;
        }
        std::vector<std::string> files;
        if (read_journal(names, path, files)) {
            settle(files);
        }
        lock.release();
        sync_directory(directory_of(path));
    }
}
