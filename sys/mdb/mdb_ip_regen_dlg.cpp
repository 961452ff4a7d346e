#include "sys/mdb/mdb_ip_regen_dlg.h"

#include "mem_manager.h"
#include "suite/messages/msg.h"

#include <QHBoxLayout>
#include <QMovie>
#include <QPalette>

MEM_UNIT_INITIALIZER(MDB);

#define MDB_INTERNAL_ERROR(condition) MSG_INTERNAL_ERROR::report(condition, "MDB", __FILE__, __LINE__)

MDB_IP_REGEN_TREE_VIEW::MDB_IP_REGEN_TREE_VIEW(QWidget* parent) : AFCQ_TREE_VIEW(parent, 0) {
    set_style(1);
    viewport()->setAutoFillBackground(false);
    setWordWrap(true);
}

MDB_IP_REGEN_TREE_VIEW::~MDB_IP_REGEN_TREE_VIEW() = default;

MDB_IP_REGEN_TREE_MODEL::MDB_IP_REGEN_TREE_MODEL(QObject* parent) : AFCQ_TREE_MODEL(parent) {}

MDB_IP_REGEN_TREE_MODEL::~MDB_IP_REGEN_TREE_MODEL() = default;

MDB_IP_REGEN_WIDGET_BUTTON::MDB_IP_REGEN_WIDGET_BUTTON(QString const& text, QWidget* parent)
    : QWidget(parent) {
    setup_widget(text);
}

MDB_IP_REGEN_WIDGET_BUTTON::~MDB_IP_REGEN_WIDGET_BUTTON() = default;

void MDB_IP_REGEN_WIDGET_BUTTON::setup_widget(QString const& text) {
    auto* layout = new QHBoxLayout(this);
    m_push_button = new QPushButton(text, this);
    layout->addWidget(m_push_button);
}

MDB_IP_REGEN_WIDGET_TEXT_EDIT::MDB_IP_REGEN_WIDGET_TEXT_EDIT(QWidget* parent) : QWidget(parent) {
    setup_widget();
}

MDB_IP_REGEN_WIDGET_TEXT_EDIT::~MDB_IP_REGEN_WIDGET_TEXT_EDIT() = default;

void MDB_IP_REGEN_WIDGET_TEXT_EDIT::setup_widget() {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 0, 1);

    m_text_edit = new QTextEdit(this);
    m_text_edit->setAlignment(Qt::AlignCenter);
    m_text_edit->setReadOnly(true);
    m_text_edit->setFrameShape(QFrame::NoFrame);
    m_text_edit->setFrameShadow(QFrame::Plain);
    m_text_edit->viewport()->setAutoFillBackground(false);
    QPalette palette = m_text_edit->palette();
    palette.setBrush(QPalette::Base, QBrush(palette.brush(QPalette::Window).color()));
    m_text_edit->setPalette(palette);

    m_movie_label = new QLabel(this);
    m_movie_label->hide();
    QMovie* movie = afcq_get_movie(3);
    if (movie == nullptr) {
        MDB_INTERNAL_ERROR("Not enough memory to complete operation");
    } else {
        movie->setParent(m_movie_label);
        m_movie_label->setMovie(movie);
    }

    layout->addWidget(m_movie_label);
    layout->addWidget(m_text_edit);
}

void MDB_IP_REGEN_WIDGET_TEXT_EDIT::start_movie(bool start) {
    QMovie* movie = m_movie_label->movie();
    if (start) {
        if (movie != nullptr) {
            movie->start();
        }
        m_movie_label->show();
    } else {
        if (movie != nullptr) {
            movie->stop();
        }
        m_movie_label->hide();
    }
}

QSize MDB_IP_REGEN_WIDGET_TEXT_EDIT::sizeHint() const { return QSize(0, 40); }
