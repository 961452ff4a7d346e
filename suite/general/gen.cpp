#include "suite/general/gen.h"

#include <climits>
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

int fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }
} // namespace

char const* gen_get_version() { return GEN_VERSION; }
char const* gen_get_full_version() { return GEN_FULL_VERSION; }
char const* gen_get_legal_text() { return LEGAL_TEXT; }

int gen_strnicmp(char const* a, char const* b, size_t n) {
    if (a == nullptr || b == nullptr) {
        return (a == nullptr ? 0 : 1) - (b == nullptr ? 0 : 1);
    }
    for (size_t i = 0; i < n; ++i) {
        int ca = fold(static_cast<unsigned char>(a[i]));
        int cb = fold(static_cast<unsigned char>(b[i]));
        if (ca != cb || ca == 0) {
            return ca - cb;
        }
    }
    return 0;
}

int gen_stricmp(char const* a, char const* b) { return gen_strnicmp(a, b, static_cast<size_t>(-1)); }

bool gen_is_empty_string(char const* s) { return s == nullptr || *s == '\0'; }

std::string gen_get_module_filename() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string gen_get_tessaly_path() {
    std::string exe = gen_get_module_filename();
    size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}
