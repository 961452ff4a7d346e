// The Customize Toolbar dialog: edits the action list of one toolbar record,
// offering the frame window's actions by category beside the toolbar's
// current actions. OK writes the list into the record; the toolbar itself
// changes only when the Customize dialog is accepted.
#pragma once

#include "sys/mdb/mdb_toolbar_tab.h"

#include "suite/gui/afcq.h"

#include <QIcon>
#include <QStandardItemModel>

#include <memory>

class Ui_MDB_CUSTOMIZE_TOOLBAR_DLG;

class MDB_CUSTOMIZE_TOOLBAR_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    MDB_CUSTOMIZE_TOOLBAR_DLG(MDB_BAR* bar, QUI_FRAME_WND* frame, QWidget* parent);
    ~MDB_CUSTOMIZE_TOOLBAR_DLG() override;

    QList<QAction*> const& current_actions() const { return m_current_actions; }
    QList<QAction*> const& available_actions() const { return m_available_actions; }

public slots:
    void accept() override;
    void current_changed(QModelIndex const& current);
    void remove_button();
    void up_button();
    void down_button();
    void add_button();
    void restore_defaults_button();
    void category_current_index_changed(int index);

private:
    void fill_list(QList<QAction*> const& actions, QStandardItemModel* model);
    QList<QAction*> get_actions(QStringList const& names) const;
    QList<QAction*> get_available_actions(int category_index) const;
    void updown1(int from, int to);

    MDB_BAR* m_bar;
    QUI_FRAME_WND* m_frame;
    bool m_modified = false;
    QList<QAction*> m_current_actions;
    QList<QAction*> m_available_actions;
    QIcon m_default_icon;
    QStandardItemModel* m_available_model;
    QStandardItemModel* m_current_model;
    std::unique_ptr<Ui_MDB_CUSTOMIZE_TOOLBAR_DLG> m_form;
};

// Depth first through the actions and their menus: the first action whose
// status tip is the text; null when none has it.
QAction* mdb_get_action(QString const& status_tip, QList<QAction*> const& actions);
