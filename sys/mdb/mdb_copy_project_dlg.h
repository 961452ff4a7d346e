// The Copy Project dialog: where to copy the open project, under which name,
// and whether to open the copy; its entry point makes the copy.
#pragma once

#include "suite/gui/afcq.h"

#include <QString>

#include <memory>

class Ui_MDB_COPY_PROJECT_DLG;

class MDB_COPY_PROJECT_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_COPY_PROJECT_DLG(QWidget* parent);
    ~MDB_COPY_PROJECT_DLG() override;

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    // Proposes the project's name and its directory with "_copy" added.
    void on_init_dialog();

    QString const& get_destination() const { return m_destination; }
    QString const& get_project_name() const { return m_project_name; }
    bool get_open_new() const { return m_open_new; }
    // Whether the user agreed that files of a project in the destination may
    // be replaced.
    bool get_overwrite() const { return m_overwrite; }

public slots:
    void on_change_prj_name_entry();
    void on_change_dest_entry();
    // Refuses an illegal name; asks before creating the destination and before
    // copying over a project there. Only Yes goes on.
    void on_ok();
    void on_open_new_ck();
    void on_browse_dir();

private:
    void update_ok_button();

    std::unique_ptr<Ui_MDB_COPY_PROJECT_DLG> m_form;
    bool m_open_new = true;
    bool m_overwrite = false;
    QString m_destination;
    QString m_project_name;
};

// Entry point the graphical host finds by name.
extern "C" void mdb_dyn_copy_project_dlg(QWidget* parent);
