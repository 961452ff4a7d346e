#include "suite/config/cfg.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <strings.h>

namespace {

bool equals_nocase(std::string const& a, char const* b) { return strcasecmp(a.c_str(), b) == 0; }

std::string trim(std::string const& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) {
        return "";
    }
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Looks the key up; returns false when it is set nowhere.
bool lookup(char const* name, std::string* value) {
    if (name == nullptr || *name == '\0') {
        return false;
    }
    if (char const* env = std::getenv(name)) {
        *value = env;
        return true;
    }
    std::ifstream ini("tessaly.ini");
    std::string line;
    while (std::getline(ini, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos || line[0] == '#' || line[0] == ';') {
            continue;
        }
        if (strcasecmp(trim(line.substr(0, eq)).c_str(), name) == 0) {
            *value = trim(line.substr(eq + 1));
            return true;
        }
    }
    return false;
}

} // namespace

bool cfg_is_on(char const* name, bool default_value) {
    std::string v;
    if (!lookup(name, &v)) {
        return default_value;
    }
    if (equals_nocase(v, "on") || v == "1" || equals_nocase(v, "true") || equals_nocase(v, "yes")) {
        return true;
    }
    if (equals_nocase(v, "off") || v == "0" || equals_nocase(v, "false") || equals_nocase(v, "no")) {
        return false;
    }
    return default_value;
}

int cfg_get_int_value(char const* name, int default_value) {
    std::string v;
    if (!lookup(name, &v) || v.empty()) {
        return default_value;
    }
    char* end = nullptr;
    errno = 0;
    long n = std::strtol(v.c_str(), &end, 10);
    if (end == v.c_str() || *end != '\0' || errno == ERANGE || n < INT32_MIN || n > INT32_MAX) {
        return default_value;
    }
    return static_cast<int>(n);
}

std::string cfg_get_value(char const* name, char const* default_value) {
    std::string v;
    if (!lookup(name, &v)) {
        return default_value ? default_value : "";
    }
    return v;
}

bool cfg_is_set(char const* name) {
    std::string v;
    return lookup(name, &v);
}

bool cfg_user_ini_is_on(char const* name, bool default_value) {
    return cfg_is_on(name, default_value);
}

bool cfg_user_ini_is_on(int setting, bool default_value) {
    return cfg_user_ini_is_on(("user_setting_" + std::to_string(setting)).c_str(), default_value);
}

extern "C" bool cfg_dyn_is_on(char const* name, bool default_value) {
    return cfg_is_on(name, default_value);
}

extern "C" void cfg_dyn_get_int_value(char const* name, int* result, int default_value) {
    if (result != nullptr) {
        *result = cfg_get_int_value(name, default_value);
    }
}

extern "C" void cfg_dyn_get_value(char const* name, std::string* result) {
    if (result != nullptr) {
        *result = cfg_get_value(name, "");
    }
}
