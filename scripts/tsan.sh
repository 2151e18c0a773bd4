#!/usr/bin/env bash
# Builds the threaded parts with ThreadSanitizer in build-tsan/ and runs their tests: the audio
# module (mixer, streaming and capture threads) and the island's terrain worker pool.
# Exits non-zero on a failure or a report.
source "$(dirname "$0")/common.sh"
exec </dev/null

dir="$MIVRA_ROOT/build-tsan"
cmake -S "$MIVRA_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVRA_SANITIZE=thread \
  -DMIVRA_BUILD_BENCHMARKS=OFF -DMIVRA_RESOURCE_DIR="$dir/resources" >/dev/null
cmake --build "$dir" --target mivra-audio-tests mivra-resources island-terrain-tests

# setarch -R: ThreadSanitizer cannot map its shadow memory under the kernel's widest address
# randomisation. The personality is inherited by every test process ctest starts.
cd "$dir"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
setarch "$(uname -m)" -R ctest --output-on-failure --timeout 300 -j2 -L unit -R '^(Sound|Music|TerrainWorkers)'
