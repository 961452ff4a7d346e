// The Remove Assignments dialog: the user ticks assignment categories, the
// kinds to remove and, after a successful compilation, the removal of
// obsolete assignments; its entry point then runs the removal engine.
#pragma once

#include "sys/mdb/mdb_ras_engine.h"

#include "suite/gui/afcq.h"

#include <QModelIndex>

#include <memory>
#include <string>

class QStandardItemModel;
class Ui_MDB_RAS_REMOVE_DIALOG;

class MDB_RAS_REMOVE_DIALOG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_RAS_REMOVE_DIALOG(QWidget* parent);
    ~MDB_RAS_REMOVE_DIALOG() override;

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    // Fills the category rows, enables the obsolete box after a successful
    // compilation, disables OK.
    void on_init_dialog();
    // Whether the revision's last compilation succeeded, by its hierarchy file.
    static bool get_last_compilation_successful(std::string const& revision);
    // Runs the engine with the choices (after acceptance).
    void run_remove();
    // Whether OK may be pressed.
    bool check_ok_button_status() const;

    ACF_FILE_CATEGORY_ENUM const* selection() const { return m_selection; }

public slots:
    void on_sel_change_categories(QModelIndex const& index);
    void on_obsolete();
    void on_click_type_ck();
    void on_ok();

private:
    void insert_item(QString const& text);
    void set_row_checked(int row, bool checked);
    void update_ok_button();

    bool m_obsolete = false;
    bool m_all = false;
    // Set while the slot ticks rows itself, so that their changes do not re-enter it.
    bool m_syncing_rows = false;
    bool m_remove_global = true;
    bool m_remove_instance = true;
    QStandardItemModel* m_category_model = nullptr;
    ACF_FILE_CATEGORY_ENUM m_selection[MDB_RAS_SELECTION_SIZE];
    std::unique_ptr<Ui_MDB_RAS_REMOVE_DIALOG> m_form;
};

// Entry point the graphical host finds by name.
extern "C" void mdb_ras_dyn_remove_assignment(QWidget* parent);
