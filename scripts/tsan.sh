#!/usr/bin/env bash
# Builds the threaded parts with ThreadSanitizer and runs their tests: the audio module (mixer,
# streaming and capture threads), the island's terrain worker pool, the network module (sockets and
# the FTP client, whose tests run servers on threads of their own) and voice_chat (its recorder on
# the capture thread, its stream read by the streaming thread while the main thread receives).
# Exits non-zero on a failure or a report.
#
# scripts/tsan.sh [--build-dir DIR] [--build-only | --no-build]   (default: build-tsan/ in the
# repository; ./test builds ahead with --build-only and runs the tests later with --no-build)
source "$(dirname "$0")/common.sh"
exec </dev/null

dir="$MIVRA_ROOT/build-tsan"
build=1
run=1
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) dir="$2"; shift 2 ;;
    --build-only) run=0; shift ;;
    --no-build) build=0; shift ;;
    *) echo "scripts/tsan.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ "$build" -eq 1 ]; then
  # -g1: line tables, all a report needs for its frames, and faster to build than full debug information.
  cmake -S "$MIVRA_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DMIVRA_SANITIZE=thread -DMIVRA_UNITY_BUILD=ON \
    -DMIVRA_WARNINGS_AS_ERRORS=ON -DMIVRA_BUILD_BENCHMARKS=OFF -DMIVRA_RESOURCE_DIR="$dir/resources" >/dev/null
  cmake --build "$dir" --target mivra-audio-tests mivra-audio-device-loss-tests mivra-resources island-terrain-tests \
    mivra-network-tests mivra-ftp-tests voice_chat-tests voice_chat-recorder-tests
fi
if [ "$run" -eq 0 ]; then
  exit 0
fi

# setarch -R: ThreadSanitizer cannot map its shadow memory under the kernel's widest address
# randomisation. The personality is inherited by every test process ctest starts.
cd "$dir"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
tsan_ctest() {
  setarch "$(uname -m)" -R ctest --output-on-failure --timeout 300 "$@"
}
# The two sets run side by side, two and four tests at a time: most of these tests wait on
# real-time audio or on stalled peers' deadlines. Each set's output is shown whole once both are done.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
tsan_ctest -j2 -L unit -R '^(Sound|Music|AudioDeviceLoss|TerrainWorkers)' >"$logs/threads.log" 2>&1 &
threads=$!
# The network and voice_chat unit tests, but not the one that needs a binary of its own built
# (the FTP client between two addresses of a private network namespace).
tsan_ctest -j4 -L '^(network|voice_chat)$' -LE '^(e2e|benchmark)$' -E '^network\.ftp_passive_address$' \
  >"$logs/network.log" 2>&1 &
network=$!
status=0
wait "$threads" || status=1
cat "$logs/threads.log"
wait "$network" || status=1
cat "$logs/network.log"
exit $status
