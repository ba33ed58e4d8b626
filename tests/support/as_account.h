// A test's piece of work done as another account: in a forked child that first prepares as root
// (a mount namespace, files only root may make), then takes the account's ids and supplementary
// groups. What the work returns comes back through a pipe.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cpe::test {

struct Account {
    uid_t uid;
    gid_t gid;
    std::vector<gid_t> groups;  // supplementary
};

// What `work` returned in the child; nothing when the child could not be prepared or could not
// become the account (not root, no namespaces). `prepare` may be empty.
inline std::optional<std::string> AsAccount(const Account& account, const std::function<bool()>& prepare,
                                            const std::function<std::string()>& work) {
    constexpr int kCannotRun = 77;
    if (::getuid() != 0)
        return std::nullopt;
    int report[2];
    if (::pipe(report) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        if ((prepare && !prepare()) || ::setgroups(account.groups.size(), account.groups.data()) != 0 ||
            ::setgid(account.gid) != 0 || ::setuid(account.uid) != 0)
            ::_exit(kCannotRun);
        const std::string answer = work();
        const bool written = ::write(report[1], answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(report[1]);
    std::string answer;
    char chunk[256];
    for (ssize_t n; (n = ::read(report[0], chunk, sizeof chunk)) > 0;)
        answer.append(chunk, static_cast<std::size_t>(n));
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotRun)
        return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return answer + " (the child ended abnormally)";
    return answer;
}

}  // namespace cpe::test
