// Everything a descriptor yields until its writers close it (a child's pipe).
#pragma once

#include <unistd.h>

#include <string>

namespace cpe::test {

inline std::string ReadToEnd(int fd) {
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<std::size_t>(n));
    return out;
}

}  // namespace cpe::test
