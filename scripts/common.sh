# Shared by run.sh and test.sh: install what is missing, then build.

# Debian packages that building and playing need (Xvfb, xauth and ffmpeg for the video ./run.sh
# renders where there is no display).
VERDANTH_PACKAGES=(
  build-essential pkg-config cmake
  libsdl1.2-dev libgl-dev libglu1-mesa-dev libglew-dev libgl1-mesa-dri libx11-dev
  libpng-dev libvorbis-dev libogg-dev libkissfft-dev libfreetype-dev fonts-dejavu-core
  xvfb xauth ffmpeg
)
# What making and checking the Debian package needs besides (CPack reads the program's type
# with file).
VERDANTH_PACKAGE_TOOLS=(file lintian desktop-file-utils)
# What the tests need besides: GoogleTest, the X tools that drive and photograph the window,
# clang for fuzzing, and the package tools for the package test.
VERDANTH_TEST_PACKAGES=(
  libgtest-dev x11-utils xdotool imagemagick clang "${VERDANTH_PACKAGE_TOOLS[@]}"
)

# Installs those of the given packages that dpkg does not know as installed; touches apt only
# when needed.
install_missing_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "error: run as root (or install sudo) to install: ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures (once) and builds into $1, with the tests when $2 is ON; further arguments go to
# the build (targets). The build also generates images/, music/ and icons/ there. A folder made
# without the tests gets them when they are asked for; one with them keeps them.
build_into() {
  local dir=$1 tests=$2; shift 2
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERDANTH_TESTS="$tests" >/dev/null
  elif [ "$tests" = ON ] && grep -q '^VERDANTH_TESTS:BOOL=OFF' "$dir/CMakeCache.txt"; then
    cmake "$dir" -DVERDANTH_TESTS=ON >/dev/null
  fi
  cmake --build "$dir" -j"$(nproc)" "$@"
}

XVFB_RUN=(xvfb-run -a -s "-screen 0 1280x1024x24 -noreset")

# Builds the program of a git revision into build-rev/SHA/ (sources from git archive, so the
# working tree is untouched) and prints the program's path. Built once per revision.
build_revision() {
  local rev=$1 sha dir
  sha=$(git rev-parse --verify "$rev^{commit}") || return 1
  dir=build-rev/$sha
  if [ ! -x "$dir/build/verdanth" ]; then
    rm -rf "$dir" && mkdir -p "$dir/src" || return 1
    git archive "$sha" | tar -x -C "$dir/src" || return 1
    cmake -S "$dir/src" -B "$dir/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERDANTH_TESTS=OFF >/dev/null || return 1
    cmake --build "$dir/build" -j"$(nproc)" --target verdanth >/dev/null || return 1
  fi
  echo "$PWD/$dir/build/verdanth"
}

# Runs a command under a virtual X server when there is no display.
with_display() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else "${XVFB_RUN[@]}" "$@"; fi
}
