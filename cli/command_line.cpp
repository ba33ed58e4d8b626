#include "cli/command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "cli/help_texts.h"

namespace cpe::cli {
namespace {

constexpr int kMaxSeconds = 3600;

struct CommandSyntax {
    Command command;
    const char* name;
    std::vector<std::string_view> options;  // besides --help and (but for the exporter) --seconds
    std::size_t minDevices;
    std::size_t maxDevices;  // the rename's name is its second argument
};

const std::array<CommandSyntax, 14>& CommandTable() {
    static const std::array<CommandSyntax, 14> table = {{
        {Command::kDiscover, "discover", {"--until-stable", "--format", "--fields"}, 0, 0},
        {Command::kShow, "show", {"--format", "--fields"}, 1, 1},
        {Command::kRename, "rename", {}, 1, 1},
        {Command::kReboot, "reboot", {}, 1, SIZE_MAX},
        {Command::kRestore, "restore", {}, 1, SIZE_MAX},
        {Command::kSurvey, "survey", {"--format", "--fields"}, 1, 1},
        {Command::kUpgrade, "upgrade", {"--file", "--model"}, 1, SIZE_MAX},
        {Command::kExporter, "exporter", {"--listen", "--search-seconds"}, 0, 0},
        {Command::kDoctor, "doctor", {}, 0, 0},
        {Command::kInventory, "inventory", {"--online", "--offline", "--format", "--fields"}, 0, 0},
        {Command::kHistory, "history", {"--format"}, 1, 1},
        {Command::kBackup, "backup", {"--out", "--format"}, 1, SIZE_MAX},
        {Command::kSettingsRestore, "settings restore", {"--from", "--blocks"}, 1, 1},
        {Command::kSettingsApply, "settings apply", {"--from"}, 1, SIZE_MAX},
    }};
    return table;
}

const CommandSyntax* FindCommand(std::string_view name) {
    for (const CommandSyntax& syntax : CommandTable())
        if (name == syntax.name)
            return &syntax;
    return nullptr;
}

bool TakesValue(std::string_view option) {
    return option != "--until-stable" && option != "--help" && option != "--online" && option != "--offline";
}

std::optional<int> ParseSeconds(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxSeconds)
        return std::nullopt;
    return value;
}

std::optional<OutputFormat> ParseFormat(std::string_view text) {
    if (text == "table")
        return OutputFormat::kTable;
    if (text == "json")
        return OutputFormat::kJson;
    if (text == "csv")
        return OutputFormat::kCsv;
    return std::nullopt;
}

std::vector<std::string> SplitFields(std::string_view list) {
    std::vector<std::string> fields;
    for (std::size_t from = 0; from <= list.size();) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        fields.emplace_back(list.substr(from, comma - from));
        from = comma + 1;
    }
    return fields;
}

std::optional<std::string> ParseMac(std::string_view text) {
    if (text.size() != 17)
        return std::nullopt;
    const char separator = text[2];
    if (separator != ':' && separator != '-')
        return std::nullopt;
    std::string mac;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (i % 3 == 2) {
            if (c != static_cast<unsigned char>(separator))
                return std::nullopt;
            mac += ':';
        } else if (std::isxdigit(c)) {
            mac += static_cast<char>(std::tolower(c));
        } else {
            return std::nullopt;
        }
    }
    return mac;
}

bool IsDottedQuad(std::string_view text) {
    int parts = 0;
    for (std::size_t from = 0; from <= text.size(); ++parts) {
        const std::size_t dot = std::min(text.find('.', from), text.size());
        const std::string_view part = text.substr(from, dot - from);
        int value = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || part.size() > 3 || error != std::errc() || end != part.data() + part.size() || value > 255)
            return false;
        from = dot + 1;
    }
    return parts == 4;
}

// "ADDR:PORT" with a dotted-quad address and a port from 1 to 65535.
bool ParseListen(std::string_view text, Invocation& run) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || !IsDottedQuad(text.substr(0, colon)))
        return false;
    const std::string_view portText = text.substr(colon + 1);
    unsigned port = 0;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || error != std::errc() || end != portText.data() + portText.size() || port < 1 ||
        port > 65535)
        return false;
    run.listenAddress = std::string(text.substr(0, colon));
    run.listenPort = static_cast<std::uint16_t>(port);
    return true;
}

UsageError Error(std::string message, const CommandSyntax* syntax) {
    return {std::move(message), syntax ? std::optional<Command>(syntax->command) : std::nullopt};
}

// Applies one option with its value to the invocation; the error's text when the value is bad.
std::optional<std::string> ApplyOption(std::string_view option, const std::string& value, Invocation& run) {
    if (option == "--seconds") {
        const auto seconds = ParseSeconds(value);
        if (!seconds)
            return "--seconds takes a whole number of seconds from 1 to " + std::to_string(kMaxSeconds) + ", not \"" +
                   value + "\"";
        run.seconds = *seconds;
    } else if (option == "--format") {
        const auto format = ParseFormat(value);
        if (!format)
            return "--format takes table, json or csv, not \"" + value + "\"";
        run.format = *format;
    } else if (option == "--fields") {
        run.fields = SplitFields(value);
        if (std::any_of(run.fields.begin(), run.fields.end(), [](const std::string& f) { return f.empty(); }))
            return "--fields takes a comma-separated list of field names, not \"" + value + "\"";
    } else if (option == "--file") {
        if (value.empty())
            return "--file takes the firmware file";
        run.file = value;
    } else if (option == "--model") {
        if (value.empty())
            return "--model takes a model name or code";
        run.model = value;
    } else if (option == "--listen") {
        if (!ParseListen(value, run))
            return "--listen takes ADDRESS:PORT, an IPv4 address and a port from 1 to 65535, not \"" + value + "\"";
    } else if (option == "--search-seconds") {
        const auto seconds = ParseSeconds(value);
        if (!seconds)
            return "--search-seconds takes a whole number of seconds from 1 to " + std::to_string(kMaxSeconds) +
                   ", not \"" + value + "\"";
        run.searchSeconds = *seconds;
    } else if (option == "--until-stable") {
        run.untilStable = true;
    } else if (option == "--online" || option == "--offline") {
        if (!run.online.empty() && run.online != option.substr(2))
            return "--online and --offline exclude each other";
        run.online = option.substr(2);
    } else if (option == "--out") {
        if (value.empty())
            return "--out takes the file to write";
        run.out = value;
    } else if (option == "--from") {
        if (value.empty())
            return "--from takes a backup's number or a backup file";
        run.from = value;
    } else if (option == "--blocks") {
        run.blocks = value;
    }
    return std::nullopt;
}

}  // namespace

const char* CommandName(Command command) {
    for (const CommandSyntax& syntax : CommandTable())
        if (syntax.command == command)
            return syntax.name;
    return "";
}

std::optional<DeviceRef> ParseDeviceRef(const std::string& text) {
    if (auto mac = ParseMac(text))
        return DeviceRef{text, std::move(*mac), {}};
    if (IsDottedQuad(text))
        return DeviceRef{text, {}, text};
    return std::nullopt;
}

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
    if (args.empty())
        return UsageError{"no command given", std::nullopt};
    const std::string& first = args.front();
    if (first == "--help" || first == "-h")
        return HelpRequest{ProgramHelp()};
    if (first == "--version")
        return HelpRequest{VersionLine()};
    if (first == "help") {
        if (args.size() == 1)
            return HelpRequest{ProgramHelp()};
        const bool twoWords = args[1] == "settings" && args.size() == 3;
        const CommandSyntax* syntax = FindCommand(twoWords ? args[1] + " " + args[2] : args[1]);
        if (syntax == nullptr || args.size() > (twoWords ? 3u : 2u))
            return UsageError{"help takes one command name, not \"" + args[1] + "\"", std::nullopt};
        return HelpRequest{CommandHelp(syntax->command)};
    }
    // "settings" names its command in two words, so that it never reads as the factory restore.
    const bool twoWords = first == "settings";
    if (twoWords && (args.size() < 2 || (args[1] != "restore" && args[1] != "apply")))
        return UsageError{"settings takes \"restore\" or \"apply\"", std::nullopt};
    const CommandSyntax* syntax = FindCommand(twoWords ? first + " " + args[1] : first);
    if (syntax == nullptr)
        return UsageError{"unknown command \"" + first + "\"", std::nullopt};

    Invocation run;
    run.command = syntax->command;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = twoWords ? 2 : 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            positional.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (word == "--help" || word == "-h")
            return HelpRequest{CommandHelp(syntax->command)};
        const std::size_t equals = word.find('=');
        const std::string option = word.substr(0, equals);
        const bool known = (option == "--seconds" && syntax->command != Command::kExporter) ||
                           std::find(syntax->options.begin(), syntax->options.end(), option) != syntax->options.end();
        if (!known)
            return Error("unknown option \"" + option + "\" for " + syntax->name, syntax);
        std::string value;
        if (!TakesValue(option)) {
            if (equals != std::string::npos)
                return Error(option + " takes no value", syntax);
        } else if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return Error(option + " needs a value", syntax);
        }
        if (auto bad = ApplyOption(option, value, run))
            return Error(std::move(*bad), syntax);
    }

    if (syntax->command == Command::kRename) {
        if (positional.size() != 2)
            return Error("rename takes a device and its new name", syntax);
        run.name = positional.back();
        positional.pop_back();
    }
    if (positional.size() < syntax->minDevices)
        return Error(std::string(syntax->name) + " needs " +
                         (syntax->maxDevices == 1 ? "a device" : "at least one device") + " (MAC or IP address)",
                     syntax);
    if (positional.size() > syntax->maxDevices)
        return Error(syntax->maxDevices == 0
                         ? std::string(syntax->name) + " takes no arguments, not \"" + positional.front() + "\""
                         : std::string(syntax->name) + " takes one device",
                     syntax);
    for (const std::string& text : positional) {
        auto device = ParseDeviceRef(text);
        if (!device)
            return Error("\"" + text + "\" is neither a MAC (aa:bb:cc:dd:ee:ff) nor an IP address", syntax);
        run.devices.push_back(std::move(*device));
    }
    if (syntax->command == Command::kUpgrade && (run.file.empty() || run.model.empty()))
        return Error("upgrade needs --file and --model", syntax);
    if ((syntax->command == Command::kSettingsRestore || syntax->command == Command::kSettingsApply) &&
        run.from.empty())
        return Error(std::string(syntax->name) + " needs --from BACKUP|FILE", syntax);
    if (syntax->command == Command::kBackup && !run.out.empty() && run.devices.size() != 1)
        return Error("backup --out takes one device", syntax);
    return run;
}

}  // namespace cpe::cli
