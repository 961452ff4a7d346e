// Any bytes as an encrypted IP file: the header is either refused or gives a
// vendor, a non-empty core name (a quoted one closed, with text inside) and a
// version, and the file tests agree with the text's.
#include "fuzz_scratch.h"
#include "suite/cpt/cpt_zovk.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    CPT_ZOVK_HEADER header;
    bool container = cpt_zovk_parse_header(text, header);
    if (container) {
        std::string const& name = header.core_name;
        if (name.empty() || header.core_version.empty() ||
            (name[0] == '"' && (name.size() < 3 || name.find('"', 1) < 2 ||
                                name.find('"', 1) == std::string::npos))) {
            std::abort();
        }
        // Any vendor number has a name.
        if (cpt_zovk_vendor_name(header.vendor_id & 0xFFFF) == nullptr) {
            std::abort();
        }
    }
    std::string const file = fuzz_scratch_folder("fuzz_cpt_zovk_header") + "/core.tve";
    if (fuzz_write_file(file, data, size)) {
        CPT_ZOVK_IFSTREAM reader(file.c_str());
        if (cpt_zovk_encrypted_file(file.c_str()) != container || reader.is_open() != container ||
            (container && (reader.get_core_name() != header.core_name ||
                           reader.get_vendor_id() != header.vendor_id))) {
            std::abort();
        }
    }
    return 0;
}
