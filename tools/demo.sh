#!/usr/bin/env bash
# Runs cpe-manager against 40 simulated devices on two subnets (with bridged station/AP pairs)
# inside the project's network lab. Nothing leaves the lab; the lab is removed when you leave.
#
#   sudo --preserve-env=DISPLAY,XAUTHORITY tools/demo.sh            the utility on your display
#   sudo tools/demo.sh --headless [--shots DIR] [--expect N]         under Xvfb, with screenshots
#
#   --utility PATH   run this cpe-manager (an installed or extracted one) instead of the build's
#   --user NAME      run the utility as this unprivileged user (headless only), with a clean
#                    environment and a runtime folder and home of its own
#   --expect N       fail unless the utility's store holds N devices at the end (headless only)
#
# With a display: the utility opens on it. Press "Search" on the status page; a discovery run
# takes 30 seconds. Leaving the utility (close button, tray "Exit", Ctrl+C here) ends the demo.
# Without a display (or with --headless): the utility runs under Xvfb, the script presses Search,
# waits for the run, opens the adapter page, writes screenshots to a folder it names, prints how
# many devices the utility's store holds, and ends.
#
# The display must be reachable through a socket file (/tmp/.X11-unix/X<n>): the lab's network
# namespace has its own abstract sockets and no way to the host's TCP ports, so a forwarded
# display (ssh -X, DISPLAY=localhost:10) is not usable; the script then runs headless.
set -Eeuo pipefail
# Every early exit says why: a failing command names itself.
trap 'echo "demo: stopped: \"$BASH_COMMAND\" failed with status $? (line $LINENO)" >&2' ERR
cd "$(dirname "$0")/.."
ROOT=$(pwd)
readonly ROOT LAB=demo SUBNETS=2 DEVICES=40 PRESET=debug
# Another configured build tree can be used instead: CPE_BUILD_DIR=build/mine tools/demo.sh
BUILD=$(realpath -m "${CPE_BUILD_DIR:-$ROOT/build/$PRESET}")
readonly BUILD
readonly NETLAB="$ROOT/tools/netlab.sh"

say() { echo "demo: $*" >&2; }
die() { say "$*"; exit 1; }

headless=0; shots=""; utility=""; run_as=""; expect=""
while (($#)); do
    case "$1" in
        --headless) headless=1; shift ;;
        --shots|--utility|--user|--expect)
            (($# >= 2)) || die "$1 needs a value (see --help)"
            case "$1" in
                --shots) shots=$2 ;;
                --utility) utility=$2 ;;
                --user) run_as=$2 ;;
                --expect) expect=$2 ;;
            esac
            shift 2 ;;
        -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
        *) die "unknown option $1 (see --help)" ;;
    esac
done
[[ $(id -u) -eq 0 ]] || die "the network lab needs root: sudo tools/demo.sh"
[[ -z "$expect" || "$expect" =~ ^[0-9]+$ ]] || die "--expect takes a number of devices"
if [[ -n "$run_as" ]]; then
    id -u "$run_as" >/dev/null 2>&1 || die "no user $run_as"
    [[ $(id -u "$run_as") -ne 0 ]] || die "--user must name an unprivileged user"
    command -v setpriv >/dev/null || die "setpriv is missing (package util-linux)"
fi
if [[ -n "$utility" ]]; then
    [[ -x "$utility" ]] || die "$utility is not an executable"
    utility=$(realpath "$utility")
fi

# --- build -------------------------------------------------------------------------------
if [[ ! -f "$BUILD/build.ninja" ]]; then
    [[ -z "${CPE_BUILD_DIR:-}" ]] || die "$BUILD is not a configured build tree"
    tools/setup.sh "$PRESET"
fi
if [[ -n "$utility" ]]; then
    say "building cpe-sim in $BUILD"
    cmake --build "$BUILD" --target cpe-sim
else
    say "building cpe-manager and cpe-sim in $BUILD"
    cmake --build "$BUILD" --target cpe-manager cpe-sim
fi
readonly UTILITY="${utility:-$BUILD/app/cpe-manager}" SIM="$BUILD/sim/cpe-sim"
[[ -x "$UTILITY" && -x "$SIM" ]] || die "no $UTILITY or $SIM after the build"

# --- display -----------------------------------------------------------------------------
# The X socket file of a local display (":0", ":0.0", "unix:0"), or nothing.
x_socket_of() {
    local d=$1
    [[ "$d" =~ ^(unix)?:([0-9]+)(\.[0-9]+)?$ ]] || return 1
    local s="/tmp/.X11-unix/X${BASH_REMATCH[2]}"
    [[ -S "$s" ]] && echo "$s"
}

if ((!headless)) && [[ -n "$run_as$expect" ]]; then
    say "--user and --expect run headless"
    headless=1
fi
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
xvfb_pid=""; sim_pid=""; util_pid=""; user_dir=""

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
    rm -rf "$RUN_DIR" "${user_dir:-}"
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
    # sqlite3 counts the devices in the utility's store.
    tools_missing=()
    command -v xdotool >/dev/null || tools_missing+=(xdotool)
    command -v import >/dev/null || tools_missing+=(imagemagick)
    command -v sqlite3 >/dev/null || tools_missing+=(sqlite3)
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
# Its runtime folder (instance lock, and data.mdb when the program folder is not writable).
mkdir -m 700 "$RUN_DIR/xdg"
export XDG_RUNTIME_DIR="$RUN_DIR/xdg" QT_QPA_PLATFORM=xcb
launch=("$UTILITY")
if [[ -n "$run_as" ]]; then
    # As a normal user in a fresh session: only what a desktop would give it.
    user_dir=$(mktemp -d /tmp/cpe-demo-user.XXXXXX)
    mkdir -m 700 "$user_dir/xdg" "$user_dir/home"
    chown -R "$run_as:$(id -gn "$run_as")" "$user_dir"
    chmod 755 "$user_dir"
    XDG_RUNTIME_DIR="$user_dir/xdg"
    launch=(setpriv --reuid="$run_as" --regid="$(id -g "$run_as")" --clear-groups --
            env -i HOME="$user_dir/home" USER="$run_as" LOGNAME="$run_as" PATH=/usr/bin:/bin
            DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" QT_QPA_PLATFORM=xcb "$UTILITY")
    say "running $UTILITY as $run_as"
fi
"$NETLAB" exec --lab "$LAB" util -- "${launch[@]}" >"$RUN_DIR/utility.log" 2>&1 &
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

# The store is the utility's own record of what it found: data.mdb next to the program when it
# may write there, else in its runtime folder. It is held locked while the utility runs, so it
# is read as a file, and read again if a write was caught half way.
count_devices() {
    local db n
    for db in "$(dirname "$UTILITY")/data.mdb" "$XDG_RUNTIME_DIR/data.mdb"; do
        [[ -f "$db" ]] || continue
        for _ in 1 2 3; do
            n=$(sqlite3 -readonly "file:$db?immutable=1" 'select count(*) from ap_info' 2>/dev/null) &&
                { echo "$n"; return 0; }
            sleep 0.2
        done
    done
    return 1
}
if ! kill -0 "$util_pid" 2>/dev/null; then
    die "cpe-manager ended early: $(cat "$RUN_DIR/utility.log")"
fi
devices=""
if command -v sqlite3 >/dev/null; then
    devices=$(count_devices) || say "no readable data.mdb next to the program or in $XDG_RUNTIME_DIR"
else
    say "sqlite3 is missing: cannot count the devices in the store"
fi
say "the utility's store holds ${devices:-an unknown number of} devices"
say "done; screenshots are in $shots"
if [[ -n "$expect" ]]; then
    [[ "$devices" == "$expect" ]] || die "expected $expect devices in the store"
    for f in 01-started 05-devices 06-adapters; do
        [[ -s "$shots/$f.png" ]] || die "screenshot $f.png is missing"
    done
    [[ -n "$window" ]] || die "the utility's window never appeared"
fi
