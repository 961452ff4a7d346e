#include "sys/mdb/mdb_cell_tips.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QTreeView>

#include <algorithm>

void mdb_fit_column_capped(QTreeView* view, int column) {
    int const widest = 48 * view->fontMetrics().averageCharWidth();
    view->resizeColumnToContents(column);
    view->setColumnWidth(column, std::min(view->columnWidth(column), widest));
}

MDB_CELL_TIPS::MDB_CELL_TIPS(QAbstractItemView* view) : QObject(view), m_view(view) {
    view->viewport()->installEventFilter(this);
}

bool MDB_CELL_TIPS::eventFilter(QObject*, QEvent* event) {
    // The viewport also sees events while the view is being destroyed; only
    // a tooltip request, never sent then, looks at the view.
    if (event->type() != QEvent::ToolTip) {
        return false;
    }
    auto* help = static_cast<QHelpEvent*>(event);
    QModelIndex index = m_view->indexAt(help->pos());
    if (!index.isValid() || index.data(Qt::ToolTipRole).isValid()) {
        return false;
    }
    QRect shown = m_view->visualRect(index);
    QSize wanted = m_view->sizeHintForIndex(index);
    if (wanted.width() <= shown.width() && wanted.height() <= shown.height()) {
        return false;
    }
    QToolTip::showText(help->globalPos(), index.data(Qt::DisplayRole).toString(),
                       m_view->viewport(), shown);
    return true;
}
