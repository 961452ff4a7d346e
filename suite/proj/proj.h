// The project library: the current project as the suite's programs see it.
// Loaded by file name ("libproject.so" beside the programs); callers find
// proj_dyn_impl_get_current by name and use the object through its virtual
// operations only.
#pragma once

#include <cstdint>
#include <string>

// A global setting is named by the settings database's variable enumeration
// (acf_table_types.h). It is only declared here, so that this contract, which
// the suite's programs share, includes no header of the database; callers that
// name a variable include the database's header for its values.
enum ACF_VARIABLE_TYPE_ENUM : int32_t;

class PROJ_PROJECT {
public:
    virtual ~PROJ_PROJECT() = default;
    // The current project through the project library, loaded by file name
    // beside the programs: null when no project is open or the library cannot
    // be used (reported as an internal error). Defined by the dialogs library,
    // which loads the project library rather than linking it.
    static PROJ_PROJECT* get_current();

    // The value text of a global setting of the active revision; empty when it
    // is not set.
    virtual std::string get_setting(ACF_VARIABLE_TYPE_ENUM type) const = 0;
    // The top-level entity of the active revision, the name the compiled
    // design's full hierarchy names start with (the revision's default
    // top-level name when none is set).
    virtual std::string get_root_name() const = 0;
    // The project's directory (with its trailing "/") and name, and the name
    // of its active revision.
    virtual std::string get_directory() const = 0;
    virtual std::string get_name() const = 0;
    virtual std::string get_revision_name() const = 0;
    // Writes the active revision's settings to disk, so that a program started
    // next reads them as they stand; false when they could not be written.
    virtual bool save_settings() = 0;
};

// The file name of the library and the name of its entry point.
#define PROJ_LIBRARY_FILE "libproject.so"
#define PROJ_DYN_IMPL_GET_CURRENT "proj_dyn_impl_get_current"
// The current project, null when no project is open. Owned by the library.
using PROJ_DYN_IMPL_GET_CURRENT_FUNC = PROJ_PROJECT* (*)();
