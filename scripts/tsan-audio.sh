#!/usr/bin/env bash
# Builds the audio module and its unit tests with ThreadSanitizer in build-tsan-audio and runs them:
# the mixer, the streaming threads and the capture threads all meet there.
source "$(dirname "$0")/common.sh"
exec </dev/null

build="$MIVRA_ROOT/build-tsan-audio"
cmake -S "$MIVRA_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVRA_SANITIZE=thread \
  -DMIVRA_BUILD_PROGRAMS=OFF -DMIVRA_BUILD_BENCHMARKS=OFF -DMIVRA_RESOURCE_DIR="$build/resources" >/dev/null
cmake --build "$build" --target mivra-audio-tests mivra-resources
cd "$build"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure --timeout 300 -j2 -L unit -R '^(Sound|Music)'
