#!/usr/bin/env bash
# scripts/tsan-island.sh — builds the island's terrain worker pool and its tests with
# ThreadSanitizer in build-tsan/ and runs the pool tests. Exits non-zero on a failure or a report.
source "$(dirname "$0")/common.sh"
exec </dev/null

dir="$MIVRA_ROOT/build-tsan"
cmake -S "$MIVRA_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMIVRA_SANITIZE=thread -DMIVRA_BUILD_BENCHMARKS=OFF -DMIVRA_RESOURCE_DIR="$dir/resources" >/dev/null
cmake --build "$dir" --target island-terrain-tests

# setarch -R: ThreadSanitizer cannot map its shadow memory under the kernel's widest address
# randomisation.
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  setarch "$(uname -m)" -R "$dir/bin/island-terrain-tests" --gtest_filter='TerrainWorkers.*'
