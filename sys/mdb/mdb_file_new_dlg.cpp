#include "sys/mdb/mdb_file_new_dlg.h"

#include "suite/config/cfg.h"
#include "suite/gui/qui_frame_info.h"
#include "suite/gui/qui_frame_wnd.h"
#include "suite/gui/qui_prj_ui_mgr.h"
#include "sys/mdb/mdb.h"

#include <QTreeWidget>

#include "ui_mdb_file_new_dlg.h"

namespace {

// The document type of a row: the earlier state machine format is offered
// under the name of the current one.
char const* shown_name(FIO_FILE_TYPE type) {
    return fio_get_file_type_name(type == 28 ? 27 : type);
}

bool makes_new_documents(QUI_FRAME_INFO const* info) {
    return (info->flags & QUI_FRAME_INFO_NEW_DOCUMENT) != 0 && info->file_type != 0;
}

} // namespace

MDB_FILE_NEW_DLG::MDB_FILE_NEW_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_FILE_NEW_DLG) {
    m_form->setupUi(this);
    load_file_list();
}

MDB_FILE_NEW_DLG::~MDB_FILE_NEW_DLG() = default;

void MDB_FILE_NEW_DLG::load_file_list() {
    bool vwpim_editor = cfg_is_on("vwpim_editor", false);
    QTreeWidget* tree = m_form->m_tree;
    tree->clear();
    m_new_project_item = new QTreeWidgetItem(tree, {QStringLiteral("New Tessaly II Project")});

    int start = 0;
    int end = 0;
    for (int bit = 1; bit <= 30; ++bit) {
        uint32_t trait = 1u << bit;
        start = trait == FIO_FILE_NEW_START_FILE_FLAG ? bit : start;
        end = trait == FIO_FILE_NEW_END_FILE_FLAG ? bit : end;
    }
    if (end == 0 || start >= end) {
        MDB_INTERNAL_ERROR("Can't find FIO_FILE_NEW_END_FILE_FLAG or file type out of bound");
        return;
    }
    std::vector<std::pair<uint32_t, QTreeWidgetItem*>> categories;
    for (int bit = start + 1; bit < end; ++bit) {
        uint32_t trait = 1u << bit;
        categories.emplace_back(
            trait, new QTreeWidgetItem(
                       tree, {QString::fromStdString(fio_get_file_type_trait_string(trait))}));
    }
    int count = 0;
    for (QUI_FRAME_INFO const* info : QUI_FRAME_MGR::get_frame_mgr()->get_frame_info_order()) {
        if (!makes_new_documents(info)) {
            continue;
        }
        for (auto const& category : categories) {
            if (fio_test_trait_of(info->file_type, category.first)) {
                add_item(info->file_type, &count, category.second, vwpim_editor);
                break;
            }
        }
    }
    tree->expandAll();
    tree->setCurrentItem(m_new_project_item);
    tree->setMinimumHeight(18 * tree->topLevelItemCount());
    item_selection_changed();
}

void MDB_FILE_NEW_DLG::add_item(FIO_FILE_TYPE type, int* count, QTreeWidgetItem* parent,
                                bool vwpim_editor) {
    if (count == nullptr) {
        MDB_INTERNAL_ERROR("no count parameter");
        return;
    }
    if (parent == nullptr) {
        MDB_INTERNAL_ERROR("no parent parameter");
        return;
    }
    if ((type == 35 || type == 36) && !vwpim_editor) {
        return;
    }
    new QTreeWidgetItem(parent, {QString::fromLocal8Bit(shown_name(type))});
    ++*count;
    parent->sortChildren(0, Qt::AscendingOrder);
}

bool MDB_FILE_NEW_DLG::current_is_choosable() const {
    QTreeWidgetItem* current = m_form->m_tree->currentItem();
    return current != nullptr && (current == m_new_project_item || current->childCount() == 0);
}

void MDB_FILE_NEW_DLG::item_selection_changed() {
    m_new_project = m_form->m_tree->currentItem() == m_new_project_item;
    m_form->m_ok_button->setEnabled(current_is_choosable());
}

void MDB_FILE_NEW_DLG::item_double_clicked(QTreeWidgetItem* item) {
    if (item != nullptr && (item == m_new_project_item || item->childCount() == 0)) {
        OK_clicked();
    }
}

void MDB_FILE_NEW_DLG::OK_clicked() {
    m_frame_info = nullptr;
    QTreeWidgetItem* current = m_form->m_tree->currentItem();
    if (!m_new_project && current != nullptr) {
        QString text = current->text(0);
        for (QUI_FRAME_INFO const* info : QUI_FRAME_MGR::get_frame_mgr()->get_frame_info_order()) {
            if (makes_new_documents(info) &&
                QString::compare(QString::fromLocal8Bit(shown_name(info->file_type)), text) == 0) {
                m_frame_info = info;
                break;
            }
        }
    }
    accept();
}

void mdb_dyn_file_new_dlg(QWidget* parent) {
    MDB_FILE_NEW_DLG dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (dialog.new_project_chosen()) {
        QUI_PRJ_UI_MGR::get_prj_ui_mgr()->new_project();
    } else if (QUI_FRAME_INFO const* info = dialog.get_frame_info()) {
        AFCQ_WAIT_CURSOR wait;
        QUI_FRAME_MGR::get_frame_mgr()->create_new(info, parent != qui_get_main_frame_wnd());
    }
}
