// The upgrade of one IP component as the Tcl command runs it: check the
// variation file, back it up, run the IP wizard through the shared Tcl
// interpreter, restore the backup when the run fails, and record the result.
#pragma once

#include "ipman/ipman_iprgen_manager.h"

#include <tcl.h>

#include <string>
#include <vector>

// The whole sequence for one component (its `var_file`); appends one result to
// `results` and returns 0 on success. The wizard runs only after a backup of the
// file was made by this call; when the run fails, that backup is copied back, so
// the file is afterwards what it was before.
int start_ip_regeneration(Tcl_Interp* interp, IPMAN_IP_INFO info,
                          std::vector<IPMAN_IP_REGEN_RESULT>& results);

// The upgrade manager's check, then its message: INVALID_FILE (1),
// READ_ONLY_FILE (2) or IPRGEN_NOT_VARIATION_FILE (3), the last also setting the
// interpreter's result to "ERROR: The file is not a variation file.". True when
// the file fails a check.
bool check_file_is_valid(Tcl_Interp* interp, std::string const& file,
                         IPMAN_FAIL_REGEN_TYPE& fail_type);

// Appends a result with an empty message.
void add_result_to_vector(IPMAN_IP_INFO info, int result, IPMAN_FAIL_REGEN_TYPE fail_type,
                          std::vector<IPMAN_IP_REGEN_RESULT>& results);

// The IP name and version in a variation file's header.
void extract_ip_info_from_variation_file(std::string file, std::string& name, std::string& version);
