// The IP upgrade dialog's tree view, item model and row widgets.
#pragma once

#include "suite/gui/afcq.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>

class MDB_IP_REGEN_TREE_VIEW : public AFCQ_TREE_VIEW {
    Q_OBJECT
public:
    explicit MDB_IP_REGEN_TREE_VIEW(QWidget* parent);
    ~MDB_IP_REGEN_TREE_VIEW() override;
};

class MDB_IP_REGEN_TREE_MODEL : public AFCQ_TREE_MODEL {
    Q_OBJECT
public:
    explicit MDB_IP_REGEN_TREE_MODEL(QObject* parent);
    ~MDB_IP_REGEN_TREE_MODEL() override;
};

// The "Action" cell of a top-level row: one push button.
class MDB_IP_REGEN_WIDGET_BUTTON : public QWidget {
    Q_OBJECT
public:
    MDB_IP_REGEN_WIDGET_BUTTON(QString const& text, QWidget* parent);
    ~MDB_IP_REGEN_WIDGET_BUTTON() override;

    QPushButton* m_push_button = nullptr;

private:
    void setup_widget(QString const& text);
};

// The "Description" cell of a top-level row: read-only text on the dialog's
// background, with a busy animation shown while the row is being upgraded.
class MDB_IP_REGEN_WIDGET_TEXT_EDIT : public QWidget {
    Q_OBJECT
public:
    explicit MDB_IP_REGEN_WIDGET_TEXT_EDIT(QWidget* parent);
    ~MDB_IP_REGEN_WIDGET_TEXT_EDIT() override;

    void start_movie(bool start);
    QSize sizeHint() const override;

    QTextEdit* m_text_edit = nullptr;
    QLabel* m_movie_label = nullptr;

private:
    void setup_widget();
};
