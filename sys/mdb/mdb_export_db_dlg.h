// The Export Database prompt: the directory that receives the
// version-compatible database files; its entry point.
#pragma once

#include "suite/gui/afcq.h"

#include <memory>
#include <string>

class AFCQ_LINE_EDIT_BROWSE_BUTTON;
class Ui_MDB_EXPORT_DB_DLG;

class MDB_EXPORT_DB_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    MDB_EXPORT_DB_DLG(QString const& directory, QWidget* parent);
    ~MDB_EXPORT_DB_DLG() override;

    // With `result` 1 (accepted) puts the directory into `out`; otherwise
    // leaves `out` as it was.
    void get_export_dir(int result, std::string* out) const;

public slots:
    // OK only while the directory is not empty.
    void on_exportDirEdit_textChanged();

private:
    std::unique_ptr<Ui_MDB_EXPORT_DB_DLG> m_form;
    AFCQ_LINE_EDIT_BROWSE_BUTTON* m_export_db_edit = nullptr;
};

// Entry point the graphical host finds by name: `directory` is proposed;
// the one chosen goes into `result` when the user accepts.
extern "C" void mdb_dyn_export_db_dlg(QWidget* parent, std::string const& directory,
                                      std::string* result);
