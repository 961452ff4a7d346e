// One upgrade with check, backup, wizard run and restore, on copies of the
// fixture project, with the real wizard and with wizards that misbehave.
#include "ipman/ipman_ip_regeneration.h"

#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string const FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/project";

struct LOGGED {
    char severity;
    unsigned id;
    std::string text;
    bool operator==(LOGGED const& o) const {
        return severity == o.severity && id == o.id && text == o.text;
    }
};
std::ostream& operator<<(std::ostream& out, LOGGED const& l) {
    return out << l.severity << " " << l.id << " " << l.text;
}

std::vector<LOGGED> logged() {
    std::vector<LOGGED> out;
    for (MSG_LOG_ENTRY const& e : msg_log_entries()) {
        out.push_back({e.severity, e.id, e.text});
    }
    return out;
}

class IpmanUpgradeRun : public ::testing::Test {
protected:
    void SetUp() override {
        m_project = std::filesystem::canonical(m_workspace.copy_fixture(FIXTURE, "project"));
        m_manager = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
        m_wizard = m_manager->get_wizard_program();
        msg_log_clear();
    }
    void TearDown() override {
        m_manager->set_wizard_program(m_wizard);
        msg_log_clear();
    }
    std::string file(std::string const& name) const { return m_project + "/" + name; }
    // A wizard that runs `script` with the file as $2, after "-silent".
    void use_wizard_script(std::string const& script) {
        std::string path = m_workspace.path("wizard.sh");
        test_write_file(path, "#!/bin/sh\n" + script + "\n");
        chmod(path.c_str(), 0755);
        m_manager->set_wizard_program(path);
    }
    IPMAN_IP_INFO component(std::string const& name) const {
        IPMAN_IP_INFO info;
        info.var_file = file(name);
        info.tool_name = "core";
        info.tool_version = "12.1";
        info.entity = "core_a";
        return info;
    }

    TEST_WORKSPACE m_workspace;
    std::string m_project;
    IPMAN_IPRGEN_MANAGER* m_manager = nullptr;
    std::string m_wizard;
};

TEST_F(IpmanUpgradeRun, ChecksReportWhyAFileCannotBeUpgraded) {
    struct CASE {
        std::string name;
        bool fails;
        IPMAN_FAIL_REGEN_TYPE type;
        std::vector<LOGGED> messages;
        std::string tcl_result;
    } const cases[] = {
        {"core_a.v", false, IPMAN_FAIL_REGEN_PLEXA, {}, ""}, // passes; the type stays
        {"missing.v",
         true,
         IPMAN_FAIL_REGEN_FILE_MISSING,
         {{'E', 11136,
           "File \"" + file("missing.v") + "\" does not exist or the file path is invalid."}},
         ""},
        {"plain.v",
         true,
         IPMAN_FAIL_REGEN_NOT_VARIATION_FILE,
         {{'E', 11901, "File " + file("plain.v") + " is not a valid variation file."}},
         "ERROR: The file is not a variation file."},
        {"sub", true, IPMAN_FAIL_REGEN_NOT_VARIATION_FILE, {}, ""}, // a folder
    };
    Tcl_Interp* interp = atcl_get_interpreter();
    for (CASE const& c : cases) {
        msg_log_clear();
        Tcl_ResetResult(interp);
        IPMAN_FAIL_REGEN_TYPE type = IPMAN_FAIL_REGEN_PLEXA;
        EXPECT_EQ(check_file_is_valid(interp, file(c.name), type), c.fails) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        if (c.name != "sub") {
            EXPECT_EQ(logged(), c.messages) << c.name;
            EXPECT_EQ(std::string(Tcl_GetStringResult(interp)), c.tcl_result) << c.name;
        }
    }
    // Checking creates nothing and writes nothing.
    EXPECT_FALSE(std::filesystem::exists(file("missing.v")));
    EXPECT_EQ(test_read_file(file("core_a.v")), test_read_file(FIXTURE + "/core_a.v"));
}

// A file without write permission is protected also from the super-user.
TEST_F(IpmanUpgradeRun, WriteProtectedFileKeepsItsRecord) {
    chmod(file("core_a.v").c_str(), 0444);
    IPMAN_FAIL_REGEN_TYPE type = IPMAN_FAIL_REGEN_NONE;
    EXPECT_TRUE(check_file_is_valid(nullptr, file("core_a.v"), type));
    EXPECT_EQ(type, IPMAN_FAIL_REGEN_WRITE_PROTECTED);
    EXPECT_EQ(logged(),
              (std::vector<LOGGED>{
                  {'E', 11903, "File \"" + file("core_a.v") + "\" is write-protected."}}));

    std::vector<IPMAN_IP_REGEN_RESULT> results;
    EXPECT_EQ(start_ip_regeneration(nullptr, component("core_a.v"), results), 1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].fail_type, IPMAN_FAIL_REGEN_WRITE_PROTECTED);
    EXPECT_EQ(results[0].ip_info.entity, "core_a");
    EXPECT_FALSE(std::filesystem::exists(file("core_a_BAK.v")));
}

TEST_F(IpmanUpgradeRun, BackupNamesAndRoundTrips) {
    struct CASE {
        char const* file;
        char const* backup;
    } const cases[] = {
        {"dir/core.v", "dir/core_BAK.v"},
        {"core.vhd", "core_BAK.vhd"},
        {"d.x/noext", "d.x/noext_BAK"},
        {"my_BAK_core.v", "my_BAK_core_BAK.v"},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(IPMAN_IPRGEN_MANAGER::backup_path_of(c.file), c.backup) << c.file;
    }

    std::string backup;
    ASSERT_TRUE(m_manager->backup_file(file("core_a.v"), backup));
    EXPECT_EQ(backup, file("core_a_BAK.v"));
    EXPECT_EQ(test_read_file(backup), test_read_file(file("core_a.v")));
    test_write_file(file("core_a.v"), "damaged");
    ASSERT_TRUE(m_manager->restored_backup_file(backup));
    EXPECT_EQ(test_read_file(file("core_a.v")), test_read_file(FIXTURE + "/core_a.v"));
    EXPECT_TRUE(std::filesystem::exists(backup)); // kept
    EXPECT_EQ(
        logged(),
        (std::vector<LOGGED>{
            {'I', 11902, "Backing up file \"" + file("core_a.v") + "\" to \"" + backup + "\""},
            {'I', 11904, "Restoring file \"" + backup + "\" to \"" + file("core_a.v") + "\""},
        }));

    // Only the first "_BAK" of a backup's name goes.
    test_write_file(file("my_BAK_core_BAK.v"), "backup");
    EXPECT_TRUE(m_manager->restored_backup_file(file("my_BAK_core_BAK.v")));
    EXPECT_EQ(test_read_file(file("my_core_BAK.v")), "backup");

    // Nothing to copy: no copy and no message.
    msg_log_clear();
    EXPECT_FALSE(m_manager->backup_file(file("missing.v"), backup));
    EXPECT_FALSE(m_manager->restored_backup_file(file("missing_BAK.v")));
    EXPECT_FALSE(m_manager->restored_backup_file(file("core_a.v"))); // no "_BAK" in its name
    EXPECT_EQ(test_read_file(file("core_a.v")), test_read_file(FIXTURE + "/core_a.v"));
    // A copy that fails posts why.
    std::string const long_name = std::string(250, 'x') + ".v";
    std::filesystem::copy_file(file("plain.v"), file(long_name));
    EXPECT_FALSE(m_manager->backup_file(file(long_name), backup));
    ASSERT_EQ(logged().size(), 1u);
    EXPECT_EQ(logged()[0].id, 11908u);
    EXPECT_NE(logged()[0].text.find(file(long_name)), std::string::npos);
}

TEST_F(IpmanUpgradeRun, SuccessfulUpgradeRecordsTheNewVersion) {
    std::vector<IPMAN_IP_REGEN_RESULT> results;
    EXPECT_EQ(start_ip_regeneration(atcl_get_interpreter(), component("core_a.v"), results), 0);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].result, 0);
    EXPECT_EQ(results[0].fail_type, IPMAN_FAIL_REGEN_NONE);
    EXPECT_EQ(results[0].ip_info.tool_version, "14.0");
    EXPECT_EQ(results[0].ip_info.entity, "core_a");
    EXPECT_EQ(results[0].message, "");
    EXPECT_NE(test_read_file(file("core_a.v")).find("version=\"14.0\""), std::string::npos);
    EXPECT_EQ(test_read_file(file("core_a_BAK.v")), test_read_file(FIXTURE + "/core_a.v"));
    std::vector<LOGGED> const expected = {
        {'I', 11837, "Started upgrading IP component core with file \"" + file("core_a.v") + "\"."},
        {'I', 11902,
         "Backing up file \"" + file("core_a.v") + "\" to \"" + file("core_a_BAK.v") + "\""},
    };
    EXPECT_EQ(logged(), expected);
}

TEST_F(IpmanUpgradeRun, FilesThatFailTheCheckAreNotRun) {
    use_wizard_script("printf damaged > \"$2\"");
    struct CASE {
        char const* name;
        IPMAN_FAIL_REGEN_TYPE type;
    } const cases[] = {
        {"missing.v", IPMAN_FAIL_REGEN_FILE_MISSING},
        {"plain.v", IPMAN_FAIL_REGEN_NOT_VARIATION_FILE},
    };
    for (CASE const& c : cases) {
        std::vector<IPMAN_IP_REGEN_RESULT> results;
        EXPECT_EQ(start_ip_regeneration(atcl_get_interpreter(), component(c.name), results), 1);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].result, 1);
        EXPECT_EQ(results[0].fail_type, c.type);
        // Known by its file only.
        EXPECT_EQ(results[0].ip_info.var_file, file(c.name));
        EXPECT_EQ(results[0].ip_info.entity, "N/A");
        EXPECT_EQ(results[0].ip_info.tool_name, "N/A");
        EXPECT_FALSE(std::filesystem::exists(m_project + "/" +
                                             IPMAN_IPRGEN_MANAGER::backup_path_of(c.name)));
    }
    EXPECT_EQ(test_read_file(file("plain.v")), test_read_file(FIXTURE + "/plain.v"));
}

// Whatever the wizard does to the file before it fails, the file is afterwards
// byte for byte what it was, and the failure is recorded.
TEST_F(IpmanUpgradeRun, FailedWizardRunLeavesTheFileAsItWas) {
    struct CASE {
        char const* what;
        std::string script; // empty: no wizard at all
    } const cases[] = {
        {"fails after writing", "printf damaged > \"$2\"; exit 3"},
        {"crashes after truncating", ": > \"$2\"; kill -SEGV $$"},
        {"removes the file and fails", "rm -f \"$2\"; exit 1"},
        {"makes it read-only and fails", "printf x >> \"$2\"; chmod 0444 \"$2\"; exit 1"},
        {"is missing", ""},
        {"refuses the file", "exit 1"},
    };
    std::string const original = test_read_file(file("core_a.v"));
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(file("core_a_BAK.v"));
        if (c.script.empty()) {
            m_manager->set_wizard_program(m_workspace.path("no-such-wizard"));
        } else {
            use_wizard_script(c.script);
        }
        msg_log_clear();
        std::vector<IPMAN_IP_REGEN_RESULT> results;
        EXPECT_NE(start_ip_regeneration(atcl_get_interpreter(), component("core_a.v"), results), 0);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_NE(results[0].result, 0);
        EXPECT_EQ(results[0].fail_type, IPMAN_FAIL_REGEN_UPGRADE_FAILED);
        EXPECT_EQ(results[0].ip_info.tool_version, "12.1");
        EXPECT_EQ(test_read_file(file("core_a.v")), original);
        EXPECT_EQ(test_read_file(file("core_a_BAK.v")), original);
        std::vector<LOGGED> messages = logged();
        ASSERT_EQ(messages.size(), 3u);
        EXPECT_EQ(messages[2], (LOGGED{'I', 11904,
                                       "Restoring file \"" + file("core_a_BAK.v") + "\" to \"" +
                                           file("core_a.v") + "\""}));
        chmod(file("core_a.v").c_str(), 0644);
    }
    // The real wizard refusing a file marked as failing.
    std::vector<IPMAN_IP_REGEN_RESULT> results;
    m_manager->set_wizard_program(m_wizard);
    std::string const broken = test_read_file(file("sub/broken.v"));
    EXPECT_NE(start_ip_regeneration(atcl_get_interpreter(), component("sub/broken.v"), results), 0);
    EXPECT_EQ(results.at(0).fail_type, IPMAN_FAIL_REGEN_UPGRADE_FAILED);
    EXPECT_EQ(test_read_file(file("sub/broken.v")), broken);
}

TEST_F(IpmanUpgradeRun, NoBackupNoRun) {
    // A backup that cannot be made (its name is too long) stops the file
    // before the wizard touches it.
    use_wizard_script("printf damaged > \"$2\"");
    std::string const long_name = std::string(250, 'c') + ".v";
    std::filesystem::copy_file(file("core_a.v"), file(long_name));
    std::vector<IPMAN_IP_REGEN_RESULT> results;
    EXPECT_EQ(start_ip_regeneration(atcl_get_interpreter(), component(long_name), results), 1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].fail_type, IPMAN_FAIL_REGEN_UPGRADE_FAILED);
    EXPECT_EQ(results[0].ip_info.entity, "core_a");
    EXPECT_EQ(test_read_file(file(long_name)), test_read_file(FIXTURE + "/core_a.v"));
    ASSERT_EQ(logged().size(), 2u); // the start and why there is no backup
    EXPECT_EQ(logged()[1].id, 11908u);
}

TEST_F(IpmanUpgradeRun, BackupOfThisRunIsRestoredToTheFileItWasMadeOf) {
    // "my_BAK_core.v" backs up to "my_BAK_core_BAK.v", whose name alone would
    // lead a restore to "my_core_BAK.v".
    std::string const original = test_read_file(file("core_a.v"));
    std::filesystem::copy_file(file("core_a.v"), file("my_BAK_core.v"));
    test_write_file(file("my_core_BAK.v"), "someone else's file");
    use_wizard_script("printf damaged > \"$2\"; exit 1");
    std::vector<IPMAN_IP_REGEN_RESULT> results;
    EXPECT_NE(start_ip_regeneration(atcl_get_interpreter(), component("my_BAK_core.v"), results),
              0);
    EXPECT_EQ(test_read_file(file("my_BAK_core.v")), original);
    EXPECT_EQ(test_read_file(file("my_core_BAK.v")), "someone else's file");
}

TEST_F(IpmanUpgradeRun, NamesWithTclAndShellCharactersReachTheWizardWhole) {
    for (char const* name : {"ram block.v", "a [b] $c {d\" e.v", "it's.v"}) {
        SCOPED_TRACE(name);
        std::filesystem::copy_file(file("core_a.v"), file(name),
                                   std::filesystem::copy_options::overwrite_existing);
        std::vector<IPMAN_IP_REGEN_RESULT> results;
        EXPECT_EQ(start_ip_regeneration(atcl_get_interpreter(), component(name), results), 0);
        EXPECT_EQ(results.at(0).ip_info.tool_version, "14.0");
        EXPECT_NE(test_read_file(file(name)).find("version=\"14.0\""), std::string::npos);
    }
}

TEST_F(IpmanUpgradeRun, ChildProcessRuns) {
    EXPECT_EQ(m_manager->run_ip_regeneration(std::vector<std::string>{}), 2);
    EXPECT_EQ(m_manager->run_ip_regeneration(
                  std::vector<std::string>{file("sub/broken.v"), file("core_a.v")}),
              0);
    EXPECT_NE(m_manager->run_ip_regeneration(
                  std::vector<std::string>{file("core_a.v"), file("sub/broken.v")}),
              0);
    m_manager->set_wizard_program(m_workspace.path("no-such-wizard"));
    EXPECT_EQ(m_manager->run_ip_regeneration(file("core_a.v")), 2);
    std::string result;
    EXPECT_EQ(m_manager->run_ip_regeneration_by_tcl_interp("", result), 1);
}

} // namespace
