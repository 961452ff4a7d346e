// The project file (".tpf"): the list of a project's revisions, the first one
// whose settings file exists being the active one. Its text, its reader and
// writer, the list operations that reorder or shrink it, and the lookup of the
// active revision (with the old workspace file's "CurrentCAP" as fallback).
// Everything works on files given by path; no project needs to be open.
#pragma once

#include <list>
#include <string>

using ACF_REVISION_NAME_LIST = std::list<std::string>;

// Appends `name` unless an equal name (case-sensitive) is already listed.
void acf_add_setting_name_if_not_already_in_string_list(ACF_REVISION_NAME_LIST* list,
                                                        std::string const& name);

// Appends the revision names of a project file to `list`, in file order and
// each once. False when the file exists but cannot be read whole (the reason in
// `error`, may be null): then nothing is added. Lines of any length are read.
bool acf_get_all_revisions_from_tpf(char const* project_file, ACF_REVISION_NAME_LIST* list,
                                    std::string* error = nullptr);

// Writes the project file (banner, version, date, the revision lines in list
// order; a null list writes none) atomically over any previous content. False
// when it could not be written; the old file then stays whole.
bool acf_write_tpf_file(char const* project_file, ACF_REVISION_NAME_LIST const* revisions);

// The list operations below hold the project file's lock between processes
// while they read and rewrite it, and write nothing when it cannot be read.
//
// Puts `revision` first. A file whose first listed name already is `revision`
// is not touched (its bytes and time stay); a missing file is created with
// `revision` as its only entry. False when a needed rewrite failed.
bool acf_move_revision_to_top_of_tpf(char const* project_file, char const* revision);
// Puts `revision` last (added when not listed); the file is always rewritten.
bool acf_move_revision_to_bottom_of_tpf(char const* project_file, char const* revision);
// Rewrites the file without every entry equal to `revision`.
bool acf_remove_revision_from_tpf(char const* project_file, char const* revision);

// Whether `revision` is listed (case-sensitive).
bool acf_is_revision_listed_in_tpf(char const* project_file, char const* revision);

// `path` with its extension replaced by the one of the file type `type`.
std::string acf_path_with_extension_type(std::string const& path, int type);
// The settings file of `revision` beside the project file.
std::string acf_revision_settings_file_path(std::string const& project_file,
                                            std::string const& revision);

// False when the project file does not exist or cannot be read; true when some listed revision
// has its settings file, or, with none, when a settings file named like the
// project file exists.
bool acf_check_for_revision_files(char const* project_file);
// The same for the revisions `listed` in the project file, already read.
bool acf_revision_files_exist(std::string const& project_file,
                              ACF_REVISION_NAME_LIST const& listed);

// The first listed revision of the project file beside `path` whose settings
// file exists; else the "CurrentCAP" of the old workspace file beside it; else "".
std::string acf_get_active_cap_from_tpf_or_tws_file(char const* path);
// The value of the key "CurrentCAP" (case-sensitive, blanks around key and value
// ignored) of an old workspace file; "" when none.
std::string acf_get_current_cap_from_tws_file(std::string const& workspace_file);
