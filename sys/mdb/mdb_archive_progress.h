// The progress of an archive, a restore or a Copy Project: a modal progress
// dialog that shows itself once the work has run about half a second, with
// the files done of all and the file at hand, and whose Cancel (or Escape)
// stops the work at the next file. While it shows, the application's windows
// are painted between files.
#pragma once

#include "suite/flow/flow.h"

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

class MDB_ARCHIVE_PROGRESS {
public:
    // `stages`: how many runs of the engines make up the work (Copy Project
    // archives, then restores); each gets an equal part of the bar.
    MDB_ARCHIVE_PROGRESS(QWidget* parent, QString const& title, int stages = 1);
    ~MDB_ARCHIVE_PROGRESS();
    MDB_ARCHIVE_PROGRESS(MDB_ARCHIVE_PROGRESS const&) = delete;
    MDB_ARCHIVE_PROGRESS& operator=(MDB_ARCHIVE_PROGRESS const&) = delete;

    // The progress to give the engines' run number `stage` (from 0), whose
    // files are counted under `verb` ("Archiving"); it returns false once the
    // user cancelled. It may be called only while this object lives.
    FLOW_PROGRESS stage(int stage, QString const& verb);

    // How long the work runs, or is expected to, before the dialog shows (at
    // first 500 ms). Tests that must reach the dialog during quick work set 0.
    static void set_show_after_ms(int milliseconds);

private:
    bool report(int stage, QString const& verb, size_t done, size_t total, QString const& file);

    std::unique_ptr<QProgressDialog> m_dialog;
    int m_stages;
};
