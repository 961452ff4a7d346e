// The add-names dialog of the assignment groups: the user types node names,
// wildcards or group names, or chooses instances in the suite's node finder;
// the caller splits the accepted text into names.
#pragma once

#include "suite/gui/afcq.h"

#include <QStringList>

#include <memory>
#include <string>

class Ui_MDB_TIME_GROUP_ADD_DLG;

class MDB_TIME_GROUP_ADD_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_TIME_GROUP_ADD_DLG(QWidget* parent);
    ~MDB_TIME_GROUP_ADD_DLG() override;

    // For exceptions: the window title and the description.
    void set_for_exceptions();

    // The accepted text; it also gathers what the node finder added.
    QString m_text;

public slots:
    void on_click_node_finder();
    void on_ok();

private:
    std::unique_ptr<Ui_MDB_TIME_GROUP_ADD_DLG> m_form;
};

// The names of an accepted add-names text: the text trimmed, then split at
// each blank (only the blank character separates names), in typed order,
// duplicates kept.
QStringList mdb_tg_split_names(QString const& text);
// The design root as a prefix of full instance names ("|top|"): the current
// project's top-level entity, read through the project library; empty
// without a read lock or an entity.
std::string mdb_tg_root_prefix();
// An instance name with the root prefix cut off, when the prefix is not empty,
// shorter than the name and equal (ignoring case) to its start; names are
// compared as from the root, with a leading "|".
std::string mdb_tg_cut_root_prefix(std::string const& prefix, std::string const& name);
