#include "suite/gui/afcq_browse.h"

#include "suite/gui/afcq.h"

#include <QDir>
#include <QHBoxLayout>
#include <QToolButton>

namespace {
// Document types with the extension type of their files.
struct TYPE_ROW {
    FIO_FILE_TYPE type;
    int extension;
};
TYPE_ROW const type_rows[] = {
    {FIO_FILE_TYPE_VHDL, FIO_EXTENSION_TYPE_VHDL},
    {FIO_FILE_TYPE_VERILOG, FIO_EXTENSION_TYPE_VERILOG},
    {FIO_FILE_TYPE_ARCHIVE, FIO_EXTENSION_TYPE_ARCHIVE},
    {FIO_FILE_TYPE_SDC, FIO_EXTENSION_TYPE_SDC},
    {FIO_FILE_TYPE_TSF, FIO_EXTENSION_TYPE_TSF},
    {FIO_FILE_TYPE_VARNETT2, FIO_EXTENSION_TYPE_VARNETT2},
    {FIO_FILE_TYPE_ESF, FIO_EXTENSION_TYPE_ESF},
    {FIO_FILE_TYPE_CSV, FIO_EXTENSION_TYPE_CSV},
    {FIO_FILE_TYPE_TCSV, FIO_EXTENSION_TYPE_TCSV},
    {FIO_FILE_TYPE_TCL, FIO_EXTENSION_TYPE_TCL},
};
} // namespace

QString afcq_create_filter(QString const& title, std::vector<FIO_FILE_TYPE> const& types) {
    QStringList patterns;
    for (FIO_FILE_TYPE type : types) {
        for (TYPE_ROW const& row : type_rows) {
            if (row.type == type) {
                patterns << "*" + QString::fromStdString(
                                      FIO_EXTENSION_TYPE_INFO::get_extension_string(row.extension));
            }
        }
    }
    return title + " (" + patterns.join(' ') + ")";
}

AFCQ_LINE_EDIT_BROWSE_BUTTON::AFCQ_LINE_EDIT_BROWSE_BUTTON(QWidget* parent)
    : QWidget(parent), m_edit(new QLineEdit(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new QToolButton(this);
    button->setText("...");
    layout->addWidget(m_edit, 1);
    layout->addWidget(button, 0);
    connect(m_edit, &QLineEdit::textChanged, this, &AFCQ_LINE_EDIT_BROWSE_BUTTON::textChanged);
    connect(button, &QToolButton::clicked, this, &AFCQ_LINE_EDIT_BROWSE_BUTTON::on_browse);
}

void AFCQ_LINE_EDIT_BROWSE_BUTTON::on_browse() {
    QString caption = !m_caption.isEmpty()               ? m_caption
                      : m_mode == QFileDialog::Directory ? QStringLiteral("Select Folder")
                                                         : QStringLiteral("Open");
    AFCQ_NATIVE_FILE_DLG dialog(this, caption, QDir::currentPath(), m_filter);
    dialog.set_file_mode(m_mode);
    if (dialog.exec() == 1 && !dialog.selected_files().isEmpty()) {
        m_edit->setText(dialog.selected_files().front());
    }
}
