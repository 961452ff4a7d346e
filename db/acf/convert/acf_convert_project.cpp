// Conversion of old projects: which revisions the old files make, reading them,
// and writing each revision through a temporary project manager.
#include "convert/acf_convert_project.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "acf_msgs.h"
#include "acf_table.h"
#include "convert/acf_file_user_libraries.h"
#include "formats/acf_defaults_file.h"
#include "formats/acf_file.h"
#include "formats/acf_old_project_files.h"
#include "formats/acf_project_file.h"
#include "formats/acf_section.h"
#include "mem_manager.h"
#include "records/acf_assignment_factory.h"
#include "records/acf_manager_storage.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <cstring>
#include <set>
#include <vector>

MEM_UNIT_INITIALIZER(ACF);

namespace {

bool exists(std::string const& path) {
    return FIO_FILE_SYSTEM::exists(FIO_PATH(path));
}

// Setting, entity and USE_CAP names compare ignoring case.
bool same_name(std::string const& a, std::string const& b) {
    return gen_stricmp(a.c_str(), b.c_str()) == 0;
}

std::string extension_of(int type) {
    return FIO_EXTENSION_TYPE_INFO::get_extension_string(type);
}

std::string text_of(char const* text) {
    return text != nullptr ? text : "";
}

} // namespace

ACF_CONVERT_PROJECT::ACF_CONVERT_PROJECT(ACF_ASSIGNMENT_FACTORY* factory)
    : m_assignment_factory(factory) {
    ACF_ASSIGNMENT_FACTORY* acf_assignment_factory = factory;
    ACF_REQUIRE(acf_assignment_factory != NULL);
}

ACF_CONVERT_PROJECT::~ACF_CONVERT_PROJECT() {
    delete m_illegal_assignments_msg;
    delete_lists();
}

void ACF_CONVERT_PROJECT::delete_lists() {
    for (ACF_CAP_SAP_INFO* entry : m_cap_sap_list) {
        delete entry;
    }
    m_cap_sap_list.clear();
    for (ACF_SAP_USE_CAP_INFO* entry : m_sap_use_cap_list) {
        delete entry;
    }
    m_sap_use_cap_list.clear();
}

void ACF_CONVERT_PROJECT::fail(std::string const& reason) {
    if (!m_failed) {
        m_failed = true;
        m_failure = reason;
    }
}

void ACF_CONVERT_PROJECT::post_failure() const {
    MSG_E message;
    message.set_text("Can't convert project " + m_project_file + " -- " + m_failure +
                     ". The old project files were left as they were.");
    message.post();
}

std::string ACF_CONVERT_PROJECT::file_of(std::string const& base, int type) const {
    return FIO_PATH(m_project_file).directory() + base + extension_of(type);
}

bool ACF_CONVERT_PROJECT::file_of_exists(std::string const& base, int type) const {
    return exists(file_of(base, type));
}

// ---------------------------------------------------------------------------
// The whole conversion
// ---------------------------------------------------------------------------

bool ACF_CONVERT_PROJECT::convert_to_project_manager_scheme(std::string const& project_file,
                                                            std::string const& revision_name) {
    ACF_MANAGER* acf_manager = ACF_MANAGER::get_acf_manager();
    if (!ACF_REQUIRE(acf_manager != NULL) || acf_manager->is_read_locked() ||
        acf_manager->is_write_locked()) {
        return false;
    }
    m_failed = false;
    m_failure.clear();
    m_project_file = project_file;
    bool result = false;
    if (create_cap_sap_lists(revision_name)) {
        read_sap_use_cap_info();
        add_caps_to_list();
        add_saps_to_list();
        check_cap_sap_list_entries();
        result = create_new_assignment_files(revision_name);
    } else if (m_failed) {
        post_failure();
    }
    delete_lists();
    return result;
}

// ---------------------------------------------------------------------------
// Which revisions the old files make
// ---------------------------------------------------------------------------

bool ACF_CONVERT_PROJECT::create_cap_sap_lists(std::string const& revision_name) {
    m_cap_names.clear();
    m_sap_names.clear();
    if (!exists(m_project_file)) {
        m_cap_names.push_back(revision_name);
        m_sap_names.push_back(revision_name);
        return true;
    }
    ACF_FILE* file =
        ACF_FILE::get_file(m_project_file.c_str(), ACF_FILE_TYPE_PROJECT, m_assignment_factory);
    if (file == nullptr) {
        fail("file " + m_project_file + " cannot be read");
        return false;
    }
    struct LIST {
        ACF_SECTION_TYPE_ENUM section;
        ACF_VARIABLE_TYPE_ENUM variable;
        int type;
        STRING_LIST* names;
    } const lists[] = {
        {ACF_SECTION_TYPE_COMPILER_ACTION_POINTS, ACF_VARIABLE_TYPE_CAP_NAME,
         FIO_EXTENSION_TYPE_CSF, &m_cap_names},
        {ACF_SECTION_TYPE_SIMULATOR_ACTION_POINTS, ACF_VARIABLE_TYPE_SAP_NAME,
         FIO_EXTENSION_TYPE_SSF, &m_sap_names},
    };
    for (LIST const& list : lists) {
        ACF_SECTION* section = file->find_first(list.section, nullptr);
        if (section == nullptr) {
            continue;
        }
        for (ACF_ASSIGNMENT* record : *section->find(list.variable)) {
            char const* value = record->get_unmodified_value(false);
            if (!gen_is_empty_string(value)) {
                list.names->push_back(get_actual_case_of_file(value, list.type));
            }
        }
    }
    delete file;
    return true;
}

std::string ACF_CONVERT_PROJECT::get_actual_case_of_file(char const* ap_name, int type) const {
    if (!ACF_REQUIRE(ap_name != NULL)) {
        return std::string();
    }
    std::string result = ap_name;
    if (exists(file_of(result, type))) {
        return result;
    }
    // Names in the old project file need not have the letter case of the files.
    std::string wanted = result + extension_of(type);
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    if (FIO_FILE_SYSTEM::list_directory(FIO_PATH(FIO_PATH(m_project_file).directory()), entries)) {
        for (FIO_DIRECTORY_ENTRY const& entry : entries) {
            if (!entry.is_directory && same_name(entry.name, wanted)) {
                return FIO_PATH(entry.name).base();
            }
        }
    }
    return result;
}

void ACF_CONVERT_PROJECT::read_sap_use_cap_info() {
    for (std::string const& sap_name : m_sap_names) {
        auto* info = MEM_NEW(ACF, ACF_SAP_USE_CAP_INFO)();
        info->m_sap_name = sap_name;
        std::string sap_file = file_of(sap_name, FIO_EXTENSION_TYPE_SSF);
        if (exists(sap_file)) {
            info->m_sap_file = FIO_PATH(sap_file).full_path();
            ACF_FILE* file = ACF_FILE::get_file(sap_file.c_str(), ACF_FILE_TYPE_SIMULATOR_SETTINGS,
                                                m_assignment_factory);
            if (file == nullptr) {
                fail("file " + info->m_sap_file + " cannot be read");
            } else {
                ACF_SECTION* section =
                    file->find_first(ACF_SECTION_TYPE_SIMULATOR_SETTINGS, nullptr);
                ACF_ASSIGNMENT* use_cap =
                    section != nullptr ? section->find_first(ACF_VARIABLE_TYPE_USE_CAP) : nullptr;
                if (use_cap != nullptr) {
                    info->m_cap_name = text_of(use_cap->get_unmodified_value(false));
                }
                delete file;
            }
        }
        m_sap_use_cap_list.push_back(info);
    }
}

void ACF_CONVERT_PROJECT::add_caps_to_list() {
    for (std::string const& cap_name : m_cap_names) {
        auto* entry = MEM_NEW(ACF, ACF_CAP_SAP_INFO)();
        entry->m_base_name = cap_name;
        entry->m_revision_name = cap_name;
        entry->m_cap_name = cap_name;
        entry->m_cap_file = FIO_PATH(file_of(cap_name, FIO_EXTENSION_TYPE_CSF)).full_path();

        ACF_SAP_USE_CAP_INFO const* chosen = nullptr;
        bool by_name_only = false;
        for (ACF_SAP_USE_CAP_INFO const* info : m_sap_use_cap_list) {
            if (same_name(info->m_sap_name, cap_name) && same_name(info->m_cap_name, cap_name)) {
                chosen = info;
                break;
            }
        }
        for (auto it = m_sap_use_cap_list.begin();
             chosen == nullptr && it != m_sap_use_cap_list.end(); ++it) {
            if (same_name((*it)->m_cap_name, cap_name)) {
                chosen = *it;
            }
        }
        for (auto it = m_sap_use_cap_list.begin();
             chosen == nullptr && it != m_sap_use_cap_list.end(); ++it) {
            if (same_name((*it)->m_sap_name, cap_name) && (*it)->m_cap_name.empty()) {
                chosen = *it;
                by_name_only = true;
            }
        }
        if (chosen != nullptr) {
            entry->m_sap_name = chosen->m_sap_name;
            entry->m_sap_file =
                by_name_only
                    ? FIO_PATH(file_of(chosen->m_sap_name, FIO_EXTENSION_TYPE_SSF)).full_path()
                    : chosen->m_sap_file;
        }
        m_cap_sap_list.push_back(entry);
    }
}

ACF_SAP_USE_CAP_INFO const*
ACF_CONVERT_PROJECT::find_sap_use_cap(std::string const& sap_name) const {
    for (ACF_SAP_USE_CAP_INFO const* info : m_sap_use_cap_list) {
        if (same_name(info->m_sap_name, sap_name)) {
            return info;
        }
    }
    return nullptr;
}

void ACF_CONVERT_PROJECT::add_saps_to_list() {
    for (std::string const& sap_name : m_sap_names) {
        bool taken = false;
        for (ACF_CAP_SAP_INFO const* entry : m_cap_sap_list) {
            taken = taken || same_name(entry->m_sap_name, sap_name);
        }
        if (taken) {
            continue;
        }
        auto* record = MEM_NEW(ACF, ACF_CAP_SAP_INFO)();
        record->m_base_name = sap_name;
        record->m_revision_name = sap_name;
        record->m_sap_name = sap_name;
        record->m_sap_file = FIO_PATH(file_of(sap_name, FIO_EXTENSION_TYPE_SSF)).full_path();

        ACF_SAP_USE_CAP_INFO const* use = find_sap_use_cap(sap_name);
        std::string used_cap = use != nullptr ? use->m_cap_name : std::string();
        ACF_CAP_SAP_INFO const* source = nullptr;
        for (ACF_CAP_SAP_INFO const* entry : m_cap_sap_list) {
            if (source == nullptr && same_name(entry->m_cap_name, used_cap)) {
                source = entry;
            }
        }
        for (ACF_CAP_SAP_INFO const* entry : m_cap_sap_list) {
            if (source == nullptr && same_name(entry->m_cap_name, sap_name)) {
                source = entry;
            }
        }
        if (source != nullptr) {
            record->m_cap_name = source->m_cap_name;
            record->m_cap_file = source->m_cap_file;
        } else if (!used_cap.empty() && file_of_exists(used_cap, FIO_EXTENSION_TYPE_CSF)) {
            record->m_cap_name = used_cap;
            record->m_cap_file = FIO_PATH(file_of(used_cap, FIO_EXTENSION_TYPE_CSF)).full_path();
        } else if (file_of_exists(sap_name, FIO_EXTENSION_TYPE_CSF)) {
            record->m_cap_name = sap_name;
            record->m_cap_file = FIO_PATH(file_of(sap_name, FIO_EXTENSION_TYPE_CSF)).full_path();
        } else {
            std::string active = get_active_cap_from_tws_file();
            if (!active.empty()) {
                record->m_cap_name =
                    get_actual_case_of_file(active.c_str(), FIO_EXTENSION_TYPE_CSF);
            } else if (!m_cap_names.empty()) {
                record->m_cap_name = m_cap_names.front();
            }
        }
        m_cap_sap_list.push_back(record);
    }
}

std::string ACF_CONVERT_PROJECT::get_active_cap_from_tws_file() const {
    std::string workspace =
        acf_path_with_extension_type(m_project_file, FIO_EXTENSION_TYPE_OLD_WORKSPACE);
    return exists(workspace) ? acf_get_current_cap_from_tws_file(workspace) : std::string();
}

void ACF_CONVERT_PROJECT::check_cap_sap_list_entries() {
    auto carried = [&](std::string const& name, bool cap) {
        for (ACF_CAP_SAP_INFO const* entry : m_cap_sap_list) {
            if (same_name(cap ? entry->m_cap_name : entry->m_sap_name, name)) {
                return true;
            }
        }
        return false;
    };
    auto first_equal = [](STRING_LIST const& names, std::string const& name) {
        for (std::string const& listed : names) {
            if (same_name(listed, name)) {
                return listed;
            }
        }
        return std::string();
    };
    for (std::string const& cap_name : m_cap_names) {
        if (!carried(cap_name, true) && file_of_exists(cap_name, FIO_EXTENSION_TYPE_CSF)) {
            auto* entry = MEM_NEW(ACF, ACF_CAP_SAP_INFO)();
            entry->m_base_name = entry->m_revision_name = entry->m_cap_name = cap_name;
            entry->m_cap_file = FIO_PATH(file_of(cap_name, FIO_EXTENSION_TYPE_CSF)).full_path();
            m_cap_sap_list.push_back(entry);
        }
    }
    for (std::string const& sap_name : m_sap_names) {
        if (!carried(sap_name, false) && file_of_exists(sap_name, FIO_EXTENSION_TYPE_SSF)) {
            auto* entry = MEM_NEW(ACF, ACF_CAP_SAP_INFO)();
            entry->m_base_name = entry->m_revision_name = entry->m_sap_name = sap_name;
            entry->m_sap_file = FIO_PATH(file_of(sap_name, FIO_EXTENSION_TYPE_SSF)).full_path();
            m_cap_sap_list.push_back(entry);
        }
    }
    for (ACF_CAP_SAP_INFO* entry : m_cap_sap_list) {
        if (entry->m_cap_name.empty()) {
            entry->m_cap_name = first_equal(m_cap_names, entry->m_sap_name);
        }
        if (entry->m_sap_name.empty()) {
            entry->m_sap_name = first_equal(m_sap_names, entry->m_cap_name);
        }
    }
    for (ACF_CAP_SAP_INFO* entry : m_cap_sap_list) {
        if (!entry->m_cap_name.empty() && entry->m_cap_file.empty() &&
            file_of_exists(entry->m_cap_name, FIO_EXTENSION_TYPE_CSF)) {
            entry->m_cap_file =
                FIO_PATH(file_of(entry->m_cap_name, FIO_EXTENSION_TYPE_CSF)).full_path();
        }
        if (!entry->m_sap_name.empty() && entry->m_sap_file.empty() &&
            file_of_exists(entry->m_sap_name, FIO_EXTENSION_TYPE_SSF)) {
            entry->m_sap_file =
                FIO_PATH(file_of(entry->m_sap_name, FIO_EXTENSION_TYPE_SSF)).full_path();
        }
    }
    // Revision names are unique (case-sensitive) and name no project file there.
    std::set<std::string> given;
    for (ACF_CAP_SAP_INFO* entry : m_cap_sap_list) {
        while (file_of_exists(entry->m_revision_name, FIO_EXTENSION_TYPE_TPF) ||
               given.count(entry->m_revision_name) != 0) {
            ++entry->m_rename_count;
            entry->m_revision_name = entry->m_base_name + std::to_string(entry->m_rename_count);
        }
        given.insert(entry->m_revision_name);
    }
}

// ---------------------------------------------------------------------------
// Reading the old files
// ---------------------------------------------------------------------------

bool ACF_CONVERT_PROJECT::read_assignments_from_file(std::string const& path_template,
                                                     std::string const& base,
                                                     ACF_FILE_TYPE_ENUM kind,
                                                     ASSIGNMENT_COLL* read_asgn_coll) {
    if (!ACF_REQUIRE(read_asgn_coll != NULL)) {
        return false;
    }
    std::string path = acf_old_file_path(path_template, base, kind);
    if (!exists(path)) {
        return false;
    }
    std::string full_path = FIO_PATH(path).full_path();
    // A file with syntax errors is left out as a whole, with a warning, rather
    // than converted with whatever part of it parsed.
    ACF_FILE* file = MEM_NEW(ACF, ACF_FILE)(full_path.c_str(), kind, m_assignment_factory);
    if (!file->read_file()) {
        if (!file->get_read_error().empty()) {
            // Converting without it would lose its settings for good.
            fail("file " + full_path + " cannot be read: " + file->get_read_error());
            delete file;
            return true;
        }
        delete file;
        MSG_POST* warning = MSG_ACF::W::CONVERSION_IGNORING_FILE(full_path.c_str());
        warning->post();
        delete warning;
        return true;
    }
    acf_copy_old_file_assignments(file, m_assignment_factory, read_asgn_coll);
    if (file->has_illegal_assignments()) {
        if (m_illegal_assignments_msg == nullptr) {
            m_illegal_assignments_msg = MSG_ACF::I::ILLEGAL_ASSIGNMENTS_IGNORED_DURING_CONVERSION();
        }
        if (ACF_REQUIRE(m_illegal_assignments_msg != NULL)) {
            file->add_illegal_assignments_messages(m_illegal_assignments_msg);
        }
    }
    delete file;
    return true;
}

bool ACF_CONVERT_PROJECT::read_entity_files_in_directory(std::string const& path_template,
                                                         ASSIGNMENT_COLL* coll) {
    std::string directory = FIO_PATH(path_template).directory();
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    if (!FIO_FILE_SYSTEM::list_directory(FIO_PATH(directory.empty() ? "." : directory), entries)) {
        return false;
    }
    bool found = false;
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        if (!entry.is_directory && fio_get_extension_type(entry.name) == FIO_EXTENSION_TYPE_ESF) {
            found = read_assignments_from_file(path_template, FIO_PATH(entry.name).base(),
                                               ACF_FILE_TYPE_ENTITY_SETTINGS, coll) ||
                    found;
        }
    }
    return found;
}

bool ACF_CONVERT_PROJECT::read_esf_files_in_user_lib_directories(
    ASSIGNMENT_COLL* psf_assignment_coll, ASSIGNMENT_COLL* esf_assignment_coll) {
    if (!ACF_REQUIRE(psf_assignment_coll) || !ACF_REQUIRE(esf_assignment_coll)) {
        return false;
    }
    std::string libraries;
    for (ACF_ASSIGNMENT const* asgn : *psf_assignment_coll) {
        if (asgn != nullptr && asgn->get_type() == ACF_VARIABLE_TYPE_NONDEFAULT_LIBS) {
            libraries = text_of(asgn->get_unmodified_value(false));
        }
    }
    bool found = false;
    for (std::string directory : acf_file_user_library_directories(libraries)) {
        // A relative directory is taken from the project's directory.
        if (directory[0] != '/') {
            directory = FIO_PATH(m_project_file).directory() + directory;
        }
        found = read_entity_files_in_directory(directory, esf_assignment_coll) || found;
    }
    return found;
}

// ---------------------------------------------------------------------------
// Writing the revisions
// ---------------------------------------------------------------------------

bool ACF_CONVERT_PROJECT::create_new_assignment_files(std::string const& revision_name) {
    ACF_MANAGER* acf_manager = ACF_MANAGER::get_acf_manager();
    if (!ACF_REQUIRE(acf_manager != NULL)) {
        return false;
    }
    std::string directory = FIO_PATH(FIO_PATH(m_project_file).full_path()).directory();
    std::string project_file =
        directory + FIO_PATH(m_project_file).base() + extension_of(FIO_EXTENSION_TYPE_TPF);
    std::string project_base = FIO_PATH(project_file).base();
    m_journal.watch(project_file);

    ASSIGNMENT_COLL psf_assignment_coll;
    ASSIGNMENT_COLL esf_assignment_coll;
    ASSIGNMENT_COLL csf_assignment_coll;
    bool any = read_assignments_from_file(m_project_file, project_base, ACF_FILE_TYPE_PROJECT,
                                          &psf_assignment_coll);
    any = read_assignments_from_file(m_project_file, project_base, ACF_FILE_TYPE_PROJECT_SETTINGS,
                                     &psf_assignment_coll) ||
          any;
    any = read_entity_files_in_directory(m_project_file, &esf_assignment_coll) || any;
    any = read_esf_files_in_user_lib_directories(&psf_assignment_coll, &esf_assignment_coll) || any;

    bool written = false;
    for (ACF_CAP_SAP_INFO const* entry : m_cap_sap_list) {
        if (m_failed) {
            break;
        }
        delete_asgn_coll(&csf_assignment_coll);
        bool rev_any = any;
        if (!entry->m_cap_file.empty()) {
            rev_any =
                read_assignments_from_file(m_project_file, FIO_PATH(entry->m_cap_file).base(),
                                           ACF_FILE_TYPE_COMPILER_SETTINGS, &csf_assignment_coll) ||
                rev_any;
        }
        if (!entry->m_sap_file.empty()) {
            rev_any = read_assignments_from_file(m_project_file, FIO_PATH(entry->m_sap_file).base(),
                                                 ACF_FILE_TYPE_SIMULATOR_SETTINGS,
                                                 &csf_assignment_coll) ||
                      rev_any;
        }
        if (m_failed) {
            break;
        }

        // The top-level entity, and the letter case of the entity names that mean it.
        std::string top_level = !revision_name.empty()            ? FIO_PATH(revision_name).base()
                                : !entry->m_revision_name.empty() ? entry->m_revision_name
                                                                  : FIO_PATH(m_project_file).base();
        // The older files keep it with the project settings: it is looked for
        // there too, so that the revision's name does not replace it.
        ACF_ASSIGNMENT* top_asgn = nullptr;
        for (ASSIGNMENT_COLL* coll : {&csf_assignment_coll, &psf_assignment_coll}) {
            for (ACF_ASSIGNMENT* asgn : *coll) {
                if (top_asgn == nullptr && asgn->get_type() == ACF_VARIABLE_TYPE_ROOT) {
                    top_asgn = asgn;
                }
            }
        }
        if (top_asgn != nullptr) {
            top_level = text_of(top_asgn->get_unmodified_value(false));
        } else {
            ACF_ASSIGNMENT* asgn =
                m_assignment_factory->create_assignment(ACF_VARIABLE_TYPE_ROOT, nullptr, nullptr,
                                                        nullptr, top_level.c_str(), nullptr, false);
            if (ACF_REQUIRE(asgn != NULL)) {
                csf_assignment_coll.push_back(asgn);
            }
        }
        if (!top_level.empty()) {
            if (top_level.size() >= 2 && top_level[0] == '|') {
                top_level.erase(0, 1);
            }
            bool exact = false;
            for (ACF_ASSIGNMENT const* asgn : esf_assignment_coll) {
                exact = exact || text_of(asgn->get_entity_name()) == top_level;
            }
            if (!exact) {
                for (ASSIGNMENT_COLL* coll :
                     {&psf_assignment_coll, &csf_assignment_coll, &esf_assignment_coll}) {
                    for (ACF_ASSIGNMENT* asgn : *coll) {
                        char const* entity = asgn->get_entity_name();
                        if (entity != nullptr && same_name(entity, top_level)) {
                            asgn->set_entity_name(top_level.c_str());
                        }
                    }
                }
            }
        }

        std::string revision_file =
            directory + entry->m_revision_name + extension_of(FIO_EXTENSION_TYPE_TSF);
        if (rev_any && !m_journal.put_aside(revision_file)) {
            fail("file " + revision_file + " cannot be put aside");
        } else if (exists(revision_file)) {
            // Nothing old was found for a revision that already has its settings file.
            if (!acf_manager->move_revision_to_top_of_project_file_list(
                    project_file.c_str(), entry->m_revision_name.c_str())) {
                fail("file " + project_file + " cannot be written");
            }
        } else if (rev_any) {
            written = write_revision(*entry, project_file, revision_file, &psf_assignment_coll,
                                     &csf_assignment_coll, &esf_assignment_coll) ||
                      written;
        }
    }
    delete_asgn_coll(&csf_assignment_coll);
    delete_asgn_coll(&psf_assignment_coll);
    delete_asgn_coll(&esf_assignment_coll);

    if (m_failed) {
        m_journal.undo();
        written = false;
        post_failure();
    } else {
        m_journal.keep();
    }
    if (written) {
        MSG_POST* converted =
            MSG_ACF::I::PROJECT_CONVERTED(m_project_file.c_str(), project_file.c_str());
        converted->post();
        delete converted;
    }
    if (m_illegal_assignments_msg != nullptr) {
        if (!m_failed && !m_illegal_assignments_msg->get_sub_messages().empty()) {
            m_illegal_assignments_msg->post();
        } else {
            delete m_illegal_assignments_msg;
            m_illegal_assignments_msg = nullptr;
        }
    }
    return written;
}

bool ACF_CONVERT_PROJECT::write_revision(ACF_CAP_SAP_INFO const& entry,
                                         std::string const& project_file,
                                         std::string const& revision_file, ASSIGNMENT_COLL* psf,
                                         ASSIGNMENT_COLL* csf, ASSIGNMENT_COLL* esf) {
    std::string directory = FIO_PATH(revision_file).directory();
    m_journal.watch(revision_file);
    m_journal.watch(directory + acf_revision_defaults_file_name(entry.m_revision_name));

    ACF_MANAGER* temp_acf_manager = ACF_MANAGER_FACTORY::create_new_manager();
    if (!ACF_REQUIRE(temp_acf_manager != NULL)) {
        fail("no project manager");
        return false;
    }
    std::string project_name = FIO_PATH(project_file).base() + extension_of(FIO_EXTENSION_TYPE_TPF);
    int status = temp_acf_manager->open_project(directory.c_str(), project_name.c_str(),
                                                entry.m_revision_name.c_str(), false, true, true,
                                                true, true);
    bool done = false;
    if (status == ACF_REVISION_MANAGER::SUCCESS) {
        if (temp_acf_manager->write_lock(false)) {
            write_assignments(temp_acf_manager, psf);
            write_assignments(temp_acf_manager, csf);
            write_assignments(temp_acf_manager, esf);
            done = temp_acf_manager->commit_files_to_disk(false, false);
            temp_acf_manager->write_unlock(false);
        }
        temp_acf_manager->close_project(true);
    }
    ACF_MANAGER_FACTORY::delete_manager(temp_acf_manager);
    if (!done) {
        fail("revision " + entry.m_revision_name + " could not be written to " + revision_file);
    }
    return done;
}

void ACF_CONVERT_PROJECT::write_assignments(ACF_MANAGER* acf_manager, ASSIGNMENT_COLL* asgn_coll) {
    if (!ACF_REQUIRE(acf_manager != NULL) || !ACF_REQUIRE(asgn_coll != NULL)) {
        return;
    }
    ACF_MGR_INPUT_PARAMETERS params;
    for (ACF_ASSIGNMENT const* asgn : *asgn_coll) {
        if (asgn == nullptr || asgn->is_removed() ||
            asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_DONT_COPY_TO_NEW_FILE_FORMAT)) {
            continue;
        }
        asgn->fill_in_input_parameter(&params);
        ACF_VARIABLE_TYPE_ENUM type = asgn->get_type();
        if (type == ACF_VARIABLE_TYPE_NONE ||
            acf_test_variable_trait_of(type, ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM)) {
            acf_manager->set_freeform_assignment(&params);
        } else if (asgn->is_global()) {
            acf_manager->set_global_assignment(&params);
        } else {
            acf_manager->set_instance_assignment(&params);
        }
    }
}

void ACF_CONVERT_PROJECT::delete_asgn_coll(ASSIGNMENT_COLL* asgn_coll) {
    if (asgn_coll == nullptr) {
        return;
    }
    for (ACF_ASSIGNMENT* asgn : *asgn_coll) {
        delete asgn;
    }
    asgn_coll->clear();
}

// ---------------------------------------------------------------------------
// Old settings files beside a new revision
// ---------------------------------------------------------------------------

void ACF_CONVERT_PROJECT::add_any_found_old_asgn_files(std::string const& project_base_name,
                                                       std::string const& revision_file) {
    ACF_MANAGER* acf_manager = ACF_MANAGER::get_acf_manager();
    if (!ACF_REQUIRE(acf_manager != NULL) || !acf_manager->is_write_locked()) {
        return;
    }
    ASSIGNMENT_COLL coll;
    read_entity_files_in_directory(revision_file, &coll);
    for (ACF_FILE_TYPE_ENUM kind :
         {ACF_FILE_TYPE_COMPILER_SETTINGS, ACF_FILE_TYPE_SIMULATOR_SETTINGS,
          ACF_FILE_TYPE_PROJECT_SETTINGS}) {
        read_assignments_from_file(revision_file, project_base_name, kind, &coll);
    }
    write_assignments(acf_manager, &coll);
    delete_asgn_coll(&coll);
}
