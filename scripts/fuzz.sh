#!/usr/bin/env bash
# scripts/fuzz.sh [--build-dir DIR] [--no-build] [seconds] [target...]
# Runs the libFuzzer targets of tests/fuzz one at a time, each for the given seconds (default 600),
# all targets when none is named. Each first replays the inputs kept in
# tests/fuzz/regressions/<target>/, then fuzzes from the committed seeds in
# tests/fuzz/corpus/<target>/ and the corpus it grew before, kept in <build>/fuzz/corpus/<target>/.
# A finding lands in <build>/fuzz/findings/<target>/ and makes the script fail; once the library is
# fixed, copy the input into the target's regressions folder so that the suite replays it.
# The build (default build-asan, clang with AddressSanitizer + UndefinedBehaviorSanitizer) is
# configured and brought up to date here when needed.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-asan"
rebuild=1
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$2"; shift 2 ;;
    --no-build) rebuild=0; shift ;;
    *) break ;;
  esac
done
seconds=600
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds="$1"
  shift
fi
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  mapfile -t targets < <(sed -n 's/^mivra_add_fuzzer(\([a-z0-9_]*\).*/\1/p' "$root/tests/fuzz/CMakeLists.txt")
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMIVRA_SANITIZE=address,undefined -DMIVRA_BUILD_FUZZERS=ON -DMIVRA_BUILD_PROGRAMS=OFF \
    -DMIVRA_BUILD_BENCHMARKS=OFF >/dev/null || exit 1
fi
# CTest passes --no-build: the suite has built everything already.
if [ "$rebuild" -eq 1 ]; then
  cmake --build "$build" --target "${targets[@]/#/fuzz-}" >/dev/null || exit 1
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp}"

status=0
for target in "${targets[@]}"; do
  binary="$build/bin/fuzz-$target"
  seeds="$root/tests/fuzz/corpus/$target"
  regressions="$root/tests/fuzz/regressions/$target"
  corpus="$build/fuzz/corpus/$target"
  findings="$build/fuzz/findings/$target"
  log="$build/fuzz/$target.log"
  mkdir -p "$corpus" "$findings"
  if [ ! -x "$binary" ]; then
    echo "fuzz $target: no binary at $binary" >&2
    status=1
    continue
  fi

  if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    if ! "$binary" "$regressions"/* >"$log" 2>&1; then
      echo "fuzz $target: a kept regression input fails again:" >&2
      tail -n 40 "$log" >&2
      status=1
      continue
    fi
    echo "fuzz $target: $(ls "$regressions" | wc -l) regression inputs pass"
  fi

  before="$(ls "$findings" | wc -l)"
  "$binary" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "$seeds" >"$log" 2>&1
  result=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  found=$(( $(ls "$findings" | wc -l) - before ))
  echo "fuzz $target: ${runs:-?} executions in ${seconds} s, corpus $(ls "$corpus" | wc -l) inputs, $found new findings"
  if [ "$result" -ne 0 ] || [ "$found" -gt 0 ]; then
    echo "fuzz $target: FAILED (exit $result); inputs in $findings, log in $log:" >&2
    grep -E 'ERROR|SUMMARY|runtime error|==[0-9]+==' "$log" | head -n 20 >&2
    ls -t "$findings" | head -n 5 | sed "s|^|  $findings/|" >&2
    status=1
  fi
done
exit "$status"
