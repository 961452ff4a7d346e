#include "sys/mdb/mdb_copy_project.h"

#include "acf_manager.h"
#include "suite/fileio/fio.h"
#include "suite/flow/flow.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "suite/tclglue/atcl.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

char const COPY_ARCHIVE_SUFFIX[] = "_tmp_archive.tsa";

// Makes a directory current for the life of the object, then goes back to the
// one that was current, whatever its length.
class MDB_WORKING_DIRECTORY {
public:
    explicit MDB_WORKING_DIRECTORY(std::string const& directory) {
        std::error_code error;
        m_original = fs::current_path(error);
        fs::current_path(directory, error);
    }
    ~MDB_WORKING_DIRECTORY() {
        if (m_original.empty()) {
            return;
        }
        std::error_code error;
        fs::current_path(m_original, error);
        mdb_msg_debug("Restored to orig path %s", m_original.c_str());
    }
    MDB_WORKING_DIRECTORY(MDB_WORKING_DIRECTORY const&) = delete;
    MDB_WORKING_DIRECTORY& operator=(MDB_WORKING_DIRECTORY const&) = delete;

private:
    fs::path m_original;
};

// Removes the temporary archive, with what a killed copy left of writing it,
// when the copy starts and when it ends, however it ends.
class MDB_TEMPORARY_FILE {
public:
    explicit MDB_TEMPORARY_FILE(std::string path) : m_path(std::move(path)) { remove(); }
    ~MDB_TEMPORARY_FILE() { remove(); }
    MDB_TEMPORARY_FILE(MDB_TEMPORARY_FILE const&) = delete;
    MDB_TEMPORARY_FILE& operator=(MDB_TEMPORARY_FILE const&) = delete;

private:
    void remove() const {
        FIO_FILE_SYSTEM::remove(FIO_PATH(m_path));
        FIO_FILE_SYSTEM::remove_stale_temporaries(FIO_PATH(m_path));
    }
    std::string m_path;
};

// Makes a folder with the folders above it that are missing, and removes
// those again when the copy did not happen, deepest first and each only while
// empty: a failed or cancelled copy leaves no folder of its own behind.
class MDB_NEW_FOLDERS {
public:
    explicit MDB_NEW_FOLDERS(std::string const& folder) {
        fs::path path(folder);
        if (!path.has_filename()) {
            path = path.parent_path(); // "a/b/" names "a/b"
        }
        std::error_code error;
        for (; !path.empty() && !fs::exists(path, error) && !error; path = path.parent_path()) {
            m_made.push_back(path);
        }
        fs::create_directories(folder, error);
    }
    ~MDB_NEW_FOLDERS() {
        for (fs::path const& made : m_made) {
            std::error_code error;
            fs::remove(made, error); // a folder that holds anything stays
        }
    }
    MDB_NEW_FOLDERS(MDB_NEW_FOLDERS const&) = delete;
    MDB_NEW_FOLDERS& operator=(MDB_NEW_FOLDERS const&) = delete;
    // The copy happened: the folders stay.
    void keep() { m_made.clear(); }

private:
    std::vector<fs::path> m_made; // deepest first
};

// Runs one archive command of the suite's Tcl shell, each word as it is, its
// progress told to `progress`; a failure shows the interpreter's error, a
// stop by `progress` that the copy to `destination` was cancelled.
bool run_tcl(std::vector<std::string> const& words, FLOW_PROGRESS const& progress,
             std::string const& destination) {
    FLOW_PROGRESS_SCOPE reporting(progress);
    Tcl_Interp* interp = atcl_get_interpreter();
    if (atcl_eval_words(interp, words) == TCL_OK) {
        return true;
    }
    MSG_POST* message = reporting.stopped()
                            ? static_cast<MSG_POST*>(
                                  MSG_MDB::O::COPY_PROJECT_CANCELLED(destination.c_str()))
                            : MSG_MDB::E::TCL_OUTPUT(Tcl_GetStringResult(interp));
    message->show();
    delete message;
    return false;
}

void show_notice(MSG_O* message) {
    message->show();
    delete message;
}

// The file a project of that name has in a directory.
std::string project_file(std::string const& directory, std::string const& name) {
    return FIO_PATH(directory,
                    name + FIO_EXTENSION_TYPE_INFO::get_extension_string(FIO_EXTENSION_TYPE_TPF))
        .path();
}

} // namespace

std::string mdb_copy_project_archive_name(std::string const& project_name) {
    return project_name + COPY_ARCHIVE_SUFFIX;
}

bool mdb_is_legal_project_name(std::string const& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos &&
           name.find_first_of(ACF_MANAGER::get_illegal_name_characters()) == std::string::npos;
}

bool mdb_is_project_directory(std::string const& destination, std::string const& project_dir) {
    if (destination.empty() || project_dir.empty()) {
        return false;
    }
    fs::path target(destination);
    if (target.is_relative()) {
        target = fs::path(project_dir) / target;
    }
    std::error_code error;
    if (fs::equivalent(target, project_dir, error)) {
        return true;
    }
    // A destination that does not exist yet can still spell the project
    // directory through a part that does (".." out of a missing folder).
    fs::path a = fs::weakly_canonical(target, error);
    fs::path b = fs::weakly_canonical(fs::path(project_dir), error);
    return !a.empty() && (a / "").lexically_normal() == (b / "").lexically_normal();
}

bool mdb_copy_project(MDB_COPY_PROJECT_REQUEST const& request,
                      FLOW_PROGRESS const& archive_progress, FLOW_PROGRESS const& restore_progress) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("acf_mgr != NULL");
        return false;
    }
    if (!mdb_require_open_project()) {
        return false;
    }
    std::string project_path = acf_mgr->get_project_path();
    std::string project_name = acf_mgr->get_project_name();
    std::string destination = reverse_slash(request.destination);
    mdb_msg_debug("desination is %s, project path is %s", destination.c_str(),
                  project_path.c_str());
    if (mdb_is_project_directory(destination, project_path)) {
        show_notice(MSG_MDB::O::COPY_PROJECT_FAIL());
        return false;
    }
    std::string archive = mdb_copy_project_archive_name(project_name);
    mdb_msg_debug("tem archive file name is %s", archive.c_str());

    std::string new_file = project_file(destination, project_name);
    {
        MDB_WORKING_DIRECTORY in_project(project_path);
        MDB_TEMPORARY_FILE temporary(archive);
        MDB_NEW_FOLDERS folders(destination);
        if (!run_tcl({"project_archive", archive, "-all_revisions", "-overwrite"},
                     archive_progress, destination)) {
            return false;
        }
        std::vector<std::string> restore{"project_restore", archive};
        if (request.overwrite) {
            restore.push_back("-overwrite");
        }
        restore.insert(restore.end(), {"-destination", destination});
        if (!run_tcl(restore, restore_progress, destination)) {
            return false;
        }
        folders.keep();
        if (!request.new_name.empty()) {
            std::error_code error;
            std::string old_file = new_file;
            new_file = project_file(destination, request.new_name);
            mdb_msg_debug("the old file name is %s, the new one is %s", old_file.c_str(),
                          new_file.c_str());
            if (old_file != new_file) {
                if (!request.overwrite && fs::exists(new_file, error)) {
                    error = std::make_error_code(std::errc::file_exists);
                } else {
                    fs::rename(old_file, new_file, error);
                }
                if (error) {
                    show_notice(MSG_MDB::O::CANT_CREATE_OR_OVERWRITE_FILE(new_file.c_str()));
                    return false;
                }
            }
        }
    }
    if (request.open_new) {
        QUI_PRJ_UI_MGR* prj_ui_mgr = QUI_PRJ_UI_MGR::get_prj_ui_mgr();
        prj_ui_mgr->close_project();
        // A relative destination lies in the project directory.
        prj_ui_mgr->open_project((fs::path(project_path) / new_file).lexically_normal().string(),
                                 "");
    }
    return true;
}
