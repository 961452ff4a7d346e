// The EDA Gate Level Simulation dialog: lists the timing models (corners)
// that the shared Tcl interpreter holds in `corner_file_list` and returns the
// index of the one chosen with Run.
#pragma once

#include "suite/gui/afcq.h"

#include <memory>

class Ui_MDB_EDA_GLS_DLG;

class MDB_EDA_GLS_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_EDA_GLS_DLG(QWidget* parent);
    ~MDB_EDA_GLS_DLG() override;

    // Fills the list, then runs the dialog.
    int exec() override;
    // Lists the name (first element) of each element of `corner_file_list`
    // that can be read and is not empty, in list order, the first selected.
    void on_init_dialog();
    // The corner's index chosen with Run; -1 until then, or when the list was
    // empty.
    int get_selected_corner() const { return m_selected_corner; }

public slots:
    void on_run();

private:
    std::unique_ptr<Ui_MDB_EDA_GLS_DLG> m_form;
    int m_selected_corner = -1;
};

// The host's entry point: the index chosen with Run, else -1.
extern "C" int mdb_dyn_eda_gls_dlg(QWidget* parent);
