// The two trees of the Compare Revisions dialog and how they are filled,
// without a widget: the results tree from each revision's compilation summary
// reports, and the assignments tree from each revision's global settings by
// file category. One column per revision, headed by its name, after the
// column of names.
#pragma once

#include "suite/gui/afcq.h"

#include <QString>

#include <string>

class QStandardItem;

// Starts with the column of names, under an empty header item.
class MDB_COMPARE_REV_TREE_MODEL : public AFCQ_TREE_MODEL {
    Q_OBJECT
public:
    explicit MDB_COMPARE_REV_TREE_MODEL(QObject* parent);
    ~MDB_COMPARE_REV_TREE_MODEL() override;
};

// --- Shared tree operations ----------------------------------------------------------
// Removes a top-level item's row when the item has no children.
void mdb_compare_remove_row_if_no_child(MDB_COMPARE_REV_TREE_MODEL* model, QStandardItem* item);

// --- Results ------------------------------------------------------------------------
// One line of a summary report: the key (the text before the colon without the
// character just before it) and the value (everything after the colon).
struct MDB_SUMMARY_LINE {
    std::string key;
    std::string value;
};
// Leading white space is skipped; false for a line without a colon.
bool mdb_parse_summary_line(std::string const& line, MDB_SUMMARY_LINE* out);

enum MDB_SUMMARY_KIND_ENUM {
    MDB_SUMMARY_MAP = 0,
    MDB_SUMMARY_MERGE = 1,
    MDB_SUMMARY_FITTER = 2,
    MDB_SUMMARY_TIMING = 3,     // classic timing: every "Type" line a new group
    MDB_SUMMARY_STA_TIMING = 4, // Clockward timing: groups matched by their type
    MDB_SUMMARY_KIND_COUNT = 5
};
// Merges one report into `column` of the model; by default its last one.
void mdb_load_summary(MDB_COMPARE_REV_TREE_MODEL* model, MDB_SUMMARY_KIND_ENUM kind,
                      std::string const& path, int column = -1);
// Fills the results model from the reports of every revision of the open
// project: a column per revision with at least one report. Shows
// PROMPT_ON_NO_COMPILED_RESULT once when some revision has none.
void mdb_load_project_summary(MDB_COMPARE_REV_TREE_MODEL* model);
// The folder where a revision's reports are: its PROJECT_OUTPUT_DIRECTORY (a
// relative one taken from the project directory), else the project directory.
std::string mdb_revision_output_directory(std::string const& revision);

// --- Assignments --------------------------------------------------------------------
// Fills the assignments model: a column per revision that has a settings
// file; under a group row per file category (but none and category 0), a row
// per variable, shared by the revisions; a variable set several times shows
// all its values in order, one per line.
void mdb_load_project_assignments(MDB_COMPARE_REV_TREE_MODEL* model);
