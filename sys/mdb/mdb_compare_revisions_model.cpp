#include "sys/mdb/mdb_compare_revisions_model.h"

#include "acf_manager.h"
#include "suite/fileio/fio.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_revision_settings.h"

#include <QStandardItem>

#include <fstream>
#include <vector>

MDB_COMPARE_REV_TREE_MODEL::MDB_COMPARE_REV_TREE_MODEL(QObject* parent) : AFCQ_TREE_MODEL(parent) {
    setHorizontalHeaderItem(0, new QStandardItem(QString()));
}
MDB_COMPARE_REV_TREE_MODEL::~MDB_COMPARE_REV_TREE_MODEL() = default;

QStandardItem* mdb_compare_find_child(QStandardItem* parent, QString const& name, bool& found) {
    if (parent == nullptr || !parent->hasChildren()) {
        found = false;
        return nullptr;
    }
    for (int row = 0; row < parent->rowCount(); ++row) {
        QStandardItem* child = parent->child(row, 0);
        if (child != nullptr && child->text().compare(name) == 0) {
            found = true;
            return child;
        }
    }
    return nullptr;
}

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

QStandardItem* new_group(QString const& text) {
    QStandardItem* item = new_item(text);
    item->setIcon(afcq_get_icon(AFCQ_ICON_FOLDER_OPEN));
    return item;
}

QString qtext(std::string const& text) {
    return QString::fromLocal8Bit(text.c_str());
}

// The row named `key` under `parent`, appended when missing.
QStandardItem* key_row(QStandardItem* parent, QString const& key) {
    bool found = false;
    QStandardItem* row = mdb_compare_find_child(parent, key, found);
    if (!found) {
        row = new_item(key);
        parent->appendRow(row);
    }
    return row;
}

// The value of a key row, in the revision's (the last) column.
void put_value(QStandardItemModel* model, QStandardItem* key, QString const& value) {
    key->parent()->setChild(key->row(), model->columnCount() - 1, new_item(value));
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
void load_timing_line(QStandardItemModel* model, QStandardItem* tool, QStandardItem*& group,
                      MDB_SUMMARY_KIND_ENUM kind, MDB_SUMMARY_LINE const& line) {
    QString value = qtext(line.value);
    if (kind == MDB_SUMMARY_TIMING && line.key.compare(0, 4, "Type") == 0) {
        group = new_group(value);
        tool->appendRow(group);
        return;
    }
    if (kind == MDB_SUMMARY_STA_TIMING && line.key == "Type ") {
        bool found = false;
        group = mdb_compare_find_child(tool, value, found);
        if (!found) {
            group = new_group(value);
            tool->appendRow(group);
        }
        return;
    }
    QString key = qtext(line.key);
    QStandardItem* row = nullptr;
    if (group == nullptr) {
        row = key_row(tool, key);
    } else if (kind == MDB_SUMMARY_TIMING) {
        row = new_item(key);
        group->appendRow(row);
    } else {
        row = key_row(group, key);
    }
    put_value(model, row, value);
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
                      std::string const& path) {
    std::ifstream in(path);
    if (!in) {
        return;
    }
    QString title = qtext(summary_files[kind].title);
    QList<QStandardItem*> tools = model->findItems(title, Qt::MatchFixedString, 0);
    QStandardItem* tool = tools.isEmpty() ? nullptr : tools.front();
    if (tool == nullptr) {
        tool = new_group(title);
        model->appendRow(tool);
    }
    bool flat = kind == MDB_SUMMARY_MAP || kind == MDB_SUMMARY_MERGE || kind == MDB_SUMMARY_FITTER;
    QStandardItem* group = nullptr;
    std::string text;
    MDB_SUMMARY_LINE line;
    while (std::getline(in, text)) {
        if (!mdb_parse_summary_line(text, &line)) {
            continue;
        }
        if (flat) {
            put_value(model, key_row(tool, qtext(line.key)), qtext(line.value));
        } else {
            load_timing_line(model, tool, group, kind, line);
        }
    }
    if (kind == MDB_SUMMARY_TIMING && group != nullptr && !group->hasChildren()) {
        tool->removeRow(group->row());
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
    bool lacking = false;
    for (std::string const& revision : revisions) {
        std::string dir = mdb_revision_output_directory(revision);
        std::vector<MDB_SUMMARY_KIND_ENUM> present;
        for (int kind = 0; kind < MDB_SUMMARY_KIND_COUNT; ++kind) {
            auto summary = static_cast<MDB_SUMMARY_KIND_ENUM>(kind);
            if (FIO_FILE_SYSTEM::exists(FIO_PATH(summary_path(dir, revision, summary)))) {
                present.push_back(summary);
            }
        }
        if (present.empty()) {
            lacking = true;
            continue;
        }
        int column = model->columnCount();
        model->setHorizontalHeaderItem(column, new QStandardItem(qtext(revision)));
        for (MDB_SUMMARY_KIND_ENUM kind : present) {
            mdb_load_summary(model, kind, summary_path(dir, revision, kind));
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
    for (std::string const& revision : revisions) {
        if (!FIO_FILE_SYSTEM::exists(FIO_PATH(mdb_revision_settings_file(revision)))) {
            continue;
        }
        int column = model->columnCount();
        model->setHorizontalHeaderItem(column, new QStandardItem(qtext(revision)));
        std::vector<MDB_REVISION_SETTING> settings;
        if (mdb_read_revision_settings(revision, &settings) != MDB_SETTINGS_READ_OK) {
            continue;
        }
        for (MDB_REVISION_SETTING const& setting : settings) {
            if (setting.category == 0 || setting.category == ACF_FILE_CATEGORY_NONE) {
                continue;
            }
            char const* category = ACF_MANAGER::get_file_category_info(
                setting.category, FILE_CATEGORY_INFO_DISPLAY_TEXT);
            QString group_name = QString::fromLocal8Bit(category != nullptr ? category : "");
            QList<QStandardItem*> groups = model->findItems(group_name, Qt::MatchExactly, 0);
            QStandardItem* group = groups.isEmpty() ? nullptr : groups.front();
            if (group == nullptr) {
                group = new_group(group_name);
                model->appendRow(group);
            }
            QStandardItem* variable = key_row(group, qtext(setting.name));
            QStandardItem* cell = group->child(variable->row(), column);
            QString value = qtext(setting.value);
            if (cell != nullptr) {
                cell->setText(cell->text() + "\n" + value);
            } else {
                group->setChild(variable->row(), column, new_item(value));
            }
        }
    }
}
