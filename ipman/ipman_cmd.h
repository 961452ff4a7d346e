// The IP manager's framework object: the command of the Tcl package's runs,
// with the names of the "IP Upgrade" program. It does nothing of its own; it
// gives the Tcl commands the facade for progress and the revision's report.
#pragma once

#include "ipman/ipman_iprgen_framework.h"

class RDB_REPORT;

class IPMAN_CMD : public IPMAN_IPRGEN_FRAMEWORK {
public:
    // The object, made on first use and destroyed at exit.
    static IPMAN_CMD& instance();

    bool process_file_argument(char const*) override { return true; }
    bool post_check_arguments() override { return true; }
    bool execute() override { return true; }

    // The active revision's "IP Upgrade" report of the report database, made
    // empty when the revision has none yet; null without an open project.
    RDB_REPORT* get_report();
    // Stores the active revision's report in the report database; false when
    // it cannot be written.
    bool commit_report();

private:
    IPMAN_CMD() = default;
};
