// Any bytes as a project archive: a restore either refuses, leaving the
// destination as it was, or writes only inside the destination.
#include "suite/archive/afm_zip.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {
std::string const& scratch_dir() {
    static std::string dir = [] {
        std::string pattern = "/tmp/fuzz_afm_restore.XXXXXX";
        return std::string(mkdtemp(&pattern[0]) != nullptr ? pattern.c_str() : "/tmp");
    }();
    return dir;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    namespace fs = std::filesystem;
    std::string const& dir = scratch_dir();
    std::string archive = dir + "/a.tsa";
    std::string destination = dir + "/dest";
    std::error_code ec;
    fs::remove_all(destination, ec);
    std::ofstream(archive, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<char const*>(data), static_cast<std::streamsize>(size));
    std::string error;
    bool restored = afm_restore_archive(archive, destination, false, &error);
    // Only the archive and, after a restore, the destination may be there.
    size_t entries = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        ++entries;
    }
    if (entries != (restored ? 2u : 1u) || (!restored && error.empty())) {
        std::abort();
    }
    return 0;
}
