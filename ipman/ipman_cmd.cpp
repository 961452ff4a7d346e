#include "ipman/ipman_cmd.h"

#include "ipman/ipman_ip_info_manager.h"
#include "ipman/ipman_report_writer.h"
#include "mem_manager.h"
#include "suite/reportdb/rdb.h"

MEM_UNIT_INITIALIZER(IPMAN);

namespace {
std::string active_revision() {
    return IPMAN_IP_INFO_MANAGER::get_ip_info_manager()->get_revision_name();
}
} // namespace

IPMAN_CMD& IPMAN_CMD::instance() {
    static IPMAN_CMD command;
    return command;
}

RDB_REPORT* IPMAN_CMD::get_report() {
    std::string revision = active_revision();
    if (revision.empty()) {
        return nullptr;
    }
    return RDB_REPORT::get_report(revision, IPMAN_REPORT_TYPE, true);
}

bool IPMAN_CMD::commit_report() {
    std::string revision = active_revision();
    return !revision.empty() && RDB_REPORT::write_report(revision, IPMAN_REPORT_TYPE);
}
