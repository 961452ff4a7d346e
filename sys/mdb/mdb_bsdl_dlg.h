// The Create Board-Level Boundary-Scan File dialog: asks for the kind of
// boundary-scan description file (pre-configuration, for a device, or
// post-configuration, for the open project's compiled revision), the device
// and the output directory, then starts the suite's flow that writes it.
#pragma once

#include "suite/gui/afcq.h"

#include <QString>

#include <memory>
#include <string>

class MSG_POST;
class Ui_MDB_BSDL_DLG;

class MDB_BSDL_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    // Builds the form and loads the Tcl package "eda_bsd".
    explicit MDB_BSDL_DLG(QWidget* parent);
    ~MDB_BSDL_DLG() override;

    // Fills the fields, then runs the dialog.
    int exec() override;
    // From the settings: post-configuration when the project's boundary-scan
    // operation says so; the project's device (unless "Auto", and only for a
    // family the device pickers offer); the output directory of the
    // board-level boundary-scan tool, when one is chosen.
    void on_init_dialog();

    // The flow's command line for the choices as they stand, with `project`
    // and `revision` the open project's and active revision's names and
    // `project_dir` its directory ("" when no project is open). Each name,
    // device and directory is quoted to reach the flow as one argument.
    std::string command_line(std::string const& project, std::string const& revision,
                             std::string const& project_dir) const;

    // Attaches the lines of `text` (cut at each line feed; a final one gives a
    // last, empty line) to `message` as Tcl output lines: errors with `error`,
    // else information.
    static void add_tcl_str_to_msg(MSG_POST* message, std::string const& text, bool error);

public slots:
    void on_ok();
    void on_pre();
    void on_post();
    void on_select_device();
    void on_select_dir();

private:
    void enable_ok(bool enable);

    std::unique_ptr<Ui_MDB_BSDL_DLG> m_form;
    QString m_device;
    bool m_pre_config = true;
    bool m_post_config = false;
};

extern "C" void mdb_dyn_bsdl_dlg(QWidget* parent);
