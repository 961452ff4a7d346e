// The revision table of the revisions dialog: its view, its model and the
// in-place editor of the description cells, which records an edited
// description in the project as soon as the edit is committed.
#pragma once

#include "suite/gui/afcq.h"

#include <QItemDelegate>
#include <QPointer>
#include <QTextEdit>

class REV_ITEM_DELEGATE_EDIT : public QItemDelegate {
    Q_OBJECT
public:
    explicit REV_ITEM_DELEGATE_EDIT(QObject* parent);
    ~REV_ITEM_DELEGATE_EDIT() override;

    // A multi-line editor as wide as the description column and
    // DESC_COLUMN_HEIGHT high; null for an invalid index.
    QWidget* createEditor(QWidget* parent, QStyleOptionViewItem const& option,
                          QModelIndex const& index) const override;
    void setEditorData(QWidget* editor, QModelIndex const& index) const override;
    // Puts the editor's text into the cell and records it as the description
    // of the row's revision; a failed write shows a notice and the cell keeps
    // the text.
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      QModelIndex const& index) const override;

    // The editor open now, or null.
    QTextEdit* open_editor() const { return m_open_editor; }

private:
    mutable QPointer<QTextEdit> m_open_editor;
};

class MDB_REV_TREE_VIEW : public AFCQ_TREE_VIEW {
    Q_OBJECT
public:
    explicit MDB_REV_TREE_VIEW(QWidget* parent);
    ~MDB_REV_TREE_VIEW() override;

    // Commits and closes an open description editor; nothing when none is open.
    void commit_open_editor();

private:
    REV_ITEM_DELEGATE_EDIT* m_delegate = nullptr;
};

class MDB_REV_TREE_MODEL : public AFCQ_TREE_MODEL {
    Q_OBJECT
public:
    explicit MDB_REV_TREE_MODEL(QObject* parent);
    ~MDB_REV_TREE_MODEL() override;
};
