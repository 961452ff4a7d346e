#include "sys/mdb/mdb_gtf_engine.h"

#include "sys/mdb/mdb.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_utils.h"
#include "suite/general/gen.h"
#include "suite/tclglue/atcl.h"

#include <sstream>

std::string mdb_gtf_tcl_word(std::string const& text) {
    Tcl_Obj* list = atcl_new_list({text});
    Tcl_IncrRefCount(list);
    std::string word = Tcl_GetString(list);
    Tcl_DecrRefCount(list);
    return word;
}

std::vector<std::string> mdb_gtf_split_settings_line(std::string const& line) {
    std::vector<std::string> words;
    size_t const n = line.size();
    size_t i = 0;
    while (true) {
        size_t start = i;
        size_t end = i;
        bool quoted = i < n && line[i] == '"';
        size_t j = quoted ? i + 1 : i;
        while (j < n && line[j] != (quoted ? '"' : ' ')) {
            j += line[j] == '\\' && j + 1 < n ? 2 : 1;
        }
        if (quoted) {
            start = i + 1;
            end = j;
            i = j < n ? j + 1 : n;
        } else {
            end = j;
            i = j;
        }
        std::string word = line.substr(start, end - start);
        acf_remove_escape_characters(&word[0]);
        words.emplace_back(word.c_str());
        if (i >= n) {
            break;
        }
        ++i; // the one blank between two words
    }
    return words;
}

std::string mdb_gtf_comment_lines(std::string const& indent, std::string const& text) {
    std::string lines;
    size_t start = 0;
    while (true) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        lines += indent + "# ";
        for (char c : line) {
            if (c == '\\' || c == '{' || c == '}') {
                lines += '\\';
            }
            lines += c == '\r' ? ' ' : c;
        }
        lines += '\n';
        if (end == std::string::npos) {
            return lines;
        }
        start = end + 1;
    }
}

namespace {

// A text holding the project name, as one word of the script's header: in
// double quotes as the format shows when list quoting leaves the name
// unchanged, else as its list element.
std::string header_word(std::string const& name, std::string const& text) {
    return mdb_gtf_tcl_word(name) == name ? "\"" + text + "\"" : mdb_gtf_tcl_word(text);
}

} // namespace

MDB_GTF_ENGINE::MDB_GTF_ENGINE(std::string const& file_name, bool include_defaults)
    : m_file_name(file_name), m_include_defaults(include_defaults) {}

int MDB_GTF_ENGINE::generate_tcl_file() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("no acf mgr");
        return NO_ASSIGNMENTS;
    }
    std::string project;
    std::string revision;
    if (acf_mgr->is_project_open()) {
        char const* name = acf_mgr->get_project_name();
        char const* active = acf_mgr->get_active_revision_name();
        project = name != nullptr ? name : "";
        revision = active != nullptr && active[0] != '\0' ? active : project;
    }
    if (m_file_name.empty()) {
        return NO_FILE_NAME;
    }
    if (project.empty() || !acf_mgr->read_lock()) {
        return NO_ASSIGNMENTS;
    }

    std::string const project_word = mdb_gtf_tcl_word(project);
    std::string const revision_word = mdb_gtf_tcl_word(revision);
    std::ostringstream out;
    write_log_info(out, FIO_PATH(m_file_name));
    out << "# Load Tessaly II Tcl Project package\n"
        << "package require ::tessaly::project\n\n"
        << "set need_to_close_project 0\n"
        << "set make_assignments 1\n\n"
        << "# Check that the right project is open\n"
        << "if {[is_project_open]} {\n"
        << "\tif {[string compare $tessaly(project) " << header_word(project, project) << "]} {\n"
        << "\t\tputs " << header_word(project, "Project " + project + " is not open") << "\n"
        << "\t\tset make_assignments 0\n"
        << "\t}\n"
        << "} else {\n"
        << "\t# Only open if not already open\n"
        << "\tif {[project_exists " << project_word << "]} {\n"
        << "\t\tproject_open -revision " << revision_word << " " << project_word << "\n"
        << "\t} else {\n"
        << "\t\tproject_new -revision " << revision_word << " " << project_word << "\n"
        << "\t}\n"
        << "\tset need_to_close_project 1\n"
        << "}\n\n"
        << "# Make assignments\n"
        << "if {$make_assignments} {\n";
    process_assignments(out);
    out << "\n\t# Commit assignments\n"
        << "\texport_assignments\n\n"
        << "\t# Close project\n"
        << "\tif {$need_to_close_project} {\n"
        << "\t\tproject_close\n"
        << "\t}\n"
        << "}\n";
    acf_mgr->read_unlock();

    std::string error;
    if (!FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(m_file_name), out.str(), &error)) {
        mdb_msg_debug("Tcl script %s not written: %s", m_file_name.c_str(), error.c_str());
        return CANNOT_WRITE;
    }
    return WRITTEN;
}

void MDB_GTF_ENGINE::write_log_info(std::ostream& out, FIO_PATH const& script) const {
    std::string now;
    gen_format_current_date_and_time(&now, "%H:%M:%S  %B %d, %Y");
    out << gen_get_legal_text("# ") << "# Tessaly II: Generate Tcl File for Project\n"
        << mdb_gtf_comment_lines("", "File: " + script.filename()) << "# Generated on: " << now
        << "\n\n";
}

void MDB_GTF_ENGINE::process_assignments(std::ostream& out) const {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("no acf mgr");
        return;
    }
    if (!acf_mgr->is_project_open()) {
        MDB_INTERNAL_ERROR("no project");
        return;
    }
    if (!acf_mgr->is_read_locked()) {
        MDB_INTERNAL_ERROR("no read lock");
        return;
    }
    ACF_REVISION_MANAGER::ASSIGNMENT_LIST assignments;
    acf_mgr->get_assignment_coll(nullptr, &assignments, false);
    auto written = [](ACF_ASSIGNMENT const* asgn, bool defaults) {
        return asgn != nullptr && asgn->is_default_value() == defaults &&
               !asgn->does_argument_exist(ACF_ARGUMENT_TYPE_TIP) &&
               !asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_DONT_COPY_TO_NEW_FILE_FORMAT);
    };
    for (ACF_ASSIGNMENT const* asgn : assignments) {
        if (written(asgn, false)) {
            write_assignment(out, asgn);
        }
    }
    if (m_include_defaults) {
        out << "\n\t# Including default assignments\n";
        for (ACF_ASSIGNMENT const* asgn : assignments) {
            if (written(asgn, true)) {
                write_assignment(out, asgn);
            }
        }
    }
}

void MDB_GTF_ENGINE::write_assignment(std::ostream& out, ACF_ASSIGNMENT const* asgn) {
    std::string line;
    asgn->get_variable_tcl_set_command(&line, nullptr);
    if (line.empty()) {
        return;
    }
    char const* comment = asgn->get_comments();
    if (comment != nullptr && comment[0] != '\0') {
        out << mdb_gtf_comment_lines("\t", comment);
    }
    Tcl_Obj* command = atcl_new_list(mdb_gtf_split_settings_line(line));
    Tcl_IncrRefCount(command);
    out << "\t" << Tcl_GetString(command) << "\n";
    Tcl_DecrRefCount(command);
}
