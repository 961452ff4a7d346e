// The Customize dialog and its entry point: a Toolbars tab for the frame
// window and, when its MDI area's active sub-window holds a frame window, a
// second one for that frame. OK saves the main tab, then the child's; Cancel
// discards every edit.
#pragma once

#include "sys/mdb/mdb_toolbar_tab.h"

#include "suite/gui/afcq.h"

#include <memory>

class QMdiArea;
class Ui_MDB_CUSTOMIZE_DLG;

class MDB_CUSTOMIZE_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    // The frame window is also the dialog's parent.
    explicit MDB_CUSTOMIZE_DLG(QUI_FRAME_WND* frame);
    ~MDB_CUSTOMIZE_DLG() override;

    MDB_TOOLBAR_TAB* main_tab() const { return m_main_tab; }
    MDB_TOOLBAR_TAB* child_tab() const { return m_child_tab; }

public slots:
    void accept() override;

private:
    void find_mdi(QMdiArea* area);

    MDB_TOOLBAR_TAB* m_main_tab = nullptr;
    MDB_TOOLBAR_TAB* m_child_tab = nullptr;
    std::unique_ptr<Ui_MDB_CUSTOMIZE_DLG> m_form;
};

// Entry point the graphical host finds by name: runs the Customize dialog
// over the frame window.
extern "C" void mdb_dyn_customize_dlg(QUI_FRAME_WND* frame);
