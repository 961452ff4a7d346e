// tsgui: a minimal graphical host. It opens its main frame window and, with
// --project, the project in that folder (or of that project file) through the
// project manager, and
// shows each --open file in a sub-window of its own frame window; then it
// loads the dialogs plug-in by file name and calls its entry points by name,
// as the suite's graphical host does.
//
//   tsgui [--project <dir or .tpf>] [--tcl <script>] [--open <file>]... [--screenshot <file.png>]
//         [--press <button or cell text>]... [--answer <yes|no|path>]... [--arg <text>]...
//         <entry point>...
//
// Each --arg passes one argument to the entry points that take some (the table
// of signatures below). --tcl runs a Tcl script in the shared interpreter
// before the entry points (it may set corner_file_list for the timing-model
// picker). After mdb_dyn_get_archive_password (--arg <file>
// [--arg restricted]) is accepted, the host writes the hand-off archive: the
// project and settings files, the design files when included, AES-256
// encrypted when a password was given; an existing file is replaced only
// after the user agreed to overwrite it.
// mdb_dyn_assignment_groups_dlg takes the group to select (--arg <group>);
// mdb_dyn_generate_tcl_file writes the script without a dialog (--arg <file>
// [--arg 1] to include default assignments), prints its code and makes the
// host exit 1 unless it is 0.
//
// Each --press, in order, presses the button of that text in the modal dialog
// then open (or, when it has no such button, ticks the list item of that text
// that has a check box, or makes the table cell of that text, at any depth of
// a tree, current and double-clicks it); a press of a disabled button fails
// the run. With --screenshot the modal dialog open once the presses are done
// is saved as a picture; each --answer queues the answer of the next question
// (yes, no) or file dialog (a path). Any of them makes the host unattended: no
// question box or file dialog opens, and a modal dialog left with nothing to
// do is cancelled. The host prints what an entry point returns. Paths given
// to --tcl, --open, --screenshot and --answer are taken from the folder the
// host was started in, although it works in the project's folder.
//
//   tsgui --help    the options and the entry points of the dialogs plug-in
//
// Without a display it says how to get one and exits 1.
#include "acf_manager.h"
#include "acf_msg_suppression_lookup.h"
#include "mem_manager.h"
#include "services/appflows/appflows.h"
#include "services/asgnimport/bfu_foreign_formats.h"
#include "suite/archive/afm.h"
#include "suite/archive/afm_zip.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/gui/afcq.h"
#include "suite/gui/qui_app.h"
#include "suite/gui/qui_frame_info.h"
#include "suite/gui/qui_frame_wnd.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"
#include "suite/threads/thr.h"
#include "tools/tsgui/tsgui_entry_points.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A button text as shown, without its mnemonic marks.
QString shown_text(QString text) {
    return text.remove(QLatin1Char('&'));
}

// The entry points' signatures, by name; any other takes the parent alone.
enum SIGNATURE_ENUM {
    SIGNATURE_PARENT = 0,           // void (QWidget* parent)
    SIGNATURE_PARENT_NAME_FLAG = 1, // int (QWidget* parent, std::string* name, bool* flag)
    SIGNATURE_RETURNS_DIALOG = 2,   // QDialog* (): the host runs the dialog, then deletes it
    SIGNATURE_PARENT_ARCHIVE = 3,   // void (QWidget* parent, std::string const* archive)
    // bool (QWidget* parent, std::string* file, std::string* password, bool* include, bool
    // restricted)
    SIGNATURE_HANDOFF = 4,
    SIGNATURE_FRAME = 5,          // void (QUI_FRAME_WND* frame): prints the toolbars after
    SIGNATURE_PARENT_WINDOWS = 6, // void (QWidget* parent, QList<QMdiSubWindow*> windows)
    // void (QWidget* parent, std::vector<std::string>& texts): each --arg one text
    SIGNATURE_PARENT_TEXTS = 7,
    SIGNATURE_PARENT_GROUP = 8, // void (QWidget* parent, char const* group or null)
    // int (std::string const& file, intptr_t unused, bool include_defaults): prints the code
    SIGNATURE_GENERATE_TCL_FILE = 9,
    SIGNATURE_NONE = 10,         // void ()
    SIGNATURE_FILE = 11,         // void (std::string const& file)
    SIGNATURE_FILE_POINTER = 12, // void (std::string const* file)
    SIGNATURE_PARENT_INDEX = 13, // int (QWidget* parent)
    SIGNATURE_PARENT_CHECK = 14, // bool (QWidget* parent): prints the result
    SIGNATURE_PARENT_TEXT = 15,  // void (QWidget* parent, std::string const& text)
    // void (QWidget* parent, std::string const& directory, std::string* result): prints the
    // directory
    SIGNATURE_PARENT_DIRECTORY = 16,
};
struct ENTRY_SIGNATURE {
    char const* name;
    SIGNATURE_ENUM signature;
};
ENTRY_SIGNATURE const entry_signatures[] = {
    {"mdb_dyn_set_companion_revision_dlg", SIGNATURE_PARENT_NAME_FLAG},
    {"mdb_dyn_create_companion_revision_dlg", SIGNATURE_PARENT_NAME_FLAG},
    {"mdb_dyn_get_revisions_dlg", SIGNATURE_RETURNS_DIALOG},
    {"mdb_dyn_restore_archive_dlg", SIGNATURE_PARENT_ARCHIVE},
    {"mdb_dyn_get_archive_password", SIGNATURE_HANDOFF},
    {"mdb_dyn_customize_dlg", SIGNATURE_FRAME},
    {"mdb_dyn_select_window_dlg", SIGNATURE_PARENT_WINDOWS},
    {"mdb_dyn_import_assignment_dlg_for_bf", SIGNATURE_PARENT_TEXTS},
    {"mdb_dyn_assignment_groups_dlg", SIGNATURE_PARENT_GROUP},
    {"mdb_dyn_generate_tcl_file", SIGNATURE_GENERATE_TCL_FILE},
    {"mdb_dyn_system_console", SIGNATURE_NONE},
    {"mdb_dyn_external_memory_interface", SIGNATURE_NONE},
    {"mdb_dyn_organize_tsf", SIGNATURE_NONE},
    {"mdb_dyn_generate_power_estimator_file", SIGNATURE_NONE},
    {"mdb_dyn_ferro_builder", SIGNATURE_FILE},
    {"mdb_dyn_plexa", SIGNATURE_FILE_POINTER},
    {"mdb_dyn_eda_gls_dlg", SIGNATURE_PARENT_INDEX},
    {"mdb_dyn_validate_family_and_device_settings", SIGNATURE_PARENT_CHECK},
    {"mdb_dyn_about_dlg", SIGNATURE_PARENT_TEXT},
    {"mdb_dyn_export_db_dlg", SIGNATURE_PARENT_DIRECTORY},
};

SIGNATURE_ENUM signature_of(std::string const& name) {
    for (ENTRY_SIGNATURE const& entry : entry_signatures) {
        if (name == entry.name) {
            return entry.signature;
        }
    }
    return SIGNATURE_PARENT;
}

// The dialogs' "File %1 already exists. Do you want to overwrite it?": the
// factory is a C++ function of the plug-in, found by its linker name.
bool may_overwrite(THR_DRL_HANDLE dialogs, std::string const& file) {
    using FACTORY = MSG_YN* (*)(char const*);
    auto factory = reinterpret_cast<FACTORY>(
        thr_drl_find_function(dialogs, "_ZN7MSG_MDB2YN14OVERWRITE_FILEEPKc"));
    if (factory == nullptr) {
        return false;
    }
    MSG_YN* question = factory(file.c_str());
    int answer = question->show();
    delete question;
    return answer == MSG_ANSWER_YES;
}

// Writes the hand-off archive of the open project; 0 when it was written.
int write_handoff_archive(THR_DRL_HANDLE dialogs, std::string const& file,
                          std::string const& password, bool include_design_files) {
    AFM_PROJECT project;
    if (!afm_get_current_project(&project)) {
        std::fprintf(stderr, "tsgui: no project is open for the hand-off archive\n");
        return 1;
    }
    std::string archive = FIO_PATH(file).full_path();
    if (FIO_FILE_SYSTEM::exists(FIO_PATH(archive)) && !may_overwrite(dialogs, archive)) {
        std::printf("hand-off archive not written: %s exists\n", archive.c_str());
        return 1;
    }
    AFM_ARCHIVE_MANAGER* manager = AFM_ARCHIVE_MANAGER::get_instance();
    std::vector<AFM_FILE_SUBSET const*> subsets = {manager->get_file_subset("project_settings")};
    if (include_design_files) {
        subsets.push_back(manager->get_file_subset("design_files"));
    }
    std::vector<std::string> files;
    std::string error;
    if (!manager->get_files_to_archive(subsets, project, &files, &error) && !error.empty()) {
        std::printf("hand-off archive not written: %s\n", error.c_str());
        return 1;
    }
    if (!afm_write_archive(archive, project.directory, files, password, &error)) {
        std::printf("hand-off archive not written: %s\n", error.c_str());
        return 1;
    }
    std::printf("hand-off archive written: %s (%s)\n", archive.c_str(),
                password.empty() ? "not encrypted" : "encrypted");
    return 0;
}

// Prints each toolbar of a frame window with its actions.
void print_toolbars(QUI_FRAME_WND* frame) {
    for (AFCQ_TOOL_BAR* toolbar :
         frame->findChildren<AFCQ_TOOL_BAR*>(QString(), Qt::FindDirectChildrenOnly)) {
        QStringList actions;
        for (QAction* action : toolbar->actions()) {
            actions << (action->isSeparator() ? QStringLiteral("|") : shown_text(action->text()));
        }
        std::printf("toolbar \"%s\"%s: %s\n", toolbar->windowTitle().toLocal8Bit().constData(),
                    toolbar->isVisibleTo(frame) ? "" : " (hidden)",
                    actions.join(QStringLiteral(", ")).toLocal8Bit().constData());
    }
}

// Calls an entry point by its signature with the --arg texts and prints what
// it returns; non-zero when the host's own part failed.
int call_entry_point(THR_DRL_HANDLE dialogs, void* function, std::string const& name,
                     QUI_FRAME_WND* frame, std::vector<std::string> const& args) {
    int status = 0;
    QWidget* parent = frame;
    switch (signature_of(name)) {
    case SIGNATURE_PARENT:
        reinterpret_cast<void (*)(QWidget*)>(function)(parent);
        break;
    case SIGNATURE_PARENT_NAME_FLAG: {
        std::string chosen;
        bool flag = true;
        int result = reinterpret_cast<int (*)(QWidget*, std::string*, bool*)>(function)(
            parent, &chosen, &flag);
        std::printf("%s returned %d, name \"%s\"\n", name.c_str(), result, chosen.c_str());
        break;
    }
    case SIGNATURE_RETURNS_DIALOG: {
        std::unique_ptr<QDialog> dialog(reinterpret_cast<QDialog* (*)()>(function)());
        if (dialog == nullptr) {
            std::printf("%s returned no dialog\n", name.c_str());
            break;
        }
        int result = dialog->exec();
        std::printf("%s returned the dialog \"%s\", which ended with %d\n", name.c_str(),
                    dialog->windowTitle().toLocal8Bit().constData(), result);
        break;
    }
    case SIGNATURE_PARENT_ARCHIVE: {
        std::string archive = args.empty() ? std::string() : args[0];
        reinterpret_cast<void (*)(QWidget*, std::string const*)>(function)(parent, &archive);
        break;
    }
    case SIGNATURE_HANDOFF: {
        std::string file = args.empty() ? std::string() : args[0];
        std::string password;
        bool include = true;
        bool restricted = args.size() > 1 && args[1] == "restricted";
        bool accepted =
            reinterpret_cast<bool (*)(QWidget*, std::string*, std::string*, bool*, bool)>(function)(
                parent, &file, &password, &include, restricted);
        std::printf("%s returned %d, file \"%s\", design files %s\n", name.c_str(),
                    accepted ? 1 : 0, file.c_str(), include ? "included" : "left out");
        if (accepted) {
            status = write_handoff_archive(dialogs, file, password, include);
        }
        std::fill(password.begin(), password.end(), '\0');
        break;
    }
    case SIGNATURE_FRAME:
        reinterpret_cast<void (*)(QUI_FRAME_WND*)>(function)(frame);
        print_toolbars(frame);
        break;
    case SIGNATURE_PARENT_TEXTS: {
        std::vector<std::string> texts = args;
        reinterpret_cast<void (*)(QWidget*, std::vector<std::string>&)>(function)(parent, texts);
        break;
    }
    case SIGNATURE_NONE:
        reinterpret_cast<void (*)()>(function)();
        break;
    case SIGNATURE_FILE:
        reinterpret_cast<void (*)(std::string const&)>(function)(args.empty() ? std::string()
                                                                              : args[0]);
        break;
    case SIGNATURE_FILE_POINTER: {
        std::string file = args.empty() ? std::string() : args[0];
        reinterpret_cast<void (*)(std::string const*)>(function)(&file);
        break;
    }
    case SIGNATURE_PARENT_INDEX:
        std::printf("%s returned %d\n", name.c_str(),
                    reinterpret_cast<int (*)(QWidget*)>(function)(parent));
        break;
    case SIGNATURE_PARENT_WINDOWS: {
        reinterpret_cast<void (*)(QWidget*, QList<QMdiSubWindow*>)>(function)(
            parent, frame->get_mdi_area()->subWindowList());
        QMdiSubWindow* active = frame->get_mdi_area()->activeSubWindow();
        std::printf("active window: %s\n",
                    active == nullptr ? "none" : active->windowTitle().toLocal8Bit().constData());
        break;
    }
    case SIGNATURE_PARENT_GROUP:
        reinterpret_cast<void (*)(QWidget*, char const*)>(function)(
            parent, args.empty() ? nullptr : args[0].c_str());
        break;
    case SIGNATURE_GENERATE_TCL_FILE: {
        std::string file = args.empty() ? std::string() : args[0];
        bool include_defaults = args.size() > 1 && args[1] == "1";
        int code = reinterpret_cast<int (*)(std::string const&, intptr_t, bool)>(function)(
            file, 0, include_defaults);
        std::printf("%s returned %d\n", name.c_str(), code);
        status = code == 0 ? 0 : 1;
        break;
    }
    case SIGNATURE_PARENT_CHECK: {
        bool result = reinterpret_cast<bool (*)(QWidget*)>(function)(parent);
        std::printf("%s returned %s\n", name.c_str(), result ? "true" : "false");
        break;
    }
    case SIGNATURE_PARENT_TEXT:
        reinterpret_cast<void (*)(QWidget*, std::string const&)>(function)(
            parent, args.empty() ? std::string() : args[0]);
        break;
    case SIGNATURE_PARENT_DIRECTORY: {
        std::string directory;
        reinterpret_cast<void (*)(QWidget*, std::string const&, std::string*)>(function)(
            parent, args.empty() ? std::string() : args[0], &directory);
        std::printf("%s returned directory \"%s\"\n", name.c_str(), directory.c_str());
        break;
    }
    }
    std::fflush(stdout);
    return status;
}

// The options; each takes a value.
std::string const VALUE_OPTIONS[] = {"--project", "--tcl",    "--open", "--screenshot",
                                     "--press",   "--answer", "--arg"};

// A path as the caller meant it: the host changes to the project's folder
// before it uses any, so a relative one is made absolute against the folder it
// was started in. An empty one (a cancelled file dialog) stays empty.
std::string from_caller(std::string const& path) {
    std::error_code error;
    return path.empty() ? path : std::filesystem::absolute(path, error).string();
}

char const USAGE[] =
    "Usage: tsgui [--project <dir or .tpf>] [--tcl <script>] [--open <file>]... [--screenshot "
    "<file.png>] "
    "[--press <button or cell text>]... [--answer <yes|no|path>]... [--arg <text>]... "
    "<entry point>...\n";

// The dialogs plug-in, beside the program.
std::string plugin_path() {
    return gen_get_tessaly_path() + "/libprojdialogs.so";
}

void usage() {
    std::fputs(USAGE, stderr);
}

void print_help() {
    std::fputs(USAGE, stdout);
    std::puts("\n"
              "Opens a main window and calls each entry point of the dialogs plug-in in turn;\n"
              "it stays open until the dialog is closed.\n"
              "\n"
              "  --project <dir or .tpf>  open that project file, or the one in <dir>\n"
              "  --tcl <script>           run the Tcl script in the shared interpreter first\n"
              "  --open <file>            show that file in a window of its own (in turn)\n"
              "  --screenshot <file.png>  save the dialog open once the presses are done\n"
              "  --press <text>           press that button of the dialog then open, tick that\n"
              "                           list item, or double-click that table cell (in turn)\n"
              "  --answer <yes|no|path>   answer the next question or file dialog (in turn)\n"
              "  --arg <text>             an argument of the entry point (in turn)\n"
              "  --help                   print this help\n"
              "\n"
              "Entry points:");
    std::vector<std::string> entry_points = tsgui_list_entry_points(plugin_path());
    for (std::string const& name : entry_points) {
        std::printf("  %s\n", name.c_str());
    }
    if (entry_points.empty()) {
        std::printf("  none: cannot read %s\n", plugin_path().c_str());
    }
}

bool is_value_option(char const* arg) {
    return std::find(std::begin(VALUE_OPTIONS), std::end(VALUE_OPTIONS), arg) !=
           std::end(VALUE_OPTIONS);
}

// Whether help is asked for: the value of an option ("--arg --help") is not.
bool wants_help(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (is_value_option(argv[i])) {
            ++i;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return true;
        }
    }
    return false;
}

bool is_set(char const* variable) {
    char const* value = std::getenv(variable);
    return value != nullptr && value[0] != '\0';
}

// Whether Qt has somewhere to show windows: a display, or a platform chosen
// by the environment or Qt's own -platform option. Without one Qt aborts.
bool has_display(int argc, char** argv) {
    if (is_set("DISPLAY") || is_set("WAYLAND_DISPLAY") || is_set("QT_QPA_PLATFORM")) {
        return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            return true;
        }
    }
    return false;
}

// What a press found in a dialog.
enum PRESS_RESULT {
    PRESSED = 0,
    NOT_FOUND = 1,
    DISABLED = 2, // a button of that text, shown but disabled
};

// Presses, later from the event loop (a press may open a dialog of its own),
// the visible, enabled button of that text in `dialog` (mnemonic marks aside),
// else the cell of exactly that text in one of its tables or lists: a cell with a check box is
// ticked (or cleared) as a click on its box does, any other is made current and double-clicked.
PRESS_RESULT press(QDialog* dialog, QString const& text) {
    bool disabled = false;
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || shown_text(button->text()) != shown_text(text)) {
            continue;
        }
        if (button->isEnabled()) {
            QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
            return PRESSED;
        }
        disabled = true;
    }
    if (disabled) {
        return DISABLED;
    }
    for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>()) {
        QAbstractItemModel* model = view->model();
        QModelIndexList found =
            model == nullptr
                ? QModelIndexList()
                : model->match(model->index(0, 0), Qt::DisplayRole, text, 1,
                               Qt::MatchFixedString | Qt::MatchCaseSensitive | Qt::MatchRecursive);
        if (!view->isVisible() || found.isEmpty()) {
            continue;
        }
        QPersistentModelIndex index = found.front();
        // A cell shows a check box when it has a check state.
        if (index.flags().testFlag(Qt::ItemIsUserCheckable) &&
            index.data(Qt::CheckStateRole).isValid()) {
            QMetaObject::invokeMethod(
                view,
                [view, index]() {
                    bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
                    view->model()->setData(index, checked ? Qt::Unchecked : Qt::Checked,
                                           Qt::CheckStateRole);
                    emit view->clicked(index);
                },
                Qt::QueuedConnection);
        } else {
            QMetaObject::invokeMethod(
                view,
                [view, index]() {
                    view->setCurrentIndex(index);
                    emit view->doubleClicked(index);
                },
                Qt::QueuedConnection);
        }
        return PRESSED;
    }
    return NOT_FOUND;
}

// Drives the modal dialogs of an unattended run: each press, in turn, goes to
// the modal dialog then open; once they are done the dialog then open is saved
// as a picture when asked, and a dialog left with nothing to do is cancelled.
// Sets `failed` when there is nothing to press of a text, or when the picture
// cannot be written.
void drive_modal_dialogs(QString const& screenshot, std::deque<QString> presses, bool* failed) {
    auto* timer = new QTimer(qApp);
    auto shot_pending = std::make_shared<bool>(!screenshot.isEmpty());
    auto queue = std::make_shared<std::deque<QString>>(std::move(presses));
    QObject::connect(timer, &QTimer::timeout, [screenshot, shot_pending, queue, failed]() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        if (!queue->empty()) {
            QString text = queue->front();
            queue->pop_front();
            PRESS_RESULT result = press(dialog, text);
            if (result != PRESSED) {
                std::fprintf(
                    stderr,
                    result == DISABLED ? "tsgui: button %s is disabled in \"%s\"\n"
                                       : "tsgui: no button \"%s\" in \"%s\"\n",
                    (result == DISABLED ? shown_text(text) : text).toLocal8Bit().constData(),
                    dialog->windowTitle().toLocal8Bit().constData());
                *failed = true;
                dialog->done(QDialog::Rejected);
            }
            return;
        }
        if (*shot_pending) {
            *shot_pending = false;
            // As shown, at least as large as its contents ask.
            dialog->resize(dialog->size().expandedTo(dialog->sizeHint()));
            if (!dialog->grab().save(screenshot)) {
                std::fprintf(stderr, "tsgui: cannot write %s\n",
                             screenshot.toLocal8Bit().constData());
                *failed = true;
            }
            return;
        }
        dialog->done(QDialog::Rejected);
    });
    timer->start(200);
}

// The host's project UI manager tells the project manager's open project and
// reopens the project through it, as the suite's host does when another
// revision becomes current.
void install_project_ui_handlers() {
    QUI_PRJ_UI_MGR::get_prj_ui_mgr()->set_project_query(acf_get_open_project);
    QUI_PRJ_UI_MGR::get_prj_ui_mgr()->set_handlers(
        []() {
            ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
            return !manager->is_project_open() || manager->close_project(true);
        },
        [](std::string const& project_file, std::string const& revision) {
            std::filesystem::path file(project_file);
            ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
            int status = manager->open_project(file.parent_path().c_str(), file.stem().c_str(),
                                               revision.c_str(), false, false, true, false, false);
            // An empty revision asks for the project's active one.
            char const* opened =
                manager->is_project_open() ? manager->get_active_revision_name() : nullptr;
            std::printf("tsgui: reopened %s on revision %s (status %d)\n", project_file.c_str(),
                        opened != nullptr ? opened : revision.c_str(), status);
            return status == ACF_REVISION_MANAGER::SUCCESS;
        });
    // This host has no new-project wizard.
    QUI_PRJ_UI_MGR::get_prj_ui_mgr()->set_new_project_handler(
        [] { std::printf("tsgui: this host has no new-project wizard\n"); });
}

bool is_project_file(std::filesystem::path const& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) &&
           (path.extension() == ".tpf" || path.extension() == ".tessaly");
}

// The project that a --project argument names: a project file (the ".tpf"
// may be left out), or a folder holding exactly one project file. False, with
// a line saying why, when it names none.
bool find_project(std::string const& given, std::filesystem::path* folder, std::string* name) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(given, error);
    for (std::filesystem::path const& file :
         {path, std::filesystem::path(path.string() + ".tpf")}) {
        if (is_project_file(file)) {
            *folder = file.parent_path();
            *name = file.stem().string();
            return true;
        }
    }
    if (!std::filesystem::is_directory(path, error)) {
        std::fprintf(stderr, "tsgui: %s is no project file or folder\n", given.c_str());
        return false;
    }
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    std::string reason;
    if (!FIO_FILE_SYSTEM::list_directory(FIO_PATH(path.string()), entries, &reason)) {
        std::fprintf(stderr, "tsgui: cannot read folder %s: %s\n", given.c_str(), reason.c_str());
        return false;
    }
    std::set<std::string> projects;
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        std::filesystem::path file = path / entry.name;
        if (is_project_file(file)) {
            projects.insert(file.stem().string());
        }
    }
    if (projects.size() != 1) {
        std::fprintf(stderr, "tsgui: %s holds %s project file\n", given.c_str(),
                     projects.empty() ? "no" : "more than one");
        return false;
    }
    *folder = path;
    *name = *projects.begin();
    return true;
}

// Opens the project that `given` names (see find_project) with its active
// revision, and makes its folder the current folder as the suite's host does.
// A project that has only its old project file is converted as it opens.
bool open_project(std::string const& given) {
    std::filesystem::path folder;
    std::string project;
    if (!find_project(given, &folder, &project)) {
        return false;
    }
    if (chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "tsgui: cannot enter project directory %s\n", folder.c_str());
        return false;
    }
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    int status =
        manager->open_project(folder.c_str(), project.c_str(), "", true, false, true, false, false);
    if (status != ACF_REVISION_MANAGER::SUCCESS) {
        std::fprintf(stderr, "tsgui: cannot open project %s in %s (status %d)\n", project.c_str(),
                     folder.c_str(), status);
        return false;
    }
    return true;
}

// Shows a file, read only, in a sub-window of the main frame holding a frame
// window of its own.
bool open_file(QUI_FRAME_WND* main_frame, std::string const& path) {
    QFile file(QString::fromLocal8Bit(path.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tsgui: cannot open %s\n", path.c_str());
        return false;
    }
    auto* frame = new QUI_FRAME_WND(QStringLiteral("Text"), false);
    frame->set_file_name(path);
    frame->set_name_text(QFileInfo(file).fileName());
    auto* text = new QPlainTextEdit(QString::fromLocal8Bit(file.readAll()), frame);
    text->setReadOnly(true);
    frame->setCentralWidget(text);
    QMdiSubWindow* window = main_frame->get_mdi_area()->addSubWindow(frame);
    window->setWindowTitle(frame->get_name_text());
    window->show();
    return true;
}

// A new document: an untitled editor window in a sub-window of the main frame.
void install_new_document_handler(QUI_FRAME_WND* main_frame) {
    QUI_FRAME_MGR::get_frame_mgr()->set_new_handler([main_frame](QUI_FRAME_INFO const& info, bool) {
        static int untitled = 0;
        auto* frame = new QUI_FRAME_WND(QStringLiteral("Text"), false);
        frame->set_name_text(
            QStringLiteral("Untitled%1 (%2)")
                .arg(++untitled)
                .arg(QString::fromLocal8Bit(fio_get_file_type_name(info.file_type))));
        frame->setCentralWidget(new QPlainTextEdit(frame));
        QMdiSubWindow* window = main_frame->get_mdi_area()->addSubWindow(frame);
        window->setWindowTitle(frame->get_name_text());
        window->show();
        std::printf("tsgui: new document in %s: %s\n", info.name,
                    frame->get_name_text().toLocal8Bit().constData());
        return true;
    });
}

// Qt's notices about this machine rather than about the run: what the
// window-system plug-in cannot do (offscreen, it passes no size hints, said on
// every dialog shown, and raises no window) and that XDG_RUNTIME_DIR is not set
// (Qt then takes a folder of its own). Every other message of Qt goes where it
// went.
//
// While the application starts, Qt's messages are held back: a fatal one then
// means that no window system answered (a display that cannot be reached, or
// only a Wayland one, which this Qt cannot use), and the host says so in its
// own line and exits 1 instead of aborting with Qt's advice. Once started, the
// held messages go where they would have gone.
QtMessageHandler qt_handler = nullptr;

char const* const NO_DISPLAY = "tsgui: needs a display; run it under xvfb-run, or with "
                               "QT_QPA_PLATFORM=offscreen for no window at all\n";

struct HELD_MESSAGE {
    QtMsgType type;
    std::string file;
    int line;
    std::string function;
    std::string category;
    QString text;
};
bool starting = false;
std::vector<HELD_MESSAGE> held_messages;

void pass_on(QtMsgType type, QMessageLogContext const& context, QString const& text) {
    if (text.startsWith(QLatin1String("This plugin does not support")) ||
        text.contains(QLatin1String("XDG_RUNTIME_DIR"))) {
        return;
    }
    qt_handler(type, context, text);
}

void keep_quiet_about_the_platform() {
    qt_handler = qInstallMessageHandler(
        [](QtMsgType type, QMessageLogContext const& context, QString const& text) {
            if (!starting) {
                pass_on(type, context, text);
            } else if (type == QtFatalMsg) {
                std::fputs(NO_DISPLAY, stderr);
                std::fflush(stdout);
                std::fflush(stderr);
                std::_Exit(1);
            } else {
                auto text_of = [](char const* s) { return std::string(s != nullptr ? s : ""); };
                held_messages.push_back({type, text_of(context.file), context.line,
                                         text_of(context.function), text_of(context.category),
                                         text});
            }
        });
}

// Starts the application (see above).
std::unique_ptr<QApplication> start_application(int& argc, char** argv) {
    starting = true;
    auto app = std::make_unique<QApplication>(argc, argv);
    starting = false;
    for (HELD_MESSAGE const& held : held_messages) {
        QMessageLogContext context(held.file.c_str(), held.line, held.function.c_str(),
                                   held.category.c_str());
        pass_on(held.type, context, held.text);
    }
    held_messages.clear();
    return app;
}

} // namespace

int main(int argc, char** argv) {
    mem_install_gen_callbacks();
    keep_quiet_about_the_platform();
    if (wants_help(argc, argv)) {
        print_help();
        return 0;
    }
    if (!has_display(argc, argv)) {
        std::fputs(NO_DISPLAY, stderr);
        return 1;
    }
    std::unique_ptr<QApplication> app = start_application(argc, argv);
    app->setApplicationName(GEN_PRODUCT_NAME);
    gen_set_is_ui_process(true);
    gen_set_is_qt(true);
    acf_install_msg_suppression_lookup();
    bfu_register_import_commands(atcl_get_interpreter());

    std::string project;
    std::string tcl_script;
    std::vector<std::string> files;
    QString screenshot;
    std::deque<QString> presses;
    bool answered = false;
    std::vector<std::string> entry_points;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::string const option = argv[i];
        if (option.empty() || option[0] != '-') {
            entry_points.push_back(option);
            continue;
        }
        if (!is_value_option(argv[i])) {
            std::fprintf(stderr, "tsgui: unknown option %s; see tsgui --help\n", option.c_str());
            return 1;
        }
        if (i + 1 == argc) {
            std::fprintf(stderr, "tsgui: %s needs a value; see tsgui --help\n", option.c_str());
            return 1;
        }
        std::string const value = argv[++i];
        if (option == "--project") {
            project = value;
        } else if (option == "--tcl") {
            tcl_script = from_caller(value);
        } else if (option == "--open") {
            files.push_back(from_caller(value));
        } else if (option == "--screenshot") {
            screenshot = QString::fromLocal8Bit(from_caller(value).c_str());
        } else if (option == "--press") {
            presses.push_back(QString::fromLocal8Bit(value.c_str()));
        } else if (option == "--answer") {
            answered = true;
            if (value == "yes" || value == "no") {
                msg_queue_answer(value == "yes" ? MSG_ANSWER_YES : MSG_ANSWER_NO);
            } else {
                afcq_queue_file_answer(QString::fromLocal8Bit(from_caller(value).c_str()));
            }
        } else {
            args.push_back(value);
        }
    }
    if (entry_points.empty()) {
        usage();
        return 1;
    }
    if (!project.empty() && !open_project(project)) {
        return 1;
    }
    install_project_ui_handlers();
    if (!tcl_script.empty()) {
        std::string result;
        if (atcl_eval_file(tcl_script, {}, result) != TCL_OK) {
            std::fprintf(stderr, "tsgui: %s failed: %s\n", tcl_script.c_str(), result.c_str());
            return 1;
        }
    }
    // Flows started by number run in process, over the open project.
    QUI_APP application;
    application.set_flow_runner(appflows_run);
    qui_set_app(&application);

    QUI_FRAME_WND window(QStringLiteral("Main"), true);
    qui_set_main_frame_wnd(&window);
    install_new_document_handler(&window);
    window.set_file_name(project.empty() ? GEN_PRODUCT_NAME : project);
    window.setWindowTitle(GEN_PRODUCT_NAME);
    window.resize(800, 600);
    window.show();
    for (std::string const& file : files) {
        if (!open_file(&window, file)) {
            return 1;
        }
    }

    bool unattended = !screenshot.isEmpty() || !presses.empty() || answered;
    bool unattended_failed = false;
    afcq_set_interactive(!unattended);
    if (!unattended) {
        msg_set_question_handler(
            [&window](MSG_YN const& question) { return afcq_ask_question(&window, question); });
    } else {
        drive_modal_dialogs(screenshot, presses, &unattended_failed);
    }

    std::string library = plugin_path();
    THR_DRL_HANDLE handle = thr_drl_load(library.c_str());
    if (handle == nullptr) {
        std::fprintf(stderr, "tsgui: cannot load %s: %s\n", library.c_str(), thr_drl_get_error());
        return 1;
    }
    int status = 0;
    for (std::string const& name : entry_points) {
        void* entry = thr_drl_find_function(handle, name.c_str());
        if (entry == nullptr) {
            std::fprintf(stderr, "tsgui: no entry point %s\n", name.c_str());
            status = 1;
            continue;
        }
        if (call_entry_point(handle, entry, name, &window, args) != 0) {
            status = 1;
        }
    }
    if (unattended_failed) {
        status = 1;
    }
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (manager->is_project_open()) {
        manager->close_project(true);
    }
    return status;
}
