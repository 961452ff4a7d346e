// The IP upgrade dialog's engine without the dialog: how a run's result is
// read from the report, how the flow is called and locked, the commit before
// an upgrade by hand and a missing plug-in manager.
#include "sys/mdb/mdb_ip_regen_engine.h"

#include "acf_manager.h"
#include "suite/general/gen.h"
#include "suite/messages/msg.h"
#include "suite/reportdb/rdb.h"
#include "suite/tclglue/atcl.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string const FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/ip_project";

IPMAN_IP_INFO record(std::string const& version, bool need_regen) {
    IPMAN_IP_INFO info;
    info.var_file = "alpha.v";
    info.entity = "alpha";
    info.tool_name = "fifo";
    info.tool_version = version;
    info.need_regen = need_regen;
    return info;
}

TEST(MdbIpRegenEngine, EachFilesResultIsReadFromTheReportAgainstTheRunsCode) {
    IPMAN_IP_INFO const unlisted; // a file the report does not name
    IPMAN_IP_INFO const upgraded = record("14.0", false);
    IPMAN_IP_INFO const refused = record("12.1", true);
    struct CASE {
        char const* name;
        int code;
        IPMAN_IP_INFO const* before; // nullptr: no record before the run
        IPMAN_IP_INFO const* after;  // nullptr: not read after the run
        bool expected;
    };
    CASE const cases[] = {
        {"run succeeded, report lists the upgrade", 0, &upgraded, &upgraded, true},
        {"run succeeded, report still needs an upgrade", 0, nullptr, &refused, false},
        {"run succeeded, report does not name the file", 0, nullptr, &unlisted, false},
        {"run succeeded, file not read after it", 0, nullptr, nullptr, false},
        {"run failed, upgrade left from an earlier run", 1, &upgraded, &upgraded, false},
        {"run failed, this run changed the row", 1, &refused, &upgraded, true},
        {"run failed, no row before it", 1, nullptr, &upgraded, true},
        {"run failed, report still needs an upgrade", 1, &upgraded, &refused, false},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        MDB_IP_REGEN_REPORT before, after;
        if (c.before != nullptr) {
            before["alpha.v"] = *c.before;
        }
        if (c.after != nullptr) {
            after["alpha.v"] = *c.after;
        }
        EXPECT_EQ(mdb_ip_regen_upgraded_by_run("alpha.v", c.code, before, after), c.expected);
    }
}

// Over a copy of the IP fixture project, opened as the host does.
class MdbIpRegenEngineProject : public testing::Test {
protected:
    void SetUp() override {
        MSG_INTERNAL_ERROR::set_hook([this](char const* condition, char const*, char const*, int) {
            m_internal_errors.push_back(condition);
        });
        m_old_dir = std::filesystem::current_path();
        m_project = std::filesystem::canonical(m_workspace.copy_fixture(FIXTURE, "chip"));
        std::filesystem::current_path(m_project);
        ASSERT_EQ(manager()->open_project(m_project.c_str(), "chip", "", false, false, true, false,
                                          false),
                  ACF_REVISION_MANAGER::SUCCESS);
    }
    void TearDown() override {
        manager()->close_project(false);
        manager()->free_cached_storage();
        std::filesystem::current_path(m_old_dir);
        MSG_INTERNAL_ERROR::set_hook(nullptr);
        RDB_REPORT::forget_reports();
    }
    static ACF_MANAGER* manager() { return ACF_MANAGER::get_acf_manager(); }
    static int eval(std::string const& script) {
        return Tcl_EvalEx(atcl_get_interpreter(), script.c_str(), -1, TCL_EVAL_GLOBAL);
    }

    // Stands in for regenerate_ip: keeps its words and whether the project was
    // read-locked while it ran.
    struct SEEN {
        std::vector<std::string> words;
        bool read_locked = false;
    };
    static int record_call(ClientData data, Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
        auto* seen = static_cast<SEEN*>(data);
        for (int i = 1; i < objc; ++i) {
            seen->words.emplace_back(Tcl_GetString(objv[i]));
        }
        seen->read_locked = manager()->is_read_locked();
        return TCL_OK;
    }
    void replace_regenerate_ip(SEEN* seen) {
        ASSERT_EQ(eval("package require ::tessaly::ipman"), TCL_OK);
        ASSERT_EQ(eval("rename regenerate_ip kept_regenerate_ip"), TCL_OK);
        Tcl_CreateObjCommand(atcl_get_interpreter(), "regenerate_ip", record_call, seen, nullptr);
    }
    void restore_regenerate_ip() {
        EXPECT_EQ(eval("rename regenerate_ip {}; rename kept_regenerate_ip regenerate_ip"), TCL_OK);
    }

    TEST_WORKSPACE m_workspace;
    std::string m_project;
    std::filesystem::path m_old_dir;
    std::vector<std::string> m_internal_errors;
};

// The files reach the command as one word, each whole (a path with a space
// included), and the project is read-locked for the run only when the caller
// held no lock.
TEST_F(MdbIpRegenEngineProject, FlowGetsTheFilesAsOneWordUnderTheReadLock) {
    struct CASE {
        char const* name;
        bool caller_locks;
    };
    CASE const cases[] = {{"caller holds no lock", false}, {"caller holds the read lock", true}};
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.caller_locks) {
            ASSERT_TRUE(manager()->read_lock());
        }
        SEEN seen;
        replace_regenerate_ip(&seen);
        int code = mdb_ip_regen_run_flow({"ip/alpha/alpha.v", "ip/my beta/beta.v"});
        restore_regenerate_ip();
        EXPECT_EQ(code, 0);
        EXPECT_EQ(seen.words, std::vector<std::string>(
                                  {"-files", "ip/alpha/alpha.v;ip/my beta/beta.v", "-gui"}));
        EXPECT_TRUE(seen.read_locked);
        EXPECT_EQ(manager()->is_read_locked(), c.caller_locks);
        if (c.caller_locks) {
            manager()->read_unlock();
        }
    }
    EXPECT_TRUE(m_internal_errors.empty());
}

TEST_F(MdbIpRegenEngineProject, CommitBeforeAnUpgradeByHandLeavesNoLockBehind) {
    EXPECT_TRUE(mdb_ip_regen_commit_settings());
    EXPECT_FALSE(manager()->is_write_locked());
    EXPECT_FALSE(manager()->is_read_locked());
    // The flow can lock the project afterwards.
    EXPECT_TRUE(manager()->read_lock());
    manager()->read_unlock();
    EXPECT_TRUE(m_internal_errors.empty());
}

TEST_F(MdbIpRegenEngineProject, MissingPluginManagerIsReportedAndNothingRuns) {
    TEST_WORKSPACE empty;
    gen_set_tessaly_path(empty.path("").c_str());
    EXPECT_FALSE(mdb_ip_regen_open_in_plugin_manager(m_project + "/ip/alpha/alpha.v"));
    gen_set_tessaly_path(nullptr);
    ASSERT_EQ(m_internal_errors.size(), 1u);
    EXPECT_NE(m_internal_errors.front().find("libvesta_vwpim.so"), std::string::npos)
        << m_internal_errors.front();
}

} // namespace
