#include "suite/archive/afm_zip.h"

#include "suite/archive/afm_libzip.h"

#include "suite/fileio/fio.h"
#include "suite/fileio/fio_set_aside.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

// One file to archive: where it is read from, its name in the archive, its
// content's size and CRC, the content compressed (a raw deflate stream) and
// its permission bits; `read_at` is where libzip reads the compressed content.
struct ENTRY {
    std::string source;
    std::string name;
    uint64_t size = 0;
    uint32_t crc = 0;
    std::string compressed;
    unsigned mode = 0644;
    size_t read_at = 0;
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

// One compression state for the whole archive, reset for each entry: a state
// made and freed per entry (as libzip does) has the C library give its memory
// back to the system after every file, which costs more than the compression.
class COMPRESSOR {
public:
    COMPRESSOR() {
        m_ok = deflateInit2(&m_stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                            Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~COMPRESSOR() {
        if (m_ok) {
            deflateEnd(&m_stream);
        }
    }
    COMPRESSOR(COMPRESSOR const&) = delete;
    COMPRESSOR& operator=(COMPRESSOR const&) = delete;

    // Fills the entry's size, CRC and compressed content from `content`.
    bool compress(std::string const& content, ENTRY* entry) {
        if (!m_ok || deflateReset(&m_stream) != Z_OK) {
            return false;
        }
        entry->size = content.size();
        entry->crc = static_cast<uint32_t>(
            crc32_z(0, reinterpret_cast<Bytef const*>(content.data()), content.size()));
        entry->compressed.resize(deflateBound(&m_stream, content.size()));
        // zlib counts in 32 bits: a larger file goes in by parts.
        size_t const part = 1u << 30;
        size_t in = 0;
        size_t out = 0;
        int status = Z_OK;
        while (status == Z_OK) {
            size_t in_now = std::min(part, content.size() - in);
            size_t out_now = std::min(part, entry->compressed.size() - out);
            m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data() + in));
            m_stream.avail_in = static_cast<uInt>(in_now);
            m_stream.next_out = reinterpret_cast<Bytef*>(&entry->compressed[out]);
            m_stream.avail_out = static_cast<uInt>(out_now);
            bool last = in + in_now == content.size();
            status = deflate(&m_stream, last ? Z_FINISH : Z_NO_FLUSH);
            in += in_now - m_stream.avail_in;
            out += out_now - m_stream.avail_out;
        }
        entry->compressed.resize(out);
        return status == Z_STREAM_END;
    }

private:
    z_stream m_stream{};
    bool m_ok = false;
};

// Reads a file into `content` (a buffer reused from file to file) and
// compresses it into its entry.
bool read_entry(ENTRY* entry, std::string* content, COMPRESSOR* compressor, std::string* error) {
    FIO_FILE_STATUS st;
    std::string reason;
    // A link is archived as the file it points to.
    FIO_PRESENCE found = FIO_FILE_SYSTEM::presence(FIO_PATH(entry->source), &st, &reason);
    if (found == FIO_PRESENCE::MISSING) {
        reason = std::strerror(ENOENT);
    }
    if (found != FIO_PRESENCE::PRESENT ||
        !FIO_FILE_SYSTEM::read_file(FIO_PATH(entry->source), *content, &reason)) {
        *error = "Can't read file " + entry->source + ": " + reason;
        return false;
    }
    if (!compressor->compress(*content, entry)) {
        *error = "Can't compress file " + entry->source;
        return false;
    }
    entry->mode = st.mode & 0777;
    return true;
}

// Whether a name is valid UTF-8 (ASCII is): such a name is flagged as UTF-8 in
// the archive, any other stored as its bytes, so that a restore gives back the
// very name the file had.
bool is_utf8(std::string const& text) {
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t more = lead < 0x80                   ? 0
                      : lead >= 0xc2 && lead < 0xe0 ? 1
                      : lead >= 0xe0 && lead < 0xf0 ? 2
                      : lead >= 0xf0 && lead < 0xf5 ? 3
                                                    : 4;
        if (more == 4 || text.size() - i - 1 < more) {
            return false;
        }
        for (size_t k = 1; k <= more; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) {
                return false;
            }
        }
        i += more + 1;
    }
    return true;
}

// The libzip source of an entry: its compressed content, declared deflated
// with its size and CRC, so that libzip writes it as it stands.
zip_int64_t entry_source(void* data, void* buffer, zip_uint64_t length, zip_source_cmd_t command) {
    ENTRY* entry = static_cast<ENTRY*>(data);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        entry->read_at = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        size_t n = std::min<size_t>(length, entry->compressed.size() - entry->read_at);
        std::memcpy(buffer, entry->compressed.data() + entry->read_at, n);
        entry->read_at += n;
        return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT: {
        zip_stat_t* st = static_cast<zip_stat_t*>(buffer);
        st->size = entry->size;
        st->comp_size = entry->compressed.size();
        st->crc = entry->crc;
        st->comp_method = ZIP_CM_DEFLATE;
        st->encryption_method = ZIP_EM_NONE;
        st->valid |= ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD |
                     ZIP_STAT_ENCRYPTION_METHOD;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR: {
        int* codes = static_cast<int*>(buffer); // nothing here fails: no error
        codes[0] = ZIP_ER_OK;
        codes[1] = 0;
        return 2 * sizeof(int);
    }
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_READABLE;
    default:
        return -1;
    }
}

// Makes the whole archive in memory, in `zip_file`; the entries' compressed
// contents are given up on the way.
bool write_zip(AFM_LIBZIP const& lib, std::vector<ENTRY>& entries, std::string const& password,
               std::string* zip_file, std::string* error) {
    if (entries.empty()) {
        // libzip writes nothing for an archive without entries: only the end
        // record of its central directory.
        *zip_file = std::string("PK\x05\x06", 4) + std::string(18, '\0');
        return true;
    }
    zip_source_t* buffer = lib.zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_t* zip =
        buffer == nullptr ? nullptr : lib.zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
    if (zip == nullptr) {
        lib.zip_source_free(buffer);
        *error = "Can't make the archive: out of memory";
        return false;
    }
    // Kept past the close, which writes into it.
    lib.zip_source_keep(buffer);
    bool ok = true;
    for (ENTRY& entry : entries) {
        zip_source_t* source = lib.zip_source_function(zip, entry_source, &entry);
        zip_flags_t encoding = is_utf8(entry.name) ? ZIP_FL_ENC_UTF_8 : ZIP_FL_ENC_RAW;
        zip_int64_t index =
            source == nullptr ? -1 : lib.zip_file_add(zip, entry.name.c_str(), source, encoding);
        if (index < 0) {
            lib.zip_source_free(source);
            *error = "Can't add file " + entry.source + " to the archive";
            ok = false;
            break;
        }
        lib.zip_file_set_external_attributes(zip, static_cast<zip_uint64_t>(index), 0,
                                             ZIP_OPSYS_UNIX, (S_IFREG | entry.mode) << 16);
        if (!password.empty() &&
            lib.zip_file_set_encryption(zip, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256,
                                        password.c_str()) != 0) {
            *error = "Can't encrypt the archive";
            ok = false;
            break;
        }
    }
    if (ok && lib.zip_close(zip) != 0) {
        *error = "Can't make the archive: out of memory";
        ok = false;
    }
    if (!ok) {
        lib.zip_discard(zip);
        lib.zip_source_free(buffer);
        return false;
    }
    entries.clear();
    zip_stat_t st;
    ok = lib.zip_source_stat(buffer, &st) == 0 && (st.valid & ZIP_STAT_SIZE) != 0 &&
         lib.zip_source_open(buffer) == 0;
    if (ok) {
        zip_file->resize(st.size);
        ok = lib.zip_source_read(buffer, &(*zip_file)[0], st.size) ==
             static_cast<zip_int64_t>(st.size);
        lib.zip_source_close(buffer);
    }
    lib.zip_source_free(buffer);
    if (!ok) {
        *error = "Can't make the archive: out of memory";
    }
    return ok;
}

// Archives of earlier versions set the old archive aside as
// ".<base>.aside.XXXXXX" beside it while they wrote a new one; this version
// never does, so a run that left one is dead. With no archive under its name,
// the latest such file goes back under it, where the new archive replaces it
// only once written whole; with an archive there, they are left alone.
void put_back_old_archive(std::string const& archive) {
    struct stat st;
    if (lstat(archive.c_str(), &st) == 0 || errno != ENOENT) {
        return;
    }
    FIO_PATH path(archive);
    std::string const prefix = "." + path.base() + ".aside.";
    std::string const folder = path.directory().empty() ? "." : path.directory();
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    FIO_FILE_SYSTEM::list_directory(FIO_PATH(folder), entries);
    std::string latest;
    int64_t latest_time = 0;
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        FIO_FILE_STATUS status{};
        std::string aside = FIO_PATH(folder, entry.name).path();
        if (!entry.is_directory && entry.name.size() == prefix.size() + 6 &&
            entry.name.compare(0, prefix.size(), prefix) == 0 &&
            FIO_FILE_SYSTEM::get_status(FIO_PATH(aside), &status) &&
            (latest.empty() || status.modification_time_ns > latest_time)) {
            latest = aside;
            latest_time = status.modification_time_ns;
        }
    }
    if (!latest.empty()) {
        fio_put_back(latest, path, false);
    }
}

} // namespace

bool afm_write_archive(std::string const& archive, std::string const& project_dir,
                       std::vector<std::string> const& files, std::string const& password,
                       std::string* error, AFM_PROGRESS const& progress) {
    std::string target = FIO_PATH(archive).full_path();
    put_back_old_archive(target);
    AFM_LIBZIP const* lib = afm_libzip(error);
    if (lib == nullptr) {
        return false;
    }
    fs::path project = fs::path(FIO_PATH(project_dir).full_path());
    // Nothing is written before the last report: a stop leaves no file behind.
    auto go_on = [&](size_t done, std::string const& file) {
        if (progress && !progress(done, files.size(), file)) {
            *error = "The archive " + target + " was stopped before " + file + ": not written";
            return false;
        }
        return true;
    };
    struct stat target_status;
    bool target_exists = stat(target.c_str(), &target_status) == 0;
    std::vector<ENTRY> entries;
    std::set<std::string> names;
    COMPRESSOR compressor;
    std::string content;
    for (size_t i = 0; i < files.size(); ++i) {
        std::string const& file = files[i];
        if (!go_on(i, file)) {
            return false;
        }
        if (file.empty()) {
            continue;
        }
        ENTRY entry;
        fs::path full = fs::path(file).is_absolute() ? fs::path(file) : project / file;
        entry.source = full.lexically_normal().string();
        struct stat st;
        if (target_exists && stat(entry.source.c_str(), &st) == 0 &&
            st.st_dev == target_status.st_dev && st.st_ino == target_status.st_ino) {
            continue; // the archive never holds itself
        }
        entry.name = entry_name(fs::path(entry.source), project, names);
        if (names.count(entry.name) != 0) {
            continue;
        }
        if (!read_entry(&entry, &content, &compressor, error)) {
            return false;
        }
        names.insert(entry.name);
        entries.push_back(std::move(entry));
    }

    // Replaced atomically: an archive reported as written is on the disk,
    // and a failure leaves whatever was there.
    std::string zip_file;
    if (!go_on(files.size(), target) || !write_zip(*lib, entries, password, &zip_file, error)) {
        return false;
    }
    std::string reason;
    FIO_REWRITE done;
    if (!FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(target), zip_file, &reason, &done)) {
        *error = done.replaced ? "File " + target +
                                     " was written, but its folder could not be flushed to the "
                                     "disk: " +
                                     reason
                               : "Can't write file " + target + ": " + reason;
        return false;
    }
    return true;
}
