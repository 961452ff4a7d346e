#include "sys/mdb/mdb_customize_dlg.h"

#include "sys/mdb/mdb.h"
#include "ui_mdb_customize_dlg.h"

#include <QMdiArea>
#include <QMdiSubWindow>

MDB_CUSTOMIZE_DLG::MDB_CUSTOMIZE_DLG(QUI_FRAME_WND* frame)
    : AFCQ_DIALOG(frame), m_form(std::make_unique<Ui_MDB_CUSTOMIZE_DLG>()) {
    if (frame == nullptr) {
        MDB_INTERNAL_ERROR("no frame window");
        return;
    }
    m_form->setupUi(this);
    m_main_tab = new MDB_TOOLBAR_TAB(frame, m_form->tabWidget);
    m_form->tabWidget->addTab(m_main_tab, QStringLiteral("Toolbars"));
    find_mdi(frame->get_mdi_area());
    connect(m_form->buttonBox, &QDialogButtonBox::accepted, this, &MDB_CUSTOMIZE_DLG::accept);
    connect(m_form->buttonBox, &QDialogButtonBox::rejected, this, &MDB_CUSTOMIZE_DLG::reject);
}

MDB_CUSTOMIZE_DLG::~MDB_CUSTOMIZE_DLG() = default;

void MDB_CUSTOMIZE_DLG::find_mdi(QMdiArea* area) {
    QMdiSubWindow* active = area != nullptr ? area->activeSubWindow() : nullptr;
    auto* child = active != nullptr ? qobject_cast<QUI_FRAME_WND*>(active->widget()) : nullptr;
    if (child != nullptr) {
        m_child_tab = new MDB_TOOLBAR_TAB(child, m_form->tabWidget);
        m_form->tabWidget->addTab(m_child_tab, child->get_name_text());
    }
}

void MDB_CUSTOMIZE_DLG::accept() {
    AFCQ_DIALOG::accept();
    m_main_tab->save();
    if (m_child_tab != nullptr) {
        m_child_tab->save();
    }
}

extern "C" void mdb_dyn_customize_dlg(QUI_FRAME_WND* frame) {
    MDB_CUSTOMIZE_DLG dialog(frame);
    dialog.exec();
}
