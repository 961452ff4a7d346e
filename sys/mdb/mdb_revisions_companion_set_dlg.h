// The Set Current Lumiform Companion Revision dialog: offers the revisions of
// the paired family as the active revision's companion and hands the chosen
// name to the host, which records it. Its entry point.
#pragma once

#include "suite/devicedb/dev.h"
#include "suite/gui/afcq.h"

#include <list>
#include <memory>
#include <string>

class Ui_MDB_SET_COMPANION_REVISION_DLG;

class MDB_SET_COMPANION_REVISION_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    MDB_SET_COMPANION_REVISION_DLG(DEV_FAMILY_ENUM family, std::string companion, QWidget* parent);
    ~MDB_SET_COMPANION_REVISION_DLG() override;

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    // Fills the candidates: the revisions of the paired family, the one whose
    // companion is the active revision first. True when there is one.
    bool fill_opposite_family_revision_list();
    // Whether the settings could not be read while filling the candidates.
    bool search_refused() const { return m_search_refused; }
    // Shows the active revision and the candidates, the current companion selected.
    void on_init_dialog();

    std::list<std::string> const& candidates() const { return m_candidates; }
    std::string const& companion_name() const { return m_companion; }

public slots:
    void on_ok();

private:
    DEV_FAMILY_ENUM m_family;
    std::string m_companion;
    std::list<std::string> m_candidates;
    bool m_accepted = false;
    bool m_search_refused = false;
    std::unique_ptr<Ui_MDB_SET_COMPANION_REVISION_DLG> m_form;
};

// Entry point the graphical host finds by name: 1 when the user chose a
// companion (its name in `name`, `flag` set to false), else 0 with both left
// alone.
extern "C" int mdb_dyn_set_companion_revision_dlg(QWidget* parent, std::string* name, bool* flag);
