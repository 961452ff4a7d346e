// The entry points that a dialogs plug-in offers: the C functions it exports
// (all its other exports are C++ names), read from the plug-in's file without
// loading it (loading would pull in Qt and need a display).
#pragma once

#include <string>
#include <vector>

// The names in alphabetical order; empty when the file
// cannot be read or is no 64-bit ELF shared library.
std::vector<std::string> tsgui_list_entry_points(std::string const& library);
