// The Import Assignments dialog: imports assignments into the active revision
// from a file the user names (another settings file, an older entity settings
// file, a CSV file through the import engine; a Varnett II, FPGA Xchange,
// Synplify SDC or ORCAD EXP file through the suite's Tcl import commands), or
// from the Brackfield regions the host passes. The revision's settings file
// is copied to "<file>.bak" first unless the user turned that off.
#pragma once

#include "sys/mdb/mdb_import_options.h"

#include "suite/gui/afcq.h"

#include <memory>
#include <string>
#include <vector>

class MSG_O;
class Ui_MDB_IMPORT_ASSIGNMENT_DLG;

class MDB_IMPORT_ASSIGNMENT_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_IMPORT_ASSIGNMENT_DLG(QWidget* parent);
    ~MDB_IMPORT_ASSIGNMENT_DLG() override;

    // Imports from these regions of an elaborated project instead of a file.
    void set_region_name(std::vector<std::string> const& region_names);

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    // Reads the revision's settings-file path and whether the project is
    // elaborated, then sets the controls and the defaults.
    void on_init_dialog();
    // Enables the controls for the file mode and the source kind.
    void update_button_status();
    // The options the source kind starts with.
    void reset_default_value();
    // Evaluates a Tcl command given as words in the shared interpreter; 0
    // when it succeeded with an empty result, else 1. `result` receives the
    // interpreter's result.
    int import_tcl_proc(std::vector<std::string> const& command, std::string* result);

    // What the dialog holds, for the host's tests.
    MDB_IMPORT_OPTIONS const& options() const { return m_options; }
    MDB_IMPORT_SOURCE const& source() const { return m_source; }
    bool is_file_mode() const { return m_file_mode; }
    bool is_elaborated() const { return m_elaborated; }
    bool get_device_import() const { return m_device_import; }
    ACF_FILE_CATEGORY_ENUM const* category_table() const { return m_category_table; }
    std::string const& backup_path() const { return m_backup_path; }

public slots:
    void on_ok();
    void on_click_category_button();
    void on_click_advance_button();
    void on_change_file_name();
    void on_browse();
    void on_copy_cb_change();

private:
    // The four Tcl imports; each shows its own outcome.
    void acf_file_on_ok(std::string const& path);
    void sdc_file_on_ok(std::string const& path);
    void fx_file_on_ok(std::string const& path);
    void exp_file_on_ok(std::string const& path);
    // Runs a Tcl import command whose second word is the file and shows its
    // outcome: `success`, `not_synplify` (when given) for the result "2", else
    // `failure`. A file that is gone is named and the box emptied instead.
    using MSG_FACTORY = MSG_O* (*)(char const*);
    void run_tcl_import(std::vector<std::string> const& command, MSG_FACTORY success,
                        MSG_FACTORY failure, MSG_FACTORY not_synplify = nullptr);
    // Refuses the typed name with `message` and leaves the dialog open.
    void refuse_file_name(MSG_O* message);
    void import_through_engine(std::string const& path);

    bool m_file_mode = true;
    bool m_backup = true;
    std::string m_file_name;
    MDB_IMPORT_SOURCE m_source;
    MDB_IMPORT_OPTIONS m_options;
    bool m_options_given = false;
    ACF_FILE_CATEGORY_ENUM m_category_table[MDB_IMPORT_CATEGORY_TABLE_SIZE];
    std::string m_settings_path;
    std::string m_backup_path;
    std::string m_varnett2_options;
    std::vector<std::string> m_region_names;
    bool m_region_mode = false;
    bool m_elaborated = false;
    bool m_device_import = true;
    std::string m_part_reference_name;
    std::unique_ptr<Ui_MDB_IMPORT_ASSIGNMENT_DLG> m_form;
};

// Entry points the graphical host finds by name: the dialog, and the dialog
// for the Brackfield regions of an elaborated project (an empty list gives
// the ordinary dialog).
extern "C" void mdb_dyn_import_assignment_dlg(QWidget* parent);
extern "C" void mdb_dyn_import_assignment_dlg_for_bf(QWidget* parent,
                                                     std::vector<std::string>& region_names);
