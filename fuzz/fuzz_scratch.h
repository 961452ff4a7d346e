// A scratch folder of a fuzz program's own, and writing an input into it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A folder made once per program under /tmp, named after `program`.
inline std::string const& fuzz_scratch_folder(char const* program) {
    static std::string folder = [program] {
        std::string pattern = std::string("/tmp/") + program + "_XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr) {
            std::abort();
        }
        return pattern;
    }();
    return folder;
}

// Writes `size` bytes to `path`; false when it cannot.
inline bool fuzz_write_file(std::string const& path, uint8_t const* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}
