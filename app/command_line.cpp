#include "app/command_line.h"

#include <cstdio>
#include <string_view>

namespace cpe {

namespace {

constexpr int kUsageError = 2;

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        if (arg == "--help" || arg == "-h") {
            line.action = CommandLine::Action::kHelp;
            return line;
        }
        if (arg == "--version") {
            line.action = CommandLine::Action::kVersion;
        } else {
            line.action = CommandLine::Action::kInvalid;
            line.invalidArgument = arg;
            return line;
        }
    }
    return line;
}

std::string CommandLineHelp() {
    return "Usage: cpe-manager [--help | --version]\n"
           "\n"
           "Finds the CPE units and access points on the local network, shows their status,\n"
           "configures, bridges, reboots and upgrades them. Without options it opens its window;\n"
           "one copy runs per user.\n"
           "\n"
           "  -h, --help   show this help and exit\n"
           "  --version    show the version and exit\n"
           "\n"
           "Setting.ini, Skin/, Languages/, help/ and the helper servers in service/ are read from\n"
           "the program's folder. The device store (data.mdb) lives for one run: next to the\n"
           "program in a writable build folder, else in $XDG_RUNTIME_DIR (or /tmp/cpe-manager-UID).\n";
}

std::string CommandLineVersion() { return std::string("cpe-manager ") + CPE_VERSION_TEXT + "\n"; }

int AnswerCommandLine(const CommandLine& line) {
    switch (line.action) {
    case CommandLine::Action::kRun: return -1;
    case CommandLine::Action::kHelp: std::fputs(CommandLineHelp().c_str(), stdout); return 0;
    case CommandLine::Action::kVersion: std::fputs(CommandLineVersion().c_str(), stdout); return 0;
    case CommandLine::Action::kInvalid:
        std::fprintf(stderr, "cpe-manager: unknown argument '%s'\n%s", line.invalidArgument.c_str(),
                     CommandLineHelp().c_str());
        return kUsageError;
    }
    return kUsageError;
}

}  // namespace cpe
