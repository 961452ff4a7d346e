// The Tcl commands "regenerate_ip" and "list_ip_cores" (see ipman_tcl_package.h
// for what a caller sees): their handlers, the two upgrade flows, the summary
// messages, the interpreter result elements and the report of a run.
#pragma once

#include "ipman/ipman_iprgen_manager.h"

#include <tcl.h>

#include <string>
#include <utility>
#include <vector>

class QCU_FACADE;

// The handlers of the commands.
int ipman_regenerate_ip(ClientData, Tcl_Interp* interp, int argc, char const** argv);
int ipman_list_ip_cores(ClientData, Tcl_Interp* interp, int argc, char const** argv);

// The flows of "regenerate_ip". Each returns the overall result: 0 when every
// component upgraded (or there was nothing to do), 1 when any did not, -1 when
// the command fails as a whole: no open project, or a report that cannot be
// written (the interpreter's result then tells which). Both start from
// `results`: the failures found before them (folders of the project that
// could not be read, IPMAN_FAIL_REGEN_FOLDER_UNREADABLE). The run over the
// whole project adds the variation files its inventory could not read
// (IPMAN_FAIL_REGEN_FILE_UNREADABLE).
int regenerate_ip_with_default_option(Tcl_Interp* interp, bool gui,
                                      std::vector<IPMAN_IP_REGEN_RESULT> results = {});
int regenerate_ip_with_files_option(Tcl_Interp* interp, std::string const& files, bool gui,
                                    std::vector<IPMAN_IP_REGEN_RESULT> results = {});

// 0 when every result is 0, else 1.
int overall_result(std::vector<IPMAN_IP_REGEN_RESULT> const& results);
// Posts one message per result: IPRGEN_SUCCESSFUL; for a component of the
// Plexa tool IPRGEN_MANUAL_REGEN_PLEXA_SYSTEM; otherwise IPRGEN_FAILED, followed
// by IPRGEN_MANUAL_REGEN_STANDALONE_IP when the wizard run failed.
void show_result_summary(std::vector<IPMAN_IP_REGEN_RESULT> const& results);
// Makes the interpreter's result the list of one element per result:
// {{entity tool_name tool_version var_file} Passed|Failed}.
void append_element_for_regen_result(Tcl_Interp* interp,
                                     std::vector<IPMAN_IP_REGEN_RESULT> const& results);
// Builds and writes the active revision's "IP Upgrade" report: the report file
// "<revision>.ipregen.rpt" in the current directory and the report database's
// copy. With `gui` the rows add to the earlier runs' rows. False when a file
// could not be written.
bool write_reports(int result, std::vector<IPMAN_IP_REGEN_RESULT> const& results, bool gui);

// A component's description, the Tcl list {entity tool_name tool_version var_file}.
std::string get_ip_info_string(IPMAN_IP_INFO const& info);
// Pairs (entity, description) of the top-level records in order; each
// description is the list of the component's own description followed by those
// of its sub-components among `records`.
std::vector<std::pair<std::string, std::string>>
process_required_regen_ip(std::vector<IPMAN_IP_INFO> const& records);

// The inventory's records: every one, and those that need an upgrade
// (`required` is left as it is when none does). Returns whether any does.
bool load_ip_cores_list(std::vector<IPMAN_IP_INFO>& all, std::vector<IPMAN_IP_INFO>& required);

// Codes of print_error_msg.
enum IPMAN_TCL_RETVAL {
    IPMAN_TCL_OK = 1,
    IPMAN_TCL_NO_PROJECT = 2,
    IPMAN_TCL_NOT_VARIATION_FILE = 4
};
// Sets the interpreter's error text for a code (nothing for IPMAN_TCL_OK).
void print_error_msg(Tcl_Interp* interp, IPMAN_TCL_RETVAL code);
// IPMAN_TCL_NO_PROJECT without an open project, else IPMAN_TCL_OK.
IPMAN_TCL_RETVAL is_project_opened();
// Reports the progress of item `index` (from 0) of `count`, by the IP upgrade
// program's rule (IPMAN_IPRGEN_FRAMEWORK::progress_percent).
void set_status_report(QCU_FACADE* facade, unsigned count, unsigned index);
// The facade of the IP manager's framework object, made here (none: internal error).
QCU_FACADE* get_facade();
