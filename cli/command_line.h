// cpe-cli's command line: one sub-command, its options (anywhere after it, "--name value" or
// "--name=value", "--" ends them) and its arguments. Parsing only reads the words: nothing is
// started before the whole line was found sound.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/exporter/metrics_server.h"
#include "cli/record_table.h"

namespace cpe::cli {

enum class Command {
    kDiscover,
    kShow,
    kRename,
    kReboot,
    kRestore,
    kSurvey,
    kUpgrade,
    kInventory,
    kHistory,
    kBackup,
    kSettingsRestore,  // "settings restore": a backup's settings back to a device (not the factory reset)
    kSettingsApply,    // "settings apply": a backup's wireless, VLAN and timed reboot to other devices
    kExporter,
    kDoctor,  // a discovery and the checks of why it may find nothing
};

// A device named on the command line: by its MAC (normalised to the lower-case, colon-separated
// form the utility uses everywhere) or by its IP address.
struct DeviceRef {
    std::string text;  // as typed, for messages
    std::string mac;   // set for a MAC
    std::string ip;    // set for an IP address
};

struct Invocation {
    Command command = Command::kDiscover;
    int seconds = 30;          // the longest discovery run
    bool untilStable = false;  // discover: end once the network has answered
    OutputFormat format = OutputFormat::kTable;
    std::vector<std::string> fields;  // --fields, in order; empty: the command's default
    std::vector<DeviceRef> devices;
    std::string name;                         // rename: the new name, as typed (local code set)
    std::string file;                         // upgrade: the firmware file
    std::string model;                        // upgrade: model name or code, as typed
    std::string listenAddress = "127.0.0.1";  // exporter: where it serves
    std::uint16_t listenPort = kExporterPort;
    int searchSeconds = 3;  // exporter: seconds between searches
    std::string online;     // inventory: "online", "offline", or empty for every device
    std::string out;        // backup: the file to write the backup to
    std::string from;       // settings: a backup's number in the inventory, or a backup file
    std::string blocks;     // settings restore: the blocks named, as typed; empty: the default
};

// What the command line asks for: help text to print (on standard output), or an invocation.
struct HelpRequest {
    std::string text;
};
// A command line that cannot be run: the message, and the command it concerned (for the hint
// where to read its help), if one was named.
struct UsageError {
    std::string message;
    std::optional<Command> command;
};

using ParseResult = std::variant<Invocation, HelpRequest, UsageError>;

// argv[1..] of the program.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

// A MAC ("aa:bb:cc:dd:ee:ff", also upper case or with '-') or a dotted-quad IP address.
std::optional<DeviceRef> ParseDeviceRef(const std::string& text);

const char* CommandName(Command command);

}  // namespace cpe::cli
