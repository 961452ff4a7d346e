#include "sys/mdb/mdb_archive_progress.h"

#include <QApplication>
#include <QFontMetrics>
#include <QProgressDialog>

namespace {

int show_after_ms = 500;
// The steps of the bar given to each stage.
int const STAGE_STEPS = 1000;
// The file at hand is elided in its middle to about this many characters, so
// that a long path does not widen the dialog past the screen.
int const SHOWN_FILE_CHARACTERS = 60;

} // namespace

MDB_ARCHIVE_PROGRESS::MDB_ARCHIVE_PROGRESS(QWidget* parent, QString const& title, int stages)
    : m_dialog(new QProgressDialog(parent)), m_stages(stages) {
    m_dialog->setObjectName("m_progress_dialog");
    m_dialog->setWindowTitle(title);
    // Modal, so that while it paints the windows between files no other
    // command can start.
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setMinimumDuration(show_after_ms);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setRange(0, m_stages * STAGE_STEPS);
    m_dialog->setValue(0); // the clock of show_after_ms starts here
}

MDB_ARCHIVE_PROGRESS::~MDB_ARCHIVE_PROGRESS() = default;

void MDB_ARCHIVE_PROGRESS::set_show_after_ms(int milliseconds) {
    show_after_ms = milliseconds;
}

FLOW_PROGRESS MDB_ARCHIVE_PROGRESS::stage(int stage, QString const& verb) {
    return [this, stage, verb](size_t done, size_t total, std::string const& file) {
        return report(stage, verb, done, total, QString::fromLocal8Bit(file.c_str()));
    };
}

bool MDB_ARCHIVE_PROGRESS::report(int stage, QString const& verb, size_t done, size_t total,
                                  QString const& file) {
    if (m_dialog->wasCanceled()) {
        return false;
    }
    QFontMetrics metrics(m_dialog->font());
    QString shown = metrics.elidedText(file, Qt::ElideMiddle,
                                       metrics.averageCharWidth() * SHOWN_FILE_CHARACTERS);
    m_dialog->setLabelText(
        QStringLiteral("%1: %2 of %3 files done\n%4").arg(verb).arg(done).arg(total).arg(shown));
    bool was_visible = m_dialog->isVisible();
    int steps = total == 0 ? STAGE_STEPS : static_cast<int>(done * STAGE_STEPS / total);
    // Shows the dialog once it is due; while it shows, this paints the
    // windows and takes the user's Cancel.
    m_dialog->setValue(stage * STAGE_STEPS + steps);
    if (!was_visible && m_dialog->isVisible() && QApplication::overrideCursor() != nullptr) {
        // The pointer over Cancel says the program works but still listens.
        QApplication::changeOverrideCursor(Qt::BusyCursor);
    }
    return !m_dialog->wasCanceled();
}
