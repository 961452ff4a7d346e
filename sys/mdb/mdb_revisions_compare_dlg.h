// The Compare Revisions dialog: the open project's revisions side by side in
// two tabs, "Results" (compilation summaries) and "Assignments" (global
// settings by file category), and the export of the visible tab to CSV. It is
// loaded once, when built; loading reads and writes nothing of the project.
#pragma once

#include "suite/gui/afcq.h"
#include "sys/mdb/mdb_revisions_compare_model.h"

class QTabWidget;
class QPushButton;
class QDialogButtonBox;

class MDB_REV_RESULT_TREE_VIEW : public AFCQ_TREE_VIEW {
    Q_OBJECT
public:
    explicit MDB_REV_RESULT_TREE_VIEW(QWidget* parent);
    ~MDB_REV_RESULT_TREE_VIEW() override;
};

class MDB_REV_ASSIGNMENT_TREE_VIEW : public AFCQ_TREE_VIEW {
    Q_OBJECT
public:
    explicit MDB_REV_ASSIGNMENT_TREE_VIEW(QWidget* parent);
    ~MDB_REV_ASSIGNMENT_TREE_VIEW() override;
};

class MDB_COMPARE_REVISIONS_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    // Tab indexes.
    static constexpr int tab_result_index = 0;
    static constexpr int tab_assignment_index = 1;

    explicit MDB_COMPARE_REVISIONS_DLG(QWidget* parent);
    ~MDB_COMPARE_REVISIONS_DLG() override;

    void resize_column_to_content();

    QTabWidget* tab_widget() const { return m_tab_widget; }
    MDB_COMPARE_REV_TREE_MODEL* result_model() const { return m_result_model; }
    MDB_COMPARE_REV_TREE_MODEL* assignment_model() const { return m_assignment_model; }
    MDB_REV_RESULT_TREE_VIEW* result_view() const { return m_result_view; }
    MDB_REV_ASSIGNMENT_TREE_VIEW* assignment_view() const { return m_assignment_view; }

public slots:
    void accept() override;
    void reject() override;
    // Asks for a file and writes the visible tab's tree to it.
    void export_clicked();
    void set_icon_when_expand_collapse_result(QModelIndex const& index);
    void set_icon_when_expand_collapse_asgn(QModelIndex const& index);

private:
    QTabWidget* m_tab_widget = nullptr;
    MDB_REV_RESULT_TREE_VIEW* m_result_view = nullptr;
    MDB_REV_ASSIGNMENT_TREE_VIEW* m_assignment_view = nullptr;
    MDB_COMPARE_REV_TREE_MODEL* m_result_model = nullptr;
    MDB_COMPARE_REV_TREE_MODEL* m_assignment_model = nullptr;
};
