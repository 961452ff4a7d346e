// Any bytes as a CSV assignment file, row by row: splitting into cells, the
// header row and the cell look-ups of every data row must hold for any input.
#include "formats/acf_csv_reader.h"
#include "suite/messages/msg.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // The rows need no assignment factory; its absence is reported, not fatal.
    static bool const quiet_reports = [] {
        MSG_INTERNAL_ERROR::set_hook([](char const*, char const*, char const*, int) {});
        return true;
    }();
    (void)quiet_reports;

    std::string text(reinterpret_cast<char const*>(data), size);
    ACF_CSV_READER reader(nullptr);
    bool header_read = false;
    size_t found = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::vector<char> line(text.begin() + start, text.begin() + end);
        line.push_back('\0');
        start = end + 1;

        std::vector<char> copy = line;
        reader.validate_column_info(copy.data());
        if (!reader.tokenize_buffer(line.data())) {
            continue;
        }
        if (!header_read) {
            header_read = reader.create_column_info(line.data());
            continue;
        }
        for (int part = 0; part <= 10; ++part) {
            found += reader.get_string_for_ase_part_enum(static_cast<ASE_ASGN_PART_ENUM>(part)) !=
                     nullptr;
        }
        for (ACF_CSV_COLUMN_DATA const* row = acf_csv_column_data_array; row->header[0] != '\0';
             ++row) {
            found += reader.get_string_for_acf_variable_type_enum(row->variable) != nullptr;
        }
    }
    return found == static_cast<size_t>(-1) ? 1 : 0;
}
