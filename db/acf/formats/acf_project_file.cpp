#include "formats/acf_project_file.h"

#include "acf_internal_error.h"
#include "acf_table.h"
#include "formats/acf_file_checks.h"
#include "formats/acf_file_header.h"
#include "mem_manager.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/general/ver.h"

#include <cstring>
#include <sstream>
#include <unordered_set>

MEM_UNIT_INITIALIZER(ACF);

namespace {

char const REVISION_KEY[] = "PROJECT_REVISION = \"";
size_t const REVISION_KEY_LENGTH = sizeof(REVISION_KEY) - 1; // 20

std::string trim(std::string const& text, char const* blanks) {
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

ACF_REVISION_NAME_LIST revisions_of(char const* project_file) {
    ACF_REVISION_NAME_LIST list;
    acf_get_all_revisions_from_tpf(project_file, &list);
    return list;
}

// Rewrites the project file with the list that `change` makes of its revisions
// (`change` returns false when the file is to stay as it is). The rewrite holds
// the file's lock between processes and starts again from the file as it is
// then. Nothing is written when the file cannot be read, since the rewrite
// would drop what it lists.
template <class CHANGE> bool rewrite_tpf(char const* prj_path, CHANGE change) {
    // A look at the file that fails leaves it as it is.
    ACF_FILE_OPERATION operation;
    ACF_REVISION_NAME_LIST listed;
    if (!acf_get_all_revisions_from_tpf(prj_path, &listed)) {
        return false;
    }
    if (!change(listed)) {
        return true;
    }
    FIO_FILE_LOCK lock{FIO_PATH(prj_path)};
    listed.clear();
    if (!lock.is_held() || !acf_get_all_revisions_from_tpf(prj_path, &listed) ||
        operation.failed()) {
        return false;
    }
    return !change(listed) || acf_write_tpf_file(prj_path, &listed);
}

} // namespace

void acf_add_setting_name_if_not_already_in_string_list(ACF_REVISION_NAME_LIST* list,
                                                        std::string const& name) {
    for (std::string const& listed : *list) {
        if (acf_os_based_compare(listed.c_str(), name.c_str())) {
            return;
        }
    }
    list->push_back(name);
}

bool acf_get_all_revisions_from_tpf(char const* project_file, ACF_REVISION_NAME_LIST* list,
                                    std::string* error) {
    if (project_file == nullptr || list == nullptr || !acf_file_exists(project_file)) {
        return true;
    }
    std::string content;
    if (!FIO_FILE_SYSTEM::read_file(FIO_PATH(project_file), content, error)) {
        return false;
    }
    // The names listed already, looked up as each line is read: a project of
    // many revisions reads in time linear in their number.
    std::unordered_set<std::string> known(list->begin(), list->end());
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        line = trim(line, " \t\r\n\v\f");
        if (line.size() < REVISION_KEY_LENGTH || line[0] == '#' ||
            line.compare(0, REVISION_KEY_LENGTH, REVISION_KEY) != 0) {
            continue;
        }
        // The key and the closing quote are dropped; the rest is a path whose
        // base name is the revision.
        std::string value = line.substr(REVISION_KEY_LENGTH);
        if (!value.empty()) {
            value.pop_back();
        }
        std::string name = FIO_PATH(value).base();
        if (!name.empty() && known.insert(name).second) {
            list->push_back(name);
        }
    }
    return true;
}

bool acf_write_tpf_file(char const* prj_path, ACF_REVISION_NAME_LIST const* revisions) {
    if (!ACF_REQUIRE(prj_path != NULL) || acf_file_fault_pending()) {
        return false;
    }
    std::ostringstream out;
    acf_print_project_file_header(out);
    out << "\n";
    out << "TESSALY_VERSION = \"" << ver_get_version() << "\"\n";
    std::string date;
    if (gen_format_current_date_and_time(&date, "%H:%M:%S  %B %d, %Y")) {
        out << "DATE = \"" << date << "\"\n";
    }
    out << "\n# Revisions\n\n";
    if (revisions != nullptr) {
        for (std::string const& name : *revisions) {
            if (!name.empty()) {
                out << REVISION_KEY << name << "\"\n";
            }
        }
    }
    return FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(prj_path), out.str());
}

bool acf_move_revision_to_top_of_tpf(char const* prj_path, char const* revision_name) {
    if (!ACF_REQUIRE(prj_path != NULL) || !ACF_REQUIRE(revision_name != NULL)) {
        return false;
    }
    return rewrite_tpf(prj_path, [&](ACF_REVISION_NAME_LIST& listed) {
        if (!listed.empty() && acf_os_based_compare(listed.front().c_str(), revision_name)) {
            return false;
        }
        ACF_REVISION_NAME_LIST front;
        ACF_REVISION_NAME_LIST rest;
        for (std::string const& name : listed) {
            (acf_os_based_compare(name.c_str(), revision_name) ? front : rest).push_back(name);
        }
        if (front.empty()) {
            front.push_back(revision_name);
        }
        front.splice(front.end(), rest);
        listed.swap(front);
        return true;
    });
}

bool acf_move_revision_to_bottom_of_tpf(char const* prj_path, char const* revision_name) {
    if (!ACF_REQUIRE(prj_path != NULL) || !ACF_REQUIRE(revision_name != NULL)) {
        return false;
    }
    return rewrite_tpf(prj_path, [&](ACF_REVISION_NAME_LIST& listed) {
        listed.remove_if([&](std::string const& name) {
            return acf_os_based_compare(name.c_str(), revision_name);
        });
        listed.push_back(revision_name);
        return true;
    });
}

bool acf_remove_revision_from_tpf(char const* prj_path, char const* revision_name) {
    if (!ACF_REQUIRE(prj_path != NULL) || !ACF_REQUIRE(revision_name != NULL)) {
        return false;
    }
    return rewrite_tpf(prj_path, [&](ACF_REVISION_NAME_LIST& listed) {
        listed.remove_if([&](std::string const& name) {
            return acf_os_based_compare(name.c_str(), revision_name);
        });
        return true;
    });
}

bool acf_is_revision_listed_in_tpf(char const* prj_path, char const* revision_name) {
    if (!ACF_REQUIRE(prj_path != NULL) || !ACF_REQUIRE(revision_name != NULL)) {
        return false;
    }
    for (std::string const& name : revisions_of(prj_path)) {
        if (acf_os_based_compare(name.c_str(), revision_name)) {
            return true;
        }
    }
    return false;
}

std::string acf_path_with_extension_type(std::string const& path, int type) {
    FIO_PATH from(path);
    return from.directory() + from.base() + FIO_EXTENSION_TYPE_INFO::get_extension_string(type);
}

std::string acf_revision_settings_file_path(std::string const& project_file,
                                            std::string const& revision) {
    return FIO_PATH(project_file).directory() + revision +
           FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_TSF);
}

bool acf_check_for_revision_files(char const* project_path) {
    if (!ACF_REQUIRE(project_path != NULL) || !acf_file_exists(project_path)) {
        return false;
    }
    // A project file that cannot be read has no revision that could be opened.
    ACF_REVISION_NAME_LIST listed;
    return acf_get_all_revisions_from_tpf(project_path, &listed) &&
           acf_revision_files_exist(project_path, listed);
}

bool acf_revision_files_exist(std::string const& project_file,
                              ACF_REVISION_NAME_LIST const& listed) {
    for (std::string const& name : listed) {
        if (acf_file_exists(acf_revision_settings_file_path(project_file, name))) {
            return true;
        }
    }
    return acf_file_exists(acf_path_with_extension_type(project_file, FIO_EXTENSION_TYPE_TSF));
}

std::string acf_get_current_cap_from_tws_file(std::string const& workspace_file) {
    std::string content;
    if (!FIO_FILE_SYSTEM::read_file(FIO_PATH(workspace_file), content)) {
        return std::string();
    }
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        if (trim(line.substr(0, equals), " \t") == "CurrentCAP") {
            std::string value = trim(line.substr(equals + 1), " \t\r\n");
            if (!value.empty()) {
                return value;
            }
        }
    }
    return std::string();
}

std::string acf_get_active_cap_from_tpf_or_tws_file(char const* prj_path) {
    if (!ACF_REQUIRE(prj_path != NULL)) {
        return std::string();
    }
    std::string project_file = acf_path_with_extension_type(prj_path, FIO_EXTENSION_TYPE_TPF);
    if (acf_file_exists(project_file)) {
        for (std::string const& name : revisions_of(project_file.c_str())) {
            if (acf_file_exists(acf_revision_settings_file_path(project_file, name))) {
                return name;
            }
        }
    }
    std::string workspace =
        acf_path_with_extension_type(prj_path, FIO_EXTENSION_TYPE_OLD_WORKSPACE);
    return acf_file_exists(workspace) ? acf_get_current_cap_from_tws_file(workspace)
                                      : std::string();
}
