// The CSV importer's reading of rows: the known columns, splitting a line into
// cells, the header row and the cells of the current row.
#include "formats/acf_csv_reader.h"

#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_utils.h"
#include "mem_manager.h"
#include "suite/general/gen.h"

#include <cstring>

MEM_UNIT_INITIALIZER(ACF);

ACF_CSV_COLUMN_DATA const acf_csv_column_data_array[] = {
    {"From", ASE_ASGN_PART_SOURCE, ACF_VARIABLE_TYPE_NONE},
    {"To", ASE_ASGN_PART_TARGET, ACF_VARIABLE_TYPE_NONE},
    {"Assignment Name", ASE_ASGN_PART_NAME, ACF_VARIABLE_TYPE_NONE},
    {"Value", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_NONE},
    {"Location", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_LOCATION},
    {"Reserved", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_RESERVE_PIN},
    {"Clock Settings", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_USE_CLOCK},
    {"tco Requirement", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_TCO_REQUIREMENT},
    {"tsu Requirement", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_TSU_REQUIREMENT},
    {"th Requirement", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_TH_REQUIREMENT},
    {"I/O Standard", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_IO_STANDARD},
    {"Termination", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING},
    {"Comment", ASE_ASGN_PART_COMMENT, ACF_VARIABLE_TYPE_NONE},
    {"Enabled", ASE_ASGN_PART_ENABLED, ACF_VARIABLE_TYPE_NONE},
    {"Trellin Source", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_TRELLIN_SOURCE},
    {"Trellin Enabled", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_TRELLIN_ENABLE},
    {"Trellin Registers", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_TRELLIN_NUM_REGISTERS},
    {"Trellin Clock", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_TRELLIN_CLOCK},
    {"Current Strength", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_CURRENT_STRENGTH_NEW},
    {"Entity", ASE_ASGN_PART_ENTITY, ACF_VARIABLE_TYPE_NONE},
    {"Enable Bus-Hold Circuitry", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_ENABLE_BUS_HOLD},
    {"Weak Pull-Up Resistor", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_WEAK_PULL_UP},
    {"Toggle Rate", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_TOGGLE_RATE},
    {"Output Enable Group", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_OUTPUT_ENABLE_GROUP},
    {"Slow Slew Rate", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_SLOW_SLEW_RATE},
    {"Vorelon GX Termination", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_VORELONGX_OCT_VALUE},
    {"Fast Input Register", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_INPUT_REGISTER},
    {"Fast Output Register", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_OUTPUT_REGISTER},
    {"Fast Output Enable Register", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_OUTPUT_ENABLE_REGISTER},
    {"In-System Programming Clamp State", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_ISP_CLAMP_STATE},
    {"Vorelon II Termination", ASE_ASGN_PART_VALUE,
     ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING_VORELONII},
    {"Pellix II Termination", ASE_ASGN_PART_VALUE,
     ACF_VARIABLE_TYPE_OCT_AND_IMPEDANCE_MATCHING_PELLIXII},
    {"PCI I/O", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_PCI_IO},
    {"Output Pin Load", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_OUTPUT_PIN_LOAD},
    {"Tag", ASE_ASGN_PART_TAG, ACF_VARIABLE_TYPE_NONE},
    {"Vorelon II GX Termination", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_VORELONIIGX_OCT_VALUE},
    {"Ref Clock Coupling", ASE_ASGN_PART_VALUE, ACF_VARIABLE_TYPE_REFCLK_COUPLING_OCT},
    {"", ASE_ASGN_PART_NONE, ACF_VARIABLE_TYPE_NONE},
};

namespace {

bool is_white(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string trimmed(char const* begin, char const* end) {
    while (begin < end && is_white(*begin)) {
        ++begin;
    }
    while (end > begin && is_white(end[-1])) {
        --end;
    }
    return std::string(begin, end);
}

} // namespace

ACF_CSV_READER::ACF_CSV_READER(ACF_ASSIGNMENT_FACTORY* factory) : m_assignment_factory(factory) {
    ACF_REQUIRE(m_assignment_factory != NULL);
}

bool ACF_CSV_READER::tokenize_buffer(char* line) {
    m_cells.clear();
    if (!ACF_REQUIRE(line != NULL)) {
        return false;
    }
    acf_remove_escape_characters(line);
    char const* begin = line;
    char const* end = line + std::strlen(line);
    while (begin < end && is_white(*begin)) {
        ++begin;
    }
    while (end > begin && is_white(end[-1])) {
        --end;
    }
    if (begin == end || *begin == '#') {
        return false;
    }
    bool in_quotes = false;
    char const* cell = begin;
    for (char const* at = begin; at < end; ++at) {
        if (*at == '"') {
            in_quotes = !in_quotes;
        } else if (*at == ',' && !in_quotes) {
            m_cells.push_back(trimmed(cell, at));
            cell = at + 1;
        }
    }
    m_cells.push_back(trimmed(cell, end)); // also after a final comma
    return true;
}

bool ACF_CSV_READER::take_header_cells(bool* every_cell_known) {
    m_header_column_count = static_cast<int32_t>(m_cells.size());
    m_column_parts.assign(m_cells.size(), ASE_ASGN_PART_NONE);
    m_column_variables.assign(m_cells.size(), ACF_VARIABLE_TYPE_NONE);
    *every_cell_known = true;
    bool has_value = false;
    bool has_name_or_variable = false;
    for (size_t column = 0; column < m_cells.size(); ++column) {
        ACF_CSV_COLUMN_DATA const* row = acf_csv_column_data_array;
        while (row->header[0] != '\0' && gen_stricmp(row->header, m_cells[column].c_str()) != 0) {
            ++row;
        }
        if (m_cells[column].empty() || row->header[0] == '\0') {
            *every_cell_known = false;
            continue;
        }
        m_column_parts[column] = row->part;
        m_column_variables[column] = row->variable;
        has_value = has_value || row->part == ASE_ASGN_PART_VALUE;
        has_name_or_variable = has_name_or_variable || row->part == ASE_ASGN_PART_NAME ||
                               row->variable != ACF_VARIABLE_TYPE_NONE;
    }
    return has_value && has_name_or_variable;
}

bool ACF_CSV_READER::create_column_info(char const* line) {
    bool every_cell_known = false;
    if (take_header_cells(&every_cell_known)) {
        m_flags |= FLAG_HEADER_READ;
        return true;
    }
    if ((m_flags & FLAG_POST_MESSAGES) != 0) {
        MSG_W* message = MSG_ACF::W::INSUFFICIENT_COLUMN_HEADERS_IN_CSV_FILE(file_name_text());
        message->add_sub_message(MSG_ACF::W::ACF_ASSIGNMENT_INFO(line != nullptr ? line : ""));
        message->post();
        delete message;
    }
    return false;
}

bool ACF_CSV_READER::validate_column_info(char* line) {
    if (!tokenize_buffer(line)) {
        return false;
    }
    bool every_cell_known = false;
    bool sufficient = take_header_cells(&every_cell_known);
    return sufficient && every_cell_known;
}

char const* ACF_CSV_READER::cell_of_column(int32_t column) const {
    if (column < 0 || static_cast<size_t>(column) >= m_cells.size() || m_cells[column].empty()) {
        return nullptr;
    }
    return m_cells[column].c_str();
}

char const* ACF_CSV_READER::get_string_for_ase_part_enum(ASE_ASGN_PART_ENUM part) const {
    for (size_t column = 0; column < m_column_parts.size(); ++column) {
        if (m_column_parts[column] == part) {
            return cell_of_column(static_cast<int32_t>(column));
        }
    }
    return nullptr;
}

char const*
ACF_CSV_READER::get_string_for_acf_variable_type_enum(ACF_VARIABLE_TYPE_ENUM variable) const {
    for (size_t column = 0; column < m_column_variables.size(); ++column) {
        if (m_column_variables[column] == variable) {
            return cell_of_column(static_cast<int32_t>(column));
        }
    }
    return nullptr;
}

char const* ACF_CSV_READER::get_named_value_string() const {
    for (size_t column = 0; column < m_column_parts.size(); ++column) {
        if (m_column_parts[column] == ASE_ASGN_PART_VALUE &&
            m_column_variables[column] == ACF_VARIABLE_TYPE_NONE) {
            return cell_of_column(static_cast<int32_t>(column));
        }
    }
    return nullptr;
}
