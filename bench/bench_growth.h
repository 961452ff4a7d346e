// What the growth benchmarks share: a temporary folder, one operation timed
// over growing sizes and the exponent of its growth, the least-squares slope
// of log time against log size (1 is linear, 2 quadratic).
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

using BENCH_CLOCK = std::chrono::steady_clock;

inline double bench_seconds_since(BENCH_CLOCK::time_point start) {
    return std::chrono::duration<double>(BENCH_CLOCK::now() - start).count();
}

// A fresh folder under the temporary directory, its path ending in "/"
// (empty when it could not be made); removed by the destructor.
class BENCH_TEMP_DIR {
public:
    explicit BENCH_TEMP_DIR(char const* prefix) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "_XXXXXX")).string();
        char const* made = mkdtemp(&pattern[0]);
        m_path = made != nullptr ? std::string(made) + "/" : std::string();
    }
    ~BENCH_TEMP_DIR() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    BENCH_TEMP_DIR(BENCH_TEMP_DIR const&) = delete;
    BENCH_TEMP_DIR& operator=(BENCH_TEMP_DIR const&) = delete;
    std::string const& path() const { return m_path; }

private:
    std::string m_path;
};

// One operation over growing sizes; `run` returns the seconds of one size
// (negative when the operation failed).
struct BENCH_SERIES {
    char const* name;
    std::vector<int> sizes;
    std::function<double(int)> run;
};

// The least-squares slope of log(second) against log(first).
inline double bench_slope(std::vector<std::pair<double, double>> const& points) {
    double n = static_cast<double>(points.size());
    double sx = 0;
    double sy = 0;
    double sxx = 0;
    double sxy = 0;
    for (auto const& p : points) {
        double x = std::log(p.first);
        double y = std::log(p.second);
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    double d = n * sxx - sx * sx;
    return d == 0 ? 0 : (n * sxy - sx * sy) / d;
}

// The seconds of one size: a short run, where page faults, the heap's state
// or another process weigh, is repeated (up to five runs, while they take less
// than a quarter of a second together) and the median taken. Negative when a
// run failed.
inline double bench_size_seconds(BENCH_SERIES const& series, int size) {
    std::vector<double> runs;
    double total = 0;
    while (runs.size() < 5 && total < 0.25) {
        double seconds = series.run(size);
        if (seconds < 0) {
            return seconds;
        }
        runs.push_back(seconds);
        total += seconds;
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// Runs the series size by size, printing each time and then
// `exponent <name>: <slope>`; a size that takes longer than `budget` seconds
// ends the series, so that a quadratic operation still reports its slope in
// reasonable time. A size that fails ends it too and, when `failed` is given,
// sets *failed. Returns the (size, seconds) of each size measured.
inline std::vector<std::pair<double, double>>
bench_run_series(BENCH_SERIES const& series, double budget, bool* failed = nullptr) {
    std::vector<std::pair<double, double>> points;
    for (int size : series.sizes) {
        double seconds = bench_size_seconds(series, size);
        if (seconds < 0) {
            std::printf("%s: size %d failed\n", series.name, size);
            if (failed != nullptr) {
                *failed = true;
            }
            break;
        }
        std::printf("%-20s %8d: %10.4f s (%8.3f us per item)\n", series.name, size, seconds,
                    seconds * 1e6 / size);
        std::fflush(stdout);
        points.emplace_back(size, seconds);
        if (seconds > budget) {
            std::printf("%s: stopped after %d (over the budget of %.0f s)\n", series.name, size,
                        budget);
            break;
        }
    }
    if (points.size() >= 2) {
        std::printf("exponent %s: %.2f\n", series.name, bench_slope(points));
        std::fflush(stdout);
    }
    return points;
}
