// The program's command line. The utility itself is driven from its window; the only options
// answer questions about the program (--help, --version) and open no window.
#pragma once

#include <string>

namespace cpe {

struct CommandLine {
    enum class Action { kRun, kHelp, kVersion, kInvalid };
    Action action = Action::kRun;
    std::string invalidArgument;  // the first argument not understood (kInvalid)
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// "Usage: ..." with the options and where the program keeps its files.
std::string CommandLineHelp();
// "cpe-manager 0.20.5.10".
std::string CommandLineVersion();

// Answers --help and --version on standard output, an unknown argument on standard error.
// Returns the exit status, or -1 when the program is to run.
int AnswerCommandLine(const CommandLine& line);

}  // namespace cpe
