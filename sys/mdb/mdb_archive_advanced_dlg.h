// The Advanced Archive Settings dialog: a file set of the archive manager,
// subsets to tick, the resulting files with their count and size, files added
// or removed by hand (the "Custom" set), written on OK to the custom list file
// that the archive flow reads.
#pragma once

#include "suite/gui/afcq.h"

#include <QItemSelection>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One archive file subset as the archive dialogs hold it.
struct MDB_ARCHIVE_SUBSET_RECORD {
    std::string name; // the archive manager's key
    std::string ui_name;
    std::string description;
    bool in_default_set = false;
    bool in_custom_set = false;
};
// One record per subset of the archive manager, in its order.
std::vector<MDB_ARCHIVE_SUBSET_RECORD> mdb_archive_subset_records();

// The custom list file's name, in the project's folder.
extern char const* const MDB_ARCHIVE_FILE_LIST_NAME; // "arc_file_list_temp.tmp.txt"

class AWVQ_FILE_LIST_MODEL : public AFCQ_TREE_MODEL {
    Q_OBJECT
public:
    using AFCQ_TREE_MODEL::AFCQ_TREE_MODEL;
};

class Ui_MDB_ADVANCED_ARCHIVE_DLG;

class MDB_ADVANCED_ARCHIVE_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    MDB_ADVANCED_ARCHIVE_DLG(QWidget* parent, QString);
    ~MDB_ADVANCED_ARCHIVE_DLG() override;

    std::string get_file_set_id() const { return m_file_set_id; }
    bool is_custom_file_set() const { return m_custom_file_set; }
    bool is_export_database() const { return m_export_database; }
    std::vector<MDB_ARCHIVE_SUBSET_RECORD> const& subset_records() const {
        return m_subset_records;
    }
    AWVQ_FILE_LIST_MODEL* file_list_model() const { return m_file_list_model; }
    uint64_t total_bytes() const { return m_total_bytes; }

    void add_to_file_list(std::string const& path);
    void update_total_file();
    void update_total_file_size();
    void resize_column_to_content();

public slots:
    void file_set_change();
    void sub_file_list_change();
    void sub_file_list_check_change();
    void file_list_selection_change(QItemSelection const& selected,
                                    QItemSelection const& deselected);
    void add_button();
    void remove_button();
    void accept() override;

private:
    void clear_list();
    void add_subset_files(MDB_ARCHIVE_SUBSET_RECORD const& record, bool* missing);
    void set_checks(std::vector<bool> const& ticks);
    void become_custom();

    std::unique_ptr<Ui_MDB_ADVANCED_ARCHIVE_DLG> m_form;
    AWVQ_FILE_LIST_MODEL* m_file_list_model;
    std::vector<MDB_ARCHIVE_SUBSET_RECORD> m_subset_records;
    bool m_custom_file_set = false;
    bool m_custom_seeded = false;
    bool m_export_database = false;
    bool m_changing = false; // the dialog itself changes the combo box or a check mark
    std::vector<std::string> m_added_files;
    std::string m_file_set_id;
    uint64_t m_total_bytes = 0;
    std::map<std::string, uint64_t> m_counted; // the size each listed file was counted with
};
