// Growth of the project dialogs' loads with their size, a program printing
// exponents (see bench_growth.h):
// - compare-assignments: the Compare Revisions dialog's Assignments tab filled
//   from two revisions that each set N members of one assignment group (one
//   cell per revision holding N values), 1,000 to 30,000;
// - compare-results: its Results tab filled from two revisions' fitter
//   summaries of N lines each, 1,000 to 30,000;
// - compare-csv: the CSV text of a tree of N rows under one group, as the
//   dialog's Export writes it, 1,000 to 30,000;
// - revisions-dialog: the Revisions dialog shown on a project of N revisions,
//   each with its settings file, flow report and description, 10 to 2,000;
// - groups-dialog: the Assignment Groups dialog opened and closed by OK on a
//   revision of N groups, each with two members and an exception, 1,000 to
//   30,000;
// - groups-delete-all: its Delete All, with the assignments from and to every
//   group, then OK, on N groups each with a timing requirement from it and one
//   to it among as many pins, 300 to 10,000;
// - import-replace-entity: the import of an older settings file (.esf) of N / 4
//   pins of one entity, whose assignments it replaces, into a revision of N
//   pins, 1,000 to 30,000;
// - import-into-pins: the same import added to what the revision of N pins
//   holds (nothing replaced), 1,000 to 30,000;
// - ip-upgrade-dialog-open: the IP upgrade dialog opened, shown until its rows
//   are laid out, and closed on a revision of N IP components that all need an
//   upgrade (one in ten a Plexa system, with its long description), 100 to
//   1,000;
// - ip-upgrade-dialog-upgrade: its Upgrade of all N, with the IP wizard run on
//   each component and the table showing each result, 100 to 1,000.
// The dialogs run on Qt's offscreen platform, which the program sets itself.
// Run as: bench_mdb_growth [budget-seconds] [only]
// (only: the figures whose names contain this text; default all).
#include "bench/bench_args.h"
#include "bench/bench_growth.h"

#include "acf_manager.h"
#include "acf_project_file.h"
#include "services/asgnimport/bfu_import_export.h"
#include "suite/messages/msg.h"
#include "sys/mdb/mdb_assignment_groups_dlg.h"
#include "sys/mdb/mdb_assignment_groups_settings.h"
#include "sys/mdb/mdb_ip_regen_dlg.h"
#include "sys/mdb/mdb_revisions_compare_csv.h"
#include "sys/mdb/mdb_revisions_compare_model.h"
#include "sys/mdb/mdb_revisions_dlg.h"
#include "sys/mdb/mdb_revisions_tree.h"

#include <QApplication>
#include <QPushButton>
#include <QStandardItem>
#include <QTreeView>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

ACF_MANAGER* manager() {
    return ACF_MANAGER::get_acf_manager();
}

// A new folder `name` in `dir` holding project "growth" with these revisions,
// the first one active; returns its path (ending in "/").
std::string write_project(BENCH_TEMP_DIR const& dir, std::string const& name,
                          ACF_REVISION_NAME_LIST const& revisions) {
    std::string folder = dir.path() + name + "/";
    std::filesystem::create_directories(folder);
    acf_write_tpf_file((folder + "growth.tpf").c_str(), &revisions);
    return folder;
}

bool open_project(std::string const& folder) {
    return manager()->open_project(folder.c_str(), "growth", "", false, false, false, false,
                                   false) == ACF_REVISION_MANAGER::SUCCESS;
}

void close_project(std::string const& folder) {
    manager()->close_project(false);
    manager()->free_cached_storage();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string const settings_head = "set_global_assignment -name FAMILY \"Vorelon II\"\n"
                                  "set_global_assignment -name DEVICE VORELONIIA15F484C6\n"
                                  "set_global_assignment -name TOP_LEVEL_ENTITY top\n";

// The row named `key` under any top-level row; null when there is none.
QStandardItem* find_row(QStandardItemModel const& model, QString const& key) {
    for (int group = 0; group < model.rowCount(); ++group) {
        QStandardItem* parent = model.item(group);
        for (int row = 0; row < parent->rowCount(); ++row) {
            if (parent->child(row)->text() == key) {
                return parent->child(row);
            }
        }
    }
    return nullptr;
}

double compare_assignments(BENCH_TEMP_DIR const& dir, int members) {
    std::string text = settings_head;
    for (int i = 0; i < members; ++i) {
        text += "set_global_assignment -name ASSIGNMENT_GROUP_MEMBER member_" + std::to_string(i) +
                " -section_id group\n";
    }
    std::string folder = write_project(dir, "assignments", {"a", "b"});
    std::ofstream(folder + "a.tsf") << text;
    std::ofstream(folder + "b.tsf") << text;
    if (!open_project(folder)) {
        return -1;
    }
    double seconds = -1;
    {
        MDB_COMPARE_REV_TREE_MODEL model(nullptr);
        BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
        mdb_load_project_assignments(&model);
        seconds = bench_seconds_since(start);
        // Both revisions' cells hold every member, one per line.
        QStandardItem* row = find_row(model, "ASSIGNMENT_GROUP_MEMBER");
        for (int column = 1; column <= 2; ++column) {
            QStandardItem* cell =
                row != nullptr ? row->parent()->child(row->row(), column) : nullptr;
            if (cell == nullptr || cell->text().count('\n') + 1 != members) {
                seconds = -1;
            }
        }
    }
    close_project(folder);
    return seconds;
}

double compare_results(BENCH_TEMP_DIR const& dir, int lines) {
    std::string folder = write_project(dir, "results", {"a", "b"});
    std::string summary;
    for (int i = 0; i < lines; ++i) {
        summary += "Resource " + std::to_string(i) + " : " + std::to_string(i * 7) + "\n";
    }
    for (char const* revision : {"a", "b"}) {
        std::ofstream(folder + revision + ".tsf") << settings_head;
        std::ofstream(folder + revision + ".fit.summary") << summary;
    }
    if (!open_project(folder)) {
        return -1;
    }
    double seconds = -1;
    {
        MDB_COMPARE_REV_TREE_MODEL model(nullptr);
        BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
        mdb_load_project_summary(&model);
        seconds = bench_seconds_since(start);
        QStandardItem* last = find_row(model, "Resource " + QString::number(lines - 1));
        if (model.rowCount() != 1 || model.item(0)->rowCount() != lines || last == nullptr ||
            last->parent()->child(last->row(), 2) == nullptr) {
            seconds = -1;
        }
    }
    close_project(folder);
    return seconds;
}

double compare_csv(int rows) {
    AFCQ_TREE_MODEL model(nullptr);
    model.setHorizontalHeaderLabels({"", "a", "b"});
    auto* group = new QStandardItem("Fitter");
    model.appendRow(group);
    for (int i = 0; i < rows; ++i) {
        group->appendRow({new QStandardItem("Resource " + QString::number(i)),
                          new QStandardItem(QString::number(i)),
                          new QStandardItem(QString::number(i * 7))});
    }
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    QString csv = mdb_compare_csv_text(&model);
    double seconds = bench_seconds_since(start);
    return csv.count('\n') == rows + 2 ? seconds : -1;
}

// The descriptions file the Revisions dialog reads, one text per revision.
std::string descriptions_text(ACF_REVISION_NAME_LIST const& revisions) {
    std::string text = "TESSALY_REVISION_DESCRIPTIONS 1\n";
    for (std::string const& name : revisions) {
        std::string description = "Revision " + name + " of the growth project";
        text += "REVISION " + std::to_string(name.size()) + " 1\n" + name + "\nTEXT " +
                std::to_string(description.size()) + "\n" + description + "\n";
    }
    return text;
}

double revisions_dialog(BENCH_TEMP_DIR const& dir, int count) {
    ACF_REVISION_NAME_LIST revisions;
    for (int i = 0; i < count; ++i) {
        revisions.push_back("rev_" + std::to_string(i));
    }
    std::string folder = write_project(dir, "revisions", revisions);
    for (std::string const& name : revisions) {
        std::ofstream(folder + name + ".tsf")
            << "set_global_assignment -name FAMILY \"Vorelon II\"\n"
               "set_global_assignment -name DEVICE VORELONIIA15F484C6\n"
               "set_global_assignment -name TOP_LEVEL_ENTITY "
            << name << "_top\n";
        std::ofstream(folder + name + ".flow.rpt")
            << "; Flow Summary ;\n; Met timing ; Yes ;\n; Timing Models ; Final ;\n";
    }
    std::ofstream(folder + "revision_descriptions.trd") << descriptions_text(revisions);
    if (!open_project(folder)) {
        return -1;
    }
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    MDB_REVISIONS_DLG* dialog = mdb_dyn_get_revisions_dlg();
    dialog->show();
    QApplication::processEvents();
    double seconds = bench_seconds_since(start);
    // Every revision and the row that creates one.
    if (dialog->tree_model()->rowCount() != count + 1) {
        seconds = -1;
    }
    delete dialog;
    close_project(folder);
    return seconds;
}

// A revision of `groups` assignment groups ("g_<i>": members m_<i>_a and
// m_<i>_b, exception x_<i>) and, with `requirements`, a pin per group with a
// timing requirement from the group to it and one from it to the group.
std::string groups_text(int groups, bool requirements) {
    std::string text = settings_head;
    for (int i = 0; i < groups; ++i) {
        std::string const n = std::to_string(i);
        text += "set_global_assignment -name ASSIGNMENT_GROUP_MEMBER m_" + n + "_a -section_id g_" +
                n + "\n" + "set_global_assignment -name ASSIGNMENT_GROUP_MEMBER m_" + n +
                "_b -section_id g_" + n + "\n" +
                "set_global_assignment -name ASSIGNMENT_GROUP_EXCEPTION x_" + n +
                " -section_id g_" + n + "\n";
        if (requirements) {
            text += "set_location_assignment PIN_" + n + " -to pin_" + n + "\n" +
                    "set_instance_assignment -name TPD_REQUIREMENT \"5 ns\" -from g_" + n +
                    " -to pin_" + n + "\n" +
                    "set_instance_assignment -name TPD_REQUIREMENT \"6 ns\" -from pin_" + n +
                    " -to g_" + n + "\n";
        }
    }
    return text;
}

std::string read_text(std::string const& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The dialog opened and closed by OK; every group is read and written back.
double groups_dialog(BENCH_TEMP_DIR const& dir, int groups) {
    std::string folder = write_project(dir, "groups", {"a"});
    std::ofstream(folder + "a.tsf") << groups_text(groups, false);
    if (!open_project(folder)) {
        return -1;
    }
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    {
        MDB_TIME_GROUPS_DLG dialog(nullptr, nullptr);
        dialog.on_ok();
    }
    double seconds = bench_seconds_since(start);
    std::vector<MDB_TIME_GROUP> stored;
    if (!mdb_time_groups_read(&stored) || stored.size() != static_cast<size_t>(groups) ||
        stored.back().members.size() != 2 || stored.back().exceptions.size() != 1) {
        seconds = -1;
    }
    close_project(folder);
    return seconds;
}

// Delete All, answered Yes twice (the groups and their assignments), then OK.
double groups_delete_all(BENCH_TEMP_DIR const& dir, int groups) {
    std::string folder = write_project(dir, "delete_all", {"a"});
    std::ofstream(folder + "a.tsf") << groups_text(groups, true);
    if (!open_project(folder)) {
        return -1;
    }
    double seconds = -1;
    {
        MDB_TIME_GROUPS_DLG dialog(nullptr, nullptr);
        msg_queue_answer(MSG_ANSWER_YES);
        msg_queue_answer(MSG_ANSWER_YES);
        BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
        dialog.on_click_delete_all();
        dialog.on_ok();
        seconds = bench_seconds_since(start);
    }
    // Once saved, only the pins are left.
    bool saved = manager()->write_lock(false) && manager()->commit_files_to_disk(false, true);
    manager()->write_unlock(false);
    std::string const text = read_text(folder + "a.tsf");
    if (!saved || text.find("g_") != std::string::npos ||
        text.find("PIN_" + std::to_string(groups - 1) + " ") == std::string::npos) {
        seconds = -1;
    }
    close_project(folder);
    return seconds;
}

// The import of board.esf (pins of entity "board", a quarter as many as the
// revision holds, which with `replace` replace the entity's current ones, else
// join them) into a revision of `pins` pins, half of them of that entity.
double import_esf(BENCH_TEMP_DIR const& dir, int pins, bool replace) {
    std::string folder = write_project(dir, "import", {"a"});
    std::string text = settings_head;
    for (int i = 0; i < pins; ++i) {
        std::string const n = std::to_string(i);
        text += "set_location_assignment PIN_" + n + " -to pin_" + n +
                (i % 2 == 0 ? " -entity board\n" : "\n");
    }
    std::ofstream(folder + "a.tsf") << text;
    std::string esf = "OPTIONS_FOR_INDIVIDUAL_NODES_ONLY\n{\n";
    for (int i = 0; i < pins / 4; ++i) {
        std::string const n = std::to_string(i);
        esf += "    new_" + n + " : LOCATION = PIN_N" + n + ";\n";
    }
    std::ofstream(folder + "board.esf") << esf + "}\n";
    if (!open_project(folder)) {
        return -1;
    }
    BFU_IMPORT_EXPORT importer("a");
    importer.m_import_instance = true;
    importer.m_replace_entity = replace;
    importer.m_source_file = folder + "board.esf";
    importer.m_has_source_file = true;
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    bool imported = importer.import({});
    double seconds = bench_seconds_since(start);
    // The entity's pins are the imported ones (with `replace`); the others stay.
    std::string const after = read_text(folder + "a.tsf");
    if (!imported || (after.find("PIN_0 ") != std::string::npos) == replace ||
        after.find("PIN_1 -to pin_1\n") == std::string::npos ||
        after.find("PIN_N" + std::to_string(pins / 4 - 1) + " ") == std::string::npos) {
        seconds = -1;
    }
    close_project(folder);
    return seconds;
}

// A revision of `components` IP components of 12.1, each an IP file with its
// variation file in a folder of its own; every tenth one a Plexa system.
std::string write_ip_project(BENCH_TEMP_DIR const& dir, int components) {
    std::string folder = write_project(dir, "ip", {"growth"});
    std::string settings = settings_head;
    for (int i = 0; i < components; ++i) {
        std::string const name = "ip_" + std::to_string(i);
        std::string const stem = folder + name + "/" + name;
        std::filesystem::create_directories(folder + name);
        bool const plexa = i % 10 == 9;
        if (plexa) {
            std::ofstream(stem + ".psys") << "<?xml version=\"1.0\"?>\n<system name=\"" << name
                                          << "\" version=\"12.1\"/>\n";
        } else {
            std::ofstream(stem + ".v") << "// -- VestaWizard variation file\n"
                                       << "// -- Retrieval info: <instance entity-name=\"fifo\" "
                                          "version=\"12.1\" >\nmodule "
                                       << name << ";\nendmodule\n";
        }
        std::ofstream(stem + ".tip")
            << "set_global_assignment -name IP_TOOL_NAME \"fifo\"\n"
               "set_global_assignment -name IP_TOOL_VERSION \"12.1\"\n"
               "set_global_assignment -name IP_TOOL_ENV \""
            << (plexa ? "plexa" : "vestawiz") << "\"\nset_global_assignment -name "
            << (plexa ? "MISC_FILE " : "VERILOG_FILE ") << stem << (plexa ? ".psys" : ".v") << "\n";
        settings += "set_global_assignment -name TIP_FILE " + stem + ".tip\n";
    }
    std::ofstream(folder + "growth.tsf") << settings;
    return folder;
}

// Opens the IP project from its own folder, as the host does (the upgrade's
// report is written there); the folder the program started in is restored.
class IP_PROJECT_OPEN {
public:
    explicit IP_PROJECT_OPEN(std::string const& folder)
        : m_started_in(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
        m_open = open_project(folder);
    }
    ~IP_PROJECT_OPEN() { std::filesystem::current_path(m_started_in); }
    IP_PROJECT_OPEN(IP_PROJECT_OPEN const&) = delete;
    IP_PROJECT_OPEN& operator=(IP_PROJECT_OPEN const&) = delete;
    bool open() const { return m_open; }

private:
    std::filesystem::path m_started_in;
    bool m_open = false;
};

// Lets the dialog's delayed layouts and paints happen.
void settle() {
    for (int round = 0; round < 5; ++round) {
        QApplication::processEvents();
    }
}

QStandardItemModel* ip_model(MDB_IP_REGEN_DLG& dialog) {
    return qobject_cast<QStandardItemModel*>(
        dialog.findChild<QTreeView*>("mdb_ip_regen_tree")->model());
}

// Opened, shown and closed (its question answered Yes).
double ip_upgrade_dialog_open(BENCH_TEMP_DIR const& dir, int components) {
    std::string folder = write_ip_project(dir, components);
    IP_PROJECT_OPEN project(folder);
    if (!project.open()) {
        return -1;
    }
    BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
    int rows = -1;
    {
        MDB_IP_REGEN_DLG dialog(nullptr);
        if (dialog.need_show_dlg()) {
            dialog.show();
            settle();
            rows = ip_model(dialog)->rowCount();
            msg_queue_answer(MSG_ANSWER_YES);
            dialog.reject();
        }
    }
    double seconds = bench_seconds_since(start);
    close_project(folder);
    return rows == components ? seconds : -1;
}

// Upgrade pressed on the shown dialog: every standalone component upgraded
// by the wizard, its row showing it.
double ip_upgrade_dialog_upgrade(BENCH_TEMP_DIR const& dir, int components) {
    std::string folder = write_ip_project(dir, components);
    IP_PROJECT_OPEN project(folder);
    if (!project.open()) {
        return -1;
    }
    double seconds = -1;
    {
        MDB_IP_REGEN_DLG dialog(nullptr);
        if (dialog.need_show_dlg()) {
            dialog.show();
            settle();
            BENCH_CLOCK::time_point start = BENCH_CLOCK::now();
            dialog.findChild<QPushButton*>("m_upgrade_button")->click();
            settle();
            seconds = bench_seconds_since(start);
            QStandardItemModel* model = ip_model(dialog);
            int upgraded = 0;
            for (int row = 0; row < model->rowCount(); ++row) {
                upgraded += model->item(row, MDB_IP_REGEN_DLG::ENTITY_COL)
                                ->data(MDB_IP_REGEN_DLG::ALREADY_UPGRADED_ROLE)
                                .toBool();
            }
            if (upgraded != components - components / 10) {
                seconds = -1;
            }
            msg_queue_answer(MSG_ANSWER_YES);
            dialog.reject();
        }
    }
    close_project(folder);
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    BENCH_ARGS args(argc, argv,
                    "usage: bench_mdb_growth [budget-seconds] [only]\n"
                    "  budget-seconds  a size that takes longer ends its series (default 20)\n"
                    "  only            run only the figures whose names contain this text\n");
    double const budget = args.next_number("budget-seconds", 20.0);
    std::string const only = args.next_text("");
    args.done();
    // No display is needed, and none changes the figures.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qt_argc = 1;
    QApplication app(qt_argc, argv);
    BENCH_TEMP_DIR dir("mdb_growth");
    if (dir.path().empty()) {
        std::perror("mkdtemp");
        return 1;
    }
    std::vector<int> const lines = {1000, 3000, 10000, 30000};
    BENCH_SERIES const series[] = {
        {"compare-assignments", lines, [&](int n) { return compare_assignments(dir, n); }},
        {"compare-results", lines, [&](int n) { return compare_results(dir, n); }},
        {"compare-csv", lines, [](int n) { return compare_csv(n); }},
        {"revisions-dialog",
         {10, 30, 100, 300, 1000, 2000},
         [&](int n) { return revisions_dialog(dir, n); }},
        {"groups-dialog", lines, [&](int n) { return groups_dialog(dir, n); }},
        {"groups-delete-all",
         {300, 1000, 3000, 10000, 30000},
         [&](int n) { return groups_delete_all(dir, n); }},
        {"import-replace-entity", lines, [&](int n) { return import_esf(dir, n, true); }},
        {"import-into-pins", lines, [&](int n) { return import_esf(dir, n, false); }},
        {"ip-upgrade-dialog-open",
         {100, 200, 500, 1000},
         [&](int n) { return ip_upgrade_dialog_open(dir, n); }},
        {"ip-upgrade-dialog-upgrade",
         {100, 200, 500, 1000},
         [&](int n) { return ip_upgrade_dialog_upgrade(dir, n); }},
    };
    bool failed = false;
    for (BENCH_SERIES const& s : series) {
        if (only.empty() || std::string(s.name).find(only) != std::string::npos) {
            bench_run_series(s, budget, &failed);
        }
    }
    return failed ? 1 : 0;
}
