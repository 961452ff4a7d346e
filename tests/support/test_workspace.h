// Test helpers: a temporary folder removed at the end of the test, fixture
// copies, whole-file reads and writes, and runs of built programs.
#pragma once

#include "suite/threads/thr.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A fresh temporary folder, removed with everything in it when the object goes.
class TEST_WORKSPACE {
public:
    TEST_WORKSPACE() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessaly-test.XXXXXX").string();
        m_dir = mkdtemp(&pattern[0]) != nullptr ? pattern : std::string();
    }
    ~TEST_WORKSPACE() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    TEST_WORKSPACE(TEST_WORKSPACE const&) = delete;
    TEST_WORKSPACE& operator=(TEST_WORKSPACE const&) = delete;

    std::string const& dir() const { return m_dir; }
    std::string path(std::string const& name) const { return m_dir + "/" + name; }
    // Copies a fixture folder (recursively) into the workspace under `name`.
    std::string copy_fixture(std::string const& fixture, std::string const& name) const {
        std::filesystem::copy(fixture, path(name), std::filesystem::copy_options::recursive);
        return path(name);
    }

private:
    std::string m_dir;
};

inline std::string test_read_file(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void test_write_file(std::string const& path, std::string const& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// What a run of a program gave: its exit status and its standard output and
// standard error, interleaved as written.
struct TEST_RUN_RESULT {
    int status = -1;
    std::string output;
};

// Runs a command line through the suite's child-process functions in `dir`.
inline TEST_RUN_RESULT test_run(std::string const& command_line, std::string const& dir = "") {
    TEST_RUN_RESULT result;
    THR_PIPE out = nullptr;
    THR_PROCESS process = nullptr;
    if (!thr_process_create(command_line.c_str(), dir.c_str(), &out, &out, &process, nullptr)) {
        return result;
    }
    char buffer[4096];
    size_t count = 0;
    while (thr_process_read(out, buffer, sizeof buffer, &count) == 0) {
        result.output.append(buffer, count);
    }
    thr_process_wait(process, &result.status, 0);
    return result;
}
