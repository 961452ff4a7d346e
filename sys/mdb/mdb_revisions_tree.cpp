#include "sys/mdb/mdb_revisions_tree.h"

#include "suite/messages/msg.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_revisions_engine.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTextEdit>

REV_ITEM_DELEGATE_EDIT::REV_ITEM_DELEGATE_EDIT(QObject* parent) : QItemDelegate(parent) {}
REV_ITEM_DELEGATE_EDIT::~REV_ITEM_DELEGATE_EDIT() = default;

QWidget* REV_ITEM_DELEGATE_EDIT::createEditor(QWidget* parent, QStyleOptionViewItem const&,
                                              QModelIndex const& index) const {
    if (!index.isValid()) {
        return nullptr;
    }
    auto* editor = new QTextEdit(parent);
    editor->setAcceptRichText(false);
    editor->setMinimumSize(DESC_COLUMN_WIDTH, DESC_COLUMN_HEIGHT);
    editor->setMaximumSize(DESC_COLUMN_WIDTH, DESC_COLUMN_HEIGHT);
    m_open_editor = editor;
    return editor;
}

void REV_ITEM_DELEGATE_EDIT::setEditorData(QWidget* editor, QModelIndex const& index) const {
    auto* text_edit = qobject_cast<QTextEdit*>(editor);
    if (text_edit == nullptr) {
        MDB_INTERNAL_ERROR("text_edit != NULL");
        return;
    }
    if (index.model() == nullptr) {
        MDB_INTERNAL_ERROR("std_model != NULL");
        return;
    }
    // Plain text: a description is never read as markup.
    text_edit->setPlainText(index.data(Qt::DisplayRole).toString());
}

void REV_ITEM_DELEGATE_EDIT::setModelData(QWidget* editor, QAbstractItemModel* model,
                                          QModelIndex const& index) const {
    auto* text_edit = qobject_cast<QTextEdit*>(editor);
    auto* std_model = qobject_cast<QStandardItemModel*>(model);
    if (text_edit == nullptr) {
        MDB_INTERNAL_ERROR("text_edit != NULL");
        return;
    }
    if (std_model == nullptr) {
        MDB_INTERNAL_ERROR("std_model != NULL");
        return;
    }
    QString text = text_edit->toPlainText();
    std_model->setData(index, text, Qt::DisplayRole);
    QString revision = std_model->index(index.row(), REVISION_NAME_COL).data().toString();
    mdb_set_revision_description(revision.toLocal8Bit().toStdString(),
                                 text.toLocal8Bit().toStdString());
}

MDB_REV_TREE_VIEW::MDB_REV_TREE_VIEW(QWidget* parent) : AFCQ_TREE_VIEW(parent, 0) {
    set_style(1);
    setWordWrap(true);
    setUniformRowHeights(false);
    setTextElideMode(Qt::ElideNone);
    header()->setStretchLastSection(true);
    header()->setSectionsMovable(false);
    setRootIsDecorated(false);
    m_delegate = new REV_ITEM_DELEGATE_EDIT(this);
    setItemDelegateForColumn(DESC_COL, m_delegate);
}

MDB_REV_TREE_VIEW::~MDB_REV_TREE_VIEW() = default;

void MDB_REV_TREE_VIEW::commit_open_editor() {
    QTextEdit* editor = m_delegate->open_editor();
    if (editor != nullptr && state() == QAbstractItemView::EditingState) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

MDB_REV_TREE_MODEL::MDB_REV_TREE_MODEL(QObject* parent) : AFCQ_TREE_MODEL(parent) {}
MDB_REV_TREE_MODEL::~MDB_REV_TREE_MODEL() = default;
