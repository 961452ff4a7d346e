// What is taken from the files of a project saved in the older sectioned format:
// the assignments of one sectioned file in the order a revision takes them, and
// the compiler and simulator setting names listed by an old project file.
#pragma once

#include "acf_file_categories.h"
#include "acf_table_types.h"

#include <list>
#include <string>

class ACF_ASSIGNMENT;
class ACF_ASSIGNMENT_FACTORY;
class ACF_FILE;

// The path of the older file of `kind` named `base` beside `path_template`
// (directory kept, base name and extension replaced).
std::string acf_old_file_path(std::string const& path_template, std::string const& base,
                              ACF_FILE_TYPE_ENUM kind);

// Whether an existing file can be read whole; the reason when not goes to
// `reason` (may be null).
bool acf_old_file_is_readable(std::string const& path, std::string* reason = nullptr);

// Appends to `out` a copy (made by `factory`, owned by the caller) of every live
// assignment of the file, sections in file order. Each copy carries its
// section's name as section identifier when that section takes one in this kind
// of file. Assignments of the device-options and chip sections come last, in
// that order, without a section identifier.
void acf_copy_old_file_assignments(ACF_FILE* file, ACF_ASSIGNMENT_FACTORY const* factory,
                                   std::list<ACF_ASSIGNMENT*>* out);
// Reads the older sectioned file `file` itself (of `type`, whatever the case of
// its extension) and appends its assignments as acf_copy_old_file_assignments
// does; false when it does not exist or cannot be read whole.
bool acf_read_old_file_assignments(std::string const& file, ACF_FILE_TYPE_ENUM type,
                                   ACF_ASSIGNMENT_FACTORY* factory,
                                   std::list<ACF_ASSIGNMENT*>* out);

// Appends the compiler setting names and then the simulator setting names of an
// old project file (the non-empty values of its first compiler and first
// simulator action-point sections), each once (case-sensitive). A file that
// does not exist adds nothing.
void acf_get_all_revisions_from_old_settings_file(char const* file, std::list<std::string>* list,
                                                  ACF_ASSIGNMENT_FACTORY* factory);
