// The suite's Tcl archive commands, on the archive and restore flows:
//
//     project_archive <archive> ?-all_revisions? ?-overwrite?
//     project_restore <archive> ?-overwrite? -destination <dir>
//
// project_archive writes the open project's default file set (every revision's
// settings, so -all_revisions changes nothing) and refuses an existing archive
// without -overwrite; project_restore refuses to replace existing files
// without -overwrite. Failures are Tcl errors that say why. The commands are
// made in the shared interpreter as it is made, as a startup package of the Tcl
// glue.
#include "suite/fileio/fio.h"
#include "suite/flow/flow_archive.h"
#include "suite/tclglue/atcl_package.h"

#include <tcl.h>

#include <string>
#include <vector>

namespace {

using WORDS = std::vector<std::string>;

bool archive(WORDS const& words, std::string* result) {
    std::string name;
    bool overwrite = false;
    for (size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "-overwrite") {
            overwrite = true;
        } else if (words[i] == "-all_revisions") {
        } else if (name.empty() && !words[i].empty() && words[i][0] != '-') {
            name = words[i];
        } else {
            *result = "usage: project_archive <archive> ?-all_revisions? ?-overwrite?";
            return false;
        }
    }
    if (name.empty()) {
        *result = "usage: project_archive <archive> ?-all_revisions? ?-overwrite?";
        return false;
    }
    std::string full = FIO_PATH(name).full_path();
    if (!overwrite && FIO_FILE_SYSTEM::exists(FIO_PATH(full))) {
        *result = "project_archive: " + full + " already exists; use -overwrite to replace it";
        return false;
    }
    return flow_run_archive(full, {}, {true}, result) == 0;
}

bool restore(WORDS const& words, std::string* result) {
    std::string name;
    std::string destination;
    bool overwrite = false;
    for (size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "-overwrite") {
            overwrite = true;
        } else if (words[i] == "-destination" && i + 1 < words.size()) {
            destination = words[++i];
        } else if (name.empty() && !words[i].empty() && words[i][0] != '-') {
            name = words[i];
        } else {
            name.clear();
            break;
        }
    }
    if (name.empty() || destination.empty()) {
        *result = "usage: project_restore <archive> ?-overwrite? -destination <dir>";
        return false;
    }
    WORDS arguments = {destination};
    if (!overwrite) {
        arguments.push_back("-no_overwrite");
    }
    return flow_run_restore(name, arguments, result) == 0;
}

int run_command(ClientData data, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    WORDS words;
    for (int i = 0; i < objc; ++i) {
        words.emplace_back(Tcl_GetString(objv[i]));
    }
    std::string result;
    bool done = data != nullptr ? restore(words, &result) : archive(words, &result);
    Tcl_SetObjResult(interp, Tcl_NewStringObj(done ? "" : result.c_str(), -1));
    return done ? TCL_OK : TCL_ERROR;
}

int Projectarchive_Init(Tcl_Interp* interp) {
    static int restore_tag = 1;
    Tcl_CreateObjCommand(interp, "project_archive", run_command, nullptr, nullptr);
    Tcl_CreateObjCommand(interp, "project_restore", run_command, &restore_tag, nullptr);
    return TCL_OK;
}

// Registers the commands with the Tcl glue when the library is loaded.
struct FLOW_ARCHIVE_COMMANDS {
    FLOW_ARCHIVE_COMMANDS() {
        atcl_register_startup_package("Projectarchive", Projectarchive_Init);
    }
};
FLOW_ARCHIVE_COMMANDS const flow_archive_commands;

} // namespace
