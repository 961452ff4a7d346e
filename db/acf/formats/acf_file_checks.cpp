#include "formats/acf_file_checks.h"

#include "acf_msgs.h"
#include "mem_manager.h"

#include <set>

MEM_UNIT_INITIALIZER(ACF);

namespace {

// The operation in hand on this thread.
struct OPERATION_STATE {
    int depth = 0;
    std::string first_fault;
    // Each fault is posted once per operation (and once between operations),
    // however often it is met: a lock may look at the files many times.
    std::set<std::string> posted;
};

thread_local OPERATION_STATE t_operation;

} // namespace

void acf_file_fault(std::string const& file, std::string const& reason) {
    std::string fault = file + ": " + reason;
    if (t_operation.depth > 0 && t_operation.first_fault.empty()) {
        t_operation.first_fault = fault;
    }
    if (!t_operation.posted.insert(fault).second) {
        return;
    }
    MSG_POST* message =
        acf_add_info_sub_message(MSG_ACF::W::PROJECT_FILE_DOES_NOT_EXIST(file.c_str()), reason);
    message->post();
    delete message;
}

bool acf_file_status(std::string const& file, FIO_FILE_STATUS* status, bool* fault) {
    std::string reason;
    FIO_PRESENCE found = FIO_FILE_SYSTEM::presence(FIO_PATH(file), status, &reason);
    if (fault != nullptr) {
        *fault = found == FIO_PRESENCE::UNKNOWN;
    }
    if (found == FIO_PRESENCE::UNKNOWN) {
        acf_file_fault(file, reason);
    }
    return found == FIO_PRESENCE::PRESENT;
}

bool acf_file_exists(std::string const& file) {
    bool fault = false;
    return acf_file_status(file, nullptr, &fault) || fault;
}

ACF_FILE_OPERATION::ACF_FILE_OPERATION() {
    if (t_operation.depth++ == 0) {
        t_operation.first_fault.clear();
        t_operation.posted.clear();
    }
}

ACF_FILE_OPERATION::~ACF_FILE_OPERATION() {
    --t_operation.depth;
}

bool ACF_FILE_OPERATION::failed() const {
    return !t_operation.first_fault.empty();
}

std::string const& ACF_FILE_OPERATION::fault() const {
    return t_operation.first_fault;
}

bool acf_file_fault_pending(std::string* fault) {
    if (t_operation.depth == 0 || t_operation.first_fault.empty()) {
        return false;
    }
    if (fault != nullptr) {
        *fault = t_operation.first_fault;
    }
    return true;
}
