// What --help prints: the program's overview with the exit statuses, and each command's page.
#pragma once

#include <string>

#include "cli/command_line.h"

namespace cpe::cli {

std::string ProgramHelp();
std::string CommandHelp(Command command);
std::string VersionLine();
// The short hint after a usage error.
std::string UsageHint(const UsageError& error);

}  // namespace cpe::cli
