// How long `regentool --help` takes as a whole process, from start to exit, set
// against tclsh 8.6 running an empty script in the same run: the two are started
// in turn, round after round, and the median of each is compared. Prints the
// figures and `ratio regentool-help-startup: <regentool / tclsh>`.
//   bench_regentool_startup [rounds]   (default 101)
#include "bench/bench_args.h"
#include "suite/general/gen.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Seconds from starting `arguments` (found on PATH) to its exit, its output
// discarded; negative when it could not start or did not exit with 0.
double time_process(std::vector<std::string> const& arguments) {
    std::vector<char*> argv;
    for (std::string const& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    BENCH_ARGS args(argc, argv,
                    "usage: bench_regentool_startup [rounds]\n"
                    "Times `regentool --help` as a whole process against " TCLSH_PATH "\n"
                    "on an empty script, started in turn for `rounds` rounds (default 101),\n"
                    "and prints the medians and \"ratio regentool-help-startup\".\n");
    int const rounds = static_cast<int>(args.next_count("rounds", 101));
    args.done();
    char empty_script[] = "/tmp/bench_regentool_startup.XXXXXX";
    int fd = mkstemp(empty_script);
    if (fd < 0) {
        std::perror("bench_regentool_startup: empty script");
        return 1;
    }
    close(fd);
    std::vector<std::string> const regentool = {gen_get_module_path() + "regentool", "--help"};
    std::vector<std::string> const tclsh = {TCLSH_PATH, empty_script};

    std::vector<double> regentool_seconds;
    std::vector<double> tclsh_seconds;
    bool failed = false;
    for (int round = 0; round < rounds && !failed; ++round) {
        double r = time_process(regentool);
        double t = time_process(tclsh);
        failed = r < 0 || t < 0;
        regentool_seconds.push_back(r);
        tclsh_seconds.push_back(t);
    }
    unlink(empty_script);
    if (failed) {
        std::fprintf(stderr, "bench_regentool_startup: regentool --help or " TCLSH_PATH " failed\n");
        return 1;
    }
    double const regentool_median = median(regentool_seconds);
    double const tclsh_median = median(tclsh_seconds);
    std::printf("regentool --help:        %7.2f ms (median of %d)\n", regentool_median * 1e3,
                rounds);
    std::printf("tclsh8.6, empty script:  %7.2f ms\n", tclsh_median * 1e3);
    std::printf("ratio regentool-help-startup: %.2f\n", regentool_median / tclsh_median);
    return 0;
}
