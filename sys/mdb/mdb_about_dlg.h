// The About box: the product, its version and service pack, and the legal
// texts, all from the suite's version and general libraries; its entry point.
#pragma once

#include "suite/gui/afcq.h"

#include <memory>
#include <string>

class Ui_MDB_ABOUT_DLG;

class MDB_ABOUT_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    // `text` follows "About " in the title.
    MDB_ABOUT_DLG(QString const& text, QWidget* parent);
    ~MDB_ABOUT_DLG() override;

    // "Service Pack Installed: " and the service pack, or "None" without one.
    static QString get_service_pack_label(QString const& service_pack);

private:
    std::unique_ptr<Ui_MDB_ABOUT_DLG> m_form;
};

// Entry point the graphical host finds by name.
extern "C" void mdb_dyn_about_dlg(QWidget* parent, std::string const& text);
