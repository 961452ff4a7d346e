#include "sys/mdb/mdb_revisions_compare_model.h"

#include "acf_manager.h"
#include "suite/fileio/fio.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_revisions_settings.h"

#include <QHash>
#include <QStandardItem>
#include <QStringList>

#include <fstream>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

MDB_COMPARE_REV_TREE_MODEL::MDB_COMPARE_REV_TREE_MODEL(QObject* parent) : AFCQ_TREE_MODEL(parent) {
    setHorizontalHeaderItem(0, new QStandardItem(QString()));
}
MDB_COMPARE_REV_TREE_MODEL::~MDB_COMPARE_REV_TREE_MODEL() = default;

void mdb_compare_remove_row_if_no_child(MDB_COMPARE_REV_TREE_MODEL* model, QStandardItem* item) {
    if (item != nullptr && !item->hasChildren()) {
        model->removeRow(item->row());
    }
}

namespace {

// Cells of both trees can be selected but not edited.
QStandardItem* new_item(QString const& text) {
    auto* item = new QStandardItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

// A group row, as wide as the model from the start: a parent that widens
// once it has rows leaves Qt looking for each of them by a search.
QStandardItem* new_group(QStandardItemModel const* model, QString const& text) {
    QStandardItem* item = new_item(text);
    item->setIcon(afcq_get_icon(AFCQ_ICON_FOLDER_OPEN));
    item->setColumnCount(model->columnCount());
    return item;
}

QString qtext(std::string const& text) {
    return QString::fromLocal8Bit(text.c_str());
}

// A revision's column header: the name, whole in the tooltip when the
// capped column elides it.
QStandardItem* revision_header(std::string const& revision) {
    auto* item = new QStandardItem(qtext(revision));
    item->setToolTip(item->text());
    return item;
}

// The rows under each parent by their text, so that a row is found among
// many at once: a parent's rows are indexed on the first look among them, and
// rows appended through the index join it. A text stands for the first row
// that has it (in column 0). Rows go by their numbers, which stay while rows
// are only appended (a row item asked for its number may search its parent's
// rows).
class ROW_INDEX {
public:
    // The number of the row of `parent` with that text; -1 when none has it.
    int find(QStandardItem* parent, QString const& text) { return rows_of(parent).value(text, -1); }
    // Appends `item` as the last row of `parent`; its number.
    int append(QStandardItem* parent, QStandardItem* item) {
        int row = parent->rowCount();
        parent->appendRow(item);
        auto indexed = m_rows.find(parent);
        if (indexed != m_rows.end() && !indexed->second.contains(item->text())) {
            indexed->second.insert(item->text(), row);
        }
        return row;
    }

private:
    QHash<QString, int> const& rows_of(QStandardItem* parent) {
        auto indexed = m_rows.find(parent);
        if (indexed == m_rows.end()) {
            indexed = m_rows.emplace(parent, QHash<QString, int>()).first;
            // From the last row up, so that the first of a text stays.
            for (int row = parent->rowCount() - 1; row >= 0; --row) {
                if (QStandardItem const* child = parent->child(row, 0)) {
                    indexed->second.insert(child->text(), row);
                }
            }
        }
        return indexed->second;
    }

    std::unordered_map<QStandardItem*, QHash<QString, int>> m_rows;
};

// The number of the row named `key` under `parent`, appended when missing.
int key_row(ROW_INDEX& rows, QStandardItem* parent, QString const& key) {
    int row = rows.find(parent, key);
    return row >= 0 ? row : rows.append(parent, new_item(key));
}

// Where the lines of one report go: the tool's row, the revision's column,
// the rows found so far and the timing group of the lines that follow.
struct SUMMARY_TARGET {
    QStandardItemModel* model;
    QStandardItem* tool;
    int column;
    ROW_INDEX rows;
    QStandardItem* group = nullptr;
};

// The value of a key row, in the revision's column.
void put_value(QStandardItem* parent, int row, int column, QString const& value) {
    parent->setChild(row, column, new_item(value));
}

struct SUMMARY_FILE {
    std::string const& extension;
    std::string const& title;
};
SUMMARY_FILE const summary_files[MDB_SUMMARY_KIND_COUNT] = {
    {REV_MAP_SUMMARY_EXT, REV_MAP_ROW_TITLE},
    {REV_MERGE_SUMMARY_EXT, REV_MERGE_ROW_TITLE},
    {REV_FITTER_SUMMARY_EXT, REV_FITTER_ROW_TITLE},
    {REV_TIMING_SUMMARY_EXT, REV_TIMING_ROW_TITLE},
    {REV_STA_TIMING_SUMMARY_EXT, REV_STA_TIMING_ROW_TITLE},
};

std::string summary_path(std::string const& dir, std::string const& revision,
                         MDB_SUMMARY_KIND_ENUM kind) {
    return FIO_PATH(dir, revision + "." + summary_files[kind].extension).path();
}

// Where a line of a timing report goes: the classic report starts a new group
// at every line whose key begins with "Type"; the Clockward report selects the
// group of that type at a "Type " line, making it only when new. Lines before
// the first group are keys of the tool row, matched like a flat tool's.
void load_timing_line(SUMMARY_TARGET& to, MDB_SUMMARY_KIND_ENUM kind,
                      MDB_SUMMARY_LINE const& line) {
    QString value = qtext(line.value);
    if (kind == MDB_SUMMARY_TIMING && line.key.compare(0, 4, "Type") == 0) {
        to.group = new_group(to.model, value);
        to.rows.append(to.tool, to.group);
        return;
    }
    if (kind == MDB_SUMMARY_STA_TIMING && line.key == "Type ") {
        int row = to.rows.find(to.tool, value);
        if (row >= 0) {
            to.group = to.tool->child(row);
        } else {
            to.group = new_group(to.model, value);
            to.rows.append(to.tool, to.group);
        }
        return;
    }
    QString key = qtext(line.key);
    QStandardItem* parent = to.group != nullptr ? to.group : to.tool;
    int row = to.group != nullptr && kind == MDB_SUMMARY_TIMING
                  ? to.rows.append(to.group, new_item(key))
                  : key_row(to.rows, parent, key);
    put_value(parent, row, to.column, value);
}

} // namespace

bool mdb_parse_summary_line(std::string const& line, MDB_SUMMARY_LINE* out) {
    size_t start = line.find_first_not_of(" \t\r\n\f\v");
    if (start == std::string::npos) {
        return false;
    }
    size_t end = line.size();
    if (line[end - 1] == '\r') {
        --end;
    }
    size_t colon = line.find(':', start);
    if (colon == std::string::npos || colon >= end) {
        return false;
    }
    size_t key_length = colon > start ? colon - start - 1 : 0;
    out->key = line.substr(start, key_length);
    out->value = line.substr(colon + 1, end - colon - 1);
    return true;
}

void mdb_load_summary(MDB_COMPARE_REV_TREE_MODEL* model, MDB_SUMMARY_KIND_ENUM kind,
                      std::string const& path, int column) {
    std::ifstream in(path);
    if (!in) {
        return;
    }
    QString title = qtext(summary_files[kind].title);
    QList<QStandardItem*> tools = model->findItems(title, Qt::MatchFixedString, 0);
    QStandardItem* tool = tools.isEmpty() ? nullptr : tools.front();
    if (tool == nullptr) {
        tool = new_group(model, title);
        model->appendRow(tool);
    }
    SUMMARY_TARGET to{model, tool, column >= 0 ? column : model->columnCount() - 1, {}};
    bool flat = kind == MDB_SUMMARY_MAP || kind == MDB_SUMMARY_MERGE || kind == MDB_SUMMARY_FITTER;
    std::string text;
    MDB_SUMMARY_LINE line;
    while (std::getline(in, text)) {
        if (!mdb_parse_summary_line(text, &line)) {
            continue;
        }
        if (flat) {
            put_value(tool, key_row(to.rows, tool, qtext(line.key)), to.column, qtext(line.value));
        } else {
            load_timing_line(to, kind, line);
        }
    }
    if (kind == MDB_SUMMARY_TIMING && to.group != nullptr && !to.group->hasChildren()) {
        tool->removeRow(to.group->row());
    }
    mdb_compare_remove_row_if_no_child(model, tool);
}

std::string mdb_revision_output_directory(std::string const& revision) {
    std::string project_dir = ACF_MANAGER::get_acf_manager()->get_project_path();
    std::vector<MDB_REVISION_SETTING> settings;
    mdb_read_revision_settings(revision, &settings, {ACF_VARIABLE_TYPE_PROJECT_OUTPUT_DIRECTORY});
    std::string dir = mdb_find_setting(settings, ACF_VARIABLE_TYPE_PROJECT_OUTPUT_DIRECTORY);
    if (dir.empty()) {
        return project_dir;
    }
    return dir.front() == '/' ? dir : FIO_PATH(project_dir, dir).path();
}

void mdb_load_project_summary(MDB_COMPARE_REV_TREE_MODEL* model) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    ACF_MANAGER::STRING_LIST revisions;
    acf_mgr->get_list_of_revisions_for_project(&revisions);
    // Every column first, so that each row is made as wide as the tree.
    struct REPORTS {
        int column;
        std::string revision;
        std::string dir;
        std::vector<MDB_SUMMARY_KIND_ENUM> present;
    };
    std::vector<REPORTS> compiled;
    bool lacking = false;
    for (std::string const& revision : revisions) {
        REPORTS reports{
            model->columnCount(), revision, mdb_revision_output_directory(revision), {}};
        for (int kind = 0; kind < MDB_SUMMARY_KIND_COUNT; ++kind) {
            auto summary = static_cast<MDB_SUMMARY_KIND_ENUM>(kind);
            if (FIO_FILE_SYSTEM::exists(FIO_PATH(summary_path(reports.dir, revision, summary)))) {
                reports.present.push_back(summary);
            }
        }
        if (reports.present.empty()) {
            lacking = true;
            continue;
        }
        model->setHorizontalHeaderItem(reports.column, revision_header(revision));
        compiled.push_back(std::move(reports));
    }
    for (REPORTS const& reports : compiled) {
        for (MDB_SUMMARY_KIND_ENUM kind : reports.present) {
            mdb_load_summary(model, kind, summary_path(reports.dir, reports.revision, kind),
                             reports.column);
        }
    }
    if (lacking) {
        MSG_O* message = MSG_MDB::O::PROMPT_ON_NO_COMPILED_RESULT();
        message->show();
        delete message;
    }
}

void mdb_load_project_assignments(MDB_COMPARE_REV_TREE_MODEL* model) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    ACF_MANAGER::STRING_LIST revisions;
    acf_mgr->get_list_of_revisions_for_project(&revisions);
    // Every column first, so that each row is made as wide as the tree.
    std::vector<std::pair<int, std::string>> columns;
    for (std::string const& revision : revisions) {
        if (FIO_FILE_SYSTEM::exists(FIO_PATH(mdb_revision_settings_file(revision)))) {
            columns.emplace_back(model->columnCount(), revision);
            model->setHorizontalHeaderItem(columns.back().first, revision_header(revision));
        }
    }
    ROW_INDEX rows;
    QStandardItem* root = model->invisibleRootItem();
    for (auto const& [column, revision] : columns) {
        std::vector<MDB_REVISION_SETTING> settings;
        if (mdb_read_revision_settings(revision, &settings) != MDB_SETTINGS_READ_OK) {
            continue;
        }
        // Each variable's values in order, set as its cell's text once they
        // are all read: a variable set many times would otherwise make its
        // growing text anew at every value.
        struct CELL {
            QStandardItem* group;
            int row;
            QStringList values;
        };
        std::vector<CELL> cells;
        std::map<std::pair<QStandardItem*, int>, size_t> cell_of;
        for (MDB_REVISION_SETTING const& setting : settings) {
            if (setting.category == 0 || setting.category == ACF_FILE_CATEGORY_NONE) {
                continue;
            }
            char const* category = ACF_MANAGER::get_file_category_info(
                setting.category, FILE_CATEGORY_INFO_DISPLAY_TEXT);
            QString group_name = QString::fromLocal8Bit(category != nullptr ? category : "");
            int group_row = rows.find(root, group_name);
            QStandardItem* group =
                group_row >= 0 ? root->child(group_row) : new_group(model, group_name);
            if (group_row < 0) {
                rows.append(root, group);
            }
            int variable = key_row(rows, group, qtext(setting.name));
            auto cell = cell_of.emplace(std::make_pair(group, variable), cells.size());
            if (cell.second) {
                cells.push_back({group, variable, QStringList()});
            }
            cells[cell.first->second].values << qtext(setting.value);
        }
        for (CELL const& cell : cells) {
            put_value(cell.group, cell.row, column, cell.values.join(QLatin1Char('\n')));
        }
    }
}
