// Sets (or unsets) one environment variable for the life of the object, then
// puts back what was there. Configuration values are read from the
// environment first, so tests model a machine's configuration with it.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class TEST_ENVIRONMENT {
public:
    TEST_ENVIRONMENT(char const* name, std::optional<std::string> const& value) : m_name(name) {
        if (char const* old = std::getenv(name)) {
            m_old = old;
        }
        set(value);
    }
    ~TEST_ENVIRONMENT() { set(m_old); }
    TEST_ENVIRONMENT(TEST_ENVIRONMENT const&) = delete;
    TEST_ENVIRONMENT& operator=(TEST_ENVIRONMENT const&) = delete;

private:
    void set(std::optional<std::string> const& value) {
        if (value) {
            setenv(m_name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    std::string m_name;
    std::optional<std::string> m_old;
};
