#include "sys/mdb/mdb_ip_regen_dlg.h"

#include "acf_manager.h"
#include "ipman/ipman_ip_info_manager.h"
#include "ipman/ipman_iprgen_manager.h"
#include "mem_manager.h"
#include "suite/fileio/fio.h"
#include "suite/flow/flow.h"
#include "suite/general/tst.h"
#include "suite/general/ver.h"
#include "suite/messages/msg.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_ip_regen_engine.h"
#include "sys/mdb/mdb_msgs.h"

#include "ui_mdb_ip_regen_dlg.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMovie>
#include <QPalette>
#include <QProgressBar>

#include <algorithm>
#include <cmath>

MEM_UNIT_INITIALIZER(MDB);

MDB_IP_REGEN_TREE_VIEW::MDB_IP_REGEN_TREE_VIEW(QWidget* parent) : AFCQ_TREE_VIEW(parent, 0) {
    set_style(1);
    viewport()->setAutoFillBackground(false);
    setTextElideMode(Qt::ElideMiddle);
}

MDB_IP_REGEN_TREE_VIEW::~MDB_IP_REGEN_TREE_VIEW() = default;

void MDB_IP_REGEN_TREE_VIEW::updateGeometries() {
    AFCQ_TREE_VIEW::updateGeometries();
    emit rows_moved();
}

void MDB_IP_REGEN_TREE_VIEW::scrollContentsBy(int dx, int dy) {
    AFCQ_TREE_VIEW::scrollContentsBy(dx, dy);
    emit rows_moved();
}

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
    m_text_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
    m_busy = start;
    m_movie_label->setVisible(start);
    run_movie();
}

void MDB_IP_REGEN_WIDGET_TEXT_EDIT::set_in_view(bool in_view) {
    if (in_view != m_in_view) {
        m_in_view = in_view;
        run_movie();
    }
}

// A running animation costs a timer, a frame and a repaint every few
// hundredths of a second: run in every row of an upgrade of many components,
// they made each component slower the more there were.
void MDB_IP_REGEN_WIDGET_TEXT_EDIT::run_movie() {
    QMovie* movie = m_movie_label->movie();
    if (movie == nullptr) {
        return;
    }
    if (!m_busy) {
        movie->stop();
    } else if (movie->state() == QMovie::NotRunning) {
        movie->start();
    }
    if (m_busy) {
        movie->setPaused(!m_in_view);
    }
}

QSize MDB_IP_REGEN_WIDGET_TEXT_EDIT::sizeHint() const {
    QMargins margins = layout()->contentsMargins();
    int text = static_cast<int>(std::ceil(m_text_edit->document()->size().height()));
    return QSize(0, std::max(40, text + margins.top() + margins.bottom()));
}

MDB_IP_REGEN_PROGRESS::MDB_IP_REGEN_PROGRESS(QWidget* parent, size_t total) : m_dialog(parent) {
    m_dialog.setWindowTitle("Upgrading IP Components");
    m_dialog.setWindowModality(Qt::WindowModal);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    m_dialog.setMinimumDuration(SHOW_AFTER_MS);
    auto* bar = new QProgressBar(&m_dialog);
    bar->setFormat("%v of %m");
    m_dialog.setBar(bar);
    m_dialog.setRange(0, static_cast<int>(total));
    m_dialog.setValue(0);
    m_running.start();
}

bool MDB_IP_REGEN_PROGRESS::step(size_t done, QString const& file) {
    m_dialog.setLabelText(QString("Upgrading IP component %1").arg(file));
    if (!m_dialog.isVisible() && m_running.elapsed() >= SHOW_AFTER_MS) {
        m_dialog.show();
    }
    // Shown, the progress dialog lets the events through (Cancel among them)
    // as its value changes; before that, the windows are only painted.
    m_dialog.setValue(static_cast<int>(done));
    qint64 now = m_running.elapsed();
    if (now - m_painted_at >= 40) {
        m_painted_at = now;
        QCoreApplication::processEvents(m_dialog.isVisible() ? QEventLoop::AllEvents
                                                             : QEventLoop::ExcludeUserInputEvents);
    }
    return !m_dialog.wasCanceled();
}

// ---------------------------------------------------------------------------
// The dialog
// ---------------------------------------------------------------------------

namespace {

QString const UPGRADE_IN_PROGRESS = "IP component upgrade in progress.";
QString const UPGRADE_SUCCEEDED = "IP component successfully upgraded.";
QString const UPGRADE_BY_HAND =
    "You must upgrade the IP component with the VestaWizard Plug-In Manager.";

std::string local_8bit(QString const& text) {
    return text.toLocal8Bit().toStdString();
}

bool is_plexa(QString const& generated_by) {
    return generated_by == IPMAN_PLEXA_STR;
}

bool has_check_state(QStandardItem const* item) {
    return item != nullptr && item->data(Qt::CheckStateRole).isValid();
}

} // namespace

MDB_IP_REGEN_DLG::MDB_IP_REGEN_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent, Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setup_dialog();
    setup_tree_header_column();
}

MDB_IP_REGEN_DLG::~MDB_IP_REGEN_DLG() {
    // The base class hides the view while it is destroyed, and the view then reports its rows
    // moved; by then this dialog's own members are gone, so the view must no longer reach it.
    disconnect(m_ip_tree_view, nullptr, this, nullptr);
}

void MDB_IP_REGEN_DLG::setup_dialog() {
    Ui_MDB_IP_REGEN_DLG form;
    form.setupUi(this);
    m_ip_tree_view = form.mdb_ip_regen_tree;
    m_info_label = form.m_info_label;
    m_warning_label = form.m_warning_label;
    m_upgrade_button = form.m_upgrade_button;
    m_close_button = form.m_close_button;

    m_model = new MDB_IP_REGEN_TREE_MODEL(this);
    m_ip_tree_view->setModel(m_model);
    connect(m_ip_tree_view, &MDB_IP_REGEN_TREE_VIEW::rows_moved, this,
            &MDB_IP_REGEN_DLG::show_rows_in_view);

    connect(m_upgrade_button, &QPushButton::clicked, this, &MDB_IP_REGEN_DLG::on_upgrade_all);
    connect(m_close_button, &QPushButton::clicked, this, &MDB_IP_REGEN_DLG::reject);
}

void MDB_IP_REGEN_DLG::setup_tree_header_column() {
    static char const* const headers[COLUMN_COUNT] = {
        "Entity", "IP Component Name", "Version", "File", "Action", "Description", "Status"};
    m_model->setColumnCount(1);
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        m_model->setHorizontalHeaderItem(column, new QStandardItem(headers[column]));
    }
    m_ip_tree_view->setHeaderHidden(false);
    m_ip_tree_view->header()->setSectionsMovable(false);
    m_ip_tree_view->header()->setStretchLastSection(true);
}

IPMAN_IP_INFO_MANAGER* MDB_IP_REGEN_DLG::get_ip_info_mgr() {
    IPMAN_IP_INFO_MANAGER* ip_info_mgr = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
    if (ip_info_mgr == nullptr) {
        MDB_INTERNAL_ERROR("ip_info_mgr != NULL");
    }
    return ip_info_mgr;
}

// --- Loading -------------------------------------------------------------------------

bool MDB_IP_REGEN_DLG::need_show_dlg() {
    bool need = false;
    std::vector<IPMAN_IP_INFO> all;
    std::vector<IPMAN_IP_INFO> required;
    IPMAN_IP_INFO_MANAGER* ip_info_mgr = get_ip_info_mgr();
    if (ip_info_mgr == nullptr) {
        return false;
    }
    ip_info_mgr->load_ip_info(need, all, required);
    if (need) {
        populate_ip_info_to_tree(required);
        add_widget_to_item();
    }
    return need;
}

void MDB_IP_REGEN_DLG::populate_ip_info() {
    if (!need_show_dlg()) {
        add_non_require_message();
    }
}

bool MDB_IP_REGEN_DLG::has_not_regenerate_ip_core() {
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QStandardItem* item = m_model->item(row, ENTITY_COL);
        if (item != nullptr && !item->data(ALREADY_UPGRADED_ROLE).toBool()) {
            return true;
        }
    }
    return false;
}

void MDB_IP_REGEN_DLG::reject() {
    if (has_not_regenerate_ip_core()) {
        MSG_YN* question = MSG_MDB::YN::STILL_HAS_NOT_UPGRADE_IP();
        int answer = question->show();
        delete question;
        if (answer != MSG_ANSWER_YES) {
            return;
        }
    }
    QDialog::reject();
}

// --- The table -----------------------------------------------------------------------

void MDB_IP_REGEN_DLG::populate_ip_info_to_tree(std::vector<IPMAN_IP_INFO> const& infos) {
    // The columns are sized once the rows have their widgets (add_widget_to_item):
    // sizing them now would lay the tree out, and then every row added after it
    // would lay it out again.
    populate_top_ip_to_tree(infos);
    populate_sub_ip_to_tree(infos);
    m_ip_tree_view->header()->moveSection(m_ip_tree_view->header()->visualIndex(STATUS_COL), 0);
    connect(m_ip_tree_view, &QTreeView::clicked, this, &MDB_IP_REGEN_DLG::on_clicked_item);
}

void MDB_IP_REGEN_DLG::populate_top_ip_to_tree(std::vector<IPMAN_IP_INFO> const& infos) {
    // Standalone components go to the top, the last one first, Plexa systems
    // to the end: the rows are ordered first and then appended.
    std::vector<QList<QStandardItem*>> standalone;
    std::vector<QList<QStandardItem*>> plexa;
    for (IPMAN_IP_INFO const& info : infos) {
        if (info.parent_entity != IPMAN_NA_STR) {
            continue;
        }
        QList<QStandardItem*> cells = get_ip_info_item_list(info);
        if (cells.isEmpty()) {
            continue;
        }
        (is_plexa(QString::fromLocal8Bit(info.generated_by.c_str())) ? plexa : standalone)
            .push_back(cells);
    }
    for (auto row = standalone.rbegin(); row != standalone.rend(); ++row) {
        m_model->appendRow(*row);
    }
    for (QList<QStandardItem*> const& row : plexa) {
        m_model->appendRow(row);
    }
    // Rows keep their places from now on: each file's first row.
    m_rows_by_file.clear();
    for (int row = m_model->rowCount(); row-- > 0;) {
        m_rows_by_file.insert(m_model->item(row, FILE_COL)->text(), row);
    }
}

void MDB_IP_REGEN_DLG::populate_sub_ip_to_tree(std::vector<IPMAN_IP_INFO> const& infos) {
    // Each entity's first top-level row.
    QHash<QString, QStandardItem*> parents;
    for (int row = m_model->rowCount(); row-- > 0;) {
        QStandardItem* entity = m_model->item(row, ENTITY_COL);
        parents.insert(entity->text(), entity);
    }
    for (IPMAN_IP_INFO const& info : infos) {
        if (info.parent_entity == IPMAN_NA_STR) {
            continue;
        }
        QStandardItem* parent = parents.value(QString::fromLocal8Bit(info.parent_entity.c_str()));
        if (parent == nullptr) {
            continue;
        }
        QList<QStandardItem*> cells = get_ip_info_item_list(info);
        if (!cells.isEmpty()) {
            parent->appendRow(cells);
        }
    }
}

QList<QStandardItem*> MDB_IP_REGEN_DLG::get_ip_info_item_list(IPMAN_IP_INFO const& info) {
    QString generated_by = QString::fromLocal8Bit(info.generated_by.c_str());
    bool top_level = info.parent_entity == IPMAN_NA_STR;
    QColor colour = Qt::red;
    QIcon item_icon;
    QIcon status_icon;
    QString tooltip;
    if (top_level) {
        item_icon = get_item_icon(generated_by);
        status_icon = get_status_icon(REGEN_STATUS_NOT_UPGRADED);
        tooltip = get_tooltip_text(generated_by);
    } else if (!info.need_regen) {
        colour = Qt::black;
    }
    Qt::ItemFlags const flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    auto text_cell = [&](std::string const& text) {
        auto* cell = new QStandardItem(QString::fromLocal8Bit(text.c_str()));
        cell->setData(colour, Qt::ForegroundRole);
        cell->setFlags(flags);
        return cell;
    };

    QStandardItem* entity = text_cell(info.entity);
    entity->setData(item_icon, Qt::DecorationRole);
    entity->setData(tooltip, Qt::ToolTipRole);
    entity->setData(generated_by, GENERATED_BY_ROLE);
    entity->setData(QString::fromLocal8Bit(info.file.c_str()), IP_FILE_ROLE);

    QStandardItem* file = text_cell(info.var_file);
    file->setData(QString::fromLocal8Bit(FIO_PATH(info.var_file).full_path().c_str()),
                  Qt::ToolTipRole);

    auto* action = new QStandardItem();
    action->setFlags(flags);
    auto* description = new QStandardItem();
    description->setFlags(flags);
    auto* status = new QStandardItem();
    status->setData(status_icon, Qt::DecorationRole);
    status->setFlags(flags);

    return {
        entity, text_cell(info.tool_name), text_cell(info.tool_version), file, action, description,
        status};
}

QIcon MDB_IP_REGEN_DLG::get_item_icon(QString const& generated_by) {
    return icon(is_plexa(generated_by) ? AFCQ_ICON_SYSTEM : AFCQ_ICON_IP_COMPONENT);
}

QIcon MDB_IP_REGEN_DLG::get_status_icon(REGEN_STATUS_ENUM status) {
    switch (status) {
    case REGEN_STATUS_NOT_UPGRADED:
        return icon(AFCQ_ICON_PENDING);
    case REGEN_STATUS_UPGRADED:
        return icon(AFCQ_ICON_SUCCESS);
    case REGEN_STATUS_MANUAL_UPGRADE:
        return icon(AFCQ_ICON_MANUAL);
    }
    return QIcon();
}

QIcon MDB_IP_REGEN_DLG::icon(int which) {
    auto found = m_icons.find(which);
    if (found == m_icons.end()) {
        found = m_icons.insert(which, afcq_get_icon(which));
    }
    return *found;
}

QString MDB_IP_REGEN_DLG::get_tooltip_text(QString const& generated_by) {
    return is_plexa(generated_by) ? "This is Plexa system." : "This is standalone IP component.";
}

void MDB_IP_REGEN_DLG::add_widget_to_item() {
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QStandardItem* entity = m_model->item(row, ENTITY_COL);
        QStandardItem* file = m_model->item(row, FILE_COL);
        QString action_text = IPMAN_AUTO_STR;
        QString description_text;
        if (is_plexa(entity->data(GENERATED_BY_ROLE).toString())) {
            action_text = IPMAN_LAUNCH_PLEXA_STR;
            description_text =
                QString("You must upgrade the IP component in Plexa.\n"
                        "To upgrade an IP component in Plexa: \n"
                        "1. Open Plexa. Most IP components are upgraded when opening Plexa. \n"
                        "2. If both the previous and latest versions of an IP component are "
                        "installed, you must upgrade the IP component instance manually. To "
                        "manually upgrade an IP component instance: \n"
                        "    a. Right-click the instance in the System Contents tab. \n"
                        "    b. Click Replace with version %1. \n"
                        "3. Save, and then Generate the Plexa system.")
                    .arg(get_tessaly_version_string(), 0, QChar(' '));
        }
        add_regen_widget(m_model->index(row, ACTION_COL), action_text,
                         m_model->index(row, DESCRIPTION_COL), description_text, file, entity);
    }
    // The check boxes widen the "Entity" cells.
    resize_column_to_content();
    // Only now do the rows tell whether anything can be upgraded automatically
    // (a table of Plexa systems alone cannot).
    enable_upgrade_all_button_by_checking_checkbox_state();
}

void MDB_IP_REGEN_DLG::add_regen_widget(QModelIndex const& action_index, QString const& action_text,
                                        QModelIndex const& description_index,
                                        QString const& description_text, QStandardItem* file_item,
                                        QStandardItem* entity_item) {
    auto* button = new MDB_IP_REGEN_WIDGET_BUTTON(action_text, this);
    connect(button->m_push_button, &QPushButton::clicked, this,
            [this, file = file_item->text()]() { button_clicked(file); });
    m_ip_tree_view->setIndexWidget(action_index, button);

    auto* description = new MDB_IP_REGEN_WIDGET_TEXT_EDIT(this);
    description->m_text_edit->setPlainText(description_text);
    // The row takes the text's height whenever it is laid out again (another
    // text, another column width).
    connect(description->m_text_edit->document()->documentLayout(),
            &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &MDB_IP_REGEN_DLG::schedule_rows_layout);
    m_ip_tree_view->setIndexWidget(description_index, description);

    entity_item->setData(false, ALREADY_UPGRADED_ROLE);
    if (action_text == IPMAN_AUTO_STR) {
        button->m_push_button->hide();
        entity_item->setCheckable(true);
        entity_item->setCheckState(Qt::Checked);
        entity_item->setData(QString(IPMAN_AUTO_STR), UPGRADE_KIND_ROLE);
        entity_item->setFlags(entity_item->flags() | Qt::ItemIsUserCheckable);
    } else {
        entity_item->setData(QVariant(), Qt::CheckStateRole);
        entity_item->setData(QString(IPMAN_MANUAL_STR), UPGRADE_KIND_ROLE);
    }
}

void MDB_IP_REGEN_DLG::schedule_rows_layout() {
    // Texts change size by the hundred at once (the dialog is filled, shown or
    // resized): the tree is laid out once for all of them, when the event
    // loop is back.
    if (m_rows_layout_scheduled) {
        return;
    }
    m_rows_layout_scheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this]() {
            m_rows_layout_scheduled = false;
            m_ip_tree_view->doItemsLayout();
        },
        Qt::QueuedConnection);
}

void MDB_IP_REGEN_DLG::show_rows_in_view() {
    QRect const view = m_ip_tree_view->viewport()->rect();
    for (int row = 0; row < m_model->rowCount(); ++row) {
        auto* description = qobject_cast<MDB_IP_REGEN_WIDGET_TEXT_EDIT*>(
            m_ip_tree_view->indexWidget(m_model->index(row, DESCRIPTION_COL)));
        if (description != nullptr) {
            description->set_in_view(!description->isHidden() &&
                                     view.intersects(description->geometry()));
        }
    }
}

QString MDB_IP_REGEN_DLG::get_tessaly_version_string() {
    QString version = ver_get_version();
    if (ver_is_service_pack()) {
        version += QString("SP") + ver_get_service_pack();
    }
    return version;
}

void MDB_IP_REGEN_DLG::resize_column_to_content() {
    for (int column = 0; column < m_model->columnCount(); ++column) {
        m_ip_tree_view->resizeColumnToContents(column);
    }
    int widest_file = FILE_COLUMN_CHARACTERS * m_ip_tree_view->fontMetrics().averageCharWidth();
    if (m_ip_tree_view->columnWidth(FILE_COL) > widest_file) {
        m_ip_tree_view->setColumnWidth(FILE_COL, widest_file);
    }
    fit_action_column();
}

void MDB_IP_REGEN_DLG::fit_action_column() {
    int widest = m_ip_tree_view->header()->sectionSizeHint(ACTION_COL);
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QWidget* cell = m_ip_tree_view->indexWidget(m_model->index(row, ACTION_COL));
        auto* button = qobject_cast<MDB_IP_REGEN_WIDGET_BUTTON*>(cell);
        if (button != nullptr && !button->m_push_button->isHidden()) {
            widest = std::max(widest, button->sizeHint().width());
        }
    }
    m_ip_tree_view->setColumnWidth(ACTION_COL, widest);
}

void MDB_IP_REGEN_DLG::add_non_require_message() {
    m_rows_by_file.clear();
    m_model->clear();
    m_model->setColumnCount(1);
    m_model->setHorizontalHeaderItem(ENTITY_COL, new QStandardItem("Entity"));
    auto* item = new QStandardItem("All IP components use the latest version.");
    item->setEditable(false);
    item->setData(true, ALREADY_UPGRADED_ROLE);
    m_model->appendRow(item);
    resize_column_to_content();
    m_upgrade_button->setEnabled(false);
}

void MDB_IP_REGEN_DLG::enable_upgrade_all_button_by_checking_checkbox_state() {
    bool ticked = false;
    for (int row = 0; row < m_model->rowCount() && !ticked; ++row) {
        QStandardItem* item = m_model->item(row, ENTITY_COL);
        ticked = item != nullptr && item->isCheckable() &&
                 item->data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    m_upgrade_button->setEnabled(ticked && !flow_is_active());
}

void MDB_IP_REGEN_DLG::on_clicked_item(QModelIndex index) {
    if (!index.isValid() || index.column() != ENTITY_COL) {
        return;
    }
    QStandardItem* item = m_model->itemFromIndex(index);
    if (item != nullptr && item->isCheckable()) {
        enable_upgrade_all_button_by_checking_checkbox_state();
    }
}

// --- Upgrading -----------------------------------------------------------------------

int MDB_IP_REGEN_DLG::find_row(QString const& file) const {
    return m_rows_by_file.value(file, -1);
}

MDB_IP_REGEN_WIDGET_BUTTON* MDB_IP_REGEN_DLG::button_widget(int row) const {
    auto* button = qobject_cast<MDB_IP_REGEN_WIDGET_BUTTON*>(
        m_ip_tree_view->indexWidget(m_model->index(row, ACTION_COL)));
    if (button == nullptr) {
        MDB_INTERNAL_ERROR("button != NULL");
    }
    return button;
}

MDB_IP_REGEN_WIDGET_TEXT_EDIT* MDB_IP_REGEN_DLG::description_widget(int row) const {
    auto* text_edit = qobject_cast<MDB_IP_REGEN_WIDGET_TEXT_EDIT*>(
        m_ip_tree_view->indexWidget(m_model->index(row, DESCRIPTION_COL)));
    if (text_edit == nullptr) {
        MDB_INTERNAL_ERROR("text_edit != NULL");
    }
    return text_edit;
}

void MDB_IP_REGEN_DLG::on_upgrade_all() {
    std::vector<std::string> files;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QStandardItem* entity = m_model->item(row, ENTITY_COL);
        QStandardItem* file = m_model->item(row, FILE_COL);
        if (entity == nullptr || file == nullptr ||
            entity->data(Qt::CheckStateRole).toInt() != Qt::Checked) {
            continue;
        }
        update_comments(file->text(), UPGRADE_IN_PROGRESS, true);
        files.push_back(local_8bit(file->text()));
    }
    if (files.empty()) {
        afcq_message_box("No IP component is selected for upgrade.", 1);
        return;
    }
    m_manual_upgrade_launched = false;
    set_enable_button_controls(false);
    MDB_IP_REGEN_REPORT before = mdb_ip_regen_report_records(files);
    size_t reached = files.size();
    int code = 0;
    {
        MDB_IP_REGEN_PROGRESS progress(this, files.size());
        code = mdb_ip_regen_run_flow(
            files, [&](size_t done, size_t, std::string const& current) {
                if (progress.step(done, QString::fromLocal8Bit(current.c_str()))) {
                    return true;
                }
                reached = done;
                return false;
            });
    }
    // A cancelled run stopped before `reached`: the files after it were not
    // touched, and their rows wait as they did.
    std::vector<std::string> untouched(files.begin() + static_cast<std::ptrdiff_t>(reached),
                                       files.end());
    files.resize(reached);
    for (std::string const& file : untouched) {
        update_comments(QString::fromLocal8Bit(file.c_str()), QString(), false);
    }
    update_after_click_upgrade_button(files, code, before);
}

void MDB_IP_REGEN_DLG::update_after_click_upgrade_button(std::vector<std::string> const& files,
                                                         int code,
                                                         MDB_IP_REGEN_REPORT const& before) {
    // The flow's code covers all files at once (non-zero when any failed), so
    // the report tells each file's result; it and the versions are read once.
    MDB_IP_REGEN_REPORT after = mdb_ip_regen_report_records(files);
    MDB_IP_REGEN_VERSIONS versions = mdb_ip_regen_current_versions();
    for (std::string const& file : files) {
        QString text = QString::fromLocal8Bit(file.c_str());
        if (mdb_ip_regen_upgraded_by_run(file, code, before, after)) {
            update_after_regen_success(text, versions);
        } else {
            change_vwpim_to_manual_upgrade(text);
        }
    }
    enable_back_no_regen_ip_button();
    enable_upgrade_all_button_by_checking_checkbox_state();
}

void MDB_IP_REGEN_DLG::button_clicked(QString const& file) {
    int row = find_row(file);
    if (row < 0) {
        return;
    }
    QStandardItem* entity = m_model->item(row, ENTITY_COL);
    QString kind = entity->data(UPGRADE_KIND_ROLE).toString();
    if (is_plexa(entity->data(GENERATED_BY_ROLE).toString())) {
        regenerate_plexa_component(file, kind);
    } else {
        regenerate_vwpim_ip_core(file, kind);
    }
}

void MDB_IP_REGEN_DLG::regenerate_vwpim_ip_core(QString const& file, QString const& kind) {
    IPMAN_IPRGEN_MANAGER* iprgen_mgr = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    if (iprgen_mgr == nullptr) {
        MDB_INTERNAL_ERROR("iprgen_mgr != NULL");
        return;
    }
    IPMAN_FAIL_REGEN_TYPE fail_type = IPMAN_FAIL_REGEN_NONE;
    if (iprgen_mgr->check_file_is_valid(local_8bit(file), fail_type)) {
        set_error_msg_to_comment(file, fail_type);
        return;
    }

    if (kind == IPMAN_AUTO_STR) {
        set_enable_button_controls(false);
        update_comments(file, UPGRADE_IN_PROGRESS, true);
        std::string one_file = local_8bit(file);
        int code = mdb_ip_regen_run_flow({one_file});
        if (code == 0 && mdb_ip_regen_lists_as_upgraded(mdb_ip_regen_report_record(one_file))) {
            update_after_regen_success(file);
        } else {
            m_manual_upgrade_launched = false;
            change_vwpim_to_manual_upgrade(file);
        }
        enable_back_no_regen_ip_button();
        return;
    }

    m_manual_upgrade_launched = true;
    AFCQ_WAIT_CURSOR::begin();
    mdb_ip_regen_commit_settings();
    AFCQ_WAIT_CURSOR::end();
    mdb_ip_regen_open_in_plugin_manager(local_8bit(file));
}

void MDB_IP_REGEN_DLG::regenerate_plexa_component(QString const& file, QString const& kind) {
    if (kind != IPMAN_MANUAL_STR) {
        return;
    }
    m_manual_upgrade_launched = true;
    std::string path = FIO_PATH(local_8bit(file)).full_path();
    QUI_FRAME_MGR* frame_mgr = QUI_FRAME_MGR::get_frame_mgr();
    if (frame_mgr == nullptr) {
        MDB_INTERNAL_ERROR("frame_mgr != NULL");
        return;
    }
    frame_mgr->open_file(path, false, false, true);
}

void MDB_IP_REGEN_DLG::update_after_regen_success(QString const& file) {
    update_after_regen_success(file, mdb_ip_regen_current_versions());
}

void MDB_IP_REGEN_DLG::update_after_regen_success(QString const& file,
                                                  MDB_IP_REGEN_VERSIONS const& versions) {
    m_upgrade_button->setEnabled(true);
    m_close_button->setEnabled(true);
    update_comments(file, UPGRADE_SUCCEEDED, false);
    update_item_foregroundRole(file, Qt::black);
    update_ip_core_already_regen_status(file, true);
    update_status_icon(file, REGEN_STATUS_UPGRADED);
    update_version(file, versions);
    remove_check_box(file);
    set_enable_regen_button(file, false);
}

void MDB_IP_REGEN_DLG::change_vwpim_to_manual_upgrade(QString const& file) {
    m_upgrade_button->setEnabled(true);
    m_close_button->setEnabled(true);
    int row = find_row(file);
    if (row < 0) {
        return;
    }
    add_regen_widget(m_model->index(row, ACTION_COL), IPMAN_LAUNCH_VWPIM_STR,
                     m_model->index(row, DESCRIPTION_COL), UPGRADE_BY_HAND,
                     m_model->item(row, FILE_COL), m_model->item(row, ENTITY_COL));
    // The column was as wide as its widest button: only this one may be wider.
    if (MDB_IP_REGEN_WIDGET_BUTTON* button = button_widget(row)) {
        m_ip_tree_view->setColumnWidth(ACTION_COL, std::max(m_ip_tree_view->columnWidth(ACTION_COL),
                                                            button->sizeHint().width()));
    }
    update_status_icon(file, REGEN_STATUS_MANUAL_UPGRADE);
}

void MDB_IP_REGEN_DLG::set_error_msg_to_comment(QString const& file, int fail_type) {
    QString text;
    switch (fail_type) {
    case IPMAN_FAIL_REGEN_FILE_MISSING:
        text = "The file path is invalid.";
        break;
    case IPMAN_FAIL_REGEN_WRITE_PROTECTED:
        text = "The file is write-protected. Please change the file read permission, else the "
               "system not able to perform IP upgrade.";
        break;
    case IPMAN_FAIL_REGEN_NOT_VARIATION_FILE:
        text = "The file is not a valid IP component variation file. System not able to perform "
               "IP upgrade.";
        break;
    default:
        break;
    }
    update_comments(file, text, false);
}

void MDB_IP_REGEN_DLG::update_comments(QString const& file, QString const& text, bool busy) {
    int row = find_row(file);
    if (row < 0) {
        return;
    }
    if (MDB_IP_REGEN_WIDGET_TEXT_EDIT* description = description_widget(row)) {
        description->start_movie(busy);
        description->m_text_edit->setPlainText(text);
    }
}

void MDB_IP_REGEN_DLG::update_status_icon(QString const& file, REGEN_STATUS_ENUM status) {
    int row = find_row(file);
    QStandardItem* cell = row < 0 ? nullptr : m_model->item(row, STATUS_COL);
    if (cell != nullptr) {
        cell->setData(get_status_icon(status), Qt::DecorationRole);
    }
}

void MDB_IP_REGEN_DLG::update_ip_core_already_regen_status(QString const& file, bool upgraded) {
    int row = find_row(file);
    if (row >= 0) {
        m_model->item(row, ENTITY_COL)->setData(upgraded, ALREADY_UPGRADED_ROLE);
    }
}

void MDB_IP_REGEN_DLG::update_item_foregroundRole(QString const& file, QColor const& colour) {
    int row = find_row(file);
    if (row >= 0) {
        traverse_item_and_update_foregroundRole(m_model->item(row, ENTITY_COL), colour);
    }
}

void MDB_IP_REGEN_DLG::traverse_item_and_update_foregroundRole(QStandardItem* item,
                                                               QColor const& colour) {
    if (item == nullptr) {
        return;
    }
    for (int child = 0; child < item->rowCount(); ++child) {
        traverse_item_and_update_foregroundRole(item->child(child, ENTITY_COL), colour);
    }
    QStandardItem* parent =
        item->parent() != nullptr ? item->parent() : m_model->invisibleRootItem();
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (QStandardItem* cell = parent->child(item->row(), column)) {
            cell->setData(colour, Qt::ForegroundRole);
        }
    }
}

void MDB_IP_REGEN_DLG::set_enable_regen_button(QString const& file, bool enabled) {
    int row = find_row(file);
    if (row < 0) {
        return;
    }
    if (MDB_IP_REGEN_WIDGET_BUTTON* button = button_widget(row)) {
        button->setEnabled(enabled);
    }
}

void MDB_IP_REGEN_DLG::remove_check_box(QString const& file) {
    int row = find_row(file);
    if (row >= 0) {
        m_model->item(row, ENTITY_COL)->setData(QVariant(), Qt::CheckStateRole);
    }
}

void MDB_IP_REGEN_DLG::update_version(QString const& file) {
    update_version(file, mdb_ip_regen_current_versions());
}

void MDB_IP_REGEN_DLG::update_version(QString const& file, MDB_IP_REGEN_VERSIONS const& versions) {
    int row = find_row(file);
    if (row < 0) {
        return;
    }
    QStandardItem* entity = m_model->item(row, ENTITY_COL);
    update_version_item(entity, versions);
    for (int child = 0; child < entity->rowCount(); ++child) {
        update_version_item(entity->child(child, ENTITY_COL), versions);
    }
}

void MDB_IP_REGEN_DLG::update_version_item(QStandardItem* item,
                                           MDB_IP_REGEN_VERSIONS const& versions) {
    if (item == nullptr) {
        return;
    }
    auto version = versions.find(
        {local_8bit(item->data(IP_FILE_ROLE).toString()), local_8bit(item->text())});
    if (version == versions.end()) {
        return;
    }
    QStandardItem* parent =
        item->parent() != nullptr ? item->parent() : m_model->invisibleRootItem();
    if (QStandardItem* cell = parent->child(item->row(), VERSION_COL)) {
        cell->setText(QString::fromLocal8Bit(version->second.c_str()));
    }
}

void MDB_IP_REGEN_DLG::set_enable_button_controls(bool enabled) {
    m_upgrade_button->setEnabled(enabled);
    m_close_button->setEnabled(enabled);
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->index(row, ACTION_COL).isValid()) {
            MDB_IP_REGEN_WIDGET_BUTTON* button = button_widget(row);
            if (button != nullptr && button->m_push_button->text() == IPMAN_AUTO_STR) {
                button->setEnabled(enabled);
            }
        }
        QStandardItem* entity = m_model->item(row, ENTITY_COL);
        if (has_check_state(entity)) {
            entity->setEnabled(enabled);
        }
    }
}

void MDB_IP_REGEN_DLG::enable_back_no_regen_ip_button() {
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QStandardItem* entity = m_model->item(row, ENTITY_COL);
        if (!has_check_state(entity)) {
            continue;
        }
        entity->setEnabled(true);
        if (QStandardItem* file = m_model->item(row, FILE_COL)) {
            set_enable_regen_button(file->text(), true);
        }
    }
}

void MDB_IP_REGEN_DLG::changeEvent(QEvent* event) {
    AFCQ_DIALOG::changeEvent(event);
    if ((event->type() == QEvent::ActivationChange || event->type() == QEvent::EnabledChange) &&
        m_manual_upgrade_launched) {
        update_ip_table();
    }
}

void MDB_IP_REGEN_DLG::enterEvent(QEnterEvent* event) {
    AFCQ_DIALOG::enterEvent(event);
    if (m_manual_upgrade_launched) {
        update_ip_table();
    }
}

void MDB_IP_REGEN_DLG::update_ip_table() {
    MDB_IP_REGEN_VERSIONS versions = mdb_ip_regen_current_versions();
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (!m_model->index(row, ACTION_COL).isValid()) {
            continue;
        }
        MDB_IP_REGEN_WIDGET_BUTTON* button = button_widget(row);
        if (button == nullptr || button->m_push_button->text() == IPMAN_AUTO_STR) {
            continue;
        }
        QString old_version = m_model->item(row, VERSION_COL)->text();
        QString file = m_model->item(row, FILE_COL)->text();
        update_version(file, versions);
        if (QString::compare(m_model->item(row, VERSION_COL)->text(), old_version) == 0) {
            continue;
        }
        update_comments(file, UPGRADE_SUCCEEDED, false);
        set_enable_regen_button(file, false);
        update_item_foregroundRole(file, Qt::black);
        remove_check_box(file);
        update_ip_core_already_regen_status(file, true);
        update_status_icon(file, REGEN_STATUS_UPGRADED);
    }
}

// ---------------------------------------------------------------------------
// Entry points
// ---------------------------------------------------------------------------

void mdb_dyn_ip_regen_dlg(QWidget* parent) {
    auto* dialog = new MDB_IP_REGEN_DLG(parent);
    AFCQ_WAIT_CURSOR::end();
    // The inventory is loaded in regression-test mode too; only the dialog is
    // not shown there.
    if (dialog->need_show_dlg() && !tst_is_regtest_mode()) {
        dialog->exec();
    }
    delete dialog;
}

void mdb_dyn_get_ip_regen_dlg(QWidget* parent) {
    auto* dialog = new MDB_IP_REGEN_DLG(parent);
    AFCQ_WAIT_CURSOR::end();
    dialog->populate_ip_info();
    dialog->exec();
    delete dialog;
}
