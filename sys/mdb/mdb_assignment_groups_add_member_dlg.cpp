#include "sys/mdb/mdb_assignment_groups_add_member_dlg.h"

#include "sys/mdb/mdb.h"
#include "ui_mdb_assignment_groups_add_member_dlg.h"

#include "acf_table_types.h"
#include "suite/general/gen.h"
#include "suite/proj/proj.h"
#include "suite/threads/thr.h"
#include "suite/unbq/unbq_node_finder.h"

QStringList mdb_tg_split_names(QString const& text) {
    QStringList names;
    QString rest = text.trimmed();
    if (rest.isEmpty()) {
        return names;
    }
    int blank = 0;
    while ((blank = rest.indexOf(QLatin1Char(' '))) >= 0) {
        names << rest.left(blank);
        rest = rest.mid(blank).trimmed();
    }
    names << rest;
    return names;
}

std::string mdb_tg_root_prefix() {
    PROJ_PROJECT* project = PROJ_PROJECT::get_current();
    std::string prefix = project != nullptr ? project->get_setting(ACF_VARIABLE_TYPE_ROOT) : "";
    if (prefix.empty()) {
        return prefix;
    }
    if (prefix.front() != '|') {
        prefix.insert(0, 1, '|');
    }
    if (prefix.back() != '|') {
        prefix += '|';
    }
    return prefix;
}

std::string mdb_tg_cut_root_prefix(std::string const& prefix, std::string const& name) {
    std::string from_root = !name.empty() && name.front() == '|' ? name : "|" + name;
    if (!prefix.empty() && prefix.size() < from_root.size() &&
        gen_strnicmp(prefix.c_str(), from_root.c_str(), prefix.size()) == 0) {
        return from_root.substr(prefix.size());
    }
    return name;
}

MDB_TIME_GROUP_ADD_DLG::MDB_TIME_GROUP_ADD_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_TIME_GROUP_ADD_DLG>()) {
    m_form->setupUi(this);
    connect(m_form->button_box, &QDialogButtonBox::accepted, this, &MDB_TIME_GROUP_ADD_DLG::on_ok);
    connect(m_form->button_box, &QDialogButtonBox::rejected, this, &MDB_TIME_GROUP_ADD_DLG::reject);
    connect(m_form->node_finder_button, &QPushButton::clicked, this,
            &MDB_TIME_GROUP_ADD_DLG::on_click_node_finder);
}

MDB_TIME_GROUP_ADD_DLG::~MDB_TIME_GROUP_ADD_DLG() = default;

void MDB_TIME_GROUP_ADD_DLG::set_for_exceptions() {
    setWindowTitle("Add Exceptions");
    m_form->description_label->setText(
        "Type or select one or more node name(s) and/or wildcard characters and/or assignment "
        "groups to add to the exceptions of the assignment group.  Multiple names must be "
        "whitespace delimited.");
}

void MDB_TIME_GROUP_ADD_DLG::on_ok() {
    m_text = m_form->name_text->text();
    accept();
}

void MDB_TIME_GROUP_ADD_DLG::on_click_node_finder() {
    std::string library = gen_get_tessaly_path() + "/" + UNBQ_LIBRARY_FILE;
    THR_DRL_HANDLE handle = thr_drl_load(library.c_str());
    if (handle == nullptr) {
        char const* error = thr_drl_get_error();
        MDB_INTERNAL_ERROR(error != nullptr ? error : library.c_str());
        return;
    }
    auto finder = reinterpret_cast<UNBQ_DYN_NODE_FINDER_FUNC>(
        thr_drl_find_function(handle, UNBQ_DYN_NODE_FINDER));
    if (finder == nullptr) {
        char const* error = thr_drl_get_error();
        MDB_INTERNAL_ERROR(error != nullptr ? error : UNBQ_DYN_NODE_FINDER);
        thr_drl_unload(handle);
        return;
    }
    AFCQ_INSTANCE_NAME_LIST chosen;
    finder(this, chosen, 0);
    thr_drl_unload(handle);
    if (chosen.empty()) {
        return;
    }
    AFCQ_WAIT_CURSOR wait;
    std::string const prefix = mdb_tg_root_prefix();
    // Names are blank-separated, also from the names of earlier picks.
    QStringList names(m_text);
    for (std::string const& name : chosen) {
        names << QString::fromLocal8Bit(mdb_tg_cut_root_prefix(prefix, name).c_str());
    }
    m_text = names.join(QLatin1Char(' ')).trimmed();
    m_form->name_text->setText(m_text);
}
