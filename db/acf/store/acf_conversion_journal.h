// The files a project conversion touches, so that a conversion that fails can
// be undone: files it created are removed, files it rewrote get their old
// content back, and files it put aside return to their places. A file is
// never deleted to make room: it is put aside beside itself under a free name
// ("<file>.bak", "<file>.bak1", ...), which stays when the conversion succeeds.
#pragma once

#include <string>
#include <utility>
#include <vector>

// Sets an existing file aside under the first free name of "<file>.bak",
// "<file>.bak1", ... in its directory (fio_set_aside). Returns that name; ""
// when the file does not exist or the rename failed (the file then stays where
// it was).
std::string acf_put_file_aside(std::string const& path);

class ACF_CONVERSION_JOURNAL {
public:
    // Remembers the file as it is now (its content, or that it does not exist),
    // unless it is watched already. False, with nothing remembered, when the
    // file exists but cannot be read: it could not be restored.
    bool watch(std::string const& path);
    // Remembers a file made since (unless it is watched already): the undo
    // removes it.
    void made(std::string const& path);
    // Puts an existing file aside (acf_put_file_aside) and remembers where.
    // True when the file is gone from its place or was not there.
    bool put_aside(std::string const& path);
    // Restores every file remembered, newest first. The journal is empty after.
    void undo();
    // Forgets everything: what was put aside stays aside.
    void keep();

private:
    struct WATCHED {
        std::string path;
        bool existed;
        std::string content;
    };
    std::vector<WATCHED> m_watched;
    std::vector<std::pair<std::string, std::string>> m_put_aside; // {file, where it went}
};
