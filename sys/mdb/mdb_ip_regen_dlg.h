// The IP upgrade dialog: the modal dialog that lists the open project's IP
// components needing an upgrade, upgrades the ticked ones through the suite's
// IP upgrade flow and shows each row's result; its tree view, item model and
// row widgets; and the host's two entry points.
#pragma once

#include "ipman/ipman_ip_info.h"
#include "suite/gui/afcq.h"
#include "sys/mdb/mdb_ip_regen_engine.h"

#include <QColor>
#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>

#include <string>
#include <vector>

class IPMAN_IP_INFO_MANAGER;
class QEnterEvent;
class QStandardItem;

// Texts are not wrapped: a long path is elided in the middle.
// It tells when its rows may have moved in or out of view (laid out,
// resized, scrolled).
class MDB_IP_REGEN_TREE_VIEW : public AFCQ_TREE_VIEW {
    Q_OBJECT
public:
    explicit MDB_IP_REGEN_TREE_VIEW(QWidget* parent);
    ~MDB_IP_REGEN_TREE_VIEW() override;

signals:
    void rows_moved();

protected:
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
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
// background, wrapped at the cell's width and never scrolled: the cell asks
// for the height of its text, at least 40 pixels (the dialog lays its rows out
// again when that changes). A busy animation shows while the row is being
// upgraded; it stands still while the cell is out of view.
class MDB_IP_REGEN_WIDGET_TEXT_EDIT : public QWidget {
    Q_OBJECT
public:
    explicit MDB_IP_REGEN_WIDGET_TEXT_EDIT(QWidget* parent);
    ~MDB_IP_REGEN_WIDGET_TEXT_EDIT() override;

    void start_movie(bool start);
    void set_in_view(bool in_view);
    QSize sizeHint() const override;

    QTextEdit* m_text_edit = nullptr;
    QLabel* m_movie_label = nullptr;

private:
    void setup_widget();
    // The animation runs while it is started and in view.
    void run_movie();

    bool m_busy = false;
    bool m_in_view = true;
};

// The progress of an upgrade of many components: a window-modal progress
// dialog over the IP upgrade dialog, "<done> of <all>" and the component being
// upgraded, shown once the run has taken SHOW_AFTER_MS; its Cancel (or
// Escape) asks the run to stop before the next component. Each step also lets
// the windows be painted, taking no input while the progress is not shown.
class MDB_IP_REGEN_PROGRESS {
public:
    enum { SHOW_AFTER_MS = 500 };
    MDB_IP_REGEN_PROGRESS(QWidget* parent, size_t total);
    // Before component `done` (counted from 0), `file`: false when the user
    // cancelled.
    bool step(size_t done, QString const& file);

private:
    QProgressDialog m_dialog;
    QElapsedTimer m_running;
    qint64 m_painted_at = 0;
};

// The dialog. Columns of its table, by logical index.
class MDB_IP_REGEN_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    enum COLUMN_ENUM {
        ENTITY_COL = 0,
        IP_NAME_COL = 1,
        VERSION_COL = 2,
        FILE_COL = 3,
        ACTION_COL = 4,
        DESCRIPTION_COL = 5,
        STATUS_COL = 6,
        COLUMN_COUNT = 7
    };
    // Data a row keeps on its "Entity" item.
    enum ROLE_ENUM {
        GENERATED_BY_ROLE = Qt::UserRole + 1,
        UPGRADE_KIND_ROLE = Qt::UserRole + 2, // "Upgrade" or "Manual"
        IP_FILE_ROLE = Qt::UserRole + 3,
        ALREADY_UPGRADED_ROLE = Qt::UserRole + 4
    };
    // The widest the File column is made, in average characters.
    enum { FILE_COLUMN_CHARACTERS = 30 };
    enum REGEN_STATUS_ENUM {
        REGEN_STATUS_NOT_UPGRADED = 0,
        REGEN_STATUS_UPGRADED = 1,
        REGEN_STATUS_MANUAL_UPGRADE = 2
    };

    explicit MDB_IP_REGEN_DLG(QWidget* parent);
    ~MDB_IP_REGEN_DLG() override;

    // --- Loading (entry points) ------------------------------------------------------
    // Loads the inventory; when some component needs an upgrade, fills the
    // table and returns true.
    bool need_show_dlg();
    // Fills the table, or shows the one-line table when nothing needs an upgrade.
    void populate_ip_info();
    // Whether some top-level row is not upgraded yet.
    bool has_not_regenerate_ip_core();

    // --- The table -------------------------------------------------------------------
    // Top-level rows (standalone components first, then Plexa systems), then
    // the sub-components under their parent rows.
    void populate_ip_info_to_tree(std::vector<IPMAN_IP_INFO> const& infos);
    void populate_top_ip_to_tree(std::vector<IPMAN_IP_INFO> const& infos);
    void populate_sub_ip_to_tree(std::vector<IPMAN_IP_INFO> const& infos);
    QList<QStandardItem*> get_ip_info_item_list(IPMAN_IP_INFO const& info);
    QIcon get_item_icon(QString const& generated_by);
    QIcon get_status_icon(REGEN_STATUS_ENUM status);
    QString get_tooltip_text(QString const& generated_by);
    // The Action and Description widgets of every top-level row, then the
    // Upgrade button's rule.
    void add_widget_to_item();
    void add_regen_widget(QModelIndex const& action_index, QString const& action_text,
                          QModelIndex const& description_index, QString const& description_text,
                          QStandardItem* file_item, QStandardItem* entity_item);
    QString get_tessaly_version_string();
    // Every column to its contents, but File at most FILE_COLUMN_CHARACTERS
    // wide (its paths elided in the middle, whole in their tooltips) and
    // Action as wide as its widest button; Description takes what is left.
    void resize_column_to_content();
    void fit_action_column();
    void add_non_require_message();
    // Enabled exactly when some automatic row is ticked and no flow runs.
    void enable_upgrade_all_button_by_checking_checkbox_state();

    IPMAN_IP_INFO_MANAGER* get_ip_info_mgr();

    // --- Upgrading -------------------------------------------------------------------
    void regenerate_vwpim_ip_core(QString const& file, QString const& kind);
    void regenerate_plexa_component(QString const& file, QString const& kind);
    // After a flow on `files` that returned `code`: each file's row becomes
    // upgraded when the report lists the file as upgraded by this run
    // (`before`: the records before it), else manual.
    void update_after_click_upgrade_button(std::vector<std::string> const& files, int code,
                                           MDB_IP_REGEN_REPORT const& before);
    void update_after_regen_success(QString const& file);
    void update_after_regen_success(QString const& file, MDB_IP_REGEN_VERSIONS const& versions);
    void change_vwpim_to_manual_upgrade(QString const& file);
    void set_error_msg_to_comment(QString const& file, int fail_type);
    void update_comments(QString const& file, QString const& text, bool busy);
    void update_status_icon(QString const& file, REGEN_STATUS_ENUM status);
    void update_ip_core_already_regen_status(QString const& file, bool upgraded);
    void update_item_foregroundRole(QString const& file, QColor const& colour);
    void traverse_item_and_update_foregroundRole(QStandardItem* item, QColor const& colour);
    void set_enable_regen_button(QString const& file, bool enabled);
    void remove_check_box(QString const& file);
    // The versions as the settings hold them now, or as `versions` (one walk
    // of the settings for many rows).
    void update_version(QString const& file);
    void update_version(QString const& file, MDB_IP_REGEN_VERSIONS const& versions);
    void update_version_item(QStandardItem* item, MDB_IP_REGEN_VERSIONS const& versions);
    void set_enable_button_controls(bool enabled);
    void enable_back_no_regen_ip_button();
    // After a manual step: rows whose version changed become upgraded.
    void update_ip_table();

public slots:
    // Closes the dialog; asks first while rows wait for an upgrade.
    void reject() override;

private slots:
    void on_clicked_item(QModelIndex index);
    void button_clicked(QString const& file);
    void on_upgrade_all();

protected:
    // Re-check after a manual step when the dialog is activated or enabled
    // again, or the pointer enters it.
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    void setup_dialog();
    void setup_tree_header_column();
    // The first top-level row whose "File" text equals `file`: its row number,
    // or -1.
    int find_row(QString const& file) const;
    // Lays the tree out once the event loop is back, however many rows asked.
    void schedule_rows_layout();
    // Tells each description widget whether it is in the tree's view.
    void show_rows_in_view();
    MDB_IP_REGEN_WIDGET_BUTTON* button_widget(int row) const;
    MDB_IP_REGEN_WIDGET_TEXT_EDIT* description_widget(int row) const;
    // The suite's icon `which` (an AFCQ_ICON_*), painted once per dialog:
    // every row shows two of a few icons.
    QIcon icon(int which);

    MDB_IP_REGEN_TREE_MODEL* m_model = nullptr;
    MDB_IP_REGEN_TREE_VIEW* m_ip_tree_view = nullptr;
    QPushButton* m_close_button = nullptr;
    QPushButton* m_upgrade_button = nullptr;
    QLabel* m_info_label = nullptr;
    QLabel* m_warning_label = nullptr;
    bool m_manual_upgrade_launched = false;
    // Each file's first top-level row (find_row), set when the rows are added.
    QHash<QString, int> m_rows_by_file;
    bool m_rows_layout_scheduled = false;
    QHash<int, QIcon> m_icons;
};

// Entry points the graphical host finds by name. The first shows the dialog
// only when some component needs an upgrade and the suite is not in
// regression-test mode; the second always shows it.
extern "C" {
void mdb_dyn_ip_regen_dlg(QWidget* parent);
void mdb_dyn_get_ip_regen_dlg(QWidget* parent);
}
