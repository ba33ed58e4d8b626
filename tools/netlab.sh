#!/usr/bin/env bash
# The project's network lab: two network namespaces, one for the utility and one for the
# simulated devices, joined by one veth pair per subnet. Nothing in the lab can reach this
# machine's real interfaces: the namespaces only hold the lab's veth ends and their own loopback.
#
#   tools/netlab.sh up    [--lab NAME] [--subnets K] [--devices N]
#   tools/netlab.sh down  [--lab NAME]
#   tools/netlab.sh exec  [--lab NAME] util|dev -- CMD...
#   tools/netlab.sh sim   [--lab NAME] [--bin PATH] -- [cpe-sim options...]
#   tools/netlab.sh run   [--lab NAME] [--subnets K] [--devices N] [--sim "OPTIONS"] -- CMD...
#   tools/netlab.sh info  [--lab NAME]
#   tools/netlab.sh loss  [--lab NAME] PERCENT [--spare LOW-HIGH]
#
# Layout of subnet i (0-based, at most 8):
#   10.(77+i).0.0/16      the subnet; broadcast 10.(77+i).255.255
#   10.(77+i).0.1         the utility's address, on its interface lab<i> (one adapter per subnet)
#   10.(77+i).0.2         the device side's end of the veth
#   10.(77+i).64.0/18     device addresses: a `local` route on the device side's loopback makes
#                         every one of them local at once, so any number of devices needs no
#                         per-address set-up. The utility reaches the range through 10.(77+i).0.2,
#                         which keeps its neighbour table at one entry per subnet.
#
# `exec` and `run` give the command the lab's description in its environment:
#   CPE_LAB_NAME, CPE_LAB_UTIL_NS, CPE_LAB_DEV_NS, CPE_LAB_SUBNETS (K),
#   CPE_LAB_UTIL_ADDRS ("10.77.0.1 10.78.0.1"), CPE_LAB_DEVICE_SUBNETS ("10.77.64.1/16 ..."),
#   CPE_LAB_SCRIPT (this script).
# `loss` makes every veth of the lab drop PERCENT (0-100) of the packets it delivers, on both
# sides, each packet drawn at random (nftables: this kernel has no netem); 0 removes the loss.
# `--spare` keeps the UDP datagrams from or to the ports LOW-HIGH (e.g. the device protocol's)
# out of it.
# `up` is idempotent: an existing lab with the same shape is kept, another shape is rebuilt.
# `run` removes the lab when the command ends, fails or is interrupted. When the lab cannot be
# made at all (not root, no network namespaces), `run` exits with 77, which ctest reports as a
# skipped test.
set -euo pipefail

# CPE_LAB_TAG (1-8 lower-case letters or digits) keeps the labs of two checkouts on one machine
# apart: their namespaces become cpe-lab-<tag>-...
tag=${CPE_LAB_TAG:-}
[[ -z "$tag" || "$tag" =~ ^[a-z0-9]{1,8}$ ]] || { echo "netlab: CPE_LAB_TAG must be 1-8 lower-case letters or digits" >&2; exit 2; }
readonly PREFIX=cpe-lab${tag:+-$tag}
readonly MAX_SUBNETS=8
readonly RANGE_CAPACITY=16382   # usable addresses of one /18 device range
SCRIPT="$(readlink -f "${BASH_SOURCE[0]}")"
readonly SCRIPT
readonly STATE_DIR=/run/$PREFIX

die() { echo "netlab: $*" >&2; exit 2; }

usage() {
    awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$SCRIPT"
    exit 2
}

lab=""; subnets=2; devices=0; sim_opts=""; sim_bin="${CPE_SIM:-}"

ns_names() {
    if [[ -z "$lab" ]]; then
        UTIL_NS="$PREFIX-util"; DEV_NS="$PREFIX-dev"; STATE="$STATE_DIR/default"
    else
        [[ "$lab" =~ ^[a-z0-9]{1,12}$ ]] || die "lab name must be 1-12 lower-case letters or digits"
        UTIL_NS="$PREFIX-$lab-util"; DEV_NS="$PREFIX-$lab-dev"; STATE="$STATE_DIR/$lab"
    fi
}

subnet_octet() { echo $((77 + $1)); }

lab_env() {
    local util_addrs="" dev_subnets="" i o
    for ((i = 0; i < subnets; i++)); do
        o=$(subnet_octet "$i")
        util_addrs+="${util_addrs:+ }10.$o.0.1"
        dev_subnets+="${dev_subnets:+ }10.$o.64.1/16"
    done
    cat <<EOF
CPE_LAB_NAME=${lab:-default}
CPE_LAB_UTIL_NS=$UTIL_NS
CPE_LAB_DEV_NS=$DEV_NS
CPE_LAB_SUBNETS=$subnets
CPE_LAB_DEVICES=$devices
CPE_LAB_UTIL_ADDRS="$util_addrs"
CPE_LAB_DEVICE_SUBNETS="$dev_subnets"
CPE_LAB_SCRIPT=$SCRIPT
EOF
}

ns_exists() { ip netns list | awk '{print $1}' | grep -qx "$1"; }

lab_exists() { ns_exists "$UTIL_NS" && ns_exists "$DEV_NS" && [[ -f "$STATE" ]]; }

load_state() {
    [[ -f "$STATE" ]] || die "lab '${lab:-default}' is not up (tools/netlab.sh up${lab:+ --lab $lab})"
    subnets=$(sed -n 's/^CPE_LAB_SUBNETS=//p' "$STATE")
    devices=$(sed -n 's/^CPE_LAB_DEVICES=//p' "$STATE")
}

kill_ns_processes() {
    local ns=$1 pid
    ns_exists "$ns" || return 0
    for pid in $(ip netns pids "$ns" 2>/dev/null); do kill "$pid" 2>/dev/null || true; done
    sleep 0.2
    for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -9 "$pid" 2>/dev/null || true; done
}

cmd_down() {
    ns_names
    kill_ns_processes "$UTIL_NS"
    kill_ns_processes "$DEV_NS"
    # Deleting a namespace deletes its veth ends, and with them their peers.
    ns_exists "$UTIL_NS" && ip netns delete "$UTIL_NS"
    ns_exists "$DEV_NS" && ip netns delete "$DEV_NS"
    rm -f "$STATE"
}

cmd_up() {
    ns_names
    ((subnets >= 1 && subnets <= MAX_SUBNETS)) || die "--subnets must be 1..$MAX_SUBNETS"
    ((devices >= 0 && devices <= subnets * RANGE_CAPACITY)) ||
        die "--devices must be 0..$((subnets * RANGE_CAPACITY)) for $subnets subnet(s)"
    if lab_exists && [[ "$(cat "$STATE")" == "$(lab_env)" ]]; then
        return 0
    fi
    cmd_down
    ip netns add "$UTIL_NS"
    ip netns add "$DEV_NS"
    local u="ip -n $UTIL_NS" d="ip -n $DEV_NS" i o
    $u link set lo up
    $d link set lo up
    for ((i = 0; i < subnets; i++)); do
        o=$(subnet_octet "$i")
        ip link add "lab$i" netns "$UTIL_NS" type veth peer name "lab$i" netns "$DEV_NS"
        $u addr add "10.$o.0.1/16" brd + dev "lab$i"
        $d addr add "10.$o.0.2/16" brd + dev "lab$i"
        $u link set "lab$i" up
        $d link set "lab$i" up
        $d route add local "10.$o.64.0/18" dev lo
        $u route add "10.$o.64.0/18" via "10.$o.0.2" dev "lab$i"
    done
    mkdir -p "$STATE_DIR"
    lab_env >"$STATE"
}

cmd_exec() {
    ns_names
    load_state
    local side=${1:-}; shift || true
    [[ "${1:-}" == "--" ]] && shift
    (($#)) || die "exec needs a command"
    local ns
    case "$side" in
        util) ns=$UTIL_NS ;;
        dev) ns=$DEV_NS ;;
        *) die "exec side must be util or dev" ;;
    esac
    set -a
    eval "$(cat "$STATE")"
    set +a
    exec ip netns exec "$ns" "$@"
}

find_sim_bin() {
    [[ -n "$sim_bin" ]] && { echo "$sim_bin"; return; }
    local root candidate
    root="$(dirname "$(dirname "$SCRIPT")")"
    for candidate in "$root"/build/*/sim/cpe-sim; do
        [[ -x "$candidate" ]] && { echo "$candidate"; return; }
    done
    die "cpe-sim not found: build it or pass --bin PATH (or set CPE_SIM)"
}

sim_args() {
    local s
    for s in $(sed -n 's/^CPE_LAB_DEVICE_SUBNETS="\(.*\)"$/\1/p' "$STATE"); do
        printf -- '--subnet %s ' "$s"
    done
    ((devices > 0)) && printf -- '--devices %s ' "$devices"
    return 0
}

cmd_sim() {
    ns_names
    load_state
    [[ "${1:-}" == "--" ]] && shift
    local bin args
    bin=$(find_sim_bin)
    args=$(sim_args)
    # shellcheck disable=SC2086 # the generated options are plain words
    exec "$SCRIPT" exec ${lab:+--lab "$lab"} dev -- "$bin" $args "$@"
}

cmd_run() {
    [[ "${1:-}" == "--" ]] && shift
    (($#)) || die "run needs a command"
    ns_names
    trap 'cmd_down' EXIT
    trap 'exit 130' INT TERM
    if ! "$SCRIPT" up ${lab:+--lab "$lab"} --subnets "$subnets" --devices "$devices"; then
        echo "netlab: SKIPPED: cannot make the network lab here (network namespaces need root)" >&2
        exit 77
    fi
    if [[ -n "$sim_opts" ]]; then
        # shellcheck disable=SC2086 # options are passed as separate words on purpose
        "$SCRIPT" sim ${lab:+--lab "$lab"} -- $sim_opts &
    fi
    local rc=0
    "$SCRIPT" exec ${lab:+--lab "$lab"} util -- "$@" || rc=$?
    return "$rc"
}

cmd_loss() {
    ns_names
    load_state
    local percent=${1:-} spare="" ns
    [[ "$percent" =~ ^[0-9]+$ ]] && ((percent <= 100)) || die "loss takes a percentage 0..100"
    if [[ "${2:-}" == --spare ]]; then
        spare=${3:-}
        [[ "$spare" =~ ^[0-9]+-[0-9]+$ ]] || die "--spare takes a port range LOW-HIGH"
    fi
    command -v nft >/dev/null || die "loss needs nft (nftables; tools/setup.sh installs it)"
    for ns in "$UTIL_NS" "$DEV_NS"; do
        # Dropped at delivery rather than at sending: a send that netfilter drops fails with
        # EPERM, which a client would take for an error instead of a lost packet.
        {
            echo "table inet cpe_loss"
            echo "delete table inet cpe_loss"
            if ((percent > 0)); then
                echo "table inet cpe_loss {"
                echo "  chain input { type filter hook input priority 0; policy accept;"
                [[ -n "$spare" ]] && echo "    iifname \"lab*\" udp sport $spare accept; iifname \"lab*\" udp dport $spare accept;"
                echo "    iifname \"lab*\" numgen random mod 100 < $percent drop; }"
                echo "}"
            fi
        } | ip netns exec "$ns" nft -f -
    done
}

cmd_info() {
    ns_names
    load_state
    cat "$STATE"
}

command=${1:-}; shift || usage
if [[ $(id -u) -ne 0 ]]; then
    [[ "$command" == run ]] && { echo "netlab: SKIPPED: the lab needs root (network namespaces)" >&2; exit 77; }
    die "the lab needs root (network namespaces)"
fi
args=()
while (($#)); do
    case "$1" in
        --lab) lab=$2; shift 2 ;;
        --subnets) subnets=$2; shift 2 ;;
        --devices) devices=$2; shift 2 ;;
        --sim) sim_opts=$2; shift 2 ;;
        --bin) sim_bin=$2; shift 2 ;;
        --) args+=("$@"); break ;;
        *) args+=("$1"); shift ;;
    esac
done
[[ "$subnets" =~ ^[0-9]+$ && "$devices" =~ ^[0-9]+$ ]] || die "--subnets and --devices take numbers"

case "$command" in
    up) cmd_up ;;
    down) cmd_down ;;
    exec) cmd_exec "${args[@]}" ;;
    sim) cmd_sim "${args[@]}" ;;
    run) cmd_run "${args[@]}" ;;
    info) cmd_info ;;
    loss) cmd_loss "${args[@]}" ;;
    *) usage ;;
esac
