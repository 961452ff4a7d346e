#include "sys/mdb/mdb_revisions_compare_dlg.h"

#include "acf_manager.h"
#include "suite/fileio/fio.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_cell_tips.h"
#include "sys/mdb/mdb_revisions_compare_csv.h"

#include "ui_mdb_revisions_compare_dlg.h"

#include <QHeaderView>
#include <QTabWidget>

#include <algorithm>

MDB_REV_RESULT_TREE_VIEW::MDB_REV_RESULT_TREE_VIEW(QWidget* parent) : AFCQ_TREE_VIEW(parent, 0) {}
MDB_REV_RESULT_TREE_VIEW::~MDB_REV_RESULT_TREE_VIEW() = default;

MDB_REV_ASSIGNMENT_TREE_VIEW::MDB_REV_ASSIGNMENT_TREE_VIEW(QWidget* parent)
    : AFCQ_TREE_VIEW(parent, 0) {}
MDB_REV_ASSIGNMENT_TREE_VIEW::~MDB_REV_ASSIGNMENT_TREE_VIEW() = default;

namespace {

void setup_view(AFCQ_TREE_VIEW* view) {
    view->set_style(1);
    view->header()->setVisible(true);
    view->header()->setSectionResizeMode(QHeaderView::Interactive);
    view->header()->setDefaultAlignment(Qt::AlignCenter);
    // A capped column's header is cut at its end, not on both sides.
    view->header()->setTextElideMode(Qt::ElideRight);
    new MDB_CELL_TIPS(view);
}

// Only group rows carry a folder (expanding the whole tree reports its
// leaves as expanded too).
void set_folder_icon(AFCQ_TREE_VIEW* view, QModelIndex const& index) {
    auto* model = qobject_cast<QStandardItemModel*>(view->model());
    QStandardItem* item =
        index.isValid() && model != nullptr ? model->itemFromIndex(index) : nullptr;
    if (item != nullptr && item->hasChildren()) {
        item->setIcon(afcq_get_icon(view->isExpanded(index) ? AFCQ_ICON_FOLDER_OPEN
                                                            : AFCQ_ICON_FOLDER_CLOSED));
    }
}

} // namespace

MDB_COMPARE_REVISIONS_DLG::MDB_COMPARE_REVISIONS_DLG(QWidget* parent) : AFCQ_DIALOG(parent) {
    Ui_MDB_COMPARE_REVISIONS_DLG form;
    form.setupUi(this);

    m_tab_widget = new QTabWidget(this);
    m_result_view = new MDB_REV_RESULT_TREE_VIEW(m_tab_widget);
    m_assignment_view = new MDB_REV_ASSIGNMENT_TREE_VIEW(m_tab_widget);
    m_result_model = new MDB_COMPARE_REV_TREE_MODEL(this);
    m_assignment_model = new MDB_COMPARE_REV_TREE_MODEL(this);
    setup_view(m_result_view);
    setup_view(m_assignment_view);

    mdb_load_project_summary(m_result_model);
    mdb_load_project_assignments(m_assignment_model);

    m_tab_widget->addTab(m_result_view, QString::fromStdString(TAB_RESULT_STR));
    m_tab_widget->addTab(m_assignment_view, QString::fromStdString(TAB_ASSIGNMENT_STR));
    m_tab_widget->setCurrentIndex(tab_result_index);
    m_result_view->setModel(m_result_model);
    m_assignment_view->setModel(m_assignment_model);
    form.horizontalLayout->addWidget(m_tab_widget);

    connect(form.buttonBox, &QDialogButtonBox::rejected, this, &MDB_COMPARE_REVISIONS_DLG::reject);
    connect(form.m_export_button, &QPushButton::clicked, this,
            &MDB_COMPARE_REVISIONS_DLG::export_clicked);
    for (auto signal : {&QTreeView::expanded, &QTreeView::collapsed}) {
        connect(m_result_view, signal, this,
                &MDB_COMPARE_REVISIONS_DLG::set_icon_when_expand_collapse_result);
        connect(m_assignment_view, signal, this,
                &MDB_COMPARE_REVISIONS_DLG::set_icon_when_expand_collapse_asgn);
    }
    m_result_view->expandAll();
    m_assignment_view->expandAll();
    resize_column_to_content();
}

MDB_COMPARE_REVISIONS_DLG::~MDB_COMPARE_REVISIONS_DLG() = default;

void MDB_COMPARE_REVISIONS_DLG::resize_column_to_content() {
    for (AFCQ_TREE_VIEW* view : {static_cast<AFCQ_TREE_VIEW*>(m_result_view),
                                 static_cast<AFCQ_TREE_VIEW*>(m_assignment_view)}) {
        view->resizeColumnToContents(0);
        // The revisions' columns: a long value must not push the others out.
        for (int column = 1; column < view->model()->columnCount(); ++column) {
            mdb_fit_column_capped(view, column);
        }
    }
}

void MDB_COMPARE_REVISIONS_DLG::accept() {
    QDialog::accept();
}

void MDB_COMPARE_REVISIONS_DLG::reject() {
    close();
    QDialog::reject();
}

void MDB_COMPARE_REVISIONS_DLG::export_clicked() {
    QString project_dir =
        QString::fromLocal8Bit(ACF_MANAGER::get_acf_manager()->get_project_path());
    AFCQ_NATIVE_FILE_DLG dialog(
        this, "Export Compare Revision", project_dir,
        QString::fromStdString(fio_get_file_type_filter(FIO_EXTENSION_TYPE_CSV)));
    dialog.set_accept_mode(QFileDialog::AcceptSave);
    dialog.set_file_mode(QFileDialog::AnyFile);
    dialog.select_file(
        QString::fromStdString(FIO_PATH(project_dir.toStdString(), DEFAULT_PATH).path()));
    if (dialog.exec() != 1 || dialog.selected_files().isEmpty()) {
        return;
    }
    MDB_COMPARE_REV_TREE_MODEL const* model =
        m_tab_widget->currentIndex() == tab_result_index ? m_result_model : m_assignment_model;
    mdb_compare_export_csv(model, dialog.selected_files().front());
}

void MDB_COMPARE_REVISIONS_DLG::set_icon_when_expand_collapse_result(QModelIndex const& index) {
    set_folder_icon(m_result_view, index);
}

void MDB_COMPARE_REVISIONS_DLG::set_icon_when_expand_collapse_asgn(QModelIndex const& index) {
    set_folder_icon(m_assignment_view, index);
}
