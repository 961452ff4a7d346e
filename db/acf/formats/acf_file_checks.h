// Looks at a project's own files (project, settings and defaults files) that
// tell a missing file from one that cannot be looked at.
//
// Only "no such file" makes a file missing. Any other failure of the look (a
// failing disk, a folder that may not be searched, a circle of links) is a
// fault: the message naming the file and the reason is posted, the file is
// taken as present, so that nothing is made anew in its place, and the fault
// fails the operation in hand, which writes none of these files from then on.
//
// An operation is what an ACF_FILE_OPERATION spans on its thread, counted from
// the outermost one alive there: it starts without faults, and every nested
// one sees the faults met since the outermost began. A fault met outside any
// operation is posted and fails nothing. A fault is posted once until the next
// operation begins, however often it is met.
#pragma once

#include "suite/fileio/fio.h"

#include <string>

// Whether the file is there (a fault counts as present).
bool acf_file_exists(std::string const& file);
// The file's status; false when it is missing or on a fault (`fault`, may be
// null, tells which).
bool acf_file_status(std::string const& file, FIO_FILE_STATUS* status, bool* fault = nullptr);
// Records a fault met in another look at a file (a lock, a watch of it):
// posted and kept as above.
void acf_file_fault(std::string const& file, std::string const& reason);

class ACF_FILE_OPERATION {
public:
    ACF_FILE_OPERATION();
    ~ACF_FILE_OPERATION();
    ACF_FILE_OPERATION(ACF_FILE_OPERATION const&) = delete;
    ACF_FILE_OPERATION& operator=(ACF_FILE_OPERATION const&) = delete;

    // Whether a look at a file failed since the outermost operation began.
    bool failed() const;
    // "<file>: <reason>" of the first such fault; "" when none.
    std::string const& fault() const;
};

// Whether a writer of these files must refuse: a fault is pending in the
// operation in hand (then `fault`, may be null, receives it).
bool acf_file_fault_pending(std::string* fault = nullptr);
