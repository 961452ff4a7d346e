// The Assignment Groups dialog and its entry point: edits the active
// revision's assignment groups (named node sets with exceptions). The groups
// are read when the dialog opens and live in the name combo box (text: the
// name; user data: name, members, exceptions) until OK writes them all back,
// unless they were changed outside the dialog meanwhile.
#pragma once

#include "suite/gui/afcq.h"
#include "sys/mdb/mdb_assignment_groups_settings.h"

#include <QStandardItemModel>
#include <QStringList>

#include <memory>
#include <vector>

class MSG_O;
class QTableView;
class Ui_MDB_TIME_GROUPS_DLG;

class MDB_TIME_GROUPS_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    // Loads the groups; `name` (may be null) is the group to select, added
    // empty when there is no such group.
    MDB_TIME_GROUPS_DLG(QWidget* parent, char const* name);
    ~MDB_TIME_GROUPS_DLG() override;

    // Enables or disables every control but the Create button.
    void enable_everything(bool enable);

    QStringList const& deleted_groups() const { return m_deleted_groups; }

public slots:
    void on_ok();
    void on_selchange_name();
    void on_click_create();
    void on_click_delete();
    void on_click_rename();
    void on_click_members_add();
    void on_click_members_delete();
    void on_click_members_edit();
    void on_click_exceptions_add();
    void on_click_exceptions_delete();
    void on_click_exceptions_edit();
    void on_click_delete_all();
    void update_buttons();
    void on_validate_edit(QStandardItem* item);

private:
    enum { DATA_NAME = 0, DATA_MEMBERS = 1, DATA_EXCEPTIONS = 2 };
    // The current group's list of members or exceptions, and storing it back.
    QStringList current_list(int which) const;
    void set_current_list(int which, QStringList const& list);
    void append_group(QString const& name, QStringList const& members,
                      QStringList const& exceptions);
    void sort_groups();
    void add_names(bool exceptions);
    void delete_selected(QTableView* view, int which);
    static void edit_selected(QTableView* view);
    static void show_notice(MSG_O* message);

    QStringList m_deleted_groups;
    QString m_initial_group;
    // The groups as read on opening; OK writes only while the settings still
    // hold them.
    std::vector<MDB_TIME_GROUP> m_loaded_groups;
    bool m_loaded = false;
    QStandardItemModel* m_member_model;
    QStandardItemModel* m_exception_model;
    std::unique_ptr<Ui_MDB_TIME_GROUPS_DLG> m_form;
};

// Entry point the graphical host finds by name.
extern "C" void mdb_dyn_assignment_groups_dlg(QWidget* parent, char const* name);
