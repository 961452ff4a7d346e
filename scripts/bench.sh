#!/usr/bin/env bash
# Runs every benchmark that prints figures, several times in turn (run 1 of each,
# then run 2 of each, ...: a slow spell of the machine hits them alike), and ends
# with one table: figure, anchor, ratio (the median of the runs), goal.
#
# Each benchmark prints one line per figure, "ratio <figure>: <number>", or for
# growth "exponent <operation>: <number>". Anchors and goals come from
# bench/goals.tsv (tab-separated: figure, anchor, goal such as ">= 3" or
# "<= 1.5"; "-" for none), one row per figure.
#
# Usage: scripts/bench.sh [runs]     (runs: at least 3, default 3; --help prints this)
# Exit status 0 only when every benchmark ran and every goal was met.
# BENCH_NO_BUILD=1 skips building the release preset first; BENCH_ONLY=<regex>
# runs only the benchmarks whose command line matches it (the goals of the
# others then show "(no figure)" and are not counted as missed). The machine's load (uptime) is printed
# before and after the runs: figures of thread scaling mean something only on
# idle processors (see mem_alloc_bench --help).
set -euo pipefail
cd "$(dirname "$0")/.."
usage() {
    echo "Usage: scripts/bench.sh [runs]    (runs: at least 3, default 3)"
    echo "Runs every benchmark that prints figures and ends with one table of figure, anchor,"
    echo "ratio and goal. Exit status 0 only when every benchmark ran and every goal was met."
    echo "BENCH_NO_BUILD=1 skips the build; BENCH_ONLY=<regex> runs only the matching ones."
}
case "${1:-}" in
-h | --help) usage; exit 0 ;;
"" | [0-9]*) ;;
*) echo "bench.sh: unknown argument $1" >&2; usage >&2; exit 2 ;;
esac

# The benchmarks that print figures: one command line each, run in
# build/release/bin. (The Google Benchmark programs print tables of times
# without anchors; run them by hand.)
# mem_alloc_bench runs the roads its figures set side by side: the own heap,
# glibc doing the same checks, and jemalloc and mimalloc for thread scaling.
BENCHMARKS=(
    "mem_alloc_bench --runs 1 --roads own,glibc-checked,jemalloc,mimalloc 2000000"
    "bench_acf_growth"
    "bench_acf_manager_reader"
    "bench_acf_commit"
    "bench_regentool_startup"
    "bench_ipman_upgrade"
    "bench_mdb_growth"
    "bench_ipman_hierarchy"
    "bench_archive"
)
if [[ -n "${BENCH_ONLY:-}" ]]; then
    selected=()
    for command in "${BENCHMARKS[@]}"; do
        if [[ "$command" =~ $BENCH_ONLY ]]; then
            selected+=("$command")
        fi
    done
    if ((${#selected[@]} == 0)); then
        echo "bench.sh: no benchmark matches BENCH_ONLY=$BENCH_ONLY" >&2
        exit 2
    fi
    BENCHMARKS=("${selected[@]}")
fi

runs=${1:-3}
if [[ ! "$runs" =~ ^[0-9]+$ ]] || ((runs < 3)); then
    echo "bench.sh: at least 3 runs (the ratio is their median)" >&2
    exit 2
fi
if [[ "${BENCH_NO_BUILD:-}" != 1 ]]; then
    scripts/build.sh release >/dev/null
fi
bin=build/release/bin
goals=bench/goals.tsv
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
echo "load before: $(uptime)"
for ((run = 1; run <= runs; run++)); do
    for i in "${!BENCHMARKS[@]}"; do
        command=${BENCHMARKS[$i]}
        echo "== run $run of $runs: $command" >&2
        output=$work/$i.$run
        read -ra words <<<"$command"
        if ! (cd "$bin" && "./${words[0]}" "${words[@]:1}") >"$output" 2>&1; then
            echo "FAILED (run $run): $command" >&2
            tail -n 20 "$output" >&2
            failed=1
        fi
        sed -nE 's/^(ratio|exponent) ([^:]+): *([-+0-9.eE]+) *$/\2\t\3/p' "$output" \
            >"$output.figures"
        if [[ ! -s "$output.figures" ]]; then
            echo "no figures printed (run $run): $command" >&2
        fi
        cat "$output.figures" >>"$work/figures"
    done
done
touch "$work/figures"
echo "load after:  $(uptime)"

# figure -> median of its values; then the table in the order of goals.tsv,
# followed by figures that have no row there.
awk -F '\t' -v runs="$runs" -v partial="$([[ -n "${BENCH_ONLY:-}" ]] && echo 1 || echo 0)" '
    function median(list,    n, v, i, j, t) {
        n = split(list, v, " ")
        for (i = 2; i <= n; i++) {
            t = v[i] + 0
            for (j = i - 1; j >= 1 && v[j] + 0 > t; j--) v[j + 1] = v[j]
            v[j + 1] = t
        }
        return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    function met(value, goal,    g, op, limit) {
        if (split(goal, g, " ") != 2) return 1
        op = g[1]; limit = g[2] + 0
        if (op == ">=") return value >= limit
        if (op == "<=") return value <= limit
        if (op == ">") return value > limit
        if (op == "<") return value < limit
        return 1
    }
    function row(figure, anchor, goal,    value, text, n, unused) {
        if (figure in values) {
            value = median(values[figure])
            text = sprintf("%.4g", value)
            n = split(values[figure], unused, " ")
            if (n < runs) text = text " (" n " runs)"
            if (!met(value, goal)) missed = missed "\n  " figure ": " text ", goal " goal
        } else {
            text = "(no figure)"
            if (goal != "-" && !partial) missed = missed "\n  " figure ": no figure, goal " goal
        }
        printf "%-44s | %-62s | %-14s | %s\n", figure, anchor, text, goal
    }
    FILENAME == ARGV[1] { values[$1] = values[$1] " " $2; next }
    FNR == 1 && $1 == "figure" { next }
    NF >= 3 { anchors[$1] = $2; goal_of[$1] = $3; order[++rows] = $1 }
    END {
        printf "%-44s | %-62s | %-14s | %s\n", "figure", "anchor", "ratio", "goal"
        for (i = 1; i <= rows; i++) row(order[i], anchors[order[i]], goal_of[order[i]])
        for (f in values) if (!(f in anchors)) row(f, "-", "-")
        if (missed != "") printf "goals not met:%s\n", missed
        exit (missed != "")
    }
' "$work/figures" "$goals" || failed=1
exit "$failed"
