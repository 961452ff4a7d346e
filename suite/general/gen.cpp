#include "suite/general/gen.h"

#include "suite/fileio/fio.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <locale>
#include <mutex>
#include <sstream>
#include <unistd.h>

char const* const GEN_PRODUCT_NAME = "Tessaly II";
char const* const GEN_VERSION = "14.0";
char const* const GEN_FULL_VERSION = "Version 14.0 Build 120 12/09/2026 SJ Full Version";

namespace {
char const* const LEGAL_TEXT =
    "Copyright (C) 2026 Tessaly Design Systems. All rights reserved.\n"
    "Your use of Tessaly design tools, logic functions and other software and\n"
    "tools, and their associated documentation, is subject to the terms and\n"
    "conditions of the applicable Tessaly license agreement.";

char const* const TRADEMARK_TEXT =
    "Copyright (C) 2026 Tessaly Design Systems. All rights reserved. Tessaly, Tessaly II, "
    "Plexa and VestaWizard are trademarks of Tessaly Design Systems. All other product or "
    "service names are the property of their respective holders.";
char const* const WARNING_TEXT =
    "Warning: This computer program is protected by copyright law and international "
    "treaties. Unauthorized reproduction or distribution of this program, or any portion of "
    "it, may result in severe civil and criminal penalties, and will be prosecuted to the "
    "maximum extent possible under the law.";
} // namespace

char const* gen_get_version() {
    return GEN_VERSION;
}
char const* gen_get_full_version() {
    return GEN_FULL_VERSION;
}
char const* gen_get_legal_text() {
    return LEGAL_TEXT;
}
char const* gen_get_legal_trademark_text() {
    return TRADEMARK_TEXT;
}
char const* gen_get_legal_warning_text() {
    return WARNING_TEXT;
}

std::string gen_get_legal_text(char const* line_prefix) {
    std::string prefix = line_prefix ? line_prefix : "";
    std::string text;
    for (char const* line = LEGAL_TEXT; *line != '\0';) {
        char const* end = std::strchr(line, '\n');
        size_t length = end ? static_cast<size_t>(end - line) : std::strlen(line);
        text += prefix;
        text.append(line, length);
        text += '\n';
        line += end ? length + 1 : length;
    }
    return text;
}

namespace {
std::mutex& clock_mutex() {
    static std::mutex m;
    return m;
}
std::function<time_t()>& clock_hook() {
    static std::function<time_t()> hook;
    return hook;
}
time_t current_time() {
    std::lock_guard<std::mutex> lock(clock_mutex());
    return clock_hook() ? clock_hook()() : std::time(nullptr);
}
} // namespace

void gen_set_clock_hook(std::function<time_t()> clock) {
    std::lock_guard<std::mutex> lock(clock_mutex());
    clock_hook() = std::move(clock);
}

bool gen_format_current_date_and_time(std::string* out, char const* format) {
    if (out == nullptr || format == nullptr) {
        return false;
    }
    time_t now = current_time();
    struct tm parts;
    if (now == static_cast<time_t>(-1) || localtime_r(&now, &parts) == nullptr) {
        return false;
    }
    char buffer[256];
    size_t length = std::strftime(buffer, sizeof buffer, format, &parts);
    if (length == 0) {
        return false;
    }
    out->assign(buffer, length);
    return true;
}

std::string gen_fold_case(char const* text) {
    std::string folded = text != nullptr ? text : "";
    for (char& c : folded) {
        c = gen_fold_char(c);
    }
    return folded;
}

uint64_t gen_hash(std::string_view text, bool fold_case, uint64_t hash) {
    for (char c : text) {
        hash ^= static_cast<unsigned char>(fold_case ? gen_fold_char(c) : c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

int gen_strnicmp(char const* a, char const* b, size_t n) {
    if (a == nullptr || b == nullptr) {
        return (a == nullptr ? 0 : 1) - (b == nullptr ? 0 : 1);
    }
    for (size_t i = 0; i < n; ++i) {
        int ca = static_cast<unsigned char>(gen_fold_char(a[i]));
        int cb = static_cast<unsigned char>(gen_fold_char(b[i]));
        if (ca != cb || ca == 0) {
            return ca - cb;
        }
    }
    return 0;
}

int gen_stricmp(char const* a, char const* b) {
    return gen_strnicmp(a, b, static_cast<size_t>(-1));
}

bool gen_is_empty_string(char const* s) {
    return s == nullptr || *s == '\0';
}

double gen_local_atof(char const* text) {
    if (text == nullptr) {
        return 0.0;
    }
    // Take the number's own characters first, so that what follows it (an
    // exponent-like "e", a service pack) never spoils the conversion.
    char const* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') {
        ++p;
    }
    std::string number;
    if (*p == '+' || *p == '-') {
        number += *p++;
    }
    while (*p >= '0' && *p <= '9') {
        number += *p++;
    }
    if (*p == '.') {
        number += *p++;
        while (*p >= '0' && *p <= '9') {
            number += *p++;
        }
    }
    std::istringstream in(number);
    in.imbue(std::locale::classic());
    double value = 0.0;
    return in >> value ? value : 0.0;
}

std::string gen_get_module_filename() {
    // The running program stays the same file for the life of the process:
    // looked up once, not on each of the many calls of a long run.
    static std::string const module = [] {
        char buf[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }();
    return module;
}

namespace {
std::string g_tessaly_path_override;
} // namespace

void gen_set_tessaly_path(char const* directory) {
    g_tessaly_path_override = directory != nullptr ? directory : "";
    // Kept without a trailing "/", as the program's own directory is.
    while (g_tessaly_path_override.size() > 1 && g_tessaly_path_override.back() == '/') {
        g_tessaly_path_override.pop_back();
    }
}

std::string gen_get_tessaly_path() {
    if (!g_tessaly_path_override.empty()) {
        return g_tessaly_path_override;
    }
    std::string exe = gen_get_module_filename();
    size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

std::string gen_get_module_path() {
    return gen_get_tessaly_path() + "/";
}

std::string gen_get_common_misc_fullpath() {
    return gen_get_tessaly_path() + "/common";
}

FIO_PATH gen_find_file(char const* file_name) {
    if (gen_is_empty_string(file_name) || !FIO_FILE_SYSTEM::exists(FIO_PATH(file_name))) {
        return FIO_PATH();
    }
    return FIO_PATH(file_name);
}

namespace {
bool is_ui_process_flag = false;
bool is_qt_flag = false;
} // namespace

bool gen_get_is_ui_process() {
    return is_ui_process_flag;
}
void gen_set_is_ui_process(bool is_ui_process) {
    is_ui_process_flag = is_ui_process;
}
bool gen_get_is_qt() {
    return is_qt_flag;
}
void gen_set_is_qt(bool is_qt) {
    is_qt_flag = is_qt;
}

std::string gen_itoa(int value) {
    return std::to_string(value);
}

int gen_local_atoi(char const* text) {
    if (text == nullptr) {
        return 0;
    }
    long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return value < INT_MIN ? INT_MIN : static_cast<int>(value);
}
