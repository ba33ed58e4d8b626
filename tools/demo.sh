#!/usr/bin/env bash
# Runs cpe-manager against 40 simulated devices on two subnets (with bridged station/AP pairs)
# inside the project's network lab. Nothing leaves the lab; the lab is removed when you leave.
#
#   sudo --preserve-env=DISPLAY,XAUTHORITY tools/demo.sh            the utility on your display
#   sudo tools/demo.sh --headless [--shots DIR]                      under Xvfb, with screenshots
#
# With a display: the utility opens on it. Press "Search" on the status page; a discovery run
# takes 30 seconds. Leaving the utility (close button, tray "Exit", Ctrl+C here) ends the demo.
# Without a display (or with --headless): the utility runs under Xvfb, the script presses Search,
# waits for the run, opens the adapter page, writes screenshots to a folder it names, and ends.
#
# The display must be reachable through a socket file (/tmp/.X11-unix/X<n>): the lab's network
# namespace has its own abstract sockets and no way to the host's TCP ports, so a forwarded
# display (ssh -X, DISPLAY=localhost:10) is not usable; the script then runs headless.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
readonly ROOT LAB=demo SUBNETS=2 DEVICES=40 PRESET=debug
# Another configured build tree can be used instead: CPE_BUILD_DIR=build/mine tools/demo.sh
BUILD=$(realpath -m "${CPE_BUILD_DIR:-$ROOT/build/$PRESET}")
readonly BUILD
readonly NETLAB="$ROOT/tools/netlab.sh"

say() { echo "demo: $*" >&2; }
die() { say "$*"; exit 1; }

headless=0; shots=""
while (($#)); do
    case "$1" in
        --headless) headless=1; shift ;;
        --shots) shots=$2; shift 2 ;;
        -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
        *) die "unknown option $1 (see --help)" ;;
    esac
done
[[ $(id -u) -eq 0 ]] || die "the network lab needs root: sudo tools/demo.sh"

# --- build -------------------------------------------------------------------------------
if [[ ! -f "$BUILD/build.ninja" ]]; then
    [[ -z "${CPE_BUILD_DIR:-}" ]] || die "$BUILD is not a configured build tree"
    tools/setup.sh "$PRESET"
fi
say "building cpe-manager and cpe-sim in $BUILD"
cmake --build "$BUILD" --target cpe-manager cpe-sim
readonly UTILITY="$BUILD/app/cpe-manager" SIM="$BUILD/sim/cpe-sim"
[[ -x "$UTILITY" && -x "$SIM" ]] || die "build did not produce $UTILITY and $SIM"

# --- display -----------------------------------------------------------------------------
# The X socket file of a local display (":0", ":0.0", "unix:0"), or nothing.
x_socket_of() {
    local d=$1
    [[ "$d" =~ ^(unix)?:([0-9]+)(\.[0-9]+)?$ ]] || return 1
    local s="/tmp/.X11-unix/X${BASH_REMATCH[2]}"
    [[ -S "$s" ]] && echo "$s"
}

if ((!headless)); then
    if [[ -z "${DISPLAY:-}" ]]; then
        say "no DISPLAY (under sudo, pass it: sudo --preserve-env=DISPLAY,XAUTHORITY tools/demo.sh); running headless"
        headless=1
    elif ! x_socket_of "$DISPLAY" >/dev/null; then
        say "DISPLAY=$DISPLAY has no socket file under /tmp/.X11-unix, unusable from the lab; running headless"
        headless=1
    fi
fi
if ((!headless)) && [[ -z "${XAUTHORITY:-}" && -n "${SUDO_USER:-}" ]]; then
    user_home=$(getent passwd "$SUDO_USER" | cut -d: -f6)
    [[ -f "$user_home/.Xauthority" ]] && export XAUTHORITY="$user_home/.Xauthority"
fi

RUN_DIR=$(mktemp -d /tmp/cpe-demo.XXXXXX)
chmod 700 "$RUN_DIR"
readonly RUN_DIR
xvfb_pid=""; sim_pid=""; util_pid=""

cleanup() {
    local rc=$?
    trap - EXIT INT TERM
    # The utility shuts down in order on SIGTERM (engine stopped, data.mdb deleted).
    if [[ -n "$util_pid" ]] && kill -0 "$util_pid" 2>/dev/null; then
        kill -TERM "$util_pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$util_pid" 2>/dev/null || break; sleep 0.1; done
    fi
    if [[ -n "$sim_pid" ]]; then kill -TERM "$sim_pid" 2>/dev/null || true; fi
    "$NETLAB" down --lab "$LAB" || true
    if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$RUN_DIR"
    say "lab removed"
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if ((headless)); then
    command -v Xvfb >/dev/null || die "Xvfb is missing (tools/setup.sh installs it)"
    n=90
    while [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >"$RUN_DIR/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [[ -S /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
    [[ -S /tmp/.X11-unix/X$n ]] || die "Xvfb did not start (see $RUN_DIR/xvfb.log)"
    export DISPLAY=":$n"
    unset XAUTHORITY
    shots=${shots:-"$ROOT/build/demo-shots-$(date +%Y%m%d-%H%M%S)"}
    mkdir -p "$shots"
    # xdotool presses Search, ImageMagick's import takes the screenshots.
    tools_missing=()
    command -v xdotool >/dev/null || tools_missing+=(xdotool)
    command -v import >/dev/null || tools_missing+=(imagemagick)
    if ((${#tools_missing[@]})); then
        say "installing ${tools_missing[*]} for the headless run"
        { DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
          DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${tools_missing[@]}"; } \
            >/dev/null 2>&1 || say "could not install ${tools_missing[*]}: screenshots may be missing"
    fi
fi

# --- lab and devices ---------------------------------------------------------------------
say "making the lab: $SUBNETS subnets, $DEVICES devices"
"$NETLAB" up --lab "$LAB" --subnets "$SUBNETS" --devices "$DEVICES"
"$NETLAB" sim --lab "$LAB" --bin "$SIM" -- --control "$RUN_DIR/sim.sock" >"$RUN_DIR/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [[ -S "$RUN_DIR/sim.sock" ]] && break; sleep 0.1; done
[[ -S "$RUN_DIR/sim.sock" ]] || die "cpe-sim did not start: $(cat "$RUN_DIR/sim.log")"
"$NETLAB" info --lab "$LAB" | sed -n 's/^CPE_LAB_\(UTIL_ADDRS\|DEVICE_SUBNETS\)=/  \1 /p' >&2

# --- the utility -------------------------------------------------------------------------
mkdir -m 700 "$RUN_DIR/xdg"
export XDG_RUNTIME_DIR="$RUN_DIR/xdg" QT_QPA_PLATFORM=xcb
"$NETLAB" exec --lab "$LAB" util -- "$UTILITY" >"$RUN_DIR/utility.log" 2>&1 &
util_pid=$!

if ((!headless)); then
    say "cpe-manager is on $DISPLAY; press Search on the status page. Leave it to end the demo."
    rc=0
    wait "$util_pid" || rc=$?
    util_pid=""
    if ((rc != 0)); then
        say "cpe-manager ended with status $rc:"
        cat "$RUN_DIR/utility.log" >&2
    fi
    exit "$rc"
fi

# Headless: drive the window with xdotool at the controls' places (window coordinates).
shot() {
    if import -display "$DISPLAY" -window root "$shots/$1.png" 2>/dev/null; then say "  $shots/$1.png"
    else say "  no screenshot $1 (ImageMagick's import is missing)"; fi
}
window=""
if command -v xdotool >/dev/null; then
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --classname cpe-manager 2>/dev/null | head -1 || true)
        [[ -n "$window" ]] && break
        sleep 0.1
    done
    [[ -n "$window" ]] || say "the utility's window did not appear (see $RUN_DIR/utility.log)"
else
    sleep 3
fi
click() { [[ -n "$window" ]] && xdotool mousemove --window "$window" "$1" "$2" click 1; }
readonly SEARCH_X=178 SEARCH_Y=108 SYSTEM_TOOL_X=68 SYSTEM_TOOL_Y=371 STATUS_X=68 STATUS_Y=108

say "screenshots in $shots"
sleep 1
shot 01-started
click "$SEARCH_X" "$SEARCH_Y" || true
for i in 1 2 3; do sleep 8; shot "0$((i + 1))-searching-$((i * 8))s"; done
sleep 9
shot 05-devices
click "$SYSTEM_TOOL_X" "$SYSTEM_TOOL_Y" || true
sleep 1
shot 06-adapters
click "$STATUS_X" "$STATUS_Y" || true
sleep 1
shot 07-status
say "done; screenshots are in $shots"
