#include "services/asgnimport/bfu_import_export.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_manager_reader.h"
#include "acf_mgr_input_parameters.h"
#include "acf_table.h"
#include "suite/dbmanagerui/dbmui.h"
#include "suite/fileio/fio.h"
#include "suite/hierdb/hdb.h"
#include "suite/messages/msg.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <unordered_set>

namespace {
// Identifiers of the import's own messages.
constexpr unsigned BFU_MSG_ID_IMPORTED = 331001;
constexpr unsigned BFU_MSG_ID_NOTHING_IMPORTED = 331002;
constexpr unsigned BFU_MSG_ID_ASSIGNMENT_REFUSED = 331003;

// The name under which promotion borrows the compiled hierarchy.
char const* const PROMOTE_REQUESTER = "BFU_IMPORT_EXPORT::promote";

void post(MSG_POST&& message, unsigned id, char const* format, char const* arg1,
          char const* arg2 = "", char const* arg3 = "") {
    message.set_id(id);
    message.fill_args(format, arg1, arg2, arg3);
    message.post();
}

} // namespace

void bfu_post_bad_line(std::string const& file, int line, char const* reason) {
    MSG_E message;
    message.set_id(331004);
    if (line > 0) {
        message.fill_args("Line %2!s! of %1!s!: %3!s!/EBFU_BAD_LINE", file.c_str(),
                          std::to_string(line).c_str(), reason);
    } else {
        message.fill_args("Can't import %1!s!: %2!s!/EBFU_BAD_LINE", file.c_str(), reason);
    }
    message.post();
}

namespace {
bool is_device_variable(ACF_VARIABLE_TYPE_ENUM type) {
    return type == ACF_VARIABLE_TYPE_DEVICE || type == ACF_VARIABLE_TYPE_FAMILY;
}

bool is_back_annotated_routing(ACF_VARIABLE_TYPE_ENUM type) {
    return type == ACF_VARIABLE_TYPE_ROUTING_BACK_ANNOTATION_MODE ||
           type == ACF_VARIABLE_TYPE_ROUTING_BACK_ANNOTATION_FILE;
}

// Whether `name` lies inside the region `region` of the hierarchy.
bool is_inside(std::string const& name, std::string const& region) {
    return name == region ||
           (name.size() > region.size() && name.compare(0, region.size(), region) == 0 &&
            name[region.size()] == '|');
}

// What an import takes its assignments from, as its messages name it: the
// source file, or, when none is named, the regions.
std::string source_name(bool has_file, std::string const& file,
                        std::vector<std::string> const& regions) {
    if (has_file || regions.empty()) {
        return file;
    }
    std::string names;
    for (std::string const& region : regions) {
        names += (names.empty() ? "" : ", ") + region;
    }
    return (regions.size() == 1 ? "region " : "regions ") + names;
}

std::string text(char const* s) {
    return s != nullptr ? s : "";
}

// Why `source` cannot be read as a file, or "" when it can: it has to be a
// regular file that the user may read (a pipe must not hang the import).
std::string unreadable_reason(std::string const& source) {
    int fd = open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::strerror(errno);
    }
    struct stat st;
    std::string reason = fstat(fd, &st) != 0    ? std::strerror(errno)
                         : S_ISDIR(st.st_mode)  ? "it is a directory"
                         : !S_ISREG(st.st_mode) ? "it is no regular file"
                                                : "";
    close(fd);
    return reason;
}

// A settings file of the current format, read by the settings file reader
// without touching the revision; a file that cannot be read whole (a NUL
// byte in it, a read error) refuses the import.
bool read_settings_file(std::string const& source, std::vector<BFU_IMPORT_ITEM>* items) {
    ACF_MANAGER_READER reader;
    bool read = reader.read_file(source.c_str(), false, nullptr, false, false);
    reader.get_post_messages(nullptr);
    if (!read) {
        // The reason names the file it is about (the source, or a file it
        // sources); the source itself is named once.
        std::string reason = reader.get_read_error();
        if (reason.rfind(source + ": ", 0) == 0) {
            reason.erase(0, source.size() + 2);
        }
        bfu_post_bad_line(source, 0, reason.c_str());
        return false;
    }
    for (ACF_MGR_ASGN_LINE const* line : reader.get_assignment_lines()) {
        if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_VERBATIM)) {
            continue;
        }
        int32_t index = line->get_file_index();
        std::string file = index > 0 ? text(reader.get_file_name(index)) : source;
        BFU_IMPORT_ITEM item;
        item.name = text(line->get_name());
        item.type = acf_user_name_to_variable_type_enum(line->get_name());
        char const* reason = nullptr;
        if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR)) {
            reason = "not an assignment";
        } else if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_PARAMETER) ||
                   line->test_flag(ACF_MGR_ASGN_LINE::FLAG_REMOVE)) {
            reason = "parameters and removals are not imported";
        } else if (item.type == ACF_VARIABLE_TYPE_NONE) {
            reason = "unknown assignment name";
        }
        if (reason != nullptr) {
            bfu_post_bad_line(file, line->get_line_number(), reason);
            return false;
        }
        item.has_entity = line->get_entity() != nullptr;
        item.entity = text(line->get_entity());
        item.has_section_id = line->get_section_id() != nullptr;
        item.section_id = text(line->get_section_id());
        item.from = text(line->get_from());
        item.to = text(line->get_to());
        item.value = text(line->get_value());
        item.comment = text(line->get_comment());
        item.disabled = line->test_flag(ACF_MGR_ASGN_LINE::FLAG_DISABLED);
        items->push_back(item);
    }
    return true;
}
// The number of the first line of `file` that reads `text` (without its line
// end); 0 when none does.
int line_number_of(std::string const& file, std::string const& text) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        if (line == text) {
            return number;
        }
    }
    return 0;
}

// The item of an assignment the settings database made.
BFU_IMPORT_ITEM item_of(ACF_ASSIGNMENT const* assignment) {
    BFU_IMPORT_ITEM item;
    item.name = text(assignment->get_variable_string());
    item.type = assignment->get_type();
    if (item.type == ACF_VARIABLE_TYPE_NONE) { // a name the reader kept as written
        item.type = acf_user_name_to_variable_type_enum(item.name.c_str());
    }
    item.has_entity = assignment->get_entity_name() != nullptr;
    item.entity = text(assignment->get_entity_name());
    item.has_section_id = assignment->get_section_identifier() != nullptr;
    item.section_id = text(assignment->get_section_identifier());
    item.from = text(assignment->get_source());
    item.to = text(assignment->get_target());
    item.value = text(assignment->get_value(true));
    item.comment = text(assignment->get_comments());
    item.disabled = assignment->is_ignored();
    return item;
}

// A Comma-Separated Value file, read by the settings database's reader into
// its list of assignments of no project; a row in error refuses the file.
bool read_csv_file(ACF_MANAGER* acf_mgr, std::string const& source,
                   std::vector<BFU_IMPORT_ITEM>* items) {
    std::vector<BFU_IMPORT_ITEM> read_items;
    std::vector<std::string> error_rows;
    bool read = acf_mgr->read_csv_assignments(
        source.c_str(),
        [&read_items](ACF_ASSIGNMENT const* assignment) {
            read_items.push_back(item_of(assignment));
        },
        &error_rows);
    if (read && !error_rows.empty()) {
        bfu_post_bad_line(source, line_number_of(source, error_rows.front()), "not an assignment");
        return false;
    }
    if (read) {
        items->insert(items->end(), read_items.begin(), read_items.end());
    }
    return read;
}
} // namespace

BFU_IMPORT_EXPORT::BFU_IMPORT_EXPORT(std::string revision) : m_revision(std::move(revision)) {}

void BFU_IMPORT_EXPORT::set_assignment_type_filter(
    std::list<ACF_FILE_CATEGORY_ENUM> const& categories) {
    m_categories = categories;
}

void BFU_IMPORT_EXPORT::set_hpath_filter(std::string const& wildcard) {
    m_hpath_filter = wildcard;
}

std::vector<BFU_IMPORT_ITEM>
BFU_IMPORT_EXPORT::promote(std::vector<BFU_IMPORT_ITEM const*> const& wanted,
                           std::vector<BFU_IMPORT_ITEM> const& items,
                           std::string const& source) const {
    std::string entity = FIO_PATH(source).base();
    for (BFU_IMPORT_ITEM const& item : items) {
        if (item.type == ACF_VARIABLE_TYPE_ROOT && item.is_global()) {
            entity = item.value;
        }
    }
    std::vector<std::string> places; // instance names below the root
    DBMUI_MANAGER* dbmui = DBMUI_MANAGER::get_dbmui_manager(0);
    HDB_CMP_ACTION_PT_INSTANCE* cap =
        dbmui->get_hdb_cmp_action_pt_instance(PROMOTE_REQUESTER, 0, false, nullptr);
    if (cap != nullptr && cap->get_root() != nullptr) {
        size_t root_length = cap->get_root()->full_name.size() + 1;
        for (auto const& instance : cap->get_instances()) {
            if (instance->depth == 0 || instance->entity != entity ||
                instance->full_name.size() <= root_length) {
                continue;
            }
            std::string place = instance->full_name.substr(root_length);
            if (m_hpath_filter.empty() || fnmatch(m_hpath_filter.c_str(), place.c_str(), 0) == 0) {
                places.push_back(place);
            }
        }
    }
    if (cap != nullptr) {
        dbmui->unget_hdb_cmp_action_pt_instance(&cap, PROMOTE_REQUESTER);
    }
    std::vector<BFU_IMPORT_ITEM> promoted;
    for (BFU_IMPORT_ITEM const* item : wanted) {
        if (item->is_global() || places.empty()) {
            promoted.push_back(*item);
            continue;
        }
        for (std::string const& place : places) {
            BFU_IMPORT_ITEM copy = *item;
            copy.from = item->from.empty() ? "" : place + "|" + item->from;
            copy.to = item->to.empty() ? "" : place + "|" + item->to;
            promoted.push_back(copy);
        }
    }
    return promoted;
}

bool BFU_IMPORT_EXPORT::read_source(ACF_MANAGER* acf_mgr, std::string const& source,
                                    std::vector<BFU_IMPORT_ITEM>* items) const {
    int kind = fio_get_extension_type(source);
    if (kind == FIO_EXTENSION_TYPE_TSF) {
        return read_settings_file(source, items);
    }
    if (kind == FIO_EXTENSION_TYPE_CSV || kind == FIO_EXTENSION_TYPE_TCSV) {
        return read_csv_file(acf_mgr, source, items);
    }
    // The older sectioned format: the settings database reads it beside the
    // revision, into its list of assignments of no project.
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST* read =
        acf_mgr->read_assignment_setting_file(source.c_str(), nullptr, true);
    if (read != nullptr) {
        for (ACF_ASSIGNMENT const* assignment : *read) {
            if (assignment != nullptr) {
                items->push_back(item_of(assignment));
            }
        }
    }
    acf_mgr->clear_read_assignment_collection();
    return read != nullptr;
}

bool BFU_IMPORT_EXPORT::is_wanted(BFU_IMPORT_ITEM const& item,
                                  std::vector<std::string> const& region_names) const {
    if (is_device_variable(item.type)) {
        return m_import_device && m_import_global;
    }
    if (!m_categories.empty() &&
        std::find(m_categories.begin(), m_categories.end(), acf_get_file_category(item.type)) ==
            m_categories.end()) {
        return false;
    }
    if (is_back_annotated_routing(item.type) && !m_import_back_annotated) {
        return false;
    }
    if (item.is_global()) {
        return m_import_global;
    }
    if (!m_import_instance || (item.type == ACF_VARIABLE_TYPE_LOCATION && !m_import_pins)) {
        return false;
    }
    return region_names.empty() ||
           std::any_of(region_names.begin(), region_names.end(),
                       [&item](std::string const& region) { return is_inside(item.to, region); });
}

bool BFU_IMPORT_EXPORT::apply(ACF_MANAGER* acf_mgr, BFU_IMPORT_ITEM const& item,
                              bool check_only) const {
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_type(item.type);
    query.set_entity_name(item.has_entity ? item.entity.c_str() : nullptr);
    query.set_section_identifier(item.has_section_id ? item.section_id.c_str() : nullptr);
    bool global = item.is_global();
    if (!global) {
        query.set_from(item.from.empty() ? nullptr : item.from.c_str());
        query.set_to(item.to.empty() ? nullptr : item.to.c_str());
    }
    char const* current =
        global ? acf_mgr->get_global_assignment(&query) : acf_mgr->get_instance_assignment(&query);
    bool exists = current != nullptr;
    // An entity's assignments that replace the current ones are all set.
    bool replacing = m_replace_entity && item.has_entity && !global;
    if (!replacing &&
        ((exists && (!m_overwrite || item.value == current)) || (!exists && !m_create_new))) {
        return true; // left as the revision has it
    }
    query.set_value_string(item.value.c_str());
    query.set_is_ignored(item.disabled);
    query.set_comments(item.comment.empty() ? nullptr : item.comment.c_str());
    if (check_only) {
        bool legal = global ? acf_mgr->is_legal_global_assignment(&query)
                            : acf_mgr->is_legal_instance_assignment(&query);
        // An assignment being overwritten is found as a duplicate of itself.
        return legal || (exists &&
                         acf_mgr->get_last_error_status() == ACF_REVISION_MANAGER::DUPLICATE_FOUND);
    }
    return (global ? acf_mgr->set_global_assignment(&query)
                   : acf_mgr->set_instance_assignment(&query)) != nullptr;
}

bool BFU_IMPORT_EXPORT::import(std::vector<std::string> const& region_names) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    std::string source = FIO_PATH(m_source_file).full_path();
    bool locked = m_has_source_file && !m_source_file.empty() && acf_mgr->is_project_open() &&
                  m_revision == text(acf_mgr->get_active_revision_name()) &&
                  acf_mgr->write_lock(true);
    // Every road reads a file that can be read, or refuses it by name.
    std::string unreadable = locked ? unreadable_reason(source) : "";
    if (!unreadable.empty()) {
        bfu_post_bad_line(source, 0, unreadable.c_str());
    }
    std::vector<BFU_IMPORT_ITEM> items;
    bool ok = locked && unreadable.empty() &&
              (m_reader ? m_reader(source, &items) : read_source(acf_mgr, source, &items));
    std::vector<BFU_IMPORT_ITEM const*> wanted;
    for (BFU_IMPORT_ITEM const& item : items) {
        if (is_wanted(item, region_names)) {
            wanted.push_back(&item);
        }
    }
    std::vector<BFU_IMPORT_ITEM> promoted;
    if (ok && m_promote && m_import_instance) {
        promoted = promote(wanted, items, source);
        wanted.clear();
        for (BFU_IMPORT_ITEM const& item : promoted) {
            wanted.push_back(&item);
        }
    }
    // Every assignment is checked before the first one is set.
    for (BFU_IMPORT_ITEM const* item : wanted) {
        if (ok && !apply(acf_mgr, *item, true)) {
            std::string what = item->name + (item->to.empty() ? "" : " to " + item->to);
            post(MSG_E(), BFU_MSG_ID_ASSIGNMENT_REFUSED,
                 "Assignment %1!s! of %2!s! is not legal in this revision/EBFU_ASSIGNMENT_REFUSED",
                 what.c_str(), source.c_str());
            ok = false;
        }
    }
    // From here on the revision changes: a failure leaves it as its file has it.
    bool const changing = ok;
    if (ok && m_replace_entity) {
        // Each entity's current assignments are removed once, however many of
        // the imported items name it: a walk of the revision per item made an
        // import into a large revision quadratic.
        std::unordered_set<std::string> replaced;
        for (BFU_IMPORT_ITEM const* item : wanted) {
            if (item->has_entity && !item->is_global() && replaced.insert(item->entity).second) {
                ACF_MGR_INPUT_PARAMETERS entity;
                entity.set_entity_name(item->entity.c_str());
                ACF_REVISION_MANAGER::ASSIGNMENT_LIST current;
                acf_mgr->get_instance_assignment_coll(&entity, &current);
                for (ACF_ASSIGNMENT* old : current) {
                    if (old != nullptr) {
                        old->remove();
                    }
                }
            }
        }
    }
    for (BFU_IMPORT_ITEM const* item : wanted) {
        ok = ok && apply(acf_mgr, *item, false);
    }
    ok = ok && acf_mgr->commit_files_to_disk(true, true);
    if (changing && !ok) {
        acf_mgr->drop_uncommitted_changes();
    }
    if (locked) {
        acf_mgr->write_unlock(ok);
    }
    std::string const from =
        source_name(m_has_source_file && !m_source_file.empty(), source, region_names);
    if (ok) {
        post(MSG_I(), BFU_MSG_ID_IMPORTED, "Imported %1!s! assignments from %2!s!/IBFU_IMPORTED",
             std::to_string(wanted.size()).c_str(), from.c_str());
    } else {
        post(MSG_E(), BFU_MSG_ID_NOTHING_IMPORTED,
             "No assignments imported from %1!s!/EBFU_NOTHING_IMPORTED", from.c_str());
    }
    return ok;
}
