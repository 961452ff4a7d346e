#include "formats/acf_settings_file_writer.h"

#include "acf_assignment.h"
#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "formats/acf_defaults_file.h"
#include "formats/acf_file_checks.h"
#include "formats/acf_file_header.h"
#include "mem_manager.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <cstdio>
#include <list>
#include <map>
#include <sstream>
#include <string_view>

MEM_UNIT_INITIALIZER(ACF);

namespace {

// The notes block under the banner of a new settings file.
void write_notes_block(std::ostream& out, std::string const& revision) {
    out << "#\n"
        << "# Notes:\n"
        << "#\n"
        << "# 1) The default values for assignments are stored in the file:\n"
        << "#\t\t" << acf_revision_defaults_file_name(revision) << "\n"
        << "#    If this file doesn't exist, see file:\n"
        << "#\t\t" << acf_assignment_defaults_file_name() << "\n"
        << "#\n"
        << "# 2) Norvik recommends that you do not modify this file. This\n"
        << "#    file is updated automatically by the Tessaly II software\n"
        << "#    and any changes you make may be lost or overwritten.\n"
        << "#\n"
        << "# " << std::string(74, '-') << " #\n";
}

// The line an entry is written as, without its line end: a comment's text (a
// blank line too), an unchanged assignment's line as it was read, else the
// assignment's command made afresh in `scratch`. False when the entry writes
// nothing.
bool entry_text(ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& entry, std::string* scratch,
                std::string_view* text) {
    ACF_ASSIGNMENT* asgn = entry.get_assignment();
    if (asgn == nullptr) {
        char const* comment = entry.get_comment();
        if (comment == nullptr) {
            return false;
        }
        *text = comment;
        return true;
    }
    if (asgn->is_transient() || asgn->get_family_enum() != DEV_FAMILY_GENERIC) {
        return false;
    }
    char const* read = asgn->has_changed() ? nullptr : asgn->get_original_tcl_command();
    if (read != nullptr) {
        *text = read;
    } else {
        if (asgn->has_changed()) {
            asgn->set_variable_original_tcl_command_from_file(nullptr);
        }
        asgn->get_variable_tcl_set_command(scratch, nullptr);
        *text = *scratch;
    }
    return !text->empty();
}

// "# " followed by `fill` characters up to the length of `line`.
std::string rule_for(std::string const& line, char fill) {
    return "# " + std::string(line.size() > 2 ? line.size() - 2 : 0, fill);
}

std::string formatted(char const* format, char const* a, char const* b = nullptr) {
    int size = std::snprintf(nullptr, 0, format, a, b);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    std::snprintf(&text[0], text.size() + 1, format, a, b);
    return text;
}

// One arrangement of a collection by file category: the entity's block, its
// sections, and the assignments of each category in them.
class FILE_CATEGORY_ARRANGEMENT {
public:
    FILE_CATEGORY_ARRANGEMENT(ACF_ASGN_STORAGE& from, ACF_ASGN_STORAGE& arranged)
        : m_from(from), m_arranged(arranged) {}

    // The assignments of one entity (null: the project's own).
    void add_entity(char const* entity);

private:
    void add_category(ACF_FILE_CATEGORY_ENUM category,
                      ACF_CATEGORY_SECTION_TYPE_ENUM section_type, char const* section_id,
                      char const* entity, bool in_entity, bool* section_started);
    void add_comment(std::string const& text) { m_arranged.add_comment_line(text.c_str(), nullptr); }

    ACF_ASGN_STORAGE& m_from;
    ACF_ASGN_STORAGE& m_arranged;
    ACF_MGR_INPUT_PARAMETERS m_params;
};

void FILE_CATEGORY_ARRANGEMENT::add_entity(char const* entity) {
    bool in_entity = !gen_is_empty_string(entity);
    if (in_entity) {
        std::string start = formatted("# start ENTITY(%s)", entity);
        add_comment("");
        add_comment(rule_for(start, '-'));
        add_comment(start);
    }
    for (int category = 0; category < ACF_FILE_CATEGORY_NONE; ++category) {
        bool unused = false;
        add_category(static_cast<ACF_FILE_CATEGORY_ENUM>(category), ACF_CATEGORY_SECTION_TYPE_MAX,
                     nullptr, entity, in_entity, &unused);
    }
    std::string tab = in_entity ? "\t" : "";
    for (int type = 0; type < ACF_CATEGORY_SECTION_TYPE_MAX; ++type) {
        auto section_type = static_cast<ACF_CATEGORY_SECTION_TYPE_ENUM>(type);
        std::list<std::string> identifiers;
        std::map<std::string, int> duplicates;
        m_from.get_list_of_section_identifiers(section_type, ACF_FILE_CATEGORY_NONE, &identifiers,
                                               &duplicates, in_entity ? entity : "");
        for (std::string const& id : identifiers) {
            if (id.empty()) {
                continue;
            }
            bool section_started = false;
            for (int category = 0; category < ACF_FILE_CATEGORY_NONE; ++category) {
                add_category(static_cast<ACF_FILE_CATEGORY_ENUM>(category), section_type,
                             id.c_str(), entity, in_entity, &section_started);
            }
            if (section_started) {
                std::string end = formatted(
                    "# end %s(%s)", acf_get_category_section_type_string(section_type), id.c_str());
                add_comment("");
                add_comment(tab + end);
                add_comment(tab + rule_for(end, '-'));
            }
        }
    }
    if (in_entity) {
        std::string end = formatted("# end ENTITY(%s)", entity);
        add_comment("");
        add_comment(end);
        add_comment(rule_for(end, '-'));
    }
}

void FILE_CATEGORY_ARRANGEMENT::add_category(ACF_FILE_CATEGORY_ENUM category,
                                             ACF_CATEGORY_SECTION_TYPE_ENUM section_type,
                                             char const* section_id, char const* entity,
                                             bool in_entity, bool* section_started) {
    ACF_ASSIGNMENT_LIST assignments;
    if (!m_from.get_assignments_for_file_category_section_id_entity(&assignments, category,
                                                                    section_type, section_id,
                                                                    entity)) {
        return;
    }
    bool in_section = !gen_is_empty_string(section_id);
    std::string tab = in_entity ? "\t" : "";
    if (in_section && !*section_started) {
        *section_started = true;
        std::string start = formatted(
            "# start %s(%s)", acf_get_category_section_type_string(section_type), section_id);
        add_comment("");
        add_comment(tab + start);
        add_comment(tab + rule_for(start, '-'));
    }
    std::string indent = tab + (in_section ? "\t" : "");
    std::string title = formatted("# %s", acf_file_category_semantics[category].display_text);
    add_comment("");
    add_comment(indent + title);
    add_comment(indent + rule_for(title, '='));
    std::string command;
    for (ACF_ASSIGNMENT* asgn : assignments) {
        if (asgn->is_transient()) {
            continue;
        }
        asgn->fill_in_input_parameter(&m_params);
        ACF_ASSIGNMENT* copy =
            m_arranged.set_assignment(&m_params, false, asgn->is_global(),
                                      asgn->get_type() == ACF_VARIABLE_TYPE_NONE, false, true);
        if (copy == nullptr) {
            continue;
        }
        copy->get_variable_tcl_set_command(&command, nullptr);
        copy->set_variable_original_tcl_command_from_file((indent + command).c_str());
        m_arranged.move_assignment_to_end_of_coll(copy);
    }
}

} // namespace

bool ACF_SETTINGS_FILE_WRITER::write(char const* file_name, bool write_notes, bool as_new_file,
                                     std::string* write_error) {
    if (gen_is_empty_string(file_name)) {
        return false;
    }
    bool changed = m_source.has_changes_to_write();
    bool is_revision_file =
        FIO_PATH::os_specific_comparison(file_name, m_source.revision_file());
    bool existed = !as_new_file && acf_file_exists(file_name);
    // The banner first, then every line into one buffer, sized from the file
    // as it is, so that it seldom grows.
    std::ostringstream banner;
    bool line_end_before_first = false;
    if (!existed && m_source.writes_banner()) {
        acf_print_project_file_header(banner);
        if (write_notes) {
            write_notes_block(banner, m_source.revision_name());
            line_end_before_first = true;
        }
        banner << "\n";
    }
    if (!banner.good()) {
        return false;
    }
    FIO_FILE_STATUS status;
    size_t expected =
        existed && acf_file_status(file_name, &status) ? static_cast<size_t>(status.size) : 0;
    std::string out = banner.str();
    size_t const banner_size = out.size();
    out.reserve(banner_size + expected + expected / 8 + 4096);
    // The lines are made in the walk that finds them. A file none of whose
    // assignments changed is kept as it is unless the revision changed or the
    // write is forced, and nothing of an unchanged revision is regenerated.
    // Every line ends with a line break, the last one too, so that a line
    // appended to the file starts a line of its own.
    size_t entries = 0;
    bool first = true;
    bool file_changed = m_source.visit_entries(
        file_name, is_revision_file, [&](ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& entry) {
            ++entries;
            std::string_view text;
            if (!entry_text(entry, &m_scratch, &text)) {
                return;
            }
            if (first && line_end_before_first) {
                out += '\n';
            }
            out += text;
            out += '\n';
            first = false;
        });
    if (!file_changed && !changed) {
        entries = 0;
        out.resize(banner_size);
    }
    if (entries == 0) {
        // Nothing changed, or nothing of this file: the file stays as it is.
        // The revision's own file is still written when its last assignment
        // was removed, and made when it is missing.
        if (!is_revision_file || (existed && !changed)) {
            return true;
        }
    }
    // Nothing is written over a file that could not be looked at.
    if (acf_file_fault_pending(write_error)) {
        return false;
    }
    // The rename publishes the new file only once it is complete on disk.
    FIO_REWRITE done;
    bool written =
        FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(file_name), out, write_error, &done);
    if (done.replaced) {
        m_source.file_replaced(file_name, done.status);
    }
    if (!written && done.replaced) {
        // The new content is in place; only that it lasts through a crash is
        // not sure.
        m_source.replacement_unconfirmed(file_name, *write_error);
        write_error->clear();
    }
    return done.replaced;
}

void acf_arrange_by_file_category(ACF_ASGN_STORAGE& from, ACF_ASGN_STORAGE& arranged) {
    FILE_CATEGORY_ARRANGEMENT arrangement(from, arranged);
    arrangement.add_entity(nullptr);
    std::list<std::string> entities;
    from.get_list_of_current_entity_names(&entities);
    for (std::string const& entity : entities) {
        if (!entity.empty()) {
            arrangement.add_entity(entity.c_str());
        }
    }
}
