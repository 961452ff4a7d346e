// The Assignment Categories dialog of an import. For a settings source (or a
// region import) it ticks the settings database's file categories and the
// device; for a Varnett II file it ticks the file's sections that the
// project's family supports and yields their option words.
#pragma once

#include "sys/mdb/mdb_import_options.h"

#include "suite/devicedb/dev.h"
#include "suite/gui/afcq.h"

#include <QModelIndex>

#include <memory>
#include <string>

class QStandardItem;
class QStandardItemModel;
class Ui_MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG;

// Sections of a Varnett II file: display names and option words (each led by
// one blank), index 0 being "All".
enum { MDB_IMPORT_CATEGORY_SECTION_COUNT = 14 };
extern char const* const MDB_IMPORT_CATEGORY_LIST_STRING[MDB_IMPORT_CATEGORY_SECTION_COUNT];
extern char const* const option_string[MDB_IMPORT_CATEGORY_SECTION_COUNT];

class MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    explicit MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG(QWidget* parent);
    ~MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG() override;

    // Set by the caller before exec: the source kind (Varnett II chooses the
    // section list), and in settings mode the category table to edit in place
    // on OK and the device-import flag.
    void set_file_kind(int kind) { m_file_kind = kind; }
    void set_category_table(ACF_FILE_CATEGORY_ENUM* table) { m_category_table = table; }
    void set_device_import(bool device_import) { m_device_import = device_import; }
    // Read back after an accepted run.
    bool get_device_import() const { return m_device_import; }
    std::string const& get_option_text() const { return m_option_text; }

    // on_init_dialog, then the modal run; 1 when accepted.
    int exec() override;
    // Fills the list for the mode.
    void on_init_dialog();
    // The option words of the sections offered whose rows are ticked (or of
    // every offered section with `all`), each led by a blank, "All" never.
    std::string get_selected_acf_category(bool all) const;
    // The display name of section `index`.
    static char const* get_resource_string(int index);
    // Whether a section is offered for a project of that family: "Cliques"
    // and "Local routing" are not when the family, or its base family, is
    // TOLM 7000B.
    static bool check_for_relevant_import_section(std::string const& name, DEV_FAMILY_ENUM family);
    // The open project's family from its FAMILY setting; DEV_FAMILY_INVALID
    // when unknown or when the settings cannot be read.
    static DEV_FAMILY_ENUM get_user_family_enum();

public slots:
    void on_ok();
    void on_change_selection(QModelIndex const& index);

private:
    QStandardItem* insert_item(QString const& name);
    bool is_varnett2_mode() const;
    bool is_checked(int row) const;

    int m_file_kind = 0;
    ACF_FILE_CATEGORY_ENUM* m_category_table = nullptr;
    bool m_device_import = false;
    std::string m_option_text;
    QStandardItemModel* m_model = nullptr;
    std::unique_ptr<Ui_MDB_IMPORT_ASSIGNMENT_CATEGORY_DLG> m_form;
};
