#!/usr/bin/env bash
# Installs the baseline server (tftpd-hpa) when it is missing, without letting the package start
# its own daemon on this machine, and runs the TFTP benchmark inside the network lab.
#   run_bench.sh NETLAB TFTP_BENCH HELPER_DIR CLIENTS
set -euo pipefail
netlab=$1 bench=$2 helpers=$3 clients=$4
if [[ ! -x /usr/sbin/in.tftpd ]]; then
    if [[ $(id -u) -ne 0 ]]; then
        echo "tftp bench: SKIPPED: tftpd-hpa is missing and only root can install it" >&2
        exit 77
    fi
    guard=""
    if [[ ! -e /usr/sbin/policy-rc.d ]]; then
        guard=/usr/sbin/policy-rc.d
        printf '#!/bin/sh\nexit 101\n' >"$guard"
        chmod 755 "$guard"
    fi
    export DEBIAN_FRONTEND=noninteractive
    if ! apt-get install -y -qq --no-install-recommends tftpd-hpa >/dev/null 2>&1; then
        apt-get update -qq && apt-get install -y -qq --no-install-recommends tftpd-hpa >/dev/null || true
    fi
    [[ -n "$guard" ]] && rm -f "$guard"
    if [[ ! -x /usr/sbin/in.tftpd ]]; then
        echo "tftp bench: SKIPPED: tftpd-hpa could not be installed" >&2
        exit 77
    fi
fi
exec "$netlab" run --lab tftpb --subnets 1 -- "$bench" --helpers "$helpers" --clients "$clients" --in-tftpd /usr/sbin/in.tftpd
