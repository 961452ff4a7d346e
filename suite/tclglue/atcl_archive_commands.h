// The suite's Tcl archive commands, on the archive and restore flows:
//
//     project_archive <archive> ?-all_revisions? ?-overwrite?
//     project_restore <archive> ?-overwrite? -destination <dir>
//
// project_archive writes the open project's default file set (every revision's
// settings, so -all_revisions changes nothing) and refuses an existing archive
// without -overwrite; project_restore refuses to replace existing files
// without -overwrite. Failures are Tcl errors that say why.
#pragma once

#include <tcl.h>

void atcl_register_archive_commands(Tcl_Interp* interp);
