// The Create/Overwrite Lumiform Companion Revision dialog: the user keeps the
// existing companion (to overwrite it) or names a new one; the name goes to
// the host, which creates or overwrites the revision. Its entry point.
#pragma once

#include "suite/devicedb/dev.h"
#include "suite/gui/afcq.h"

#include <memory>
#include <string>

class Ui_MDB_CREATE_COMPANION_REVISION_DLG;

class MDB_CREATE_COMPANION_REVISION_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    MDB_CREATE_COMPANION_REVISION_DLG(DEV_FAMILY_ENUM family, std::string companion,
                                      QWidget* parent);
    ~MDB_CREATE_COMPANION_REVISION_DLG() override;

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    // Fills the texts and chooses the option: overwrite when the existing
    // companion is a revision of the project, else create new.
    void on_init_dialog();
    // The active revision's name and the proposed companion name.
    void fill_companion_text();

    // The existing companion, or the new name once accepted with "create new".
    std::string const& companion_name() const { return m_companion; }

public slots:
    // The name label and field are enabled exactly while "create new" is checked.
    void enable_disable_create_controls();
    // Checks a new name: empty, the active revision's, illegal characters, or
    // an existing revision (asked) keep the dialog open.
    void on_ok();

private:
    DEV_FAMILY_ENUM m_family;
    std::string m_companion;
    std::unique_ptr<Ui_MDB_CREATE_COMPANION_REVISION_DLG> m_form;
};

// Entry point the graphical host finds by name: 1 when the user accepted (the
// companion name in `name`, `flag` set to false), else 0.
extern "C" int mdb_dyn_create_companion_revision_dlg(QWidget* parent, std::string* name,
                                                     bool* flag);
