// The window picker and its entry point: lists the main frame window and the
// frame windows of the given MDI sub-windows by file name; OK brings the
// chosen one to the front.
#pragma once

#include "suite/gui/afcq.h"

#include <QList>
#include <QStandardItemModel>

#include <memory>

class QMdiSubWindow;
class QUI_FRAME_WND;
class Ui_MDB_SELECT_WINDOW_DLG;

class MDB_SELECT_WINDOW_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    MDB_SELECT_WINDOW_DLG(QList<QMdiSubWindow*> const& windows, QWidget* parent);
    ~MDB_SELECT_WINDOW_DLG() override;

    QStandardItemModel* model() const { return m_model; }

public slots:
    void accept() override;

private:
    void activate(QUI_FRAME_WND* frame);

    QList<QMdiSubWindow*> m_windows;
    QStandardItemModel* m_model;
    // The frame of each row, in row order.
    QList<QUI_FRAME_WND*> m_frames;
    std::unique_ptr<Ui_MDB_SELECT_WINDOW_DLG> m_form;
};

// Entry point the graphical host finds by name.
extern "C" void mdb_dyn_select_window_dlg(QWidget* parent, QList<QMdiSubWindow*> windows);
