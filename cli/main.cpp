#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_main.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const cpe::cli::Console console{std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1};
    return cpe::cli::RunCli(args, console);
}
