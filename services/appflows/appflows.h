// The flows that the host application runs by number, in process, over the
// open project's settings: the boundary-scan description file and the early
// power estimator's input file. The host hands appflows_run to its
// application (QUI_APP::set_flow_runner).
#pragma once

#include <string>
#include <vector>

// Runs flow `flow` (FSTR_FLOW_ENUM) on its arguments; true with `message`
// naming the file written, false with `message` saying why nothing was
// written. Flows other than the two below are refused.
bool appflows_run(int flow, std::vector<std::string> const& arguments, std::string* message);

// Flow 16. Arguments, either
//   --bsdl <device> [--output_directory=<dir>]
// for a pre-configuration file of a device, written as "<device>.bsd", or
//   <project> -c <revision> --board_boundary_scan --format=bsdl
//   --bsdl_type=POST_CONFIG [--output_directory=<dir>]
// for a post-configuration file of the open project's active revision (the
// device its DEVICE setting names), written as "<revision>.bsd". The file goes
// into the output directory (made when missing), by default the open
// project's directory, else the current one. A device that is not a part of
// the device database is refused.
bool appflow_write_boundary_scan_file(std::vector<std::string> const& arguments,
                                      std::string* message);

// Flow 28. One argument, a file name: writes that file in the open project's
// directory with the active revision's FAMILY, DEVICE and top-level entity,
// as comma-separated values for a ".csv" name, else as "name: value" lines.
bool appflow_write_early_power_file(std::vector<std::string> const& arguments,
                                    std::string* message);
