#include "mem/mem_config.h"
#include "mem/mem_track.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

char const* const kKeys[] = {
    "mem_type",
    "MEM_OUTPUT_TO_PROJECT_PATH",
    "MEM_LOG_MEMORY",
    "MEM_LOG_MEMORY_DEBUG_MESSAGES",
    "MEM_DISABLE_MEMORY_LEAK_TRACKING",
    "MEM_PRINT_LEAK_WARNINGS",
    "MEM_LEAK_TRACKING_IN_TQ_MODE",
    "MEM_IE_ON_MEMORY_LEAKS",
    "MEM_LEAK_DISALLOW_EXCLUSION_LIST",
    "MEM_TRACK_MEMORY",
    "MEM_CHECK_MEMORY",
    "MEM_DONT_DELETE",
    "MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST",
    "MEM_TRACK_CALLSTACK_EXCLUDE_SUBSYSTEM_LIST",
    "MEM_TRACK_CALLSTACK_INCLUDE_STL_ALLOCATORS",
    "MEM_TRACK_CALLSTACK_MAX_DEPTH",
    "MEM_TRACK_CALLSTACK_MAX_REPORTS",
    "MEM_TRACK_CALLSTACK",
    "MEM_BREAK_ON_CLASS_ID",
    "MEM_BREAK_ON_ADDRESS",
    "debug_msg",
};

using Settings = std::vector<std::pair<char const*, char const*>>;

std::vector<std::string> tokens(char** array) {
    std::vector<std::string> out;
    for (char** t = array; t != nullptr && *t != nullptr; ++t) {
        out.emplace_back(*t);
    }
    return out;
}

// Each case reads in a fresh directory, with only its own settings in force.
class MemConfig : public testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        dir_ = std::filesystem::temp_directory_path() /
               ("mem_config_test_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        clear();
    }
    void TearDown() override {
        clear();
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
    }
    static void clear() {
        for (char const* key : kKeys) {
            unsetenv(key);
        }
        std::filesystem::remove("tessaly.ini");
    }
    std::filesystem::path old_, dir_;
};

TEST_F(MemConfig, SettingsReadAtStartUp) {
    struct Case {
        char const* name;
        Settings environment;
        char const* ini; // tessaly.ini text, for the settings library's own file
        std::function<void(MEM_CONFIGURATION const&)> check;
    };
    Case const cases[] = {
        {"defaults",
         {},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_TRUE(c.use_native_allocator);
             EXPECT_TRUE(c.check_memory);
             EXPECT_FALSE(c.track_memory);
             EXPECT_FALSE(c.log_memory);
             EXPECT_FALSE(c.print_leak_warnings);
             EXPECT_FALSE(c.track_callstack);
             EXPECT_EQ(c.track_callstack_max_depth, 10);
             EXPECT_EQ(c.track_callstack_max_reports, 10);
             EXPECT_EQ(c.track_callstack_include_subsystem_list, nullptr);
             EXPECT_EQ(c.break_on_address, nullptr);
         }},
        {"own heap asked for",
         {{"mem_type", "tessaly_memory_manager"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) { EXPECT_FALSE(c.use_native_allocator); }},
        {"platform road in capitals",
         {{"mem_type", "C_RUNTIME"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) { EXPECT_TRUE(c.use_native_allocator); }},
        {"unknown allocator",
         {{"mem_type", "other"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) { EXPECT_TRUE(c.use_native_allocator); }},
        {"memory log",
         {{"MEM_LOG_MEMORY", "on"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_TRUE(c.log_memory);
             EXPECT_TRUE(c.track_memory);
             EXPECT_TRUE(c.print_mem_usage_files);
             EXPECT_FALSE(c.log_memory_debug_messages);
         }},
        {"log debug messages need the log",
         {{"MEM_LOG_MEMORY_DEBUG_MESSAGES", "on"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) { EXPECT_FALSE(c.log_memory_debug_messages); }},
        {"log debug messages",
         {{"MEM_LOG_MEMORY", "1"}, {"MEM_LOG_MEMORY_DEBUG_MESSAGES", "1"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) { EXPECT_TRUE(c.log_memory_debug_messages); }},
        {"leak warnings track without usage files",
         {{"MEM_PRINT_LEAK_WARNINGS", "on"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_TRUE(c.print_leak_warnings);
             EXPECT_TRUE(c.track_memory);
             EXPECT_FALSE(c.print_mem_usage_files);
         }},
        {"leak warnings off means off",
         {{"MEM_PRINT_LEAK_WARNINGS", "off"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_FALSE(c.print_leak_warnings);
             EXPECT_FALSE(c.track_memory);
         }},
        {"leak warnings present without a value",
         {{"MEM_PRINT_LEAK_WARNINGS", ""}},
         nullptr,
         [](MEM_CONFIGURATION const& c) { EXPECT_TRUE(c.print_leak_warnings); }},
        {"tq mode implies leak warnings",
         {{"MEM_LEAK_TRACKING_IN_TQ_MODE", "on"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_TRUE(c.leak_tracking_in_tq_mode);
             EXPECT_TRUE(c.print_leak_warnings);
             EXPECT_TRUE(c.track_memory);
         }},
        {"tq mode off",
         {{"MEM_LEAK_TRACKING_IN_TQ_MODE", "0"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) { EXPECT_FALSE(c.leak_tracking_in_tq_mode); }},
        {"leak tracking disabled wins",
         {{"MEM_DISABLE_MEMORY_LEAK_TRACKING", "on"},
          {"MEM_PRINT_LEAK_WARNINGS", "on"},
          {"MEM_LEAK_TRACKING_IN_TQ_MODE", "on"},
          {"MEM_IE_ON_MEMORY_LEAKS", "on"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_FALSE(c.print_leak_warnings);
             EXPECT_FALSE(c.leak_tracking_in_tq_mode);
             EXPECT_FALSE(c.ie_on_memory_leaks);
             EXPECT_FALSE(c.track_memory);
         }},
        {"plain switches",
         {{"MEM_OUTPUT_TO_PROJECT_PATH", "on"},
          {"MEM_IE_ON_MEMORY_LEAKS", "on"},
          {"MEM_LEAK_DISALLOW_EXCLUSION_LIST", "on"},
          {"MEM_DONT_DELETE", "on"},
          {"MEM_CHECK_MEMORY", "off"},
          {"MEM_TRACK_CALLSTACK_INCLUDE_STL_ALLOCATORS", "on"},
          {"debug_msg", "on"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_TRUE(c.output_to_project_path);
             EXPECT_TRUE(c.ie_on_memory_leaks);
             EXPECT_TRUE(c.leak_disallow_exclusion_list);
             EXPECT_TRUE(c.dont_delete);
             EXPECT_FALSE(c.check_memory);
             EXPECT_TRUE(c.track_callstack_include_stl_allocators);
             EXPECT_TRUE(c.pgo_debug);
         }},
        {"tracking writes usage files",
         {{"MEM_TRACK_MEMORY", "on"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_TRUE(c.track_memory);
             EXPECT_TRUE(c.print_mem_usage_files);
             EXPECT_FALSE(c.track_callstack);
         }},
        {"include list turns call stacks on with tracking",
         {{"MEM_TRACK_MEMORY", "on"},
          {"MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST", "ACF;IPMAN, MDB"},
          {"MEM_TRACK_CALLSTACK_EXCLUDE_SUBSYSTEM_LIST", "'MEM'"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_TRUE(c.track_callstack);
             EXPECT_EQ(tokens(c.track_callstack_include_subsystem_list),
                       (std::vector<std::string>{"ACF", "IPMAN", "MDB"}));
             EXPECT_EQ(tokens(c.track_callstack_exclude_subsystem_list),
                       (std::vector<std::string>{"MEM"}));
         }},
        {"include list without tracking",
         {{"MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST", "ACF"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) { EXPECT_FALSE(c.track_callstack); }},
        {"include list of separators only",
         {{"MEM_TRACK_MEMORY", "on"}, {"MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST", " ;,"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             ASSERT_NE(c.track_callstack_include_subsystem_list, nullptr);
             EXPECT_TRUE(tokens(c.track_callstack_include_subsystem_list).empty());
             EXPECT_TRUE(c.track_callstack);
         }},
        {"depth below one stops call stacks",
         {{"MEM_TRACK_MEMORY", "on"},
          {"MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST", "ACF"},
          {"MEM_TRACK_CALLSTACK_MAX_DEPTH", "0"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_FALSE(c.track_callstack);
             EXPECT_EQ(c.track_callstack_max_depth, 1);
         }},
        {"depth and reports",
         {{"MEM_TRACK_CALLSTACK_MAX_DEPTH", "25"}, {"MEM_TRACK_CALLSTACK_MAX_REPORTS", "3"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_EQ(c.track_callstack_max_depth, 25);
             EXPECT_EQ(c.track_callstack_max_reports, 3);
         }},
        {"call stacks asked for directly",
         {{"MEM_TRACK_CALLSTACK", "on"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) { EXPECT_TRUE(c.track_callstack); }},
        {"call stacks refused directly",
         {{"MEM_TRACK_MEMORY", "on"},
          {"MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST", "ACF"},
          {"MEM_TRACK_CALLSTACK", "off"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) { EXPECT_FALSE(c.track_callstack); }},
        {"break points",
         {{"MEM_BREAK_ON_CLASS_ID", "42"}, {"MEM_BREAK_ON_ADDRESS", "0x1234"}},
         nullptr,
         [](MEM_CONFIGURATION const& c) {
             EXPECT_EQ(c.break_on_class_id, 42);
             EXPECT_EQ(c.break_on_address, reinterpret_cast<void*>(0x1234));
         }},
        {"settings file of the settings library",
         {},
         "MEM_CHECK_MEMORY=off\nmem_type=tessaly_memory_manager\n",
         [](MEM_CONFIGURATION const& c) {
             EXPECT_FALSE(c.check_memory);
             EXPECT_FALSE(c.use_native_allocator);
         }},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        clear();
        for (auto const& [key, value] : c.environment) {
            setenv(key, value, 1);
        }
        if (c.ini != nullptr) {
            std::ofstream("tessaly.ini") << c.ini;
        }
        MEM_CONFIGURATION read = mem_read_configuration(MEM_CONFIGURATION());
        c.check(read);
        mem_free_wrapper(read.track_callstack_include_subsystem_list, nullptr);
        mem_free_wrapper(read.track_callstack_exclude_subsystem_list, nullptr);
    }
}

TEST_F(MemConfig, EnvironmentAnswersWithoutASettingsLibrary) {
    struct Case {
        char const* value; // null: unset
        bool switch_default, switch_expected;
        int int_default, int_expected;
    } const cases[] = {
        {nullptr, true, true, 7, 7}, {"", false, false, 7, 7},    {"on", false, true, 7, 7},
        {"ON", false, true, 7, 7},   {"1", false, true, 7, 1},    {"off", true, false, 7, 7},
        {"Off", true, false, 7, 7},  {"0", true, false, 7, 0},    {"yes", false, false, 7, 7},
        {"-12", true, true, 7, -12}, {"12x", false, false, 7, 7}, {"99999999999", true, true, 7, 7},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        if (c.value != nullptr) {
            setenv("MEM_TRACK_MEMORY", c.value, 1);
        } else {
            unsetenv("MEM_TRACK_MEMORY");
        }
        EXPECT_EQ(mem_env_is_on("MEM_TRACK_MEMORY", c.switch_default), c.switch_expected);
        EXPECT_EQ(mem_env_get_int_value("MEM_TRACK_MEMORY", c.int_default), c.int_expected);
        EXPECT_EQ(mem_env_get_value("MEM_TRACK_MEMORY"), c.value ? c.value : "");
    }
    EXPECT_TRUE(mem_env_is_on(nullptr, true));
}

TEST(MemConfigCallbacks, InstalledCallbacksAnswerInsteadOfTheSettingsLibrary) {
    // Slots are never cleared, so this runs in a child process.
    EXPECT_EXIT(
        {
            mem_set_cfg_is_on_callback(
                [](char const* name, bool) { return std::string(name) == "ASKED"; });
            mem_set_cfg_get_int_value_callback(
                [](char const*, int* result, int default_value) { *result = default_value + 1; });
            mem_set_cfg_get_value_callback(
                [](char const* name, std::string* result) { *result = std::string(name) + "!"; });
            setenv("ASKED", "off", 1);
            bool ok = mem_cfg_is_on("ASKED", false) && !mem_cfg_is_on("OTHER", true) &&
                      mem_cfg_get_int_value("ANY", 41) == 42 && mem_cfg_get_value("v") == "v!";
            std::_Exit(ok ? 0 : 2);
        },
        testing::ExitedWithCode(0), "");
}

TEST(MemConfigLists, SplitIntoOneBlock) {
    struct Case {
        char const* text;
        std::vector<std::string> expected;
    } const cases[] = {
        {"", {}},
        {" ;',\"", {}},
        {"ACF", {"ACF"}},
        {"ACF;IPMAN,MDB", {"ACF", "IPMAN", "MDB"}},
        {"  'ACF' , \"MEM\";;", {"ACF", "MEM"}},
    };
    for (Case const& c : cases) {
        char** array = mem_get_cfg_string_array(c.text, " ;'\",");
        EXPECT_EQ(tokens(array), c.expected) << c.text;
        // The tokens lie inside the same block, right after the pointers.
        char* end_of_pointers = reinterpret_cast<char*>(array + c.expected.size() + 1);
        if (!c.expected.empty()) {
            EXPECT_EQ(array[0], end_of_pointers) << c.text;
        }
        mem_free_wrapper(array, nullptr);
    }
}

char const* g_project_output_directory = nullptr;

TEST_F(MemConfig, ReportFileNames) {
    mem_set_gen_get_project_output_directory_callback([] { return g_project_output_directory; });
    struct Case {
        char const* tmp;
        char const* prefix;
        bool to_project;
        char const* project;
        char const* expected;
    } const cases[] = {
        {nullptr, nullptr, false, nullptr, "/tmp/usage.txt"},
        {nullptr, "run1_", false, nullptr, "/tmp/run1_usage.txt"},
        {"/var/t", nullptr, false, nullptr, "/var/t/usage.txt"},
        {"/var/t", "p-", false, "/proj/out", "/var/t/p-usage.txt"},
        {"/var/t", "p-", true, "/proj/out", "/proj/out/p-usage.txt"},
        {"/var/t", nullptr, true, "", "/var/t/usage.txt"},
        {nullptr, nullptr, true, nullptr, "/tmp/usage.txt"},
    };
    bool saved = MEM_TRACKER::s_output_to_project_path;
    for (Case const& c : cases) {
        c.tmp ? setenv("TMP", c.tmp, 1) : unsetenv("TMP");
        c.prefix ? setenv("TESSALY_MEM_TRACKER_LOGFILE_PREFIX", c.prefix, 1)
                 : unsetenv("TESSALY_MEM_TRACKER_LOGFILE_PREFIX");
        MEM_TRACKER::s_output_to_project_path = c.to_project;
        g_project_output_directory = c.project;
        char buffer[MEM_FILE_NAME_SIZE + 1];
        mem_set_file(buffer, "usage.txt");
        EXPECT_STREQ(buffer, c.expected);
    }
    // A name too long for the buffer is cut, and the buffer stays terminated.
    unsetenv("TMP");
    unsetenv("TESSALY_MEM_TRACKER_LOGFILE_PREFIX");
    MEM_TRACKER::s_output_to_project_path = false;
    std::string long_name(2000, 'n');
    MEM_MANAGER::write_detailed_memory_usage_on_exit(long_name.c_str());
    EXPECT_EQ(std::strlen(MEM_TRACKER::detailed_memory_usage_filename), size_t(MEM_FILE_NAME_SIZE));
    EXPECT_EQ(std::string(MEM_TRACKER::detailed_memory_usage_filename, 5), "/tmp/");
    MEM_MANAGER::write_detailed_memory_usage_on_exit("");
    MEM_TRACKER::s_output_to_project_path = saved;
    g_project_output_directory = nullptr;
}

// The whole start-up road runs once per process, so these start a fresh one.
struct Probe {
    int status;
    std::string output;
};

Probe run_probe(Settings const& environment) {
    int pipe_fds[2];
    EXPECT_EQ(pipe(pipe_fds), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipe_fds[1], STDOUT_FILENO);
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        for (char const* key : kKeys) {
            unsetenv(key);
        }
        unsetenv("MEM_PRINT_LIB_LOAD");
        for (auto const& [key, value] : environment) {
            setenv(key, value, 1);
        }
        execl(MEM_PROBE_PATH, MEM_PROBE_PATH, static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    close(pipe_fds[1]);
    Probe probe{-1, {}};
    char chunk[512];
    ssize_t n;
    while ((n = read(pipe_fds[0], chunk, sizeof chunk)) > 0) {
        probe.output.append(chunk, static_cast<size_t>(n));
    }
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    probe.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return probe;
}

bool has_line(std::string const& output, std::string const& line) {
    return ("\n" + output).find("\n" + line + "\n") != std::string::npos;
}

TEST_F(MemConfig, StartUpPutsTheSettingsIntoForce) {
    struct Case {
        char const* name;
        Settings environment;
        std::vector<std::string> lines;
    } const cases[] = {
        {"defaults",
         {},
         {"use_native_allocator=1", "track_memory=0", "check_memory=1", "track_callstack=0",
          "track_callstack_max_depth=10", "track_callstack_max_reports=10", "header_magic=0"}},
        {"tracking",
         {{"MEM_TRACK_MEMORY", "on"}},
         {"track_memory=1", "print_mem_usage_files=1", "header_magic=77771234"}},
        {"leak warnings alone",
         {{"MEM_PRINT_LEAK_WARNINGS", "1"}},
         {"track_memory=1", "print_mem_usage_files=0", "print_leak_warnings=1"}},
        {"own heap",
         {{"mem_type", "Tessaly_Memory_Manager"}},
         {"use_native_allocator=0"}},
        {"library loads",
         {{"MEM_PRINT_LIB_LOAD", ""}},
         {"Loading: MEM", "use_native_allocator=1", "Unloading: MEM"}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        Probe probe = run_probe(c.environment);
        EXPECT_EQ(probe.status, 0);
        for (std::string const& line : c.lines) {
            EXPECT_TRUE(has_line(probe.output, line)) << line << " in\n" << probe.output;
        }
    }
}

} // namespace
