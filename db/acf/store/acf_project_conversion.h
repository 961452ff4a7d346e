// How the project manager reaches the conversion of projects saved in the older
// format. The conversion stands above the manager (it writes each revision
// through a manager of its own), so it hands its two entry points down here
// when the library is loaded; until then no old project is converted.
#pragma once

#include <string>

class ACF_ASSIGNMENT_FACTORY;

// The whole conversion of the old project file into a project file and one
// settings file per revision, records made by `factory`; false when it failed
// and was undone.
using ACF_CONVERT_OLD_PROJECT = bool (*)(ACF_ASSIGNMENT_FACTORY* factory,
                                         std::string const& old_project_file,
                                         std::string const& revision);
// Merges the old settings files named after the project, and the entity
// settings files beside the revision's settings file, into the process-wide
// manager's open revision.
using ACF_ADD_OLD_SETTINGS_FILES = void (*)(ACF_ASSIGNMENT_FACTORY* factory,
                                            std::string const& project_base_name,
                                            std::string const& revision_file);

// Installs the conversion's entry points (null: none).
void acf_set_project_conversion(ACF_CONVERT_OLD_PROJECT convert,
                                ACF_ADD_OLD_SETTINGS_FILES add_old_files);

// The installed entry points; false (or nothing done) when none is installed.
bool acf_convert_old_project(ACF_ASSIGNMENT_FACTORY* factory, std::string const& old_project_file,
                             std::string const& revision);
void acf_add_old_settings_files(ACF_ASSIGNMENT_FACTORY* factory,
                                std::string const& project_base_name,
                                std::string const& revision_file);
