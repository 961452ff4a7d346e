#include "suite/archive/afm_zip.h"

#include "suite/archive/afm_libzip.h"

#include "suite/fileio/fio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

// One file to archive: where it is read from, its name in the archive, its
// content and its permission bits.
struct ENTRY {
    std::string source;
    std::string name;
    std::string content;
    unsigned mode = 0644;
};

// The entry name of a file: its path relative to the project when it lies
// inside, else "external/<its name>", numbered until unused.
std::string entry_name(fs::path const& full, fs::path const& project,
                       std::set<std::string> const& used) {
    fs::path relative = full.lexically_relative(project);
    std::string name = relative.generic_string();
    if (!relative.empty() && name != "." && name.rfind("..", 0) != 0) {
        return name;
    }
    std::string base = "external/" + full.filename().string();
    name = base;
    for (int n = 2; used.count(name) != 0; ++n) {
        name = "external/" + std::to_string(n) + "/" + full.filename().string();
    }
    return name;
}

bool read_entry(ENTRY* entry, std::string* error) {
    struct stat st;
    // A link is archived as the file it points to.
    if (stat(entry->source.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        !FIO_FILE_SYSTEM::read_file(FIO_PATH(entry->source), entry->content)) {
        *error = "Can't read file " + entry->source;
        return false;
    }
    entry->mode = st.st_mode & 0777;
    return true;
}

bool same_file(std::string const& a, std::string const& b) {
    struct stat sa;
    struct stat sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool write_zip(AFM_LIBZIP const& lib, std::string const& path, std::vector<ENTRY> const& entries,
               std::string const& password, std::string* error) {
    int code = 0;
    zip_t* zip = lib.zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (zip == nullptr) {
        *error = "Can't create file " + path;
        return false;
    }
    for (ENTRY const& entry : entries) {
        zip_source_t* source =
            lib.zip_source_buffer(zip, entry.content.data(), entry.content.size(), 0);
        zip_int64_t index =
            source == nullptr ? -1
                              : lib.zip_file_add(zip, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            lib.zip_source_free(source);
            *error = "Can't add file " + entry.source + " to the archive";
            lib.zip_discard(zip);
            return false;
        }
        lib.zip_file_set_external_attributes(zip, static_cast<zip_uint64_t>(index), 0,
                                             ZIP_OPSYS_UNIX, (S_IFREG | entry.mode) << 16);
        if (!password.empty() &&
            lib.zip_file_set_encryption(zip, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256,
                                        password.c_str()) != 0) {
            *error = "Can't encrypt the archive";
            lib.zip_discard(zip);
            return false;
        }
    }
    if (lib.zip_close(zip) != 0) {
        *error = "Can't write file " + path;
        lib.zip_discard(zip);
        return false;
    }
    return true;
}

} // namespace

bool afm_write_archive(std::string const& archive, std::string const& project_dir,
                       std::vector<std::string> const& files, std::string const& password,
                       std::string* error) {
    AFM_LIBZIP const* lib = afm_libzip(error);
    if (lib == nullptr) {
        return false;
    }
    fs::path project = fs::path(FIO_PATH(project_dir).full_path());
    std::string target = FIO_PATH(archive).full_path();
    std::vector<ENTRY> entries;
    std::set<std::string> names;
    for (std::string const& file : files) {
        if (file.empty()) {
            continue;
        }
        ENTRY entry;
        fs::path full = fs::path(file).is_absolute() ? fs::path(file) : project / file;
        entry.source = full.lexically_normal().string();
        if (same_file(entry.source, target)) {
            continue; // the archive never holds itself
        }
        entry.name = entry_name(fs::path(entry.source), project, names);
        if (names.count(entry.name) != 0) {
            continue;
        }
        if (!read_entry(&entry, error)) {
            return false;
        }
        names.insert(entry.name);
        entries.push_back(std::move(entry));
    }

    // Written beside its place and renamed into it.
    std::string temp = FIO_PATH(target).directory() + "." + FIO_PATH(target).base() + ".tsa.XXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        *error = "Can't create file " + target;
        return false;
    }
    close(fd);
    mode_t mask = umask(0);
    umask(mask);
    bool ok =
        write_zip(*lib, temp, entries, password, error) && chmod(temp.c_str(), 0666 & ~mask) == 0;
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        *error = "Can't create file " + target;
        ok = false;
    }
    if (!ok) {
        unlink(temp.c_str());
    }
    return ok;
}

AFM_SET_ASIDE::AFM_SET_ASIDE(std::string path) : m_path(std::move(path)) {
    struct stat st;
    if (lstat(m_path.c_str(), &st) != 0) {
        return;
    }
    std::string aside =
        FIO_PATH(m_path).directory() + "." + FIO_PATH(m_path).base() + ".aside.XXXXXX";
    int fd = mkstemp(&aside[0]);
    m_ok = fd >= 0 && close(fd) == 0 && rename(m_path.c_str(), aside.c_str()) == 0;
    if (m_ok) {
        m_aside = aside;
    } else if (fd >= 0) {
        unlink(aside.c_str());
    }
}

AFM_SET_ASIDE::~AFM_SET_ASIDE() {
    put_back();
}

void AFM_SET_ASIDE::discard() {
    if (!m_aside.empty()) {
        unlink(m_aside.c_str());
        m_aside.clear();
    }
}

void AFM_SET_ASIDE::put_back() {
    struct stat st;
    if (m_aside.empty()) {
        return;
    }
    if (lstat(m_path.c_str(), &st) == 0) {
        discard(); // a new file stands in its place
        return;
    }
    rename(m_aside.c_str(), m_path.c_str());
    m_aside.clear();
}
