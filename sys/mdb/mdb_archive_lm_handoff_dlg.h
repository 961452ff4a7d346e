// The Archive Lumiform Handoff Files dialog: asks for the hand-off archive's
// name, whether design files go in, and for a restricted customer the
// encryption password. Its entry point returns the answers to the host, which
// writes the archive.
#pragma once

#include "suite/gui/afcq.h"

#include <memory>
#include <string>

class Ui_MDB_ARCHIVE_LM_HANDOFF_DLG;

class MDB_ARCHIVE_LM_HANDOFF_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    // An empty name becomes the project's name with "_handoff.tsa".
    MDB_ARCHIVE_LM_HANDOFF_DLG(std::string file_name, QWidget* parent);
    // The name is the project's name with "_lumiform_ii_handoff.tsa".
    explicit MDB_ARCHIVE_LM_HANDOFF_DLG(QWidget* parent);
    ~MDB_ARCHIVE_LM_HANDOFF_DLG() override;

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    void on_init_dialog();
    void set_itar_customer(bool itar_customer) { m_itar_customer = itar_customer; }

    QString const& password() const { return m_password; }
    QString const& file_name() const { return m_file_name; }
    bool include_design_files() const { return m_include_design_files; }

public slots:
    void on_ok();
    void on_file_browse();
    void on_change_password();

private:
    void set_up(QString const& name);

    QString m_password;
    QString m_file_name;
    bool m_include_design_files = true;
    bool m_itar_customer = false;
    std::unique_ptr<Ui_MDB_ARCHIVE_LM_HANDOFF_DLG> m_form;
};

// Entry point the graphical host finds by name: true when the user accepted,
// with the name, the password and the include choice written; false, writing
// nothing, otherwise.
extern "C" bool mdb_dyn_get_archive_password(QWidget* parent, std::string* file_name,
                                             std::string* password, bool* include_design_files,
                                             bool itar_customer);
