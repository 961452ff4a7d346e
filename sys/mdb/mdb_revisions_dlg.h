// The Revisions dialog: the open project's revisions in a table (name,
// top-level entity, family, device, timing results, description), with Set
// Current, Delete, Compare..., in-place descriptions and a last row that
// creates a revision. Loading it reads and writes nothing of the project; the
// project file changes only when a new current revision is applied and when a
// revision is created or deleted. The host receives the dialog as an object
// (mdb_dyn_get_revisions_dlg), runs it and deletes it.
#pragma once

#include "suite/gui/afcq.h"

#include <string>

class QPushButton;
class QDialogButtonBox;
class MDB_REV_TREE_MODEL;
class MDB_REV_TREE_VIEW;
struct MDB_REVISION_ROW;

class MDB_REVISIONS_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    MDB_REVISIONS_DLG(QWidget* parent, Qt::WindowFlags flags);
    ~MDB_REVISIONS_DLG() override;

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Empties the table but its last row and loads it again.
    void reload();
    // The height of a description cell by its text: none for one line.
    static QSize description_size_hint(QString const& text);

    MDB_REV_TREE_MODEL* tree_model() const { return m_tree_model; }
    MDB_REV_TREE_VIEW* rev_tree() const { return m_rev_tree; }
    // The row the table holds current; -1 for none.
    int selected_row() const;
    int current_row() const { return m_current_row; }
    QPushButton* current_button() const { return m_current_button; }
    QPushButton* delete_button() const { return m_delete_button; }
    QPushButton* compare_button() const { return m_compare_button; }
    QDialogButtonBox* button_box() const { return m_button_box; }

public slots:
    void accept() override;
    void reject() override;
    void apply_button_clicked();
    void current_button_clicked();
    void create_button_clicked();
    void delete_button_clicked();
    void compare_button_clicked();
    void rev_tree_clicked(QModelIndex const& index);
    void create_new_rev_clicked(QModelIndex const& index);
    void column_resized(int column, int old_size, int new_size);

private:
    void initial_tree_column();
    void insert_create_new_row();
    void load_revision_list();
    void add_row(MDB_REVISION_ROW const& row);
    void update_control();
    // After an action the keyboard focus is in the table again.
    void back_to_table();
    void enable_apply_button(bool enable);
    void set_marker(int row, bool marked);
    // Makes the revision marked current active and tells the host; false,
    // with everything kept, when the project manager refused.
    bool change_revision();
    // Tells the host about a revision this dialog made active itself.
    void tell_host_if_switched();

    MDB_REV_TREE_MODEL* m_tree_model = nullptr;
    MDB_REV_TREE_VIEW* m_rev_tree = nullptr;
    QPushButton* m_current_button = nullptr;
    QPushButton* m_delete_button = nullptr;
    QPushButton* m_compare_button = nullptr;
    QDialogButtonBox* m_button_box = nullptr;
    int m_current_row = -1;
    // The revision marked current in the table, and whether the mark waits
    // for Apply or OK.
    std::string m_marked_revision;
    bool m_changed = false;
    // The active revision at the last load.
    std::string m_current_revision;
    // This dialog made another revision active (create, delete) and the host
    // has not been told yet.
    bool m_switched = false;
};

// The host's entry: a new top-level Revisions dialog, which the host owns.
extern "C" MDB_REVISIONS_DLG* mdb_dyn_get_revisions_dlg();
