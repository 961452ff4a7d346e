// The New Toolbar / Rename Toolbar dialog: asks for a toolbar name, refusing
// a blank one and one that would share its stored name with another toolbar
// of the list or with the list of the user's toolbars.
#pragma once

#include "suite/gui/afcq.h"

#include <QStandardItemModel>

#include <memory>

class Ui_MDB_NR_TOOLBAR_DLG;

class MDB_NR_TOOLBAR_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    // `model` is the toolbar tab's list; its column-0 texts are the names in use.
    MDB_NR_TOOLBAR_DLG(QString const& title, QString const& name, QStandardItemModel* model,
                       QWidget* parent);
    ~MDB_NR_TOOLBAR_DLG() override;

    // The accepted name; empty unless accepted.
    QString const& get_name() const { return m_result; }

public slots:
    void accept() override;

private:
    bool name_taken(QString const& name) const;

    QStandardItemModel* m_model;
    QString m_initial;
    QString m_result;
    std::unique_ptr<Ui_MDB_NR_TOOLBAR_DLG> m_form;
};
