// A fresh temporary directory per test, removed with its content afterwards,
// and small file helpers for the project tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class ACF_TEST_DIRECTORY {
public:
    ACF_TEST_DIRECTORY() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "acf_project_XXXXXX").string();
        char* made = mkdtemp(&pattern[0]);
        EXPECT_NE(made, nullptr);
        m_path = pattern + "/";
    }
    ~ACF_TEST_DIRECTORY() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ACF_TEST_DIRECTORY(ACF_TEST_DIRECTORY const&) = delete;
    ACF_TEST_DIRECTORY& operator=(ACF_TEST_DIRECTORY const&) = delete;

    // The directory with a trailing "/".
    std::string const& path() const { return m_path; }
    std::string file(std::string const& name) const { return m_path + name; }

private:
    std::string m_path;
};

inline std::string acf_test_read(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void acf_test_write(std::string const& path, std::string const& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline bool acf_test_exists(std::string const& path) {
    return std::filesystem::exists(path);
}

// Modification time in nanoseconds.
inline long long acf_test_mtime(std::string const& path) {
    return static_cast<long long>(
        std::filesystem::last_write_time(path).time_since_epoch().count());
}
