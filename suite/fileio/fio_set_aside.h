// Setting a file aside: an existing file is renamed to a free name beside it (a
// link is moved as the link), so that its place is free for a new file while
// the old one can still come back.
#pragma once

#include <string>

class FIO_PATH;

// How the name a file is set aside under is chosen.
enum class FIO_ASIDE_NAME {
    // "<file>.bak", else "<file>.bak1", "<file>.bak2", ...: the first free one,
    // a name the user sees, for a file that may stay aside.
    BACKUP,
    // ".<base name>.aside.XXXXXX", the six characters making it unique in the
    // folder: a hidden name, for a file soon put back or removed.
    HIDDEN,
};

// Sets the file `path` names aside under a free name of that kind, given in
// `aside` ("" when there is no file of that name). False, with the file in its
// place, when it exists and could not be set aside.
bool fio_set_aside(FIO_PATH const& path, FIO_ASIDE_NAME naming, std::string* aside);

// Returns a file set aside to `path`. When a file stands there now, it is
// replaced with `over_new_file`; without, the new file stays and the one set
// aside is removed.
void fio_put_back(std::string const& aside, FIO_PATH const& path, bool over_new_file);
