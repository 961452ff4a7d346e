// Tooltips for the cells of a view that show their text cut: a cell whose
// text does not fit it (elided at its column's width, or lines beyond its
// height) shows the whole text as its tooltip while the pointer rests on it.
// A cell with a tooltip of its own keeps that one.
#pragma once

#include <QObject>

class QAbstractItemView;
class QTreeView;

class MDB_CELL_TIPS : public QObject {
    Q_OBJECT
public:
    // Watches the view's viewport for as long as the view lives.
    explicit MDB_CELL_TIPS(QAbstractItemView* view);

protected:
    bool eventFilter(QObject* viewport, QEvent* event) override;

private:
    QAbstractItemView* m_view;
};

// Fits a column to its contents, but no wider than 48 average characters: a
// longer value is elided (its tooltip shows it whole), so that the other
// columns stay in view.
void mdb_fit_column_capped(QTreeView* view, int column);
