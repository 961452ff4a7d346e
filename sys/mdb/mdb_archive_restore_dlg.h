// The Restore Archived Project dialog: an archive and a destination folder;
// restores through the restore flow and opens the restored project.
#pragma once

#include "suite/gui/afcq.h"
#include "suite/gui/afcq_browse.h"

#include <memory>
#include <string>

class Ui_MDB_RESTORE_ARCHIVE_DLG;

class MDB_RESTORE_ARCHIVE_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    // An empty name is replaced by the project's own archive, else the first
    // archive in the project's folder, else left empty.
    MDB_RESTORE_ARCHIVE_DLG(QWidget* parent, QString archive_name);
    ~MDB_RESTORE_ARCHIVE_DLG() override;

    AFCQ_LINE_EDIT_BROWSE_BUTTON* archive_edit() const { return m_archive_edit; }
    AFCQ_LINE_EDIT_BROWSE_BUTTON* destination_edit() const { return m_destination_edit; }
    void update_destination_edit();

public slots:
    void archive_name_changed();
    void destination_name_changed();
    void use_default_dir_changed();
    void accept() override;

private:
    void enable_ok();

    std::unique_ptr<Ui_MDB_RESTORE_ARCHIVE_DLG> m_form;
    AFCQ_LINE_EDIT_BROWSE_BUTTON* m_archive_edit;
    AFCQ_LINE_EDIT_BROWSE_BUTTON* m_destination_edit;
    bool m_use_default_dir = false;
};

// The archive's path completed: the archive extension added when it has
// another, made absolute against the current folder and simplified.
std::string mdb_complete_archive_path(std::string const& name);

// Entry point the graphical host finds by name.
extern "C" void mdb_dyn_restore_archive_dlg(QWidget* parent, std::string const* archive_name);
