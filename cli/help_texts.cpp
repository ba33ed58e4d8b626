#include "cli/help_texts.h"

namespace cpe::cli {
namespace {

constexpr const char* kExitStatuses = R"(Exit status:
  0    done: every device named answered as asked
  1    some device failed: not found, did not answer, or did not report success
  2    usage: the command line is wrong (nothing was sent)
  3    cannot start: cpe-manager or another cpe-cli holds the protocol ports, no
       network adapter, no device store, this account may not start the
       upgrade's file server or it did not start, or the exporter cannot listen
  128+N  ended by signal N (130 for Ctrl-C); what was started is stopped first
)";

constexpr const char* kDevices = R"(A device is named by its MAC (aa:bb:cc:dd:ee:ff, also upper case or with '-')
or its IP address. cpe-cli starts afresh each time: it first runs a discovery
(a search every 3 s) until every device named has sent its record and, for
reboot, restore and upgrade, the network has gone quiet for two seconds, so
that access points with bridged stations are known. --seconds N bounds that
discovery (default 30).
)";

}  // namespace

std::string VersionLine() { return std::string("cpe-cli ") + CPE_VERSION_TEXT + "\n"; }

std::string ProgramHelp() {
    return std::string(R"(Usage: cpe-cli COMMAND [OPTIONS] [ARGUMENTS]

The jobs of cpe-manager from a terminal or a script, with the same engine,
device store and actions: find the CPE units and access points on the local
subnets, export them, rename, reboot or reset them, survey, upgrade firmware.

Commands:
  discover   find the devices and print every one (table, JSON or CSV)
  show       print one device's whole record
  rename     give a device a new name
  reboot     restart devices (access points with bridged stations first)
  restore    reset devices to factory settings (same order)
  survey     the access points a device hears
  upgrade    upgrade firmware in batches of ten through a file-server helper
  exporter   serve the devices to Prometheus, discovering them continuously
  inventory  every device ever found, online or not (no search)
  history    what happened to a device and what was done to it (no search)
  backup     keep a backup of devices' settings in the inventory or a file
  settings restore  send a backup's settings back to a device
  settings apply    send a backup's wireless, VLAN, timed reboot to devices
  doctor     why a search finds nothing: adapters, ports, answers, causes

Run "cpe-cli COMMAND --help" (or "cpe-cli help COMMAND") for a command's
options. Progress goes to standard error when it is a terminal; results go to
standard output in UTF-8. Texts are English.

)") + kExitStatuses +
           R"(
Examples:
  cpe-cli discover --until-stable --format csv > devices.csv
  cpe-cli exporter --listen 0.0.0.0:9789
)";
}

std::string CommandHelp(Command command) {
    switch (command) {
    case Command::kDiscover:
        return std::string(R"(Usage: cpe-cli discover [--seconds N] [--until-stable] [--format table|json|csv]
                        [--fields LIST]

Runs the status page's discovery: a search at once and every 3 s, for N seconds
(default 30), then prints every device that sent its record, by IP address.

  --seconds N       length of the run, 1 to 3600
  --until-stable    end early, once two seconds in a row brought no new device
                    (on a network that loses datagrams, prefer the whole run)
  --format FORMAT   table (default): the status list's columns, aligned;
                    json: one object per device, one device a line;
                    csv: RFC 4180 with a header row (a text that starts with
                    = + - @ is written with a leading ' so that a spreadsheet
                    does not run it as a formula)
  --fields LIST     the fields to print, comma-separated, in that order

Fields: the status list's columns (Serial, Location, Type, IP, MAC,
OperationMode, SSID, Channel, Version, Time, Status), then the device record's
fields under the device table's column names (mac, ap_type, ap_status,
work_mode, ip, ip_mask, ap_name, ssid, channel, secure_mode, vlan_id, ...).
json and csv print them all unless --fields chooses, but for the keys
(wpapsk_key_value, wpa_key, wep_key_value0-3): only --fields prints those.

)") + kExitStatuses;
    case Command::kShow:
        return std::string(R"(Usage: cpe-cli show MAC|IP [--seconds N] [--format table|json|csv] [--fields LIST]

Prints every field of one device's record but its keys (see "cpe-cli discover
--help" for the fields), as a list (table), one JSON object, or CSV.

)") + kDevices +
               "\n" + kExitStatuses;
    case Command::kRename:
        return std::string(R"(Usage: cpe-cli rename MAC|IP NAME [--seconds N]

Renames a device as the status list does: a name with a Chinese character is
refused; a longer name is cut to the 32 bytes the device keeps. Waits up to 5 s
for the device's record to show the new name and prints it. A name that starts
with '-' follows "--".

)") + kDevices +
               "\n" + kExitStatuses;
    case Command::kReboot:
    case Command::kRestore:
        return std::string(command == Command::kReboot ? "Usage: cpe-cli reboot MAC|IP... [--seconds N]\n\nRestarts"
                                                       : "Usage: cpe-cli restore MAC|IP... [--seconds N]\n\nResets") +
               R"( the devices as the reboot and restore pages do: access points that
carry bridged stations are sent the command first, the others 200 ms later.
Then follows the devices for up to 60 s, printing each one's status as it
changes, until every one reports it took the command. There is no question
to confirm.

)" + kDevices + "\n" +
               kExitStatuses;
    case Command::kSurvey:
        return std::string(R"(Usage: cpe-cli survey MAC|IP [--seconds N] [--format table|json|csv] [--fields LIST]

Asks the device for a site survey, waits for it as the bridge wizard does, and
prints the access points it heard: mac, ssid, channel, signal (dBm), secure
(the security text), secure_mode, exchannel, bandwidth.

)") + kDevices +
               "\n" + kExitStatuses;
    case Command::kUpgrade:
        return std::string(R"(Usage: cpe-cli upgrade --file FILE --model NAME|CODE MAC|IP... [--seconds N]

Upgrades the devices' firmware as the upgrade dialog does: starts the helper
that serves FILE (the file server for the models of set B, otherwise a TFTP
server on each local address facing the devices), sends the upgrade request in
batches of at most ten (access points with bridged stations first; for set B
an access point and its station together), gives each batch up to 120 s,
releases waiting set-B devices, and prints each device's status as it changes,
then a summary. Ends when every device reported success or failure, at the
latest when the upgrade's two phases are over; the helper is stopped then.
Every device named must be of the model given (its name as cpe-cli discover
shows it in "Type", or its code).

)") + kDevices +
               "\n" + kExitStatuses;
    case Command::kExporter:
        return std::string(R"(Usage: cpe-cli exporter [--listen ADDRESS:PORT] [--search-seconds N]

Runs the status page's discovery without end (a search every N seconds,
default 3; devices that stop their heartbeats leave after 30 to 40 s) and
serves the devices at http://ADDRESS:PORT/metrics in the Prometheus text
format, or OpenMetrics when the scraper asks for it. Default address
127.0.0.1:9789; serve on 0.0.0.0 or a site address for a central Prometheus.

  --listen ADDRESS:PORT  where to serve (an IPv4 address)
  --search-seconds N     seconds between searches, 1 to 3600

Series per device (label mac): cpe_device_up, cpe_device_info (labels ip,
name, model, firmware, mode, ssid; value 1), cpe_device_uptime_seconds,
cpe_device_channel, cpe_device_last_seen_timestamp_seconds. The exporter's
own: cpe_exporter_searches_total, cpe_exporter_datagrams_received_total and
cpe_exporter_datagrams_dropped_total per port, cpe_exporter_devices_online,
cpe_exporter_build_info. A device the fleet inventory knows that is offline
stays, with cpe_device_up 0, its last record's labels and when it was last
seen. A device's keys are never served.

Runs until a signal ends it (SIGTERM, Ctrl-C), then exits 128+N.

)") + kExitStatuses;
    case Command::kDoctor:
        return std::string(R"(Usage: cpe-cli doctor [--seconds N]

Runs the status page's discovery for up to N seconds (default 30; it ends
early once devices have answered and the network is quiet), then prints the
checks the status page shows when a search finds nothing: the adapters and
addresses searched, whether this program holds UDP ports 9785-9788, the
searches sent and answers received, and, when no device answered, the usual
causes. A line that tells of something wrong starts with "problem:". Exits 0
when nothing is wrong, 1 when a check failed or no device answered.

)") + kExitStatuses;
    case Command::kInventory:
        return std::string(R"(Usage: cpe-cli inventory [--online|--offline] [--format table|json|csv] [--fields LIST]

Prints every device the fleet inventory knows (every device cpe-manager or a
searching cpe-cli ever found): MAC, IP (the last address), Location, Type,
Version, State (Online while a running cpe-manager or cpe-cli hears it),
LastSeen and FirstSeen (UTC). --online and --offline keep only those devices.
Reads the inventory ($XDG_DATA_HOME/cpe-manager/inventory.sqlite); it searches
nothing and runs beside cpe-manager.

)") + kExitStatuses;
    case Command::kHistory:
        return std::string(R"(Usage: cpe-cli history MAC|IP [--format table|json|csv]

Prints a device's history from the inventory, newest first: when it was first
seen, went and came back, changed its name, address or firmware, and every
action cpe-manager or cpe-cli took on it (rename, configuration save, bridge,
reboot, factory restore, upgrade, settings restore and apply) with its outcome,
front end and user. An IP address names the device last seen there.

)") + kExitStatuses;
    case Command::kBackup:
        return std::string(R"(Usage: cpe-cli backup MAC|IP... [--out FILE] [--format table|json|csv] [--seconds N]

Finds the devices, then keeps a backup of each one's settings (name, wireless,
IP, VLAN, timed reboot, bridge) in the inventory and prints its number. With
--out (one device) the backup is also written to FILE (mode 0600: it holds
the device's keys). cpe-manager takes such a backup by itself before every
configuration save, bridge, factory restore and upgrade.

)") + kDevices +
               "\n" + kExitStatuses;
    case Command::kSettingsRestore:
    case Command::kSettingsApply:
        return std::string(
                   command == Command::kSettingsRestore
                       ? R"(Usage: cpe-cli settings restore MAC|IP --from BACKUP|FILE [--blocks LIST] [--seconds N]

Sends a backup's settings back to the device (not the factory reset: that is
"cpe-cli restore"). BACKUP is a backup's number in the inventory (cpe-cli
history and backup show them), FILE one written by "backup --out". --blocks
chooses from name, wireless, ip, vlan, timed_reboot (default: all but ip).
)"
                       : R"(Usage: cpe-cli settings apply --from BACKUP|FILE MAC|IP... [--seconds N]

Sends a backup's wireless, VLAN and timed-reboot settings (never the name, the
address or the bridge) to each device named, one after the other.
)") + R"(
The backup must be of the device's model set. The values pass the checks of
the configuration dialog, only the blocks that differ are sent, after a backup
of the device's own settings; then the dialog's wait (60 s after a new VLAN,
15 s after a new address) and the device's record tell whether it took them.
A backup file that is not one of ours, cut short or altered is refused before
anything starts.

)" + kDevices + "\n" +
               kExitStatuses;
    }
    return {};
}

std::string UsageHint(const UsageError& error) {
    std::string hint = "cpe-cli: " + error.message + "\n";
    if (error.command)
        hint += "Try \"cpe-cli " + std::string(CommandName(*error.command)) + " --help\".\n";
    else
        hint += "Try \"cpe-cli --help\".\n";
    return hint;
}

}  // namespace cpe::cli
