#include "acf_manager_reader.h"

#include "acf_msgs.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "suite/fileio/fio.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using LINE = ACF_MGR_ASGN_LINE;

std::string fixture(char const* name) {
    return std::string(TESSALY_TEST_DATA_DIR) + "/fixtures/reader/" + name;
}

std::vector<std::string> tokens_of(std::string line) {
    ACF_MANAGER_READER reader;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    reader.tokenize_buffer(buffer.data());
    std::vector<std::string> tokens;
    for (int32_t i = 0; i < reader.get_token_count(); ++i) {
        tokens.emplace_back(reader.get_token(i));
    }
    return tokens;
}

// Reads one line into a fresh reader; the reader's records and messages stay
// in it for the caller to inspect.
void read_line(ACF_MANAGER_READER& reader, std::string const& line, bool quiet = false) {
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    reader.process_one_line_from_file(buffer.data(), quiet);
}

// All records of a fresh read of one line (only kept records are listed by the
// reader after read_file, so a single line goes through a scratch file).
class ReaderFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/acf_reader_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string write(std::string const& name, std::string const& content) {
        std::string path = m_dir + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    std::string m_dir;
};

std::string text_or_null(char const* text) {
    return text == nullptr ? "<null>" : std::string("\"") + text + "\"";
}

// One record as a single comparable text.
std::string describe(LINE const& line) {
    std::string out = "flags=" + std::to_string(line.get_flags());
    auto field = [&out](char const* label, char const* text) {
        if (text != nullptr) {
            out += std::string(" ") + label + "=" + text_or_null(text);
        }
    };
    field("name", line.get_name());
    field("value", line.get_value());
    field("from", line.get_from());
    field("to", line.get_to());
    field("entity", line.get_entity());
    field("section", line.get_section_id());
    field("comment", line.get_comment());
    field("source", line.get_source_file());
    for (LINE::ARGUMENT const& argument : line.get_arguments()) {
        out += " arg" + std::to_string(argument.type) + "=" + text_or_null(argument.value);
    }
    return out;
}

std::vector<std::string> describe_all(ACF_MANAGER_READER const& reader) {
    std::vector<std::string> out;
    for (LINE const* line : reader.get_assignment_lines()) {
        out.push_back(describe(*line));
    }
    return out;
}

struct TOKEN_CASE {
    char const* line;
    std::vector<std::string> tokens;
};

TEST(AcfManagerReaderTokens, SplitsLinesIntoWords) {
    TOKEN_CASE const cases[] = {
        {"a  b\tc\r", {"a", "b", "c"}},
        {"\"a  b\" c", {"a  b", "c"}},          // both blanks kept
        {"\"a\tb\"", {"a b"}},                  // the tab after the first word: one blank
        {"\"a b\tc\"", {"a b\tc"}},             // later tabs stay
        {"x \"\" y", {"x", "", "y"}},           // two quotes: an empty word
        {"x \"a b c", {"x", "a b c"}},          // no closing quote: the rest of the line
        {"x \"", {"x"}},                        // an empty group at the end is no word
        {"x # y z", {"x"}},                     // a comment ends the line
        {"x \"# y\"", {"x", "# y"}},            // ... but not inside quotes
        {"{a} b}", {"{a}", "b}"}},              // braces are ordinary characters
        {"\"a b\"c d", {"a b", "c", "d"}},      // words go on after the closing quote
        {"a\\\\b \\$x", {"a\\b", "$x"}},        // escapes removed, a doubled backslash leaves one
        {"a\\ b", {"a", "b"}},                  // an escaped blank still separates
        {"\"say \\\"hi\\\"\"", {"say \"hi\""}}, // escaped quotes stay in the word
        {"\\\"x y", {"\"x", "y"}},              // an escaped quote opens no group
        {"\"C:\\\\dir\\\\\" z",
         {"C:\\dir\\", "z"}},      // an escaped backslash before the closing quote
        {"\"a \" b", {"a ", "b"}}, // a trailing blank inside quotes is kept
        {"end\\", {"end\\"}},      // a lone trailing backslash stays
        {"\"x[a]y\" x\\[a\\]y", {"x[a]y", "x[a]y"}},  // brackets bare or escaped
        {"\"a\\nb c\" a\\r\\n", {"a\nb c", "a\r\n"}}, // line breaks as Tcl writes them
        {"catch { set_parameter -name A 1 } r", {"set_parameter", "-name", "A", "1"}},
        {"CATCH { x } r", {"x"}},
        {"catch x", {"catch", "x"}},
        {"", {}},
        {" \t ", {}},
        // runs longer than the 16 characters searched at a time, and control
        // characters that are plain text
        {"abcdefghijklmnopqrstuvwxyz0123456789 b", {"abcdefghijklmnopqrstuvwxyz0123456789", "b"}},
        {"x\x01y\fz\vw\x1f v", {"x\x01y\fz\vw\x1f", "v"}},
        {"\"0123456789abcdef 0123456789\\\"abcdef\\\\ tail\" end",
         {"0123456789abcdef 0123456789\"abcdef\\ tail", "end"}},
        {"0123456789abcdef\"x\" \"\x02quoted\"", {"0123456789abcdef\"x\"", "\x02quoted"}},
        {"\xc3\xa9t\xc3\xa9 \"caf\xc3\xa9 cr\xc3\xa8me\"",
         {"\xc3\xa9t\xc3\xa9", "caf\xc3\xa9 cr\xc3\xa8me"}},
    };
    for (TOKEN_CASE const& c : cases) {
        EXPECT_EQ(tokens_of(c.line), c.tokens) << c.line;
    }
}

TEST(AcfManagerReaderTokens, MoreThanTheSlotsIsAnErrorLineNotAnOverflow) {
    std::string line = "set_parameter -name N";
    for (int i = 0; i < 200; ++i) {
        line += " w" + std::to_string(i);
    }
    ACF_MANAGER_READER reader;
    read_line(reader, line);
    EXPECT_TRUE(reader.has_too_many_tokens());
    EXPECT_EQ(reader.get_token_count(), ACF_MANAGER_READER::MAX_TOKENS);

    ACF_MANAGER_READER exact;
    std::string hundred = "set_parameter -name N -value";
    for (int i = 0; i < 96; ++i) {
        hundred += " \"\"";
    }
    read_line(exact, hundred);
    EXPECT_FALSE(exact.has_too_many_tokens()) << "exactly 100 words fit";
}

struct LINE_CASE {
    char const* line;
    bool quiet;
    char const* record; // null: no record
};

TEST_F(ReaderFiles, EachLineKindGivesItsRecord) {
    constexpr int E = LINE::FLAG_ERROR;
    std::string const error = "flags=" + std::to_string(E);
    LINE_CASE const cases[] = {
        // blank, comment and source lines
        {"", false, nullptr}, // an empty file has no line
        {"   \t", false, "flags=16"},
        {"  # a comment", false, "flags=16"},
        {"source sub.tsf", false, "flags=20 source=\"sub.tsf\""},
        {"SOURCE \"my file.tsf\"", false, "flags=20 source=\"my file.tsf\""},
        {"source a.tsf b.tsf", false, error.c_str()},
        {"source", false, error.c_str()},
        // set commands
        {"set_global_assignment -name VHDL_FILE top.vhd", false,
         "flags=0 name=\"VHDL_FILE\" value=\"top.vhd\""},
        {"SET_Instance_Assignment -NAME IO_STANDARD \"2.5 V\" -to led0 -entity sub", false,
         "flags=0 name=\"IO_STANDARD\" value=\"2.5 V\" to=\"led0\" entity=\"sub\""},
        {"set_location_assignment PIN_A3 -to led0", false,
         "flags=0 name=\"LOCATION\" value=\"PIN_A3\" to=\"led0\""},
        {"set_location_assignment -name LOCATION PIN_A3 -to led0", false, error.c_str()},
        {"set_parameter -name DEPTH 8 -to u1", false,
         "flags=8 name=\"DEPTH\" value=\"8\" to=\"u1\""},
        {"set_global_assignment -name VHDL_FILE old.vhd -disable -comment \"old top\"", false,
         "flags=2 name=\"VHDL_FILE\" value=\"old.vhd\" comment=\"old top\""},
        {"set_global_assignment -name VHDL_FILE a.vhd -remove", false,
         "flags=32 name=\"VHDL_FILE\" value=\"a.vhd\""},
        {"set_global_assignment -name VHDL_FILE -value \"\"", false,
         "flags=0 name=\"VHDL_FILE\" value=\"\""},
        {"set_instance_assignment -name INPUT_MAX_DELAY -5 -from a -to b", false,
         "flags=0 name=\"INPUT_MAX_DELAY\" value=\"-5\" from=\"a\" to=\"b\""},
        {"set_instance_assignment -name INPUT_MAX_DELAY 1ns -to b -rise", false,
         "flags=0 name=\"INPUT_MAX_DELAY\" value=\"1ns\" to=\"b\" arg4=\"\""},
        {"set_instance_assignment -name INPUT_MAX_DELAY 1ns -fall -to b", false,
         "flags=0 name=\"INPUT_MAX_DELAY\" value=\"1ns\" to=\"b\" arg5=\"\""},
        {"set_global_assignment -name VHDL_FILE top.vhd -library work -hdl_version VHDL_2008",
         false, "flags=0 name=\"VHDL_FILE\" value=\"top.vhd\" arg9=\"work\" arg1=\"VHDL_2008\""},
        {"set_global_assignment -name VHDL_FILE top.vhd -to", false, error.c_str()},
        {"set_global_assignment -name VHDL_FILE -to", false,
         "flags=0 name=\"VHDL_FILE\" value=\"-to\""},
        {"set_global_assignment -name VHDL_FILE top.vhd # trailing words", false,
         "flags=0 name=\"VHDL_FILE\" value=\"top.vhd\""},
        {"catch { set_global_assignment -name VHDL_FILE top.vhd } result", false,
         "flags=0 name=\"VHDL_FILE\" value=\"top.vhd\""},
        {"\"\" set_parameter -name A 1", false, "flags=8 name=\"A\" value=\"1\""},
        {"set_parameter -name A \"say \\\"hi\\\"\"", false,
         "flags=8 name=\"A\" value=\"say \"hi\"\""},
        // lines that cannot be understood
        {"catch {set_global_assignment -name VHDL_FILE top.vhd} result", false, error.c_str()},
        {"set_global_assignment -name VHDL_FILE a.vhd b.vhd", false, error.c_str()},
        {"set_instance_assignment -name IO_STANDARD x -to a -to b", false, error.c_str()},
        {"set_global_assignment -name NO_SUCH_VARIABLE_NAME 1", false, error.c_str()},
        {"set_global_assignment -name VHDL_FILE a.vhd -library", false, error.c_str()},
        {"set_global_assignment -name VHDL_FILE a.vhd -library \"\"", false, error.c_str()},
        {"set_global_assignment -name VHDL_FILE a.vhd -rise", false, error.c_str()},
        {"puts hello", false, error.c_str()},
        {"puts hello", true, nullptr},
        {"\"", false, nullptr},
    };
    for (LINE_CASE const& c : cases) {
        std::string path = write("one.tsf", c.line);
        ACF_MANAGER_READER reader;
        reader.read_file(path.c_str(), c.quiet, nullptr, false, false);
        std::vector<std::string> records = describe_all(reader);
        if (c.record == nullptr) {
            EXPECT_TRUE(records.empty()) << c.line;
            continue;
        }
        ASSERT_EQ(records.size(), 1u) << c.line;
        EXPECT_EQ(records[0], c.record) << c.line;
        LINE const* line = reader.get_assignment_lines().front();
        EXPECT_STREQ(line->get_text(), c.line) << "the text is the line as read";
        EXPECT_EQ(line->get_file_index(), 0);
        EXPECT_EQ(line->get_line_number(), 1);
    }
}

struct TAIL_CASE {
    char const* line;
    char const* record;
    LINE::FIELD tail; // the field read from the line's own text; FIELD_COUNT: none
};

// A field whose text stands as the end of its line's text (unquoted, no
// escapes, last on the line) is read from the line; any other is a copy. Either
// way every field and argument reads as written.
TEST_F(ReaderFiles, AFieldEndingTheLineIsReadFromTheLine) {
    constexpr LINE::FIELD NONE = LINE::FIELD_COUNT;
    TAIL_CASE const cases[] = {
        {"set_global_assignment -name VHDL_FILE top.vhd",
         "flags=0 name=\"VHDL_FILE\" value=\"top.vhd\"", LINE::VALUE},
        {"set_instance_assignment -name IO_STANDARD \"2.5 V\" -to led0",
         "flags=0 name=\"IO_STANDARD\" value=\"2.5 V\" to=\"led0\"", LINE::TO},
        {"set_parameter\t-name\tA\tx", "flags=8 name=\"A\" value=\"x\"", LINE::VALUE},
        {"source sub.tsf", "flags=20 source=\"sub.tsf\"", LINE::SOURCE_FILE},
        // the tail is a field before others, and arguments follow the fields
        {"set_parameter -value 1 -to u1 -name A", "flags=8 name=\"A\" value=\"1\" to=\"u1\"",
         LINE::NAME},
        {"set_instance_assignment -entity sub -comment c -to led0 -name IO_STANDARD LVDS",
         "flags=0 name=\"IO_STANDARD\" value=\"LVDS\" to=\"led0\" entity=\"sub\" comment=\"c\"",
         LINE::VALUE},
        {"set_instance_assignment -name INPUT_MAX_DELAY 1ns -rise -to b",
         "flags=0 name=\"INPUT_MAX_DELAY\" value=\"1ns\" to=\"b\" arg4=\"\"", LINE::TO},
        {"set_instance_assignment -name IO_STANDARD LVDS -from a -to b -entity sub",
         "flags=0 name=\"IO_STANDARD\" value=\"LVDS\" from=\"a\" to=\"b\" entity=\"sub\"",
         LINE::ENTITY},
        // an escaped blank still separates: the word after it is the tail
        {"set_parameter -name A\\ x", "flags=8 name=\"A\" value=\"x\"", LINE::VALUE},
        // a lone backslash at the end stays in the word and in the line
        {"set_parameter -name A x\\", "flags=8 name=\"A\" value=\"x\\\"", LINE::VALUE},
        // not the line's tail, or not as it stands there
        {"set_parameter -name A \"x\"", "flags=8 name=\"A\" value=\"x\"", NONE},
        {"set_parameter -name A \"x y\"", "flags=8 name=\"A\" value=\"x y\"", NONE},
        {"set_parameter -name A x\\[1\\]", "flags=8 name=\"A\" value=\"x[1]\"", NONE},
        {"set_parameter -name A x ", "flags=8 name=\"A\" value=\"x\"", NONE},
        {"set_parameter -name A x\r", "flags=8 name=\"A\" value=\"x\"", NONE},
        {"set_parameter -name A x # note", "flags=8 name=\"A\" value=\"x\"", NONE},
        {"set_parameter -name \"A B\"x", "flags=8 name=\"A B\" value=\"x\"", NONE},
        {"catch { set_parameter -name A x } r", "flags=8 name=\"A\" value=\"x\"", NONE},
        {"set_global_assignment -name VHDL_FILE a.vhd -library work",
         "flags=0 name=\"VHDL_FILE\" value=\"a.vhd\" arg9=\"work\"", NONE},
        {"set_location_assignment", "flags=0 name=\"LOCATION\"", NONE},
        {"set_global_assignment", "flags=0", NONE},
    };
    for (TAIL_CASE const& c : cases) {
        // A line follows, so that a line ending in "\r" ends in "\r\n", whose
        // "\r" stays in the line's text.
        std::string const file = std::string(c.line) + "\nset_parameter -name NEXT 1";
        ACF_MANAGER_READER reader;
        reader.read_file(write("tail.tsf", file).c_str(), false, nullptr, false, false);
        ASSERT_EQ(reader.get_assignment_lines().size(), 2u) << c.line;
        LINE const& line = *reader.get_assignment_lines().front();
        EXPECT_EQ(describe(line), c.record) << c.line;
        EXPECT_STREQ(line.get_text(), c.line);
        char const* const text = line.get_text();
        char const* const end = text + std::strlen(text);
        for (int f = 0; f < LINE::FIELD_COUNT; ++f) {
            char const* field = line.get_field(static_cast<LINE::FIELD>(f));
            if (field != nullptr) {
                bool const in_line = field >= text && field < end;
                EXPECT_EQ(in_line, f == c.tail) << c.line << ", field " << f;
            }
        }
    }
}

struct DROP_CASE {
    char const* line;
    bool quiet;
    std::vector<unsigned> message_ids;
    bool dropped_mark;
};

TEST(AcfManagerReader, DroppedLinesAndTheirMessages) {
    DROP_CASE const cases[] = {
        {"set_global_assignment -name ADV_NETLIST_OPT_TEST On", false, {125060}, true},
        {"set_global_assignment -name adv_netlist_opt_test On", true, {}, false},
        {"set_parameter -name XR_PATH_INCLUDE 1", false, {125060}, true},
        {"set_instance_assignment -name IO_STANDARD x -to a -tip a.tip", false, {12364}, true},
        {"set_instance_assignment -name IO_STANDARD x -to a -tip a.tip -sip b.sip",
         true,
         {12364, 12364},
         true},
    };
    for (DROP_CASE const& c : cases) {
        ACF_MANAGER_READER reader;
        read_line(reader, c.line, c.quiet);
        std::list<MSG_POST*> messages;
        reader.get_post_messages(&messages);
        std::vector<unsigned> ids;
        for (MSG_POST* message : messages) {
            ids.push_back(message->get_id());
            delete message;
        }
        EXPECT_EQ(ids, c.message_ids) << c.line;
        EXPECT_EQ(reader.is_assignment_dropped(), c.dropped_mark) << c.line;
    }
}

TEST(AcfManagerReader, MessagesNameTheAssignmentAndArgument) {
    msg_log_clear();
    ACF_MANAGER_READER reader;
    read_line(reader, "set_instance_assignment -name IO_STANDARD x -to a -sip b.sip");
    read_line(reader, "set_global_assignment -name ADV_NETLIST_OPT_TEST On");
    std::list<MSG_POST*> messages;
    reader.get_post_messages(&messages);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages.front()->get_text(),
              "Assignment \"IO_STANDARD\" contains invalid argument \"SIP\" -- removing assignment "
              "from Tessaly II Settings File");
    EXPECT_NE(messages.back()->get_text().find("\"ADV_NETLIST_OPT_TEST\""), std::string::npos);
    EXPECT_TRUE(msg_log_entries().empty()) << "collected, not posted";
    std::list<MSG_POST*> again;
    reader.get_post_messages(&again);
    EXPECT_TRUE(again.empty()) << "handed over once";
    for (MSG_POST* message : messages) {
        delete message;
    }
}

TEST_F(ReaderFiles, SourcedFilesFollowTheLineThatNamesThem) {
    std::system(("mkdir -p '" + m_dir + "/sub'").c_str());
    write("sub/inner.tsf", "set_parameter -name INNER 1\nsource ../top.tsf");
    write("other.tsf", "set_parameter -name OTHER 2");
    std::string top = write("top.tsf", "set_parameter -name FIRST 0\n"
                                       "source sub/inner.tsf\n"
                                       "source other.tsf\n"
                                       "source other.tsf\n"
                                       "source missing.tsf\n"
                                       "set_parameter -name LAST 9\n");
    ACF_MANAGER_READER reader;
    std::list<std::string> included;
    reader.read_file(top.c_str(), false, &included, false, false);

    std::vector<std::string> names;
    std::vector<std::string> files;
    for (LINE const* line : reader.get_assignment_lines()) {
        names.push_back(line->get_name() != nullptr ? line->get_name()
                        : line->get_source_file() != nullptr
                            ? std::string("source ") + line->get_source_file()
                            : "<blank>");
        files.push_back(FIO_PATH(reader.get_file_name(line->get_file_index())).base());
    }
    std::vector<std::string> const expected_names = {"FIRST",
                                                     "source sub/inner.tsf",
                                                     "INNER",
                                                     "source ../top.tsf",
                                                     "source other.tsf",
                                                     "OTHER",
                                                     "source other.tsf",
                                                     "source missing.tsf",
                                                     "LAST"};
    std::vector<std::string> const expected_files = {"top",   "top", "inner", "inner", "top",
                                                     "other", "top", "top",   "top"};
    EXPECT_EQ(names, expected_names) << "each file once; the cycle back to top ends";
    EXPECT_EQ(files, expected_files);
    std::list<std::string> const expected_included = {m_dir + "/sub/inner.tsf", m_dir + "/top.tsf",
                                                      m_dir + "/other.tsf", m_dir + "/other.tsf",
                                                      m_dir + "/missing.tsf"};
    EXPECT_EQ(included, expected_included);
    EXPECT_EQ(reader.get_file_name(3), nullptr);
    EXPECT_EQ(reader.get_file_name(-1), nullptr);
}

// The records a caller is done with can be released while it works through
// the rest of a long file and the long files it sources: every later record
// stays intact, also those that share a block or a memory page with released
// ones, whatever the steps of the release.
TEST_F(ReaderFiles, ReleasingRecordsDoneWithKeepsTheRest) {
    auto describe = [](LINE const* line) {
        return line->get_name() != nullptr ? std::string(line->get_name())
               : line->get_source_file() != nullptr
                   ? "source " + std::string(line->get_source_file())
                   : std::string("<blank>");
    };
    auto parameters = [](char const* prefix, int count, std::vector<std::string>* names) {
        std::string text;
        for (int i = 1; i <= count; ++i) {
            std::string const name = prefix + std::to_string(i);
            text += "set_parameter -name " + name + " " + std::to_string(i) + "\n";
            names->push_back(name);
        }
        return text;
    };
    std::vector<std::string> sourced_names;
    std::vector<std::string> short_names;
    write("long.tsf", parameters("L", 5000, &sourced_names));
    write("short.tsf", parameters("S", 3, &short_names));
    std::vector<std::string> expected;
    std::string text = parameters("M", 4094, &expected) + "source long.tsf\n";
    expected.push_back("source long.tsf");
    expected.insert(expected.end(), sourced_names.begin(), sourced_names.end());
    std::vector<std::string> more;
    text += parameters("N", 3000, &more) + "source short.tsf\n";
    expected.insert(expected.end(), more.begin(), more.end());
    expected.push_back("source short.tsf");
    expected.insert(expected.end(), short_names.begin(), short_names.end());
    more.clear();
    text += parameters("O", 10, &more);
    expected.insert(expected.end(), more.begin(), more.end());
    std::string const top = write("top.tsf", text);

    for (size_t step : {size_t(1), size_t(127), size_t(1000), size_t(4096)}) {
        ACF_MANAGER_READER reader;
        ASSERT_TRUE(reader.read_file(top.c_str(), false, nullptr, false, false));
        std::vector<LINE*> const& lines = reader.get_assignment_lines();
        ASSERT_EQ(lines.size(), expected.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i % step == 0) {
                reader.release_lines_before(i);
            }
            ASSERT_EQ(describe(lines[i]), expected[i]) << "record " << i << ", step " << step;
        }
    }
}

TEST_F(ReaderFiles, KeepingFilesOut) {
    write("inc.tsf", "set_parameter -name INC 1");
    std::string top = write("top.tsf", "source inc.tsf");
    struct KEEP_CASE {
        bool keep_this_out;
        bool keep_included_out;
        size_t kept;
    } const cases[] = {{false, false, 2}, {false, true, 1}, {true, false, 1}, {true, true, 0}};
    for (KEEP_CASE const& c : cases) {
        ACF_MANAGER_READER reader;
        reader.read_file(top.c_str(), false, nullptr, c.keep_this_out, c.keep_included_out);
        EXPECT_EQ(reader.get_assignment_lines().size(), c.kept)
            << c.keep_this_out << c.keep_included_out;
    }
}

TEST_F(ReaderFiles, LineBreaksLongLinesAndMissingFiles) {
    ACF_MANAGER_READER reader;
    reader.read_file((m_dir + "/none.tsf").c_str(), false, nullptr, false, false);
    reader.read_file(m_dir.c_str(), false, nullptr, false, false);
    reader.read_file("/dev/zero", false, nullptr, false, false); // would never end
    std::string fifo = m_dir + "/fifo.tsf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    reader.read_file(fifo.c_str(), false, nullptr, false, false); // would block
    EXPECT_TRUE(reader.get_assignment_lines().empty());
    EXPECT_EQ(reader.get_file_name(0), nullptr);

    std::string long_value(100000, 'v');
    std::string path = write("long.tsf", "set_parameter -name LONG " + long_value +
                                             "\n\nset_parameter -name AFTER 1\n");
    reader.read_file(path.c_str(), false, nullptr, false, false);
    reader.read_file(path.c_str(), false, nullptr, false, false); // read once
    std::vector<std::string> records = describe_all(reader);
    ASSERT_EQ(records.size(), 3u) << "the final line break ends the last line";
    EXPECT_EQ(records[0], "flags=8 name=\"LONG\" value=\"" + long_value + "\"");
    EXPECT_EQ(records[1], "flags=16");
    EXPECT_EQ(records[2], "flags=8 name=\"AFTER\" value=\"1\"");
    EXPECT_EQ(reader.get_assignment_lines().back()->get_line_number(), 3);

    reader.clear_assignments();
    EXPECT_TRUE(reader.get_assignment_lines().empty());
    EXPECT_EQ(reader.get_file_name(0), nullptr);
}

// Lines are counted and NUL bytes found many bytes at a time: every line of a
// long file gives its record, and a NUL byte anywhere (first byte, deep in the
// file, last byte) refuses the file, naming its line.
TEST_F(ReaderFiles, EveryLineOfALongFileAndNulBytesAnywhere) {
    std::string text;
    int lines = 0;
    while (text.size() < 20000) {
        ++lines;
        text += "set_parameter -name P" + std::to_string(lines) + " " +
                std::string(static_cast<size_t>(lines % 37), 'v') + "\n";
    }
    {
        ACF_MANAGER_READER reader;
        ASSERT_TRUE(
            reader.read_file(write("long.tsf", text).c_str(), false, nullptr, false, false));
        std::vector<ACF_MGR_ASGN_LINE*> const& records = reader.get_assignment_lines();
        ASSERT_EQ(records.size(), static_cast<size_t>(lines));
        for (int i = 0; i < lines; ++i) {
            EXPECT_EQ(records[i]->get_line_number(), i + 1);
        }
        EXPECT_STREQ(records[lines - 1]->get_name(), ("P" + std::to_string(lines)).c_str());
    }
    struct NUL_CASE {
        size_t at;
        int line;
    } const cases[] = {{0, 1}, {text.find("P300 "), 300}, {text.size() - 1, lines}};
    for (NUL_CASE const& c : cases) {
        std::string with_nul = text;
        with_nul[c.at] = '\0';
        std::string path = write("nul.tsf", with_nul);
        ACF_MANAGER_READER reader;
        EXPECT_FALSE(reader.read_file(path.c_str(), false, nullptr, false, false)) << c.at;
        EXPECT_EQ(reader.get_read_error(),
                  path + ": line " + std::to_string(c.line) + " holds a NUL byte");
        EXPECT_TRUE(reader.get_assignment_lines().empty()) << c.at;
    }
}

TEST_F(ReaderFiles, FixtureWithEveryLineKind) {
    ACF_MANAGER_READER reader;
    reader.read_file(fixture("every_kind.tsf").c_str(), false, nullptr, false, false);
    std::vector<std::string> const expected = {
        "flags=16",
        "flags=16",
        "flags=0 name=\"VHDL_FILE\" value=\"top.vhd\"",
        "flags=0 name=\"IO_STANDARD\" value=\"2.5 V\" to=\"led[0]\"",
        "flags=0 name=\"LOCATION\" value=\"PIN_A3\" to=\"led[0]\"",
        "flags=8 name=\"DEPTH\" value=\"8\" to=\"u1\"",
        "flags=0 name=\"XR_ROUGH\" value=\"On\" section=\"region 1\" arg6=\"4\" arg7=\"2\"",
        "flags=0 name=\"VHDL_FILE\" value=\"lib.vhd\" arg9=\"mylib\"",
        "flags=2 name=\"VHDL_FILE\" value=\"old.vhd\" comment=\"kept for reference\"",
        "flags=1",
    };
    EXPECT_EQ(describe_all(reader), expected);
    std::list<MSG_POST*> messages;
    reader.get_post_messages(&messages);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages.front()->get_id(), 125060u);
    EXPECT_EQ(messages.back()->get_id(), 12364u);
    for (MSG_POST* message : messages) {
        delete message;
    }
}

// A value written the way assignment commands write values (escaped, then
// quoted when needed) reads back as it was.
TEST_F(ReaderFiles, ValuesReadBackAsWritten) {
    char const* const values[] = {
        "plain",      "two  blanks", " leading and trailing ",
        "say \"hi\"", "C:\\dir\\",   "a\\\"b",
        "{braced}",   "}{",          "$var[0]",
        "-5",         "-x y",        "#hash",
        "semi;colon", "\"",          "\\",
        "",           "tab\there",
    };
    std::string file;
    for (char const* value : values) {
        file += "set_parameter -name P " +
                acf_format_string(acf_add_escape_characters(value), false) + " -to \"u 1\"\n";
    }
    std::string path = write("values.tsf", file);
    ACF_MANAGER_READER reader;
    reader.read_file(path.c_str(), false, nullptr, false, false);
    auto line = reader.get_assignment_lines().begin();
    for (char const* value : values) {
        ASSERT_NE(line, reader.get_assignment_lines().end());
        std::string expected = value;
        if (expected.empty()) {
            // The empty value is written as nothing at all.
            EXPECT_EQ((*line)->get_value(), nullptr);
        } else {
            for (size_t tab; (tab = expected.find('\t')) != std::string::npos;) {
                expected.replace(tab, 1, "    "); // escaping writes tabs as four blanks
            }
            ASSERT_NE((*line)->get_value(), nullptr) << value;
            EXPECT_EQ(std::string((*line)->get_value()), expected) << (*line)->get_text();
        }
        EXPECT_STREQ((*line)->get_to(), "u 1");
        ++line;
    }
}

} // namespace
