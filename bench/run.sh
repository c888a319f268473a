#!/usr/bin/env bash
# Builds the benchmark programs of the default preset, runs each of them several times and prints
# one Markdown table of every figure of the quality bars: the median of the runs, the nominal
# fixed waits it is compared with and the ratio, the goal and whether it is met; then the peak
# memory of the running tool, the parameter file's kill test, and the latest fuzzing and
# ThreadSanitizer results found in the build folders.
#
# Usage: bench/run.sh [--quick] [--runs N] [--soak-scale X]
#   --quick   shorter measurements (a minute or two in all) instead of the full run (a few minutes)
#   --runs N  runs of every program (default 5, quick 3); each figure is the median of the runs
#   --soak-scale X  the soak's counts times X (default 1, quick 0.1); bench_soak runs once
# Environment: JOBS (parallel build jobs, default 2); TARVELLO_BENCH_BUILD=DIR builds and runs in
# DIR (configured RelWithDebInfo) instead of the default preset's build/default; FUZZ_DIR and
# TSAN_DIR name the build folders whose latest fuzz logs and ThreadSanitizer run are reported
# (default build/fuzz and build/tsan).
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
runs=""
soak_scale=""
while (($#)); do
    case "$1" in
    --quick) quick=1 ;;
    --runs)
        runs=${2:-}
        shift
        ;;
    --soak-scale)
        soak_scale=${2:-}
        shift
        ;;
    -h | --help)
        sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    *)
        echo "bench/run.sh: unknown argument '$1' (try --help)" >&2
        exit 2
        ;;
    esac
    shift
done
if ((quick)); then
    runs=${runs:-3}
    soak_scale=${soak_scale:-0.1}
    device_seconds=4 ops_passes=4 ui_seconds=3 memory_seconds=3 trace_seconds=3
else
    runs=${runs:-5}
    soak_scale=${soak_scale:-1}
    device_seconds=20 ops_passes=15 ui_seconds=10 memory_seconds=10 trace_seconds=10
fi
if ! [[ "$runs" =~ ^[1-9][0-9]*$ ]]; then
    echo "bench/run.sh: --runs takes a positive number" >&2
    exit 2
fi

# --- Build ------------------------------------------------------------------------------------
build=${TARVELLO_BENCH_BUILD:-build/default}
if [ -n "${TARVELLO_BENCH_BUILD:-}" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    build_cmd=(cmake --build "$build")
else
    cmake --preset default >/dev/null
    build_cmd=(cmake --build --preset default)
fi
build=$(cd "$build" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvello-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

programs=()
for source in bench/bench_*.cpp; do
    programs+=("$(basename "$source" .cpp)")
done
# The soak runs once, after the others (bench_soak --help; about seven minutes at scale 1).
# Each target on its own, so that one that does not build (the window's, while the UI is not
# there) leaves the others measured.
for target in "${programs[@]}" tarvello store_crash_test; do
    if ! "${build_cmd[@]}" -j"${JOBS:-2}" --target "$target" >"$work/build-$target.log" 2>&1; then
        echo "bench/run.sh: $target did not build (see below); its figures are n/a" >&2
        grep -m5 -E 'error|Error' "$work/build-$target.log" >&2 || true
    fi
done

# --- Measure ----------------------------------------------------------------------------------
arguments_of() {
    case "$1" in
    bench_device) echo "$device_seconds" ;;
    bench_ops) echo "$ops_passes" ;;
    bench_trace) echo "$trace_seconds $ops_passes" ;;
    bench_ui_*) echo "$ui_seconds" ;;
    bench_records) ((quick)) && echo 200000 || echo "" ;; # records in the file paged
    *) echo "" ;;
    esac
}

lines="$work/lines"
: >"$lines"
for ((run = 1; run <= runs; ++run)); do
    for program in "${programs[@]}"; do
        exe="$build/bench/$program"
        [ -x "$exe" ] && [ "$program" != bench_soak ] || continue
        echo "run $run/$runs: $program" >&2
        # shellcheck disable=SC2046
        if ! QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$exe" $(arguments_of "$program") \
            >"$work/out" 2>"$work/err"; then
            echo "bench/run.sh: $program failed in run $run:" >&2
            cat "$work/err" >&2
        fi
        grep ' | ' "$work/out" | sed "s/^/$run	/" >>"$lines" || true
    done
done

# The soak, once: thousands of operations with faults mixed in, seeded.
if [ -x "$build/bench/bench_soak" ]; then
    echo "soak at scale $soak_scale" >&2
    if ! "$build/bench/bench_soak" --scale "$soak_scale" >"$work/out" 2>"$work/err"; then
        echo "bench/run.sh: bench_soak missed a goal:" >&2
        grep -v '^bench_soak: [0-9]* cycles' "$work/err" >&2 || true
    fi
    grep ' | ' "$work/out" | sed "s/^/1	/" >>"$lines" || true
fi

# Peak memory of the running tool: its high-water mark of resident memory after it has run for
# a while on its built-in virtual printer.
memory=()
if [ -x "$build/tarvello" ]; then
    for ((run = 1; run <= runs; ++run)); do
        (cd "$work" && QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} exec "$build/tarvello" \
            --simulate >/dev/null 2>&1) &
        pid=$!
        sleep "$memory_seconds"
        hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        [ -n "$hwm" ] && memory+=("$hwm")
    done
fi
if ((${#memory[@]})); then
    kib=$(printf '%s\n' "${memory[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
    printf '1\tpeak memory of the tool (VmHWM, tarvello --simulate, idle %s s) | %.1f MiB | - | - | -\n' \
        "$memory_seconds" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" >>"$lines"
else
    printf '1\tpeak memory of the tool (VmHWM, tarvello --simulate) | n/a | - | - | -\n' >>"$lines"
fi

# The parameter file killed at random moments of its saves.
crash="$build/tests/store_crash_test"
if [ -x "$crash" ]; then
    if (cd "$work" && "$crash" --gtest_filter='*Killed*' >"$work/crash" 2>&1); then
        verdict="never a broken file"
    else
        verdict="BROKEN FILE FOUND"
    fi
    kills=$(sed -n 's/.*\] \([0-9]*\) kills.*/\1/p' "$work/crash" | head -1)
    printf '1\tparameter file: SIGKILL at random moments of saves | %s kills, %s | - | - | old or new file, never a broken one\n' \
        "${kills:-?}" "$verdict" >>"$lines"
else
    printf '1\tparameter file: SIGKILL at random moments of saves | n/a | - | - | old or new file, never a broken one\n' >>"$lines"
fi

# The latest bounded fuzzing (scripts/fuzz.sh) and ThreadSanitizer run (ctest --preset tsan).
fuzzed=""
for log in "${FUZZ_DIR:-build/fuzz}"/*.log; do
    [ -f "$log" ] || continue
    name=$(basename "$log" .log)
    done_line=$(grep -E '^Done [0-9]+ runs' "$log" | tail -1 || true)
    if grep -qE 'ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|SUMMARY: ' "$log"; then
        fuzzed+="${fuzzed:+; }$name FINDING"
    elif [ -n "$done_line" ]; then
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
        fuzzed+="${fuzzed:+; }$name $(echo "$done_line" | awk '{ printf "%d runs in %d s", $2, $5 }')${rate:+ ($rate/s)}"
    fi
done
printf '1\treplies and parameter files at the sizes the tool reads, 64 KiB replies once (libFuzzer, ASan+UBSan) | %s | - | - | no crash, no read outside the bytes, >= 10000 inputs/s each\n' \
    "${fuzzed:-not run here (scripts/fuzz.sh)}" >>"$lines"
tsan_log=${TSAN_DIR:-build/tsan}/Testing/Temporary/LastTest.log
if [ -f "$tsan_log" ]; then
    passed=$(grep -c 'Test Passed' "$tsan_log" || true)
    failed=$(grep -c 'Test Failed' "$tsan_log" || true)
    tsan="$passed passed, $failed failed"
else
    tsan="not run here (ctest --preset tsan)"
fi
printf '1\tthreads: threaded tests under ThreadSanitizer, the end-to-end tests of the window among them | %s | - | - | clean\n' "$tsan" >>"$lines"

# --- One table --------------------------------------------------------------------------------
# Every figure is the median of its runs; a column that is not numeric in every run shows the
# first run's text.
echo
echo "Benchmark: $runs run(s) each, medians; $(date -u '+%Y-%m-%d %H:%M UTC'), $(uname -m), $(nproc) cores"
echo
awk -F '\t' '
function trim(s) { gsub(/^[ \t]+|[ \t]+$/, "", s); return s }
function number(s) { return (match(s, /^-?[0-9]+(\.[0-9]+)?/) ? substr(s, 1, RLENGTH) : "") }
function unit(s) { return trim(substr(s, length(number(s)) + 1)) }
function median(key, col,    n, k, i, j, t, v, u, text) {
    n = 0
    for (k = 1; k <= count[key]; ++k) {
        text = cell[key, k, col]
        if (number(text) == "") return cell[key, 1, col]
        if (k == 1) u = unit(text)
        else if (unit(text) != u) return cell[key, 1, col]
        v[++n] = number(text) + 0
    }
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    t = v[int((n + 1) / 2)]
    return trim(sprintf(t == int(t) ? "%d %s" : (t < 10 ? "%.3f %s" : "%.1f %s"), t, u))
}
# Whether the figure meets its goal: the goal names a bound and its unit, compared with the
# column of the same unit.
function met(measured, ratio, goal,    g, u, s, ok) {
    if (goal ~ /\(yes/) return "yes"
    if (goal ~ /\(NO/) return "NO"
    if (measured ~ /FINDING/) return "NO"
    if (measured ~ /\/s\)/) {
        s = measured; ok = "yes"
        while (match(s, /\([0-9]+\/s\)/)) {
            if (substr(s, RSTART + 1, RLENGTH - 4) + 0 < 10000) ok = "NO"
            s = substr(s, RSTART + RLENGTH)
        }
        return ok
    }
    if (measured ~ /never a broken file|passed, 0 failed| runs in /) return "yes"
    if (measured ~ /BROKEN|FINDING|[1-9][0-9]* failed/) return "NO"
    sub(/^<= */, "", goal)
    g = number(goal); u = unit(goal)
    if (g == "") return "-"
    if (unit(ratio) == u && number(ratio) != "") return (number(ratio) + 0 <= g + 0 ? "yes" : "NO")
    if (unit(measured) == u && number(measured) != "") return (number(measured) + 0 <= g + 0 ? "yes" : "NO")
    return "-"
}
{
    run = $1
    n = split($2, f, / \| /)
    key = trim(f[1]); gsub(/ \([0-9.]+ s\)/, "", key)
    if (!(key in count)) { order[++keys] = key; count[key] = 0 }
    k = ++count[key]
    if (n >= 5) { m = f[2]; nominal = f[3]; ratio = f[4]; goal = f[5] }
    else { m = f[2]; nominal = "-"; ratio = "-"; goal = (n >= 3 ? f[3] : "-") }
    cell[key, k, 1] = trim(m); cell[key, k, 2] = trim(nominal); cell[key, k, 3] = trim(ratio)
    cell[key, k, 4] = trim(goal)
}
END {
    print "| Figure | Measured | Nominal fixed waits | Ratio / share | Goal | Met |"
    print "|---|---|---|---|---|---|"
    for (i = 1; i <= keys; ++i) {
        key = order[i]
        m = median(key, 1); nominal = median(key, 2); ratio = median(key, 3); goal = cell[key, 1, 4]
        if (goal ~ /^[0-9]/) goal = "<= " goal
        printf "| %s | %s | %s | %s | %s | %s |\n", key, m, nominal, ratio, goal, met(m, ratio, goal)
    }
}' "$lines"
