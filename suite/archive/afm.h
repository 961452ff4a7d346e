// Prefix afm: the archive manager.
// The suite's archive manager: the file sets and subsets a project archive is
// made of, the files of each for the open project, and the archive files
// themselves (".tsa", ZIP files) with their safe restore.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The project an archive is made of: its directory (with a trailing "/"), its
// name (the project file's base name) and its revisions, in project-file order.
struct AFM_PROJECT {
    std::string directory;
    std::string name;
    std::vector<std::string> revisions;
};

// Reads the project open in this process, as the settings library holds it:
// its directory, name and the revisions its project file lists. False without
// an open project (`error` left empty) or, with `error` naming the project
// file and the reason, when that file cannot be read.
using AFM_PROJECT_READER = std::function<bool(AFM_PROJECT* project, std::string* error)>;
// The settings library installs its reader when it is loaded (empty: none).
void afm_set_project_reader(AFM_PROJECT_READER reader);

// The open project, from the settings library: never guessed from the files
// of a folder. False when no project is open or its project file cannot be
// read (then `error`, may be null, says why; else it is left empty).
bool afm_get_current_project(AFM_PROJECT* project, std::string* error = nullptr);

// A setting of a revision that names a file: the setting's name (as
// "VERILOG_FILE") and the file as the setting gives it, relative to the
// project directory or absolute.
struct AFM_NAMED_FILE {
    std::string setting;
    std::string file;
};
// Reads the settings of one revision of a project as the settings library
// parses them (every option and quoting of a line, and the settings that the
// IP files it names bring in) and appends every global setting whose name ends
// in "_FILE". False, with `error` naming the settings file, when they cannot
// be read.
using AFM_SETTINGS_READER =
    std::function<bool(AFM_PROJECT const& project, std::string const& revision,
                       std::vector<AFM_NAMED_FILE>* files, std::string* error)>;
// The settings library installs its reader when it is loaded (empty: none).
// Without one, the files that settings name cannot be had.
void afm_set_settings_reader(AFM_SETTINGS_READER reader);

// One subset: a kind of project file.
class AFM_FILE_SUBSET {
public:
    char const* get_id() const { return m_id; }
    char const* get_ui_name() const { return m_ui_name; }
    char const* get_description() const { return m_description; }
    // Whether its files are only known exactly once the design was analysed.
    bool needs_analysis() const { return m_needs_analysis; }
    // Appends the subset's files of the project, relative to its directory
    // (or absolute when outside it), in a stable order. False when the
    // subset's files cannot be had: the version-compatible database was never
    // exported, or (with `error` saying why) a revision's settings cannot be
    // read.
    bool get_files_to_archive(AFM_PROJECT const& project, std::vector<std::string>* files,
                              std::string* error = nullptr) const;

    char const* m_id;
    char const* m_ui_name;
    char const* m_description;
    bool m_needs_analysis;
};

// One file set: a named choice of subsets.
class AFM_FILE_SET {
public:
    char const* get_id() const { return m_id; }
    char const* get_ui_name() const { return m_ui_name; }
    bool is_default() const { return m_is_default; }
    std::vector<AFM_FILE_SUBSET const*> get_file_subsets() const;

    char const* m_id;
    char const* m_ui_name;
    bool m_is_default;
    char const* m_subset_ids; // blank-separated subset identifiers
};

// The identifier of the file set whose files the user lists by hand.
extern char const* const AFM_CUSTOM_FILE_SET_ID; // "custom"

class AFM_ARCHIVE_MANAGER {
public:
    static AFM_ARCHIVE_MANAGER* get_instance();

    std::vector<AFM_FILE_SET const*> const& get_file_sets() const { return m_sets; }
    std::vector<AFM_FILE_SUBSET const*> const& get_file_subsets() const { return m_subsets; }
    // By identifier (exact); null when unknown.
    AFM_FILE_SUBSET const* get_file_subset(char const* id) const;
    AFM_FILE_SET const* get_file_set(char const* id) const;
    AFM_FILE_SET const* get_default_file_set() const;
    // True when a chosen subset needs analysis and the first revision of the
    // open project has no analysis summary ("<revision>.map.summary").
    bool is_tessaly_map_required(std::vector<AFM_FILE_SUBSET const*> const& subsets) const;
    bool is_tessaly_map_required(std::vector<AFM_FILE_SUBSET const*> const& subsets,
                                 AFM_PROJECT const& project) const;
    // The files of the subsets, each once, in subset order; the revisions'
    // settings are read once for all of them. False, with the files that
    // could be had, when some subset's files cannot be had; `error` then says
    // why when a revision's settings cannot be read.
    bool get_files_to_archive(std::vector<AFM_FILE_SUBSET const*> const& subsets,
                              AFM_PROJECT const& project, std::vector<std::string>* files,
                              std::string* error = nullptr) const;
    // The subsets that an archive flow's arguments choose, by the rule that
    // the archive dialog and the flow share: no argument, the default file
    // set's; "custom" followed by the custom list file, the subsets named
    // after it; else the subsets of the file set the first argument names.
    // False when that file set is unknown.
    bool get_chosen_subsets(std::vector<std::string> const& arguments,
                            std::vector<AFM_FILE_SUBSET const*>* subsets) const;

private:
    AFM_ARCHIVE_MANAGER();
    std::vector<AFM_FILE_SET const*> m_sets;
    std::vector<AFM_FILE_SUBSET const*> m_subsets;
};
