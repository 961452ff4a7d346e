// The node finder: a modal list of the instances of the open revision's
// compiled design (root first, then depth first, by full hierarchy name), of
// which the user chooses any number.
#include "suite/unbq/unbq_node_finder.h"

#include "suite/dbmanagerui/dbmui.h"
#include "suite/hierdb/hdb.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

void add_instances(HDB_INSTANCE_NAME const* instance, QListWidget* list) {
    list->addItem(QString::fromLocal8Bit(instance->full_name.c_str()));
    for (HDB_INSTANCE_NAME const* child : instance->children) {
        add_instances(child, list);
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) void
unbq_dyn_node_finder_dialog_instance_name_widget(QWidget* parent, AFCQ_INSTANCE_NAME_LIST& chosen,
                                                 int) {
    AFCQ_DIALOG dialog(parent);
    dialog.setObjectName("UNBQ_NODE_FINDER_DLG");
    dialog.setWindowTitle("Node Finder");
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName("instance_list");
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->setObjectName("button_box");
    layout->addWidget(list);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    DBMUI_MANAGER* registry = DBMUI_MANAGER::get_dbmui_manager(0);
    HDB_CMP_ACTION_PT_INSTANCE* hierarchy =
        registry->get_hdb_cmp_action_pt_instance("node finder", 0, false, nullptr);
    if (hierarchy != nullptr && hierarchy->get_root() != nullptr) {
        add_instances(hierarchy->get_root(), list);
    }
    registry->unget_hdb_cmp_action_pt_instance(&hierarchy, "node finder");
    dialog.resize(360, 320);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->isSelected()) {
            chosen.push_back(list->item(row)->text().toLocal8Bit().toStdString());
        }
    }
}
