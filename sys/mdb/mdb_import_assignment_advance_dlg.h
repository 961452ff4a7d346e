// The Advanced Import Settings dialog: the import mode, the kinds of
// assignments to import and the import options. Which controls it offers
// depends on the source kind, on whether the project is elaborated and on
// whether the import is a region import. The caller fills the fields, runs it
// and reads the fields back after an accepted run.
#pragma once

#include "sys/mdb/mdb_import_options.h"

#include "suite/gui/afcq.h"

#include <memory>
#include <string>

class Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG;

class MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG(QWidget* parent);
    ~MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG() override;

    // The fields: the mode, the import options (Brackfield update has no
    // control and only counts for OK) and the kinds of assignments, all off
    // until on_init_dialog applies the kind's defaults.
    MDB_IMPORT_OPTIONS m_options;
    // Whether the caller passed earlier choices; without them the dialog
    // starts from its own defaults.
    bool m_options_given = false;
    bool m_region_import = false;
    int m_file_kind = 0; // the source kind (mdb_import_classify)
    bool m_elaborated = true;

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    // Applies the defaults and the enabling rules of the source kind.
    void on_init_dialog();
    // Every control from the fields.
    void update_options();
    // Enabling by mode (nothing for a CSV source).
    void update_radio_button();
    // Enabling of the boxes that depend on instance assignments.
    void update_instance_radio();

public slots:
    void on_ok();
    void on_click_import_option();
    void on_radio_button();
    void on_click_promote_radio();
    void on_click_instance_radio();
    // Every field from its control.
    void get_options();

private:
    // The mode of the checked radio button.
    int mode_of_radio_buttons() const;
    void set_enabled(std::initializer_list<QWidget*> widgets, bool enabled);

    std::unique_ptr<Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG> m_form;
};
