#!/usr/bin/env bash
# Builds the Debian package build/package/packages/cpe-manager_<version>_<arch>.deb: a release
# build (preset "package", Debian's hardening flags) of only what is installed, then CPack.
# Installs what it needs first (tools/setup.sh package). Prints the package's path last.
#   sudo tools/package.sh
set -Eeuo pipefail
trap 'echo "package: stopped: \"$BASH_COMMAND\" failed with status $? (line $LINENO)" >&2' ERR
cd "$(dirname "$0")/.."
readonly BUILD=build/package

tools/setup.sh package
# Debian's build flags with every hardening option; no debugging information (it is stripped).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1" | sed -E 's/(^| )-g( |$)/ /'; }
cmake --preset package >/dev/null \
    -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" \
    -DCMAKE_SHARED_LINKER_FLAGS="$(flags LDFLAGS)"
cmake --build --preset package
rm -rf "$BUILD/packages"
(cd "$BUILD" && cpack -G DEB >/dev/null)
shopt -s nullglob
debs=("$BUILD"/packages/cpe-manager_*.deb)
((${#debs[@]} == 1)) || { echo "package: cpack made ${#debs[@]} packages in $BUILD/packages" >&2; exit 1; }
realpath "${debs[0]}"
