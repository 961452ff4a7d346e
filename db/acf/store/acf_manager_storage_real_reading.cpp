// Reading files into a revision store: the dispatch by file type, the settings
// files of Tcl set commands (with the top-level entity and library paths they
// imply), and the older sectioned files.
#include "store/acf_manager_storage_real.h"

#include "acf_assignment.h"
#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_manager_reader.h"
#include "acf_msgs.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "formats/acf_csv_reader.h"
#include "formats/acf_file_checks.h"
#include "formats/acf_old_project_files.h"
#include "formats/acf_settings_lines.h"
#include "mem_manager.h"
#include "records/acf_asgn_storage.h"
#include "records/acf_assignment_factory.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <algorithm>
#include <cstring>

MEM_UNIT_INITIALIZER(ACF);

namespace {
// Scoped: the store reads a settings script in tsf mode.
class READ_TSF_MODE {
public:
    explicit READ_TSF_MODE(std::atomic<uint8_t>& mode) : m_mode(mode) {
        m_mode.fetch_or(ACF_MANAGER_STORAGE_REAL::MODE_READ_TSF);
    }
    ~READ_TSF_MODE() {
        m_mode.fetch_and(static_cast<uint8_t>(~ACF_MANAGER_STORAGE_REAL::MODE_READ_TSF));
    }
    READ_TSF_MODE(READ_TSF_MODE const&) = delete;
    READ_TSF_MODE& operator=(READ_TSF_MODE const&) = delete;

private:
    std::atomic<uint8_t>& m_mode;
};

bool is_in_filter(std::list<ACF_VARIABLE_TYPE_ENUM> const* filter,
                  ACF_VARIABLE_TYPE_ENUM variable) {
    return filter == nullptr ||
           std::find(filter->begin(), filter->end(), variable) != filter->end();
}

// How a line read into the collection is set: as read, into a new assignment.
ACF_SET_ASSIGNMENT_OPTIONS set_options_of_read_line(ACF_READ_FILE_OPTIONS const& options,
                                                    bool is_global, bool is_freeform) {
    ACF_SET_ASSIGNMENT_OPTIONS set;
    set.is_global = is_global;
    set.is_freeform = is_freeform;
    set.mark_changed = options.mark_changed;
    set.changed = options.assignments;
    set.always_new = true;
    set.equal_value_takes_default_status = true;
    return set;
}

bool lacks_name_or_value(ACF_MGR_ASGN_LINE const* line) {
    return line->get_name() == nullptr || line->get_value() == nullptr;
}

// Scoped: the assignments a read sets borrow the texts of the lines they come
// from, which go from the reader to the collection when the read ends, however
// it ends (and are let go there when the collection is no longer the one the
// read began in, or nothing borrows them).
class BORROWED_READ_TEXTS {
public:
    // Only a read that keeps what it reads (`keeping`) lends its texts.
    BORROWED_READ_TEXTS(ACF_MANAGER_READER& reader, ACF_ASGN_STORAGE* const& collection,
                        bool keeping)
        : m_reader(reader), m_collection(collection),
          m_read(keeping && collection != nullptr ? collection->begin_read_texts() : 0) {}
    ~BORROWED_READ_TEXTS() {
        if (m_read != 0 && m_collection != nullptr) {
            m_collection->keep_read_texts(m_read, m_reader.take_texts());
        }
    }
    BORROWED_READ_TEXTS(BORROWED_READ_TEXTS const&) = delete;
    BORROWED_READ_TEXTS& operator=(BORROWED_READ_TEXTS const&) = delete;

    // The assignment set from this line points at the line's texts.
    void borrow(ACF_ASSIGNMENT* asgn, ACF_MGR_ASGN_LINE const& line) {
        if (m_collection == nullptr) {
            asgn->set_variable_original_tcl_command_from_file(line.get_text());
            return;
        }
        ACF_ASGN_READ_TEXTS texts;
        texts.command = line.get_text();
        texts.name = line.get_name();
        texts.value = line.get_value();
        texts.from = line.get_from();
        texts.to = line.get_to();
        m_collection->borrow_read_texts(asgn, m_read, texts);
    }

private:
    ACF_MANAGER_READER& m_reader;
    ACF_ASGN_STORAGE* const& m_collection; // the store's current collection
    uint32_t m_read;
};
} // namespace

bool ACF_MANAGER_STORAGE_REAL::read_file_from_disk(char const* file_name, bool need_write_lock,
                                                   ACF_READ_FILE_OPTIONS& options) {
    m_last_error_status = 0;
    if (!may_change(need_write_lock)) {
        return false;
    }
    READ_TSF_MODE in_tsf_mode(m_mode);
    return internal_read_file_from_disk(file_name, false, options);
}

bool ACF_MANAGER_STORAGE_REAL::internal_read_file_from_disk(char const* file_name, bool check_only,
                                                            ACF_READ_FILE_OPTIONS& options) {
    if (!ACF_REQUIRE(file_name != NULL)) {
        return false;
    }
    if (!acf_file_exists(file_name)) {
        if (options.post) {
            m_last_error_status =
                post_error_message(ACF_REVISION_MANAGER::FILE_CANNOT_BE_OPENED, file_name, -1,
                                   nullptr, nullptr, nullptr, false);
        }
        return false;
    }
    if (options.keep_free_standing && options.clear_non_project) {
        clear_non_project_asgn_coll();
    }
    size_t const unreadable_scripts = m_unreadable_scripts;
    bool read = false;
    switch (fio_get_extension_type(file_name)) {
    case FIO_EXTENSION_TYPE_CSV:
    case FIO_EXTENSION_TYPE_TCSV:
        read = internal_read_csv_settings_file_from_disk(file_name, check_only, options);
        break;
    case FIO_EXTENSION_TYPE_OLD_PROJECT:
    case FIO_EXTENSION_TYPE_PSF:
    case FIO_EXTENSION_TYPE_CSF:
    case FIO_EXTENSION_TYPE_SSF:
    case FIO_EXTENSION_TYPE_ESF:
        read = internal_read_legacy_settings_file_from_disk(file_name, check_only, options);
        break;
    case FIO_EXTENSION_TYPE_TDF:
    case FIO_EXTENSION_TYPE_TSF:
        read = internal_read_modern_settings_file_from_disk(file_name, check_only, options);
        break;
    default:
        m_last_error_status = post_error_message(ACF_REVISION_MANAGER::UNKNOWN_FILE_EXTENSION,
                                                 file_name, 1, nullptr, nullptr, nullptr, false);
        return false;
    }
    // A script or IP file that the settings name and that cannot be read (it
    // was named with the reason) fails the read as the settings file's own
    // read error would: what it sets would be missing.
    if (m_unreadable_scripts != unreadable_scripts) {
        m_last_error_status = ACF_REVISION_MANAGER::FILE_CANNOT_BE_OPENED;
        return false;
    }
    return read;
}

void ACF_MANAGER_STORAGE_REAL::report_unreadable_file(char const* file_name,
                                                      std::string const& reason) {
    post_with_reason(MSG_ACF::W::PROJECT_FILE_DOES_NOT_EXIST(file_name), reason);
    m_last_error_status = ACF_REVISION_MANAGER::FILE_CANNOT_BE_OPENED;
}

// An older sectioned file: what its sections kept is read as one more settings
// file. A file that exists but cannot be read whole fails the read with "can't
// open file" rather than passing for an empty or a shorter one.
bool ACF_MANAGER_STORAGE_REAL::internal_read_legacy_settings_file_from_disk(
    char const* file_name, bool /*check_only*/, ACF_READ_FILE_OPTIONS& options) {
    ACF_FILE_TYPE_ENUM type = acf_old_file_type_of_extension(fio_get_extension_type(file_name));
    std::string reason;
    if (!acf_old_file_is_readable(file_name, &reason)) {
        report_unreadable_file(file_name, reason);
        return false;
    }
    ASSIGNMENT_LIST read;
    if (type == ACF_FILE_TYPE_NONE) {
        return true;
    }
    if (!acf_read_old_file_assignments(file_name, type, m_factory, &read)) {
        report_unreadable_file(file_name, "it could not be read");
        return false;
    }
    auto absent_if_empty = [](char const* text) {
        return text != nullptr && *text != '\0' ? text : nullptr;
    };
    for (ACF_ASSIGNMENT* old_asgn : read) {
        if (!ACF_REQUIRE(old_asgn != NULL)) {
            continue;
        }
        ACF_VARIABLE_TYPE_ENUM variable = old_asgn->get_type();
        if (!is_in_filter(options.variable_filter, variable)) {
            continue;
        }
        bool freeform = old_asgn->is_freeform();
        bool global = old_asgn->is_global();
        char const* name = freeform ? absent_if_empty(old_asgn->get_variable_string()) : nullptr;
        char const* value = absent_if_empty(old_asgn->get_unmodified_value(true));
        char const* from = global ? nullptr : absent_if_empty(old_asgn->get_source());
        char const* to = global ? nullptr : absent_if_empty(old_asgn->get_target());
        char const* entity = absent_if_empty(old_asgn->get_entity_name());
        char const* section = absent_if_empty(old_asgn->get_section_identifier());
        char const* comment = absent_if_empty(old_asgn->get_comments());
        bool ignored = old_asgn->is_ignored();
        ACF_ASSIGNMENT* asgn = nullptr;
        if (options.merge) {
            m_read_params.reset();
            m_read_params.set_variable_type(variable);
            m_read_params.set_variable_string(name);
            m_read_params.set_value_string(value);
            m_read_params.set_from(from);
            m_read_params.set_to(to);
            m_read_params.set_entity_name(entity);
            m_read_params.set_section_identifier(section);
            // One the revision refuses has had its message; the others go on.
            asgn =
                set_assignment(&m_read_params, set_options_of_read_line(options, global, freeform));
            if (asgn == nullptr) {
                continue;
            }
        } else {
            asgn = m_factory->create_assignment(variable, name, from, to, value, comment, ignored);
            if (!ACF_REQUIRE(asgn != NULL)) {
                continue;
            }
            asgn->set_entity_name(entity);
            asgn->set_old_section_info(section, nullptr, false);
        }
        if (options.extra_argument != ACF_ARGUMENT_TYPE_NONE) {
            asgn->add_argument(options.extra_argument, options.extra_argument_value.c_str());
        }
        if (options.record_file_names) {
            asgn->set_acf_file_name(file_name);
        }
        asgn->set_comment(comment);
        asgn->set_ignore_status(ignored);
        if (!options.merge) {
            keep_free_standing_assignment(options, asgn);
        }
    }
    for (ACF_ASSIGNMENT* old_asgn : read) {
        delete old_asgn;
    }
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::internal_read_csv_settings_file_from_disk(
    char const* file_name, bool /*check_only*/, ACF_READ_FILE_OPTIONS& options) {
    acf_msg_debug("Reading file %s as comma separated value ...", file_name);
    ACF_CSV_READER reader(m_factory);
    bool read = reader.read_file(file_name, this, get_post_messages(), options.merge,
                                 options.keep_free_standing, options.record_file_names,
                                 options.extra_argument, options.extra_argument_value.c_str());
    if (!read) {
        m_last_error_status = ACF_REVISION_MANAGER::UNKNOWN_ERROR;
    }
    set_state(STATE_LOADED, true);
    return read;
}

std::string ACF_MANAGER_STORAGE_REAL::preprocess_read_assignments(ACF_MANAGER_READER* reader,
                                                                  bool merge) {
    if (!ACF_REQUIRE(reader != NULL) || !ACF_REQUIRE(m_asgn_storage != NULL)) {
        return std::string();
    }
    std::vector<ACF_MGR_ASGN_LINE*> const& lines = reader->get_assignment_lines();
    std::string entity_variable = acf_get_variable_user_name(ACF_VARIABLE_TYPE_ROOT);
    std::string default_entity =
        !m_top_level_entity_name.empty() ? m_top_level_entity_name : m_revision_name;

    // First pass: the top-level entity and the library paths.
    bool entity_seen = false;
    bool library_seen = false;
    for (ACF_MGR_ASGN_LINE const* line : lines) {
        if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR) ||
            line->test_flag(ACF_MGR_ASGN_LINE::FLAG_SOURCE) || lacks_name_or_value(line)) {
            continue;
        }
        if (!entity_seen && entity_variable == line->get_name()) {
            default_entity = line->get_value();
            entity_seen = true;
        }
        if (merge) {
            ACF_VARIABLE_TYPE_ENUM variable = acf_user_name_to_variable_type_enum(line->get_name());
            if (variable == ACF_VARIABLE_TYPE_NONDEFAULT_LIBS ||
                variable == ACF_VARIABLE_TYPE_SEARCH_PATH) {
                gen_append_project_library_paths(line->get_value());
                library_seen = true;
            }
        }
    }
    if (merge) {
        if (!library_seen) {
            gen_set_project_library_paths("");
        }
        change_top_level_entity(default_entity.c_str(), false);
        ACF_ASSIGNMENT* entity = m_asgn_storage->get_assignment(ACF_VARIABLE_TYPE_ROOT);
        if (entity != nullptr) {
            entity->set_changed_status(false);
        }
    }

    // Second pass: lines that belong to an entity without naming one.
    acf_mark_lines_of_default_entity(lines);
    return default_entity;
}

// One read of a settings file of Tcl set commands: what each line's step
// needs, and what the line in hand leaves to be reported.
struct ACF_MANAGER_STORAGE_REAL::MODERN_READ {
    MODERN_READ(ACF_MANAGER_READER& reader, char const* file_name, bool check_only,
                ACF_READ_FILE_OPTIONS& options, bool tcl)
        : reader(reader), file_name(file_name), check_only(check_only), options(options), tcl(tcl) {
    }

    ACF_MANAGER_READER& reader;
    char const* file_name;
    bool check_only;
    ACF_READ_FILE_OPTIONS& options;
    bool tcl;
    // The entity of the lines marked as belonging to it without naming it.
    std::string default_entity;
    BORROWED_READ_TEXTS* borrowed = nullptr;
    bool result = true;

    // The line in hand: the file it came from (null: the file read) and what
    // its report says.
    char const* line_file = nullptr;
    STATUS status = 0;
    bool record_filled = false;
    char const* extra_text = nullptr;
    std::vector<ACF_MGR_ASGN_LINE::ARGUMENT> arguments;

    void start_line(ACF_MGR_ASGN_LINE const& line) {
        int32_t index = line.get_file_index();
        line_file = index > 0 ? reader.get_file_name(index) : nullptr;
        status = 0;
        record_filled = false;
        extra_text = nullptr;
    }
    char const* assignment_file() const { return line_file != nullptr ? line_file : file_name; }
    char const* entity_of(ACF_MGR_ASGN_LINE const& line) const {
        return line.test_flag(ACF_MGR_ASGN_LINE::FLAG_DEFAULT_ENTITY) ? default_entity.c_str()
                                                                      : line.get_entity();
    }
};

bool ACF_MANAGER_STORAGE_REAL::internal_read_modern_settings_file_from_disk(
    char const* file_name, bool check_only, ACF_READ_FILE_OPTIONS& options) {
    ACF_MANAGER_READER reader;
    MODERN_READ read(reader, file_name, check_only, options, supports_tcl());
    if (!read_settings_text(read)) {
        return false;
    }
    if (!check_only) {
        prepare_to_take_read_lines(read);
    }
    // Declared after the reader: hands its texts over before the reader goes.
    BORROWED_READ_TEXTS borrowed(reader, m_asgn_storage, !check_only && options.merge);
    read.borrowed = &borrowed;
    std::vector<ACF_MGR_ASGN_LINE*> const& lines = reader.get_assignment_lines();
    for (size_t done = 0; done < lines.size(); ++done) {
        // The records made into assignments go while the others are made.
        if (done % 4096 == 0) {
            reader.release_lines_before(done);
        }
        ACF_MGR_ASGN_LINE const& line = *lines[done];
        read.start_line(line);
        if (line.test_flag(ACF_MGR_ASGN_LINE::FLAG_VERBATIM)) {
            if (check_only) {
                continue;
            }
            take_verbatim_line(read, line);
        } else if (line.test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR) ||
                   line.test_flag(ACF_MGR_ASGN_LINE::FLAG_SOURCE) || lacks_name_or_value(&line)) {
            reject_read_line(read);
            read.status = acf_status_of_line_in_error(line);
        } else if (!take_assignment_line(read, line)) {
            continue;
        }
        report_read_line(read, line);
    }
    if (!check_only && options.merge) {
        set_state(STATE_LOADED, true);
    }
    return read.result;
}

bool ACF_MANAGER_STORAGE_REAL::read_settings_text(MODERN_READ& read) {
    STRING_LIST included;
    if (!read.reader.read_file(read.file_name, read.check_only, &included, false, read.tcl)) {
        report_unreadable_file(read.file_name, read.reader.get_read_error());
        return false;
    }
    for (std::string const& name : included) {
        m_include_files.push_back(name);
        if (read.tcl) {
            add_file_to_collection(name.c_str(), false);
        }
    }
    std::list<MSG_POST*> reader_messages;
    read.reader.get_post_messages(&reader_messages);
    m_post_list.insert(m_post_list.end(), reader_messages.begin(), reader_messages.end());
    return true;
}

void ACF_MANAGER_STORAGE_REAL::prepare_to_take_read_lines(MODERN_READ& read) {
    std::vector<ACF_MGR_ASGN_LINE*> const& lines = read.reader.get_assignment_lines();
    bool found_errors = read.reader.is_assignment_dropped();
    for (ACF_MGR_ASGN_LINE const* line : lines) {
        found_errors = found_errors || line->test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR);
    }
    if (read.options.merge && m_asgn_storage != nullptr) {
        m_asgn_storage->reserve(lines.size());
    }
    if (found_errors) {
        // What could not be read is not written back.
        set_state(STATE_MODIFIED, true);
        set_state(STATE_FORCE_WRITE, true);
    }
    read.default_entity = preprocess_read_assignments(&read.reader, read.options.merge);
}

void ACF_MANAGER_STORAGE_REAL::reject_read_line(MODERN_READ& read) {
    if (read.options.strict) {
        read.result = false;
    }
    if (!read.check_only && read.options.merge) {
        set_state(STATE_MODIFIED, true);
        set_state(STATE_FORCE_WRITE, true);
    }
}

void ACF_MANAGER_STORAGE_REAL::take_verbatim_line(MODERN_READ& read,
                                                  ACF_MGR_ASGN_LINE const& line) {
    ACF_READ_FILE_OPTIONS& options = read.options;
    if (options.merge) {
        add_comment_line(line.get_text(), read.line_file != nullptr ? read.line_file : "");
        if (line.test_flag(ACF_MGR_ASGN_LINE::FLAG_SOURCE) && line.get_source_file() != nullptr) {
            take_sourced_script(read, line.get_source_file());
        }
    } else if (options.keep_comments) {
        ACF_ASSIGNMENT* comment = m_factory->create_assignment(
            ACF_VARIABLE_TYPE_NONE, nullptr, nullptr, nullptr, nullptr, line.get_text(), false);
        comment->set_acf_file_name(read.assignment_file());
        keep_free_standing_assignment(options, comment);
    }
}

void ACF_MANAGER_STORAGE_REAL::take_sourced_script(MODERN_READ& read, char const* script) {
    if (read.tcl) {
        if (!evaluate_tcl_script(script, ACF_MGR_TCL_MODE_SCRIPT) && read.options.strict) {
            read.result = false;
        }
        return;
    }
    // Without Tcl the script is a settings file of the revision, written back.
    add_file_to_collection(script, true);
    if (!acf_file_exists(script)) {
        read.status = ACF_REVISION_MANAGER::INCLUDE_FILE_MISSING;
        read.extra_text = script;
        if (read.options.strict) {
            read.result = false;
        }
    }
}

void ACF_MANAGER_STORAGE_REAL::keep_free_standing_assignment(ACF_READ_FILE_OPTIONS& options,
                                                             ACF_ASSIGNMENT* asgn) {
    if (options.assignments != nullptr) {
        options.assignments->push_back(asgn);
    }
    if (options.keep_free_standing) {
        add_assignment_to_non_proj_list(asgn);
    } else if (options.assignments == nullptr) {
        delete asgn;
    }
}

bool ACF_MANAGER_STORAGE_REAL::take_assignment_line(MODERN_READ& read,
                                                    ACF_MGR_ASGN_LINE const& line) {
    ACF_READ_FILE_OPTIONS& options = read.options;
    // The variable: catalogue variables by name, everything else freeform.
    ACF_VARIABLE_TYPE_ENUM variable = ACF_VARIABLE_TYPE_NONE;
    bool freeform = true;
    if (!line.test_flag(ACF_MGR_ASGN_LINE::FLAG_PARAMETER)) {
        variable = acf_user_name_to_variable_type_enum(line.get_name());
        freeform = variable == ACF_VARIABLE_TYPE_NONE ||
                   acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM);
    }
    if (!is_in_filter(options.variable_filter, variable)) {
        return false;
    }
    bool is_global = line.get_to() == nullptr;
    read.arguments = line.get_arguments();
    bool arguments_ok = fill_read_record(read, line, variable, freeform);
    if (!arguments_ok) {
        read.status = ACF_REVISION_MANAGER::ILLEGAL_ARGUMENT;
        if (!read.check_only) {
            reject_read_line(read);
        }
    } else if (line.test_flag(ACF_MGR_ASGN_LINE::FLAG_REMOVE)) {
        // A line that removes an assignment made earlier.
        if (options.merge && !read.check_only) {
            ASSIGNMENT_LIST removed;
            remove_assignment(&m_read_params, is_global, freeform, &removed);
        }
    } else if (!is_legal(&m_read_params, is_global, freeform) &&
               m_last_error_status.load() != ACF_REVISION_MANAGER::DUPLICATE_FOUND) {
        read.status = m_last_error_status.load();
        if (!read.check_only) {
            reject_read_line(read);
        }
    } else if (options.merge) {
        set_read_assignment(read, line, variable, is_global, freeform);
    } else {
        return make_free_standing_assignment(read, line, variable, freeform);
    }
    return true;
}

bool ACF_MANAGER_STORAGE_REAL::fill_read_record(MODERN_READ& read, ACF_MGR_ASGN_LINE const& line,
                                                ACF_VARIABLE_TYPE_ENUM variable, bool freeform) {
    m_read_params.reset();
    m_read_params.set_variable_type(variable);
    if (freeform) {
        m_read_params.set_variable_string(line.get_name());
    }
    m_read_params.set_from(line.get_from());
    m_read_params.set_to(line.get_to());
    m_read_params.set_value_string(line.get_value());
    m_read_params.set_entity_name(read.entity_of(line));
    m_read_params.set_section_identifier(line.get_section_id());
    read.record_filled = true;
    bool arguments_ok = true;
    for (ACF_MGR_ASGN_LINE::ARGUMENT const& argument : read.arguments) {
        if (!m_read_params.add_argument(argument.type, argument.value)) {
            arguments_ok = false;
        }
    }
    return arguments_ok;
}

void ACF_MANAGER_STORAGE_REAL::set_read_assignment(MODERN_READ& read, ACF_MGR_ASGN_LINE const& line,
                                                   ACF_VARIABLE_TYPE_ENUM variable, bool is_global,
                                                   bool freeform) {
    ACF_READ_FILE_OPTIONS& options = read.options;
    ACF_ASSIGNMENT* asgn =
        set_assignment(&m_read_params, set_options_of_read_line(options, is_global, freeform));
    if (asgn == nullptr) {
        return;
    }
    if (options.extra_argument != ACF_ARGUMENT_TYPE_NONE) {
        asgn->add_argument(options.extra_argument, options.extra_argument_value.c_str());
    }
    if (options.record_file_names && read.line_file != nullptr) {
        asgn->set_acf_file_name(read.line_file);
    }
    asgn->set_comment(line.get_comment());
    asgn->set_ignore_status(line.test_flag(ACF_MGR_ASGN_LINE::FLAG_DISABLED));
    read.borrowed->borrow(asgn, line);
    if (variable == ACF_VARIABLE_TYPE_ROOT) {
        m_asgn_storage->move_assignment_to_end_of_coll(asgn);
    }
}

bool ACF_MANAGER_STORAGE_REAL::make_free_standing_assignment(MODERN_READ& read,
                                                             ACF_MGR_ASGN_LINE const& line,
                                                             ACF_VARIABLE_TYPE_ENUM variable,
                                                             bool freeform) {
    ACF_READ_FILE_OPTIONS& options = read.options;
    ACF_ASSIGNMENT* asgn = m_factory->create_assignment(
        variable, freeform ? line.get_name() : nullptr, line.get_from(), line.get_to(),
        line.get_value(), line.get_comment(), line.test_flag(ACF_MGR_ASGN_LINE::FLAG_DISABLED));
    if (!ACF_REQUIRE(asgn != NULL)) {
        return false;
    }
    if (options.extra_argument != ACF_ARGUMENT_TYPE_NONE) {
        asgn->add_argument(options.extra_argument, options.extra_argument_value.c_str());
    }
    if (options.record_file_names) {
        asgn->set_acf_file_name(read.assignment_file());
    }
    asgn->set_section_identifier(line.get_section_id());
    asgn->set_ignore_status(line.test_flag(ACF_MGR_ASGN_LINE::FLAG_DISABLED));
    asgn->set_variable_original_tcl_command_from_file(line.get_text());
    asgn->set_entity_name(read.entity_of(line));
    for (ACF_MGR_ASGN_LINE::ARGUMENT const& argument : read.arguments) {
        asgn->add_argument(argument.type, argument.value[0] == '\0' ? nullptr : argument.value);
    }
    asgn->set_family_enum();
    keep_free_standing_assignment(options, asgn);
    return true;
}

void ACF_MANAGER_STORAGE_REAL::report_read_line(MODERN_READ& read, ACF_MGR_ASGN_LINE const& line) {
    if (m_acf_revision_manager != nullptr &&
        m_acf_revision_manager->get_bypass_project_open_failure_status()) {
        read.result = true;
    } else if (read.options.post && read.status != 0) {
        STATUS kept = post_error_message(
            read.status, read.assignment_file(), line.get_line_number(),
            read.record_filled ? &m_read_params : nullptr, read.extra_text, line.get_text(), true);
        m_last_error_status = kept;
        if (kept == 0) {
            read.result = true;
        }
    }
}
