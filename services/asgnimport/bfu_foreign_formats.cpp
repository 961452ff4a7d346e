#include "services/asgnimport/bfu_foreign_formats.h"

#include "acf_manager.h"
#include "suite/fileio/fio.h"
#include "suite/tclglue/atcl.h"

#include <tcl.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {
std::vector<std::string> lines_of(std::string const& content) {
    std::vector<std::string> lines;
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::string trim(std::string const& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

bool is_comment_or_blank(std::string const& line) {
    std::string text = trim(line);
    return text.empty() || text[0] == '#';
}

std::vector<std::string> split(std::string const& text, char separator) {
    std::vector<std::string> cells;
    std::istringstream in(text);
    std::string cell;
    while (std::getline(in, cell, separator)) {
        cells.push_back(trim(cell));
    }
    return cells;
}

std::vector<std::string> words_of(std::string const& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

BFU_IMPORT_ITEM pin_item(ACF_VARIABLE_TYPE_ENUM type, char const* name, std::string const& to,
                         std::string const& value) {
    BFU_IMPORT_ITEM item;
    item.type = type;
    item.name = name;
    item.to = to;
    item.value = value;
    return item;
}

// "PIN_<pin>" unless the pin is already written so.
std::string location_of(std::string const& pin) {
    return pin.compare(0, 4, "PIN_") == 0 ? pin : "PIN_" + pin;
}

bool read_lines(std::string const& source, std::vector<std::string>* lines) {
    std::string content;
    std::string reason;
    if (!FIO_FILE_SYSTEM::read_file(FIO_PATH(source), content, &reason)) {
        bfu_post_bad_line(source, 0, reason.c_str());
        return false;
    }
    *lines = lines_of(content);
    return true;
}

bool bad_line(std::string const& source, size_t index, char const* reason) {
    bfu_post_bad_line(source, static_cast<int>(index) + 1, reason);
    return false;
}
} // namespace

bool bfu_read_fx_file(std::string const& source, std::vector<BFU_IMPORT_ITEM>* items) {
    std::vector<std::string> lines;
    if (!read_lines(source, &lines)) {
        return false;
    }
    int signal = -1, pin = -1, standard = -1;
    bool header = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (is_comment_or_blank(lines[i])) {
            continue;
        }
        std::vector<std::string> cells = split(lines[i], ',');
        if (!header) {
            for (size_t c = 0; c < cells.size(); ++c) {
                std::string name = cells[c];
                signal = name == "Signal Name" ? static_cast<int>(c) : signal;
                pin = name == "Pin Number" ? static_cast<int>(c) : pin;
                standard = name == "IO Standard" ? static_cast<int>(c) : standard;
            }
            if (signal < 0 || pin < 0) {
                return bad_line(source, i,
                                "the header names no \"Signal Name\" and \"Pin Number\"");
            }
            header = true;
            continue;
        }
        if (static_cast<int>(cells.size()) <= std::max(signal, pin) || cells[signal].empty() ||
            cells[pin].empty()) {
            return bad_line(source, i, "a row lacks a signal or a pin");
        }
        items->push_back(pin_item(ACF_VARIABLE_TYPE_LOCATION, "LOCATION", cells[signal],
                                  location_of(cells[pin])));
        if (standard >= 0 && standard < static_cast<int>(cells.size()) &&
            !cells[standard].empty()) {
            items->push_back(pin_item(ACF_VARIABLE_TYPE_IO_STANDARD, "IO_STANDARD", cells[signal],
                                      cells[standard]));
        }
    }
    return true;
}

bool bfu_read_synplify_sdc_file(std::string const& source, std::vector<BFU_IMPORT_ITEM>* items,
                                bool* not_synplify) {
    *not_synplify = false;
    std::vector<std::string> lines;
    if (!read_lines(source, &lines)) {
        return false;
    }
    bool any_define = false;
    std::vector<BFU_IMPORT_ITEM> read;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (is_comment_or_blank(lines[i])) {
            continue;
        }
        std::string line = trim(lines[i]);
        if (line.compare(0, 7, "define_") != 0) {
            continue; // checked below: a file of another dialect has no define_ line
        }
        any_define = true;
        if (line.compare(0, 17, "define_attribute ") != 0) {
            continue;
        }
        // define_attribute {<port>} <attribute> {<value>}, read as a Tcl list.
        Tcl_Obj* list = Tcl_NewStringObj(line.c_str(), -1);
        Tcl_IncrRefCount(list);
        int count = 0;
        Tcl_Obj** words = nullptr;
        bool listed = Tcl_ListObjGetElements(nullptr, list, &count, &words) == TCL_OK && count == 4;
        std::string port = listed ? Tcl_GetString(words[1]) : "";
        std::string attribute = listed ? Tcl_GetString(words[2]) : "";
        std::string value = listed ? Tcl_GetString(words[3]) : "";
        Tcl_DecrRefCount(list);
        if (!listed || port.empty() || value.empty()) {
            return bad_line(source, i, "not \"define_attribute {<port>} <attribute> {<value>}\"");
        }
        // Ports are written with their kind ("p:clk").
        port = port.compare(0, 2, "p:") == 0 ? port.substr(2) : port;
        if (attribute == "syn_loc") {
            read.push_back(
                pin_item(ACF_VARIABLE_TYPE_LOCATION, "LOCATION", port, location_of(value)));
        } else if (attribute == "syn_pad_type") {
            read.push_back(pin_item(ACF_VARIABLE_TYPE_IO_STANDARD, "IO_STANDARD", port, value));
        }
    }
    if (!any_define) {
        *not_synplify = true;
        return false;
    }
    items->insert(items->end(), read.begin(), read.end());
    return true;
}

bool bfu_read_orcad_exp_file(std::string const& source, std::string const& part_reference,
                             std::vector<BFU_IMPORT_ITEM>* items) {
    std::vector<std::string> lines;
    if (!read_lines(source, &lines)) {
        return false;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (is_comment_or_blank(lines[i])) {
            continue;
        }
        std::vector<std::string> words = words_of(lines[i]);
        if (words.size() != 3) {
            return bad_line(source, i, "not \"<part reference> <pin> <net>\"");
        }
        if (words[0] == part_reference) {
            items->push_back(
                pin_item(ACF_VARIABLE_TYPE_LOCATION, "LOCATION", words[2], location_of(words[1])));
        }
    }
    return true;
}

bool bfu_read_varnett2_file(std::string const& source, std::vector<std::string> const& sections,
                            std::vector<BFU_IMPORT_ITEM>* items) {
    std::vector<std::string> lines;
    if (!read_lines(source, &lines)) {
        return false;
    }
    bool locations = sections.empty() ||
                     std::find(sections.begin(), sections.end(), "CHIP_LOCATION") != sections.end();
    std::string section;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = trim(lines[i]);
        if (line.empty() || line.compare(0, 2, "--") == 0) {
            continue;
        }
        if (!inside && section.empty()) {
            section = line; // the section's name
        } else if (!inside) {
            if (line != "BEGIN") {
                return bad_line(source, i, "a section's name is not followed by BEGIN");
            }
            inside = true;
        } else if (line == "END;") {
            inside = false;
            section.clear();
        } else if (section == "CHIP" && locations) {
            // <signal> : LOCATION = <pin>;
            size_t colon = line.find(':');
            size_t equals = line.find('=');
            if (colon == std::string::npos || equals == std::string::npos || equals < colon ||
                line.back() != ';' ||
                trim(line.substr(colon + 1, equals - colon - 1)) != "LOCATION") {
                return bad_line(source, i, "not \"<signal> : LOCATION = <pin>;\"");
            }
            std::string signal = trim(line.substr(0, colon));
            std::string pin = trim(line.substr(equals + 1, line.size() - equals - 2));
            items->push_back(
                pin_item(ACF_VARIABLE_TYPE_LOCATION, "LOCATION", signal, location_of(pin)));
        }
    }
    if (inside || !section.empty()) {
        return bad_line(source, lines.size() - 1, "a section is not closed with END;");
    }
    return true;
}

namespace {
// Imports the file named by the command's first argument through `reader`
// into the active revision: globals and instances, new and overwritten.
int run_import(Tcl_Interp* interp, std::string const& file, BFU_IMPORT_EXPORT::READER reader) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    char const* revision = acf_mgr->is_project_open() ? acf_mgr->get_active_revision_name() : "";
    BFU_IMPORT_EXPORT importer(revision != nullptr ? revision : "");
    importer.m_import_global = true;
    importer.m_import_instance = true;
    importer.m_source_file = file;
    importer.m_has_source_file = true;
    importer.m_reader = std::move(reader);
    if (importer.import({})) {
        Tcl_ResetResult(interp);
        return TCL_OK;
    }
    Tcl_SetObjResult(interp, Tcl_NewStringObj("1", -1));
    return TCL_ERROR;
}

std::vector<std::string> words_of(int objc, Tcl_Obj* const objv[]) {
    std::vector<std::string> words;
    for (int i = 0; i < objc; ++i) {
        words.emplace_back(Tcl_GetString(objv[i]));
    }
    return words;
}

int usage(Tcl_Interp* interp, char const* text) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj(text, -1));
    return TCL_ERROR;
}

int fx_command(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) {
        return usage(interp, "usage: import_assignments_from_fx_file <file>");
    }
    return run_import(interp, Tcl_GetString(objv[1]), bfu_read_fx_file);
}

int sdc_command(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) {
        return usage(interp, "usage: import_assignments_from_synplicity_sdc_file <file>");
    }
    bool not_synplify = false;
    int code =
        run_import(interp, Tcl_GetString(objv[1]),
                   [&not_synplify](std::string const& source, std::vector<BFU_IMPORT_ITEM>* items) {
                       return bfu_read_synplify_sdc_file(source, items, &not_synplify);
                   });
    if (not_synplify) {
        Tcl_SetObjResult(interp, Tcl_NewStringObj("2", -1));
    }
    return code;
}

int exp_command(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 3) {
        return usage(interp,
                     "usage: import_assignments_from_orcad_exp_file <file> <part reference>");
    }
    std::string part = Tcl_GetString(objv[2]);
    return run_import(interp, Tcl_GetString(objv[1]),
                      [part](std::string const& source, std::vector<BFU_IMPORT_ITEM>* items) {
                          return bfu_read_orcad_exp_file(source, part, items);
                      });
}

int varnett2_command(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc < 2) {
        return usage(interp, "usage: import_assignments_from_varnett2 <file> ?<section> ...?");
    }
    std::vector<std::string> words = words_of(objc, objv);
    std::vector<std::string> sections(words.begin() + 2, words.end());
    return run_import(interp, words[1],
                      [sections](std::string const& source, std::vector<BFU_IMPORT_ITEM>* items) {
                          return bfu_read_varnett2_file(source, sections, items);
                      });
}
} // namespace

void bfu_register_import_commands(Tcl_Interp* interp) {
    Tcl_CreateObjCommand(interp, "import_assignments_from_fx_file", fx_command, nullptr, nullptr);
    Tcl_CreateObjCommand(interp, "import_assignments_from_synplicity_sdc_file", sdc_command,
                         nullptr, nullptr);
    Tcl_CreateObjCommand(interp, "import_assignments_from_orcad_exp_file", exp_command, nullptr,
                         nullptr);
    Tcl_CreateObjCommand(interp, "import_assignments_from_varnett2", varnett2_command, nullptr,
                         nullptr);
}
