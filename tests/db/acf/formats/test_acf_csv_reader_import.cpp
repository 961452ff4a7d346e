#include "formats/acf_csv_reader.h"

#include "acf_assignment.h"
#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager.h"
#include "acf_test_storage.h"
#include "records/acf_assignment_factory.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string fixture(char const* name) {
    return std::string(TESSALY_TEST_DATA_DIR) + "/fixtures/csv/" + name;
}

// A store that refuses assignments by name with a chosen status (an entity
// rule refuses a name only while no entity is given) and keeps what is set.
class CSV_STORAGE : public ACF_TEST_STORAGE {
public:
    CSV_STORAGE() : factory(this) {}

    std::map<std::string, int> refusals; // variable name -> status
    std::string needs_entity;            // refused with status 12 without an entity
    std::vector<std::unique_ptr<ACF_ASSIGNMENT>> stored;
    ACF_ASSIGNMENT_FACTORY factory;

    bool is_legal(ACF_MGR_INPUT_PARAMETERS* params, bool is_global, bool is_freeform) override {
        ACF_TEST_STORAGE::is_legal(params, is_global, is_freeform);
        std::string name = params->get_variable_string();
        last_error_status = 0;
        if (refusals.count(name) != 0) {
            last_error_status = refusals[name];
        } else if (name == needs_entity && params->get_entity_name() == nullptr) {
            last_error_status = ACF_REVISION_MANAGER::ILLEGAL_ENTITY_NAME;
        }
        return last_error_status == 0;
    }

    ACF_ASSIGNMENT* set_assignment(ACF_MGR_INPUT_PARAMETERS* params, bool from_defaults,
                                   bool is_global, bool is_freeform, bool mark_changed,
                                   ASSIGNMENT_LIST* changed, bool check_legality, bool a, bool b,
                                   bool skip) override {
        ACF_TEST_STORAGE::set_assignment(params, from_defaults, is_global, is_freeform,
                                         mark_changed, changed, check_legality, a, b, skip);
        stored.emplace_back(factory.create_assignment(
            params->get_variable_type(), params->get_variable_string(), params->get_from(),
            params->get_to(), params->get_value_string(), params->get_comments(),
            params->get_is_ignored()));
        stored.back()->set_entity_name(params->get_entity_name());
        return stored.back().get();
    }
};

class CsvImport : public ::testing::Test {
protected:
    void SetUp() override {
        msg_log_clear();
        char pattern[] = "/tmp/acf_csv_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string write(std::string const& content) {
        std::string path = m_dir + "/import.csv";
        std::ofstream(path) << content;
        return path;
    }

    // The posted messages as "<severity><id>" with sub-messages indented.
    static std::vector<std::string> posted() {
        std::vector<std::string> out;
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            out.push_back(std::string(entry.depth, ' ') + entry.severity +
                          std::to_string(entry.id));
        }
        return out;
    }

    CSV_STORAGE m_storage;
    std::string m_dir;
};

TEST_F(CsvImport, RowsBecomeAssignmentsErrorsOrSkippedRows) {
    m_storage.refusals["CURRENT_STRENGTH_NEW"] = ACF_REVISION_MANAGER::ILLEGAL_SECTION_ID;
    m_storage.refusals["SLOW_SLEW_RATE"] = ACF_REVISION_MANAGER::ILLEGAL_VALUE;
    m_storage.needs_entity = "WEAK_PULL_UP";
    std::unique_ptr<ACF_ASSIGNMENT> root(m_storage.factory.create_assignment(
        ACF_VARIABLE_TYPE_ROOT, nullptr, nullptr, nullptr, "core", nullptr, false));
    m_storage.assignment_answer = root.get();

    ACF_CSV_READER reader(&m_storage.factory);
    std::string file = fixture("rows.csv");
    m_storage.post_messages = false;
    EXPECT_TRUE(reader.read_file(file.c_str(), &m_storage, true, true, false, false,
                                 ACF_ARGUMENT_TYPE_NONE, nullptr));

    std::string root_entity = root->get_unmodified_value(true);
    std::vector<std::string> const added = {
        // the named assignment takes its value from "Value", not from "Location"
        "set_instance_assignment -name IO_STANDARD LVTTL -to led0",
        "set_location_assignment PIN_A3 -to led0",
        "set_instance_assignment -name IO_STANDARD LVTTL -to led1 -disable -comment old",
        "set_location_assignment PIN_B1 -to led2",
        "set_instance_assignment -name WEAK_PULL_UP On -to led5 -entity " + root_entity,
        "set_instance_assignment -name IO_STANDARD SSTL -to led7 -entity sub",
    };
    EXPECT_EQ(reader.get_added(), added);
    std::vector<std::string> const errors = {
        "led2,PIN_B1,IO_STANDARD,,,,,", // a name without a value
        ",,,,,,,t",                     // nothing but a tag
        "led3,PIN_C1",                  // cells missing
        "led6,,SLOW_SLEW_RATE,x,,,,",   // refused
    };
    EXPECT_EQ(reader.get_errors(), errors);
    EXPECT_EQ(reader.get_skipped(), std::vector<std::string>{"led4,,CURRENT_STRENGTH_NEW,1,,,,"});

    std::vector<std::string> const messages = {
        "I125065", " I125063", " I125063", " I125063", " I125063", " I125063", " I125063",
        "W125066", " W125064", " W125064", " W125064", " W125064", "I125067",  " I125063"};
    EXPECT_EQ(posted(), messages);
    EXPECT_TRUE(m_storage.post_messages) << "the import's lock posts as the import does";
    EXPECT_EQ(std::count(m_storage.calls.begin(), m_storage.calls.end(), "write_unlock()"), 1);
    EXPECT_FALSE(m_storage.is_write_locked());
}

TEST_F(CsvImport, NonProjectListCopiesCarryArgumentEntityAndFile) {
    std::string file = write("To,Assignment Name,Value,Entity,I/O Standard\n"
                             "led0,IO_STANDARD,LVTTL,sub,\n"
                             "led1,,,,SSTL\n");
    ACF_CSV_READER reader(&m_storage.factory);
    EXPECT_TRUE(reader.read_file(file.c_str(), &m_storage, false, false, true, true,
                                 ACF_ARGUMENT_TYPE_LIBRARY, "lib"));
    EXPECT_TRUE(reader.get_added().empty()) << "nothing stored in the revision";
    EXPECT_TRUE(m_storage.stored.empty());
    ASSERT_EQ(m_storage.non_project_list.size(), 2u);
    for (ACF_ASSIGNMENT* asgn : m_storage.non_project_list) {
        EXPECT_STREQ(asgn->get_argument_value(ACF_ARGUMENT_TYPE_LIBRARY), "lib");
        EXPECT_EQ(asgn->get_acf_file_name(), file);
        EXPECT_EQ(asgn->get_type(), ACF_VARIABLE_TYPE_IO_STANDARD);
    }
    EXPECT_STREQ(m_storage.non_project_list.front()->get_entity_name(), "sub");
    EXPECT_STREQ(m_storage.non_project_list.back()->get_target(), "led1");
    EXPECT_TRUE(posted().empty()) << "messages off";
    EXPECT_FALSE(m_storage.post_messages) << "the import's lock posts as the import does";
}

TEST_F(CsvImport, FailuresOfTheFileTheLockAndTheHeader) {
    struct CASE {
        char const* what;
        std::string file;
        bool read_locked;
        std::vector<std::string> messages;
    };
    std::string good = write("To,Location\nled0,PIN_A3\n");
    std::string header_only_value = m_dir + "/bad_header.csv";
    std::ofstream(header_only_value) << "Value\nx\n";
    CASE const cases[] = {
        {"missing file", m_dir + "/none.csv", false, {"W125001"}},
        {"a folder", m_dir, false, {"W125001"}},
        {"write lock refused", good, true, {}},
        {"header without a name or variable", header_only_value, false, {"W125062", " W125064"}},
    };
    for (CASE const& c : cases) {
        msg_log_clear();
        CSV_STORAGE storage;
        if (c.read_locked) {
            ASSERT_TRUE(storage.read_lock(false));
        }
        ACF_CSV_READER reader(&storage.factory);
        EXPECT_FALSE(reader.read_file(c.file.c_str(), &storage, true, true, false, false,
                                      ACF_ARGUMENT_TYPE_NONE, nullptr))
            << c.what;
        EXPECT_EQ(posted(), c.messages) << c.what;
        EXPECT_TRUE(storage.stored.empty()) << c.what;
        EXPECT_FALSE(storage.is_write_locked()) << c.what;
    }
}

TEST_F(CsvImport, WorksUnderTheCallersWriteLock) {
    std::string file = write("To,Location\nled0,PIN_A3\n");
    ASSERT_TRUE(m_storage.write_lock(false));
    m_storage.calls.clear();
    ACF_CSV_READER reader(&m_storage.factory);
    EXPECT_TRUE(reader.read_file(file.c_str(), &m_storage, false, true, false, false,
                                 ACF_ARGUMENT_TYPE_NONE, nullptr));
    EXPECT_EQ(m_storage.stored.size(), 1u);
    EXPECT_TRUE(m_storage.is_write_locked()) << "the caller's lock is left held";
    for (std::string const& call : m_storage.calls) {
        EXPECT_EQ(call.find("write_"), std::string::npos) << call;
    }
    m_storage.write_unlock();
}

} // namespace
