// The suite's Qt-based GUI framework, as the dialogs use it: dialog, tree-view
// and tree-model bases, icons and the busy animation by number, message boxes,
// the file dialog, the wait cursor, and the host's frame manager.
#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QIcon>
#include <QMovie>
#include <QStandardItemModel>
#include <QString>
#include <QTreeView>

#include <functional>
#include <string>
#include <vector>

class MSG_YN;

struct QUI_FRAME_INFO;

// The base of every dialog.
class AFCQ_DIALOG : public QDialog {
    Q_OBJECT
public:
    explicit AFCQ_DIALOG(QWidget* parent, Qt::WindowFlags flags = Qt::WindowFlags());
    ~AFCQ_DIALOG() override;
    virtual QString get_help_topic_string() const;
};

class AFCQ_TREE_VIEW : public QTreeView {
    Q_OBJECT
public:
    AFCQ_TREE_VIEW(QWidget* parent, int flags);
    ~AFCQ_TREE_VIEW() override;
    // Style 1: alternating rows, whole-row selection, no decoration of the root.
    void set_style(int style);
    // Hides the columns that the user preferences list as hidden for `table`
    // and shows the others.
    void load_column_visibility(QString const& table);
};

class AFCQ_TREE_MODEL : public QStandardItemModel {
    Q_OBJECT
public:
    explicit AFCQ_TREE_MODEL(QObject* parent);
    ~AFCQ_TREE_MODEL() override;
    // The top-level item / index of a row and column; null or invalid when out of range.
    QStandardItem* get_item(int row, int column) const;
    QModelIndex get_index(int row, int column = 0) const;
    // Every row of the tree, depth first (a row, then its children).
    // for_each_row visits them all in one walk, each as its parent item (the
    // invisible root item for a top-level row) and its number under it.
    // get_item(i) is the column-0 item of the i-th of them, found by a walk
    // from the root; null when i is out of range or the row has none.
    void for_each_row(std::function<void(QStandardItem* parent, int row)> const& visit) const;
    int get_total_count() const;
    QStandardItem* get_item(int i) const;
};

// Icons by number. The numbers are the framework's; the look is ours.
enum AFCQ_ICON_ENUM {
    AFCQ_ICON_FOLDER_CLOSED = 34,
    AFCQ_ICON_IP_COMPONENT = 71,
    AFCQ_ICON_SEPARATOR = 89,
    AFCQ_ICON_CURRENT_REVISION = 145,
    AFCQ_ICON_SUCCESS = 169,
    AFCQ_ICON_PENDING = 170,
    AFCQ_ICON_FOLDER_OPEN = 316,
    AFCQ_ICON_SYSTEM = 358,
    AFCQ_ICON_REVISIONS = 359,
    AFCQ_ICON_MANUAL = 362,
};
QIcon afcq_get_icon(int icon);
// Animations by number; 3 is the busy animation. The caller owns the movie;
// null for an unknown number.
QMovie* afcq_get_movie(int movie);

// A signal-slot connection, as QObject::connect.
bool afcq_safe_connect(QObject const* sender, char const* signal, QObject const* receiver,
                       char const* method);

// A message box. Prompt type 1 is a plain notice. The text is also posted as a
// notice, so it shows on the console and in the message log; the box itself is
// shown only when the process runs an interactive GUI (see
// afcq_set_interactive).
void afcq_message_box(QString const& text, int prompt_type);
void afcq_set_interactive(bool interactive);
bool afcq_is_interactive();
// Asks a yes/no question in a message box over `parent`, its default button
// the question's default answer; MSG_ANSWER_YES or MSG_ANSWER_NO.
int afcq_ask_question(QWidget* parent, MSG_YN const& question);

// The file dialog. While the process runs an interactive GUI it is Qt's file
// dialog; otherwise (tests, an unattended host) exec() takes the next queued
// answer as the one chosen file, and cancels when nothing is queued.
class AFCQ_NATIVE_FILE_DLG {
public:
    AFCQ_NATIVE_FILE_DLG(QWidget* parent, QString const& caption, QString const& directory,
                         QString const& filter);
    void set_accept_mode(QFileDialog::AcceptMode mode);
    void set_file_mode(QFileDialog::FileMode mode);
    void select_file(QString const& file);
    // 1 when a file was chosen, else 0.
    int exec();
    QStringList selected_files() const { return m_selected; }

private:
    QWidget* m_parent;
    QString m_caption;
    QString m_directory;
    QString m_filter;
    QString m_preselected;
    QFileDialog::AcceptMode m_accept_mode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode m_file_mode = QFileDialog::AnyFile;
    QStringList m_selected;
};
// Queues the path that the next non-interactive file dialog chooses.
void afcq_queue_file_answer(QString const& path);
void afcq_clear_file_answers();

// A busy cursor from construction (or begin) to destruction (or end).
class AFCQ_WAIT_CURSOR {
public:
    AFCQ_WAIT_CURSOR();
    ~AFCQ_WAIT_CURSOR();
    static void begin();
    // Ends every busy cursor the process shows.
    static void end();
};

// The instances chosen in the suite's node finder, each by its full hierarchy
// name.
using AFCQ_INSTANCE_NAME_LIST = std::vector<std::string>;

// The host's frame manager: opens files and makes new documents in the
// graphical host.
class QUI_FRAME_MGR {
public:
    using NEW_HANDLER = std::function<bool(QUI_FRAME_INFO const& info, bool detached)>;

    static QUI_FRAME_MGR* get_frame_mgr();
    // The host installs how a file is opened; without one the request is
    // posted as a notice. Every request is remembered for tests.
    void set_open_handler(std::function<bool(std::string const& path)> handler);
    bool open_file(std::string const& path, bool read_only, bool flag2, bool activate);
    std::vector<std::string> const& opened_files() const { return m_opened; }
    // A new, empty document of a document type (FIO_FILE_TYPE); the host
    // installs how it is made, without one the request is posted as a
    // notice. Every request is remembered for tests.
    void set_new_document_handler(std::function<bool(int file_type)> handler);
    bool create_new(int file_type, int flags);
    std::vector<int> const& created_documents() const { return m_created; }

    // The frame descriptions, in the host's order (qui_frame_info.h).
    std::vector<QUI_FRAME_INFO const*> const& get_frame_info_order() const;
    // A new, untitled document in a frame of that description; `detached`: in a
    // window of its own. The host installs how; without one the request is
    // posted as a notice. The names of the descriptions asked for are remembered.
    void set_new_handler(NEW_HANDLER handler);
    bool create_new(QUI_FRAME_INFO const* info, bool detached);
    std::vector<std::string> const& created_frames() const { return m_created_frames; }
    void clear_requests();

private:
    std::function<bool(std::string const&)> m_handler;
    NEW_HANDLER m_new_handler;
    std::vector<std::string> m_opened;
    std::function<bool(int)> m_new_document_handler;
    std::vector<int> m_created;
    std::vector<std::string> m_created_frames;
};
