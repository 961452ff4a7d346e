#include "sys/mdb/mdb_name_list.h"

#include "sys/mdb/mdb.h"

#include <QStandardItemModel>

#include <new>

bool mdb_fill_name_list(QStandardItemModel* model, QStringList const& names) {
    for (QString const& name : names) {
        auto* item = new (std::nothrow) QStandardItem(name);
        if (item == nullptr) {
            MDB_INTERNAL_ERROR("out of memory");
            return false;
        }
        item->setEditable(false);
        model->appendRow(item);
    }
    model->sort(0, Qt::AscendingOrder);
    return true;
}
