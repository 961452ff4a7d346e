// Reading files into a revision store: the dispatch by file type, the settings
// files of Tcl set commands (with the top-level entity and library paths they
// imply), and the older sectioned files.
#include "acf_manager_storage_real.h"

#include "acf_asgn_storage.h"
#include "acf_assignment.h"
#include "acf_assignment_factory.h"
#include "acf_csv_reader.h"
#include "acf_file.h"
#include "acf_file_categories.h"
#include "acf_file_checks.h"
#include "acf_internal_error.h"
#include "acf_manager_reader.h"
#include "acf_msgs.h"
#include "acf_old_project_files.h"
#include "acf_revision_manager.h"
#include "acf_table.h"
#include "mem_manager.h"

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
    if (need_write_lock && !is_write_locked()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
        return false;
    }
    if (!ACF_REQUIRE(m_acf_revision_manager != NULL)) {
        return false;
    }
    if (m_acf_revision_manager->get_in_broadcast_mode()) {
        m_last_error_status = ACF_REVISION_MANAGER::NOT_WRITE_LOCKED;
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

ACF_FILE_TYPE_ENUM ACF_MANAGER_STORAGE_REAL::get_old_acf_file_type(int extension_type) {
    switch (extension_type) {
    case FIO_EXTENSION_TYPE_OLD_PROJECT:
        return ACF_FILE_TYPE_PROJECT;
    case FIO_EXTENSION_TYPE_PSF:
        return ACF_FILE_TYPE_PROJECT_SETTINGS;
    case FIO_EXTENSION_TYPE_CSF:
        return ACF_FILE_TYPE_COMPILER_SETTINGS;
    case FIO_EXTENSION_TYPE_SSF:
        return ACF_FILE_TYPE_SIMULATOR_SETTINGS;
    case FIO_EXTENSION_TYPE_ESF:
        return ACF_FILE_TYPE_ENTITY_SETTINGS;
    default:
        return ACF_FILE_TYPE_NONE;
    }
}

void ACF_MANAGER_STORAGE_REAL::report_unreadable_file(char const* file_name,
                                                      std::string const& reason) {
    post_with_reason(MSG_ACF::W::PROJECT_FILE_DOES_NOT_EXIST(file_name), reason);
    m_last_error_status = ACF_REVISION_MANAGER::FILE_CANNOT_BE_OPENED;
}

bool ACF_MANAGER_STORAGE_REAL::read_assignments_from_file(std::string const& file,
                                                          ACF_FILE_TYPE_ENUM type,
                                                          ASSIGNMENT_LIST* out) {
    if (!ACF_REQUIRE(out != NULL)) {
        return false;
    }
    ACF_FILE* old_file = ACF_FILE::get_file(file.c_str(), type, m_factory);
    if (old_file == nullptr) {
        return false;
    }
    acf_copy_old_file_assignments(old_file, m_factory, out);
    delete old_file;
    return true;
}

// An older sectioned file: what its sections kept is read as one more settings
// file. A file that exists but cannot be read whole fails the read with "can't
// open file" rather than passing for an empty or a shorter one.
bool ACF_MANAGER_STORAGE_REAL::internal_read_legacy_settings_file_from_disk(
    char const* file_name, bool /*check_only*/, ACF_READ_FILE_OPTIONS& options) {
    ACF_FILE_TYPE_ENUM type = get_old_acf_file_type(fio_get_extension_type(file_name));
    std::string reason;
    if (!acf_old_file_is_readable(file_name, &reason)) {
        report_unreadable_file(file_name, reason);
        return false;
    }
    ASSIGNMENT_LIST read;
    if (type == ACF_FILE_TYPE_NONE) {
        return true;
    }
    if (!read_assignments_from_file(file_name, type, &read)) {
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
            asgn = set_assignment(&m_read_params, false, global, freeform, options.mark_changed,
                                  options.assignments, false, true, true, false);
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
            if (options.assignments != nullptr) {
                options.assignments->push_back(asgn);
            }
            if (options.keep_free_standing) {
                add_assignment_to_non_proj_list(asgn);
            } else if (options.assignments == nullptr) {
                delete asgn;
            }
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

bool ACF_MANAGER_STORAGE_REAL::global_variable_only_exists_in_old_esf_file(
    ACF_VARIABLE_TYPE_ENUM variable, bool has_section_id) {
    if (!acf_test_category_trait_of(variable, ACF_CATEGORY_TRAIT_TYPE_ENTITY_SETTINGS_FILE, false,
                                    false, true, has_section_id)) {
        return false;
    }
    for (int k = ACF_CATEGORY_TRAIT_TYPE_PROJECT_FILE;
         k <= ACF_CATEGORY_TRAIT_TYPE_SIMULATOR_SETTINGS_FILE; ++k) {
        if (acf_test_category_trait_of(variable, static_cast<ACF_CATEGORY_TRAIT_TYPE_ENUM>(k),
                                       false, false, false, has_section_id)) {
            return false;
        }
    }
    return true;
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
    for (ACF_MGR_ASGN_LINE* line : lines) {
        if (line->get_entity() != nullptr || line->test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR) ||
            line->test_flag(ACF_MGR_ASGN_LINE::FLAG_SOURCE) ||
            line->test_flag(ACF_MGR_ASGN_LINE::FLAG_VERBATIM)) {
            continue;
        }
        bool has_to = line->get_to() != nullptr;
        bool has_section = line->get_section_id() != nullptr;
        bool takes_entity = false;
        if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_PARAMETER)) {
            takes_entity = has_to;
        } else if (line->get_name() != nullptr) {
            ACF_VARIABLE_TYPE_ENUM variable = acf_user_name_to_variable_type_enum(line->get_name());
            if (variable == ACF_VARIABLE_TYPE_NONE) {
                continue;
            }
            takes_entity = has_to
                               ? acf_test_category_trait_of(
                                     variable, ACF_CATEGORY_TRAIT_TYPE_ENTITY_SETTINGS_FILE,
                                     line->get_from() != nullptr, true, true, has_section)
                               : global_variable_only_exists_in_old_esf_file(variable, has_section);
        }
        if (takes_entity) {
            line->set_flag(ACF_MGR_ASGN_LINE::FLAG_DEFAULT_ENTITY);
        }
    }
    return default_entity;
}

bool ACF_MANAGER_STORAGE_REAL::internal_read_modern_settings_file_from_disk(
    char const* file_name, bool check_only, ACF_READ_FILE_OPTIONS& options) {
    ACF_MANAGER_READER reader;
    bool tcl = supports_tcl();
    STRING_LIST included;
    if (!reader.read_file(file_name, check_only, &included, false, tcl)) {
        report_unreadable_file(file_name, reader.get_read_error());
        return false;
    }
    for (std::string const& name : included) {
        m_include_files.push_back(name);
        if (tcl) {
            add_file_to_collection(name.c_str(), false);
        }
    }
    std::list<MSG_POST*> reader_messages;
    reader.get_post_messages(&reader_messages);
    m_post_list.insert(m_post_list.end(), reader_messages.begin(), reader_messages.end());

    std::vector<ACF_MGR_ASGN_LINE*> const& lines = reader.get_assignment_lines();
    bool found_errors = reader.is_assignment_dropped();
    for (ACF_MGR_ASGN_LINE const* line : lines) {
        found_errors = found_errors || line->test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR);
    }
    std::string default_entity;
    if (!check_only) {
        if (options.merge && m_asgn_storage != nullptr) {
            m_asgn_storage->reserve(lines.size());
        }
        if (found_errors) {
            set_state(STATE_MODIFIED, true);
            set_state(STATE_FORCE_WRITE, true);
        }
        default_entity = preprocess_read_assignments(&reader, options.merge);
    }
    auto entity_of = [&default_entity](ACF_MGR_ASGN_LINE const* line) {
        return line->test_flag(ACF_MGR_ASGN_LINE::FLAG_DEFAULT_ENTITY) ? default_entity.c_str()
                                                                       : line->get_entity();
    };
    auto mark_bad_read = [&] {
        if (!check_only && options.merge) {
            set_state(STATE_MODIFIED, true);
            set_state(STATE_FORCE_WRITE, true);
        }
    };

    bool result = true;
    // Declared after the reader: hands its texts over before the reader goes.
    BORROWED_READ_TEXTS borrowed(reader, m_asgn_storage, !check_only && options.merge);
    for (size_t done = 0; done < lines.size(); ++done) {
        // The records made into assignments go while the others are made.
        if (done % 4096 == 0) {
            reader.release_lines_before(done);
        }
        ACF_MGR_ASGN_LINE const* line = lines[done];
        STATUS status = 0;
        bool record_filled = false;
        char const* extra_text = nullptr;
        int32_t index = line->get_file_index();
        char const* line_file = index > 0 ? reader.get_file_name(index) : nullptr;
        char const* assignment_file = line_file != nullptr ? line_file : file_name;

        if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_VERBATIM)) {
            if (check_only) {
                continue;
            }
            if (options.merge) {
                add_comment_line(line->get_text(), line_file != nullptr ? line_file : "");
                if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_SOURCE) &&
                    line->get_source_file() != nullptr) {
                    if (tcl) {
                        if (!evaluate_tcl_script(line->get_source_file(),
                                                 ACF_MGR_TCL_MODE_SCRIPT) &&
                            options.strict) {
                            result = false;
                        }
                    } else {
                        add_file_to_collection(line->get_source_file(), true);
                        if (!acf_file_exists(line->get_source_file())) {
                            status = ACF_REVISION_MANAGER::INCLUDE_FILE_MISSING;
                            extra_text = line->get_source_file();
                            if (options.strict) {
                                result = false;
                            }
                        }
                    }
                }
            } else if (options.keep_comments) {
                ACF_ASSIGNMENT* comment =
                    m_factory->create_assignment(ACF_VARIABLE_TYPE_NONE, nullptr, nullptr, nullptr,
                                                 nullptr, line->get_text(), false);
                comment->set_acf_file_name(assignment_file);
                if (options.assignments != nullptr) {
                    options.assignments->push_back(comment);
                }
                if (options.keep_free_standing) {
                    add_assignment_to_non_proj_list(comment);
                } else if (options.assignments == nullptr) {
                    delete comment;
                }
            }
        } else if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR) ||
                   line->test_flag(ACF_MGR_ASGN_LINE::FLAG_SOURCE) || lacks_name_or_value(line)) {
            if (options.strict) {
                result = false;
            }
            mark_bad_read();
            if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_ERROR)) {
                status = ACF_REVISION_MANAGER::UNKNOWN_ERROR;
            } else if (line->get_name() == nullptr) {
                status = ACF_REVISION_MANAGER::ILLEGAL_VARIABLE;
            } else if (line->get_value() == nullptr &&
                       !line->test_flag(ACF_MGR_ASGN_LINE::FLAG_REMOVE)) {
                status = ACF_REVISION_MANAGER::ILLEGAL_VALUE;
            }
        } else {
            // The variable: catalogue variables by name, everything else freeform.
            ACF_VARIABLE_TYPE_ENUM variable = ACF_VARIABLE_TYPE_NONE;
            bool freeform = true;
            if (!line->test_flag(ACF_MGR_ASGN_LINE::FLAG_PARAMETER)) {
                variable = acf_user_name_to_variable_type_enum(line->get_name());
                freeform =
                    variable == ACF_VARIABLE_TYPE_NONE ||
                    acf_test_variable_trait_of(variable, ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM);
            }
            if (!is_in_filter(options.variable_filter, variable)) {
                continue;
            }
            bool is_global = line->get_to() == nullptr;
            m_read_params.reset();
            m_read_params.set_variable_type(variable);
            if (freeform) {
                m_read_params.set_variable_string(line->get_name());
            }
            m_read_params.set_from(line->get_from());
            m_read_params.set_to(line->get_to());
            m_read_params.set_value_string(line->get_value());
            m_read_params.set_entity_name(entity_of(line));
            m_read_params.set_section_identifier(line->get_section_id());
            record_filled = true;
            bool arguments_ok = true;
            std::vector<ACF_MGR_ASGN_LINE::ARGUMENT> const arguments = line->get_arguments();
            for (ACF_MGR_ASGN_LINE::ARGUMENT const& argument : arguments) {
                if (!m_read_params.add_argument(argument.type, argument.value)) {
                    arguments_ok = false;
                }
            }
            if (!arguments_ok) {
                status = ACF_REVISION_MANAGER::ILLEGAL_ARGUMENT;
                if (!check_only) {
                    mark_bad_read();
                    if (options.strict) {
                        result = false;
                    }
                }
            } else if (line->test_flag(ACF_MGR_ASGN_LINE::FLAG_REMOVE)) {
                // A line that removes an assignment made earlier.
                if (options.merge && !check_only) {
                    ASSIGNMENT_LIST removed;
                    remove_assignment(&m_read_params, is_global, freeform, &removed);
                }
            } else if (!is_legal(&m_read_params, is_global, freeform) &&
                       m_last_error_status.load() != ACF_REVISION_MANAGER::DUPLICATE_FOUND) {
                status = m_last_error_status.load();
                if (!check_only) {
                    mark_bad_read();
                    if (options.strict) {
                        result = false;
                    }
                }
            } else if (options.merge) {
                ACF_ASSIGNMENT* asgn =
                    set_assignment(&m_read_params, false, is_global, freeform, options.mark_changed,
                                   options.assignments, false, true, true, false);
                if (asgn != nullptr) {
                    if (options.extra_argument != ACF_ARGUMENT_TYPE_NONE) {
                        asgn->add_argument(options.extra_argument,
                                           options.extra_argument_value.c_str());
                    }
                    if (options.record_file_names && line_file != nullptr) {
                        asgn->set_acf_file_name(line_file);
                    }
                    asgn->set_comment(line->get_comment());
                    asgn->set_ignore_status(line->test_flag(ACF_MGR_ASGN_LINE::FLAG_DISABLED));
                    borrowed.borrow(asgn, *line);
                    if (variable == ACF_VARIABLE_TYPE_ROOT) {
                        m_asgn_storage->move_assignment_to_end_of_coll(asgn);
                    }
                }
            } else {
                ACF_ASSIGNMENT* asgn = m_factory->create_assignment(
                    variable, freeform ? line->get_name() : nullptr, line->get_from(),
                    line->get_to(), line->get_value(), line->get_comment(),
                    line->test_flag(ACF_MGR_ASGN_LINE::FLAG_DISABLED));
                if (!ACF_REQUIRE(asgn != NULL)) {
                    continue;
                }
                if (options.extra_argument != ACF_ARGUMENT_TYPE_NONE) {
                    asgn->add_argument(options.extra_argument,
                                       options.extra_argument_value.c_str());
                }
                if (options.record_file_names) {
                    asgn->set_acf_file_name(assignment_file);
                }
                asgn->set_section_identifier(line->get_section_id());
                asgn->set_ignore_status(line->test_flag(ACF_MGR_ASGN_LINE::FLAG_DISABLED));
                asgn->set_variable_original_tcl_command_from_file(line->get_text());
                asgn->set_entity_name(entity_of(line));
                for (ACF_MGR_ASGN_LINE::ARGUMENT const& argument : arguments) {
                    asgn->add_argument(argument.type,
                                       argument.value[0] == '\0' ? nullptr : argument.value);
                }
                asgn->set_family_enum();
                if (options.assignments != nullptr) {
                    options.assignments->push_back(asgn);
                }
                if (options.keep_free_standing) {
                    add_assignment_to_non_proj_list(asgn);
                } else if (options.assignments == nullptr) {
                    delete asgn;
                }
            }
        }

        if (m_acf_revision_manager != nullptr &&
            m_acf_revision_manager->get_bypass_project_open_failure_status()) {
            result = true;
        } else if (options.post && status != 0) {
            char const* shown_file = line_file != nullptr ? line_file : file_name;
            STATUS kept = post_error_message(status, shown_file, line->get_line_number(),
                                             record_filled ? &m_read_params : nullptr, extra_text,
                                             line->get_text(), true);
            m_last_error_status = kept;
            if (kept == 0) {
                result = true;
            }
        }
    }
    if (!check_only && options.merge) {
        set_state(STATE_LOADED, true);
    }
    return result;
}
