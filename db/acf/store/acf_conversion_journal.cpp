#include "store/acf_conversion_journal.h"

#include "formats/acf_file_checks.h"
#include "mem_manager.h"

#include "suite/fileio/fio.h"
#include "suite/fileio/fio_set_aside.h"

#include <cstdio>

MEM_UNIT_INITIALIZER(ACF);

std::string acf_put_file_aside(std::string const& path) {
    std::string aside;
    fio_set_aside(FIO_PATH(path), FIO_ASIDE_NAME::BACKUP, &aside);
    return aside;
}

bool ACF_CONVERSION_JOURNAL::watch(std::string const& path) {
    for (WATCHED const& watched : m_watched) {
        if (watched.path == path) {
            return true;
        }
    }
    // A file that could not be looked at is taken as present: the undo never
    // deletes it.
    WATCHED entry{path, acf_file_exists(path), std::string()};
    if (entry.existed && !FIO_FILE_SYSTEM::read_file(FIO_PATH(path), entry.content)) {
        return false;
    }
    m_watched.push_back(entry);
    return true;
}

void ACF_CONVERSION_JOURNAL::made(std::string const& path) {
    for (WATCHED const& watched : m_watched) {
        if (watched.path == path) {
            return;
        }
    }
    m_watched.push_back({path, false, std::string()});
}

bool ACF_CONVERSION_JOURNAL::put_aside(std::string const& path) {
    std::string aside;
    if (!fio_set_aside(FIO_PATH(path), FIO_ASIDE_NAME::BACKUP, &aside)) {
        return false;
    }
    if (!aside.empty()) {
        m_put_aside.emplace_back(path, aside);
    }
    return true;
}

void ACF_CONVERSION_JOURNAL::undo() {
    for (auto watched = m_watched.rbegin(); watched != m_watched.rend(); ++watched) {
        if (!watched->existed) {
            std::remove(watched->path.c_str());
            continue;
        }
        std::string now;
        if (!FIO_FILE_SYSTEM::read_file(FIO_PATH(watched->path), now) || now != watched->content) {
            FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(watched->path), watched->content);
        }
    }
    for (auto aside = m_put_aside.rbegin(); aside != m_put_aside.rend(); ++aside) {
        fio_put_back(aside->second, FIO_PATH(aside->first), true);
    }
    keep();
}

void ACF_CONVERSION_JOURNAL::keep() {
    m_watched.clear();
    m_put_aside.clear();
}
