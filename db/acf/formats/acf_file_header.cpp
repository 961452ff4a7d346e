#include "formats/acf_file_header.h"

#include "mem_manager.h"
#include "suite/general/gen.h"

MEM_UNIT_INITIALIZER(ACF);

namespace {
char const* const RULE =
    "# -------------------------------------------------------------------------- #\n";
}

void acf_print_project_file_header(std::ostream& out) {
    out << RULE << "#\n";
    out << gen_get_legal_text("# ");
    out << "#\n" << RULE << "#\n";
    out << "# " << GEN_PRODUCT_NAME << std::endl;
    out << "# " << gen_get_full_version() << std::endl;
    std::string date;
    if (gen_format_current_date_and_time(&date, "%H:%M:%S  %B %d, %Y")) {
        out << "# Date created = " << date << std::endl;
    }
    out << "#\n" << RULE;
}
