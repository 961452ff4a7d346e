#include "suite/archive/afm.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

char const* const AFM_CUSTOM_FILE_SET_ID = "custom";

namespace {

namespace fs = std::filesystem;

using FILES = std::vector<std::string>;

// The words of a settings line, with their quotes or braces taken off.
std::vector<std::string> words_of(std::string const& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) {
        if (word.size() >= 2 && ((word.front() == '"' && word.back() == '"') ||
                                 (word.front() == '{' && word.back() == '}'))) {
            word = word.substr(1, word.size() - 2);
        }
        words.push_back(word);
    }
    return words;
}

// The values of the global file settings of every revision whose names pass `wanted`.
FILES named_files(AFM_PROJECT const& project, bool (*wanted)(std::string const& name)) {
    FILES files;
    for (std::string const& revision : project.revisions) {
        std::ifstream in(project.directory + revision + ".tsf");
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> w = words_of(line);
            if (w.size() == 4 && w[0] == "set_global_assignment" && w[1] == "-name" &&
                wanted(w[2])) {
                files.push_back(w[3]);
            }
        }
    }
    return files;
}

bool is_ends_with(std::string const& text, std::string const& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool exists_in(AFM_PROJECT const& project, std::string const& file) {
    return FIO_FILE_SYSTEM::exists(FIO_PATH(file[0] == '/' ? file : project.directory + file));
}

bool collect_project_settings(AFM_PROJECT const& project, FILES* files) {
    files->push_back(project.name + ".tpf");
    // A revision may be listed before its settings were ever saved.
    for (std::string const& revision : project.revisions) {
        if (exists_in(project, revision + ".tsf")) {
            files->push_back(revision + ".tsf");
        }
    }
    if (exists_in(project, "revision_descriptions.trd")) {
        files->push_back("revision_descriptions.trd");
    }
    return true;
}

bool collect_design_files(AFM_PROJECT const& project, FILES* files) {
    for (std::string const& file : named_files(project, [](std::string const& name) {
             return is_ends_with(name, "_FILE") && name != "TIP_FILE";
         })) {
        files->push_back(file);
    }
    return true;
}

// Every regular file below `folder` (relative to the project), sorted.
FILES files_below(AFM_PROJECT const& project, std::string const& folder,
                  bool (*wanted)(AFM_PROJECT const&, std::string const& name)) {
    FILES found;
    std::error_code ec;
    fs::path root = fs::path(project.directory) / folder;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && wanted(project, it->path().filename().string())) {
            found.push_back(it->path().lexically_relative(project.directory).generic_string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool collect_ip_files(AFM_PROJECT const& project, FILES* files) {
    for (std::string const& tip :
         named_files(project, [](std::string const& name) { return name == "TIP_FILE"; })) {
        files->push_back(tip);
        // The files generated beside the IP file share its base name.
        FIO_PATH path(tip);
        std::vector<FIO_DIRECTORY_ENTRY> entries;
        std::string folder = path.directory();
        FIO_FILE_SYSTEM::list_directory(
            FIO_PATH(tip[0] == '/' ? folder : project.directory + folder), entries);
        for (FIO_DIRECTORY_ENTRY const& entry : entries) {
            if (!entry.is_directory && FIO_PATH(entry.name).base() == path.base() &&
                folder + entry.name != tip) {
                files->push_back(folder + entry.name);
            }
        }
    }
    return true;
}

bool collect_reports(AFM_PROJECT const& project, FILES* files) {
    for (std::string const &file :
         files_below(project, "", [](AFM_PROJECT const&p, std::string const&name) {
             if (!is_ends_with(name, ".rpt") && !is_ends_with(name, ".summary")) {
                 return false;
             }
             return std::any_of(p.revisions.begin(), p.revisions.end(),
                                [&](std::string const& r) { return name.rfind(r + ".", 0) == 0; });
         })) {
        files->push_back(file);
    }
    return true;
}

bool collect_export_db(AFM_PROJECT const& project, FILES* files) {
    FILES found = files_below(project, "export_db",
                              [](AFM_PROJECT const&, std::string const&) { return true; });
    files->insert(files->end(), found.begin(), found.end());
    return !found.empty();
}

struct SUBSET_ROW {
    AFM_FILE_SUBSET subset;
    bool (*collect)(AFM_PROJECT const&, FILES*);
};

SUBSET_ROW const g_subsets[] = {
#define AFM_SUBSET(id, ui_name, description, analysis, collector)                                  \
    {{id, ui_name, description, analysis}, collector},
#include "suite/archive/afm_sets.def"
#undef AFM_SUBSET
};

AFM_FILE_SET const g_sets[] = {
#define AFM_SET(id, ui_name, is_default, subsets) {id, ui_name, is_default, subsets},
#include "suite/archive/afm_sets.def"
#undef AFM_SET
};

} // namespace

bool afm_get_current_project(AFM_PROJECT* project) {
    std::string directory = gen_get_project_dir_path();
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    if (directory.empty() || !FIO_FILE_SYSTEM::list_directory(FIO_PATH(directory), entries)) {
        return false;
    }
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        if (!entry.is_directory && FIO_PATH(entry.name).extension() == ".tpf") {
            project->directory = directory;
            project->name = FIO_PATH(entry.name).base();
            project->revisions.clear();
            std::ifstream in(directory + entry.name);
            for (std::string line; std::getline(in, line);) {
                std::vector<std::string> w = words_of(line);
                if (w.size() == 3 && w[0] == "PROJECT_REVISION" && w[1] == "=") {
                    project->revisions.push_back(w[2]);
                }
            }
            return true;
        }
    }
    return false;
}

bool AFM_FILE_SUBSET::get_files_to_archive(AFM_PROJECT const& project, FILES* files) const {
    for (SUBSET_ROW const& row : g_subsets) {
        if (&row.subset == this) {
            return row.collect(project, files);
        }
    }
    return false;
}

std::vector<AFM_FILE_SUBSET const*> AFM_FILE_SET::get_file_subsets() const {
    std::vector<AFM_FILE_SUBSET const*> subsets;
    for (std::string const& id : words_of(m_subset_ids)) {
        subsets.push_back(AFM_ARCHIVE_MANAGER::get_instance()->get_file_subset(id.c_str()));
    }
    return subsets;
}

AFM_ARCHIVE_MANAGER::AFM_ARCHIVE_MANAGER() {
    for (SUBSET_ROW const& row : g_subsets) {
        m_subsets.push_back(&row.subset);
    }
    for (AFM_FILE_SET const& set : g_sets) {
        m_sets.push_back(&set);
    }
}

AFM_ARCHIVE_MANAGER* AFM_ARCHIVE_MANAGER::get_instance() {
    static AFM_ARCHIVE_MANAGER manager;
    return &manager;
}

AFM_FILE_SUBSET const* AFM_ARCHIVE_MANAGER::get_file_subset(char const* id) const {
    for (AFM_FILE_SUBSET const* subset : m_subsets) {
        if (id != nullptr && std::string(subset->get_id()) == id) {
            return subset;
        }
    }
    return nullptr;
}

AFM_FILE_SET const* AFM_ARCHIVE_MANAGER::get_file_set(char const* id) const {
    for (AFM_FILE_SET const* set : m_sets) {
        if (id != nullptr && std::string(set->get_id()) == id) {
            return set;
        }
    }
    return nullptr;
}

AFM_FILE_SET const* AFM_ARCHIVE_MANAGER::get_default_file_set() const {
    for (AFM_FILE_SET const* set : m_sets) {
        if (set->is_default()) {
            return set;
        }
    }
    return m_sets.front();
}

bool AFM_ARCHIVE_MANAGER::is_tessaly_map_required(
    std::vector<AFM_FILE_SUBSET const*> const& subsets) const {
    AFM_PROJECT project;
    return afm_get_current_project(&project) && is_tessaly_map_required(subsets, project);
}

bool AFM_ARCHIVE_MANAGER::is_tessaly_map_required(
    std::vector<AFM_FILE_SUBSET const*> const& subsets, AFM_PROJECT const& project) const {
    bool needs = std::any_of(subsets.begin(), subsets.end(), [](AFM_FILE_SUBSET const* s) {
        return s != nullptr && s->needs_analysis();
    });
    return needs && !project.revisions.empty() &&
           !exists_in(project, project.revisions.front() + ".map.summary");
}

bool AFM_ARCHIVE_MANAGER::get_files_to_archive(std::vector<AFM_FILE_SUBSET const*> const& subsets,
                                               AFM_PROJECT const& project, FILES* files) const {
    bool all = true;
    for (AFM_FILE_SUBSET const* subset : subsets) {
        FILES found;
        all = subset != nullptr && subset->get_files_to_archive(project, &found) && all;
        for (std::string const& file : found) {
            if (std::find(files->begin(), files->end(), file) == files->end()) {
                files->push_back(file);
            }
        }
    }
    return all;
}
