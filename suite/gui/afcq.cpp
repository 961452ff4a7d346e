#include "suite/gui/afcq.h"

#include "suite/gui/cfgq.h"
#include "suite/gui/qui_frame_info.h"
#include "suite/messages/msg.h"

#include <QApplication>
#include <QBuffer>
#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include <deque>

AFCQ_DIALOG::AFCQ_DIALOG(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}
AFCQ_DIALOG::~AFCQ_DIALOG() = default;
QString AFCQ_DIALOG::get_help_topic_string() const {
    return QString();
}

AFCQ_TREE_VIEW::AFCQ_TREE_VIEW(QWidget* parent, int /*flags*/) : QTreeView(parent) {}
AFCQ_TREE_VIEW::~AFCQ_TREE_VIEW() = default;

void AFCQ_TREE_VIEW::set_style(int style) {
    if (style == 1) {
        setAlternatingRowColors(true);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setUniformRowHeights(false);
        setAllColumnsShowFocus(true);
    }
}

void AFCQ_TREE_VIEW::load_column_visibility(QString const& table) {
    CFGQ_REGISTRY_KEY key(CFGQ_SUB_KEY_COLUMN_VISIBILITY);
    QStringList hidden = key.get_value(table).toStringList();
    for (int column = 0; model() != nullptr && column < model()->columnCount(); ++column) {
        setColumnHidden(column, hidden.contains(QString::number(column)));
    }
}

AFCQ_TREE_MODEL::AFCQ_TREE_MODEL(QObject* parent) : QStandardItemModel(parent) {}
AFCQ_TREE_MODEL::~AFCQ_TREE_MODEL() = default;

QStandardItem* AFCQ_TREE_MODEL::get_item(int row, int column) const {
    return item(row, column);
}

QModelIndex AFCQ_TREE_MODEL::get_index(int row, int column) const {
    return index(row, column);
}

namespace {

// The rows under `parent`, depth first: each visited, and the i-th of them.
void visit_rows(QStandardItem* parent, std::function<void(QStandardItem*, int)> const& visit) {
    for (int row = 0; row < parent->rowCount(); ++row) {
        visit(parent, row);
        if (QStandardItem* child = parent->child(row)) {
            visit_rows(child, visit);
        }
    }
}

QStandardItem* find_row(QStandardItem* parent, int& i) {
    for (int row = 0; row < parent->rowCount(); ++row) {
        QStandardItem* child = parent->child(row);
        if (i-- == 0) {
            return child;
        }
        if (child != nullptr) {
            if (QStandardItem* found = find_row(child, i)) {
                return found;
            }
        }
    }
    return nullptr;
}

} // namespace

void AFCQ_TREE_MODEL::for_each_row(std::function<void(QStandardItem*, int)> const& visit) const {
    visit_rows(invisibleRootItem(), visit);
}

int AFCQ_TREE_MODEL::get_total_count() const {
    int count = 0;
    for_each_row([&count](QStandardItem*, int) { ++count; });
    return count;
}

QStandardItem* AFCQ_TREE_MODEL::get_item(int i) const {
    return i < 0 ? nullptr : find_row(invisibleRootItem(), i);
}

namespace {

// A round badge in one colour with a glyph, so each icon number is told apart.
QIcon badge(QColor colour, QString const& glyph) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(1, 1, 14, 14);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

// A folder in outline, open (a slanted front flap) or closed.
QIcon folder(bool open) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x8a, 0x6a, 0x10));
    painter.setBrush(QColor(0xe8, 0xc0, 0x50));
    painter.drawRect(QRectF(1.5, 4.5, 13, 9));
    painter.drawRect(QRectF(1.5, 2.5, 5, 2));
    if (open) {
        painter.setBrush(QColor(0xf6, 0xd8, 0x7a));
        QPointF flap[] = {{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}};
        painter.drawPolygon(flap, 4);
    }
    return QIcon(pixmap);
}

bool g_interactive = false;
std::deque<QString> g_file_answers;
int g_wait_depth = 0;

} // namespace

QIcon afcq_get_icon(int icon) {
    switch (icon) {
    case AFCQ_ICON_IP_COMPONENT:
        return badge(QColor(0x2a, 0x6f, 0xb0), "IP");
    case AFCQ_ICON_SEPARATOR:
        return badge(QColor(0x70, 0x70, 0x70), "|");
    case AFCQ_ICON_SUCCESS:
        return badge(QColor(0x2e, 0x8b, 0x3a), QString(QChar(0x2713)));
    case AFCQ_ICON_PENDING:
        return badge(QColor(0xd0, 0x8a, 0x10), "!");
    case AFCQ_ICON_CURRENT_REVISION:
        return badge(QColor(0x1f, 0x7a, 0x4d), QString(QChar(0x25B6)));
    case AFCQ_ICON_REVISIONS:
        return badge(QColor(0x35, 0x5c, 0x7d), "R");
    case AFCQ_ICON_SYSTEM:
        return badge(QColor(0x6a, 0x3d, 0x9a), "S");
    case AFCQ_ICON_MANUAL:
        return badge(QColor(0xb0, 0x2a, 0x2a), "M");
    case AFCQ_ICON_FOLDER_OPEN:
        return folder(true);
    case AFCQ_ICON_FOLDER_CLOSED:
        return folder(false);
    default:
        return QIcon();
    }
}

QMovie* afcq_get_movie(int movie) {
    if (movie != 3) {
        return nullptr;
    }
    auto* busy = new QMovie(":/afcq/busy.gif");
    return busy->isValid() ? busy : (delete busy, nullptr);
}

bool afcq_safe_connect(QObject const* sender, char const* signal, QObject const* receiver,
                       char const* method) {
    return static_cast<bool>(QObject::connect(sender, signal, receiver, method));
}

void afcq_set_interactive(bool interactive) {
    g_interactive = interactive;
}
bool afcq_is_interactive() {
    return g_interactive;
}

int afcq_ask_question(QWidget* parent, MSG_YN const& question) {
    QMessageBox::StandardButton default_button =
        question.get_default_answer() == MSG_ANSWER_NO ? QMessageBox::No : QMessageBox::Yes;
    return QMessageBox::question(
               parent, QApplication::applicationName(), QString::fromStdString(question.get_text()),
               QMessageBox::Yes | QMessageBox::No, default_button) == QMessageBox::Yes
               ? MSG_ANSWER_YES
               : MSG_ANSWER_NO;
}

void afcq_message_box(QString const& text, int prompt_type) {
    MSG_O notice;
    notice.set_text(text.toLocal8Bit().toStdString());
    notice.post();
    if (g_interactive && prompt_type == 1) {
        QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(),
                                 text);
    }
}

AFCQ_NATIVE_FILE_DLG::AFCQ_NATIVE_FILE_DLG(QWidget* parent, QString const& caption,
                                           QString const& directory, QString const& filter)
    : m_parent(parent), m_caption(caption), m_directory(directory), m_filter(filter) {}

void AFCQ_NATIVE_FILE_DLG::set_accept_mode(QFileDialog::AcceptMode mode) {
    m_accept_mode = mode;
}
void AFCQ_NATIVE_FILE_DLG::set_file_mode(QFileDialog::FileMode mode) {
    m_file_mode = mode;
}
void AFCQ_NATIVE_FILE_DLG::select_file(QString const& file) {
    m_preselected = file;
}

int AFCQ_NATIVE_FILE_DLG::exec() {
    m_selected.clear();
    if (!g_interactive) {
        if (g_file_answers.empty()) {
            return 0;
        }
        m_selected << g_file_answers.front();
        g_file_answers.pop_front();
        return 1;
    }
    QFileDialog dialog(m_parent, m_caption, m_directory, m_filter);
    dialog.setAcceptMode(m_accept_mode);
    dialog.setFileMode(m_file_mode);
    if (!m_preselected.isEmpty()) {
        dialog.selectFile(m_preselected);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return 0;
    }
    m_selected = dialog.selectedFiles();
    return m_selected.isEmpty() ? 0 : 1;
}

void afcq_queue_file_answer(QString const& path) {
    g_file_answers.push_back(path);
}
void afcq_clear_file_answers() {
    g_file_answers.clear();
}

AFCQ_WAIT_CURSOR::AFCQ_WAIT_CURSOR() {
    begin();
}
AFCQ_WAIT_CURSOR::~AFCQ_WAIT_CURSOR() {
    if (g_wait_depth > 0) {
        --g_wait_depth;
        QApplication::restoreOverrideCursor();
    }
}

void AFCQ_WAIT_CURSOR::begin() {
    ++g_wait_depth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void AFCQ_WAIT_CURSOR::end() {
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
    g_wait_depth = 0;
}

QUI_FRAME_MGR* QUI_FRAME_MGR::get_frame_mgr() {
    static QUI_FRAME_MGR manager;
    return &manager;
}

void QUI_FRAME_MGR::set_open_handler(std::function<bool(std::string const&)> handler) {
    m_handler = std::move(handler);
}

void QUI_FRAME_MGR::set_new_document_handler(std::function<bool(int)> handler) {
    m_new_document_handler = std::move(handler);
}

bool QUI_FRAME_MGR::create_new(int file_type, int) {
    m_created.push_back(file_type);
    if (m_new_document_handler) {
        return m_new_document_handler(file_type);
    }
    MSG_O notice;
    notice.set_text("New document of type " + std::to_string(file_type));
    notice.post();
    return true;
}

bool QUI_FRAME_MGR::open_file(std::string const& path, bool, bool, bool) {
    m_opened.push_back(path);
    if (m_handler) {
        return m_handler(path);
    }
    MSG_O notice;
    notice.set_text("Opening " + path);
    notice.post();
    return true;
}

std::vector<QUI_FRAME_INFO const*> const& QUI_FRAME_MGR::get_frame_info_order() const {
    return qui_get_frame_infos();
}

void QUI_FRAME_MGR::set_new_handler(NEW_HANDLER handler) {
    m_new_handler = std::move(handler);
}

bool QUI_FRAME_MGR::create_new(QUI_FRAME_INFO const* info, bool detached) {
    if (info == nullptr) {
        return false;
    }
    m_created_frames.push_back(info->name);
    if (m_new_handler) {
        return m_new_handler(*info, detached);
    }
    MSG_O notice;
    notice.set_text(std::string("New document: ") + info->name);
    notice.post();
    return true;
}

void QUI_FRAME_MGR::clear_requests() {
    m_opened.clear();
    m_created.clear();
    m_created_frames.clear();
}
