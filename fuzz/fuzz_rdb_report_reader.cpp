// Any bytes as a report file: reading must fail cleanly or give a report that
// writes back to a text reading back to the same report.
#include "suite/reportdb/rdb.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string text(reinterpret_cast<char const*>(data), size);
    RDB_REPORT report;
    std::string title;
    if (!report.from_text(text, &title)) {
        return 0;
    }
    std::string written = report.to_text(title);
    RDB_REPORT again;
    std::string title_again;
    if (!again.from_text(written, &title_again) || again.to_text(title_again) != written) {
        std::abort();
    }
    return 0;
}
