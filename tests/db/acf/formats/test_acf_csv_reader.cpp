#include "formats/acf_csv_reader.h"

#include "suite/general/gen.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The rows are read without a storage; the factory is needed only for the
// non-project list, so these readers are made without one.
class CsvRows : public ::testing::Test {
protected:
    void SetUp() override {
        MSG_INTERNAL_ERROR::set_hook([this](char const* condition, char const*, char const*, int) {
            m_reports.emplace_back(condition);
        });
        msg_log_clear();
    }
    void TearDown() override { MSG_INTERNAL_ERROR::set_hook(nullptr); }

    std::vector<std::string> cells_of(ACF_CSV_READER& reader, std::string line) {
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        reader.tokenize_buffer(buffer.data());
        return reader.get_cells();
    }

    bool take_header(ACF_CSV_READER& reader, std::string const& line) {
        cells_of(reader, line);
        return reader.create_column_info(line.c_str());
    }

    std::vector<std::string> m_reports;
};

TEST_F(CsvRows, ANullFactoryIsReported) {
    ACF_CSV_READER reader(nullptr);
    EXPECT_EQ(m_reports, std::vector<std::string>{"m_assignment_factory != NULL"});
}

struct CELLS_CASE {
    char const* line;
    std::vector<std::string> cells;
};

TEST_F(CsvRows, SplitsLinesIntoCells) {
    CELLS_CASE const cases[] = {
        {"a,b,c", {"a", "b", "c"}},
        {"  a , b\t,c  \r\n", {"a", "b", "c"}},
        {"\"x, y\",z", {"\"x, y\"", "z"}}, // quotes keep the comma and stay in the cell
        {"a,,b,", {"a", "", "b", ""}},     // empty cells, also after a final comma
        {"one", {"one"}},
        {"a\\,b,c", {"a", "b", "c"}}, // escapes are removed before splitting
        {"a\\\\b", {"a\\b"}},
        {"", {}},
        {"   \t", {}},
        {"# Exported assignments", {}},
        {"  #,not,a,row", {}},
    };
    ACF_CSV_READER reader(nullptr);
    for (CELLS_CASE const& c : cases) {
        EXPECT_EQ(cells_of(reader, c.line), c.cells) << c.line;
    }
}

TEST_F(CsvRows, LongRowsAreSplitWhole) {
    std::string line;
    for (int i = 0; i < 5000; ++i) {
        line += "cell" + std::to_string(i) + ",";
    }
    ACF_CSV_READER reader(nullptr);
    EXPECT_EQ(cells_of(reader, line).size(), 5001u);
}

struct HEADER_CASE {
    char const* line;
    bool accepted;
    bool valid; // every cell known
};

TEST_F(CsvRows, HeaderRowNeedsAValueAndANameOrVariableColumn) {
    HEADER_CASE const cases[] = {
        {"To,Assignment Name,Value", true, true},
        {"to,ASSIGNMENT NAME,value,Comment,Enabled", true, true},
        {"To,Location", true, true},
        {"To,I/O Standard,Unknown Column", true, false},
        {"Value", false, false},
        {"Assignment Name,\"Value\"", false, false}, // quotes stay and match nothing
        {"From,To,Comment", false, false},
        {"To,,Location", true, false},
    };
    for (HEADER_CASE const& c : cases) {
        ACF_CSV_READER reader(nullptr);
        EXPECT_EQ(take_header(reader, c.line), c.accepted) << c.line;
        std::string copy = c.line;
        EXPECT_EQ(reader.validate_column_info(copy.data()), c.valid) << c.line;
    }
    EXPECT_TRUE(msg_log_entries().empty()) << "messages are off unless a read asks for them";
}

TEST_F(CsvRows, CellsByPartAndVariable) {
    ACF_CSV_READER reader(nullptr);
    ASSERT_TRUE(take_header(reader, "Tag,To,Location,Assignment Name,Value,I/O Standard,To"));
    EXPECT_EQ(reader.get_header_column_count(), 7);
    cells_of(reader, "t, led0 ,PIN_A3,IO_STANDARD,,\"2.5 V\",other");
    EXPECT_STREQ(reader.get_string_for_ase_part_enum(ASE_ASGN_PART_TARGET), "led0")
        << "the first column of the part";
    EXPECT_EQ(reader.get_string_for_ase_part_enum(ASE_ASGN_PART_NAME), std::string("IO_STANDARD"));
    EXPECT_STREQ(reader.get_string_for_ase_part_enum(ASE_ASGN_PART_VALUE), "PIN_A3")
        << "Location is the first value column";
    EXPECT_EQ(reader.get_string_for_ase_part_enum(ASE_ASGN_PART_SOURCE), nullptr);
    EXPECT_STREQ(reader.get_string_for_acf_variable_type_enum(ACF_VARIABLE_TYPE_IO_STANDARD),
                 "\"2.5 V\"");
    EXPECT_STREQ(reader.get_string_for_acf_variable_type_enum(ACF_VARIABLE_TYPE_LOCATION),
                 "PIN_A3");
    EXPECT_EQ(reader.get_string_for_acf_variable_type_enum(ACF_VARIABLE_TYPE_RESERVE_PIN), nullptr);
}

TEST(CsvColumnTable, HeadersAreUniqueAndEndWithAnEmptyRow) {
    int rows = 0;
    for (ACF_CSV_COLUMN_DATA const* row = acf_csv_column_data_array; row->header[0] != '\0';
         ++row) {
        ++rows;
        if (row->variable != ACF_VARIABLE_TYPE_NONE) {
            EXPECT_EQ(row->part, ASE_ASGN_PART_VALUE) << row->header;
        }
        for (ACF_CSV_COLUMN_DATA const* other = acf_csv_column_data_array; other != row; ++other) {
            EXPECT_NE(gen_stricmp(other->header, row->header), 0) << row->header;
        }
    }
    EXPECT_EQ(rows, 37);
    EXPECT_EQ(acf_csv_column_data_array[rows].part, ASE_ASGN_PART_NONE);
}

} // namespace
