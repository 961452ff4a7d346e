#include "suite/archive/afm.h"

#include "suite/fileio/fio.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

char const* const AFM_CUSTOM_FILE_SET_ID = "custom";

namespace {

namespace fs = std::filesystem;

using FILES = std::vector<std::string>;

// The words of a line of the project file, or of a list of identifiers, with
// their quotes or braces taken off.
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

bool is_ends_with(std::string const& text, std::string const& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string path_in(AFM_PROJECT const& project, std::string const& file) {
    return file[0] == '/' ? file : project.directory + file;
}

// Whether a file of the project is there. Only "no such file" means missing:
// false, with `error` naming the file and the reason, when its status cannot
// be read, since a file taken for missing would be left out of the archive.
bool is_present(AFM_PROJECT const& project, std::string const& file, bool* present,
                std::string* error) {
    std::string path = path_in(project, file);
    std::string reason;
    FIO_PRESENCE found = FIO_FILE_SYSTEM::presence(FIO_PATH(path), nullptr, &reason);
    if (found == FIO_PRESENCE::UNKNOWN) {
        *error = "Can't read the status of file " + path + ": " + reason;
        return false;
    }
    *present = found == FIO_PRESENCE::PRESENT;
    return true;
}

AFM_SETTINGS_READER& settings_reader() {
    static AFM_SETTINGS_READER reader;
    return reader;
}

AFM_PROJECT_READER& project_reader() {
    static AFM_PROJECT_READER reader;
    return reader;
}

// What the collectors of one listing share: the project and, read once when a
// collector first needs them, the file settings of its revisions.
class COLLECTION {
public:
    explicit COLLECTION(AFM_PROJECT const& project) : project(project) {}

    // Appends the files that the settings passing `wanted` name, a file inside
    // the project relative to its directory. False, with `error` saying why,
    // when a revision's settings cannot be read.
    bool named_files(bool (*wanted)(std::string const& setting), FILES* files) {
        if (!m_read) {
            m_read = true;
            m_ok = read_settings();
        }
        for (AFM_NAMED_FILE const& named : m_settings) {
            if (wanted(named.setting)) {
                files->push_back(in_project(named.file));
            }
        }
        return m_ok;
    }

    // Whether a file of the project is there; false, with `error` saying why,
    // when that cannot be told.
    bool is_present(std::string const& file, bool* present) {
        return ::is_present(project, file, present, &error);
    }

    AFM_PROJECT const& project;
    std::string error;

private:
    bool read_settings() {
        if (!settings_reader()) {
            error = "Can't read the settings of project " + project.name +
                    ": the settings library is not loaded";
            return false;
        }
        for (std::string const& revision : project.revisions) {
            // A revision may be listed before its settings were ever saved.
            bool saved = false;
            if (!is_present(revision + ".tsf", &saved) ||
                (saved && !settings_reader()(project, revision, &m_settings, &error))) {
                return false;
            }
        }
        return true;
    }
    std::string in_project(std::string const& file) const {
        if (file.empty() || file[0] != '/') {
            return file;
        }
        fs::path relative = fs::path(file).lexically_normal().lexically_relative(
            fs::path(project.directory).lexically_normal());
        std::string name = relative.generic_string();
        return relative.empty() || name == "." || name.rfind("..", 0) == 0 ? file : name;
    }

    bool m_read = false;
    bool m_ok = false;
    std::vector<AFM_NAMED_FILE> m_settings;
};

bool collect_project_settings(COLLECTION& collection, FILES* files) {
    AFM_PROJECT const& project = collection.project;
    files->push_back(project.name + ".tpf");
    // A revision may be listed before its settings were ever saved.
    std::vector<std::string> optional;
    for (std::string const& revision : project.revisions) {
        optional.push_back(revision + ".tsf");
    }
    optional.push_back("revision_descriptions.trd");
    for (std::string const& file : optional) {
        bool present = false;
        if (!collection.is_present(file, &present)) {
            return false;
        }
        if (present) {
            files->push_back(file);
        }
    }
    return true;
}

bool is_ip_file_setting(std::string const& setting) {
    return setting == "TIP_FILE";
}

bool collect_design_files(COLLECTION& collection, FILES* files) {
    return collection.named_files(
        [](std::string const& setting) { return !is_ip_file_setting(setting); }, files);
}

// Every regular file below `folder` (relative to the project), sorted; a
// missing folder has none. False, with `error` naming the folder or file and
// the reason, when the walk cannot read one.
bool files_below(COLLECTION& collection, std::string const& folder,
                 bool (*wanted)(AFM_PROJECT const&, std::string const& name), FILES* found) {
    AFM_PROJECT const& project = collection.project;
    std::error_code ec;
    fs::path root = fs::path(project.directory) / folder;
    fs::path at = root;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        at = it->path();
        // A link that leads nowhere is no file to archive.
        std::error_code type_error;
        bool regular = it->is_regular_file(type_error);
        if (type_error && type_error != std::errc::no_such_file_or_directory) {
            ec = type_error;
            break;
        }
        if (regular && wanted(project, it->path().filename().string())) {
            found->push_back(it->path().lexically_relative(project.directory).generic_string());
        }
    }
    if (ec && !(at == root && ec == std::errc::no_such_file_or_directory)) {
        collection.error = "Can't read the folder " + at.string() + ": " + ec.message();
        return false;
    }
    std::sort(found->begin(), found->end());
    return true;
}

bool collect_ip_files(COLLECTION& collection, FILES* files) {
    FILES tips;
    bool ok = collection.named_files(is_ip_file_setting, &tips);
    // The files generated beside an IP file share its base name. Each folder
    // is listed once, its files grouped by base name, however many IP files
    // it holds.
    std::unordered_map<std::string, std::unordered_map<std::string, FILES>> folders;
    for (std::string const& tip : tips) {
        files->push_back(tip);
        FIO_PATH path(tip);
        std::string folder = path.directory();
        auto listed = folders.find(folder);
        if (listed == folders.end()) {
            listed = folders.emplace(folder, std::unordered_map<std::string, FILES>()).first;
            // A folder that is missing has no generated files; one that cannot
            // be read would leave them out unseen.
            std::vector<FIO_DIRECTORY_ENTRY> entries;
            std::string path = path_in(collection.project, folder.empty() ? "./" : folder);
            std::string reason;
            bool present = false;
            if (!FIO_FILE_SYSTEM::list_directory(FIO_PATH(path), entries, &reason) &&
                (!collection.is_present(path, &present) || present)) {
                if (collection.error.empty()) {
                    collection.error = "Can't read the folder " + path + ": " + reason;
                }
                return false;
            }
            for (FIO_DIRECTORY_ENTRY const& entry : entries) {
                if (!entry.is_directory) {
                    listed->second[FIO_PATH(entry.name).base()].push_back(entry.name);
                }
            }
        }
        auto beside = listed->second.find(path.base());
        if (beside == listed->second.end()) {
            continue;
        }
        for (std::string const& name : beside->second) {
            if (folder + name != tip) {
                files->push_back(folder + name);
            }
        }
    }
    return ok;
}

bool collect_reports(COLLECTION& collection, FILES* files) {
    return files_below(collection, "", [](AFM_PROJECT const& p, std::string const& name) {
        if (!is_ends_with(name, ".rpt") && !is_ends_with(name, ".summary")) {
            return false;
        }
        return std::any_of(p.revisions.begin(), p.revisions.end(),
                           [&](std::string const& r) { return name.rfind(r + ".", 0) == 0; });
    }, files);
}

bool collect_export_db(COLLECTION& collection, FILES* files) {
    FILES found;
    bool read = files_below(collection, "export_db",
                            [](AFM_PROJECT const&, std::string const&) { return true; }, &found);
    files->insert(files->end(), found.begin(), found.end());
    return read && !found.empty();
}

struct SUBSET_ROW {
    AFM_FILE_SUBSET subset;
    bool (*collect)(COLLECTION&, FILES*);
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

SUBSET_ROW const* row_of(AFM_FILE_SUBSET const* subset) {
    for (SUBSET_ROW const& row : g_subsets) {
        if (&row.subset == subset) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

void afm_set_settings_reader(AFM_SETTINGS_READER reader) {
    settings_reader() = std::move(reader);
}

void afm_set_project_reader(AFM_PROJECT_READER reader) {
    project_reader() = std::move(reader);
}

bool afm_get_current_project(AFM_PROJECT* project, std::string* error) {
    std::string ignored;
    return project_reader() && project_reader()(project, error != nullptr ? error : &ignored);
}

bool AFM_FILE_SUBSET::get_files_to_archive(AFM_PROJECT const& project, FILES* files,
                                           std::string* error) const {
    return AFM_ARCHIVE_MANAGER::get_instance()->get_files_to_archive({this}, project, files, error);
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
    // A summary whose status cannot be read is taken for missing: the
    // analysis is asked for rather than skipped.
    bool present = false;
    std::string error;
    return needs && !project.revisions.empty() &&
           !(is_present(project, project.revisions.front() + ".map.summary", &present, &error) &&
             present);
}

bool AFM_ARCHIVE_MANAGER::get_files_to_archive(std::vector<AFM_FILE_SUBSET const*> const& subsets,
                                               AFM_PROJECT const& project, FILES* files,
                                               std::string* error) const {
    COLLECTION collection(project);
    std::unordered_set<std::string> listed(files->begin(), files->end());
    bool all = true;
    for (AFM_FILE_SUBSET const* subset : subsets) {
        FILES found;
        SUBSET_ROW const* row = row_of(subset);
        all = row != nullptr && row->collect(collection, &found) && all;
        for (std::string& file : found) {
            if (listed.insert(file).second) {
                files->push_back(std::move(file));
            }
        }
    }
    if (error != nullptr && !collection.error.empty()) {
        *error = collection.error;
    }
    return all;
}

bool AFM_ARCHIVE_MANAGER::get_chosen_subsets(std::vector<std::string> const& arguments,
                                             std::vector<AFM_FILE_SUBSET const*>* subsets) const {
    if (!arguments.empty() && arguments[0] == AFM_CUSTOM_FILE_SET_ID) {
        for (size_t i = 2; i < arguments.size(); ++i) {
            subsets->push_back(get_file_subset(arguments[i].c_str()));
        }
        return true;
    }
    AFM_FILE_SET const* set =
        arguments.empty() ? get_default_file_set() : get_file_set(arguments[0].c_str());
    if (set == nullptr) {
        return false;
    }
    *subsets = set->get_file_subsets();
    return true;
}
