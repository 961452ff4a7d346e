// Points the user preferences at a fresh temporary folder for the life of the
// object, then back where they were.
#pragma once

#include "tests/support/test_workspace.h"

#include <cstdlib>
#include <string>

class TEST_PREFERENCES {
public:
    TEST_PREFERENCES() {
        char const* old = std::getenv("XDG_CONFIG_HOME");
        m_had_old = old != nullptr;
        m_old = m_had_old ? old : "";
        setenv("XDG_CONFIG_HOME", m_ws.dir().c_str(), 1);
    }
    ~TEST_PREFERENCES() {
        if (m_had_old) {
            setenv("XDG_CONFIG_HOME", m_old.c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    TEST_PREFERENCES(TEST_PREFERENCES const&) = delete;
    TEST_PREFERENCES& operator=(TEST_PREFERENCES const&) = delete;

    std::string file() const { return m_ws.path("tessaly/preferences.ini"); }
    std::string const& dir() const { return m_ws.dir(); }

private:
    TEST_WORKSPACE m_ws;
    bool m_had_old = false;
    std::string m_old;
};
