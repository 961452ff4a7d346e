// The IP wizard's library: the header that the wizard writes at the top of every
// variation file, and the tests made on it.
//
// The header is the file's leading run of comment and blank lines. Its lines are
// these texts; in Verilog-like files each is written after "// ", in VHDL files
// as it stands (the texts already start a VHDL comment):
//
//     -- VestaWizard variation file
//     -- Retrieval info: <instance entity-name="fifo_a" version="13.0" >
//
// The instance line names the IP component and the tool version that generated
// it; the attribute upgrade="fail" on it marks a file the wizard refuses to upgrade.
#pragma once

#include <cstddef>
#include <string>

extern char const* const WIZMAN_HEADER_MARK;        // "-- VestaWizard variation file"
extern char const* const WIZMAN_RETRIEVAL_INSTANCE; // "-- Retrieval info: <instance"
// At most this much of a file's start is read to find its header.
extern size_t const WIZMAN_HEADER_READ_LIMIT;

struct WIZMAN_HEADER {
    bool wizard_generated = false; // the mark line is present
    bool has_instance = false;     // an instance line is present
    std::string entity_name;       // its attributes; "" when absent
    std::string version;
    bool marked_failing = false;
};

// Reads the header of a variation file's text (the last instance line wins).
WIZMAN_HEADER wizman_read_header(std::string const& text);
// True when the file can be read and its header carries the wizard's mark.
bool wizman_file_was_wizard_generated(char const* full_path);
// What a look at a file's header found: VARIATION when it carries the wizard's
// mark; OTHER when it does not, or when the path is gone or names no regular
// file (a FIFO, a device, a folder); UNREADABLE, with the reason in `why`, when
// a file is there but cannot be opened or read.
enum class WIZMAN_FILE_KIND { VARIATION, OTHER, UNREADABLE };
WIZMAN_FILE_KIND wizman_check_variation_file(std::string const& path, std::string& why);
// The same test, giving the IP name and version of the header's instance line
// ("" when absent) when the file was wizard-generated.
bool is_wizard_generated_file(char const* full_path, std::string& name, std::string& version);
// Sets the version attribute of the header's instance lines; false, leaving the
// text as it was, when the header has no instance line with a version.
bool wizman_set_header_version(std::string& text, std::string const& version);
// The text of an IP file (.tip) with the value of every "-name IP_TOOL_VERSION"
// assignment (blanks or tabs between the words; the value a double-quoted text
// on one line or a word) set to `version` in double quotes.
std::string wizman_with_tip_tool_version(std::string const& tip_text, std::string const& version);
