// The Assignment Groups dialog with its group-name and add-names dialogs on a
// copy of the generator fixture: loading, the editing commands, the node
// finder, and what OK writes.
#include "sys/mdb/mdb_assignment_groups_add_member_dlg.h"
#include "sys/mdb/mdb_assignment_groups_create_dlg.h"
#include "sys/mdb/mdb_assignment_groups_dlg.h"
#include "sys/mdb/mdb_assignment_groups_settings.h"

#include "acf_assignment.h"
#include "acf_mgr_input_parameters.h"

#include "tests/sys/mdb/mdb_gtf_test_project.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <cstring>
#include <functional>

namespace {

class MdbTimeGroups : public MdbOpenGtfProject {
protected:
    static QComboBox* combo(QDialog* dialog) {
        return dialog->findChild<QComboBox*>("name_combo_box");
    }
    static QStringList names(QDialog* dialog) {
        QStringList texts;
        for (int i = 0; i < combo(dialog)->count(); ++i) {
            texts << combo(dialog)->itemText(i);
        }
        return texts;
    }
    static QStringList rows(QDialog* dialog, char const* view) {
        QStringList texts;
        QAbstractItemModel* model = dialog->findChild<QTableView*>(view)->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            texts << model->index(row, 0).data().toString();
        }
        return texts;
    }
    static QStringList members(QDialog* dialog) { return rows(dialog, "member_table_view"); }
    static QStringList exceptions(QDialog* dialog) { return rows(dialog, "exception_table_view"); }
    static QStandardItemModel* model(QDialog* dialog, char const* name) {
        return dialog->findChild<QStandardItemModel*>(name);
    }
    static bool enabled(QDialog* dialog, char const* name) {
        return dialog->findChild<QWidget*>(name)->isEnabled();
    }
    static void select_rows(QDialog* dialog, char const* view, std::vector<int> const& rows) {
        QTableView* table = dialog->findChild<QTableView*>(view);
        table->clearSelection();
        for (int row : rows) {
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select);
        }
    }
    // Types `text` into the next group-name or add-names dialog and presses OK.
    static void answer_with(QString const& text, char const* edit = "name_text") {
        when_shown([text, edit](QDialog* dialog) {
            dialog->findChild<QLineEdit*>(edit)->setText(text);
            dialog->findChild<QDialogButtonBox*>("button_box")
                ->button(QDialogButtonBox::Ok)
                ->click();
        });
    }
    // The groups as the settings hold them.
    static std::vector<MDB_TIME_GROUP> stored() {
        std::vector<MDB_TIME_GROUP> groups;
        EXPECT_TRUE(mdb_time_groups_read(&groups));
        return groups;
    }
    static std::vector<std::string> stored_members(std::string const& name) {
        for (MDB_TIME_GROUP const& group : stored()) {
            if (group.name == name) {
                return group.members;
            }
        }
        return {};
    }
    static std::vector<std::string> stored_names() {
        std::vector<std::string> texts;
        for (MDB_TIME_GROUP const& group : stored()) {
            texts.push_back(group.name);
        }
        std::sort(texts.begin(), texts.end());
        return texts;
    }
    // The -from and -to texts of the revision's timing requirements.
    static std::vector<std::string> timing_ends() {
        ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
        EXPECT_TRUE(manager->read_lock());
        ACF_MGR_INPUT_PARAMETERS query;
        query.set_variable_type(ACF_VARIABLE_TYPE_TPD_REQUIREMENT);
        ACF_REVISION_MANAGER::ASSIGNMENT_LIST found;
        manager->get_instance_assignment_coll(&query, &found);
        std::vector<std::string> ends;
        for (ACF_ASSIGNMENT* asgn : found) {
            ends.push_back(std::string(asgn->get_source()) + ">" + asgn->get_target());
        }
        manager->read_unlock();
        return ends;
    }
};

TEST_F(MdbTimeGroups, LoadsTheGroupsSortedWithTheFirstOrTheNamedOneCurrent) {
    MDB_TIME_GROUPS_DLG first(nullptr, nullptr);
    EXPECT_EQ(first.windowTitle(), "Assignment Groups");
    EXPECT_EQ(names(&first), (QStringList{"g0", "g1"}));
    // The first group read (the settings list g1 first) is current.
    EXPECT_EQ(combo(&first)->currentText(), "g1");
    EXPECT_EQ(members(&first), (QStringList{"a|b*", "c"}));

    MDB_TIME_GROUPS_DLG named(nullptr, "g1");
    EXPECT_EQ(combo(&named)->currentText(), "g1");
    EXPECT_EQ(members(&named), (QStringList{"a|b*", "c"}));
    EXPECT_EQ(exceptions(&named), QStringList{"a|b2"});
    EXPECT_EQ(combo(&named)->currentData().toList(),
              (QVariantList{"g1", QStringList{"a|b*", "c"}, QStringList{"a|b2"}}));

    MDB_TIME_GROUPS_DLG added(nullptr, "G");
    EXPECT_EQ(names(&added), (QStringList{"G", "g0", "g1"}));
    EXPECT_EQ(combo(&added)->currentText(), "G");
    EXPECT_TRUE(members(&added).isEmpty());
    EXPECT_TRUE(enabled(&added, "delete_all_button"));
    // Buttons that need a selected row wait for one.
    EXPECT_FALSE(enabled(&added, "delete_member_button") || enabled(&added, "edit_member_button"));
}

TEST_F(MdbTimeGroups, ARevisionWithoutGroupsOffersOnlyCreate) {
    MDB_TIME_GROUPS_DLG emptied(nullptr, nullptr);
    msg_queue_answer(MSG_ANSWER_YES);
    msg_queue_answer(MSG_ANSWER_NO);
    emptied.on_click_delete_all();
    emptied.on_ok();
    ASSERT_TRUE(stored().empty());
    for (char const* name : {static_cast<char const*>(nullptr), "g1"}) {
        MDB_TIME_GROUPS_DLG dialog(nullptr, name);
        EXPECT_EQ(combo(&dialog)->count(), 0);
        EXPECT_TRUE(enabled(&dialog, "create_button"));
        for (char const* control : {"name_combo_box", "member_table_view", "delete_button",
                                    "rename_button", "delete_all_button", "add_member_button",
                                    "add_exception_button", "edit_exception_button"}) {
            EXPECT_FALSE(enabled(&dialog, control)) << control;
        }
    }
}

TEST_F(MdbTimeGroups, CreateRefusesAnExistingNameExactlyAndSortsTheNewGroupIn) {
    MDB_TIME_GROUPS_DLG dialog(nullptr, nullptr);
    answer_with("g1");
    dialog.on_click_create();
    EXPECT_EQ(names(&dialog), (QStringList{"g0", "g1"}));
    ASSERT_EQ(logged(296054).size(), 1u);
    EXPECT_EQ(logged(296054).front().text, "Assignment group named g1 already exists.");

    answer_with("G1");
    dialog.on_click_create();
    EXPECT_EQ(names(&dialog), (QStringList{"G1", "g0", "g1"}));
    EXPECT_EQ(combo(&dialog)->currentText(), "G1");
    EXPECT_TRUE(members(&dialog).isEmpty());
}

TEST_F(MdbTimeGroups, TheGroupNameDialogWantsANameAndKeepsBlanks) {
    MDB_CREATE_TIME_GROUP_DLG dialog(nullptr);
    dialog.m_title = "Rename Assignment Group";
    dialog.on_init_dialog();
    QPushButton* ok =
        dialog.findChild<QDialogButtonBox*>("button_box")->button(QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.windowTitle(), "Rename Assignment Group");
    EXPECT_FALSE(ok->isEnabled());
    dialog.findChild<QLineEdit*>("name_text")->setText("  ");
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.m_name, "  ");
    MDB_CREATE_TIME_GROUP_DLG plain(nullptr);
    plain.on_init_dialog();
    EXPECT_EQ(plain.windowTitle(), "Create Assignment Group");
}

TEST_F(MdbTimeGroups, RenameKeepsTheListsAndRefusesAnotherGroupsName) {
    MDB_TIME_GROUPS_DLG dialog(nullptr, "g1");
    answer_with("g0");
    dialog.on_click_rename();
    EXPECT_EQ(names(&dialog), (QStringList{"g0", "g1"}));
    EXPECT_EQ(logged(296054).size(), 1u);

    answer_with("h");
    dialog.on_click_rename();
    EXPECT_EQ(names(&dialog), (QStringList{"g0", "h"}));
    EXPECT_EQ(combo(&dialog)->currentData().toList(),
              (QVariantList{"h", QStringList{"a|b*", "c"}, QStringList{"a|b2"}}));
    EXPECT_TRUE(dialog.deleted_groups().isEmpty());
}

TEST_F(MdbTimeGroups, DeleteAsksTwiceAndMovesToTheNextGroup) {
    MDB_TIME_GROUPS_DLG dialog(nullptr, "g0");
    msg_queue_answer(MSG_ANSWER_NO);
    dialog.on_click_delete();
    EXPECT_EQ(names(&dialog), (QStringList{"g0", "g1"}));

    msg_queue_answer(MSG_ANSWER_YES);
    msg_queue_answer(MSG_ANSWER_NO); // keep the timing assignments that name it
    dialog.on_click_delete();
    EXPECT_EQ(names(&dialog), QStringList{"g1"});
    EXPECT_EQ(combo(&dialog)->currentText(), "g1");
    EXPECT_EQ(members(&dialog), (QStringList{"a|b*", "c"}));
    EXPECT_TRUE(dialog.deleted_groups().isEmpty());

    msg_queue_answer(MSG_ANSWER_YES);
    msg_queue_answer(MSG_ANSWER_YES);
    dialog.on_click_delete();
    EXPECT_EQ(combo(&dialog)->count(), 0);
    EXPECT_EQ(dialog.deleted_groups(), QStringList{"g1"});
    EXPECT_FALSE(enabled(&dialog, "delete_button"));
    EXPECT_TRUE(members(&dialog).isEmpty());
}

TEST_F(MdbTimeGroups, DeleteAllNeedsAYes) {
    MDB_TIME_GROUPS_DLG dialog(nullptr, nullptr);
    msg_queue_answer(MSG_ANSWER_NO);
    dialog.on_click_delete_all();
    EXPECT_EQ(combo(&dialog)->count(), 2);
    msg_queue_answer(MSG_ANSWER_YES);
    msg_queue_answer(MSG_ANSWER_YES);
    dialog.on_click_delete_all();
    EXPECT_EQ(combo(&dialog)->count(), 0);
    EXPECT_EQ(dialog.deleted_groups(), (QStringList{"g0", "g1"}));
    EXPECT_FALSE(enabled(&dialog, "name_combo_box"));
}

TEST_F(MdbTimeGroups, AddedNamesSplitAtBlanksOnly) {
    EXPECT_EQ(mdb_tg_split_names("  a  b c "), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(mdb_tg_split_names("x\ty z z"), (QStringList{"x\ty", "z", "z"}));
    EXPECT_TRUE(mdb_tg_split_names(" \t ").isEmpty());

    MDB_TIME_GROUPS_DLG dialog(nullptr, "g1");
    answer_with("e  f");
    dialog.on_click_members_add();
    EXPECT_EQ(members(&dialog), (QStringList{"a|b*", "c", "e", "f"}));
    when_shown([](QDialog* add) {
        EXPECT_EQ(add->windowTitle(), "Add Exceptions");
        EXPECT_TRUE(add->findChild<QLabel*>("description_label")
                        ->text()
                        .contains("to the exceptions of the assignment group.  Multiple"));
        add->findChild<QLineEdit*>("name_text")->setText("x\ty");
        add->findChild<QDialogButtonBox*>("button_box")->button(QDialogButtonBox::Ok)->click();
    });
    dialog.on_click_exceptions_add();
    EXPECT_EQ(exceptions(&dialog), (QStringList{"a|b2", "x\ty"}));
    answer_with("   ");
    dialog.on_click_members_add();
    EXPECT_EQ(members(&dialog).size(), 4);
}

TEST_F(MdbTimeGroups, DeletingAndEditingRows) {
    MDB_TIME_GROUPS_DLG dialog(nullptr, "g1");
    answer_with("e f");
    dialog.on_click_members_add();
    select_rows(&dialog, "member_table_view", {0, 2});
    EXPECT_TRUE(enabled(&dialog, "delete_member_button"));
    EXPECT_FALSE(enabled(&dialog, "edit_member_button"));
    dialog.on_click_members_delete();
    EXPECT_EQ(members(&dialog), (QStringList{"c", "f"}));
    EXPECT_EQ(combo(&dialog)->currentData().toList().value(1).toStringList(),
              (QStringList{"c", "f"}));

    QStandardItemModel* rows = model(&dialog, "member_model");
    rows->item(1)->setText("g|h");
    EXPECT_EQ(combo(&dialog)->currentData().toList().value(1).toStringList(),
              (QStringList{"c", "g|h"}));
    rows->item(0)->setText(""); // an emptied cell reverts
    EXPECT_EQ(rows->item(0)->text(), "c");
    EXPECT_EQ(combo(&dialog)->currentData().toList().value(1).toStringList(),
              (QStringList{"c", "g|h"}));
    model(&dialog, "exception_model")->item(0)->setText("z");
    EXPECT_EQ(combo(&dialog)->currentData().toList().value(2).toStringList(), QStringList{"z"});
}

TEST_F(MdbTimeGroups, OkWritesEveryGroupAndRemovesWhatNamesDeletedGroups) {
    MDB_TIME_GROUPS_DLG dialog(nullptr, "g1");
    answer_with("e");
    dialog.on_click_exceptions_add();
    combo(&dialog)->setCurrentIndex(combo(&dialog)->findText("g0"));
    msg_queue_answer(MSG_ANSWER_YES);
    msg_queue_answer(MSG_ANSWER_YES);
    dialog.on_click_delete();
    answer_with("n");
    dialog.on_click_create(); // empty: not written
    dialog.on_ok();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    std::vector<MDB_TIME_GROUP> groups = stored();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].name, "g1");
    EXPECT_EQ(groups[0].members, (std::vector<std::string>{"a|b*", "c"}));
    EXPECT_EQ(groups[0].exceptions, (std::vector<std::string>{"a|b2", "e"}));
    EXPECT_EQ(timing_ends(), (std::vector<std::string>{"g1>q", "clk>g1"}));
    EXPECT_TRUE(logged(296044).empty());
}

// The host commits when OK releases the write lock: with no change nothing is
// written, and a change writes its group alone.
TEST_F(MdbTimeGroups, EnterWithNoChangeWritesNothingAndAChangeWritesOnlyItsGroup) {
    struct COMMIT_ON_UNLOCK {
        COMMIT_ON_UNLOCK() { setenv("acf_commit_in_write_unlock", "ON", 1); }
        ~COMMIT_ON_UNLOCK() { unsetenv("acf_commit_in_write_unlock"); }
    } as_the_host;
    std::string const g1 = "set_global_assignment -name ASSIGNMENT_GROUP_MEMBER \"a|b*\" "
                           "-section_id g1\n"
                           "set_global_assignment -name ASSIGNMENT_GROUP_MEMBER c -section_id g1\n"
                           "set_global_assignment -name ASSIGNMENT_GROUP_EXCEPTION \"a|b2\" "
                           "-section_id g1\n";
    {
        SNAPSHOT before = snapshot();
        MDB_TIME_GROUPS_DLG dialog(nullptr, nullptr);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(snapshot(), before);
    }
    // A member added to g0: g1's lines stay byte for byte, quotes and all.
    MDB_TIME_GROUPS_DLG dialog(nullptr, "g0");
    answer_with("e");
    dialog.on_click_members_add();
    dialog.on_ok();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    std::string text = test_read_file(file("gtf.tsf"));
    EXPECT_NE(text.find(g1), std::string::npos) << text;
    EXPECT_NE(text.find("ASSIGNMENT_GROUP_MEMBER e -section_id g0"), std::string::npos) << text;
    EXPECT_EQ(stored_members("g0"), (std::vector<std::string>{"d", "e"}));
}

// Another program's commit or a hand edit of the settings file, made while
// the dialog is open and within the second it read the groups, is kept: OK
// shows the message and writes nothing. So is a change made in this process.
TEST_F(MdbTimeGroups, OkAfterAnOutsideChangeKeepsItAndWritesNothing) {
    struct CASE {
        char const* name;
        std::function<void(std::string const& settings_file)> change;
        std::vector<std::string> g0_members;
    } const cases[] = {
        {"another program adds a member",
         [](std::string const& settings_file) {
             test_write_file(settings_file,
                             test_read_file(settings_file) +
                                 "set_global_assignment -name ASSIGNMENT_GROUP_MEMBER ext_added "
                                 "-section_id g0\n");
         },
         {"d", "ext_added"}},
        {"a hand edit of the same size renames a member",
         [](std::string const& settings_file) {
             std::string text = test_read_file(settings_file);
             size_t at = text.find("MEMBER d -section_id g0");
             ASSERT_NE(at, std::string::npos);
             text[at + std::strlen("MEMBER ")] = 'x';
             test_write_file(settings_file, text);
         },
         {"x"}},
        {"this process adds a member",
         [](std::string const&) {
             ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
             ASSERT_TRUE(manager->write_lock(false));
             ACF_MGR_INPUT_PARAMETERS params;
             params.set_variable_type(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER);
             params.set_section_identifier("g0");
             params.set_value_string("outside");
             ASSERT_NE(manager->set_global_assignment(&params), nullptr);
             manager->write_unlock(false);
         },
         {"d", "outside"}},
    };
    std::string const original = test_read_file(file("gtf.tsf"));
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        ACF_MANAGER::get_acf_manager()->close_project(false);
        test_write_file(file("gtf.tsf"), original);
        open_project();
        msg_log_clear();
        MDB_TIME_GROUPS_DLG dialog(nullptr, "g1");
        answer_with("e");
        dialog.on_click_members_add();
        c.change(file("gtf.tsf"));

        dialog.on_ok();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(logged(296044).size(), 1u);
        std::vector<MDB_TIME_GROUP> groups = stored();
        ASSERT_EQ(groups.size(), 2u);
        std::vector<std::string> const g1_members = {"a|b*", "c"};
        for (MDB_TIME_GROUP const& group : groups) {
            EXPECT_EQ(group.members, group.name == "g0" ? c.g0_members : g1_members) << group.name;
        }
    }
}

TEST_F(MdbTimeGroups, LockedSettingsLoseNothing) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    {
        // The read lock refused on opening: no group shown, and OK erases none.
        ASSERT_TRUE(manager->write_lock(false));
        MDB_TIME_GROUPS_DLG dialog(nullptr, nullptr);
        manager->write_unlock(false);
        EXPECT_EQ(combo(&dialog)->count(), 0);
        dialog.on_ok();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(stored_names(), (std::vector<std::string>{"g0", "g1"}));
    }
    {
        // The write lock refused on OK: a message, and the dialog stays open
        // with its edits.
        MDB_TIME_GROUPS_DLG dialog(nullptr, "g1");
        answer_with("e");
        dialog.on_click_members_add();
        ASSERT_TRUE(manager->read_lock());
        dialog.on_ok();
        manager->read_unlock();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(logged(296051).size(), 1u);
        EXPECT_EQ(members(&dialog), (QStringList{"a|b*", "c", "e"}));
        EXPECT_EQ(stored_members("g1"), (std::vector<std::string>{"a|b*", "c"}));
        dialog.on_ok();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(stored_members("g1"), (std::vector<std::string>{"a|b*", "c", "e"}));
    }
}

// OK removes the lines of changed and deleted groups together; together they
// remove what removing them one by one does: every copy of a value, values
// and groups matched as the settings compare them, nothing for a value or a
// group not held, a line named twice once, and a whole group for no value.
TEST_F(MdbTimeGroups, RemovingMembersTogetherRemovesWhatRemovingThemOneByOneDoes) {
    using LINE = std::pair<char const*, char const*>; // group, member
    std::vector<LINE> const held = {{"x", "m"}, {"x", "m"}, {"x", "M"}, {"X", "n"},
                                    {"y", "m"}, {"y", "o"}, {"z", "p"}, {"z", "q"}};
    std::vector<std::vector<LINE>> const removals = {
        {{"x", "m"}},
        {{"x", "m"}, {"x", "m"}, {"y", "m"}},
        {{"x", "M"}, {"y", "absent"}, {"absent", "m"}},
        {{"x", "n"}, {"Y", "o"}},
        {{"z", ""}, {"x", "m"}},
        {{"absent", "absent"}},
    };
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ACF_MGR_INPUT_PARAMETERS query;
    auto fill = [&](LINE const& line) {
        query.reset();
        query.set_variable_type(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER);
        query.set_section_identifier(line.first);
        query.set_value_string(line.second);
    };
    // The groups left after the removal, and whether it said it removed any.
    auto after = [&](std::vector<LINE> const& removal, bool together) {
        EXPECT_TRUE(manager->write_lock(true));
        query.reset();
        query.set_variable_type(ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER);
        manager->remove_global_assignment(&query);
        for (LINE const& line : held) {
            fill(line);
            manager->set_global_assignment(&query);
        }
        bool removed = false;
        if (together) {
            std::vector<ACF_MGR_INPUT_PARAMETERS> queries;
            for (LINE const& line : removal) {
                fill(line);
                queries.push_back(query);
            }
            removed = manager->remove_global_assignments(queries);
        } else {
            for (LINE const& line : removal) {
                fill(line);
                removed = manager->remove_global_assignment(&query) || removed;
            }
        }
        manager->write_unlock(true);
        return std::make_pair(stored(), removed);
    };
    std::vector<MDB_TIME_GROUP> const all = after({}, false).first;
    for (std::vector<LINE> const& removal : removals) {
        auto one_by_one = after(removal, false);
        EXPECT_EQ(after(removal, true), one_by_one) << removal.front().first << removal.size();
        EXPECT_EQ(one_by_one.first != all, one_by_one.second) << removal.size();
    }
}

TEST_F(MdbTimeGroups, AnIllegalMemberIsNamedAndNothingChanges) {
    MDB_TIME_GROUPS_DLG dialog(nullptr, "g1");
    QVariantList data = combo(&dialog)->currentData().toList();
    data[1] = QStringList{"a|b*", ""};
    combo(&dialog)->setItemData(combo(&dialog)->currentIndex(), data);
    dialog.on_ok();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_FALSE(msg_log_entries().empty());
    EXPECT_EQ(msg_log_entries().back().text,
              "Can't set the member \"\" of assignment group \"g1\" -- no assignment group was "
              "changed");
    EXPECT_EQ(stored_names(), (std::vector<std::string>{"g0", "g1"}));
    EXPECT_EQ(stored_members("g1"), (std::vector<std::string>{"a|b*", "c"}));
}

TEST_F(MdbTimeGroups, TheNodeFinderAddsChosenInstancesWithoutTheRoot) {
    EXPECT_EQ(mdb_tg_root_prefix(), "|top|");
    EXPECT_EQ(mdb_tg_cut_root_prefix("|top|", "top|a|b"), "a|b");
    EXPECT_EQ(mdb_tg_cut_root_prefix("|top|", "|TOP|a"), "a");
    EXPECT_EQ(mdb_tg_cut_root_prefix("|top|", "top"), "top");
    EXPECT_EQ(mdb_tg_cut_root_prefix("", "top|a|b"), "top|a|b");
    EXPECT_EQ(mdb_tg_cut_root_prefix("|top|", "other|a"), "other|a");

    MDB_TIME_GROUP_ADD_DLG add(nullptr);
    add.findChild<QLineEdit*>("name_text")->setText("typed");
    auto pick = [](std::vector<int> rows) {
        when_shown([rows](QDialog* finder) {
            auto* list = finder->findChild<QListWidget*>("instance_list");
            QStringList all;
            for (int row = 0; row < list->count(); ++row) {
                all << list->item(row)->text();
            }
            EXPECT_EQ(all, (QStringList{"top", "top|a", "top|a|b", "top|a|c", "top|led0"}));
            for (int row : rows) {
                list->item(row)->setSelected(true);
            }
            finder->findChild<QDialogButtonBox*>("button_box")
                ->button(QDialogButtonBox::Ok)
                ->click();
        });
    };
    pick({2, 4});
    add.on_click_node_finder();
    EXPECT_EQ(add.findChild<QLineEdit*>("name_text")->text(), "a|b led0");
    when_shown([](QDialog* finder) { finder->reject(); });
    add.on_click_node_finder();
    EXPECT_EQ(add.m_text, "a|b led0");

    // Each later pick is a name of its own, not glued to the last one.
    MDB_TIME_GROUP_ADD_DLG twice(nullptr);
    pick({2});
    twice.on_click_node_finder();
    pick({4});
    twice.on_click_node_finder();
    EXPECT_EQ(twice.findChild<QLineEdit*>("name_text")->text(), "a|b led0");
    twice.on_ok();
    EXPECT_EQ(mdb_tg_split_names(twice.m_text), (QStringList{"a|b", "led0"}));
}

} // namespace
