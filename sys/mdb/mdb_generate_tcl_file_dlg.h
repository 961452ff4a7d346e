// The Generate Tcl File dialog and its entry points: the user names the Tcl
// script into which the generator writes the open project's assignments, and
// chooses whether default-valued assignments are included and whether the
// script is opened in the host afterwards (both kept in the user preferences
// after a successful run).
#pragma once

#include "suite/fileio/fio.h"
#include "suite/gui/afcq.h"

#include <cstdint>
#include <memory>
#include <string>

class Ui_MDB_GENERATE_TCL_FILE_DLG;

class MDB_GENERATE_TCL_FILE_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_GENERATE_TCL_FILE_DLG(QWidget* parent);
    ~MDB_GENERATE_TCL_FILE_DLG() override;

    // Where the script goes (after OK, where it went).
    FIO_PATH const& output_path() const { return m_output_path; }

public slots:
    void on_ok();
    void on_click_include_default_checkbox();
    void on_click_open_checkbox();
    void on_select_file_dir();
    void on_filename_changed();

private:
    void read_preferences();
    void write_preferences() const;
    void focus_file_name();
    // Puts a path in the name field, widened to show it whole (up to two
    // thirds of the screen).
    void show_file_name(QString const& path);

    QString m_file_name_text;
    bool m_open_generated_file = true;
    bool m_include_default_assignments = false;
    FIO_PATH m_output_path;
    std::unique_ptr<Ui_MDB_GENERATE_TCL_FILE_DLG> m_form;
};

// Entry points the graphical host finds by name. The first shows the dialog;
// the second runs the generator without any user interface and returns its
// code (0 written, 1 no file name, 2 not writable, 3 no project or its
// settings locked); its second argument is not read.
extern "C" void mdb_dyn_start_gtf(QWidget* parent);
extern "C" int mdb_dyn_generate_tcl_file(std::string const& file_name, intptr_t unused,
                                         bool include_defaults);
