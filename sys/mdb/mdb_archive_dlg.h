// The Archive Project dialog: names the archive of the open project and runs
// the archive flow on the chosen file subsets.
#pragma once

#include "suite/gui/afcq.h"
#include "suite/gui/afcq_browse.h"
#include "sys/mdb/mdb_archive_advanced_dlg.h"

#include <memory>
#include <string>
#include <vector>

class Ui_MDB_ARCHIVE_DLG;

class MDB_ARCHIVE_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_ARCHIVE_DLG(QWidget* parent);
    ~MDB_ARCHIVE_DLG() override;

    AFCQ_LINE_EDIT_BROWSE_BUTTON* archive_edit() const { return m_archive_edit; }
    std::vector<MDB_ARCHIVE_SUBSET_RECORD> const& subset_records() const {
        return m_subset_records;
    }
    // Takes over an accepted advanced dialog's choice.
    void take_advanced_settings(MDB_ADVANCED_ARCHIVE_DLG const& advanced);

public slots:
    // Escape, the close button and Cancel.
    void reject() override;
    void archive_name_changed();
    void archive_button_clicked();
    void advanced_button_clicked();

private:
    static std::string file_list_path();
    void run_archive_flow(std::string const& archive);

    std::unique_ptr<Ui_MDB_ARCHIVE_DLG> m_form;
    AFCQ_LINE_EDIT_BROWSE_BUTTON* m_archive_edit;
    bool m_use_advanced = false;
    bool m_custom_file_set = false;
    bool m_export_database = false;
    std::vector<MDB_ARCHIVE_SUBSET_RECORD> m_subset_records;
    std::string m_file_set_id;
};

// The three outcomes the dialog reports.
extern char const* const MDB_ARCHIVE_SUCCEEDED_TEXT;
extern char const* const MDB_ARCHIVE_PARTLY_TEXT;
extern char const* const MDB_ARCHIVE_FAILED_TEXT;

// Entry point the graphical host finds by name.
extern "C" void mdb_dyn_archive_dlg(QWidget* parent);
