// Exit-time leak reports of a real program (mem_leaker), configured through its
// environment as any program of the suite is.
#include "mem_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct RUN {
    std::string output;
    int status = -1;
    std::string site; // "<file> (<line>)" of the program's ACF site
};

// Runs mem_leaker in `dir` with only `settings` as memory settings.
RUN run_leaker(fs::path const& dir, std::string const& module,
               std::vector<std::string> const& actions, std::vector<std::string> settings) {
    int fds[2];
    if (pipe(fds) != 0) {
        return {};
    }
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        if (chdir(dir.c_str()) != 0) {
            _exit(3);
        }
        std::vector<std::string> args = {MEM_LEAKER_PATH, module};
        args.insert(args.end(), actions.begin(), actions.end());
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        settings.push_back("PATH=/usr/bin:/bin");
        if (char const* asan = std::getenv("ASAN_OPTIONS")) {
            settings.push_back(std::string("ASAN_OPTIONS=") + asan);
        }
        std::vector<char*> envp;
        for (auto& s : settings) {
            envp.push_back(s.data());
        }
        envp.push_back(nullptr);
        execve(MEM_LEAKER_PATH, argv.data(), envp.data());
        _exit(4);
    }
    close(fds[1]);
    RUN run;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
        run.output.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    size_t site = run.output.rfind("site ");
    if (site != std::string::npos) {
        std::string rest = run.output.substr(site + 5);
        rest = rest.substr(0, rest.find('\n'));
        size_t blank = rest.rfind(' ');
        run.site = rest.substr(0, blank) + " (" + rest.substr(blank + 1) + ")";
    }
    return run;
}

size_t count_of(std::string const& text, std::string const& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

std::string const RULE(54, '-');

class MemLeaks : public testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("mem_leaks_" + std::to_string(getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_module = (m_dir / "leaker.exe.bin").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
    std::string m_module;
};

TEST_F(MemLeaks, ALeakIsReportedAtExitWithItsSite) {
    RUN run = run_leaker(m_dir, m_module, {"acf", "mem"}, {"MEM_PRINT_LEAK_WARNINGS=on"});
    ASSERT_EQ(run.status, 0) << run.output;
    // The file is named after the module, cut before ".exe".
    fs::path file = m_dir / "leaker_leak_warning.txt";
    ASSERT_TRUE(fs::exists(file));
    std::vector<std::string> lines = lines_of(read_file(file));
    ASSERT_EQ(lines.size(), 8u) << read_file(file);
    EXPECT_EQ(lines[0].rfind("Date: \t\t", 0), 0u);
    EXPECT_EQ(lines[1].rfind("Tessaly directory: \t", 0), 0u);
    EXPECT_EQ(lines[2], "Executable: \t" + m_module);
    EXPECT_EQ(lines[3], "Project path: \t");
    EXPECT_EQ(lines[4], "Where leaked memory was allocated: " + m_module);
    EXPECT_EQ(lines[5], RULE);
    // The manager's own tag is on the exclusion list.
    EXPECT_EQ(lines[6], "ACF leaked 24 bytes allocated at " + run.site);
    EXPECT_EQ(lines[7], "");
    // Leak warnings alone track memory but write no usage report or stack report.
    EXPECT_EQ(run.output.find("MEM_TRACK_CALLSTACK"), std::string::npos);
}

TEST_F(MemLeaks, SettingsDecideWhatIsReportedAndWhere) {
    struct CASE {
        char const* name;
        std::vector<std::string> actions;
        std::vector<std::string> settings;
        char const* file; // null: no file at all
        std::vector<std::string> reported;
    } cases[] = {
        {"nothing leaked", {"none"}, {"MEM_PRINT_LEAK_WARNINGS=on"}, nullptr, {}},
        {"freed blocks",
         {"acf2free1"},
         {"MEM_PRINT_LEAK_WARNINGS=on"},
         "leaker_leak_warning.txt",
         {"ACF leaked 24 bytes"}},
        {"exclusion list lifted",
         {"mem", "acf2"},
         {"MEM_PRINT_LEAK_WARNINGS=1", "MEM_LEAK_DISALLOW_EXCLUSION_LIST=on"},
         "leaker_leak_warning.txt",
         {"ACF leaked 48 bytes", "MEM leaked 24 bytes"}},
        {"tracking switched off",
         {"acf"},
         {"MEM_PRINT_LEAK_WARNINGS=on", "MEM_DISABLE_MEMORY_LEAK_TRACKING=on"},
         nullptr,
         {}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        RUN run = run_leaker(m_dir, m_module, c.actions, c.settings);
        ASSERT_EQ(run.status, 0);
        std::vector<fs::path> files;
        for (auto const& entry : fs::directory_iterator(m_dir)) {
            files.push_back(entry.path().filename());
        }
        if (c.file == nullptr) {
            EXPECT_TRUE(files.empty());
            continue;
        }
        ASSERT_EQ(files, std::vector<fs::path>{c.file});
        std::string text = read_file(m_dir / c.file);
        size_t reported = 0;
        for (auto const& line : lines_of(text)) {
            // The program's own sites; with the exclusion list lifted the
            // manager's containers still alive at exit are listed as well.
            reported += line.find("mem_leaker.cpp (") != std::string::npos;
        }
        EXPECT_EQ(reported, c.reported.size()) << text;
        for (auto const& r : c.reported) {
            EXPECT_NE(text.find(r + " allocated at "), std::string::npos) << r << "\n" << text;
        }
    }
}

TEST_F(MemLeaks, TqModeAppendsWithTheShortHeader) {
    fs::path file = m_dir / "tessaly_tq_leak_warning.txt";
    std::ofstream(file) << "earlier run\n";
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(run_leaker(m_dir, m_module, {"acf"}, {"MEM_LEAK_TRACKING_IN_TQ_MODE=on"}).status,
                  0);
    }
    std::string const section = m_module +
                                " leaked memory allocated at the following locations:\n" + RULE +
                                "\nACF leaked 24 bytes allocated at ";
    std::string text = read_file(file);
    EXPECT_EQ(text.rfind("earlier run\n" + section, 0), 0u) << text;
    EXPECT_EQ(count_of(text, section), 2u) << text;
    EXPECT_FALSE(fs::exists(m_dir / "leaker_leak_warning.txt"));
}

std::vector<std::string> const CALLSTACK_ON = {
    "MEM_TRACK_MEMORY=on", "MEM_TRACK_CALLSTACK=on", "MEM_TRACK_CALLSTACK_MAX_DEPTH=10",
    "MEM_TRACK_CALLSTACK_MAX_REPORTS=10", "MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST=ACF"};

TEST_F(MemLeaks, CallStackReportGroupsBlocksByTheStackThatMadeThem) {
    struct CASE {
        char const* action;
        char const* heading;
        char const* summary;
    } cases[] = {
        {"acf", "\n*****ACF Leaked 24 bytes in 1 of 1 blocks at:\n",
         "* Leaked 24 bytes at 1 tracked callstacks\n"},
        {"acf2", "\n*****ACF Leaked 48 bytes in 2 of 2 blocks at:\n",
         "* Leaked 48 bytes at 1 tracked callstacks\n"},
        {"acf2free1", "\n*****ACF Leaked 24 bytes in 1 of 2 blocks at:\n",
         "* Leaked 24 bytes at 1 tracked callstacks\n"},
        // A block handed out again after a free is made by the same stack as a
        // fresh one, whichever way the heap found it.
        {"free1acf2", "\n*****ACF Leaked 48 bytes in 2 of 2 blocks at:\n",
         "* Leaked 48 bytes at 1 tracked callstacks\n"},
    };
    // Blocks of the platform allocator and of the own heap alike.
    for (auto const& [c, mem_type] : {std::pair{cases[0], "c_runtime"},
                                      {cases[1], "c_runtime"},
                                      {cases[2], "c_runtime"},
                                      {cases[3], "c_runtime"},
                                      {cases[0], "tessaly_memory_manager"},
                                      {cases[1], "tessaly_memory_manager"},
                                      {cases[2], "tessaly_memory_manager"},
                                      {cases[3], "tessaly_memory_manager"}}) {
        SCOPED_TRACE(std::string(c.action) + " " + mem_type);
        std::vector<std::string> settings = CALLSTACK_ON;
        settings.push_back(std::string("mem_type=") + mem_type);
        RUN run = run_leaker(m_dir, m_module, {c.action}, settings);
        ASSERT_EQ(run.status, 0);
        std::string const& out = run.output;
        size_t heading = out.find(c.heading);
        ASSERT_NE(heading, std::string::npos) << out;
        // The frames begin at the site's function: the manager's own are dropped.
        std::string first_frame = out.substr(heading + std::strlen(c.heading));
        first_frame = first_frame.substr(0, first_frame.find('\n'));
        EXPECT_EQ(first_frame.rfind(" leak_one_acf_block()+0x", 0), 0u) << out;
        EXPECT_NE(out.find(" leak_from_one_stack(int, int)+0x"), std::string::npos) << out;
        EXPECT_NE(out.find("\n main+0x"), std::string::npos) << out;
        EXPECT_NE(out.find("\n***** MEM_TRACK_CALLSTACK Summary "
                           "*******************************************\n* \n" +
                           std::string(c.summary) +
                           "* \n* MEM_TRACK_CALLSTACK_MAX_REPORTS=10\n"
                           "* MEM_TRACK_CALLSTACK_MAX_DEPTH=10\n"
                           "* MEM_TRACK_CALLSTACK_INCLUDE_STL_ALLOCATORS=off\n"
                           "* MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST=\"ACF\"\n* \n"),
                  std::string::npos)
            << out;
        EXPECT_NE(out.find("***** End MEM_TRACK_CALLSTACK "
                           "***********************************************\n\n"),
                  std::string::npos);
    }
}

TEST_F(MemLeaks, CallStackReportLimits) {
    std::vector<std::string> settings = CALLSTACK_ON;
    settings[3] = "MEM_TRACK_CALLSTACK_MAX_REPORTS=0";
    RUN run = run_leaker(m_dir, m_module, {"acf"}, settings);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.output.find("Leaked 24 bytes in"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("* Leaked 24 bytes at 1 tracked callstacks\n* \n"
                              "* Only 0 of the 1 tracked callstacks have been displayed.\n"),
              std::string::npos)
        << run.output;

    // A depth of 1 prints one frame per stack.
    settings = CALLSTACK_ON;
    settings[2] = "MEM_TRACK_CALLSTACK_MAX_DEPTH=1";
    run = run_leaker(m_dir, m_module, {"acf"}, settings);
    std::string const heading = "\n*****ACF Leaked 24 bytes in 1 of 1 blocks at:\n";
    size_t at = run.output.find(heading);
    ASSERT_NE(at, std::string::npos) << run.output;
    std::string frames = run.output.substr(at + heading.size());
    frames = frames.substr(0, frames.find("\n***** MEM_TRACK_CALLSTACK Summary"));
    EXPECT_EQ(lines_of(frames).size(), 1u) << frames;

    // A subsystem left out of the include list reports no stack, and the note
    // about container allocations names selected subsystems only.
    settings = CALLSTACK_ON;
    settings[4] = "MEM_TRACK_CALLSTACK_INCLUDE_SUBSYSTEM_LIST=IPMAN";
    run = run_leaker(m_dir, m_module, {"acf"}, settings);
    EXPECT_EQ(run.output.find("Leaked 24 bytes in"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("* Leaked 0 bytes at 0 tracked callstacks\n"), std::string::npos);
}

} // namespace
