// The comment banner that opens every project, settings and defaults file the
// settings library writes.
#pragma once

#include <ostream>

// Writes the banner: a rule line, the legal notice, the product name, the full
// version, "# Date created = <time>" (left out when the clock cannot be read)
// and a closing rule line, every line starting with "#".
void acf_print_project_file_header(std::ostream& out);
