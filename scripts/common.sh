# Shared by ./run and ./test: package installation and the build.
set -euo pipefail

MIVRA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian packages needed to build and run the library and the programs.
BUILD_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libsdl2-dev libepoxy-dev libfreetype-dev libstb-dev libsndfile1-dev libx11-dev libxi-dev
  libgl1-mesa-dri
  libsamplerate0-dev  # sample-rate conversion of sounds and streams whose rate differs from the output's: a well-kept sinc resampler
  libwayland-dev  # wayland-client: raw mouse motion on Wayland, on the connection SDL holds
  wayland-protocols libwayland-bin  # the relative-pointer protocol's description and wayland-scanner, which generates its client code
  libpng-dev libjpeg62-turbo-dev  # image decoding: fuzzed upstream, unlike the stb decoders for these formats
  fonts-liberation2  # Liberation Sans, installed as the programs' tuffy.ttf / Tuffy.ttf: narrow enough for their fixed layouts
  fonts-dejavu-core  # DejaVu Sans, the library's own font tests
)
# Extra packages for the test suite.
TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-apps imagemagick python3-pil
  sway wayvnc grim  # the window tests' Wayland runs: a headless compositor, a virtual pointer and keyboard driven over RFB, screenshots
  libxkbcommon0  # X keysym names for those runs' key events, looked up through ctypes
  python3-pyftpdlib iproute2 procps
  vsftpd  # ftp_client's session also runs against the FTP server most Linux hosts run (in the test's own network namespace, so a system daemon on port 21 cannot meet it)
  libsdl2-mixer-dev  # the audio mix benchmark (benchmark.audio.mix) measures the mixer's CPU cost against SDL_mixer's
  sox libsox-fmt-mp3  # the audio load benchmark compares SoundBuffer with sox decoding the same files
  pulseaudio pulseaudio-utils  # the sound server the audio programs are tested on (null sinks, pactl, paplay, parec)
  clang-14 libclang-rt-14-dev  # the sanitizer build and its libFuzzer targets
  doxygen  # the API reference (the docs target) and the test that it builds without a warning
  clang-format-14  # scripts/check-format.sh, the first check of ./test
)

# The demo programs' names, from programs.txt (the list CMake builds from too).
mapfile -t MIVRA_PROGRAM_NAMES < <(grep -E '^[a-z_]+$' "$MIVRA_ROOT/programs.txt")

# is_program <name>: whether the name is one of the programs. Only a listed name is started, so
# that a path such as ../tools/x never runs a build's other files.
is_program() {
  local name
  for name in "${MIVRA_PROGRAM_NAMES[@]}"; do
    if [ "$name" = "$1" ]; then return 0; fi
  done
  return 1
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

# configure_and_build <build dir> [cmake options...]
# Chained with &&, not left to set -e: ./test calls it in an `if`, where set -e is off, and a
# failed configure must not go on to a build and then to tests of a tree that is not there.
configure_and_build() {
  local dir="$1"
  shift
  cmake -S "$MIVRA_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" && cmake --build "$dir"
}

# The libraries are shared: ldconfig lets the loader find them in /usr/local/lib for programs built
# against them with pkg-config (the installed demo programs find them through their run path).
install_build() {
  as_root cmake --install "$1" >/dev/null
  as_root ldconfig
}
