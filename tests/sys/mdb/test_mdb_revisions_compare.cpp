// The Compare Revisions dialog over copies of the revision fixture: the
// summary-line reader, the results and assignments trees, the folder icons,
// the CSV text read back by an RFC 4180 reader, and the export.
#include "sys/mdb/mdb_revisions_compare_dlg.h"

#include "acf_mgr_input_parameters.h"

#include "sys/mdb/mdb_revisions_compare_csv.h"
#include "sys/mdb/mdb_revisions_compare_model.h"

#include "tests/sys/mdb/mdb_test_project.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QStandardItem>
#include <QTabWidget>
#include <QToolTip>

#include <memory>

namespace {

using ROW = std::vector<QString>;

// An RFC 4180 reader: records of fields, quoted fields with doubled quotes
// and line breaks inside.
std::vector<ROW> read_csv(QString const& text) {
    std::vector<ROW> rows;
    ROW row;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
        } else if (c == '\n') {
            row.push_back(field);
            rows.push_back(row);
            row.clear();
            field.clear();
        } else {
            field += c;
        }
    }
    return rows;
}

QStringList children(QStandardItem const* parent) {
    QStringList texts;
    for (int row = 0; row < parent->rowCount(); ++row) {
        texts << parent->child(row, 0)->text();
    }
    return texts;
}

QStringList headers(QStandardItemModel const* model) {
    QStringList texts;
    for (int column = 0; column < model->columnCount(); ++column) {
        QStandardItem const* header = model->horizontalHeaderItem(column);
        texts << (header != nullptr ? header->text() : QString("<none>"));
    }
    return texts;
}

QStandardItem* top_row(QStandardItemModel const* model, QString const& text) {
    QList<QStandardItem*> found = model->findItems(text, Qt::MatchExactly, 0);
    return found.isEmpty() ? nullptr : found.front();
}

// The text of the cell of `key` under `parent` in `column`; "<none>" when absent.
QString cell(QStandardItem const* parent, QString const& key, int column) {
    for (int row = 0; row < parent->rowCount(); ++row) {
        if (parent->child(row, 0)->text() == key) {
            QStandardItem const* item = parent->child(row, column);
            return item != nullptr ? item->text() : QString("<none>");
        }
    }
    return "<no row>";
}

bool same_icon(QIcon const& actual, int icon) {
    return actual.pixmap(16, 16).toImage() == afcq_get_icon(icon).pixmap(16, 16).toImage();
}

class MdbCompareRevisions : public MdbRevisionProject {};

TEST(MdbCompareSummaryLine, KeyDropsTheCharacterBeforeTheColonAndValueKeepsTheRest) {
    struct CASE {
        std::string line;
        bool parsed;
        std::string key;
        std::string value;
    } const cases[] = {
        {"Fitter Status : Successful", true, "Fitter Status", " Successful"},
        {"   Total pins  : 40", true, "Total pins ", " 40"},
        {"Started : Thu Dec 10 10:15:00 2026", true, "Started", " Thu Dec 10 10:15:00 2026"},
        {"Family:Vorelon", true, "Famil", "Vorelon"},
        {"Slack : N/A\r", true, "Slack", " N/A"},
        {": value", true, "", " value"},
        {"no colon here", false, "", ""},
        {"", false, "", ""},
        {"   \t ", false, "", ""},
        {std::string(300, 'k') + " : " + std::string(700, 'v'), true, std::string(300, 'k'),
         " " + std::string(700, 'v')},
    };
    for (CASE const& c : cases) {
        MDB_SUMMARY_LINE line;
        ASSERT_EQ(mdb_parse_summary_line(c.line, &line), c.parsed) << c.line;
        if (c.parsed) {
            EXPECT_EQ(line.key, c.key) << c.line;
            EXPECT_EQ(line.value, c.value) << c.line;
        }
    }
}

TEST_F(MdbCompareRevisions, ResultsSetTheRevisionsWithReportsSideBySide) {
    open_project();
    MDB_COMPARE_REV_TREE_MODEL model(nullptr);
    mdb_load_project_summary(&model);

    // alt_lm and fast have no reports, ghost no settings file: one message.
    EXPECT_EQ(headers(&model), QStringList({"", "top", "top_lm"}));
    EXPECT_EQ(logged(296053).size(), 1u);
    EXPECT_EQ(children(model.invisibleRootItem()),
              QStringList({"Analysis & Synthesis", "Fitter", "Classic Timing Analyzer",
                           "Clockward Timing Analyzer"}));

    // Fitter: rows in order of first appearance; a key padded with one more
    // blank is a row of its own; values keep their leading blank and colons.
    QStandardItem* fitter = top_row(&model, "Fitter");
    ASSERT_NE(fitter, nullptr);
    EXPECT_EQ(children(fitter),
              QStringList({"Fitter Status", "Family", "Note", "Total logic elements", "Total pins",
                           "Total logic elements ", "Total registers"}));
    EXPECT_EQ(cell(fitter, "Fitter Status", 1), " Successful - Thu Dec 10 10:15:00 2026");
    EXPECT_EQ(cell(fitter, "Fitter Status", 2), " Successful - Fri Dec 11 09:00:00 2026");
    EXPECT_EQ(cell(fitter, "Family", 2), " Lumiform II");
    EXPECT_EQ(cell(fitter, "Total pins", 2), "<none>");
    EXPECT_EQ(cell(fitter, "Total registers", 1), "<none>");
    EXPECT_EQ(cell(fitter, "Total registers", 2), " 42");
    // A line of any length is read whole, and the lines after it too.
    EXPECT_EQ(cell(fitter, "Note", 1).size(), 301);
    EXPECT_EQ(cell(fitter, "Total pins", 1), " 40");

    // Classic timing: a new group at every "Type" line; an empty one goes.
    QStandardItem* classic = top_row(&model, "Classic Timing Analyzer");
    ASSERT_NE(classic, nullptr);
    EXPECT_EQ(children(classic), QStringList({" Worst-case tsu", " Worst-case tco"}));
    EXPECT_EQ(children(classic->child(0)), QStringList({"Slack", "Actual Time"}));
    EXPECT_EQ(cell(classic->child(1), "Actual Time", 1), " 7.1 ns");

    // Clockward timing: groups matched by type across revisions, keys inside
    // them; a line before the first type goes under the tool row.
    QStandardItem* sta = top_row(&model, "Clockward Timing Analyzer");
    ASSERT_NE(sta, nullptr);
    EXPECT_EQ(children(sta),
              QStringList({"Clockward Timing Analyzer Summary", " Setup 'clk'", " Hold 'clk'"}));
    EXPECT_EQ(cell(sta, "Clockward Timing Analyzer Summary", 1), " done");
    QStandardItem* setup = sta->child(1);
    EXPECT_EQ(children(setup), QStringList({"Slack", "TNS"}));
    EXPECT_EQ(cell(setup, "Slack", 1), " 1.234");
    EXPECT_EQ(cell(setup, "Slack", 2), " 0.900");
    EXPECT_EQ(cell(setup, "TNS", 2), " -1.5");
    EXPECT_EQ(cell(sta->child(2), "Slack", 2), " 0.300");
}

TEST_F(MdbCompareRevisions, ToolRowsAreFoundWithoutRegardToCaseAndClassicGroupsRepeat) {
    open_project();
    MDB_COMPARE_REV_TREE_MODEL model(nullptr);
    model.appendRow(new QStandardItem("FITTER"));
    model.setHorizontalHeaderItem(1, new QStandardItem("a"));
    mdb_load_summary(&model, MDB_SUMMARY_FITTER, file("top.fit.summary"));
    model.setHorizontalHeaderItem(2, new QStandardItem("b"));
    mdb_load_summary(&model, MDB_SUMMARY_TIMING, file("top.tan.summary"));
    mdb_load_summary(&model, MDB_SUMMARY_TIMING, file("top.tan.summary"));

    EXPECT_EQ(children(model.invisibleRootItem()),
              QStringList({"FITTER", "Classic Timing Analyzer"}));
    EXPECT_EQ(cell(model.item(0), "Total pins", 1), " 40");
    EXPECT_EQ(children(model.item(1)), QStringList({" Worst-case tsu", " Worst-case tco",
                                                    " Worst-case tsu", " Worst-case tco"}));
    // A report without a line with a colon leaves no tool row behind.
    test_write_file(file("empty.map.summary"), "no colon\n\n");
    mdb_load_summary(&model, MDB_SUMMARY_MAP, file("empty.map.summary"));
    EXPECT_EQ(top_row(&model, "Analysis & Synthesis"), nullptr);
}

TEST_F(MdbCompareRevisions, AssignmentsShareRowsAndShowEveryValueOfARepeatedVariable) {
    open_project();
    MDB_COMPARE_REV_TREE_MODEL model(nullptr);
    mdb_load_project_assignments(&model);

    EXPECT_EQ(headers(&model), QStringList({"", "top", "top_lm", "alt_lm", "fast"}));
    // Project-wide settings (category 0) and the pin assignment (an instance
    // assignment) are not shown.
    EXPECT_EQ(children(model.invisibleRootItem()),
              QStringList({"Migration Assignments", "Analysis & Synthesis Assignments",
                           "Simulator Assignments"}));
    QStandardItem* synthesis = top_row(&model, "Analysis & Synthesis Assignments");
    EXPECT_EQ(cell(synthesis, "VERILOG_MACRO", 1), "WIDTH=8\nDEPTH=16");
    QStandardItem* simulator = top_row(&model, "Simulator Assignments");
    EXPECT_EQ(children(simulator), QStringList({"START_TIME", "END_TIME"}));
    EXPECT_EQ(cell(simulator, "START_TIME", 1), "0 ns");
    EXPECT_EQ(cell(simulator, "START_TIME", 2), "<none>");
    EXPECT_EQ(cell(simulator, "START_TIME", 3), "5 ns");
    EXPECT_EQ(cell(simulator, "END_TIME", 1), "1,000 ns");
    EXPECT_EQ(cell(simulator, "END_TIME", 2), "2 us");
    EXPECT_TRUE(same_icon(synthesis->icon(), AFCQ_ICON_FOLDER_OPEN));
    EXPECT_EQ(synthesis->child(0, 1)->flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
}

TEST_F(MdbCompareRevisions, TheActiveRevisionShowsItsSettingsAsTheyStandInTheOpenProject) {
    open_project();
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_TRUE(manager->write_lock(false));
    ACF_MGR_INPUT_PARAMETERS change;
    change.set_variable_type(ACF_VARIABLE_TYPE_END_TIME);
    change.set_value_string("3 us");
    ASSERT_NE(manager->set_global_assignment(&change), nullptr);
    manager->write_unlock(false);
    ASSERT_NE(test_read_file(file("top.tsf")).find("1,000 ns"), std::string::npos);

    MDB_COMPARE_REV_TREE_MODEL model(nullptr);
    mdb_load_project_assignments(&model);
    EXPECT_EQ(cell(top_row(&model, "Simulator Assignments"), "END_TIME", 1), "3 us");
}

TEST_F(MdbCompareRevisions, OpeningWritesNothingAndLeavesTheLocksAsTheyWere) {
    // A revision whose settings file has lines in error, which a store would
    // rewrite on its next commit, is read all the same and left as it is.
    test_write_file(file("alt_lm.tsf"), test_read_file(file("alt_lm.tsf")) +
                                            "set_global_assignment -name\n"
                                            "set_global_assignment -name NO_SUCH_VARIABLE 1\n");
    open_project();
    SNAPSHOT before = snapshot();
    {
        MDB_COMPARE_REVISIONS_DLG dialog(nullptr);
        EXPECT_EQ(dialog.tab_widget()->currentIndex(), MDB_COMPARE_REVISIONS_DLG::tab_result_index);
        EXPECT_EQ(dialog.tab_widget()->tabText(0), "Results");
        EXPECT_EQ(dialog.tab_widget()->tabText(1), "Assignments");
        EXPECT_GT(dialog.assignment_model()->columnCount(), 1);
        dialog.show();
        dialog.reject();
    }
    EXPECT_EQ(snapshot(), before);
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    EXPECT_FALSE(manager->is_read_locked());
    EXPECT_FALSE(manager->is_write_locked());

    // Opened while another client holds the write lock, it reads the active
    // revision under that lock and leaves the lock held.
    ASSERT_TRUE(manager->write_lock(false));
    MDB_COMPARE_REVISIONS_DLG dialog(nullptr);
    EXPECT_TRUE(manager->is_write_locked());
    EXPECT_EQ(cell(top_row(dialog.assignment_model(), "Simulator Assignments"), "START_TIME", 1),
              "0 ns");
}

// A very long value (the fixture's 301-character note) is elided, so that
// the revisions' headers stay in view, and shows whole in its tooltip.
TEST_F(MdbCompareRevisions, ALongValueIsElidedAndWholeInItsTooltip) {
    open_project();
    MDB_COMPARE_REVISIONS_DLG dialog(nullptr);
    dialog.show();
    for (int round = 0; round < 20; ++round) {
        QApplication::processEvents();
    }
    MDB_REV_RESULT_TREE_VIEW* view = dialog.result_view();
    int const width = view->viewport()->width();
    for (int column = 1; column < view->model()->columnCount(); ++column) {
        EXPECT_LT(view->header()->sectionViewportPosition(column), width) << column;
    }
    QStandardItem* fitter = top_row(dialog.result_model(), "Fitter");
    ASSERT_NE(fitter, nullptr);
    QModelIndex note;
    for (int row = 0; row < fitter->rowCount(); ++row) {
        if (fitter->child(row, 0)->text() == "Note") {
            note = fitter->child(row, 1)->index();
        }
    }
    ASSERT_TRUE(note.isValid());
    auto point_at = [view](QModelIndex const& index) {
        QPoint centre = view->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, centre, view->viewport()->mapToGlobal(centre));
        QApplication::sendEvent(view->viewport(), &help);
    };
    // A value that fits has no tooltip; the note has its whole text.
    point_at(fitter->child(1, 1)->index());
    EXPECT_FALSE(QToolTip::isVisible());
    EXPECT_LT(view->visualRect(note).width(), view->sizeHintForIndex(note).width());
    point_at(note);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), note.data().toString());
    QToolTip::hideText();
}

TEST_F(MdbCompareRevisions, GroupsShowAnOpenOrClosedFolder) {
    open_project();
    MDB_COMPARE_REVISIONS_DLG dialog(nullptr);
    for (AFCQ_TREE_VIEW* view : {static_cast<AFCQ_TREE_VIEW*>(dialog.result_view()),
                                 static_cast<AFCQ_TREE_VIEW*>(dialog.assignment_view())}) {
        auto* model = static_cast<QStandardItemModel*>(view->model());
        QModelIndex group = model->index(1, 0);
        ASSERT_TRUE(view->isExpanded(group));
        view->collapse(group);
        EXPECT_TRUE(same_icon(model->itemFromIndex(group)->icon(), AFCQ_ICON_FOLDER_CLOSED));
        view->expand(group);
        EXPECT_TRUE(same_icon(model->itemFromIndex(group)->icon(), AFCQ_ICON_FOLDER_OPEN));
        // Rows of keys and variables carry no folder.
        EXPECT_TRUE(model->itemFromIndex(group)->child(0)->icon().isNull());
    }
}

TEST(MdbCompareCsv, FieldsFollowRfc4180AndEveryRowHasTheHeadersFieldCount) {
    AFCQ_TREE_MODEL model(nullptr);
    model.setHorizontalHeaderItem(0, new QStandardItem(""));
    model.setHorizontalHeaderItem(1, new QStandardItem("rev,a"));
    model.setHorizontalHeaderItem(2, new QStandardItem("rev \"b\""));
    auto* group = new QStandardItem("Group, one");
    model.appendRow(group);
    QList<QStandardItem*> full = {new QStandardItem("comma"), new QStandardItem("a,b"),
                                  new QStandardItem("say \"hi\"")};
    group->appendRow(full);
    group->appendRow(new QStandardItem("line break"));
    group->setChild(1, 2, new QStandardItem("one\ntwo\r\nthree"));
    group->appendRow(new QStandardItem("plain"));
    group->setChild(2, 1, new QStandardItem("x"));

    QString text = mdb_compare_csv_text(&model);
    EXPECT_TRUE(text.startsWith(",\"rev,a\",\"rev \"\"b\"\"\",\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"Group, one\"\n"));
    EXPECT_TRUE(text.contains("\nplain,x,,\n")) << text.toStdString();

    std::vector<ROW> rows = read_csv(text);
    ASSERT_EQ(rows.size(), 5u);
    // Each line ends with a comma: one empty field more than columns.
    EXPECT_EQ(rows[0], ROW({"", "rev,a", "rev \"b\"", ""}));
    EXPECT_EQ(rows[1], ROW({"Group, one"}));
    EXPECT_EQ(rows[2], ROW({"comma", "a,b", "say \"hi\"", ""}));
    EXPECT_EQ(rows[3], ROW({"line break", "", "one\ntwo\r\nthree", ""}));
    EXPECT_EQ(rows[4], ROW({"plain", "x", "", ""}));
}

TEST_F(MdbCompareRevisions, ExportWritesTheVisibleTab) {
    open_project();
    MDB_COMPARE_REVISIONS_DLG dialog(nullptr);

    // Without an extension ".csv" is added; the results tab is the visible one.
    afcq_queue_file_answer(QString::fromStdString(file("results")));
    dialog.export_clicked();
    std::string results = test_read_file(file("results.csv"));
    EXPECT_EQ(results.substr(0, results.find('\n')), ",top,top_lm,");
    ASSERT_EQ(logged(296055).size(), 1u);
    EXPECT_NE(logged(296055)[0].text.find(file("results.csv")), std::string::npos);

    dialog.tab_widget()->setCurrentIndex(MDB_COMPARE_REVISIONS_DLG::tab_assignment_index);
    afcq_queue_file_answer(QString::fromStdString(file("assignments.csv")));
    dialog.export_clicked();
    std::vector<ROW> rows =
        read_csv(QString::fromStdString(test_read_file(file("assignments.csv"))));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], ROW({"", "top", "top_lm", "alt_lm", "fast", ""}));
    bool found_end_time = false;
    for (ROW const& row : rows) {
        if (row.size() > 1) {
            EXPECT_EQ(row.size(), rows[0].size());
        }
        if (row[0] == "END_TIME") {
            found_end_time = true;
            EXPECT_EQ(row, ROW({"END_TIME", "1,000 ns", "2 us", "", "", ""}));
        }
    }
    EXPECT_TRUE(found_end_time);
}

TEST_F(MdbCompareRevisions, ExportAsksBeforeReplacingAnAddedExtensionsFileAndKeepsFilesOnFailure) {
    open_project();
    MDB_COMPARE_REVISIONS_DLG dialog(nullptr);
    test_write_file(file("old.csv"), "kept\n");

    // "old" becomes old.csv, which exists: No keeps it.
    msg_queue_answer(MSG_ANSWER_NO);
    afcq_queue_file_answer(QString::fromStdString(file("old")));
    dialog.export_clicked();
    EXPECT_EQ(logged(296050).size(), 1u);
    EXPECT_EQ(test_read_file(file("old.csv")), "kept\n");
    EXPECT_TRUE(logged(296055).empty());

    // Yes replaces it.
    msg_queue_answer(MSG_ANSWER_YES);
    afcq_queue_file_answer(QString::fromStdString(file("old")));
    dialog.export_clicked();
    EXPECT_NE(test_read_file(file("old.csv")), "kept\n");
    EXPECT_EQ(logged(296055).size(), 1u);
    msg_log_clear();

    // A file that cannot be written: its path in the message, no success.
    afcq_queue_file_answer(QString::fromStdString(file("old.csv/inside.csv")));
    dialog.export_clicked();
    ASSERT_EQ(logged(296052).size(), 1u);
    EXPECT_NE(logged(296052)[0].text.find(file("old.csv/inside.csv")), std::string::npos);
    EXPECT_TRUE(logged(296055).empty());

    // A folder in the way stays a folder.
    std::filesystem::create_directory(file("folder.csv"));
    test_write_file(file("folder.csv/inner"), "inner\n");
    afcq_queue_file_answer(QString::fromStdString(file("folder.csv")));
    dialog.export_clicked();
    EXPECT_EQ(logged(296052).size(), 2u);
    EXPECT_EQ(test_read_file(file("folder.csv/inner")), "inner\n");

    // Cancelled: nothing is written and nothing shown.
    msg_log_clear();
    SNAPSHOT before = snapshot();
    dialog.export_clicked();
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(msg_log_entries().empty());
}

} // namespace
