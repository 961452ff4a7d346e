// The current project from the suite's project library, which the dialogs
// load by name rather than link.
#pragma once

class PROJ_PROJECT;

// True with `project` the current project, or null when none is open. False,
// after an internal error naming the library or its entry point, when the
// library cannot be loaded or lacks the entry point.
bool mdb_get_current_project(PROJ_PROJECT** project);
