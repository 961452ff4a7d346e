// Conversion of a project saved in the older sectioned format (an old project
// file listing compiler and simulator settings, a project settings file, one
// compiler settings file per compiler setting, one simulator settings file per
// simulator setting, entity settings files and an old workspace file) into a
// project file and one settings file per revision.
//
// Each compiler setting becomes a revision; a simulator setting joins the
// revision of the compiler setting it uses (or that bears its name), and one
// that no compiler setting takes becomes a revision of its own. The assignments
// of the old project file, the project settings file and every entity settings
// file go into every revision written. Revisions are written through a
// temporary project manager; the old files stay as they are.
//
// A conversion is all or nothing: when a revision cannot be written, or an old
// file that exists cannot be read, everything it wrote is removed again and the
// files it put aside return, so the old project opens as before. A settings file
// that a conversion replaces is first put aside beside itself ("<file>.bak").
//
//     ACF_ASSIGNMENT_FACTORY factory(manager->get_storage());
//     ACF_CONVERT_PROJECT converter(&factory);
//     converter.convert_to_project_manager_scheme(old_project_file, "");
#pragma once

#include "acf_conversion_journal.h"
#include "acf_file_categories.h"
#include "acf_table_types.h"

#include <list>
#include <string>

class ACF_ASSIGNMENT;
class ACF_ASSIGNMENT_FACTORY;
class ACF_MANAGER;
class MSG_POST;

// A simulator setting and the compiler setting its settings file names.
struct ACF_SAP_USE_CAP_INFO {
    std::string m_sap_name;
    std::string m_cap_name; // "" when the file is missing or names none
    std::string m_sap_file; // full path; "" when the file does not exist
};

// One revision to be made.
struct ACF_CAP_SAP_INFO {
    int m_rename_count = 0; // the number last appended to the base name
    std::string m_base_name;
    std::string m_revision_name;
    std::string m_cap_name;
    std::string m_sap_name;
    std::string m_cap_file; // full paths; "" when none
    std::string m_sap_file;
};

class ACF_CONVERT_PROJECT {
public:
    using ASSIGNMENT_COLL = std::list<ACF_ASSIGNMENT*>;
    using STRING_LIST = std::list<std::string>;

    // The factory makes every record read; it must not be null.
    explicit ACF_CONVERT_PROJECT(ACF_ASSIGNMENT_FACTORY* factory);
    ~ACF_CONVERT_PROJECT();
    ACF_CONVERT_PROJECT(ACF_CONVERT_PROJECT const&) = delete;
    ACF_CONVERT_PROJECT& operator=(ACF_CONVERT_PROJECT const&) = delete;

    // The whole conversion of the old project file; true when at least one
    // revision was written. Nothing is done while the process-wide manager's
    // store is locked.
    bool convert_to_project_manager_scheme(std::string const& project_file,
                                           std::string const& revision_name);
    // Whether the last conversion failed and was undone (nothing it wrote stays).
    bool has_failed() const { return m_failed; }

    // Merges the old settings files named after the project (compiler,
    // simulator and project settings) and the entity settings files beside the
    // revision's settings file into the process-wide manager's open revision,
    // only while that manager is write-locked.
    void add_any_found_old_asgn_files(std::string const& project_base_name,
                                      std::string const& revision_file);

    // --- The steps of a conversion, in this order ---------------------------------
    bool create_cap_sap_lists(std::string const& revision_name);
    void read_sap_use_cap_info();
    void add_caps_to_list();
    void add_saps_to_list();
    void check_cap_sap_list_entries();
    bool create_new_assignment_files(std::string const& revision_name);

    // --- Reading the old files ---------------------------------------------------
    // Appends copies of the assignments of the old file of `kind` named `base`
    // beside `path_template`; true when that file exists.
    bool read_assignments_from_file(std::string const& path_template, std::string const& base,
                                    ACF_FILE_TYPE_ENUM kind, ASSIGNMENT_COLL* read_asgn_coll);
    // Every entity settings file in the directory of `path_template`; true when
    // at least one was found.
    bool read_entity_files_in_directory(std::string const& path_template, ASSIGNMENT_COLL* coll);
    // The entity settings files of the user library directories named by the
    // project's last USER_LIBRARIES setting; true when any was found.
    bool read_esf_files_in_user_lib_directories(ASSIGNMENT_COLL* psf_assignment_coll,
                                                ASSIGNMENT_COLL* esf_assignment_coll);
    // The "CurrentCAP" of the old workspace file; "" when none.
    std::string get_active_cap_from_tws_file() const;
    // The name in the letter case of the file of that type on disk.
    std::string get_actual_case_of_file(char const* ap_name, int type) const;

    // --- Writing -----------------------------------------------------------------
    // Sets every assignment of the collection in the manager's open revision.
    void write_assignments(ACF_MANAGER* acf_manager, ASSIGNMENT_COLL* asgn_coll);
    // Deletes every assignment of the collection and empties it.
    static void delete_asgn_coll(ASSIGNMENT_COLL* asgn_coll);

private:
    // The old file of that type named `base` beside the old project file.
    std::string file_of(std::string const& base, int type) const;
    bool file_of_exists(std::string const& base, int type) const;
    ACF_SAP_USE_CAP_INFO const* find_sap_use_cap(std::string const& sap_name) const;
    void delete_lists();
    // Records why the conversion cannot go on; the first reason is kept.
    void fail(std::string const& reason);
    // Posts that the conversion failed, with the reason, and left the files.
    void post_failure() const;
    bool write_revision(ACF_CAP_SAP_INFO const& entry, std::string const& project_file,
                        std::string const& revision_file, ASSIGNMENT_COLL* psf,
                        ASSIGNMENT_COLL* csf, ASSIGNMENT_COLL* esf);

    std::string m_project_file;
    std::list<ACF_CAP_SAP_INFO*> m_cap_sap_list;
    STRING_LIST m_cap_names;
    STRING_LIST m_sap_names;
    std::list<ACF_SAP_USE_CAP_INFO*> m_sap_use_cap_list;
    MSG_POST* m_illegal_assignments_msg = nullptr;
    ACF_ASSIGNMENT_FACTORY* m_assignment_factory;
    ACF_CONVERSION_JOURNAL m_journal;
    bool m_failed = false;
    std::string m_failure;
};
