# Shared by run.sh and test.sh: install what is missing, then build.

# Debian packages the build, the content tools, the program and its tests need.
VERDANTH_PACKAGES=(
  build-essential pkg-config cmake
  libsdl1.2-dev libgl-dev libglu1-mesa-dev libglew-dev libgl1-mesa-dri libx11-dev
  libpng-dev libvorbis-dev libogg-dev libkissfft-dev libfreetype-dev fonts-dejavu-core
  libgtest-dev
  xvfb xauth x11-utils xdotool ffmpeg imagemagick clang
)

# Installs the packages that dpkg does not know as installed; touches apt only when needed.
install_missing_packages() {
  local missing=()
  local p
  for p in "${VERDANTH_PACKAGES[@]}"; do
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

# Configures (once) and builds into $1; the build also generates images/ and music/ there.
build_into() {
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  fi
  cmake --build "$dir" -j"$(nproc)"
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
    cmake -S "$dir/src" -B "$dir/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || return 1
    cmake --build "$dir/build" -j"$(nproc)" --target verdanth >/dev/null || return 1
  fi
  echo "$PWD/$dir/build/verdanth"
}

# Runs a command under a virtual X server when there is no display.
with_display() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else "${XVFB_RUN[@]}" "$@"; fi
}
