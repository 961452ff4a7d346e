// Checks of device families and parts against the device support installed
// on this machine, shared by the device picker, the family picker and the
// check of a project's FAMILY and DEVICE settings.
#pragma once

#include "suite/devicedb/dev.h"

#include <string>
#include <vector>

// Appends the installed families that are still supported, in number order.
void mdb_get_family_list(std::vector<DEV_FAMILY_ENUM>* out);

// True when `family` (or, with `from_project`, the current project's FAMILY
// setting, when a project is open) names a family of the device database;
// then `out`, when given, receives it.
bool mdb_get_family_enum(std::string family, DEV_FAMILY_ENUM* out, bool from_project);

// True when `family` names a family whose device support is installed; then
// `out`, when given, receives it.
bool mdb_family_is_installed(std::string const& family, DEV_FAMILY_ENUM* out);

// True when `family` names a family that is no longer supported, after showing
// FAMILY_NO_LONGER_SUPPORTED when `show` is set; false for an unknown name.
bool mdb_family_no_longer_supported(std::string const& family, bool show);

// True when `part` names a part whose die is a valid, installed device; then
// `out`, when given, receives the part.
bool mdb_device_is_installed(std::string const& part, DEV_PART_ENUM* out);
