// The Create Revision dialog: the new revision's name, the revision it is
// based on (or none), a description that starts with the date and the base,
// and two choices, "Copy database" and "Set as current revision". It checks
// the name and returns what was chosen; the Revisions dialog creates the
// revision.
#pragma once

#include "suite/gui/afcq.h"

#include <memory>
#include <string>

class Ui_MDB_NEW_REVISIONS_DLG;

class MDB_NEW_REVISIONS_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    // `base`: the revision chosen as base at first.
    MDB_NEW_REVISIONS_DLG(std::string const& base, QWidget* parent);
    ~MDB_NEW_REVISIONS_DLG() override;

    // What was chosen, once accepted.
    std::string new_revision_name() const;
    std::string base_revision() const;
    std::string description() const;
    bool copy_database() const { return m_copy_database; }
    bool set_as_current() const { return m_set_as_current; }
    // False when the project file's revisions could not be read (the form
    // said so): no base is known, and OK stays disabled.
    bool offers_creation() const { return m_offers_creation; }

public slots:
    // Refuses a name with a character a revision name cannot hold, and a
    // name the project lists or whose settings file exists; the dialog stays
    // open with the name selected.
    void accept() override;
    void change_new_rev_name();
    void selection_change(int new_index);

private:
    void update_description();
    void refuse_name();

    std::unique_ptr<Ui_MDB_NEW_REVISIONS_DLG> m_form;
    QString m_new_name;
    QString m_base;
    QString m_previous_base;
    QString m_description;
    bool m_copy_database = true;
    bool m_set_as_current = true;
    bool m_offers_creation = true;
};
