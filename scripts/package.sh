#!/usr/bin/env bash
# Makes the Debian package verdanth_<version>_amd64.deb in the repository's root folder and
# checks it with lintian (status 1 on any error it reports). The package is built in its own
# folder, build-package/: installed under /usr (the program's compiled-in data folder is then
# /usr/share/verdanth), with Debian's hardening flags and without the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

install_missing_packages "${VERDANTH_PACKAGES[@]}" "${VERDANTH_PACKAGE_TOOLS[@]}"

dir=build-package
if [ ! -f "$dir/CMakeCache.txt" ]; then
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  flags="$(dpkg-buildflags --get CPPFLAGS)"
  echo "Configuring $dir (prefix /usr, without the tests)"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERDANTH_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $flags" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
fi
echo "Building in $dir"
cmake --build "$dir" -j"$(nproc)"
(cd "$dir" && cpack -B "$PWD/deb" >/dev/null)
deb=$(cd "$dir/deb" && ls verdanth_*.deb)
mv "$dir/deb/$deb" .
echo "Made $PWD/$deb"

echo "lintian:"
lintian --info "$deb" | tee "$dir/lintian.txt" || true
if grep -q '^E:' "$dir/lintian.txt"; then
  echo "lintian reports errors" >&2
  exit 1
fi
echo "lintian: no errors (the warnings left are explained in docs/packaging.md)"
