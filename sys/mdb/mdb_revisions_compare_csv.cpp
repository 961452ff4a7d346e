#include "sys/mdb/mdb_revisions_compare_csv.h"

#include "suite/fileio/fio.h"
#include "suite/gui/afcq.h"
#include "sys/mdb/mdb_msgs.h"

#include <QFileInfo>
#include <QStandardItem>

QString mdb_csv_field(QString const& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString mdb_compare_csv_text(AFCQ_TREE_MODEL const* model) {
    QString csv;
    int columns = model->columnCount();
    for (int column = 0; column < columns; ++column) {
        QStandardItem const* header = model->horizontalHeaderItem(column);
        csv += mdb_csv_field(header != nullptr ? header->text() : QString()) + QLatin1Char(',');
    }
    csv += QLatin1Char('\n');
    QStandardItem const* root = model->invisibleRootItem();
    model->for_each_row([&csv, columns, root](QStandardItem const* parent, int row) {
        QStandardItem const* item = parent->child(row);
        if (item == nullptr) {
            return;
        }
        if (parent == root || item->hasChildren()) {
            csv += mdb_csv_field(item->text());
            csv += QLatin1Char('\n');
            return;
        }
        for (int column = 0; column < columns; ++column) {
            QStandardItem const* cell = parent->child(row, column);
            csv += mdb_csv_field(cell != nullptr ? cell->text() : QString());
            csv += QLatin1Char(',');
        }
        csv += QLatin1Char('\n');
    });
    return csv;
}

bool mdb_compare_export_csv(AFCQ_TREE_MODEL const* model, QString const& chosen) {
    QString file = chosen;
    if (QFileInfo(file).suffix().isEmpty()) {
        file += QString::fromStdString(FIO_EXTENSION_TYPE_INFO::get_extension_string(
            fio_get_default_extension_type(FIO_EXTENSION_TYPE_CSV)));
        if (QFileInfo::exists(file)) {
            MSG_YN* question = MSG_MDB::YN::OVERWRITE_FILE(file.toLocal8Bit().constData());
            int answer = question->show();
            delete question;
            if (answer != MSG_ANSWER_YES) {
                return false;
            }
        }
    }
    std::string path = QFileInfo(file).absoluteFilePath().toLocal8Bit().toStdString();
    QByteArray text = mdb_compare_csv_text(model).toLocal8Bit();
    FIO_REWRITE done;
    bool durable = FIO_FILE_SYSTEM::write_file_atomically(
        FIO_PATH(path), std::string(text.constData(), static_cast<size_t>(text.size())), nullptr,
        &done);
    MSG_O* message = durable        ? MSG_MDB::O::COMPARE_REVISION_EXPORT(path.c_str())
                     : done.replaced ? MSG_MDB::O::COMPARE_REVISION_EXPORT_NOT_DURABLE(path.c_str())
                                     : MSG_MDB::O::CANT_CREATE_OR_OVERWRITE_FILE(path.c_str());
    message->show();
    delete message;
    return done.replaced;
}
