// The suite's archive manager: the file sets and subsets a project archive is
// made of, the files of each for the open project, and the archive files
// themselves (".tsa", ZIP files) with their safe restore.
#pragma once

#include <string>
#include <vector>

// The project an archive is made of: its directory (with a trailing "/"), its
// name (the project file's base name) and its revisions, in project-file order.
struct AFM_PROJECT {
    std::string directory;
    std::string name;
    std::vector<std::string> revisions;
};

// The open project: the project file in the project directory of the suite
// (the first by name when there are several). False when there is none.
bool afm_get_current_project(AFM_PROJECT* project);

// One subset: a kind of project file.
class AFM_FILE_SUBSET {
public:
    char const* get_id() const { return m_id; }
    char const* get_ui_name() const { return m_ui_name; }
    char const* get_description() const { return m_description; }
    // Whether its files are only known exactly once the design was analysed.
    bool needs_analysis() const { return m_needs_analysis; }
    // Appends the subset's files of the project, relative to its directory, in
    // a stable order. False when the subset's files cannot be had (the
    // version-compatible database was never exported).
    bool get_files_to_archive(AFM_PROJECT const& project, std::vector<std::string>* files) const;

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
    // The files of the subsets, each once, in subset order. False, with the
    // files that could be had, when some subset's files cannot be had.
    bool get_files_to_archive(std::vector<AFM_FILE_SUBSET const*> const& subsets,
                              AFM_PROJECT const& project, std::vector<std::string>* files) const;

private:
    AFM_ARCHIVE_MANAGER();
    std::vector<AFM_FILE_SET const*> m_sets;
    std::vector<AFM_FILE_SUBSET const*> m_subsets;
};
