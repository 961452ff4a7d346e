#include "formats/acf_defaults_file.h"

#include "acf_file_categories.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "formats/acf_file_checks.h"
#include "formats/acf_file_header.h"
#include "mem_manager.h"

#include "suite/devicedb/dev.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <vector>

MEM_UNIT_INITIALIZER(ACF);

namespace {

using CHANGE_ROW = ACF_DEFAULT_VALUE_CHANGE_INFO;
using FILE_CATEGORY_ROW = ACF_VARIABLE_FILE_CATEGORY_SEMANTIC_INFO;
// Taken change rows, the newest (greatest number) first; equal numbers keep
// the order they were taken in.
using TAKEN_CHANGES = std::multimap<double, CHANGE_ROW const*, std::greater<double>>;

int service_pack_of(CHANGE_ROW const& row) {
    return row.service_pack != nullptr ? std::atoi(row.service_pack) : 0;
}

double number_of(CHANGE_ROW const& row) {
    return row.version + service_pack_of(row) / 100.0;
}

bool same_variable_and_family(CHANGE_ROW const& a, CHANGE_ROW const& b) {
    return a.variable == b.variable && a.family == b.family;
}

size_t row_count(CHANGE_ROW const* changes) {
    size_t count = 0;
    while (changes[count].variable != ACF_VARIABLE_TYPE_NONE) {
        ++count;
    }
    return count;
}

// Walking from the oldest row back to the newest, each variable and family
// contributes its first row that is not older than the project's last version.
TAKEN_CHANGES changes_since(CHANGE_ROW const* changes, double last_number, double last_plain) {
    TAKEN_CHANGES taken;
    CHANGE_ROW const* last_taken = nullptr;
    for (size_t i = row_count(changes); i-- > 0;) {
        CHANGE_ROW const& row = changes[i];
        if (last_taken != nullptr && same_variable_and_family(row, *last_taken)) {
            continue;
        }
        bool recent =
            service_pack_of(row) > 0 ? number_of(row) >= last_number : row.version >= last_plain;
        if (recent) {
            taken.emplace(number_of(row), &row);
            last_taken = &row;
        }
    }
    return taken;
}

std::string tcl_word(std::string const& text) {
    return acf_format_string(acf_add_escape_characters(text), false);
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string default_line(FILE_CATEGORY_ROW const& row, TAKEN_CHANGES const& taken) {
    std::string line = "set_global_assignment -name ";
    line += acf_get_variable_user_name(row.variable);
    CHANGE_ROW const* change = nullptr;
    for (auto const& entry : taken) {
        CHANGE_ROW const& c = *entry.second;
        if (c.variable == row.variable && c.entity == (row.entity != 0) &&
            c.section_id == (row.section_id != 0) && c.family == row.family) {
            change = &c;
            break;
        }
    }
    if (change != nullptr) {
        std::string value = change->default_value != nullptr ? change->default_value : "";
        int type = acf_get_value_type(row.variable);
        if (type != ACF_VALUE_TYPE_TIME && type != ACF_VALUE_TYPE_FREQUENCY &&
            !acf_test_variable_trait_of(row.variable, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE)) {
            value = upper(value);
        }
        line += " -value " + tcl_word(value);
    } else {
        line += " " + tcl_word(row.default_value);
    }
    if (row.section_id != 0) {
        char const* id = row.section_identifier;
        line += std::string(" -section_id ") + (id != nullptr && *id != '\0' ? id : "?");
    }
    if (row.entity != 0) {
        line += " -entity ?";
    }
    if (row.family != DEV_FAMILY_GENERIC) {
        line += " -family " + tcl_word(dstr_get_user_string(row.family));
    }
    return line;
}

std::string section_of(FILE_CATEGORY_ROW const* row) {
    return row->section_identifier != nullptr ? row->section_identifier : "";
}

void write_note_header(std::ostream& out) {
    acf_print_project_file_header(out);
    out << "#\n"
        << "# Note:\n"
        << "#\n"
        << "# 1) Do not modify this file. This file was generated\n"
        << "#    automatically by the Tessaly II software and is used\n"
        << "#    to preserve global assignments across Tessaly II versions.\n"
        << "#\n"
        << "# " << std::string(74, '-') << " #\n";
}

} // namespace

char const* acf_assignment_defaults_file_name() {
    return "assignment_defaults.tdf";
}

std::string acf_revision_defaults_file_name(std::string const& revision) {
    return revision + "_assignment_defaults.tdf";
}

std::string acf_installation_defaults_file_path() {
    std::string directory = gen_get_module_path();
    // Without the program's own path the folder would be the current one,
    // which is often a project's: its defaults file has the same name.
    if (directory.empty() || directory[0] != '/') {
        return std::string();
    }
    if (directory.back() != '/') {
        directory += '/';
    }
    return directory + acf_assignment_defaults_file_name();
}

double acf_version_text_to_number(char const* text, double* plain) {
    if (plain != nullptr) {
        *plain = 0;
    }
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    std::string version = text;
    int service_pack = 0;
    size_t blank = version.find(' ');
    if (blank != std::string::npos) {
        // A blank and the two letters of the service-pack mark precede its number.
        std::string rest = version.substr(blank);
        service_pack = rest.size() > 3 ? std::atoi(rest.c_str() + 3) : 0;
        version.erase(blank);
    }
    double number = gen_local_atof(version.c_str());
    if (plain != nullptr) {
        *plain = number;
    }
    return number + service_pack / 100.0;
}

std::string acf_revision_defaults_file_text(ACF_DEFAULT_VALUE_CHANGE_INFO const* changes,
                                            double last_number, double last_plain) {
    TAKEN_CHANGES taken = changes_since(changes, last_number, last_plain);
    acf_load_tdf_hidden_families();
    // Four groups: global rows without and with a section identifier, entity
    // rows without and with; the sectioned groups by identifier.
    std::vector<FILE_CATEGORY_ROW const*> groups[4];
    for (size_t i = 0; i < acf_variable_file_category_semantics_count; ++i) {
        FILE_CATEGORY_ROW const& row = acf_variable_file_category_semantics[i];
        if (row.default_value == nullptr || *row.default_value == '\0' ||
            acf_test_variable_trait_of(row.variable, ACF_VARIABLE_TRAIT_TYPE_IS_DEBUG) ||
            acf_hide_family_from_tdf(row.family)) {
            continue;
        }
        groups[(row.entity != 0 ? 2 : 0) + (row.section_id != 0 ? 1 : 0)].push_back(&row);
    }
    for (int sectioned : {1, 3}) {
        std::stable_sort(groups[sectioned].begin(), groups[sectioned].end(),
                         [](FILE_CATEGORY_ROW const* a, FILE_CATEGORY_ROW const* b) {
                             return section_of(a) < section_of(b);
                         });
    }
    std::ostringstream out;
    write_note_header(out);
    out << "\n";
    for (auto const& group : groups) {
        for (FILE_CATEGORY_ROW const* row : group) {
            out << default_line(*row, taken) << "\n";
        }
    }
    return out.str();
}

std::string acf_installation_defaults_file_text(ACF_DEFAULT_VALUE_CHANGE_INFO const* changes) {
    TAKEN_CHANGES taken;
    for (size_t i = 0; changes[i].variable != ACF_VARIABLE_TYPE_NONE; ++i) {
        if (i == 0 || !same_variable_and_family(changes[i], changes[i - 1])) {
            taken.emplace(number_of(changes[i]), &changes[i]);
        }
    }
    acf_load_tdf_hidden_families();
    std::ostringstream out;
    write_note_header(out);
    out << "# Default value changes:\n"
        << "#\n";
    for (auto const& entry : taken) {
        CHANGE_ROW const& row = *entry.second;
        bool one_family = row.family != DEV_FAMILY_GENERIC;
        if (one_family && acf_hide_family_from_tdf(row.family)) {
            continue;
        }
        out << "# In " << row.version_text;
        if (service_pack_of(row) > 0) {
            out << " Service Pack " << service_pack_of(row);
        }
        out << ", the default value of assignment " << acf_get_variable_user_name(row.variable)
            << " has changed to \"" << (row.default_value != nullptr ? row.default_value : "")
            << "\"";
        if (one_family) {
            out << " for device family \"" << dstr_get_user_string(row.family) << "\"";
        }
        out << "\n";
    }
    return out.str();
}

bool acf_write_defaults_file_if_missing(std::string const& target, std::string const& text,
                                        std::string* error) {
    // A file that could not be looked at is taken as present; nothing is
    // written while the operation in hand has met such a fault.
    if (acf_file_exists(target) || acf_file_fault_pending()) {
        return false;
    }
    return FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(target), text, error);
}
