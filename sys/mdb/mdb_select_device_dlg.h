// The device picker: a family from the installed families the picker offers,
// then one of that family's parts. The boundary-scan dialog runs it and reads
// the chosen device after an accepted run.
#pragma once

#include "suite/gui/afcq.h"

#include <QString>

#include <memory>

class QStandardItemModel;
class Ui_MDB_SELECT_DEVICE_DLG;

class MDB_SELECT_DEVICE_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_SELECT_DEVICE_DLG(QWidget* parent);
    ~MDB_SELECT_DEVICE_DLG() override;

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    // Fills the family list, sorted, its first entry current, and the device
    // list for it.
    void on_init_dialog();

    // The device chosen by OK; empty until then, and when no device was current.
    QString const& get_selected_device() const { return m_device; }

public slots:
    void on_ok();
    // Refills the device list for the family shown, sorted, the first current.
    void on_family_select();

private:
    std::unique_ptr<Ui_MDB_SELECT_DEVICE_DLG> m_form;
    QStandardItemModel* m_model = nullptr;
    QString m_device;
};
