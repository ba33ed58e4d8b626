#!/usr/bin/env bash
# Checks the Debian package as an operator would meet it:
#   - lintian (fails on errors; the warnings are listed), desktop-file-validate, appstreamcli;
#   - its contents: the program folder with the link in /usr/bin, icons, metainfo, manual page,
#     dependencies computed from the shared libraries, nothing setuid;
#   - the maintainer scripts, run on the extracted tree under a group and an operator account of
#     this check's own (an installed package's group is never touched): the two helper servers
#     belong to root and the group with mode 0750 and get CAP_NET_BIND_SERVICE and nothing else;
#     nobody may not run them and cpe-cli's pre-upgrade check tells nobody which group to join;
#     the operator added to the group with usermod serves on port 69 and 80 and the extracted
#     cpe-cli upgrades simulated devices through both helpers (inside the network lab); purge
#     keeps a group that still has a member and removes an empty one, and no capability stays;
#   - the exporter's systemd unit (systemd-analyze verify, installed disabled, no capability) and
#     its alert rules (promtool check rules), the Wireshark dissector (tshark loads it);
#   - the extracted utility run by an unprivileged user: --help and --version without a display,
#     then tools/demo.sh --headless in the network lab against cpe-sim: it must find the 40
#     devices and write nothing into its program folder.
#   sudo tools/check_package.sh [DEB]     (default: the package tools/package.sh made)
# Needs root (the lab) and builds cpe-sim in build/debug when it is missing.
set -Eeuo pipefail
trap 'echo "check_package: stopped: \"$BASH_COMMAND\" failed with status $? (line $LINENO)" >&2' ERR
cd "$(dirname "$0")/.."
ROOT=$(pwd)
readonly ROOT NETLAB="$ROOT/tools/netlab.sh" DEVICES=40
readonly RUN_AS=${CPE_PACKAGE_USER:-nobody}

say() { echo "check_package: $*" >&2; }
die() { say "$*"; exit 1; }
failures=0
check() {  # check "what" command...: runs the command, counts a failure
    local what=$1; shift
    if "$@"; then say "ok: $what"; else say "FAILED: $what"; failures=$((failures + 1)); fi
}

[[ $(id -u) -eq 0 ]] || die "needs root (the network lab, the capability check): sudo tools/check_package.sh"
if (($#)); then deb=$1; else
    shopt -s nullglob
    debs=(build/package/packages/cpe-manager_*.deb)
    ((${#debs[@]} == 1)) || die "no single package in build/package/packages (run tools/package.sh)"
    deb=${debs[0]}
fi
[[ -f "$deb" ]] || die "$deb does not exist"
deb=$(realpath "$deb")
for tool in lintian desktop-file-validate appstreamcli dpkg-deb setcap getcap setpriv file useradd usermod userdel \
            groupdel; do
    command -v "$tool" >/dev/null || die "$tool is missing (tools/setup.sh package installs it)"
done
id -u "$RUN_AS" >/dev/null 2>&1 || die "no user $RUN_AS (set CPE_PACKAGE_USER)"
run_gid=$(id -g "$RUN_AS")
as_user() { setpriv --reuid="$RUN_AS" --regid="$run_gid" --clear-groups -- env -i PATH=/usr/bin:/bin HOME=/ "$@"; }

# The maintainer scripts' group, and the operator added to it, are this check's own.
readonly GROUP=cpe-check-${CPE_LAB_TAG:-pkg} MEMBER=cpe-check-${CPE_LAB_TAG:-pkg}-op
remove_accounts() {
    if id -u "$MEMBER" >/dev/null 2>&1; then userdel "$MEMBER"; fi
    if getent group "$GROUP" >/dev/null; then groupdel "$GROUP"; fi
}
remove_accounts  # left by an interrupted run

WORK=$(mktemp -d /tmp/cpe-package-check.XXXXXX)
readonly WORK
trap 'remove_accounts; rm -rf "$WORK"' EXIT
chmod 755 "$WORK"
readonly TREE="$WORK/root" PROG="$WORK/root/usr/lib/cpe-manager"
version=$(dpkg-deb -f "$deb" Version)
say "checking $deb (version $version)"

# --- lintian and the validators -------------------------------------------------------------
lintian_out="$WORK/lintian.txt"
lintian_rc=0
# lintian needs no privilege; it reads the package as the unprivileged user.
as_user TMPDIR=/tmp lintian --fail-on error --tag-display-limit 0 "$deb" >"$lintian_out" 2>&1 || lintian_rc=$?
say "lintian said:"; sed 's/^/    /' "$lintian_out" >&2
check "lintian finds no errors" test "$lintian_rc" -eq 0
say "lintian warnings: $(grep -c '^W: ' "$lintian_out" || true)"

dpkg-deb -x "$deb" "$TREE"
dpkg-deb -e "$deb" "$WORK/control"
chmod 755 "$TREE"
check "desktop-file-validate" desktop-file-validate "$TREE"/usr/share/applications/*.desktop
check "appstreamcli validate" appstreamcli validate --no-net "$TREE"/usr/share/metainfo/*.metainfo.xml

# --- contents -------------------------------------------------------------------------------
has_all() {
    local f missing=0
    for f in cpe-manager cpe-cli libLocalAdapter.so Setting.ini Skin/Application.ico Languages/Language.ini \
             Languages/English.lng help/index.html service/cpe-tftpd service/cpe-httpd; do
        [[ -e "$PROG/$f" ]] || { say "  missing /usr/lib/cpe-manager/$f"; missing=1; }
    done
    return "$missing"
}
check "the program folder holds the program, its library, resources and helpers" has_all
for program in cpe-manager cpe-cli; do
    check "/usr/bin/$program links into the program folder" \
        test "$(readlink "$TREE/usr/bin/$program")" = "../lib/cpe-manager/$program"
done
icons_ok() {
    local png size n=0
    for png in "$TREE"/usr/share/icons/hicolor/*/apps/cpe-manager.png; do
        size=$(basename "$(dirname "$(dirname "$png")")")
        file -b "$png" | grep -q "PNG image data, ${size%x*} x ${size#*x}," || { say "  $png is not $size"; return 1; }
        n=$((n + 1))
    done
    ((n >= 4)) || { say "  only $n icon sizes"; return 1; }
}
check "hicolor icons in several sizes" icons_ok
check "manual pages and package documents" test -s "$TREE/usr/share/man/man1/cpe-manager.1.gz" \
    -a -s "$TREE/usr/share/man/man1/cpe-cli.1.gz" \
    -a -s "$TREE/usr/share/doc/cpe-manager/copyright" -a -s "$TREE/usr/share/doc/cpe-manager/changelog.gz"
depends=$(dpkg-deb -f "$deb" Depends)
say "Depends: $depends"
check "dependencies come from the shared libraries" \
    bash -c '[[ "$1" == *libc6* && "$1" == *libqt6widgets6* && "$1" == *libsqlite3-0* ]]' _ "$depends"
check "nothing in the package is setuid or setgid" test -z "$(find "$TREE" -perm /6000)"

# --- the exporter's unit and rules, the dissector -----------------------------------------------
unit="$TREE/usr/lib/systemd/system/cpe-exporter.service"
check "the exporter's systemd unit is in the package" test -s "$unit"
unit_ok() {  # the unit as installed, its program taken from the extracted tree
    local copy="$WORK/unit/cpe-exporter.service"
    mkdir -p "$WORK/unit"
    sed "s#/usr/bin/cpe-cli#$TREE/usr/bin/cpe-cli#" "$unit" >"$copy"
    grep -qx 'DynamicUser=yes' "$copy" && grep -qx 'CapabilityBoundingSet=' "$copy" || return 1
    command -v systemd-analyze >/dev/null || { say "  systemd-analyze is missing: unit not verified"; return 0; }
    SYSTEMD_LOG_LEVEL=notice systemd-analyze verify --man=no "$copy"
}
check "systemd-analyze verifies the unit (dynamic user, no capabilities)" unit_ok
unit_left_disabled() {
    ! grep -qs cpe-exporter "$WORK"/control/{preinst,postinst,prerm,postrm} && ! test -e "$TREE/etc/systemd"
}
check "nothing enables the unit on install" unit_left_disabled
rules="$TREE/usr/share/doc/cpe-manager/examples/cpe-exporter-alerts.yml"
if command -v promtool >/dev/null; then
    check "promtool accepts the example alert rules" promtool check rules "$rules"
else
    check "the example alert rules are in the package" test -s "$rules"
fi
dissector=$(find "$TREE/usr/lib" -path '*/wireshark/plugins/cpe-manager.lua' -print -quit)
check "the Wireshark dissector is where Wireshark loads Lua plugins" test -n "$dissector"
if command -v tshark >/dev/null && [[ -n "$dissector" ]]; then
    dissector_loads() { tshark -G protocols -X "lua_script:$dissector" 2>/dev/null | grep -q $'^CPE management protocol\tCPE\tcpe$'; }
    check "tshark loads the dissector" dissector_loads
fi

# --- the helpers' group and capability --------------------------------------------------------
# The maintainer scripts, run against the extracted tree with this check's group: the helpers
# belong to root and the group, mode 0750, and get exactly CAP_NET_BIND_SERVICE; only a member of
# the group may run them, and with the capability (only with it) a member's helper serves on a low
# port.
for script in postinst postrm; do
    grep -qx 'group=cpe-manager' "$WORK/control/$script" || die "the $script script does not name its group cpe-manager"
    sed -e "s#/usr/lib/cpe-manager/#$PROG/#g" -e "s#^group=cpe-manager\$#group=$GROUP#" "$WORK/control/$script" \
        >"$WORK/$script"
done
in_lab_as() {  # user command... -> the command as that user, with the groups of a login, in the lab
    local user=$1; shift
    "$NETLAB" run --lab pkgcap --subnets 1 -- \
        setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups -- env -i PATH=/usr/bin:/bin HOME=/ "$@"
}
helper_serves() {  # user helper port -> true when it listens, run as that user in the lab
    local user=$1 helper=$2 port=$3 log="$WORK/$1-$2-$3.log" rc=0
    in_lab_as "$user" timeout 2 "$PROG/service/$helper" --ini "$WORK/serve/$helper.ini" --port "$port" >"$log" 2>&1 ||
        rc=$?
    ((rc == 124)) && grep -q "serving" "$log"
}
mkdir -p "$WORK/serve/www"
printf '[TFTPD32]\nBaseDirectory=%s\nLocalIP=10.77.0.1\n' "$WORK/serve/www" >"$WORK/serve/cpe-tftpd.ini"
printf '[SERVER]\nDirectory=%s\n' "$WORK/serve/www" >"$WORK/serve/cpe-httpd.ini"
readonly FIRMWARE="$WORK/serve/www/fw-check.bin"
head -c 65536 /dev/urandom >"$FIRMWARE"
chmod -R a+rX "$WORK/serve"
helper_refused() { ! helper_serves "$@"; }
check "without the capability a normal user's cpe-tftpd cannot serve on port 69" helper_refused "$RUN_AS" cpe-tftpd 69

check "postinst configure makes the group and sets the helpers up" sh "$WORK/postinst" configure
check "a second postinst configure (an upgrade) reuses the group" sh "$WORK/postinst" configure
helpers_reserved() {
    local helper owner
    for helper in cpe-tftpd cpe-httpd; do
        owner=$(stat -c '%U:%G %a' "$PROG/service/$helper")
        [[ "$owner" == "root:$GROUP 750" ]] || { say "  $helper: $owner"; return 1; }
    done
}
check "the helpers belong to root and the group, mode 0750" helpers_reserved
caps=$(getcap -r "$TREE" | sed "s#$TREE##" | sort)
say "capabilities after the maintainer script:"; echo "$caps" | sed 's/^/    /' >&2
check "only the two helpers get CAP_NET_BIND_SERVICE" test "$caps" = \
    "$(printf '%s\n' '/usr/lib/cpe-manager/service/cpe-httpd cap_net_bind_service=ep' \
                     '/usr/lib/cpe-manager/service/cpe-tftpd cap_net_bind_service=ep')"

cannot_run() {  # helper -> true when the unprivileged user may not execute it
    local rc=0
    as_user "$PROG/service/$1" --help >/dev/null 2>&1 || rc=$?
    ((rc == 126))
}
check "$RUN_AS, not in the group, cannot run cpe-tftpd" cannot_run cpe-tftpd
check "$RUN_AS, not in the group, cannot run cpe-httpd" cannot_run cpe-httpd
refusal_names_group() {  # cpe-cli's pre-upgrade check, as the unprivileged user, in the lab (it sends nothing)
    local run="$WORK/refused-run" rc=0
    local out="$run/said.txt"
    mkdir -m 700 "$run"
    chown "$RUN_AS" "$run"
    in_lab_as "$RUN_AS" XDG_RUNTIME_DIR="$run" sh -c 'exec "$@" 2>"$0"' "$out" \
        "$TREE/usr/bin/cpe-cli" upgrade --file "$FIRMWARE" --model Axel 10.77.64.1 || rc=$?
    say "  cpe-cli upgrade as $RUN_AS: status $rc: $(cat "$out")"
    ((rc == 3)) && [[ $(wc -l <"$out") -eq 1 ]] && grep -qF "sudo usermod -aG $GROUP $RUN_AS (then log in again)" "$out"
}
check "cpe-cli upgrade as $RUN_AS says in one line which group to join, exit status 3" refusal_names_group

useradd --system --no-create-home --gid "$run_gid" --shell /usr/sbin/nologin "$MEMBER"
check "usermod -aG adds the operator to the group" usermod -aG "$GROUP" "$MEMBER"
check "the operator's cpe-tftpd serves on port 69" helper_serves "$MEMBER" cpe-tftpd 69
check "the operator's cpe-httpd serves on port 80" helper_serves "$MEMBER" cpe-httpd 80

# --- the utility as a normal user -------------------------------------------------------------
check "--version on standard output, without a display" \
    test "$(as_user "$TREE/usr/bin/cpe-manager" --version)" = "cpe-manager $version"
help_ok() { as_user "$TREE/usr/bin/cpe-manager" --help | grep -q "^Usage: cpe-manager"; }
check "--help on standard output, without a display" help_ok
check "cpe-cli --version on standard output" \
    test "$(as_user "$TREE/usr/bin/cpe-cli" --version)" = "cpe-cli $version"
cli_help_ok() { as_user "$TREE/usr/bin/cpe-cli" "$1" --help | grep -q "^Usage: cpe-cli $1"; }
check "cpe-cli discover --help on standard output" cli_help_ok discover
check "cpe-cli exporter --help on standard output" cli_help_ok exporter

listing() { find "$PROG" -printf '%P %s %m %u %T@\n' | sort; }
listing >"$WORK/before.txt"
shots="$ROOT/build/package/check-shots"
rm -rf "$shots"
demo_rc=0
tools/demo.sh --headless --utility "$TREE/usr/bin/cpe-manager" --user "$RUN_AS" --expect "$DEVICES" \
    --shots "$shots" || demo_rc=$?
check "the extracted utility, run by $RUN_AS in the lab, finds the $DEVICES devices" test "$demo_rc" -eq 0
listing >"$WORK/after.txt"
check "the utility wrote nothing into its program folder" diff "$WORK/before.txt" "$WORK/after.txt"

# --- an upgrade by the operator --------------------------------------------------------------
# The extracted cpe-cli, run by the group's member in the lab, upgrades two devices of a model
# that fetches by TFTP (port 69) and two of model set B, which fetch by HTTP (port 80).
# The simulator starts beside the script, so the discovery runs its whole time rather than ending
# on the first quiet seconds.
cat >"$WORK/member-upgrade.sh" <<'EOF'
cli=$1 firmware=$2
"$cli" discover --seconds 8 --format csv --fields IP,Type >"$HOME/devices.csv" || exit
for model in Axel Dorn; do
    ips=$(awk -F '[,\r]' -v m="$model" '$2 == m { print $1 }' "$HOME/devices.csv" | head -n 2)
    echo "upgrade of $model:" $ips
    "$cli" upgrade --file "$firmware" --model "$model" $ips || echo "cpe-cli upgrade ended with status $?"
done
EOF
member_upgrades() {
    local home="$WORK/member" upgraded
    local out="$home/upgrades.log"
    mkdir -p -m 700 "$home/xdg"
    chown -R "$MEMBER:$run_gid" "$home"
    CPE_SIM="${CPE_BUILD_DIR:-$ROOT/build/debug}/sim/cpe-sim" "$NETLAB" run --lab pkgup --subnets 1 --devices 20 --sim "--seed 26" -- \
        setpriv --reuid="$MEMBER" --regid="$run_gid" --init-groups -- \
        env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/xdg" \
        sh -c 'exec bash "$@" >"$0" 2>&1' "$out" "$WORK/member-upgrade.sh" "$TREE/usr/bin/cpe-cli" "$FIRMWARE" || true
    say "  the operator's upgrades:"; sed 's/^/    /' "$out" >&2
    upgraded=$(grep -c '^2 upgraded, 0 failed, 0 did not report, 0 not found$' "$out" || true)
    ((upgraded == 2))
}
check "the operator's extracted cpe-cli upgrades devices through both helpers" member_upgrades

# --- purge ----------------------------------------------------------------------------------
# What dpkg does on purge: postrm remove, the package's files deleted, postrm purge.
check "postrm remove" sh "$WORK/postrm" remove
rm -rf "$TREE"
check "postrm purge keeps the group while the operator is in it" \
    bash -c 'sh "$1" purge 2>/dev/null && getent group "$2" >/dev/null' _ "$WORK/postrm" "$GROUP"
userdel "$MEMBER"
check "postrm purge removes the empty group" \
    bash -c 'sh "$1" purge && ! getent group "$2" >/dev/null' _ "$WORK/postrm" "$GROUP"
check "no capability is left behind" test -z "$(getcap -r "$WORK" 2>/dev/null)"

if ((failures > 0)); then die "$failures check(s) failed"; fi
say "all checks passed; screenshots in $shots"
