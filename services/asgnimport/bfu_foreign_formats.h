// Readers of the foreign pin-assignment formats that the import commands take.
// Each reads the subset of its format stated in the README into import items
// (locations and I/O standards of pins); a line outside that subset is an
// error naming the file and the line, and nothing is read.
#pragma once

#include "services/asgnimport/bfu_import_export.h"

#include <string>
#include <vector>

// FPGA Xchange (".fx"): a comma-separated table whose header names the
// columns "Signal Name", "Pin Number" and, optionally, "IO Standard".
bool bfu_read_fx_file(std::string const& source, std::vector<BFU_IMPORT_ITEM>* items);

// Synplify SDC (".sdc"): "define_attribute {<port>} syn_loc {<pin>}" and
// "... syn_pad_type {<standard>}" lines; other define_ lines are skipped.
// `not_synplify` is set, and nothing read, when no line starts with "define_".
bool bfu_read_synplify_sdc_file(std::string const& source, std::vector<BFU_IMPORT_ITEM>* items,
                                bool* not_synplify);

// ORCAD EXP (".exp"): "<part reference> <pin> <net>" lines; the rows of other
// parts than `part_reference` are skipped.
bool bfu_read_orcad_exp_file(std::string const& source, std::string const& part_reference,
                             std::vector<BFU_IMPORT_ITEM>* items);

// Varnett II (".vnt"): sections "<NAME>" "BEGIN" ... "END;". The section
// words the caller gives choose the sections read (all when none is given);
// CHIP_LOCATION reads the CHIP section's "<signal> : LOCATION = <pin>;" lines.
bool bfu_read_varnett2_file(std::string const& source, std::vector<std::string> const& sections,
                            std::vector<BFU_IMPORT_ITEM>* items);

// Defines the four import commands in the interpreter:
//   import_assignments_from_fx_file <file>
//   import_assignments_from_synplicity_sdc_file <file>   (result "2": not Synplify)
//   import_assignments_from_orcad_exp_file <file> <part reference>
//   import_assignments_from_varnett2 <file> ?<section word> ...?
// Each imports into the active revision, all or nothing; success leaves an
// empty result.
struct Tcl_Interp;
void bfu_register_import_commands(Tcl_Interp* interp);
