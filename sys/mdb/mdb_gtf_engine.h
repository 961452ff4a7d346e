// The Tcl script generator: writes the assignments of the open project's
// active revision into a stand-alone Tcl script that opens (or creates) the
// same project and revision, sets every assignment again with the command the
// settings file holds, commits them and closes the project.
//
// Every name and value reaches the script as one Tcl word (quoted as a list
// element), so no character of it is taken as Tcl syntax; comment texts are
// written one comment line per line. The script is written atomically: a
// failure leaves an existing file as it was.
#pragma once

#include "suite/fileio/fio.h"

#include <ostream>
#include <string>
#include <vector>

class ACF_ASSIGNMENT;

class MDB_GTF_ENGINE {
public:
    // Result codes of generate_tcl_file.
    enum RESULT {
        WRITTEN = 0,
        NO_FILE_NAME = 1,
        CANNOT_WRITE = 2,   // an existing file stays as it was
        NO_ASSIGNMENTS = 3, // no project open, no project name or no read lock
    };

    // `file_name` is used as given: no extension is added or changed.
    MDB_GTF_ENGINE(std::string const& file_name, bool include_defaults);

    int generate_tcl_file();

private:
    void write_log_info(std::ostream& out, FIO_PATH const& script) const;
    void process_assignments(std::ostream& out) const;
    // The command line of one record (with its comment lines), or nothing.
    static void write_assignment(std::ostream& out, ACF_ASSIGNMENT const* asgn);

    std::string m_file_name;
    bool m_include_defaults;
};

// A text as one Tcl word: quoted as a list element.
std::string mdb_gtf_tcl_word(std::string const& text);
// The words of a settings-file command line as the settings database renders
// it (blank-separated words, each bare or in double quotes, with backslash
// escapes), unescaped; an empty word between two blanks is kept.
std::vector<std::string> mdb_gtf_split_settings_line(std::string const& line);
// `text` as comment lines: one per line of the text, each `indent` + "# " +
// the line with backslashes and braces escaped, so that none continues into
// the next line or counts in the braces of an enclosing block.
std::string mdb_gtf_comment_lines(std::string const& indent, std::string const& text);
