// A small program that does one dialog action on a project as the graphical
// host does it (a user-interface process, whose every write unlock commits),
// so that a test can run it with a preloaded library making a disk fault or
// a kill at one call of the action.
//
//   mdb_commit_driver <project folder> <project> <action> [<argument>...]
//
// Actions: "open" (opens and closes the project), "import <file>" (Import
// Assignments, with the backup it makes by default), "remove-pins" (Remove Assignments of the
// pin category with instances), "create <name> <base>" (Create Revision, the
// name and the base chosen in its form), "delete <name>" (Delete Revision),
// "copy <destination> <new name> [overwrite]" (Copy Project by the engine the
// dialog runs, the current project left open; "overwrite" as when the user
// agreed to copy over a project there), "groups add <group> <member>",
// "groups delete <group>" and "groups delete-all" (Assignment Groups: a group
// made with one member, or groups deleted together with the assignments that
// name them, then OK). The project is opened before the fault
// is armed: FAULT_ARM_CALL becomes the library's FAULT_CALL only then. Exit
// status: 0 when the action was done, 1 when it reported a failure, 2 when
// the project did not open.
#include "acf_manager.h"
#include "suite/general/gen.h"
#include "suite/messages/msg.h"
#include "sys/mdb/mdb_assignment_groups_dlg.h"
#include "sys/mdb/mdb_copy_project.h"
#include "sys/mdb/mdb_import_assignment_dlg.h"
#include "sys/mdb/mdb_ras_engine.h"
#include "sys/mdb/mdb_revisions_engine.h"
#include "sys/mdb/mdb_revisions_new_dlg.h"
#include "tests/sys/mdb/mdb_when_shown.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

bool import(std::string const& source) {
    MDB_IMPORT_ASSIGNMENT_DLG dialog(nullptr);
    dialog.on_init_dialog();
    dialog.findChild<QLineEdit*>("filename_text")->setText(QString::fromLocal8Bit(source.c_str()));
    dialog.on_ok();
    return dialog.result() == QDialog::Accepted;
}

bool remove_pins() {
    // The pin row (2) holds its file category (row - 1).
    std::vector<ACF_FILE_CATEGORY_ENUM> selection(MDB_RAS_SELECTION_SIZE, ACF_FILE_CATEGORY_NONE);
    selection[2] = static_cast<ACF_FILE_CATEGORY_ENUM>(1);
    return MDB_RAS_ENGINE().remove_assignment_one_file_mode(selection.data(), true, true);
}

// The form is opened on the base as the Revisions dialog opens it on the
// current revision; its OK checks the name, and the revision is created from
// what the form gives.
bool create(std::string const& name, std::string const& base) {
    MDB_NEW_REVISIONS_DLG form(base, nullptr);
    form.findChild<QLineEdit*>("lineEdit")->setText(QString::fromLocal8Bit(name.c_str()));
    QPushButton* ok = form.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok);
    if (!ok->isEnabled()) {
        return false;
    }
    ok->click();
    return form.result() == QDialog::Accepted &&
           mdb_create_revision({form.new_revision_name(), form.base_revision(), form.description(),
                                false}) == ACF_REVISION_MANAGER::SUCCESS;
}

// Types `text` into the next modal dialog (a group's name, or the names
// added to it) and presses its OK.
void answer_next_dialog(QString const& text) {
    when_shown([text](QDialog* dialog) {
        dialog->findChild<QLineEdit*>("name_text")->setText(text);
        dialog->findChild<QDialogButtonBox*>("button_box")->button(QDialogButtonBox::Ok)->click();
    });
}

// Assignment Groups: the edit by its buttons, then OK; done when the dialog
// closed.
bool groups(std::vector<std::string> const& edit) {
    MDB_TIME_GROUPS_DLG dialog(nullptr, nullptr);
    auto q = [](std::string const& text) { return QString::fromLocal8Bit(text.c_str()); };
    if (edit[0] == "add" && edit.size() == 3) {
        answer_next_dialog(q(edit[1]));
        dialog.on_click_create();
        answer_next_dialog(q(edit[2]));
        dialog.on_click_members_add();
    } else if (edit[0] == "delete" && edit.size() == 2) {
        auto* names = dialog.findChild<QComboBox*>("name_combo_box");
        names->setCurrentIndex(names->findText(q(edit[1])));
        msg_queue_answer(MSG_ANSWER_YES);
        msg_queue_answer(MSG_ANSWER_YES); // and the assignments that name it
        dialog.on_click_delete();
    } else if (edit[0] == "delete-all" && edit.size() == 1) {
        msg_queue_answer(MSG_ANSWER_YES);
        msg_queue_answer(MSG_ANSWER_YES);
        dialog.on_click_delete_all();
    } else {
        std::fprintf(stderr, "mdb_commit_driver: unknown groups edit %s\n", edit[0].c_str());
        std::exit(2);
    }
    dialog.on_ok();
    return dialog.result() == QDialog::Accepted;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: mdb_commit_driver <project folder> <project> <action> [<argument>...]\n",
                   stderr);
        return 2;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    QApplication app(argc, argv);
    gen_set_is_ui_process(true);
    gen_set_is_qt(true);
    if (chdir(args[0].c_str()) != 0) {
        return 2;
    }
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (manager->open_project(args[0].c_str(), args[1].c_str(), "", false, false, true, false,
                              false) != ACF_REVISION_MANAGER::SUCCESS) {
        return 2;
    }
    if (char const* call = std::getenv("FAULT_ARM_CALL")) {
        setenv("FAULT_CALL", call, 1);
    }
    std::string const& action = args[2];
    bool done = true;
    if (action == "import" && args.size() == 4) {
        done = import(args[3]);
    } else if (action == "remove-pins") {
        done = remove_pins();
    } else if (action == "create" && args.size() == 5) {
        done = create(args[3], args[4]);
    } else if (action == "delete" && args.size() == 4) {
        done = mdb_delete_revision(args[3]) == ACF_REVISION_MANAGER::SUCCESS;
    } else if (action == "copy" && (args.size() == 5 || args.size() == 6)) {
        done =
            mdb_copy_project({args[3], args[4], false, args.size() == 6 && args[5] == "overwrite"});
    } else if (action == "groups" && args.size() >= 4) {
        done = groups({args.begin() + 3, args.end()});
    } else if (action != "open") {
        std::fprintf(stderr, "mdb_commit_driver: unknown action %s\n", action.c_str());
        return 2;
    }
    unsetenv("FAULT_CALL");
    manager->close_project(false);
    std::fflush(stdout);
    return done ? 0 : 1;
}
