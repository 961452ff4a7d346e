#include "sys/mdb/mdb_select_window_dlg.h"

#include "ui_mdb_select_window_dlg.h"

#include "suite/gui/qui_frame_wnd.h"

#include <QMdiSubWindow>

MDB_SELECT_WINDOW_DLG::MDB_SELECT_WINDOW_DLG(QList<QMdiSubWindow*> const& windows, QWidget* parent)
    : AFCQ_DIALOG(parent), m_windows(windows), m_model(new QStandardItemModel(this)),
      m_form(std::make_unique<Ui_MDB_SELECT_WINDOW_DLG>()) {
    m_form->setupUi(this);
    m_form->listView->setModel(m_model);
    if (QUI_FRAME_WND* main_frame = qui_get_main_frame_wnd()) {
        m_frames.append(main_frame);
    }
    for (QMdiSubWindow* window : m_windows) {
        if (auto* frame = qobject_cast<QUI_FRAME_WND*>(window->widget())) {
            m_frames.append(frame);
        }
    }
    for (QUI_FRAME_WND* frame : m_frames) {
        auto* item = new QStandardItem(QString::fromLocal8Bit(frame->get_file_name().c_str()));
        item->setEditable(false);
        m_model->appendRow(item);
    }
    m_form->listView->setCurrentIndex(m_model->index(0, 0));
    connect(m_form->ok, &QPushButton::clicked, this, &MDB_SELECT_WINDOW_DLG::accept);
    connect(m_form->cancel, &QPushButton::clicked, this, &MDB_SELECT_WINDOW_DLG::reject);
}

MDB_SELECT_WINDOW_DLG::~MDB_SELECT_WINDOW_DLG() = default;

void MDB_SELECT_WINDOW_DLG::accept() {
    int row = m_form->listView->currentIndex().row();
    AFCQ_DIALOG::accept();
    if (row >= 0 && row < m_frames.size()) {
        activate(m_frames.at(row));
    }
}

// A frame in a sub-window comes forward through the main frame's MDI area,
// or its own when there is no main frame, unless it stands detached.
void MDB_SELECT_WINDOW_DLG::activate(QUI_FRAME_WND* frame) {
    QUI_FRAME_WND* main_frame = qui_get_main_frame_wnd();
    auto* window = qobject_cast<QMdiSubWindow*>(frame->parentWidget());
    if (frame == main_frame || frame->is_detached() || window == nullptr) {
        frame->activate_widget(frame);
    } else {
        frame->activate_mdi_window(main_frame, window);
    }
}

extern "C" void mdb_dyn_select_window_dlg(QWidget* parent, QList<QMdiSubWindow*> windows) {
    MDB_SELECT_WINDOW_DLG dialog(windows, parent);
    dialog.exec();
}
