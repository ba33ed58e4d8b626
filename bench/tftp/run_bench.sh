#!/usr/bin/env bash
# Runs the TFTP benchmark inside the network lab against the baseline server, tftpd-hpa, which
# tools/setup.sh installs (without its daemon); skipped when it is missing.
#   run_bench.sh NETLAB TFTP_BENCH HELPER_DIR CLIENTS
set -euo pipefail
netlab=$1 bench=$2 helpers=$3 clients=$4
if [[ ! -x /usr/sbin/in.tftpd ]]; then
    echo "tftp bench: SKIPPED: tftpd-hpa is missing (tools/setup.sh installs it)" >&2
    exit 77
fi
exec "$netlab" run --lab tftpb --subnets 1 -- "$bench" --helpers "$helpers" --clients "$clients" --in-tftpd /usr/sbin/in.tftpd
