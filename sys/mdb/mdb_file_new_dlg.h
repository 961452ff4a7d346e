// The File > New chooser: a new project, or a new document of one of the
// host's frames, grouped by category; its entry point.
#pragma once

#include "suite/fileio/fio.h"
#include "suite/gui/afcq.h"

#include <memory>

class QTreeWidgetItem;
class Ui_MDB_FILE_NEW_DLG;
struct QUI_FRAME_INFO;

class MDB_FILE_NEW_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_FILE_NEW_DLG(QWidget* parent);
    ~MDB_FILE_NEW_DLG() override;

    // Builds the tree: the new-project row, then one row per category with the
    // document types of the frames that make new documents; the new-project
    // row selected.
    void load_file_list();
    // Adds a document type under a category (types 35 and 36 only with
    // `vwpim_editor`), counts it and keeps the category sorted.
    void add_item(FIO_FILE_TYPE type, int* count, QTreeWidgetItem* parent, bool vwpim_editor);

    bool new_project_chosen() const { return m_new_project; }
    // The frame description chosen by OK; null when none.
    QUI_FRAME_INFO const* get_frame_info() const { return m_frame_info; }

public slots:
    void item_selection_changed();
    void item_double_clicked(QTreeWidgetItem* item);
    void OK_clicked();

private:
    // Whether the current row may be chosen: the new-project row or a row
    // without children.
    bool current_is_choosable() const;

    std::unique_ptr<Ui_MDB_FILE_NEW_DLG> m_form;
    QTreeWidgetItem* m_new_project_item = nullptr;
    bool m_new_project = false;
    QUI_FRAME_INFO const* m_frame_info = nullptr;
};

// Entry point the graphical host finds by name.
extern "C" void mdb_dyn_file_new_dlg(QWidget* parent);
