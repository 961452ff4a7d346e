// Any bytes as a revision's flow report: the reader takes what it finds and
// never reads beyond its lines.
#include "sys/mdb/mdb_revisions_flow_report.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static std::string const path = "/tmp/fuzz_mdb_flow_report." + std::to_string(getpid());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<char const*>(data), static_cast<std::streamsize>(size));
    MDB_FLOW_REPORT report;
    if (!mdb_read_flow_report(path, &report)) {
        std::abort();
    }
    std::string text(reinterpret_cast<char const*>(data), size);
    for (std::string const* value :
         {&report.flow_status, &report.met_timing, &report.timing_models}) {
        if (value->size() > size || text.find(*value) == std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
