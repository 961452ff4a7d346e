#include "suite/flow/flow_archive.h"

#include "suite/archive/afm.h"
#include "suite/archive/afm_zip.h"
#include "suite/fileio/fio.h"
#include "suite/flow/flow.h"
#include "suite/tclglue/atcl.h"
#include "suite/tclglue/atcl_settings_commands.h"

#include <sstream>

namespace {

// The progress the engines are given: the flow's (flow_report_progress),
// noting in `stopped` whether it stopped the run.
AFM_PROGRESS reporting(bool* stopped) {
    return [stopped](size_t done, size_t total, std::string const& file) {
        *stopped = !flow_report_progress(done, total, file);
        return !*stopped;
    };
}

// The settings are saved so that the archive holds them as they stand.
bool save_settings(std::string* message) {
    if (!atcl_has_project_commands()) {
        return true; // no settings store in this process: nothing unsaved
    }
    Tcl_Interp* interp = atcl_get_interpreter();
    if (atcl_eval_words(interp, {"export_assignments"}) != TCL_OK) {
        *message =
            std::string("Can't save the settings before archiving: ") + Tcl_GetStringResult(interp);
        return false;
    }
    return true;
}

// The files and subsets the arguments choose.
bool chosen_files(std::vector<std::string> const& arguments, AFM_PROJECT const& project,
                  std::vector<std::string>* files, std::vector<AFM_FILE_SUBSET const*>* subsets,
                  std::string* message) {
    AFM_ARCHIVE_MANAGER* manager = AFM_ARCHIVE_MANAGER::get_instance();
    if (!manager->get_chosen_subsets(arguments, subsets)) {
        *message = "Unknown archive file set " + arguments[0];
        return false;
    }
    if (!arguments.empty() && arguments[0] == AFM_CUSTOM_FILE_SET_ID) {
        std::string content;
        std::string reason = "none given";
        if (arguments.size() < 2 ||
            !FIO_FILE_SYSTEM::read_file(FIO_PATH(arguments[1]), content, &reason)) {
            *message = "Can't read the archive file list " +
                       (arguments.size() > 1 ? arguments[1] : std::string()) + ": " + reason;
            return false;
        }
        std::istringstream list(content);
        for (std::string line; std::getline(list, line);) {
            if (!line.empty()) {
                files->push_back(line);
            }
        }
        return true;
    }
    // Files a subset cannot have yet (an export not made) are the flags'
    // business; settings that cannot be read fail the archive.
    std::string error;
    if (!manager->get_files_to_archive(*subsets, project, files, &error) && !error.empty()) {
        *message = error;
        return false;
    }
    return true;
}

} // namespace

int flow_run_archive(std::string const& archive, std::vector<std::string> const& arguments,
                     std::vector<bool> const& flags, std::string* message) {
    AFM_PROJECT project;
    std::string error;
    if (!afm_get_current_project(&project, &error)) {
        *message = error.empty() ? "No project is open." : error;
        return 1;
    }
    std::vector<std::string> files;
    std::vector<AFM_FILE_SUBSET const*> subsets;
    if (!save_settings(message) || !chosen_files(arguments, project, &files, &subsets, message)) {
        return 1;
    }
    bool stopped = false;
    if (!afm_write_archive(archive, project.directory, files, "", message, reporting(&stopped))) {
        return stopped ? FLOW_STOPPED : 1;
    }
    bool analysis_declined = !flags.empty() && flags[0];
    bool analysis = !analysis_declined &&
                    AFM_ARCHIVE_MANAGER::get_instance()->is_tessaly_map_required(subsets, project);
    bool export_database = flags.size() > 1 && flags[1];
    if (analysis || export_database) {
        *message = "The archive was written without running Analysis and Elaboration or Export "
                   "Database, which this installation can't run.";
        return 1;
    }
    return 0;
}

int flow_run_restore(std::string const& archive, std::vector<std::string> const& arguments,
                     std::string* message) {
    if (arguments.empty() || arguments[0].empty()) {
        *message = "The restore needs a destination folder.";
        return 1;
    }
    bool overwrite = !(arguments.size() > 1 && arguments[1] == "-no_overwrite");
    bool stopped = false;
    if (!afm_restore_archive(archive, arguments[0], overwrite, message, reporting(&stopped))) {
        return stopped ? FLOW_STOPPED : 1;
    }
    return 0;
}
