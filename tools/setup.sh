#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing) and configures a build.
# Idempotent; run as root on Debian 12.  Usage: tools/setup.sh [preset]   (default: debug)
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  cmake ninja-build g++ pkg-config clang-format
  libgtest-dev libgmock-dev
  libsqlite3-dev nettle-dev libcap-dev
  qt6-base-dev qt6-base-dev-tools
  libcpp-httplib-dev
  iproute2 xvfb xauth
  nftables busybox atftp tftp-hpa curl tftpd-hpa
  tcpdump tshark prometheus
  fonts-dejavu-core fonts-liberation fonts-wqy-microhei
)
# The fuzz preset needs clang with its sanitizer runtimes.
if [[ "${1:-debug}" == fuzz ]]; then PACKAGES+=(clang libclang-rt-14-dev); fi
# The package preset builds the Debian package (tools/package.sh) and checks it (tools/check_package.sh).
if [[ "${1:-debug}" == package ]]; then
  PACKAGES+=(dpkg-dev file lintian desktop-file-utils appstream libcap2-bin sqlite3 xdotool imagemagick)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "setup: missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Only root captures (the lab tests run as root): no setuid dumpcap for other users.
  echo "wireshark-common wireshark-common/install-setuid boolean false" | debconf-set-selections
  # tftpd-hpa is only the TFTP benchmarks' baseline and Prometheus the exporter lab test's
  # scraper, each started inside the network lab: their packages must not leave a daemon serving
  # this machine's interfaces. No service starts during this install, and none is left enabled.
  daemons=()
  for daemon in tftpd-hpa prometheus; do
    [[ " ${missing[*]} " == *" $daemon "* ]] && daemons+=("$daemon")
  done
  guard=""
  if ((${#daemons[@]})) && [[ ! -e /usr/sbin/policy-rc.d ]]; then
    guard=/usr/sbin/policy-rc.d
    printf '#!/bin/sh\nexit 101\n' >"$guard"
    chmod 755 "$guard"
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  [[ -n "$guard" ]] && rm -f "$guard"
  for daemon in "${daemons[@]}"; do
    if [[ -d /run/systemd/system ]]; then
      systemctl disable --now "$daemon" >/dev/null 2>&1 || true
    else
      update-rc.d "$daemon" disable >/dev/null 2>&1 || true
      invoke-rc.d "$daemon" stop >/dev/null 2>&1 || true
    fi
  done
fi

preset="${1:-debug}"
extra=()
[[ "${CI:-}" == true || "${CPE_WERROR:-}" == 1 ]] && extra+=(-DCPE_WERROR=ON)
cmake --preset "$preset" "${extra[@]}" >/dev/null
echo "setup: configured build/$preset"
