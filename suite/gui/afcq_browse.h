// Choosing files in dialogs: file-dialog filters by document type, and a line
// edit with a browse button.
#pragma once

#include "suite/fileio/fio.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <vector>

// The file-dialog filter "<title> (*<ext> ...)" of document types; a type
// without a known extension adds none.
QString afcq_create_filter(QString const& title, std::vector<FIO_FILE_TYPE> const& types);

// A line edit with a "..." button that opens the suite's file dialog and puts
// the chosen path into the edit.
class AFCQ_LINE_EDIT_BROWSE_BUTTON : public QWidget {
    Q_OBJECT
public:
    explicit AFCQ_LINE_EDIT_BROWSE_BUTTON(QWidget* parent);
    QString text() const { return m_edit->text(); }
    void setText(QString const& text) { m_edit->setText(text); }
    QLineEdit* line_edit() const { return m_edit; }
    void set_name_filter(QString const& filter) { m_filter = filter; }
    // QFileDialog::Directory chooses folders.
    void set_file_mode(QFileDialog::FileMode mode) { m_mode = mode; }
    // The chooser's title; by default "Select Folder" for folders, else "Open".
    void set_caption(QString const& caption) { m_caption = caption; }

signals:
    void textChanged(QString const& text);

public slots:
    void on_browse();

private:
    QLineEdit* m_edit;
    QString m_filter;
    QString m_caption;
    QFileDialog::FileMode m_mode = QFileDialog::ExistingFile;
};
