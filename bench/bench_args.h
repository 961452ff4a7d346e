// The command line of the benchmark programs that print figures: "-h" or
// "--help" anywhere prints the program's usage and exits 0 before any work; the
// arguments are read in order, each number checked whole, and an argument that
// is not a number, or one too many, exits 2 with the reason and the usage on
// standard error.
#pragma once

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

class BENCH_ARGS {
public:
    // `usage`: the lines `--help` prints, starting "usage: <program> ...".
    BENCH_ARGS(int argc, char** argv, char const* usage)
        : m_argc(argc), m_argv(argv), m_usage(usage) {
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
                std::fputs(usage, stdout);
                std::exit(0);
            }
        }
    }

    // The next argument as a whole number greater than 0; `fallback` when
    // there is none.
    long next_count(char const* name, long fallback) {
        double value = next_number(name, static_cast<double>(fallback));
        if (value != std::floor(value) || value > 1e15) {
            refuse(std::string(name) + " must be a whole number, not \"" + m_argv[m_next - 1] +
                   "\"");
        }
        return static_cast<long>(value);
    }

    // The next argument as a number greater than 0; `fallback` when there is none.
    double next_number(char const* name, double fallback) {
        if (m_next >= m_argc) {
            return fallback;
        }
        char const* text = m_argv[m_next++];
        char* end = nullptr;
        errno = 0;
        double value = std::strtod(text, &end);
        if (end == text || *end != '\0' || errno != 0 || !std::isfinite(value) || value <= 0) {
            refuse(std::string(name) + " must be a number greater than 0, not \"" + text + "\"");
        }
        return value;
    }

    // The next argument as it stands; `fallback` when there is none.
    std::string next_text(std::string fallback) {
        return m_next < m_argc ? std::string(m_argv[m_next++]) : fallback;
    }

    // Refuses the arguments that were not read.
    void done() {
        if (m_next < m_argc) {
            refuse(std::string("unexpected argument \"") + m_argv[m_next] + "\"");
        }
    }

private:
    [[noreturn]] void refuse(std::string const& why) {
        std::fprintf(stderr, "%s: %s\n%s", m_argv[0], why.c_str(), m_usage);
        std::exit(2);
    }

    int m_argc;
    char** m_argv;
    char const* m_usage;
    int m_next = 1;
};
