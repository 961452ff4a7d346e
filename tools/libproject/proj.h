// The project library: the current project as the suite's programs see it.
// Loaded by file name ("libproject.so" beside the programs); callers find
// proj_dyn_impl_get_current by name and use the object through its virtual
// operations only.
#pragma once

#include <string>

class PROJ_PROJECT {
public:
    virtual ~PROJ_PROJECT() = default;
    // The top-level entity of the active revision, the name the compiled
    // design's full hierarchy names start with (the revision's default
    // top-level name when none is set).
    virtual std::string get_root_name() const = 0;
};

// The file name of the library and the name of its entry point.
#define PROJ_LIBRARY_FILE "libproject.so"
#define PROJ_DYN_IMPL_GET_CURRENT "proj_dyn_impl_get_current"
// The current project, null when no project is open. Owned by the library.
using PROJ_DYN_IMPL_GET_CURRENT_FUNC = PROJ_PROJECT* (*)();
