// The group-name dialog of the assignment groups: asks for a group's name
// when a group is created or renamed. OK is enabled only while the name is
// not empty; the caller sets the name and title before exec and reads the
// name after it.
#pragma once

#include "suite/gui/afcq.h"

#include <memory>

class Ui_MDB_CREATE_TIME_GROUP_DLG;

class MDB_CREATE_TIME_GROUP_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_CREATE_TIME_GROUP_DLG(QWidget* parent);
    ~MDB_CREATE_TIME_GROUP_DLG() override;

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    // The title (when not empty) becomes the window title; the name is shown.
    void on_init_dialog();

    QString m_name;
    QString m_title;

public slots:
    void on_change_name();

private:
    void update_name();

    std::unique_ptr<Ui_MDB_CREATE_TIME_GROUP_DLG> m_form;
};
