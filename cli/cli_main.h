// cpe-cli from its command line to its exit status: the line is parsed and checked, help is
// printed, and only a sound line opens a session and runs its command.
#pragma once

#include <string>
#include <vector>

#include "cli/console.h"

namespace cpe::cli {

int RunCli(const std::vector<std::string>& args, const Console& console);

}  // namespace cpe::cli
