// The "IP Upgrade" report: built from results, written as a report file, read
// back, and a file's result found in it.
#include "ipman/ipman_report_writer.h"

#include "ipman/ipman_msgs.h"
#include "suite/general/gen.h"
#include "suite/reportdb/rdb.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using ROWS = std::vector<std::vector<std::string>>;
ROWS const HEADER = {{"Entity", "IP Components Name", "Version", "File Path"}};
char const* const SUCCESSFUL = "Successful Upgrade IP Components";
char const* const FAILED = "Failed Upgrade IP Components";

IPMAN_IP_REGEN_RESULT result(std::string const& file, int code,
                             std::string const& version = "14.0") {
    IPMAN_IP_INFO info;
    info.var_file = file;
    info.entity = FIO_PATH(file).base();
    info.tool_name = "core";
    info.tool_version = version;
    return IPMAN_IP_REGEN_RESULT(
        info, code, code == 0 ? IPMAN_FAIL_REGEN_NONE : IPMAN_FAIL_REGEN_UPGRADE_FAILED);
}

ROWS with_header(ROWS rows) {
    rows.insert(rows.begin(), HEADER[0]);
    return rows;
}

RDB_FOLDER_OBJECT* ip_folder(RDB_REPORT const& report) {
    RDB_FOLDER_OBJECT* main = report.get_main_folder();
    if (main == nullptr || main->get_name() == "IP Upgrade") {
        return main;
    }
    return static_cast<RDB_FOLDER_OBJECT*>(main->find_below("IP Upgrade"));
}

// The rows of a table of the IP folder; "absent" as only row when it is missing.
ROWS table(RDB_REPORT const& report, char const* name) {
    RDB_FOLDER_OBJECT* folder = ip_folder(report);
    RDB_OBJECT* object = folder == nullptr ? nullptr : folder->find(name);
    if (object == nullptr) {
        return {{"absent"}};
    }
    return static_cast<RDB_TABLE_OBJECT*>(object)->rows();
}

std::vector<std::string> kinds(RDB_REPORT const& report) {
    std::vector<std::string> out;
    for (auto const& object : ip_folder(report)->objects()) {
        out.push_back(object->get_name());
    }
    return out;
}

class IpmanReport : public ::testing::Test {
protected:
    void SetUp() override { msg_log_clear(); }
    void TearDown() override { msg_log_clear(); }
    TEST_WORKSPACE m_workspace;
};

TEST_F(IpmanReport, RunIsRecordedWrittenAndReadBack) {
    // A message of the run goes to the messages panel.
    MSG_E* failure = MSG_IPMAN::E::IPRGEN_FAILED("core", "b.v");
    failure->post();
    delete failure;

    RDB_REPORT report;
    IPMAN_REPORT_WRITER writer(&report, "ipregen");
    std::vector<IPMAN_IP_REGEN_RESULT> const results = {result("/p/a.v", 0),
                                                        result("/p/b.v", 1, "12.1")};
    std::string const file = m_workspace.path(ipman_report_file_name("rev"));
    EXPECT_EQ(ipman_report_file_name("rev"), "rev.ipregen.rpt");
    ASSERT_TRUE(writer.write_iprgen_report(1, results, file.c_str(), false));

    RDB_REPORT read;
    std::string title;
    ASSERT_TRUE(rdb_read_report_file(file, read, &title));
    EXPECT_EQ(title, "IP Upgrade report for ");
    EXPECT_EQ(read.to_text(title), report.to_text(title));
    EXPECT_EQ(kinds(read), (std::vector<std::string>{RDB_LEGAL_STR, "IP Upgrade Summary",
                                                     SUCCESSFUL, FAILED, "IP Upgrade"}));
    EXPECT_EQ(table(read, SUCCESSFUL), with_header({{"a", "core", "14.0", "/p/a.v"}}));
    EXPECT_EQ(table(read, FAILED), with_header({{"b", "core", "12.1", "/p/b.v"}}));
    EXPECT_EQ(static_cast<RDB_TABLE_OBJECT*>(ip_folder(read)->find(FAILED))->get_colour(), 1);

    auto const& legal = static_cast<RDB_LEGAL_TEXT_OBJECT&>(*ip_folder(read)->find(RDB_LEGAL_STR));
    EXPECT_EQ(legal.get_text(), gen_get_legal_text());
    EXPECT_TRUE(legal.is_html());

    std::vector<RDB_SUMMARY_OBJECT::ROW> const rows =
        RDB_REPORT::find_summary(ip_folder(read), false)->rows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].first, "IP Components Upgrade Status");
    EXPECT_EQ(rows[0].second.rfind("Failed - ", 0), 0u) << rows[0].second;
    EXPECT_EQ(rows[1], (RDB_SUMMARY_OBJECT::ROW{"Tessaly II Version", gen_get_full_version()}));
    EXPECT_EQ(rows[2].first, RDB_REVISION_NAME);
    EXPECT_EQ(rows[3].first, RDB_TOP_LEVEL_ENTITY_NAME);
    EXPECT_EQ(rows[4].first, RDB_FAMILY);

    auto const& messages = static_cast<RDB_MESSAGES_OBJECT&>(*ip_folder(read)->objects().back());
    EXPECT_EQ(messages.get_source(), "ipregen");
    EXPECT_EQ(messages.lines(),
              (std::vector<std::string>{
                  "Error (11133): IP component core with file \"b.v\" upgrade failed."}));

    // A file's result, its path compared ignoring case.
    IPMAN_REPORT_WRITER reader(&read);
    struct CASE {
        std::string file;
        std::string entity;
        std::string version;
        bool need_regen;
    } const cases[] = {
        {"/p/a.v", "a", "14.0", false}, {"/P/A.V", "a", "14.0", false},
        {"/p/b.v", "b", "12.1", true},  {"/p/c.v", "N/A", "N/A", false},
        {"", "N/A", "N/A", false},
    };
    for (CASE const& c : cases) {
        IPMAN_IP_INFO info = reader.get_ip_info_from_report(c.file);
        EXPECT_EQ(info.entity, c.entity) << c.file;
        EXPECT_EQ(info.tool_version, c.version) << c.file;
        EXPECT_EQ(info.need_regen, c.need_regen) << c.file;
        EXPECT_EQ(info.var_file, c.entity == "N/A" ? "N/A" : c.file) << c.file;
    }
}

TEST_F(IpmanReport, TablesWithoutRowsAreLeftOut) {
    struct CASE {
        std::vector<IPMAN_IP_REGEN_RESULT> results;
        bool successful;
        bool failed;
    } const cases[] = {
        {{result("a.v", 0)}, true, false},
        {{result("a.v", 2)}, false, true},
        {{}, false, false},
    };
    for (CASE const& c : cases) {
        RDB_REPORT report;
        IPMAN_REPORT_WRITER(&report).create_report(0, c.results, false);
        EXPECT_EQ(table(report, SUCCESSFUL) != ROWS{{"absent"}}, c.successful);
        EXPECT_EQ(table(report, FAILED) != ROWS{{"absent"}}, c.failed);
    }
}

TEST_F(IpmanReport, AppendKeepsEarlierRowsAndAFilesLatestResultWins) {
    RDB_REPORT report;
    IPMAN_REPORT_WRITER(&report).create_report(0, {result("a.v", 0), result("b.v", 0)}, true);
    IPMAN_REPORT_WRITER(&report).create_report(1, {result("c.v", 0), result("A.V", 4, "12.1")},
                                               true);
    EXPECT_EQ(table(report, SUCCESSFUL),
              with_header({{"b", "core", "14.0", "b.v"}, {"c", "core", "14.0", "c.v"}}));
    EXPECT_EQ(table(report, FAILED), with_header({{"A", "core", "12.1", "A.V"}}));
    IPMAN_IP_INFO a = IPMAN_REPORT_WRITER(&report).get_ip_info_from_report("a.v");
    EXPECT_TRUE(a.need_regen);
    EXPECT_EQ(a.tool_version, "12.1");
    // One summary, one legal text, however many runs; a messages panel per
    // run; the failed table made by the second run, the first having left none.
    EXPECT_EQ(kinds(report),
              (std::vector<std::string>{RDB_LEGAL_STR, "IP Upgrade Summary", SUCCESSFUL,
                                        "IP Upgrade", FAILED, "IP Upgrade"}));

    // Without append the folder starts afresh.
    IPMAN_REPORT_WRITER(&report).create_report(0, {result("d.v", 0)}, false);
    EXPECT_EQ(table(report, SUCCESSFUL), with_header({{"d", "core", "14.0", "d.v"}}));
    EXPECT_EQ(table(report, FAILED), ROWS{{"absent"}});
}

TEST_F(IpmanReport, FolderBelowAnotherMainFolder) {
    RDB_REPORT report;
    report.set_main_folder(std::make_unique<RDB_FOLDER_OBJECT>("Compilation Report"));
    report.get_main_folder()->add(std::make_unique<RDB_TABLE_OBJECT>("Other"));
    IPMAN_REPORT_WRITER(&report).create_report(0, {result("a.v", 0)}, false);
    IPMAN_REPORT_WRITER(&report).create_report(0, {result("b.v", 0)}, false);
    ASSERT_EQ(report.get_main_folder()->objects().size(), 2u);
    EXPECT_EQ(report.get_main_folder()->objects()[0]->get_name(), "Other");
    EXPECT_EQ(table(report, SUCCESSFUL), with_header({{"b", "core", "14.0", "b.v"}}));
}

TEST_F(IpmanReport, ReportFilesThatCannotBeReadOrWritten) {
    RDB_REPORT report;
    IPMAN_REPORT_WRITER writer(&report);
    EXPECT_FALSE(writer.write_iprgen_report(
        0, {result("a.v", 0)}, m_workspace.path("none/rev.ipregen.rpt").c_str(), false));
    EXPECT_FALSE(writer.write_report(nullptr));

    std::string const file = m_workspace.path("rev.ipregen.rpt");
    ASSERT_TRUE(writer.write_report(file.c_str()));
    std::string const good = test_read_file(file);
    std::vector<std::string> const damaged = {
        "",
        good.substr(0, good.size() - 5),
        "TESSALY-REPORT 2" + good.substr(16),
        good + "folder 1:x\nend\n",
        good.substr(0, good.find("row 4")) + "row 5" + good.substr(good.find("row 4") + 5),
        good.substr(0, good.find("row 4")) + "row 4 999:x" + good.substr(good.find("row 4") + 5),
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        test_write_file(file, damaged[i]);
        RDB_REPORT read;
        read.set_main_folder(std::make_unique<RDB_FOLDER_OBJECT>("kept"));
        EXPECT_FALSE(rdb_read_report_file(file, read, nullptr)) << i;
        EXPECT_EQ(read.get_main_folder()->get_name(), "kept") << i;
    }
    RDB_REPORT read;
    EXPECT_FALSE(rdb_read_report_file(m_workspace.path("missing.rpt"), read, nullptr));
}

TEST_F(IpmanReport, RevisionReportIsKeptInTheProcessAndInItsStore) {
    std::string const before = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(m_workspace.dir().c_str()), 0);
    RDB_REPORT::forget_reports();
    EXPECT_EQ(RDB_REPORT::get_report("rev", IPMAN_REPORT_TYPE, false), nullptr);
    EXPECT_FALSE(RDB_REPORT::write_report("rev", IPMAN_REPORT_TYPE));

    RDB_REPORT* report = RDB_REPORT::get_report("rev", IPMAN_REPORT_TYPE, true);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(RDB_REPORT::get_report("rev", IPMAN_REPORT_TYPE, false), report);
    IPMAN_REPORT_WRITER(report).create_report(1, {result("x.v", 1)}, false);
    ASSERT_TRUE(RDB_REPORT::write_report("rev", IPMAN_REPORT_TYPE));

    // Another process (here: after forgetting) finds it in the store.
    RDB_REPORT::forget_reports();
    RDB_REPORT* again = RDB_REPORT::get_report("rev", IPMAN_REPORT_TYPE, false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(table(*again, FAILED), with_header({{"x", "core", "14.0", "x.v"}}));
    EXPECT_EQ(RDB_REPORT::get_report("rev", 2, false), nullptr);

    // The upgrade manager reads the active revision's report (no project
    // open here: the revision without a name).
    IPMAN_IPRGEN_MANAGER* manager = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    EXPECT_FALSE(manager->get_ip_info_from_report("x.v").is_valid());
    IPMAN_REPORT_WRITER(RDB_REPORT::get_report("", IPMAN_REPORT_TYPE, true))
        .create_report(1, {result("x.v", 1)}, false);
    EXPECT_TRUE(manager->get_ip_info_from_report("X.v").need_regen);
    RDB_REPORT::forget_reports();
    ASSERT_EQ(chdir(before.c_str()), 0);
}

} // namespace
