// The Instance Name dialog: the part reference name of an ORCAD EXP import.
// It cannot be accepted with an empty name.
#pragma once

#include "suite/gui/afcq.h"

#include <memory>
#include <string>

class Ui_MDB_IMPORT_EXP_ADVANCE_DLG;

class MDB_IMPORT_EXP_ADVANCE_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_IMPORT_EXP_ADVANCE_DLG(QWidget* parent);
    ~MDB_IMPORT_EXP_ADVANCE_DLG() override;

    std::string m_name; // the part reference name

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    // Shows the name; OK only with a name.
    void on_init_dialog();
    void on_update_instance_name();

public slots:
    void on_en_change_name();

private:
    std::unique_ptr<Ui_MDB_IMPORT_EXP_ADVANCE_DLG> m_form;
};
