// What the lines of a settings file mean before a store takes them: the kind
// of older sectioned file an extension names, the lines that belong to the
// top-level entity without naming one, and the status a line in error is
// reported with. Nothing here touches a store.
#pragma once

#include "acf_file_categories.h"
#include "acf_manager_reader.h"

#include <vector>

// The older sectioned file kind of a file extension type (FIO_EXTENSION_TYPE_*);
// ACF_FILE_TYPE_NONE for any other extension.
ACF_FILE_TYPE_ENUM acf_old_file_type_of_extension(int extension_type);

// Marks FLAG_DEFAULT_ENTITY on the assignment lines that name no entity but
// belong to one: parameters with a target, instance assignments that entity
// settings hold, and globals that only an older entity settings file held.
// Lines in error, verbatim and source lines are left as they are.
void acf_mark_lines_of_default_entity(std::vector<ACF_MGR_ASGN_LINE*> const& lines);

// The status a line that cannot be taken is reported with: a line in error, a
// line without a name, or one without a value that removes nothing; 0 for none
// of these.
int acf_status_of_line_in_error(ACF_MGR_ASGN_LINE const& line);
