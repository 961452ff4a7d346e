#include "sys/mdb/mdb.h"

#include "acf_manager.h"
#include "mem_manager.h"
#include "suite/config/cfg.h"
#include "suite/devicedb/dev.h"
#include "suite/fileio/fio.h"
#include "suite/flow/flow.h"
#include "suite/general/gen.h"
#include "suite/gui/afcq.h"
#include "suite/gui/qui_app.h"
#include "suite/gui/qui_frame_wnd.h"
#include "suite/messages/msg.h"
#include "suite/netlistdb/adb_cdb.h"
#include "suite/proj/proj.h"
#include "suite/threads/thr.h"
#include "sys/mdb/mdb_family_checks.h"
#include "sys/mdb/mdb_msgs.h"

#include <algorithm>
#include <cstdarg>

// Load order matters: the memory manager first, then the texts, and the column
// names only after the texts they copy. The message identifiers are registered
// beside their table (mdb_msgs.cpp).
static MEM_INITIALIZER mem_initializer("MDB");

std::string const REVISION_NAME_STR = "Revision Name";
std::string const TOP_LEVEL_ENTITY_STR = "Top-level Entity";
std::string const FAMILY_STR = "Family";
std::string const DEVICE_STR = "Device";
std::string const MEET_TIMING_STR = "Meet Timing";
std::string const TIMING_MODEL_STR = "Timing Model";
std::string const DESC_STR = "Description";
std::string const REV_FLOW_FILE_EXT = "flow.rpt";
std::string const MDB_REV_CREATED_ON_STR = "Created on:";
std::string const MDB_REV_BASED_ON_STR = "Based on:";
std::string const TAB_RESULT_STR = "Results";
std::string const TAB_ASSIGNMENT_STR = "Assignments";
std::string const REV_MAP_SUMMARY_EXT = "map.summary";
std::string const REV_FITTER_SUMMARY_EXT = "fit.summary";
std::string const REV_TIMING_SUMMARY_EXT = "tan.summary";
std::string const REV_STA_TIMING_SUMMARY_EXT = "sta.summary";
std::string const REV_MERGE_SUMMARY_EXT = "merge.summary";
std::string const REV_MAP_ROW_TITLE = "Analysis & Synthesis";
std::string const REV_TIMING_ROW_TITLE = "Classic Timing Analyzer";
std::string const REV_STA_TIMING_ROW_TITLE = "Clockward Timing Analyzer";
std::string const REV_FITTER_ROW_TITLE = "Fitter";
std::string const REV_MERGE_ROW_TITLE = "Partition Merge";
std::string const DEFAULT_PATH = "untitled";

std::string const REV_TBL_COLUMN_NAMES[7] = {
    REVISION_NAME_STR, TOP_LEVEL_ENTITY_STR, FAMILY_STR, DEVICE_STR,
    MEET_TIMING_STR,   TIMING_MODEL_STR,     DESC_STR};
int DESC_COLUMN_WIDTH = 0;

void mdb_msg_debug(char const* format, ...) {
    va_list args;
    va_start(args, format);
    msg_local_vdebug("MDB", MSG_D_LEVEL_2, format, args);
    va_end(args);
}

bool mdb_require_open_project() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr != nullptr && acf_mgr->is_project_open()) {
        return true;
    }
    MSG_O* message = MSG_MDB::O::ACF_ERROR();
    message->show();
    delete message;
    return false;
}

// --- Launchers ---------------------------------------------------------------

namespace {

// The installation's paths; gen_get_module_path ends in exactly one "/".
std::string ferro_builder_dir() {
    return gen_get_module_path() + "ferro_builder";
}
std::string system_console_path() {
    return ferro_builder_dir() + "/bin/system-console";
}
std::string memory_interface_script_path() {
    return ferro_builder_dir() + "/system_console/bin/emdb_app.tcl";
}
std::string ferro_builder_program_path() {
    return ferro_builder_dir() + "/bin/ferro_builder";
}
std::string perl_path() {
    return gen_get_module_path() + "perl/bin/perl";
}

std::string as_one_argument(std::string const& text) {
    return thr_process_quote_argument(text);
}

// Shows a notice and deletes it.
void show(MSG_O* message) {
    message->show();
    delete message;
}

// A child process nobody waits for (the library reaps it); false when it
// cannot be started.
bool start_detached(std::string const& command, std::string const& directory) {
    return thr_process_create(command.c_str(), directory.c_str(), nullptr, nullptr, nullptr,
                              nullptr);
}

// The families whose early power estimator reads a text file; the others
// read comma-separated values.
bool estimator_reads_text(DEV_FAMILY_ENUM family) {
    return family == DEV_FAMILY_GLIM10KE || family == DEV_FAMILY_ZEL ||
           family == DEV_FAMILY_PIKREL_II || family == DEV_FAMILY_BRENLO_II;
}

} // namespace

void mdb_launch_toolkit(std::string tool_path, std::string const& arguments,
                        std::string const& tool_name, std::string const& directory) {
    if (FIO_FILE_SYSTEM::exists(FIO_PATH(tool_path)) &&
        start_detached(as_one_argument(tool_path) + arguments, directory)) {
        return;
    }
    show(MSG_MDB::O::SYSTEM_CONSOLE_NOT_INSTALLED(tool_name.c_str()));
}

void mdb_system_console(bool unrestricted_irvex_speed, bool unrestricted_dfe_speed,
                        bool no_project_autoload, bool classic_panels, std::string tool_path) {
    std::string arguments = " -com.norvik.systemconsole.transceivers.SHOW_AT_STARTUP";
    std::string project_dir;
    if (PROJ_PROJECT* project = PROJ_PROJECT::get_current()) {
        project_dir = project->get_directory();
        if (!no_project_autoload) {
            arguments += " -project-dir=" + as_one_argument(project_dir);
        }
    }
    if (unrestricted_irvex_speed) {
        arguments += " -com.norvik.systemconsole.transceivers.UNRESTRICTED_IRVEX_SPEED_SUPPORT";
    }
    if (unrestricted_dfe_speed) {
        arguments += " -com.norvik.systemconsole.transceivers.UNRESTRICTED_DFE_SPEED_SUPPORT";
    }
    if (classic_panels) {
        arguments += " -com.norvik.systemconsole.transceivers.USE_CLASSIC_PANELS";
    }
    mdb_launch_toolkit(tool_path, arguments, "Transceiver Toolkit", project_dir);
}

extern "C" void mdb_dyn_system_console() {
    mdb_system_console(cfg_is_on("sld_enable_unrestricted_irvex_speed_support", false),
                       cfg_is_on("sld_enable_unrestricted_dfe_speed_support", false),
                       cfg_is_on("sld_disable_project_autoload", false),
                       cfg_is_on("sld_tt_use_classic_panels", false), system_console_path());
}

extern "C" void mdb_dyn_external_memory_interface() {
    mdb_launch_toolkit(system_console_path(),
                       " --com.norvik.kairo2.ACCESS_INTERNAL_KAIRO2 --desktop_script=" +
                           as_one_argument(memory_interface_script_path()),
                       "External Memory Interface Toolkit", "");
}

extern "C" void mdb_dyn_ferro_builder(std::string const& file) {
    std::string program = ferro_builder_program_path();
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(program))) {
        show(MSG_MDB::O::FERRO_BUILDER_NOT_INSTALLED());
        return;
    }
    std::string command = as_one_argument(perl_path()) + " -x " + as_one_argument(program) + " -d" +
                          as_one_argument(ferro_builder_dir());
    if (PROJ_PROJECT* project = PROJ_PROJECT::get_current()) {
        std::string family = project->get_setting(ACF_VARIABLE_TYPE_FAMILY);
        command += " -devicefamily" + as_one_argument(family.empty() ? "null" : family);
        command += " -projectname" + as_one_argument(project->get_name());
        command += " -projectpath" + as_one_argument(project->get_directory());
        command += " --device=" + as_one_argument(project->get_setting(ACF_VARIABLE_TYPE_DEVICE));
        if (!file.empty()) {
            command += " " + as_one_argument(file);
        }
        // The program reads the settings from disk.
        AFCQ_WAIT_CURSOR wait;
        project->save_settings();
    }
    AFCQ_WAIT_CURSOR wait;
    if (!start_detached(command, gen_get_module_path())) {
        show(MSG_MDB::O::FERRO_BUILDER_NOT_INSTALLED());
    }
}

// --- Small entry points ---------------------------------------------------------

extern "C" void mdb_dyn_plexa(std::string const* file) {
    QUI_FRAME_MGR* frame_mgr = QUI_FRAME_MGR::get_frame_mgr();
    if (frame_mgr == nullptr) {
        MDB_INTERNAL_ERROR("Frame managar is null");
        return;
    }
    if (file != nullptr && !file->empty()) {
        frame_mgr->open_file(*file, false, false, true);
    } else {
        frame_mgr->create_new(FIO_FILE_TYPE_PLEXA_SYSTEM, 0);
    }
}

void mdb_impl_organize_tsf(int answer, bool organize) {
    if (answer != MSG_ANSWER_YES || !organize) {
        return;
    }
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("no acf mgr");
        return;
    }
    if (!acf_mgr->write_revision_file_using_file_category_model()) {
        show(MSG_MDB::O::ORGANIZE_TSF_FAILED());
    }
}

extern "C" void mdb_dyn_organize_tsf() {
    MSG_YN* question = MSG_MDB::YN::ORGANIZE_TSF();
    int answer = question->show();
    delete question;
    mdb_impl_organize_tsf(answer, true);
}

void mdb_check_netlist(bool needed, ADB_CDB_INTERFACE* db, QUI_FRAME_WND* frame) {
    bool check = db != nullptr ? db->is_check_and_save_needed() : needed;
    if (!check) {
        show(MSG_MDB::O::CANNOT_START_CHECK_NETLIST());
        return;
    }
    if (frame != nullptr) {
        frame->start_flow(FSTR_FLOW_CHECK_AND_SAVE_NETLIST, "", true, false, true);
    }
}

extern "C" void mdb_dyn_check_netlist(QUI_FRAME_WND* frame) {
    char const* const client = "mdb_dyn_check_netlist";
    ADB_CDB_INTERFACE* db = get_adb_cdb_interface(client, true, true, true);
    mdb_check_netlist(false, db, frame);
    release_adb_cdb_interface(client);
}

void mdb_impl_generate_power_estimator_file(std::string family, std::string file) {
    // The open project's family wins over the one given.
    DEV_FAMILY_ENUM value = DEV_FAMILY_INVALID;
    if (!mdb_get_family_enum(family, &value, true) || value == DEV_FAMILY_INVALID ||
        !DEV_FAMILY_MANAGER::test_trait_of(value, DEV_FAMILY_TRAIT_EARLY_POWER_ESTIMATION)) {
        show(MSG_MDB::O::WARN_DEVICE_NOT_SUPPORT_GENERATE_PE_FILE());
        return;
    }
    if (PROJ_PROJECT* project = PROJ_PROJECT::get_current()) {
        file = project->get_revision_name();
    }
    if (file.empty()) {
        return;
    }
    file += estimator_reads_text(value) ? "_early_pwr.txt" : "_early_pwr.csv";
    QUI_APP* app = qui_get_app();
    if (app == nullptr) {
        MDB_INTERNAL_ERROR("no app");
        return;
    }
    app->start_flow(FSTR_FLOW_EARLY_POWER_ESTIMATION, as_one_argument(file), true, false, true);
}

extern "C" void mdb_dyn_generate_power_estimator_file() {
    mdb_impl_generate_power_estimator_file("", "");
}

std::string reverse_slash(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}
