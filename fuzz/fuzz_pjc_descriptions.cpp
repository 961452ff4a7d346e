// Any bytes as a project's descriptions file: reading must fail cleanly, and a
// file that reads must take a rewrite that keeps every entry it held.
#include "suite/projectctl/pjc_project.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {
std::string const& scratch_dir() {
    static std::string dir = [] {
        std::string pattern = "/tmp/fuzz_pjc_descriptions.XXXXXX";
        return std::string(mkdtemp(&pattern[0]) != nullptr ? pattern.c_str() : "/tmp");
    }();
    return dir;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string const& dir = scratch_dir();
    std::ofstream(PJC_PROJECT::description_file(dir.c_str()), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<char const*>(data), static_cast<std::streamsize>(size));
    PJC_PROJECT::STRING_LIST before;
    if (!PJC_PROJECT::get_description("a", dir.c_str(), &before)) {
        return 0;
    }
    PJC_PROJECT::STRING_LIST after;
    if (!PJC_PROJECT::set_description("another\nrevision", dir.c_str(), {"x\ny"}) ||
        !PJC_PROJECT::get_description("a", dir.c_str(), &after) || after != before) {
        std::abort();
    }
    return 0;
}
