#!/usr/bin/env bash
# Builds the Debian package: installs what is needed, configures a release
# build of the program in build-package/ with Debian's hardening flags, packs
# it with CPack and prints the path of the .deb. Check it with
#   bash tests/package-check.sh build-package/tarvelo_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# Stack protector, fortified functions, format checks, PIE and full RELRO, as
# Debian's own packages are built; debug information is left out (the packed
# program is stripped anyway).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags="$(dpkg-buildflags --get CPPFLAGS)"
cxxflags="$(dpkg-buildflags --get CXXFLAGS | sed -E 's/(^| )-g( |$)/ /')"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

# Packing needs only the program and the compressed manual page and changelog,
# not the tests and benchmarks that "all" would build first.
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  "-DCMAKE_CXX_FLAGS=$cppflags $cxxflags" \
  "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" >/dev/null
cmake --build build-package -j"$(nproc)" --target tarvelo tarvelo_packaging_files

rm -f build-package/tarvelo_*.deb
(cd build-package && cpack -G DEB >cpack.log 2>&1) || { cat build-package/cpack.log >&2; exit 1; }
ls "$PWD"/build-package/tarvelo_*.deb
