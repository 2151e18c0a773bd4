#!/bin/bash
# Runs the end-to-end stage (ctest -L e2e, no retry) several times in a row under two kinds of
# load, to find the tests that pass only when the machine has time to spare:
#   pinned: every test and program on core 0, beside a busy loop on the same core;
#   spread: on cores 0 and 1, nothing else started.
# Stops at the first failed run and prints each run's result, then passes/runs per mode.
#
# usage: scripts/e2e-stress.sh [-n RUNS] [-m pinned|spread|both] [-j JOBS] BUILD_DIR [CTEST_ARGS...]
#   e.g. scripts/e2e-stress.sh -n 3 build -R sound_server
# Logs: BUILD_DIR/e2e-stress/<mode>-<run>.log
set -u

runs=3
modes="pinned spread"
jobs=2
while getopts "n:m:j:" option; do
    case $option in
        n) runs=$OPTARG ;;
        m) [ "$OPTARG" = both ] && modes="pinned spread" || modes=$OPTARG ;;
        j) jobs=$OPTARG ;;
        *) sed -n '9,10p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [ $# -lt 1 ] || [ ! -f "$1/CTestTestfile.cmake" ]; then
    echo "usage: $0 [-n RUNS] [-m pinned|spread|both] [-j JOBS] BUILD_DIR [CTEST_ARGS...]" >&2
    echo "(BUILD_DIR must be a configured and built tree)" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
shift
logs=$build/e2e-stress
mkdir -p "$logs"

busy=
stop_busy() {
    if [ -n "$busy" ]; then
        kill "$busy" 2>/dev/null
        wait "$busy" 2>/dev/null
        busy=
    fi
}
trap stop_busy EXIT
trap 'stop_busy; exit 130' INT TERM

summary=()
status=0
for mode in $modes; do
    case $mode in
        pinned) cores=0 ;;
        spread) cores=0,1 ;;
        *) echo "unknown mode $mode (pinned, spread or both)" >&2; exit 2 ;;
    esac
    passed=0
    done_runs=0
    for run in $(seq 1 "$runs"); do
        if [ "$mode" = pinned ]; then
            taskset -c 0 sh -c 'while :; do :; done' &
            busy=$!
        fi
        log=$logs/$mode-$run.log
        started=$(date +%s)
        (cd "$build" && taskset -c "$cores" ctest --output-on-failure --timeout 600 -j"$jobs" -L e2e "$@") >"$log" 2>&1
        result=$?
        stop_busy
        seconds=$(($(date +%s) - started))
        done_runs=$run
        counts=$(grep -E '^[0-9]+% tests passed' "$log" | tail -1)
        if [ $result -eq 0 ] && [ -n "$counts" ] && ! grep -q 'No tests were found' "$log"; then
            passed=$((passed + 1))
            echo "$mode run $run/$runs: passed in ${seconds} s ($counts)"
        else
            echo "$mode run $run/$runs: FAILED in ${seconds} s (${counts:-no test ran}); log: $log"
            grep -E '^\s+[0-9]+ - ' "$log" | sed 's/^/    /'
            grep -E '^FAIL:|waited [0-9.]+ s for' "$log" | sort -u | head -20 | sed 's/^/    /'
            status=1
            break
        fi
    done
    summary+=("$mode: $passed/$done_runs runs passed")
    [ $status -ne 0 ] && break
done
printf '%s\n' "${summary[@]}"
exit $status
