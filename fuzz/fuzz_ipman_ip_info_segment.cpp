// Any bytes as the IP manager's persisted segment: reading must fail cleanly or
// give records that write back to the same segment text.
#include "ipman/ipman_ip_info.h"
#include "suite/messages/msg.h"
#include "suite/persist/pdb.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static bool const quiet_reports = [] {
        MSG_INTERNAL_ERROR::set_hook([](char const*, char const*, char const*, int) {});
        return true;
    }();
    (void)quiet_reports;

    std::string text(reinterpret_cast<char const*>(data), size);
    PDB_SEGMENT reader = PDB_SEGMENT::reader(IPMAN_IP_INFO_SEGMENT, text);
    IPMAN_IP_INFO_DB db;
    db.serialize(reader);
    if (!reader.ok()) {
        return 0;
    }
    PDB_SEGMENT writer = PDB_SEGMENT::writer(IPMAN_IP_INFO_SEGMENT);
    db.serialize(writer);
    PDB_SEGMENT again = PDB_SEGMENT::reader(IPMAN_IP_INFO_SEGMENT, writer.text());
    IPMAN_IP_INFO_DB db_again;
    db_again.serialize(again);
    PDB_SEGMENT rewritten = PDB_SEGMENT::writer(IPMAN_IP_INFO_SEGMENT);
    db_again.serialize(rewritten);
    if (!again.ok() || rewritten.text() != writer.text()) {
        std::abort();
    }
    return 0;
}
