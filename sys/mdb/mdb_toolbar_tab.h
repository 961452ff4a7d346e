// The Toolbars tab of the Customize dialog: lists the toolbars of one frame
// window, each with its visibility, and creates, renames, deletes and
// customises them. Edits are held in one record per toolbar and reach the
// frame window and the saved layout only through save().
#pragma once

#include "suite/gui/qui_frame_wnd.h"

#include <QList>
#include <QMap>
#include <QStandardItemModel>
#include <QWidget>

#include <memory>

class Ui_MDB_TOOLBAR_TAB;

// One toolbar as the tab edits it.
struct MDB_BAR {
    AFCQ_TOOL_BAR* m_toolbar = nullptr; // null for a toolbar not yet created
    QString m_name;                     // the title
    QString m_old_name;                 // the title stored in the user's list, to replace
    QList<QAction*> m_actions;          // in toolbar order, separators included
    bool m_changed = false;             // rebuild and store the actions at save
    bool m_deleted = false;             // remove at save
};

// The one separator action of the process, marked a separator.
QAction* mdb_get_separator();

class MDB_TOOLBAR_TAB : public QWidget {
    Q_OBJECT
public:
    MDB_TOOLBAR_TAB(QUI_FRAME_WND* frame, QWidget* parent);
    ~MDB_TOOLBAR_TAB() override;

    // Applies every record to the frame window and the saved layout.
    void save();

    QStandardItemModel* model() const { return m_model; }
    // The record of a row of the list.
    MDB_BAR* bar_of_row(int row) const;
    // "Custom %1", the first number whose name no row carries.
    QString custom_toolbar_name() const;
    void new_button_create(QString const& name);
    void rename_toolbar(QString const& new_name, QString const& old_name);

public slots:
    void list_current_changed(QModelIndex const& current);
    void customize_button();
    void new_button();
    void delete_button();
    void rename_button();

private:
    void create_item(QString const& name, AFCQ_TOOL_BAR* bar, QList<QAction*> const& actions,
                     bool checked);
    bool row_has_text(QString const& text) const;
    void create_new_toolbar(MDB_BAR* bar);
    void update_toolbar(MDB_BAR* bar);
    void remove_custom_toolbar(MDB_BAR* bar);
    void store_custom_toolbar(QString const& name, QString const& old_name);
    // Shows that the preferences were not saved.
    void report_unsaved();

    QUI_FRAME_WND* m_frame;
    QStandardItemModel* m_model;
    QMap<QStandardItem*, MDB_BAR*> m_bars;
    std::unique_ptr<Ui_MDB_TOOLBAR_TAB> m_form;
};

// The action of a status tip: the first number of the catalogue with that
// status tip; AFCQ_NO_ACTION when none has it.
AFCQ_ACTION_ENUM mdb_get_action_enum(QString const& status_tip);
